#include "codecs/png/PngDecoder.h"

#include <zlib.h>

#include <cstring>

#include "codecs/png/BlendTable.h"
#include "codecs/png/PngFormat.h"
#include "codecs/png/PngZlib.h"

namespace {

using png::tag;
constexpr std::size_t kHeaderEnd = 33;  // signature and the whole IHDR chunk
constexpr std::size_t kInflateBlock = 256 * 1024;  // bytes inflated per call, whole rows
constexpr std::uint32_t kIHDR = tag("IHDR");
constexpr std::uint32_t kPLTE = tag("PLTE");
constexpr std::uint32_t kIDAT = tag("IDAT");
constexpr std::uint32_t kIEND = tag("IEND");
constexpr std::uint32_t kBKGD = tag("bKGD");
constexpr std::uint32_t kTRNS = tag("tRNS");
constexpr std::uint32_t kPHYS = tag("pHYs");

bool fail(PngDecoder& d, CodecStatus code) {
    d.source.status = code;
    return false;
}

// A chunk that lies whole inside the input: length, type, data, CRC.
struct Chunk {
    const std::uint8_t* start = nullptr;  // the length field
    std::uint32_t length = 0;
    std::uint32_t type = 0;
    const std::uint8_t* data = nullptr;
    const std::uint8_t* next = nullptr;  // behind the CRC
};

// Ok when the chunk at `at` fits before `end`, else the status that says why not.
CodecStatus readChunk(const std::uint8_t* at, const std::uint8_t* end, Chunk& c) {
    const std::size_t left = static_cast<std::size_t>(end - at);
    if (left < 4) return CodecStatus::Damaged;
    c.length = load32be(at);
    if (c.length & 0x80000000u) return CodecStatus::PngChunkLength;
    if (left < 12 || c.length > left - 12) return CodecStatus::Damaged;
    c.start = at;
    c.type = load32be(at + 4);
    c.data = at + 8;
    c.next = at + 12 + c.length;
    return CodecStatus::Ok;
}

bool crcMatches(const Chunk& c) {
    return crc32(0L, c.start + 4, 4 + c.length) == load32be(c.data + c.length);
}

// Bytes of one filtered row of `width` pixels, filter byte included.
std::uint64_t rowBytesFor(const PngDecoder& d, std::uint64_t width) {
    switch (d.bitDepth) {
    case 1: return 1 + (width + 7) / 8;
    case 2: return 1 + (width + 3) / 4;
    case 4: return 1 + (width + 1) / 2;
    default: return 1 + width * static_cast<std::uint64_t>(d.filterUnit);
    }
}

// Pixels in a packed row's last byte; 0 means a full byte.
std::int32_t lastBytePixelsFor(const PngDecoder& d, std::uint64_t width) {
    switch (d.bitDepth) {
    case 1: return static_cast<std::int32_t>(width % 8);
    case 2: return static_cast<std::int32_t>(width % 4);
    case 4: return static_cast<std::int32_t>(width % 2);
    default: return 0;
    }
}

bool readHeader(PngDecoder& d) {
    const std::uint8_t* p = d.source.input.begin;
    if (load32be(p + 8) != 13) return fail(d, CodecStatus::PngHeaderLength);
    if (load32be(p + 12) != kIHDR) return fail(d, CodecStatus::PngNoHeader);
    if (crc32(0L, p + 12, 17) != load32be(p + 29)) return fail(d, CodecStatus::PngCrc);
    const std::uint8_t* h = p + 16;
    d.imageWidth = static_cast<std::int32_t>(load32be(h));
    d.imageHeight = static_cast<std::int32_t>(load32be(h + 4));
    if (d.imageWidth <= 0 || d.imageHeight <= 0) return fail(d, CodecStatus::BadHeader);
    d.bitDepth = h[8];
    d.colourType = h[9];
    if (d.colourType == 3) {
        d.paletteAlpha = static_cast<std::uint8_t*>(platform::heapAlloc(256));
        if (!d.paletteAlpha) return fail(d, CodecStatus::NoMemory);
    }
    if (h[10] != 0) return fail(d, CodecStatus::PngCompression);
    if (h[11] != 0) return fail(d, CodecStatus::PngFilterMethod);
    if (h[12] > 1) return fail(d, CodecStatus::PngInterlace);
    d.interlaced = h[12];
    return true;
}

bool readPalette(PngDecoder& d, const Chunk& c) {
    if (d.colourType != 3) return true;  // a suggestion for truecolour images; not needed
    if (d.seenPLTE || d.seenIDAT) return fail(d, CodecStatus::PngChunkOrder);
    if (!crcMatches(c)) return fail(d, CodecStatus::PngCrc);
    const std::uint32_t most = d.bitDepth >= 8 ? 256u : 1u << d.bitDepth;
    const std::uint32_t count = c.length / 3 < most ? c.length / 3 : most;
    RGBQUAD* palette = d.source.result->palette;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* rgb = c.data + 3 * i;
        palette[i] = RGBQUAD{rgb[2], rgb[1], rgb[0], 0};
    }
    d.paletteCount = count;
    d.seenPLTE = true;
    return true;
}

