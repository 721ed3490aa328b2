// The exact palette: the image's own colours in order of first occurrence, sorted by the sum of
// their channels, each pixel the index of its colour.
#include <cstring>
#include <vector>

#include "codecs/ColorReduction.h"

namespace reduction {

bool exactPalette(ColorReducer& r, std::uint32_t count, std::uint64_t* seen, std::size_t pixelCount,
                  std::uint8_t* targetPixels) {
    std::vector<std::uint32_t> colours;
    colours.reserve(count);
    // First occurrence order, from the bottom row up: each colour's presence bit is cleared when it
    // is first met, so the counting bitmap serves again.
    for (std::size_t p = 0; p < pixelCount && colours.size() < count; ++p) {
        const std::uint32_t c = r.workBuffer[p] & 0xFFFFFF;
        std::uint64_t& word = seen[c >> 6];
        const std::uint64_t bit = std::uint64_t{1} << (c & 63);
        if (word & bit) {
            word &= ~bit;
            colours.push_back(c);
        }
    }
    // Selection sort on blue + green + red; not stable, and the palette order depends on that.
    auto sum = [](std::uint32_t c) { return channel(c, 0) + channel(c, 1) + channel(c, 2); };
    for (std::size_t j = 0; j < colours.size(); ++j) {
        std::size_t best = j;
        for (std::size_t k = j + 1; k < colours.size(); ++k)
            if (sum(colours[k]) < sum(colours[best])) best = k;
        std::swap(colours[j], colours[best]);
    }
    std::memset(r.targetPalette, 0, sizeof r.targetPalette);
    for (std::size_t j = 0; j < colours.size(); ++j)
        r.targetPalette[j] = RGBQUAD{static_cast<BYTE>(channel(colours[j], 0)), static_cast<BYTE>(channel(colours[j], 1)),
                                     static_cast<BYTE>(channel(colours[j], 2)), 0};
    // Each pixel's index is the first palette entry of its colour; all 256 entries take part, so
    // the zero entries behind the colours never win over an earlier black.
    constexpr std::uint32_t kSlots = 1024;
    std::uint32_t keys[kSlots];
    std::uint8_t values[kSlots];
    std::memset(keys, 0xFF, sizeof keys);
    auto slotOf = [&](std::uint32_t c) {
        std::uint32_t slot = (c * 2654435761u) >> 22;
        while (keys[slot] != 0xFFFFFFFFu && keys[slot] != c) slot = (slot + 1) & (kSlots - 1);
        return slot;
    };
    for (std::uint32_t j = 0; j < 256; ++j) {
        const RGBQUAD& q = r.targetPalette[j];
        const std::uint32_t c = q.rgbBlue | q.rgbGreen << 8 | q.rgbRed << 16;
        const std::uint32_t slot = slotOf(c);
        if (keys[slot] == 0xFFFFFFFFu) {
            keys[slot] = c;
            values[slot] = static_cast<std::uint8_t>(j);
        }
    }
    for (std::size_t p = 0; p < pixelCount; ++p) targetPixels[p] = values[slotOf(r.workBuffer[p] & 0xFFFFFF)];
    return true;
}

}  // namespace reduction
