// vantle-pnm.sph as the host uses it, under Wine: loaded by full path, its five exports called on a
// bitmap, a grey and a colour file, at the start of the file and behind a 128-byte head, and the
// handles it returns measured against the header they carry.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "PluginLibrary.h"
#include "addons/pnm/PnmReader.h"

using namespace plugintest;

namespace {

Bytes bytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A 13 x 3 bitmap, a 7 x 2 16-bit grey image and a 5 x 3 colour image: rows that need padding.
Bytes bitmapFile() { return bytes(std::string("P4 13 3\n\xF0\x08\x0F\xF0\xAA\xA8", 14)); }
Bytes greyFile() {
    std::string s = "P5\n# grey\n7 2\n65535\n";
    for (int i = 0; i < 14; ++i) s += {static_cast<char>(i * 18), static_cast<char>(i)};
    return bytes(s);
}
Bytes colourFile() {
    std::string s = "P6 5 3 255\n";
    for (int i = 0; i < 45; ++i) s += static_cast<char>(i * 5);
    return bytes(s);
}
int progressCalls = 0;
std::intptr_t progressUser = 0;
int VANTLE_PLUGIN_CALL countProgress(int, int, std::intptr_t user) {
    ++progressCalls;
    progressUser = user;
    return 0;
}
int VANTLE_PLUGIN_CALL stopProgress(int, int, std::intptr_t) { return 1; }

Bytes behindHead(const Bytes& file) {
    Bytes b(plugin_abi::kSkippedHead + file.size(), 'J');
    if (!file.empty()) std::memcpy(b.data() + plugin_abi::kSkippedHead, file.data(), file.size());
    return b;
}

class PnmPlugin : public testing::Test {
protected:
    static void SetUpTestSuite() { plugin = new PluginLibrary(pluginPath(L"vantle-pnm.sph")); }
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
PluginLibrary* PnmPlugin::plugin = nullptr;

TEST_F(PnmPlugin, InfoEntries) {
    EXPECT_EQ(plugin->info(0, plugin_abi::kVersionBufferSize), "00IN");
    const std::string about = plugin->info(1);
    EXPECT_NE(about.find("vantle-pnm"), std::string::npos) << about;
    EXPECT_NE(about.find("1.0.0"), std::string::npos) << about;
    EXPECT_EQ(plugin->info(2), "*.pnm;*.pbm;*.pgm;*.ppm");
    EXPECT_EQ(plugin->info(3), "Netpbm image");
    EXPECT_EQ(plugin->info(4), "*.pam");
    EXPECT_EQ(plugin->info(5), "Netpbm PAM image");
    EXPECT_EQ(plugin->info(6), "");
    EXPECT_EQ(plugin->info(2, 6), "*.pnm");  // cut to the buffer
}

TEST_F(PnmPlugin, VersionResource) {
    const std::wstring path = pluginPath(L"vantle-pnm.sph");
    EXPECT_EQ(fileVersion(path), "1.0.0.0");
    EXPECT_EQ(versionString(path, L"ProductName"), L"Vantle");
    EXPECT_EQ(versionString(path, L"OriginalFilename"), L"vantle-pnm.sph");
    EXPECT_NE(versionString(path, L"FileDescription"), L"");
}

TEST_F(PnmPlugin, IsSupported) {
    const Bytes ppm = colourFile();
    EXPECT_NE(plugin->supports("a.ppm", ppm, 0), 0);
    EXPECT_EQ(plugin->supports("a.ppm", behindHead(ppm), 0), 0);
    EXPECT_NE(plugin->supports("a.ppm", behindHead(ppm), plugin_abi::kSkippedHead), 0);
    EXPECT_EQ(plugin->supports("a.bmp", bytes("BM6\x00\x00\x00\x00\x00\x00\x00"), 0), 0);
    EXPECT_EQ(plugin->isSupported("a.ppm", nullptr), 0);

    // The older use of the convention: a file handle in place of the bytes.
    TempFile file(ppm, "handle.ppm");
    ASSERT_FALSE(file.path.empty());
    HANDLE handle = CreateFileA(file.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_NE(plugin->isSupported(file.path.c_str(), handle), 0);
    CloseHandle(handle);
}

struct Sample {
    const char* name;
    Bytes file;
    std::int32_t width, height;
    std::int16_t colorDepth;
    std::uint16_t bitCount;
    std::uint32_t colours, stride;
};

TEST_F(PnmPlugin, PicturesAtTheStartAndBehindAHead) {
    const Sample samples[] = {
        {"bitmap", bitmapFile(), 13, 3, 1, 1, 2, 4},
        {"grey", greyFile(), 7, 2, 16, 8, 256, 8},
        {"colour", colourFile(), 5, 3, 24, 24, 0, 16},
    };
    for (const Sample& s : samples) {
        for (std::intptr_t offset : {std::intptr_t{0}, std::intptr_t{plugin_abi::kSkippedHead}}) {
            SCOPED_TRACE(testing::Message() << s.name << " at offset " << offset);
            const Bytes content = offset ? behindHead(s.file) : s.file;
            TempFile file(content, s.name);
            ASSERT_FALSE(file.path.empty());
            EXPECT_NE(plugin->supports(file.path, content, static_cast<std::size_t>(offset)), 0);

            plugin_abi::PictureInfo info;
            std::memset(&info, 0x55, sizeof info);
            ASSERT_EQ(plugin->getPictureInfo(file.path.c_str(), offset, plugin_abi::kInputFile, &info),
                      plugin_abi::kAllRight);
            EXPECT_EQ(info.left, 0);
            EXPECT_EQ(info.top, 0);
            EXPECT_EQ(info.width, s.width);
            EXPECT_EQ(info.height, s.height);
            EXPECT_EQ(info.colorDepth, s.colorDepth);
            EXPECT_EQ(info.textInfo, nullptr);

            const Picture picture = getPicture(*plugin, file.path.c_str(), offset, plugin_abi::kInputFile);
            ASSERT_EQ(picture.result, plugin_abi::kAllRight);
            ASSERT_GE(picture.info.size(), 40u);
            EXPECT_EQ(get32(picture.info, 0), 40u);
            EXPECT_EQ(static_cast<std::int32_t>(get32(picture.info, 4)), s.width);
            EXPECT_EQ(static_cast<std::int32_t>(get32(picture.info, 8)), s.height);
            EXPECT_EQ(get32(picture.info, 12), 1u | std::uint32_t{s.bitCount} << 16);
            EXPECT_EQ(get32(picture.info, 16), 0u);
            EXPECT_EQ(picture.infoSize, 40u + 4 * s.colours);
            EXPECT_EQ(picture.bitsSize, SIZE_T{s.stride} * s.height);

            // The same bytes as the reader gives.
            Bytes info2(picture.infoSize), bits2(picture.bitsSize);
            ASSERT_EQ(pnm::decodePnm(s.file.data(), s.file.size(), info2.data(), info2.size(), bits2.data(), bits2.size()),
                      pnm::PnmStatus::ok);
            EXPECT_EQ(picture.info, info2);
            EXPECT_EQ(picture.bits, bits2);
        }
    }
}

TEST_F(PnmPlugin, MemoryInputAndProgress) {
    const Bytes file = colourFile();
    plugin_abi::PictureInfo info{};
    ASSERT_EQ(plugin->getPictureInfo(reinterpret_cast<const char*>(file.data()), static_cast<std::intptr_t>(file.size()),
                                     1, &info),
              plugin_abi::kAllRight);
    EXPECT_EQ(info.width, 5);

    progressCalls = 0;
    const Picture picture = getPicture(*plugin, reinterpret_cast<const char*>(file.data()),
                                       static_cast<std::intptr_t>(file.size()), 1, countProgress, 77);
    ASSERT_EQ(picture.result, plugin_abi::kAllRight);
    EXPECT_EQ(picture.bitsSize, 48u);
    EXPECT_GE(progressCalls, 1);
    EXPECT_EQ(progressUser, 77);

    const Picture aborted = getPicture(*plugin, reinterpret_cast<const char*>(file.data()),
                                       static_cast<std::intptr_t>(file.size()), 1, stopProgress, 0);
    EXPECT_EQ(aborted.result, plugin_abi::kAborted);
    EXPECT_TRUE(aborted.handlesNull);
}

TEST_F(PnmPlugin, Refusals) {
    struct Refusal {
        const char* name;
        Bytes file;
        std::intptr_t offset;
        int infoResult;  // GetPictureInfo reads the header only
        int result;
    };
    const Refusal cases[] = {
        {"truncated raster", bytes("P6 5 3 255\nshort"), 0, plugin_abi::kBrokenData, plugin_abi::kBrokenData},
        {"sample above maxval", bytes("P2 1 1 3\n4"), 0, plugin_abi::kAllRight, plugin_abi::kBrokenData},
        {"not a Netpbm file", bytes("BM this is no PNM"), 0, plugin_abi::kNotSupported, plugin_abi::kNotSupported},
        {"unknown tuple type", bytes("P7\nWIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE CMYK\nENDHDR\nabcd"), 0,
         plugin_abi::kNotSupported, plugin_abi::kNotSupported},
        {"too many pixels", bytes("P6 65536 65536 255\n"), 0, plugin_abi::kNoMemory, plugin_abi::kNoMemory},
        {"empty", Bytes(), 0, plugin_abi::kNotSupported, plugin_abi::kNotSupported},
        {"head offset past the end", colourFile(), 1000, plugin_abi::kReadError, plugin_abi::kReadError},
        {"negative head offset", colourFile(), -1, plugin_abi::kReadError, plugin_abi::kReadError},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        TempFile file(c.file, "refused");
        ASSERT_FALSE(file.path.empty());
        plugin_abi::PictureInfo info{};
        EXPECT_EQ(plugin->getPictureInfo(file.path.c_str(), c.offset, 0, &info), c.infoResult);
        const Picture picture = getPicture(*plugin, file.path.c_str(), c.offset, 0);
        EXPECT_EQ(picture.result, c.result);
        EXPECT_TRUE(picture.handlesNull);
    }
    plugin_abi::PictureInfo info{};
    EXPECT_EQ(plugin->getPictureInfo("Z:\\no\\such\\file.ppm", 0, 0, &info), plugin_abi::kReadError);
    EXPECT_EQ(getPicture(*plugin, "Z:\\no\\such\\file.ppm", 0, 0).result, plugin_abi::kReadError);
}

TEST_F(PnmPlugin, ConfigurationOnlyForTheSettingsFunction) {
    // Function 1 shows a message box (seen on a display); the others do not exist.
    EXPECT_EQ(plugin->configurationDlg(nullptr, 0), plugin_abi::kNoFunction);
    EXPECT_EQ(plugin->configurationDlg(nullptr, 2), plugin_abi::kNoFunction);
}

}  // namespace
