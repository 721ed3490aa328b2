#include "codecs/Clipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/CodecPrinting.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

// A packed bitmap: header of `headerSize` bytes (the tail beyond 40 zero), then `extra` (masks,
// table) and the rows.
Bytes dib(std::int32_t width, std::int32_t height, std::uint16_t bits, std::uint32_t compression, const Bytes& extra,
          const Bytes& rows, std::uint32_t clrUsed = 0, std::uint32_t headerSize = 40) {
    Bytes b;
    put32(b, headerSize);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, bits);
    put32(b, compression);
    put32(b, 0);
    put32(b, 2835);  // the clipboard's resolution is not taken
    put32(b, 2835);
    put32(b, clrUsed);
    put32(b, 0);
    b.resize(std::max<std::size_t>(b.size(), headerSize), 0);
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

Bytes table(std::uint32_t entries) {
    Bytes t;
    for (std::uint32_t i = 0; i < entries; ++i) {
        t.push_back(static_cast<std::uint8_t>(i * 3));      // blue
        t.push_back(static_cast<std::uint8_t>(i * 5 + 1));  // green
        t.push_back(static_cast<std::uint8_t>(i * 7 + 2));  // red
        t.push_back(0xAA);                                  // reserved, dropped
    }
    return t;
}

Bytes masks(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    Bytes m;
    put32(m, red);
    put32(m, green);
    put32(m, blue);
    return m;
}

struct Pasted {
    ImageData* image = nullptr;
    CodecStatus status = CodecStatus::Ok;
    ~Pasted() { freeImageData(image); }
};
void paste(const Bytes& block, Pasted& out) {
    ImageSource source;
    out.image = pasteFromClipboard(source, block.data(), block.size());
    out.status = source.status;
}

// The blue, green, red bytes of pixel x of buffer row `row` (bottom-up).
std::vector<int> bgr(const ImageData& image, std::uint32_t row, std::uint32_t x) {
    const std::uint8_t* p = image.pixels + std::size_t{rowStride(image.header.biWidth, 24)} * row + 3 * x;
    return {p[0], p[1], p[2]};
}

TEST(ClipboardCopy, ThreeByTwoBlockAndRoundTrip) {
    const std::uint8_t pixels[24 + 4] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0};
    ImageSink sink;
    setGeometry(sink.reducer, 3, 2, 24, 24);
    sink.xResolution = 3780;
    sink.yResolution = 2835;
    Bytes block;
    ASSERT_TRUE(copyToClipboard(sink, nullptr, pixels, block));
    EXPECT_EQ(sink.status, CodecStatus::Ok);
    ASSERT_EQ(block.size(), 40u + 24u);
    BITMAPINFOHEADER h;
    std::memcpy(&h, block.data(), 40);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, BI_RGB);
    EXPECT_EQ(h.biSizeImage, 0u);
    EXPECT_EQ(h.biXPelsPerMeter, 3780);
    EXPECT_EQ(h.biYPelsPerMeter, 2835);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(std::memcmp(block.data() + 40, pixels, 24), 0);

    Pasted back;
    paste(block, back);
    ASSERT_NE(back.image, nullptr);
    const ImageData& img = *back.image;
    EXPECT_EQ(img.header.biBitCount, 24);
    EXPECT_EQ(img.header.biXPelsPerMeter, 0);
    EXPECT_EQ(img.header.biYPelsPerMeter, 0);
    EXPECT_EQ(img.sourceFormat, ImageFormat::Bmp);
    EXPECT_EQ(img.sourceBitDepth, 24u);
    EXPECT_EQ(img.sourceFileSize, 54u + 24u);
    EXPECT_EQ(std::memcmp(img.pixels, pixels, 24), 0);
}

TEST(ClipboardCopy, PaletteImagesAndRefusals) {
    RGBQUAD palette[256] = {};
    palette[1] = {9, 8, 7, 0};
    const std::uint8_t pixels[8 + 4] = {1, 0, 1, 0, 0, 1, 0, 0};
    ImageSink sink;
    setGeometry(sink.reducer, 3, 2, 8, 8);
    Bytes block;
    ASSERT_TRUE(copyToClipboard(sink, palette, pixels, block));
    ASSERT_EQ(block.size(), 40u + 1024u + 8u);
    EXPECT_EQ(block[40 + 4], 9);
    Pasted back;
    paste(block, back);
    ASSERT_NE(back.image, nullptr);
    EXPECT_EQ(back.image->header.biBitCount, 8);
    EXPECT_EQ(back.image->palette[1].rgbRed, 7);
    EXPECT_EQ(std::memcmp(back.image->pixels, pixels, 8), 0);

    setGeometry(sink.reducer, 3, 2, 16, 16);
    EXPECT_FALSE(copyToClipboard(sink, palette, pixels, block));
    EXPECT_EQ(sink.status, CodecStatus::CannotConvert);
    EXPECT_TRUE(block.empty());
}

