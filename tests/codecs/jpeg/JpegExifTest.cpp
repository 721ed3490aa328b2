#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "JpegTestSupport.h"
#include "codecs/jpeg/JpegCodec.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"

using namespace jpegtest;

namespace {

ImageData* decodeBytes(const std::uint8_t* data, std::size_t size) {
    JpegCodec codec;
    return loadFramedMemory(codec, data, size, decodeJpeg);
}

// A source file with the given EXIF, and a save of `image` that keeps it.
struct ExifSave {
    TempDir dir;
    WideString sourcePath;
    std::vector<std::uint8_t> source;
    WideString outputPath;
    std::vector<std::uint8_t> output;
    bool ok = false;

    ExifSave(const std::vector<std::uint8_t>& tiff, const Image& image, bool keepExif = true, bool hadExif = true,
             bool limit = false) {
        source = withSegment(encodeWithCodec(makeImage(50, 40)), 0xE1, exifPayload(tiff));
        sourcePath = dir.write(u"source.jpg", source);
        outputPath = dir.file(u"out.jpg");
        JpegSaveJob job;
        job.header = &image.header;
        job.pixels = image.pixels.data();
        job.quality = 90;
        job.keepExif = keepExif;
        job.sourceHadExif = hadExif;
        job.sourcePath = &sourcePath;
        job.resample = nearest;
        job.limitSize = limit;
        job.sizeLimitKiB = 1000;
        JpegCodec codec;
        ok = saveJpeg(codec, outputPath, job);
        output = readWholeFile(outputPath);
    }
};

struct Thumbnail {
    std::uint32_t offset = 0, length = 0;
    std::size_t lengthEntry = 0;
};
Thumbnail thumbnailOf(const TiffReader& tiff) {
    Thumbnail t;
    const std::uint32_t ifd1 = tiff.nextIfd(tiff.ifd0());
    if (ifd1 == 0 || ifd1 == 0xFFFFFFFF) return t;
    const std::size_t offsetEntry = tiff.entry(ifd1, 0x0201);
    t.lengthEntry = tiff.entry(ifd1, 0x0202);
    if (!offsetEntry || !t.lengthEntry) return t;
    t.offset = tiff.u32(offsetEntry + 8);
    t.length = tiff.u32(t.lengthEntry + 8);
    return t;
}

TEST(JpegExif, CopiedBlockResetsOrientationAndStatesTheWrittenSize) {
    for (const bool bigEndian : {false, true}) {
        for (const bool asShort : {true, false}) {
            ExifFixture params;
            params.bigEndian = bigEndian;
            params.dimensionsAsShort = asShort;
            params.withThumbnail = false;
            const Image image = makeImage(123, 45);
            ExifSave save(makeTiff(params), image);
            ASSERT_TRUE(save.ok);
            // The source stays as it was.
            EXPECT_EQ(readWholeFile(save.sourcePath), save.source);

            // SOI, then the EXIF APP1 directly: no JFIF segment.
            ASSERT_GE(save.output.size(), 12u);
            EXPECT_EQ(save.output[2], 0xFF);
            EXPECT_EQ(save.output[3], 0xE1);
            EXPECT_EQ(std::memcmp(save.output.data() + 6, "Exif\0\0", 6), 0);
            EXPECT_FALSE(hasSegment(save.output, 0xE0));

            const ExifView exif = exifOf(save.output);
            const TiffReader tiff{exif.tiff.data(), exif.tiff.size()};
            EXPECT_EQ(tiff.bigEndian(), bigEndian);
            const std::size_t orientation = tiff.entry(kIfd0, 0x0112);
            ASSERT_NE(orientation, 0u);
            EXPECT_EQ(tiff.u16(orientation + 8), 1u);
            for (const auto& [tag, value] : {std::pair{0xA002u, 123u}, std::pair{0xA003u, 45u}}) {
                const std::size_t e = tiff.entry(kExifIfd, tag);
                ASSERT_NE(e, 0u);
                EXPECT_EQ(tiff.u16(e + 2), 4u) << "LONG";
                EXPECT_EQ(tiff.u32(e + 4), 1u);
                EXPECT_EQ(tiff.u32(e + 8), value) << bigEndian << asShort;
            }
            // Without IFD1 the block is carried as it stands otherwise, with no thumbnail added.
            EXPECT_EQ(exif.segmentLength, makeTiff(params).size() + 8);
            EXPECT_EQ(tiff.nextIfd(kIfd0), 0u);
        }
    }
}

TEST(JpegExif, ThumbnailIsReplacedByOneOfTheWrittenImage) {
    struct Case {
        std::int32_t width, height, thumbWidth, thumbHeight;
    };
    const Case cases[] = {{400, 300, 160, 120}, {100, 50, 100, 50}, {90, 300, 48, 160}, {160, 160, 160, 160},
                          {320, 81, 160, 41}};
    for (const bool bigEndian : {false, true}) {
        for (const Case& c : cases) {
            ExifFixture params;
            params.bigEndian = bigEndian;
            params.trailer = std::vector<std::uint8_t>(50, 0x77);
            const Image image = makeImage(c.width, c.height, 2835, 2835);
            ExifSave save(makeTiff(params), image);
            ASSERT_TRUE(save.ok);
            const ExifView exif = exifOf(save.output);
            const TiffReader tiff{exif.tiff.data(), exif.tiff.size()};
            const Thumbnail t = thumbnailOf(tiff);
            ASSERT_EQ(t.offset, kThumbnail);
            EXPECT_EQ(t.lengthEntry + 8, kThumbnailLengthValue);
            // The segment ends with the new thumbnail: the old trailer is gone.
            EXPECT_EQ(exif.segmentLength, 2 + 6 + t.offset + t.length);
            ASSERT_EQ(exif.tiff.size(), t.offset + t.length);
            const std::vector<std::uint8_t> thumbnail(exif.tiff.begin() + t.offset, exif.tiff.end());
            ImageData* decoded = decodeBytes(thumbnail.data(), thumbnail.size());
            ASSERT_NE(decoded, nullptr);
            EXPECT_EQ(decoded->header.biWidth, c.thumbWidth);
            EXPECT_EQ(decoded->header.biHeight, c.thumbHeight);
            EXPECT_EQ(decoded->header.biXPelsPerMeter, 2835);
            freeImageData(decoded);
            // The thumbnail has a JFIF header and no EXIF of its own, 2 x 2 sampling, baseline.
            const auto segments = segmentsOf(thumbnail);
            EXPECT_TRUE(findSegment(segments, 0xE0));
            EXPECT_FALSE(findSegment(segments, 0xE1));
            const FrameInfo frame = frameOf(thumbnail);
            EXPECT_FALSE(frame.progressive);
            EXPECT_EQ(frame.lumaH, 2);
            EXPECT_EQ(frame.lumaV, 2);

            // The picture behind the segment is intact.
            ImageData* picture = decodeBytes(save.output.data(), save.output.size());
            ASSERT_NE(picture, nullptr);
            EXPECT_EQ(picture->header.biWidth, c.width);
            EXPECT_EQ(picture->header.biHeight, c.height);
            freeImageData(picture);
        }
    }
}

TEST(JpegExif, RefreshWorksAfterALimitModeSave) {
    ExifSave save(makeTiff({}), makeImage(200, 100), true, true, true);
    ASSERT_TRUE(save.ok);
    const ExifView exif = exifOf(save.output);
    const Thumbnail t = thumbnailOf(TiffReader{exif.tiff.data(), exif.tiff.size()});
    ASSERT_EQ(t.offset, kThumbnail);
    ImageData* decoded = decodeBytes(exif.tiff.data() + t.offset, t.length);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->header.biWidth, 160);
    EXPECT_EQ(decoded->header.biHeight, 80);
    freeImageData(decoded);
}

