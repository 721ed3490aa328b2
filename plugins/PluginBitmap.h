// A plug-in's picture (a BITMAPINFO block and a block of pixel bits, as the plug-in returned them) into
// the image record. Every size is checked against the blocks' real sizes before anything is read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/ImageData.h"

struct PluginPicture {
    const std::uint8_t* info = nullptr;  // header and colour table
    std::size_t infoSize = 0;
    const std::uint8_t* bits = nullptr;
    std::size_t bitsSize = 0;
    std::int32_t declaredDepth = 0;  // the colour depth the plug-in's picture info gave, 0 when none
};

// Fills `image` (header, palette, pixels, sourceBitDepth, sourceFormat 0) from an uncompressed
// bottom-up picture of 1, 4, 8 or 24 bits; 1 and 4 bits are unpacked into 8-bit indexes. False, with
// nothing allocated, for any other picture or when the blocks are too small for what the header says.
bool ConvertPluginPicture(const PluginPicture& picture, ImageData& image);
