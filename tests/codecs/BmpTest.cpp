#include "codecs/Bmp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/ImageFormat.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v);
    put16(b, at + 2, v >> 16);
}
std::uint32_t get32(const Bytes& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

// A bitmap file: file header, info header of `infoSize` bytes, then `table` (colour table or masks),
// then the pixel bytes; bfOffBits points at them unless given.
struct BmpSpec {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = BI_RGB;
    std::uint32_t infoSize = 40;
    std::uint32_t clrUsed = 0;
    std::int32_t xPels = 2835;
    std::int32_t yPels = 2835;
    Bytes table;
    Bytes pixels;
    std::int64_t offBits = -1;
};

Bytes makeBmp(const BmpSpec& s) {
    Bytes b(14 + s.infoSize, 0);
    b[0] = 'B';
    b[1] = 'M';
    put32(b, 14, s.infoSize);
    put32(b, 18, static_cast<std::uint32_t>(s.width));
    put32(b, 22, static_cast<std::uint32_t>(s.height));
    put16(b, 26, 1);
    put16(b, 28, s.bits);
    put32(b, 30, s.compression);
    put32(b, 38, static_cast<std::uint32_t>(s.xPels));
    put32(b, 42, static_cast<std::uint32_t>(s.yPels));
    put32(b, 46, s.clrUsed);
    b.insert(b.end(), s.table.begin(), s.table.end());
    put32(b, 10, s.offBits >= 0 ? static_cast<std::uint32_t>(s.offBits) : static_cast<std::uint32_t>(b.size()));
    b.insert(b.end(), s.pixels.begin(), s.pixels.end());
    put32(b, 2, static_cast<std::uint32_t>(b.size()));
    return b;
}

Bytes quads(std::initializer_list<std::uint32_t> bgr) {
    Bytes t;
    for (std::uint32_t c : bgr) {
        t.push_back(static_cast<std::uint8_t>(c));
        t.push_back(static_cast<std::uint8_t>(c >> 8));
        t.push_back(static_cast<std::uint8_t>(c >> 16));
        t.push_back(0);
    }
    return t;
}

Bytes masks(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    Bytes t(12);
    put32(t, 0, red);
    put32(t, 4, green);
    put32(t, 8, blue);
    return t;
}

struct Decoded {
    ImageData* image = nullptr;
    CodecStatus status = CodecStatus::Ok;
    ~Decoded() { freeImageData(image); }
    const std::uint8_t* px(std::uint32_t x, std::uint32_t y) const {
        const std::uint32_t stride = rowStride(image->header.biWidth, image->header.biBitCount);
        return image->pixels + std::size_t{stride} * y + x * (image->header.biBitCount / 8);
    }
};

void decode(const Bytes& file, Decoded& out) {
    ImageSource source;
    out.image = loadFramedMemory(source, file.data(), file.size(), decodeBmp);
    out.status = source.status;
}

// 24-bit, bottom-up rows with a colour per pixel.
Bytes gradient24(std::uint32_t width, std::uint32_t height) {
    const std::uint32_t stride = rowStride(width, 24);
    Bytes p(std::size_t{stride} * height, 0);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint8_t* d = &p[std::size_t{stride} * y + 3 * x];
            d[0] = static_cast<std::uint8_t>(x * 40);
            d[1] = static_cast<std::uint8_t>(y * 60);
            d[2] = static_cast<std::uint8_t>(x + y);
        }
    return p;
}

bool encode(std::uint32_t width, std::uint32_t height, std::uint32_t sourceDepth, std::uint32_t targetDepth,
            const RGBQUAD* palette, const std::uint8_t* pixels, Bytes& out, CodecStatus* status = nullptr) {
    ImageSink sink;
    writeToMemory(sink, out);
    setGeometry(sink.reducer, width, height, sourceDepth, targetDepth);
    sink.xResolution = 3780;
    sink.yResolution = 2835;
    const bool ok = writeBmp(sink, palette, pixels) && finishOutput(sink);
    if (status) *status = sink.status;
    return ok;
}

