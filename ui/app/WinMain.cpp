// The process entry point: process resources, settings and language, the windows, the message loop,
// and the release of everything afterwards.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "shell/Language_win32.h"
#include "shell/SettingsFile.h"
#include "ui/app/App.h"
#include "ui/controls/Controls.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/help/Help.h"
#include "ui/menus/Menus.h"
#include "ui/trim/TrimWindow.h"
#include "ui/view/View.h"
#include "ui/window/MainWindow.h"

App app;

namespace {

// The two texts shown before any language module is loaded.
constexpr wchar_t kFailedToExecute[] = L"Failed to execute file.";
constexpr wchar_t kLanguageNotFound[] = L"Language file not found.";
constexpr wchar_t kErrorCaption[] = L"Error";

void builtInError(const wchar_t* text) {
    MessageBoxW(nullptr, text, kErrorCaption, MB_SETFOREGROUND | MB_ICONERROR);
}

// The operating-system level from the version numbers; 0 is unsupported.
int osLevelOf(DWORD major, DWORD minor) {
    if (major < 5) return 0;
    if (major == 5) return minor == 1 || minor == 2 ? 1 : 0;
    if (major == 6) return minor == 0 ? 2 : minor == 1 ? 3 : minor == 2 ? 4 : 5;
    return 5;
}

int decideOsLevel() {
    // GetVersionExW reports what the manifest declares; RtlGetVersion is not needed for the levels
    // told apart here.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&info)) return 0;
#pragma GCC diagnostic pop
    return osLevelOf(info.dwMajorVersion, info.dwMinorVersion);
}

// The application heap comes from the platform layer on first use; what remains to decide here is
// whether the system is one the program runs on.
bool initProcess(HINSTANCE instance, int& osLevel) {
    app.exeInstance = instance;
    osLevel = decideOsLevel();
    if (osLevel == 1) {
        ULONG lowFragmentation = 2;
        HeapSetInformation(GetProcessHeap(), HeapCompatibilityInformation, &lowFragmentation,
                           sizeof lowFragmentation);
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    return true;
}

bool registerWindowClasses() {
    return registerMainClass() && registerViewClass() && registerListClass() && registerLabelClasses();
}

bool initApplication(SettingsReader& reader, int nCmdShow) {
    app.document.path.clear();
    if (!startPreviewWorker()) {
        showErrorMessage(30001);
        return false;
    }
    loadSettings(reader, app.settings, app.slots, app.accelerators);
    app.editor.view = &windowTrimView();
    app.editor.geometry = &viewGeometry();
    app.editor.options = &app.settings;
    createAcceleratorTable();
    buildMenus();

    if (!registerWindowClasses()) return false;
    INITCOMMONCONTROLSEX controls{sizeof controls, 0x41D};
    InitCommonControlsEx(&controls);

    if (!createMainWindow(nCmdShow, reader)) return false;
    setPreviewNotifyWindow(app.mainWindow);
    openFromCommandLine();
    return true;
}

// Relative paths (the output folder of a pasted image, a relative plug-in folder) are the
// executable's folder's, wherever the program was started from.
void enterExecutableFolder() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    wchar_t* slash = wcsrchr(path, L'\\');
    if (!slash) return;
    *slash = 0;
    SetCurrentDirectoryW(path);
}

bool startApplication(int osLevel, int nCmdShow) {
    enterExecutableFolder();
    if (osLevel == 0 || !locateSettingsFile(app.settingsPath)) {
        builtInError(kFailedToExecute);
        return false;
    }
    SettingsReader reader;
    reader.open(app.settingsPath.c_str());
    WideString language;
    reader.readText(entry::kLanguageName, language);
    if (!loadLanguage(language)) {
        builtInError(kLanguageNotFound);
        return false;
    }
    app.settings.languageName.assign(language);
    const bool started = initApplication(reader, nCmdShow);
    reader.close();
    return started;
}

int messageLoop() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) break;
        HACCEL table = acceleratorTable();
        if (!app.editor.suspendAccelerators && table && TranslateAcceleratorW(app.mainWindow, table, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == -1 ? 0 : static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int nCmdShow) {
    int osLevel = 0;
    if (!initProcess(instance, osLevel)) return 0;
    initializeHelp();
    int exitCode = 0;
    if (startApplication(osLevel, nCmdShow)) exitCode = messageLoop();
    // A start that failed half-way may have left the worker running.
    stopPreviewWorker();
    if (languageModule) FreeLibrary(languageModule);
    languageModule = nullptr;
    uninitializeHelp();
    CoUninitialize();
    if (app.uiFont) DeleteObject(app.uiFont);
    return exitCode;
}
