#include "codecs/ImageSource.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <dirent.h>
#endif

#include "support/CodecPrinting.h"
#include "support/TempDir.h"

namespace {

int openDescriptors() {
#ifdef _WIN32
    return 0;
#else
    int n = 0;
    if (DIR* d = opendir("/proc/self/fd")) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
#endif
}

// A decode step that copies the first byte into a 1 x 1 24-bit image, or fails on 'X'.
bool decodeOneByte(ImageSource& source) {
    ByteReader& r = source.input;
    const std::uint8_t b = r.u8();
    if (r.failed || b == 'X') {
        source.status = CodecStatus::BadHeader;
        return false;
    }
    initHeader(source.result->header, 1, 1, 24, 0, 0);
    source.result->pixels = allocPixels(imageBytes(1, 1, 24));
    if (!source.result->pixels) return false;
    source.result->pixels[0] = b;
    return true;
}

TEST(ImageSource, StrideRules) {
    struct Case {
        std::uint32_t width, bits, stride;
    } cases[] = {{1, 24, 4}, {5, 8, 8}, {4, 8, 4}, {3, 24, 12}, {2, 24, 8}, {9, 1, 4}, {33, 1, 8}, {3, 4, 4}};
    for (const Case& c : cases) EXPECT_EQ(rowStride(c.width, c.bits), c.stride) << c.width << "x" << c.bits;
    EXPECT_EQ(imageBytes(1, 1, 24), 4u);
    EXPECT_EQ(imageBytes(65536, 65536, 24), 0u);  // does not fit in 32 bits
    EXPECT_EQ(imageBytes(0x55555555u, 1, 24), 0u);
}

TEST(ImageSource, PixelBuffersAreZeroFilledWithSpareBytes) {
    std::uint8_t* p = allocPixels(12);
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
    p[15] = 1;  // the spare bytes are ours to touch
    freePixels(p);
    EXPECT_EQ(allocPixels(0), nullptr);
}

TEST(ImageSource, ZeroByteFileGives50004AndLeavesNothingOpen) {
    TempDir dir;
    const WideString path = dir.write(u"empty.bmp", {});
    const int before = openDescriptors();
    {
        ImageSource source;
        EXPECT_EQ(loadFramed(source, path, decodeOneByte), nullptr);
        EXPECT_EQ(source.status, CodecStatus::BadFile);
        EXPECT_FALSE(platform::isValid(source.file));
        discard(source);
    }
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_TRUE(platform::deleteFile(path.c_str()));  // would fail on Windows with a handle open
}

TEST(ImageSource, MissingFileGives50004) {
    TempDir dir;
    ImageSource source;
    EXPECT_EQ(openMapped(source, dir.file(u"none.bmp")), 0u);
    EXPECT_EQ(source.status, CodecStatus::BadFile);
    EXPECT_FALSE(platform::isValid(source.file));
}

TEST(ImageSource, LoadFrameFillsSizeAndTimeAndClosesEverything) {
    TempDir dir;
    const WideString path = dir.write(u"one.bin", {'A', 'b', 'c', 'd', 'e'});
    const int before = openDescriptors();
    ImageSource source;
    ImageData* image = loadFramed(source, path, decodeOneByte);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->sourceFileSize, 5u);
    EXPECT_NE(image->lastWriteTime.dwHighDateTime, 0u);
    EXPECT_EQ(image->pixels[0], 'A');
    EXPECT_EQ(image->header.biSize, 40u);
    EXPECT_EQ(source.status, CodecStatus::Ok);
    EXPECT_EQ(source.result, nullptr);
    EXPECT_FALSE(platform::isValid(source.file));
    EXPECT_EQ(source.view, nullptr);
    discard(source);
    EXPECT_EQ(openDescriptors(), before);
    freeImageData(image);

    const WideString bad = dir.write(u"bad.bin", {'X'});
    ImageSource failing;
    EXPECT_EQ(loadFramed(failing, bad, decodeOneByte), nullptr);
    EXPECT_EQ(failing.status, CodecStatus::BadHeader);
    discard(failing);
    EXPECT_TRUE(platform::deleteFile(bad.c_str()));
}

TEST(ImageSource, CopyOnWriteMappingNeverReachesTheFile) {
    TempDir dir;
    const WideString path = dir.write(u"exif.jpg", {1, 2, 3, 4});
    {
        ImageSource source;
        ASSERT_EQ(openMappedCopy(source, path), 4u);
        const_cast<std::uint8_t*>(source.input.begin)[0] = 9;
        EXPECT_EQ(source.input.begin[0], 9);
        closeMapped(source);
        discard(source);
    }
    EXPECT_EQ(readWholeFile(path), (std::vector<std::uint8_t>{1, 2, 3, 4}));
}

