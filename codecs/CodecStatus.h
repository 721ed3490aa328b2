// Status codes of every decoder and encoder. Each is also the identifier of its error message.
#pragma once

#include <cstdint>

using CodecStatus = std::uint32_t;

namespace status {
constexpr CodecStatus kFailure = 50000;         // no more specific cause; every load and save starts here
constexpr CodecStatus kNoMemory = 50001;        // memory could not be allocated
constexpr CodecStatus kBadHeader = 50002;       // invalid or unsupported header values, image too large
constexpr CodecStatus kBadFile = 50004;         // cannot open or map, empty, or shorter than promised
constexpr CodecStatus kCannotCreate = 50005;    // output cannot be created or written
constexpr CodecStatus kCannotConvert = 50006;   // image cannot be converted to the encoder's depth
constexpr CodecStatus kDamaged = 50007;         // damaged or non-conforming GIF or TIFF structure

// PNG: the decoder's precise causes, and the encoder's compression failure.
constexpr CodecStatus kPngInflate = 50009;          // zlib failed to start, or the image data is damaged or cut off
constexpr CodecStatus kPngDeflate = 50010;          // zlib failed to start or to compress
constexpr CodecStatus kPngCrc = 50011;              // CRC mismatch in IHDR, PLTE, the first IDAT or IEND
constexpr CodecStatus kPngChunkLength = 50012;      // a chunk length with its top bit set
constexpr CodecStatus kPngHeaderLength = 50013;     // the first chunk's length is not 13
constexpr CodecStatus kPngNoHeader = 50014;         // the first chunk is not IHDR
constexpr CodecStatus kPngColourType = 50016;       // colour type not allowed for the bit depth
constexpr CodecStatus kPngBitDepth = 50017;         // bit depth not 1, 2, 4, 8 or 16
constexpr CodecStatus kPngCompression = 50018;      // compression method not 0
constexpr CodecStatus kPngFilterMethod = 50019;     // filter method not 0
constexpr CodecStatus kPngInterlace = 50020;        // interlace method above 1
constexpr CodecStatus kPngChunkOrder = 50022;       // second IHDR or PLTE, PLTE after IDAT, IDAT not consecutive
constexpr CodecStatus kPngMissingChunk = 50023;     // IEND without image data, or without PLTE for a palette image
constexpr CodecStatus kPngIdatSequence = 50024;     // a later IDAT chunk is damaged or runs past the end
}  // namespace status
