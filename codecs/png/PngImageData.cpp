// The image data: the IDAT chunks gathered when there are several, inflated by zlib a block of rows
// at a time, each row reconstructed and converted by the routine for its filter type, for the whole
// image or the seven Adam7 passes.
#include <zlib.h>

#include <cstring>

#include "codecs/png/PngDecoding.h"
#include "codecs/png/PngZlib.h"
#include "platform/platform.h"

namespace png {

namespace {

constexpr std::size_t kInflateBlock = 256 * 1024;  // bytes inflated per call, whole rows

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

// The IDAT chunks directly behind the first, each whole and with a matching CRC; their data total
// must fit in 32 bits. Counts them and leaves `in` behind the last.
bool followingChunks(PngDecoder& d, ByteReader& in, std::uint64_t& total, std::uint32_t& count) {
    for (;;) {
        ByteReader ahead = in;
        if (!ahead.has(8)) return true;
        ahead.skip(4);
        if (ahead.u32be() != kIDAT) return true;
        Chunk c;
        if (readChunk(in, c) != CodecStatus::Ok || !crcMatches(c)) return fail(d, CodecStatus::PngIdatSequence);
        total += c.length;
        if (total > 0xFFFFFFFFu) return fail(d, CodecStatus::PngIdatSequence);
        ++count;
    }
}

// The data of `count` IDAT chunks, the first already read and the others from `rest` on, back to back.
bool gather(PngDecoder& d, const Chunk& first, ByteReader rest, std::uint32_t count, std::uint64_t total) {
    d.gathered = static_cast<std::uint8_t*>(platform::pageAlloc(static_cast<std::size_t>(total) + 4));
    if (!d.gathered) return fail(d, CodecStatus::NoMemory);
    std::memcpy(d.gathered, first.data.begin, first.length);
    std::uint8_t* out = d.gathered + first.length;
    for (std::uint32_t i = 1; i < count; ++i) {
        Chunk c;
        readChunk(rest, c);  // read once already, so it is whole
        std::memcpy(out, c.data.begin, c.length);
        out += c.length;
    }
    d.idatData = d.gathered;
    d.idatSize = static_cast<std::uint32_t>(total);
    return true;
}

}  // namespace

// One chunk is inflated straight from the input, several are gathered back to back first.
bool readImageData(PngDecoder& d, const Chunk& first, ByteReader& in) {
    if (d.seenIDAT) return fail(d, CodecStatus::PngChunkOrder);
    if (!crcMatches(first)) return fail(d, CodecStatus::PngCrc);
    d.seenIDAT = true;
    d.idatData = first.data.begin;
    d.idatSize = first.length;

    const ByteReader rest = in;
    std::uint64_t total = first.length;
    std::uint32_t count = 1;
    if (!followingChunks(d, in, total, count)) return false;
    const bool ok = (count == 1 || gather(d, first, rest, count, total)) && decodeRows(d);
    platform::pageFree(d.gathered);
    d.gathered = nullptr;
    return ok;
}

}  // namespace png
