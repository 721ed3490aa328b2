// The two perspective renders. Every output pixel gets exactly the arithmetic of the plain loop in
// renderRow: row y starts its numerators and denominator at p1 y + p2, p4 y + p5 and p7 y + 1 and
// adds p0, p3 and p6 per pixel; u and v are the IEEE quotients. The vector versions put two
// (SSE2) or four (AVX2) rows side by side in the lanes: each lane makes the same additions,
// divisions, conversions and blend operations, in the same order, as the plain loop, so the bytes
// are the same whichever version runs (there is no fused multiply-add anywhere).
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstring>

#include "codecs/ImageData.h"
#include "trim/Perspective.h"

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define VANTLE_RENDER_X86 1
#define VANTLE_AVX2 __attribute__((target("avx2")))
#endif

namespace {

constexpr std::uint8_t kBackground = 0xFF;  // white, the same byte in B, G and R

// Byte values as doubles: a load instead of a conversion per sample.
struct Levels {
    double v[256];
    constexpr Levels() : v() {
        for (int i = 0; i < 256; ++i) v[i] = i;
    }
};
constexpr Levels kLevels{};

void fillBackground(std::uint8_t* row, std::int32_t from, std::int32_t to) {
    std::memset(row + std::size_t(from) * 3, kBackground, std::size_t(to - from) * 3);
}

// The source and target of a render; rows counted from the top of the image, stored bottom-up.
struct Frame {
    const std::uint8_t* source;
    std::uint8_t* target;
    std::int32_t width, height;
    std::size_t stride;
    double w, h;               // width and height as doubles, the bounds of the sample positions
    const std::uint8_t* top;  // image row 0

