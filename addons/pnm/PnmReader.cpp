#include "addons/pnm/PnmReader.h"

#include <cstring>

namespace pnm {
namespace {

constexpr int kEnd = -1;
constexpr std::uint32_t kMaxMaxval = 65535;
// Header numbers saturate here: far above every limit, far below overflowing 64 bits.
constexpr std::uint64_t kSaturated = std::uint64_t{1} << 40;

// The format's whitespace: blanks, tabs, carriage returns and line feeds.
bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(int c) { return c >= '0' && c <= '9'; }

// The text of a P1-P6 header and of a plain raster. A comment, from "#" to the end of its line,
// reads as one newline, so it separates tokens wherever it stands, and the input ending inside one
// reads as the end.
struct TextCursor {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos;

    int peek() const { return pos < size ? data[pos] : kEnd; }
    int next() {
        if (pos >= size) return kEnd;
        const int c = data[pos++];
        if (c != '#') return c;
        while (pos < size) {
            const int d = data[pos++];
            if (d == '\n' || d == '\r') return '\n';
        }
        return kEnd;
    }
    // The first character after whitespace and comments, consumed.
    int afterSpace() {
        int c = next();
        while (isSpace(c)) c = next();
        return c;
    }
};

// An unsigned decimal header number and the one whitespace character that ends it (consumed: after
// the last number of the header, the raster starts behind it).
bool headerNumber(TextCursor& text, std::uint64_t& value) {
    int c = text.afterSpace();
    if (!isDigit(c)) return false;
    value = 0;
    while (isDigit(c)) {
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > kSaturated) value = kSaturated;
        c = text.next();
    }
    return isSpace(c);
}

// One sample of a plain raster: decimal, at most `maxval`, ended by whitespace, a comment or the end.
bool plainSample(TextCursor& text, std::uint32_t maxval, std::uint32_t& value) {
    int c = text.afterSpace();
    if (!isDigit(c)) return false;
    std::uint32_t v = 0;
    for (;;) {
        v = v * 10 + static_cast<unsigned>(c - '0');
        if (v > maxval) return false;
        c = text.peek();
        if (!isDigit(c)) break;
        ++text.pos;
    }
    if (c != kEnd && c != '#' && !isSpace(c)) return false;
    value = v;
    return true;
}

// One pixel of a plain bitmap: "0" or "1", whitespace and comments around it ignored.
bool plainBit(TextCursor& text, std::uint32_t& bit) {
    const int c = text.afterSpace();
    if (c != '0' && c != '1') return false;
    bit = static_cast<std::uint32_t>(c - '0');
    return true;
}

std::uint16_t bitsFor(std::uint32_t maxval) {
    std::uint16_t bits = 0;
    while (maxval >> bits) ++bits;
    return bits;
}

// The geometry of the bitmap, and whether the input can hold the raster at all, checked before any
// caller allocates.
PnmStatus finishHeader(PnmHeader& h, std::uint64_t width, std::uint64_t height, std::uint64_t maxval,
                       std::size_t size) {
    if (width == 0 || height == 0 || maxval == 0 || maxval > kMaxMaxval) return PnmStatus::brokenData;
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF || width * height > kMaxPixels) return PnmStatus::tooLarge;
    h.width = static_cast<std::uint32_t>(width);
    h.height = static_cast<std::uint32_t>(height);
    h.maxval = static_cast<std::uint32_t>(maxval);

