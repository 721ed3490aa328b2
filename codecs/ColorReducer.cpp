#include "codecs/ColorReducer.h"

#include <cstring>
#include <vector>

#include "codecs/ImageData.h"
#include "platform/platform.h"

namespace {

inline std::uint32_t channel(std::uint32_t bgr0, int c) { return (bgr0 >> (8 * c)) & 0xFF; }

}  // namespace

void computeBox(MedianCutBox& box, const std::uint32_t* work, const std::uint32_t* index) {
    std::uint32_t histogram[3][256];
    std::memset(histogram, 0, sizeof histogram);
    std::uint32_t minimum[3] = {255, 255, 255};
    std::uint32_t maximum[3] = {0, 0, 0};
    // The entry at start always counts, even for a box that ends before it starts.
    std::int64_t i = box.start;
    do {
        const std::uint32_t px = work[index[i]];
        for (int c = 0; c < 3; ++c) {
            const std::uint32_t v = channel(px, c);
            ++histogram[c][v];
            if (v < minimum[c]) minimum[c] = v;
            if (v > maximum[c]) maximum[c] = v;
        }
        ++i;
    } while (i <= box.end);

    const std::int64_t half = (box.end - box.start + 1) / 2;
    std::uint32_t median[3];
    for (int c = 0; c < 3; ++c) {
        std::int64_t cumulative = 0;
        std::uint32_t level = 0;
        for (; level < 255; ++level) {
            cumulative += histogram[c][level];
            if (cumulative > half) break;
        }
        median[c] = level;
    }
    const std::int64_t rB = std::int64_t{maximum[0]} - minimum[0];
    const std::int64_t rG = 2 * (std::int64_t{maximum[1]} - minimum[1]);
    const std::int64_t rR = (3 * (std::int64_t{maximum[2]} - minimum[2])) / 2;
    if ((rR > rG ? rR : rG) < rB) {
        box.splitChannel = 0;
        box.priority = rB;
    } else if (rR >= rG) {
        box.splitChannel = 2;
        box.priority = rR;
    } else {
        box.splitChannel = 1;
        box.priority = rG;
    }
    box.splitValue = median[box.splitChannel];
    box.splitMaximum = maximum[box.splitChannel];
    box.colour = median[0] | median[1] << 8 | median[2] << 16;
}

