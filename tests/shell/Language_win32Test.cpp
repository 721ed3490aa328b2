// The language module as the Windows program loads it: English.dll and a few refused modules lie
// beside this test executable.
#include "shell/Language_win32.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "shell/DialogTemplate.h"
#include "shell/TextProvider.h"
#include "shell/texts/EnglishTexts.h"
#include "support/Paths.h"

namespace {

std::u16string str(const WideString& s) { return std::u16string(s.view()); }

struct LanguageModuleTest : ::testing::Test {
    void SetUp() override { unload(); }
    void TearDown() override { unload(); }
    static void unload() {
        if (languageModule) FreeLibrary(languageModule);
        languageModule = nullptr;
    }
    void loadEnglish() {
        WideString name(u"English");
        ASSERT_TRUE(loadLanguage(name));
        ASSERT_NE(languageModule, nullptr);
    }
};

TEST_F(LanguageModuleTest, EnglishLoadsWithItsSignature) {
    WideString name(u"English");
    ASSERT_TRUE(loadLanguage(name));
    EXPECT_EQ(str(name), u"English");
    HRSRC info = FindResourceW(languageModule, MAKEINTRESOURCEW(1), RT_RCDATA);
    ASSERT_NE(info, nullptr);
    ASSERT_GE(SizeofResource(languageModule, info), 7u);
    EXPECT_EQ(std::memcmp(LockResource(LoadResource(languageModule, info)), "Vantle\0", 7), 0);
}

TEST_F(LanguageModuleTest, StringTableIsTheEnglishTextTable) {
    loadEnglish();
    for (std::size_t i = 0; i < kEnglishTextCount; ++i) {
        const std::uint32_t id = kEnglishTexts[i].id;
        const WideString expected = WideString::fromUtf8(reinterpret_cast<const char*>(kEnglishTexts[i].text));
        const wchar_t* resource = nullptr;
        const int length = LoadStringW(languageModule, id, reinterpret_cast<wchar_t*>(&resource), 0);
        ASSERT_GT(length, 0) << id;
        EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(resource), length), str(expected)) << id;
        EXPECT_EQ(str(loadText(id)), str(englishWideText(id))) << id;
    }
    EXPECT_TRUE(loadText(15000).empty());  // the N + 10000 parts are empty in English
    EXPECT_EQ(str(loadText(20019)).find(u'\n'), 16u);
}

TEST_F(LanguageModuleTest, MissingOrUnsafeNamesFallBackToEnglish) {
    for (const char16_t* asked : {u"Klingon", u"", u"..\\English", u"C:English", u"NoSuchFolder\\English"}) {
        unload();
        WideString name(asked);
        EXPECT_TRUE(loadLanguage(name)) << str(W(asked)).size();
        EXPECT_EQ(str(name), u"English");
        EXPECT_NE(languageModule, nullptr);
    }
}

TEST_F(LanguageModuleTest, AModuleWithoutTheSignatureIsRefusedWithoutFallback) {
    for (const char16_t* asked : {u"NoSignature", u"WrongSignature", u"ShortSignature"}) {
        WideString name(asked);
        EXPECT_FALSE(loadLanguage(name));
        EXPECT_EQ(str(name), asked);
        EXPECT_EQ(languageModule, nullptr);
    }
}

TEST_F(LanguageModuleTest, LoadingAndListingRunNoCodeOfTheModules) {
    SetEnvironmentVariableW(L"VANTLE_TRAP_RAN", nullptr);
    WideString name(u"trap");
    EXPECT_TRUE(loadLanguage(name));
    EXPECT_EQ(str(loadText(30000)), u"Trap");
    unload();
    findLanguages(W(u"English"));
    EXPECT_EQ(GetEnvironmentVariableW(L"VANTLE_TRAP_RAN", nullptr, 0), 0u) << "a module's code ran";
}

