// Filter 1: cubic convolution (a = -1). Shrinking goes in steps of at most 4x, each step first
// smoothing the shrinking axes with a small integer Gaussian (vertical before horizontal). The
// prefiltered rows are made on demand into a ring of four, in the order the cubic taps ask for
// them, so a step never holds a prefiltered copy of the whole image.
#include <cmath>

#include "imaging/ResampleKernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The four clamped taps (times `scale`: byte offsets for columns) and their weights for every
// output sample of one axis.
struct CubicAxis {
    HeapArray<std::uint32_t> taps;
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
                taps[4 * i + k] = static_cast<std::uint32_t>(clamped * scale);
            }
        }
        return true;
    }
};

// out[e] = (w0 c[e] + w1 (a1[e] + b1[e]) + w2 (a2[e] + b2[e])) >> shift for e < count: the interior
// of both prefilters (rows above and below, or pixels left and right). w2 is 0 for radius 1.
void gaussianTaps(std::uint8_t* __restrict out, const std::uint8_t* c, const std::uint8_t* a1, const std::uint8_t* b1,
                  const std::uint8_t* a2, const std::uint8_t* b2, std::size_t count, const GaussianKernel& k) {
    const std::uint32_t w0 = k.weights[0], w1 = k.weights[1], w2 = k.weights[2];
    std::size_t e = 0;
#if defined(__SSE2__)
    // 16-bit lanes, paired for pmaddwd: (c, a1 + b1) x (w0, w1) and (a2 + b2, 0) x (w2, 0) give the
    // exact 32-bit sums.
    const __m128i zero = _mm_setzero_si128();
    const __m128i w01 = _mm_set1_epi32(static_cast<int>(w0 | (w1 << 16)));
    const __m128i w20 = _mm_set1_epi32(static_cast<int>(w2));
    const __m128i shift = _mm_cvtsi32_si128(k.shift);
    auto sums = [&](__m128i cc, __m128i s1, __m128i s2) {  // 8 samples in 16-bit lanes -> 8 bytes' worth
        const __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(cc, s1), w01),
                                         _mm_madd_epi16(_mm_unpacklo_epi16(s2, zero), w20));
        const __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(cc, s1), w01),
                                         _mm_madd_epi16(_mm_unpackhi_epi16(s2, zero), w20));
        return _mm_packs_epi32(_mm_srl_epi32(lo, shift), _mm_srl_epi32(hi, shift));
    };
    auto load = [](const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    for (; e + 16 <= count; e += 16) {
        const __m128i vc = load(c + e), va1 = load(a1 + e), vb1 = load(b1 + e);
        const __m128i va2 = load(a2 + e), vb2 = load(b2 + e);
        const __m128i s1lo = _mm_add_epi16(_mm_unpacklo_epi8(va1, zero), _mm_unpacklo_epi8(vb1, zero));
        const __m128i s1hi = _mm_add_epi16(_mm_unpackhi_epi8(va1, zero), _mm_unpackhi_epi8(vb1, zero));
        const __m128i s2lo = _mm_add_epi16(_mm_unpacklo_epi8(va2, zero), _mm_unpacklo_epi8(vb2, zero));
        const __m128i s2hi = _mm_add_epi16(_mm_unpackhi_epi8(va2, zero), _mm_unpackhi_epi8(vb2, zero));
        const __m128i lo = sums(_mm_unpacklo_epi8(vc, zero), s1lo, s2lo);
        const __m128i hi = sums(_mm_unpackhi_epi8(vc, zero), s1hi, s2hi);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + e), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; e < count; ++e)
        out[e] = static_cast<std::uint8_t>(
            (w0 * c[e] + w1 * (std::uint32_t{a1[e]} + b1[e]) + w2 * (std::uint32_t{a2[e]} + b2[e])) >> k.shift);
}

// Vertical prefilter of row y into dst (len bytes). Taps outside the image are left out and the
// sum is then divided by the weights that were used.
void prefilterRow(const std::uint8_t* src, std::size_t stride, std::int32_t rows, std::int32_t y, std::size_t len,
                  const GaussianKernel& k, std::uint8_t* __restrict dst) {
    const int rad = k.radius;
    const std::uint8_t* c = src + y * stride;
    if (y - rad >= 0 && y + rad < rows) {
        // Radius 1 passes the centre row for the unused outer taps; their weight is 0.
        const std::size_t outer = rad == 2 ? 2 * stride : 0;
        gaussianTaps(dst, c, c - stride, c + stride, c - outer, c + outer, len, k);
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
void prefilterColumns(const std::uint8_t* in, std::int32_t n, const GaussianKernel& k, std::uint8_t* __restrict out) {
    const int rad = k.radius;
    if (n > 2 * rad) {
        const std::size_t begin = 3 * static_cast<std::size_t>(rad);
        const std::size_t end = 3 * static_cast<std::size_t>(n - rad);
        const std::size_t outer = rad == 2 ? 6 : 0;
        const std::uint8_t* c = in + begin;
        gaussianTaps(out + begin, c, c - 3, c + 3, c - outer, c + outer, end - begin, k);
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
std::uint8_t* cubicStep(const std::uint8_t* src, std::size_t srcStride, std::int32_t sw, std::int32_t sh,
                        std::int32_t dw, std::int32_t dh, const GaussianKernel* vertical,
                        const GaussianKernel* horizontal) {
    CubicAxis cx, cy;
    if (!cx.build(sw, dw, 3) || !cy.build(sh, dh, 1)) return nullptr;
    PixelBuffer out(allocImage24(dw, dh));
    if (!out.get()) return nullptr;

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
        for (int t = 0; t < 4; ++t) rows[t] = rowAt(static_cast<std::int32_t>(cy.taps[4 * j + t]));
        const double* wy = &cy.weights[4 * static_cast<std::size_t>(j)];
        std::uint8_t* d = out.get() + j * dstStride;
        for (std::int32_t i = 0; i < dw; ++i, d += 3) {
            const std::uint32_t* ox = &cx.taps[4 * static_cast<std::size_t>(i)];
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

std::uint8_t* bicubic(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width, std::int32_t height,
                      std::int32_t targetWidth, std::int32_t targetHeight) {
    std::int32_t widths[16], heights[16];
    const int nx = bicubicStepSizes(width, targetWidth, widths, 16);
    const int ny = bicubicStepSizes(height, targetHeight, heights, 16);
    const int steps = nx > ny ? nx : ny;

    PixelBuffer current;
    const std::uint8_t* from = pixels;
    std::size_t fromStride = srcStride;  // the caller's rows first, then packed intermediates
    std::int32_t w = width, h = height;
    for (int k = 0; k < steps; ++k) {
        const std::int32_t nw = k < nx ? widths[k] : targetWidth;
        const std::int32_t nh = k < ny ? heights[k] : targetHeight;
        const GaussianKernel gv = gaussianKernel(static_cast<double>(h) / static_cast<double>(nh));
        const GaussianKernel gh = gaussianKernel(static_cast<double>(w) / static_cast<double>(nw));
        std::uint8_t* next =
            cubicStep(from, fromStride, w, h, nw, nh, nh < h ? &gv : nullptr, nw < w ? &gh : nullptr);
        if (!next) return nullptr;
        current.reset(next);  // the previous intermediate goes
        from = next;
        fromStride = stride24(nw);
        w = nw;
        h = nh;
    }
    return current.release();
}

}  // namespace resample
