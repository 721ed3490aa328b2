// The pixel layouts of device-independent bitmaps, shared by the BMP decoder, the clipboard paste
// and the TIFF decoder: packed indexes, bit fields, and the info header as stored.
#include <algorithm>
#include <cstring>

#include "codecs/Bmp.h"

namespace {

int lowestBit(std::uint32_t v) {
    int i = 0;
    while (!(v & 1)) {
        v >>= 1;
        ++i;
    }
    return i;
}

int highestBit(std::uint32_t v) {
    int i = -1;
    while (v) {
        v >>= 1;
        ++i;
    }
    return i;
}

}  // namespace

void setBitFields(BitFields& f, std::uint32_t redMask, std::uint32_t greenMask, std::uint32_t blueMask) {
    const std::uint32_t masks[3] = {blueMask, greenMask, redMask};
    for (int c = 0; c < 3; ++c) {
        const std::uint32_t m = masks[c];
        f.mask[c] = m;
        f.shift[c] = m ? static_cast<std::uint32_t>(lowestBit(m)) : 0;
        f.bits[c] = m ? static_cast<std::uint32_t>(highestBit(m) - lowestBit(m) + 1) : 0;
        if (f.bits[c] >= 1 && f.bits[c] <= 8) {
            const std::uint32_t top = (1u << f.bits[c]) - 1;
            for (std::uint32_t v = 0; v < 256; ++v) f.table[c][v] = static_cast<std::uint8_t>(std::min(v, top) * 255 / top);
        } else {
            std::memset(f.table[c], 0, sizeof f.table[c]);
        }
    }
}

std::uint8_t bitFieldChannel(const BitFields& f, int c, std::uint32_t pixel) {
    const std::uint32_t v = (pixel & f.mask[c]) >> f.shift[c];
    if (f.bits[c] <= 8) return f.table[c][v];  // a zero mask reads entry 0, which is 0
    const std::uint64_t top = (std::uint64_t{1} << f.bits[c]) - 1;
    return static_cast<std::uint8_t>(std::uint64_t{v} * 255 / top);
}

void convertBitFieldRow(const BitFields& f, const std::uint8_t* s, std::uint32_t bytesPerPixel, std::uint8_t* d,
                        std::uint32_t count) {
    for (std::uint32_t x = 0; x < count; ++x, s += bytesPerPixel, d += 3) {
        const std::uint32_t pixel = bytesPerPixel == 2 ? load16le(s) : load32le(s);
        d[0] = bitFieldChannel(f, 0, pixel);
        d[1] = bitFieldChannel(f, 1, pixel);
        d[2] = bitFieldChannel(f, 2, pixel);
    }
}

void unpackIndexedRow(const std::uint8_t* s, std::uint32_t bits, std::uint8_t* d, std::uint32_t count) {
    if (bits == 1) {
        for (std::uint32_t j = 0; j < count; ++j) d[j] = (s[j >> 3] >> (7 - (j & 7))) & 1;
    } else {
        for (std::uint32_t j = 0; j < count; ++j) d[j] = (j & 1) ? (s[j >> 1] & 0x0F) : (s[j >> 1] >> 4);
    }
}

BITMAPINFOHEADER readInfoHeader(ByteReader& r) {
    BITMAPINFOHEADER h{};
    h.biSize = r.u32le();
    h.biWidth = static_cast<std::int32_t>(r.u32le());
    h.biHeight = static_cast<std::int32_t>(r.u32le());
    h.biPlanes = r.u16le();
    h.biBitCount = r.u16le();
    h.biCompression = r.u32le();
    h.biSizeImage = r.u32le();
    h.biXPelsPerMeter = static_cast<std::int32_t>(r.u32le());
    h.biYPelsPerMeter = static_cast<std::int32_t>(r.u32le());
    h.biClrUsed = r.u32le();
    h.biClrImportant = r.u32le();
    return h;
}
