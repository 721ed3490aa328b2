#include "codecs/ColorReducer.h"

#include <cstring>
#include <vector>

#include "codecs/ImageData.h"
#include "platform/platform.h"

namespace {

inline std::uint32_t channel(std::uint32_t bgr0, int c) { return (bgr0 >> (8 * c)) & 0xFF; }

}  // namespace

namespace {

// Box statistics over the colours valueAt(start) ... valueAt(end).
template <class ValueAt>
void boxStats(MedianCutBox& box, ValueAt valueAt) {
    std::uint32_t histogram[3][256];
    std::memset(histogram, 0, sizeof histogram);
    // The entry at start always counts, even for a box that ends before it starts.
    std::int64_t i = box.start;
    do {
        const std::uint32_t px = valueAt(i);
        ++histogram[0][px & 0xFF];
        ++histogram[1][px >> 8 & 0xFF];
        ++histogram[2][px >> 16 & 0xFF];
        ++i;
    } while (i <= box.end);
    // Minimum and maximum are the first and last levels in use.
    std::uint32_t minimum[3], maximum[3];
    for (int c = 0; c < 3; ++c) {
        std::uint32_t lo = 0, hi = 255;
        while (histogram[c][lo] == 0) ++lo;
        while (histogram[c][hi] == 0) --hi;
        minimum[c] = lo;
        maximum[c] = hi;
    }

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

}  // namespace

void computeBox(MedianCutBox& box, const std::uint32_t* work, const std::uint32_t* index) {
    boxStats(box, [&](std::int64_t i) { return work[index[i]]; });
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
    // The index array of the median cut is carried as the pixels' colours themselves: every
    // decision depends only on the colour at a position, so the arrangement is the same, and the
    // partition reads memory in order instead of through the indexes.
    std::vector<std::uint32_t> values;
    try {
        values.resize(pixelCount + 1);
    } catch (...) {
        return false;
    }
    std::memcpy(values.data(), r.workBuffer, pixelCount * sizeof(std::uint32_t));
    values[pixelCount] = r.workBuffer[0];  // the extra entry is pixel 0
    std::uint32_t* v = values.data();
    auto valueAt = [v](std::int64_t i) { return v[i]; };

    std::vector<Box> boxes(n);
    boxes[0].start = 0;
    boxes[0].end = static_cast<std::int64_t>(pixelCount) - 1;
    boxStats(boxes[0], valueAt);
    for (std::uint32_t made = 1; made < n; ++made) {
        std::uint32_t chosen = 0;
        for (std::uint32_t b = 1; b < made; ++b)
            if (boxes[b].priority > boxes[chosen].priority) chosen = b;
        Box& box = boxes[chosen];
        const std::uint32_t t = box.splitValue == box.splitMaximum ? box.splitValue - 1 : box.splitValue;
        const int shift = 8 * box.splitChannel;
        std::int64_t k = box.start;
        std::int64_t l = box.end;
        // Written without branches (the test is a coin toss on photos): an entry above the
        // threshold trades places with the one at l, else k moves on.
        while (k < l) {
            const std::uint32_t x = v[k], y = v[l];
            const bool above = (x >> shift & 0xFF) > t;
            v[k] = above ? y : x;
            v[l] = above ? x : y;
            l -= above;
            k += !above;
        }
        Box& added = boxes[made];
        added.start = l + 1;
        added.end = box.end;
        box.end = l;
        boxStats(added, valueAt);
        boxStats(box, valueAt);
    }
    for (std::uint32_t i = 0; i < n; ++i) {
        const std::uint32_t c = boxes[i].colour;
        r.targetPalette[i] = RGBQUAD{static_cast<BYTE>(channel(c, 0)), static_cast<BYTE>(channel(c, 1)),
                                     static_cast<BYTE>(channel(c, 2)), 0};
    }

    // Nearest entry by squared distance, first on ties. Pixels repeat colours, so a small
    // direct-mapped cache of earlier answers saves most of the searches without changing them.
    // Colour space is split into cells of 16 levels a side; each cell, when first met, keeps the
    // entries whose nearest point of the cell is no farther than the smallest farthest-point
    // distance of any entry. No other entry can be nearest to, or tie for, a colour in the cell,
    // so scanning the kept ones in index order gives the answer a scan of all entries gives.
    constexpr std::uint32_t kCacheSize = 1u << 14;
    std::vector<std::uint32_t> cacheKey(kCacheSize, 0xFFFFFFFFu);
    std::vector<std::uint8_t> cacheValue(kCacheSize, 0);
    constexpr int kCellBits = 4;
    constexpr int kCells = 256 >> kCellBits;  // per axis
    constexpr int kCellSide = 1 << kCellBits;
    constexpr std::uint32_t kNoList = 0xFFFFFFFFu;
    std::vector<std::uint32_t> cellList(kCells * kCells * kCells, kNoList);  // start of its list in `lists`
    std::vector<std::uint8_t> lists;  // per list: count - 1, then the entries
    const std::int32_t* sq = r.squares + 255;
    // Per channel and cell coordinate, each entry's squared distance to the nearest and to the
    // farthest level of the cell's range on that axis.
    std::vector<std::int32_t> axisNear(3 * kCells * 256), axisFar(3 * kCells * 256);
    for (int c = 0; c < 3; ++c)
        for (int cc = 0; cc < kCells; ++cc)
            for (std::uint32_t i = 0; i < n; ++i) {
                const RGBQUAD& q = r.targetPalette[i];
                const int level = c == 0 ? q.rgbBlue : c == 1 ? q.rgbGreen : q.rgbRed;
                const int below = level - cc * kCellSide, above = level - (cc * kCellSide + kCellSide - 1);
                const std::size_t at = std::size_t(c * kCells + cc) * 256 + i;
                axisNear[at] = below < 0 ? sq[below] : above > 0 ? sq[above] : 0;
                axisFar[at] = sq[below] > sq[above] ? sq[below] : sq[above];
            }
    auto buildList = [&](std::uint32_t cell) {
        const std::size_t ab = std::size_t(cell % kCells) * 256, ag = std::size_t(kCells + cell / kCells % kCells) * 256,
                          ar = std::size_t(2 * kCells + cell / (kCells * kCells)) * 256;
        const std::int32_t *nb = &axisNear[ab], *ng = &axisNear[ag], *nr = &axisNear[ar];
        const std::int32_t *fb = &axisFar[ab], *fg = &axisFar[ag], *fr = &axisFar[ar];
        std::int32_t nearest[256];
        std::int32_t bound = 0x7FFFFFFF;
        for (std::uint32_t i = 0; i < n; ++i) {
            nearest[i] = nb[i] + ng[i] + nr[i];
            const std::int32_t farthest = fb[i] + fg[i] + fr[i];
            bound = farthest < bound ? farthest : bound;
        }
        const std::uint32_t start = static_cast<std::uint32_t>(lists.size());
        lists.push_back(0);
        for (std::uint32_t i = 0; i < n; ++i)
            if (nearest[i] <= bound) lists.push_back(static_cast<std::uint8_t>(i));
        lists[start] = static_cast<std::uint8_t>(lists.size() - start - 2);
        cellList[cell] = start;
        return start;
    };
    for (std::size_t p = 0; p < pixelCount; ++p) {
        const std::uint32_t px = r.workBuffer[p] & 0xFFFFFF;
        const std::uint32_t slot = (px * 2654435761u) >> 18;
        if (cacheKey[slot] == px) {
            targetPixels[p] = cacheValue[slot];
            continue;
        }
        const int b = static_cast<int>(channel(px, 0)), g = static_cast<int>(channel(px, 1)),
                  rr = static_cast<int>(channel(px, 2));
        const std::uint32_t cell = (b >> kCellBits) + ((g >> kCellBits) + (rr >> kCellBits) * kCells) * kCells;
        const std::uint32_t start = cellList[cell] != kNoList ? cellList[cell] : buildList(cell);
        const std::uint8_t* entry = lists.data() + start + 1;
        const std::uint32_t count = std::uint32_t{lists[start]} + 1;
        std::int32_t best = 0x7FFFFFFF;
        std::uint32_t bestIndex = 0;
        for (std::uint32_t k = 0; k < count; ++k) {
            const RGBQUAD& q = r.targetPalette[entry[k]];
            const std::int32_t d = sq[b - q.rgbBlue] + sq[g - q.rgbGreen] + sq[rr - q.rgbRed];
            const bool better = d < best;
            bestIndex = better ? entry[k] : bestIndex;
            best = better ? d : best;
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
