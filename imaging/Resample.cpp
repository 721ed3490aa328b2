#include "imaging/Resample.h"

#include "codecs/ImageData.h"
#include "imaging/ResampleKernels.h"

std::uint8_t* ExpandIndexed(const RGBQUAD* palette, const std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
    if (!palette || !pixels || width <= 0 || height <= 0) return nullptr;
    // The source buffer is stride x height too; refuse what no decoder could have produced.
    if (imageBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 8) == 0) return nullptr;
    std::uint8_t* out = resample::allocImage24(width, height);
    if (!out) return nullptr;

    const std::size_t srcStride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
    const std::size_t dstStride = resample::stride24(width);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* s = pixels + y * srcStride;
        std::uint8_t* d = out + y * dstStride;
        for (std::int32_t x = 0; x < width; ++x, d += 3) {
            const RGBQUAD& c = palette[s[x]];
            d[0] = c.rgbBlue;
            d[1] = c.rgbGreen;
            d[2] = c.rgbRed;
        }
    }
    return out;
}

std::uint8_t* Resample(const std::uint8_t* pixels, std::int32_t width, std::int32_t height, std::int32_t targetWidth,
                       std::int32_t targetHeight, ResizeFilter filter, const BITMAPINFOHEADER* header) {
    if (width <= 0) return nullptr;
    return ResampleRows(pixels, resample::stride24(width), width, height, targetWidth, targetHeight, filter, header);
}

std::uint8_t* ResampleRows(const std::uint8_t* pixels, std::size_t sourceStride, std::int32_t width,
                           std::int32_t height, std::int32_t targetWidth, std::int32_t targetHeight,
                           ResizeFilter filter, const BITMAPINFOHEADER* header) {
    if (!pixels || width <= 0 || height <= 0 || targetWidth <= 0 || targetHeight <= 0) return nullptr;
    if (imageBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24) == 0) return nullptr;
    if (sourceStride < static_cast<std::size_t>(width) * 3) return nullptr;
    if (imageBytes(static_cast<std::uint32_t>(targetWidth), static_cast<std::uint32_t>(targetHeight), 24) == 0)
        return nullptr;
    const bool unchanged = width == targetWidth && height == targetHeight;
    switch (filter) {
        case ResizeFilter::AreaLinear:
            return unchanged ? nullptr : resample::areaLinear(pixels, sourceStride, width, height, targetWidth, targetHeight);
        case ResizeFilter::Bicubic:
            return unchanged ? nullptr : resample::bicubic(pixels, sourceStride, width, height, targetWidth, targetHeight);
        case ResizeFilter::Nearest:
            return resample::nearest(pixels, sourceStride, width, height, targetWidth, targetHeight);
        case ResizeFilter::Halftone:
            return resample::halftoneStretch(pixels, sourceStride, width, height, targetWidth, targetHeight, header);
    }
    return nullptr;  // a number from outside that names no filter
}

std::uint8_t* ResampleThumbnail(const std::uint8_t* pixels, std::int32_t width, std::int32_t height,
                                std::int32_t targetWidth, std::int32_t targetHeight, const BITMAPINFOHEADER* header) {
    return Resample(pixels, width, height, targetWidth, targetHeight, ResizeFilter::AreaLinear, header);
}
