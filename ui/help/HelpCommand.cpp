// The HTML Help engine and the help command. The engine is not imported: it is found through the
// registration of its control class (else by its file name) on the first call and reached through
// HtmlHelpW, which it exports by ordinal. Once it could not be had, every call returns 0 at once.
#include <windows.h>
#include <shellapi.h>

#include "platform/platform.h"
#include "shell/Help.h"
#include "ui/help/Help.h"
#include "util/files.h"

namespace {

using HtmlHelpEntry = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);

constexpr char kEngineClassKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";
constexpr char kEngineFile[] = "hhctrl.ocx";
constexpr WORD kHtmlHelpOrdinal = 15;
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
constexpr UINT kInitialize = 28;   // HH_INITIALIZE
constexpr UINT kUninitialize = 29; // HH_UNINITIALIZE

struct HelpEngine {
    HMODULE module = nullptr;
    HtmlHelpEntry entry = nullptr;
    bool unavailable = false;
    DWORD_PTR cookie = 0;  // from HH_INITIALIZE, handed back at HH_UNINITIALIZE
};
HelpEngine engine;

const wchar_t* wide(const WideString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// The default value of the class's InprocServer32 key (at most MAX_PATH bytes), with environment
// variables expanded when it is stored as REG_EXPAND_SZ. False without a usable path.
bool registeredEnginePath(char (&path)[MAX_PATH]) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kEngineClassKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char value[MAX_PATH + 1] = {};
    DWORD type = 0, size = MAX_PATH;
    const LONG status = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS) return false;
    value[size < MAX_PATH ? size : MAX_PATH] = 0;  // a stored string need not end in 0
    if (type == REG_EXPAND_SZ) {
        const DWORD n = ExpandEnvironmentStringsA(value, path, MAX_PATH);
        if (n == 0 || n > MAX_PATH) return false;
    } else if (type == REG_SZ) {
        lstrcpynA(path, value, MAX_PATH);
    } else {
        return false;
    }
    return path[0] != 0;
}

bool loadEngine() {
    char path[MAX_PATH];
    if (registeredEnginePath(path)) engine.module = LoadLibraryA(path);
    if (!engine.module) engine.module = LoadLibraryA(kEngineFile);
    if (!engine.module) return false;
    engine.entry = reinterpret_cast<HtmlHelpEntry>(
        reinterpret_cast<void*>(GetProcAddress(engine.module, MAKEINTRESOURCEA(kHtmlHelpOrdinal))));
    return engine.entry != nullptr;
}

bool isFile(const WideString& path) {
    return platform::pathExists(path.c_str()) && !platform::isDirectory(path.c_str());
}

}  // namespace

HWND htmlHelp(HWND window, const wchar_t* file, UINT command, DWORD_PTR data) {
    if (engine.unavailable) return nullptr;
    if (!engine.entry && !loadEngine()) {
        engine.unavailable = true;
        return nullptr;
    }
    return engine.entry(window, file, command, data);
}

void initializeHelp() { htmlHelp(nullptr, nullptr, kInitialize, reinterpret_cast<DWORD_PTR>(&engine.cookie)); }

void uninitializeHelp() { htmlHelp(nullptr, nullptr, kUninitialize, engine.cookie); }

void openWithShell(const WideString& target) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = wide(target);
    info.nShow = SW_SHOW;
    ShellExecuteExW(&info);
}

void showHelp() {
    WideString executable;
    modulePath(executable);
    WideString file;
    helpFilePath(executable, file);
    // Without an engine a help file that is there simply does not open: nothing is reported.
    if (isFile(file)) {
        htmlHelp(nullptr, wide(file), kDisplayTopic, 0);
        return;
    }
    WideString page;
    helpPagePath(executable, page);
    openWithShell(page);
}
