// The decoded image record every decoder hands to the document, and its pixel-buffer rules:
// bottom-up rows padded to 4 bytes, 24-bit pixels blue-green-red, 8-bit pixels palette indexes,
// stride x height + 4 spare bytes from page memory (zero-filled).
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/IccProfile.h"
#include "codecs/ImageFormat.h"
#include "platform/win_types.h"

struct ImageData {
    BITMAPINFOHEADER header;
    RGBQUAD palette[256];
    ImageFormat sourceFormat;
    std::uint8_t* pixels;
    std::uint32_t sourceFileSize;
    std::uint32_t sourceBitDepth;
    FILETIME lastWriteTime;
    IccProfile iccProfile;  // the source's colour profile, owned by the record until taken

    const BITMAPINFO* info() const { return reinterpret_cast<const BITMAPINFO*>(&header); }
};
static_assert(offsetof(ImageData, palette) == sizeof(BITMAPINFOHEADER), "header and palette form a BITMAPINFO");

// A zero-filled record from the application heap; null when out of memory.
ImageData* allocImageData();
// Frees the record and, if still owned, its pixel buffer and colour profile.
void freeImageData(ImageData* image);

// Bytes per row: the row padded to a multiple of 4. 0 when the row does not fit in 32 bits.
std::uint32_t rowStride(std::uint32_t width, std::uint32_t bitsPerPixel);
// stride x height, or 0 when it does not fit in 32 bits (or either is 0).
std::uint32_t imageBytes(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel);

// A zero-filled pixel buffer of `bytes` + 4 spare bytes; null on failure or size 0.
std::uint8_t* allocPixels(std::uint32_t bytes);
// Releases a buffer from allocPixels (null is ignored).
void freePixels(std::uint8_t* pixels);

// Fills the header fields every decoder writes the same way: biSize 40, planes 1, BI_RGB, and the
// resolution (negative values stored as 0).
void initHeader(BITMAPINFOHEADER& header, std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter);