    Frame(const std::uint8_t* s, std::uint8_t* t, std::int32_t width_, std::int32_t height_)
        : source(s),
          target(t),
          width(width_),
          height(height_),
          stride(rowStride(static_cast<std::uint32_t>(width_), 24)),
          w(width_),
          h(height_),
          top(s + std::size_t(height_ - 1) * stride) {}
    const std::uint8_t* in(std::int32_t x, std::int32_t y) const {
        return top - std::size_t(y) * stride + std::size_t(x) * 3;
    }
    std::uint8_t* outRow(std::int32_t y) const { return target + std::size_t(height - 1 - y) * stride; }
};

// One preview pixel from its source position. Truncation toward zero: (-1, 0) still lands on
// column 0. NaN fails every test.
inline void previewPixel(const Frame& f, double u, double v, std::uint8_t* out) {
    if (u > -1.0 && u < f.w && v > -1.0 && v < f.h) {
        const std::uint8_t* in = f.in(static_cast<std::int32_t>(u), static_cast<std::int32_t>(v));
        out[0] = in[0], out[1] = in[1], out[2] = in[2];
    } else {
        out[0] = out[1] = out[2] = kBackground;
    }
}

// One bilinear pixel from its source position, every case.
inline void finalPixel(const Frame& f, double u, double v, std::uint8_t* out) {
    // All four neighbours outside (or no number at all): the blend of four white samples is
    // white, so skip it.
    if (!(u > -1.0 && u < f.w && v > -1.0 && v < f.h)) {
        out[0] = out[1] = out[2] = kBackground;
        return;
    }
    // The integer part, one less for negative values.
    std::int32_t ix = static_cast<std::int32_t>(u);
    std::int32_t iy = static_cast<std::int32_t>(v);
    if (u < 0) --ix;
    if (v < 0) --iy;
    const double fx = u - ix;
    const double fy = v - iy;
    const double gx = 1 - fx;
    const double gy = 1 - fy;
    const double* level = kLevels.v;
    if (ix >= 0 && ix + 1 < f.width && iy >= 0 && iy + 1 < f.height) {
        // All four neighbours inside: without the background checks.
        const std::uint8_t* tl = f.in(ix, iy);
        const std::uint8_t* bl = tl - f.stride;
        for (int c = 0; c < 3; ++c) {
            const double bottom = level[bl[c + 3]] * fx + level[bl[c]] * gx;
            const double top = level[tl[c + 3]] * fx + level[tl[c]] * gx;
            const double value = (bottom * fy + top * gy) + 0.5;
            out[c] = static_cast<std::uint8_t>(std::min(static_cast<std::int32_t>(value), 255));
        }
        return;
    }
    const bool x0 = ix >= 0, x1 = ix + 1 < f.width;
    const bool y0 = iy >= 0, y1 = iy + 1 < f.height;
    const std::uint8_t* tl = (y0 && x0) ? f.in(ix, iy) : nullptr;
    const std::uint8_t* tr = (y0 && x1) ? f.in(ix + 1, iy) : nullptr;
    const std::uint8_t* bl = (y1 && x0) ? f.in(ix, iy + 1) : nullptr;
    const std::uint8_t* br = (y1 && x1) ? f.in(ix + 1, iy + 1) : nullptr;
    for (int c = 0; c < 3; ++c) {
        const double cTL = tl ? tl[c] : kBackground;
        const double cTR = tr ? tr[c] : kBackground;
        const double cBL = bl ? bl[c] : kBackground;
        const double cBR = br ? br[c] : kBackground;
        const double value = ((cBR * fx + cBL * gx) * fy + (cTR * fx + cTL * gx) * gy) + 0.5;
        out[c] = static_cast<std::uint8_t>(std::min(static_cast<std::int32_t>(value), 255));
    }
}

struct RowStart {
    double nu, nv, d;
    RowStart(const double* p, std::int32_t y) {
        const double fy = y;
        nu = p[1] * fy + p[2];
        nv = p[4] * fy + p[5];
        d = p[7] * fy + 1;
    }
};

// The plain loop: pixels left to right of one row, from column 0 (the columns before `left` only
// advance the sums).
template <void (*pixel)(const Frame&, double, double, std::uint8_t*)>
void renderRow(const Frame& f, const double* p, std::int32_t y, std::int32_t left, std::int32_t right) {
    RowStart s(p, y);
    for (std::int32_t x = 0; x < left; ++x) {
        s.nu += p[0];
        s.nv += p[3];
        s.d += p[6];
    }
    std::uint8_t* out = f.outRow(y) + std::size_t(left) * 3;
    for (std::int32_t x = left; x <= right; ++x, out += 3) {
        const double u = s.nu / s.d;
        const double v = s.nv / s.d;
        s.nu += p[0];
        s.nv += p[3];
        s.d += p[6];
        pixel(f, u, v, out);
    }
}

// The final render goes through a row group in chunks: first the positions of the whole chunk
// (divisions, tests, source addresses), then the blends. Each step alone is a short chain of
// dependent instructions, so the processor works on many pixels at once; fused into one loop, the
// long chain from division to store keeps it waiting (a third slower).
constexpr std::int32_t kChunk = 32;

#ifdef VANTLE_RENDER_X86

// Sources of the coming pixels into the cache: the bytes 128 further on, one image row lower (below
// the bottom neighbours for the final render). A photo taken from below, the usual keystone,
// walks down the source rows as a row goes right, which the processor's own prefetcher misses
// (a third of the preview's time and a fifth of the final render's on a large image); where the
// rows go the other way it costs next to nothing. Every 16 pixels.
constexpr std::int32_t kPrefetchEvery = 16;
inline void prefetchAhead(const Frame& f, const std::uint8_t* at) {
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<std::uintptr_t>(at) + 128 - f.stride), _MM_HINT_T0);
}

// ---- SSE2: rows y and y + 1 in the low and high lane ----

struct RowPair {
    __m128d nu, nv, d;
    __m128d p0, p3, p6;
    RowPair(const double* p, std::int32_t y) {
        const RowStart a(p, y), b(p, y + 1);
        nu = _mm_set_pd(b.nu, a.nu);
        nv = _mm_set_pd(b.nv, a.nv);
        d = _mm_set_pd(b.d, a.d);
        p0 = _mm_set1_pd(p[0]);
        p3 = _mm_set1_pd(p[3]);
        p6 = _mm_set1_pd(p[6]);
    }
    void advance() {
        nu = _mm_add_pd(nu, p0);
        nv = _mm_add_pd(nv, p3);
        d = _mm_add_pd(d, p6);
    }
};

