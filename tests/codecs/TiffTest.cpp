#include "codecs/Tiff.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/ImageFormat.h"
#include "support/CodecPrinting.h"
#include "support/IccFixtures.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint16_t kAscii = 2, kShort = 3, kLong = 4, kRational = 5;

// A TIFF file in either byte order: header, one directory at offset 8, and data blocks from offset
// 1024 on, which entries refer to by the offsets `data` returns.
class TiffBuilder {
public:
    explicit TiffBuilder(bool bigEndian) : big_(bigEndian), data_(1024, 0) {}

    void entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
        Bytes e(12, 0);
        put16(e, 0, tag);
        put16(e, 2, type);
        put32(e, 4, count);
        if (type == kShort && count <= 2) put16(e, 8, value);
        else put32(e, 8, value);
        entries_.push_back(e);
    }
    // Two SHORT values in one value field.
    void entryShorts(std::uint16_t tag, std::uint16_t a, std::uint16_t b) {
        entry(tag, kShort, 2, 0);
        put16(entries_.back(), 8, a);
        put16(entries_.back(), 10, b);
    }
    std::uint32_t data(const Bytes& bytes) {
        const auto at = static_cast<std::uint32_t>(data_.size());
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        return at;
    }
    Bytes shorts(std::initializer_list<std::uint32_t> values) const {
        Bytes b(values.size() * 2);
        std::size_t i = 0;
        for (std::uint32_t v : values) put16(b, 2 * i++, v);
        return b;
    }
    Bytes longs(std::initializer_list<std::uint32_t> values) const {
        Bytes b(values.size() * 4);
        std::size_t i = 0;
        for (std::uint32_t v : values) put32(b, 4 * i++, v);
        return b;
    }
    Bytes build() const {
        Bytes f = data_;
        f[0] = f[1] = big_ ? 'M' : 'I';
        put16(f, 2, 42);
        put32(f, 4, 8);
        put16(f, 8, static_cast<std::uint32_t>(entries_.size()));
        for (std::size_t i = 0; i < entries_.size(); ++i)
            std::memcpy(&f[10 + 12 * i], entries_[i].data(), 12);
        return f;
    }

    void put16(Bytes& b, std::size_t at, std::uint32_t v) const {
        b[at + (big_ ? 1 : 0)] = static_cast<std::uint8_t>(v);
        b[at + (big_ ? 0 : 1)] = static_cast<std::uint8_t>(v >> 8);
    }
    void put32(Bytes& b, std::size_t at, std::uint32_t v) const {
        put16(b, at + (big_ ? 2 : 0), v & 0xFFFF);
        put16(b, at + (big_ ? 0 : 2), v >> 16);
    }

private:
    bool big_;
    Bytes data_;
    std::vector<Bytes> entries_;
};

struct Decoded {
    ImageData* image = nullptr;
    CodecStatus status = CodecStatus::Ok;
    ~Decoded() { freeImageData(image); }
    // Pixel (x, y) with y counted from the top of the picture.
    const std::uint8_t* px(std::uint32_t x, std::uint32_t y) const {
        const BITMAPINFOHEADER& h = image->header;
        const std::uint32_t stride = rowStride(h.biWidth, h.biBitCount);
        return image->pixels + std::size_t{stride} * (h.biHeight - 1 - y) + x * (h.biBitCount / 8);
    }
};

void decode(const Bytes& file, Decoded& out) {
    ImageSource source;
    out.image = loadFramedMemory(source, file.data(), file.size(), decodeTiff);
    out.status = source.status;
}

