#include <gtest/gtest.h>

#include <map>

#include "JpegTestSupport.h"
#include "codecs/jpeg/JpegCodec.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"

using namespace jpegtest;

namespace {

ImageData* decodeBytes(const std::vector<std::uint8_t>& bytes) {
    JpegCodec codec;
    return loadFramedMemory(codec, bytes.data(), bytes.size(), decodeJpeg);
}

void setFor(JpegCodec& codec, const Image& image, std::int32_t quality = 80, std::int32_t subsampling = 0,
            bool progressive = false) {
    setEncoderParameters(codec, image.header.biWidth, image.header.biHeight, image.header.biXPelsPerMeter,
                         image.header.biYPelsPerMeter, quality, subsampling, progressive);
}

TEST(JpegEncode, EncoderParameters) {
    struct Case {
        std::int32_t width, quality, subsampling;
        std::int32_t wantWidth;
        std::uint32_t wantStride;
        std::int32_t wantQuality, wantH, wantV;
    };
    const Case cases[] = {
        {1, 75, 0, 1, 4, 75, 2, 2},       {5, 100, 1, 5, 16, 100, 2, 1}, {4, 101, 2, 4, 12, 75, 1, 1},
        {-3, -1, 3, 0, 0, 75, 2, 2},      {7, 0, -1, 7, 24, 0, 2, 2},
    };
    for (const Case& c : cases) {
        JpegCodec codec;
        codec.hasExif = true;
        codec.exifSegmentLength = 40;
        codec.exifBlock = static_cast<std::uint8_t*>(platform::heapAlloc(38));
        codec.libraryMessage.assign(u"old");
        setEncoderParameters(codec, c.width, -2, 2835, 0, c.quality, c.subsampling, true);
        EXPECT_EQ(codec.width, c.wantWidth);
        EXPECT_EQ(codec.height, 0);
        EXPECT_EQ(codec.stride, c.wantStride);
        EXPECT_EQ(codec.quality, c.wantQuality) << c.quality;
        EXPECT_EQ(codec.lumaH, c.wantH) << c.subsampling;
        EXPECT_EQ(codec.lumaV, c.wantV) << c.subsampling;
        EXPECT_TRUE(codec.progressive);
        EXPECT_EQ(codec.xPelsPerMeter, 2835);
        EXPECT_FALSE(codec.hasExif);
        EXPECT_EQ(codec.exifBlock, nullptr);
        EXPECT_EQ(codec.exifSegmentLength, 0);
        EXPECT_TRUE(codec.libraryMessage.empty());
    }
}

TEST(JpegEncode, WrittenFilesCarryTheirSettings) {
    struct Case {
        std::int32_t subsampling;
        bool progressive;
        int lumaH, lumaV;
    };
    const Case cases[] = {{0, false, 2, 2}, {1, false, 2, 1}, {2, true, 1, 1}, {0, true, 2, 2}};
    const Image image = makeImage(37, 23, 2835, 2835);
    TempDir dir;
    for (const Case& c : cases) {
        JpegCodec codec;
        setFor(codec, image, 90, c.subsampling, c.progressive);
        const WideString path = dir.file(u"out.jpg");
        ASSERT_TRUE(encodeToFile(codec, path, image.pixels.data()));
        const std::vector<std::uint8_t> jpeg = readWholeFile(path);
        const FrameInfo frame = frameOf(jpeg);
        ASSERT_TRUE(frame.found);
        EXPECT_EQ(frame.progressive, c.progressive);
        EXPECT_EQ(frame.width, 37);
        EXPECT_EQ(frame.height, 23);
        EXPECT_EQ(frame.components, 3);
        EXPECT_EQ(frame.lumaH, c.lumaH) << c.subsampling;
        EXPECT_EQ(frame.lumaV, c.lumaV) << c.subsampling;

        // Decodes back to the picture, top row on top, with 2835 pixels per metre = 72 dpi.
        ImageData* back = decodeBytes(jpeg);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->header.biXPelsPerMeter, 2835);
        EXPECT_EQ(back->header.biYPelsPerMeter, 2835);
        int worst = 0;
        for (std::size_t i = 0; i < image.stride * 23; ++i)
            worst = std::max(worst, std::abs(int(back->pixels[i]) - int(image.pixels[i])));
        EXPECT_LT(worst, 64);
        freeImageData(back);
    }
}

