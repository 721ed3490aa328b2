// Positions the window code needs for owner-drawn menu items, the check mark and a dialog placed
// under a toolbar button, kept apart from the drawing calls so they can be checked without a window.
#pragma once

#include <cstdint>

// Edges as RECT has them: right and bottom are exclusive.
struct LayoutRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

struct LayoutPoint {
    std::int32_t x;
    std::int32_t y;
};

// The size of an owner-drawn menu item whose measured text (name and key together) is
// textWidth x textHeight; an empty text still counts as one line of `lineHeight`, so the item can be
// picked.
LayoutPoint menuItemSize(std::int32_t textWidth, std::int32_t textHeight, std::int32_t lineHeight);
// Where an item's name (left-aligned) and key (right-aligned) are drawn: the item's rectangle
// inset 15 pixels on the left, where the check mark stands, and 4 on the right.
LayoutRect menuItemTextRect(const LayoutRect& item);

// The corners of the check mark, a small diamond at the left of `item`, vertically centred.
void checkMarkPoints(const LayoutRect& item, LayoutPoint out[4]);

// The top of a line of `textHeight` centred vertically in `rect`.
std::int32_t centredTextTop(const LayoutRect& rect, std::int32_t textHeight);

// The top-left corner of a dialog of `width` x `height` centred under a toolbar button (screen
// coordinates), its top at `viewTop`, then kept inside `workArea`: first pulled back from the right
// and bottom edges, then pushed off the left and top ones, so a dialog larger than the work area
// keeps its top-left corner visible.
LayoutPoint dialogUnderButton(const LayoutRect& button, std::int32_t viewTop, std::int32_t width, std::int32_t height,
                              const LayoutRect& workArea);
