// Command kOpen: the open dialog for every image format the program and its plug-ins read.
#include <windows.h>
#include <commdlg.h>

#include "shell/FileDialogs.h"
#include "shell/Language_win32.h"
#include "shell/PluginSettings.h"
#include "ui/app/App.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"

namespace {

const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// The plug-ins' file patterns, whole, as they wrote them.
std::vector<WideString> pluginPatterns() {
    PluginHost host = PluginHostFor(app.settings);
    return collectPatterns(host, true);
}

}  // namespace

bool openWithDialog() {
    if (active(app.editor.trimMode)) return false;
    enableListWindow(false);

    const std::u16string filter = openDialogFilter(loadText, pluginPatterns());
    wchar_t file[MAX_PATH] = {};
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = app.mainWindow;
    dialog.lpstrFilter = wide(filter.c_str());
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = app.settings.currentFolder.empty() ? nullptr : wide(app.settings.currentFolder.c_str());
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const bool chosen = GetOpenFileNameW(&dialog) != 0;
    if (chosen) {
        // The dialog's remains vanish before the load keeps the thread busy.
        RedrawWindow(app.mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        const WideString path(reinterpret_cast<const char16_t*>(file));
        openDocument(&path, true);
    }
    enableListWindow(true);
    return chosen;
}
