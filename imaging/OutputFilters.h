// The optional output filters, applied to the resized trim: sharpening (an unsharp mask over a
// 5 x 5 box blur) and automatic levels (a linear stretch between histogram cut-offs). Both take a
// 24-bit bottom-up buffer, leave it alone and return a new one of the same size from allocPixels,
// or null for a non-positive or too large size or when out of memory.
#pragma once

#include <cstdint>

// Images 4 pixels or less wide or high come back unchanged.
std::uint8_t* sharpenImage(const std::uint8_t* pixels, std::int32_t width, std::int32_t height);

// An image whose low and high cut-offs coincide (nearly every sample the same) comes back unchanged.
std::uint8_t* autoLevels(const std::uint8_t* pixels, std::int32_t width, std::int32_t height);
