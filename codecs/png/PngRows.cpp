// Row reconstruction and conversion: one routine per (pixel format, filter type), so the per-byte
// loop tests neither. Each routine undoes the filter in place and writes the row's pixels in the
// same pass. For 16-bit samples only the most significant byte is reconstructed and used: every
// filter predicts a byte from bytes at the same position within other pixels, so those bytes are
// exact without the least significant ones.
#include <cstdlib>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define VANTLE_PNG_SSE2 1
#endif

#include "codecs/png/PngDecoder.h"

namespace {

enum class Filter { None, Sub, Up, Average, Paeth };

inline std::uint8_t paethPredictor(int left, int up, int upperLeft) {
    // p = left + up - upperLeft; the distances of p to each neighbour. Selects rather than
    // branches: on photographs the winner changes from byte to byte.
    const int pa = std::abs(up - upperLeft);
    const int pb = std::abs(left - upperLeft);
    const int pc = std::abs(left + up - 2 * upperLeft);
    const int upOrUpperLeft = pb <= pc ? up : upperLeft;
    const int nearest = pb <= pc ? pb : pc;
    return static_cast<std::uint8_t>(pa <= nearest ? left : upOrUpperLeft);
}

template <Filter F>
inline std::uint8_t reconstruct(std::uint8_t x, std::uint8_t left, std::uint8_t up, std::uint8_t upperLeft) {
    if constexpr (F == Filter::None) return x;
    if constexpr (F == Filter::Sub) return static_cast<std::uint8_t>(x + left);
    if constexpr (F == Filter::Up) return static_cast<std::uint8_t>(x + up);
    if constexpr (F == Filter::Average) return static_cast<std::uint8_t>(x + ((left + up) >> 1));
    if constexpr (F == Filter::Paeth) return static_cast<std::uint8_t>(x + paethPredictor(left, up, upperLeft));
}

// Pixel formats of 8 and 16 bits per sample: bytes per pixel in the row, the distance between the
// bytes that are reconstructed (2 for 16-bit: the most significant bytes only), and the output of
// one pixel from its reconstructed samples (grey or red, green, blue, then alpha).
struct Grey8 {
    static constexpr int unit = 1, sampleStep = 1;
    static constexpr bool colour = false, alpha = false;
    static void emit(const std::uint8_t* v, std::uint8_t* out, std::uint8_t*) { out[0] = v[0]; }
};
struct GreyAlpha8 {
    static constexpr int unit = 2, sampleStep = 1;
    static constexpr bool colour = false, alpha = true;
    static void emit(const std::uint8_t* v, std::uint8_t* out, std::uint8_t* a) {
        out[0] = v[0];
        a[0] = v[1];
    }
};
struct Grey16 : Grey8 {
    static constexpr int unit = 2, sampleStep = 2;
};
struct GreyAlpha16 : GreyAlpha8 {
    static constexpr int unit = 4, sampleStep = 2;
};
struct Rgb8 {
    static constexpr int unit = 3, sampleStep = 1;
    static constexpr bool colour = true, alpha = false;
    static void emit(const std::uint8_t* v, std::uint8_t* out, std::uint8_t*) {
        out[0] = v[2];
        out[1] = v[1];
        out[2] = v[0];
    }
};
struct Rgba8 {
    static constexpr int unit = 4, sampleStep = 1;
    static constexpr bool colour = true, alpha = true;
    static void emit(const std::uint8_t* v, std::uint8_t* out, std::uint8_t* a) {
        out[0] = v[2];
        out[1] = v[1];
        out[2] = v[0];
        a[0] = v[3];
    }
};
struct Rgb16 : Rgb8 {
    static constexpr int unit = 6, sampleStep = 2;
};
struct Rgba16 : Rgba8 {
    static constexpr int unit = 8, sampleStep = 2;
};

#ifdef VANTLE_PNG_SSE2
// Paeth for 8-bit RGB and RGBA with one pixel's channels side by side in 16-bit lanes: a quarter
// of the instructions of the byte-by-byte form, the same arithmetic.
struct PaethSse2 {
    __m128i zero = _mm_setzero_si128();
    __m128i byteMask = _mm_set1_epi16(0xFF);

