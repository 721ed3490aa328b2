// The GIF encoder: the image reduced to at most 256 colours, its rows put in file order, then a
// single-image GIF89a file with one global colour table, LZW-compressed data in sub-blocks.
#include <cstring>

#include "codecs/Gif.h"
#include "platform/PageBuffer.h"

namespace {

bool fail(ImageSink& sink, CodecStatus code) {
    sink.status = code;
    return false;
}

using OpenOutput = bool (*)(ImageSink& sink, void* target);

// The reduced indexes in file order: rows top-down, or in the four passes of interlacing. `work`
// receives the reduction first and is large enough for the compressed stream after it.
bool reduceInFileOrder(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels, bool interlaced,
                       RGBQUAD* colours, PageBuffer& work, PageBuffer& rows) {
    ColorReducer& reducer = sink.reducer;
    const std::uint32_t width = reducer.width;
    const std::uint32_t height = reducer.height;
    const std::size_t count = std::size_t{width} * height;
    const std::size_t reducedBytes = std::size_t{reducer.targetByteCount} + 4;
    const std::size_t workBytes = count ? gifLzwBound(count) : 0;
    if (!work.alloc(workBytes > reducedBytes ? workBytes : reducedBytes)) return fail(sink, CodecStatus::NoMemory);
    if (!reduceToPalette(reducer, palette, pixels, colours, work.data)) return fail(sink, CodecStatus::CannotConvert);
    if (!rows.alloc(count + 4)) return fail(sink, CodecStatus::NoMemory);
    for (std::uint32_t i = 0; i < height; ++i) {
        const std::uint32_t position = interlaced ? gifInterlacedRow(i, height) : i;
        std::memcpy(rows.data + std::size_t{position} * width, work.data + std::size_t{height - 1 - i} * width, width);
    }
    return true;
}

// Header, logical screen and the global colour table of 2^bits entries.
void writeScreen(ImageSink& sink, const RGBQUAD* colours) {
    const std::uint32_t bits = sink.reducer.targetDepth;
    writeBytes(sink, "GIF89a", 6);
    writeU16le(sink, static_cast<std::uint16_t>(sink.reducer.width));
    writeU16le(sink, static_cast<std::uint16_t>(sink.reducer.height));
    writeU8(sink, static_cast<std::uint8_t>(0x80 | (bits - 1) << 4 | (bits - 1)));
    writeU8(sink, 0);  // background index
    writeU8(sink, 0);  // pixel aspect ratio
    std::uint8_t table[768];
    const std::uint32_t entries = 1u << bits;
    for (std::uint32_t i = 0; i < entries; ++i) {
        table[3 * i] = colours[i].rgbRed;
        table[3 * i + 1] = colours[i].rgbGreen;
        table[3 * i + 2] = colours[i].rgbBlue;
    }
    writeBytes(sink, table, 3 * entries);
}

// The image descriptor (the whole screen, no local table), the data in sub-blocks of at most 255
// bytes with their terminator, and the trailer.
void writeImage(ImageSink& sink, bool interlaced, unsigned minCodeSize, const std::uint8_t* data, std::size_t size) {
    writeU8(sink, 0x2C);
    writeU32le(sink, 0);
    writeU16le(sink, static_cast<std::uint16_t>(sink.reducer.width));
    writeU16le(sink, static_cast<std::uint16_t>(sink.reducer.height));
    writeU8(sink, interlaced ? 0x40 : 0);
    writeU8(sink, static_cast<std::uint8_t>(minCodeSize));
    for (std::size_t at = 0; at < size; at += 255) {
        const std::size_t n = size - at < 255 ? size - at : 255;
        writeU8(sink, static_cast<std::uint8_t>(n));
        writeBytes(sink, data + at, n);
    }
    writeU8(sink, 0);
    writeU8(sink, 0x3B);
}

bool writeGif(ImageSink& sink, OpenOutput open, void* target, const RGBQUAD* palette, const std::uint8_t* pixels,
              bool interlaced) {
    sink.status = CodecStatus::Failure;
    const ColorReducer& reducer = sink.reducer;
    if (reducer.width > 65535 || reducer.height > 65535) return fail(sink, CodecStatus::CannotCreate);
    if (!open(sink, target)) return fail(sink, CodecStatus::CannotCreate);
    // The pixel byte count is a signed 32-bit quantity in the file format's world.
    if (reducer.targetByteCount > 0x7FFFFFFFu) return fail(sink, CodecStatus::CannotCreate);

    RGBQUAD colours[256];
    PageBuffer work;  // the reduced indexes, then the compressed stream
    PageBuffer rows;
    if (!reduceInFileOrder(sink, palette, pixels, interlaced, colours, work, rows)) return false;
    const unsigned minCodeSize = reducer.targetDepth == 1 ? 2 : reducer.targetDepth;
    const std::size_t compressed =
        gifLzwEncode(rows.data, std::size_t{reducer.width} * reducer.height, minCodeSize, work.data);
    writeScreen(sink, colours);
    writeImage(sink, interlaced, minCodeSize, work.data, compressed);
    return finishOutput(sink);
}

bool openFile(ImageSink& sink, void* target) { return createOutput(sink, *static_cast<const WideString*>(target)); }

bool openMemory(ImageSink& sink, void* target) {
    writeToMemory(sink, *static_cast<std::vector<std::uint8_t>*>(target));
    return true;
}

}  // namespace

bool saveGif(ImageSink& sink, const WideString& path, const RGBQUAD* palette, const std::uint8_t* pixels,
             bool interlaced) {
    return writeGif(sink, openFile, const_cast<WideString*>(&path), palette, pixels, interlaced);
}

bool saveGifToMemory(ImageSink& sink, std::vector<std::uint8_t>& out, const RGBQUAD* palette,
                     const std::uint8_t* pixels, bool interlaced) {
    return writeGif(sink, openMemory, &out, palette, pixels, interlaced);
}
