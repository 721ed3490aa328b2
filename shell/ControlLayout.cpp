#include "shell/ControlLayout.h"

LayoutPoint menuItemSize(std::int32_t textWidth, std::int32_t textHeight, std::int32_t lineHeight) {
    return {textWidth + 14, (textHeight > lineHeight ? textHeight : lineHeight) + 6};
}

LayoutRect menuItemTextRect(const LayoutRect& item) {
    return {item.left + 15, item.top, item.right - 4, item.bottom};
}

void checkMarkPoints(const LayoutRect& item, LayoutPoint out[4]) {
    const std::int32_t top = item.top + (item.bottom - item.top - 9) / 2;
    out[0] = {item.left + 3, top + 4};
    out[1] = {item.left + 7, top + 8};
    out[2] = {item.left + 11, top + 4};
    out[3] = {item.left + 7, top};
}

std::int32_t centredTextTop(const LayoutRect& rect, std::int32_t textHeight) {
    return rect.top + (rect.bottom - rect.top - textHeight) / 2;
}

LayoutPoint dialogUnderButton(const LayoutRect& button, std::int32_t viewTop, std::int32_t width, std::int32_t height,
                              const LayoutRect& workArea) {
    LayoutPoint at{(button.left + button.right) / 2 - width / 2, viewTop};
    if (at.x + width > workArea.right) at.x = workArea.right - width;
    if (at.y + height > workArea.bottom) at.y = workArea.bottom - height;
    if (at.x < workArea.left) at.x = workArea.left;
    if (at.y < workArea.top) at.y = workArea.top;
    return at;
}
