// Placeholders that let Vantle.exe link while the modules below are written; each module removes
// its block when it lands.
#include "ui/app/App.h"

// --- files ---
void pasteImage() {}
void copyImageToClipboard() {}
void openDroppedFiles(HDROP) {}
void openFromCommandLine() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (args && count > 1) {
        WideString path(reinterpret_cast<const char16_t*>(args[1]));
        openDocument(&path, true);
    }
    if (args) LocalFree(args);
}
WideString resolveShortcut(const WideString& path) { return WideString(path); }
// --- end files ---
