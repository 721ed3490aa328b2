// Converts the document's 24-bit pixels into the layout an encoder writes: pass-through for 24-bit
// encoders, and an 8-bit palette image for GIF (an exact palette when the image has at most 256
// colours, median cut otherwise).
#pragma once

#include <cstdint>

#include "platform/win_types.h"

struct ColorReducer {
    const RGBQUAD* sourcePalette = nullptr;
    RGBQUAD targetPalette[256] = {};
    const std::uint8_t* sourcePixels = nullptr;
    std::uint8_t* targetPixels = nullptr;
    bool dithering = false;  // never on; no error diffusion is done
    std::uint32_t sourceRowBytes = 0;
    std::uint32_t targetStride = 0;
    std::uint32_t workStride = 0;
    std::uint32_t targetByteCount = 0;
    std::uint32_t* workBuffer = nullptr;
    std::int32_t squares[511] = {};
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t sourceDepth = 24;
    std::uint32_t targetDepth = 24;
};

// Fills the geometry: width, height, depths, row sizes and the target byte count.
void setGeometry(ColorReducer& reducer, std::uint32_t width, std::uint32_t height, std::uint32_t sourceDepth,
                 std::uint32_t targetDepth);

// Reduces a bottom-up 24-bit image (rows padded to 4 bytes) to at most 2^targetDepth colours:
// `targetPalette` gets the colours (unused entries zero) and `targetPixels` width indexes per row,
// bottom-up, without row padding. False on any failure (too large, out of memory).
bool reduceToPalette(ColorReducer& reducer, const RGBQUAD* sourcePalette, const std::uint8_t* sourcePixels,
                     RGBQUAD* targetPalette, std::uint8_t* targetPixels);

// One median-cut box: a range [start, end] of the pixel index array and its statistics.
struct MedianCutBox {
    std::int64_t start = 0;
    std::int64_t end = 0;
    int splitChannel = 0;  // 0 blue, 1 green, 2 red
    std::int64_t priority = 0;
    std::uint32_t splitValue = 0;
    std::uint32_t splitMaximum = 0;
    std::uint32_t colour = 0;  // median blue | median green << 8 | median red << 16
};
// Statistics over index entries start ... end of `work` pixels (blue | green << 8 | red << 16); the
// entry at start always counts, even when end lies before it.
void computeBox(MedianCutBox& box, const std::uint32_t* work, const std::uint32_t* index);
