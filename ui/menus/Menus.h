// The three popup menus (main, shade, preset) built from the key slots, their owner drawing, the
// one accelerator table, and the keyboard hook that gives Enter and Esc to a trim.
#pragma once

#include <windows.h>

#include "shell/MenuItems.h"

void buildMenus();
void destroyMenus();
void buildPresetItems();
void rebuildAfterKeyChange();
void rebuildAfterLanguageChange();
HMENU mainMenu();
HMENU shadeMenu();
HMENU presetMenu();
const MenuModel& menuModel();
void updateMenuState(HMENU menu);
// `window` is where WM_CONTEXTMENU came from: the view, or the main window passing it on.
void showMainMenu(HWND window, POINT screen);
void showMenuUnderButton(HWND toolbar, int command, HMENU menu);
bool measureMenuItem(MEASUREITEMSTRUCT* item);
bool drawMenuItem(const DRAWITEMSTRUCT* item);

void createAcceleratorTable();
void destroyAcceleratorTable();
// The table the message loop translates with; null when no key is assigned.
HACCEL acceleratorTable();

void installTrimKeyHook();
void removeTrimKeyHook();
