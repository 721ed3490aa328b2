// Fixtures for the JPEG tests, all made in code: 24-bit images, JPEGs of kinds our encoder does not
// write (grey, CMYK, two components, dots per centimetre) made with the library directly, EXIF
// blocks built byte by byte in either byte order, and a small reader of JPEG markers and TIFF IFDs.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "codecs/ImageData.h"
#include "codecs/jpeg/JpegCodec.h"

namespace jpegtest {

// A 24-bit bottom-up image with a smooth pattern plus some detail, so sizes vary with quality.
struct Image {
    BITMAPINFOHEADER header{};
    std::vector<std::uint8_t> pixels;
    std::uint32_t stride = 0;
};

inline Image makeImage(std::int32_t width, std::int32_t height, std::int32_t xPpm = 0, std::int32_t yPpm = 0,
                       std::uint32_t seed = 1, int noiseBits = 4) {
    Image image;
    initHeader(image.header, width, height, 24, xPpm, yPpm);
    image.stride = rowStride(static_cast<std::uint32_t>(width), 24);
    image.pixels.assign(std::size_t{image.stride} * height + 4, 0);
    std::uint32_t noise = seed;
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = image.pixels.data() + std::size_t{image.stride} * y;
        for (std::int32_t x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            row[3 * x + 0] = static_cast<std::uint8_t>((x * 255) / (width > 1 ? width - 1 : 1));
            row[3 * x + 1] = static_cast<std::uint8_t>((y * 255) / (height > 1 ? height - 1 : 1));
            row[3 * x + 2] = static_cast<std::uint8_t>(((x ^ y) & 0x20 ? 200 : 40) + (noise >> (32 - noiseBits)));
        }
    }
    return image;
}

// Our encoder into memory at a fixed quality, no search.
inline std::vector<std::uint8_t> encodeWithCodec(const Image& image, std::int32_t quality = 90,
                                                 std::int32_t subsampling = 0, bool progressive = false) {
    JpegCodec codec;
    setEncoderParameters(codec, image.header.biWidth, image.header.biHeight, image.header.biXPelsPerMeter,
                         image.header.biYPelsPerMeter, quality, subsampling, progressive);
    std::vector<std::uint8_t> out(std::size_t{image.stride} * image.header.biHeight + 65536);
    std::uint32_t size = static_cast<std::uint32_t>(out.size());
    if (!encodeToMemory(codec, out.data(), size, ~0ull, image.pixels.data())) return {};
    out.resize(size);
    return out;
}

