#include "document/FormatDetection.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/Paths.h"
#include "support/TempDir.h"

namespace {

TEST(FormatDetection, ByContent) {
    struct Case {
        std::vector<std::uint8_t> first;
        ImageFormat expected;
    } cases[] = {
        {{'B', 'M', 0, 0, 0, 0, 0, 0}, format::kBmp},
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, format::kPng},
        {{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0B}, format::kNotRecognised},  // one wrong byte
        {{0x89, 'P', 'N', 'X', 0x0D, 0x0A, 0x1A, 0x0A}, format::kNotRecognised},
        {{0xFF, 0xD8, 0, 0, 0, 0, 0, 0}, format::kJpeg},
        {{'I', 'I', 0x2A, 0, 0, 0, 0, 0}, format::kTiff},
        {{'I', 'I', 0x2B, 0, 0, 0, 0, 0}, format::kNotRecognised},
        {{'M', 'M', 0x00, 0x2A, 0, 0, 0, 0}, format::kTiff},
        {{'M', 'M', 0x77, 0x2A, 0, 0, 0, 0}, format::kTiff},  // byte 2 is not looked at
        {{'M', 'M', 0x2A, 0x00, 0, 0, 0, 0}, format::kNotRecognised},
        {{'G', 'I', 'F', '8', '9', 'a', 0, 0}, format::kGif},
        {{'G', 'I', 'X', '8', '9', 'a', 0, 0}, format::kNotRecognised},
        {{'P', 'K', 3, 4, 0, 0, 0, 0}, format::kNotRecognised},
    };
    TempDir dir;
    for (const Case& c : cases) {
        EXPECT_EQ(classifyContent(c.first.data()), c.expected) << int(c.first[0]) << " " << int(c.first[2]);
        std::vector<std::uint8_t> file = c.first;
        file.push_back(0);
        EXPECT_EQ(DetectFormatByContent(dir.write(u"f", file)), c.expected);
    }
    EXPECT_EQ(DetectFormatByContent(dir.write(u"seven", {'B', 'M', 0, 0, 0, 0, 0})), format::kUnreadable);
    EXPECT_EQ(DetectFormatByContent(dir.write(u"eight", {'B', 'M', 0, 0, 0, 0, 0, 0})), format::kBmp);
    EXPECT_EQ(DetectFormatByContent(dir.write(u"empty", {})), format::kUnreadable);
    EXPECT_EQ(DetectFormatByContent(dir.file(u"missing")), format::kUnreadable);
}

TEST(FormatDetection, ByExtension) {
    struct Case {
        std::u16string path;
        ImageFormat expected;
    } cases[] = {
        {u"photo.JPEG", format::kJpeg},
        {u"photo.jpe", format::kJpeg},
        {u"photo.JpG", format::kJpeg},
        {u"a.png", format::kPng},
        {u"a.gif", format::kGif},
        {u"a.BMP", format::kBmp},
        {u"a.tif", format::kTiff},
        {u"a.TIFF", format::kTiff},
        {u"a.tiff.txt", format::kNotRecognised},
        {u"a.bmp.", format::kNotRecognised},
        {u"a.jpegx", format::kNotRecognised},
        {u"bmp", format::kNotRecognised},
        {u".bmp", format::kBmp},
        {u"C:\\pictures.bmp\\photo", format::kNotRecognised},  // the only dot stands before the last separator
        {u"C:\\pictures.png\\photo.gif", format::kGif},
        {u"a.\u0130mg", format::kNotRecognised},  // only ASCII letters fold
    };
    for (const Case& c : cases) {
        const WideString path = W(P(c.path));
        EXPECT_EQ(DetectFormatByExtension(path), c.expected) << path.toUtf8();
    }
}

}  // namespace
