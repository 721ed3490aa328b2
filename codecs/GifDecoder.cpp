#include <cstring>

#include "codecs/Gif.h"
#include "platform/PageBuffer.h"
#include "platform/platform.h"

namespace {

constexpr unsigned kMaxCodes = 4096;

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

}  // namespace

std::uint32_t gifInterlacedRow(std::uint32_t row, std::uint32_t height) {
    const std::uint32_t p1 = (height + 7) / 8;
    const std::uint32_t p2 = p1 + (height + 3) / 8;
    const std::uint32_t p3 = p2 + (height + 1) / 4;
    if (row % 8 == 0) return row / 8;
    if (row % 8 == 4) return p1 + row / 8;
    if (row % 4 == 2) return p2 + row / 4;
    return p3 + row / 2;
}

std::size_t gifLzwDecode(const std::uint8_t* data, std::size_t size, unsigned minCodeSize, std::uint8_t* out,
                         std::size_t count) {
    if (count == 0 || minCodeSize < 2 || minCodeSize > 8) return 0;
    const unsigned clear = 1u << minCodeSize;
    const unsigned endCode = clear + 1;
    // Each entry: its last byte, its prefix entry, its length, and (to spare a walk) its first byte.
    std::uint16_t prefix[kMaxCodes];
    std::uint16_t length[kMaxCodes];
    std::uint8_t suffix[kMaxCodes];
    std::uint8_t first[kMaxCodes];
    for (unsigned c = 0; c < clear; ++c) {
        prefix[c] = 0;
        length[c] = 1;
        suffix[c] = first[c] = static_cast<std::uint8_t>(c);
    }

    unsigned width = minCodeSize + 1;
    unsigned nextFree = clear + 2;
    std::size_t pos = 0;
    std::uint32_t bits = 0;
    unsigned bitCount = 0;
    std::size_t written = 0;

    auto readCode = [&](unsigned& code) {
        while (bitCount < width) {
            if (pos == size) return false;  // a partial last code is dropped
            bits |= std::uint32_t{data[pos++]} << bitCount;
            bitCount += 8;
        }
        code = bits & ((1u << width) - 1);
        bits >>= width;
        bitCount -= width;
        return true;
    };
    // Writes the string of `code` backwards from its last byte, cut at the end of the image.
    auto emit = [&](unsigned code) {
        unsigned len = length[code];
        const std::size_t room = count - written;
        if (len > room) {
            for (std::size_t skip = len - room; skip; --skip) code = prefix[code];
            len = static_cast<unsigned>(room);
        }
        std::uint8_t* p = out + written + len - 1;
        for (unsigned i = len; i > 1; --i) {
            *p-- = suffix[code];
            code = prefix[code];
        }
        *p = suffix[code];
        written += len;
    };
    // The first code of the stream or after a clear: a single index. A code the table cannot hold
    // yet is damaged data and reads as index 0.
    auto startCode = [&](unsigned& prev) {
        unsigned code;
        do {
            if (!readCode(code)) return false;
        } while (code == clear);
        if (code == endCode) return false;
        if (code > endCode) code = 0;
        out[written++] = static_cast<std::uint8_t>(code);
        prev = code;
        return true;
    };

    unsigned prev = 0;
    if (!startCode(prev)) return written;
    while (written < count) {
        unsigned code;
        if (!readCode(code) || code == endCode) break;
        if (code == clear) {
            width = minCodeSize + 1;
            nextFree = clear + 2;
            if (!startCode(prev)) break;
            continue;
        }
        if (code < nextFree) {
            emit(code);
            if (nextFree < kMaxCodes) {
                prefix[nextFree] = static_cast<std::uint16_t>(prev);
                suffix[nextFree] = first[code];
                first[nextFree] = first[prev];
                length[nextFree] = static_cast<std::uint16_t>(length[prev] + 1);
                ++nextFree;
            }
            prev = code;
        } else {
            // Not yet in the table (the string being defined, or damaged data): the previous
            // string plus its own first byte. A 12-bit code is below 4096, so there is room.
            prefix[nextFree] = static_cast<std::uint16_t>(prev);
            suffix[nextFree] = first[prev];
            first[nextFree] = first[prev];
            length[nextFree] = static_cast<std::uint16_t>(length[prev] + 1);
            prev = nextFree++;
            emit(prev);
        }
        while (width < 12 && nextFree > (1u << width) - 1) ++width;
    }
    return written;
}

