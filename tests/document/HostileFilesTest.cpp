// Files a web page could hand out to make the program allocate gigabytes: a picture above the pixel
// ceiling, or one far larger than its data can hold, is refused from its header, before anything of
// its size is allocated.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>

#include <fstream>
#endif

#include "codecs/PixelCeiling.h"
#include "document/Document.h"
#include "document/OutputJob.h"
#include "support/HostileFiles.h"
#include "support/TempDir.h"

namespace {

using namespace hostile;

// A w x h grey picture written by the program's own writer of `format`.
Bytes written(const TempDir& dir, OutputFormat format, std::int32_t w, std::int32_t h) {
    Document document;
    ImageData* image = allocImageData();
    initHeader(image->header, w, h, 8, 0, 0);
    image->pixels = allocPixels(imageBytes(w, h, 8));
    for (int i = 0; i < 256; ++i) image->palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    EXPECT_TRUE(InstallImage(document, *image, DocumentHost{}));
    freeImageData(image);
    OutputOptions options;
    options.outputFormat = format;
    OutputFailure failure;
    const WideString path = dir.file(u"made");
    EXPECT_TRUE(WriteOutputFile(document, options, path, failure));
    return readWholeFile(path);
}

// A small real JPEG (w x h grey) whose frame header then claims fw x fh.
Bytes jpeg(const TempDir& dir, std::int32_t w, std::int32_t h, std::uint16_t fw, std::uint16_t fh) {
    return withFrameSize(written(dir, OutputFormat::Jpeg, w, h), fw, fh);
}

struct Loaded {
    bool ok = false;
    CodecStatus why = CodecStatus::Ok;
    std::int32_t width = 0, height = 0;
};

Loaded load(const TempDir& dir, const char16_t* name, const Bytes& bytes) {
    Document document;
    DocumentHost host;
    host.showsImage = false;
    Loaded l;
    WideString path = dir.write(name, bytes);
    l.ok = LoadDocument(document, &path, host, &l.why) && l.why == CodecStatus::Ok;
    l.width = document.header.biWidth;
    l.height = document.header.biHeight;
    return l;
}

class HostileFiles : public ::testing::Test {
protected:
    void TearDown() override { setPixelCeiling(kDefaultPixelCeiling); }
    TempDir dir;
};

TEST_F(HostileFiles, RefusedFromTheirHeadersWithTheirCodes) {
    const struct {
        const char* what;
        const char16_t* name;
        Bytes bytes;
        CodecStatus expected;
    } cases[] = {
        // Above the ceiling: the size alone refuses them.
        {"a 35-byte GIF with a 60000 x 60000 screen", u"screen.gif", gif(60000, 60000, 1, 1), CodecStatus::BadHeader},
        {"a grey JPEG whose frame says 60000 x 60000", u"frame.jpg", jpeg(dir, 100, 100, 60000, 60000),
         CodecStatus::BadHeader},
        {"a 69-byte PNG of 30000 x 30000", u"header.png", png(30000, 30000, 1), CodecStatus::BadHeader},
        {"a 20000 x 20000 PNG bomb", u"bomb.png", png(20000, 20000, 20000), CodecStatus::BadHeader},
        {"a BMP of 16385 x 16384", u"wide.bmp", bmp(16385, 16384, 1), CodecStatus::BadHeader},
        // Within the ceiling, but far more than their data can hold.
        {"a PNG of 16000 x 16000 with one row of data", u"short.png", png(16000, 16000, 1), CodecStatus::PngInflate},
        {"a JPEG of 100 x 100 claiming 16000 x 16000", u"short.jpg", jpeg(dir, 100, 100, 16000, 16000),
         CodecStatus::Damaged},
        {"a GIF frame of 16000 x 16000 with one pixel of data", u"short.gif", gif(16000, 16000, 16000, 16000),
         CodecStatus::Damaged},
    };
    for (const auto& c : cases) {
        const Loaded l = load(dir, c.name, c.bytes);
        EXPECT_FALSE(l.ok) << c.what;
        EXPECT_EQ(l.why, c.expected) << c.what;
    }
}

TEST_F(HostileFiles, JustWithinTheCeilingLoadsJustAboveIsRefused) {
    // A ceiling of 64 x 64 for the test, so the pictures stay small.
    setPixelCeiling(64 * 64);
    const struct {
        const char16_t* name;
        Bytes within, above;
    } formats[] = {
        {u"x.bmp", bmp(64, 64, 64), bmp(64, 65, 65)},
        {u"x.png", png(64, 64, 64), png(65, 64, 64)},
        {u"x.gif", gif(64, 64, 1, 1), gif(64, 65, 1, 1)},
        {u"x.jpg", jpeg(dir, 64, 64, 64, 64), jpeg(dir, 64, 65, 64, 65)},
        {u"x.tif", written(dir, OutputFormat::Tiff, 64, 64), written(dir, OutputFormat::Tiff, 65, 64)},
    };
    for (const auto& f : formats) {
        const Loaded within = load(dir, f.name, f.within);
        EXPECT_TRUE(within.ok) << testing::PrintToString(std::u16string(f.name));
        EXPECT_EQ(within.width * within.height, 64 * 64);
        const Loaded above = load(dir, f.name, f.above);
        EXPECT_FALSE(above.ok);
        EXPECT_EQ(above.why, CodecStatus::BadHeader);
    }
}

TEST_F(HostileFiles, TheBoundsLeaveShortButPossibleDataAlone) {
    // A complete deflate stream of half the rows: the rest loads black, as it always has.
    const Loaded half = load(dir, u"half.png", png(300, 200, 100));
    EXPECT_TRUE(half.ok);
    EXPECT_EQ(half.height, 200);
    // A GIF screen larger than its frame is a picture of that screen.
    const Loaded screen = load(dir, u"screen.gif", gif(2000, 1500, 1, 1));
    EXPECT_TRUE(screen.ok);
    EXPECT_EQ(screen.width, 2000);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST_F(HostileFiles, RefusalsStayCheapUnderAMemoryLimitTimeAfterTime) {
#if defined(_WIN32)
    GTEST_SKIP() << "the address-space limit is a POSIX one";
#else
    if (kSanitized) GTEST_SKIP() << "the sanitizers reserve far more address space than any limit allows";
    const struct {
        const char16_t* name;
        Bytes bytes;
        CodecStatus expected;
    } files[] = {
        {u"screen.gif", gif(60000, 60000, 1, 1), CodecStatus::BadHeader},
        {u"frame.jpg", jpeg(dir, 100, 100, 60000, 60000), CodecStatus::BadHeader},
        {u"header.png", png(30000, 30000, 1), CodecStatus::BadHeader},
        {u"short.png", png(16000, 16000, 1), CodecStatus::PngInflate},
        {u"short.jpg", jpeg(dir, 100, 100, 16000, 16000), CodecStatus::Damaged},
        {u"short.gif", gif(16000, 16000, 16000, 16000), CodecStatus::Damaged},
    };
    std::vector<WideString> paths;
    for (const auto& f : files) paths.push_back(dir.write(f.name, f.bytes));
    // 64 MiB more address space than the process has now: any picture-sized allocation fails with
    // 50001 instead of the expected refusal, and a leak on a refusal path adds up over the rounds.
    std::ifstream statm("/proc/self/statm");
    unsigned long long pages = 0;
    statm >> pages;
    const rlim_t limit = static_cast<rlim_t>(pages) * 4096 + (64u << 20);
    rlimit old{};
    getrlimit(RLIMIT_AS, &old);
    rlimit tight = old;
    tight.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    for (int round = 0; round < 200; ++round) {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            Document document;
            DocumentHost host;
            host.showsImage = false;
            CodecStatus why = CodecStatus::Ok;
            EXPECT_FALSE(LoadDocument(document, &paths[i], host, &why));
            ASSERT_EQ(why, files[i].expected) << paths[i].toUtf8() << " in round " << round;
        }
    }
    setrlimit(RLIMIT_AS, &old);
#endif
}

}  // namespace