    // Exactly `unit` bytes (the row may end right behind the pixel), assembled in a register,
    // since a narrow store read back wide stalls.
    template <int U>
    __m128i load(const std::uint8_t* p) const {
        std::uint32_t v;
        if constexpr (U == 4) std::memcpy(&v, p, 4);
        else v = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
        return _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(v)), zero);
    }
    __m128i absolute(__m128i v) const { return _mm_max_epi16(v, _mm_sub_epi16(zero, v)); }

    // x + the Paeth predictor of (left, up, upperLeft), modulo 256.
    __m128i reconstruct(__m128i x, __m128i left, __m128i up, __m128i upperLeft) const {
        // p = left + up - upperLeft: pa = |p - left|, pb = |p - up|, pc = |p - upperLeft|.
        const __m128i toUp = _mm_sub_epi16(up, upperLeft);
        const __m128i toLeft = _mm_sub_epi16(left, upperLeft);
        const __m128i pa = absolute(toUp);
        const __m128i pb = absolute(toLeft);
        const __m128i pc = absolute(_mm_add_epi16(toUp, toLeft));
        // left when pa <= pb and pa <= pc, else up when pb <= pc, else upper left.
        const __m128i notLeft = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
        const __m128i takeUpperLeft = _mm_cmpgt_epi16(pb, pc);
        const __m128i upOrUpperLeft =
            _mm_or_si128(_mm_andnot_si128(takeUpperLeft, up), _mm_and_si128(takeUpperLeft, upperLeft));
        const __m128i predictor = _mm_or_si128(_mm_andnot_si128(notLeft, left), _mm_and_si128(notLeft, upOrUpperLeft));
        return _mm_and_si128(_mm_add_epi16(x, predictor), byteMask);
    }

    // The pixel's bytes, stored back into the row when `row` is given, and written out.
    template <class Format>
    void finish(__m128i value, std::uint8_t* row, std::uint8_t* out, std::uint8_t* alpha) const {
        const auto packed = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(value, value)));
        const std::uint8_t v[4] = {static_cast<std::uint8_t>(packed), static_cast<std::uint8_t>(packed >> 8),
                                   static_cast<std::uint8_t>(packed >> 16), static_cast<std::uint8_t>(packed >> 24)};
        if (row)
            for (int k = 0; k < Format::unit; ++k) row[k] = v[k];
        Format::emit(v, out, alpha);
    }
};

template <class Format>
void paethRowSse2(PngDecoder& d, std::uint8_t* output) {
    constexpr int U = Format::unit;
    const PaethSse2 k;
    const int pixels = (d.rowBytes - 1) / U;
    std::uint8_t* cur = d.currentRow + 1;
    const std::uint8_t* prev = d.previousRow;
    std::uint8_t* alpha = d.alphaCursor;
    __m128i left = k.zero, upperLeft = k.zero;
    for (int p = 0; p < pixels; ++p) {
        const __m128i up = k.load<U>(prev + p * U);
        const __m128i value = k.reconstruct(k.load<U>(cur + p * U), left, up, upperLeft);
        k.finish<Format>(value, cur + p * U, output + p * d.outputStep, Format::alpha ? alpha + p * d.pixelStep : nullptr);
        left = value;
        upperLeft = up;
    }
}

