// The part of the settings record that the trim model reads and writes. The record derives from it
// (through the output job's part), so the model works on the settings themselves, never on a copy.
#pragma once

#include <cstdint>

constexpr std::uint32_t kPresetCount = 8;

struct TrimOptions {
    std::int32_t trimWidth = 400;  // output size, 1 ... 9999
    std::int32_t trimHeight = 300;
    std::int32_t presetWidth[kPresetCount] = {800, 400, 200, 0, 0, 0, 0, 0};
    std::int32_t presetHeight[kPresetCount] = {450, 300, 200, 0, 0, 0, 0, 0};
    std::int32_t outsideShade = 1;  // 0, 128, 255: that value; 1, 2, 3: brightness >> mode
    std::uint8_t sharpen = 0;
};
