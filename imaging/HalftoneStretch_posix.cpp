// Filter 3 away from Windows: there is no halftone stretch, so an area-averaging stretch stands in.
// Every output pixel is the mean of the source area it covers, weighted by the covered fraction of
// each source pixel (fixed point, weights summing exactly to one, so flat areas stay flat).
#include <cmath>

#include "imaging/Resample.h"
#include "imaging/ResampleKernels.h"

namespace resample {

namespace {

constexpr int kWeightBits = 14;

// Contributions to each output sample of one axis: a run of source samples with weights.
struct AreaAxis {
    HeapArray<std::int32_t> first;   // first source sample, per output
    HeapArray<std::int32_t> count;   // samples in the run, per output
    HeapArray<std::int32_t> offset;  // where the run's weights start in `weights`
    HeapArray<std::uint16_t> weights;

    bool build(std::int32_t n, std::int32_t m) {
        const double scale = static_cast<double>(n) / static_cast<double>(m);
        // Each run covers at most ceil(scale) + 1 samples.
        const std::size_t span = static_cast<std::size_t>(std::ceil(scale)) + 1;
        if (!first.allocate(static_cast<std::size_t>(m)) || !count.allocate(static_cast<std::size_t>(m)) ||
            !offset.allocate(static_cast<std::size_t>(m)) || span > SIZE_MAX / static_cast<std::size_t>(m) ||
            !weights.allocate(span * static_cast<std::size_t>(m)))
            return false;
        std::size_t at = 0;
        for (std::int32_t i = 0; i < m; ++i) {
            const double lo = i * scale, hi = (i + 1) * scale;
            std::int32_t a = static_cast<std::int32_t>(lo);
            std::int32_t b = static_cast<std::int32_t>(std::ceil(hi));
            if (b > n) b = n;
            if (b <= a) b = a + 1;
            if (a >= n) a = n - 1, b = n;
            first[i] = a;
            count[i] = b - a;
            offset[i] = static_cast<std::int32_t>(at);
            // Integer weights from the covered fractions; the largest takes the rounding slack.
            std::int32_t total = 0, largest = 0;
            for (std::int32_t j = a; j < b; ++j) {
                const double cover = (std::fmin(hi, j + 1.0) - std::fmax(lo, static_cast<double>(j))) / (hi - lo);
                const std::int32_t w = static_cast<std::int32_t>(cover * (1 << kWeightBits) + 0.5);
                weights[at + (j - a)] = static_cast<std::uint16_t>(w < 0 ? 0 : w);
                total += weights[at + (j - a)];
                if (weights[at + (j - a)] > weights[at + largest]) largest = j - a;
            }
            weights[at + largest] = static_cast<std::uint16_t>(weights[at + largest] + ((1 << kWeightBits) - total));
            at += static_cast<std::size_t>(b - a);
        }
        return true;
    }
};

}  // namespace

std::uint8_t* halftoneStretch(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width,
                              std::int32_t height, std::int32_t targetWidth, std::int32_t targetHeight,
                              const BITMAPINFOHEADER*) {
    AreaAxis ax, ay;
    if (!ax.build(width, targetWidth) || !ay.build(height, targetHeight)) return nullptr;
    PixelBuffer out(allocImage24(targetWidth, targetHeight));
    if (!out.get()) return nullptr;
    const std::size_t dstStride = stride24(targetWidth);
    const std::size_t len = static_cast<std::size_t>(width) * 3;
    HeapArray<std::uint32_t> acc;
    HeapArray<std::uint8_t> row;
    if (!acc.allocate(len) || !row.allocate(len)) return nullptr;

    constexpr std::uint32_t half = 1u << (kWeightBits - 1);
    for (std::int32_t y = 0; y < targetHeight; ++y) {
        // Vertical first: the rows this output row covers, blended into one row.
        std::uint32_t* __restrict a = acc.get();
        for (std::size_t e = 0; e < len; ++e) a[e] = half;
        const std::uint16_t* wy = &ay.weights[static_cast<std::size_t>(ay.offset[y])];
        for (std::int32_t k = 0; k < ay.count[y]; ++k) {
            const std::uint8_t* __restrict s = pixels + static_cast<std::size_t>(ay.first[y] + k) * srcStride;
            const std::uint32_t w = wy[k];
            for (std::size_t e = 0; e < len; ++e) a[e] += w * s[e];
        }
        std::uint8_t* __restrict r = row.get();
        for (std::size_t e = 0; e < len; ++e) r[e] = static_cast<std::uint8_t>(a[e] >> kWeightBits);

        std::uint8_t* d = out.get() + y * dstStride;
        for (std::int32_t x = 0; x < targetWidth; ++x, d += 3) {
            const std::uint16_t* wx = &ax.weights[static_cast<std::size_t>(ax.offset[x])];
            const std::uint8_t* s = r + 3 * static_cast<std::size_t>(ax.first[x]);
            std::uint32_t s0 = half, s1 = half, s2 = half;
            for (std::int32_t k = 0; k < ax.count[x]; ++k, s += 3) {
                s0 += wx[k] * std::uint32_t{s[0]};
                s1 += wx[k] * std::uint32_t{s[1]};
                s2 += wx[k] * std::uint32_t{s[2]};
            }
            d[0] = static_cast<std::uint8_t>(s0 >> kWeightBits);
            d[1] = static_cast<std::uint8_t>(s1 >> kWeightBits);
            d[2] = static_cast<std::uint8_t>(s2 >> kWeightBits);
        }
    }
    return out.release();
}

}  // namespace resample

void releaseHalftoneContext() {}
