#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

#include "shell/SettingsBytes.h"
#include "support/Paths.h"
#include "support/TempDir.h"

namespace {

struct Loaded {
    Settings s;
    KeySlotTable slots;
    AcceleratorList accelerators;
    bool loaded;
};

std::unique_ptr<Loaded> load(const std::vector<std::uint8_t>& bytes) {
    auto out = std::make_unique<Loaded>();
    SettingsReader r;
    out->loaded = r.openMemory(bytes.data(), bytes.size());
    r.readText(entry::kLanguageName, out->s.languageName);
    loadSettings(r, out->s, out->slots, out->accelerators);
    loadWindowPlacement(r, out->s);
    return out;
}

KeySlotTable defaults() {
    KeySlotTable t;
    defaultKeySlots(t);
    return t;
}

bool sameSlots(const KeySlotTable& a, const KeySlotTable& b) {
    for (std::uint32_t i = 0; i < kKeySlotCount; ++i)
        if (a.slots[i].fVirt != b.slots[i].fVirt || a.slots[i].key != b.slots[i].key || a.slots[i].cmd != b.slots[i].cmd)
            return false;
    return true;
}

std::vector<std::uint8_t> u16le(const std::u16string& text) {
    std::vector<std::uint8_t> b;
    for (char16_t c : text) {
        b.push_back(static_cast<std::uint8_t>(c));
        b.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return b;
}

TEST(Settings, ThreeEntriesGiveEntry2AndDefaultsForTheRest) {
    const auto l = load(SettingsBytes(3).text(0, u"Japanese").integer(2, 1).build());
    ASSERT_TRUE(l->loaded);
    const Settings& s = l->s;
    EXPECT_EQ(s.languageName.view(), u"Japanese");
    EXPECT_EQ(s.windowMaximized, 1);
    EXPECT_EQ(s.windowLeft, 200);
    EXPECT_EQ(s.windowTop, 100);
    EXPECT_EQ(s.windowWidth, 800);
    EXPECT_EQ(s.windowHeight, 600);
    EXPECT_EQ(s.outsideShade, 1);
    EXPECT_EQ(s.outputSubfolder.view(), u"Output");
    EXPECT_EQ(s.trimWidth, 400);
    EXPECT_EQ(s.trimHeight, 300);
    EXPECT_EQ(s.presetWidth[0], 800);
    EXPECT_EQ(s.presetHeight[0], 450);
    EXPECT_EQ(s.presetWidth[2], 200);
    EXPECT_EQ(s.presetWidth[3], 0);
    EXPECT_EQ(s.outputFormat, OutputFormat::Jpeg);
    EXPECT_EQ(s.jpegQuality, 75);
    EXPECT_EQ(s.jpegSizeLimitKiB, 100);
    EXPECT_EQ(s.createOutputFolder, 1);
    EXPECT_EQ(s.mouseActions[2], 5120);
    EXPECT_EQ(s.mouseActions[5], 5231);
    EXPECT_EQ(s.mouseActions[6], 5230);
    EXPECT_TRUE(sameSlots(l->slots, defaults()));
    EXPECT_EQ(l->accelerators.count, 8u);
}

TEST(Settings, MissingFileGivesDefaultsAndSystemFolders) {
    const auto l = load({});
    EXPECT_FALSE(l->loaded);
    EXPECT_TRUE(l->s.languageName.empty());
    EXPECT_EQ(l->s.outputSubfolder.view(), u"Output");
    char16_t documents[1024] = {};
    platform::specialFolder(platform::SpecialFolder::documents, documents, 1024);
    EXPECT_EQ(l->s.currentFolder.view(), std::u16string_view(documents));
    char16_t face[64] = {};
    platform::menuFontFace(face, 64);
    EXPECT_EQ(l->s.fontFace.view(), std::u16string_view(face));
    EXPECT_FALSE(l->s.currentFolder.empty());
#ifdef _WIN32
    EXPECT_FALSE(l->s.fontFace.empty());  // the system menu font
#endif
    EXPECT_TRUE(sameSlots(l->slots, defaults()));
}

TEST(Settings, EmptySubfolderEntryStaysEmpty) {
    const auto l = load(SettingsBytes(70).raw(entry::kOutputSubfolder, 0, 0).build());
    EXPECT_TRUE(l->s.outputSubfolder.empty());
    // An integer where a text belongs is present too.
    const auto m = load(SettingsBytes(70).integer(entry::kOutputSubfolder, 3).build());
    EXPECT_TRUE(m->s.outputSubfolder.empty());
}

TEST(Settings, CurrentFolderMustBeAnExistingFolder) {
    TempDir dir;
    const std::u16string folder(dir.path().view());
    EXPECT_EQ(load(SettingsBytes(70).text(entry::kCurrentFolder, folder).build())->s.currentFolder.view(), folder);
    const auto gone = load(SettingsBytes(70).text(entry::kCurrentFolder, folder + P(u"\\missing")).build());
    char16_t documents[1024] = {};
    platform::specialFolder(platform::SpecialFolder::documents, documents, 1024);
    EXPECT_EQ(gone->s.currentFolder.view(), std::u16string_view(documents));
}

TEST(Settings, LoadRulesClampStoredValues) {
    struct Case {
        std::uint32_t index;
        std::int32_t stored;
        std::int32_t expected;
    };
    const Case cases[] = {
        {entry::kFontHeight, -13, -12},    {entry::kFontHeight, -16, -16},   {entry::kFontHeight, -14, -14},
        {entry::kFontWeight, 500, 400},    {entry::kFontWeight, 700, 700},   {entry::kOutputFormat, 6, 2},
        {entry::kOutputFormat, -1, 2},     {entry::kOutputFormat, 5, 5},     {entry::kJpegQuality, 0, 75},
        {entry::kJpegQuality, 101, 75},    {entry::kJpegQuality, 1, 1},      {entry::kJpegQuality, 100, 100},
        {entry::kTrimWidth, 0, 1},         {entry::kTrimWidth, -5, 1},       {entry::kTrimHeight, 0, 1},
        {entry::kTrimHeight, 1200, 1200},  {entry::kJpegSubsampling, -1, 0}, {entry::kJpegSubsampling, 3, 0},
        {entry::kJpegSubsampling, 2, 2},   {entry::kResizeMethod, 4, 0},     {entry::kResizeMethod, -1, 0},
        {entry::kResizeMethod, 3, 3},      {entry::kSharpen, 2, 0},          {entry::kSharpen, 3, 1},
        {entry::kCreateOutputFolder, 0, 0}, {entry::kCreateOutputFolder, 2, 0}, {entry::kJpegSizeLimitKiB, 0, 0},
        {entry::kOutsideShade, 7, 7},      {entry::kWindowMaximized, 255, 1}, {entry::kWindowLeft, -3000, -3000},
    };
    auto field = [](const Settings& s, std::uint32_t index) -> std::int32_t {
        switch (index) {
        case entry::kFontHeight: return s.fontHeight;
        case entry::kFontWeight: return s.fontWeight;
        case entry::kOutputFormat: return NumberOf(s.outputFormat);
        case entry::kJpegQuality: return s.jpegQuality;
        case entry::kTrimWidth: return s.trimWidth;
        case entry::kTrimHeight: return s.trimHeight;
        case entry::kJpegSubsampling: return s.jpegSubsampling;
        case entry::kResizeMethod: return static_cast<std::int32_t>(s.resizeMethod);
        case entry::kSharpen: return s.sharpen;
        case entry::kCreateOutputFolder: return s.createOutputFolder;
        case entry::kJpegSizeLimitKiB: return s.jpegSizeLimitKiB;
        case entry::kOutsideShade: return s.outsideShade;
        case entry::kWindowMaximized: return s.windowMaximized;
        case entry::kWindowLeft: return s.windowLeft;
        default: return 0x7FFFFFFF;
        }
    };
    for (const Case& c : cases) {
        const auto l = load(SettingsBytes(70).integer(c.index, c.stored).build());
        EXPECT_EQ(field(l->s, c.index), c.expected) << "entry " << c.index << " stored " << c.stored;
    }
}

TEST(Settings, KeyAssignmentEntries) {
    // Ctrl+Shift+F5 for "save as", stored with high bits the loader must mask off.
    const std::vector<std::uint8_t> ctrlShiftF5 = {0x1D, 0x00, 0x74, 0x01, 0x22, 0x15};

    {  // 7 bytes: one record; every other slot loses its key.
        auto bytes = ctrlShiftF5;
        bytes.push_back(0xEE);
        const auto l = load(SettingsBytes(70).data(entry::kKeyAssignments, bytes).build());
        ASSERT_EQ(l->accelerators.count, 1u);
        EXPECT_EQ(l->accelerators.entries[0].fVirt, 13);
        EXPECT_EQ(l->accelerators.entries[0].key, 0x74);
        EXPECT_EQ(l->accelerators.entries[0].cmd, 5410);
        EXPECT_EQ(l->slots.slots[1].key, 0);  // Ctrl+O is gone
        EXPECT_EQ(l->slots.slots[1].fVirt, kAccelVirtKey);
    }
    {  // The first record of a command wins; unknown commands are ignored.
        std::vector<std::uint8_t> bytes = {0x01, 0, 0x41, 0, 0x99, 0x99};
        bytes.insert(bytes.end(), ctrlShiftF5.begin(), ctrlShiftF5.end());
        bytes.insert(bytes.end(), {0x01, 0, 0x42, 0, 0x22, 0x15});
        const auto l = load(SettingsBytes(70).data(entry::kKeyAssignments, bytes).build());
        ASSERT_EQ(l->accelerators.count, 1u);
        EXPECT_EQ(l->slots.slots[33].key, 0x74);
    }
    // Cases that give the default table.
    const std::vector<std::uint8_t> fiveBytes(ctrlShiftF5.begin(), ctrlShiftF5.begin() + 5);
    std::vector<std::uint8_t> tooMany;
    for (int i = 0; i < 41; ++i) tooMany.insert(tooMany.end(), ctrlShiftF5.begin(), ctrlShiftF5.end());
    std::vector<std::vector<std::uint8_t>> defaultCases = {
        SettingsBytes(70).data(entry::kKeyAssignments, fiveBytes).build(),
        SettingsBytes(70).data(entry::kKeyAssignments, tooMany).build(),
        SettingsBytes(70).raw(entry::kKeyAssignments, 0, 0).build(),
        SettingsBytes(70).integer(entry::kKeyAssignments, 6).build(),
        SettingsBytes(70).raw(entry::kKeyAssignments, 600, 6000).build(),  // longer than the data area
        SettingsBytes(12).build(),                                         // entry count 12: no entry 12
    };
    for (std::size_t i = 0; i < defaultCases.size(); ++i) {
        const auto l = load(defaultCases[i]);
        EXPECT_TRUE(sameSlots(l->slots, defaults())) << "case " << i;
        EXPECT_EQ(l->accelerators.count, 8u) << "case " << i;
    }
    {  // A plausible length whose bytes cannot be read: no key at all.
        auto bytes = SettingsBytes(70)
                         .data(entry::kSharpen, std::vector<std::uint8_t>(12, 0))
                         .raw(entry::kKeyAssignments, 9000, 6)
                         .build();
        const auto l = load(bytes);
        EXPECT_EQ(l->accelerators.count, 0u);
        EXPECT_EQ(l->slots.slots[1].key, 0);
    }
}

TEST(Settings, PluginListLoadsInOrderAndSavesOnlyPluginsThatExist) {
    TempDir dir;
    dir.write(u"a.spi", {1});
    dir.write(u"c.spi", {1});
    std::vector<std::uint8_t> list = u16le(std::u16string(u"a.spi\0gone.spi\0\0c.spi", 21));  // last one unterminated
    const auto l = load(SettingsBytes(70)
                            .text(entry::kPluginFolder, std::u16string(dir.path().view()))
                            .data(entry::kDisabledPlugins, list)
                            .build());
    ASSERT_EQ(l->s.disabledPlugins.count(), 3u);
    EXPECT_EQ(l->s.disabledPlugins.first->name.view(), u"a.spi");
    EXPECT_EQ(l->s.disabledPlugins.first->next->name.view(), u"gone.spi");
    EXPECT_EQ(l->s.disabledPlugins.last->name.view(), u"c.spi");

    // Read only when the file has an entry 58.
    EXPECT_EQ(load(SettingsBytes(58).build())->s.disabledPlugins.count(), 0u);

    SettingsWriter w;
    ASSERT_TRUE(w.openMemory(nullptr, 0));
    ASSERT_TRUE(saveSettings(w, l->s, l->accelerators.entries, l->accelerators.count));
    ASSERT_TRUE(w.close());
    SettingsReader r;
    ASSERT_TRUE(r.openMemory(w.bytes(), w.size()));
    std::uint8_t saved[64];
    const std::uint32_t n = r.readData(entry::kDisabledPlugins, saved, sizeof saved);
    EXPECT_EQ(std::vector<std::uint8_t>(saved, saved + n), u16le(std::u16string(u"a.spi\0c.spi\0", 12)));

    // Nothing left: an empty entry.
    l->s.pluginFolder.assign(dir.file(u"elsewhere"));
    SettingsWriter w2;
    ASSERT_TRUE(w2.openMemory(nullptr, 0));
    saveSettings(w2, l->s, nullptr, 0);
    ASSERT_TRUE(w2.close());
    EXPECT_EQ(fileU32(std::vector<std::uint8_t>(w2.bytes(), w2.bytes() + w2.size()), 4 + 8 * entry::kDisabledPlugins), 0u);
}

TEST(Settings, SaveOrderAndRoundTrip) {
    Settings s;
    s.languageName.assign(u"English");
    s.windowMaximized = 1;
    s.windowLeft = -20;
    s.fontFace.assign(u"Segoe UI");
    s.currentFolder.assign(u"C:\\pictures");
    s.outputSubfolder.assign(u"");
    s.trimWidth = 640;
    s.presetName[7].assign(u"Last");
    s.nameSuffix.assign(u"_s");
    s.jpegQuality = 300;  // saved as it is; the clamp belongs to loading
    KeySlotTable slots;
    defaultKeySlots(slots);
    slots.slots[33] = AccelRecord{13, 0x74, 5410};
    AcceleratorList acc;
    buildAcceleratorList(slots, acc);

    SettingsWriter w;
    ASSERT_TRUE(w.openMemory(nullptr, 0));
    ASSERT_TRUE(saveSettings(w, s, acc.entries, acc.count));
    ASSERT_TRUE(w.close());
    const std::vector<std::uint8_t> f(w.bytes(), w.bytes() + w.size());

    // Data entries appear in saving order: 0, 67, 10, 11, 58, 12, 14, 15, presets' names, 54, 56.
    std::vector<std::uint32_t> order;
    std::uint32_t at = kSettingsDataStart;
    while (at < f.size()) {
        bool found = false;
        for (std::uint32_t i = 0; i < kSettingsEntryCount && !found; ++i)
            if (fileU32(f, 4 + 8 * i) == at && fileU32(f, 8 + 8 * i) > 0) {
                order.push_back(i);
                at += fileU32(f, 8 + 8 * i);
                found = true;
            }
        ASSERT_TRUE(found) << "dead bytes at " << at;
    }
    EXPECT_EQ(order, (std::vector<std::uint32_t>{0, 67, 10, 12, 41, 56}));
    EXPECT_EQ(fileU32(f, 4 + 8 * entry::kJpegQuality), 1u);
    EXPECT_EQ(fileU32(f, 8 + 8 * entry::kJpegQuality), 300u);

    const auto l = load(f);
    EXPECT_EQ(l->s.languageName.view(), u"English");
    EXPECT_EQ(l->s.windowMaximized, 1);
    EXPECT_EQ(l->s.windowLeft, -20);
    EXPECT_EQ(l->s.fontFace.view(), u"Segoe UI");
    EXPECT_TRUE(l->s.outputSubfolder.empty());
    EXPECT_EQ(l->s.trimWidth, 640);
    EXPECT_EQ(l->s.presetName[7].view(), u"Last");
    EXPECT_EQ(l->s.nameSuffix.view(), u"_s");
    EXPECT_EQ(l->s.jpegQuality, 75);
    EXPECT_TRUE(sameSlots(l->slots, slots));
}

TEST(Settings, SavingTwiceWithoutChangesIsByteIdentical) {
    TempDir dir;
    dir.write(u"x.spi", {1});
    const auto old = SettingsBytes(70)
                         .data(1, {9, 8, 7})
                         .data(13, {1, 3})
                         .text(entry::kPluginFolder, std::u16string(dir.path().view()))
                         .data(entry::kDisabledPlugins, u16le(std::u16string(u"x.spi\0", 6)))
                         .text(entry::kPresetName + 2, u"Square")
                         .integer(entry::kJpegQuality, 90)
                         .build();
    const WideString path = dir.write(u"Vantle.ini", old);
    Settings s;
    KeySlotTable slots;
    AcceleratorList acc;
    ASSERT_TRUE(loadSettingsFile(path.c_str(), s, slots, acc));
    ASSERT_TRUE(saveSettingsFile(path.c_str(), s, acc));
    const auto first = readWholeFile(path);
    ASSERT_TRUE(saveSettingsFile(path.c_str(), s, acc));
    EXPECT_EQ(readWholeFile(path), first);

    // Loaded again and saved: the same bytes, and the unknown entries are still there.
    Settings again;
    ASSERT_TRUE(loadSettingsFile(path.c_str(), again, slots, acc));
    ASSERT_TRUE(saveSettingsFile(path.c_str(), again, acc));
    const auto second = readWholeFile(path);
    EXPECT_EQ(second, first);
    SettingsReader r;
    ASSERT_TRUE(r.open(path.c_str()));
    std::uint8_t b[4] = {};
    EXPECT_EQ(r.readData(1, b, 4), 3u);
    EXPECT_EQ(b[2], 7);
    EXPECT_EQ(r.readData(13, b, 4), 2u);
    EXPECT_EQ(b[1], 3);
}

TEST(Settings, PlacementMaximisedState) {
    struct Case {
        std::uint32_t showCmd, flags;
        std::uint8_t maximized;
    } cases[] = {{1, 0, 0}, {3, 0, 1}, {2, 2, 1}, {2, 0, 0}, {3, 2, 1}};
    for (const Case& c : cases) EXPECT_EQ(placementIsMaximized(c.showCmd, c.flags), c.maximized) << c.showCmd << " " << c.flags;
}

#ifndef _WIN32
TEST(Settings, LocationFallsBackToTheConfigFolder) {
    TempDir dir;
    const WideString config = dir.file(u"config");  // does not exist yet
    const char* before = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = before ? before : "";
    setenv("XDG_CONFIG_HOME", config.toUtf8().c_str(), 1);
    WideString path;
    const bool ok = locateSettingsFile(path);
    if (before) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");

    ASSERT_TRUE(ok);
    EXPECT_EQ(path.view(), std::u16string(config.view()) + u"/Vantle/Vantle.ini");
    EXPECT_TRUE(platform::isDirectory(dir.file(u"config/Vantle").c_str()));
}
#endif

}  // namespace
