// Netpbm images (PBM, PGM and PPM in plain and raw form, and PAM) read into the two parts of a
// device-independent bitmap: a 40-byte info header with its colour table, and the pixel rows,
// bottom-up, each padded to 4 bytes. Bitmaps become 1-bit, grey images 8-bit with a grey ramp,
// colour images 24-bit blue-green-red; alpha is composited on white.
//
// Portable and free of the rest of the tree, so the plug-in builds from this and the calling
// convention alone. The reader never reads outside [data, data + size) and never writes outside the
// buffers it is given, whatever the header says; it allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pnm {

enum class PnmStatus {
    ok,
    notPnm,          // no Netpbm signature
    brokenData,      // a header or raster that breaks the format's rules, or ends early
    unsupported,     // a well-formed PAM of a tuple type that has no picture here
    tooLarge,        // more pixels than kMaxPixels, or a bitmap beyond 32-bit sizes
    bufferTooSmall,  // decodePnm was given smaller buffers than the header asks for
};

enum class PnmFormat { plainBitmap, plainGrey, plainColour, rawBitmap, rawGrey, rawColour, pam };

// What one pixel of the file holds.
enum class TupleKind { blackAndWhite, blackAndWhiteAlpha, grey, greyAlpha, rgb, rgbAlpha };

// A plausibility cap: 2^28 pixels (a 16384 x 16384 picture) is far beyond any real Netpbm file and
// keeps the largest bitmap (24-bit, 768 MiB) within what a 64-bit host can hold. Larger headers are
// refused before anything is allocated.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 28;
constexpr std::uint32_t kInfoHeaderBytes = 40;

// The header of one image and the bitmap it becomes.
struct PnmHeader {
    PnmFormat format = PnmFormat::rawColour;
    TupleKind tuple = TupleKind::rgb;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t maxval = 0;          // 1 for bitmaps
    std::uint32_t depth = 0;           // samples per pixel
    std::size_t rasterOffset = 0;      // where the pixel data starts in the input
    std::uint16_t bitCount = 0;        // of the bitmap: 1, 8 or 24
    std::uint16_t sourceBitDepth = 0;  // bits one sample needs, times 3 for colour (alpha not counted)
    std::uint32_t colours = 0;         // colour table entries: 2, 256 or 0
    std::uint32_t stride = 0;          // bytes per bitmap row, a multiple of 4
    std::uint32_t bitsBytes = 0;       // stride x height
    std::uint32_t infoBytes = 0;       // 40 + 4 x colours
};

// True when the first bytes carry a Netpbm signature: "P1" to "P7" and a whitespace character (or a
// comment, for P1 to P6).
bool hasPnmSignature(const std::uint8_t* head, std::size_t size);

// Reads and checks the header: sizes, maxval, tuple type, and that the input holds at least as many
// bytes as the raster needs. Nothing is allocated.
PnmStatus readPnmHeader(const std::uint8_t* data, std::size_t size, PnmHeader& header);

// Reads the header again and decodes the first image into `info` (BITMAPINFOHEADER, then the colour
// table; header.infoBytes) and `bits` (header.bitsBytes). Every byte of both is written, the row
// padding with zeros. On failure the buffers' contents are unspecified.
PnmStatus decodePnm(const std::uint8_t* data, std::size_t size, std::uint8_t* info, std::size_t infoBytes,
                    std::uint8_t* bits, std::size_t bitsBytes);

}  // namespace pnm
