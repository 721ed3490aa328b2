#include "shell/ToolbarFields.h"

#include <algorithm>
#include <cmath>

#include "shell/WindowTexts.h"

namespace {

void applyZoom(ViewGeometry& view, double zoom, const ViewMetrics& metrics, ScrollBars& bars, TrimEditor* trim) {
    view.zoom = zoom;
    UpdateScaledSize(view);
    bars = UpdateScrollBars(view, metrics);
    if (trim && active(trim->trimMode)) UpdateScreenGeometry(*trim);
}

}  // namespace

void ToolbarStates(const ToolbarInputs& in, ToolbarItemState out[kToolbarItemCount]) {
    using K = ToolbarItemKind;
    const ToolbarItemState states[kToolbarItemCount] = {
        {command::kFileList, K::Button, in.fileListExists},
        {command::kZoomFit, K::Button, in.imageShown},
        {command::kZoomActual, K::Button, in.imageShown},
        {control::kZoomLabel, K::Control, in.imageShown},
        {control::kZoomBox, K::Control, in.imageShown},
        {control::kZoomSpin, K::Control, in.imageShown},
        {control::kZoomUnit, K::Control, in.imageShown},
        {command::kTrimCentre, K::Button, in.displayImageExists},
    };
    std::copy(states, states + kToolbarItemCount, out);
}

std::uint8_t ToolbarButtonState(bool enabled) { return enabled ? 0x04 : 0x10; }

bool ZoomFieldChanged(ViewGeometry& view, std::int32_t value, bool editsLive, const ViewMetrics& metrics,
                      ScrollBars& bars, TrimEditor* trim) {
    const std::int32_t percent = std::clamp(value, kZoomPercentMin, kZoomPercentMax);
    if (percent == ZoomPercent(view.zoom) || !editsLive) return false;
    applyZoom(view, percent / 100.0, metrics, bars, trim);
    return true;
}

ZoomDrag BeginZoomDrag(double zoom, std::int32_t screenX) {
    const double share = std::max(0.0, (zoom - 0.01) / 15.99);
    return ZoomDrag{screenX, static_cast<std::int32_t>(std::lround(std::sqrt(share) * kZoomDragRange))};
}

double ZoomAtDragPosition(std::int32_t p) {
    const double t = static_cast<double>(std::clamp(p, 0, kZoomDragRange)) / kZoomDragRange;
    return std::clamp(t * t * 15.99 + 0.01, 0.01, 16.0);
}

bool ZoomDragMove(const ZoomDrag& drag, std::int32_t screenX, ViewGeometry& view, const ViewMetrics& metrics,
                  ScrollBars& bars, TrimEditor* trim) {
    const std::int64_t p = std::int64_t{drag.startPos} + (std::int64_t{screenX} - drag.startX);
    const double zoom = ZoomAtDragPosition(static_cast<std::int32_t>(std::clamp<std::int64_t>(p, 0, kZoomDragRange)));
    if (zoom == view.zoom) return false;
    applyZoom(view, zoom, metrics, bars, trim);
    return true;
}

std::int32_t SizeDragValue(std::int32_t startValue, std::int32_t startX, std::int32_t screenX) {
    const std::int64_t value = std::int64_t{startValue} + (std::int64_t{screenX} - startX);
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, kOutputSizeMin, kOutputSizeMax));
}

std::uint32_t FieldTextColour(std::int32_t value, std::int32_t low, std::int32_t high, std::uint32_t normal) {
    if (value < low || value > high) return 0x5000D0;
    if (value == low || value == high) return 0xFF6000;
    return normal;
}
