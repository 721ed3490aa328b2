#include <cstring>

#include "codecs/Gif.h"
#include "platform/PageBuffer.h"
#include "platform/platform.h"

namespace {

constexpr unsigned kMaxCodes = 4096;

// Dictionary lookups go through hash chains keyed by (prefix entry, byte). Every string is in the
// dictionary at most once and extends an entry that is itself in it, so matching the prefix entry
// and the last byte is the same test as comparing the whole string backwards.
constexpr unsigned kChainBits = 13;
constexpr unsigned kChains = 1u << kChainBits;

struct LzwWriter {
    std::uint8_t* out;
    std::size_t size = 0;
    std::uint32_t bits = 0;  // codes packed least significant bit first
    unsigned bitCount = 0;
    unsigned width = 0;

    void put(unsigned code) {
        bits |= std::uint32_t{code} << bitCount;
        bitCount += width;
        while (bitCount >= 8) {
            out[size++] = static_cast<std::uint8_t>(bits);
            bits >>= 8;
            bitCount -= 8;
        }
    }
};

inline unsigned chainOf(unsigned prefix, unsigned byte) {
    return ((prefix << 8 | byte) * 2654435761u) >> (32 - kChainBits);
}

bool fail(ImageSink& sink, CodecStatus code) {
    sink.status = code;
    return false;
}

using OpenOutput = bool (*)(ImageSink& sink, void* target);

bool writeGif(ImageSink& sink, OpenOutput open, void* target, const RGBQUAD* palette, const std::uint8_t* pixels,
              bool interlaced) {
    sink.status = CodecStatus::Failure;
    ColorReducer& reducer = sink.reducer;
    const std::uint32_t width = reducer.width;
    const std::uint32_t height = reducer.height;
    if (width > 65535 || height > 65535) return fail(sink, CodecStatus::CannotCreate);
    if (!open(sink, target)) return fail(sink, CodecStatus::CannotCreate);
    // The pixel byte count is a signed 32-bit quantity in the file format's world.
    if (reducer.targetByteCount > 0x7FFFFFFFu) return fail(sink, CodecStatus::CannotCreate);

    // Reduced indexes (packed bottom-up rows), later the compressed stream.
    const std::size_t count = std::size_t{width} * height;
    const std::size_t reducedBytes = std::size_t{reducer.targetByteCount} + 4;
    const std::size_t workBytes = count ? gifLzwBound(count) : 0;
    PageBuffer work;
    if (!work.alloc(workBytes > reducedBytes ? workBytes : reducedBytes)) return fail(sink, CodecStatus::NoMemory);
    RGBQUAD colours[256];
    if (!reduceToPalette(reducer, palette, pixels, colours, work.data)) return fail(sink, CodecStatus::CannotConvert);
    const std::uint32_t bits = reducer.targetDepth;

    // Rows top-down, or in the four passes of interlacing.
    PageBuffer rows;
    if (!rows.alloc(count + 4)) return fail(sink, CodecStatus::NoMemory);
    for (std::uint32_t i = 0; i < height; ++i) {
        const std::uint32_t position = interlaced ? gifInterlacedRow(i, height) : i;
        std::memcpy(rows.data + std::size_t{position} * width, work.data + std::size_t{height - 1 - i} * width, width);
    }

    const unsigned minCodeSize = bits == 1 ? 2 : bits;
    const std::size_t compressed = gifLzwEncode(rows.data, count, minCodeSize, work.data);

    // Header, logical screen and global colour table.
    writeBytes(sink, "GIF89a", 6);
    writeU16le(sink, static_cast<std::uint16_t>(width));
    writeU16le(sink, static_cast<std::uint16_t>(height));
    writeU8(sink, static_cast<std::uint8_t>(0x80 | (bits - 1) << 4 | (bits - 1)));
    writeU8(sink, 0);  // background index
    writeU8(sink, 0);  // pixel aspect ratio
    std::uint8_t table[768];
    const std::uint32_t entries = 1u << bits;
    for (std::uint32_t i = 0; i < entries; ++i) {
        table[3 * i] = colours[i].rgbRed;
        table[3 * i + 1] = colours[i].rgbGreen;
        table[3 * i + 2] = colours[i].rgbBlue;
    }
    writeBytes(sink, table, 3 * entries);

    // Image descriptor: the whole screen, no local table.
    writeU8(sink, 0x2C);
    writeU32le(sink, 0);
    writeU16le(sink, static_cast<std::uint16_t>(width));
    writeU16le(sink, static_cast<std::uint16_t>(height));
    writeU8(sink, interlaced ? 0x40 : 0);

    // Image data in sub-blocks of at most 255 bytes, then the terminator and the trailer.
    writeU8(sink, static_cast<std::uint8_t>(minCodeSize));
    for (std::size_t at = 0; at < compressed; at += 255) {
        const std::size_t n = compressed - at < 255 ? compressed - at : 255;
        writeU8(sink, static_cast<std::uint8_t>(n));
        writeBytes(sink, work.data + at, n);
    }
    writeU8(sink, 0);
    writeU8(sink, 0x3B);
    return finishOutput(sink);
}

bool openFile(ImageSink& sink, void* target) { return createOutput(sink, *static_cast<const WideString*>(target)); }

bool openMemory(ImageSink& sink, void* target) {
    writeToMemory(sink, *static_cast<std::vector<std::uint8_t>*>(target));
    return true;
}

}  // namespace