TEST(ImageSource, DiscardDeletesTheOwnedTemporaryFile) {
    TempDir dir;
    ImageSource source;
    source.tempPath = dir.write(u"tmp1.tmp", {1});
    discard(source);
    EXPECT_TRUE(source.tempPath.empty());
    EXPECT_FALSE(platform::pathExists(dir.file(u"tmp1.tmp").c_str()));
}

// The status a load leaves: Ok with the image, the step's own cause without one, and Failure when a
// failing step named none.
TEST(ImageSource, LoadLeavesOkOnlyWithAnImage) {
    struct Case {
        const char* name;
        DecodeStep step;
        std::vector<std::uint8_t> bytes;
        bool image;
        CodecStatus status;
    } cases[] = {
        {"decoded", decodeOneByte, {'A'}, true, CodecStatus::Ok},
        {"refused", decodeOneByte, {'X'}, false, CodecStatus::BadHeader},
        {"no cause", [](ImageSource& s) { s.status = CodecStatus::Ok; return false; }, {'A'}, false, CodecStatus::Failure},
        {"empty", decodeOneByte, {}, false, CodecStatus::BadFile},
    };
    for (const Case& c : cases) {
        ImageSource source;
        ImageData* image = loadFramedMemory(source, c.bytes.data(), c.bytes.size(), c.step);
        EXPECT_EQ(image != nullptr, c.image) << c.name;
        EXPECT_EQ(source.status, c.status) << c.name;
        freeImageData(image);
    }
}

TEST(ByteReader, ReadsStopAtTheEndAndStayFailed) {
    const std::uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05};
    ByteReader r(bytes, bytes + sizeof bytes);
    EXPECT_EQ(r.u16le(), 0x0201);
    EXPECT_EQ(r.u16be(), 0x0304);
    EXPECT_EQ(r.u32le(), 0u);  // only one byte left
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.u8(), 0);  // sticky, even though a byte remains
    EXPECT_EQ(r.offset(), 4u);

    ByteReader s(bytes, bytes + sizeof bytes);
    EXPECT_FALSE(s.seek(6));
    ByteReader t(bytes, bytes + sizeof bytes);
    EXPECT_TRUE(t.seek(5));
    EXPECT_EQ(t.take(1), nullptr);
    ByteReader u(bytes, bytes + sizeof bytes);
    EXPECT_EQ(u.u32be(), 0x01020304u);
    EXPECT_FALSE(u.skip(static_cast<std::size_t>(-1)));  // no wrap-around
}

// Slices and offset reads never reach outside the reader they come from, whatever the sizes say.
TEST(ByteReader, SlicesAndOffsetReadsStayInside) {
    const std::uint8_t bytes[] = {'I', 'I', 0x2A, 0x00, 0x01, 0x02, 0x03, 0x04};
    ByteReader r(bytes, bytes + sizeof bytes);
    r.skip(2);
    ByteReader tiff = r.slice(6);
    EXPECT_EQ(tiff.size(), 6u);
    EXPECT_EQ(tiff.u16(false), 42);
    EXPECT_TRUE(tiff.seek(2));  // offsets count from the slice's first byte
    EXPECT_EQ(tiff.u32(true), 0x01020304u);
    EXPECT_EQ(tiff.peek(), -1);
    EXPECT_EQ(r.remaining(), 0u);

    ByteReader s(bytes, bytes + sizeof bytes);
    const ByteReader tooLong = s.slice(9);
    EXPECT_TRUE(tooLong.failed);
    EXPECT_EQ(tooLong.size(), 0u);
    EXPECT_TRUE(s.failed);  // the parent fails with it
    EXPECT_EQ(s.peek(), -1);

    EXPECT_EQ(r.at(4, 4), bytes + 4);
    EXPECT_EQ(r.at(8, 0), bytes + 8);
    EXPECT_EQ(r.at(5, 4), nullptr);
    EXPECT_EQ(r.at(9, 0), nullptr);
    EXPECT_EQ(r.at(1, ~std::uint64_t{0}), nullptr);  // no wrap-around
    EXPECT_EQ(r.at(~std::uint64_t{0}, 2), nullptr);
    ByteReader value = r.sliceAt(4, 4);
    EXPECT_EQ(value.u32(false), 0x04030201u);
    EXPECT_TRUE(r.sliceAt(6, 4).failed);

    ByteReader order(bytes + 4, bytes + 8);
    EXPECT_EQ(order.u16(false), 0x0201);
    EXPECT_EQ(order.u16(true), 0x0304);
}

}  // namespace
