// Status codes of every decoder and encoder. Each is also the identifier of its error message.
#pragma once

#include <cstdint>

using CodecStatus = std::uint32_t;

namespace status {
constexpr CodecStatus kFailure = 50000;         // no more specific cause; every load and save starts here
constexpr CodecStatus kNoMemory = 50001;        // memory could not be allocated
constexpr CodecStatus kBadHeader = 50002;       // invalid or unsupported header values, image too large
constexpr CodecStatus kBadFile = 50004;         // cannot open or map, empty, or shorter than promised
constexpr CodecStatus kCannotCreate = 50005;    // output cannot be created or written
constexpr CodecStatus kCannotConvert = 50006;   // image cannot be converted to the encoder's depth
constexpr CodecStatus kDamaged = 50007;         // damaged or non-conforming GIF or TIFF structure
}  // namespace status