    const std::uint16_t sampleBits = bitsFor(h.maxval);
    switch (h.tuple) {
    case TupleKind::blackAndWhite:
    case TupleKind::blackAndWhiteAlpha:
        h.bitCount = 1;
        h.colours = 2;
        h.sourceBitDepth = 1;
        break;
    case TupleKind::grey:
    case TupleKind::greyAlpha:
        h.bitCount = 8;
        h.colours = 256;
        h.sourceBitDepth = sampleBits;
        break;
    case TupleKind::rgb:
    case TupleKind::rgbAlpha:
        h.bitCount = 24;
        h.colours = 0;
        h.sourceBitDepth = static_cast<std::uint16_t>(3 * sampleBits);
        break;
    }
    const std::uint64_t stride = (width * h.bitCount + 31) / 32 * 4;
    if (stride * height > 0xFFFFFFFF) return PnmStatus::tooLarge;
    h.stride = static_cast<std::uint32_t>(stride);
    h.bitsBytes = static_cast<std::uint32_t>(stride * height);
    h.infoBytes = kInfoHeaderBytes + 4 * h.colours;

    // The fewest bytes the raster can take: raw rows exactly, a plain bitmap one digit per pixel, plain
    // samples a digit each with a separator between them.
    const std::uint64_t pixels = width * height;
    const std::uint64_t bytesPerSample = h.maxval > 255 ? 2 : 1;
    std::uint64_t need = 0;
    switch (h.format) {
    case PnmFormat::rawBitmap: need = (width + 7) / 8 * height; break;
    case PnmFormat::plainBitmap: need = pixels; break;
    case PnmFormat::plainGrey:
    case PnmFormat::plainColour: need = 2 * pixels * h.depth - 1; break;
    case PnmFormat::rawGrey:
    case PnmFormat::rawColour:
    case PnmFormat::pam: need = pixels * h.depth * bytesPerSample; break;
    }
    if (size - h.rasterOffset < need) return PnmStatus::brokenData;
    return PnmStatus::ok;
}

// P1 to P6: width, height and (except for bitmaps) maxval as decimal text.
PnmStatus readClassicHeader(const std::uint8_t* data, std::size_t size, PnmHeader& h) {
    switch (data[1]) {
    case '1': h.format = PnmFormat::plainBitmap; break;
    case '2': h.format = PnmFormat::plainGrey; break;
    case '3': h.format = PnmFormat::plainColour; break;
    case '4': h.format = PnmFormat::rawBitmap; break;
    case '5': h.format = PnmFormat::rawGrey; break;
    default: h.format = PnmFormat::rawColour; break;
    }
    const bool bitmap = h.format == PnmFormat::plainBitmap || h.format == PnmFormat::rawBitmap;
    const bool colour = h.format == PnmFormat::plainColour || h.format == PnmFormat::rawColour;
    h.tuple = bitmap ? TupleKind::blackAndWhite : colour ? TupleKind::rgb : TupleKind::grey;
    h.depth = colour ? 3 : 1;

    TextCursor text{data, size, 2};
    std::uint64_t width = 0, height = 0, maxval = 1;
    if (!headerNumber(text, width) || !headerNumber(text, height)) return PnmStatus::brokenData;
    if (!bitmap && !headerNumber(text, maxval)) return PnmStatus::brokenData;
    h.rasterOffset = text.pos;
    return finishHeader(h, width, height, maxval, size);
}

// One line of a PAM header, split into whitespace-separated tokens on demand.
struct HeaderLine {
    const std::uint8_t* pos;
    const std::uint8_t* end;

    bool token(const std::uint8_t*& start, std::size_t& length) {
        while (pos < end && isSpace(*pos)) ++pos;
        start = pos;
        while (pos < end && !isSpace(*pos)) ++pos;
        length = static_cast<std::size_t>(pos - start);
        return length > 0;
    }
    bool blank() {
        const std::uint8_t* start;
        std::size_t length;
        return !token(start, length);
    }
};

bool equals(const std::uint8_t* text, std::size_t length, const char* word) {
    return length == std::strlen(word) && std::memcmp(text, word, length) == 0;
}

// The value of a WIDTH, HEIGHT, DEPTH or MAXVAL line: one decimal number, given once.
bool pamNumber(HeaderLine& line, std::uint64_t& value, bool& seen) {
    const std::uint8_t* start;
    std::size_t length;
    if (seen || !line.token(start, length)) return false;
    value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (!isDigit(start[i])) return false;
        value = value * 10 + static_cast<unsigned>(start[i] - '0');
        if (value > kSaturated) value = kSaturated;
    }
    seen = true;
    return line.blank();
}