// A width x height RGB image with the given bits per sample; samples run 1, 2, 3, ... so every
// position is distinct; the strip holds `rowsPerStrip` rows each.
TiffBuilder rgbImage(bool big, std::uint32_t width, std::uint32_t height, std::uint32_t bits, std::uint32_t rowsPerStrip,
                     bool reverseStrips = false) {
    TiffBuilder t(big);
    const std::uint32_t bytesPerSample = bits / 8;
    std::vector<Bytes> strips;
    for (std::uint32_t y = 0; y < height; y += rowsPerStrip) {
        Bytes s;
        for (std::uint32_t r = y; r < std::min(height, y + rowsPerStrip); ++r)
            for (std::uint32_t i = 0; i < width * 3; ++i) {
                const std::uint32_t v = (r * width * 3 + i + 1) * 5;
                if (bytesPerSample == 1) {
                    s.push_back(static_cast<std::uint8_t>(v));
                } else {
                    Bytes two(2);
                    t.put16(two, 0, (v & 0xFF) << 8 | 0x5A);  // the most significant byte carries v
                    s.insert(s.end(), two.begin(), two.end());
                }
            }
        strips.push_back(s);
    }
    std::vector<std::uint32_t> offsets(strips.size()), counts(strips.size());
    if (reverseStrips) {
        for (std::size_t i = strips.size(); i-- > 0;) offsets[i] = t.data(strips[i]);
    } else {
        for (std::size_t i = 0; i < strips.size(); ++i) offsets[i] = t.data(strips[i]);
    }
    for (std::size_t i = 0; i < strips.size(); ++i) counts[i] = static_cast<std::uint32_t>(strips[i].size());
    t.entry(256, kLong, 1, width);
    t.entry(257, kShort, 1, height);
    t.entry(258, kShort, 3, t.data(t.shorts({bits, bits, bits})));
    t.entry(259, kShort, 1, 1);
    t.entry(262, kShort, 1, 2);
    t.entry(277, kShort, 1, 3);
    if (strips.size() == 1) {
        t.entry(273, kLong, 1, offsets[0]);
        t.entry(279, kLong, 1, counts[0]);
    } else {
        Bytes o(4 * strips.size()), c(4 * strips.size());
        for (std::size_t i = 0; i < strips.size(); ++i) {
            t.put32(o, 4 * i, offsets[i]);
            t.put32(c, 4 * i, counts[i]);
        }
        t.entry(273, kLong, static_cast<std::uint32_t>(strips.size()), t.data(o));
        t.entry(279, kLong, static_cast<std::uint32_t>(strips.size()), t.data(c));
    }
    return t;
}

std::uint8_t expectedSample(std::uint32_t width, std::uint32_t x, std::uint32_t y, std::uint32_t c) {
    return static_cast<std::uint8_t>((y * width * 3 + x * 3 + c + 1) * 5);
}

void expectRgbImage(const Decoded& d, std::uint32_t width, std::uint32_t height, const char* what) {
    ASSERT_NE(d.image, nullptr) << what << " status " << d.status;
    EXPECT_EQ(d.image->header.biBitCount, 24) << what;
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t* p = d.px(x, y);
            ASSERT_EQ(p[2], expectedSample(width, x, y, 0)) << what << " " << x << "," << y;
            ASSERT_EQ(p[1], expectedSample(width, x, y, 1)) << what;
            ASSERT_EQ(p[0], expectedSample(width, x, y, 2)) << what;
        }
}

bool encode(std::uint32_t width, std::uint32_t height, const Bytes& pixels, std::int32_t resolution, Bytes& out,
            std::uint32_t targetDepth = 24, CodecStatus* status = nullptr) {
    ImageSink sink;
    writeToMemory(sink, out);
    setGeometry(sink.reducer, width, height, 24, targetDepth);
    sink.xResolution = resolution;
    sink.yResolution = resolution;
    const bool ok = writeTiff(sink, nullptr, pixels.data()) && finishOutput(sink);
    if (status) *status = sink.status;
    return ok;
}

