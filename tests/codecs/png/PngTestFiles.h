// PNG files built in code for the codec tests: chunks with their CRCs (zlib's, independent of the
// codec's own table), image data compressed by zlib, and rows packed at any bit depth.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/ImageSource.h"
#include "codecs/png/PngDecoder.h"

namespace pngtest {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}

inline Bytes zlibCompress(const Bytes& raw, int level = 6) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), level);
    out.resize(size);
    return out;
}

inline Bytes zlibInflate(const Bytes& data, std::size_t expected) {
    Bytes out(expected + 16);
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(out.data(), &size, data.data(), static_cast<uLong>(data.size())) != Z_OK) return {};
    out.resize(size);
    return out;
}

// A PNG file assembled chunk by chunk.
struct PngFile {
    Bytes bytes;

    PngFile() {
        static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        bytes.assign(signature, signature + 8);
    }

    PngFile& chunk(const char* type, const Bytes& data, bool goodCrc = true) {
        put32(bytes, static_cast<std::uint32_t>(data.size()));
        const std::size_t start = bytes.size();
        bytes.insert(bytes.end(), type, type + 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
        uLong crc = crc32(0L, bytes.data() + start, static_cast<uInt>(4 + data.size()));
        put32(bytes, static_cast<std::uint32_t>(goodCrc ? crc : crc ^ 1));
        return *this;
    }
    PngFile& ihdr(std::uint32_t width, std::uint32_t height, int depth, int colourType, int interlace = 0,
                  int compression = 0, int filter = 0) {
        Bytes d;
        put32(d, width);
        put32(d, height);
        d.push_back(static_cast<std::uint8_t>(depth));
        d.push_back(static_cast<std::uint8_t>(colourType));
        d.push_back(static_cast<std::uint8_t>(compression));
        d.push_back(static_cast<std::uint8_t>(filter));
        d.push_back(static_cast<std::uint8_t>(interlace));
        return chunk("IHDR", d);
    }
    // The filtered rows, compressed, as one IDAT chunk.
    PngFile& idat(const Bytes& filteredRows) { return chunk("IDAT", zlibCompress(filteredRows)); }
    PngFile& iend() { return chunk("IEND", {}); }
};

// Packs one row of samples at a bit depth (16-bit samples big-endian), most significant bits first.
inline Bytes packRow(const std::vector<std::uint32_t>& samples, int depth) {
    Bytes out;
    if (depth >= 8) {
        for (std::uint32_t s : samples) {
            if (depth == 16) out.push_back(static_cast<std::uint8_t>(s >> 8));
            out.push_back(static_cast<std::uint8_t>(s));
        }
        return out;
    }
    const int perByte = 8 / depth;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (i % perByte == 0) out.push_back(0);
        out.back() |= static_cast<std::uint8_t>(samples[i] << (8 - depth * (i % perByte + 1)));
    }
    return out;
}

// Filters one packed row by the PNG standard (filter unit `bpp` bytes) against the row above.
inline Bytes filterRow(const Bytes& row, const Bytes& above, int bpp, int filter) {
    Bytes out(row.size());
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int a = i >= static_cast<std::size_t>(bpp) ? row[i - bpp] : 0;
        const int b = above.empty() ? 0 : above[i];
        const int c = i >= static_cast<std::size_t>(bpp) && !above.empty() ? above[i - bpp] : 0;
        int predictor = 0;
        switch (filter) {
        case 1: predictor = a; break;
        case 2: predictor = b; break;
        case 3: predictor = (a + b) / 2; break;
        case 4: {
            const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
            predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
            break;
        }
        default: break;
        }
        out[i] = static_cast<std::uint8_t>(row[i] - predictor);
    }
    return out;
}

// An image as rows of samples (channels interleaved), turned into PNG image data, plain or in the
// seven Adam7 passes; rows unfiltered (-1), with filter types cycling from `filters` (0 to 4), or
// all of type `filters` - 5 (5 to 9).
struct SampleImage {
    int width = 0, height = 0, channels = 1, depth = 8;
    std::vector<std::vector<std::uint32_t>> rows;

    Bytes filtered(bool adam7, int filters = -1) const {
        static const int c0[7] = {0, 4, 0, 2, 0, 1, 0}, dc[7] = {8, 8, 4, 4, 2, 2, 1};
        static const int r0[7] = {0, 0, 4, 0, 2, 0, 1}, dr[7] = {8, 8, 8, 4, 4, 2, 2};
        const int bpp = channels * depth / 8 > 0 ? channels * depth / 8 : 1;
        Bytes out, above;
        int count = 0;
        auto emit = [&](const std::vector<std::uint32_t>& samples) {
            const Bytes packed = packRow(samples, depth);
            const int filter = filters < 0 ? 0 : filters >= 5 ? filters - 5 : (filters + count++) % 5;
            const Bytes row = filterRow(packed, above, bpp, filter);
            out.push_back(static_cast<std::uint8_t>(filter));
            out.insert(out.end(), row.begin(), row.end());
            above = packed;
        };
        if (!adam7) {
            for (const auto& row : rows) emit(row);
            return out;
        }
        for (int p = 0; p < 7; ++p) {
            above.clear();
            for (int y = r0[p]; y < height; y += dr[p]) {
                std::vector<std::uint32_t> samples;
                for (int x = c0[p]; x < width; x += dc[p])
                    for (int c = 0; c < channels; ++c) samples.push_back(rows[y][x * channels + c]);
                if (!samples.empty()) emit(samples);
            }
        }
        return out;
    }
};

// Decodes bytes through the load frame; the status lands in *status.
inline ImageData* decode(const Bytes& file, CodecStatus* status = nullptr) {
    ImageSource source;
    ImageData* image = loadFramedMemory(source, file.data(), file.size(), decodePng);
    if (status) *status = source.status;
    return image;
}

// Pixel (x, y) counted from the picture's top-left, as red, green, blue (through the palette for
// 8-bit images).
struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb&) const = default;
};
inline Rgb pixelAt(const ImageData& image, int x, int y) {
    const int bits = image.header.biBitCount;
    const std::uint32_t stride = rowStride(static_cast<std::uint32_t>(image.header.biWidth), bits);
    const std::uint8_t* row = image.pixels + static_cast<std::size_t>(image.header.biHeight - 1 - y) * stride;
    if (bits == 24) return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    const RGBQUAD& e = image.palette[row[x]];
    return {e.rgbRed, e.rgbGreen, e.rgbBlue};
}
inline std::uint8_t indexAt(const ImageData& image, int x, int y) {
    const std::uint32_t stride = rowStride(static_cast<std::uint32_t>(image.header.biWidth), 8);
    return image.pixels[static_cast<std::size_t>(image.header.biHeight - 1 - y) * stride + x];
}

}  // namespace pngtest
