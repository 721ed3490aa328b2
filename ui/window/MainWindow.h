// The main window: its class and creation, the layout below the tool bands, the title, the
// command and control dispatchers and the shutdown routine.
#pragma once

#include <windows.h>

#include "shell/SettingsFile.h"

bool registerMainClass();
// Places the window as the settings say (clamped to the monitor's work area) and shows it.
HWND createMainWindow(int nCmdShow, SettingsReader& reader);
// Layout of the view below the rebar after a client size change.
void layoutMainWindow();
void refreshTitle();
void writeZoomBox();
// After the display dialog changed the language or the font: the font made again, and with it the
// tool bands, the tooltips, the title, the file list window and the view.
void refreshAfterDisplayChange();
// Writes the settings file once, after ending any trim and letting go of every buffer.
void Shutdown();

// WM_COMMAND: commands (identifiers from command::kFirst) and the toolbar fields' notifications.
void runCommand(WPARAM wParam, LPARAM lParam);
void refreshToolbarStates();
