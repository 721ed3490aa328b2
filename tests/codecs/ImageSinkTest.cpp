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

// A caller's buffer takes writes up to its capacity exactly; one that does not fit is refused whole,
// the buffer is never written past, and the failure stays.
TEST(ImageSink, FixedBufferNeverTakesMoreThanItsCapacity) {
    struct Case {
        std::size_t capacity;
        bool ok;
        std::uint64_t written;
    } cases[] = {{6, true, 6}, {5, false, 4}, {0, false, 0}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> buffer(c.capacity + 4, 0xEE);
        ImageSink sink;
        writeToBuffer(sink, buffer.data(), c.capacity);
        writeU32be(sink, 0x01020304);
        writeU16le(sink, 0x0605);
        EXPECT_EQ(finishOutput(sink), c.ok) << c.capacity;
        EXPECT_EQ(sink.full, !c.ok) << c.capacity;
        EXPECT_EQ(sink.written, c.written) << c.capacity;
        EXPECT_EQ(sink.status, c.ok ? CodecStatus::Ok : CodecStatus::CannotCreate) << c.capacity;
        const std::uint8_t expected[] = {1, 2, 3, 4, 5, 6};
        for (std::size_t i = 0; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], i < c.written ? expected[i] : 0xEE) << c.capacity << " at " << i;
        EXPECT_FALSE(writeU8(sink, 7));
    }
}

}  // namespace