std::size_t gifLzwBound(std::size_t count) {
    // At most one code per index plus the leading clear, a clear every 3839 codes, the end code and
    // one final byte; codes are at most 12 bits. 2 bytes per index covers it with room to spare.
    return 2 * count + 16;
}

std::size_t gifLzwEncode(const std::uint8_t* indexes, std::size_t count, unsigned minCodeSize, std::uint8_t* out) {
    const unsigned clear = 1u << minCodeSize;
    const unsigned endCode = clear + 1;
    std::uint16_t prefix[kMaxCodes];
    std::uint8_t last[kMaxCodes];
    std::uint16_t chainNext[kMaxCodes];
    std::uint16_t chainHead[kChains];
    std::memset(chainHead, 0, sizeof chainHead);  // 0 ends a chain: no entry is numbered 0

    LzwWriter w{out};
    w.width = minCodeSize + 1;
    unsigned nextFree = clear + 2;
    w.put(clear);
    if (count == 0) {
        w.put(endCode);
    } else {
        unsigned current = indexes[0];
        for (std::size_t i = 1; i < count; ++i) {
            const unsigned k = indexes[i];
            const unsigned chain = chainOf(current, k);
            // The last index always ends the string, so it is written as a code of its own.
            if (i + 1 != count) {
                unsigned e = chainHead[chain];
                while (e != 0 && (prefix[e] != current || last[e] != k)) e = chainNext[e];
                if (e != 0) {
                    current = e;
                    continue;
                }
            }
            w.put(current);
            if (nextFree > kMaxCodes - 1) {
                w.put(clear);
                w.width = minCodeSize + 1;
                nextFree = clear + 2;
                std::memset(chainHead, 0, sizeof chainHead);
            } else {
                if (w.width < 12 && (1u << w.width) - 1 < nextFree) ++w.width;
                prefix[nextFree] = static_cast<std::uint16_t>(current);
                last[nextFree] = static_cast<std::uint8_t>(k);
                chainNext[nextFree] = chainHead[chain];
                chainHead[chain] = static_cast<std::uint16_t>(nextFree);
                ++nextFree;
            }
            current = k;
        }
        w.put(current);
        w.put(endCode);
    }
    // The remaining bits as one final byte, a zero byte when none remain.
    out[w.size++] = static_cast<std::uint8_t>(w.bits);
    return w.size;
}

bool saveGif(ImageSink& sink, const WideString& path, const RGBQUAD* palette, const std::uint8_t* pixels,
             bool interlaced) {
    return writeGif(sink, openFile, const_cast<WideString*>(&path), palette, pixels, interlaced);
}

bool saveGifToMemory(ImageSink& sink, std::vector<std::uint8_t>& out, const RGBQUAD* palette,
                     const std::uint8_t* pixels, bool interlaced) {
    return writeGif(sink, openMemory, &out, palette, pixels, interlaced);
}
