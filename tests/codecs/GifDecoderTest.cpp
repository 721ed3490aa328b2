#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "GifFixtures.h"
#include "support/TempDir.h"

using namespace giftest;

namespace {

// 3 x 2 picture, indexes 0 1 2 / 3 0 1, global table of 4 entries.
Bytes smallFile(const char* version = "89a") {
    Bytes f = header(3, 2, 2, 0, version);
    descriptor(f, 0, 0, 3, 2);
    imageData(f, 2, packCodes({4, 0, 1, 2, 3, 0, 1, 5}, 2));
    f.push_back(0x3B);
    return f;
}

TEST(GifDecoder, ReadsFirstImageBottomUpWithPalette) {
    for (const char* version : {"87a", "89a"}) {
        SCOPED_TRACE(version);
        const Bytes file = smallFile(version);
        Decoded d = decode(file);
        ASSERT_TRUE(d) << d.status;
        const BITMAPINFOHEADER& h = d.image->header;
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, 3);
        EXPECT_EQ(h.biHeight, 2);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, 8);
        EXPECT_EQ(h.biCompression, 0u);
        EXPECT_EQ(h.biClrUsed, 0u);
        EXPECT_EQ(h.biXPelsPerMeter, 0);
        EXPECT_EQ(d.image->sourceFormat, ImageFormat::Gif);
        EXPECT_EQ(d.image->sourceBitDepth, 2u);
        EXPECT_EQ(d.image->sourceFileSize, file.size());
        // The top picture row is the last buffer row; rows are padded to 4 bytes with zeros.
        const std::uint8_t* px = d.image->pixels;
        EXPECT_EQ(Bytes(px, px + 8), (Bytes{3, 0, 1, 0, 0, 1, 2, 0}));
        // Palette from the table's RGB triples; entries beyond the table are zero.
        EXPECT_EQ(d.image->palette[3].rgbRed, 3);
        EXPECT_EQ(d.image->palette[3].rgbGreen, 6);
        EXPECT_EQ(d.image->palette[3].rgbBlue, 9);
        EXPECT_EQ(d.image->palette[3].rgbReserved, 0);
        EXPECT_EQ(d.image->palette[4].rgbRed + d.image->palette[255].rgbBlue, 0);
    }
}

