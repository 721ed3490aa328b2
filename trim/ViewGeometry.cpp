#include "trim/ViewGeometry.h"

#include "trim/Identifiers.h"

#include <cstdlib>

#include <algorithm>
#include <cmath>

namespace {

std::int32_t clampTo(std::int32_t value, std::int32_t low, std::int32_t high) {
    return std::max(low, std::min(value, high));
}

std::int32_t roundToInt(double value) { return static_cast<std::int32_t>(std::round(value)); }

struct Axis {
    std::int32_t viewport, scaled, size, center;
    std::int32_t& viewPos;
    std::int32_t& viewSize;
    std::int32_t& srcPos;
    std::int32_t& srcSize;
    std::int32_t& centerOut;
};

void mapAxis(Axis a, double zoom) {
    if (a.viewport < a.scaled) {
        a.viewSize = a.viewport;
        a.viewPos = 0;
        a.srcSize = roundToInt(a.viewport / zoom);
        a.srcPos = clampTo(a.center - (a.srcSize >> 1), 0, a.size - a.srcSize);
    } else {
        a.viewSize = a.scaled;
        a.srcPos = 0;
        a.srcSize = a.size;
        a.viewPos = (a.viewport - a.scaled) >> 1;
    }
    a.centerOut = a.srcPos + (a.srcSize >> 1);
}

ScrollBarSetting shownBar(std::int32_t size, std::int32_t page, std::int32_t pos) {
    return ScrollBarSetting{true, size - 1, page, pos};
}

// The mapping divides by the shown sizes; a window squeezed to nothing shows no part of the image,
// and every point then maps to the first shown column or row.
std::int32_t toImage(std::int32_t s, std::int32_t viewPos, std::int32_t viewSize, std::int32_t srcPos,
                     std::int32_t srcSize, std::int32_t bias) {
    if (viewSize <= 0 || srcSize <= 0) return srcPos;
    const std::int64_t numerator = std::int64_t{s - viewPos} * srcSize - bias;
    return static_cast<std::int32_t>(RoundDiv(numerator, viewSize) + srcPos);
}

std::int32_t toScreen(std::int32_t i, std::int32_t edge, std::int32_t viewPos, std::int32_t viewSize,
                      std::int32_t srcPos, std::int32_t srcSize) {
    if (viewSize <= 0 || srcSize <= 0) return viewPos;
    const std::int64_t numerator = (std::int64_t{i} + edge - srcPos) * viewSize;
    return static_cast<std::int32_t>(viewPos + RoundDiv(numerator, srcSize) - edge);
}

}  // namespace

std::int64_t RoundDiv(std::int64_t numerator, std::int64_t denominator) {
    if (numerator >= 0) return (2 * numerator + denominator) / (2 * denominator);
    return -((-2 * numerator + denominator) / (2 * denominator));
}

void MapView(ViewGeometry& v) {
    mapAxis(Axis{v.viewportW, v.scaledW, v.imageWidth, v.centerX, v.viewX, v.viewW, v.srcX, v.srcW, v.centerX},
            v.zoom);
    mapAxis(Axis{v.viewportH, v.scaledH, v.imageHeight, v.centerY, v.viewY, v.viewH, v.srcY, v.srcH, v.centerY},
            v.zoom);
}

ScrollBars ScrollBarValues(const ViewGeometry& v) {
    return ScrollBars{shownBar(v.imageWidth, v.srcW, v.srcX), shownBar(v.imageHeight, v.srcH, v.srcY)};
}

ScrollBars UpdateScrollBars(ViewGeometry& v, const ViewMetrics& m) {
    bool horizontal = false;
    bool vertical = false;
    if (v.clientW < v.scaledW) {
        horizontal = true;
        v.viewportH = v.clientH - m.hScrollHeight;
        vertical = v.viewportH < v.scaledH;
        v.viewportW = vertical ? v.clientW - m.vScrollWidth : v.clientW;
    } else if (v.clientW - m.vScrollWidth < v.scaledW) {
        // The image fits across only without a vertical bar: either both bars or none.
        horizontal = vertical = v.clientH < v.scaledH;
        v.viewportW = vertical ? v.clientW - m.vScrollWidth : v.clientW;
        v.viewportH = horizontal ? v.clientH - m.hScrollHeight : v.clientH;
    } else {
        v.viewportH = v.clientH;
        vertical = v.clientH < v.scaledH;
        v.viewportW = vertical ? v.clientW - m.vScrollWidth : v.clientW;
    }
    // Mapped with no bars as well: a fitting image must still be centred in the new client area.
    MapView(v);
    ScrollBars bars;
    if (horizontal) bars.horizontal = shownBar(v.imageWidth, v.srcW, v.srcX);
    if (vertical) bars.vertical = shownBar(v.imageHeight, v.srcH, v.srcY);
    return bars;
}