TEST(JpegExif, NoExifWrittenUnlessAskedAndPresent) {
    struct Case {
        bool keepExif, hadExif;
    };
    for (const Case c : {Case{false, true}, Case{true, false}}) {
        ExifSave save(makeTiff({}), makeImage(20, 20), c.keepExif, c.hadExif);
        ASSERT_TRUE(save.ok);
        const auto segments = segmentsOf(save.output);
        EXPECT_FALSE(findSegment(segments, 0xE1));
        EXPECT_TRUE(findSegment(segments, 0xE0));
    }
}

// Damaged or unusual blocks: the output is still written and decodes; the thumbnail is refreshed
// only where the block allows it.
TEST(JpegExif, DamagedBlocksNeverBreakTheOutput) {
    const std::vector<std::uint8_t> good = makeTiff({});
    auto mutate = [&](std::size_t at, std::vector<std::uint8_t> bytes) {
        std::vector<std::uint8_t> t = good;
        std::copy(bytes.begin(), bytes.end(), t.begin() + at);
        return t;
    };
    // The thumbnail at offset 65,400 leaves 127 bytes of room: no JPEG fits.
    ExifFixture nearEnd;
    nearEnd.thumbnail.assign(100, 0xAB);
    nearEnd.padding = 65400 - kThumbnail;
    struct Case {
        const char* name;
        std::vector<std::uint8_t> tiff;
        bool refreshed;
    };
    const Case cases[] = {
        {"intact", good, true},
        {"IFD0 beyond the segment", mutate(4, {0xFF, 0xFF, 0, 0}), false},
        {"huge entry count", mutate(kIfd0, {0xFF, 0xFF}), false},
        {"IFD1 beyond the segment", mutate(kIfd0 + 2 + 24, {0, 0, 1, 0}), false},
        {"thumbnail beyond the block", mutate(kIfd1 + 2 + 8, {0x00, 0x40, 0, 0}), false},
        {"no length tag", mutate(kIfd1 + 2 + 12, {0x03, 0x01}), false},
        {"length value inside the thumbnail", mutate(kIfd1 + 2 + 8, {8, 0, 0, 0}), false},
        {"unknown byte order", mutate(0, {'X', 'X'}), false},
        {"truncated header", std::vector<std::uint8_t>(good.begin(), good.begin() + 5), false},
        {"thumbnail near the segment end", makeTiff(nearEnd), false},
    };
    const Image image = makeImage(200, 150);
    for (const Case& c : cases) {
        ExifSave save(c.tiff, image);
        ASSERT_TRUE(save.ok) << c.name;
        ImageData* picture = decodeBytes(save.output.data(), save.output.size());
        ASSERT_NE(picture, nullptr) << c.name;
        EXPECT_EQ(picture->header.biWidth, 200) << c.name;
        freeImageData(picture);
        // Unrefreshed blocks are written as copied; only the orientation and size fields may differ.
        const ExifView exif = exifOf(save.output);
        EXPECT_EQ(exif.segmentLength, c.refreshed ? exif.segmentLength : c.tiff.size() + 8) << c.name;
        if (!c.refreshed) {
            ASSERT_EQ(exif.tiff.size(), c.tiff.size()) << c.name;
            if (c.tiff.size() > kThumbnail) {
                EXPECT_TRUE(std::equal(exif.tiff.begin() + kThumbnail, exif.tiff.end(), c.tiff.begin() + kThumbnail))
                    << c.name;
            }
        } else {
            EXPECT_NE(exif.tiff.size(), c.tiff.size()) << c.name;
        }
        // Nothing but the output is left in the folder.
        int files = 0;
        platform::listDirectory(save.dir.path().c_str(), [&](const platform::DirectoryEntry&) { ++files; });
        EXPECT_EQ(files, 2) << c.name;
    }
}

