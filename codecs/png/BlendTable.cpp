#include "codecs/png/BlendTable.h"

void buildBlendTable(std::uint8_t* table) {
    for (unsigned x = 0; x < 256; ++x) {
        table[x * 256] = 0;
        table[x] = 0;
        table[255 * 256 + x] = static_cast<std::uint8_t>(x);
        table[x * 256 + 255] = static_cast<std::uint8_t>(x);
    }
    // The inner square by fixed-point reciprocal, mirrored so the table is symmetric.
    for (std::uint32_t x = 1; x <= 254; ++x) {
        const std::uint32_t scale = x * 65536u / 255u;
        for (std::uint32_t y = x; y <= 254; ++y) {
            const auto v = static_cast<std::uint8_t>((y * scale + 32768u) >> 16);
            table[x * 256 + y] = v;
            table[y * 256 + x] = v;
        }
    }
}
