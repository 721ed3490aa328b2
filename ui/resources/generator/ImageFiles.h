// The file formats the resource compiler takes (24-bit BMP, ICO, CUR) and PNG for previews.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Canvas.h"

using Bytes = std::vector<std::uint8_t>;

// A 24-bit bottom-up BMP of the canvas over a background: pixels less than half covered become
// `key` (the transparent colour), the others are blended over `background`.
Bytes encodeKeyedBmp(const Canvas& canvas, std::uint32_t background, std::uint32_t key);

// An icon (hotspots empty) or cursor file of 32-bit images with alpha and a 1-bit mask.
struct IconImage {
    const Canvas* canvas;
    int hotspotX = 0, hotspotY = 0;
};
Bytes encodeIconFile(const std::vector<IconImage>& images, bool cursor);

// An 8-bit RGBA PNG with stored (uncompressed) deflate blocks.
Bytes encodePng(const Canvas& canvas);

bool writeBytes(const std::string& path, const Bytes& bytes);
