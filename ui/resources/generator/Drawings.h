// The pictures of Vantle.exe: its icon, its cursors and its toolbar images.
#pragma once

#include "Canvas.h"

// The application icon at the canvas's size (square).
void drawAppIcon(Canvas& canvas);

// A 32 x 32 cursor; false for an identifier that is not one of the program's cursors.
constexpr int kCursorSize = 32;
constexpr int kCursorHotspot = 15;  // every cursor is centred on pixel (15, 15)
bool drawCursor(int id, Canvas& canvas);

// One 16 x 16 toolbar image (toolbar_image::Index).
void drawToolbarImage(int index, Canvas& canvas);
// The disabled look of a toolbar image: grey and faded.
void makeDisabled(Canvas& canvas);