TEST(Tiff, OneByOneFileIs183BytesLaidOutAsDocumented) {
    const Bytes pixel = {0x30, 0x20, 0x10, 0};  // blue, green, red, padding
    Bytes file;
    ASSERT_TRUE(encode(1, 1, pixel, 3780, file));
    const Bytes expected = {
        'I', 'I', 42, 0, 8, 0, 0, 0,  // header
        12, 0,                        // entries
        0x00, 0x01, 4, 0, 1, 0, 0, 0, 1, 0, 0, 0,        // 256 width 1
        0x01, 0x01, 4, 0, 1, 0, 0, 0, 1, 0, 0, 0,        // 257 height 1
        0x02, 0x01, 3, 0, 3, 0, 0, 0, 158, 0, 0, 0,      // 258 bits at 158
        0x03, 0x01, 3, 0, 1, 0, 0, 0, 1, 0, 0, 0,        // 259 no compression
        0x06, 0x01, 3, 0, 1, 0, 0, 0, 2, 0, 0, 0,        // 262 RGB
        0x11, 0x01, 4, 0, 1, 0, 0, 0, 180, 0, 0, 0,      // 273 strip at 180
        0x15, 0x01, 3, 0, 1, 0, 0, 0, 3, 0, 0, 0,        // 277 3 samples
        0x16, 0x01, 4, 0, 1, 0, 0, 0, 1, 0, 0, 0,        // 278 rows per strip
        0x17, 0x01, 4, 0, 1, 0, 0, 0, 3, 0, 0, 0,        // 279 3 bytes
        0x1A, 0x01, 5, 0, 1, 0, 0, 0, 164, 0, 0, 0,      // 282 X resolution at 164
        0x1B, 0x01, 5, 0, 1, 0, 0, 0, 172, 0, 0, 0,      // 283 Y resolution at 172
        0x28, 0x01, 3, 0, 1, 0, 0, 0, 2, 0, 0, 0,        // 296 inch
        0, 0, 0, 0,                                      // no further directory
        8, 0, 8, 0, 8, 0,                                // bits per sample
        0x78, 0xA6, 0x0E, 0x00, 0x10, 0x27, 0, 0,        // 960120 / 10000
        0x78, 0xA6, 0x0E, 0x00, 0x10, 0x27, 0, 0,
        0x10, 0x20, 0x30,                                // red, green, blue
    };
    EXPECT_EQ(file, expected);
}

TEST(Tiff, WrittenFileReadsBackWithUnpaddedStrip) {
    TempDir dir;
    Bytes pixels(12 * 2);  // 3 x 2, rows of 12 bytes in memory
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i % 12 < 9 ? 10 + i : 0);
    ImageSink sink;
    setGeometry(sink.reducer, 3, 2, 24, 24);
    sink.xResolution = 3780;
    sink.yResolution = 2835;
    ASSERT_TRUE(saveTiff(sink, dir.file(u"out.tif"), nullptr, pixels.data()));
    const Bytes file = readWholeFile(dir.file(u"out.tif"));
    ASSERT_EQ(file.size(), 180u + 18);
    EXPECT_EQ(file[180], pixels[12 + 2]);  // the top row first, red first

    ImageSource source;
    ImageData* image = loadTiff(source, dir.file(u"out.tif"));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->header.biBitCount, 24);
    EXPECT_EQ(image->header.biWidth, 3);
    EXPECT_EQ(image->header.biHeight, 2);
    EXPECT_EQ(image->header.biXPelsPerMeter, 3780);
    EXPECT_EQ(image->header.biYPelsPerMeter, 2835);
    EXPECT_EQ(image->sourceFormat, ImageFormat::Tiff);
    EXPECT_EQ(image->sourceBitDepth, 24u);
    EXPECT_EQ(image->sourceFileSize, 198u);
    EXPECT_EQ(std::memcmp(image->pixels, pixels.data(), pixels.size()), 0);
    freeImageData(image);
}

TEST(Tiff, EncoderRefusals) {
    TempDir dir;
    const Bytes pixels(16, 0);
    Bytes out;
    CodecStatus s = CodecStatus::Ok;
    EXPECT_FALSE(encode(1, 1, pixels, 0, out, 8, &s));
    EXPECT_EQ(s, CodecStatus::CannotCreate);
    EXPECT_FALSE(encode(70000, 70000, pixels, 0, out, 24, &s));  // strip beyond 32 bits
    EXPECT_EQ(s, CodecStatus::CannotCreate);
    ImageSink sink;
    setGeometry(sink.reducer, 1, 1, 24, 24);
    EXPECT_FALSE(saveTiff(sink, dir.file(u"missing/out.tif"), nullptr, pixels.data()));
    EXPECT_EQ(sink.status, CodecStatus::CannotCreate);
}

