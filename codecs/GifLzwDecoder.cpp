// The GIF variant of LZW decoding: codes packed least significant bit first, a clear code that
// resets the dictionary, codes growing to 12 bits. Strings are written backwards from their last
// byte by following prefix links, so no string is copied twice.
#include "codecs/Gif.h"

namespace {

constexpr unsigned kMaxCodes = 4096;

// Each entry: its last byte, its prefix entry, its length, and (to spare a walk) its first byte.
struct Dictionary {
    std::uint16_t prefix[kMaxCodes];
    std::uint16_t length[kMaxCodes];
    std::uint8_t suffix[kMaxCodes];
    std::uint8_t first[kMaxCodes];

    // Entries below the clear code are the single bytes.
    void init(unsigned clear) {
        for (unsigned c = 0; c < clear; ++c) {
            prefix[c] = 0;
            length[c] = 1;
            suffix[c] = first[c] = static_cast<std::uint8_t>(c);
        }
    }
    // Entry `code` is the string of `prev` followed by `byte`.
    void define(unsigned code, unsigned prev, std::uint8_t byte) {
        prefix[code] = static_cast<std::uint16_t>(prev);
        suffix[code] = byte;
        first[code] = first[prev];
        length[code] = static_cast<std::uint16_t>(length[prev] + 1);
    }
};

}  // namespace

std::size_t gifLzwDecode(const std::uint8_t* data, std::size_t size, unsigned minCodeSize, std::uint8_t* out,
                         std::size_t count) {
    if (count == 0 || minCodeSize < 2 || minCodeSize > 8) return 0;
    const unsigned clear = 1u << minCodeSize;
    const unsigned endCode = clear + 1;
    Dictionary dict;
    dict.init(clear);

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
        unsigned len = dict.length[code];
        const std::size_t room = count - written;
        if (len > room) {
            for (std::size_t skip = len - room; skip; --skip) code = dict.prefix[code];
            len = static_cast<unsigned>(room);
        }
        std::uint8_t* p = out + written + len - 1;
        for (unsigned i = len; i > 1; --i) {
            *p-- = dict.suffix[code];
            code = dict.prefix[code];
        }
        *p = dict.suffix[code];
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
            if (nextFree < kMaxCodes) dict.define(nextFree++, prev, dict.first[code]);
            prev = code;
        } else {
            // Not yet in the table (the string being defined, or damaged data): the previous
            // string plus its own first byte. A 12-bit code is below 4096, so there is room.
            dict.define(nextFree, prev, dict.first[prev]);
            prev = nextFree++;
            emit(prev);
        }
        while (width < 12 && nextFree > (1u << width) - 1) ++width;
    }
    return written;
}
