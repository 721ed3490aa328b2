#include "ImageFiles.h"

#include <algorithm>
#include <cstdio>

namespace {

void put8(Bytes& b, std::uint32_t v) { b.push_back(static_cast<std::uint8_t>(v)); }
void put16(Bytes& b, std::uint32_t v) {
    put8(b, v);
    put8(b, v >> 8);
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v);
    put16(b, v >> 16);
}
void put32be(Bytes& b, std::uint32_t v) {
    put8(b, v >> 24);
    put8(b, v >> 16);
    put8(b, v >> 8);
    put8(b, v);
}

std::uint8_t level(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

void putInfoHeader(Bytes& b, int width, int height, int bits, std::uint32_t imageBytes) {
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(bits));
    put32(b, 0);  // BI_RGB
    put32(b, imageBytes);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
}

// The bytes of one ICO/CUR image: header with doubled height, BGRA rows and the AND mask, both
// bottom-up.
Bytes iconImageBytes(const Canvas& c) {
    const int w = c.width(), h = c.height();
    const int maskStride = ((w + 31) / 32) * 4;
    Bytes b;
    putInfoHeader(b, w, h * 2, 32, static_cast<std::uint32_t>(w * h * 4 + maskStride * h));
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const Colour p = c.pixel(x, y);
            put8(b, level(p.b));
            put8(b, level(p.g));
            put8(b, level(p.r));
            put8(b, level(p.a));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < w; ++x)
            if (c.pixel(x, y).a < 0.5f) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

std::uint32_t crc32(const std::uint8_t* data, std::size_t n, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void putChunk(Bytes& png, const char* type, const Bytes& data) {
    put32be(png, static_cast<std::uint32_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    put32be(png, crc32(body.data(), body.size()));
}

}  // namespace

Bytes encodeKeyedBmp(const Canvas& c, std::uint32_t background, std::uint32_t key) {
    const int w = c.width(), h = c.height();
    const int stride = (w * 3 + 3) & ~3;
    const Colour bg = rgb(background);
    Bytes b;
    put8(b, 'B');
    put8(b, 'M');
    put32(b, static_cast<std::uint32_t>(54 + stride * h));
    put32(b, 0);
    put32(b, 54);
    putInfoHeader(b, w, h, 24, static_cast<std::uint32_t>(stride * h));
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const Colour p = c.pixel(x, y);
            if (p.a < 0.5f) {
                put8(b, key & 0xFF);
                put8(b, (key >> 8) & 0xFF);
                put8(b, (key >> 16) & 0xFF);
            } else {
                put8(b, level(p.b * p.a + bg.b * (1 - p.a)));
                put8(b, level(p.g * p.a + bg.g * (1 - p.a)));
                put8(b, level(p.r * p.a + bg.r * (1 - p.a)));
            }
        }
        for (int i = w * 3; i < stride; ++i) put8(b, 0);
    }
    return b;
}

Bytes encodeIconFile(const std::vector<IconImage>& images, bool cursor) {
    Bytes b;
    put16(b, 0);
    put16(b, cursor ? 2 : 1);
    put16(b, static_cast<std::uint32_t>(images.size()));
    std::vector<Bytes> bodies;
    for (const IconImage& image : images) bodies.push_back(iconImageBytes(*image.canvas));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const Canvas& c = *images[i].canvas;
        put8(b, c.width() >= 256 ? 0 : c.width());
        put8(b, c.height() >= 256 ? 0 : c.height());
        put8(b, 0);  // no palette
        put8(b, 0);
        put16(b, cursor ? images[i].hotspotX : 1);   // planes
        put16(b, cursor ? images[i].hotspotY : 32);  // bits per pixel
        put32(b, static_cast<std::uint32_t>(bodies[i].size()));
        put32(b, offset);
        offset += static_cast<std::uint32_t>(bodies[i].size());
    }
    for (const Bytes& body : bodies) b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes encodePng(const Canvas& c) {
    const int w = c.width(), h = c.height();
    Bytes raw;
    for (int y = 0; y < h; ++y) {
        raw.push_back(0);  // no filter
        for (int x = 0; x < w; ++x) {
            const Colour p = c.pixel(x, y);
            raw.push_back(level(p.r));
            raw.push_back(level(p.g));
            raw.push_back(level(p.b));
            raw.push_back(level(p.a));
        }
    }
    Bytes z = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
        put8(z, at + n == raw.size() ? 1 : 0);
        put16(z, static_cast<std::uint32_t>(n));
        put16(z, static_cast<std::uint32_t>(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(at), raw.begin() + static_cast<std::ptrdiff_t>(at + n));
        at += n;
    } while (at < raw.size());
    std::uint32_t s1 = 1, s2 = 0;
    for (std::uint8_t v : raw) {
        s1 = (s1 + v) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    put32be(z, (s2 << 16) | s1);

    Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Bytes ihdr;
    put32be(ihdr, static_cast<std::uint32_t>(w));
    put32be(ihdr, static_cast<std::uint32_t>(h));
    put8(ihdr, 8);  // bit depth
    put8(ihdr, 6);  // RGBA
    put8(ihdr, 0);
    put8(ihdr, 0);
    put8(ihdr, 0);
    putChunk(png, "IHDR", ihdr);
    putChunk(png, "IDAT", z);
    putChunk(png, "IEND", {});
    return png;
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && written;
}
