// What the PNG decoder and encoder share: the signature, chunk type tags, the Adam7 pass layout and
// the chunk CRC.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace png {

inline constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// A chunk type as the big-endian number its four letters make.
constexpr std::uint32_t tag(const char (&t)[5]) {
    return std::uint32_t{static_cast<std::uint8_t>(t[0])} << 24 | std::uint32_t{static_cast<std::uint8_t>(t[1])} << 16 |
           std::uint32_t{static_cast<std::uint8_t>(t[2])} << 8 | std::uint32_t{static_cast<std::uint8_t>(t[3])};
}

// Adam7: first column and row of each pass, and the steps between them.
inline constexpr int kColumnStart[7] = {0, 4, 0, 2, 0, 1, 0};
inline constexpr int kColumnStep[7] = {8, 8, 4, 4, 2, 2, 1};
inline constexpr int kRowStart[7] = {0, 0, 4, 0, 2, 0, 1};
inline constexpr int kRowStep[7] = {8, 8, 8, 4, 4, 2, 2};

// Pixels of a pass along one axis of `size` pixels.
constexpr std::uint64_t passSize(std::uint64_t size, int start, int step) {
    return size > static_cast<std::uint64_t>(start) ? (size - start + step - 1) / step : 0;
}

// The chunk CRC-32 (ISO 3309 polynomial, reflected, initial value and final XOR 0xFFFFFFFF), byte
// by byte through one 256-entry table. The register state after a chunk's four type letters never
// changes, so writers start each chunk from that constant.

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
inline constexpr std::array<std::uint32_t, 256> kCrcTable = makeCrcTable();

// Runs the register over n bytes; start from 0xFFFFFFFF and XOR the result with 0xFFFFFFFF.
constexpr std::uint32_t crcUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) crc = kCrcTable[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

// The register state after a chunk's type letters.
constexpr std::uint32_t crcAfterType(const char (&type)[5]) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i) crc = kCrcTable[(crc ^ static_cast<std::uint8_t>(type[i])) & 0xFF] ^ (crc >> 8);
    return crc;
}
static_assert(crcAfterType("IHDR") == 0x575E51F5u);
static_assert((crcAfterType("IEND") ^ 0xFFFFFFFFu) == 0xAE426082u);

}  // namespace png
