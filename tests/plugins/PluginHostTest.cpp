// The host against plug-ins that the test stands in through the host's system calls: a real folder
// holds the plug-in files (their content is never read), and each file name maps to a fake.
#include "plugins/PluginHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "plugins/PluginAbi.h"
#include "shell/PluginRows.h"
#include "support/Paths.h"
#include "support/TempDir.h"

namespace {

namespace abi = plugin_abi;

struct FakeBlock {
    std::vector<std::uint8_t> bytes;
};

struct FakePlugin {
    std::string version = "00IN";
    std::vector<std::string> info;  // entries 1, 2, ... (entry 0 is the version)
    bool endlessInfo = false;       // answers every info number
    std::function<bool(const char* path, const std::uint8_t* head)> accepts;
    std::function<int(std::intptr_t offset, abi::PictureInfo*)> pictureInfo;
    std::function<int(std::intptr_t offset, void** info, void** bits)> picture;
    bool exportsPicture = true;
    bool exportsIsSupported = true;
    // What the host did.
    int isSupportedCalls = 0;
    std::vector<std::intptr_t> offsetsSeen;
    int configured = -1;
    void* configureParent = nullptr;
};

constexpr int kMaxFakes = 4;
FakePlugin* gFakes[kMaxFakes];
std::map<std::u16string, int> gByName;
int gLoads = 0, gReleases = 0, gLocalFrees = 0, gGlobalFrees = 0;
std::vector<std::u16string> gLoaded;

template <int N>
struct Exports {
    static int VANTLE_PLUGIN_CALL getPluginInfo(int number, char* buffer, int size) {
        FakePlugin& f = *gFakes[N];
        std::string text;
        if (number == 0) text = f.version;
        else if (f.endlessInfo) text = "*.x" + std::to_string(number);
        else if (number - 1 < static_cast<int>(f.info.size())) text = f.info[number - 1];
        else return 0;
        const int n = std::min(static_cast<int>(text.size()), size);
        std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
        return n;
    }
    static int VANTLE_PLUGIN_CALL isSupported(const char* path, void* head) {
        FakePlugin& f = *gFakes[N];
        ++f.isSupportedCalls;
        return f.accepts && f.accepts(path, static_cast<const std::uint8_t*>(head)) ? 1 : 0;
    }
    static int VANTLE_PLUGIN_CALL getPictureInfo(const char*, std::intptr_t offset, unsigned, abi::PictureInfo* info) {
        FakePlugin& f = *gFakes[N];
        f.offsetsSeen.push_back(offset);
        return f.pictureInfo ? f.pictureInfo(offset, info) : abi::kNoFunction;
    }
    static int VANTLE_PLUGIN_CALL getPicture(const char*, std::intptr_t offset, unsigned, void** info, void** bits,
                                             abi::ProgressCallback progress, std::intptr_t) {
        FakePlugin& f = *gFakes[N];
        f.offsetsSeen.push_back(offset);
        if (progress(1, 2, 0) != 0) return abi::kAborted;
        return f.picture ? f.picture(offset, info, bits) : abi::kBrokenData;
    }
    static int VANTLE_PLUGIN_CALL configurationDlg(void* parent, int function) {
        gFakes[N]->configured = function;
        gFakes[N]->configureParent = parent;
        return 0;
    }
};

template <int N>
void* symbolOf(FakePlugin& f, const std::string& name) {
    if (name == "GetPluginInfo") return reinterpret_cast<void*>(&Exports<N>::getPluginInfo);
    if (name == "IsSupported" && f.exportsIsSupported) return reinterpret_cast<void*>(&Exports<N>::isSupported);
    if (name == "GetPictureInfo" && f.pictureInfo) return reinterpret_cast<void*>(&Exports<N>::getPictureInfo);
    if (name == "GetPicture" && f.exportsPicture) return reinterpret_cast<void*>(&Exports<N>::getPicture);
    if (name == "ConfigurationDlg") return reinterpret_cast<void*>(&Exports<N>::configurationDlg);
    return nullptr;
}

void* fakeLoad(const char16_t* path) {
    std::u16string p(path);
    const std::u16string name = p.substr(p.find_last_of(u"/\\") + 1);
    const auto it = gByName.find(name);
    if (it == gByName.end()) return nullptr;
    ++gLoads;
    gLoaded.push_back(name);
    return &gFakes[it->second];
}

void* fakeSymbol(void* library, const char* name) {
    const int n = static_cast<int>(static_cast<FakePlugin**>(library) - gFakes);
    FakePlugin& f = *gFakes[n];
    switch (n) {
    case 0: return symbolOf<0>(f, name);
    case 1: return symbolOf<1>(f, name);
    case 2: return symbolOf<2>(f, name);
    default: return symbolOf<3>(f, name);
    }
}

const PluginCalls kFakeCalls{
    fakeLoad,
    fakeSymbol,
    [](void*) { ++gReleases; },
    [](void* h) -> std::size_t { return h ? static_cast<FakeBlock*>(h)->bytes.size() : 0; },
    [](void* h) -> void* { return h ? static_cast<FakeBlock*>(h)->bytes.data() : nullptr; },
    [](void*) {},
    [](void* h) {
        if (h) ++gLocalFrees;
        delete static_cast<FakeBlock*>(h);
    },
    [](void* h) {
        if (h) ++gGlobalFrees;
        delete static_cast<FakeBlock*>(h);
    },
};

// A 2 x 1 picture of 24 bits as two blocks.
int twoPixels(void** info, void** bits) {
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = 2;
    h.biHeight = 1;
    h.biPlanes = 1;
    h.biBitCount = 24;
    auto* i = new FakeBlock{std::vector<std::uint8_t>(sizeof h)};
    std::memcpy(i->bytes.data(), &h, sizeof h);
    *info = i;
    *bits = new FakeBlock{{1, 2, 3, 4, 5, 6, 0, 0}};
    return abi::kAllRight;
}

class PluginHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        gByName.clear();
        gLoaded.clear();
        gLoads = gReleases = gLocalFrees = gGlobalFrees = 0;
        for (auto& f : gFakes) f = nullptr;
        host.folder = dir.path();
        host.calls = &kFakeCalls;
        image = dir.write(u"picture.xyz", std::vector<std::uint8_t>(3000, 'x'));
    }
    void TearDown() override {
        // Every plug-in loaded was released within its operation.
        EXPECT_EQ(gLoads, gReleases);
    }

    FakePlugin& add(const char16_t* name) {
        const int n = static_cast<int>(gByName.size());
        fakes[n] = FakePlugin{};
        gFakes[n] = &fakes[n];
        gByName[name] = n;
        dir.write(name, {});
        return fakes[n];
    }

    TempDir dir;
    PluginHost host;
    WideString image;
    FakePlugin fakes[kMaxFakes];
};

