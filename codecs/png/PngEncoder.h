// The PNG encoder: 8-bit truecolour, optionally Adam7-interlaced, the resolution in pHYs, each row
// filtered by the type a run-length score prefers, the whole filtered image deflated by zlib in one
// call (level 9, Z_FILTERED, memory level 9) and written as one IDAT chunk.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/IccProfile.h"
#include "codecs/ImageSink.h"

struct PngEncoder;
// Builds the five filtered versions of the row in filterRows[0] (row length n includes the
// filter byte) and returns the filter type to use.
using PngFilterChooser = int (*)(PngEncoder& encoder, std::int32_t rowLength);

struct PngEncoder : ImageSink {
    std::int32_t bitDepth = 8;
    std::int32_t colourType = 2;
    std::uint8_t interlaced = 0;
    std::int32_t bytesPerPixel = 3;  // the filter unit
    std::int32_t compressionLevel = 9;
    std::int32_t passRowBytes[7] = {};
    std::int32_t passWidth[7] = {};
    std::int32_t passHeight[7] = {};
    std::uint8_t* previousRow = nullptr;  // the previous unfiltered row, filter-byte slot first
    std::uint8_t* filterRows[5] = {};     // one buffer per filter type; 0 holds the unfiltered row
    PngFilterChooser chooseFilter = nullptr;
    // Longest IDAT chunk written; a longer stream is split, since chunk lengths stop at 2^31 - 1.
    std::uint32_t maxChunkLength = 0x7FFFFFFFu;
    // Written as iCCP behind IHDR when set; not owned.
    const IccProfile* iccProfile = nullptr;
};

// Sets the geometry (width and height, negative values as 0; 24 bits in and out), the resolution
// in pixels per metre and interlacing.
void setupPngEncoder(PngEncoder& encoder, std::int32_t width, std::int32_t height, std::int32_t xPelsPerMeter,
                     std::int32_t yPelsPerMeter, bool interlaced);
// Writes `pixels` (24-bit blue-green-red, bottom-up, rows padded to 4 bytes) as a PNG file. False
// with the encoder's status set on failure: CannotCreate the file cannot be created or written (or
// the width is above 89,478,485), NoMemory, PngDeflate zlib failed, Failure the filtered image is
// larger than 32 bits or the image is empty. A failed save leaves what was written in place.
bool savePng(PngEncoder& encoder, const WideString& path, const std::uint8_t* pixels);
// The same into memory (tests, fuzzing seeds, benchmarks).
bool savePngToMemory(PngEncoder& encoder, std::vector<std::uint8_t>& out, const std::uint8_t* pixels);

// The adaptive selector: all five filters, the run-length score, the tie order None, then the
// Sub/Up winner over the Average/Paeth winner, Sub over Up and Average over Paeth.
int chooseFilter(PngEncoder& encoder, std::int32_t rowLength);
