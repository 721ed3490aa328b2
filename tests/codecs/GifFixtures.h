// Helpers for the GIF tests: a byte builder for hand-made files, an LZW code packer that follows the
// GIF code-width rule, and decode/encode shortcuts.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "codecs/Gif.h"
#include "support/CodecPrinting.h"

namespace giftest {

using Bytes = std::vector<std::uint8_t>;

inline void append(Bytes& b, std::initializer_list<int> bytes) {
    for (int v : bytes) b.push_back(static_cast<std::uint8_t>(v));
}
inline void append16(Bytes& b, unsigned v) { append(b, {static_cast<int>(v & 0xFF), static_cast<int>(v >> 8)}); }

// "GIF89a", logical screen descriptor and, when `tableBits` > 0, a global table whose entry i is
// (red i, green 2i, blue 3i) mod 256.
inline Bytes header(unsigned screenW, unsigned screenH, unsigned tableBits, unsigned background = 0,
                    const char* version = "89a") {
    Bytes b = {'G', 'I', 'F'};
    for (int i = 0; i < 3; ++i) b.push_back(static_cast<std::uint8_t>(version[i]));
    append16(b, screenW);
    append16(b, screenH);
    append(b, {tableBits ? static_cast<int>(0x80 | (tableBits - 1)) : 0, static_cast<int>(background), 0});
    for (unsigned i = 0; tableBits && i < (1u << tableBits); ++i)
        append(b, {static_cast<int>(i & 0xFF), static_cast<int>(2 * i & 0xFF), static_cast<int>(3 * i & 0xFF)});
    return b;
}

inline void graphicControl(Bytes& b, bool transparent, unsigned index) {
    append(b, {0x21, 0xF9, 4, transparent ? 1 : 0, 0, 0, static_cast<int>(index), 0});
}

// Image descriptor; a local table of `localBits` (0: none) whose entry i is (255 - i, i, 7).
inline void descriptor(Bytes& b, unsigned left, unsigned top, unsigned w, unsigned h, bool interlaced = false,
                       unsigned localBits = 0) {
    b.push_back(0x2C);
    append16(b, left);
    append16(b, top);
    append16(b, w);
    append16(b, h);
    b.push_back(static_cast<std::uint8_t>((localBits ? 0x80 | (localBits - 1) : 0) | (interlaced ? 0x40 : 0)));
    for (unsigned i = 0; localBits && i < (1u << localBits); ++i)
        append(b, {static_cast<int>(255 - i), static_cast<int>(i), 7});
}

// Packs codes least significant bit first. The width follows the decoder's table: it starts at
// min + 1, every code after the first (and after each clear's first) adds an entry while there is
// room, and the width grows when the next free code no longer fits.
inline Bytes packCodes(const std::vector<unsigned>& codes, unsigned minCodeSize) {
    const unsigned clear = 1u << minCodeSize;
    unsigned width = minCodeSize + 1, nextFree = clear + 2;
    bool first = true;
    std::uint64_t bits = 0;
    unsigned count = 0;
    Bytes out;
    for (unsigned c : codes) {
        bits |= std::uint64_t{c} << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<std::uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
        if (c == clear) {
            width = minCodeSize + 1;
            nextFree = clear + 2;
            first = true;
        } else if (c != clear + 1) {
            if (!first && nextFree < 4096) ++nextFree;
            first = false;
            while (width < 12 && nextFree > (1u << width) - 1) ++width;
        }
    }
    if (count) out.push_back(static_cast<std::uint8_t>(bits));
    return out;
}

// The minimum code size byte, the data in sub-blocks of at most `blockSize` bytes, the terminator.
inline void imageData(Bytes& b, unsigned minCodeSize, const Bytes& data, std::size_t blockSize = 255) {
    b.push_back(static_cast<std::uint8_t>(minCodeSize));
    for (std::size_t at = 0; at < data.size(); at += blockSize) {
        const std::size_t n = std::min(blockSize, data.size() - at);
        b.push_back(static_cast<std::uint8_t>(n));
        b.insert(b.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    b.push_back(0);
}

struct Decoded {
    CodecStatus status = CodecStatus::Ok;
    std::unique_ptr<ImageData, void (*)(ImageData*)> image{nullptr, freeImageData};
    explicit operator bool() const { return image != nullptr; }
    std::uint32_t width() const { return static_cast<std::uint32_t>(image->header.biWidth); }
    std::uint32_t height() const { return static_cast<std::uint32_t>(image->header.biHeight); }
    // Index at (x, y) with y counted from the top of the picture.
    std::uint8_t at(std::uint32_t x, std::uint32_t y) const {
        return image->pixels[std::size_t{height() - 1 - y} * rowStride(width(), 8) + x];
    }
    std::uint32_t rgb(std::uint32_t x, std::uint32_t y) const {
        const RGBQUAD& q = image->palette[at(x, y)];
        return std::uint32_t{q.rgbRed} << 16 | q.rgbGreen << 8 | q.rgbBlue;
    }
};

inline Decoded decode(const Bytes& file) {
    Decoded d;
    ImageSource source;
    d.image.reset(loadFramedMemory(source, file.data(), file.size(), decodeGif));
    d.status = source.status;
    return d;
}

// A 24-bit bottom-up image (padded rows) from a function of (x, y from the top) giving 0xRRGGBB.
template <class F>
Bytes bgrImage(std::uint32_t w, std::uint32_t h, F colourAt) {
    const std::uint32_t stride = rowStride(w, 24);
    Bytes px(std::size_t{stride} * h + 4, 0);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t c = colourAt(x, y);
            std::uint8_t* p = &px[std::size_t{h - 1 - y} * stride + x * 3];
            p[0] = static_cast<std::uint8_t>(c), p[1] = static_cast<std::uint8_t>(c >> 8),
            p[2] = static_cast<std::uint8_t>(c >> 16);
        }
    return px;
}

inline std::uint32_t pixelAt(const Bytes& bgr, std::uint32_t w, std::uint32_t h, std::uint32_t x, std::uint32_t y) {
    const std::uint8_t* p = &bgr[std::size_t{h - 1 - y} * rowStride(w, 24) + x * 3];
    return std::uint32_t{p[2]} << 16 | p[1] << 8 | p[0];
}

// Encodes a 24-bit image to memory; empty on failure (status in *status when given).
inline Bytes encode(const Bytes& bgr, std::uint32_t w, std::uint32_t h, bool interlaced,
                    CodecStatus* status = nullptr) {
    Bytes out;
    ImageSink sink;
    setGeometry(sink.reducer, w, h, 24, 8);
    const bool ok = saveGifToMemory(sink, out, nullptr, bgr.data(), interlaced);
    if (status) *status = sink.status;
    if (!ok) out.clear();
    return out;
}

// Offset of the first image descriptor (0x2C) of a well-formed file, walking over extensions.
inline std::size_t findDescriptor(const Bytes& f) {
    std::size_t p = 13;
    if (f[10] & 0x80) p += 3u << ((f[10] & 7) + 1);
    while (p < f.size() && f[p] == 0x21) {
        p += 2;
        while (p < f.size() && f[p] != 0) p += 1 + f[p];
        ++p;
    }
    return p;
}

}  // namespace giftest