TEST(GifDecoder, RejectsBrokenStructureWithItsCode) {
    const Bytes base = header(4, 4, 1);
    auto withImage = [](Bytes f) {
        descriptor(f, 0, 0, 2, 2);
        imageData(f, 2, packCodes({4, 0, 1, 1, 0, 5}, 2));
        f.push_back(0x3B);
        return f;
    };
    auto cut = [](Bytes f, std::size_t n) {
        f.resize(n);
        return f;
    };
    auto patched = [](Bytes f, std::size_t at, std::uint8_t v) {
        f[at] = v;
        return f;
    };
    const Bytes good = withImage(base);
    const std::size_t desc = findDescriptor(good);
    Bytes noTable = withImage(header(4, 4, 0));
    Bytes localPastEnd = base;
    localPastEnd.insert(localPastEnd.end(), {0x2C, 0, 0, 0, 0, 2, 0, 2, 0, 0x87, 1, 2, 3});
    Bytes emptyData = base;
    descriptor(emptyData, 0, 0, 2, 2);
    append(emptyData, {2, 0, 0x3B});
    Bytes subBlockPastEnd = base;
    descriptor(subBlockPastEnd, 0, 0, 2, 2);
    append(subBlockPastEnd, {2, 10, 1, 2, 3});
    Bytes commentPastEnd = base;
    append(commentPastEnd, {0x21, 0xFE, 5, 'a', 'b'});
    Bytes onlyExtensions = base;
    append(onlyExtensions, {0x21, 0xFE, 1, 'a', 0});
    graphicControl(onlyExtensions, false, 0);
    Bytes shortControl = base;
    append(shortControl, {0x21, 0xF9, 4, 1, 0});
    Bytes shortApplication = base;
    append(shortApplication, {0x21, 0xFF, 11, 'N', 'E', 'T'});

    const struct {
        const char* name;
        Bytes file;
        CodecStatus expected;
    } cases[] = {
        {"bad version", patched(good, 5, 'b'), CodecStatus::Damaged},
        {"bad signature", patched(good, 0, 'P'), CodecStatus::Damaged},
        {"shorter than the screen descriptor", cut(good, 12), CodecStatus::Damaged},
        {"zero screen width", patched(patched(good, 6, 0), 7, 0), CodecStatus::BadHeader},
        {"zero screen height", patched(patched(good, 8, 0), 9, 0), CodecStatus::BadHeader},
        {"global table past the end", cut(header(4, 4, 8), 13 + 700), CodecStatus::Damaged},
        {"trailer before any image", [&] { Bytes f = base; f.push_back(0x3B); return f; }(), CodecStatus::Damaged},
        {"end of data before any image", onlyExtensions, CodecStatus::Damaged},
        {"unknown extension label", [&] { Bytes f = base; append(f, {0x21, 0x02, 0}); return withImage(f); }(),
         CodecStatus::BadFile},
        {"unknown block introducer", [&] { Bytes f = base; f.push_back(0x00); return withImage(f); }(),
         CodecStatus::BadFile},
        {"image right of the screen", patched(good, desc + 1, 3), CodecStatus::Damaged},
        {"image below the screen", patched(good, desc + 3, 3), CodecStatus::Damaged},
        {"no colour table", noTable, CodecStatus::Damaged},
        {"local table past the end", localPastEnd, CodecStatus::Damaged},
        {"minimum code size 1", patched(good, desc + 10, 1), CodecStatus::Damaged},
        {"minimum code size 9", patched(good, desc + 10, 9), CodecStatus::Damaged},
        {"empty image data", emptyData, CodecStatus::Damaged},
        {"sub-block past the end", subBlockPastEnd, CodecStatus::Damaged},
        {"comment past the end", commentPastEnd, CodecStatus::Damaged},
        {"graphic control past the end", shortControl, CodecStatus::Damaged},
        {"application block past the end", shortApplication, CodecStatus::Damaged},
    };
    ASSERT_TRUE(decode(good));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Decoded d = decode(c.file);
        EXPECT_FALSE(d);
        EXPECT_EQ(d.status, c.expected);
    }
}