namespace {
using Box = MedianCutBox;

bool exactPalette(ColorReducer& r, std::uint32_t count, std::uint64_t* seen, std::size_t pixelCount,
                  std::uint8_t* targetPixels) {
    std::vector<std::uint32_t> colours;
    colours.reserve(count);
    // First occurrence order, from the bottom row up: each colour's presence bit is cleared when it
    // is first met, so the counting bitmap serves again.
    for (std::size_t p = 0; p < pixelCount && colours.size() < count; ++p) {
        const std::uint32_t c = r.workBuffer[p] & 0xFFFFFF;
        std::uint64_t& word = seen[c >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (c & 63);
        if (word & bit) {
            word &= ~bit;
            colours.push_back(c);
        }
    }
    // Selection sort on blue + green + red; not stable, and the palette order depends on that.
    auto sum = [](std::uint32_t c) { return channel(c, 0) + channel(c, 1) + channel(c, 2); };
    for (std::size_t j = 0; j < colours.size(); ++j) {
        std::size_t best = j;
        for (std::size_t k = j + 1; k < colours.size(); ++k)
            if (sum(colours[k]) < sum(colours[best])) best = k;
        std::swap(colours[j], colours[best]);
    }
    std::memset(r.targetPalette, 0, sizeof r.targetPalette);
    for (std::size_t j = 0; j < colours.size(); ++j)
        r.targetPalette[j] = RGBQUAD{static_cast<BYTE>(channel(colours[j], 0)), static_cast<BYTE>(channel(colours[j], 1)),
                                     static_cast<BYTE>(channel(colours[j], 2)), 0};
    // Each pixel's index is the first palette entry of its colour; all 256 entries take part, so
    // the zero entries behind the colours never win over an earlier black.
    constexpr std::uint32_t kSlots = 1024;
    std::uint32_t keys[kSlots];
    std::uint8_t values[kSlots];
    std::memset(keys, 0xFF, sizeof keys);
    auto slotOf = [&](std::uint32_t c) {
        std::uint32_t slot = (c * 2654435761u) >> 22;
        while (keys[slot] != 0xFFFFFFFFu && keys[slot] != c) slot = (slot + 1) & (kSlots - 1);
        return slot;
    };
    for (std::uint32_t j = 0; j < 256; ++j) {
        const RGBQUAD& q = r.targetPalette[j];
        const std::uint32_t c = q.rgbBlue | q.rgbGreen << 8 | q.rgbRed << 16;
        const std::uint32_t slot = slotOf(c);
        if (keys[slot] == 0xFFFFFFFFu) {
            keys[slot] = c;
            values[slot] = static_cast<std::uint8_t>(j);
        }
    }
    for (std::size_t p = 0; p < pixelCount; ++p) targetPixels[p] = values[slotOf(r.workBuffer[p] & 0xFFFFFF)];
    return true;
}

bool medianCut(ColorReducer& r, std::size_t pixelCount, std::uint8_t* targetPixels) {
    const std::uint32_t n = 1u << r.targetDepth;
    for (int d = -255; d <= 255; ++d) r.squares[d + 255] = d * d;
    if (pixelCount == 0 || pixelCount >= (1u << 30)) return false;
    std::vector<std::uint32_t> index;
    try {
        index.resize(pixelCount + 1);
    } catch (...) {
        return false;
    }
    for (std::size_t i = 0; i < pixelCount; ++i) index[i] = static_cast<std::uint32_t>(i);
    index[pixelCount] = 0;

    std::vector<Box> boxes(n);
    boxes[0].start = 0;
    boxes[0].end = static_cast<std::int64_t>(pixelCount) - 1;
    computeBox(boxes[0], r.workBuffer, index.data());
    for (std::uint32_t made = 1; made < n; ++made) {
        std::uint32_t chosen = 0;
        for (std::uint32_t b = 1; b < made; ++b)
            if (boxes[b].priority > boxes[chosen].priority) chosen = b;
        Box& box = boxes[chosen];
        const std::uint32_t t = box.splitValue == box.splitMaximum ? box.splitValue - 1 : box.splitValue;
        const int c = box.splitChannel;
        std::int64_t k = box.start;
        std::int64_t l = box.end;
        while (k < l) {
            if (channel(r.workBuffer[index[k]], c) > t) {
                std::swap(index[k], index[l]);
                --l;
            } else {
                ++k;
            }
        }
        Box& added = boxes[made];
        added.start = l + 1;
        added.end = box.end;
        box.end = l;
        computeBox(added, r.workBuffer, index.data());
        computeBox(box, r.workBuffer, index.data());
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t c = boxes[i].colour;
        r.targetPalette[i] = RGBQUAD{static_cast<BYTE>(channel(c, 0)), static_cast<BYTE>(channel(c, 1)),
                                     static_cast<BYTE>(channel(c, 2)), 0};
    }

    // Nearest entry by squared distance, first on ties. Pixels repeat colours, so a small
    // direct-mapped cache of earlier answers saves most of the searches without changing them.
    constexpr std::uint32_t kCacheSize = 1u << 14;
    std::vector<std::uint32_t> cacheKey(kCacheSize, 0xFFFFFFFFu);
    std::vector<std::uint8_t> cacheValue(kCacheSize, 0);
    const std::int32_t* sq = r.squares + 255;
    for (std::size_t p = 0; p < pixelCount; ++p) {
        const std::uint32_t px = r.workBuffer[p] & 0xFFFFFF;
        const std::uint32_t slot = (px * 2654435761u) >> 18;
        if (cacheKey[slot] == px) {
            targetPixels[p] = cacheValue[slot];
            continue;
        }
        const int b = static_cast<int>(channel(px, 0)), g = static_cast<int>(channel(px, 1)),
                  rr = static_cast<int>(channel(px, 2));
        std::int32_t best = 0x7FFFFFFF;
        std::uint32_t bestIndex = 0;
        for (std::uint32_t i = 0; i < n; ++i) {
            const RGBQUAD& q = r.targetPalette[i];
            const std::int32_t d = sq[b - q.rgbBlue] + sq[g - q.rgbGreen] + sq[rr - q.rgbRed];
            if (d < best) {
                best = d;
                bestIndex = i;
            }
        }
        cacheKey[slot] = px;
        cacheValue[slot] = static_cast<std::uint8_t>(bestIndex);
        targetPixels[p] = static_cast<std::uint8_t>(bestIndex);
    }
    return true;
}

}  // namespace

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
        std::uint32_t count = 0;
        for (std::size_t p = 0; p < pixelCount; ++p) {
            const std::uint32_t c = r.workBuffer[p];
            std::uint64_t& word = seen[c >> 6];
            const std::uint64_t bit = std::uint64_t{1} << (c & 63);
            if (!(word & bit)) {
                word |= bit;
                ++count;
            }
        }
        const std::uint32_t n = 1u << r.targetDepth;
        if (count > 0) {
            try {
                ok = count <= n ? exactPalette(r, count, seen, pixelCount, targetPixels)
                                : medianCut(r, pixelCount, targetPixels);
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
