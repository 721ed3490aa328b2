#include "plugins/PluginBitmap.h"

#include <algorithm>
#include <cstring>

namespace {

// The header and the largest colour table the record holds.
constexpr std::size_t kInfoBytes = sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD);  // 1064

std::uint64_t paddedRow(std::uint64_t bytes) { return (bytes + 3) & ~std::uint64_t{3}; }

// Rows of `bitsPerPixel` (1 or 4) indexes, most significant first, into one byte per pixel.
void unpackIndexes(const std::uint8_t* bits, std::uint64_t sourceStride, std::uint8_t* out, std::uint32_t stride,
                   std::uint32_t width, std::uint32_t height, unsigned bitsPerPixel) {
    const unsigned perByte = 8 / bitsPerPixel;
    const unsigned mask = (1u << bitsPerPixel) - 1;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = bits + y * sourceStride;
        std::uint8_t* target = out + static_cast<std::uint64_t>(y) * stride;
        for (std::uint32_t x = 0; x < width; ++x) {
            const unsigned shift = 8 - bitsPerPixel * (x % perByte + 1);
            target[x] = static_cast<std::uint8_t>((row[x / perByte] >> shift) & mask);
        }
    }
}

}  // namespace

bool ConvertPluginPicture(const PluginPicture& picture, ImageData& image) {
    // The header itself must be there before any of its fields is believed.
    if (!picture.info || picture.infoSize < sizeof(BITMAPINFOHEADER) || !picture.bits) return false;
    BITMAPINFOHEADER h;
    std::memcpy(&h, picture.info, sizeof h);
    if (h.biCompression != BI_RGB || h.biWidth <= 0 || h.biHeight <= 0) return false;
    if (picture.bitsSize == 0 || picture.bitsSize >= (std::uint64_t{1} << 32)) return false;
    const auto width = static_cast<std::uint32_t>(h.biWidth);
    const auto height = static_cast<std::uint32_t>(h.biHeight);
    const unsigned depth = h.biBitCount;
    if (depth != 1 && depth != 4 && depth != 8 && depth != 24) return false;

    const unsigned outDepth = depth == 24 ? 24 : 8;
    const std::uint32_t bytes = imageBytes(width, height, outDepth);
    if (bytes == 0) return false;
    std::uint64_t sourceStride = 0;
    if (depth < 8) {
        sourceStride = paddedRow((static_cast<std::uint64_t>(width) * depth + 7) / 8);
        if (picture.bitsSize < sourceStride * height) return false;
    }
    std::uint8_t* pixels = allocPixels(bytes);
    if (!pixels) return false;
    if (depth < 8)
        unpackIndexes(picture.bits, sourceStride, pixels, rowStride(width, 8), width, height, depth);
    else
        std::memcpy(pixels, picture.bits, std::min<std::size_t>(picture.bitsSize, bytes));

    // Header and colour table as the plug-in gave them; a short colour table leaves black entries.
    std::memcpy(&image.header, picture.info, std::min(picture.infoSize, kInfoBytes));
    // What the rest of the program reads the record by stays the record's own: a 40-byte header of one
    // plane, a colour table of at most 256 entries (none at 24 bits), resolutions never negative.
    BITMAPINFOHEADER& out = image.header;
    out.biSize = sizeof(BITMAPINFOHEADER);
    out.biPlanes = 1;
    out.biBitCount = static_cast<WORD>(outDepth);
    out.biClrUsed = outDepth == 24 ? 0 : std::min<DWORD>(out.biClrUsed, 256);
    out.biXPelsPerMeter = std::max<LONG>(out.biXPelsPerMeter, 0);
    out.biYPelsPerMeter = std::max<LONG>(out.biYPelsPerMeter, 0);
    image.pixels = pixels;
    image.sourceBitDepth = picture.declaredDepth > 0 ? static_cast<std::uint32_t>(picture.declaredDepth) : depth;
    image.sourceFormat = ImageFormat::NotRecognised;
    return true;
}
