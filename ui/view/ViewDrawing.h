// Drawing entry points of the view shared by the view window and the trim adapter.
#pragma once

#include <windows.h>

#include "trim/TrimEditor.h"

void paintView(HWND window);
void xorRectangle(const TrimRect& screen);
void drawCornerSquaresNow();
void moveCrosshair(int x, int y);
