// The part of the TIFF decoder that reads the file's structure: the header and the first image
// file directory, in the file's byte order, with every array and value checked to lie inside it.
#pragma once

#include <cstdint>

#include "codecs/ByteReader.h"
#include "codecs/ImageSource.h"

namespace tiff {

inline constexpr std::uint16_t kShort = 3;
inline constexpr std::uint16_t kLong = 4;

// One strip array (offsets or byte counts): SHORT or LONG values, in the entry itself when they fit
// in its 4-byte value field, else at an offset in the file.
struct StripArray {
    bool present = false;
    ByteReader values;
    std::uint32_t count = 0;
    std::uint16_t type = 0;
};

struct Directory {
    bool bigEndian = false;  // "MM"
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t bitsPerSample = 1;
    std::uint32_t bitsPerSampleCount = 0;
    std::uint32_t photometric = 4;  // stands for an absent tag, which is refused
    std::uint32_t planar = 1;
    StripArray offsets;
    StripArray byteCounts;
    std::uint32_t xResolutionOffset = 0;  // 0: absent
    std::uint32_t yResolutionOffset = 0;
    std::uint32_t resolutionUnit = 2;
    std::uint32_t colorMapOffset = 0;
    ByteReader iccProfile;  // the bytes of tag 34675 when they lie inside the file; empty otherwise
};

// Value i of a strip array (i below its count).
std::uint32_t stripValue(const Directory& d, const StripArray& a, std::uint32_t i);

// The header and the first directory from source.input. False with the status set: Damaged for a
// bad header, a short directory, bad size entries or repeated or unpaired strip tags, BadHeader for
// unsupported values.
bool readDirectory(ImageSource& source, Directory& d);

}  // namespace tiff