struct TupleName {
    const char* name;
    TupleKind kind;
    std::uint32_t depth;
};
constexpr TupleName kTupleNames[] = {
    {"BLACKANDWHITE", TupleKind::blackAndWhite, 1}, {"BLACKANDWHITE_ALPHA", TupleKind::blackAndWhiteAlpha, 2},
    {"GRAYSCALE", TupleKind::grey, 1},              {"GRAYSCALE_ALPHA", TupleKind::greyAlpha, 2},
    {"RGB", TupleKind::rgb, 3},                     {"RGB_ALPHA", TupleKind::rgbAlpha, 4},
};

// P7: lines of "KEYWORD value" up to ENDHDR; the raster follows that line's newline. TUPLTYPE lines
// add their text to the tuple type, joined by one blank. Without a tuple type the depth decides.
PnmStatus readPamHeader(const std::uint8_t* data, std::size_t size, PnmHeader& h) {
    h.format = PnmFormat::pam;
    const std::uint8_t* const end = data + size;
    const std::uint8_t* pos = data + 2;
    char tupleType[32] = {};
    std::size_t tupleLength = 0;
    bool tupleTooLong = false;
    bool haveWidth = false, haveHeight = false, haveDepth = false, haveMaxval = false;
    std::uint64_t width = 0, height = 0, depth = 0, maxval = 0;
    bool firstLine = true;
    for (;;) {
        const std::uint8_t* newline = static_cast<const std::uint8_t*>(std::memchr(pos, '\n', end - pos));
        if (!newline) return PnmStatus::brokenData;
        HeaderLine line{pos, newline};
        pos = newline + 1;
        if (firstLine) {  // the rest of the signature line
            firstLine = false;
            if (!line.blank()) return PnmStatus::brokenData;
            continue;
        }
        const std::uint8_t* word;
        std::size_t length;
        if (!line.token(word, length) || *word == '#') continue;  // blank lines and comments
        bool good = true;
        if (equals(word, length, "ENDHDR")) {
            if (!line.blank()) return PnmStatus::brokenData;
            break;
        } else if (equals(word, length, "WIDTH")) {
            good = pamNumber(line, width, haveWidth);
        } else if (equals(word, length, "HEIGHT")) {
            good = pamNumber(line, height, haveHeight);
        } else if (equals(word, length, "DEPTH")) {
            good = pamNumber(line, depth, haveDepth);
        } else if (equals(word, length, "MAXVAL")) {
            good = pamNumber(line, maxval, haveMaxval);
        } else if (equals(word, length, "TUPLTYPE")) {
            const std::uint8_t* value;
            std::size_t valueLength;
            if (!line.token(value, valueLength)) continue;
            const std::uint8_t* valueEnd = line.end;
            while (valueEnd > value && isSpace(valueEnd[-1])) --valueEnd;
            valueLength = static_cast<std::size_t>(valueEnd - value);
            const std::size_t joined = tupleLength + (tupleLength ? 1 : 0) + valueLength;
            if (joined >= sizeof tupleType) {
                tupleTooLong = true;
            } else if (!tupleTooLong) {
                if (tupleLength) tupleType[tupleLength++] = ' ';
                std::memcpy(tupleType + tupleLength, value, valueLength);
                tupleLength += valueLength;
            }
        } else {
            good = false;
        }
        if (!good) return PnmStatus::brokenData;
    }
    h.rasterOffset = static_cast<std::size_t>(pos - data);
    if (!haveWidth || !haveHeight || !haveDepth || !haveMaxval || depth == 0) return PnmStatus::brokenData;

    if (tupleTooLong) return PnmStatus::unsupported;
    if (tupleLength == 0) {
        switch (depth) {
        case 1: h.tuple = maxval == 1 ? TupleKind::blackAndWhite : TupleKind::grey; break;
        case 2: h.tuple = maxval == 1 ? TupleKind::blackAndWhiteAlpha : TupleKind::greyAlpha; break;
        case 3: h.tuple = TupleKind::rgb; break;
        case 4: h.tuple = TupleKind::rgbAlpha; break;
        default: return PnmStatus::unsupported;
        }
    } else {
        const TupleName* found = nullptr;
        for (const TupleName& t : kTupleNames)
            if (equals(reinterpret_cast<const std::uint8_t*>(tupleType), tupleLength, t.name)) found = &t;
        if (!found) return PnmStatus::unsupported;
        if (depth != found->depth) return PnmStatus::brokenData;  // a header that contradicts its tuple type
        h.tuple = found->kind;
        // Bitmaps have maxval 1, but ImageMagick writes them with 255; their samples are intensities all
        // the same, so such a picture is read as grey.
        if (maxval != 1 && h.tuple == TupleKind::blackAndWhite) h.tuple = TupleKind::grey;
        if (maxval != 1 && h.tuple == TupleKind::blackAndWhiteAlpha) h.tuple = TupleKind::greyAlpha;
    }
    h.depth = static_cast<std::uint32_t>(depth);
    return finishHeader(h, width, height, maxval, size);
}

