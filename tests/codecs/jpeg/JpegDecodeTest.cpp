#include <gtest/gtest.h>

#include "codecs/jpeg/JpegCodec.h"
#include "JpegTestSupport.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"

using namespace jpegtest;

namespace {

struct Loaded {
    ImageData* image = nullptr;
    CodecStatus status = CodecStatus::Ok;
    std::u16string message;
    bool hasExif = false;
    ~Loaded() { freeImageData(image); }
};

void decode(const std::vector<std::uint8_t>& bytes, Loaded& out) {
    JpegCodec codec;
    out.image = loadFramedMemory(codec, bytes.data(), bytes.size(), decodeJpeg);
    out.status = codec.status;
    out.message.assign(codec.libraryMessage.view());
    out.hasExif = codec.hasExif;
}

const std::uint8_t* pixelAt(const ImageData* image, int x, int yFromTop) {
    const auto stride = rowStride(image->header.biWidth, image->header.biBitCount);
    const int row = image->header.biHeight - 1 - yFromTop;
    return image->pixels + std::size_t{stride} * row + x * (image->header.biBitCount / 8);
}

// Halfway through the entropy-coded data of the first scan.
std::size_t middleOfFirstScan(const std::vector<std::uint8_t>& jpeg) {
    const auto sos = findSegment(segmentsOf(jpeg), 0xDA);
    if (!sos) return jpeg.size();
    const std::size_t data = sos->start + sos->length;
    std::size_t end = data;
    while (end + 1 < jpeg.size() && !(jpeg[end] == 0xFF && jpeg[end + 1] != 0 && (jpeg[end + 1] & 0xF8) != 0xD0)) ++end;
    return data + (end - data) / 2;
}

TEST(JpegDecode, GreyLoadsAsEightBitWithGreyPalette) {
    LibraryJpeg params;
    params.width = 5;  // stride 8
    params.height = 16;
    params.components = 1;
    params.colorSpace = JCS_GRAYSCALE;
    std::vector<std::uint8_t> samples(5 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 5; ++x) samples[y * 5 + x] = y < 8 ? 0 : 255;  // top half black
    Loaded got;
    decode(encodeWithLibrary(params, samples), got);
    ASSERT_NE(got.image, nullptr);
    const BITMAPINFOHEADER& h = got.image->header;
    EXPECT_EQ(h.biBitCount, 8);
    EXPECT_EQ(h.biWidth, 5);
    EXPECT_EQ(h.biHeight, 16);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(got.image->sourceBitDepth, 8u);
    EXPECT_EQ(got.image->sourceFormat, ImageFormat::Jpeg);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD& q = got.image->palette[i];
        ASSERT_TRUE(q.rgbBlue == i && q.rgbGreen == i && q.rgbRed == i && q.rgbReserved == 0) << i;
    }
    // Bottom-up: the top (black) half is at the end of the buffer; row padding stays zero.
    EXPECT_LE(pixelAt(got.image, 2, 1)[0], 2);
    EXPECT_GE(pixelAt(got.image, 2, 14)[0], 253);
    EXPECT_EQ(got.image->pixels[5], 0);
    EXPECT_EQ(got.image->pixels[7], 0);
}

TEST(JpegDecode, ColourLoadsBlueGreenRedBottomUp) {
    LibraryJpeg params;
    params.width = 16;
    params.height = 16;
    std::vector<std::uint8_t> samples(16 * 16 * 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            std::uint8_t* s = &samples[(y * 16 + x) * 3];
            // RGB order in the library's input: top half pure red, bottom half pure blue.
            s[0] = y < 8 ? 255 : 0;
            s[2] = y < 8 ? 0 : 255;
        }
    Loaded got;
    decode(encodeWithLibrary(params, samples), got);
    ASSERT_NE(got.image, nullptr);
    EXPECT_EQ(got.image->header.biBitCount, 24);
    EXPECT_EQ(got.image->sourceBitDepth, 24u);
    const std::uint8_t* top = pixelAt(got.image, 3, 2);
    const std::uint8_t* bottom = pixelAt(got.image, 3, 13);
    EXPECT_LT(top[0], 20);  // blue
    EXPECT_GT(top[2], 235);  // red
    EXPECT_GT(bottom[0], 235);
    EXPECT_LT(bottom[2], 20);
    // The first buffer row is the picture's bottom row.
    EXPECT_GT(got.image->pixels[0], 235);
}