TEST(ClipboardPaste, ThirtyTwoBitFieldsMatchPlainRgb) {
    Bytes rows;
    for (std::uint32_t p : {0x00102030u, 0x00FF8001u, 0xFF000000u, 0x00ABCDEFu}) put32(rows, p);
    Pasted plain, fields;
    paste(dib(2, 2, 32, BI_RGB, {}, rows), plain);
    paste(dib(2, 2, 32, BI_BITFIELDS, masks(0xFF0000, 0xFF00, 0xFF), rows), fields);
    ASSERT_NE(plain.image, nullptr);
    ASSERT_NE(fields.image, nullptr);
    const std::size_t bytes = imageBytes(2, 2, 24);
    EXPECT_EQ(std::memcmp(plain.image->pixels, fields.image->pixels, bytes), 0);
    EXPECT_EQ(bgr(*plain.image, 0, 0), (std::vector<int>{0x30, 0x20, 0x10}));
    EXPECT_EQ(bgr(*plain.image, 0, 1), (std::vector<int>{0x01, 0x80, 0xFF}));
    EXPECT_EQ(bgr(*plain.image, 1, 0), (std::vector<int>{0, 0, 0}));  // the top byte is no colour
    EXPECT_EQ(plain.image->sourceFileSize, 54u + bytes);
    EXPECT_EQ(plain.image->sourceBitDepth, 32u);
}

