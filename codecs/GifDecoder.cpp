// The GIF decoder: the logical screen and its global table, the blocks up to the first image
// (extensions read for the transparency, or skipped), the image descriptor, the image data gathered
// from its sub-blocks and LZW-decoded, and the image placed on the screen.
#include <cstring>

#include "codecs/Gif.h"
#include "platform/PageBuffer.h"

namespace {

struct GifFile {
    std::uint32_t screenWidth = 0;
    std::uint32_t screenHeight = 0;
    std::uint32_t background = 0;  // 0 without a global table
    std::uint32_t colourBits = 0;  // the larger of the global and the local table's
    bool hasGlobal = false;
    bool hasLocal = false;
    std::uint8_t global[768] = {};  // RGB triples, zero beyond the table
    std::uint8_t local[768] = {};
    bool transparent = false;  // from the last graphic control extension before the image
    std::uint8_t transparentIndex = 0;
    std::uint32_t left = 0, top = 0, width = 0, height = 0;
    bool interlaced = false;

    const std::uint8_t* activeTable() const { return hasLocal ? local : global; }
};

bool fail(ImageSource& source, CodecStatus code) {
    source.status = code;
    return false;
}

// Jumps over data sub-blocks up to and including the zero-size one.
bool skipSubBlocks(ByteReader& r) {
    for (;;) {
        const std::uint8_t* size = r.take(1);
        if (!size) return false;
        if (*size == 0) return true;
        if (!r.skip(*size)) return false;
    }
}

// Signature, logical screen descriptor and global colour table.
bool readScreen(ImageSource& source, GifFile& g) {
    ByteReader& r = source.input;
    if (!r.has(13)) return fail(source, CodecStatus::Damaged);
    const std::uint8_t* signature = r.take(6);
    if (std::memcmp(signature, "GIF", 3) != 0 ||
        (std::memcmp(signature + 3, "87a", 3) != 0 && std::memcmp(signature + 3, "89a", 3) != 0))
        return fail(source, CodecStatus::Damaged);
    g.screenWidth = r.u16le();
    g.screenHeight = r.u16le();
    if (g.screenWidth == 0 || g.screenHeight == 0) return fail(source, CodecStatus::BadHeader);
    if (imageBytes(g.screenWidth, g.screenHeight, 8) == 0) return fail(source, CodecStatus::BadHeader);
    const std::uint8_t packed = r.u8();
    const std::uint8_t background = r.u8();
    r.skip(1);  // pixel aspect ratio
    if (packed & 0x80) {
        g.hasGlobal = true;
        g.colourBits = (packed & 7u) + 1;
        g.background = background;
        if (!r.copy(g.global, 3u << g.colourBits)) return fail(source, CodecStatus::Damaged);
    }
    return true;
}

// One extension, its introducer and label read; only the graphic control extension's transparency
// is kept. The sizes the checks name count from the introducer.
bool readExtension(ImageSource& source, GifFile& g, std::uint8_t label) {
    ByteReader& r = source.input;
    switch (label) {
    case 0x01:  // plain text: a 13-byte header, then sub-blocks
        if (!r.has(16 - 2)) return fail(source, CodecStatus::Damaged);
        r.skip(15 - 2);
        break;
    case 0xF9: {  // graphic control: fixed 8 bytes; the block size byte is not looked at
        if (!r.has(8 - 2)) return fail(source, CodecStatus::Damaged);
        ByteReader control = r.slice(8 - 2);
        control.skip(1);
        g.transparent = (control.u8() & 1) != 0;
        control.skip(2);  // delay
        g.transparentIndex = control.u8();
        return true;
    }
    case 0xFE:  // comment
        break;
    case 0xFF:  // application: an 11-byte identifier, then sub-blocks
        if (!r.has(15 - 2)) return fail(source, CodecStatus::Damaged);
        r.skip(14 - 2);
        break;
    default:
        return fail(source, CodecStatus::BadFile);
    }
    if (!skipSubBlocks(r)) return fail(source, CodecStatus::Damaged);
    return true;
}

// The blocks before the first image, up to and including its introducer.
bool findImage(ImageSource& source, GifFile& g) {
    ByteReader& r = source.input;
    for (;;) {
        const int introducer = r.peek();
        if (introducer < 0) return fail(source, CodecStatus::Damaged);  // no image before the end
        r.skip(1);
        if (introducer == 0x2C) return true;
        if (introducer == 0x3B) return fail(source, CodecStatus::Damaged);  // trailer before any image
        if (introducer != 0x21) return fail(source, CodecStatus::BadFile);
        const int label = r.peek();
        if (label < 0) return fail(source, CodecStatus::Damaged);
        r.skip(1);
        if (!readExtension(source, g, static_cast<std::uint8_t>(label))) return false;
    }
}

// The image descriptor and the local colour table; the image must lie on the screen.
bool readDescriptor(ImageSource& source, GifFile& g) {
    ByteReader& r = source.input;
    ByteReader descriptor = r.slice(9);
    if (descriptor.failed) return fail(source, CodecStatus::Damaged);
    g.left = descriptor.u16le();
    g.top = descriptor.u16le();
    g.width = descriptor.u16le();
    g.height = descriptor.u16le();
    const std::uint8_t packed = descriptor.u8();
    if (g.left + g.width > g.screenWidth || g.top + g.height > g.screenHeight)
        return fail(source, CodecStatus::Damaged);
    g.interlaced = (packed & 0x40) != 0;
    if (packed & 0x80) {
        g.hasLocal = true;
        const std::uint32_t bits = (packed & 7u) + 1;
        if (!r.copy(g.local, 3u << bits)) return fail(source, CodecStatus::Damaged);
        if (bits > g.colourBits) g.colourBits = bits;
    }
    if (!g.hasLocal && !g.hasGlobal) return fail(source, CodecStatus::Damaged);
    return true;
}

// The minimum code size and the data sub-blocks, back to back in `gathered`. A first pass over
// their sizes gives the exact total, so data that compresses poorly still fits.
bool gatherData(ImageSource& source, PageBuffer& gathered, std::size_t& total, unsigned& minCodeSize) {
    ByteReader& r = source.input;
    const int minCode = r.peek();
    if (minCode < 2 || minCode > 8) return fail(source, CodecStatus::Damaged);
    r.skip(1);
    minCodeSize = static_cast<unsigned>(minCode);
    ByteReader blocks = r;
    total = 0;
    for (;;) {
        const std::uint8_t* size = r.take(1);
        if (!size) return fail(source, CodecStatus::Damaged);
        if (*size == 0) break;
        if (!r.skip(*size)) return fail(source, CodecStatus::Damaged);
        total += *size;
    }
    if (total == 0) return fail(source, CodecStatus::Damaged);
    if (!gathered.alloc(total + 4)) return fail(source, CodecStatus::NoMemory);
    for (std::size_t at = 0;;) {
        const std::uint8_t size = blocks.u8();
        if (size == 0) return true;
        blocks.copy(gathered.data + at, size);
        at += size;
    }
}

// The screen: background around the image, rows bottom-up, the palette from the active table with
// the transparent entry showing the background colour (white without a global table).
bool compose(ImageSource& source, const GifFile& g, const std::uint8_t* indexes) {
    const std::uint32_t pixelBytes = imageBytes(g.screenWidth, g.screenHeight, 8);
    std::uint8_t* pixels = allocPixels(pixelBytes);
    if (!pixels) return fail(source, CodecStatus::NoMemory);
    ImageData& image = *source.result;
    image.pixels = pixels;
    initHeader(image.header, static_cast<std::int32_t>(g.screenWidth), static_cast<std::int32_t>(g.screenHeight), 8,
               0, 0);
    image.sourceFormat = ImageFormat::Gif;
    image.sourceBitDepth = g.colourBits;

    std::uint8_t table[768];
    std::memcpy(table, g.activeTable(), sizeof table);
    if (g.transparent) {
        static const std::uint8_t kWhite[3] = {0xFF, 0xFF, 0xFF};
        std::memcpy(table + 3 * g.transparentIndex, g.hasGlobal ? g.global + 3 * g.background : kWhite, 3);
    }
    for (int i = 0; i < 256; ++i) image.palette[i] = RGBQUAD{table[3 * i + 2], table[3 * i + 1], table[3 * i], 0};

    const std::uint32_t stride = rowStride(g.screenWidth, 8);
    const auto bg = static_cast<std::uint8_t>(g.background);
    const std::uint32_t rightMargin = g.screenWidth - g.left - g.width;
    for (std::uint32_t y = 0; y < g.screenHeight; ++y) {
        std::uint8_t* row = pixels + std::size_t{g.screenHeight - 1 - y} * stride;
        if (y < g.top || y >= g.top + g.height) {
            std::memset(row, bg, g.screenWidth);
            continue;
        }
        const std::uint32_t pictureRow = y - g.top;
        const std::uint32_t decodedRow = g.interlaced ? gifInterlacedRow(pictureRow, g.height) : pictureRow;
        std::memset(row, bg, g.left);
        std::memcpy(row + g.left, indexes + std::size_t{decodedRow} * g.width, g.width);
        std::memset(row + g.left + g.width, bg, rightMargin);
    }
    return true;
}

}  // namespace

bool decodeGif(ImageSource& source) {
    GifFile g;
    if (!readScreen(source, g) || !findImage(source, g) || !readDescriptor(source, g)) return false;
    PageBuffer gathered;
    std::size_t total = 0;
    unsigned minCodeSize = 0;
    if (!gatherData(source, gathered, total, minCodeSize)) return false;
    // Decoded into a flat index buffer; indexes the data does not reach stay 0.
    const std::size_t indexCount = std::size_t{g.width} * g.height;
    PageBuffer indexes;
    if (!indexes.alloc(indexCount + 4)) return fail(source, CodecStatus::NoMemory);
    gifLzwDecode(gathered.data, total, minCodeSize, indexes.data, indexCount);
    return compose(source, g, indexes.data);
}

ImageData* loadGif(ImageSource& source, const WideString& path) { return loadFramed(source, path, decodeGif); }
