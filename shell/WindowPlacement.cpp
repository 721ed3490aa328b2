#include "shell/WindowPlacement.h"

namespace {

// One axis: [start, start + size) inside [low, high).
void clampAxis(std::int64_t& start, std::int64_t& size, std::int64_t low, std::int64_t high) {
    if (size > high - low) size = high - low;
    if (start > high - size) start = high - size;
    if (start < low) start = low;
}

}  // namespace

ScreenRect ClampToWorkArea(const ScreenRect& window, const ScreenRect& work) {
    std::int64_t x = window.left, y = window.top;
    std::int64_t w = std::int64_t{window.right} - window.left, h = std::int64_t{window.bottom} - window.top;
    clampAxis(x, w, work.left, work.right);
    clampAxis(y, h, work.top, work.bottom);
    return ScreenRect{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), static_cast<std::int32_t>(x + w),
                      static_cast<std::int32_t>(y + h)};
}

std::int32_t MainWindowShowCommand(bool savedMaximized, std::int32_t nCmdShow) {
    constexpr std::int32_t kShowNormal = 1, kShowMaximized = 3, kShowMinNoActive = 7;
    return savedMaximized && nCmdShow != kShowMaximized && nCmdShow != kShowMinNoActive ? kShowMaximized
                                                                                         : kShowNormal;
}
