// The 256 x 256 blend table T[x][y] ~ x * y / 255 rounded to nearest: each alpha blend becomes two
// look-ups and one addition. Used by PNG compositing and by colour tables elsewhere.
#pragma once

#include <cstdint>

constexpr unsigned kBlendTableBytes = 256 * 256;

// Fills a caller's 65,536-byte buffer; row x starts at offset x * 256.
void buildBlendTable(std::uint8_t* table);