TEST(JpegExif, PatchDimensionsFollowsTheByteOrderAndStaysInBounds) {
    for (const bool bigEndian : {false, true}) {
        ExifFixture params;
        params.bigEndian = bigEndian;
        const std::vector<std::uint8_t> original = makeTiff(params);
        // Every length, including those that cut the block inside an IFD (an exact-size heap
        // block, so a read past n shows under ASan). PixelXDimension's entry ends at 64, Y's at 76.
        for (std::size_t n = 0; n <= original.size(); ++n) {
            auto block = std::make_unique<std::uint8_t[]>(n ? n : 1);
            std::memcpy(block.get(), original.data(), n);
            patchExifDimensions(block.get(), static_cast<std::uint32_t>(n), 4321, 2);
            const TiffReader tiff{block.get(), n};
            for (const auto& [tag, end, value] : {std::tuple{0xA002u, 64u, 4321u}, std::tuple{0xA003u, 76u, 2u}}) {
                const std::size_t e = kExifIfd + 2 + 12 * (tag - 0xA001);
                if (n >= end) {
                    EXPECT_EQ(tiff.u16(e + 2), 4u) << n;
                    EXPECT_EQ(tiff.u32(e + 4), 1u) << n;
                    EXPECT_EQ(tiff.u32(e + 8), value) << n;
                } else if (e < n) {
                    EXPECT_EQ(std::memcmp(block.get() + e, original.data() + e, std::min<std::size_t>(12, n - e)), 0) << n;
                }
            }
        }
    }
}

