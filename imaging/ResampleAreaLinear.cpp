// Filter 0, per axis: box averaging with fractional coverage when shrinking, linear interpolation
// when enlarging. The vertical pass runs first, walking each column in stored order; its rows are
// handed straight to the horizontal pass, so no intermediate image is kept.
#include "imaging/ResampleKernels.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace resample {

namespace {

// Shrinking from n to m samples. The coverage walk (where an output closes and how much of its last
// sample it carries into the next) depends on n and m only, so it is made once per axis rather than
// once per line.
struct ShrinkPlan {
    std::int32_t n = 0;
    std::int32_t m = 0;
    double r = 0;
    std::uint64_t top = 0;              // round(r * 255): the last entry holding round(s / r)
    HeapArray<std::int32_t> emitAt;     // m - 1 sample indexes closing an output
    HeapArray<double> coverage;         // the counter after its reduction, per closing
    HeapArray<std::uint8_t> div;        // round(s / r) for s <= top, then 255
    bool tabled = false;

    bool build(std::int32_t from, std::int32_t to) {
        n = from;
        m = to;
        r = static_cast<double>(n) / static_cast<double>(m);
        top = static_cast<std::uint64_t>(roundHalfAway(r * 255.0));
        // Very large ratios give few outputs: computing those few beats a table of 255 r bytes.
        tabled = top < (1u << 20);
        if (tabled) {
            if (!div.allocate(top + 2)) return false;
            for (std::uint64_t s = 0; s <= top; ++s)
                div[s] = static_cast<std::uint8_t>(roundHalfAway(static_cast<double>(s) / r));
            div[top + 1] = 255;
        }
        if (!emitAt.allocate(static_cast<std::size_t>(m)) || !coverage.allocate(static_cast<std::size_t>(m)))
            return false;
        double c = 0;
        std::int32_t t = 0;
        for (std::int32_t j = 0; j < n - 1; ++j) {
            c += 1.0;
            if (c >= r) {
                c -= r;
                if (t == m - 1) return false;  // cannot happen for 32-bit sizes; never write past m
                emitAt[t] = j;
                coverage[t] = c;
                ++t;
            }
        }
        return t == m - 1;
    }

    // div[s]; sums beyond the table (possible only through the carries' rounding) read its last
    // entry, 255.
    std::uint8_t divide(std::uint64_t s) const {
        if (s > top) return 255;
        return tabled ? div[s] : static_cast<std::uint8_t>(roundHalfAway(static_cast<double>(s) / r));
    }
};

// Enlarging from n to m samples: the two source samples of each output and their weights.
struct EnlargePlan {
    HeapArray<std::int32_t> first;
    HeapArray<std::int32_t> second;
    HeapArray<double> f;  // weight of the second sample
    HeapArray<double> g;  // 1 - f, weight of the first