TEST(Bmp, Written24BitFileHasTheDocumentedLayoutAndReadsBack) {
    const Bytes pixels = gradient24(3, 2);
    Bytes file;
    ASSERT_TRUE(encode(3, 2, 24, 24, nullptr, pixels.data(), file));
    ASSERT_EQ(file.size(), 78u);  // 54 + two rows of 12 bytes
    EXPECT_EQ(get32(file, 2), 78u);
    EXPECT_EQ(get32(file, 10), 54u);
    EXPECT_EQ(get32(file, 14), 40u);
    EXPECT_EQ(file[28], 24);
    EXPECT_EQ(get32(file, 38), 3780u);
    EXPECT_EQ(get32(file, 42), 2835u);
    EXPECT_EQ(get32(file, 46), 0u);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), file.begin() + 54));

    Decoded d;
    decode(file, d);
    ASSERT_NE(d.image, nullptr);
    const BITMAPINFOHEADER& h = d.image->header;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biXPelsPerMeter, 3780);
    EXPECT_EQ(d.image->sourceFormat, ImageFormat::Bmp);
    EXPECT_EQ(d.image->sourceBitDepth, 24u);
    EXPECT_EQ(d.image->sourceFileSize, 78u);
    EXPECT_EQ(std::memcmp(d.image->pixels, pixels.data(), pixels.size()), 0);
}

TEST(Bmp, SaveToFileMatchesMemoryOutputAndFailuresAreReported) {
    TempDir dir;
    const Bytes pixels = gradient24(5, 3);
    Bytes memory;
    ASSERT_TRUE(encode(5, 3, 24, 24, nullptr, pixels.data(), memory));
    {
        ImageSink sink;
        setGeometry(sink.reducer, 5, 3, 24, 24);
        sink.xResolution = 3780;
        sink.yResolution = 2835;
        ASSERT_TRUE(saveBmp(sink, dir.file(u"out.bmp"), nullptr, pixels.data()));
        EXPECT_EQ(sink.status, CodecStatus::Ok);
    }
    EXPECT_EQ(readWholeFile(dir.file(u"out.bmp")), memory);
    {
        ImageSource source;
        ImageData* image = loadBmp(source, dir.file(u"out.bmp"));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->sourceFileSize, memory.size());
        freeImageData(image);
    }
    {
        ImageSink sink;
        setGeometry(sink.reducer, 5, 3, 24, 24);
        EXPECT_FALSE(saveBmp(sink, dir.file(u"no-folder/out.bmp"), nullptr, pixels.data()));
        EXPECT_EQ(sink.status, CodecStatus::CannotCreate);
    }
    struct Case {
        std::uint32_t width, height, sourceDepth, targetDepth;
        CodecStatus expected;
    } cases[] = {
        {5, 3, 24, 4, CodecStatus::CannotConvert},   // only 24 -> 8 is converted
        {5, 3, 8, 24, CodecStatus::CannotConvert},
        {0, 3, 24, 24, CodecStatus::NoMemory},       // no pixel bytes
        {70000, 70000, 24, 24, CodecStatus::NoMemory},  // beyond 32 bits
    };
    for (const Case& c : cases) {
        Bytes out;
        CodecStatus s = CodecStatus::Ok;
        EXPECT_FALSE(encode(c.width, c.height, c.sourceDepth, c.targetDepth, nullptr, pixels.data(), out, &s));
        EXPECT_EQ(s, c.expected) << c.width << " " << c.sourceDepth << "->" << c.targetDepth;
    }
}

TEST(Bmp, EightBitOutputKeepsPaletteAndPadsRows) {
    // As it stands: 8-bit pixels and palette.
    RGBQUAD palette[256] = {};
    for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 7, 0};
    const Bytes indexes = {1, 2, 3, 4, 5, 0, 0, 0, 9, 8, 7, 6, 5, 0, 0, 0};  // 5 x 2, stride 8
    Bytes file;
    ASSERT_TRUE(encode(5, 2, 8, 8, palette, indexes.data(), file));
    EXPECT_EQ(get32(file, 10), 54u + 1024);
    EXPECT_EQ(get32(file, 46), 256u);
    Decoded d;
    decode(file, d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.image->header.biBitCount, 8);
    EXPECT_EQ(std::memcmp(d.image->pixels, indexes.data(), indexes.size()), 0);
    EXPECT_EQ(d.image->palette[200].rgbBlue, 200);
    EXPECT_EQ(d.image->palette[200].rgbGreen, 55);

    // Reduced from 24 bits: rows of width indexes are padded to 4 bytes in the file.
    const Bytes pixels = gradient24(5, 3);
    ASSERT_TRUE(encode(5, 3, 24, 8, nullptr, pixels.data(), file));
    Decoded r;
    decode(file, r);
    ASSERT_NE(r.image, nullptr);
    for (std::uint32_t y = 0; y < 3; ++y)
        for (std::uint32_t x = 0; x < 5; ++x) {
            const RGBQUAD& q = r.image->palette[*r.px(x, y)];
            const std::uint8_t* want = &pixels[std::size_t{rowStride(5, 24)} * y + 3 * x];
            EXPECT_EQ(q.rgbBlue, want[0]) << x << "," << y;
            EXPECT_EQ(q.rgbGreen, want[1]);
            EXPECT_EQ(q.rgbRed, want[2]);
        }
    for (std::uint32_t y = 0; y < 3; ++y)
        for (std::uint32_t x = 5; x < 8; ++x) EXPECT_EQ(file[54 + 1024 + 8 * y + x], 0);  // padding
}

