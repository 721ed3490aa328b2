// Where top-level windows go on the screen: the main window's saved placement kept inside the
// monitor's work area, and how it is first shown.
#pragma once

#include <cstdint>

// Screen rectangles, right and bottom exclusive.
struct ScreenRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const ScreenRect&) const = default;
};
struct ScreenPoint {
    std::int32_t x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// The window cut to the work area's size and moved into it, per axis: the width is cut to the work
// area's width, then the left edge is moved into [work.left, work.right - width].
ScreenRect ClampToWorkArea(const ScreenRect& window, const ScreenRect& work);

// ShowWindow's command for the main window: maximised when the settings say so, unless the caller
// asked for SW_MAXIMIZE (3) or SW_SHOWMINNOACTIVE (7) itself; SW_SHOWNORMAL (1) otherwise.
std::int32_t MainWindowShowCommand(bool savedMaximized, std::int32_t nCmdShow);