TEST(JpegEncode, DensityFromPixelsPerMetre) {
    struct Case {
        std::int32_t x, y;
        int unit, xd, yd;
    };
    const Case cases[] = {{2835, 2835, 1, 72, 72}, {11811, 3780, 1, 300, 96}, {2835, 0, 0, 1, 1}, {0, 0, 0, 1, 1}};
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> jpeg = encodeWithCodec(makeImage(8, 8, c.x, c.y));
        const auto segments = segmentsOf(jpeg);
        const auto app0 = findSegment(segments, 0xE0);
        ASSERT_TRUE(app0);
        const std::uint8_t* p = jpeg.data() + app0->start;
        ASSERT_EQ(std::memcmp(p + 2, "JFIF", 5), 0);
        EXPECT_EQ(p[9], c.unit) << c.x;
        EXPECT_EQ(p[10] << 8 | p[11], c.xd) << c.x;
        EXPECT_EQ(p[12] << 8 | p[13], c.yd) << c.y;
    }
}

struct Trace {
    std::vector<std::int32_t> qualities;
    static void record(void* context, std::int32_t quality) { static_cast<Trace*>(context)->qualities.push_back(quality); }
};

TEST(JpegEncode, QualitySearchFrom80) {
    const Image image = makeImage(96, 64, 0, 0, 7, 8);  // noisy, so every quality step changes the size
    std::vector<std::uint8_t> buffer(image.stride * 64 + 65536);
    auto sizeAt = [&](std::int32_t quality) {
        JpegCodec codec;
        setFor(codec, image, quality);
        std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
        EXPECT_TRUE(encodeToMemory(codec, buffer.data(), size, ~0ull, image.pixels.data()));
        return std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + size);
    };
    std::map<std::int32_t, std::vector<std::uint8_t>> at;
    for (std::int32_t q : {1, 2, 3, 5, 10, 20, 40, 60, 61, 62, 63, 65, 70, 80}) at[q] = sizeAt(q);
    // The cases below rely on sizes growing with quality from 20 on, and on quality 1 being smallest.
    for (auto it = std::next(at.find(20)); it != at.end(); ++it)
        ASSERT_GT(it->second.size(), std::prev(it)->second.size()) << it->first;
    for (const auto& [q, bytes] : at) ASSERT_GE(bytes.size(), at[1].size()) << q;

    struct Case {
        const char* name;
        std::uint64_t limit;
        std::vector<std::int32_t> tried;
        std::int32_t result;
    };
    const Case cases[] = {
        {"first fits", at[80].size(), {80}, 80},
        {"settles at 60", at[60].size(), {80, 40, 60, 70, 65, 63, 62, 61, 60}, 60},
        {"nothing fits", at[1].size() - 1, {80, 40, 20, 10, 5, 3, 2, 1}, 1},
    };
    for (const Case& c : cases) {
        JpegCodec codec;
        setFor(codec, image, 80);
        Trace trace;
        codec.qualityObserver = Trace::record;
        codec.observerContext = &trace;
        std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
        ASSERT_TRUE(encodeToMemory(codec, buffer.data(), size, c.limit, image.pixels.data())) << c.name;
        EXPECT_EQ(trace.qualities, c.tried) << c.name;
        EXPECT_EQ(codec.quality, c.result) << c.name;
        // The outcome is the last encode, even when it is still too large.
        EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + size), at[c.result]) << c.name;
    }
}

