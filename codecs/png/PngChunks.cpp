// The chunk frame, and the chunks the decoder reads for their values: IHDR, PLTE, bKGD, tRNS, pHYs.
#include <zlib.h>

#include <cstring>

#include "codecs/PixelCeiling.h"
#include "codecs/png/PngDecoding.h"
#include "codecs/png/PngIcc.h"
#include "platform/platform.h"

namespace png {

namespace {

// A 16-bit sample as 8 bits: its high byte at depth 16, else its low byte.
std::uint8_t sample8(const PngDecoder& d, std::uint16_t v) {
    return static_cast<std::uint8_t>(d.bitDepth == 16 ? v >> 8 : v & 0xFF);
}

}  // namespace

CodecStatus readChunk(ByteReader& in, Chunk& c) {
    if (!in.has(4)) return CodecStatus::Damaged;
    c.length = in.u32be();
    if (c.length & 0x80000000u) return CodecStatus::PngChunkLength;
    if (!in.has(std::size_t{c.length} + 8)) return CodecStatus::Damaged;
    ByteReader checked = in.slice(4 + std::size_t{c.length});
    c.checked = checked.begin;
    c.type = checked.u32be();
    c.data = checked.slice(c.length);
    c.crc = in.u32be();
    return CodecStatus::Ok;
}

bool crcMatches(const Chunk& c) { return crc32(0L, c.checked, 4 + c.length) == c.crc; }

bool readHeader(PngDecoder& d, ByteReader& in) {
    const std::uint8_t* signature = in.take(sizeof kSignature);
    // The signature and the whole IHDR chunk, 33 bytes, come before anything else is looked at.
    if (!signature || in.remaining() < 25 || std::memcmp(signature, kSignature, sizeof kSignature) != 0)
        return fail(d, CodecStatus::Damaged);
    if (in.u32be() != 13) return fail(d, CodecStatus::PngHeaderLength);
    ByteReader checked = in.slice(17);
    if (checked.u32be() != kIHDR) return fail(d, CodecStatus::PngNoHeader);
    if (crc32(0L, checked.begin, 17) != in.u32be()) return fail(d, CodecStatus::PngCrc);
    d.imageWidth = static_cast<std::int32_t>(checked.u32be());
    d.imageHeight = static_cast<std::int32_t>(checked.u32be());
    if (d.imageWidth <= 0 || d.imageHeight <= 0) return fail(d, CodecStatus::BadHeader);
    if (!withinPixelCeiling(static_cast<std::uint32_t>(d.imageWidth), static_cast<std::uint32_t>(d.imageHeight)))
        return fail(d, CodecStatus::BadHeader);
    d.bitDepth = checked.u8();
    d.colourType = checked.u8();
    const std::uint8_t compression = checked.u8();
    const std::uint8_t filter = checked.u8();
    const std::uint8_t interlace = checked.u8();
    if (d.colourType == 3) {
        d.paletteAlpha = static_cast<std::uint8_t*>(platform::heapAlloc(256));
        if (!d.paletteAlpha) return fail(d, CodecStatus::NoMemory);
    }
    if (compression != 0) return fail(d, CodecStatus::PngCompression);
    if (filter != 0) return fail(d, CodecStatus::PngFilterMethod);
    if (interlace > 1) return fail(d, CodecStatus::PngInterlace);
    d.interlaced = interlace;
    return true;
}

bool readPalette(PngDecoder& d, const Chunk& c) {
    if (d.colourType != 3) return true;  // a suggestion for truecolour images; not needed
    if (d.seenPLTE || d.seenIDAT) return fail(d, CodecStatus::PngChunkOrder);
    if (!crcMatches(c)) return fail(d, CodecStatus::PngCrc);
    const std::uint32_t most = d.bitDepth >= 8 ? 256u : 1u << d.bitDepth;
    const std::uint32_t count = c.length / 3 < most ? c.length / 3 : most;
    ByteReader in = c.data;
    RGBQUAD* palette = d.source.result->palette;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t red = in.u8(), green = in.u8(), blue = in.u8();
        palette[i] = RGBQUAD{blue, green, red, 0};
    }
    d.paletteCount = count;
    d.seenPLTE = true;
    return true;
}

void readBackground(PngDecoder& d, const Chunk& c) {
    if (d.seenBKGD || d.seenIDAT || !crcMatches(c)) return;
    ByteReader in = c.data;
    switch (d.colourType) {
    case 0:
    case 4: {
        if (c.length != 2) return;
        const int scale = d.bitDepth == 1 ? 255 : d.bitDepth == 2 ? 85 : d.bitDepth == 4 ? 17 : 1;
        const auto level = static_cast<std::uint8_t>(sample8(d, in.u16be()) * scale);
        d.background[0] = d.background[1] = d.background[2] = level;
        break;
    }
    case 3: {
        if (c.length != 1 || !d.seenPLTE) return;
        const RGBQUAD& e = d.source.result->palette[in.u8()];
        d.background[0] = e.rgbRed;
        d.background[1] = e.rgbGreen;
        d.background[2] = e.rgbBlue;
        break;
    }
    case 2:
    case 6:
        if (c.length != 6) return;
        for (std::uint8_t& channel : d.background) channel = sample8(d, in.u16be());
        break;
    default: return;
    }
    d.seenBKGD = true;
}

void readTransparency(PngDecoder& d, const Chunk& c) {
    if (d.seenTRNS || d.seenIDAT || !crcMatches(c)) return;
    ByteReader in = c.data;
    if (d.colourType == 0 && c.length == 2) {
        d.transparent[1] = sample8(d, in.u16be());
    } else if (d.colourType == 2 && c.length == 6) {
        for (std::uint8_t& channel : d.transparent) channel = sample8(d, in.u16be());
    } else if (d.colourType == 3 && d.seenPLTE && c.length <= d.paletteCount) {
        in.copy(d.paletteAlpha, c.length);
        std::memset(d.paletteAlpha + c.length, 255, 256 - c.length);
    } else {
        return;
    }
    d.seenTRNS = true;
}

void readResolution(PngDecoder& d, const Chunk& c) {
    if (d.seenIDAT || c.length != 9 || !crcMatches(c)) return;
    ByteReader in = c.data;
    const std::uint32_t x = in.u32be();
    const std::uint32_t y = in.u32be();
    const std::uint8_t unit = in.u8();
    if (unit != 1 || x >= 0x80000000u || y >= 0x80000000u) return;
    d.xPelsPerMeter = x;
    d.yPelsPerMeter = y;
}

void readColourProfile(PngDecoder& d, const Chunk& c) {
    IccProfile& profile = d.source.result->iccProfile;
    if (d.seenIDAT || hasIccProfile(profile) || !crcMatches(c)) return;
    readIccChunk(c.data.begin, c.length, profile);
}

}  // namespace png
