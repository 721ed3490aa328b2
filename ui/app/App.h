// The models the windows of Vantle.exe share: the settings record with the key tables, the
// document, the trim session and the file list, with the process's instance, its user-interface
// font and its main window. All of it belongs to the user-interface thread; the preview worker sees
// only the trim session's preview channel. Each window keeps its own state in a record bound to it
// when it is created (WindowBinding.h), and what a module offers the others is declared in that
// module's header.
#pragma once

#include <windows.h>

#include "document/Document.h"
#include "shell/Commands.h"
#include "shell/FileList.h"
#include "shell/Settings.h"
#include "trim/TrimEditor.h"
#include "util/WideString.h"

// Measures of the user-interface font, taken when the main window is created.
struct UiMetrics {
    int textHeight = 16;
    int rowHeight = 22;
    int digitWidth = 7;
    int spinExtra = 27;
    int checkExtra = 20;
};

struct App {
    HINSTANCE exeInstance = nullptr;
    WideString settingsPath;
    Settings settings;  // the trim session and the output job read their parts of it
    KeySlotTable slots{};
    AcceleratorList accelerators{};
    Document document;
    TrimEditor editor;
    FileList fileList;
    HFONT uiFont = nullptr;
    UiMetrics metrics;
    HWND mainWindow = nullptr;
};

extern App app;