// Two Paeth rows in one pass: the lower row's chain runs a pixel behind the upper row's and takes
// its row above from registers, so the two dependency chains overlap. Only the lower row is stored
// back, as the row above whatever follows.
template <class Format>
void paethPairSse2(PngDecoder& d, std::uint8_t* rows, const std::uint8_t* above, const PngRowOutput& first,
                   const PngRowOutput& second) {
    constexpr int U = Format::unit;
    const PaethSse2 k;
    const int pixels = (d.rowBytes - 1) / U;
    const std::uint8_t* upper = rows + 1;
    std::uint8_t* lower = rows + d.rowBytes + 1;
    __m128i leftA = k.zero, upperLeftA = k.zero, leftB = k.zero, upperLeftB = k.zero;
    for (int p = 0; p < pixels; ++p) {
        const __m128i upA = k.load<U>(above + p * U);
        const __m128i valueA = k.reconstruct(k.load<U>(upper + p * U), leftA, upA, upperLeftA);
        const __m128i valueB = k.reconstruct(k.load<U>(lower + p * U), leftB, valueA, upperLeftB);
        k.finish<Format>(valueA, nullptr, first.output + p * d.outputStep,
                         Format::alpha ? first.alpha + p * d.pixelStep : nullptr);
        k.finish<Format>(valueB, lower + p * U, second.output + p * d.outputStep,
                         Format::alpha ? second.alpha + p * d.pixelStep : nullptr);
        leftA = valueA;
        upperLeftA = upA;
        leftB = valueB;
        upperLeftB = valueA;
    }
}
#endif

template <class Format, Filter F>
void sampleRow(PngDecoder& d, std::uint8_t* output) {
#ifdef VANTLE_PNG_SSE2
    if constexpr (F == Filter::Paeth && (std::is_same_v<Format, Rgb8> || std::is_same_v<Format, Rgba8>)) {
        paethRowSse2<Format>(d, output);
        return;
    }
#endif
    constexpr int U = Format::unit;
    constexpr int S = Format::sampleStep;
    constexpr int C = U / S;  // samples reconstructed per pixel
    const int pixels = (d.rowBytes - 1) / U;
    std::uint8_t* __restrict cur = d.currentRow + 1;
    const std::uint8_t* __restrict prev = d.previousRow;
    std::uint8_t* __restrict out = output;
    std::uint8_t* __restrict alpha = d.alphaCursor;
    const std::ptrdiff_t outAdvance = Format::colour ? d.outputStep : d.pixelStep;
    const std::ptrdiff_t alphaAdvance = d.pixelStep;

    // Left and upper-left neighbours ride in registers from pixel to pixel (0 for the first), so
    // the chain from one pixel to the next never waits on a store.
    std::uint8_t left[C] = {}, upperLeft[C] = {};
    for (int p = 0; p < pixels; ++p) {
        std::uint8_t* px = cur + p * U;
        const std::uint8_t* above = prev + p * U;
        std::uint8_t v[C];
        for (int c = 0; c < C; ++c) {
            const std::uint8_t up = above[c * S];
            v[c] = reconstruct<F>(px[c * S], left[c], up, upperLeft[c]);
            px[c * S] = v[c];
            left[c] = v[c];
            upperLeft[c] = up;
        }
        Format::emit(v, out + p * outAdvance, Format::alpha ? alpha + p * alphaAdvance : nullptr);
    }
}

// Depths 1, 2 and 4: the packed bytes are reconstructed with a filter unit of 1 and each handed to
// the unpacker as soon as it is whole; the last byte may hold fewer pixels.
template <Filter F>
void packedRow(PngDecoder& d, std::uint8_t* out) {
    const int n = d.rowBytes - 1;
    if (n < 1) return;
    std::uint8_t* cur = d.currentRow + 1;
    const std::uint8_t* prev = d.previousRow;
    cur[0] = reconstruct<F>(cur[0], 0, prev[0], 0);
    for (int j = 1; j < n; ++j) {
        d.unpackByte(d, out, cur[j - 1]);
        cur[j] = reconstruct<F>(cur[j], cur[j - 1], prev[j], prev[j - 1]);
    }
    d.unpackLastByte(d, out, cur[n - 1]);
}