TEST(JpegEncode, MemoryDestinationNeverWritesPastItsBuffer) {
    const Image image = makeImage(64, 64);
    const std::vector<std::uint8_t> at80 = encodeWithCodec(image, 80);
    const std::vector<std::uint8_t> at40 = encodeWithCodec(image, 40);
    ASSERT_LT(at40.size(), at80.size());
    struct Case {
        const char* name;
        std::int32_t quality;
        std::uint32_t capacity;
        bool ok;
    };
    const Case cases[] = {
        // Too small for quality 80 but enough for 40: the overflow counts as too large.
        {"search lands below", 80, static_cast<std::uint32_t>(at40.size()), true},
        // No search applies at quality 1, and nothing fits: failure.
        {"quality 1", 1, 100, false},
        {"nothing fits", 80, 100, false},
        {"empty buffer", 80, 0, false},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> buffer(c.capacity + 4096, 0xEE);
        JpegCodec codec;
        setFor(codec, image, c.quality);
        std::uint32_t size = c.capacity;
        EXPECT_EQ(encodeToMemory(codec, buffer.data(), size, ~0ull, image.pixels.data()), c.ok) << c.name;
        for (std::size_t i = c.capacity; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << c.name << " at " << i;
        if (c.ok) {
            EXPECT_LE(size, c.capacity);
            EXPECT_LT(codec.quality, 80);
            ImageData* back = decodeBytes(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + size));
            EXPECT_NE(back, nullptr);
            freeImageData(back);
        } else {
            EXPECT_EQ(codec.status, CodecStatus::Failure);
            EXPECT_EQ(codec.libraryMessage.view(), u"Buffer passed to JPEG library is too small");
            EXPECT_EQ(jpegSaveFailure(codec), JpegFailureDisplay::LibraryMessage);
        }
    }
}

TEST(JpegEncode, LimitModeWritesTheSearchedResult) {
    TempDir dir;
    struct Case {
        const char* name;
        std::int32_t width, height, limitKB;
        std::size_t encodes;  // 0: any number
    };
    const Case cases[] = {
        {"limit above the first result", 64, 48, 1000, 1},
        {"search", 200, 150, 2, 0},
        // A tiny image's JPEG is larger than its raw pixels; the buffer must still hold it.
        {"tiny image", 2, 2, 100, 1},
        {"limit 0 writes quality 1", 32, 32, 0, 10},
    };
    for (const Case& c : cases) {
        const Image image = makeImage(c.width, c.height);
        JpegCodec codec;
        setFor(codec, image, 75);
        Trace trace;
        codec.qualityObserver = Trace::record;
        codec.observerContext = &trace;
        const WideString path = dir.file(u"limit.jpg");
        ASSERT_TRUE(saveJpegWithLimit(codec, path, c.limitKB, image.pixels.data())) << c.name;
        const std::vector<std::uint8_t> written = readWholeFile(path);
        EXPECT_EQ(written, encodeWithCodec(image, codec.quality)) << c.name;
        if (c.encodes) {
            EXPECT_EQ(trace.qualities.size(), c.encodes) << c.name;
        }
        if (c.limitKB > 0) {
            EXPECT_LE(written.size(), std::size_t(c.limitKB) * 1024) << c.name;
        } else {
            EXPECT_EQ(codec.quality, 1);
        }
    }
}

TEST(JpegEncode, OutputThatCannotBeCreatedIs50005) {
    TempDir dir;
    const Image image = makeImage(16, 16);
    const WideString path = dir.file(u"no-such-folder/out.jpg");
    for (const bool limit : {false, true}) {
        JpegCodec codec;
        setFor(codec, image);
        const bool ok = limit ? saveJpegWithLimit(codec, path, 100, image.pixels.data())
                              : encodeToFile(codec, path, image.pixels.data());
        EXPECT_FALSE(ok);
        EXPECT_EQ(codec.status, CodecStatus::CannotCreate);
        EXPECT_EQ(jpegSaveFailure(codec), JpegFailureDisplay::StatusMessage);
    }
}

