// WebP files made in the test by libwebp's own encoder (so they exist natively and under Wine
// alike), a small RIFF writer that wraps encoded frames into an animation or declares other
// canvases, and the decoding function's result read back as pixels.
#pragma once

#include <webp/encode.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "addons/webp/WebpDecoder.h"

namespace webp {
inline void PrintTo(WebpStatus status, std::ostream* os) {
    static const char* const kNames[] = {"ok",       "notWebp",  "brokenData",    "unsupported",
                                         "tooLarge", "noMemory", "bufferTooSmall"};
    *os << kNames[static_cast<int>(status)];
}
}  // namespace webp

namespace webptest {

using Bytes = std::vector<std::uint8_t>;

// A picture as 0xAARRGGBB, top row first.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;

    Bytes bgra() const {
        Bytes b;
        for (std::uint32_t p : argb) {
            b.push_back(static_cast<std::uint8_t>(p));
            b.push_back(static_cast<std::uint8_t>(p >> 8));
            b.push_back(static_cast<std::uint8_t>(p >> 16));
            b.push_back(static_cast<std::uint8_t>(p >> 24));
        }
        return b;
    }
};

// Gradients and a little noise, opaque unless `alpha`: then a ramp from clear to opaque across.
inline Picture testPicture(int width, int height, bool alpha, std::uint32_t seed = 7) {
    Picture p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245 + 12345;
            const std::uint32_t r = static_cast<std::uint32_t>(x * 255 / (width > 1 ? width - 1 : 1));
            const std::uint32_t g = static_cast<std::uint32_t>(y * 255 / (height > 1 ? height - 1 : 1));
            const std::uint32_t b = seed >> 24;
            const std::uint32_t a = alpha ? static_cast<std::uint32_t>((x * 255) / (width > 1 ? width - 1 : 1)) : 255;
            p.argb.push_back(a << 24 | r << 16 | g << 8 | b);
        }
    return p;
}

inline Bytes fromEncoder(std::size_t size, std::uint8_t* output) {
    Bytes file(output, output + size);
    WebPFree(output);
    return file;
}

inline Bytes encodeLossless(const Picture& p) {
    const Bytes bgra = p.bgra();
    std::uint8_t* output = nullptr;
    const std::size_t size = WebPEncodeLosslessBGRA(bgra.data(), p.width, p.height, p.width * 4, &output);
    return fromEncoder(size, output);
}

// Lossy; with alpha in the picture, the alpha goes into an ALPH chunk.
inline Bytes encodeLossy(const Picture& p, float quality = 80) {
    const Bytes bgra = p.bgra();
    std::uint8_t* output = nullptr;
    const std::size_t size = WebPEncodeBGRA(bgra.data(), p.width, p.height, p.width * 4, quality, &output);
    return fromEncoder(size, output);
}

inline void put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put24(Bytes& b, std::uint32_t v) {
    put16(b, v);
    b.push_back(static_cast<std::uint8_t>(v >> 16));
}
inline void put32(Bytes& b, std::uint32_t v) {
    put16(b, v);
    put16(b, v >> 16);
}

inline Bytes chunk(const char* tag, const Bytes& payload) {
    Bytes c(tag, tag + 4);
    put32(c, static_cast<std::uint32_t>(payload.size()));
    c.insert(c.end(), payload.begin(), payload.end());
    if (payload.size() % 2) c.push_back(0);
    return c;
}

inline Bytes riff(const Bytes& chunks) {
    Bytes file = {'R', 'I', 'F', 'F'};
    put32(file, static_cast<std::uint32_t>(4 + chunks.size()));
    file.insert(file.end(), {'W', 'E', 'B', 'P'});
    file.insert(file.end(), chunks.begin(), chunks.end());
    return file;
}

