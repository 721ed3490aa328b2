// The file list of the document's folder and the change notification that tells, on activation,
// whether that folder gained or lost files while the program was in the background.
#include <windows.h>

#include "shell/PluginSettings.h"
#include "ui/app/App.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/filelist/ListBox.h"
#include "ui/window/MainWindow.h"

namespace {

HANDLE changeHandle = nullptr;            // the watched folder's change notification
std::vector<WideString> listPatterns;     // the extensions the list shows, read once

const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// The folder the refresh reads: the document's, or the one read last when the document has no path.
WideString folderToWatch() {
    WideString folder;
    const WideString& path = app.document.path;
    if (path.empty()) {
        folder.assign(app.fileList.listFolder);
    } else {
        const std::size_t sep = path.view().rfind(u'\\');
        if (sep == std::u16string_view::npos)
            folder.assign(path);
        else
            folder.assign(path.c_str(), static_cast<std::uint32_t>(sep));
    }
    // "C:" alone names the drive's current directory, not its root.
    if (folder.length() == 2 && folder.c_str()[1] == u':') folder.append(u"\\");
    return folder;
}

void watchFolder(const WideString& folder) {
    closeChangeNotification();
    if (folder.empty()) return;
    HANDLE handle = FindFirstChangeNotificationW(wide(folder.c_str()), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    if (handle != INVALID_HANDLE_VALUE) changeHandle = handle;
}

}  // namespace

void refreshFileList() {
    if (listPatterns.empty()) {
        PluginHost host = PluginHostFor(app.settings);
        const std::vector<WideString> extensions = collectPatterns(host, false);
        listPatterns = fileListPatterns(extensions.data(), extensions.size());
    }
    // Watched even when it holds no image yet, so one added later shows up.
    watchFolder(folderToWatch());
    RefreshList(app.fileList, app.document.path, listPatterns);
    fillListWindow();
}

void forgetFileListPatterns() { listPatterns.clear(); }

void checkFolderChange() {
    if (!changeHandle || WaitForSingleObject(changeHandle, 0) != WAIT_OBJECT_0) return;
    refreshFileList();
    // Whether a list exists may have changed; trim mode keeps its own toolbar states.
    if (!active(app.editor.trimMode)) refreshToolbarStates();
}

void closeChangeNotification() {
    if (changeHandle) FindCloseChangeNotification(changeHandle);
    changeHandle = nullptr;
}
