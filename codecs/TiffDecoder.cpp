#include <algorithm>
#include <cmath>
#include <cstring>

#include "codecs/Bmp.h"
#include "codecs/ImageFormat.h"
#include "codecs/Tiff.h"

namespace {

constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;

// One strip array (offsets or byte counts): the values lie in the entry itself when they fit in its
// 4-byte value field, else at an offset in the file.
struct StripArray {
    bool present = false;
    const std::uint8_t* values = nullptr;
    std::uint32_t count = 0;
    std::uint16_t type = 0;
};

struct TiffState {
    std::uint16_t (*read16)(const std::uint8_t*) = load16le;
    std::uint32_t (*read32)(const std::uint8_t*) = load32le;
    bool littleEndian = true;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerSample = 1;
    std::uint32_t bitsPerSampleCount = 0;
    std::uint32_t photometric = 4;  // stands for an absent tag, which is refused
    std::uint32_t planar = 1;
    StripArray offsets;
    StripArray byteCounts;
    std::uint32_t xResolutionOffset = 0;
    std::uint32_t yResolutionOffset = 0;
    std::uint32_t resolutionUnit = 2;
    std::uint32_t colorMapOffset = 0;

    std::uint32_t at(const StripArray& a, std::uint32_t i) const {
        return a.type == kShort ? read16(a.values + 2 * std::size_t{i}) : read32(a.values + 4 * std::size_t{i});
    }
};

bool fail(ImageSource& source, CodecStatus code) {
    source.status = code;
    return false;
}

// A SHORT value sits in the first two bytes of the value field, a LONG fills it.
std::uint32_t entryValue(const TiffState& t, const std::uint8_t* entry) {
    return t.read16(entry + 2) == kLong ? t.read32(entry + 8) : t.read16(entry + 8);
}

bool readStripArray(ImageSource& source, const TiffState& t, const std::uint8_t* entry, StripArray& a) {
    if (a.present) return fail(source, CodecStatus::Damaged);
    const std::uint16_t type = t.read16(entry + 2);
    const std::uint32_t count = t.read32(entry + 4);
    if ((type != kShort && type != kLong) || count == 0) return fail(source, CodecStatus::Damaged);
    if (count > (1u << 30) - 1) return fail(source, CodecStatus::BadHeader);
    const std::uint64_t bytes = std::uint64_t{count} * (type == kShort ? 2 : 4);
    if (bytes <= 4) {
        a.values = entry + 8;
    } else {
        const std::uint32_t offset = t.read32(entry + 8);
        if (offset + bytes > std::uint64_t{source.input.size()}) return fail(source, CodecStatus::Damaged);
        a.values = source.input.begin + offset;
    }
    a.present = true;
    a.count = count;
    a.type = type;
    return true;
}

bool readDirectory(ImageSource& source, TiffState& t) {
    ByteReader& r = source.input;
    if (r.size() < 8) return fail(source, CodecStatus::Damaged);
    const std::uint16_t order = r.u16le();
    if (order == 0x4D4D) {
        t.littleEndian = false;
        t.read16 = load16be;
        t.read32 = load32be;
    } else if (order != 0x4949) {
        return fail(source, CodecStatus::Damaged);
    }
    const std::uint8_t* head = r.take(6);
    if (t.read16(head) != 42) return fail(source, CodecStatus::Damaged);
    const std::uint32_t ifd = t.read32(head + 2);
    if (!r.seek(ifd) || !r.has(2)) return fail(source, CodecStatus::Damaged);
    const std::uint16_t entryCount = t.read16(r.take(2));
    const std::uint8_t* entries = r.take(std::size_t{entryCount} * 12);
    if (!entries) return fail(source, CodecStatus::Damaged);
    const std::uint64_t fileSize = r.size();

    for (std::uint32_t i = 0; i < entryCount; ++i) {
        const std::uint8_t* e = entries + 12 * std::size_t{i};
        const std::uint16_t tag = t.read16(e);
        const std::uint16_t type = t.read16(e + 2);
        const std::uint32_t count = t.read32(e + 4);
        switch (tag) {
        case 256:  // ImageWidth
        case 257:  // ImageLength
        {
            if (type != kShort && type != kLong) return fail(source, CodecStatus::Damaged);
            const std::uint32_t v = type == kShort ? t.read16(e + 8) : t.read32(e + 8);
            if (v == 0) return fail(source, CodecStatus::Damaged);
            if (v > 0x7FFFFFFF) return fail(source, CodecStatus::BadHeader);
            (tag == 256 ? t.width : t.height) = v;
            break;
        }
        case 258:  // BitsPerSample
            t.bitsPerSampleCount = count;
            if (count == 1) {
                t.bitsPerSample = entryValue(t, e);
            } else if (count == 3) {
                const std::uint32_t offset = t.read32(e + 8);
                if (std::uint64_t{offset} + 6 > fileSize) return fail(source, CodecStatus::Damaged);
                const std::uint8_t* v = source.input.begin + offset;
                const std::uint32_t b = t.read16(v);
                if (t.read16(v + 2) != b || t.read16(v + 4) != b || (b != 8 && b != 16))
                    return fail(source, CodecStatus::BadHeader);
                t.bitsPerSample = b;
            }
            break;
        case 259:  // Compression
            if (entryValue(t, e) != 1) return fail(source, CodecStatus::BadHeader);
            break;
        case 262:  // PhotometricInterpretation
            t.photometric = entryValue(t, e);
            break;
        case 273:  // StripOffsets
            if (!readStripArray(source, t, e, t.offsets)) return false;
            break;
        case 279:  // StripByteCounts
            if (!readStripArray(source, t, e, t.byteCounts)) return false;
            break;
        case 282:  // XResolution
            t.xResolutionOffset = t.read32(e + 8);
            break;
        case 283:  // YResolution
            t.yResolutionOffset = t.read32(e + 8);
            break;
        case 284:  // PlanarConfiguration
            t.planar = entryValue(t, e);
            break;
        case 296:  // ResolutionUnit
            t.resolutionUnit = entryValue(t, e);
            break;
        case 320:  // ColorMap
            t.colorMapOffset = t.read32(e + 8);
            break;
        default:  // ImageDescription, SamplesPerPixel, RowsPerStrip, Orientation, ...
            break;
        }
    }
    if (t.width < 1 || t.height < 1) return fail(source, CodecStatus::BadHeader);
    if (!t.offsets.present || !t.byteCounts.present || t.offsets.count != t.byteCounts.count)
        return fail(source, CodecStatus::Damaged);
    return true;
}

// round(v) for the resolution; values beyond what the header can hold give no resolution.
std::int32_t pelsPerMeter(double v) {
    const double rounded = std::floor(v + 0.5);
    return rounded >= 0 && rounded <= 2147483647.0 ? static_cast<std::int32_t>(rounded) : 0;
}

void readResolution(ImageSource& source, const TiffState& t, BITMAPINFOHEADER& h) {
    const std::uint64_t size = std::uint64_t{source.input.size()};
    double values[2];
    const std::uint32_t offsets[2] = {t.xResolutionOffset, t.yResolutionOffset};
    for (int i = 0; i < 2; ++i) {
        // Offset 0 is an absent tag.
        if (offsets[i] == 0 || std::uint64_t{offsets[i]} + 8 > size) return;
        const std::uint8_t* p = source.input.begin + offsets[i];
        const std::uint32_t numerator = t.read32(p);
        const std::uint32_t denominator = t.read32(p + 4);
        if (denominator == 0) return;
        values[i] = static_cast<double>(numerator) / denominator;
    }
    if (t.resolutionUnit == 2) {
        h.biXPelsPerMeter = pelsPerMeter(values[0] / 0.0254);
        h.biYPelsPerMeter = pelsPerMeter(values[1] / 0.0254);
    } else if (t.resolutionUnit == 3) {
        h.biXPelsPerMeter = pelsPerMeter(values[0] * 100);
        h.biYPelsPerMeter = pelsPerMeter(values[1] * 100);
    }
}

bool buildPalette(ImageSource& source, const TiffState& t, RGBQUAD* palette) {
    const std::uint32_t n = 1u << t.bitsPerSample;
    if (t.photometric == 3) {
        const std::uint64_t size = std::uint64_t{source.input.size()};
        if (std::uint64_t{t.colorMapOffset} + 6 * std::uint64_t{n} > size) return fail(source, CodecStatus::BadFile);
        const std::uint8_t* map = source.input.begin + t.colorMapOffset;
        for (std::uint32_t i = 0; i < n; ++i) {
            palette[i].rgbRed = static_cast<std::uint8_t>(t.read16(map + 2 * i) >> 8);
            palette[i].rgbGreen = static_cast<std::uint8_t>(t.read16(map + 2 * (n + i)) >> 8);
            palette[i].rgbBlue = static_cast<std::uint8_t>(t.read16(map + 2 * (2 * n + i)) >> 8);
        }
        return true;
    }
    const std::uint32_t step = 255 / (n - 1);
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto level = static_cast<std::uint8_t>(t.photometric == 0 ? 255 - i * step : i * step);
        palette[i] = RGBQUAD{level, level, level, 0};
    }
    return true;
}

}  // namespace

