// What a paint of the image view draws, worked out from the view geometry and the trim state: the
// grey margins, the stretch mode, the one StretchDIBits of the shown part, and the overlays (dotted
// outline, XOR rectangle, perspective corner squares); also the crosshair that follows the mouse
// while no trim is in progress. The window turns these records into GDI calls one for one.
#pragma once

#include <cstdint>

#include "trim/TrimEditor.h"
#include "trim/ViewGeometry.h"

// A GDI RECT: right and bottom exclusive.
struct PaintRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const PaintRect&) const = default;
};

// SetStretchBltMode values.
enum class StretchMode : std::int32_t { ColorOnColor = 3, Halftone = 4 };

// StretchDIBits(destX, destY, destW, destH, srcX, srcY, srcW, srcH, ...): srcY counts rows from the
// bottom of the bottom-up buffer, as StretchDIBits wants it.
struct StretchBlit {
    std::int32_t destX = 0, destY = 0, destW = 0, destH = 0;
    std::int32_t srcX = 0, srcY = 0, srcW = 0, srcH = 0;
    bool operator==(const StretchBlit&) const = default;
};

// Colours (COLORREF) and sizes of the overlays.
constexpr std::uint32_t kXorPenColour = 0x808080;
constexpr std::uint32_t kSelectedCornerFill = 0xC080FF;
constexpr std::uint32_t kCornerFill = 0xFFFFFF;
constexpr std::int32_t kCornerSquareReach = 7;

// One perspective corner square: Rectangle(left, top, right, bottom) with the fill colour.
struct CornerSquare {
    PaintRect rect;
    std::uint32_t fill = kCornerFill;
};
// The four squares in drawing order: top-left, top-right, bottom-left, bottom-right.
struct CornerSquares {
    CornerSquare squares[4];
};
CornerSquares CornerSquaresOf(const TrimEditor& editor);

// Rubber band and outline corners: the XOR rectangle drawn (left, top) -> (right, top) ->
// (right, bottom) -> (left, bottom) -> (left, top).
struct OutlinePath {
    TrimPoint points[5];
};
OutlinePath OutlinePathOf(const TrimRect& screen);

struct PaintPlan {
    // Light grey fills: the margins around the shown part, or the whole area without an image.
    std::int32_t fillCount = 0;
    PaintRect fills[4];

    // Image part; only with hasImage.
    bool hasImage = false;
    StretchMode stretchMode = StretchMode::ColorOnColor;
    bool brushOriginZero = false;  // SetBrushOrgEx(0, 0) before halftoning
    bool eraseCrosshair = false;   // trim mode idle: the remembered crosshair is erased first
    StretchBlit blit;

    // Overlays, drawn in this order.
    bool dottedOutline = false;  // black PS_DOT pen, R2_COPYPEN, OPAQUE background
    OutlinePath outline;
    bool xorRect = false;        // grey pen, R2_XORPEN
    OutlinePath xorPath;
    bool cornerSquares = false;  // black pen, R2_COPYPEN
    CornerSquares squares;

    // Without an image: the load-failure text, centred (TA_CENTER | TA_TOP) at (textX, textY).
    bool failureText = false;
    std::int32_t textX = 0;
    std::int32_t textY = 0;
};

// Which stretch mode the view paints with: COLORONCOLOR while panning or when the image is shown
// at its size or larger both ways, HALFTONE when it is reduced.
StretchMode ViewStretchMode(const ViewGeometry& view);
// The shown part of the image and where it goes.
StretchBlit VisibleBlit(const ViewGeometry& view);

// The whole paint. `hasDisplay`: the document has display pixels; `editor` may be null (no trim
// state yet); `loadFailed` and `fontHeight` place the text of an empty view.
PaintPlan PlanPaint(const ViewGeometry& view, const TrimEditor* editor, bool hasDisplay, bool loadFailed,
                    std::int32_t fontHeight);

// The crosshair at a view point: a horizontal line from (viewX, y) to (viewX + viewW, y) and a
// vertical one from (x, viewY) to (x, viewY + viewH), both in XOR grey.
struct CrosshairLines {
    TrimPoint horizontalFrom, horizontalTo;
    TrimPoint verticalFrom, verticalTo;
};
CrosshairLines CrosshairAt(const ViewGeometry& view, TrimPoint point);

// What a crosshair update draws: the old cross again (erasing it) and the new one.
struct CrosshairStep {
    bool eraseOld = false;
    TrimPoint oldPoint{-1, -1};
    bool drawNew = false;
    TrimPoint newPoint{-1, -1};
};
// A mouse move over the view while idle with an image shown: the point is clamped into the shown
// part and remembered in `current` (the trim editor's cornerPoint); nothing is drawn when it stays
// where it was.
CrosshairStep MoveCrosshair(TrimPoint& current, const ViewGeometry& view, std::int32_t x, std::int32_t y);
// The start of every paint and of a popup menu: the remembered cross is drawn once more (erased) and
// forgotten. Nothing to draw when none is remembered.
CrosshairStep EraseCrosshair(TrimPoint& current);
