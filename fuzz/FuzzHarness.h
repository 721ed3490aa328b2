// Shared by every fuzz target: checks the invariants every decoded image must hold, whatever the
// input was, and frees it. A broken invariant aborts, which the fuzzer reports as a crash.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "codecs/ImageData.h"

inline void checkDecodedImage(ImageData* image) {
    if (!image) return;
    const BITMAPINFOHEADER& h = image->header;
    if (h.biWidth <= 0 || h.biHeight <= 0 || !image->pixels) std::abort();
    const std::uint32_t bytes = imageBytes(static_cast<std::uint32_t>(h.biWidth), static_cast<std::uint32_t>(h.biHeight),
                                           h.biBitCount);
    if (bytes == 0) std::abort();
    // Touch the first and last byte the buffer must hold, so a short buffer shows under ASan.
    volatile std::uint8_t sink = image->pixels[0];
    sink = image->pixels[bytes - 1];
    (void)sink;
    freeImageData(image);
}