// bKGD, tRNS and pHYs are optional: a wrong length, CRC or place only makes them ignored.
void readBackground(PngDecoder& d, const Chunk& c) {
    if (d.seenBKGD || d.seenIDAT || !crcMatches(c)) return;
    const std::uint8_t* p = c.data;
    const int low = d.bitDepth == 16 ? 0 : 1;  // which byte of a 16-bit value holds 8 bits
    switch (d.colourType) {
    case 0:
    case 4: {
        if (c.length != 2) return;
        const int scale = d.bitDepth == 1 ? 255 : d.bitDepth == 2 ? 85 : d.bitDepth == 4 ? 17 : 1;
        const auto level = static_cast<std::uint8_t>(p[low] * scale);
        d.background[0] = d.background[1] = d.background[2] = level;
        break;
    }
    case 3: {
        if (c.length != 1 || !d.seenPLTE) return;
        const RGBQUAD& e = d.source.result->palette[p[0]];
        d.background[0] = e.rgbRed;
        d.background[1] = e.rgbGreen;
        d.background[2] = e.rgbBlue;
        break;
    }
    case 2:
    case 6:
        if (c.length != 6) return;
        d.background[0] = p[low];
        d.background[1] = p[2 + low];
        d.background[2] = p[4 + low];
        break;
    default: return;
    }
    d.seenBKGD = true;
}

void readTransparency(PngDecoder& d, const Chunk& c) {
    if (d.seenTRNS || d.seenIDAT || !crcMatches(c)) return;
    const std::uint8_t* p = c.data;
    const int low = d.bitDepth == 16 ? 0 : 1;
    if (d.colourType == 0 && c.length == 2) {
        d.transparent[1] = p[low];
    } else if (d.colourType == 2 && c.length == 6) {
        d.transparent[0] = p[low];
        d.transparent[1] = p[2 + low];
        d.transparent[2] = p[4 + low];
    } else if (d.colourType == 3 && d.seenPLTE && c.length <= d.paletteCount) {
        std::memcpy(d.paletteAlpha, p, c.length);
        std::memset(d.paletteAlpha + c.length, 255, 256 - c.length);
    } else {
        return;
    }
    d.seenTRNS = true;
}

void readResolution(PngDecoder& d, const Chunk& c) {
    if (d.seenIDAT || c.length != 9 || !crcMatches(c)) return;
    const std::uint32_t x = load32be(c.data);
    const std::uint32_t y = load32be(c.data + 4);
    if (c.data[8] != 1 || x >= 0x80000000u || y >= 0x80000000u) return;
    d.xPelsPerMeter = x;
    d.yPelsPerMeter = y;
}