bool always(const char*, const std::uint8_t*) { return true; }

TEST_F(PluginHostTest, TheFirstSpiThatAcceptsReadsThePictureAndEverythingIsReleased) {
    FakePlugin& sph = add(u"a.sph");
    sph.accepts = always;
    sph.picture = [](std::intptr_t, void** i, void** b) { return twoPixels(i, b); };
    FakePlugin& spi = add(u"b.SPI");
    spi.accepts = always;
    spi.picture = [](std::intptr_t, void** i, void** b) { return twoPixels(i, b); };
    spi.pictureInfo = [](std::intptr_t, abi::PictureInfo* info) {
        info->colorDepth = 32;
        info->textInfo = new FakeBlock{{'h', 'i'}};
        return abi::kAllRight;
    };
    add(u"c.dll").accepts = always;  // not a plug-in's name: never loaded

    ImageData* result = loadWithPlugin(host, image);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(sph.isSupportedCalls, 0);
    EXPECT_EQ(result->header.biWidth, 2);
    EXPECT_EQ(result->pixels[3], 4);
    EXPECT_EQ(result->sourceBitDepth, 32u);
    EXPECT_EQ(result->sourceFileSize, 3000u);
    EXPECT_EQ(result->sourceFormat, ImageFormat::NotRecognised);
    EXPECT_EQ(host.headOffset, 0);
    EXPECT_EQ(gLocalFrees, 2);
    EXPECT_EQ(gGlobalFrees, 1);
    EXPECT_EQ(gLoaded, (std::vector<std::u16string>{u"b.SPI"}));
    freeImageData(result);
}

TEST_F(PluginHostTest, APluginThatAcceptsOnlyBehindThe128ByteHeadIsCalledWithThatOffset) {
    WideString headed = dir.write(u"headed.xyz", [] {
        std::vector<std::uint8_t> bytes(3000, 0);
        std::memcpy(bytes.data() + 128, "MAGIC", 5);
        return bytes;
    }());
    FakePlugin& f = add(u"late.spi");
    f.accepts = [](const char*, const std::uint8_t* head) { return std::memcmp(head, "MAGIC", 5) == 0; };
    f.pictureInfo = [](std::intptr_t, abi::PictureInfo*) { return abi::kAllRight; };
    f.picture = [](std::intptr_t, void** i, void** b) { return twoPixels(i, b); };
    ImageData* result = loadWithPlugin(host, headed);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(f.isSupportedCalls, 2);
    EXPECT_EQ(host.headOffset, 128);
    EXPECT_EQ(f.offsetsSeen, (std::vector<std::intptr_t>{128, 128}));
    freeImageData(result);
}