// The chunks of an encoded still file that make up its picture (VP8X left out).
inline Bytes pictureChunks(const Bytes& file) {
    Bytes out;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::uint32_t size = file[at + 4] | file[at + 5] << 8 | file[at + 6] << 16 | std::uint32_t{file[at + 7]} << 24;
        const std::size_t whole = 8 + size + (size % 2);
        if (std::memcmp(&file[at], "VP8X", 4) != 0) out.insert(out.end(), file.begin() + at, file.begin() + at + whole);
        at += whole;
    }
    return out;
}

// VP8X with the animation and alpha flags and the given canvas, ANIM (transparent background, loop
// forever), then one full ANMF frame per encoded picture at the origin, each replacing the canvas.
inline Bytes animation(std::uint32_t canvasWidth, std::uint32_t canvasHeight, const std::vector<Bytes>& frames,
                       const std::vector<std::uint32_t>& frameSizes) {
    Bytes vp8x = {0x12, 0, 0, 0};  // animation, alpha
    put24(vp8x, canvasWidth - 1);
    put24(vp8x, canvasHeight - 1);
    Bytes anim;
    put32(anim, 0);
    put16(anim, 0);
    Bytes chunks = chunk("VP8X", vp8x);
    const Bytes a = chunk("ANIM", anim);
    chunks.insert(chunks.end(), a.begin(), a.end());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        Bytes anmf;
        put24(anmf, 0);
        put24(anmf, 0);
        put24(anmf, frameSizes[2 * i] - 1);
        put24(anmf, frameSizes[2 * i + 1] - 1);
        put24(anmf, 100);
        anmf.push_back(0x02);  // no blending, no disposal
        const Bytes data = pictureChunks(frames[i]);
        anmf.insert(anmf.end(), data.begin(), data.end());
        const Bytes f = chunk("ANMF", anmf);
        chunks.insert(chunks.end(), f.begin(), f.end());
    }
    return riff(chunks);
}

struct Decoded {
    webp::WebpStatus status = webp::WebpStatus::notWebp;
    webp::WebpHeader header;
    Bytes info, bits;

    std::uint32_t get32(std::size_t at) const {
        return info[at] | info[at + 1] << 8 | info[at + 2] << 16 | std::uint32_t{info[at + 3]} << 24;
    }
    // 0xRRGGBB at (x, y), y from the top.
    std::uint32_t rgb(std::uint32_t x, std::uint32_t y) const {
        const std::uint8_t* p = &bits[std::size_t{header.height - 1 - y} * header.stride + 3 * x];
        return std::uint32_t{p[2]} << 16 | p[1] << 8 | p[0];
    }
    std::vector<std::uint32_t> pixels() const {
        std::vector<std::uint32_t> all;
        for (std::uint32_t y = 0; y < header.height; ++y)
            for (std::uint32_t x = 0; x < header.width; ++x) all.push_back(rgb(x, y));
        return all;
    }
};

// readWebpHeader, then decodeWebp into buffers of exactly the sizes asked for, filled with 0xCD first.
inline Decoded decode(const Bytes& file) {
    Decoded d;
    d.status = webp::readWebpHeader(file.data(), file.size(), d.header);
    if (d.status != webp::WebpStatus::ok) return d;
    d.info.assign(d.header.infoBytes, 0xCD);
    d.bits.assign(d.header.bitsBytes, 0xCD);
    d.status = webp::decodeWebp(file.data(), file.size(), d.info.data(), d.info.size(), d.bits.data(), d.bits.size());
    return d;
}

// The picture composited on white as 0xRRGGBB, for lossless comparisons: (c·a + 255·(255 − a)) / 255
// to nearest.
inline std::vector<std::uint32_t> onWhite(const Picture& p) {
    std::vector<std::uint32_t> out;
    for (std::uint32_t v : p.argb) {
        const std::uint32_t a = v >> 24;
        std::uint32_t rgb = 0;
        for (int shift = 16; shift >= 0; shift -= 8) {
            const std::uint32_t c = v >> shift & 0xFF;
            rgb |= ((c * a + 255 * (255 - a) + 127) / 255) << shift;
        }
        out.push_back(rgb);
    }
    return out;
}

}  // namespace webptest
