#include "plugins/PluginBitmap.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Block {
    std::vector<std::uint8_t> info;
    std::vector<std::uint8_t> bits;
};

BITMAPINFOHEADER headerOf(std::int32_t width, std::int32_t height, std::uint16_t bits) {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = bits;
    return h;
}

Block picture(const BITMAPINFOHEADER& h, std::vector<RGBQUAD> colours, std::vector<std::uint8_t> bits) {
    Block b;
    b.info.resize(sizeof h + colours.size() * sizeof(RGBQUAD));
    std::memcpy(b.info.data(), &h, sizeof h);
    if (!colours.empty()) std::memcpy(b.info.data() + sizeof h, colours.data(), colours.size() * sizeof(RGBQUAD));
    b.bits = std::move(bits);
    return b;
}

struct Converted {
    bool ok = false;
    ImageData image{};
    ~Converted() { freePixels(image.pixels); }
};

void convert(const Block& b, Converted& out, std::int32_t declaredDepth = 0) {
    PluginPicture p;
    p.info = b.info.data();
    p.infoSize = b.info.size();
    p.bits = b.bits.data();
    p.bitsSize = b.bits.size();
    p.declaredDepth = declaredDepth;
    out.ok = ConvertPluginPicture(p, out.image);
}

std::vector<std::uint8_t> row(const Converted& c, int y, int count) {
    const std::uint32_t stride = rowStride(static_cast<std::uint32_t>(c.image.header.biWidth), c.image.header.biBitCount);
    return {c.image.pixels + y * stride, c.image.pixels + y * stride + count};
}

TEST(PluginBitmap, OneBitPicturesArriveAsIndexesWithThePluginsTwoColours) {
    // 10 pixels a row: two bytes, padded to four.
    Block b = picture(headerOf(10, 2, 1), {{10, 20, 30, 0}, {200, 210, 220, 0}},
                      {0b10110000, 0b01000000, 0, 0, 0b01001111, 0b11000000, 0, 0});
    Converted c;
    convert(b, c);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.image.header.biBitCount, 8);
    EXPECT_EQ(c.image.sourceBitDepth, 1u);
    EXPECT_EQ(c.image.sourceFormat, ImageFormat::NotRecognised);
    EXPECT_EQ(row(c, 0, 10), (std::vector<std::uint8_t>{1, 0, 1, 1, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(row(c, 1, 10), (std::vector<std::uint8_t>{0, 1, 0, 0, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(c.image.palette[0].rgbRed, 30);
    EXPECT_EQ(c.image.palette[1].rgbBlue, 200);
}

TEST(PluginBitmap, FourBitPicturesUnpackHighNibbleFirst) {
    Block b = picture(headerOf(3, 2, 4), std::vector<RGBQUAD>(16), {0x12, 0x30, 0, 0, 0xAB, 0xC0, 0, 0});
    Converted c;
    convert(b, c, 2);  // the picture info may state another depth than the bitmap's
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(row(c, 0, 3), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(row(c, 1, 3), (std::vector<std::uint8_t>{10, 11, 12}));
    EXPECT_EQ(c.image.sourceBitDepth, 2u);
}

TEST(PluginBitmap, EightAndTwentyFourBitsAreCopiedAsFarAsTheBitsReach) {
    // 8 bits: stride 4; the plug-in's bits hold one row and a half; the rest stays zero.
    Block b = picture(headerOf(3, 2, 8), std::vector<RGBQUAD>(256), {1, 2, 3, 0, 4, 5});
    Converted c;
    convert(b, c);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(row(c, 0, 3), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(row(c, 1, 3), (std::vector<std::uint8_t>{4, 5, 0}));
    EXPECT_EQ(c.image.sourceBitDepth, 8u);

    Block colour = picture(headerOf(1, 1, 24), {}, {9, 8, 7, 0, 0xEE, 0xEE});  // more bits than needed
    Converted d;
    convert(colour, d);
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(row(d, 0, 4), (std::vector<std::uint8_t>{9, 8, 7, 0}));
}

TEST(PluginBitmap, RecordFieldsStayTheRecordsWhateverThePluginClaims) {
    BITMAPINFOHEADER h = headerOf(2, 1, 8);
    h.biSize = 124;
    h.biPlanes = 3;
    h.biClrUsed = 100000;
    h.biXPelsPerMeter = -5;
    h.biYPelsPerMeter = 3780;
    Block b = picture(h, {}, {1, 2, 0, 0});  // no colour table at all: black entries
    Converted c;
    convert(b, c, -3);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.image.header.biSize, 40u);
    EXPECT_EQ(c.image.header.biPlanes, 1);
    EXPECT_EQ(c.image.header.biClrUsed, 256u);
    EXPECT_EQ(c.image.header.biXPelsPerMeter, 0);
    EXPECT_EQ(c.image.header.biYPelsPerMeter, 3780);
    EXPECT_EQ(c.image.sourceBitDepth, 8u);
    EXPECT_EQ(c.image.palette[1].rgbRed, 0);
}

TEST(PluginBitmap, RefusesWhatItCannotReadSafely) {
    auto withCompression = [](DWORD c) {
        BITMAPINFOHEADER h = headerOf(4, 4, 8);
        h.biCompression = c;
        return h;
    };
    const struct {
        const char* what;
        Block block;
    } cases[] = {
        {"top-down", picture(headerOf(4, -4, 8), {}, std::vector<std::uint8_t>(16))},
        {"zero width", picture(headerOf(0, 4, 8), {}, std::vector<std::uint8_t>(16))},
        {"zero height", picture(headerOf(4, 0, 8), {}, std::vector<std::uint8_t>(16))},
        {"compressed", picture(withCompression(BI_RLE8), {}, std::vector<std::uint8_t>(16))},
        {"bit fields", picture(withCompression(BI_BITFIELDS), {}, std::vector<std::uint8_t>(16))},
        {"16 bits", picture(headerOf(4, 4, 16), {}, std::vector<std::uint8_t>(32))},
        {"32 bits", picture(headerOf(4, 4, 32), {}, std::vector<std::uint8_t>(64))},
        {"2 bits", picture(headerOf(4, 4, 2), {}, std::vector<std::uint8_t>(16))},
        {"no bits", picture(headerOf(4, 4, 8), {}, {})},
        {"1 bit one byte short", picture(headerOf(33, 2, 1), {}, std::vector<std::uint8_t>(15))},
        {"4 bits one byte short", picture(headerOf(9, 3, 4), {}, std::vector<std::uint8_t>(23))},
        {"beyond 32 bits", picture(headerOf(70000, 70000, 8), {}, std::vector<std::uint8_t>(16))},
    };
    for (const auto& c : cases) {
        Converted out;
        convert(c.block, out);
        EXPECT_FALSE(out.ok) << c.what;
        EXPECT_EQ(out.image.pixels, nullptr) << c.what;
    }
    // A bitmap-info block shorter than its own header is never read as one.
    Block shortInfo = picture(headerOf(4, 4, 8), {}, std::vector<std::uint8_t>(16));
    shortInfo.info.resize(39);
    Converted out;
    convert(shortInfo, out);
    EXPECT_FALSE(out.ok);
}

}  // namespace
