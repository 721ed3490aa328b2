// The colour profile in PNG: the iCCP chunk, a keyword of 1 to 79 Latin-1 bytes, a zero byte,
// compression method 0 and the profile deflated in a zlib stream.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/IccProfile.h"

namespace png {

// Reads an iCCP chunk's data into `profile`. A bad keyword, another compression method, broken zlib
// data, a stream that would inflate beyond kIccProfileLimit or a profile that does not look valid
// leaves no profile: the chunk is dropped, never the image.
void readIccChunk(const std::uint8_t* data, std::uint32_t length, IccProfile& profile);
// The iCCP chunk's data for `profile`: its name (or the neutral one), 0, method 0, the zlib stream.
// False when zlib fails or memory runs out.
bool makeIccChunk(const IccProfile& profile, std::vector<std::uint8_t>& chunk);

}  // namespace png
