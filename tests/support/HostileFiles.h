// Hostile pictures built in memory, for the tests and the benchmark of their refusals: tiny files
// that declare huge pictures, or far more picture than their data can hold.
#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hostile {

using Bytes = std::vector<std::uint8_t>;

inline void put16le(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32be(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

// A GIF screen of w x h with one frame of fw x fh whose data is one pixel: clear, 0, end.
inline Bytes gif(unsigned w, unsigned h, unsigned fw, unsigned fh) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    put16le(b, w);
    put16le(b, h);
    b.insert(b.end(), {0x80, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x2C});
    put16le(b, 0);
    put16le(b, 0);
    put16le(b, fw);
    put16le(b, fh);
    b.insert(b.end(), {0, 2, 2, 0x44, 0x01, 0, 0x3B});
    return b;
}

inline void chunk(Bytes& png, const char* type, const Bytes& data) {
    put32be(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t at = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    put32be(png, static_cast<std::uint32_t>(crc32(0, png.data() + at, static_cast<uInt>(4 + data.size()))));
}

// An 8-bit grey PNG of w x h whose image data is `rows` rows of zeros, deflated.
inline Bytes png(std::uint32_t w, std::uint32_t h, std::uint32_t rows) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes ihdr;
    put32be(ihdr, w);
    put32be(ihdr, h);
    ihdr.insert(ihdr.end(), {8, 0, 0, 0, 0});
    chunk(out, "IHDR", ihdr);
    z_stream z{};
    deflateInit(&z, 9);
    Bytes data(1 << 20);
    const Bytes row(w + 1, 0);
    z.next_out = data.data();
    z.avail_out = static_cast<uInt>(data.size());
    for (std::uint32_t y = 0; y < rows; ++y) {
        z.next_in = const_cast<Bytef*>(row.data());
        z.avail_in = static_cast<uInt>(row.size());
        deflate(&z, y + 1 == rows ? Z_FINISH : Z_NO_FLUSH);
    }
    if (rows == 0) deflate(&z, Z_FINISH);
    data.resize(z.total_out);
    deflateEnd(&z);
    chunk(out, "IDAT", data);
    chunk(out, "IEND", {});
    return out;
}

// An uncompressed 24-bit BMP of w x h holding `rows` rows of data.
inline Bytes bmp(std::int32_t w, std::int32_t h, std::int32_t rows) {
    Bytes b = {'B', 'M'};
    const std::uint32_t row = (static_cast<std::uint32_t>(w) * 3 + 3) & ~3u;
    auto put32le = [&](std::uint32_t v) {
        for (int s = 0; s < 32; s += 8) b.push_back(static_cast<std::uint8_t>(v >> s));
    };
    put32le(54 + row * static_cast<std::uint32_t>(rows));
    put32le(0);
    put32le(54);
    put32le(40);
    put32le(static_cast<std::uint32_t>(w));
    put32le(static_cast<std::uint32_t>(h));
    put16le(b, 1);
    put16le(b, 24);
    for (int i = 0; i < 6; ++i) put32le(0);
    b.resize(b.size() + std::size_t{row} * static_cast<std::uint32_t>(rows), 0x80);
    return b;
}

// A JPEG (its bytes) whose frame header is made to claim fw x fh.
inline Bytes withFrameSize(Bytes b, std::uint16_t fw, std::uint16_t fh) {
    for (std::size_t i = 2; i + 9 < b.size();) {
        const std::size_t length = std::size_t{b[i + 2]} << 8 | b[i + 3];
        if (b[i + 1] == 0xC0 || b[i + 1] == 0xC2) {
            b[i + 5] = static_cast<std::uint8_t>(fh >> 8);
            b[i + 6] = static_cast<std::uint8_t>(fh);
            b[i + 7] = static_cast<std::uint8_t>(fw >> 8);
            b[i + 8] = static_cast<std::uint8_t>(fw);
            break;
        }
        i += 2 + length;
    }
    return b;
}

}  // namespace hostile
