// The colour profile from source to output through the document: read from each source format,
// kept through the trim, written into every output that can hold one, and dropped when the pixels
// stop being the source's.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/ImageData.h"
#include "document/Document.h"
#include "document/OutputJob.h"
#include "support/CodecPrinting.h"
#include "support/IccFixtures.h"
#include "support/TempDir.h"

namespace {

std::vector<std::uint8_t> bytesOf(const IccProfile& p) {
    return p.bytes ? std::vector<std::uint8_t>(p.bytes, p.bytes + p.size) : std::vector<std::uint8_t>{};
}

std::vector<std::uint8_t> pixelsOf(const Document& d) {
    return {d.sourcePixels, d.sourcePixels + imageBytes(d.header.biWidth, d.header.biHeight, 24)};
}

void fillNoise(Document& document, std::int32_t width, std::int32_t height) {
    releasePixels(document);
    const std::uint32_t bytes = imageBytes(width, height, 24);
    document.sourcePixels = allocPixels(bytes);
    std::uint32_t seed = 11;
    for (std::uint32_t i = 0; i < bytes; ++i)
        document.sourcePixels[i] = static_cast<std::uint8_t>((seed = seed * 69069 + 1) >> 24);
    initHeader(document.header, width, height, 24, 2835, 2835);
}

bool write(const Document& document, OutputFormat format, const WideString& path) {
    OutputOptions options;
    options.outputFormat = format;
    options.jpegQuality = 95;
    OutputFailure failure;
    return WriteOutputFile(document, options, path, failure);
}

struct Format {
    OutputFormat format;
    const char16_t* name;
    bool holdsProfile;
};
const Format kFormats[] = {{OutputFormat::Jpeg, u"out.jpg", true},
                           {OutputFormat::Png, u"out.png", true},
                           {OutputFormat::Tiff, u"out.tif", true},
                           {OutputFormat::Bmp, u"out.bmp", false},
                           {OutputFormat::Gif, u"out.gif", false}};

TEST(ColourProfile, TravelsFromEverySourceFormatThroughTheTrimIntoEveryOutputThatHoldsOne) {
    TempDir dir;
    // Two segments' worth in JPEG.
    const std::vector<std::uint8_t> profile = icctest::makeProfile(70000, 3);
    for (const Format& source : {kFormats[0], kFormats[1], kFormats[2]}) {
        SCOPED_TRACE(NumberOf(source.format));
        const WideString sourcePath = dir.file(source.format == OutputFormat::Jpeg  ? u"source.jpg"
                                               : source.format == OutputFormat::Png ? u"source.png"
                                                                                    : u"source.tif");
        {
            Document original;
            fillNoise(original, 64, 48);
            ASSERT_TRUE(setIccProfile(original.iccProfile, profile.data(), profile.size(), "Wide RGB", 8));
            ASSERT_TRUE(write(original, source.format, sourcePath));
        }
        Document document;
        CodecStatus why = CodecStatus::Ok;
        DocumentHost host;
        host.showsImage = false;
        ASSERT_TRUE(LoadDocument(document, &sourcePath, host, &why));
        ASSERT_EQ(why, CodecStatus::Ok);
        ASSERT_EQ(bytesOf(document.iccProfile), profile);
        // PNG carries the name; the others have none and write the neutral one.
        EXPECT_STREQ(iccProfileName(document.iccProfile),
                     source.format == OutputFormat::Png ? "Wide RGB" : kIccNeutralName);

        // The trim: crop and resize, installed as the program does.
        OutputOptions options;
        options.trimWidth = 24;
        options.trimHeight = 18;
        TrimSelection selection;
        selection.rect = TrimRect{3, 2, 50, 37};
        const OutputSteps steps = PlanOutput(selection.rect, nullptr, 64, 48, options);
        OutputFailure failure;
        ImageData* result = RunOutputSteps(selection, document, options, steps, failure);
        ASSERT_NE(result, nullptr);
        ASSERT_TRUE(InstallImage(document, *result, host));
        freeImageData(result);
        ASSERT_EQ(bytesOf(document.iccProfile), profile);

        for (const Format& output : kFormats) {
            SCOPED_TRACE(NumberOf(output.format));
            const WideString with = dir.file(output.name);
            const WideString without = dir.file(u"plain.out");
            ASSERT_TRUE(write(document, output.format, with));
            IccProfile held{};
            moveIccProfile(held, document.iccProfile);
            ASSERT_TRUE(write(document, output.format, without));
            moveIccProfile(document.iccProfile, held);

            Document back;
            Document plain;
            ASSERT_TRUE(LoadDocument(back, &with, host, &why));
            ASSERT_TRUE(LoadDocument(plain, &without, host, &why));
            EXPECT_EQ(bytesOf(back.iccProfile), output.holdsProfile ? profile : std::vector<std::uint8_t>{});
            // The pixels are those of the output without a profile; where there is no place for
            // one the file is the same byte for byte.
            EXPECT_EQ(pixelsOf(back), pixelsOf(plain));
            if (!output.holdsProfile) {
                EXPECT_EQ(readWholeFile(with), readWholeFile(without));
            }
        }
    }
}

TEST(ColourProfile, DroppedWhenThePixelsStopBeingTheSources) {
    TempDir dir;
    const std::vector<std::uint8_t> profile = icctest::makeProfile(500);
    const WideString sourcePath = dir.file(u"source.png");
    {
        Document original;
        fillNoise(original, 8, 8);
        ASSERT_TRUE(setIccProfile(original.iccProfile, profile.data(), profile.size()));
        ASSERT_TRUE(write(original, OutputFormat::Png, sourcePath));
    }
    DocumentHost host;
    host.showsImage = false;
    const auto load = [&](Document& d, const WideString& path) {
        ASSERT_TRUE(LoadDocument(d, &path, host));
        ASSERT_EQ(bytesOf(d.iccProfile), profile);
    };

    // A paste.
    Document pasted;
    load(pasted, sourcePath);
    ForgetSource(pasted);
    EXPECT_FALSE(hasIccProfile(pasted.iccProfile));
    EXPECT_TRUE(pasted.path.empty());

    // A failed load.
    Document failed;
    load(failed, sourcePath);
    const WideString missing = dir.file(u"missing.png");
    EXPECT_FALSE(LoadDocument(failed, &missing, host));
    EXPECT_FALSE(hasIccProfile(failed.iccProfile));

    // A plug-in's picture, which comes without one.
    Document plugged;
    load(plugged, sourcePath);
    const WideString other = dir.write(u"picture.xyz", std::vector<std::uint8_t>(64, 0x5A));
    const WideString folder = dir.path();
    DocumentHost pluginHost = host;
    pluginHost.pluginFolder = &folder;
    pluginHost.loadWithPlugin = [](const WideString&) {
        ImageData* image = allocImageData();
        initHeader(image->header, 4, 4, 24, 0, 0);
        image->pixels = allocPixels(imageBytes(4, 4, 24));
        return image;
    };
    ASSERT_TRUE(LoadDocument(plugged, &other, pluginHost));
    EXPECT_FALSE(hasIccProfile(plugged.iccProfile));
}

}  // namespace