// Decodes `count` rows of the image or of one Adam7 pass, row i going to place(i). Rows are
// inflated a block of rows per call, which spares zlib its per-call window copies and slow tail;
// each is then reconstructed and converted in place, the row above read where it lies. Returns
// false (PngInflate) when the data is damaged or runs out; sets `ended` when the stream ended.
template <class Place>
bool decodeRowRun(PngDecoder& d, z_stream& z, std::size_t count, bool& ended, Place place) {
    const std::size_t rowBytes = static_cast<std::size_t>(d.rowBytes);
    const std::size_t perCall = d.blockBytes / rowBytes;
    std::uint8_t* block = d.inflateBlock;
    std::uint8_t* saved = d.savedRow;  // the last row of the previous block, zero before the first
    std::memset(saved, 0, rowBytes - 1);
    auto convert = [&](std::uint8_t* row, const std::uint8_t* above, std::size_t index) {
        d.currentRow = row;
        d.previousRow = above;
        const PngRowOutput at = place(index);
        d.alphaCursor = at.alpha;
        unsigned filter = row[0];
        if (filter > 4) filter = 0;
        d.rowRoutine[filter](d, at.output);
    };
    for (std::size_t first = 0; first < count && !ended; first += perCall) {
        const std::size_t rows = count - first < perCall ? count - first : perCall;
        z.next_out = block;
        z.avail_out = static_cast<uInt>(rows * rowBytes);
        const int rc = inflate(&z, Z_NO_FLUSH);
        // All the data is given at once: Z_OK with room left means it ran out, cut off.
        if (rc != Z_STREAM_END && !(rc == Z_OK && z.avail_out == 0)) return fail(d, CodecStatus::PngInflate);
        ended = rc == Z_STREAM_END;
        const std::size_t got = rows * rowBytes - z.avail_out;
        const std::size_t whole = got / rowBytes;
        for (std::size_t i = 0; i < whole;) {
            std::uint8_t* row = block + i * rowBytes;
            const std::uint8_t* above = i ? row - rowBytes + 1 : saved;
            if (d.paethPair && i + 1 < whole && row[0] == 4 && row[rowBytes] == 4) {
                d.paethPair(d, row, above, place(first + i), place(first + i + 1));
                i += 2;
            } else {
                convert(row, above, first + i);
                i += 1;
            }
        }
        const std::uint8_t* above = whole ? block + (whole - 1) * rowBytes + 1 : saved;
        if (const std::size_t part = got % rowBytes) {
            // A row the stream ends inside keeps, past its end, what a one-row buffer would still
            // hold there: the row above, behind its filter byte. Rows never reached stay zero.
            std::uint8_t* row = block + whole * rowBytes;
            std::memcpy(row + part, above + part - 1, rowBytes - part);
            convert(row, above, first + whole);
        } else if (whole) {
            std::memcpy(saved, above, rowBytes - 1);
        }
    }
    return true;
}

bool sequentialRows(PngDecoder& d, z_stream& z) {
    const std::size_t width = static_cast<std::size_t>(d.imageWidth);
    const std::size_t height = static_cast<std::size_t>(d.imageHeight);
    std::uint8_t* pixels = d.source.result->pixels;
    d.pixelStep = 1;
    d.outputStep = 3;
    d.lastBytePixels = lastBytePixelsFor(d, width);
    bool ended = false;
    return decodeRowRun(d, z, height, ended, [&](std::size_t y) {
        const std::size_t row = height - 1 - y;  // rows are stored bottom-up
        return PngRowOutput{pixels + row * d.outputStride, d.alphaPlane ? d.alphaPlane + row * width : nullptr};
    });
}

