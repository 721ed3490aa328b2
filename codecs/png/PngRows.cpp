// Row reconstruction and conversion: one routine per (pixel format, filter type), so the per-byte
// loop tests neither. Each routine undoes the filter in place and writes the row's pixels in the
// same pass. For 16-bit samples only the most significant byte is reconstructed and used: every
// filter predicts a byte from bytes at the same position within other pixels, so those bytes are
// exact without the least significant ones.
#include <cstdlib>

#include "codecs/png/PngDecoder.h"

namespace {

enum Filter { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

inline std::uint8_t paethPredictor(int left, int up, int upperLeft) {
    // p = left + up - upperLeft; the distances of p to each neighbour.
    const int pa = std::abs(up - upperLeft);
    const int pb = std::abs(left - upperLeft);
    const int pc = std::abs(left + up - 2 * upperLeft);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(left);
    if (pb <= pc) return static_cast<std::uint8_t>(up);
    return static_cast<std::uint8_t>(upperLeft);
}

template <int F>
inline std::uint8_t reconstruct(std::uint8_t x, std::uint8_t left, std::uint8_t up, std::uint8_t upperLeft) {
    if constexpr (F == kNone) return x;
    if constexpr (F == kSub) return static_cast<std::uint8_t>(x + left);
    if constexpr (F == kUp) return static_cast<std::uint8_t>(x + up);
    if constexpr (F == kAverage) return static_cast<std::uint8_t>(x + ((left + up) >> 1));
    if constexpr (F == kPaeth) return static_cast<std::uint8_t>(x + paethPredictor(left, up, upperLeft));
}

// Pixel formats of 8 and 16 bits per sample: bytes per pixel in the row, the distance between the
// bytes that are reconstructed (2 for 16-bit: the most significant bytes only), and the output.
struct Grey8 {
    static constexpr int unit = 1, sampleStep = 1;
    static constexpr bool colour = false, alpha = false;
    static void emit(const std::uint8_t* p, std::uint8_t* out, std::uint8_t*) { out[0] = p[0]; }
};
struct GreyAlpha8 {
    static constexpr int unit = 2, sampleStep = 1;
    static constexpr bool colour = false, alpha = true;
    static void emit(const std::uint8_t* p, std::uint8_t* out, std::uint8_t* a) { out[0] = p[0]; a[0] = p[1]; }
};
struct Grey16 {
    static constexpr int unit = 2, sampleStep = 2;
    static constexpr bool colour = false, alpha = false;
    static void emit(const std::uint8_t* p, std::uint8_t* out, std::uint8_t*) { out[0] = p[0]; }
};
struct GreyAlpha16 {
    static constexpr int unit = 4, sampleStep = 2;
    static constexpr bool colour = false, alpha = true;
    static void emit(const std::uint8_t* p, std::uint8_t* out, std::uint8_t* a) { out[0] = p[0]; a[0] = p[2]; }
};
struct Rgb8 {
    static constexpr int unit = 3, sampleStep = 1;
    static constexpr bool colour = true, alpha = false;
    static void emit(const std::uint8_t* p, std::uint8_t* out, std::uint8_t*) {
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
    }
};
struct Rgba8 {
    static constexpr int unit = 4, sampleStep = 1;
    static constexpr bool colour = true, alpha = true;
    static void emit(const std::uint8_t* p, std::uint8_t* out, std::uint8_t* a) {
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
        a[0] = p[3];
    }
};
struct Rgb16 {
    static constexpr int unit = 6, sampleStep = 2;
    static constexpr bool colour = true, alpha = false;
    static void emit(const std::uint8_t* p, std::uint8_t* out, std::uint8_t*) {
        out[0] = p[4];
        out[1] = p[2];
        out[2] = p[0];
    }
};
struct Rgba16 {
    static constexpr int unit = 8, sampleStep = 2;
    static constexpr bool colour = true, alpha = true;
    static void emit(const std::uint8_t* p, std::uint8_t* out, std::uint8_t* a) {
        out[0] = p[4];
        out[1] = p[2];
        out[2] = p[0];
        a[0] = p[6];
    }
};

template <class Format, int F>
void sampleRow(PngDecoder& d, std::uint8_t* out) {
    constexpr int U = Format::unit;
    constexpr int S = Format::sampleStep;
    const int n = d.rowBytes - 1;
    if (n < U) return;
    std::uint8_t* cur = d.currentRow + 1;
    const std::uint8_t* prev = d.previousRow;
    const std::ptrdiff_t outAdvance = Format::colour ? d.outputStep : d.pixelStep;
    const std::ptrdiff_t alphaAdvance = d.pixelStep;
    std::uint8_t* alpha = d.alphaCursor;

    // The first pixel has no left or upper-left neighbour.
    for (int k = 0; k < U; k += S) cur[k] = reconstruct<F>(cur[k], 0, prev[k], 0);
    Format::emit(cur, out, alpha);
    for (int i = U; i < n; i += U) {
        out += outAdvance;
        if constexpr (Format::alpha) alpha += alphaAdvance;
        for (int k = i; k < i + U; k += S) cur[k] = reconstruct<F>(cur[k], cur[k - U], prev[k], prev[k - U]);
        Format::emit(cur + i, out, alpha);
    }
}

// Depths 1, 2 and 4: the packed bytes are reconstructed with a filter unit of 1 and each handed to
// the unpacker as soon as it is whole; the last byte may hold fewer pixels.
template <int F>
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

template <class Format>
void useSampleRoutines(PngDecoder& d) {
    d.rowRoutine[kNone] = sampleRow<Format, kNone>;
    d.rowRoutine[kSub] = sampleRow<Format, kSub>;
    d.rowRoutine[kUp] = sampleRow<Format, kUp>;
    d.rowRoutine[kAverage] = sampleRow<Format, kAverage>;
    d.rowRoutine[kPaeth] = sampleRow<Format, kPaeth>;
    d.filterUnit = Format::unit;
    d.outputBits = Format::colour ? 24 : 8;
}

template <int Depth>
void usePackedRoutines(PngDecoder& d) {
    d.rowRoutine[kNone] = packedRow<kNone>;
    d.rowRoutine[kSub] = packedRow<kSub>;
    d.rowRoutine[kUp] = packedRow<kUp>;
    d.rowRoutine[kAverage] = packedRow<kAverage>;
    d.rowRoutine[kPaeth] = packedRow<kPaeth>;
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
        d.source.status = status::kPngBitDepth;
        return false;
    }
    if (!allowed) {
        d.source.status = status::kPngColourType;
        return false;
    }
    d.bytesPerSample = d.bitDepth / 8;
    d.isGrey = (type & 2) == 0;
    d.hasAlpha = (type & 4) != 0;
    return true;
}
