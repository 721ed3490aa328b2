// Help and About: the HTML Help engine, loaded at run time so that the program starts where it is
// missing; the help command; and the small About window with its own message loop.
#pragma once

#include <windows.h>

#include "util/WideString.h"

// HtmlHelpW of the engine, which is loaded on the first call; 0 at once when no engine could be
// loaded (then or on any earlier call).
HWND htmlHelp(HWND window, const wchar_t* file, UINT command, DWORD_PTR data);
// HH_INITIALIZE at start-up and HH_UNINITIALIZE with the cookie it gave, at exit.
void initializeHelp();
void uninitializeHelp();

// Command kHelp: the compiled help file beside the executable in the help viewer, else the
// shipped help pages in the default browser.
void showHelp();
// A file or address opened as the shell opens it on a double-click; a failure shows nothing.
void openWithShell(const WideString& target);

// Command kAbout: the About window over the disabled main window; returns when it is closed.
void showAbout();
