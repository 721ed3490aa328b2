// What the EXIF code reads and writes besides the reader: the APP1 header, the marker skip, and
// stores in the byte order of the TIFF data.
#pragma once

#include <cstdint>

#include "codecs/ByteReader.h"

namespace exif {

inline constexpr std::uint32_t kLargestPayload = 65533;  // of an APP1 segment
inline constexpr std::uint8_t kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};

inline void store16(std::uint8_t* p, std::uint32_t v, bool bigEndian) {
    if (bigEndian) {
        p[0] = static_cast<std::uint8_t>(v >> 8);
        p[1] = static_cast<std::uint8_t>(v);
    } else {
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
    }
}
inline void store32(std::uint8_t* p, std::uint32_t v, bool bigEndian) {
    if (bigEndian) {
        store16(p, v >> 16, true);
        store16(p + 2, v, true);
    } else {
        store16(p, v, false);
        store16(p + 2, v >> 16, false);
    }
}

inline bool stopNow() { return true; }

// Skips to the next marker byte: past anything up to 0xFF, then past the 0xFF fill. False at the end.
inline bool nextMarker(ByteReader& in) {
    while (in.peek() >= 0 && in.peek() != 0xFF) in.skip(1);
    while (in.peek() == 0xFF) in.skip(1);
    return in.peek() >= 0;
}

}  // namespace exif
