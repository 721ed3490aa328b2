#include "codecs/png/PngEncoder.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "codecs/png/PngFormat.h"
#include "codecs/png/PngIcc.h"
#include "codecs/png/PngZlib.h"

namespace {

constexpr std::uint32_t kMaxWidth = 89478485;  // 48 bits per pixel still fit a 32-bit row size

bool fail(PngEncoder& e, CodecStatus code) {
    e.status = code;
    return false;
}

// One chunk: length, type, data, CRC; the CRC runs on from the constant state after the type.
bool writeChunk(PngEncoder& e, const char (&type)[5], const std::uint8_t* data, std::uint32_t length) {
    writeU32be(e, length);
    writeBytes(e, type, 4);
    writeBytes(e, data, length);
    return writeU32be(e, png::crcUpdate(png::crcAfterType(type), data, length) ^ 0xFFFFFFFFu);
}

void store32be(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

std::uint8_t paethPredictor(int left, int up, int upperLeft) {
    const int pa = std::abs(up - upperLeft);
    const int pb = std::abs(left - upperLeft);
    const int pc = std::abs(left + up - 2 * upperLeft);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(left);
    if (pb <= pc) return static_cast<std::uint8_t>(up);
    return static_cast<std::uint8_t>(upperLeft);
}

// Runs of bytes near zero (0..3, 252..255), which deflate codes cheaply.
std::uint32_t score(const std::uint8_t* row, std::int32_t n) {
    std::uint32_t s = 0;
    for (std::int32_t i = 1; i < n; ++i)
        s += (row[i] == row[i - 1]) & (static_cast<std::uint8_t>(row[i] + 4) < 8);
    return s;
}

// Bytes of the filtered image: every row of every pass with its filter byte.
std::uint64_t filteredSize(PngEncoder& e, std::uint64_t* longestRow) {
    const std::uint64_t width = e.reducer.width, height = e.reducer.height;
    if (!e.interlaced) {
        *longestRow = 1 + 3 * width;
        return height * *longestRow;
    }
    std::uint64_t total = 0;
    *longestRow = 0;
    for (int pass = 0; pass < 7; ++pass) {
        const std::uint64_t w = png::passSize(width, png::kColumnStart[pass], png::kColumnStep[pass]);
        const std::uint64_t h = png::passSize(height, png::kRowStart[pass], png::kRowStep[pass]);
        e.passWidth[pass] = static_cast<std::int32_t>(w);
        e.passHeight[pass] = static_cast<std::int32_t>(h);
        e.passRowBytes[pass] = w && h ? static_cast<std::int32_t>(1 + 3 * w) : 0;
        if (w && h) {
            total += h * (1 + 3 * w);
            if (1 + 3 * w > *longestRow) *longestRow = 1 + 3 * w;
        }
    }
    return total;
}

// Gathers `count` pixels of one picture row (every `step`-th from `first`) as red, green, blue
// behind the filter-byte slot, filters the row and appends it.
std::uint8_t* appendRow(PngEncoder& e, const std::uint8_t* source, std::size_t first, std::size_t step,
                        std::size_t count, std::uint8_t* out) {
    std::uint8_t* raw = e.filterRows[0] + 1;
    const std::uint8_t* p = source + 3 * first;
    for (std::size_t x = 0; x < count; ++x, p += 3 * step) {
        raw[3 * x] = p[2];
        raw[3 * x + 1] = p[1];
        raw[3 * x + 2] = p[0];
    }
    const auto n = static_cast<std::int32_t>(1 + 3 * count);
    const int filter = e.chooseFilter(e, n);
    std::memcpy(out, e.filterRows[filter], static_cast<std::size_t>(n));
    std::memcpy(e.previousRow, e.filterRows[0], static_cast<std::size_t>(n));
    return out + n;
}

void fillFiltered(PngEncoder& e, const std::uint8_t* pixels, std::uint8_t* out, std::size_t longestRow) {
    const std::size_t width = e.reducer.width, height = e.reducer.height;
    const std::size_t stride = (3 * width + 3) & ~std::size_t{3};
    // Picture row y is buffer row height - 1 - y: the buffer is bottom-up.
    auto pictureRow = [&](std::size_t y) { return pixels + (height - 1 - y) * stride; };
    if (!e.interlaced) {
        for (std::size_t y = 0; y < height; ++y) out = appendRow(e, pictureRow(y), 0, 1, width, out);
        return;
    }
    for (int pass = 0; pass < 7; ++pass) {
        if (e.passRowBytes[pass] == 0) continue;
        std::memset(e.previousRow, 0, longestRow);
        for (std::size_t i = 0; i < static_cast<std::size_t>(e.passHeight[pass]); ++i) {
            const std::size_t y = png::kRowStart[pass] + i * png::kRowStep[pass];
            out = appendRow(e, pictureRow(y), png::kColumnStart[pass], png::kColumnStep[pass],
                            static_cast<std::size_t>(e.passWidth[pass]), out);
        }
    }
}

// One deflate call over the whole filtered image into a buffer of deflateBound bytes, written as
// one IDAT chunk (split only past the longest length a chunk may state).
bool compressAndWrite(PngEncoder& e, const std::uint8_t* filtered, std::uint32_t size) {
    z_stream z{};
    png::useHeapHooks(z);
    if (deflateInit2(&z, e.compressionLevel, Z_DEFLATED, 15, 9, Z_FILTERED) != Z_OK) return fail(e, CodecStatus::PngDeflate);
    const uLong bound = deflateBound(&z, size);
    // A bound that wrapped around (32-bit uLong) or does not fit one call cannot be met.
    if (bound < size || bound > 0xFFFFFFFBu) {
        deflateEnd(&z);
        return fail(e, CodecStatus::PngDeflate);
    }
    auto* compressed = static_cast<std::uint8_t*>(platform::pageAlloc(static_cast<std::size_t>(bound) + 4));
    if (!compressed) {
        deflateEnd(&z);
        return fail(e, CodecStatus::NoMemory);
    }
    z.next_in = const_cast<Bytef*>(filtered);
    z.avail_in = size;
    z.next_out = compressed;
    z.avail_out = static_cast<uInt>(bound);
    const int rc = deflate(&z, Z_FINISH);
    const std::uint64_t total = z.total_out;
    deflateEnd(&z);
    bool ok = rc == Z_STREAM_END;
    if (!ok) {
        fail(e, CodecStatus::PngDeflate);
    } else {
        const std::uint8_t* p = compressed;
        std::uint64_t left = total;
        do {
            const std::uint32_t n = left > e.maxChunkLength ? e.maxChunkLength : static_cast<std::uint32_t>(left);
            ok = writeChunk(e, "IDAT", p, n);
            p += n;
            left -= n;
        } while (ok && left > 0);
    }
    platform::pageFree(compressed);
    return ok;
}

bool writePng(PngEncoder& e, const std::uint8_t* pixels) {
    std::uint64_t longestRow = 0;
    const std::uint64_t size = filteredSize(e, &longestRow);
    if (e.reducer.width == 0 || e.reducer.height == 0 || !pixels || size > 0xFFFFFFFFu)
        return fail(e, CodecStatus::Failure);

    writeBytes(e, png::kSignature, sizeof png::kSignature);
    std::uint8_t header[13];
    store32be(header, e.reducer.width);
    store32be(header + 4, e.reducer.height);
    header[8] = static_cast<std::uint8_t>(e.bitDepth);
    header[9] = static_cast<std::uint8_t>(e.colourType);
    header[10] = 0;  // deflate
    header[11] = 0;  // adaptive filtering
    header[12] = e.interlaced;
    writeChunk(e, "IHDR", header, sizeof header);
    if (e.iccProfile && hasIccProfile(*e.iccProfile)) {
        // Before PLTE and IDAT, as the format asks.
        std::vector<std::uint8_t> icc;
        if (!png::makeIccChunk(*e.iccProfile, icc)) return fail(e, CodecStatus::PngDeflate);
        writeChunk(e, "iCCP", icc.data(), static_cast<std::uint32_t>(icc.size()));
    }
    if (e.xResolution != 0 && e.yResolution != 0) {
        std::uint8_t phys[9];
        store32be(phys, static_cast<std::uint32_t>(e.xResolution));
        store32be(phys + 4, static_cast<std::uint32_t>(e.yResolution));
        phys[8] = 1;  // metre
        writeChunk(e, "pHYs", phys, sizeof phys);
    }
    if (e.writeFailed) return false;

    // The filtered image, then the previous row and the five filter rows.
    auto* block = static_cast<std::uint8_t*>(platform::pageAlloc(static_cast<std::size_t>(size + 6 * longestRow)));
    if (!block) return fail(e, CodecStatus::NoMemory);
    e.previousRow = block + size;
    for (int i = 0; i < 5; ++i) e.filterRows[i] = e.previousRow + (i + 1) * longestRow;
    if (!e.chooseFilter) e.chooseFilter = chooseFilter;
    fillFiltered(e, pixels, block, static_cast<std::size_t>(longestRow));
    const bool ok = compressAndWrite(e, block, static_cast<std::uint32_t>(size));
    platform::pageFree(block);
    e.previousRow = nullptr;
    for (auto& row : e.filterRows) row = nullptr;
    if (!ok) return false;

    writeChunk(e, "IEND", nullptr, 0);
    return finishOutput(e);
}

}  // namespace

void setupPngEncoder(PngEncoder& e, std::int32_t width, std::int32_t height, std::int32_t xPelsPerMeter,
                     std::int32_t yPelsPerMeter, bool interlaced) {
    setGeometry(e.reducer, width < 0 ? 0 : static_cast<std::uint32_t>(width),
                height < 0 ? 0 : static_cast<std::uint32_t>(height), 24, 24);
    e.xResolution = xPelsPerMeter;
    e.yResolution = yPelsPerMeter;
    e.interlaced = interlaced ? 1 : 0;
    e.bitDepth = 8;
    e.colourType = 2;
    e.bytesPerPixel = 3;
    e.compressionLevel = 9;
}

bool savePng(PngEncoder& e, const WideString& path, const std::uint8_t* pixels) {
    e.status = CodecStatus::Failure;
    if (e.reducer.width > kMaxWidth) return fail(e, CodecStatus::CannotCreate);
    if (!createOutput(e, path)) return false;
    return writePng(e, pixels);
}

bool savePngToMemory(PngEncoder& e, std::vector<std::uint8_t>& out, const std::uint8_t* pixels) {
    e.status = CodecStatus::Failure;
    if (e.reducer.width > kMaxWidth) return fail(e, CodecStatus::CannotCreate);
    writeToMemory(e, out);
    return writePng(e, pixels);
}

int chooseFilter(PngEncoder& e, std::int32_t n) {
    std::uint8_t* none = e.filterRows[0];
    std::uint8_t* sub = e.filterRows[1];
    std::uint8_t* up = e.filterRows[2];
    std::uint8_t* average = e.filterRows[3];
    std::uint8_t* paeth = e.filterRows[4];
    const std::uint8_t* prior = e.previousRow;
    none[0] = 0;
    sub[0] = 1;
    up[0] = 2;
    average[0] = 3;
    paeth[0] = 4;
    // The first pixel has no left or upper-left neighbour.
    const std::int32_t first = n < 4 ? n : 4;
    for (std::int32_t i = 1; i < first; ++i) {
        const std::uint8_t x = none[i], b = prior[i];
        sub[i] = x;
        up[i] = static_cast<std::uint8_t>(x - b);
        average[i] = static_cast<std::uint8_t>(x - (b >> 1));
        paeth[i] = static_cast<std::uint8_t>(x - b);  // the predictor of (0, b, 0) is b
    }
    for (std::int32_t i = 4; i < n; ++i) {
        const std::uint8_t x = none[i], a = none[i - 3], b = prior[i], c = prior[i - 3];
        sub[i] = static_cast<std::uint8_t>(x - a);
        up[i] = static_cast<std::uint8_t>(x - b);
        average[i] = static_cast<std::uint8_t>(x - ((a + b) >> 1));
        paeth[i] = static_cast<std::uint8_t>(x - paethPredictor(a, b, c));
    }
    std::uint32_t s[5];
    for (int f = 0; f < 5; ++f) s[f] = score(e.filterRows[f], n);
    const int w1 = s[1] < s[2] ? 2 : 1;
    const int w2 = s[3] < s[4] ? 4 : 3;
    const int w = s[w1] < s[w2] ? w2 : w1;
    return s[0] < s[w] ? w : 0;
}
