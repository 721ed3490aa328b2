// Shared by every fuzz target: checks what every decode must leave behind, whatever the input was,
// and frees the image. A broken invariant aborts, which the fuzzer reports as a crash.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "codecs/ImageData.h"
#include "codecs/ImageSource.h"

// An image that keeps the record's rules: positive size, a depth the decoders produce, and a pixel
// buffer holding every row and the 4 spare bytes behind them.
inline void checkDecodedImage(ImageData* image) {
    if (!image) return;
    const BITMAPINFOHEADER& h = image->header;
    if (h.biWidth <= 0 || h.biHeight <= 0 || !image->pixels) std::abort();
    if (h.biSize != 40 || h.biPlanes != 1 || h.biCompression != BI_RGB || (h.biBitCount != 8 && h.biBitCount != 24))
        std::abort();
    if (h.biXPelsPerMeter < 0 || h.biYPelsPerMeter < 0) std::abort();
    const std::uint32_t bytes = imageBytes(static_cast<std::uint32_t>(h.biWidth), static_cast<std::uint32_t>(h.biHeight),
                                           h.biBitCount);
    if (bytes == 0) std::abort();
    // A colour profile the decoder kept is one that looks valid, every byte of it readable.
    const IccProfile& profile = image->iccProfile;
    if ((profile.bytes == nullptr) != (profile.size == 0)) std::abort();
    if (profile.bytes && !iccProfileLooksValid(profile.bytes, profile.size)) std::abort();
    // Touch the first and last byte the buffer must hold, so a short buffer shows under ASan.
    volatile std::uint8_t touch = image->pixels[0];
    touch = image->pixels[bytes - 1];
    touch = image->pixels[bytes + 3];
    (void)touch;
    freeImageData(image);
}

// A decode succeeds with an image and status Ok, or fails with no image (none left in the source
// either) and a status that names the failure.
inline void checkDecode(const ImageSource& source, ImageData* image) {
    if (source.result) std::abort();
    if (!image) {
        if (source.status == CodecStatus::Ok) std::abort();
        return;
    }
    if (source.status != CodecStatus::Ok) std::abort();
    checkDecodedImage(image);
}