    bool build(std::int32_t n, std::int32_t m) {
        if (!first.allocate(static_cast<std::size_t>(m)) || !second.allocate(static_cast<std::size_t>(m)) ||
            !f.allocate(static_cast<std::size_t>(m)) || !g.allocate(static_cast<std::size_t>(m)))
            return false;
        const double r = static_cast<double>(n) / static_cast<double>(m);
        for (std::int32_t i = 0; i < m; ++i) {
            double s = r * (static_cast<double>(i) + 0.5) - 0.5;
            if (s < 0) s = 0;
            std::int64_t k = static_cast<std::int64_t>(s);
            if (k > n - 1) k = n - 1;
            first[i] = static_cast<std::int32_t>(k);
            second[i] = static_cast<std::int32_t>(k + 1 < n ? k + 1 : k);
            f[i] = s - static_cast<double>(k);
            g[i] = 1.0 - f[i];
        }
        return true;
    }
};

inline std::uint8_t interpolate(std::uint8_t a, std::uint8_t b, double g, double f) {
    return static_cast<std::uint8_t>(static_cast<int>(kLevels.v[a] * g + kLevels.v[b] * f + 0.5));
}

void shrinkRow(const std::uint8_t* in, std::uint8_t* out, const ShrinkPlan& p) {
    std::uint64_t a0 = 0, a1 = 0, a2 = 0;
    std::int32_t j = 0;
    for (std::int32_t t = 0; t < p.m - 1; ++t) {
        const std::int32_t e = p.emitAt[t];
        for (const std::uint8_t* s = in + 3 * static_cast<std::size_t>(j); j < e; ++j, s += 3) {
            a0 += s[0];
            a1 += s[1];
            a2 += s[2];
        }
        const std::uint8_t* v = in + 3 * static_cast<std::size_t>(e);
        const double c = p.coverage[t];
        const std::uint64_t c0 = static_cast<std::uint64_t>(roundHalfAway(kLevels.v[v[0]] * c));
        const std::uint64_t c1 = static_cast<std::uint64_t>(roundHalfAway(kLevels.v[v[1]] * c));
        const std::uint64_t c2 = static_cast<std::uint64_t>(roundHalfAway(kLevels.v[v[2]] * c));
        std::uint8_t* d = out + 3 * static_cast<std::size_t>(t);
        d[0] = p.divide(a0 + v[0] - c0);
        d[1] = p.divide(a1 + v[1] - c1);
        d[2] = p.divide(a2 + v[2] - c2);
        a0 = c0, a1 = c1, a2 = c2;
        j = e + 1;
    }
    for (const std::uint8_t* s = in + 3 * static_cast<std::size_t>(j); j < p.n - 1; ++j, s += 3) {
        a0 += s[0];
        a1 += s[1];
        a2 += s[2];
    }
    const std::uint8_t* v = in + 3 * static_cast<std::size_t>(p.n - 1);
    std::uint8_t* d = out + 3 * static_cast<std::size_t>(p.m - 1);
    d[0] = p.divide(a0 + v[0]);
    d[1] = p.divide(a1 + v[1]);
    d[2] = p.divide(a2 + v[2]);
}

void enlargeRow(const std::uint8_t* in, std::uint8_t* out, std::int32_t m, const EnlargePlan& p) {
    for (std::int32_t i = 0; i < m; ++i, out += 3) {
        const std::uint8_t* a = in + 3 * static_cast<std::size_t>(p.first[i]);
        const std::uint8_t* b = in + 3 * static_cast<std::size_t>(p.second[i]);
        const double f = p.f[i], g = p.g[i];
        out[0] = interpolate(a[0], b[0], g, f);
        out[1] = interpolate(a[1], b[1], g, f);
        out[2] = interpolate(a[2], b[2], g, f);
    }
}

// Where the vertical pass puts its rows: straight into the result, or into a row that the
// horizontal pass then resizes into the result.
struct RowTarget {
    std::uint8_t* out;
    std::size_t outStride;
    std::uint8_t* temp;  // null when there is no horizontal pass
    std::int32_t targetWidth;
    const ShrinkPlan* shrink;  // horizontal plan: one of these two
    const EnlargePlan* enlarge;

    std::uint8_t* row(std::int32_t t) const { return temp ? temp : out + t * outStride; }
    void done(std::int32_t t) const {
        if (temp) horizontal(temp, out + t * outStride);
    }
    void horizontal(const std::uint8_t* in, std::uint8_t* o) const {
        if (shrink)
            shrinkRow(in, o, *shrink);
        else
            enlargeRow(in, o, targetWidth, *enlarge);
    }
};

// acc[i] += the samples of `count` rows from `first` on, for every i < len.
template <typename Acc>
void addRows(Acc* __restrict acc, const std::uint8_t* __restrict first, std::size_t stride, std::int32_t count,
             std::size_t len) {
    for (std::int32_t k = 0; k < count; ++k) {
        const std::uint8_t* __restrict row = first + k * stride;
        for (std::size_t i = 0; i < len; ++i) acc[i] = static_cast<Acc>(acc[i] + row[i]);
    }
}

#if defined(__SSE2__)
// The common case, 16-bit sums: 32 columns at a time are kept in registers while all rows of the
// run are added, so each sum is loaded and stored once per run rather than once per row.
template <>
void addRows<std::uint16_t>(std::uint16_t* __restrict acc, const std::uint8_t* __restrict first, std::size_t stride,
                            std::int32_t count, std::size_t len) {
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 32 <= len; i += 32) {
        __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i));
        __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i + 8));
        __m128i a2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i + 16));
        __m128i a3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i + 24));
        const std::uint8_t* p = first + i;
        for (std::int32_t k = 0; k < count; ++k, p += stride) {
            const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
            a0 = _mm_add_epi16(a0, _mm_unpacklo_epi8(v0, zero));
            a1 = _mm_add_epi16(a1, _mm_unpackhi_epi8(v0, zero));
            a2 = _mm_add_epi16(a2, _mm_unpacklo_epi8(v1, zero));
            a3 = _mm_add_epi16(a3, _mm_unpackhi_epi8(v1, zero));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), a0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i + 8), a1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i + 16), a2);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i + 24), a3);
    }
    for (; i < len; ++i) {
        std::uint16_t sum = acc[i];
        for (std::int32_t k = 0; k < count; ++k) sum = static_cast<std::uint16_t>(sum + first[k * stride + i]);
        acc[i] = sum;
    }
}
#endif

