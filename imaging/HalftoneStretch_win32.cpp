// Filter 3 on Windows: GDI's halftone stretch into a DIB section. The memory device context is made
// on first use and kept (the trim editor releases it when it goes away). A device context is not
// to be used by two threads at once, so parallel jobs take turns with it.
#include <cstring>
#include <mutex>

#include "imaging/Resample.h"
#include "imaging/ResampleKernels.h"

namespace {

HDC halftoneDc = nullptr;
std::mutex halftoneLock;  // guards halftoneDc and what is selected into it

}  // namespace

namespace resample {

std::uint8_t* halftoneStretch(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width,
                              std::int32_t height, std::int32_t targetWidth, std::int32_t targetHeight,
                              const BITMAPINFOHEADER* header) {
    // GDI takes packed DIB rows only: a window of a larger image is copied out first.
    PixelBuffer packed;
    if (srcStride != stride24(width)) {
        packed.reset(allocImage24(width, height));
        if (!packed.get()) return nullptr;
        const std::size_t len = static_cast<std::size_t>(width) * 3;
        for (std::int32_t y = 0; y < height; ++y)
            std::memcpy(packed.get() + stride24(width) * static_cast<std::size_t>(y),
                        pixels + srcStride * static_cast<std::size_t>(y), len);
        pixels = packed.get();
    }
    const std::lock_guard<std::mutex> hold(halftoneLock);
    if (!halftoneDc) {
        halftoneDc = CreateCompatibleDC(nullptr);
        if (!halftoneDc) return nullptr;
        SetStretchBltMode(halftoneDc, HALFTONE);
        SetBrushOrgEx(halftoneDc, 0, 0, nullptr);
    }
    const std::uint32_t bytes = imageBytes(static_cast<std::uint32_t>(targetWidth),
                                           static_cast<std::uint32_t>(targetHeight), 24);
    PixelBuffer out(bytes ? allocPixels(bytes) : nullptr);
    if (!out.get()) return nullptr;

    BITMAPINFO target{};
    target.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    target.bmiHeader.biWidth = targetWidth;
    target.bmiHeader.biHeight = targetHeight;
    target.bmiHeader.biPlanes = 1;
    target.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(halftoneDc, &target, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) {
        if (dib) DeleteObject(dib);
        return nullptr;
    }
    HGDIOBJ previous = SelectObject(halftoneDc, dib);

    // The pixels are 24-bit whatever the caller's header says; only its resolution is taken over,
    // so GDI never reads past the buffer.
    BITMAPINFO source{};
    if (header) source.bmiHeader = *header;
    source.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    source.bmiHeader.biWidth = width;
    source.bmiHeader.biHeight = height;
    source.bmiHeader.biPlanes = 1;
    source.bmiHeader.biBitCount = 24;
    source.bmiHeader.biCompression = BI_RGB;
    source.bmiHeader.biSizeImage = 0;
    source.bmiHeader.biClrUsed = 0;
    source.bmiHeader.biClrImportant = 0;
    const int lines = StretchDIBits(halftoneDc, 0, 0, targetWidth, targetHeight, 0, 0, width, height, pixels, &source,
                                    DIB_RGB_COLORS, SRCCOPY);
    GdiFlush();
    const bool drawn = lines != 0 && lines != static_cast<int>(GDI_ERROR);
    if (drawn) std::memcpy(out.get(), bits, bytes);
    SelectObject(halftoneDc, previous);
    DeleteObject(dib);
    return drawn ? out.release() : nullptr;
}

}  // namespace resample

void releaseHalftoneContext() {
    const std::lock_guard<std::mutex> hold(halftoneLock);
    if (halftoneDc) DeleteDC(halftoneDc);
    halftoneDc = nullptr;
}
