#include "codecs/ImageSink.h"

#include <gtest/gtest.h>

#include "support/CodecPrinting.h"
#include "support/TempDir.h"

namespace {

TEST(ImageSink, WritesReachTheFileInOrder) {
    TempDir dir;
    const WideString path = dir.file(u"out.bin");
    ImageSink sink;
    ASSERT_TRUE(createOutput(sink, path));
    writeU8(sink, 0xAA);
    writeU16le(sink, 0x0102);
    writeU32be(sink, 0x03040506);
    std::vector<std::uint8_t> big(100000, 7);  // larger than the buffer
    writeBytes(sink, big.data(), big.size());
    writeU16be(sink, 0x0809);
    ASSERT_TRUE(finishOutput(sink));
    const std::vector<std::uint8_t> got = readWholeFile(path);
    ASSERT_EQ(got.size(), 1 + 2 + 4 + big.size() + 2);
    EXPECT_EQ(got[0], 0xAA);
    EXPECT_EQ(got[1], 0x02);
    EXPECT_EQ(got[3], 0x03);
    EXPECT_EQ(got[7], 7);
    EXPECT_EQ(got[got.size() - 1], 0x09);
    discard(sink);
}

TEST(ImageSink, UncreatableOutputIs50005) {
    TempDir dir;
    ImageSink sink;
    EXPECT_FALSE(createOutput(sink, dir.file(u"missing-folder/out.bin")));
    EXPECT_EQ(sink.status, CodecStatus::CannotCreate);
    EXPECT_FALSE(writeU8(sink, 1));
    EXPECT_FALSE(finishOutput(sink));
    EXPECT_EQ(sink.status, CodecStatus::CannotCreate);
}

TEST(ImageSink, FailedWriteIsReportedNotSuccess) {
    ImageSink sink;
    // A handle that cannot be written: every write fails, and the failure stays.
    TempDir dir;
    const WideString path = dir.write(u"ro.bin", {1});
    sink.file = platform::openForReading(path.c_str());
    ASSERT_TRUE(platform::isValid(sink.file));
    std::vector<std::uint8_t> big(200000, 1);
    EXPECT_FALSE(writeBytes(sink, big.data(), big.size()));
    EXPECT_EQ(sink.status, CodecStatus::CannotCreate);
    EXPECT_FALSE(writeU8(sink, 1));
    EXPECT_FALSE(finishOutput(sink));
    EXPECT_EQ(sink.status, CodecStatus::CannotCreate);
}

TEST(ImageSink, MemoryOutputSharesTheWriter) {
    std::vector<std::uint8_t> out;
    ImageSink sink;
    writeToMemory(sink, out);
    writeU32le(sink, 0x11223344);
    ASSERT_TRUE(finishOutput(sink));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{0x44, 0x33, 0x22, 0x11}));
}

}  // namespace
