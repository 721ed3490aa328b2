// The reduction's frame: the work buffer, the count of distinct colours in a presence bitmap, and
// the choice between an exact palette and median cut.
#include "codecs/ColorReducer.h"

#include <cstring>

#include "codecs/ColorReduction.h"
#include "codecs/ImageData.h"
#include "platform/platform.h"

void setGeometry(ColorReducer& reducer, std::uint32_t width, std::uint32_t height, std::uint32_t sourceDepth,
                 std::uint32_t targetDepth) {
    reducer.width = width;
    reducer.height = height;
    reducer.sourceDepth = sourceDepth;
    reducer.targetDepth = targetDepth;
    reducer.sourceRowBytes = width * (sourceDepth / 8);
    reducer.targetStride = rowStride(width, targetDepth);
    reducer.workStride = width * 4;
    const std::uint64_t bytes = std::uint64_t{reducer.targetStride} * height;
    reducer.targetByteCount = bytes > 0xFFFFFFFFull ? 0 : static_cast<std::uint32_t>(bytes);
}

bool reduceToPalette(ColorReducer& r, const RGBQUAD* sourcePalette, const std::uint8_t* sourcePixels,
                     RGBQUAD* targetPalette, std::uint8_t* targetPixels) {
    r.sourcePalette = sourcePalette;
    r.sourcePixels = sourcePixels;
    r.targetPixels = targetPixels;
    std::memset(r.targetPalette, 0, sizeof r.targetPalette);
    if (!sourcePixels || !targetPixels || r.targetDepth < 1 || r.targetDepth > 8) return false;
    if (r.width == 0 || r.height == 0 || r.width > (1u << 30) - 1) return false;
    const std::uint64_t workBytes = std::uint64_t{r.width} * 4 * r.height;
    if (workBytes > 0xFFFFFFFBull) return false;
    r.workStride = r.width * 4;
    r.workBuffer = static_cast<std::uint32_t*>(platform::pageAlloc(static_cast<std::size_t>(workBytes) + 4));
    if (!r.workBuffer) return false;

    // One 4-byte slot per pixel, so a colour is one load and one compare.
    const std::uint32_t srcStride = rowStride(r.width, 24);
    for (std::uint32_t y = 0; y < r.height; ++y) {
        const std::uint8_t* s = sourcePixels + std::size_t{y} * srcStride;
        std::uint32_t* d = r.workBuffer + std::size_t{y} * r.width;
        for (std::uint32_t x = 0; x < r.width; ++x, s += 3) d[x] = s[0] | s[1] << 8 | s[2] << 16;
    }
    const std::size_t pixelCount = std::size_t{r.width} * r.height;

    bool ok = false;
    std::uint64_t* seen = static_cast<std::uint64_t*>(platform::pageAlloc((1u << 24) / 8 + 4));
    if (seen) {
        // Past n colours the count no longer matters (median cut follows), so counting stops.
        const std::uint32_t n = 1u << r.targetDepth;
        std::uint32_t count = 0;
        for (std::size_t p = 0; p < pixelCount && count <= n; ++p) {
            const std::uint32_t c = r.workBuffer[p];
            std::uint64_t& word = seen[c >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (c & 63);
            if (!(word & bit)) {
                word |= bit;
                ++count;
            }
        }
        if (count > 0) {
            try {
                if (count <= n) {
                    ok = reduction::exactPalette(r, count, seen, pixelCount, targetPixels);
                } else if (reduction::medianCutPalette(r, pixelCount)) {
                    reduction::mapToNearest(r, pixelCount, targetPixels);
                    ok = true;
                }
            } catch (...) {
                ok = false;  // allocation failure inside the reduction
            }
        }
        platform::pageFree(seen);
    }
    platform::pageFree(r.workBuffer);
    r.workBuffer = nullptr;
    if (ok && targetPalette != r.targetPalette) std::memcpy(targetPalette, r.targetPalette, sizeof r.targetPalette);
    return ok;
}
