/* Marks the process when the library's code runs, which a language module load must never do. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) SetEnvironmentVariableW(L"VANTLE_TRAP_RAN", L"1");
    return TRUE;
}