// A file with every kind of block before its image; each cut before the data terminator is damage.
TEST(GifDecoder, EveryTruncationFailsCleanly) {
    Bytes f = header(5, 4, 3, 2);
    append(f, {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
    append(f, {0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0});
    append(f, {0x21, 0x01, 12, 0, 0, 0, 0, 4, 0, 4, 0, 1, 1, 0, 1, 2, 'h', 'i', 0});
    graphicControl(f, true, 1);
    descriptor(f, 1, 1, 3, 2, true, 2);
    imageData(f, 2, packCodes({4, 0, 1, 2, 3, 6, 5}, 2), 2);
    const std::size_t complete = f.size();
    f.push_back(0x3B);
    for (std::size_t n = 1; n <= f.size(); ++n) {
        SCOPED_TRACE(n);
        Decoded d = decode(Bytes(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(n)));
        if (n < complete) {
            EXPECT_FALSE(d);
            EXPECT_EQ(d.status, CodecStatus::Damaged);
        } else {
            EXPECT_TRUE(d);
        }
    }
}

TEST(GifDecoder, ImageSmallerThanScreenHasBackgroundAround) {
    for (bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced);
        // A 2 x 3 image at (3, 1) on a 6 x 5 screen; background index 5.
        Bytes f = header(6, 5, 3, 5);
        descriptor(f, 3, 1, 2, 3, interlaced);
        // Decoded rows: (0 1) (2 3) (4 6).
        imageData(f, 3, packCodes({8, 0, 1, 2, 3, 4, 6, 9}, 3));
        Decoded d = decode(f);
        ASSERT_TRUE(d) << d.status;
        ASSERT_EQ(d.width(), 6u);
        ASSERT_EQ(d.height(), 5u);
        // Interlaced, picture rows 0, 1, 2 come from decoded rows 0, 2, 1.
        const int rows[3][2] = {{0, 1}, {interlaced ? 4 : 2, interlaced ? 6 : 3}, {interlaced ? 2 : 4, interlaced ? 3 : 6}};
        for (std::uint32_t y = 0; y < 5; ++y)
            for (std::uint32_t x = 0; x < 6; ++x) {
                const bool inside = y >= 1 && y < 4 && x >= 3 && x < 5;
                EXPECT_EQ(d.at(x, y), inside ? rows[y - 1][x - 3] : 5) << x << "," << y;
            }
        EXPECT_EQ(d.image->pixels[6] | d.image->pixels[7], 0);  // row padding
    }
}

TEST(GifDecoder, InterlacedRowsOfHeightTen) {
    // One pixel per row; decoded row r holds index r.
    Bytes f = header(1, 10, 4);
    descriptor(f, 0, 0, 1, 10, true);
    imageData(f, 4, packCodes({16, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 17}, 4));
    Decoded d = decode(f);
    ASSERT_TRUE(d) << d.status;
    // Picture rows 0, 8 from decoded rows 0, 1; row 4 from 2; rows 2, 6 from 3, 4; odd rows from 5-9.
    const int expected[10] = {0, 5, 3, 6, 2, 7, 4, 8, 1, 9};
    for (std::uint32_t y = 0; y < 10; ++y) {
        EXPECT_EQ(d.at(0, y), expected[y]) << y;
        EXPECT_EQ(gifInterlacedRow(y, 10), static_cast<std::uint32_t>(expected[y]));
    }
}

TEST(GifDecoder, InterlacedRowMappingIsAPermutation) {
    for (std::uint32_t h = 1; h <= 40; ++h) {
        std::vector<int> seen(h, 0);
        for (std::uint32_t i = 0; i < h; ++i) {
            const std::uint32_t r = gifInterlacedRow(i, h);
            ASSERT_LT(r, h);
            ++seen[r];
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(h)) << h;
    }
}

TEST(GifDecoder, TransparentIndexTakesBackgroundColourOrWhite) {
    const struct {
        const char* name;
        unsigned globalBits, localBits;
        bool transparent;
        std::uint32_t expected;  // 0xRRGGBB of palette entry 2
    } cases[] = {
        // Global entry i is (i, 2i, 3i); local entry i is (255 - i, i, 7); background index 3.
        {"global table", 2, 0, true, 0x030609},
        {"local table only: white", 0, 2, true, 0xFFFFFF},
        {"local over global: the global background", 2, 2, true, 0x030609},
        {"flag off", 2, 2, false, 0xFD0207},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes f = header(2, 1, c.globalBits, 3);
        graphicControl(f, c.transparent, 2);
        descriptor(f, 0, 0, 2, 1, false, c.localBits);
        imageData(f, 2, packCodes({4, 2, 1, 5}, 2));
        Decoded d = decode(f);
        ASSERT_TRUE(d) << d.status;
        EXPECT_EQ(d.rgb(0, 0), c.expected);
        EXPECT_EQ(d.at(0, 0), 2);
        EXPECT_EQ(d.at(1, 0), 1);  // other entries untouched
        EXPECT_EQ(d.rgb(1, 0), c.localBits ? 0xFE0107u : 0x010203u);
    }
}

TEST(GifDecoder, LocalTableWinsAndSetsColourBits) {
    Bytes f = header(2, 1, 1);
    descriptor(f, 0, 0, 2, 1, false, 3);
    imageData(f, 3, packCodes({8, 5, 7, 9}, 3));
    Decoded d = decode(f);
    ASSERT_TRUE(d) << d.status;
    EXPECT_EQ(d.image->sourceBitDepth, 3u);  // the larger of global (1) and local (3)
    EXPECT_EQ(d.rgb(0, 0), 0xFA0507u);
    EXPECT_EQ(d.rgb(1, 0), 0xF80707u);
    EXPECT_EQ(d.image->palette[8].rgbRed, 0);  // beyond the local table: zero
}

TEST(GifDecoder, FirstFrameOfAnAnimation) {
    Bytes f = header(2, 2, 2);
    append(f, {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0});
    graphicControl(f, false, 0);
    descriptor(f, 0, 0, 2, 2);
    imageData(f, 2, packCodes({4, 1, 2, 3, 1, 5}, 2));
    // A second frame, then garbage: nothing behind the first image is read.
    graphicControl(f, false, 0);
    descriptor(f, 0, 0, 2, 2);
    imageData(f, 2, packCodes({4, 0, 0, 0, 0, 5}, 2));
    append(f, {0x99, 0x21, 0x02});
    Decoded d = decode(f);
    ASSERT_TRUE(d) << d.status;
    EXPECT_EQ(d.at(0, 0), 1);
    EXPECT_EQ(d.at(1, 0), 2);
    EXPECT_EQ(d.at(0, 1), 3);
    EXPECT_EQ(d.at(1, 1), 1);
}

TEST(GifDecoder, FullTableKeepsTwelveBitCodesWithoutClear) {
    // Root codes 0 1 2 3 0 1 ... fill entries 6 ... 4095 with pairs; then 12-bit codes go on
    // without a clear: 4095 = (1 2), 6 = (0 1), root 3.
    std::vector<unsigned> codes = {4};
    for (unsigned j = 0; j <= 4090; ++j) codes.push_back(j % 4);
    for (unsigned c : {4095u, 6u, 3u, 5u}) codes.push_back(c);
    Bytes f = header(64, 64, 2);
    descriptor(f, 0, 0, 64, 64);
    imageData(f, 2, packCodes(codes, 2));
    Decoded d = decode(f);
    ASSERT_TRUE(d) << d.status;
    for (std::uint32_t i = 0; i <= 4090; ++i) ASSERT_EQ(d.at(i % 64, i / 64), i % 4) << i;
    const int tail[5] = {1, 2, 0, 1, 3};
    for (std::uint32_t i = 4091; i < 4096; ++i) EXPECT_EQ(d.at(i % 64, i / 64), tail[i - 4091]) << i;
}

TEST(GifDecoder, DamagedLzwDataNeverFails) {
    const struct {
        const char* name;
        std::vector<unsigned> codes;
        Bytes expected;  // the 5 indexes of a 5 x 1 image
    } cases[] = {
        // A code beyond the next free one reads as the previous string plus its first byte.
        {"code past the table", {4, 1, 7, 5}, {1, 1, 1, 0, 0}},
        {"first code past the table", {4, 7, 2, 5}, {0, 2, 0, 0, 0}},
        {"end code first", {5, 1, 1}, {0, 0, 0, 0, 0}},
        {"no end code, data runs out", {4, 3, 2}, {3, 2, 0, 0, 0}},
        {"clear codes only", {4, 4, 4}, {0, 0, 0, 0, 0}},
        {"string crosses the end of the image", {4, 1, 2, 6, 7, 8, 5}, {1, 2, 1, 2, 2}},
        {"clear resets the table", {4, 1, 6, 4, 3, 6, 5}, {1, 1, 1, 3, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes f = header(5, 1, 2);
        descriptor(f, 0, 0, 5, 1);
        imageData(f, 2, packCodes(c.codes, 2));
        Decoded d = decode(f);
        ASSERT_TRUE(d) << d.status;
        EXPECT_EQ(Bytes(d.image->pixels, d.image->pixels + 5), c.expected);
    }
}

// Data far longer than width x height x 5 / 4 + 260 bytes is valid: the gather buffer is sized
// from the sub-blocks themselves.
TEST(GifDecoder, PoorlyCompressedDataStillLoads) {
    std::vector<unsigned> codes(2000, 4);  // clear codes, 3 bits each: 750 bytes for one pixel
    codes.push_back(2);
    codes.push_back(5);
    Bytes f = header(1, 1, 2);
    descriptor(f, 0, 0, 1, 1);
    imageData(f, 2, packCodes(codes, 2));
    Decoded d = decode(f);
    ASSERT_TRUE(d) << d.status;
    EXPECT_EQ(d.at(0, 0), 2);
}

TEST(GifDecoder, LoadsFromAFile) {
    TempDir dir;
    const Bytes file = smallFile();
    const WideString path = dir.write(u"small.gif", file);
    ImageSource source;
    ImageData* image = loadGif(source, path);
    ASSERT_NE(image, nullptr) << source.status;
    EXPECT_EQ(image->sourceFileSize, file.size());
    EXPECT_EQ(image->pixels[4], 0);
    freeImageData(image);
    discard(source);

    ImageSource missing;
    EXPECT_EQ(loadGif(missing, dir.file(u"missing.gif")), nullptr);
    EXPECT_EQ(missing.status, CodecStatus::BadFile);
    discard(missing);
}

}  // namespace