TEST(Tiff, RgbInBothByteOrdersDepthsAndStripLayouts) {
    struct Case {
        const char* name;
        bool big;
        std::uint32_t bits, rowsPerStrip;
        bool reverse;
    } cases[] = {
        {"II 8", false, 8, 100, false}, {"MM 8", true, 8, 100, false},   {"II 16", false, 16, 100, false},
        {"MM 16", true, 16, 100, false}, {"II strips", false, 8, 2, false}, {"MM strips", true, 16, 1, false},
        {"strips out of file order", false, 8, 2, true},
    };
    for (const Case& c : cases) {
        Decoded d;
        decode(rgbImage(c.big, 5, 7, c.bits, c.rowsPerStrip, c.reverse).build(), d);
        expectRgbImage(d, 5, 7, c.name);
        if (d.image) {
            EXPECT_EQ(d.image->sourceBitDepth, c.bits * 3) << c.name;
        }
    }
}

TEST(Tiff, SixteenBitSampleKeepsItsMostSignificantByte) {
    for (bool big : {false, true}) {
        TiffBuilder t(big);
        const Bytes samples = t.shorts({0x12AB, 0x34CD, 0x56EF});
        t.entry(256, kShort, 1, 1);
        t.entry(257, kShort, 1, 1);
        t.entry(258, kShort, 3, t.data(t.shorts({16, 16, 16})));
        t.entry(262, kShort, 1, 2);
        t.entry(273, kLong, 1, t.data(samples));
        t.entry(279, kLong, 1, 6);
        Decoded d;
        decode(t.build(), d);
        ASSERT_NE(d.image, nullptr);
        EXPECT_EQ(d.px(0, 0)[2], 0x12);
        EXPECT_EQ(d.px(0, 0)[1], 0x34);
        EXPECT_EQ(d.px(0, 0)[0], 0x56);
    }
}

// A 1-row grey or palette image.
Bytes indexedFile(bool big, std::uint32_t photometric, std::uint32_t bits, std::uint32_t width, const Bytes& row,
                  const Bytes* colorMap = nullptr) {
    TiffBuilder t(big);
    t.entry(256, kShort, 1, width);
    t.entry(257, kShort, 1, 1);
    t.entry(258, kShort, 1, bits);
    t.entry(262, kShort, 1, photometric);
    t.entry(273, kLong, 1, t.data(row));
    t.entry(279, kLong, 1, static_cast<std::uint32_t>(row.size()));
    if (colorMap) t.entry(320, kShort, static_cast<std::uint32_t>(colorMap->size() / 2), t.data(*colorMap));
    return t.build();
}