TEST_F(LanguageModuleTest, ListOffersSignedModulesAndTheCurrentOne) {
    const LanguageList list = findLanguages(W(u"english"));
    std::vector<std::u16string> names;
    for (const WideString& n : list.names) names.push_back(str(n));
    ASSERT_GE(list.current, 0);
    EXPECT_EQ(names[list.current], u"English");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"English", u"Trap"}));

    // The current module is listed without a check, as it is the one in use.
    const LanguageList current = findLanguages(W(u"NoSignature"));
    ASSERT_GE(current.current, 0);
    EXPECT_EQ(str(current.names[current.current]), u"NoSignature");
    EXPECT_EQ(current.names.size(), 3u);
    EXPECT_EQ(findLanguages(W(u"Japanese")).current, -1);
}

// What each control of the templates must be.
enum class Kind { label, edit, spin, check, radio, button, combo, ownerDrawCombo, listBox, listView };

struct ExpectedControl {
    std::uint32_t id;
    Kind kind;
};

bool sameClass(const DialogItemInfo& item, const char16_t* name) {
    if (!item.className) return false;
    const std::u16string a(item.className, item.classNameLength), b(name);
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
               return std::towlower(x) == std::towlower(y);
           });
}

bool hasKind(const DialogItemInfo& item, Kind kind) {
    const std::uint32_t type = item.style & 0x0F;
    switch (kind) {
    case Kind::label: return item.classOrdinal == 0x82;
    case Kind::edit: return item.classOrdinal == 0x81;
    case Kind::spin: return sameClass(item, u"msctls_updown32") && (item.style & 0xB6) == 0xB6;
    case Kind::check: return item.classOrdinal == 0x80 && type == BS_AUTOCHECKBOX;
    case Kind::radio: return item.classOrdinal == 0x80 && type == BS_AUTORADIOBUTTON;
    case Kind::button: return item.classOrdinal == 0x80 && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
    case Kind::combo:
        return item.classOrdinal == 0x85 && (item.style & 3) == CBS_DROPDOWNLIST && !(item.style & CBS_OWNERDRAWFIXED);
    case Kind::ownerDrawCombo:
        // Its items carry string identifiers as item data, so it must not hold strings.
        return item.classOrdinal == 0x85 && (item.style & 3) == CBS_DROPDOWNLIST && (item.style & CBS_OWNERDRAWFIXED) &&
               !(item.style & CBS_HASSTRINGS);
    case Kind::listBox: return item.classOrdinal == 0x83;
    case Kind::listView: return sameClass(item, u"SysListView32") && (item.style & LVS_TYPEMASK) == LVS_REPORT;
    }
    return false;
}

std::vector<ExpectedControl> expectedControls(std::uint32_t dialog) {
    using K = Kind;
    switch (dialog) {
    case 2000:
        return {{2020, K::label}, {2030, K::label}, {2050, K::label}, {2080, K::label}, {2090, K::label},
                {2021, K::check}, {2032, K::edit},  {2033, K::spin},  {2036, K::ownerDrawCombo}, {2040, K::check},
                {2041, K::edit},  {2042, K::spin},  {2045, K::check}, {2046, K::check}, {2052, K::ownerDrawCombo},
                {2053, K::check}, {2054, K::check}, {2081, K::radio}, {2082, K::radio}, {2084, K::edit},
                {2085, K::button}, {2086, K::button}, {2088, K::edit}, {2091, K::check}, {2092, K::edit},
                {2093, K::check}, {2094, K::edit},  {2095, K::check}, {IDCANCEL, K::button}};
    case 2100: {
        std::vector<ExpectedControl> rows;
        for (std::uint32_t k = 0; k < 8; ++k)
            for (std::uint32_t base : {2120u, 2130u, 2140u}) rows.push_back({base + k, K::edit});
        rows.push_back({IDOK, K::button});
        rows.push_back({IDCANCEL, K::button});
        return rows;
    }
    case 2200:
        return {{2221, K::listView}, {2220, K::listBox}, {2222, K::listBox}, {2230, K::check}, {2231, K::check},
                {2240, K::button},   {2241, K::button},  {2242, K::button},  {2243, K::button}, {2250, K::radio},
                {2251, K::radio}};
    case 2300:
        return {{2310, K::edit}, {2320, K::button}, {2330, K::button}, {2340, K::listView}, {IDOK, K::button},
                {IDCANCEL, K::button}};
    case 2400:
        return {{2410, K::label}, {2420, K::label}, {2450, K::label}, {2411, K::combo}, {2421, K::combo},
                {2431, K::radio}, {2432, K::radio}, {2433, K::radio}, {2441, K::radio}, {2442, K::radio},
                {2451, K::radio}, {2452, K::radio}, {IDOK, K::button}, {IDCANCEL, K::button}};
    }
    return {};
}

