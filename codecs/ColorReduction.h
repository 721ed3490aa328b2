// The steps of the reduction to a palette, one file each: an exact palette when the image has few
// enough colours (ExactPalette.cpp); otherwise median cut builds the palette (MedianCut.cpp) and
// every pixel is mapped to its nearest entry (NearestColour.cpp). All of them work on the reducer's
// work buffer: one slot per pixel, blue | green << 8 | red << 16, bottom row first.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codecs/ColorReducer.h"

namespace reduction {

inline std::uint32_t channel(std::uint32_t bgr0, int c) { return (bgr0 >> (8 * c)) & 0xFF; }

// `count` (at most 2^targetDepth) distinct colours, each with its bit set in the presence bitmap
// `seen`, which this clears: the colours sorted into the palette, every pixel its entry's index.
bool exactPalette(ColorReducer& reducer, std::uint32_t count, std::uint64_t* seen, std::size_t pixelCount,
                  std::uint8_t* targetPixels);
// The 2^targetDepth colours of median cut into targetPalette, and the squares table filled. False
// for an image too large for the index array, or without the memory for it.
bool medianCutPalette(ColorReducer& reducer, std::size_t pixelCount);
// Each pixel's index: the entry of targetPalette at the smallest squared distance, the first on ties.
void mapToNearest(ColorReducer& reducer, std::size_t pixelCount, std::uint8_t* targetPixels);

}  // namespace reduction
