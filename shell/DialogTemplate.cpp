#include "shell/DialogTemplate.h"

#include <cstring>

namespace {

struct Walker {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    bool ok = true;

    bool need(std::size_t n) {
        if (!ok || n > size - at) ok = false;
        return ok;
    }
    std::uint16_t u16() {
        if (!need(2)) return 0;
        std::uint16_t v;
        std::memcpy(&v, data + at, 2);
        at += 2;
        return v;
    }
    std::uint32_t u32() {
        if (!need(4)) return 0;
        std::uint32_t v;
        std::memcpy(&v, data + at, 4);
        at += 4;
        return v;
    }
    void skip(std::size_t n) {
        if (need(n)) at += n;
    }
    // A terminated UTF-16 string; returns its length in characters.
    std::size_t string() {
        std::size_t n = 0;
        while (ok && u16() != 0) ++n;
        return n;
    }
    // A field that is 0 (nothing), 0xFFFF followed by an ordinal, or a terminated string.
    std::uint16_t nameOrOrdinal(const char16_t** name = nullptr, std::size_t* length = nullptr) {
        const std::size_t start = at;
        const std::uint16_t first = u16();
        if (first == 0xFFFF) return u16();
        if (first == 0) return 0;
        at = start;
        const std::size_t n = string();
        if (name) *name = reinterpret_cast<const char16_t*>(data + start);
        if (length) *length = n;
        return 0;
    }
    void alignTo4() { skip((4 - (at & 3)) & 3); }
};

}  // namespace

bool walkDialogTemplate(const void* data, std::size_t size, DialogTemplateInfo& info,
                        const std::function<void(const DialogItemInfo&)>& visit) {
    info = DialogTemplateInfo{};
    if (!data) return false;
    Walker w{static_cast<const std::uint8_t*>(data), size};
    const std::uint16_t version = w.u16();
    const std::uint16_t signature = w.u16();
    if (!w.ok || version != 1 || signature != 0xFFFF) return false;
    w.skip(8);  // help identifier, extended style
    const std::uint32_t style = w.u32();
    const std::uint16_t count = w.u16();
    w.skip(4);  // x, y
    const std::int16_t cx = static_cast<std::int16_t>(w.u16());
    const std::int16_t cy = static_cast<std::int16_t>(w.u16());
    w.nameOrOrdinal();  // menu
    w.nameOrOrdinal();  // class
    w.string();         // title
    if (!w.ok || !(style & kDialogSetFont)) return false;
    const std::size_t pointSizeOffset = w.at;
    w.skip(6);  // point size, weight, italic, charset
    w.string();  // face
    for (std::uint16_t i = 0; i < count && w.ok; ++i) {
        w.alignTo4();
        DialogItemInfo item{};
        w.skip(4);  // help identifier
        item.exStyle = w.u32();
        item.style = w.u32();
        item.x = static_cast<std::int16_t>(w.u16());
        item.y = static_cast<std::int16_t>(w.u16());
        item.cx = static_cast<std::int16_t>(w.u16());
        item.cy = static_cast<std::int16_t>(w.u16());
        item.id = w.u32();
        item.classOrdinal = w.nameOrOrdinal(&item.className, &item.classNameLength);
        w.nameOrOrdinal();  // title: text, or an ordinal for an image
        item.extraBytes = w.u16();
        // Creation data would otherwise be read as the next item.
        w.skip(item.extraBytes);
        if (w.ok && visit) visit(item);
    }
    if (!w.ok) return false;
    info.size = w.at;
    info.pointSizeOffset = pointSizeOffset;
    info.style = style;
    info.itemCount = count;
    info.cx = cx;
    info.cy = cy;
    return true;
}
