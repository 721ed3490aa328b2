#include <cstring>

#include "codecs/Bmp.h"

namespace {

bool fail(ImageSink& sink, CodecStatus code) {
    sink.status = code;
    return false;
}

bool writeHeaders(ImageSink& sink, std::uint32_t pixelBytes, std::uint32_t paletteEntries) {
    const ColorReducer& r = sink.reducer;
    const std::uint32_t offBits = 54 + 4 * paletteEntries;
    writeU16le(sink, 0x4D42);  // "BM"
    writeU32le(sink, pixelBytes + offBits);
    writeU16le(sink, 0);
    writeU16le(sink, 0);
    writeU32le(sink, offBits);
    writeU32le(sink, 40);
    writeU32le(sink, r.width);
    writeU32le(sink, r.height);  // positive: rows bottom-up
    writeU16le(sink, 1);
    writeU16le(sink, static_cast<std::uint16_t>(r.targetDepth));
    writeU32le(sink, BI_RGB);
    writeU32le(sink, 0);
    writeU32le(sink, static_cast<std::uint32_t>(sink.xResolution));
    writeU32le(sink, static_cast<std::uint32_t>(sink.yResolution));
    writeU32le(sink, paletteEntries);
    return writeU32le(sink, 0);
}

bool writePalette(ImageSink& sink, const RGBQUAD* palette, std::uint32_t entries) {
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint8_t quad[4] = {palette[i].rgbBlue, palette[i].rgbGreen, palette[i].rgbRed, 0};
        writeBytes(sink, quad, 4);
    }
    return !sink.writeFailed;
}

}  // namespace

bool writeBmp(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels) {
    sink.status = CodecStatus::Failure;
    ColorReducer& r = sink.reducer;
    const std::uint32_t depth = r.targetDepth;
    const bool asTheyStand = depth == r.sourceDepth;
    if (!(asTheyStand && (depth == 1 || depth == 4 || depth == 8 || depth == 24)) &&
        !(r.sourceDepth == 24 && depth == 8))
        return fail(sink, CodecStatus::CannotConvert);
    if (!pixels || (depth != 24 && asTheyStand && !palette)) return fail(sink, CodecStatus::CannotConvert);
    if (r.width == 0 || r.height == 0 || r.width > 0x7FFFFFFF || r.height > 0x7FFFFFFF)
        return fail(sink, CodecStatus::NoMemory);
    // The rows as the file holds them: padded to 4 bytes.
    const std::uint32_t pixelBytes = imageBytes(r.width, r.height, depth);
    const std::uint32_t entries = depth == 24 ? 0 : 1u << depth;
    if (pixelBytes == 0 || std::uint64_t{pixelBytes} + 54 + 4 * entries > 0xFFFFFFFFull)
        return fail(sink, CodecStatus::NoMemory);

    if (asTheyStand) {
        writeHeaders(sink, pixelBytes, entries);
        if (entries) writePalette(sink, palette, entries);
        writeBytes(sink, pixels, pixelBytes);
        return !sink.writeFailed;
    }

    std::uint8_t* reduced = allocPixels(pixelBytes);
    if (!reduced) return fail(sink, CodecStatus::NoMemory);
    if (!reduceToPalette(r, palette, pixels, r.targetPalette, reduced)) {
        freePixels(reduced);
        return fail(sink, CodecStatus::CannotConvert);
    }
    // The reduction packs rows of width bytes; spread them to the padded stride, last row first so
    // no row is overwritten before it has moved.
    const std::uint32_t stride = rowStride(r.width, depth);
    for (std::uint32_t y = r.height; y-- > 0;) {
        std::uint8_t* row = reduced + std::size_t{stride} * y;
        std::memmove(row, reduced + std::size_t{r.width} * y, r.width);
        std::memset(row + r.width, 0, stride - r.width);
    }
    writeHeaders(sink, pixelBytes, entries);
    writePalette(sink, r.targetPalette, entries);
    writeBytes(sink, reduced, pixelBytes);
    freePixels(reduced);
    return !sink.writeFailed;
}

bool saveBmp(ImageSink& sink, const WideString& path, const RGBQUAD* palette, const std::uint8_t* pixels) {
    sink.status = CodecStatus::Failure;
    if (!createOutput(sink, path)) return false;
    if (!writeBmp(sink, palette, pixels)) return false;
    return finishOutput(sink);
}
