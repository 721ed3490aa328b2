// Files handed to the program from outside: dropped on the main window or named on the command line.
// Shell shortcuts stand for their targets.
#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "platform/platform.h"
#include "ui/app/App.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"

namespace {

const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// Opens a file from outside with the list window held off meanwhile.
void openFromOutside(const WideString& given) {
    const WideString path = resolveShortcut(given);
    enableListWindow(false);
    openDocument(&path, true);
    enableListWindow(true);
}

// The full form of a path relative to the current directory, so the file list has a folder to read.
WideString fullPath(const wchar_t* path) {
    const DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed == 0) return WideString(reinterpret_cast<const char16_t*>(path));
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD got = GetFullPathNameW(path, static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (got == 0 || got >= buffer.size()) return WideString(reinterpret_cast<const char16_t*>(path));
    return WideString(reinterpret_cast<const char16_t*>(buffer.data()));
}

}  // namespace

WideString resolveShortcut(const WideString& path) {
    WideString result(path);
    SHFILEINFOW info{};
    info.dwAttributes = SFGAO_LINK;
    if (path.empty() || !SHGetFileInfoW(wide(path.c_str()), 0, &info, sizeof(info), SHGFI_ATTRIBUTES) ||
        !(info.dwAttributes & SFGAO_LINK))
        return result;

    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link))))
        return result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t target[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(wide(path.c_str()), STGM_READ)) &&
            link->GetPath(target, MAX_PATH, nullptr, SLGP_UNCPRIORITY) == S_OK && target[0] != 0)
            result.assign(reinterpret_cast<const char16_t*>(target));
        file->Release();
    }
    link->Release();
    return result;
}

void openDroppedFiles(HDROP drop) {
    WideString path;
    if (IsWindowEnabled(app.mainWindow) && !active(app.editor.trimMode) &&
        DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
        const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
        std::vector<wchar_t> name(length + 1);
        if (length > 0 && DragQueryFileW(drop, 0, name.data(), length + 1) == length)
            path.assign(reinterpret_cast<const char16_t*>(name.data()));
    }
    DragFinish(drop);
    if (path.empty()) return;
    SetForegroundWindow(app.mainWindow);
    openFromOutside(path);
}

void openFromCommandLine() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!arguments) return;
    WideString path;
    // Only the first argument after the program's name counts.
    if (count > 1 && arguments[1][0] != 0) path = fullPath(arguments[1]);
    LocalFree(arguments);
    if (path.empty() || !platform::pathExists(path.c_str()) || platform::isDirectory(path.c_str())) return;
    openFromOutside(path);
}