bool decodeGif(ImageSource& source) {
    ByteReader& r = source.input;
    const std::uint8_t* head = r.take(13);
    if (!head || std::memcmp(head, "GIF", 3) != 0 ||
        (std::memcmp(head + 3, "87a", 3) != 0 && std::memcmp(head + 3, "89a", 3) != 0))
        return fail(source, CodecStatus::Damaged);

    const std::uint32_t screenWidth = load16le(head + 6);
    const std::uint32_t screenHeight = load16le(head + 8);
    if (screenWidth == 0 || screenHeight == 0) return fail(source, CodecStatus::BadHeader);
    const std::uint32_t pixelBytes = imageBytes(screenWidth, screenHeight, 8);
    if (pixelBytes == 0) return fail(source, CodecStatus::BadHeader);

    std::uint8_t global[768] = {};
    std::uint8_t local[768] = {};
    bool hasGlobal = false;
    bool hasLocal = false;
    std::uint32_t colourBits = 0;
    std::uint32_t background = 0;
    const std::uint8_t packed = head[10];
    if (packed & 0x80) {
        hasGlobal = true;
        colourBits = (packed & 7u) + 1;
        background = head[11];
        if (!r.copy(global, 3u << colourBits)) return fail(source, CodecStatus::Damaged);
    }

    bool transparent = false;
    std::uint8_t transparentIndex = 0;
    for (;;) {
        const std::uint8_t* introducer = r.take(1);
        if (!introducer) return fail(source, CodecStatus::Damaged);  // no image before the end
        if (*introducer == 0x21) {
            // Extension sizes count from the introducer.
            const std::uint8_t* block = r.cursor - 1;
            const std::uint8_t* label = r.take(1);
            if (!label) return fail(source, CodecStatus::Damaged);
            switch (*label) {
            case 0x01:  // plain text: 13-byte header, then sub-blocks
                if (!r.has(16 - 2)) return fail(source, CodecStatus::Damaged);
                r.skip(15 - 2);
                if (!skipSubBlocks(r)) return fail(source, CodecStatus::Damaged);
                break;
            case 0xF9:  // graphic control: fixed 8 bytes; only the transparency is used
                if (!r.has(8 - 2)) return fail(source, CodecStatus::Damaged);
                transparent = (block[3] & 1) != 0;
                transparentIndex = block[6];
                r.skip(8 - 2);
                break;
            case 0xFE:  // comment
                if (!skipSubBlocks(r)) return fail(source, CodecStatus::Damaged);
                break;
            case 0xFF:  // application: 11-byte identifier, then sub-blocks
                if (!r.has(15 - 2)) return fail(source, CodecStatus::Damaged);
                r.skip(14 - 2);
                if (!skipSubBlocks(r)) return fail(source, CodecStatus::Damaged);
                break;
            default:
                return fail(source, CodecStatus::BadFile);
            }
            continue;
        }
        if (*introducer == 0x3B) return fail(source, CodecStatus::Damaged);  // trailer before any image
        if (*introducer != 0x2C) return fail(source, CodecStatus::BadFile);
        break;
    }

    // Image descriptor.
    const std::uint8_t* desc = r.take(9);
    if (!desc) return fail(source, CodecStatus::Damaged);
    const std::uint32_t left = load16le(desc);
    const std::uint32_t top = load16le(desc + 2);
    const std::uint32_t width = load16le(desc + 4);
    const std::uint32_t height = load16le(desc + 6);
    if (left + width > screenWidth || top + height > screenHeight) return fail(source, CodecStatus::Damaged);
    const bool interlaced = (desc[8] & 0x40) != 0;
    if (desc[8] & 0x80) {
        hasLocal = true;
        const std::uint32_t bits = (desc[8] & 7u) + 1;
        if (!r.copy(local, 3u << bits)) return fail(source, CodecStatus::Damaged);
        if (bits > colourBits) colourBits = bits;
    }
    if (!hasLocal && !hasGlobal) return fail(source, CodecStatus::Damaged);
    const std::uint8_t* active = hasLocal ? local : global;

    // Gather the data sub-blocks. A first pass over their sizes gives the exact total, so data that
    // compresses poorly still fits and nothing is ever written past the buffer.
    const std::uint8_t* minCode = r.take(1);
    if (!minCode || *minCode < 2 || *minCode > 8) return fail(source, CodecStatus::Damaged);
    const std::uint8_t* blocks = r.cursor;
    std::size_t total = 0;
    for (;;) {
        const std::uint8_t* size = r.take(1);
        if (!size) return fail(source, CodecStatus::Damaged);
        if (*size == 0) break;
        if (!r.skip(*size)) return fail(source, CodecStatus::Damaged);
        total += *size;
    }
    if (total == 0) return fail(source, CodecStatus::Damaged);
    PageBuffer gathered;
    if (!gathered.alloc(total + 4)) return fail(source, CodecStatus::NoMemory);
    std::size_t at = 0;
    for (const std::uint8_t* p = blocks; *p != 0; p += 1 + *p) {
        std::memcpy(gathered.data + at, p + 1, *p);
        at += *p;
    }

    // Decode into a flat index buffer; indexes the data does not reach stay 0.
    const std::size_t indexCount = std::size_t{width} * height;
    PageBuffer indexes;
    if (!indexes.alloc(indexCount + 4)) return fail(source, CodecStatus::NoMemory);
    gifLzwDecode(gathered.data, total, *minCode, indexes.data, indexCount);

    // Compose the screen: background around the image, rows bottom-up.
    std::uint8_t* pixels = allocPixels(pixelBytes);
    if (!pixels) return fail(source, CodecStatus::NoMemory);
    ImageData& image = *source.result;
    image.pixels = pixels;
    initHeader(image.header, static_cast<std::int32_t>(screenWidth), static_cast<std::int32_t>(screenHeight), 8, 0,
               0);
    image.sourceFormat = ImageFormat::Gif;
    image.sourceBitDepth = colourBits;

    std::uint8_t table[768];
    std::memcpy(table, active, sizeof table);
    if (transparent) {
        static const std::uint8_t kWhite[3] = {0xFF, 0xFF, 0xFF};
        std::memcpy(table + 3 * transparentIndex, hasGlobal ? global + 3 * background : kWhite, 3);
    }
    for (int i = 0; i < 256; ++i)
        image.palette[i] = RGBQUAD{table[3 * i + 2], table[3 * i + 1], table[3 * i], 0};

    const std::uint32_t stride = rowStride(screenWidth, 8);
    const std::uint8_t bg = static_cast<std::uint8_t>(background);
    const std::uint32_t rightMargin = screenWidth - left - width;
    for (std::uint32_t y = 0; y < screenHeight; ++y) {
        std::uint8_t* row = pixels + std::size_t{screenHeight - 1 - y} * stride;
        if (y < top || y >= top + height) {
            std::memset(row, bg, screenWidth);
            continue;
        }
        const std::uint32_t pictureRow = y - top;
        const std::uint32_t decodedRow = interlaced ? gifInterlacedRow(pictureRow, height) : pictureRow;
        std::memset(row, bg, left);
        std::memcpy(row + left, indexes.data + std::size_t{decodedRow} * width, width);
        std::memset(row + left + width, bg, rightMargin);
    }
    return true;
}

ImageData* loadGif(ImageSource& source, const WideString& path) { return loadFramed(source, path, decodeGif); }