inline double lane0(__m128d v) { return _mm_cvtsd_f64(v); }
inline double lane1(__m128d v) { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }

// The address of source pixel (iu, iv) from a 64-bit lane holding iu low and iv high.
inline const std::uint8_t* sourceAt(const Frame& f, std::uint64_t uv) {
    return f.top - std::size_t(std::uint32_t(uv >> 32)) * f.stride + std::size_t(std::uint32_t(uv)) * 3;
}

void previewRowPair(const Frame& f, const double* p, std::int32_t y) {
    RowPair s(p, y);
    const __m128d minusOne = _mm_set1_pd(-1.0), w = _mm_set1_pd(f.w), h = _mm_set1_pd(f.h);
    std::uint8_t* out0 = f.outRow(y);
    std::uint8_t* out1 = f.outRow(y + 1);
    static constexpr std::uint8_t kWhite[3] = {kBackground, kBackground, kBackground};
    for (std::int32_t x = 0; x < f.width; ++x, out0 += 3, out1 += 3) {
        const __m128d u = _mm_div_pd(s.nu, s.d);
        const __m128d v = _mm_div_pd(s.nv, s.d);
        s.advance();
        const __m128d inside = _mm_and_pd(_mm_and_pd(_mm_cmpgt_pd(u, minusOne), _mm_cmplt_pd(u, w)),
                                          _mm_and_pd(_mm_cmpgt_pd(v, minusOne), _mm_cmplt_pd(v, h)));
        const int mask = _mm_movemask_pd(inside);
        // (iu, iv) of the low lane, then of the high one; meaningless where the lane is outside.
        const __m128i uv = _mm_unpacklo_epi32(_mm_cvttpd_epi32(u), _mm_cvttpd_epi32(v));
        const std::uint64_t a = static_cast<std::uint64_t>(_mm_cvtsi128_si64(uv));
        const std::uint64_t b = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(uv, uv)));
        const std::uint8_t* in0 = (mask & 1) ? sourceAt(f, a) : kWhite;
        const std::uint8_t* in1 = (mask & 2) ? sourceAt(f, b) : kWhite;
        std::memcpy(out0, in0, 3);
        std::memcpy(out1, in1, 3);
        if (x % kPrefetchEvery == 0) {
            prefetchAhead(f, in0);
            prefetchAhead(f, in1);
        }
    }
}

