// The pixel turns, worked out in the buffer's own bottom-up rows. A target pixel (X, R) - column X of
// buffer row R - of a turn that swaps the axes comes from source column x of buffer row r:
//
//   5 transposed    x = width - 1 - R   r = height - 1 - X
//   6 rotated 90    x = width - 1 - R   r = X
//   7 transversed   x = R               r = X
//   8 rotated 270   x = R               r = height - 1 - X
//
// (a bottom-up buffer reverses the picture's rows, so the plain transpose of the buffer is 7). Along
// a target row the source pixel steps one row up or down, so the work is a transpose: done tile by
// tile, so that the source rows a tile reads and the target rows it writes stay in the cache while
// the tile is made, instead of every pixel of a target row touching a new source row.
#include "codecs/Orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace {

// 32 x 32 pixels: the 32 source rows and 32 target rows of a tile (3 KiB each at 3 bytes a pixel)
// stay in the first-level cache together (bench/orientation_bench.cpp).
constexpr std::uint32_t kTile = 32;

template <std::uint32_t Bpp>
inline void copyPixel(std::uint8_t* to, const std::uint8_t* from) {
    std::memcpy(to, from, Bpp);
}

template <std::uint32_t Bpp>
inline void swapPixels(std::uint8_t* a, std::uint8_t* b) {
    std::uint8_t t[Bpp];
    std::memcpy(t, a, Bpp);
    std::memcpy(a, b, Bpp);
    std::memcpy(b, t, Bpp);
}

// Pixel i of row `a` with pixel width - 1 - i of row `b`; for a == b each pair once (a mirror).
template <std::uint32_t Bpp>
void swapMirrored(std::uint8_t* a, std::uint8_t* b, std::uint32_t width) {
    std::uint8_t* p = a;
    std::uint8_t* q = b + std::size_t{width - 1} * Bpp;
    if (a == b) {
        for (std::uint32_t i = 0; i < width / 2; ++i, p += Bpp, q -= Bpp) swapPixels<Bpp>(p, q);
    } else {
        for (std::uint32_t i = 0; i < width; ++i, p += Bpp, q -= Bpp) swapPixels<Bpp>(p, q);
    }
}

template <std::uint32_t Bpp>
void inPlace(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height, std::uint32_t stride, Orientation o) {
    const std::size_t rowBytes = std::size_t{width} * Bpp;
    auto row = [&](std::uint32_t r) { return pixels + std::size_t{stride} * r; };
    switch (o) {
    case Orientation::Mirrored:
        for (std::uint32_t r = 0; r < height; ++r) swapMirrored<Bpp>(row(r), row(r), width);
        break;
    case Orientation::Rotated180:
        for (std::uint32_t r = 0; r < height / 2; ++r) swapMirrored<Bpp>(row(r), row(height - 1 - r), width);
        if (height % 2) swapMirrored<Bpp>(row(height / 2), row(height / 2), width);
        break;
    case Orientation::Flipped:
        for (std::uint32_t r = 0; r < height / 2; ++r) std::swap_ranges(row(r), row(r) + rowBytes, row(height - 1 - r));
        break;
    default:
        break;
    }
}

template <std::uint32_t Bpp>
void transposed(const std::uint8_t* source, std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                Orientation o, std::uint8_t* target, std::uint32_t targetStride) {
    const bool reverseX = o == Orientation::Transposed || o == Orientation::Rotated90;  // x from R
    const bool reverseR = o == Orientation::Transposed || o == Orientation::Rotated270;  // r from X
    // Along a target row, the source steps one row per pixel: down the buffer or up it.
    const std::ptrdiff_t step = reverseR ? -static_cast<std::ptrdiff_t>(stride) : static_cast<std::ptrdiff_t>(stride);
    // The target is height pixels wide and width rows tall.
    for (std::uint32_t r0 = 0; r0 < width; r0 += kTile) {
        const std::uint32_t r1 = width - r0 < kTile ? width : r0 + kTile;
        for (std::uint32_t x0 = 0; x0 < height; x0 += kTile) {
            const std::uint32_t n = height - x0 < kTile ? height - x0 : kTile;
            const std::uint32_t firstRow = reverseR ? height - 1 - x0 : x0;
            for (std::uint32_t R = r0; R < r1; ++R) {
                const std::uint32_t x = reverseX ? width - 1 - R : R;
                const std::uint8_t* s = source + std::size_t{stride} * firstRow + std::size_t{x} * Bpp;
                std::uint8_t* t = target + std::size_t{targetStride} * R + std::size_t{x0} * Bpp;
                for (std::uint32_t i = 0; i < n; ++i, s += step, t += Bpp) copyPixel<Bpp>(t, s);
            }
        }
    }
}

}  // namespace

void orientInPlace(std::uint8_t* pixels, std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                   std::uint32_t bytesPerPixel, Orientation o) {
    if (bytesPerPixel == 3) inPlace<3>(pixels, width, height, stride, o);
    else if (bytesPerPixel == 1) inPlace<1>(pixels, width, height, stride, o);
}

void orientInto(const std::uint8_t* source, std::uint32_t width, std::uint32_t height, std::uint32_t stride,
                std::uint32_t bytesPerPixel, Orientation o, std::uint8_t* target, std::uint32_t targetStride) {
    if (!swapsAxes(o)) return;
    if (bytesPerPixel == 3) transposed<3>(source, width, height, stride, o, target, targetStride);
    else if (bytesPerPixel == 1) transposed<1>(source, width, height, stride, o, target, targetStride);
}

CodecStatus orientImage(ImageData& image, Orientation o) {
    if (o == Orientation::Upright) return CodecStatus::Ok;
    BITMAPINFOHEADER& h = image.header;
    if ((h.biBitCount != 24 && h.biBitCount != 8) || h.biWidth <= 0 || h.biHeight <= 0 || !image.pixels)
        return CodecStatus::BadHeader;
    const auto width = static_cast<std::uint32_t>(h.biWidth), height = static_cast<std::uint32_t>(h.biHeight);
    const std::uint32_t bpp = h.biBitCount / 8u;
    const std::uint32_t stride = rowStride(width, h.biBitCount);
    if (!swapsAxes(o)) {
        orientInPlace(image.pixels, width, height, stride, bpp, o);
        return CodecStatus::Ok;
    }
    // The turned rows have another padding, so they go into a buffer of their own.
    const std::uint32_t bytes = imageBytes(height, width, h.biBitCount);
    if (bytes == 0) return CodecStatus::BadHeader;
    std::uint8_t* turned = allocPixels(bytes);
    if (!turned) return CodecStatus::NoMemory;
    orientInto(image.pixels, width, height, stride, bpp, o, turned, rowStride(height, h.biBitCount));
    freePixels(image.pixels);
    image.pixels = turned;
    std::swap(h.biWidth, h.biHeight);
    std::swap(h.biXPelsPerMeter, h.biYPelsPerMeter);
    if (h.biSizeImage != 0) h.biSizeImage = bytes;
    return CodecStatus::Ok;
}