TEST(Bmp, OneBitNinePixelRow) {
    BmpSpec s;
    s.width = 9;
    s.height = 2;
    s.bits = 1;
    s.table = quads({0x000000, 0xFFFFFF});
    // Source rows of 4 bytes; bottom row pixels 0..8 = 1 0 1 0 0 0 0 1 | 1, top row all 0 but pixel 8.
    s.pixels = {0xA1, 0x80, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00};
    Decoded d;
    decode(makeBmp(s), d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.image->header.biBitCount, 8);
    EXPECT_EQ(rowStride(9, 8), 12u);
    const std::uint8_t bottom[9] = {1, 0, 1, 0, 0, 0, 0, 1, 1};
    for (int x = 0; x < 9; ++x) EXPECT_EQ(*d.px(x, 0), bottom[x]) << x;
    EXPECT_EQ(*d.px(8, 1), 1);  // the ninth pixel: bit 7 of the second byte
    EXPECT_EQ(*d.px(7, 1), 0);
    EXPECT_EQ(d.image->palette[1].rgbRed, 255);
    EXPECT_EQ(d.image->palette[2].rgbRed, 0);  // beyond the depth's entries
    EXPECT_EQ(d.image->sourceBitDepth, 1u);
}

TEST(Bmp, FourBitHighNibbleFirstAndShortTableLeavesZeros) {
    BmpSpec s;
    s.width = 3;
    s.height = 1;
    s.bits = 4;
    s.clrUsed = 3;  // entries 3..15 missing
    s.table = quads({0x010203, 0x040506, 0x070809});
    s.pixels = {0x21, 0xF0, 0x00, 0x00};
    Decoded d;
    decode(makeBmp(s), d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(*d.px(0, 0), 2);
    EXPECT_EQ(*d.px(1, 0), 1);
    EXPECT_EQ(*d.px(2, 0), 15);
    EXPECT_EQ(d.image->palette[2].rgbBlue, 0x09);
    EXPECT_EQ(d.image->palette[2].rgbRed, 0x07);
    EXPECT_EQ(d.image->palette[15].rgbRed, 0);
}

TEST(Bmp, BitFieldPixels) {
    struct Case {
        const char* name;
        std::uint16_t bits;
        std::uint32_t compression;
        std::uint32_t red, green, blue;  // masks when compression is 3
        std::uint32_t pixel;
        std::uint8_t b, g, r;
    } cases[] = {
        {"555 white", 16, BI_RGB, 0, 0, 0, 0x7FFF, 255, 255, 255},
        {"555 blue", 16, BI_RGB, 0, 0, 0, 0x001F, 255, 0, 0},
        {"555 mid", 16, BI_RGB, 0, 0, 0, 0x4210, 131, 131, 131},  // 16 * 255 / 31
        {"555 top bit ignored", 16, BI_RGB, 0, 0, 0, 0x8000, 0, 0, 0},
        {"565 red", 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F, 0xF800, 0, 0, 255},
        {"565 green", 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F, 0x07E0, 0, 255, 0},
        {"565 green 1", 16, BI_BITFIELDS, 0xF800, 0x07E0, 0x001F, 0x0020, 0, 4, 0},  // 1 * 255 / 63
        {"4444", 16, BI_BITFIELDS, 0x0F00, 0x00F0, 0x000F, 0xF8C3, 51, 204, 136},
        {"32 default", 32, BI_RGB, 0, 0, 0, 0xAA112233, 0x33, 0x22, 0x11},
        {"32 swapped masks", 32, BI_BITFIELDS, 0x0000FF, 0x00FF00, 0xFF0000, 0x00112233, 0x11, 0x22, 0x33},
        // Blue not lowest: each channel's own shift.
        {"32 high bytes", 32, BI_BITFIELDS, 0xFF000000, 0x00FF0000, 0x0000FF00, 0x112233FF, 0x33, 0x22, 0x11},
        {"zero mask", 32, BI_BITFIELDS, 0, 0x00FF00, 0x0000FF, 0xFFFFFFFF, 255, 255, 0},
        {"full mask", 32, BI_BITFIELDS, 0xFFFFFFFF, 0, 0, 0x80000000, 0, 0, 127},
        {"10-bit channels", 32, BI_BITFIELDS, 0x3FF00000, 0x000FFC00, 0x000003FF, 0x3FFFFC00, 0, 255, 255},
        {"gap in mask", 16, BI_BITFIELDS, 0, 0, 0x000B, 0x000B, 187, 0, 0},  // span 4 bits: 11 * 255 / 15
    };
    for (const Case& c : cases) {
        BmpSpec s;
        s.width = 2;
        s.height = 1;
        s.bits = c.bits;
        s.compression = c.compression;
        if (c.compression == BI_BITFIELDS) s.table = masks(c.red, c.green, c.blue);
        s.pixels.assign(8, 0);
        for (int i = 0; i < c.bits / 8; ++i) s.pixels[i] = static_cast<std::uint8_t>(c.pixel >> (8 * i));
        Decoded d;
        decode(makeBmp(s), d);
        ASSERT_NE(d.image, nullptr) << c.name;
        EXPECT_EQ(d.image->header.biBitCount, 24) << c.name;
        const std::uint8_t* p = d.px(0, 0);
        EXPECT_EQ(p[0], c.b) << c.name;
        EXPECT_EQ(p[1], c.g) << c.name;
        EXPECT_EQ(p[2], c.r) << c.name;
        EXPECT_EQ(d.px(1, 0)[0], 0) << c.name;
    }
}

TEST(Bmp, LargeHeadersMasksAtByte54AndColourTableBehindTheHeader) {
    // 32-bit BI_BITFIELDS with a 124-byte header: the masks are the header's own, at byte 54.
    BmpSpec s;
    s.width = 1;
    s.height = 1;
    s.bits = 32;
    s.compression = BI_BITFIELDS;
    s.infoSize = 124;
    s.pixels = {0x33, 0x22, 0x11, 0x00};
    Bytes file = makeBmp(s);
    put32(file, 54, 0x000000FF);  // red
    put32(file, 58, 0x0000FF00);
    put32(file, 62, 0x00FF0000);
    Decoded d;
    decode(file, d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.px(0, 0)[2], 0x33);
    EXPECT_EQ(d.px(0, 0)[0], 0x11);

    // 8-bit with a v4 or v5 header: the colour table starts at 14 + biSize, not at 54.
    for (std::uint32_t infoSize : {108u, 124u}) {
        BmpSpec p;
        p.width = 2;
        p.height = 1;
        p.bits = 8;
        p.infoSize = infoSize;
        p.clrUsed = 2;
        p.table = quads({0x0000FF, 0x00FF00});
        p.pixels = {1, 0, 0, 0};
        Decoded e;
        decode(makeBmp(p), e);
        ASSERT_NE(e.image, nullptr) << infoSize;
        EXPECT_EQ(e.image->palette[0].rgbBlue, 255) << infoSize;
        EXPECT_EQ(e.image->palette[1].rgbGreen, 255) << infoSize;
        EXPECT_EQ(*e.px(0, 0), 1);
    }
}

TEST(Bmp, OversizedColourTableReadsAtMost256Entries) {
    BmpSpec s;
    s.width = 1;
    s.height = 1;
    s.bits = 8;
    s.clrUsed = 300;
    Bytes table;
    for (std::uint32_t i = 0; i < 300; ++i) {
        const Bytes q = quads({i & 0xFF});
        table.insert(table.end(), q.begin(), q.end());
    }
    s.table = table;
    s.pixels = {255, 0, 0, 0};
    Decoded d;
    decode(makeBmp(s), d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.image->palette[255].rgbBlue, 255);
    EXPECT_EQ(d.image->header.biClrUsed, 0u);
}

TEST(Bmp, PixelDataPastTheEndIsReadAsFarAsItGoes) {
    // Pixel data lies behind a gap, so the file passes the size check but its last rows are missing.
    struct Case {
        std::uint16_t bits;
        std::uint32_t compression;
        Bytes table;
    } cases[] = {
        {1, BI_RGB, quads({0, 0xFFFFFF})},
        {4, BI_RGB, Bytes(64, 0x40)},
        {8, BI_RGB, Bytes(1024, 0x40)},
        {16, BI_RGB, {}},
        {24, BI_RGB, {}},
        {32, BI_RGB, {}},
    };
    for (const Case& c : cases) {
        BmpSpec s;
        s.width = 40;
        s.height = 4;
        s.bits = c.bits;
        s.table = c.table;
        const std::uint32_t row = rowStride(40, c.bits);
        // One and a half rows of 0xFF behind a gap as long as the missing rest.
        const std::uint32_t gap = row * 4 - (row + row / 2);
        s.pixels.assign(gap, 0);
        s.pixels.insert(s.pixels.end(), row + row / 2, 0xFF);
        s.offBits = 14 + 40 + c.table.size() + gap;
        Decoded d;
        decode(makeBmp(s), d);
        ASSERT_NE(d.image, nullptr) << c.bits;
        const std::uint32_t outBytes = d.image->header.biBitCount / 8;
        EXPECT_NE(d.px(39, 0)[0], 0) << c.bits;             // whole row
        EXPECT_NE(d.px(1, 1)[0], 0) << c.bits;              // inside the half row
        EXPECT_EQ(d.px(39, 1)[outBytes - 1], 0) << c.bits;  // past the half row
        EXPECT_EQ(d.px(0, 2)[0], 0) << c.bits;              // missing rows stay index 0 / black
        EXPECT_EQ(d.px(39, 3)[0], 0) << c.bits;
    }
}

TEST(Bmp, RefusedFiles) {
    auto with = [](auto change) {
        BmpSpec s;
        s.width = 2;
        s.height = 2;
        s.pixels.assign(16, 0);
        change(s);
        return makeBmp(s);
    };
    struct Case {
        const char* name;
        Bytes file;
        CodecStatus expected;
    } cases[] = {
        {"shorter than 54", Bytes(53, 'B'), CodecStatus::BadFile},
        {"top-down", with([](BmpSpec& s) { s.height = -2; }), CodecStatus::BadHeader},
        {"zero width", with([](BmpSpec& s) { s.width = 0; }), CodecStatus::BadHeader},
        {"2 bits", with([](BmpSpec& s) { s.bits = 2; }), CodecStatus::BadHeader},
        {"RLE8", with([](BmpSpec& s) { s.bits = 8, s.compression = BI_RLE8, s.table.assign(1024, 0); }), CodecStatus::BadHeader},
        {"RLE4", with([](BmpSpec& s) { s.bits = 4, s.compression = BI_RLE4, s.table.assign(64, 0); }), CodecStatus::BadHeader},
        {"24-bit bit fields", with([](BmpSpec& s) { s.compression = BI_BITFIELDS; }), CodecStatus::BadHeader},
        {"16-bit RLE", with([](BmpSpec& s) { s.bits = 16, s.compression = BI_RLE8; }), CodecStatus::BadHeader},
        {"32-bit alpha bit fields", with([](BmpSpec& s) { s.bits = 32, s.compression = 6; }), CodecStatus::BadHeader},
        {"24-bit short", with([](BmpSpec& s) { s.pixels.resize(15); }), CodecStatus::BadFile},
        {"8-bit without its table", with([](BmpSpec& s) { s.bits = 8; }), CodecStatus::BadFile},
        {"1-bit short", with([](BmpSpec& s) { s.bits = 1, s.height = 5, s.table.assign(8, 0); }), CodecStatus::BadFile},
        {"bit fields cut off", Bytes(), CodecStatus::BadFile},
        {"pixels past the end", with([](BmpSpec& s) { s.offBits = 1000; }), CodecStatus::BadFile},
        {"too large", with([](BmpSpec& s) { s.bits = 16, s.width = 70000, s.height = 70000; }), CodecStatus::BadHeader},
    };
    // A 16-bit BI_BITFIELDS file that ends inside its masks.
    {
        BmpSpec s;
        s.bits = 16;
        s.compression = BI_BITFIELDS;
        cases[12].file = makeBmp(s);
        cases[12].file.resize(60);
    }
    for (const Case& c : cases) {
        Decoded d;
        decode(c.file, d);
        EXPECT_EQ(d.image, nullptr) << c.name;
        EXPECT_EQ(d.status, c.expected) << c.name;
    }
}

TEST(Bmp, NegativeResolutionBecomesZero) {
    BmpSpec s;
    s.xPels = -5;
    s.yPels = 100;
    s.pixels.assign(4, 0);
    Decoded d;
    decode(makeBmp(s), d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.image->header.biXPelsPerMeter, 0);
    EXPECT_EQ(d.image->header.biYPelsPerMeter, 100);
}

}  // namespace
