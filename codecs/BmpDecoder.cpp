// The BMP decoder: the file header's pixel offset, the 40 bytes of the info header, then the colour
// table and rows by depth, each read as far as the file holds it.
#include <algorithm>
#include <cstring>

#include "codecs/Bmp.h"
#include "codecs/ImageFormat.h"

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kMinimumFile = 54;  // file header and a 40-byte info header

bool fail(ImageSource& source, CodecStatus code) {
    source.status = code;
    return false;
}

// The colour table lies directly behind the info header as the file declares it. Header sizes other
// than the known ones are taken as the 40-byte header, as for the masks.
std::uint32_t colourTableOffset(std::uint32_t infoSize) {
    switch (infoSize) {
    case 40:   // BITMAPINFOHEADER
    case 52:   // with RGB masks
    case 56:   // with RGBA masks
    case 108:  // BITMAPV4HEADER
    case 124:  // BITMAPV5HEADER
        return kFileHeaderBytes + infoSize;
    default:
        return kMinimumFile;
    }
}

// What the file holds of the `wanted` bytes that start `start` bytes into it; a file may end early.
struct Held {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};
Held heldBytes(const ByteReader& in, std::uint64_t start, std::uint64_t wanted) {
    if (start >= in.size()) return {};
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, in.size() - start));
    return {in.at(start, n), n};
}

// Copies what the file holds of the pixel bytes; the rest of the buffer stays zero.
void copyHeld(const ByteReader& in, std::uint64_t start, std::uint8_t* pixels, std::uint32_t bytes) {
    const Held held = heldBytes(in, start, bytes);
    if (held.size) std::memcpy(pixels, held.data, held.size);
}

struct BmpFile {
    std::uint32_t offBits;
    BITMAPINFOHEADER info;
    std::uint64_t size;
};

// 1-, 4- and 8-bit files: an 8-bit image with the file's colour table.
bool decodeIndexed(ImageSource& source, const BmpFile& f) {
    const BITMAPINFOHEADER& h = f.info;
    const std::uint32_t bits = h.biBitCount;
    if (h.biCompression != BI_RGB) return fail(source, CodecStatus::BadHeader);
    const auto width = static_cast<std::uint32_t>(h.biWidth);
    const auto height = static_cast<std::uint32_t>(h.biHeight);
    const std::uint32_t defaultEntries = 1u << bits;
    const std::uint64_t tableBytes = h.biClrUsed ? std::uint64_t{h.biClrUsed} * 4 : std::uint64_t{defaultEntries} * 4;
    const std::uint64_t sourceRow = ((std::uint64_t{width} * bits + 31) / 32) * 4;
    if (kMinimumFile + tableBytes + sourceRow * height > f.size) return fail(source, CodecStatus::BadFile);
    const std::uint32_t bytes = imageBytes(width, height, 8);
    if (bytes == 0) return fail(source, CodecStatus::BadHeader);
    ImageData& image = *source.result;
    image.pixels = allocPixels(bytes);
    if (!image.pixels) return fail(source, CodecStatus::NoMemory);

    // At most as many entries as the depth can index (and the palette hold); entries the file does
    // not have stay zero.
    const std::uint64_t tableOffset = colourTableOffset(h.biSize);
    std::uint64_t entries = h.biClrUsed ? h.biClrUsed : defaultEntries;
    entries = std::min<std::uint64_t>(entries, defaultEntries);
    const Held table = heldBytes(source.input, tableOffset, entries * 4);
    entries = table.size / 4;
    for (std::uint64_t i = 0; i < entries; ++i) {
        image.palette[i].rgbBlue = table.data[4 * i];
        image.palette[i].rgbGreen = table.data[4 * i + 1];
        image.palette[i].rgbRed = table.data[4 * i + 2];
        image.palette[i].rgbReserved = 0;
    }
    initHeader(image.header, h.biWidth, h.biHeight, 8, h.biXPelsPerMeter, h.biYPelsPerMeter);

    const std::uint32_t stride = rowStride(width, 8);
    if (bits == 8) {
        // Same stride in file and buffer: one copy of what the file holds.
        copyHeld(source.input, f.offBits, image.pixels, bytes);
        return true;
    }
    const std::uint32_t perByte = 8 / bits;
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint64_t rowStart = f.offBits + sourceRow * y;
        const Held row = heldBytes(source.input, rowStart, sourceRow);
        if (row.size == 0) break;
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(width, std::uint64_t{row.size} * perByte));
        unpackIndexedRow(row.data, bits, image.pixels + std::size_t{stride} * y, count);
    }
    return true;
}

