// What the mouse is over while the trim rectangle is settled: a perspective corner, a band along
// an edge or a corner of the rectangle, its inside, or nothing; and the cursor that says so.
#pragma once

#include <cstdint>

#include "trim/Perspective.h"
#include "trim/TrimMode.h"

struct TrimHit {
    HandleKind kind = HandleKind::None;
    std::int32_t cursorId = 0;
    bool operator==(const TrimHit&) const = default;
};

// Handles are bands this many view pixels wide inside the rectangle's edges; a perspective corner is
// hit within this distance of its handle.
constexpr std::int32_t kHandleBand = 7;
constexpr std::int32_t kCornerReach = 7;

// `screen` is the rectangle in view pixels; `corners` the perspective handles (top-left, top-right,
// bottom-left, bottom-right), or null when there are none.
TrimHit HitTrim(const TrimRect& screen, const TrimPoint* corners, std::int32_t x, std::int32_t y);