void finalRowPair(const Frame& f, const double* p, std::int32_t y, std::int32_t left, std::int32_t right) {
    RowPair s(p, y);
    for (std::int32_t x = 0; x < left; ++x) s.advance();
    // A lane with 0 <= u < width - 2 and 0 <= v < height - 1 has all four neighbours inside, and
    // eight bytes from its top-left one stay within the row.
    const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0), half = _mm_set1_pd(0.5);
    const __m128d uEnd = _mm_set1_pd(double(f.width - 2)), vEnd = _mm_set1_pd(double(f.height - 1));
    const __m128i zeroI = _mm_setzero_si128();
    std::uint8_t* out0 = f.outRow(y) + std::size_t(left) * 3;
    std::uint8_t* out1 = f.outRow(y + 1) + std::size_t(left) * 3;
    struct Position {
        __m128d fx, fy;  // where tl0 is null (a lane not all inside): u and v themselves
        const std::uint8_t* tl0;
        const std::uint8_t* tl1;
    };
    Position at[kChunk];
    for (std::int32_t x0 = left; x0 <= right; x0 += kChunk) {
        const std::int32_t n = std::min(kChunk, right - x0 + 1);
        for (std::int32_t i = 0; i < n; ++i) {
            const __m128d u = _mm_div_pd(s.nu, s.d);
            const __m128d v = _mm_div_pd(s.nv, s.d);
            s.advance();
            const __m128d fast = _mm_and_pd(_mm_and_pd(_mm_cmpge_pd(u, zero), _mm_cmplt_pd(u, uEnd)),
                                            _mm_and_pd(_mm_cmpge_pd(v, zero), _mm_cmplt_pd(v, vEnd)));
            if (_mm_movemask_pd(fast) != 3) {
                at[i] = {u, v, nullptr, nullptr};
                continue;
            }
            // Non-negative: the integer part is the truncation.
            const __m128i iu = _mm_cvttpd_epi32(u), iv = _mm_cvttpd_epi32(v);
            const __m128i uv = _mm_unpacklo_epi32(iu, iv);
            at[i] = {_mm_sub_pd(u, _mm_cvtepi32_pd(iu)), _mm_sub_pd(v, _mm_cvtepi32_pd(iv)),
                     sourceAt(f, static_cast<std::uint64_t>(_mm_cvtsi128_si64(uv))),
                     sourceAt(f, static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(uv, uv))))};
            if ((x0 + i) % kPrefetchEvery == 0) {
                prefetchAhead(f, at[i].tl0 - f.stride);
                prefetchAhead(f, at[i].tl1 - f.stride);
            }
        }
        for (std::int32_t i = 0; i < n; ++i, out0 += 3, out1 += 3) {
            const Position& pos = at[i];
            if (!pos.tl0) {
                finalPixel(f, lane0(pos.fx), lane0(pos.fy), out0);
                finalPixel(f, lane1(pos.fx), lane1(pos.fy), out1);
                continue;
            }
            const __m128d fx = pos.fx, fy = pos.fy;
            const __m128d gx = _mm_sub_pd(one, fx), gy = _mm_sub_pd(one, fy);
            // Bytes of both lanes interleaved: top-left B G R, top-right B G R of lane 0 and 1.
            const __m128i t = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pos.tl0)),
                                                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pos.tl1)));
            const __m128i q =
                _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pos.tl0 - f.stride)),
                                  _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pos.tl1 - f.stride)));
            const __m128i tw0 = _mm_unpacklo_epi8(t, zeroI), tw1 = _mm_unpackhi_epi8(t, zeroI);
            const __m128i qw0 = _mm_unpacklo_epi8(q, zeroI), qw1 = _mm_unpackhi_epi8(q, zeroI);
            // Dword pairs (lane 0, lane 1) of byte k, two bytes to a register.
            const __m128i t01 = _mm_unpacklo_epi16(tw0, zeroI), t23 = _mm_unpackhi_epi16(tw0, zeroI);
            const __m128i t45 = _mm_unpacklo_epi16(tw1, zeroI);
            const __m128i q01 = _mm_unpacklo_epi16(qw0, zeroI), q23 = _mm_unpackhi_epi16(qw0, zeroI);
            const __m128i q45 = _mm_unpacklo_epi16(qw1, zeroI);
            auto low = [](__m128i x) { return _mm_cvtepi32_pd(x); };
            auto high = [](__m128i x) { return _mm_cvtepi32_pd(_mm_shuffle_epi32(x, 0xEE)); };
            auto blend = [&](__m128d cTL, __m128d cTR, __m128d cBL, __m128d cBR) {
                const __m128d bottom = _mm_add_pd(_mm_mul_pd(cBR, fx), _mm_mul_pd(cBL, gx));
                const __m128d upper = _mm_add_pd(_mm_mul_pd(cTR, fx), _mm_mul_pd(cTL, gx));
                return _mm_cvttpd_epi32(_mm_add_pd(_mm_add_pd(_mm_mul_pd(bottom, fy), _mm_mul_pd(upper, gy)), half));
            };
            const __m128i blue = blend(low(t01), high(t23), low(q01), high(q23));
            const __m128i green = blend(high(t01), low(t45), high(q01), low(q45));
            const __m128i red = blend(low(t23), high(t45), low(q23), high(q45));
            // B G R R of lane 0 and of lane 1 as bytes; the values lie in 0..255.
            const __m128i bg = _mm_unpacklo_epi32(blue, green), rr = _mm_unpacklo_epi32(red, red);
            const __m128i words = _mm_packs_epi32(_mm_unpacklo_epi64(bg, rr), _mm_unpackhi_epi64(bg, rr));
            const std::uint64_t bytes = static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_packus_epi16(words, words)));
            const std::uint32_t pixel0 = std::uint32_t(bytes), pixel1 = std::uint32_t(bytes >> 32);
            // The fourth byte lands on the next pixel of the row, written after this one.
            if (x0 + i < right) {
                std::memcpy(out0, &pixel0, 4);
                std::memcpy(out1, &pixel1, 4);
            } else {
                std::memcpy(out0, &pixel0, 3);
                std::memcpy(out1, &pixel1, 3);
            }
        }
    }
}

