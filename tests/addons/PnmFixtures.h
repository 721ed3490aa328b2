// Decoding Netpbm bytes through the reader into vectors, and reading the pixels of the result.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "addons/pnm/PnmReader.h"

namespace pnm {
inline void PrintTo(PnmStatus status, std::ostream* os) {
    static const char* const kNames[] = {"ok", "notPnm", "brokenData", "unsupported", "tooLarge", "bufferTooSmall"};
    *os << kNames[static_cast<int>(status)];
}
}  // namespace pnm

namespace pnmtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

struct Decoded {
    pnm::PnmStatus status = pnm::PnmStatus::notPnm;
    pnm::PnmHeader header;
    Bytes info;
    Bytes bits;

    std::uint32_t get32(std::size_t at) const {
        return info[at] | info[at + 1] << 8 | info[at + 2] << 16 | std::uint32_t{info[at + 3]} << 24;
    }
    // The colour at (x, y), y counted from the top, as 0xRRGGBB through the colour table.
    std::uint32_t rgb(std::uint32_t x, std::uint32_t y) const {
        const std::uint8_t* row = &bits[std::size_t{header.height - 1 - y} * header.stride];
        std::uint32_t index = 0;
        switch (header.bitCount) {
        case 24: return std::uint32_t{row[3 * x + 2]} << 16 | row[3 * x + 1] << 8 | row[3 * x];
        case 8: index = row[x]; break;
        default: index = row[x >> 3] >> (7 - (x & 7)) & 1; break;
        }
        const std::uint8_t* quad = &info[pnm::kInfoHeaderBytes + 4 * index];
        return std::uint32_t{quad[2]} << 16 | quad[1] << 8 | quad[0];
    }
    std::vector<std::uint32_t> pixels() const {
        std::vector<std::uint32_t> all;
        for (std::uint32_t y = 0; y < header.height; ++y)
            for (std::uint32_t x = 0; x < header.width; ++x) all.push_back(rgb(x, y));
        return all;
    }
};

// readPnmHeader, then decodePnm into buffers of exactly the sizes the header asks for.
inline Decoded decode(const Bytes& file) {
    Decoded d;
    d.status = pnm::readPnmHeader(file.data(), file.size(), d.header);
    if (d.status != pnm::PnmStatus::ok) return d;
    d.info.assign(d.header.infoBytes, 0xCD);
    d.bits.assign(d.header.bitsBytes, 0xCD);
    d.status = pnm::decodePnm(file.data(), file.size(), d.info.data(), d.info.size(), d.bits.data(), d.bits.size());
    return d;
}
inline Decoded decode(const std::string& file) { return decode(bytes(file)); }

}  // namespace pnmtest
