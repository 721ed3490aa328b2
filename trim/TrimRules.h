// The rules that hold the trim rectangle at the output's aspect ratio, as pure functions of values:
// no editor, no view, no boxes. The trim model applies their results through its number boxes;
// vantle-cli calls them directly.
#pragma once

#include <cstdint>
#include <optional>

#include "trim/Perspective.h"

// The output size the rectangle keeps the ratio of. `wide` (width >= height) decides which side is
// derived from the other; the model refreshes it only when a trim starts and when the output size
// changes, so it travels with the sizes instead of being recomputed.
struct OutputRatio {
    std::int32_t width = 1;  // at least 1
    std::int32_t height = 1;
    bool wide = true;
};
// The ratio of an output size; a zero or negative size from an unchecked source counts as 1.
OutputRatio RatioOf(std::int32_t trimWidth, std::int32_t trimHeight);

// A side of the rectangle: the four number boxes.
enum class Side { Left, Top, Right, Bottom };
std::int32_t SideOf(const TrimRect& rect, Side side);
void SetSide(TrimRect& rect, Side side, std::int32_t value);
constexpr bool horizontal(Side side) { return side == Side::Left || side == Side::Right; }
// The centre ((left + right) >> 1, (top + bottom) >> 1).
TrimPoint CentreOf(const TrimRect& rect);

// (width - 1, height - 1) at the ratio for sum = (width - 1) + (height - 1).
TrimPoint SplitByRatio(const OutputRatio& ratio, std::int64_t sum);
// The rubber band's width and height for the Manhattan sum of its sides (+ 2).
struct BandSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};
BandSize RubberBandSize(const OutputRatio& ratio, std::int64_t sum);

// A value typed into a side's box, clamped against the opposite side and the image.
std::int32_t ClampSide(const TrimRect& rect, Side side, std::int32_t value, std::int32_t imageWidth,
                       std::int32_t imageHeight);

// The side `side` moves to `value` and the other axis follows at the ratio, centred on `centre`
// (its y for a horizontal side, its x for a vertical one) and pushed back inside the image. The whole
// new rectangle, or nothing when the ratio cannot be kept inside the image.
std::optional<TrimRect> KeepRatio(const TrimRect& rect, Side side, std::int32_t value, TrimPoint centre,
                                  std::int32_t imageWidth, std::int32_t imageHeight, const OutputRatio& ratio);

// The rectangle takes a new ratio around its centre, shrunk to fit the image, at least 1 x 1.
TrimRect RefitToRatio(const TrimRect& rect, std::int32_t imageWidth, std::int32_t imageHeight,
                      const OutputRatio& ratio);

// The largest rectangle of the ratio, centred in the image.
TrimRect LargestCentred(std::int32_t imageWidth, std::int32_t imageHeight, const OutputRatio& ratio);

// The left or top edge of a rectangle of `extent` + 1 pixels moved by `delta` from `origin`, kept
// inside `limit` pixels.
std::int32_t MovedEdge(std::int32_t origin, std::int32_t delta, std::int32_t extent, std::int32_t limit);

// The rectangle as asked for by L,T,R,B: the largest centred one first, its left and right then
// set as the number boxes would take them (so the ratio holds and the rectangle stays inside the
// image), and moved vertically so that its top is the asked top, within the image.
TrimRect RectForRequest(const TrimRect& wanted, std::int32_t imageWidth, std::int32_t imageHeight,
                        const OutputRatio& ratio);
