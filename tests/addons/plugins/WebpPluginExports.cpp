// vantle-webp.sph as the host uses it, under Wine: loaded by full path, its five exports called on
// lossy, lossless, alpha and animated files (made by libwebp's encoder in the test), at the start of
// the file and behind a 128-byte head, and the handles it returns measured against their header.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "../WebpFixtures.h"
#include "PluginLibrary.h"

using namespace plugintest;

namespace {

Bytes behindHead(const Bytes& file) {
    Bytes b(plugin_abi::kSkippedHead + file.size(), 'J');
    if (!file.empty()) std::memcpy(b.data() + plugin_abi::kSkippedHead, file.data(), file.size());
    return b;
}

Bytes truncated(Bytes file, std::size_t size) {
    file.resize(size);
    return file;
}

class WebpPlugin : public testing::Test {
protected:
    static void SetUpTestSuite() { plugin = new PluginLibrary(pluginPath(L"vantle-webp.sph")); }
    static void TearDownTestSuite() {
        delete plugin;
        plugin = nullptr;
    }
    void SetUp() override {
        ASSERT_NE(plugin->module, nullptr) << "LoadLibraryW failed";
        ASSERT_TRUE(plugin->complete()) << "an export is missing or its name is decorated";
    }
    static PluginLibrary* plugin;
};
PluginLibrary* WebpPlugin::plugin = nullptr;

TEST_F(WebpPlugin, VersionResourceAndInfoEntries) {
    const std::wstring path = pluginPath(L"vantle-webp.sph");
    EXPECT_EQ(fileVersion(path), "1.0.0.0");
    EXPECT_EQ(versionString(path, L"ProductName"), L"Vantle");
    EXPECT_EQ(versionString(path, L"OriginalFilename"), L"vantle-webp.sph");

    EXPECT_EQ(plugin->info(0, plugin_abi::kVersionBufferSize), "00IN");
    const std::string about = plugin->info(1);
    EXPECT_NE(about.find("vantle-webp"), std::string::npos) << about;
    EXPECT_NE(about.find("1.0.0"), std::string::npos) << about;
    EXPECT_EQ(plugin->info(2), "*.webp");
    EXPECT_EQ(plugin->info(3), "WebP image");
    EXPECT_EQ(plugin->info(4), "");
    EXPECT_EQ(plugin->configurationDlg(nullptr, 0), plugin_abi::kNoFunction);
}

TEST_F(WebpPlugin, IsSupported) {
    const Bytes file = webptest::encodeLossy(webptest::testPicture(16, 16, false));
    EXPECT_NE(plugin->supports("a.webp", file, 0), 0);
    EXPECT_EQ(plugin->supports("a.webp", behindHead(file), 0), 0);
    EXPECT_NE(plugin->supports("a.webp", behindHead(file), plugin_abi::kSkippedHead), 0);
    EXPECT_EQ(plugin->supports("a.webp", webptest::riff(Bytes(64, 'j')), 0), 0);  // signature alone
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    EXPECT_EQ(plugin->supports("a.png", png, 0), 0);
}

TEST_F(WebpPlugin, PicturesAtTheStartAndBehindAHead) {
    const webptest::Picture opaque = webptest::testPicture(37, 21, false), alpha = webptest::testPicture(37, 21, true);
    struct Sample {
        const char* name;
        Bytes file;
    };
    const Sample samples[] = {
        {"lossy", webptest::encodeLossy(opaque)},
        {"lossless", webptest::encodeLossless(opaque)},
        {"lossy with alpha", webptest::encodeLossy(alpha)},
        {"lossless with alpha", webptest::encodeLossless(alpha)},
        {"animated", webptest::animation(37, 21, {webptest::encodeLossless(alpha), webptest::encodeLossy(opaque)},
                                         {37, 21, 37, 21})},
    };
    for (const Sample& s : samples) {
        for (std::intptr_t offset : {std::intptr_t{0}, std::intptr_t{plugin_abi::kSkippedHead}}) {
            SCOPED_TRACE(testing::Message() << s.name << " at offset " << offset);
            const Bytes content = offset ? behindHead(s.file) : s.file;
            TempFile file(content, "picture.webp");
            ASSERT_FALSE(file.path.empty());
            EXPECT_NE(plugin->supports(file.path, content, static_cast<std::size_t>(offset)), 0);

            plugin_abi::PictureInfo info;
            std::memset(&info, 0x55, sizeof info);
            ASSERT_EQ(plugin->getPictureInfo(file.path.c_str(), offset, plugin_abi::kInputFile, &info),
                      plugin_abi::kAllRight);
            EXPECT_EQ(info.width, 37);
            EXPECT_EQ(info.height, 21);
            EXPECT_EQ(info.colorDepth, 24);
            EXPECT_EQ(info.textInfo, nullptr);

            const Picture picture = getPicture(*plugin, file.path.c_str(), offset, plugin_abi::kInputFile);
            ASSERT_EQ(picture.result, plugin_abi::kAllRight);
            EXPECT_EQ(picture.infoSize, 40u);
            EXPECT_EQ(picture.bitsSize, 112u * 21);  // 37 x 3 padded to 112
            ASSERT_GE(picture.info.size(), 40u);
            EXPECT_EQ(get32(picture.info, 4), 37u);
            EXPECT_EQ(get32(picture.info, 8), 21u);
            EXPECT_EQ(get32(picture.info, 12), 1u | 24u << 16);

            const webptest::Decoded expected = webptest::decode(s.file);
            ASSERT_EQ(expected.status, webp::WebpStatus::ok);
            EXPECT_EQ(picture.info, expected.info);
            EXPECT_EQ(picture.bits, expected.bits);
        }
    }
}

TEST_F(WebpPlugin, MemoryInputAndRefusals) {
    const Bytes good = webptest::encodeLossless(webptest::testPicture(9, 5, true));
    const Picture fromMemory =
        getPicture(*plugin, reinterpret_cast<const char*>(good.data()), static_cast<std::intptr_t>(good.size()), 1);
    ASSERT_EQ(fromMemory.result, plugin_abi::kAllRight);
    EXPECT_EQ(fromMemory.bitsSize, 28u * 5);

    const Bytes frame = webptest::encodeLossless(webptest::testPicture(6, 4, false));
    struct Refusal {
        const char* name;
        Bytes file;
        int infoResult;  // GetPictureInfo reads the headers only
        int result;
    };
    const Refusal cases[] = {
        {"truncated", truncated(good, good.size() / 2), plugin_abi::kAllRight, plugin_abi::kBrokenData},
        {"an animation frame larger than its canvas", webptest::animation(4, 4, {frame}, {6, 4}), plugin_abi::kAllRight,
         plugin_abi::kBrokenData},
        {"a canvas above 2^28 pixels", webptest::animation(65536, 65535, {frame}, {6, 4}), plugin_abi::kNoMemory,
         plugin_abi::kNoMemory},
        {"not WebP", Bytes(100, 'x'), plugin_abi::kNotSupported, plugin_abi::kNotSupported},
        {"empty", Bytes(), plugin_abi::kNotSupported, plugin_abi::kNotSupported},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        TempFile file(c.file, "refused.webp");
        ASSERT_FALSE(file.path.empty());
        plugin_abi::PictureInfo info{};
        EXPECT_EQ(plugin->getPictureInfo(file.path.c_str(), 0, 0, &info), c.infoResult);
        const Picture picture = getPicture(*plugin, file.path.c_str(), 0, 0);
        EXPECT_EQ(picture.result, c.result);
        EXPECT_TRUE(picture.handlesNull);
    }
}

}  // namespace