// ---- AVX2: rows y .. y + 3 in lanes 0 .. 3 ----
// Only intrinsics and plain code here; nothing of it runs unless the processor has AVX2.

struct RowQuad {
    __m256d nu, nv, d;
    __m256d p0, p3, p6;
    VANTLE_AVX2 RowQuad(const double* p, std::int32_t y) {
        const RowStart a(p, y), b(p, y + 1), c(p, y + 2), e(p, y + 3);
        nu = _mm256_set_pd(e.nu, c.nu, b.nu, a.nu);
        nv = _mm256_set_pd(e.nv, c.nv, b.nv, a.nv);
        d = _mm256_set_pd(e.d, c.d, b.d, a.d);
        p0 = _mm256_set1_pd(p[0]);
        p3 = _mm256_set1_pd(p[3]);
        p6 = _mm256_set1_pd(p[6]);
    }
    VANTLE_AVX2 void advance() {
        nu = _mm256_add_pd(nu, p0);
        nv = _mm256_add_pd(nv, p3);
        d = _mm256_add_pd(d, p6);
    }
};

// Source addresses top + 3 iu - stride iv of four lanes, in 64 bits.
VANTLE_AVX2 inline __m256i sourceAt4(__m256i top, __m256i stride, __m128i iu, __m128i iv) {
    const __m256i iu64 = _mm256_cvtepu32_epi64(iu), iv64 = _mm256_cvtepu32_epi64(iv);
    const __m256i threeU = _mm256_add_epi64(iu64, _mm256_add_epi64(iu64, iu64));
    return _mm256_add_epi64(top, _mm256_sub_epi64(threeU, _mm256_mul_epu32(iv64, stride)));
}

VANTLE_AVX2 void previewRowQuad(const Frame& f, const double* p, std::int32_t y) {
    RowQuad s(p, y);
    const __m256d minusOne = _mm256_set1_pd(-1.0), w = _mm256_set1_pd(f.w), h = _mm256_set1_pd(f.h);
    static constexpr std::uint8_t kWhite[3] = {kBackground, kBackground, kBackground};
    const __m256i top = _mm256_set1_epi64x(static_cast<long long>(reinterpret_cast<std::uintptr_t>(f.top)));
    const __m256i white = _mm256_set1_epi64x(static_cast<long long>(reinterpret_cast<std::uintptr_t>(kWhite)));
    const __m256i stride = _mm256_set1_epi64x(static_cast<long long>(f.stride));
    std::uint8_t* out0 = f.outRow(y);
    std::uint8_t* out1 = f.outRow(y + 1);
    std::uint8_t* out2 = f.outRow(y + 2);
    std::uint8_t* out3 = f.outRow(y + 3);
    for (std::int32_t x = 0; x < f.width; ++x, out0 += 3, out1 += 3, out2 += 3, out3 += 3) {
        const __m256d u = _mm256_div_pd(s.nu, s.d);
        const __m256d v = _mm256_div_pd(s.nv, s.d);
        s.advance();
        const __m256d inside =
            _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(u, minusOne, _CMP_GT_OQ), _mm256_cmp_pd(u, w, _CMP_LT_OQ)),
                          _mm256_and_pd(_mm256_cmp_pd(v, minusOne, _CMP_GT_OQ), _mm256_cmp_pd(v, h, _CMP_LT_OQ)));
        // The addresses of lanes outside are meaningless and replaced by the white pixel's.
        const __m256i at = sourceAt4(top, stride, _mm256_cvttpd_epi32(u), _mm256_cvttpd_epi32(v));
        const std::uint8_t* in[4];
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(in), _mm256_blendv_epi8(white, at, _mm256_castpd_si256(inside)));
        std::memcpy(out0, in[0], 3);
        std::memcpy(out1, in[1], 3);
        std::memcpy(out2, in[2], 3);
        std::memcpy(out3, in[3], 3);
        if (x % kPrefetchEvery == 0)
            for (const std::uint8_t* at : in) prefetchAhead(f, at);
    }
}

