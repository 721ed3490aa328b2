#include "codecs/ImageData.h"

#include "platform/platform.h"

ImageData* allocImageData() { return static_cast<ImageData*>(platform::heapAlloc(sizeof(ImageData))); }

void freeImageData(ImageData* image) {
    if (!image) return;
    freePixels(image->pixels);
    freeIccProfile(image->iccProfile);
    platform::heapFree(image);
}

std::uint32_t rowStride(std::uint32_t width, std::uint32_t bitsPerPixel) {
    const std::uint64_t stride = ((std::uint64_t{width} * bitsPerPixel + 31) / 32) * 4;
    return stride > 0xFFFFFFFFull ? 0 : static_cast<std::uint32_t>(stride);
}

std::uint32_t imageBytes(std::uint32_t width, std::uint32_t height, std::uint32_t bitsPerPixel) {
    const std::uint64_t bytes = std::uint64_t{rowStride(width, bitsPerPixel)} * height;
    // The 4 spare bytes must fit too.
    return bytes > 0xFFFFFFFBull ? 0 : static_cast<std::uint32_t>(bytes);
}

std::uint8_t* allocPixels(std::uint32_t bytes) {
    if (bytes == 0) return nullptr;
#ifdef VANTLE_FUZZ_PIXEL_LIMIT
    if (bytes > VANTLE_FUZZ_PIXEL_LIMIT) return nullptr;
#endif
    return static_cast<std::uint8_t*>(platform::pageAlloc(std::size_t{bytes} + 4));
}

void freePixels(std::uint8_t* pixels) { platform::pageFree(pixels); }

void initHeader(BITMAPINFOHEADER& header, std::int32_t width, std::int32_t height, std::uint16_t bitCount,
                std::int32_t xPelsPerMeter, std::int32_t yPelsPerMeter) {
    header = BITMAPINFOHEADER{};
    header.biSize = 40;
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = bitCount;
    header.biCompression = BI_RGB;
    header.biXPelsPerMeter = xPelsPerMeter < 0 ? 0 : xPelsPerMeter;
    header.biYPelsPerMeter = yPelsPerMeter < 0 ? 0 : yPelsPerMeter;
}
