// The GIF variant of LZW compression: a clear code first, codes packed least significant bit
// first and growing to 12 bits, a clear code whenever the dictionary is full.
#include <cstring>

#include "codecs/Gif.h"

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
