#include "codecs/Tiff.h"

#include "platform/platform.h"

namespace {

constexpr std::uint16_t kShort = 3;
constexpr std::uint16_t kLong = 4;
constexpr std::uint16_t kRational = 5;

constexpr std::uint16_t kUndefined = 7;

// Layout of an RGB file: header, a directory of 12 entries (13 with a colour profile), its
// out-of-line values (bits per sample, the two resolutions), the strip, then the profile.
struct Layout {
    std::uint32_t entryCount = 12;
    std::uint32_t bitsOffset = 0;
    std::uint32_t xResolutionOffset = 0;
    std::uint32_t yResolutionOffset = 0;
    std::uint32_t stripOffset = 0;
};

Layout layoutFor(bool withProfile) {
    Layout l;
    l.entryCount = withProfile ? 13 : 12;
    l.bitsOffset = 8 + 2 + 12 * l.entryCount + 4;
    l.xResolutionOffset = l.bitsOffset + 6;
    l.yResolutionOffset = l.xResolutionOffset + 8;
    l.stripOffset = l.yResolutionOffset + 8;
    return l;
}

bool fail(ImageSink& sink, CodecStatus code) {
    sink.status = code;
    return false;
}

void writeEntry(ImageSink& sink, std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
    writeU16le(sink, tag);
    writeU16le(sink, type);
    writeU32le(sink, count);
    writeU32le(sink, value);  // a SHORT in the low 16 bits, the upper bits zero
}

// Pixels per metre x 254 / 10000 is dots per inch. A resolution too large for that numerator is
// written as whole dots per inch.
void writeResolution(ImageSink& sink, std::int32_t pelsPerMeter) {
    const std::uint64_t v = pelsPerMeter > 0 ? static_cast<std::uint64_t>(pelsPerMeter) : 0;
    if (v * 254 <= 0xFFFFFFFFull) {
        writeU32le(sink, static_cast<std::uint32_t>(v * 254));
        writeU32le(sink, 10000);
    } else {
        writeU32le(sink, static_cast<std::uint32_t>(v * 254 / 10000));
        writeU32le(sink, 1);
    }
}

}  // namespace

bool writeTiff(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels, const IccProfile* profile) {
    sink.status = CodecStatus::Failure;
    const ColorReducer& r = sink.reducer;
    // Only 24-bit RGB is written; another depth or a strip beyond 32 bits counts as an output that
    // cannot be made.
    const std::uint64_t stripBytes = std::uint64_t{r.width} * r.height * 3;
    if (r.targetDepth != 24 || r.sourceDepth != 24 || r.width == 0 || r.height == 0 || stripBytes > 0xFFFFFFFFull ||
        !pixels)
        return fail(sink, CodecStatus::CannotCreate);
    const std::uint32_t stride = rowStride(r.width, 24);
    if (stride == 0) return fail(sink, CodecStatus::CannotCreate);
    const bool withProfile = profile && hasIccProfile(*profile);
    const Layout l = layoutFor(withProfile);
    // The profile starts on a word boundary behind the strip; all of it must lie within 32 bits.
    const std::uint64_t profileOffset = (l.stripOffset + stripBytes + 1) & ~std::uint64_t{1};
    if (withProfile && profileOffset + profile->size > 0xFFFFFFFFull) return fail(sink, CodecStatus::CannotCreate);

    writeU16le(sink, 0x4949);  // "II"
    writeU16le(sink, 42);
    writeU32le(sink, 8);
    writeU16le(sink, static_cast<std::uint16_t>(l.entryCount));
    writeEntry(sink, 256, kLong, 1, r.width);
    writeEntry(sink, 257, kLong, 1, r.height);
    writeEntry(sink, 258, kShort, 3, l.bitsOffset);
    writeEntry(sink, 259, kShort, 1, 1);  // no compression
    writeEntry(sink, 262, kShort, 1, 2);  // RGB
    writeEntry(sink, 273, kLong, 1, l.stripOffset);
    writeEntry(sink, 277, kShort, 1, 3);
    writeEntry(sink, 278, kLong, 1, r.height);
    writeEntry(sink, 279, kLong, 1, static_cast<std::uint32_t>(stripBytes));
    writeEntry(sink, 282, kRational, 1, l.xResolutionOffset);
    writeEntry(sink, 283, kRational, 1, l.yResolutionOffset);
    writeEntry(sink, 296, kShort, 1, 2);  // inch
    // InterColorProfile, last in tag order.
    if (withProfile) writeEntry(sink, 34675, kUndefined, profile->size, static_cast<std::uint32_t>(profileOffset));
    writeU32le(sink, 0);                  // no further directory
    for (int i = 0; i < 3; ++i) writeU16le(sink, static_cast<std::uint16_t>(r.targetDepth / 3));
    writeResolution(sink, sink.xResolution);
    writeResolution(sink, sink.yResolution);

    // Rows top first, each pixel red, green, blue, without padding.
    const std::size_t rowBytes = std::size_t{r.width} * 3;
    auto* row = static_cast<std::uint8_t*>(platform::heapAlloc(rowBytes));
    if (!row) return fail(sink, CodecStatus::NoMemory);
    for (std::uint32_t y = r.height; y-- > 0 && !sink.writeFailed;) {
        const std::uint8_t* s = pixels + std::size_t{stride} * y;
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            row[i] = s[i + 2];
            row[i + 1] = s[i + 1];
            row[i + 2] = s[i];
        }
        writeBytes(sink, row, rowBytes);
    }
    platform::heapFree(row);
    if (withProfile) {
        const std::uint8_t pad = 0;
        if (stripBytes & 1) writeBytes(sink, &pad, 1);
        writeBytes(sink, profile->bytes, profile->size);
    }
    return !sink.writeFailed;
}

bool saveTiff(ImageSink& sink, const WideString& path, const RGBQUAD* palette, const std::uint8_t* pixels,
              const IccProfile* profile) {
    sink.status = CodecStatus::Failure;
    if (!createOutput(sink, path)) return false;
    if (!writeTiff(sink, palette, pixels, profile)) return false;
    return finishOutput(sink);
}
