// Median cut: boxes of pixels split, the busiest first, on their widest channel at its median,
// until there is one box per palette entry; each box's colour is its median.
#include <cstring>
#include <vector>

#include "codecs/ColorReduction.h"

namespace reduction {

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

bool medianCutPalette(ColorReducer& r, std::size_t pixelCount) {
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

    std::vector<MedianCutBox> boxes(n);
    boxes[0].start = 0;
    boxes[0].end = static_cast<std::int64_t>(pixelCount) - 1;
    boxStats(boxes[0], valueAt);
    for (std::uint32_t made = 1; made < n; ++made) {
        std::uint32_t chosen = 0;
        for (std::uint32_t b = 1; b < made; ++b)
            if (boxes[b].priority > boxes[chosen].priority) chosen = b;
        MedianCutBox& box = boxes[chosen];
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
        MedianCutBox& added = boxes[made];
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
    return true;
}

}  // namespace reduction

void computeBox(MedianCutBox& box, const std::uint32_t* work, const std::uint32_t* index) {
    reduction::boxStats(box, [&](std::int64_t i) { return work[index[i]]; });
}
