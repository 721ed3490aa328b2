// Filter 1: cubic convolution (a = -1). Shrinking goes in steps of at most 4x, each step first
// smoothing the shrinking axes with a small integer Gaussian (vertical before horizontal). The
// prefiltered rows are made on demand into a ring of four, in the order the cubic taps ask for
// them, so a step never holds a prefiltered copy of the whole image.
#include <cmath>

#include "imaging/ResampleKernels.h"

namespace resample {

int bicubicStepSizes(std::int32_t source, std::int32_t target, std::int32_t* sizes, int capacity) {
    int steps = 0;  // steps before the last
    while (steps < 30 && (std::int64_t{target} << (2 * (steps + 1))) < source) ++steps;
    int count = 0;
    for (int j = steps; j >= 0 && count < capacity; --j)
        sizes[count++] = static_cast<std::int32_t>(std::int64_t{target} << (2 * j));
    return count;
}

GaussianKernel gaussianKernel(double ratio) {
    GaussianKernel k{};
    const double c = ratio / 2;
    const double up = std::ceil(c);
    k.radius = up >= 2 ? 2 : up <= 0 ? 0 : static_cast<int>(up);
    const double g = c * c / 2;
    std::uint32_t raw[3] = {255, 0, 0};
    std::uint32_t total = 255;
    for (int i = 1; i <= k.radius; ++i) {
        raw[i] = static_cast<std::uint32_t>(roundHalfAway(std::exp(-static_cast<double>(i * i) / g) * 255.0));
        total += 2 * raw[i];
    }
    int bits = 0;
    while ((total >> bits) != 0) ++bits;
    k.shift = bits;
    // round(w * 2^bits / total), in integers: exact, and the same on every target.
    for (int i = 0; i <= k.radius; ++i)
        k.weights[i] = static_cast<std::uint32_t>(((std::uint64_t{raw[i]} << (bits + 1)) + total) / (2 * std::uint64_t{total}));
    return k;
}

namespace {

double cubicWeight(double t) {
    if (t <= 1) return (t * t - t - 1) * (t - 1);
    return (1 - t) * ((t - 2) * (t - 2));
}

// The four clamped taps and their weights for every output sample of one axis.
struct CubicAxis {
    HeapArray<std::int32_t> taps;
    HeapArray<double> weights;