// Doubles of byte k of four lanes, from 16 bytes holding bytes k0 .. k0 + 3 of lanes 0 .. 3.
VANTLE_AVX2 inline __m256d byteOf4(__m128i bytes, __m128i select) {
    return _mm256_cvtepi32_pd(_mm_shuffle_epi8(bytes, select));
}

VANTLE_AVX2 inline __m128i blend4(__m256d cTL, __m256d cTR, __m256d cBL, __m256d cBR, __m256d fx, __m256d gx,
                                  __m256d fy, __m256d gy, __m256d half) {
    const __m256d bottom = _mm256_add_pd(_mm256_mul_pd(cBR, fx), _mm256_mul_pd(cBL, gx));
    const __m256d upper = _mm256_add_pd(_mm256_mul_pd(cTR, fx), _mm256_mul_pd(cTL, gx));
    return _mm256_cvttpd_epi32(_mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(bottom, fy), _mm256_mul_pd(upper, gy)), half));
}

VANTLE_AVX2 void finalRowQuad(const Frame& f, const double* p, std::int32_t y, std::int32_t left, std::int32_t right) {
    RowQuad s(p, y);
    for (std::int32_t x = 0; x < left; ++x) s.advance();
    const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0), half = _mm256_set1_pd(0.5);
    const __m256d uEnd = _mm256_set1_pd(double(f.width - 2)), vEnd = _mm256_set1_pd(double(f.height - 1));
    const __m256i top = _mm256_set1_epi64x(static_cast<long long>(reinterpret_cast<std::uintptr_t>(f.top)));
    const __m256i stride = _mm256_set1_epi64x(static_cast<long long>(f.stride));
    // Zero-extends byte group g (bytes 4g .. 4g + 3) to four dwords.
    const __m128i group0 = _mm_setr_epi8(0, -1, -1, -1, 1, -1, -1, -1, 2, -1, -1, -1, 3, -1, -1, -1);
    const __m128i group1 = _mm_setr_epi8(4, -1, -1, -1, 5, -1, -1, -1, 6, -1, -1, -1, 7, -1, -1, -1);
    const __m128i group2 = _mm_setr_epi8(8, -1, -1, -1, 9, -1, -1, -1, 10, -1, -1, -1, 11, -1, -1, -1);
    const __m128i group3 = _mm_setr_epi8(12, -1, -1, -1, 13, -1, -1, -1, 14, -1, -1, -1, 15, -1, -1, -1);
    std::uint8_t* out0 = f.outRow(y) + std::size_t(left) * 3;
    std::uint8_t* out1 = f.outRow(y + 1) + std::size_t(left) * 3;
    std::uint8_t* out2 = f.outRow(y + 2) + std::size_t(left) * 3;
    std::uint8_t* out3 = f.outRow(y + 3) + std::size_t(left) * 3;
    // Plain arrays and unaligned accesses: the stack is not 32-byte aligned everywhere.
    struct Position {
        double fx[4], fy[4];         // where tl[0] is null (a lane not all inside): u and v
        const std::uint8_t* tl[4];  // top-left neighbour of each lane
    };
    Position at[kChunk];
    for (std::int32_t x0 = left; x0 <= right; x0 += kChunk) {
        const std::int32_t n = std::min(kChunk, right - x0 + 1);
        for (std::int32_t i = 0; i < n; ++i) {
            const __m256d u = _mm256_div_pd(s.nu, s.d);
            const __m256d v = _mm256_div_pd(s.nv, s.d);
            s.advance();
            const __m256d fast =
                _mm256_and_pd(_mm256_and_pd(_mm256_cmp_pd(u, zero, _CMP_GE_OQ), _mm256_cmp_pd(u, uEnd, _CMP_LT_OQ)),
                              _mm256_and_pd(_mm256_cmp_pd(v, zero, _CMP_GE_OQ), _mm256_cmp_pd(v, vEnd, _CMP_LT_OQ)));
            Position& pos = at[i];
            if (_mm256_movemask_pd(fast) != 15) {
                _mm256_storeu_pd(pos.fx, u);
                _mm256_storeu_pd(pos.fy, v);
                pos.tl[0] = nullptr;
                continue;
            }
            const __m128i iu = _mm256_cvttpd_epi32(u), iv = _mm256_cvttpd_epi32(v);
            _mm256_storeu_pd(pos.fx, _mm256_sub_pd(u, _mm256_cvtepi32_pd(iu)));
            _mm256_storeu_pd(pos.fy, _mm256_sub_pd(v, _mm256_cvtepi32_pd(iv)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(pos.tl), sourceAt4(top, stride, iu, iv));
            if ((x0 + i) % kPrefetchEvery == 0)
                for (const std::uint8_t* tl : pos.tl) prefetchAhead(f, tl - f.stride);
        }
        for (std::int32_t i = 0; i < n; ++i, out0 += 3, out1 += 3, out2 += 3, out3 += 3) {
            const Position& pos = at[i];
            if (!pos.tl[0]) {
                finalPixel(f, pos.fx[0], pos.fy[0], out0);
                finalPixel(f, pos.fx[1], pos.fy[1], out1);
                finalPixel(f, pos.fx[2], pos.fy[2], out2);
                finalPixel(f, pos.fx[3], pos.fy[3], out3);
                continue;
            }
            const __m256d fx = _mm256_loadu_pd(pos.fx), fy = _mm256_loadu_pd(pos.fy);
            const __m256d gx = _mm256_sub_pd(one, fx), gy = _mm256_sub_pd(one, fy);
            auto load8 = [](const std::uint8_t* at) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at)); };
            // Byte k (top-left B G R, top-right B G R) of lanes 0 .. 3 side by side: bytes 0 .. 3
            // in the low register, 4 and 5 in the high one.
            const __m128i t01 = _mm_unpacklo_epi8(load8(pos.tl[0]), load8(pos.tl[1]));
            const __m128i t23 = _mm_unpacklo_epi8(load8(pos.tl[2]), load8(pos.tl[3]));
            const __m128i b01 = _mm_unpacklo_epi8(load8(pos.tl[0] - f.stride), load8(pos.tl[1] - f.stride));
            const __m128i b23 = _mm_unpacklo_epi8(load8(pos.tl[2] - f.stride), load8(pos.tl[3] - f.stride));
            const __m128i tLow = _mm_unpacklo_epi16(t01, t23), tHigh = _mm_unpackhi_epi16(t01, t23);
            const __m128i bLow = _mm_unpacklo_epi16(b01, b23), bHigh = _mm_unpackhi_epi16(b01, b23);
            const __m128i blue = blend4(byteOf4(tLow, group0), byteOf4(tLow, group3), byteOf4(bLow, group0),
                                        byteOf4(bLow, group3), fx, gx, fy, gy, half);
            const __m128i green = blend4(byteOf4(tLow, group1), byteOf4(tHigh, group0), byteOf4(bLow, group1),
                                         byteOf4(bHigh, group0), fx, gx, fy, gy, half);
            const __m128i red = blend4(byteOf4(tLow, group2), byteOf4(tHigh, group1), byteOf4(bLow, group2),
                                       byteOf4(bHigh, group1), fx, gx, fy, gy, half);
            // B G R R of each lane as bytes; the values lie in 0..255.
            const __m128i bg01 = _mm_unpacklo_epi32(blue, green), bg23 = _mm_unpackhi_epi32(blue, green);
            const __m128i rr01 = _mm_unpacklo_epi32(red, red), rr23 = _mm_unpackhi_epi32(red, red);
            const __m128i w01 = _mm_packs_epi32(_mm_unpacklo_epi64(bg01, rr01), _mm_unpackhi_epi64(bg01, rr01));
            const __m128i w23 = _mm_packs_epi32(_mm_unpacklo_epi64(bg23, rr23), _mm_unpackhi_epi64(bg23, rr23));
            const __m128i bytes = _mm_packus_epi16(w01, w23);
            const std::uint32_t pixel0 = std::uint32_t(_mm_cvtsi128_si32(bytes));
            const std::uint32_t pixel1 = std::uint32_t(_mm_extract_epi32(bytes, 1));
            const std::uint32_t pixel2 = std::uint32_t(_mm_extract_epi32(bytes, 2));
            const std::uint32_t pixel3 = std::uint32_t(_mm_extract_epi32(bytes, 3));
            // The fourth byte lands on the next pixel of the row, written after this one.
            if (x0 + i < right) {
                std::memcpy(out0, &pixel0, 4);
                std::memcpy(out1, &pixel1, 4);
                std::memcpy(out2, &pixel2, 4);
                std::memcpy(out3, &pixel3, 4);
            } else {
                std::memcpy(out0, &pixel0, 3);
                std::memcpy(out1, &pixel1, 3);
                std::memcpy(out2, &pixel2, 3);
                std::memcpy(out3, &pixel3, 3);
            }
        }
    }
}

