// vantle-probe.dll: loaded into a running Vantle.exe by vantle-msg (a remote LoadLibraryW) to read
// what only the program's own process may read: the view's scroll bar settings. It copies them into
// the file mapping vantle-msg prepared and refuses to stay loaded, so the loader unloads it at once.
#include <windows.h>

#include <initializer_list>

#include "probe.h"
#include "trim/Identifiers.h"

namespace {

void probe() {
    wchar_t name[64];
    probeMappingName(GetCurrentProcessId(), name);
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name);
    if (!mapping) return;
    auto* out = static_cast<ProbeResult*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(ProbeResult)));
    if (out) {
        HWND main = FindWindowW(L"Vantle_mwin_class", nullptr);
        HWND view = main ? GetDlgItem(main, control::kView) : nullptr;
        if (view) {
            for (int bar : {SB_HORZ, SB_VERT}) {
                SCROLLINFO& info = out->bars[bar];
                info.cbSize = sizeof info;
                info.fMask = SIF_ALL;
                GetScrollInfo(view, bar, &info);
            }
            out->valid = 1;
        }
        UnmapViewOfFile(out);
    }
    CloseHandle(mapping);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    probe();
    return FALSE;  // done: nothing of ours stays in the program
}
