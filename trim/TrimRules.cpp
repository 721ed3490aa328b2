#include "trim/TrimRules.h"

#include <algorithm>
#include <cmath>

#include "trim/ViewGeometry.h"

namespace {

std::int32_t clampTo(std::int32_t value, std::int32_t low, std::int32_t high) {
    return std::max(low, std::min(value, high));
}

std::int32_t roundToInt(double value) { return static_cast<std::int32_t>(std::round(value)); }

// The span of the axis that follows a new width (or height): `needed` pixels centred on `centre`,
// pushed back inside `limit`. False when it cannot fit.
bool followingSpan(double needed, std::int32_t centre, std::int32_t limit, std::int32_t& low, std::int32_t& high) {
    if (needed > limit) return false;
    const std::int32_t size = roundToInt(needed);
    low = (size >> 1) + centre - size;
    high = centre + (size >> 1) - 1;
    if (low < 0) {
        low = 0;
        high = size - 1;
    }
    if (high >= limit) {
        low += limit - high - 1;
        high = limit - 1;
    }
    return low >= 0;
}

}  // namespace

OutputRatio RatioOf(std::int32_t trimWidth, std::int32_t trimHeight) {
    return OutputRatio{std::max(1, trimWidth), std::max(1, trimHeight), trimWidth >= trimHeight};
}

std::int32_t SideOf(const TrimRect& r, Side side) {
    switch (side) {
    case Side::Left: return r.left;
    case Side::Top: return r.top;
    case Side::Right: return r.right;
    case Side::Bottom: return r.bottom;
    }
    return r.bottom;
}

void SetSide(TrimRect& r, Side side, std::int32_t value) {
    switch (side) {
    case Side::Left: r.left = value; break;
    case Side::Top: r.top = value; break;
    case Side::Right: r.right = value; break;
    case Side::Bottom: r.bottom = value; break;
    }
}

TrimPoint CentreOf(const TrimRect& r) { return {(r.left + r.right) >> 1, (r.top + r.bottom) >> 1}; }

TrimPoint SplitByRatio(const OutputRatio& ratio, std::int64_t sum) {
    std::int64_t width, height;
    if (ratio.wide) {
        height = RoundDiv((sum + 2) * ratio.height, ratio.width + ratio.height);
        width = height * ratio.width / ratio.height;
    } else {
        width = RoundDiv((sum + 2) * ratio.width, ratio.width + ratio.height);
        height = width * ratio.height / ratio.width;
    }
    return {static_cast<std::int32_t>(width - 1), static_cast<std::int32_t>(height - 1)};
}

BandSize RubberBandSize(const OutputRatio& ratio, std::int64_t sum) {
    BandSize band;
    if (ratio.wide) {
        band.height = RoundDiv(sum * ratio.height, ratio.width + ratio.height);
        band.width = band.height * ratio.width / ratio.height;
    } else {
        band.width = RoundDiv(sum * ratio.width, ratio.width + ratio.height);
        band.height = band.width * ratio.height / ratio.width;
    }
    return band;
}

std::int32_t ClampSide(const TrimRect& r, Side side, std::int32_t value, std::int32_t imageWidth,
                       std::int32_t imageHeight) {
    switch (side) {
    case Side::Left: return clampTo(value, 0, r.right);
    case Side::Top: return clampTo(value, 0, r.bottom);
    case Side::Right: return clampTo(value, r.left, imageWidth - 1);
    case Side::Bottom: return clampTo(value, r.top, imageHeight - 1);
    }
    return value;
}