// 8-bit levels for the samples 0 to maxval: 255 x v / maxval rounded to nearest, halves up.
struct Levels {
    std::uint8_t table[kMaxMaxval + 1];
    explicit Levels(std::uint32_t maxval) {
        for (std::uint32_t v = 0; v <= maxval; ++v) table[v] = static_cast<std::uint8_t>((v * 255 + maxval / 2) / maxval);
    }
};

// A sample v with alpha a, both out of maxval m, composited on white and brought to 8 bits in one
// rounding: 255 x (v x a + m x (m - a)) / m^2 to nearest, halves up. With a = m this is the level of v.
std::uint8_t onWhite(std::uint32_t v, std::uint32_t a, std::uint32_t m) {
    const std::uint64_t mm = std::uint64_t{m} * m;
    const std::uint64_t composite = std::uint64_t{v} * a + std::uint64_t{m} * (m - a);
    return static_cast<std::uint8_t>((255 * composite + mm / 2) / mm);
}

// Samples of a raw raster: one byte each for maxval below 256, else two, most significant first.
// The header check has seen the whole raster inside the input; `end` guards every read anyway.
struct RawSamples {
    const std::uint8_t* pos;
    const std::uint8_t* end;
    std::uint32_t maxval;
    bool wide;

    bool next(std::uint32_t& v) {
        if (wide) {
            if (end - pos < 2) return false;
            v = std::uint32_t{pos[0]} << 8 | pos[1];
            pos += 2;
        } else {
            if (pos == end) return false;
            v = *pos++;
        }
        return v <= maxval;
    }
};

struct PlainSamples {
    TextCursor text;
    std::uint32_t maxval;
    bool next(std::uint32_t& v) { return plainSample(text, maxval, v); }
};

struct PlainBits {
    TextCursor text;
    bool next(std::uint32_t& v) { return plainBit(text, v); }
};

std::uint8_t* bitmapRow(const PnmHeader& h, std::uint8_t* bits, std::uint32_t y) {
    return bits + std::size_t{h.height - 1 - y} * h.stride;
}

