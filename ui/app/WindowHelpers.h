// Small window operations several modules share.
#pragma once

#include <windows.h>

// The input method of `control` closed when it is open (number fields take digits only).
void closeInputMethod(HWND control);
// A cursor resource of the executable by id; cursor::kArrow (or less) is the system arrow.
void setCursorById(int id);
