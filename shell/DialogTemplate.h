// Dialog layouts come from the language module as extended templates (DLGTEMPLATEEX). The program
// copies a template and sets its point size before it creates the dialog, so it walks the template
// to find the size of the copy and the point-size field; the walk never leaves the resource.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

constexpr std::uint32_t kDialogSetFont = 0x40;  // DS_SETFONT

struct DialogItemInfo {
    std::uint32_t id;
    std::uint32_t style;
    std::uint32_t exStyle;
    std::int16_t x, y, cx, cy;
    std::uint16_t classOrdinal;  // 0x0080 button ... 0x0085 combo box; 0 when the class is named
    const char16_t* className;   // the named class (not terminated in the resource's own order), or null
    std::size_t classNameLength;
    std::uint16_t extraBytes;  // creation data; the language modules carry none
};

struct DialogTemplateInfo {
    std::size_t size = 0;             // bytes from the start to the end of the last item
    std::size_t pointSizeOffset = 0;  // byte offset of the point-size field
    std::uint32_t style = 0;
    std::uint16_t itemCount = 0;
    std::int16_t cx = 0, cy = 0;
};

// Walks an extended template of `size` bytes. False when it is not an extended template, has no
// DS_SETFONT, or runs past its end. `visit` sees every item in order.
bool walkDialogTemplate(const void* data, std::size_t size, DialogTemplateInfo& info,
                        const std::function<void(const DialogItemInfo&)>& visit = {});

// The dialog type size: 11 points with `largeDialogFont`, else 9.
inline std::uint16_t dialogPointSize(bool largeDialogFont) { return largeDialogFont ? 11 : 9; }