template <int Depth>
void unpackByte(PngDecoder& d, std::uint8_t*& out, std::uint8_t byte) {
    constexpr int perByte = 8 / Depth;
    constexpr unsigned mask = (1u << Depth) - 1;
    for (int k = 1; k <= perByte; ++k) {
        *out = static_cast<std::uint8_t>((byte >> (8 - Depth * k)) & mask);
        out += d.pixelStep;
    }
}

template <int Depth>
void unpackLastByte(PngDecoder& d, std::uint8_t*& out, std::uint8_t byte) {
    constexpr unsigned mask = (1u << Depth) - 1;
    const int count = d.lastBytePixels ? d.lastBytePixels : 8 / Depth;
    for (int k = 1; k <= count; ++k) {
        *out = static_cast<std::uint8_t>((byte >> (8 - Depth * k)) & mask);
        out += d.pixelStep;
    }
}

// rowRoutine is indexed by the row's filter byte.
void setFilterRoutines(PngDecoder& d, PngRowRoutine none, PngRowRoutine sub, PngRowRoutine up, PngRowRoutine average,
                       PngRowRoutine paeth) {
    d.rowRoutine[0] = none;
    d.rowRoutine[1] = sub;
    d.rowRoutine[2] = up;
    d.rowRoutine[3] = average;
    d.rowRoutine[4] = paeth;
}

template <class Format>
void useSampleRoutines(PngDecoder& d) {
    d.paethPair = nullptr;
#ifdef VANTLE_PNG_SSE2
    if constexpr (std::is_same_v<Format, Rgb8> || std::is_same_v<Format, Rgba8>) d.paethPair = paethPairSse2<Format>;
#endif
    setFilterRoutines(d, sampleRow<Format, Filter::None>, sampleRow<Format, Filter::Sub>, sampleRow<Format, Filter::Up>,
                      sampleRow<Format, Filter::Average>, sampleRow<Format, Filter::Paeth>);
    d.filterUnit = Format::unit;
    d.outputBits = Format::colour ? 24 : 8;
}

template <int Depth>
void usePackedRoutines(PngDecoder& d) {
    setFilterRoutines(d, packedRow<Filter::None>, packedRow<Filter::Sub>, packedRow<Filter::Up>,
                      packedRow<Filter::Average>, packedRow<Filter::Paeth>);
    d.paethPair = nullptr;
    d.unpackByte = unpackByte<Depth>;
    d.unpackLastByte = unpackLastByte<Depth>;
    d.filterUnit = 1;
    d.outputBits = 8;
}

}  // namespace

bool selectRowRoutines(PngDecoder& d) {
    const int type = d.colourType;
    bool allowed = true;
    switch (d.bitDepth) {
    case 1:
    case 2:
    case 4:
        if (type != 0 && type != 3) allowed = false;
        else if (d.bitDepth == 1) usePackedRoutines<1>(d);
        else if (d.bitDepth == 2) usePackedRoutines<2>(d);
        else usePackedRoutines<4>(d);
        break;
    case 8:
        switch (type) {
        case 0:
        case 3: useSampleRoutines<Grey8>(d); break;
        case 2: useSampleRoutines<Rgb8>(d); break;
        case 4: useSampleRoutines<GreyAlpha8>(d); break;
        case 6: useSampleRoutines<Rgba8>(d); break;
        default: allowed = false;
        }
        break;
    case 16:
        switch (type) {
        case 0: useSampleRoutines<Grey16>(d); break;
        case 2: useSampleRoutines<Rgb16>(d); break;
        case 4: useSampleRoutines<GreyAlpha16>(d); break;
        case 6: useSampleRoutines<Rgba16>(d); break;
        default: allowed = false;
        }
        break;
    default:
        d.source.status = CodecStatus::PngBitDepth;
        return false;
    }
    if (!allowed) {
        d.source.status = CodecStatus::PngColourType;
        return false;
    }
    d.bytesPerSample = d.bitDepth / 8;
    d.isGrey = (type & 2) == 0;
    d.hasAlpha = (type & 4) != 0;
    return true;
}