std::optional<TrimRect> KeepRatio(const TrimRect& r, Side side, std::int32_t value, TrimPoint centre,
                                  std::int32_t imageWidth, std::int32_t imageHeight, const OutputRatio& ratio) {
    const bool across = horizontal(side);
    std::int32_t low, high;
    bool fits;
    if (across) {
        const std::int32_t newWidth = side == Side::Left ? r.right - value + 1 : value - r.left + 1;
        const double needed = static_cast<double>(newWidth) * ratio.height / ratio.width;
        fits = followingSpan(needed, centre.y, imageHeight, low, high);
    } else {
        const std::int32_t newHeight = side == Side::Top ? r.bottom - value + 1 : value - r.top + 1;
        const double needed = static_cast<double>(newHeight) * ratio.width / ratio.height;
        fits = followingSpan(needed, centre.x, imageWidth, low, high);
    }
    if (!fits) return std::nullopt;
    TrimRect out = r;
    SetSide(out, side, value);
    const Side lowSide = across ? Side::Top : Side::Left;
    const Side highSide = across ? Side::Bottom : Side::Right;
    const std::int32_t limit = across ? imageHeight : imageWidth;
    // The low side may not pass the high side as it stood.
    const std::int32_t newLow = std::min(low, SideOf(r, highSide));
    SetSide(out, lowSide, newLow);
    SetSide(out, highSide, high >= newLow ? std::min(high, limit - 1) : newLow);
    return out;
}

TrimRect RefitToRatio(const TrimRect& r, std::int32_t width, std::int32_t height, const OutputRatio& ratio) {
    const TrimPoint s = SplitByRatio(ratio, std::int64_t{r.right - r.left} + (r.bottom - r.top));
    std::int32_t w = s.x + 1, h = s.y + 1;
    if (w > width) {
        w = width;
        h = roundToInt(static_cast<double>(width) / ratio.width * ratio.height);
    }
    if (h > height) {
        h = height;
        w = roundToInt(static_cast<double>(height) / ratio.height * ratio.width);
    }
    // An extreme ratio can round a side to nothing; the rectangle keeps at least one pixel.
    w = clampTo(w, 1, width);
    h = clampTo(h, 1, height);
    TrimRect n;
    n.left = clampTo(r.left + ((r.right - r.left + 1 - w + 1) >> 1), 0, width - w);
    n.right = n.left + w - 1;
    n.top = clampTo(r.top + ((r.bottom - r.top + 1 - h + 1) >> 1), 0, height - h);
    n.bottom = n.top + h - 1;
    return n;
}

TrimRect LargestCentred(std::int32_t width, std::int32_t height, const OutputRatio& ratio) {
    const double across = static_cast<double>(width) / ratio.width;
    const double down = static_cast<double>(height) / ratio.height;
    std::int32_t w, h;
    if (down > across) {
        w = width;
        h = roundToInt(ratio.height * across);
    } else {
        w = roundToInt(ratio.width * down);
        h = height;
    }
    w = clampTo(w, 1, width);
    h = clampTo(h, 1, height);
    const std::int32_t left = (width - w) >> 1, top = (height - h) >> 1;
    return {left, top, left + w - 1, top + h - 1};
}

std::int32_t MovedEdge(std::int32_t origin, std::int32_t delta, std::int32_t extent, std::int32_t limit) {
    return clampTo(origin + delta, 0, limit - extent - 1);
}

TrimRect RectForRequest(const TrimRect& wanted, std::int32_t width, std::int32_t height, const OutputRatio& ratio) {
    TrimRect r = LargestCentred(width, height, ratio);
    // A side as the box takes it: clamped, and refused when the ratio cannot follow.
    auto set = [&](Side side, std::int32_t value) {
        const std::int32_t v = ClampSide(r, side, value, width, height);
        if (v == SideOf(r, side)) return;
        if (const auto next = KeepRatio(r, side, v, CentreOf(r), width, height, ratio)) r = *next;
    };
    const std::int32_t left = clampTo(wanted.left, 0, width - 1);
    // Shrink first, so the other edge never asks for more height than the image has.
    if (left >= r.left) {
        set(Side::Left, left);
        set(Side::Right, wanted.right);
    } else {
        set(Side::Right, wanted.right);
        set(Side::Left, left);
    }
    const std::int32_t extent = r.bottom - r.top;
    std::int32_t top = std::max(wanted.top, 0);
    if (top > height - extent - 1) top = height - extent - 1;
    r.top = top;
    r.bottom = top + extent;
    return r;
}