#ifdef _WIN32
// Another program holds the output open without sharing: 50005, and its file stays as it was.
TEST(JpegEncode, LockedOutputIs50005) {
    TempDir dir;
    const WideString path = dir.write(u"locked.jpg", {1, 2, 3});
    const platform::FileHandle lock = platform::openForReadWrite(path.c_str(), platform::Create::existingOnly);
    ASSERT_TRUE(platform::isValid(lock));
    const Image image = makeImage(16, 16);
    JpegSaveJob job;
    job.header = &image.header;
    job.pixels = image.pixels.data();
    for (const bool limit : {false, true}) {
        job.limitSize = limit;
        JpegCodec codec;
        EXPECT_FALSE(saveJpeg(codec, path, job));
        EXPECT_EQ(codec.status, CodecStatus::CannotCreate);
        EXPECT_EQ(jpegSaveFailure(codec), JpegFailureDisplay::StatusMessage);
    }
    platform::closeFile(lock);
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{1, 2, 3}));
}
#else
// /dev/full accepts the open and fails every write.
TEST(JpegEncode, FailedWritesAreReportedNotSuccess) {
    if (!platform::pathExists(u"/dev/full")) GTEST_SKIP() << "no /dev/full";
    const WideString full(u"/dev/full");
    // A small image fails on the pending bytes at the end; a noisy 800 x 800 one (about 1.6 MB)
    // already on its first full 1 MiB block.
    for (const int side : {16, 800}) {
        const Image image = makeImage(side, side, 0, 0, 1, 8);
        JpegCodec codec;
        setFor(codec, image, 100, 2);
        EXPECT_FALSE(encodeToFile(codec, full, image.pixels.data()));
        EXPECT_EQ(codec.status, CodecStatus::CannotCreate);
        EXPECT_EQ(codec.libraryMessage.view(), u"Output file write error --- out of disk space?");
        EXPECT_EQ(jpegSaveFailure(codec), JpegFailureDisplay::StatusMessage);

        JpegCodec limited;
        setFor(limited, image);
        EXPECT_FALSE(saveJpegWithLimit(limited, full, 100, image.pixels.data()));
        EXPECT_EQ(limited.status, CodecStatus::CannotCreate);
    }
}
#endif

TEST(JpegEncode, LibraryErrorsShowTheLibrarysMessage) {
    TempDir dir;
    JpegCodec codec;
    setEncoderParameters(codec, 0, 10, 0, 0, 75, 0, false);
    const std::uint8_t pixel[8] = {};
    EXPECT_FALSE(encodeToFile(codec, dir.file(u"empty.jpg"), pixel));
    EXPECT_EQ(codec.status, CodecStatus::Failure);
    EXPECT_EQ(codec.libraryMessage.view(), u"Empty JPEG image (DNL not supported)");
    EXPECT_EQ(jpegSaveFailure(codec), JpegFailureDisplay::LibraryMessage);
    EXPECT_EQ(std::u16string(kJpegLibraryErrorCaption), u"JPEG Library Error");

    // Which failures go to the error box by code, and which show the library's text.
    struct Case {
        CodecStatus status;
        const char16_t* message;
        JpegFailureDisplay display;
    };
    const Case cases[] = {
        {CodecStatus::NoMemory, u"x", JpegFailureDisplay::StatusMessage},
        {CodecStatus::CannotRead, u"x", JpegFailureDisplay::StatusMessage},
        {CodecStatus::BadFile, u"x", JpegFailureDisplay::StatusMessage},
        {CodecStatus::CannotCreate, u"", JpegFailureDisplay::StatusMessage},
        {CodecStatus::CannotConvert, u"", JpegFailureDisplay::StatusMessage},
        {CodecStatus::Failure, u"x", JpegFailureDisplay::LibraryMessage},
        {CodecStatus::BadHeader, u"x", JpegFailureDisplay::LibraryMessage},
        {CodecStatus::Failure, u"", JpegFailureDisplay::Nothing},
    };
    for (const Case& c : cases) {
        JpegCodec failed;
        failed.status = c.status;
        failed.libraryMessage.assign(c.message);
        EXPECT_EQ(jpegSaveFailure(failed), c.display) << c.status;
    }
}

TEST(JpegEncode, SaveJpegWritesTheImage) {
    TempDir dir;
    const Image image = makeImage(40, 30, 3780, 3780);
    JpegSaveJob job;
    job.header = &image.header;
    job.pixels = image.pixels.data();
    job.quality = 85;
    job.subsampling = 1;
    job.progressive = true;
    const WideString path = dir.file(u"save.jpg");
    JpegCodec codec;
    ASSERT_TRUE(saveJpeg(codec, path, job));
    const std::vector<std::uint8_t> jpeg = readWholeFile(path);
    EXPECT_EQ(jpeg, encodeWithCodec(image, 85, 1, true));
    EXPECT_FALSE(platform::isValid(codec.file));

    // The encoder takes 24-bit images only.
    Image grey = image;
    grey.header.biBitCount = 8;
    job.header = &grey.header;
    JpegCodec other;
    EXPECT_FALSE(saveJpeg(other, dir.file(u"grey.jpg"), job));
    EXPECT_EQ(other.status, CodecStatus::CannotConvert);
}

}  // namespace
