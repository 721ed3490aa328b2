#include "imaging/OutputFilters.h"

#include <cstring>

#include "imaging/ResampleKernels.h"

using resample::HeapArray;
using resample::PixelBuffer;

namespace {

constexpr int kBlurMax = 25 * 255;  // largest 5 x 5 sum
constexpr int kClampLow = -1600;
constexpr int kClampHigh = 1842;
constexpr int kGainLevel = 3;  // the sharpening strength used: floor(d / 2)

bool validSize(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
    return pixels && width > 0 && height > 0 &&
           imageBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24) != 0;
}

std::uint8_t* copyImage(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
    std::uint8_t* out = resample::allocImage24(width, height);
    if (!out) return nullptr;
    const std::size_t stride = resample::stride24(width);
    for (std::int32_t y = 0; y < height; ++y)
        std::memcpy(out + y * stride, pixels + y * stride, static_cast<std::size_t>(width) * 3);
    return out;
}

struct SharpenTables {
    HeapArray<std::uint8_t> divide25;  // D[s] = (2621 s + 32768) >> 16: s / 25 rounded
    HeapArray<std::int16_t> gain;      // the used level's ((k + 1) d) >> 3, indexed d + 128
    HeapArray<std::uint8_t> clamp;     // indexed x - kClampLow

    bool build() {
        if (!divide25.allocate(kBlurMax + 1) || !gain.allocate(256) || !clamp.allocate(kClampHigh - kClampLow + 1))
            return false;
        for (int s = 0; s <= kBlurMax; ++s) divide25[s] = static_cast<std::uint8_t>((2621 * s + 32768) >> 16);
        for (int d = -128; d < 128; ++d)
            gain[d + 128] = static_cast<std::int16_t>(((kGainLevel + 1) * d) >> 3);  // arithmetic shift
        for (int x = kClampLow; x <= kClampHigh; ++x)
            clamp[x - kClampLow] = static_cast<std::uint8_t>(x <= 0 ? 0 : x >= 255 ? 255 : x);
        return true;
    }
};

}  // namespace

std::uint8_t* sharpenImage(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
    if (!validSize(pixels, width, height)) return nullptr;
    if (width <= 4 || height <= 4) return copyImage(pixels, width, height);

    SharpenTables t;
    if (!t.build()) return nullptr;
    const std::size_t stride = resample::stride24(width);
    const std::size_t len = static_cast<std::size_t>(width) * 3;
    // Per sample, the sum of the five rows around the current one; two pixels more on each side,
    // repeating the edge columns, so the five-column sums need no bounds checks.
    HeapArray<std::uint16_t> columns;
    if (!columns.allocate(len + 12)) return nullptr;
    PixelBuffer out(resample::allocImage24(width, height));
    if (!out.get()) return nullptr;

    auto rowAt = [&](std::int32_t y) {
        // Outside the image the nearest edge row stands in.
        return pixels + (y < 0 ? 0 : y >= height ? height - 1 : y) * stride;
    };
    std::uint16_t* col = columns.get() + 6;
    for (std::int32_t dy = -2; dy <= 2; ++dy) {
        const std::uint8_t* r = rowAt(dy);
        for (std::size_t e = 0; e < len; ++e) col[e] = static_cast<std::uint16_t>(col[e] + r[e]);
    }
    const std::uint8_t* divide25 = t.divide25.get();
    const std::int16_t* gain = t.gain.get() + 128;
    const std::uint8_t* clamp = t.clamp.get() - kClampLow;
    for (std::int32_t y = 0; y < height; ++y) {
        if (y > 0) {  // slide the five-row window up by one
            const std::uint8_t* leaving = rowAt(y - 3);
            const std::uint8_t* entering = rowAt(y + 2);
            for (std::size_t e = 0; e < len; ++e) col[e] = static_cast<std::uint16_t>(col[e] - leaving[e] + entering[e]);
        }
        for (int c = 0; c < 3; ++c) {
            col[c - 6] = col[c - 3] = col[c];
            col[len + c] = col[len + 3 + c] = col[len - 3 + c];
        }
        const std::uint8_t* s = pixels + y * stride;
        std::uint8_t* d = out.get() + y * stride;
        // Five-column sums per channel, slid along the row.
        int sum[3];
        for (int c = 0; c < 3; ++c) sum[c] = col[c - 6] + col[c - 3] + col[c] + col[c + 3] + col[c + 6];
        for (std::size_t e = 0; e < len; e += 3) {
            int diff[3];
            int spread = 0;
            for (int c = 0; c < 3; ++c) {
                int v = s[e + c] - divide25[sum[c]];
                v = v < -128 ? -128 : v > 127 ? 127 : v;
                diff[c] = v;
                spread += v < 0 ? -v : v;
            }
            if (e + 3 < len)
                for (int c = 0; c < 3; ++c) sum[c] += col[e + c + 9] - col[e + c - 6];
            for (int c = 0; c < 3; ++c) d[e + c] = spread <= 20 ? s[e + c] : clamp[s[e + c] + gain[diff[c]]];
        }
    }
    return out.release();
}

std::uint8_t* autoLevels(const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
    if (!validSize(pixels, width, height)) return nullptr;
    const std::size_t stride = resample::stride24(width);
    const std::size_t len = static_cast<std::size_t>(width) * 3;
    std::uint64_t histogram[256] = {};
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* s = pixels + y * stride;
        for (std::size_t e = 0; e < len; ++e) ++histogram[s[e]];
    }
    // One 256th of all samples is cut off at each end.
    const std::uint64_t cut = (std::uint64_t{3} * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height)) >> 8;
    int low = 0, high = 255;
    for (std::uint64_t sum = 0; low < 255; ++low)
        if ((sum += histogram[low]) > cut) break;
    for (std::uint64_t sum = 0; high > 0; --high)
        if ((sum += histogram[high]) > cut) break;
    const int range = high - low;
    // Nothing to stretch: the range-0 table would turn the whole image black.
    if (range <= 0) return copyImage(pixels, width, height);

    // The one row of the stretch table this image uses, indexed by the sample itself.
    std::uint8_t map[256];
    const std::uint32_t step = 0xFF0000u / static_cast<std::uint32_t>(range);
    for (int x = 0; x < 256; ++x) {
        const int d = x - low;
        const std::uint32_t v = d <= 0 ? 0 : (static_cast<std::uint32_t>(d) * step) >> 16;
        map[x] = static_cast<std::uint8_t>(v > 255 ? 255 : v);
    }
    std::uint8_t* out = resample::allocImage24(width, height);
    if (!out) return nullptr;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* s = pixels + y * stride;
        std::uint8_t* d = out + y * stride;
        for (std::size_t e = 0; e < len; ++e) d[e] = map[s[e]];
    }
    return out;
}
