// Windows bitmap files: the decoder (1, 4, 8, 16, 24 and 32 bits, uncompressed or with bit fields,
// bottom-up) and the encoder (uncompressed, bottom-up). The row unpacking and bit-field conversion
// are shared with the clipboard paste, which receives the same pixel layouts without a file.
#pragma once

#include <cstdint>

#include "codecs/ByteReader.h"
#include "codecs/ImageSink.h"
#include "codecs/ImageSource.h"

// ---- pixel layouts, shared with the clipboard paste and the TIFF decoder (BmpRows.cpp) ----

// The channel layout of 16- and 32-bit pixels. Each channel's shift is the lowest set bit of its
// mask and its width the span up to the highest set bit, so the value never exceeds 2^width - 1;
// a zero mask gives 0 for its channel.
struct BitFields {
    std::uint32_t mask[3];  // blue, green, red
    std::uint32_t shift[3];
    std::uint32_t bits[3];
    std::uint8_t table[3][256];  // value -> 0..255, for channels of at most 8 bits
};
void setBitFields(BitFields& fields, std::uint32_t redMask, std::uint32_t greenMask, std::uint32_t blueMask);
// Level of one channel: ((pixel & mask) >> shift) x 255 / (2^bits - 1).
std::uint8_t bitFieldChannel(const BitFields& fields, int channel, std::uint32_t pixel);
// Converts `count` little-endian pixels of `bytesPerPixel` (2 or 4) bytes into blue, green, red.
void convertBitFieldRow(const BitFields& fields, const std::uint8_t* source, std::uint32_t bytesPerPixel,
                        std::uint8_t* target, std::uint32_t count);
// Unpacks `count` pixels of 1 or 4 bits, most significant first, into one index byte each.
void unpackIndexedRow(const std::uint8_t* source, std::uint32_t bits, std::uint8_t* target, std::uint32_t count);
// Reads the 40 bytes of a BITMAPINFOHEADER as stored in files and packed DIBs (little-endian).
BITMAPINFOHEADER readInfoHeader(ByteReader& r);

// ---- decoder (BmpDecoder.cpp) ----

// The decode step over source.input (the "BM" signature was tested by the caller).
bool decodeBmp(ImageSource& source);
// The load frame around decodeBmp.
ImageData* loadBmp(ImageSource& source, const WideString& path);

// ---- encoder (BmpEncoder.cpp) ----

// Writes file header, info header, palette and pixels to the sink's output, which is already open:
// the pixels as they stand when the reducer's target depth equals its source depth, else reduced
// from 24 to 8 bits. The sink's reducer holds the geometry and depths, the sink the resolution.
bool writeBmp(ImageSink& sink, const RGBQUAD* palette, const std::uint8_t* pixels);
// Creates the file at `path` and writes it; true only when every byte reached it.
bool saveBmp(ImageSink& sink, const WideString& path, const RGBQUAD* palette, const std::uint8_t* pixels);
