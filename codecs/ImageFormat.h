// The format codes of the system: what content sniffing and the extension table return, and what a
// decoder records as the source format of its image.
#pragma once

#include <cstdint>

enum class ImageFormat : std::int32_t {
    NotRecognised = 0,  // no built-in decoder; the plug-ins may try
    Bmp = 1,
    Png = 2,
    Jpeg = 3,
    Tiff = 4,
    Gif = 5,
    Unreadable = 6,  // cannot be opened or shorter than 8 bytes (sniffing only)
};