bool decodeRgb24(ImageSource& source, const BmpFile& f) {
    const BITMAPINFOHEADER& h = f.info;
    if (h.biCompression != BI_RGB) return fail(source, CodecStatus::BadHeader);
    const auto width = static_cast<std::uint32_t>(h.biWidth);
    const auto height = static_cast<std::uint32_t>(h.biHeight);
    const std::uint64_t sourceRow = ((std::uint64_t{width} * 24 + 31) / 32) * 4;
    if (kMinimumFile + sourceRow * height > f.size) return fail(source, CodecStatus::BadFile);
    const std::uint32_t bytes = imageBytes(width, height, 24);
    if (bytes == 0) return fail(source, CodecStatus::BadHeader);
    ImageData& image = *source.result;
    image.pixels = allocPixels(bytes);
    if (!image.pixels) return fail(source, CodecStatus::NoMemory);
    initHeader(image.header, h.biWidth, h.biHeight, 24, h.biXPelsPerMeter, h.biYPelsPerMeter);
    copyHeld(source.input, f.offBits, image.pixels, bytes);
    return true;
}

bool decodeBitFields(ImageSource& source, const BmpFile& f) {
    const BITMAPINFOHEADER& h = f.info;
    BitFields fields;
    if (h.biCompression == BI_RGB) {
        if (h.biBitCount == 16) setBitFields(fields, 0x7C00, 0x03E0, 0x001F);
        else setBitFields(fields, 0xFF0000, 0x00FF00, 0x0000FF);
    } else if (h.biCompression == BI_BITFIELDS) {
        // The masks stand at byte 54, behind a 40-byte header or inside a larger one.
        ByteReader& r = source.input;
        r.seek(kMinimumFile);
        const std::uint32_t red = r.u32le();
        const std::uint32_t green = r.u32le();
        const std::uint32_t blue = r.u32le();
        if (r.failed) return fail(source, CodecStatus::BadFile);
        setBitFields(fields, red, green, blue);
    } else {
        return fail(source, CodecStatus::BadHeader);
    }
    const auto width = static_cast<std::uint32_t>(h.biWidth);
    const auto height = static_cast<std::uint32_t>(h.biHeight);
    const std::uint32_t bytesPerPixel = h.biBitCount / 8;
    const std::uint64_t sourceRow = ((std::uint64_t{width} * h.biBitCount + 31) / 32) * 4;
    const std::uint32_t bytes = imageBytes(width, height, 24);
    if (bytes == 0) return fail(source, CodecStatus::BadHeader);
    ImageData& image = *source.result;
    image.pixels = allocPixels(bytes);
    if (!image.pixels) return fail(source, CodecStatus::NoMemory);
    initHeader(image.header, h.biWidth, h.biHeight, 24, h.biXPelsPerMeter, h.biYPelsPerMeter);
    const std::uint32_t stride = rowStride(width, 24);
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint64_t rowStart = f.offBits + sourceRow * y;
        const Held row = heldBytes(source.input, rowStart, sourceRow);
        if (row.size == 0) break;
        const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(width, row.size / bytesPerPixel));
        convertBitFieldRow(fields, row.data, bytesPerPixel, image.pixels + std::size_t{stride} * y, count);
    }
    return true;
}

}  // namespace

bool decodeBmp(ImageSource& source) {
    ByteReader& r = source.input;
    BmpFile f{};
    f.size = r.size();
    if (f.size < kMinimumFile) return fail(source, CodecStatus::BadFile);
    r.seek(10);
    f.offBits = r.u32le();
    if (f.offBits > f.size) return fail(source, CodecStatus::BadFile);
    f.info = readInfoHeader(r);
    BITMAPINFOHEADER& h = f.info;
    if (r.failed) return fail(source, CodecStatus::BadFile);
    // Bottom-up files only: a negative height (top-down rows) is refused like a zero one.
    if (h.biWidth <= 0 || h.biHeight <= 0) return fail(source, CodecStatus::BadHeader);
    source.result->sourceFormat = ImageFormat::Bmp;
    source.result->sourceBitDepth = h.biBitCount;
    switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
        return decodeIndexed(source, f);
    case 24:
        return decodeRgb24(source, f);
    case 16:
    case 32:
        return decodeBitFields(source, f);
    default:
        return fail(source, CodecStatus::BadHeader);
    }
}

ImageData* loadBmp(ImageSource& source, const WideString& path) { return loadFramed(source, path, decodeBmp); }
