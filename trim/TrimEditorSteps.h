// Steps the parts of the trim editor share: the mode machine (TrimEditor.cpp), the number boxes
// (TrimBoxes.cpp) and the perspective corners with their preview (TrimPerspective.cpp).
#pragma once

#include "trim/TrimEditor.h"

// screenRect from trimRect through the view's mapping.
void updateScreenRect(TrimEditor& editor);
// The up-down ranges of the four trim boxes (and, with `positions`, their positions).
void setSpins(TrimEditor& editor, bool positions);
// The size the title shows.
void setSelectionSize(TrimEditor& editor, std::int32_t width, std::int32_t height);

// A fresh rectified copy of the source (replacing any previous one); empty when memory runs out.
void makeRectified(TrimEditor& editor);
// Waits for the preview worker and frees the rectified copy.
void releaseRectified(TrimEditor& editor);
// A press on a perspective corner starts its drag.
void pressCorner(TrimEditor& editor, HandleKind kind);
void dragCorner(TrimEditor& editor, std::int32_t x, std::int32_t y);
// Submits a preview of the current quad to the worker; `finish` ends the preview when it is done.
void postPreview(TrimEditor& editor, bool finish);