void UpdateScaledSize(ViewGeometry& v) {
    v.scaledW = std::max(1, roundToInt(v.imageWidth * v.zoom));
    v.scaledH = std::max(1, roundToInt(v.imageHeight * v.zoom));
}

ScrollBars Layout(ViewGeometry& v, std::int32_t clientW, std::int32_t clientH, const ViewMetrics& m) {
    v.clientW = clientW;
    v.clientH = clientH;
    UpdateScaledSize(v);
    return UpdateScrollBars(v, m);
}

void FitZoom(ViewGeometry& v) {
    const double across = static_cast<double>(std::max(1, v.clientW)) / std::max(1, v.imageWidth);
    const double down = static_cast<double>(std::max(1, v.clientH)) / std::max(1, v.imageHeight);
    v.zoom = std::clamp(std::min(across, down), 0.01, 16.0);
    UpdateScaledSize(v);
}

ScrollBars FitNew(ViewGeometry& v, std::int32_t width, std::int32_t height, const ViewMetrics& m) {
    v.imageWidth = width;
    v.imageHeight = height;
    v.zoom = 1.0;
    v.scaledW = width;
    v.scaledH = height;
    if (width > v.clientW || height > v.clientH) FitZoom(v);
    v.panShift = (width > m.screenWidth && height > m.screenHeight) ? 1 : 0;
    v.centerX = width >> 1;
    v.centerY = height >> 1;
    return UpdateScrollBars(v, m);
}

namespace {

// The zoom a command leads to; false for commands that do not set one directly (fit) or others.
bool zoomAfter(std::int32_t command, double zoom, double& next) {
    switch (command) {
    case command::kZoomActual: next = 1.0; return true;
    case command::kZoomToggle:
        if (zoom == 1.0) return false;
        next = 1.0;
        return true;
    case command::kZoomIn: next = std::min(zoom + 0.1, 16.0); return true;
    case command::kZoomOut: next = std::max(zoom - 0.1, 0.01); return true;
    default: return false;
    }
}

}  // namespace

bool ZoomCommand(ViewGeometry& v, std::int32_t command, const ViewMetrics& m, ScrollBars& bars) {
    double next = v.zoom;
    if (command == command::kZoomFit || (command == command::kZoomToggle && v.zoom == 1.0)) {
        FitZoom(v);
    } else if (zoomAfter(command, v.zoom, next)) {
        v.zoom = next;
        UpdateScaledSize(v);
    } else {
        return false;
    }
    bars = UpdateScrollBars(v, m);
    return true;
}

bool AnchorZoom(ViewGeometry& v, std::int32_t command, std::int32_t mouseX, std::int32_t mouseY) {
    double next = 0;
    if (!zoomAfter(command, v.zoom, next)) return false;
    const double old = v.zoom;
    const std::int32_t mx = ImageX(v, mouseX, CentringBiasX(v));
    const std::int32_t my = ImageY(v, mouseY, CentringBiasY(v));
    v.centerX = static_cast<std::int32_t>(std::trunc(mx - (mx - v.centerX) * old / next + 0.5));
    v.centerY = static_cast<std::int32_t>(std::trunc(my - (my - v.centerY) * old / next + 0.5));
    return true;
}

void ScrollBy(ViewGeometry& v, std::int32_t dx, std::int32_t dy) {
    v.srcX = clampTo(v.srcX + dx, 0, v.imageWidth - v.srcW);
    v.srcY = clampTo(v.srcY + dy, 0, v.imageHeight - v.srcH);
    v.centerX = v.srcX + (v.srcW >> 1);
    v.centerY = v.srcY + (v.srcH >> 1);
}

