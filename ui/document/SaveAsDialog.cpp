// The Save As dialog: for the current image (command kSaveAs) and for a trim result when the output is
// not saved automatically. The format chosen in the dialog holds for that one save.
#include <windows.h>
#include <commdlg.h>

#include "document/OutputJob.h"
#include "shell/FileDialogs.h"
#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"

namespace {

const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

}  // namespace

bool saveAsDialog(const WideString& folder) {
    if (!app.document.shadedPixels) return false;
    const bool listWasOpen = listWindowOpen();
    closeListWindow(false);

    // Taken from the settings for this save: the format chosen in the dialog changes only it.
    OutputOptions options = app.settings;
    const std::u16string filter = saveDialogFilter(loadText);
    wchar_t file[MAX_PATH] = {};
    const WideString baseName = saveBaseName(app.document.path);
    if (baseName.length() < MAX_PATH)
        CopyMemory(file, baseName.c_str(), (baseName.length() + 1) * sizeof(wchar_t));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = app.mainWindow;
    dialog.lpstrFilter = wide(filter.c_str());
    dialog.nFilterIndex = saveFilterIndex(options.outputFormat);
    dialog.lpstrFile = file;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = folder.empty() ? nullptr : wide(folder.c_str());
    dialog.lpstrDefExt = wide(saveDefaultExtension(options.outputFormat));
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER |
                   OFN_ENABLESIZING;

    bool saved = false;
    WideString path;
    if (GetSaveFileNameW(&dialog)) {
        RedrawWindow(app.mainWindow, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        formatOfSaveFilter(dialog.nFilterIndex, options.outputFormat);
        path.assign(reinterpret_cast<const char16_t*>(file));
        HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        OutputFailure failure;
        saved = SaveImage(app.document, options, path, false, failure);
        SetCursor(previous);
        if (!saved && failure.messageId != 0) showOutputFailure(failure.messageId, failure.libraryMessage);
    }

    if (listWasOpen) {
        if (saved && isFileInFolder(path, app.fileList.listFolder)) refreshFileList();
        showListWindow();
    }
    return saved;
}

void saveAsCurrent() {
    if (active(app.editor.trimMode) || !app.document.shadedPixels) return;
    const OutputOptions& options = app.settings;
    WideString folder;
    OutputFailure failure;
    if (!ResolveOutputFolder(app.document, options, false, folder, failure)) {
        if (failure.messageId != 0) showOutputFailure(failure.messageId, failure.libraryMessage);
        return;
    }
    saveAsDialog(folder);
}