// One inflate stream runs across the seven passes; a stream that ends stops the whole decode.
bool interlacedRows(PngDecoder& d, z_stream& z) {
    const std::size_t width = static_cast<std::size_t>(d.imageWidth);
    const std::size_t height = static_cast<std::size_t>(d.imageHeight);
    const std::size_t pixelBytes = static_cast<std::size_t>(d.outputBits / 8);
    std::uint8_t* pixels = d.source.result->pixels;
    bool ended = false;
    for (int pass = 0; pass < 7 && !ended; ++pass) {
        const std::size_t c0 = png::kColumnStart[pass], dc = png::kColumnStep[pass];
        const std::size_t r0 = png::kRowStart[pass], dr = png::kRowStep[pass];
        const std::size_t passWidth = png::passSize(width, png::kColumnStart[pass], png::kColumnStep[pass]);
        const std::size_t passHeight = png::passSize(height, png::kRowStart[pass], png::kRowStep[pass]);
        if (passWidth == 0 || passHeight == 0) continue;
        d.rowBytes = static_cast<std::int32_t>(rowBytesFor(d, passWidth));
        d.pixelStep = static_cast<std::int32_t>(dc);
        d.outputStep = static_cast<std::int32_t>(3 * dc);
        d.lastBytePixels = lastBytePixelsFor(d, passWidth);
        // Each pass starts without a row above.
        const bool ok = decodeRowRun(d, z, passHeight, ended, [&](std::size_t i) {
            const std::size_t row = height - 1 - (r0 + i * dr);
            return PngRowOutput{pixels + row * d.outputStride + c0 * pixelBytes,
                            d.alphaPlane ? d.alphaPlane + row * width + c0 : nullptr};
        });
        if (!ok) return false;
    }
    return true;
}

// One inflate stream over all the image data, rows converted as they arrive.
bool decodeRows(PngDecoder& d) {
    z_stream z{};
    png::useHeapHooks(z);
    z.next_in = const_cast<Bytef*>(d.idatData);
    z.avail_in = d.idatSize;
    if (inflateInit2(&z, 15) != Z_OK) return fail(d, CodecStatus::PngInflate);
    // The full-width row is the widest of every pass; a block holds at least one.
    const std::uint64_t rowBytes = rowBytesFor(d, static_cast<std::uint64_t>(d.imageWidth));
    bool ok = false;
    if (rowBytes > 0x7FFFFFFFu) {
        fail(d, CodecStatus::BadHeader);
    } else {
        // A small image needs no more than its own rows.
        const std::uint64_t allRows = rowBytes * static_cast<std::uint64_t>(d.imageHeight);
        const std::uint64_t block = allRows < kInflateBlock ? allRows : kInflateBlock;
        d.blockBytes = static_cast<std::size_t>(rowBytes > block ? rowBytes : block);
        d.rowBlock = static_cast<std::uint8_t*>(platform::heapAlloc(static_cast<std::size_t>(rowBytes) + d.blockBytes));
        if (!d.rowBlock) {
            fail(d, CodecStatus::NoMemory);
        } else {
            d.rowBytes = static_cast<std::int32_t>(rowBytes);
            d.savedRow = d.rowBlock;
            d.inflateBlock = d.rowBlock + rowBytes;
            ok = d.interlaced ? interlacedRows(d, z) : sequentialRows(d, z);
        }
    }
    inflateEnd(&z);
    platform::heapFree(d.rowBlock);
    d.rowBlock = d.savedRow = d.inflateBlock = d.currentRow = nullptr;
    d.previousRow = nullptr;
    return ok;
}

// The first IDAT chunk and the ones that follow it directly: one chunk is inflated straight from
// the input, several are gathered back to back first. `at` ends behind the last of them.
bool readImageData(PngDecoder& d, const Chunk& first, const std::uint8_t*& at) {
    if (d.seenIDAT) return fail(d, CodecStatus::PngChunkOrder);
    if (!crcMatches(first)) return fail(d, CodecStatus::PngCrc);
    d.seenIDAT = true;
    d.idatData = first.data;
    d.idatSize = first.length;

    const std::uint8_t* end = d.source.input.end;
    const std::uint8_t* look = first.next;
    std::uint64_t total = first.length;
    std::uint32_t count = 1;
    while (end - look >= 8 && load32be(look + 4) == kIDAT) {
        Chunk c;
        if (readChunk(look, end, c) != CodecStatus::Ok || !crcMatches(c)) return fail(d, CodecStatus::PngIdatSequence);
        total += c.length;
        if (total > 0xFFFFFFFFu) return fail(d, CodecStatus::PngIdatSequence);
        ++count;
        look = c.next;
    }
    if (count > 1) {
        d.gathered = static_cast<std::uint8_t*>(platform::pageAlloc(static_cast<std::size_t>(total) + 4));
        if (!d.gathered) return fail(d, CodecStatus::NoMemory);
        std::uint8_t* out = d.gathered;
        for (const std::uint8_t* p = first.start; p != look;) {
            const std::uint32_t length = load32be(p);
            std::memcpy(out, p + 8, length);
            out += length;
            p += 12 + std::size_t{length};
        }
        d.idatData = d.gathered;
        d.idatSize = static_cast<std::uint32_t>(total);
    }
    at = look;
    const bool ok = decodeRows(d);
    platform::pageFree(d.gathered);
    d.gathered = nullptr;
    return ok;
}

