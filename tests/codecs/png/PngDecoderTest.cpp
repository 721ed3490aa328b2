#include "codecs/png/PngDecoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "codecs/png/BlendTable.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"
#include "tests/codecs/png/PngTestFiles.h"

namespace {

using namespace pngtest;
using Image = std::unique_ptr<ImageData, decltype(&freeImageData)>;

Image load(const Bytes& file, CodecStatus* status = nullptr) { return Image(decode(file, status), freeImageData); }

CodecStatus statusOf(const Bytes& file) {
    CodecStatus s = CodecStatus::Ok;
    Image image = load(file, &s);
    return image ? CodecStatus::Ok : s;
}

// A 2 x 2 8-bit grey image, unfiltered.
const Bytes kGreyRows = {0, 1, 2, 0, 3, 4};

PngFile greyHeader() { return PngFile().ihdr(2, 2, 8, 0); }

// IDAT data whose stream is complete but whose chunk is split in two.
void splitIdat(PngFile& f, const Bytes& rows) {
    const Bytes z = zlibCompress(rows);
    const std::size_t half = z.size() / 2;
    f.chunk("IDAT", Bytes(z.begin(), z.begin() + static_cast<std::ptrdiff_t>(half)));
    f.chunk("IDAT", Bytes(z.begin() + static_cast<std::ptrdiff_t>(half), z.end()));
}

// Four 300-pixel grey rows in stored deflate blocks, with `cut` bytes taken off the stream's end.
Bytes cutStream(std::size_t cut) {
    Bytes rows;
    for (int y = 0; y < 4; ++y) {
        rows.push_back(0);
        rows.insert(rows.end(), 300, static_cast<std::uint8_t>(y));
    }
    Bytes z = zlibCompress(rows, 0);
    z.resize(z.size() - cut);
    return PngFile().ihdr(300, 4, 8, 0).chunk("IDAT", z).iend().bytes;
}

struct RejectCase {
    const char* name;
    std::function<Bytes()> file;
    CodecStatus expected;
};

TEST(PngDecoder, RejectsBadHeadersAndChunkOrderWithTheirCodes) {
    const Bytes palette = {0, 0, 0, 255, 255, 255};
    const std::vector<RejectCase> cases = {
        {"32 bytes", [] { Bytes b = greyHeader().bytes; b.resize(32); return b; }, CodecStatus::Damaged},
        {"signature byte changed", [] { Bytes b = greyHeader().idat(kGreyRows).iend().bytes; b[1] = 'Q'; return b; },
         CodecStatus::Damaged},
        {"IHDR length 12",
         [] {
             Bytes b = greyHeader().idat(kGreyRows).iend().bytes;
             b[11] = 12;
             return b;
         },
         CodecStatus::PngHeaderLength},
        {"first chunk not IHDR",
         [] { return PngFile().chunk("tEXt", Bytes(13, 'a')).idat(kGreyRows).iend().bytes; }, CodecStatus::PngNoHeader},
        {"IHDR CRC", [] { Bytes b = greyHeader().idat(kGreyRows).iend().bytes; b[32] ^= 1; return b; }, CodecStatus::PngCrc},
        {"width 0", [] { return PngFile().ihdr(0, 2, 8, 0).idat(kGreyRows).iend().bytes; }, CodecStatus::BadHeader},
        {"width 2^31", [] { return PngFile().ihdr(0x80000000u, 2, 8, 0).idat(kGreyRows).iend().bytes; },
         CodecStatus::BadHeader},
        {"height 0", [] { return PngFile().ihdr(2, 0, 8, 0).idat(kGreyRows).iend().bytes; }, CodecStatus::BadHeader},
        {"depth 3", [] { return PngFile().ihdr(2, 2, 3, 0).idat(kGreyRows).iend().bytes; }, CodecStatus::PngBitDepth},
        {"depth 0", [] { return PngFile().ihdr(2, 2, 0, 2).idat(kGreyRows).iend().bytes; }, CodecStatus::PngBitDepth},
        {"RGB at depth 4", [] { return PngFile().ihdr(2, 2, 4, 2).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngColourType},
        {"grey alpha at depth 2", [] { return PngFile().ihdr(2, 2, 2, 4).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngColourType},
        {"colour type 1", [] { return PngFile().ihdr(2, 2, 8, 1).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngColourType},
        {"palette at depth 16", [] { return PngFile().ihdr(2, 2, 16, 3).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngColourType},
        {"compression 1", [] { return PngFile().ihdr(2, 2, 8, 0, 0, 1).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngCompression},
        {"filter method 1", [] { return PngFile().ihdr(2, 2, 8, 0, 0, 0, 1).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngFilterMethod},
        {"interlace 2", [] { return PngFile().ihdr(2, 2, 8, 0, 2).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngInterlace},
        {"palette image without PLTE", [] { return PngFile().ihdr(2, 2, 8, 3).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngMissingChunk},
        {"no IDAT", [] { return greyHeader().iend().bytes; }, CodecStatus::PngMissingChunk},
        {"PLTE after IDAT",
         [&] { return PngFile().ihdr(2, 2, 8, 3).idat(kGreyRows).chunk("PLTE", palette).iend().bytes; },
         CodecStatus::PngChunkOrder},
        {"second PLTE",
         [&] { return PngFile().ihdr(2, 2, 8, 3).chunk("PLTE", palette).chunk("PLTE", palette).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngChunkOrder},
        {"second IHDR", [] { return greyHeader().ihdr(2, 2, 8, 0).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngChunkOrder},
        {"IDAT groups apart", [] { return greyHeader().idat(kGreyRows).chunk("tEXt", {'a'}).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngChunkOrder},
        {"PLTE CRC",
         [&] { return PngFile().ihdr(2, 2, 8, 3).chunk("PLTE", palette, false).idat(kGreyRows).iend().bytes; },
         CodecStatus::PngCrc},
        {"first IDAT CRC",
         [] { return greyHeader().chunk("IDAT", zlibCompress(kGreyRows), false).iend().bytes; }, CodecStatus::PngCrc},
        {"IEND CRC", [] { return greyHeader().idat(kGreyRows).chunk("IEND", {}, false).bytes; }, CodecStatus::PngCrc},
        {"later IDAT CRC",
         [] {
             const Bytes z = zlibCompress(kGreyRows);
             return greyHeader()
                 .chunk("IDAT", Bytes(z.begin(), z.begin() + 4))
                 .chunk("IDAT", Bytes(z.begin() + 4, z.end()), false)
                 .iend()
                 .bytes;
         },
         CodecStatus::PngIdatSequence},
        {"later IDAT length with top bit",
         [] {
             PngFile f = greyHeader();
             splitIdat(f, kGreyRows);
             f.iend();
             const std::size_t second = 33 + 12 + (zlibCompress(kGreyRows).size() / 2);
             f.bytes[second] |= 0x80;
             return f.bytes;
         },
         CodecStatus::PngIdatSequence},
        {"later IDAT past the end",
         [] {
             PngFile f = greyHeader();
             splitIdat(f, kGreyRows);
             f.bytes.resize(f.bytes.size() - 1);
             return f.bytes;
         },
         CodecStatus::PngIdatSequence},
        {"chunk length with top bit",
         [] {
             Bytes b = greyHeader().chunk("tEXt", {'a'}).idat(kGreyRows).iend().bytes;
             b[33] = 0x80;
             return b;
         },
         CodecStatus::PngChunkLength},
        {"chunk past the end", [] { Bytes b = greyHeader().chunk("tEXt", Bytes(20, 'a')).bytes; b.resize(b.size() - 5); return b; },
         CodecStatus::Damaged},
        {"no IEND", [] { return greyHeader().idat(kGreyRows).bytes; }, CodecStatus::Damaged},
        {"damaged stream", [] { Bytes z = zlibCompress(kGreyRows); z[0] = 0x79; return greyHeader().chunk("IDAT", z).iend().bytes; },
         CodecStatus::PngInflate},
        {"empty IDAT", [] { return greyHeader().chunk("IDAT", {}).iend().bytes; }, CodecStatus::PngInflate},
        {"stream cut mid-image", [] { return cutStream(300); }, CodecStatus::PngInflate},
        // Data that runs out inside the last row is as damaged as data that runs out earlier.
        {"stream cut in the last row", [] { return cutStream(20); }, CodecStatus::PngInflate},
    };
    for (const RejectCase& c : cases) EXPECT_EQ(statusOf(c.file()), c.expected) << c.name;
}

TEST(PngDecoder, SkipsUnknownChunksAndIgnoresDamagedOptionalOnes) {
    PngFile f = greyHeader();
    f.chunk("zzZZ", {1, 2, 3}, false)  // unknown, even critical-looking, skipped without CRC check
        .chunk("bKGD", {0, 9}, false)
        .chunk("pHYs", {0, 0, 14, 196, 0, 0, 14, 196, 1}, false)
        .chunk("gAMA", {0, 0, 177, 143});
    splitIdat(f, kGreyRows);
    f.chunk("pHYs", {0, 0, 14, 196, 0, 0, 14, 196, 1}).iend();
    Image image = load(f.bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->header.biXPelsPerMeter, 0);
    EXPECT_EQ(indexAt(*image, 0, 0), 1);
    EXPECT_EQ(indexAt(*image, 1, 1), 4);
}

TEST(PngDecoder, RecordFieldsAndResolution) {
    struct Case {
        int depth, type;
        std::uint16_t bits;
        std::uint32_t sourceDepth;
    };
    for (const Case& c : {Case{8, 0, 8, 8}, Case{16, 2, 24, 48}, Case{8, 6, 24, 24}, Case{16, 4, 8, 16}, Case{2, 0, 8, 2}}) {
        const int channels = c.type == 2 ? 3 : c.type == 6 ? 4 : c.type == 4 ? 2 : 1;
        SampleImage s{3, 2, channels, c.depth, {std::vector<std::uint32_t>(3 * channels, 1), std::vector<std::uint32_t>(3 * channels, 1)}};
        for (int unit : {1, 0}) {
            PngFile f = PngFile().ihdr(3, 2, c.depth, c.type).chunk("pHYs", {0, 0, 14, 196, 0, 0, 14, 196, static_cast<std::uint8_t>(unit)});
            Image image = load(f.idat(s.filtered(false)).iend().bytes);
            ASSERT_TRUE(image) << c.depth << "/" << c.type;
            const BITMAPINFOHEADER& h = image->header;
            EXPECT_EQ(h.biSize, 40u);
            EXPECT_EQ(h.biWidth, 3);
            EXPECT_EQ(h.biHeight, 2);
            EXPECT_EQ(h.biPlanes, 1);
            EXPECT_EQ(h.biBitCount, c.bits);
            EXPECT_EQ(h.biCompression, 0u);
            EXPECT_EQ(h.biXPelsPerMeter, unit ? 3780 : 0);
            EXPECT_EQ(h.biYPelsPerMeter, unit ? 3780 : 0);
            EXPECT_EQ(image->sourceBitDepth, c.sourceDepth);
            EXPECT_EQ(image->sourceFormat, ImageFormat::Png);
        }
    }
}

TEST(PngDecoder, GreyRampsAndPackedRows) {
    // A 1-bit row of width 10: bytes 0xA0, 0xC0.
    Image one = load(PngFile().ihdr(10, 1, 1, 0).idat({0, 0xA0, 0xC0}).iend().bytes);
    ASSERT_TRUE(one);
    const int expected[10] = {1, 0, 1, 0, 0, 0, 0, 0, 1, 1};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(indexAt(*one, x, 0), expected[x]) << x;
    EXPECT_EQ(one->palette[1].rgbRed, 255);
    EXPECT_EQ(one->palette[2].rgbRed, 0);

    // 2-bit, width 5: 0b00011011, 0b10......; ramp 0, 85, 170, 255.
    Image two = load(PngFile().ihdr(5, 1, 2, 0).idat({0, 0x1B, 0xBF}).iend().bytes);
    ASSERT_TRUE(two);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(indexAt(*two, x, 0), (x < 4 ? x : 2)) << x;
    EXPECT_EQ(two->palette[2].rgbGreen, 170);
    EXPECT_EQ(two->palette[4].rgbGreen, 0);

    // 4-bit, odd width 3: the last byte gives one pixel, from its high nibble; the stride's
    // padding stays zero.
    Image four = load(PngFile().ihdr(3, 1, 4, 0).idat({0, 0x12, 0x3F}).iend().bytes);
    ASSERT_TRUE(four);
    EXPECT_EQ(indexAt(*four, 0, 0), 1);
    EXPECT_EQ(indexAt(*four, 1, 0), 2);
    EXPECT_EQ(indexAt(*four, 2, 0), 3);
    EXPECT_EQ(four->pixels[3], 0);
    EXPECT_EQ(four->palette[15].rgbBlue, 255);
    EXPECT_EQ(four->palette[1].rgbBlue, 17);

    // A palette image takes its colours from PLTE, at most 2^depth entries.
    Image pal = load(PngFile().ihdr(2, 1, 1, 3).chunk("PLTE", {10, 20, 30, 40, 50, 60, 70, 80, 90}).idat({0, 0x40}).iend().bytes);
    ASSERT_TRUE(pal);
    EXPECT_EQ(pixelAt(*pal, 0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(pixelAt(*pal, 1, 0), (Rgb{40, 50, 60}));
    EXPECT_EQ(pal->palette[2].rgbRed, 0);
}

TEST(PngDecoder, RowFilters) {
    // Sub on an 8-bit grey row: 10, 5, 5 -> 10, 15, 20.
    Image sub = load(PngFile().ihdr(3, 1, 8, 0).idat({1, 10, 5, 5}).iend().bytes);
    ASSERT_TRUE(sub);
    EXPECT_EQ(indexAt(*sub, 1, 0), 15);
    EXPECT_EQ(indexAt(*sub, 2, 0), 20);

    // Paeth with left 10, up 20, upper left 15: p = 15, pa = pb = 5, pc = 0: upper left wins.
    // Row 0 (None): 15, 20. Row 1 (Paeth): first byte 251 + up 15 = 10; second 1 + 15 = 16.
    Image paeth = load(PngFile().ihdr(2, 2, 8, 0).idat({0, 15, 20, 4, 251, 1}).iend().bytes);
    ASSERT_TRUE(paeth);
    EXPECT_EQ(indexAt(*paeth, 0, 1), 10);
    EXPECT_EQ(indexAt(*paeth, 1, 1), 16);

    // Average on RGB reaches back one whole pixel (3 bytes) and rounds down.
    Image avg = load(PngFile().ihdr(2, 2, 8, 2).idat({0, 10, 20, 30, 40, 50, 60, 3, 1, 1, 1, 1, 1, 1}).iend().bytes);
    ASSERT_TRUE(avg);
    EXPECT_EQ(pixelAt(*avg, 0, 1), (Rgb{6, 11, 16}));  // up / 2
    EXPECT_EQ(pixelAt(*avg, 1, 1), (Rgb{24, 31, 39}));  // (left + up) / 2

    // A one-pixel-wide image: left and upper left are 0 under every filter; a filter byte above 4
    // counts as None.
    Image narrow = load(PngFile().ihdr(1, 7, 8, 2)
                            .idat({0, 100, 150, 200, 1, 5, 5, 5, 2, 10, 10, 10, 3, 4, 4, 4, 4, 1, 1, 1, 9, 7, 8, 9, 4, 0, 0, 0})
                            .iend()
                            .bytes);
    ASSERT_TRUE(narrow);
    const Rgb rows[7] = {{100, 150, 200}, {5, 5, 5}, {15, 15, 15}, {11, 11, 11}, {12, 12, 12}, {7, 8, 9}, {7, 8, 9}};
    for (int y = 0; y < 7; ++y) EXPECT_EQ(pixelAt(*narrow, 0, y), rows[y]) << y;

    // Packed rows filter their bytes with a unit of 1: Up on a 4-bit row.
    Image packed = load(PngFile().ihdr(2, 2, 4, 0).idat({0, 0x12, 2, 0x11}).iend().bytes);
    ASSERT_TRUE(packed);
    EXPECT_EQ(indexAt(*packed, 0, 1), 2);
    EXPECT_EQ(indexAt(*packed, 1, 1), 3);
}

TEST(PngDecoder, SixteenBitSamplesKeepTheirMostSignificantBytes) {
    Image rgb = load(PngFile().ihdr(1, 1, 16, 2).idat({0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}).iend().bytes);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(rgb->pixels[0], 0x9A);
    EXPECT_EQ(rgb->pixels[1], 0x56);
    EXPECT_EQ(rgb->pixels[2], 0x12);

    // Sub across 16-bit grey: 0x12FF then 0x1301 (stored 0x01, 0x02): the high bytes come out exact
    // without the low bytes being reconstructed.
    Image grey = load(PngFile().ihdr(2, 1, 16, 0).idat({1, 0x12, 0xFF, 0x01, 0x02}).iend().bytes);
    ASSERT_TRUE(grey);
    EXPECT_EQ(indexAt(*grey, 0, 0), 0x12);
    EXPECT_EQ(indexAt(*grey, 1, 0), 0x13);

    // RGBA 16-bit with Paeth over two rows, alpha 0xFFxx keeps the colour.
    Image rgba = load(PngFile()
                          .ihdr(1, 2, 16, 6)
                          .idat({0, 0x10, 1, 0x20, 2, 0x30, 3, 0xFF, 0, 4, 0x01, 9, 0x02, 9, 0x03, 9, 0x00, 0})
                          .iend()
                          .bytes);
    ASSERT_TRUE(rgba);
    EXPECT_EQ(pixelAt(*rgba, 0, 1), (Rgb{0x11, 0x22, 0x33}));
}

TEST(PngDecoder, Compositing) {
    std::vector<std::uint8_t> t(kBlendTableBytes);
    buildBlendTable(t.data());
    auto blend = [&](unsigned c, unsigned a, unsigned bg) { return static_cast<std::uint8_t>(t[c * 256 + a] + t[bg * 256 + 255 - a]); };

    // RGBA: alpha 0 over the default background is white, alpha 255 keeps its colour, alpha 128
    // blends through the table.
    Image rgba = load(PngFile().ihdr(3, 1, 8, 6).idat({0, 10, 20, 30, 0, 10, 20, 30, 255, 10, 20, 30, 128}).iend().bytes);
    ASSERT_TRUE(rgba);
    EXPECT_EQ(pixelAt(*rgba, 0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixelAt(*rgba, 1, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(pixelAt(*rgba, 2, 0), (Rgb{blend(10, 128, 255), blend(20, 128, 255), blend(30, 128, 255)}));

    // RGBA onto a bKGD colour (an 8-bit image takes the low bytes of its 16-bit values).
    Image onBkgd = load(PngFile()
                            .ihdr(1, 1, 8, 6)
                            .chunk("bKGD", {0, 200, 0, 100, 0, 50})
                            .idat({0, 10, 20, 30, 64})
                            .iend()
                            .bytes);
    ASSERT_TRUE(onBkgd);
    EXPECT_EQ(pixelAt(*onBkgd, 0, 0), (Rgb{blend(10, 64, 200), blend(20, 64, 100), blend(30, 64, 50)}));

    // Grey + alpha stays 8-bit grey; the background is the bKGD grey level.
    Image ga = load(PngFile().ihdr(2, 1, 8, 4).chunk("bKGD", {0, 40}).idat({0, 100, 128, 100, 255}).iend().bytes);
    ASSERT_TRUE(ga);
    EXPECT_EQ(ga->header.biBitCount, 8);
    EXPECT_EQ(indexAt(*ga, 0, 0), blend(100, 128, 40));
    EXPECT_EQ(indexAt(*ga, 1, 0), 100);

    // Palette: tRNS makes entry 0 transparent, bKGD names entry 3: entry 0 takes entry 3's colour.
    const Bytes plte = {1, 2, 3, 4, 5, 6, 7, 8, 9, 90, 80, 70};
    Image pal = load(PngFile()
                         .ihdr(2, 1, 8, 3)
                         .chunk("PLTE", plte)
                         .chunk("tRNS", {0, 128})
                         .chunk("bKGD", {3})
                         .idat({0, 0, 1})
                         .iend()
                         .bytes);
    ASSERT_TRUE(pal);
    EXPECT_EQ(pixelAt(*pal, 0, 0), (Rgb{90, 80, 70}));
    EXPECT_EQ(pal->palette[1].rgbRed, blend(4, 128, 90));
    EXPECT_EQ(pal->palette[2].rgbRed, 7);  // not listed in tRNS: opaque

    // tRNS longer than the palette is ignored.
    Image longTrns = load(PngFile().ihdr(1, 1, 8, 3).chunk("PLTE", {1, 2, 3}).chunk("tRNS", {0, 0}).idat({0, 0}).iend().bytes);
    ASSERT_TRUE(longTrns);
    EXPECT_EQ(pixelAt(*longTrns, 0, 0), (Rgb{1, 2, 3}));

    // 1-bit grey with tRNS level 1: entry 1 is the background (white), entry 0 stays black.
    Image bw = load(PngFile().ihdr(2, 1, 1, 0).chunk("bKGD", {0, 0}).chunk("tRNS", {0, 1}).idat({0, 0x40}).iend().bytes);
    ASSERT_TRUE(bw);
    EXPECT_EQ(pixelAt(*bw, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(*bw, 1, 0), (Rgb{0, 0, 0}));  // transparent, onto the bKGD level 0
    Image twoBit = load(PngFile().ihdr(2, 1, 2, 0).chunk("tRNS", {0, 3}).chunk("bKGD", {0, 1}).idat({0, 0xC0}).iend().bytes);
    ASSERT_TRUE(twoBit);
    EXPECT_EQ(pixelAt(*twoBit, 0, 0), (Rgb{85, 85, 85}));  // level 3 transparent, bKGD level 1 = 85
    EXPECT_EQ(pixelAt(*twoBit, 1, 0), (Rgb{0, 0, 0}));

    // RGB with tRNS: only the exact colour becomes the background; 16-bit colours compare their
    // high bytes.
    Image rgb = load(PngFile().ihdr(2, 1, 8, 2).chunk("tRNS", {0, 1, 0, 2, 0, 3}).idat({0, 1, 2, 3, 1, 2, 4}).iend().bytes);
    ASSERT_TRUE(rgb);
    EXPECT_EQ(pixelAt(*rgb, 0, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(pixelAt(*rgb, 1, 0), (Rgb{1, 2, 4}));
    Image rgb16 = load(PngFile()
                           .ihdr(1, 1, 16, 2)
                           .chunk("tRNS", {1, 0, 2, 0, 3, 0})
                           .idat({0, 1, 7, 2, 7, 3, 7})
                           .iend()
                           .bytes);
    ASSERT_TRUE(rgb16);
    EXPECT_EQ(pixelAt(*rgb16, 0, 0), (Rgb{255, 255, 255}));

    // bKGD and tRNS after IDAT, or with a bad CRC, are ignored.
    Image late = load(PngFile().ihdr(1, 1, 8, 2).idat({0, 1, 2, 3}).chunk("tRNS", {0, 1, 0, 2, 0, 3}).iend().bytes);
    ASSERT_TRUE(late);
    EXPECT_EQ(pixelAt(*late, 0, 0), (Rgb{1, 2, 3}));
    Image badCrc = load(PngFile()
                            .ihdr(1, 1, 8, 6)
                            .chunk("bKGD", {0, 0, 0, 0, 0, 0}, false)
                            .idat({0, 1, 2, 3, 0})
                            .iend()
                            .bytes);
    ASSERT_TRUE(badCrc);
    EXPECT_EQ(pixelAt(*badCrc, 0, 0), (Rgb{255, 255, 255}));
}

TEST(PngDecoder, EveryFilterOnEveryFormatAndInterlacedTwinsGiveTheSamePixels) {
    // The same samples stored unfiltered and without interlace, with the filter types mixed and
    // each alone, and Adam7-interlaced likewise: all must decode alike.
    struct Format {
        int depth, type, channels;
    };
    const Format formats[] = {{1, 0, 1}, {2, 3, 1}, {4, 0, 1}, {8, 0, 1}, {8, 3, 1}, {8, 2, 3}, {8, 4, 2},
                              {8, 6, 4}, {16, 0, 1}, {16, 2, 3}, {16, 4, 2}, {16, 6, 4}};
    std::uint32_t seed = 12345;
    auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (const Format& f : formats) {
        for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}, std::pair{9, 11}, std::pair{37, 6}}) {
            SampleImage s{w, h, f.channels, f.depth, {}};
            const std::uint32_t limit = f.depth == 16 ? 65536 : 1u << f.depth;
            for (int y = 0; y < h; ++y) {
                s.rows.emplace_back();
                // Smooth runs with noise, so every predictor wins somewhere.
                for (int i = 0; i < w * f.channels; ++i) s.rows.back().push_back((next() % 4 == 0 ? next() : 7 * i + 3 * y) % limit);
            }
            Bytes plte;
            for (int i = 0; f.type == 3 && i < 3 * (1 << f.depth); ++i) plte.push_back(static_cast<std::uint8_t>(next()));
            auto build = [&](bool adam7, int filters) {
                PngFile file = PngFile().ihdr(w, h, f.depth, f.type, adam7 ? 1 : 0);
                if (f.type == 3) file.chunk("PLTE", plte);
                return file.idat(s.filtered(adam7, filters)).iend().bytes;
            };
            Image plain = load(build(false, -1));
            ASSERT_TRUE(plain) << f.depth << "/" << f.type << " " << w << "x" << h;
            const std::uint32_t bytes = imageBytes(w, h, plain->header.biBitCount);
            for (bool adam7 : {false, true}) {
                for (int filters = adam7 ? -1 : 0; filters < 10; ++filters) {
                    Image other = load(build(adam7, filters));
                    ASSERT_TRUE(other);
                    EXPECT_EQ(std::memcmp(plain->pixels, other->pixels, bytes), 0)
                        << f.depth << "/" << f.type << " " << w << "x" << h << " adam7 " << adam7 << " filters " << filters;
                    EXPECT_EQ(std::memcmp(plain->palette, other->palette, sizeof plain->palette), 0);
                }
            }
            if (f.type == 2) {
                EXPECT_EQ(pixelAt(*plain, w - 1, h - 1).b, s.rows[h - 1][3 * w - 1] >> (f.depth - 8));
            }
        }
    }
}

TEST(PngDecoder, ShortStreamLeavesRemainingRowsBlack) {
    // A complete stream with one row fewer than the image: the bottom row stays black.
    Image image = load(PngFile().ihdr(2, 3, 8, 2).idat({0, 9, 9, 9, 9, 9, 9, 2, 0, 0, 0, 0, 0, 0}).iend().bytes);
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 1, 1), (Rgb{9, 9, 9}));
    EXPECT_EQ(pixelAt(*image, 0, 2), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(*image, 1, 2), (Rgb{0, 0, 0}));
}

TEST(PngDecoder, RowTheStreamEndsInsideKeepsTheRowAboveBehindIt) {
    // A complete stream that stops two bytes into a row (filter byte and one sample): the rest of
    // the row is what a one-row buffer still held, the row above, and the row's filter runs over it.
    // Up: 5 + 10, then (20 + 20), (30 + 30), (40 + 40).
    Image small = load(PngFile().ihdr(4, 3, 8, 0).idat({0, 10, 20, 30, 40, 2, 5}).iend().bytes);
    ASSERT_TRUE(small);
    const int want[4] = {15, 40, 60, 80};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(indexAt(*small, x, 1), want[x]) << x;
    EXPECT_EQ(indexAt(*small, 0, 2), 0);

    // The same where the cut row is the first of a new inflate block (rows of 64 KiB).
    const int w = 65535;
    Bytes rows;
    for (int y = 0; y < 2; ++y) {
        rows.push_back(0);
        for (int x = 0; x < w; ++x) rows.push_back(static_cast<std::uint8_t>(x * 7 + y));
    }
    rows.insert(rows.end(), {2, 5});
    Image large = load(PngFile().ihdr(w, 4, 8, 0).idat(rows).iend().bytes);
    ASSERT_TRUE(large);
    EXPECT_EQ(indexAt(*large, 0, 2), static_cast<std::uint8_t>(5 + 1));
    for (int x : {1, 2, 1000, w - 1}) EXPECT_EQ(indexAt(*large, x, 2), static_cast<std::uint8_t>(2 * (x * 7 + 1))) << x;
    EXPECT_EQ(indexAt(*large, 5, 3), 0);
}

TEST(PngDecoder, LoadsFromFileWithSizeAndTime) {
    TempDir dir;
    const Bytes file = greyHeader().idat(kGreyRows).iend().bytes;
    const WideString path = dir.write(u"grey.png", file);
    ImageSource source;
    Image image(loadPng(source, path), freeImageData);
    discard(source);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->sourceFileSize, file.size());
    EXPECT_NE(image->lastWriteTime.dwLowDateTime | image->lastWriteTime.dwHighDateTime, 0u);

    ImageSource missing;
    EXPECT_EQ(loadPng(missing, dir.file(u"none.png")), nullptr);
    EXPECT_EQ(missing.status, CodecStatus::BadFile);
}

}  // namespace