// A JPEG made by the library itself from top-down interleaved samples.
struct LibraryJpeg {
    int width = 8;
    int height = 8;
    int components = 3;
    J_COLOR_SPACE colorSpace = JCS_RGB;
    int densityUnit = 0;
    int xDensity = 1;
    int yDensity = 1;
    bool jfif = true;
    int quality = 100;
};
inline std::vector<std::uint8_t> encodeWithLibrary(const LibraryJpeg& params, const std::vector<std::uint8_t>& samples) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(params.width);
    cinfo.image_height = static_cast<JDIMENSION>(params.height);
    cinfo.input_components = params.components;
    cinfo.in_color_space = params.colorSpace;
    jpeg_set_defaults(&cinfo);
    if (params.colorSpace == JCS_UNKNOWN) jpeg_set_colorspace(&cinfo, JCS_UNKNOWN);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_set_quality(&cinfo, params.quality, TRUE);
    cinfo.write_JFIF_header = params.jfif ? TRUE : FALSE;
    cinfo.density_unit = static_cast<UINT8>(params.densityUnit);
    cinfo.X_density = static_cast<UINT16>(params.xDensity);
    cinfo.Y_density = static_cast<UINT16>(params.yDensity);
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t rowBytes = std::size_t(params.width) * params.components;
    while (cinfo.next_scanline < cinfo.image_height) {
        auto row = const_cast<JSAMPROW>(samples.data() + rowBytes * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

// ---- reading what was written ----

struct Segment {
    std::uint8_t marker = 0;
    std::size_t start = 0;  // the length field
    std::uint32_t length = 0;
};
// The marker segments before SOS (and SOS itself); SOI is not listed.
inline std::vector<Segment> segmentsOf(const std::vector<std::uint8_t>& jpeg) {
    std::vector<Segment> out;
    std::size_t p = 2;
    while (p + 4 <= jpeg.size() && jpeg[p] == 0xFF) {
        Segment s{jpeg[p + 1], p + 2, static_cast<std::uint32_t>(jpeg[p + 2] << 8 | jpeg[p + 3])};
        out.push_back(s);
        if (s.marker == 0xDA) break;
        p += 2 + s.length;
    }
    return out;
}
inline std::optional<Segment> findSegment(const std::vector<Segment>& segments, std::uint8_t marker) {
    for (const Segment& s : segments)
        if (s.marker == marker) return s;
    return std::nullopt;
}
inline bool hasSegment(const std::vector<std::uint8_t>& jpeg, std::uint8_t marker) {
    return findSegment(segmentsOf(jpeg), marker).has_value();
}

struct FrameInfo {
    bool found = false;
    bool progressive = false;
    int width = 0, height = 0, components = 0, lumaH = 0, lumaV = 0;
};
inline FrameInfo frameOf(const std::vector<std::uint8_t>& jpeg) {
    FrameInfo f;
    for (const Segment& s : segmentsOf(jpeg)) {
        if (s.marker != 0xC0 && s.marker != 0xC1 && s.marker != 0xC2) continue;
        const std::uint8_t* p = jpeg.data() + s.start;
        f.found = true;
        f.progressive = s.marker == 0xC2;
        f.height = p[3] << 8 | p[4];
        f.width = p[5] << 8 | p[6];
        f.components = p[7];
        f.lumaH = p[9] >> 4;
        f.lumaV = p[9] & 15;
    }
    return f;
}

// ---- TIFF/EXIF blocks ----

// Writes values in one byte order into a growing byte block.
struct TiffWriter {
    bool bigEndian = false;
    std::vector<std::uint8_t> bytes;
    void u16(std::uint32_t v) {
        if (bigEndian) bytes.insert(bytes.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
        else bytes.insert(bytes.end(), {std::uint8_t(v), std::uint8_t(v >> 8)});
    }
    void u32(std::uint32_t v) {
        if (bigEndian) {
            u16(v >> 16);
            u16(v & 0xFFFF);
        } else {
            u16(v & 0xFFFF);
            u16(v >> 16);
        }
    }
    // An entry whose value sits in the value field: SHORT values in its first two bytes.
    void entry(std::uint32_t tag, std::uint32_t type, std::uint32_t count, std::uint32_t value) {
        u16(tag);
        u16(type);
        u32(count);
        if (type == 3 && count == 1) {
            u16(value);
            u16(0);
        } else {
            u32(value);
        }
    }
};

struct ExifFixture {
    bool bigEndian = false;
    std::uint32_t orientation = 6;
    bool dimensionsAsShort = true;
    std::uint32_t pixelX = 1234, pixelY = 567;
    bool withThumbnail = true;
    std::vector<std::uint8_t> thumbnail = std::vector<std::uint8_t>(300, 0xAB);
    std::vector<std::uint8_t> trailer;  // bytes after the thumbnail inside the segment
    std::uint32_t padding = 0;          // zero bytes between IFD1 and the thumbnail
};
// Layout: header 8 | IFD0 (2 entries) @8 | Exif IFD (3 entries) @38 | IFD1 (2 entries) @80 |
// thumbnail @110 + padding. The thumbnail length value sits at 80 + 2 + 12 + 8 = 102.
constexpr std::uint32_t kIfd0 = 8, kExifIfd = 38, kIfd1 = 80, kThumbnail = 110, kThumbnailLengthValue = 102;
inline std::vector<std::uint8_t> makeTiff(const ExifFixture& params) {
    TiffWriter w{params.bigEndian, {}};
    w.bytes.insert(w.bytes.end(), params.bigEndian ? std::initializer_list<std::uint8_t>{'M', 'M'}
                                                 : std::initializer_list<std::uint8_t>{'I', 'I'});
    w.u16(42);
    w.u32(kIfd0);
    w.u16(2);
    w.entry(0x0112, 3, 1, params.orientation);
    w.entry(0x8769, 4, 1, kExifIfd);
    w.u32(params.withThumbnail ? kIfd1 : 0);
    w.u16(3);
    w.entry(0x9000, 7, 4, 0x30323330);  // ExifVersion, kept as it stands
    w.entry(0xA002, params.dimensionsAsShort ? 3 : 4, 1, params.pixelX);
    w.entry(0xA003, params.dimensionsAsShort ? 3 : 4, 1, params.pixelY);
    w.u32(0);
    if (params.withThumbnail) {
        w.u16(2);
        w.entry(0x0201, 4, 1, kThumbnail + params.padding);
        w.entry(0x0202, 4, 1, static_cast<std::uint32_t>(params.thumbnail.size()));
        w.u32(0);
        w.bytes.resize(w.bytes.size() + params.padding, 0);
        w.bytes.insert(w.bytes.end(), params.thumbnail.begin(), params.thumbnail.end());
        w.bytes.insert(w.bytes.end(), params.trailer.begin(), params.trailer.end());
    }
    return w.bytes;
}
// "Exif", 0, 0 and the TIFF data: the APP1 payload.
inline std::vector<std::uint8_t> exifPayload(const std::vector<std::uint8_t>& tiff) {
    static const std::uint8_t header[6] = {'E', 'x', 'i', 'f', 0, 0};
    std::vector<std::uint8_t> p(6 + tiff.size());
    std::memcpy(p.data(), header, 6);
    std::copy(tiff.begin(), tiff.end(), p.begin() + 6);
    return p;
}
// Nearest-neighbour stand-in for the imaging layer's resampler, for the thumbnail writer: only the
// geometry matters.
inline std::uint8_t* nearest(const std::uint8_t* pixels, std::int32_t width, std::int32_t height, std::int32_t targetWidth,
                      std::int32_t targetHeight, const BITMAPINFOHEADER*) {
    const std::uint32_t from = rowStride(width, 24), to = rowStride(targetWidth, 24);
    std::uint8_t* out = allocPixels(imageBytes(targetWidth, targetHeight, 24));
    for (std::int32_t y = 0; y < targetHeight; ++y)
        for (std::int32_t x = 0; x < targetWidth; ++x)
            std::memcpy(out + std::size_t{to} * y + 3 * x,
                        pixels + std::size_t{from} * (y * height / targetHeight) + 3 * (x * width / targetWidth), 3);
    return out;
}

// Inserts a marker segment directly after SOI.
inline std::vector<std::uint8_t> withSegment(const std::vector<std::uint8_t>& jpeg, std::uint8_t marker,
                                             const std::vector<std::uint8_t>& payload) {
    const std::size_t length = payload.size() + 2;
    // Sized once and filled by index: GCC 12's bounds warnings misread growing inserts here.
    std::vector<std::uint8_t> out(jpeg.size() + length + 2);
    std::uint8_t* o = out.data();
    o[0] = jpeg[0];
    o[1] = jpeg[1];
    o[2] = 0xFF;
    o[3] = marker;
    o[4] = std::uint8_t(length >> 8);
    o[5] = std::uint8_t(length);
    if (!payload.empty()) std::memcpy(o + 6, payload.data(), payload.size());
    std::memcpy(o + 6 + payload.size(), jpeg.data() + 2, jpeg.size() - 2);
    return out;
}

// Reads the IFDs of TIFF data, for checking what was written.
struct TiffReader {
    const std::uint8_t* data;
    std::size_t size;
    bool bigEndian() const { return data[0] == 'M'; }
    std::uint32_t u16(std::size_t at) const {
        if (at + 2 > size) return 0xFFFFFFFF;
        return bigEndian() ? std::uint32_t(data[at] << 8 | data[at + 1]) : std::uint32_t(data[at] | data[at + 1] << 8);
    }
    std::uint32_t u32(std::size_t at) const {
        if (at + 4 > size) return 0xFFFFFFFF;
        return bigEndian() ? u16(at) << 16 | u16(at + 2) : u16(at) | u16(at + 2) << 16;
    }
    std::uint32_t ifd0() const { return u32(4); }
    std::uint32_t nextIfd(std::uint32_t ifd) const { return u32(ifd + 2 + 12 * u16(ifd)); }
    // Offset of the entry with `tag`, or 0.
    std::size_t entry(std::uint32_t ifd, std::uint32_t tag) const {
        const std::uint32_t n = u16(ifd);
        for (std::uint32_t i = 0; i < n && ifd + 2 + 12 * (i + 1) <= size; ++i)
            if (u16(ifd + 2 + 12 * i) == tag) return ifd + 2 + 12 * i;
        return 0;
    }
};

// The TIFF data of the EXIF APP1 segment of a JPEG file (empty when there is none).
struct ExifView {
    std::size_t segmentStart = 0;  // the length field
    std::uint32_t segmentLength = 0;
    std::vector<std::uint8_t> tiff;
};
inline ExifView exifOf(const std::vector<std::uint8_t>& jpeg) {
    ExifView v;
    const auto segments = segmentsOf(jpeg);
    const auto app1 = findSegment(segments, 0xE1);
    if (!app1 || app1->start + app1->length > jpeg.size() || app1->length < 8) return v;
    v.segmentStart = app1->start;
    v.segmentLength = app1->length;
    v.tiff.assign(jpeg.begin() + app1->start + 8, jpeg.begin() + app1->start + app1->length);
    return v;
}

}  // namespace jpegtest
