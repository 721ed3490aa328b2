#include <gtest/gtest.h>

#include <algorithm>

#include "JpegTestSupport.h"
#include "codecs/jpeg/JpegCodec.h"
#include "support/CodecPrinting.h"
#include "support/IccFixtures.h"
#include "support/TempDir.h"

using namespace jpegtest;
using namespace icctest;

namespace {

std::vector<std::uint8_t> profileOf(const IccProfile& p) {
    return p.bytes ? std::vector<std::uint8_t>(p.bytes, p.bytes + p.size) : std::vector<std::uint8_t>{};
}

// Decodes a JPEG in memory; the profile it carried (empty when none) and the pixels.
struct Decoded {
    bool ok = false;
    std::vector<std::uint8_t> profile;
    std::vector<std::uint8_t> pixels;
};
Decoded decode(const std::vector<std::uint8_t>& jpeg) {
    Decoded d;
    JpegCodec codec;
    ImageData* image = loadFramedMemory(codec, jpeg.data(), jpeg.size(), decodeJpeg);
    if (!image) return d;
    d.ok = true;
    d.profile = profileOf(image->iccProfile);
    d.pixels.assign(image->pixels, image->pixels + imageBytes(image->header.biWidth, image->header.biHeight,
                                                               image->header.biBitCount));
    freeImageData(image);
    return d;
}

// `jpeg` with the segments inserted after SOI, in the order given (the first ends up first).
std::vector<std::uint8_t> withSegments(std::vector<std::uint8_t> jpeg, std::uint8_t marker,
                                       const std::vector<std::vector<std::uint8_t>>& payloads) {
    for (auto it = payloads.rbegin(); it != payloads.rend(); ++it) jpeg = withSegment(jpeg, marker, *it);
    return jpeg;
}

// The APP2 ICC segments of a written file, in file order: sequence, count and data length.
struct IccSegment {
    std::size_t position, sequence, count, dataLength;
};
std::vector<IccSegment> iccSegmentsOf(const std::vector<std::uint8_t>& jpeg) {
    std::vector<IccSegment> out;
    for (const Segment& s : segmentsOf(jpeg)) {
        if (s.marker != 0xE2 || s.length < 16 || std::memcmp(jpeg.data() + s.start + 2, "ICC_PROFILE", 12) != 0)
            continue;
        out.push_back({s.start, jpeg[s.start + 14], jpeg[s.start + 15], s.length - 16u});
    }
    return out;
}

TEST(JpegIcc, ReadsProfilesAndDropsMalformedOnes) {
    const std::vector<std::uint8_t> plain = encodeWithCodec(makeImage(40, 30));
    const std::vector<std::uint8_t> profile = makeProfile(5000, 7);
    auto pieces = iccSegments(profile, 2000);  // three segments
    ASSERT_EQ(pieces.size(), 3u);
    auto corrupt = [](std::vector<std::uint8_t> p, std::size_t at, std::uint8_t v) {
        p[at] = v;
        return p;
    };
    std::vector<std::uint8_t> badSize = profile;
    badSize[3] ^= 1;  // declared size one off
    std::vector<std::uint8_t> noSignature = profile;
    noSignature[36] = 'x';
    const std::vector<std::uint8_t> mpf = {'M', 'P', 'F', 0, 1, 2, 3};

    struct Case {
        const char* name;
        std::vector<std::vector<std::uint8_t>> segments;
        bool kept;
    };
    const Case cases[] = {
        {"one segment", iccSegments(profile, 65519), true},
        {"three in order", pieces, true},
        {"three out of order", {pieces[2], pieces[0], pieces[1]}, true},
        {"beside another APP2", {mpf, pieces[0], pieces[1], pieces[2]}, true},
        {"a gap", {pieces[0], pieces[2]}, false},
        {"a duplicate", {pieces[0], pieces[1], pieces[1], pieces[2]}, false},
        {"counts disagree", {pieces[0], corrupt(pieces[1], 13, 4), pieces[2]}, false},
        {"sequence 0", {corrupt(pieces[0], 12, 0), pieces[1], pieces[2]}, false},
        {"count 0", {corrupt(iccSegments(profile, 65519)[0], 13, 0)}, false},
        {"declared size disagrees", iccSegments(badSize, 65519), false},
        {"no acsp signature", iccSegments(noSignature, 65519), false},
        {"header only", {{'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0}}, false},
    };
    const Decoded without = decode(plain);
    ASSERT_TRUE(without.ok);
    for (const Case& c : cases) {
        const Decoded d = decode(withSegments(plain, 0xE2, c.segments));
        // A bad profile is dropped, never a reason to refuse the image.
        ASSERT_TRUE(d.ok) << c.name;
        EXPECT_EQ(d.profile, c.kept ? profile : std::vector<std::uint8_t>{}) << c.name;
        EXPECT_EQ(d.pixels, without.pixels) << c.name;
    }

    // A segment running past the end of a cut-off file is never read past.
    std::vector<std::uint8_t> cut = withSegments(plain, 0xE2, iccSegments(profile, 65519));
    cut.resize(2 + 4 + 1000);
    ImageData* image = nullptr;
    {
        JpegCodec codec;
        image = loadFramedMemory(codec, cut.data(), cut.size(), decodeJpeg);
    }
    if (image) {
        EXPECT_EQ(image->iccProfile.bytes, nullptr);
    }
    freeImageData(image);
}

TEST(JpegIcc, ProfileRecordRefusesWhatIsNotAProfile) {
    IccProfile p{};
    const std::vector<std::uint8_t> good = makeProfile(200);
    EXPECT_TRUE(setIccProfile(p, good.data(), good.size(), "sRGB", 4));
    EXPECT_STREQ(iccProfileName(p), "sRGB");
    std::vector<std::uint8_t> tagOutside = good;
    put32(tagOutside, 140, 57);  // the tag's data one byte past the end
    std::vector<std::uint8_t> manyTags = good;
    put32(manyTags, 128, 0x20000000);
    std::vector<std::uint8_t> huge = makeProfile(kIccProfileLimit + 4);
    for (const std::vector<std::uint8_t>* bad : {&tagOutside, &manyTags, &huge}) {
        EXPECT_FALSE(setIccProfile(p, bad->data(), bad->size()));
        EXPECT_FALSE(hasIccProfile(p));
    }
    EXPECT_FALSE(setIccProfile(p, good.data(), 131));
    EXPECT_STREQ(iccProfileName(p), kIccNeutralName);
    freeIccProfile(p);
}

// A save of `image` through saveJpeg with the profile, optionally keeping the EXIF of a source.
struct IccSave {
    TempDir dir;
    WideString sourcePath;
    WideString outputPath;
    std::vector<std::uint8_t> output;
    bool ok = false;

    IccSave(const Image& image, const std::vector<std::uint8_t>& profileBytes, bool withExif, bool limit = false,
            std::int32_t limitKiB = 100, bool progressive = false) {
        IccProfile profile{};
        if (!profileBytes.empty()) setIccProfile(profile, profileBytes.data(), profileBytes.size());
        sourcePath = dir.write(u"source.jpg", withSegment(encodeWithCodec(makeImage(50, 40)), 0xE1,
                                                           exifPayload(makeTiff({}))));
        outputPath = dir.file(u"out.jpg");
        JpegSaveJob job;
        job.header = &image.header;
        job.pixels = image.pixels.data();
        job.quality = 90;
        job.progressive = progressive;
        job.keepExif = withExif;
        job.sourceHadExif = withExif;
        job.sourcePath = &sourcePath;
        job.limitSize = limit;
        job.sizeLimitKiB = limitKiB;
        job.iccProfile = &profile;
        job.resample = nearest;
        JpegCodec codec;
        ok = saveJpeg(codec, outputPath, job);
        output = readWholeFile(outputPath);
        freeIccProfile(profile);
    }
};

TEST(JpegIcc, WrittenBehindTheExifInSegmentsOfAtMost65519Bytes) {
    const Image image = makeImage(120, 90);
    struct Case {
        std::uint32_t size;
        std::vector<std::size_t> pieces;
    };
    const Case cases[] = {{3000, {3000}}, {65519, {65519}}, {65520, {65519, 1}}, {140000, {65519, 65519, 8962}}};
    for (const bool exif : {false, true}) {
        for (const bool limit : {false, true}) {
            const IccSave without(image, {}, exif, limit, 1000);
            ASSERT_TRUE(without.ok);
            const Decoded reference = decode(without.output);
            for (const Case& c : cases) {
                const std::vector<std::uint8_t> profile = makeProfile(c.size, c.size);
                const IccSave save(image, profile, exif, limit, 1000);
                ASSERT_TRUE(save.ok);
                const auto segments = segmentsOf(save.output);
                ASSERT_GE(segments.size(), 2u);
                // EXIF directly after SOI when kept, else JFIF; the profile right behind it.
                EXPECT_EQ(segments[0].marker, exif ? 0xE1 : 0xE0);
                const auto icc = iccSegmentsOf(save.output);
                ASSERT_EQ(icc.size(), c.pieces.size()) << c.size;
                for (std::size_t i = 0; i < icc.size(); ++i) {
                    EXPECT_EQ(icc[i].position, segments[1 + i].start);
                    EXPECT_EQ(icc[i].sequence, i + 1);
                    EXPECT_EQ(icc[i].count, c.pieces.size());
                    EXPECT_EQ(icc[i].dataLength, c.pieces[i]);
                }
                const Decoded d = decode(save.output);
                ASSERT_TRUE(d.ok);
                EXPECT_EQ(d.profile, profile);
                // The pixels are those of the same save without a profile.
                EXPECT_EQ(d.pixels, reference.pixels);
            }
        }
    }
}

TEST(JpegIcc, SizeLimitHoldsForTheWholeFileWithExifThumbnailAndProfile) {
    // A noisy picture, a source EXIF whose thumbnail is far smaller than the new one, and a profile
    // of two segments: the limit is for the file as written.
    const Image image = makeImage(640, 480, 2835, 2835, 3, 8);
    const std::vector<std::uint8_t> profile = makeProfile(90000, 5);
    for (const std::int32_t limitKiB : {110, 125, 150, 200, 300}) {
        const IccSave save(image, profile, true, true, limitKiB);
        ASSERT_TRUE(save.ok) << limitKiB;
        EXPECT_LE(save.output.size(), std::size_t(limitKiB) * 1024) << limitKiB;
        const Decoded d = decode(save.output);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.profile, profile);
        const ExifView exif = exifOf(save.output);
        const TiffReader tiff{exif.tiff.data(), exif.tiff.size()};
        const std::uint32_t ifd1 = tiff.nextIfd(tiff.ifd0());
        ASSERT_NE(ifd1, 0u);
        const std::uint32_t thumbnailLength = tiff.u32(tiff.entry(ifd1, 0x0202) + 8);
        // The thumbnail is the new 160 x 120 one, not the source's 300 bytes.
        EXPECT_GT(thumbnailLength, 300u);
        EXPECT_EQ(exif.segmentLength, 2 + 6 + kThumbnail + thumbnailLength);
    }
}

}  // namespace
