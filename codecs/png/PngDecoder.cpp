// The PNG decoder's frame: the header, the walk over the chunks up to IEND, compositing, and the
// record filled.
#include "codecs/png/PngDecoder.h"

#include "codecs/png/PngDecoding.h"
#include "platform/platform.h"

namespace png {

namespace {

bool walkChunks(PngDecoder& d, ByteReader& in) {
    for (;;) {
        Chunk c;
        if (const CodecStatus e = readChunk(in, c); e != CodecStatus::Ok) return fail(d, e);
        switch (c.type) {
        case kIHDR: return fail(d, CodecStatus::PngChunkOrder);
        case kPLTE:
            if (!readPalette(d, c)) return false;
            break;
        case kIDAT:
            if (!readImageData(d, c, in)) return false;
            break;
        case kIEND:
            if (!crcMatches(c)) return fail(d, CodecStatus::PngCrc);
            d.seenIEND = true;
            if (d.seenIDAT && (d.colourType != 3 || d.seenPLTE)) return true;
            return fail(d, CodecStatus::PngMissingChunk);
        case kBKGD: readBackground(d, c); break;
        case kTRNS: readTransparency(d, c); break;
        case kPHYS: readResolution(d, c); break;
        case kICCP: readColourProfile(d, c); break;
        default: break;  // gAMA, tEXt and every unknown chunk, critical or not
        }
    }
}

// Grey types show through a ramp: entry i is i x 255, 85, 17 or 1 for depths 1, 2, 4 and above.
void fillGreyRamp(const PngDecoder& d, RGBQUAD* palette) {
    const unsigned step = d.bitDepth == 1 ? 255 : d.bitDepth == 2 ? 85 : d.bitDepth == 4 ? 17 : 1;
    for (unsigned i = 0; i * step < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i * step);
        palette[i] = RGBQUAD{v, v, v, 0};
    }
}

// Deflate turns one byte into at most 1032: a length and a distance take at least one bit each and
// stand for at most 258 bytes, so 2 bits give 258 bytes, 8 bits 1032. Image data of `available` bytes
// (everything behind the header, an upper bound of the IDAT chunks) inflates to at most 1032 times as
// many bytes, plus one match for the block headers' rounding; a header that needs more pixel bytes
// than that (filter bytes not even counted) describes a picture the file cannot hold.
bool plausibleForItsData(const PngDecoder& d, std::size_t available) {
    static constexpr int kSamples[7] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    const int samples = d.colourType >= 0 && d.colourType < 7 ? kSamples[d.colourType] : 0;
    const std::uint64_t rowBits = std::uint64_t{static_cast<std::uint32_t>(d.imageWidth)} * samples * d.bitDepth;
    const std::uint64_t pixelBytes = (rowBits + 7) / 8 * static_cast<std::uint32_t>(d.imageHeight);
    return pixelBytes <= (std::uint64_t{available} + 1) * 1032;
}

// The alpha plane of types 4 and 6, and the pixel buffer.
bool allocateBuffers(PngDecoder& d, std::size_t available) {
    const std::uint32_t width = static_cast<std::uint32_t>(d.imageWidth);
    const std::uint32_t height = static_cast<std::uint32_t>(d.imageHeight);
    if (!plausibleForItsData(d, available)) return fail(d, CodecStatus::PngInflate);
    if (d.hasAlpha) {
        const std::uint64_t plane = std::uint64_t{width} * height;
        if (plane > 0xFFFFFFFFu) return fail(d, CodecStatus::BadHeader);
        d.alphaPlane = static_cast<std::uint8_t*>(platform::pageAlloc(static_cast<std::size_t>(plane) + 4));
        if (!d.alphaPlane) return fail(d, CodecStatus::NoMemory);
    }
    const std::uint32_t bytes = imageBytes(width, height, static_cast<std::uint32_t>(d.outputBits));
    if (bytes == 0) return fail(d, CodecStatus::BadHeader);
    d.outputStride = rowStride(width, static_cast<std::uint32_t>(d.outputBits));
    d.source.result->pixels = allocPixels(bytes);
    if (!d.source.result->pixels) return fail(d, CodecStatus::NoMemory);
    return true;
}

bool decodeImage(PngDecoder& d) {
    ImageData& image = *d.source.result;
    ByteReader& in = d.source.input;
    if (!readHeader(d, in) || !selectRowRoutines(d)) return false;
    if (d.isGrey) fillGreyRamp(d, image.palette);
    if (!allocateBuffers(d, in.remaining())) return false;
    if (!walkChunks(d, in) || (d.compositeAlpha && (d.seenTRNS || d.hasAlpha) && !composite(d))) {
        freePixels(image.pixels);
        image.pixels = nullptr;
        return false;
    }
    initHeader(image.header, d.imageWidth, d.imageHeight, static_cast<std::uint16_t>(d.outputBits),
               static_cast<std::int32_t>(d.xPelsPerMeter), static_cast<std::int32_t>(d.yPelsPerMeter));
    image.sourceBitDepth = static_cast<std::uint32_t>(
        d.colourType == 2 || d.colourType == 6 ? d.bitDepth * 3 : d.bitDepth);
    image.sourceFormat = ImageFormat::Png;
    return true;
}

}  // namespace

}  // namespace png

bool decodePng(ImageSource& source) {
    PngDecoder d(source);
    const bool ok = png::decodeImage(d);
    platform::pageFree(d.alphaPlane);
    platform::heapFree(d.paletteAlpha);
    return ok;
}

ImageData* loadPng(ImageSource& source, const WideString& path) { return loadFramed(source, path, decodePng); }