RenderSimd detectSimd() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? RenderSimd::Avx2 : RenderSimd::Sse2;
}

#else

RenderSimd detectSimd() { return RenderSimd::Plain; }

#endif

RenderSimd bestSimd() {
    static const RenderSimd best = detectSimd();
    return best;
}

std::atomic<RenderSimd> g_simd{RenderSimd::Avx2};

RenderSimd simdInUse() { return std::min(g_simd.load(std::memory_order_relaxed), bestSimd()); }

}  // namespace

RenderSimd SetRenderSimd(RenderSimd limit) {
    g_simd.store(limit, std::memory_order_relaxed);
    return simdInUse();
}

void RenderPreview(const PerspectiveMap& map, const std::uint8_t* source, std::uint8_t* target,
                   std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) return;
    const Frame f(source, target, width, height);
    if (!map.solvable) {
        for (std::int32_t y = 0; y < height; ++y) fillBackground(f.outRow(y), 0, width);
        return;
    }
    std::int32_t y = 0;
#ifdef VANTLE_RENDER_X86
    const RenderSimd simd = simdInUse();
    if (simd >= RenderSimd::Avx2)
        for (; y + 3 < height; y += 4) previewRowQuad(f, map.p, y);
    if (simd >= RenderSimd::Sse2)
        for (; y + 1 < height; y += 2) previewRowPair(f, map.p, y);