// 1-bit rows, most significant bit first. PBM pixels are 1 for black; PAM samples are intensities,
// and a transparent PAM pixel is white.
template <class Samples>
bool bitmapRows(Samples& samples, const PnmHeader& h, std::uint8_t* bits) {
    const bool alpha = h.tuple == TupleKind::blackAndWhiteAlpha;
    for (std::uint32_t y = 0; y < h.height; ++y) {
        std::uint8_t* out = bitmapRow(h, bits, y);
        std::memset(out, 0, h.stride);
        for (std::uint32_t x = 0; x < h.width; ++x) {
            std::uint32_t bit, a = 1;
            if (!samples.next(bit) || (alpha && !samples.next(a))) return false;
            if (bit || !a) out[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        }
    }
    return true;
}

bool rawBitmapRows(const std::uint8_t* raster, const std::uint8_t* end, const PnmHeader& h, std::uint8_t* bits) {
    const std::size_t rowBytes = (std::size_t{h.width} + 7) / 8;
    const std::uint8_t lastMask = static_cast<std::uint8_t>(0xFF << ((8 - h.width % 8) % 8));
    for (std::uint32_t y = 0; y < h.height; ++y) {
        if (static_cast<std::size_t>(end - raster) < rowBytes) return false;
        std::uint8_t* out = bitmapRow(h, bits, y);
        std::memcpy(out, raster, rowBytes);
        out[rowBytes - 1] &= lastMask;  // the file's fill bits are not pixels
        std::memset(out + rowBytes, 0, h.stride - rowBytes);
        raster += rowBytes;
    }
    return true;
}

template <class Samples>
bool greyRows(Samples& samples, const PnmHeader& h, const Levels& levels, std::uint8_t* bits) {
    const bool alpha = h.tuple == TupleKind::greyAlpha;
    for (std::uint32_t y = 0; y < h.height; ++y) {
        std::uint8_t* out = bitmapRow(h, bits, y);
        for (std::uint32_t x = 0; x < h.width; ++x) {
            std::uint32_t v, a;
            if (!samples.next(v)) return false;
            if (alpha) {
                if (!samples.next(a)) return false;
                out[x] = onWhite(v, a, h.maxval);
            } else {
                out[x] = levels.table[v];
            }
        }
        std::memset(out + h.width, 0, h.stride - h.width);
    }
    return true;
}

template <class Samples>
bool colourRows(Samples& samples, const PnmHeader& h, const Levels& levels, std::uint8_t* bits) {
    const bool alpha = h.tuple == TupleKind::rgbAlpha;
    const std::size_t pixelBytes = std::size_t{h.width} * 3;
    for (std::uint32_t y = 0; y < h.height; ++y) {
        std::uint8_t* out = bitmapRow(h, bits, y);
        for (std::size_t i = 0; i < pixelBytes; i += 3) {
            std::uint32_t r, g, b, a;
            if (!samples.next(r) || !samples.next(g) || !samples.next(b)) return false;
            if (alpha) {
                if (!samples.next(a)) return false;
                out[i] = onWhite(b, a, h.maxval);
                out[i + 1] = onWhite(g, a, h.maxval);
                out[i + 2] = onWhite(r, a, h.maxval);
            } else {
                out[i] = levels.table[b];
                out[i + 1] = levels.table[g];
                out[i + 2] = levels.table[r];
            }
        }
        std::memset(out + pixelBytes, 0, h.stride - pixelBytes);
    }
    return true;
}

// The common case, 8-bit samples with maxval 255 and no alpha: bytes copied as they are.
bool directRows(const std::uint8_t* raster, const std::uint8_t* end, const PnmHeader& h, std::uint8_t* bits) {
    const std::size_t rowBytes = std::size_t{h.width} * h.depth;
    for (std::uint32_t y = 0; y < h.height; ++y) {
        if (static_cast<std::size_t>(end - raster) < rowBytes) return false;
        std::uint8_t* out = bitmapRow(h, bits, y);
        if (h.depth == 1) {
            std::memcpy(out, raster, rowBytes);
        } else {
            for (std::size_t i = 0; i < rowBytes; i += 3) {
                out[i] = raster[i + 2];
                out[i + 1] = raster[i + 1];
                out[i + 2] = raster[i];
            }
        }
        std::memset(out + rowBytes, 0, h.stride - rowBytes);
        raster += rowBytes;
    }
    return true;
}

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// BITMAPINFOHEADER (little-endian) and the colour table: PBM white then black, so its 1 shows black;
// PAM bitmaps black then white; grey images a ramp.
void writeInfo(const PnmHeader& h, std::uint8_t* info) {
    std::memset(info, 0, h.infoBytes);
    put32(info, kInfoHeaderBytes);
    put32(info + 4, h.width);
    put32(info + 8, h.height);
    put16(info + 12, 1);
    put16(info + 14, h.bitCount);
    put32(info + 20, h.bitsBytes);
    put32(info + 32, h.colours);
    std::uint8_t* table = info + kInfoHeaderBytes;
    if (h.bitCount == 1) {
        const bool pbm = h.format != PnmFormat::pam;
        std::memset(pbm ? table : table + 4, 0xFF, 3);
    } else {
        for (std::uint32_t i = 0; i < h.colours; ++i) std::memset(table + 4 * i, static_cast<int>(i), 3);
    }
}

}  // namespace