bool ScrollRequest(ViewGeometry& v, bool vertical, std::int32_t code, std::int32_t trackPos) {
    const std::int32_t pos = vertical ? v.srcY : v.srcX;
    const std::int32_t page = vertical ? v.srcH : v.srcW;
    const std::int32_t size = vertical ? v.imageHeight : v.imageWidth;
    std::int32_t target;
    // The scroll bar's request codes (SB_*), the same for both bars.
    enum : std::int32_t { kLineUp = 0, kLineDown = 1, kPageUp = 2, kPageDown = 3, kThumbTrack = 5, kTop = 6, kBottom = 7 };
    switch (code) {
    case kLineUp: target = pos - 20; break;
    case kLineDown: target = pos + 20; break;
    case kPageUp: target = pos - page; break;
    case kPageDown: target = pos + page; break;
    case kThumbTrack: target = trackPos; break;
    case kTop: target = 0; break;
    case kBottom: target = size - 1; break;  // nMax
    default: return false;                   // SB_THUMBPOSITION, SB_ENDSCROLL
    }
    target = clampTo(target, 0, size - page);
    if (target == pos) return false;
    if (vertical)
        ScrollBy(v, 0, target - pos);
    else
        ScrollBy(v, target - pos, 0);
    return true;
}

std::int32_t PanningCursor(const ViewGeometry& v) {
    // Per axis: 0 cannot scroll, 1 at the start, 2 in between, 3 at the end.
    auto state = [](std::int32_t pos, std::int32_t max) {
        if (max <= 0) return 0;
        if (pos <= 0) return 1;
        return pos == max ? 3 : 2;
    };
    using namespace cursor;
    static const std::int32_t cursors[4][4] = {
        // vertical: cannot, top, between, bottom
        {kArrow, kPanSouth, kPanNorthSouth, kPanNorth},                       // horizontal cannot scroll
        {kPanEast, kPanSouthEast, kPanNorthSouthEast, kPanNorthEast},         // at left
        {kPanWestEast, kPanSouthWestEast, kPanAll, kPanNorthWestEast},        // in between
        {kPanWest, kPanSouthWest, kPanNorthSouthWest, kPanNorthWest},         // at right
    };
    return cursors[state(v.srcX, v.imageWidth - v.srcW)][state(v.srcY, v.imageHeight - v.srcH)];
}

std::int32_t ImageXUnclamped(const ViewGeometry& v, std::int32_t sx, std::int32_t bias) {
    return toImage(sx, v.viewX, v.viewW, v.srcX, v.srcW, bias);
}

std::int32_t ImageYUnclamped(const ViewGeometry& v, std::int32_t sy, std::int32_t bias) {
    return toImage(sy, v.viewY, v.viewH, v.srcY, v.srcH, bias);
}

std::int32_t ImageX(const ViewGeometry& v, std::int32_t sx, std::int32_t bias) {
    return clampTo(ImageXUnclamped(v, sx, bias), 0, v.imageWidth - 1);
}

std::int32_t ImageY(const ViewGeometry& v, std::int32_t sy, std::int32_t bias) {
    return clampTo(ImageYUnclamped(v, sy, bias), 0, v.imageHeight - 1);
}

std::int32_t ScreenX(const ViewGeometry& v, std::int32_t x, std::int32_t edge) {
    return toScreen(x, edge, v.viewX, v.viewW, v.srcX, v.srcW);
}

std::int32_t ScreenY(const ViewGeometry& v, std::int32_t y, std::int32_t edge) {
    return toScreen(y, edge, v.viewY, v.viewH, v.srcY, v.srcH);
}

std::int32_t CentringBiasX(const ViewGeometry& v) { return (v.viewW - v.srcW) / 2; }
std::int32_t CentringBiasY(const ViewGeometry& v) { return (v.viewH - v.srcH) / 2; }

MouseMode RightDragMode(ViewGeometry& v, std::int32_t pressX, std::int32_t pressY, std::int32_t x,
                        std::int32_t y) {
    const std::int64_t distance = std::abs(std::int64_t{x} - pressX) + std::abs(std::int64_t{y} - pressY);
    if (distance < 9) return MouseMode::RightPressed;
    if (v.imageWidth <= v.srcW && v.imageHeight <= v.srcH) return MouseMode::RightNoPan;
    v.lastMouseX = x;
    v.lastMouseY = y;
    return MouseMode::Panning;
}

bool PanTo(ViewGeometry& v, std::int32_t x, std::int32_t y) {
    const std::int32_t dx = (v.lastMouseX - x) * (1 << v.panShift), dy = (v.lastMouseY - y) * (1 << v.panShift);
    v.lastMouseX = x;
    v.lastMouseY = y;
    const std::int32_t oldX = v.srcX, oldY = v.srcY;
    ScrollBy(v, dx, dy);
    return v.srcX != oldX || v.srcY != oldY;
}
