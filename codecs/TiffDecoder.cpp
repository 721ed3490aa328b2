// The TIFF decoder: the output depth chosen from the directory, the strips checked and gathered,
// the palette built, the rows converted into the bottom-up buffer, and the resolution.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "codecs/Bmp.h"
#include "codecs/ImageFormat.h"
#include "codecs/PixelCeiling.h"
#include "codecs/Tiff.h"
#include "codecs/TiffDirectory.h"

namespace {

using tiff::Directory;
using tiff::stripValue;

bool fail(ImageSource& source, CodecStatus code) {
    source.status = code;
    return false;
}

// Grey and palette images of 1, 4 or 8 bits become 8-bit, RGB of 8 or 16 bits per sample 24-bit.
// `rowBytes` is a row as the strips hold it, without padding.
bool chooseOutput(ImageSource& source, const Directory& d, std::uint32_t& depth, std::uint64_t& rowBytes) {
    if (d.photometric == 0 || d.photometric == 1 || d.photometric == 3) {
        if (d.photometric == 3 && d.colorMapOffset == 0) return fail(source, CodecStatus::BadHeader);
        if (d.bitsPerSample != 1 && d.bitsPerSample != 4 && d.bitsPerSample != 8) return fail(source, CodecStatus::BadHeader);
        depth = 8;
        rowBytes = (std::uint64_t{d.width} * d.bitsPerSample + 7) / 8;
        return true;
    }
    if (d.photometric == 2) {
        if (d.bitsPerSampleCount != 3 || (d.bitsPerSample != 8 && d.bitsPerSample != 16))
            return fail(source, CodecStatus::BadHeader);
        // Separate colour planes would need all three strip sets at once; not read.
        if (d.planar == 2) return fail(source, CodecStatus::BadHeader);
        depth = 24;
        rowBytes = std::uint64_t{d.width} * 3 * (d.bitsPerSample / 8);
        return true;
    }
    return fail(source, CodecStatus::BadHeader);
}

// The strips' total must fit in 32 bits and each must lie inside the file. `contiguous` tells
// whether they follow each other in the file (the usual case), so the rows can be read in place.
bool checkStrips(ImageSource& source, const Directory& d, std::uint64_t& total, bool& contiguous) {
    total = 0;
    contiguous = true;
    for (std::uint32_t i = 0; i < d.offsets.count; ++i) {
        total += stripValue(d, d.byteCounts, i);
        if (i > 0 && stripValue(d, d.offsets, i) !=
                         std::uint64_t{stripValue(d, d.offsets, i - 1)} + stripValue(d, d.byteCounts, i - 1))
            contiguous = false;
    }
    if (total > 0xFFFFFFFFull) return fail(source, CodecStatus::BadHeader);
    for (std::uint32_t i = 0; i < d.offsets.count; ++i)
        if (!source.input.at(stripValue(d, d.offsets, i), stripValue(d, d.byteCounts, i)))
            return fail(source, CodecStatus::BadFile);
    return true;
}

// The first `size` bytes of the strips back to back, in `copy` when they are not already so.
bool gatherStrips(ImageSource& source, const Directory& d, bool contiguous, std::uint64_t size,
                  const std::uint8_t*& data, std::uint8_t*& copy) {
    data = source.input.at(stripValue(d, d.offsets, 0), contiguous ? size : 0);
    if (contiguous || size == 0) return true;
    copy = allocPixels(static_cast<std::uint32_t>(size));
    if (!copy) return fail(source, CodecStatus::NoMemory);
    std::uint64_t at = 0;
    for (std::uint32_t i = 0; i < d.offsets.count && at < size; ++i) {
        const std::uint64_t n = std::min<std::uint64_t>(stripValue(d, d.byteCounts, i), size - at);
        std::memcpy(copy + at, source.input.at(stripValue(d, d.offsets, i), n), static_cast<std::size_t>(n));
        at += n;
    }
    data = copy;
    return true;
}

// WhiteIsZero and BlackIsZero ramps, or the ColorMap's 16-bit values (all reds, all greens, all
// blues), each shifted right by 8.
bool buildPalette(ImageSource& source, const Directory& d, RGBQUAD* palette) {
    const std::uint32_t n = 1u << d.bitsPerSample;
    if (d.photometric == 3) {
        ByteReader map = source.input.sliceAt(d.colorMapOffset, 6 * std::uint64_t{n});
        if (map.failed) return fail(source, CodecStatus::BadFile);
        for (std::uint32_t i = 0; i < n; ++i) palette[i].rgbRed = static_cast<std::uint8_t>(map.u16(d.bigEndian) >> 8);
        for (std::uint32_t i = 0; i < n; ++i) palette[i].rgbGreen = static_cast<std::uint8_t>(map.u16(d.bigEndian) >> 8);
        for (std::uint32_t i = 0; i < n; ++i) palette[i].rgbBlue = static_cast<std::uint8_t>(map.u16(d.bigEndian) >> 8);
        return true;
    }
    const std::uint32_t step = 255 / (n - 1);
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto level = static_cast<std::uint8_t>(d.photometric == 0 ? 255 - i * step : i * step);
        palette[i] = RGBQUAD{level, level, level, 0};
    }
    return true;
}

