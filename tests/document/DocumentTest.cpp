#include "document/Document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/Bmp.h"
#include "codecs/Gif.h"
#include "codecs/ImageFormat.h"
#include "codecs/Tiff.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/png/PngEncoder.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// What the hooks saw.
struct Calls {
    std::vector<bool> busy;
    std::vector<std::uint32_t> errors;
    int crosshair = 0;
    int plugin = 0;
    bool pluginDecodes = false;
};
Calls calls;

void onBusy(bool b) { calls.busy.push_back(b); }
void onError(std::uint32_t id) { calls.errors.push_back(id); }
void onCrosshair() { ++calls.crosshair; }
// A plug-in that reads anything as a 2 x 1 8-bit image of palette entries 0 and 1.
ImageData* fakePlugin(const WideString&) {
    ++calls.plugin;
    if (!calls.pluginDecodes) return nullptr;
    ImageData* image = allocImageData();
    initHeader(image->header, 2, 1, 8, 0, 0);
    image->palette[1] = RGBQUAD{1, 2, 3, 0};
    image->pixels = allocPixels(imageBytes(2, 1, 8));
    image->pixels[1] = 1;
    return image;
}

class DocumentLoad : public ::testing::Test {
protected:
    void SetUp() override {
        calls = Calls{};
        host.setBusy = onBusy;
        host.showError = onError;
        host.forgetCrosshair = onCrosshair;
        host.loadWithPlugin = fakePlugin;
    }

    // A 3 x 2 8-bit BMP whose pixel i is palette index i, colour (i, 10 i, 20 i), at 3780 pixels per metre.
    WideString eightBitBmp(const char16_t* name) {
        RGBQUAD palette[256] = {};
        for (int i = 0; i < 256; ++i)
            palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(10 * i), static_cast<BYTE>(20 * i), 0};
        const Bytes indexes = {0, 1, 2, 0, 3, 4, 5, 0};
        ImageSink sink;
        setGeometry(sink.reducer, 3, 2, 8, 8);
        sink.xResolution = sink.yResolution = 3780;
        EXPECT_TRUE(saveBmp(sink, dir.file(name), palette, indexes.data()));
        return dir.file(name);
    }

    TempDir dir;
    DocumentHost host;
    Document document;
};

TEST_F(DocumentLoad, EightBitImageIsInstalledAsTwentyFourBit) {
    const WideString path = eightBitBmp(u"eight.bmp");
    CodecStatus why = CodecStatus::Failure;
    ASSERT_TRUE(LoadDocument(document, &path, host, &why));
    EXPECT_EQ(why, CodecStatus::Ok);
    const BITMAPINFOHEADER& h = document.header;
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biWidth, 3);
    EXPECT_EQ(h.biHeight, 2);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biXPelsPerMeter, 0);  // the resolution does not survive the expansion
    EXPECT_EQ(h.biYPelsPerMeter, 0);
    EXPECT_EQ(h.biClrUsed, 0u);
    ASSERT_NE(document.sourcePixels, nullptr);
    ASSERT_NE(document.shadedPixels, nullptr);
    EXPECT_EQ(document.displayPixels, document.shadedPixels);
    for (int i = 0; i < 6; ++i) {
        const std::uint8_t* p = document.sourcePixels + (i / 3) * 12 + (i % 3) * 3;
        EXPECT_EQ(p[0], i);
        EXPECT_EQ(p[1], 10 * i);
        EXPECT_EQ(p[2], 20 * i);
    }
    EXPECT_EQ(std::memcmp(document.sourcePixels, document.shadedPixels, 24), 0);
    EXPECT_FALSE(document.loadFailed);
    EXPECT_EQ(document.path.view(), path.view());
    EXPECT_EQ(calls.busy, (std::vector<bool>{true, false}));
    EXPECT_EQ(calls.crosshair, 1);
    EXPECT_TRUE(calls.errors.empty());
    EXPECT_EQ(calls.plugin, 0);
}

