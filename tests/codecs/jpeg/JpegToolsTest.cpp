// What other programs read from our JPEG files: ImageMagick for the frame and JFIF settings,
// exiftool for the carried-over EXIF. Native only; skipped when the tools are not installed.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "JpegTestSupport.h"
#include "codecs/jpeg/JpegCodec.h"
#include "support/TempDir.h"

using namespace jpegtest;

namespace {

constexpr const char* kIdentify = "/usr/bin/identify-im6.q16";
constexpr const char* kExiftool = "/usr/bin/exiftool";

std::string run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        pclose(p);
    }
    return out;
}

std::string quoted(const WideString& path) { return "'" + path.toUtf8() + "'"; }

TEST(JpegTools, ImageMagickReadsSizeSamplingProgressionAndDensity) {
    if (access(kIdentify, X_OK) != 0) GTEST_SKIP() << "ImageMagick not installed";
    struct Case {
        std::int32_t subsampling;
        bool progressive;
        std::int32_t xPpm, yPpm;
        const char* expected;
    };
    const Case cases[] = {
        {0, false, 2835, 2835, "37 23 2x2,1x1,1x1 None 72 72 PixelsPerInch"},
        {1, true, 11811, 3780, "37 23 2x1,1x1,1x1 JPEG 300 96 PixelsPerInch"},
        {2, false, 0, 0, "37 23 1x1,1x1,1x1 None 72 72 Undefined"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const Image image = makeImage(37, 23, c.xPpm, c.yPpm);
        JpegCodec codec;
        setEncoderParameters(codec, 37, 23, c.xPpm, c.yPpm, 85, c.subsampling, c.progressive);
        const WideString path = dir.file(u"im.jpg");
        ASSERT_TRUE(encodeToFile(codec, path, image.pixels.data()));
        const std::string got =
            run(std::string(kIdentify) + " -format '%w %h %[jpeg:sampling-factor] %[interlace] %x %y %U' " + quoted(path));
        EXPECT_EQ(got, c.expected);
    }
}

TEST(JpegTools, ExiftoolReadsTheCarriedOverExif) {
    if (access(kExiftool, X_OK) != 0) GTEST_SKIP() << "exiftool not installed";
    for (const bool bigEndian : {false, true}) {
        TempDir dir;
        ExifFixture params;
        params.bigEndian = bigEndian;
        const WideString source = dir.write(
            u"source.jpg", withSegment(encodeWithCodec(makeImage(50, 40)), 0xE1, exifPayload(makeTiff(params))));
        const Image image = makeImage(400, 300, 2835, 2835);
        JpegSaveJob job;
        job.header = &image.header;
        job.pixels = image.pixels.data();
        job.keepExif = true;
        job.sourceHadExif = true;
        job.sourcePath = &source;
        job.resample = nearest;
        const WideString output = dir.file(u"out.jpg");
        JpegCodec codec;
        ASSERT_TRUE(saveJpeg(codec, output, job));

        const std::vector<std::uint8_t> written = readWholeFile(output);
        const ExifView exif = exifOf(written);
        const TiffReader tiff{exif.tiff.data(), exif.tiff.size()};
        const std::uint32_t thumbnailLength = tiff.u32(tiff.entry(tiff.nextIfd(kIfd0), 0x0202) + 8);
        const std::string expected = std::string("Orientation: 1\nExifImageWidth: 400\nExifImageHeight: 300\n") +
                                     "ThumbnailLength: " + std::to_string(thumbnailLength) + "\nExifByteOrder: " +
                                     (bigEndian ? "MM" : "II") + "\n";
        EXPECT_EQ(run(std::string(kExiftool) +
                      " -n -S -Orientation -ExifImageWidth -ExifImageHeight -ThumbnailLength -ExifByteOrder " +
                      quoted(output)),
                  expected);
        // The structure is sound: the only complaints concern tags our small fixture leaves out.
        const std::string warnings = run(std::string(kExiftool) + " -validate -warning -a -S " + quoted(output) +
                                         " | grep '^Warning' | grep -v 'Missing required'");
        EXPECT_EQ(warnings, "");
        if (access(kIdentify, X_OK) == 0) {
            EXPECT_EQ(run(std::string(kExiftool) + " -b -ThumbnailImage " + quoted(output) + " | " + kIdentify +
                          " -format '%w %h' -"),
                      "160 120");
        }
    }
}

}  // namespace

#endif