TEST(JpegDecode, CmykUsesStoredInkValuesThroughTheProductTable) {
    struct Case {
        std::uint8_t c, m, y, k;
        std::uint8_t blue, green, red;
    };
    const Case cases[] = {
        {255, 255, 255, 255, 255, 255, 255},
        {0, 0, 0, 77, 0, 0, 0},
        {255, 0, 255, 255, 255, 0, 255},
        {200, 100, 50, 128, 25, 50, 100},  // floor(50*128/255)=25, floor(100*128/255)=50, floor(200*128/255)=100
    };
    for (const Case& c : cases) {
        LibraryJpeg params;
        params.width = 8;
        params.height = 8;
        params.components = 4;
        params.colorSpace = JCS_CMYK;
        params.jfif = false;
        std::vector<std::uint8_t> samples;
        for (int i = 0; i < 64; ++i) samples.insert(samples.end(), {c.c, c.m, c.y, c.k});
        Loaded got;
        decode(encodeWithLibrary(params, samples), got);
        ASSERT_NE(got.image, nullptr);
        EXPECT_EQ(got.image->header.biBitCount, 24);
        const std::uint8_t* p = pixelAt(got.image, 4, 4);
        EXPECT_EQ(p[0], c.blue) << int(c.c) << "," << int(c.m) << "," << int(c.y) << "," << int(c.k);
        EXPECT_EQ(p[1], c.green);
        EXPECT_EQ(p[2], c.red);
    }
}

TEST(JpegDecode, DensityBecomesPixelsPerMetre) {
    struct Case {
        int unit, x, y;
        LONG xPpm, yPpm;
    };
    const Case cases[] = {
        {1, 72, 72, 2835, 2835},
        {1, 300, 96, 11811, 3780},
        {2, 28, 40, 2800, 4000},
        {0, 1, 1, 0, 0},
        {0, 72, 72, 0, 0},
    };
    for (const Case& c : cases) {
        LibraryJpeg params;
        params.densityUnit = c.unit;
        params.xDensity = c.x;
        params.yDensity = c.y;
        Loaded got;
        decode(encodeWithLibrary(params, std::vector<std::uint8_t>(8 * 8 * 3, 128)), got);
        ASSERT_NE(got.image, nullptr);
        EXPECT_EQ(got.image->header.biXPelsPerMeter, c.xPpm) << c.unit << " " << c.x;
        EXPECT_EQ(got.image->header.biYPelsPerMeter, c.yPpm) << c.unit << " " << c.y;
    }
}

TEST(JpegDecode, TruncatedScanDataStillLoads) {
    const Image image = makeImage(64, 64);
    const std::vector<std::uint8_t> whole = encodeWithCodec(image, 90);
    ASSERT_FALSE(whole.empty());
    Loaded full;
    decode(whole, full);
    ASSERT_NE(full.image, nullptr);
    for (const bool progressive : {false, true}) {
        std::vector<std::uint8_t> jpeg = encodeWithCodec(image, 90, 0, progressive);
        jpeg.resize(middleOfFirstScan(jpeg));
        Loaded cut;
        decode(jpeg, cut);
        ASSERT_NE(cut.image, nullptr) << progressive << " " << utf16ToUtf8(cut.message);
        EXPECT_EQ(cut.image->header.biWidth, 64);
        EXPECT_EQ(cut.image->header.biHeight, 64);
        if (!progressive) {
            // The rows before the cut decode as in the whole file.
            EXPECT_EQ(std::memcmp(pixelAt(cut.image, 0, 0), pixelAt(full.image, 0, 0), 64 * 3), 0);
        }
    }
    // Only SOI and the tables left: no image at all is a library error.
    std::vector<std::uint8_t> headerOnly(whole.begin(), whole.begin() + 20);
    Loaded none;
    decode(headerOnly, none);
    EXPECT_EQ(none.image, nullptr);
    EXPECT_EQ(none.status, CodecStatus::Failure);
    EXPECT_FALSE(none.message.empty());
}