#endif
    for (; y < height; ++y) renderRow<previewPixel>(f, map.p, y, 0, width - 1);
}

void RenderFinal(const PerspectiveMap& map, const std::uint8_t* source, std::uint8_t* target, std::int32_t width,
                 std::int32_t height, const TrimRect* region) {
    if (width <= 0 || height <= 0) return;
    std::int32_t left = 0, top = 0, right = width - 1, bottom = height - 1;
    if (region) {
        left = std::max(left, region->left);
        top = std::max(top, region->top);
        right = std::min(right, region->right);
        bottom = std::min(bottom, region->bottom);
        if (left > right || top > bottom) return;
    }
    const Frame f(source, target, width, height);
    if (!map.solvable) {
        for (std::int32_t y = top; y <= bottom; ++y) fillBackground(f.outRow(y), left, right + 1);
        return;
    }
    std::int32_t y = top;
#ifdef VANTLE_RENDER_X86
    const RenderSimd simd = simdInUse();
    if (simd >= RenderSimd::Avx2)
        for (; y + 3 <= bottom; y += 4) finalRowQuad(f, map.p, y, left, right);
    if (simd >= RenderSimd::Sse2)
        for (; y + 1 <= bottom; y += 2) finalRowPair(f, map.p, y, left, right);
#endif
    for (; y <= bottom; ++y) renderRow<finalPixel>(f, map.p, y, left, right);
}
