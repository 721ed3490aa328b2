// WebP pictures decoded by libwebp into the two parts of a device-independent bitmap: a 40-byte info
// header (24 bits, no colour table) and blue-green-red rows, bottom-up, each padded to 4 bytes.
// Lossy, lossless and alpha pictures through libwebp's decoder, the first frame of an animation
// through its animation decoder; alpha is composited on white.
//
// Portable and free of the rest of the tree. Every libwebp status is checked; the picture's size is
// checked against the pixel cap and the 32-bit bitmap limit before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>

namespace webp {

enum class WebpStatus {
    ok,
    notWebp,         // no RIFF/WEBP signature, or libwebp does not read its header
    brokenData,      // libwebp refuses the data: damaged, or shorter than it says
    unsupported,     // a feature libwebp does not decode
    tooLarge,        // more pixels than kMaxPixels, or a bitmap beyond 32-bit sizes
    noMemory,        // libwebp or the decoder's working memory could not be allocated
    bufferTooSmall,  // decodeWebp was given smaller buffers than the header asks for
};

// The same plausibility cap as the other add-ons: 2^28 pixels. A still WebP never reaches it
// (16383 x 16383 at most); an animation's canvas may declare up to 2^24 x 2^24.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;
constexpr std::uint32_t kInfoHeaderBytes = 40;

struct WebpHeader {
    std::uint32_t width = 0;   // of the canvas, for an animation
    std::uint32_t height = 0;
    bool hasAlpha = false;
    bool animated = false;
    bool lossless = false;     // a still picture in VP8L
    std::uint32_t stride = 0;     // bytes per 24-bit bitmap row, a multiple of 4
    std::uint32_t bitsBytes = 0;  // stride x height
    std::uint32_t infoBytes = kInfoHeaderBytes;
};

// True when the bytes begin with a RIFF/WEBP signature and libwebp reads a picture header from them
// (as far as they reach).
bool hasWebpSignature(const std::uint8_t* head, std::size_t size);

// The picture's size and kind, as libwebp reads them from the headers, and the bitmap it becomes.
WebpStatus readWebpHeader(const std::uint8_t* data, std::size_t size, WebpHeader& header);

// Reads the header again and decodes the picture (an animation's first frame) into `info`
// (header.infoBytes) and `bits` (header.bitsBytes), every byte of both written, the row padding
// with zeros. Pictures with alpha take a working buffer of 4 bytes a pixel while they decode.
WebpStatus decodeWebp(const std::uint8_t* data, std::size_t size, std::uint8_t* info, std::size_t infoBytes,
                      std::uint8_t* bits, std::size_t bitsBytes);

}  // namespace webp
