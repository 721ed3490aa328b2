// 24-bit pixel operations the output job rests on: palette expansion and resizing with one of four
// filters. Buffers are bottom-up B,G,R rows padded to 4 bytes, from allocPixels (free with
// freePixels). Each call returns a new buffer or null and leaves its input alone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/ResizeFilter.h"
#include "platform/win_types.h"

// Expands 8-bit palette indexes (rows padded to 4 bytes) to 24-bit pixels. Null for a non-positive
// or too large size, or when out of memory.
std::uint8_t* ExpandIndexed(const RGBQUAD* palette, const std::uint8_t* pixels, std::int32_t width, std::int32_t height);

// Resizes to targetWidth x targetHeight with `filter` (`header` describes the source for the
// halftone stretch and may be null). Null for a non-positive size, a result whose stride x height
// does not fit in 32 bits, an unknown filter, an unchanged size with AreaLinear and Bicubic, or
// when out of memory.
std::uint8_t* Resample(const std::uint8_t* pixels, std::int32_t width, std::int32_t height, std::int32_t targetWidth,
                       std::int32_t targetHeight, ResizeFilter filter, const BITMAPINFOHEADER* header);

// The same for a window of a larger image: its rows lie `sourceStride` bytes apart (at least
// width * 3), so a crop is resized where it lies instead of being copied out first. The result is
// byte for byte what Resample gives for a copy of the window. Null also for a stride below width * 3.
std::uint8_t* ResampleRows(const std::uint8_t* pixels, std::size_t sourceStride, std::int32_t width,
                           std::int32_t height, std::int32_t targetWidth, std::int32_t targetHeight,
                           ResizeFilter filter, const BITMAPINFOHEADER* header);

// The resampler as the JPEG writer takes it for EXIF thumbnails: the area-and-linear filter.
std::uint8_t* ResampleThumbnail(const std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                                std::int32_t targetWidth, std::int32_t targetHeight, const BITMAPINFOHEADER* header);

// Releases the device context the halftone stretch keeps between calls (the trim editor calls it
// when it goes away). Harmless when none exists.
void releaseHalftoneContext();
