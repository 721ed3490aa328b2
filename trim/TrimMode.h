// The states of trim mode and the handles of the trim rectangle, with the questions the rest of the
// program asks about them.
#pragma once

#include <cstdint>

// Trim mode. The numbers are those of the design; nothing stores or prints them.
enum class TrimMode : std::int32_t {
    Idle = 0,        // no trim; the first left click on an image starts one
    Anchored = 1,    // the first click set the anchor; the rubber band follows the mouse
    Sizing = 2,      // the button is held and the mouse has moved far enough to drag the band
    Adjusting = 3,   // the rectangle is settled; handles, boxes, keys and corners adjust it
    HandleDrag = 4,  // an edge, corner or the inside of the rectangle is being dragged
    CornerDrag = 5,  // a perspective corner is being dragged
};

// Any trim at all.
constexpr bool active(TrimMode m) { return m != TrimMode::Idle; }
// The initial rubber band: the rectangle has no size yet.
constexpr bool banding(TrimMode m) { return m == TrimMode::Anchored || m == TrimMode::Sizing; }
// The rectangle exists: adjusting it or in the middle of one of its drags.
constexpr bool settled(TrimMode m) { return m >= TrimMode::Adjusting; }
// A handle or corner drag, with the mouse captured.
constexpr bool dragging(TrimMode m) { return m == TrimMode::HandleDrag || m == TrimMode::CornerDrag; }
// The trim holds the mouse (the band or a drag): losing the mouse or the focus cancels it.
constexpr bool holdsMouse(TrimMode m) { return banding(m) || dragging(m); }

// What the mouse is over or dragging. The numbers are those of the design.
enum class HandleKind : std::int32_t {
    None = 0,
    Left = 1,
    Top = 2,
    Right = 3,
    Bottom = 4,
    TopLeft = 5,
    TopRight = 6,
    BottomRight = 7,
    BottomLeft = 8,
    Move = 9,
    CornerTopLeft = 10,  // perspective corners
    CornerTopRight = 11,
    CornerBottomRight = 12,
    CornerBottomLeft = 13,
};

// An edge or a corner of the rectangle (not the inside, not a perspective corner).
constexpr bool sizesRectangle(HandleKind k) { return k >= HandleKind::Left && k <= HandleKind::BottomLeft; }
// A corner of the rectangle, the move handle or a perspective corner: a drag of one of them keeps
// the ratio by itself, so the boxes store its values as they come.
constexpr bool keepsRatioItself(HandleKind k) { return k > HandleKind::Bottom; }
constexpr bool isPerspectiveCorner(HandleKind k) {
    return k >= HandleKind::CornerTopLeft && k <= HandleKind::CornerBottomLeft;
}