// vantle-cli shows nothing: the document is usable without the shaded copy, expanded all the same.
TEST_F(DocumentLoad, WithoutAViewNoShadedCopyIsMade) {
    host.showsImage = false;
    const WideString path = eightBitBmp(u"eight.bmp");
    CodecStatus why = CodecStatus::Failure;
    ASSERT_TRUE(LoadDocument(document, &path, host, &why));
    EXPECT_EQ(why, CodecStatus::Ok);
    EXPECT_EQ(document.header.biBitCount, 24);
    ASSERT_NE(document.sourcePixels, nullptr);
    EXPECT_EQ(document.shadedPixels, nullptr);
    EXPECT_EQ(document.displayPixels, document.sourcePixels);
    EXPECT_EQ(document.sourcePixels[12 + 3], 4);  // index 4, the second row's second pixel
    EXPECT_TRUE(calls.errors.empty());
}

TEST_F(DocumentLoad, TwentyFourBitImageKeepsItsHeader) {
    Bytes pixels(8 * 2, 0x44);
    ImageSink sink;
    setGeometry(sink.reducer, 2, 2, 24, 24);
    sink.xResolution = sink.yResolution = 2835;
    ASSERT_TRUE(saveTiff(sink, dir.file(u"t.tif"), nullptr, pixels.data()));
    const WideString path = dir.file(u"t.tif");
    ASSERT_TRUE(LoadDocument(document, &path, host));
    EXPECT_EQ(document.header.biBitCount, 24);
    EXPECT_EQ(document.header.biXPelsPerMeter, 2835);
    EXPECT_EQ(document.sourcePixels[0], 0x44);
}

TEST_F(DocumentLoad, GifIsInstalledAsTwentyFourBit) {
    Bytes pixels(8 * 2, 0);
    pixels[0] = 0x10, pixels[1] = 0x20, pixels[2] = 0x30;  // bottom left; the rest black
    ImageSink sink;
    setGeometry(sink.reducer, 2, 2, 24, 8);
    Bytes file;
    ASSERT_TRUE(saveGifToMemory(sink, file, nullptr, pixels.data(), false));
    const WideString path = dir.write(u"picture.gif", file);
    ASSERT_TRUE(LoadDocument(document, &path, host));
    EXPECT_EQ(document.header.biBitCount, 24);
    EXPECT_EQ(document.header.biXPelsPerMeter, 0);
    EXPECT_EQ(std::memcmp(document.sourcePixels, pixels.data(), pixels.size()), 0);
}

TEST_F(DocumentLoad, PngIsReadByItsOwnDecoder) {
    Bytes pixels(8 * 2, 0);
    pixels[0] = 0x10, pixels[1] = 0x20, pixels[2] = 0x30;  // bottom left; the rest black
    PngEncoder encoder;
    setupPngEncoder(encoder, 2, 2, 2835, 2835, true);
    const WideString path = dir.file(u"picture.png");
    ASSERT_TRUE(savePng(encoder, path, pixels.data()));
    discard(encoder);
    ASSERT_TRUE(LoadDocument(document, &path, host));
    EXPECT_EQ(calls.plugin, 0);
    EXPECT_EQ(document.header.biBitCount, 24);
    EXPECT_EQ(document.header.biXPelsPerMeter, 2835);
    EXPECT_EQ(std::memcmp(document.sourcePixels, pixels.data(), pixels.size()), 0);
}