bool walkChunks(PngDecoder& d) {
    const std::uint8_t* at = d.source.input.begin + kHeaderEnd;
    for (;;) {
        Chunk c;
        if (const CodecStatus e = readChunk(at, d.source.input.end, c); e != CodecStatus::Ok) return fail(d, e);
        switch (c.type) {
        case kIHDR: return fail(d, CodecStatus::PngChunkOrder);
        case kPLTE:
            if (!readPalette(d, c)) return false;
            break;
        case kIDAT:
            if (!readImageData(d, c, at)) return false;
            continue;
        case kIEND:
            if (!crcMatches(c)) return fail(d, CodecStatus::PngCrc);
            d.seenIEND = true;
            if (d.seenIDAT && (d.colourType != 3 || d.seenPLTE)) return true;
            return fail(d, CodecStatus::PngMissingChunk);
        case kBKGD: readBackground(d, c); break;
        case kTRNS: readTransparency(d, c); break;
        case kPHYS: readResolution(d, c); break;
        default: break;  // gAMA, tEXt and every unknown chunk, critical or not
        }
        at = c.next;
    }
}

// Removes transparency: alpha blended onto the background through the blend table, transparent
// colours and palette entries replaced by it.
bool composite(PngDecoder& d) {
    auto* table = static_cast<std::uint8_t*>(platform::heapAlloc(kBlendTableBytes));
    if (!table) return fail(d, CodecStatus::NoMemory);
    buildBlendTable(table);
    const std::uint8_t* bg = d.seenBKGD ? d.background : d.defaultBackground;  // red, green, blue
    ImageData& image = *d.source.result;
    const std::size_t width = static_cast<std::size_t>(d.imageWidth);
    const std::size_t height = static_cast<std::size_t>(d.imageHeight);
    const std::uint8_t* t = table;
    switch (d.colourType) {
    case 0:
        image.palette[d.transparent[1]] = RGBQUAD{bg[2], bg[1], bg[0], 0};
        break;
    case 2: {
        const std::uint8_t* key = d.transparent;
        for (std::size_t y = 0; y < height; ++y) {
            std::uint8_t* p = image.pixels + y * d.outputStride;
            for (std::size_t x = 0; x < width; ++x, p += 3) {
                if (p[0] == key[2] && p[1] == key[1] && p[2] == key[0]) {
                    p[0] = bg[2];
                    p[1] = bg[1];
                    p[2] = bg[0];
                }
            }
        }
        break;
    }
    case 3:
        for (int i = 0; i < 256; ++i) {
            RGBQUAD& e = image.palette[i];
            const unsigned a = d.paletteAlpha[i];
            const unsigned rest = (255 - a) * 256;
            e.rgbBlue = static_cast<std::uint8_t>(t[a * 256 + e.rgbBlue] + t[rest + bg[2]]);
            e.rgbGreen = static_cast<std::uint8_t>(t[a * 256 + e.rgbGreen] + t[rest + bg[1]]);
            e.rgbRed = static_cast<std::uint8_t>(t[a * 256 + e.rgbRed] + t[rest + bg[0]]);
        }
        break;
    case 4: {
        // The image stays grey, so only the background's red component takes part. Opaque pixels
        // stay as they are (T[v][255] = v, T[b][0] = 0).
        const std::uint8_t* under = t + bg[0] * 256;
        for (std::size_t y = 0; y < height; ++y) {
            std::uint8_t* p = image.pixels + y * d.outputStride;
            const std::uint8_t* a = d.alphaPlane + y * width;
            for (std::size_t x = 0; x < width; ++x)
                if (a[x] != 255) p[x] = static_cast<std::uint8_t>(t[p[x] * 256 + a[x]] + under[255 - a[x]]);
        }
        break;
    }
    case 6: {
        const std::uint8_t* underB = t + bg[2] * 256;
        const std::uint8_t* underG = t + bg[1] * 256;
        const std::uint8_t* underR = t + bg[0] * 256;
        for (std::size_t y = 0; y < height; ++y) {
            std::uint8_t* p = image.pixels + y * d.outputStride;
            const std::uint8_t* a = d.alphaPlane + y * width;
            for (std::size_t x = 0; x < width; ++x, p += 3) {
                const unsigned alpha = a[x], rest = 255 - alpha;
                if (alpha == 255) continue;  // T[c][255] = c and T[b][0] = 0: the pixel stays
                p[0] = static_cast<std::uint8_t>(t[p[0] * 256 + alpha] + underB[rest]);
                p[1] = static_cast<std::uint8_t>(t[p[1] * 256 + alpha] + underG[rest]);
                p[2] = static_cast<std::uint8_t>(t[p[2] * 256 + alpha] + underR[rest]);
            }
        }
        break;
    }
    default: break;
    }
    platform::heapFree(table);
    return true;
}