TEST(Tiff, GreyAndPaletteImages) {
    {
        Decoded white;  // WhiteIsZero bilevel: entry 0 white, 1 black
        decode(indexedFile(false, 0, 1, 10, {0xA0, 0x40}), white);
        ASSERT_NE(white.image, nullptr);
        EXPECT_EQ(white.image->header.biBitCount, 8);
        EXPECT_EQ(white.image->palette[0].rgbRed, 255);
        EXPECT_EQ(white.image->palette[1].rgbRed, 0);
        EXPECT_EQ(white.image->palette[1].rgbGreen, 0);
        const std::uint8_t want[10] = {1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
        for (int x = 0; x < 10; ++x) EXPECT_EQ(*white.px(x, 0), want[x]) << x;
        EXPECT_EQ(white.image->sourceBitDepth, 1u);
    }
    {
        Decoded black;  // BlackIsZero: the reverse
        decode(indexedFile(true, 1, 1, 3, {0x20}), black);
        ASSERT_NE(black.image, nullptr);
        EXPECT_EQ(black.image->palette[0].rgbBlue, 0);
        EXPECT_EQ(black.image->palette[1].rgbBlue, 255);
        EXPECT_EQ(*black.px(2, 0), 1);
    }
    {
        Decoded grey4;  // 4-bit grey: 16 levels in steps of 17, high nibble first
        decode(indexedFile(false, 1, 4, 3, {0x1F, 0x70}), grey4);
        ASSERT_NE(grey4.image, nullptr);
        EXPECT_EQ(grey4.image->palette[15].rgbGreen, 255);
        EXPECT_EQ(grey4.image->palette[7].rgbGreen, 119);
        EXPECT_EQ(*grey4.px(0, 0), 1);
        EXPECT_EQ(*grey4.px(1, 0), 15);
        EXPECT_EQ(*grey4.px(2, 0), 7);
    }
    {
        Decoded grey8;  // 8-bit WhiteIsZero
        decode(indexedFile(false, 0, 8, 2, {0, 200}), grey8);
        ASSERT_NE(grey8.image, nullptr);
        EXPECT_EQ(grey8.image->palette[0].rgbRed, 255);
        EXPECT_EQ(grey8.image->palette[200].rgbRed, 55);
        EXPECT_EQ(*grey8.px(1, 0), 200);
    }
    for (bool big : {false, true}) {
        TiffBuilder t(big);
        std::vector<std::uint32_t> map(3 * 16, 0);
        map[5] = 0xAB12;            // red of entry 5
        map[16 + 5] = 0xCD34;       // green
        map[32 + 5] = 0xEF56;       // blue
        Bytes cm(map.size() * 2);
        for (std::size_t i = 0; i < map.size(); ++i) t.put16(cm, 2 * i, map[i]);
        Decoded pal;
        decode(indexedFile(big, 3, 4, 2, {0x50}, &cm), pal);
        ASSERT_NE(pal.image, nullptr) << big;
        EXPECT_EQ(*pal.px(0, 0), 5);
        EXPECT_EQ(pal.image->palette[5].rgbRed, 0xAB);
        EXPECT_EQ(pal.image->palette[5].rgbGreen, 0xCD);
        EXPECT_EQ(pal.image->palette[5].rgbBlue, 0xEF);
        EXPECT_EQ(pal.image->palette[5].rgbReserved, 0);
    }
}

TEST(Tiff, ShortStripsLeaveTheRestZero) {
    // 4 x 3 RGB needs 36 bytes; the strip holds one row and two pixels and a half.
    TiffBuilder t(false);
    t.entry(256, kShort, 1, 4);
    t.entry(257, kShort, 1, 3);
    t.entry(258, kShort, 3, t.data(t.shorts({8, 8, 8})));
    t.entry(262, kShort, 1, 2);
    t.entry(273, kLong, 1, t.data(Bytes(12 + 7, 0xEE)));
    t.entry(279, kLong, 1, 12 + 7);
    Bytes file = t.build();
    file.push_back(0x77);  // lies behind the strip: never read
    Decoded d;
    decode(file, d);
    ASSERT_NE(d.image, nullptr);
    EXPECT_EQ(d.px(3, 0)[0], 0xEE);
    EXPECT_EQ(d.px(1, 1)[2], 0xEE);
    EXPECT_EQ(d.px(2, 1)[2], 0);  // incomplete pixel
    EXPECT_EQ(d.px(0, 2)[0], 0);
}

TEST(Tiff, InlineShortStripArrays) {
    // Two strips with SHORT offsets and counts: both values sit in the entries themselves.
    TiffBuilder t(true);
    const std::uint32_t a = t.data({1, 2, 3});
    const std::uint32_t b = t.data({4, 5, 6});
    t.entry(256, kShort, 1, 1);
    t.entry(257, kShort, 1, 2);
    t.entry(258, kShort, 3, t.data(t.shorts({8, 8, 8})));
    t.entry(262, kShort, 1, 2);
    t.entryShorts(273, static_cast<std::uint16_t>(a), static_cast<std::uint16_t>(b));
    t.entryShorts(279, 3, 3);
    Decoded d;
    decode(t.build(), d);
    ASSERT_NE(d.image, nullptr) << d.status;
    EXPECT_EQ(d.px(0, 0)[2], 1);
    EXPECT_EQ(d.px(0, 1)[0], 6);
}

TEST(Tiff, Resolution) {
    struct Case {
        const char* name;
        std::uint32_t unit;  // 0: no unit tag
        std::uint32_t xNum, xDen, yNum, yDen;
        bool withY;
        std::int32_t x, y;
    } cases[] = {
        {"72 dpi", 0, 72, 1, 72, 1, true, 2835, 2835},
        {"inch", 2, 300, 1, 1501, 5, true, 11811, 11819},
        {"centimetre", 3, 118, 1, 1181, 10, true, 11800, 11810},
        {"no unit", 1, 72, 1, 72, 1, true, 0, 0},
        {"zero denominator", 2, 72, 0, 72, 1, true, 0, 0},
        {"only X", 2, 72, 1, 0, 0, false, 0, 0},
        {"too large", 2, 0xFFFFFFFF, 1, 72, 1, true, 0, 2835},
    };
    for (const Case& c : cases) {
        TiffBuilder t(c.unit == 3);
        t.entry(256, kShort, 1, 1);
        t.entry(257, kShort, 1, 1);
        t.entry(262, kShort, 1, 1);
        t.entry(273, kLong, 1, t.data({0}));
        t.entry(279, kLong, 1, 1);
        t.entry(282, kRational, 1, t.data(t.longs({c.xNum, c.xDen})));
        if (c.withY) t.entry(283, kRational, 1, t.data(t.longs({c.yNum, c.yDen})));
        if (c.unit) t.entry(296, kShort, 1, c.unit);
        Decoded d;
        decode(t.build(), d);
        ASSERT_NE(d.image, nullptr) << c.name;
        EXPECT_EQ(d.image->header.biXPelsPerMeter, c.x) << c.name;
        EXPECT_EQ(d.image->header.biYPelsPerMeter, c.y) << c.name;
    }
    Decoded none;
    decode(indexedFile(false, 1, 8, 1, {9}), none);
    ASSERT_NE(none.image, nullptr);
    EXPECT_EQ(none.image->header.biXPelsPerMeter, 0);
}

TEST(Tiff, RefusedFiles) {
    // A valid 8-bit RGB file with one change; entries added by `change` come first. Without
    // `strips` the change supplies the strip entries itself.
    auto rgb = [](auto change, std::uint32_t width = 2, std::uint32_t height = 1, bool strips = true) {
        TiffBuilder t(false);
        change(t);
        t.entry(256, kLong, 1, width);
        t.entry(257, kLong, 1, height);
        t.entry(258, kShort, 3, t.data(t.shorts({8, 8, 8})));
        t.entry(262, kShort, 1, 2);
        if (strips) {
            t.entry(273, kLong, 1, t.data(Bytes(6, 1)));
            t.entry(279, kLong, 1, 6);
        }
        return t.build();
    };
    auto patched = [](Bytes f, std::size_t at, std::uint8_t v) {
        f[at] = v;
        return f;
    };
    const Bytes valid = rgb([](TiffBuilder&) {});
    struct Case {
        const char* name;
        Bytes file;
        CodecStatus expected;
    } cases[] = {
        {"shorter than 8", Bytes{'I', 'I', 42, 0, 8, 0, 0}, CodecStatus::Damaged},
        {"bad byte order", patched(valid, 0, 'X'), CodecStatus::Damaged},
        {"not 42", patched(valid, 2, 43), CodecStatus::Damaged},
        {"directory past the end", patched(valid, 7, 0x40), CodecStatus::Damaged},
        {"entries past the end", patched(valid, 9, 0x40), CodecStatus::Damaged},
        {"LZW", rgb([](TiffBuilder& t) { t.entry(259, kShort, 1, 5); }), CodecStatus::BadHeader},
        {"PackBits", rgb([](TiffBuilder& t) { t.entry(259, kShort, 1, 32773); }), CodecStatus::BadHeader},
        {"planar", rgb([](TiffBuilder& t) { t.entry(284, kShort, 1, 2); }), CodecStatus::BadHeader},
        {"width as text", rgb([](TiffBuilder& t) { t.entry(256, kAscii, 1, 2); }), CodecStatus::Damaged},
        {"zero width", rgb([](TiffBuilder& t) { t.entry(256, kLong, 1, 0); }), CodecStatus::Damaged},
        {"negative height", rgb([](TiffBuilder& t) { t.entry(257, kLong, 1, 0x80000000); }), CodecStatus::BadHeader},
        {"unequal bits", rgb([](TiffBuilder& t) { t.entry(258, kShort, 3, t.data(t.shorts({8, 8, 16}))); }),
         CodecStatus::BadHeader},
        {"bits past the end", rgb([](TiffBuilder& t) { t.entry(258, kShort, 3, 0x100000); }), CodecStatus::Damaged},
        {"repeated strip offsets", rgb([](TiffBuilder& t) { t.entry(273, kLong, 1, 0); }), CodecStatus::Damaged},
        {"strip offsets as text", rgb([](TiffBuilder& t) { t.entry(273, kAscii, 1, 0); }), CodecStatus::Damaged},
        {"zero strips", rgb([](TiffBuilder& t) { t.entry(273, kLong, 0, 0); }), CodecStatus::Damaged},
        {"too many strips", rgb([](TiffBuilder& t) { t.entry(273, kLong, 1u << 30, 0); }), CodecStatus::BadHeader},
        {"strip array past the end", rgb([](TiffBuilder& t) { t.entry(279, kLong, 4, 0x100000); }), CodecStatus::Damaged},
        {"unpaired strips",
         rgb([](TiffBuilder& t) { t.entry(273, kLong, 1, 1024), t.entry(279, kLong, 2, t.data(t.longs({3, 3}))); },
             2, 1, false),
         CodecStatus::Damaged},
        {"no strip byte counts", rgb([](TiffBuilder& t) { t.entry(273, kLong, 1, 1024); }, 2, 1, false),
         CodecStatus::Damaged},
        {"strip past the end",
         rgb([](TiffBuilder& t) { t.entry(273, kLong, 1, 1024), t.entry(279, kLong, 1, 0x100000); }, 2, 1, false),
         CodecStatus::BadFile},
        {"strips beyond 32 bits",
         rgb([](TiffBuilder& t) {
             t.entryShorts(273, 1024, 1024), t.entry(279, kLong, 2, t.data(t.longs({0xFFFFFFFF, 0xFFFFFFFF})));
         }, 2, 1, false),
         CodecStatus::BadHeader},
        {"too large", rgb([](TiffBuilder&) {}, 100000, 100000), CodecStatus::BadHeader},
    };
    for (const Case& c : cases) {
        Decoded d;
        decode(c.file, d);
        EXPECT_EQ(d.image, nullptr) << c.name;
        EXPECT_EQ(d.status, c.expected) << c.name;
    }

    auto grey = [](std::uint32_t photometric, std::uint32_t bits, bool withMap) {
        TiffBuilder t(false);
        t.entry(256, kShort, 1, 1);
        t.entry(257, kShort, 1, 1);
        t.entry(258, kShort, 1, bits);
        if (photometric != 99) t.entry(262, kShort, 1, photometric);
        t.entry(273, kLong, 1, t.data({0}));
        t.entry(279, kLong, 1, 1);
        if (withMap) t.entry(320, kShort, 48, 0xFFFF0);  // past the end
        return t.build();
    };
    const struct {
        const char* name;
        Bytes file;
        CodecStatus expected;
    } more[] = {
        {"no photometric", grey(99, 8, false), CodecStatus::BadHeader},
        {"CMYK", grey(5, 8, false), CodecStatus::BadHeader},
        {"2-bit grey", grey(1, 2, false), CodecStatus::BadHeader},
        {"16-bit grey", grey(1, 16, false), CodecStatus::BadHeader},
        {"palette without map", grey(3, 4, false), CodecStatus::BadHeader},
        {"map past the end", grey(3, 4, true), CodecStatus::BadFile},
        {"RGB with one sample count", grey(2, 8, false), CodecStatus::BadHeader},
    };
    for (const auto& c : more) {
        Decoded d;
        decode(c.file, d);
        EXPECT_EQ(d.image, nullptr) << c.name;
        EXPECT_EQ(d.status, c.expected) << c.name;
    }
}

TEST(Tiff, ColourProfileTagIsReadInBothByteOrdersAndDroppedWhenBad) {
    const Bytes profile = icctest::makeProfile(300, 9);
    Bytes badSize = profile;
    badSize[2] ^= 1;
    struct Case {
        const char* name;
        std::uint16_t type;
        const Bytes* bytes;
        std::uint32_t countChange;  // added to the count
        bool outside;               // the offset points past the end
        bool kept;
    } cases[] = {
        {"good", 7, &profile, 0, false, true},
        {"as BYTE", 1, &profile, 0, false, true},
        {"as SHORT", kShort, &profile, 0, false, false},
        {"count past the end", 7, &profile, 1u << 20, false, false},
        {"offset past the end", 7, &profile, 0, true, false},
        {"declared size disagrees", 7, &badSize, 0, false, false},
        {"count one short", 7, &profile, ~0u, false, false},
    };
    for (const bool big : {false, true}) {
        for (const Case& c : cases) {
            TiffBuilder t = rgbImage(big, 5, 7, 8, 100);
            const std::uint32_t at = t.data(*c.bytes);
            t.entry(34675, c.type, static_cast<std::uint32_t>(c.bytes->size()) + c.countChange,
                    c.outside ? 0x7FFFFFF0u : at);
            Decoded d;
            decode(t.build(), d);
            // A bad profile never costs the image.
            expectRgbImage(d, 5, 7, c.name);
            if (!d.image) continue;
            const IccProfile& p = d.image->iccProfile;
            EXPECT_EQ(Bytes(p.bytes, p.bytes + p.size), c.kept ? profile : Bytes{}) << c.name << (big ? " MM" : " II");
        }
    }
}

TEST(Tiff, ColourProfileIsWrittenLastInTheDirectoryBehindTheStrip) {
    const Bytes profile = icctest::makeProfile(333, 4);
    IccProfile record{};
    ASSERT_TRUE(setIccProfile(record, profile.data(), profile.size()));
    // 3 x 1: a strip of 9 bytes, so the profile needs a pad byte to start on a word.
    const Bytes pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0};
    for (const bool withProfile : {false, true}) {
        TempDir dir;
        ImageSink sink;
        setGeometry(sink.reducer, 3, 1, 24, 24);
        ASSERT_TRUE(saveTiff(sink, dir.file(u"out.tif"), nullptr, pixels.data(), withProfile ? &record : nullptr));
        const Bytes file = readWholeFile(dir.file(u"out.tif"));
        const std::uint32_t entries = file[8] | file[9] << 8;
        ASSERT_EQ(entries, withProfile ? 13u : 12u);
        std::uint32_t previous = 0;
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint32_t tag = file[10 + 12 * i] | file[11 + 12 * i] << 8;
            EXPECT_GT(tag, previous);  // ascending, as TIFF asks
            previous = tag;
        }
        Decoded d;
        decode(file, d);
        ASSERT_NE(d.image, nullptr);
        EXPECT_EQ(std::memcmp(d.image->pixels, pixels.data(), 9), 0);
        const IccProfile& p = d.image->iccProfile;
        EXPECT_EQ(Bytes(p.bytes, p.bytes + p.size), withProfile ? profile : Bytes{});
        if (withProfile) {
            EXPECT_EQ(previous, 34675u);
            const std::uint8_t* e = &file[10 + 12 * 12];
            const std::uint32_t type = e[2] | e[3] << 8, offset = e[8] | e[9] << 8 | e[10] << 16 | e[11] << 24;
            EXPECT_EQ(type, 7u);
            EXPECT_EQ(offset % 2, 0u);
            EXPECT_EQ(file.size(), offset + profile.size());
        }
    }
    freeIccProfile(record);
}

}  // namespace