bool hasPnmSignature(const std::uint8_t* head, std::size_t size) {
    if (!head || size < 3 || head[0] != 'P' || head[1] < '1' || head[1] > '7') return false;
    if (head[1] == '7') {
        // "P7" alone on its line; "P7 332" is an XV thumbnail, not a PAM.
        for (std::size_t i = 2; i < size && head[i] != '\n'; ++i)
            if (!isSpace(head[i])) return false;
        return true;
    }
    // The first token after the signature is the width; as far as the head reaches, it must be a digit.
    if (!isSpace(head[2]) && head[2] != '#') return false;
    TextCursor text{head, size, 2};
    const int c = text.afterSpace();
    return c == kEnd || isDigit(c);
}

PnmStatus readPnmHeader(const std::uint8_t* data, std::size_t size, PnmHeader& header) {
    header = PnmHeader{};
    if (!hasPnmSignature(data, size)) return PnmStatus::notPnm;
    return data[1] == '7' ? readPamHeader(data, size, header) : readClassicHeader(data, size, header);
}

PnmStatus decodePnm(const std::uint8_t* data, std::size_t size, std::uint8_t* info, std::size_t infoBytes,
                    std::uint8_t* bits, std::size_t bitsBytes) {
    PnmHeader h;
    const PnmStatus status = readPnmHeader(data, size, h);
    if (status != PnmStatus::ok) return status;
    if (!info || !bits || infoBytes < h.infoBytes || bitsBytes < h.bitsBytes) return PnmStatus::bufferTooSmall;
    writeInfo(h, info);

    const std::uint8_t* raster = data + h.rasterOffset;
    const std::uint8_t* end = data + size;
    bool good = false;
    if (h.format == PnmFormat::rawBitmap) {
        good = rawBitmapRows(raster, end, h, bits);
    } else if (h.format == PnmFormat::plainBitmap) {
        PlainBits samples{{data, size, h.rasterOffset}};
        good = bitmapRows(samples, h, bits);
    } else if (h.bitCount == 1) {
        RawSamples samples{raster, end, h.maxval, false};
        good = bitmapRows(samples, h, bits);
    } else if (h.maxval == 255 && (h.tuple == TupleKind::grey || h.tuple == TupleKind::rgb) &&
               h.format != PnmFormat::plainGrey && h.format != PnmFormat::plainColour) {
        good = directRows(raster, end, h, bits);
    } else {
        const Levels levels(h.maxval);
        const bool plain = h.format == PnmFormat::plainGrey || h.format == PnmFormat::plainColour;
        if (plain) {
            PlainSamples samples{{data, size, h.rasterOffset}, h.maxval};
            good = h.bitCount == 8 ? greyRows(samples, h, levels, bits) : colourRows(samples, h, levels, bits);
        } else {
            RawSamples samples{raster, end, h.maxval, h.maxval > 255};
            good = h.bitCount == 8 ? greyRows(samples, h, levels, bits) : colourRows(samples, h, levels, bits);
        }
    }
    return good ? PnmStatus::ok : PnmStatus::brokenData;
}

}  // namespace pnm