// The vertical shrink for all columns at once, row by row: the same walk and the same integer sums
// as taking each column on its own, from the first stored row up.
template <typename Acc>
bool shrinkColumns(const std::uint8_t* src, std::size_t stride, std::size_t len, const ShrinkPlan& p,
                   const RowTarget& target) {
    HeapArray<Acc> accumulators;
    if (!accumulators.allocate(len)) return false;
    Acc* acc = accumulators.get();
    std::uint16_t carry[256];
    std::int32_t j = 0;
    for (std::int32_t t = 0; t < p.m - 1; ++t) {
        const std::int32_t e = p.emitAt[t];
        addRows(acc, src + j * stride, stride, e - j, len);
        const double c = p.coverage[t];
        for (int v = 0; v < 256; ++v) carry[v] = static_cast<std::uint16_t>(roundHalfAway(kLevels.v[v] * c));
        const std::uint8_t* __restrict row = src + e * stride;
        std::uint8_t* __restrict d = target.row(t);
        if (p.tabled) {
            // Locals, so the byte stores cannot make the compiler reload the table each time.
            const std::uint8_t* __restrict div = p.div.get();
            const std::uint64_t top = p.top;
            for (std::size_t i = 0; i < len; ++i) {
                const std::uint8_t v = row[i];
                const std::uint16_t k = carry[v];
                const std::uint64_t sum = static_cast<std::uint64_t>(acc[i]) + v - k;
                d[i] = sum > top ? 255 : div[sum];
                acc[i] = k;
            }
        } else {
            for (std::size_t i = 0; i < len; ++i) {
                const std::uint8_t v = row[i];
                const std::uint16_t k = carry[v];
                d[i] = p.divide(static_cast<std::uint64_t>(acc[i]) + v - k);
                acc[i] = k;
            }
        }
        target.done(t);
        j = e + 1;
    }
    addRows(acc, src + j * stride, stride, p.n - 1 - j, len);
    const std::uint8_t* row = src + static_cast<std::size_t>(p.n - 1) * stride;
    std::uint8_t* d = target.row(p.m - 1);
    for (std::size_t i = 0; i < len; ++i) d[i] = p.divide(static_cast<std::uint64_t>(acc[i]) + row[i]);
    target.done(p.m - 1);
    return true;
}

void enlargeColumns(const std::uint8_t* src, std::size_t stride, std::size_t len, std::int32_t m,
                    const EnlargePlan& p, const RowTarget& target) {
    for (std::int32_t i = 0; i < m; ++i) {
        const std::uint8_t* __restrict a = src + p.first[i] * stride;
        const std::uint8_t* __restrict b = src + p.second[i] * stride;
        const double f = p.f[i], g = p.g[i];
        std::uint8_t* __restrict d = target.row(i);
        for (std::size_t e = 0; e < len; ++e) d[e] = interpolate(a[e], b[e], g, f);
        target.done(i);
    }
}

}  // namespace

std::uint8_t* areaLinear(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width, std::int32_t height,
                         std::int32_t targetWidth, std::int32_t targetHeight) {
    const bool horizontal = targetWidth != width;
    const bool vertical = targetHeight != height;
    if (!horizontal && !vertical) return nullptr;

    ShrinkPlan hShrink, vShrink;
    EnlargePlan hEnlarge, vEnlarge;
    if (horizontal && !(targetWidth < width ? hShrink.build(width, targetWidth) : hEnlarge.build(width, targetWidth)))
        return nullptr;
    if (vertical &&
        !(targetHeight < height ? vShrink.build(height, targetHeight) : vEnlarge.build(height, targetHeight)))
        return nullptr;

    PixelBuffer out(allocImage24(targetWidth, targetHeight));
    if (!out.get()) return nullptr;
    const std::size_t len = static_cast<std::size_t>(width) * 3;
    HeapArray<std::uint8_t> temp;
    if (horizontal && vertical && !temp.allocate(len)) return nullptr;
    const RowTarget target{out.get(),
                           stride24(targetWidth),
                           temp.get(),
                           targetWidth,
                           horizontal && targetWidth < width ? &hShrink : nullptr,
                           horizontal && targetWidth > width ? &hEnlarge : nullptr};

    if (!vertical) {
        for (std::int32_t y = 0; y < height; ++y) target.horizontal(pixels + y * srcStride, target.row(y));
        return out.release();
    }
    if (targetHeight > height) {
        enlargeColumns(pixels, srcStride, len, targetHeight, vEnlarge, target);
        return out.release();
    }
    // The narrowest accumulator that holds a carry plus ceil(r) + 1 samples: more lanes per vector.
    bool done;
    if (vShrink.r < 250)
        done = shrinkColumns<std::uint16_t>(pixels, srcStride, len, vShrink, target);
    else if (vShrink.r < 16.0e6)
        done = shrinkColumns<std::uint32_t>(pixels, srcStride, len, vShrink, target);
    else
        done = shrinkColumns<std::uint64_t>(pixels, srcStride, len, vShrink, target);
    return done ? out.release() : nullptr;
}

}  // namespace resample
