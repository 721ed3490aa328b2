// Status codes of every decoder and encoder. Each value is also the identifier of its error
// message, so the edge that shows or prints a message passes messageId(status) on as it stands.
#pragma once

#include <cstdint>

enum class CodecStatus : std::uint32_t {
    Ok = 0,
    Failure = 50000,        // no more specific cause; every load and save starts here
    NoMemory = 50001,       // memory could not be allocated
    BadHeader = 50002,      // invalid or unsupported header values, image too large
    CannotRead = 50003,     // the image could not be read; no codec sets it, a JPEG save shows it by code
    BadFile = 50004,        // cannot open or map, empty, or shorter than promised
    CannotCreate = 50005,   // output cannot be created or written
    CannotConvert = 50006,  // image cannot be converted to the encoder's depth
    Damaged = 50007,        // damaged or non-conforming GIF or TIFF structure

    // PNG: the decoder's precise causes, and the encoder's compression failure.
    PngInflate = 50009,       // zlib failed to start, or the image data is damaged or cut off
    PngDeflate = 50010,       // zlib failed to start or to compress
    PngCrc = 50011,           // CRC mismatch in IHDR, PLTE, the first IDAT or IEND
    PngChunkLength = 50012,   // a chunk length with its top bit set
    PngHeaderLength = 50013,  // the first chunk's length is not 13
    PngNoHeader = 50014,      // the first chunk is not IHDR
    PngColourType = 50016,    // colour type not allowed for the bit depth
    PngBitDepth = 50017,      // bit depth not 1, 2, 4, 8 or 16
    PngCompression = 50018,   // compression method not 0
    PngFilterMethod = 50019,  // filter method not 0
    PngInterlace = 50020,     // interlace method above 1
    PngChunkOrder = 50022,    // second IHDR or PLTE, PLTE after IDAT, IDAT not consecutive
    PngMissingChunk = 50023,  // IEND without image data, or without PLTE for a palette image
    PngIdatSequence = 50024,  // a later IDAT chunk is damaged or runs past the end
};

// The message identifier of a status (0 for Ok: nothing to show).
constexpr std::uint32_t messageId(CodecStatus status) { return static_cast<std::uint32_t>(status); }
