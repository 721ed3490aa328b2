#include "document/FormatDetection.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/CodecPrinting.h"
#include "support/Paths.h"
#include "support/TempDir.h"

namespace {

TEST(FormatDetection, ByContent) {
    struct Case {
        std::vector<std::uint8_t> first;
        ImageFormat expected;
    } cases[] = {
        {{'B', 'M', 0, 0, 0, 0, 0, 0}, ImageFormat::Bmp},
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, ImageFormat::Png},
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0B}, ImageFormat::NotRecognised},  // one wrong byte
        {{0x89, 'P', 'N', 'X', 0x0D, 0x0A, 0x1A, 0x0A}, ImageFormat::NotRecognised},
        {{0xFF, 0xD8, 0, 0, 0, 0, 0, 0}, ImageFormat::Jpeg},
        {{'I', 'I', 0x2A, 0, 0, 0, 0, 0}, ImageFormat::Tiff},
        {{'I', 'I', 0x2B, 0, 0, 0, 0, 0}, ImageFormat::NotRecognised},
        {{'M', 'M', 0x00, 0x2A, 0, 0, 0, 0}, ImageFormat::Tiff},
        {{'M', 'M', 0x77, 0x2A, 0, 0, 0, 0}, ImageFormat::Tiff},  // byte 2 is not looked at
        {{'M', 'M', 0x2A, 0x00, 0, 0, 0, 0}, ImageFormat::NotRecognised},
        {{'G', 'I', 'F', '8', '9', 'a', 0, 0}, ImageFormat::Gif},
        {{'G', 'I', 'X', '8', '9', 'a', 0, 0}, ImageFormat::NotRecognised},
        {{'P', 'K', 3, 4, 0, 0, 0, 0}, ImageFormat::NotRecognised},
    };
    TempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(classifyContent(c.first.data()), c.expected) << int(c.first[0]) << " " << int(c.first[2]);
        std::vector<std::uint8_t> file = c.first;
        file.push_back(0);
        EXPECT_EQ(DetectFormatByContent(dir.write(u"f", file)), c.expected);
    }
    EXPECT_EQ(DetectFormatByContent(dir.write(u"seven", {'B', 'M', 0, 0, 0, 0, 0})), ImageFormat::Unreadable);
    EXPECT_EQ(DetectFormatByContent(dir.write(u"eight", {'B', 'M', 0, 0, 0, 0, 0, 0})), ImageFormat::Bmp);
    EXPECT_EQ(DetectFormatByContent(dir.write(u"empty", {})), ImageFormat::Unreadable);
    EXPECT_EQ(DetectFormatByContent(dir.file(u"missing")), ImageFormat::Unreadable);
}

TEST(FormatDetection, ByExtension) {
    struct Case {
        std::u16string path;
        ImageFormat expected;
    } cases[] = {
        {u"photo.JPEG", ImageFormat::Jpeg},
        {u"photo.jpe", ImageFormat::Jpeg},
        {u"photo.JpG", ImageFormat::Jpeg},
        {u"a.png", ImageFormat::Png},
        {u"a.gif", ImageFormat::Gif},
        {u"a.BMP", ImageFormat::Bmp},
        {u"a.tif", ImageFormat::Tiff},
        {u"a.TIFF", ImageFormat::Tiff},
        {u"a.tiff.txt", ImageFormat::NotRecognised},
        {u"a.bmp.", ImageFormat::NotRecognised},
        {u"a.jpegx", ImageFormat::NotRecognised},
        {u"bmp", ImageFormat::NotRecognised},
        {u".bmp", ImageFormat::Bmp},
        {u"C:\\pictures.bmp\\photo", ImageFormat::NotRecognised},  // the only dot stands before the last separator
        {u"C:\\pictures.png\\photo.gif", ImageFormat::Gif},
        {u"a.\u0130mg", ImageFormat::NotRecognised},  // only ASCII letters fold
    };
    for (const Case& c : cases) {
        const WideString path = W(P(c.path));
        EXPECT_EQ(DetectFormatByExtension(path), c.expected) << path.toUtf8();
    }
}

}  // namespace