TEST_F(LanguageModuleTest, DialogTemplatesAreExtendedWithEveryControl) {
    loadEnglish();
    for (std::uint32_t dialog : {2000u, 2100u, 2200u, 2300u, 2400u}) {
        SCOPED_TRACE(dialog);
        HRSRC info = FindResourceW(languageModule, MAKEINTRESOURCEW(dialog), RT_DIALOG);
        ASSERT_NE(info, nullptr);
        const auto* words = static_cast<const std::uint16_t*>(LockResource(LoadResource(languageModule, info)));
        EXPECT_EQ(words[0], 1);       // dlgVer
        EXPECT_EQ(words[1], 0xFFFF);  // signature of DLGTEMPLATEEX

        DialogTemplateCopy copy = loadDialogTemplate(dialog);
        ASSERT_NE(copy.data, nullptr);
        EXPECT_EQ(*copy.pointSize, 9);
        std::vector<DialogItemInfo> items;
        DialogTemplateInfo layout;
        ASSERT_TRUE(walkDialogTemplate(copy.data, SizeofResource(languageModule, info), layout,
                                       [&](const DialogItemInfo& item) { items.push_back(item); }));
        EXPECT_TRUE(layout.style & DS_SETFONT);
        EXPECT_EQ(std::memcmp(copy.data, words, layout.size), 0);
        platform::heapFree(copy.data);

        std::set<std::uint32_t> seen;
        for (const DialogItemInfo& item : items) {
            EXPECT_EQ(item.extraBytes, 0) << item.id;
            if (item.id != 0xFFFFFFFF) {
                EXPECT_TRUE(seen.insert(item.id).second) << "duplicate " << item.id;
            }
            // Inside the dialog (a combo box's height is that of its open list).
            const int height = item.classOrdinal == 0x85 ? 12 : item.cy;
            EXPECT_TRUE(item.x >= 0 && item.y >= 0 && item.x + item.cx <= layout.cx && item.y + height <= layout.cy)
                << item.id;
        }
        for (const ExpectedControl& expected : expectedControls(dialog)) {
            auto it = std::find_if(items.begin(), items.end(), [&](const DialogItemInfo& i) { return i.id == expected.id; });
            ASSERT_NE(it, items.end()) << "control " << expected.id << " missing";
            EXPECT_TRUE(hasKind(*it, expected.kind)) << "control " << expected.id << " is of the wrong kind";
        }
        // Visible controls do not overlap; the two list boxes of the key dialog share a place, one
        // shown at a time, and spins size themselves to their fields.
        for (std::size_t a = 0; a < items.size(); ++a)
            for (std::size_t b = a + 1; b < items.size(); ++b) {
                const DialogItemInfo &p = items[a], &q = items[b];
                if (!(p.style & WS_VISIBLE) || !(q.style & WS_VISIBLE) || p.cx == 0 || q.cx == 0) continue;
                const int ph = p.classOrdinal == 0x85 ? 12 : p.cy, qh = q.classOrdinal == 0x85 ? 12 : q.cy;
                const bool overlap = p.x < q.x + q.cx && q.x < p.x + p.cx && p.y < q.y + qh && q.y < p.y + ph;
                EXPECT_FALSE(overlap) << p.id << " overlaps " << q.id;
            }
    }
    EXPECT_EQ(loadDialogTemplate(2500).data, nullptr);
}

TEST_F(LanguageModuleTest, WithoutAModuleThereAreNoTextsOrTemplates) {
    EXPECT_TRUE(loadText(30000).empty());
    EXPECT_EQ(loadDialogTemplate(2000).data, nullptr);
}

}  // namespace