TEST_F(PluginHostTest, SwitchedOffArchiveAndRefusingPluginsAreNotChosen) {
    FakePlugin& off = add(u"Off.spi");
    off.accepts = always;
    FakePlugin& archive = add(u"archive.spi");
    archive.version = "00AM";
    archive.accepts = always;
    FakePlugin& refuses = add(u"refuses.spi");
    refuses.accepts = [](const char*, const std::uint8_t*) { return false; };
    FakePlugin& good = add(u"good.sph");
    good.accepts = always;
    good.picture = [](std::intptr_t, void** i, void** b) { return twoPixels(i, b); };

    PluginNameList disabled;
    disabled.append(u"OFF.SPI", 7);
    host.disabled = &disabled;
    ImageData* result = loadWithPlugin(host, image);
    ASSERT_NE(result, nullptr);
    freeImageData(result);
    for (const auto& name : gLoaded) EXPECT_NE(name, u"Off.spi");
    EXPECT_EQ(off.isSupportedCalls, 0);
    EXPECT_EQ(refuses.isSupportedCalls, 2);
    // Listed all the same, with the image plug-ins only.
    std::vector<WideString> names = listPlugins(host);
    std::vector<std::u16string> listed;
    for (const auto& n : names) listed.emplace_back(n.view());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::u16string>{u"Off.spi", u"good.sph", u"refuses.spi"}));
}

TEST_F(PluginHostTest, NamesMatchWithoutCaseOnlyForAsciiLetters) {
    PluginNameList list;
    list.append(u"\u00c9t\u00e9.spi", 7);
    EXPECT_TRUE(IsListed(&list, u"\u00c9T\u00e9.SPI"));
    EXPECT_FALSE(IsListed(&list, u"\u00e9t\u00e9.spi"));
    EXPECT_FALSE(IsListed(nullptr, u"x.spi"));
}

TEST_F(PluginHostTest, EveryBadAnswerLeavesTheFileUnreadable) {
    using Picture = std::function<int(std::intptr_t, void**, void**)>;
    const struct {
        const char* what;
        Picture picture;
    } cases[] = {
        {"an error", [](std::intptr_t, void**, void**) { return abi::kBrokenData; }},
        {"no handles", [](std::intptr_t, void**, void**) { return abi::kAllRight; }},
        {"an empty bits block",
         [](std::intptr_t, void** i, void** b) {
             twoPixels(i, b);
             static_cast<FakeBlock*>(*b)->bytes.clear();
             return abi::kAllRight;
         }},
        {"a header cut short",
         [](std::intptr_t, void** i, void** b) {
             twoPixels(i, b);
             static_cast<FakeBlock*>(*i)->bytes.resize(20);
             return abi::kAllRight;
         }},
    };
    for (const auto& c : cases) {
        SetUp();
        FakePlugin& f = add(u"bad.spi");
        f.accepts = always;
        f.picture = c.picture;
        EXPECT_EQ(loadWithPlugin(host, image), nullptr) << c.what;
    }
    SetUp();
    FakePlugin& f = add(u"noexport.spi");
    f.accepts = always;
    f.exportsPicture = false;
    EXPECT_EQ(loadWithPlugin(host, image), nullptr);
}

TEST_F(PluginHostTest, ASmallFileIsOfferedWithItsHeadZeroFilledAnEmptyOneNot) {
    FakePlugin& f = add(u"any.spi");
    std::vector<std::uint8_t> seen;
    f.accepts = [&](const char*, const std::uint8_t* head) {
        seen.assign(head, head + 2048);
        return true;
    };
    f.picture = [](std::intptr_t, void** i, void** b) { return twoPixels(i, b); };
    WideString small = dir.write(u"small.pbm", {'P', '1', '\n', '2', ' ', '1', '\n', '0', '1'});
    ImageData* result = loadWithPlugin(host, small);
    ASSERT_NE(result, nullptr);
    freeImageData(result);
    EXPECT_EQ(seen[1], '1');
    EXPECT_EQ(seen[9], 0);
    EXPECT_EQ(seen[2047], 0);
    EXPECT_EQ(f.isSupportedCalls, 1);
    EXPECT_EQ(loadWithPlugin(host, dir.write(u"empty.pbm", {})), nullptr);
    EXPECT_EQ(f.isSupportedCalls, 1);
}

TEST_F(PluginHostTest, AMissingFolderReachesNoPlugin) {
    add(u"any.spi").accepts = always;
    host.folder = dir.file(u"nowhere");
    EXPECT_EQ(loadWithPlugin(host, image), nullptr);
    EXPECT_TRUE(collectPatterns(host, true).empty());
    EXPECT_EQ(gLoads, 0);
}

