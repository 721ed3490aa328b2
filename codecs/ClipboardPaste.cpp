// Paste: a CF_DIB block from the clipboard decoded like a file, every part read within the block.
#include "codecs/Clipboard.h"

#include <algorithm>
#include <cstring>

#include "codecs/Bmp.h"
#include "codecs/ImageFormat.h"

namespace {

constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint64_t kBmpHeadersBytes = 54;  // what a BMP file of the bitmap would carry before its table

bool fail(ImageSource& source, CodecStatus code) {
    source.status = code;
    return false;
}

// 1, 4 and 8 bits: an 8-bit image with the bitmap's colour table.
bool pasteIndexed(ImageSource& source, const BITMAPINFOHEADER& h, std::uint64_t tableOffset) {
    if (h.biCompression != BI_RGB) return fail(source, CodecStatus::BadHeader);
    const std::uint32_t bits = h.biBitCount;
    const auto width = static_cast<std::uint32_t>(h.biWidth);
    const auto height = static_cast<std::uint32_t>(h.biHeight);
    const std::uint64_t entries = h.biClrUsed ? std::min<std::uint32_t>(h.biClrUsed, 256) : (1u << bits);
    const std::uint64_t pixelOffset = tableOffset + entries * 4;
    const std::uint64_t sourceRow = (std::uint64_t{width} * bits + 31) / 32 * 4;
    const std::uint32_t bytes = imageBytes(width, height, 8);
    if (bytes == 0) return fail(source, CodecStatus::BadHeader);
    const std::uint8_t* table = source.input.at(tableOffset, entries * 4);
    const std::uint8_t* rows = source.input.at(pixelOffset, sourceRow * height);
    if (!table || !rows) return fail(source, CodecStatus::BadFile);

    ImageData& image = *source.result;
    image.pixels = allocPixels(bytes);
    if (!image.pixels) return fail(source, CodecStatus::NoMemory);
    // Entries beyond what the depth can index are never used.
    const std::uint64_t used = std::min<std::uint64_t>(entries, 1u << bits);
    for (std::uint64_t i = 0; i < used; ++i)
        image.palette[i] = RGBQUAD{table[4 * i], table[4 * i + 1], table[4 * i + 2], 0};
    initHeader(image.header, h.biWidth, h.biHeight, 8, 0, 0);
    image.sourceFileSize = static_cast<std::uint32_t>(kBmpHeadersBytes + entries * 4 + bytes);

    if (bits == 8) {
        std::memcpy(image.pixels, rows, bytes);  // same stride in the block and the buffer
        return true;
    }
    const std::uint32_t stride = rowStride(width, 8);
    for (std::uint32_t y = 0; y < height; ++y)
        unpackIndexedRow(rows + sourceRow * y, bits, image.pixels + std::size_t{stride} * y, width);
    return true;
}

// 16, 24 and 32 bits: a 24-bit image.
bool pasteTrueColour(ImageSource& source, const BITMAPINFOHEADER& h, std::uint64_t tableOffset) {
    const std::uint32_t bits = h.biBitCount;
    BitFields fields;
    if (h.biCompression == BI_BITFIELDS && bits != 24) {
        ByteReader& m = source.input;  // the masks follow a 40-byte header, or lie inside a larger one
        m.seek(kInfoHeaderBytes);
        const std::uint32_t red = m.u32le();
        const std::uint32_t green = m.u32le();
        const std::uint32_t blue = m.u32le();
        if (m.failed) return fail(source, CodecStatus::BadFile);
        setBitFields(fields, red, green, blue);
    } else if (h.biCompression == BI_RGB) {
        if (bits == 16) setBitFields(fields, 0x7C00, 0x03E0, 0x001F);
        if (bits == 32) setBitFields(fields, 0xFF0000, 0x00FF00, 0x0000FF);
    } else {
        return fail(source, CodecStatus::BadHeader);
    }
    const auto width = static_cast<std::uint32_t>(h.biWidth);
    const auto height = static_cast<std::uint32_t>(h.biHeight);
    // An optional colour table of biClrUsed entries may stand before the rows.
    const std::uint64_t pixelOffset = tableOffset + std::uint64_t{std::min<std::uint32_t>(h.biClrUsed, 256)} * 4;
    const std::uint64_t sourceRow = (std::uint64_t{width} * bits + 31) / 32 * 4;
    const std::uint32_t bytes = imageBytes(width, height, 24);
    if (bytes == 0) return fail(source, CodecStatus::BadHeader);
    const std::uint8_t* rows = source.input.at(pixelOffset, sourceRow * height);
    if (!rows) return fail(source, CodecStatus::BadFile);

    ImageData& image = *source.result;
    image.pixels = allocPixels(bytes);
    if (!image.pixels) return fail(source, CodecStatus::NoMemory);
    initHeader(image.header, h.biWidth, h.biHeight, 24, 0, 0);
    image.sourceFileSize = static_cast<std::uint32_t>(kBmpHeadersBytes + bytes);

    if (bits == 24) {
        std::memcpy(image.pixels, rows, bytes);
        return true;
    }
    const std::uint32_t stride = rowStride(width, 24);
    for (std::uint32_t y = 0; y < height; ++y)
        convertBitFieldRow(fields, rows + sourceRow * y, bits / 8, image.pixels + std::size_t{stride} * y, width);
    return true;
}

}  // namespace

bool decodeClipboardDib(ImageSource& source) {
    ByteReader& r = source.input;
    const BITMAPINFOHEADER h = readInfoHeader(r);
    if (r.failed) return fail(source, CodecStatus::BadFile);
    // A shorter header (BITMAPCOREHEADER) lays its fields out differently.
    if (h.biSize < kInfoHeaderBytes) return fail(source, CodecStatus::BadHeader);
    // Top-down bitmaps (negative height) are not taken.
    if (h.biWidth <= 0 || h.biHeight <= 0) return fail(source, CodecStatus::BadHeader);
    source.result->sourceFormat = ImageFormat::Bmp;
    source.result->sourceBitDepth = h.biBitCount;
    source.result->lastWriteTime = FILETIME{};
    // Behind the header as it declares itself; a 40-byte header with bit fields is followed by the
    // three masks, a larger one holds them.
    std::uint64_t tableOffset = std::max<std::uint64_t>(h.biSize, kInfoHeaderBytes);
    if (h.biCompression == BI_BITFIELDS) tableOffset = std::max<std::uint64_t>(tableOffset, kInfoHeaderBytes + 12);
    switch (h.biBitCount) {
    case 1:
    case 4:
    case 8: return pasteIndexed(source, h, tableOffset);
    case 16:
    case 24:
    case 32: return pasteTrueColour(source, h, tableOffset);
    default: return fail(source, CodecStatus::BadHeader);
    }
}

ImageData* pasteFromClipboard(ImageSource& source, const std::uint8_t* block, std::size_t blockSize) {
    return loadFramedMemory(source, block, blockSize, decodeClipboardDib);
}