bool decodeImage(PngDecoder& d) {
    ImageSource& s = d.source;
    ImageData& image = *s.result;
    if (s.input.size() < kHeaderEnd || std::memcmp(s.input.begin, png::kSignature, 8) != 0)
        return fail(d, CodecStatus::Damaged);
    if (!readHeader(d) || !selectRowRoutines(d)) return false;
    if (d.isGrey) {
        const unsigned step = d.bitDepth == 1 ? 255 : d.bitDepth == 2 ? 85 : d.bitDepth == 4 ? 17 : 1;
        for (unsigned i = 0; i * step < 256; ++i) {
            const auto v = static_cast<std::uint8_t>(i * step);
            image.palette[i] = RGBQUAD{v, v, v, 0};
        }
    }
    const std::uint32_t width = static_cast<std::uint32_t>(d.imageWidth);
    const std::uint32_t height = static_cast<std::uint32_t>(d.imageHeight);
    if (d.hasAlpha) {
        const std::uint64_t plane = std::uint64_t{width} * height;
        if (plane > 0xFFFFFFFFu) return fail(d, CodecStatus::BadHeader);
        d.alphaPlane = static_cast<std::uint8_t*>(platform::pageAlloc(static_cast<std::size_t>(plane) + 4));
        if (!d.alphaPlane) return fail(d, CodecStatus::NoMemory);
    }
    const std::uint32_t bytes = imageBytes(width, height, static_cast<std::uint32_t>(d.outputBits));
    if (bytes == 0) return fail(d, CodecStatus::BadHeader);
    d.outputStride = rowStride(width, static_cast<std::uint32_t>(d.outputBits));
    image.pixels = allocPixels(bytes);
    if (!image.pixels) return fail(d, CodecStatus::NoMemory);

    if (!walkChunks(d) || (d.compositeAlpha && (d.seenTRNS || d.hasAlpha) && !composite(d))) {
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

bool decodePng(ImageSource& source) {
    PngDecoder d(source);
    const bool ok = decodeImage(d);
    platform::pageFree(d.alphaPlane);
    platform::heapFree(d.paletteAlpha);
    return ok;
}

ImageData* loadPng(ImageSource& source, const WideString& path) { return loadFramed(source, path, decodePng); }
