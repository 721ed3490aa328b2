// The largest picture the program takes in: every decoder, the clipboard paste, the plug-in host and
// the output job refuse a width x height above it (50002, a header the program does not support)
// before they allocate anything of the picture's size.
//
// The default, 2^28 pixels (16384 x 16384, or 268 million), fits the three copies a trim can hold at
// once - the source, the display copy and the rectified copy, 3 bytes a pixel each, 2.25 GiB in all -
// in the memory of an ordinary 64-bit desktop, and takes every camera picture and most panoramas.
// Pillow refuses above about 179 million pixels, ImageMagick's stock policy caps the area at 128
// megapixels (and width and height at 16K each).
#pragma once

#include <cstdint>

constexpr std::uint64_t kDefaultPixelCeiling = std::uint64_t{1} << 28;

// The ceiling in force for the whole process (vantle-cli --max-pixels sets it before any work).
std::uint64_t pixelCeiling();
void setPixelCeiling(std::uint64_t pixels);
// width x height within the ceiling (and neither of them 0).
bool withinPixelCeiling(std::uint64_t width, std::uint64_t height);