// One row of `available` bytes (a partial row gives its complete pixels) into the buffer row `out`.
void convertRow(const Directory& d, std::uint32_t depth, const std::uint8_t* s, std::uint64_t available,
                std::uint8_t* out) {
    if (depth == 8) {
        const std::uint64_t perByte = 8 / d.bitsPerSample;
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(d.width, available * perByte));
        if (d.bitsPerSample == 8) std::memcpy(out, s, count);
        else unpackIndexedRow(s, d.bitsPerSample, out, count);
    } else if (d.bitsPerSample == 8) {
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(d.width, available / 3));
        for (std::uint32_t x = 0; x < count; ++x, s += 3, out += 3) {
            out[0] = s[2];
            out[1] = s[1];
            out[2] = s[0];
        }
    } else {
        // The most significant byte of each 16-bit sample.
        const int m = d.bigEndian ? 0 : 1;
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(d.width, available / 6));
        for (std::uint32_t x = 0; x < count; ++x, s += 6, out += 3) {
            out[0] = s[4 + m];
            out[1] = s[2 + m];
            out[2] = s[m];
        }
    }
}

// The file's top row goes to the last buffer row. Rows whose data the strips do not hold stay 0.
void convertRows(const Directory& d, std::uint32_t depth, std::uint64_t rowBytes, const std::uint8_t* data,
                 std::uint64_t size, std::uint8_t* pixels) {
    const std::uint32_t stride = rowStride(d.width, depth);
    for (std::uint32_t y = 0; y < d.height; ++y) {
        const std::uint64_t start = rowBytes * y;
        if (start >= size) break;
        convertRow(d, depth, data + start, std::min(rowBytes, size - start),
                   pixels + std::size_t{stride} * (d.height - 1 - y));
    }
}

// round(v) for the resolution; values beyond what the header can hold give no resolution.
std::int32_t pelsPerMeter(double v) {
    const double rounded = std::floor(v + 0.5);
    return rounded >= 0 && rounded <= 2147483647.0 ? static_cast<std::int32_t>(rounded) : 0;
}

// Both rationals must lie inside the file with non-zero denominators, and the unit must be inch or
// centimetre; otherwise the resolution stays 0.
void readResolution(ImageSource& source, const Directory& d, BITMAPINFOHEADER& h) {
    double values[2];
    const std::uint32_t offsets[2] = {d.xResolutionOffset, d.yResolutionOffset};
    for (int i = 0; i < 2; ++i) {
        if (offsets[i] == 0) return;  // an absent tag
        ByteReader rational = source.input.sliceAt(offsets[i], 8);
        if (rational.failed) return;
        const std::uint32_t numerator = rational.u32(d.bigEndian);
        const std::uint32_t denominator = rational.u32(d.bigEndian);
        if (denominator == 0) return;
        values[i] = static_cast<double>(numerator) / denominator;
    }
    if (d.resolutionUnit == 2) {
        h.biXPelsPerMeter = pelsPerMeter(values[0] / 0.0254);
        h.biYPelsPerMeter = pelsPerMeter(values[1] / 0.0254);
    } else if (d.resolutionUnit == 3) {
        h.biXPelsPerMeter = pelsPerMeter(values[0] * 100);
        h.biYPelsPerMeter = pelsPerMeter(values[1] * 100);
    }
}

}  // namespace

bool decodeTiff(ImageSource& source) {
    Directory d;
    if (!tiff::readDirectory(source, d)) return false;
    if (!withinPixelCeiling(d.width, d.height)) return fail(source, CodecStatus::BadHeader);
    std::uint32_t depth = 0;
    std::uint64_t rowBytes = 0;
    if (!chooseOutput(source, d, depth, rowBytes)) return false;
    std::uint64_t total = 0;
    bool contiguous = true;
    if (!checkStrips(source, d, total, contiguous)) return false;

    const std::uint32_t bytes = imageBytes(d.width, d.height, depth);
    if (bytes == 0) return fail(source, CodecStatus::BadHeader);
    ImageData& image = *source.result;
    image.pixels = allocPixels(bytes);
    if (!image.pixels) return fail(source, CodecStatus::NoMemory);
    image.sourceFormat = ImageFormat::Tiff;
    image.sourceBitDepth = depth == 24 ? d.bitsPerSample * 3 : d.bitsPerSample;

    // Nothing beyond what the rows need is gathered.
    const std::uint64_t size = std::min(total, rowBytes * d.height);
    const std::uint8_t* data = nullptr;
    std::uint8_t* copy = nullptr;
    if (!gatherStrips(source, d, contiguous, size, data, copy)) return false;
    const bool ok = depth != 8 || buildPalette(source, d, image.palette);
    initHeader(image.header, static_cast<std::int32_t>(d.width), static_cast<std::int32_t>(d.height),
               static_cast<std::uint16_t>(depth), 0, 0);
    if (ok) convertRows(d, depth, rowBytes, data, size, image.pixels);
    freePixels(copy);
    if (!ok) return false;
    readResolution(source, d, image.header);
    // A profile that is not one is dropped; the image stays.
    if (!d.iccProfile.failed && d.iccProfile.size() != 0)
        setIccProfile(image.iccProfile, d.iccProfile.begin, d.iccProfile.size());
    return true;
}

ImageData* loadTiff(ImageSource& source, const WideString& path) { return loadFramed(source, path, decodeTiff); }
