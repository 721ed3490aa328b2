// GIF reading and writing. The decoder returns the first image of a GIF87a or GIF89a file placed on
// its logical screen, as an 8-bit image with a 256-entry palette; the encoder writes a 24-bit image
// as a single-image GIF89a file with one global colour table of the colours the reducer chose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "codecs/ImageSink.h"
#include "codecs/ImageSource.h"
#include "util/WideString.h"

// ---- decoder ----
// The decode step: fills source.result from source.input, or returns false with status set.
bool decodeGif(ImageSource& source);
// The load frame around decodeGif.
ImageData* loadGif(ImageSource& source, const WideString& path);

// ---- encoder ----
// Writes the sink's 24-bit bottom-up image (geometry in sink.reducer: width, height, source depth
// 24, target depth 8) to `path`. False with status CannotCreate (too large, cannot create or
// write), NoMemory or CannotConvert (colour reduction failed). `palette` is the document's palette,
// unused for a 24-bit source.
bool saveGif(ImageSink& sink, const WideString& path, const RGBQUAD* palette, const std::uint8_t* pixels,
             bool interlaced);
// The same into memory (`out` is cleared first).
bool saveGifToMemory(ImageSink& sink, std::vector<std::uint8_t>& out, const RGBQUAD* palette,
                     const std::uint8_t* pixels, bool interlaced);

// ---- building blocks shared by both directions ----
// The decoded (file) row that holds picture row `row` of an interlaced image of `height` rows: the
// four passes take every 8th row from 0, every 8th from 4, every 4th from 2, then the odd rows.
inline std::uint32_t gifInterlacedRow(std::uint32_t row, std::uint32_t height) {
    const std::uint32_t p1 = (height + 7) / 8;
    const std::uint32_t p2 = p1 + (height + 3) / 8;
    const std::uint32_t p3 = p2 + (height + 1) / 4;
    if (row % 8 == 0) return row / 8;
    if (row % 8 == 4) return p1 + row / 8;
    if (row % 4 == 2) return p2 + row / 4;
    return p3 + row / 2;
}

// LZW-compresses `count` (> 0) indexes (GifLzwEncoder.cpp) with the given minimum code size (2 ... 8) into `out`,
// starting with a clear code and ending with the end code and one final byte. Returns the bytes
// written; `out` must hold gifLzwBound(count).
std::size_t gifLzwEncode(const std::uint8_t* indexes, std::size_t count, unsigned minCodeSize, std::uint8_t* out);
std::size_t gifLzwBound(std::size_t count);
// Decodes at most `count` indexes from one gathered LZW stream into `out` and returns how many were
// written (GifLzwDecoder.cpp). Damaged data never fails: it ends early or reads as index 0.
std::size_t gifLzwDecode(const std::uint8_t* data, std::size_t size, unsigned minCodeSize, std::uint8_t* out,
                         std::size_t count);
