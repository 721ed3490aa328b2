// The eight orientations a camera records (the EXIF/TIFF Orientation tag) and the turn that brings a
// decoded picture's pixels into upright order, so that everything after the load sees only the
// upright picture.
//
// Each value says where the stored picture's first row and first column belong when it is shown:
// 1 top/left (as stored), 2 top/right (mirrored), 3 bottom/right (turned half way), 4 bottom/left
// (flipped), 5 left/top (transposed), 6 right/top (turn 90 degrees clockwise to show), 7
// right/bottom (transversed), 8 left/bottom (turn 90 degrees anticlockwise to show). 5 to 8 swap
// width and height.
#pragma once

#include <cstdint>

#include "codecs/CodecStatus.h"
#include "codecs/ImageData.h"

enum class Orientation : std::uint8_t {
    Upright = 1,
    Mirrored = 2,
    Rotated180 = 3,
    Flipped = 4,
    Transposed = 5,
    Rotated90 = 6,
    Transversed = 7,
    Rotated270 = 8,
};

// The orientation a stored value stands for; anything outside 1 to 8 is Upright (left as stored).
constexpr Orientation orientationFromValue(std::uint32_t value) {
    return value >= 1 && value <= 8 ? static_cast<Orientation>(value) : Orientation::Upright;
}
constexpr bool swapsAxes(Orientation o) { return static_cast<std::uint8_t>(o) >= 5; }

// The pixel turn over raw bottom-up buffers of 1 or 3 bytes a pixel (rows padded to `stride`), for
// the orientations that keep the axes (2 to 4): in place.
void orientInPlace(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                   std::uint32_t bytesPerPixel, Orientation o);
// For the orientations that swap the axes (5 to 8): from `source` (width x height) into `target`
// (height x width, rows of `targetStride`), in tiles that stay in the cache. Padding of `target` is
// left untouched.
void orientInto(const std::uint8_t* source, std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                std::uint32_t bytesPerPixel, Orientation o, std::uint8_t* target, std::uint32_t targetStride);

// Turns a decoded 8- or 24-bit image into upright order: in place for 2 to 4; for 5 to 8 into one
// new buffer that replaces the decoded one, with width, height and resolution swapped. Upright costs
// nothing. On failure (NoMemory, or BadHeader for a depth it does not turn) the image is unchanged.
CodecStatus orientImage(ImageData& image, Orientation o);
