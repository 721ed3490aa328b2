// RECT and the portable layout rectangle share their edge convention; these convert between them.
#pragma once

#include <windows.h>

#include "shell/ControlLayout.h"

inline LayoutRect layoutRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
inline RECT windowRect(const LayoutRect& r) { return {r.left, r.top, r.right, r.bottom}; }