std::vector<std::u16string> texts(const std::vector<WideString>& list) {
    std::vector<std::u16string> out;
    for (const auto& s : list) out.emplace_back(s.view());
    return out;
}

TEST_F(PluginHostTest, PatternsLeaveOutBuiltInFormatsAndRepeats) {
    FakePlugin& f = add(u"pcx.spi");
    f.info = {"about", "*.bmp;*.pcx", "PCX", "*.PCX;;dir\\name;*.tar.gz", "more"};
    EXPECT_EQ(texts(collectPatterns(host, false)), (std::vector<std::u16string>{u".pcx", u"dir\\name", u".gz"}));
    EXPECT_EQ(texts(collectPatterns(host, true)),
              (std::vector<std::u16string>{u"*.pcx", u"dir\\name", u"*.tar.gz"}));
    PluginNameList disabled;
    disabled.append(u"pcx.spi", 7);
    host.disabled = &disabled;
    EXPECT_TRUE(collectPatterns(host, false).empty());
}

TEST_F(PluginHostTest, APluginThatAnswersEveryInfoNumberIsNotAskedForever) {
    FakePlugin& f = add(u"endless.spi");
    f.endlessInfo = true;
    const auto patterns = collectPatterns(host, true);
    EXPECT_FALSE(patterns.empty());
    EXPECT_LT(patterns.size(), 1000u);
    WideString p, n;
    EXPECT_TRUE(describePlugin(host, W(u"endless.spi"), p, n));
    EXPECT_LE(p.length(), 259u);
}

TEST_F(PluginHostTest, DescriptionsJoinPatternsAndNames) {
    FakePlugin& f = add(u"two.spi");
    f.info = {"about", "*.aa", "Format A", "*.bb;*.b2", "Format B"};
    WideString patterns, names;
    ASSERT_TRUE(describePlugin(host, W(u"two.spi"), patterns, names));
    EXPECT_EQ(patterns.view(), u"*.aa;*.bb;*.b2");
    EXPECT_EQ(names.view(), u"Format A/Format B");

    // A pair that would pass 259 bytes ends the description.
    FakePlugin& g = add(u"long.spi");
    g.info = {"about", std::string(250, 'p'), "N", "*.toolong", "M"};
    ASSERT_TRUE(describePlugin(host, W(u"long.spi"), patterns, names));
    EXPECT_EQ(patterns.length(), 250u);
    EXPECT_EQ(names.view(), u"N");

    FakePlugin& h = add(u"noname.spi");
    h.info = {"about", "*.cc"};
    EXPECT_FALSE(describePlugin(host, W(u"noname.spi"), patterns, names));
}

TEST_F(PluginHostTest, ConfigurationOpensThePluginsOwnDialog) {
    FakePlugin& f = add(u"conf.spi");
    int parent = 0;
    configurePlugin(host, &parent, W(u"conf.spi"));
    EXPECT_EQ(f.configured, 1);
    EXPECT_EQ(f.configureParent, &parent);
}

TEST_F(PluginHostTest, DialogRowsComeInNaturalOrderAndOkStoresExactlyTheUncheckedOnes) {
    for (const char16_t* name : {u"b10.spi", u"a.sph", u"b9.spi", u"C.spi"}) add(name).info = {"about", "*.q", "Q"};
    std::vector<PluginRow> rows = PluginRows(host, nullptr);
    std::vector<std::u16string> names;
    for (const PluginRow& row : rows) {
        names.emplace_back(row.name.view());
        EXPECT_TRUE(row.checked);
        EXPECT_EQ(row.patterns.view(), u"*.q");
        EXPECT_EQ(row.formats.view(), u"Q");
    }
    EXPECT_EQ(names, (std::vector<std::u16string>{u"a.sph", u"b9.spi", u"b10.spi", u"C.spi"}));

    rows[1].checked = rows[3].checked = false;
    PluginNameList off;
    off.append(u"stale.spi", 9);
    StoreSwitchedOff(rows, off);
    ASSERT_EQ(off.count(), 2u);
    EXPECT_EQ(off.first->name.view(), u"b9.spi");
    EXPECT_EQ(off.last->name.view(), u"C.spi");

    // The next opening: those two unchecked, whatever the case of the stored names.
    off.first->name.assign(u"B9.SPI");
    std::vector<bool> checks;
    for (const PluginRow& row : PluginRows(host, &off)) checks.push_back(row.checked);
    EXPECT_EQ(checks, (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(OtherPluginFolder(W(u"C:\\Plug-Ins"), W(u"c:\\plug-ins")));
    EXPECT_TRUE(OtherPluginFolder(W(u"C:\\Plug-Ins"), W(u"C:\\Plug-Ins2")));
}

}  // namespace
