// Colours of the highlights (COLORREF, 0x00BBGGRR), shared by menus, combo items, buttons and labels.
#pragma once

#include <windows.h>

constexpr COLORREF kHighlightFill = 0xFFFFE8;   // hot menu item, combo item, button, drag label
constexpr COLORREF kHighlightFrame = 0x909048;
constexpr COLORREF kCheckedFill = 0xFFFFFF;     // checked button
constexpr COLORREF kCheckedFrame = 0x904890;
constexpr int kMenuCorner = 5;                  // corner ellipse of menu items and buttons