TEST(JpegDecode, LibraryErrorsKeepTheLibrarysMessage) {
    Loaded notJpeg;
    decode({'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8}, notJpeg);
    EXPECT_EQ(notJpeg.image, nullptr);
    EXPECT_EQ(notJpeg.status, CodecStatus::Failure);
    EXPECT_EQ(notJpeg.message, u"Not a JPEG file: starts with 0x42 0x4d");

    // A 12-bit frame header is not supported by an 8-bit build.
    std::vector<std::uint8_t> jpeg = encodeWithCodec(makeImage(8, 8));
    for (const Segment& s : segmentsOf(jpeg))
        if (s.marker == 0xC0) jpeg[s.start + 2] = 12;
    Loaded precision;
    decode(jpeg, precision);
    EXPECT_EQ(precision.image, nullptr);
    EXPECT_EQ(precision.status, CodecStatus::Failure);
    EXPECT_EQ(precision.message, u"Unsupported JPEG data precision 12");
}

// Frames whose pixel buffer would pass 4 GiB are refused from the header, before the library sets
// up its own buffers for them (for a progressive frame, gigabytes of coefficients).
TEST(JpegDecode, OversizedFramesAreRefusedFromTheHeader) {
    struct Case {
        bool progressive;
        int width, height;
    };
    for (const Case c : {Case{true, 65500, 65500}, Case{false, 30000, 50000}}) {
        std::vector<std::uint8_t> jpeg = encodeWithCodec(makeImage(16, 16), 75, 0, c.progressive);
        for (const Segment& s : segmentsOf(jpeg)) {
            if (s.marker != 0xC0 && s.marker != 0xC2) continue;
            jpeg[s.start + 3] = std::uint8_t(c.height >> 8);
            jpeg[s.start + 4] = std::uint8_t(c.height);
            jpeg[s.start + 5] = std::uint8_t(c.width >> 8);
            jpeg[s.start + 6] = std::uint8_t(c.width);
        }
        Loaded got;
        decode(jpeg, got);
        EXPECT_EQ(got.image, nullptr);
        EXPECT_EQ(got.status, CodecStatus::BadHeader) << c.width;
    }
}

TEST(JpegDecode, TwoComponentsAreUnsupported) {
    LibraryJpeg params;
    params.components = 2;
    params.colorSpace = JCS_UNKNOWN;
    params.jfif = false;
    Loaded got;
    decode(encodeWithLibrary(params, std::vector<std::uint8_t>(8 * 8 * 2, 90)), got);
    EXPECT_EQ(got.image, nullptr);
    EXPECT_EQ(got.status, CodecStatus::BadHeader);
}

TEST(JpegDecode, ReportsExifBeforeTheScanOnly) {
    const std::vector<std::uint8_t> plain = encodeWithCodec(makeImage(8, 8));
    const std::vector<std::uint8_t> exif = exifPayload(makeTiff({}));
    std::vector<std::uint8_t> other = {'h', 't', 't', 'p', ':', 0};
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool hasExif;
    };
    // EXIF behind a non-EXIF APP1, and EXIF appended after the image (behind SOS), which does not count.
    std::vector<std::uint8_t> afterScan = plain;
    afterScan.insert(afterScan.end(), {0xFF, 0xE1, 0, 10, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I'});
    const Case cases[] = {
        {"plain", plain, false},
        {"exif", withSegment(plain, 0xE1, exif), true},
        {"behind other APP1", withSegment(withSegment(plain, 0xE1, exif), 0xE1, other), true},
        {"after the scan", afterScan, false},
    };
    for (const Case& c : cases) {
        Loaded got;
        decode(c.bytes, got);
        ASSERT_NE(got.image, nullptr) << c.name;
        EXPECT_EQ(got.hasExif, c.hasExif) << c.name;
    }
}

TEST(JpegDecode, LoadJpegReadsTheFileAndItsSize) {
    TempDir dir;
    const std::vector<std::uint8_t> bytes = withSegment(encodeWithCodec(makeImage(30, 20)), 0xE1, exifPayload(makeTiff({})));
    const WideString path = dir.write(u"in.jpg", bytes);
    JpegCodec codec;
    ImageData* image = loadJpeg(codec, path);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->sourceFileSize, bytes.size());
    // The block says Orientation 6: the 30 x 20 stored picture is 20 x 30 upright.
    EXPECT_EQ(image->header.biWidth, 20);
    EXPECT_EQ(image->header.biHeight, 30);
    EXPECT_TRUE(codec.hasExif);
    EXPECT_FALSE(platform::isValid(codec.file));
    freeImageData(image);

    JpegCodec missing;
    EXPECT_EQ(loadJpeg(missing, dir.file(u"none.jpg")), nullptr);
    EXPECT_EQ(missing.status, CodecStatus::BadFile);
}

}  // namespace