TEST(JpegExif, MarkerScanHooks) {
    const std::vector<std::uint8_t> jpeg = encodeWithCodec(makeImage(8, 8));
    ExifFixture params;
    params.orientation = 8;
    const std::vector<std::uint8_t> payload = exifPayload(makeTiff(params));
    const std::vector<std::uint8_t> other = {'X', 'M', 'P', 0, 1, 2};
    std::vector<std::uint8_t> file = withSegment(withSegment(jpeg, 0xE1, payload), 0xE1, other);

    JpegCodec codec;
    copyExifFromMemory(codec, file.data(), file.size());
    ASSERT_TRUE(codec.hasExif);
    ASSERT_NE(codec.exifBlock, nullptr);
    EXPECT_EQ(codec.exifSegmentLength, static_cast<std::int32_t>(payload.size() + 2));
    const TiffReader tiff{codec.exifBlock + 6, payload.size() - 6};
    EXPECT_EQ(tiff.u16(tiff.entry(kIfd0, 0x0112) + 8), 1u);

    // A segment running past the end stops the scan with 50004.
    std::vector<std::uint8_t> broken = {0xFF, 0xD8, 0xFF, 0xDB, 0x10, 0x00, 1, 2, 3};
    JpegCodec scan;
    scan.input = ByteReader(broken.data(), broken.data() + broken.size());
    scan.status = CodecStatus::Ok;
    EXPECT_EQ(scanJpegMarkers(scan, nullptr), 0u);
    EXPECT_EQ(scan.status, CodecStatus::BadFile);
    scan.input = ByteReader();
}

TEST(JpegExif, RewriteLeavesTheOutputAloneWhenItCannotApply) {
    TempDir dir;
    const std::vector<std::uint8_t> plain = encodeWithCodec(makeImage(16, 16));
    const WideString path = dir.write(u"plain.jpg", plain);
    std::vector<std::uint8_t> block = exifPayload(makeTiff({}));
    block.resize(65533);
    // No EXIF segment in the file.
    EXPECT_FALSE(rewriteExifSegment(path, block.data(), block.data() + 6 + kThumbnail, 10,
                                    block.data() + 6 + kThumbnailLengthValue, 0));
    EXPECT_EQ(readWholeFile(path), plain);
    // A segment that would exceed 65,535 bytes.
    const WideString withExif = dir.write(u"exif.jpg", withSegment(plain, 0xE1, exifPayload(makeTiff({}))));
    const std::vector<std::uint8_t> before = readWholeFile(withExif);
    EXPECT_FALSE(rewriteExifSegment(withExif, block.data(), block.data() + 6 + kThumbnail, 65500,
                                    block.data() + 6 + kThumbnailLengthValue, 0));
    EXPECT_EQ(readWholeFile(withExif), before);
    int files = 0;
    platform::listDirectory(dir.path().c_str(), [&](const platform::DirectoryEntry&) { ++files; });
    EXPECT_EQ(files, 2);
}

}  // namespace
