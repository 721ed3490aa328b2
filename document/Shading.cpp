#include "document/Shading.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "codecs/ImageData.h"

namespace {

// The rectangle clamped into the image; `inside` false when nothing of it lies there.
struct Span {
    bool inside = false;
    std::int32_t left = 0, top = 0, right = -1, bottom = -1;
    bool coversRow(std::int32_t y) const { return inside && y >= top && y <= bottom; }
};

Span clampRect(const TrimRect& r, std::int32_t width, std::int32_t height) {
    Span s;
    s.left = std::max(r.left, 0);
    s.top = std::max(r.top, 0);
    s.right = std::min(r.right, width - 1);
    s.bottom = std::min(r.bottom, height - 1);
    s.inside = s.left <= s.right && s.top <= s.bottom;
    return s;
}

void shadeBytes(const std::uint8_t* from, std::uint8_t* to, std::size_t n, const std::uint8_t table[256]) {
    for (std::size_t i = 0; i < n; ++i) to[i] = table[from[i]];
}

// Pixels x0 ... x1 of one row as the rectangle `now` wants them.
void rewritePixels(const std::uint8_t* from, std::uint8_t* to, std::int32_t x0, std::int32_t x1, const Span& now,
                   bool rowInside, const std::uint8_t table[256]) {
    if (x0 > x1) return;
    std::int32_t copyFrom = x1 + 1, copyTo = x1;  // empty unless the row crosses the rectangle
    if (rowInside) {
        copyFrom = std::max(x0, now.left);
        copyTo = std::min(x1, now.right);
    }
    if (copyFrom > copyTo) {
        shadeBytes(from + 3 * x0, to + 3 * x0, std::size_t(x1 - x0 + 1) * 3, table);
        return;
    }
    shadeBytes(from + 3 * x0, to + 3 * x0, std::size_t(copyFrom - x0) * 3, table);
    std::memcpy(to + 3 * copyFrom, from + 3 * copyFrom, std::size_t(copyTo - copyFrom + 1) * 3);
    shadeBytes(from + 3 * (copyTo + 1), to + 3 * (copyTo + 1), std::size_t(x1 - copyTo) * 3, table);
}

bool usable(const ShadeImage& image) {
    return image.base && image.shaded && image.width > 0 && image.height > 0 && rowStride(image.width, 24) != 0;
}

}  // namespace

ShadeImage ShadeImageOf(const Document& d, const std::uint8_t* rectified) {
    return ShadeImage{rectified ? rectified : d.sourcePixels, d.shadedPixels, d.header.biWidth, d.header.biHeight};
}

void RebuildShading(const ShadeImage& image, const TrimRect& rect, const std::uint8_t table[256]) {
    if (!usable(image)) return;
    const std::size_t stride = rowStride(image.width, 24);
    const Span now = clampRect(rect, image.width, image.height);
    for (std::int32_t row = 0; row < image.height; ++row) {
        const std::int32_t y = image.height - 1 - row;  // rows are stored bottom-up
        const std::uint8_t* from = image.base + stride * row;
        std::uint8_t* to = image.shaded + stride * row;
        rewritePixels(from, to, 0, image.width - 1, now, now.coversRow(y), table);
    }
}

void Reshade(ShadeState& state, const ShadeImage& image, const TrimRect& rect, const std::uint8_t table[256]) {
    if (!usable(image)) return;
    if (!state.valid || state.base != image.base || state.width != image.width || state.height != image.height ||
        std::memcmp(state.table, table, 256) != 0) {
        RebuildShading(image, rect, table);
    } else if (!(state.rect == rect)) {
        const std::size_t stride = rowStride(image.width, 24);
        const Span before = clampRect(state.rect, image.width, image.height);
        const Span now = clampRect(rect, image.width, image.height);
        // Rows outside both rectangles are shaded before and after.
        std::int32_t first = image.height, last = -1;
        for (const Span* s : {&before, &now}) {
            if (!s->inside) continue;
            first = std::min(first, s->top);
            last = std::max(last, s->bottom);
        }
        for (std::int32_t y = first; y <= last; ++y) {
            const bool wasInside = before.coversRow(y);
            const bool isInside = now.coversRow(y);
            const std::int32_t row = image.height - 1 - y;
            const std::uint8_t* from = image.base + stride * row;
            std::uint8_t* to = image.shaded + stride * row;
            if (wasInside && isInside && before.left <= now.right && now.left <= before.right) {
                // Overlapping spans: only the strips between their left edges and their right edges.
                rewritePixels(from, to, std::min(before.left, now.left), std::max(before.left, now.left) - 1, now,
                              true, table);
                rewritePixels(from, to, std::min(before.right, now.right) + 1, std::max(before.right, now.right), now,
                              true, table);
            } else {
                if (wasInside) rewritePixels(from, to, before.left, before.right, now, isInside, table);
                if (isInside) rewritePixels(from, to, now.left, now.right, now, true, table);
            }
        }
    }
    state.valid = true;
    state.base = image.base;
    state.width = image.width;
    state.height = image.height;
    state.rect = rect;
    std::memcpy(state.table, table, 256);
}

void ClearShading(ShadeState& state, const ShadeImage& image) {
    state.valid = false;
    if (!usable(image)) return;
    std::memcpy(image.shaded, image.base, std::size_t{rowStride(image.width, 24)} * image.height);
}