    bool build(std::int32_t n, std::int32_t m, std::int32_t scale) {
        if (!taps.allocate(4 * static_cast<std::size_t>(m)) || !weights.allocate(4 * static_cast<std::size_t>(m)))
            return false;
        const double r = static_cast<double>(n) / static_cast<double>(m);
        for (std::int32_t i = 0; i < m; ++i) {
            const double s = r * (static_cast<double>(i) + 0.5) - 0.5;
            const std::int64_t base = static_cast<std::int64_t>(std::floor(s));
            for (int k = 0; k < 4; ++k) {
                const std::int64_t tap = base - 1 + k;
                weights[4 * i + k] = cubicWeight(std::fabs(s - static_cast<double>(tap)));
                const std::int64_t clamped = tap < 0 ? 0 : tap > n - 1 ? n - 1 : tap;
                taps[4 * i + k] = static_cast<std::int32_t>(clamped * scale);
            }
        }
        return true;
    }
};

// Vertical prefilter of row y into dst (len bytes). Taps outside the image are left out and the
// sum is then divided by the weights that were used.
void prefilterRow(const std::uint8_t* src, std::size_t stride, std::int32_t rows, std::int32_t y, std::size_t len,
                  const GaussianKernel& k, std::uint8_t* __restrict dst) {
    const int rad = k.radius;
    const std::uint32_t w0 = k.weights[0], w1 = k.weights[1], w2 = k.weights[2];
    const std::uint8_t* __restrict c = src + y * stride;
    if (y - rad >= 0 && y + rad < rows) {
        const std::uint8_t* __restrict a1 = c - stride;
        const std::uint8_t* __restrict b1 = c + stride;
        if (rad == 1) {
            for (std::size_t e = 0; e < len; ++e)
                dst[e] = static_cast<std::uint8_t>((w0 * c[e] + w1 * (std::uint32_t{a1[e]} + b1[e])) >> k.shift);
        } else {
            const std::uint8_t* __restrict a2 = c - 2 * stride;
            const std::uint8_t* __restrict b2 = c + 2 * stride;
            for (std::size_t e = 0; e < len; ++e)
                dst[e] = static_cast<std::uint8_t>((w0 * c[e] + w1 * (std::uint32_t{a1[e]} + b1[e]) +
                                                    w2 * (std::uint32_t{a2[e]} + b2[e])) >>
                                                   k.shift);
        }
        return;
    }
    const std::uint8_t* rowsUsed[5];
    std::uint32_t weightsUsed[5];
    int used = 0;
    std::uint32_t sum = 0;
    for (int d = -rad; d <= rad; ++d) {
        if (y + d < 0 || y + d >= rows) continue;
        rowsUsed[used] = src + (y + d) * stride;
        weightsUsed[used] = k.weights[d < 0 ? -d : d];
        sum += weightsUsed[used++];
    }
    for (std::size_t e = 0; e < len; ++e) {
        std::uint32_t s = 0;
        for (int t = 0; t < used; ++t) s += weightsUsed[t] * rowsUsed[t][e];
        dst[e] = static_cast<std::uint8_t>(s / sum);
    }
}

// Horizontal prefilter of one row of n pixels.
void prefilterColumns(const std::uint8_t* __restrict in, std::int32_t n, const GaussianKernel& k,
                      std::uint8_t* __restrict out) {
    const int rad = k.radius;
    const std::uint32_t w0 = k.weights[0], w1 = k.weights[1], w2 = k.weights[2];
    if (n > 2 * rad) {
        const std::size_t begin = 3 * static_cast<std::size_t>(rad);
        const std::size_t end = 3 * static_cast<std::size_t>(n - rad);
        if (rad == 1) {
            for (std::size_t e = begin; e < end; ++e)
                out[e] = static_cast<std::uint8_t>((w0 * in[e] + w1 * (std::uint32_t{in[e - 3]} + in[e + 3])) >> k.shift);
        } else {
            for (std::size_t e = begin; e < end; ++e)
                out[e] = static_cast<std::uint8_t>((w0 * in[e] + w1 * (std::uint32_t{in[e - 3]} + in[e + 3]) +
                                                    w2 * (std::uint32_t{in[e - 6]} + in[e + 6])) >>
                                                   k.shift);
        }
    }
    auto edge = [&](std::int32_t x) {
        std::uint32_t s0 = 0, s1 = 0, s2 = 0, sum = 0;
        for (int d = -rad; d <= rad; ++d) {
            if (x + d < 0 || x + d >= n) continue;
            const std::uint32_t w = k.weights[d < 0 ? -d : d];
            const std::uint8_t* p = in + 3 * static_cast<std::size_t>(x + d);
            s0 += w * p[0], s1 += w * p[1], s2 += w * p[2];
            sum += w;
        }
        std::uint8_t* o = out + 3 * static_cast<std::size_t>(x);
        o[0] = static_cast<std::uint8_t>(s0 / sum);
        o[1] = static_cast<std::uint8_t>(s1 / sum);
        o[2] = static_cast<std::uint8_t>(s2 / sum);
    };
    const std::int32_t head = rad < n ? rad : n;
    for (std::int32_t x = 0; x < head; ++x) edge(x);
    for (std::int32_t x = n - rad > head ? n - rad : head; x < n; ++x) edge(x);
}

inline std::uint8_t clampTruncate(double v) {
    if (!(v > 0)) return 0;
    if (v >= 255) return 255;
    return static_cast<std::uint8_t>(static_cast<int>(v));
}

// One step: optional prefilters on the source, then cubic convolution to dw x dh.
std::uint8_t* cubicStep(const std::uint8_t* src, std::int32_t sw, std::int32_t sh, std::int32_t dw, std::int32_t dh,
                        const GaussianKernel* vertical, const GaussianKernel* horizontal) {
    CubicAxis cx, cy;
    if (!cx.build(sw, dw, 3) || !cy.build(sh, dh, 1)) return nullptr;
    PixelBuffer out(allocImage24(dw, dh));
    if (!out.get()) return nullptr;

    const std::size_t srcStride = stride24(sw);
    const std::size_t dstStride = stride24(dw);
    const std::size_t len = static_cast<std::size_t>(sw) * 3;
    const bool filtered = vertical || horizontal;
    HeapArray<std::uint8_t> ring, temp;
    if (filtered && !ring.allocate(4 * len)) return nullptr;
    if (vertical && horizontal && !temp.allocate(len)) return nullptr;
    std::int32_t tags[4] = {-1, -1, -1, -1};

    // The four taps of an output row are consecutive rows (clamped), so they never share a slot.
    auto rowAt = [&](std::int32_t y) -> const std::uint8_t* {
        if (!filtered) return src + y * srcStride;
        const int slot = y & 3;
        std::uint8_t* r = ring.get() + slot * len;
        if (tags[slot] != y) {
            if (vertical && horizontal) {
                prefilterRow(src, srcStride, sh, y, len, *vertical, temp.get());
                prefilterColumns(temp.get(), sw, *horizontal, r);
            } else if (vertical) {
                prefilterRow(src, srcStride, sh, y, len, *vertical, r);
            } else {
                prefilterColumns(src + y * srcStride, sw, *horizontal, r);
            }
            tags[slot] = y;
        }
        return r;
    };

    const double* level = kLevels.v;
    for (std::int32_t j = 0; j < dh; ++j) {
        const std::uint8_t* rows[4];
        for (int t = 0; t < 4; ++t) rows[t] = rowAt(cy.taps[4 * j + t]);
        const double* wy = &cy.weights[4 * static_cast<std::size_t>(j)];
        std::uint8_t* d = out.get() + j * dstStride;
        for (std::int32_t i = 0; i < dw; ++i, d += 3) {
            const std::int32_t* ox = &cx.taps[4 * static_cast<std::size_t>(i)];
            const double* wx = &cx.weights[4 * static_cast<std::size_t>(i)];
            double p[16];
            for (int ty = 0; ty < 4; ++ty)
                for (int tx = 0; tx < 4; ++tx) p[4 * ty + tx] = wy[ty] * wx[tx];
            // Summed from 0.0, vertical taps outer, horizontal inner: the defined order.
            double s0 = 0.0, s1 = 0.0, s2 = 0.0;
            for (int ty = 0; ty < 4; ++ty) {
                const std::uint8_t* r = rows[ty];
                for (int tx = 0; tx < 4; ++tx) {
                    const std::uint8_t* v = r + ox[tx];
                    const double w = p[4 * ty + tx];
                    s0 += w * level[v[0]];
                    s1 += w * level[v[1]];
                    s2 += w * level[v[2]];
                }
            }
            d[0] = clampTruncate(s0);
            d[1] = clampTruncate(s1);
            d[2] = clampTruncate(s2);
        }
    }
    return out.release();
}

}  // namespace

std::uint8_t* bicubic(const std::uint8_t* pixels, std::int32_t width, std::int32_t height, std::int32_t targetWidth,
                      std::int32_t targetHeight) {
    std::int32_t widths[16], heights[16];
    const int nx = bicubicStepSizes(width, targetWidth, widths, 16);
    const int ny = bicubicStepSizes(height, targetHeight, heights, 16);
    const int steps = nx > ny ? nx : ny;

    PixelBuffer current;
    const std::uint8_t* from = pixels;
    std::int32_t w = width, h = height;
    for (int k = 0; k < steps; ++k) {
        const std::int32_t nw = k < nx ? widths[k] : targetWidth;
        const std::int32_t nh = k < ny ? heights[k] : targetHeight;
        const GaussianKernel gv = gaussianKernel(static_cast<double>(h) / static_cast<double>(nh));
        const GaussianKernel gh = gaussianKernel(static_cast<double>(w) / static_cast<double>(nw));
        std::uint8_t* next = cubicStep(from, w, h, nw, nh, nh < h ? &gv : nullptr, nw < w ? &gh : nullptr);
        if (!next) return nullptr;
        current.reset(next);  // the previous intermediate goes
        from = next;
        w = nw;
        h = nh;
    }
    return current.release();
}

}  // namespace resample