TEST(ClipboardPaste, SixteenBitDefaultAndFiveSixFive) {
    Bytes rows;
    put16(rows, 0x7FFF);
    put16(rows, 0x001F);  // row of 4 bytes: no padding
    Pasted p555;
    paste(dib(2, 1, 16, BI_RGB, {}, rows), p555);
    ASSERT_NE(p555.image, nullptr);
    EXPECT_EQ(bgr(*p555.image, 0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(bgr(*p555.image, 0, 1), (std::vector<int>{255, 0, 0}));

    Bytes rows565;
    put16(rows565, 0xF800);
    put16(rows565, 0x07E0);
    put16(rows565, 0x0400);  // green half-way: 32 * 255 / 63
    rows565.resize(8, 0);
    Pasted p565;
    paste(dib(3, 1, 16, BI_BITFIELDS, masks(0xF800, 0x07E0, 0x001F), rows565), p565);
    ASSERT_NE(p565.image, nullptr);
    EXPECT_EQ(bgr(*p565.image, 0, 0), (std::vector<int>{0, 0, 255}));
    EXPECT_EQ(bgr(*p565.image, 0, 1), (std::vector<int>{0, 255, 0}));
    EXPECT_EQ(bgr(*p565.image, 0, 2), (std::vector<int>{0, 129, 0}));
}

TEST(ClipboardPaste, IndexedDepthsUnpackToEightBits) {
    // 1 bit, 9 pixels wide: rows of 4 bytes; the ninth pixel is bit 7 of the second byte.
    const Bytes rows1 = {0b10100000, 0b10000000, 0, 0, 0b01000000, 0, 0, 0};
    Pasted one;
    paste(dib(9, 2, 1, BI_RGB, table(2), rows1), one);
    ASSERT_NE(one.image, nullptr);
    const ImageData& a = *one.image;
    EXPECT_EQ(a.header.biBitCount, 8);
    EXPECT_EQ(a.sourceBitDepth, 1u);
    const std::uint8_t row0[9] = {1, 0, 1, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::memcmp(a.pixels, row0, 9), 0);
    EXPECT_EQ(a.pixels[12 + 1], 1);
    EXPECT_EQ(a.palette[1].rgbRed, 9);
    EXPECT_EQ(a.palette[1].rgbReserved, 0);
    EXPECT_EQ(a.palette[2].rgbRed, 0);
    EXPECT_EQ(a.sourceFileSize, 54u + 8u + 12u * 2);

    // 4 bits: high nibble first.
    Pasted four;
    paste(dib(3, 1, 4, BI_RGB, table(16), {0x5A, 0xF0, 0, 0}), four);
    ASSERT_NE(four.image, nullptr);
    const std::uint8_t row4[3] = {5, 10, 15};
    EXPECT_EQ(std::memcmp(four.image->pixels, row4, 3), 0);
    EXPECT_EQ(four.image->palette[15].rgbGreen, 76);

    // 8 bits with a short table (biClrUsed 3): the rows follow those 3 entries directly.
    Pasted eight;
    paste(dib(2, 1, 8, BI_RGB, table(3), {2, 1, 0, 0}, 3), eight);
    ASSERT_NE(eight.image, nullptr);
    EXPECT_EQ(eight.image->pixels[0], 2);
    EXPECT_EQ(eight.image->pixels[1], 1);
    EXPECT_EQ(eight.image->palette[2].rgbRed, 16);
    EXPECT_EQ(eight.image->palette[3].rgbRed, 0);
    EXPECT_EQ(eight.image->sourceFileSize, 54u + 12u + 4u);
}

TEST(ClipboardPaste, LargerHeaderKeepsItsRowsBehindIt) {
    // A BITMAPV5HEADER (124 bytes): 24-bit rows start behind it; with bit fields the masks are in it.
    const Bytes rows = {1, 2, 3, 0};
    Pasted v5;
    paste(dib(1, 1, 24, BI_RGB, {}, rows, 0, 124), v5);
    ASSERT_NE(v5.image, nullptr);
    EXPECT_EQ(bgr(*v5.image, 0, 0), (std::vector<int>{1, 2, 3}));

    Bytes header = dib(1, 1, 32, BI_BITFIELDS, {}, {}, 0, 124);
    const Bytes m = masks(0xFF0000, 0xFF00, 0xFF);
    std::copy(m.begin(), m.end(), header.begin() + 40);
    put32(header, 0x00112233);
    Pasted fields;
    paste(header, fields);
    ASSERT_NE(fields.image, nullptr);
    EXPECT_EQ(bgr(*fields.image, 0, 0), (std::vector<int>{0x33, 0x22, 0x11}));
}

TEST(ClipboardPaste, UnsupportedBitmapsRefused) {
    struct Case {
        const char* what;
        Bytes block;
        CodecStatus status;
    };
    const Bytes row24 = {1, 2, 3, 0};
    const Case cases[] = {
        {"top-down", dib(1, -1, 24, BI_RGB, {}, row24), CodecStatus::BadHeader},
        {"zero width", dib(0, 1, 24, BI_RGB, {}, row24), CodecStatus::BadHeader},
        {"core header", dib(1, 1, 24, BI_RGB, {}, row24, 0, 12), CodecStatus::BadHeader},
        {"2 bits", dib(1, 1, 2, BI_RGB, table(4), row24), CodecStatus::BadHeader},
        {"24-bit fields", dib(1, 1, 24, BI_BITFIELDS, masks(0xFF0000, 0xFF00, 0xFF), row24), CodecStatus::BadHeader},
        {"RLE8", dib(1, 1, 8, BI_RLE8, table(256), row24), CodecStatus::BadHeader},
        {"JPEG", dib(1, 1, 32, 4, {}, row24), CodecStatus::BadHeader},
        {"too large", dib(0x7FFFFFFF, 0x7FFFFFFF, 24, BI_RGB, {}, row24), CodecStatus::BadHeader},
        {"header cut", Bytes(39, 0), CodecStatus::BadFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Pasted p;
        paste(c.block, p);
        EXPECT_EQ(p.image, nullptr);
        EXPECT_EQ(p.status, c.status);
    }
}

// Every block cut anywhere short of its table or rows is refused, never read past; a block larger
// than the bitmap (the clipboard's memory is rounded up) is fine.
TEST(ClipboardPaste, TruncatedBlocksRefused) {
    Bytes rows32;
    for (int i = 0; i < 6; ++i) put32(rows32, 0x00010203u * i);
    const Bytes blocks[] = {
        dib(9, 2, 1, BI_RGB, table(2), Bytes(8, 0xA5)),
        dib(3, 2, 4, BI_RGB, table(16), Bytes(8, 0x12)),
        dib(3, 2, 8, BI_RGB, table(256), Bytes(8, 7)),
        dib(3, 2, 8, BI_RGB, table(5), Bytes(8, 4), 5),
        dib(3, 2, 16, BI_BITFIELDS, masks(0xF800, 0x07E0, 0x001F), Bytes(16, 0x5C)),
        dib(3, 2, 24, BI_RGB, {}, Bytes(24, 9)),
        dib(3, 2, 32, BI_RGB, {}, rows32),
        dib(3, 2, 32, BI_BITFIELDS, masks(0xFF0000, 0xFF00, 0xFF), rows32),
        dib(3, 2, 24, BI_RGB, table(2), Bytes(24, 9), 2),  // optional table before 24-bit rows
    };
    for (const Bytes& full : blocks) {
        SCOPED_TRACE(testing::Message() << "depth " << int(full[14]) << ", " << full.size() << " bytes");
        for (std::size_t size = 1; size < full.size(); ++size) {
            // A copy of exactly `size` bytes, so that ASan sees any read beyond it.
            const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
            Pasted p;
            paste(cut, p);
            ASSERT_EQ(p.image, nullptr) << size;
            ASSERT_EQ(p.status, CodecStatus::BadFile) << size;
        }
        Pasted whole;
        paste(full, whole);
        ASSERT_NE(whole.image, nullptr);
        Bytes padded = full;
        padded.resize(full.size() + 16, 0xEE);
        Pasted roomy;
        paste(padded, roomy);
        ASSERT_NE(roomy.image, nullptr);
        EXPECT_EQ(std::memcmp(whole.image->pixels, roomy.image->pixels, imageBytes(3, 2, 24) / 3), 0);
    }
}

}  // namespace