TEST_F(DocumentLoad, JpegTellsWhetherItCarriedExif) {
    Bytes pixels(24 * 8, 0x80);
    JpegCodec codec;
    setEncoderParameters(codec, 8, 8, 0, 0, 90, 0, false);
    ASSERT_TRUE(encodeToFile(codec, dir.file(u"plain.jpg"), pixels.data()));
    const WideString plain = dir.file(u"plain.jpg");
    // The same file with an EXIF segment behind SOI: an empty little-endian IFD0.
    Bytes file = readWholeFile(plain);
    const Bytes app1 = {0xFF, 0xE1, 0, 22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    file.insert(file.begin() + 2, app1.begin(), app1.end());
    const WideString withExif = dir.write(u"exif.jpg", file);
    const WideString bmp = eightBitBmp(u"after.bmp");

    ASSERT_TRUE(LoadDocument(document, &withExif, host));
    EXPECT_TRUE(document.jpegHadExif);
    EXPECT_EQ(document.header.biBitCount, 24);
    EXPECT_NEAR(document.sourcePixels[0], 0x80, 2);
    ASSERT_TRUE(LoadDocument(document, &plain, host));
    EXPECT_FALSE(document.jpegHadExif);
    ASSERT_TRUE(LoadDocument(document, &withExif, host));
    ASSERT_TRUE(LoadDocument(document, &bmp, host));  // another format forgets it
    EXPECT_FALSE(document.jpegHadExif);
}

TEST_F(DocumentLoad, FailuresEmptyTheDocumentButKeepThePath) {
    const WideString good = eightBitBmp(u"good.bmp");
    ASSERT_TRUE(LoadDocument(document, &good, host));
    document.jpegHadExif = true;  // as left by an earlier JPEG
    struct Case {
        const char16_t* name;
        Bytes content;  // empty: no file at all
        CodecStatus why;
    } cases[] = {
        {u"missing.bmp", {}, CodecStatus::BadFile},
        {u"short.bmp", {'B', 'M', 1}, CodecStatus::BadFile},         // shorter than 8 bytes
        {u"text.bmp", Bytes(20, 'x'), CodecStatus::BadHeader},       // recognised by nothing
        {u"cut.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0}, CodecStatus::BadFile},  // the BMP decoder refuses it
    };
    for (const Case& c : cases) {
        const WideString path = c.content.empty() ? dir.file(c.name) : dir.write(c.name, c.content);
        CodecStatus why = CodecStatus::Ok;
        EXPECT_FALSE(LoadDocument(document, &path, host, &why));
        EXPECT_EQ(why, c.why);
        EXPECT_TRUE(document.loadFailed);
        EXPECT_EQ(document.sourcePixels, nullptr);
        EXPECT_EQ(document.shadedPixels, nullptr);
        EXPECT_EQ(document.displayPixels, nullptr);
        EXPECT_FALSE(document.jpegHadExif);
        EXPECT_EQ(document.path.view(), path.view());
    }
    // A reload retries the failed path, which now holds an image.
    const WideString fixed = eightBitBmp(u"cut.bmp");
    ASSERT_TRUE(LoadDocument(document, nullptr, host));
    EXPECT_FALSE(document.loadFailed);
    EXPECT_EQ(document.path.view(), fixed.view());
    EXPECT_EQ(calls.plugin, 0);  // no plug-in folder set
}

TEST_F(DocumentLoad, PluginsAreAskedWhenNoBuiltInDecoderDelivers) {
    const WideString folder = dir.path();
    const WideString missingFolder = dir.file(u"nope");
    const WideString empty;
    const WideString text = dir.write(u"picture.pcx", Bytes(30, 'x'));
    const WideString cut = dir.write(u"cut.bmp", {'B', 'M', 0, 0, 0, 0, 0, 0, 0});
    const WideString good = eightBitBmp(u"good.bmp");

    host.pluginFolder = &empty;
    EXPECT_FALSE(LoadDocument(document, &text, host));
    host.pluginFolder = &missingFolder;
    EXPECT_FALSE(LoadDocument(document, &text, host));
    EXPECT_EQ(calls.plugin, 0);

    host.pluginFolder = &folder;
    EXPECT_FALSE(LoadDocument(document, &text, host));  // asked, finds nothing
    EXPECT_EQ(calls.plugin, 1);
    calls.pluginDecodes = true;
    ASSERT_TRUE(LoadDocument(document, &text, host));
    EXPECT_EQ(calls.plugin, 2);
    EXPECT_EQ(document.header.biBitCount, 24);
    EXPECT_EQ(document.sourcePixels[3], 1);
    EXPECT_EQ(document.sourcePixels[5], 3);
    ASSERT_TRUE(LoadDocument(document, &cut, host));  // the decoder refused it: plug-ins next
    EXPECT_EQ(calls.plugin, 3);
    ASSERT_TRUE(LoadDocument(document, &good, host));  // the built-in decoder delivered
    EXPECT_EQ(calls.plugin, 3);
}

}  // namespace