bool decodeTiff(ImageSource& source) {
    TiffState t;
    if (!readDirectory(source, t)) return false;

    // Output choice.
    std::uint32_t depth = 0;
    std::uint64_t rowBytes = 0;
    if (t.photometric == 0 || t.photometric == 1 || t.photometric == 3) {
        if (t.photometric == 3 && t.colorMapOffset == 0) return fail(source, CodecStatus::BadHeader);
        if (t.bitsPerSample != 1 && t.bitsPerSample != 4 && t.bitsPerSample != 8) return fail(source, CodecStatus::BadHeader);
        depth = 8;
        rowBytes = (std::uint64_t{t.width} * t.bitsPerSample + 7) / 8;
    } else if (t.photometric == 2) {
        if (t.bitsPerSampleCount != 3 || (t.bitsPerSample != 8 && t.bitsPerSample != 16))
            return fail(source, CodecStatus::BadHeader);
        // Separate colour planes would need all three strips sets at once; not read.
        if (t.planar == 2) return fail(source, CodecStatus::BadHeader);
        depth = 24;
        rowBytes = std::uint64_t{t.width} * 3 * (t.bitsPerSample / 8);
    } else {
        return fail(source, CodecStatus::BadHeader);
    }

    // Strips: their total must fit in 32 bits and each must lie inside the file. When they follow
    // each other in the file (the usual case) the rows are read in place.
    const std::uint64_t fileSize = std::uint64_t{source.input.size()};
    std::uint64_t total = 0;
    bool contiguous = true;
    for (std::uint32_t i = 0; i < t.offsets.count; ++i) {
        total += t.at(t.byteCounts, i);
        if (i > 0 && t.at(t.offsets, i) != std::uint64_t{t.at(t.offsets, i - 1)} + t.at(t.byteCounts, i - 1))
            contiguous = false;
    }
    if (total > 0xFFFFFFFFull) return fail(source, CodecStatus::BadHeader);
    for (std::uint32_t i = 0; i < t.offsets.count; ++i)
        if (std::uint64_t{t.at(t.offsets, i)} + t.at(t.byteCounts, i) > fileSize) return fail(source, CodecStatus::BadFile);

    const std::uint32_t bytes = imageBytes(t.width, t.height, depth);
    if (bytes == 0) return fail(source, CodecStatus::BadHeader);
    ImageData& image = *source.result;
    image.pixels = allocPixels(bytes);
    if (!image.pixels) return fail(source, CodecStatus::NoMemory);
    image.sourceFormat = ImageFormat::Tiff;
    image.sourceBitDepth = depth == 24 ? t.bitsPerSample * 3 : t.bitsPerSample;

    // Nothing beyond what the rows need is gathered.
    const std::uint64_t gathered = std::min(total, rowBytes * t.height);
    const std::uint8_t* data = source.input.begin + t.at(t.offsets, 0);
    std::uint8_t* copy = nullptr;
    if (!contiguous && gathered > 0) {
        copy = allocPixels(static_cast<std::uint32_t>(gathered));
        if (!copy) return fail(source, CodecStatus::NoMemory);
        std::uint64_t at = 0;
        for (std::uint32_t i = 0; i < t.offsets.count && at < gathered; ++i) {
            const std::uint64_t n = std::min<std::uint64_t>(t.at(t.byteCounts, i), gathered - at);
            std::memcpy(copy + at, source.input.begin + t.at(t.offsets, i), static_cast<std::size_t>(n));
            at += n;
        }
        data = copy;
    }

    bool ok = true;
    if (depth == 8) {
        ok = buildPalette(source, t, image.palette);
        initHeader(image.header, static_cast<std::int32_t>(t.width), static_cast<std::int32_t>(t.height), 8, 0, 0);
    } else {
        initHeader(image.header, static_cast<std::int32_t>(t.width), static_cast<std::int32_t>(t.height), 24, 0, 0);
    }
    const std::uint32_t stride = rowStride(t.width, depth);
    // Rows whose data the strips do not hold stay 0; a partial row gives its complete pixels.
    for (std::uint32_t y = 0; ok && y < t.height; ++y) {
        const std::uint64_t start = rowBytes * y;
        if (start >= gathered) break;
        const std::uint64_t available = std::min(rowBytes, gathered - start);
        const std::uint8_t* s = data + start;
        std::uint8_t* d = image.pixels + std::size_t{stride} * (t.height - 1 - y);  // top row of the file last
        if (depth == 8) {
            const std::uint64_t perByte = 8 / t.bitsPerSample;
            const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(t.width, available * perByte));
            if (t.bitsPerSample == 8) std::memcpy(d, s, count);
            else unpackIndexedRow(s, t.bitsPerSample, d, count);
        } else if (t.bitsPerSample == 8) {
            const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(t.width, available / 3));
            for (std::uint32_t x = 0; x < count; ++x, s += 3, d += 3) {
                d[0] = s[2];
                d[1] = s[1];
                d[2] = s[0];
            }
        } else {
            // The most significant byte of each 16-bit sample.
            const int m = t.littleEndian ? 1 : 0;
            const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(t.width, available / 6));
            for (std::uint32_t x = 0; x < count; ++x, s += 6, d += 3) {
                d[0] = s[4 + m];
                d[1] = s[2 + m];
                d[2] = s[m];
            }
        }
    }
    freePixels(copy);
    if (!ok) return false;
    readResolution(source, t, image.header);
    return true;
}

ImageData* loadTiff(ImageSource& source, const WideString& path) { return loadFramed(source, path, decodeTiff); }
