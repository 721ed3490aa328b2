// The parts of the PNG decoder, one file each: the chunk frame and the chunks read for their values
// (PngChunks.cpp), the image data inflated into rows (PngImageData.cpp) and the removal of
// transparency (PngComposite.cpp). PngDecoder.cpp walks the chunks and puts the image together.
#pragma once

#include <cstdint>

#include "codecs/ByteReader.h"
#include "codecs/CodecStatus.h"
#include "codecs/png/PngDecoder.h"
#include "codecs/png/PngFormat.h"

namespace png {

inline constexpr std::uint32_t kIHDR = tag("IHDR");
inline constexpr std::uint32_t kPLTE = tag("PLTE");
inline constexpr std::uint32_t kIDAT = tag("IDAT");
inline constexpr std::uint32_t kIEND = tag("IEND");
inline constexpr std::uint32_t kBKGD = tag("bKGD");
inline constexpr std::uint32_t kTRNS = tag("tRNS");
inline constexpr std::uint32_t kPHYS = tag("pHYs");
inline constexpr std::uint32_t kICCP = tag("iCCP");

// One chunk that lies whole inside the input.
struct Chunk {
    std::uint32_t length = 0;
    std::uint32_t type = 0;
    ByteReader data;                          // the chunk's data, offsets from its first byte
    const std::uint8_t* checked = nullptr;    // type and data, which the CRC covers
    std::uint32_t crc = 0;
};

// Reads the chunk at the reader's cursor and moves behind its CRC. Ok, or why it cannot be read:
// PngChunkLength for a length with its top bit set, Damaged when it does not fit before the end.
CodecStatus readChunk(ByteReader& in, Chunk& chunk);
bool crcMatches(const Chunk& chunk);

inline bool fail(PngDecoder& d, CodecStatus code) {
    d.source.status = code;
    return false;
}

// The signature and IHDR; the reader ends behind IHDR's CRC.
bool readHeader(PngDecoder& d, ByteReader& in);
// PLTE: the palette of a palette image (and only of one: ignored otherwise).
bool readPalette(PngDecoder& d, const Chunk& chunk);
// bKGD, tRNS and pHYs are optional: a wrong length, CRC or place only makes them ignored.
void readBackground(PngDecoder& d, const Chunk& chunk);
void readTransparency(PngDecoder& d, const Chunk& chunk);
void readResolution(PngDecoder& d, const Chunk& chunk);
// iCCP: the first one before the image data, with a good CRC, gives the record its colour profile.
void readColourProfile(PngDecoder& d, const Chunk& chunk);

// The first IDAT chunk, already read, and the ones that follow it directly in `in`: decodes the
// image data into the pixel buffer. The reader ends behind the last of them.
bool readImageData(PngDecoder& d, const Chunk& first, ByteReader& in);

// Replaces transparency by the background: alpha blended, transparent colours and palette entries
// replaced.
bool composite(PngDecoder& d);

}  // namespace png
