#include "shell/Language.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Paths.h"
#include "shell/Commands.h"
#include "shell/TextProvider.h"
#include "shell/texts/EnglishTexts.h"

namespace {

std::u16string str(const WideString& s) { return std::u16string(s.view()); }

TEST(Language, DefaultNameFollowsTheUserInterfaceLanguage) {
    EXPECT_EQ(std::u16string(defaultLanguageName(0x0411)), u"Japanese");
    for (std::uint16_t other : {0x0409, 0x0011, 0x0809, 0x0000, 0x0412})
        EXPECT_EQ(std::u16string(defaultLanguageName(other)), u"English") << other;
    EXPECT_EQ(std::u16string(kFallbackLanguages[0]), u"English");
    EXPECT_EQ(std::u16string(kFallbackLanguages[1]), u"Japanese");
}

TEST(Language, SignatureIsVantleAndAZeroByte) {
    const struct {
        const char* bytes;
        std::size_t size;
        bool accepted;
    } cases[] = {
        {"Vantle\0", 7, true},          {"Vantle\0more", 11, true}, {"Vantle!", 7, false},
        {"Vantle", 6, false},           {"vantle\0", 7, false},     {"Vant", 4, false},
        {"", 0, false},
    };
    for (const auto& c : cases) EXPECT_EQ(hasLanguageSignature(c.bytes, c.size), c.accepted) << c.bytes << " " << c.size;
    EXPECT_FALSE(hasLanguageSignature(nullptr, 7));
}

TEST(Language, PlainNamesOnly) {
    for (const char16_t* good : {u"English", u"Deutsch (Schweiz)", u"日本語"}) EXPECT_TRUE(isPlainLanguageName(W(good)));
    for (const char16_t* bad : {u"", u"..\\English", u"C:English", u"sub/English", u"\\\\server\\share\\x"})
        EXPECT_FALSE(isPlainLanguageName(W(bad))) << str(W(bad)).size();
}

TEST(Language, BaseNameDropsTheTextFromTheLastDot) {
    const struct {
        const char16_t* file;
        const char16_t* base;
    } cases[] = {{u"English.dll", u"English"}, {u"my.lang.DLL", u"my.lang"}, {u"NoDot", u"NoDot"}, {u".dll", u""}};
    for (const auto& c : cases) {
        WideString base;
        languageBaseName(c.file, base);
        EXPECT_EQ(str(base), c.base);
    }
}

TEST(Language, ListKeepsFileOrderAndTakesTheCurrentOneWithoutACheck) {
    const std::vector<WideString> files = {W(u"Deutsch.dll"), W(u"Broken.dll"), W(u"english.DLL"), W(u"Japanese.dll")};
    std::vector<std::u16string> checked;
    const LanguageList list = chooseLanguageNames(files, W(u"ENGLISH"), [&](const WideString& file) {
        checked.push_back(str(file));
        return str(file) != u"Broken.dll";
    });
    ASSERT_EQ(list.names.size(), 3u);
    EXPECT_EQ(str(list.names[0]), u"Deutsch");
    EXPECT_EQ(str(list.names[1]), u"english");
    EXPECT_EQ(str(list.names[2]), u"Japanese");
    EXPECT_EQ(list.current, 1);
    EXPECT_EQ(checked, (std::vector<std::u16string>{u"Deutsch.dll", u"Broken.dll", u"Japanese.dll"}));
}

TEST(Language, OnlyAsciiLettersIgnoreCaseWhenFindingTheCurrentOne) {
    const std::vector<WideString> files = {W(u"FRANÇAIS.dll"), W(u"Français.dll")};
    const LanguageList list = chooseLanguageNames(files, W(u"français"), [](const WideString&) { return false; });
    ASSERT_EQ(list.names.size(), 1u);
    EXPECT_EQ(str(list.names[0]), u"Français");
    EXPECT_EQ(list.current, 0);

    const LanguageList none = chooseLanguageNames(files, W(u"English"), [](const WideString&) { return true; });
    EXPECT_EQ(none.names.size(), 2u);
    EXPECT_EQ(none.current, -1);
}

WideString fakeText(std::uint32_t id) {
    WideString s(u"T");
    s.appendInt(static_cast<std::int32_t>(id));
    return s;
}

TEST(Language, ErrorBoxTexts) {
    const struct {
        std::uint32_t id;
        const char16_t* caption;
        const char16_t* message;
    } cases[] = {
        {30001, u"T30000", u"T30001"},       {30002, u"T30000", u"T30002"}, {30005, u"T30000", u"T30005"},
        {50001, u"T50000", u"T50001"},       {50010, u"T50000", u"T50010"}, {50011, u"T50000", u"T50007T50011"},
        {50012, u"T50000", u"T50007T50012"}, {50024, u"T50000", u"T50007T50024"},
    };
    for (const auto& c : cases) {
        WideString caption(u"old"), message(u"old");
        EXPECT_TRUE(errorMessageTexts(c.id, fakeText, caption, message)) << c.id;
        EXPECT_EQ(str(caption), c.caption) << c.id;
        EXPECT_EQ(str(message), c.message) << c.id;
    }
    for (std::uint32_t other : {0u, 30000u, 30006u, 50000u, 50025u, 20102u}) {
        WideString caption(u"old"), message(u"old");
        EXPECT_FALSE(errorMessageTexts(other, fakeText, caption, message)) << other;
        EXPECT_TRUE(caption.empty()) << other;
        EXPECT_TRUE(message.empty()) << other;
    }
}

// The language module gets its string table from the English text table, so every text the
// program asks for must be there, and none may be longer than the 127 characters it reads.
TEST(EnglishModuleTexts, EveryTextTheProgramUsesIsThereAndFitsLoadText) {
    std::vector<std::uint32_t> ids = {1022, 1023, 1024, 1025, 1030, 1031, 1033, 1051, 1141, 1142, 2084, 2242, 2310,
                                      20017, 20018, 20019, 20030, 20031};
    auto range = [&ids](std::uint32_t first, std::uint32_t last) {
        for (std::uint32_t id = first; id <= last; ++id) ids.push_back(id);
    };
    range(1130, 1133);
    range(20000, 20003);
    range(20011, 20016);
    range(20020, 20022);
    range(20100, 20108);
    range(20200, 20202);
    range(20300, 20306);
    range(21000, 21007);
    range(30000, 30005);
    range(50000, 50007);
    for (std::uint16_t cmd : kSlotCommands) ids.push_back(cmd);
    for (std::uint16_t cmd : {command::kOutputOptions, command::kPresetMenu}) ids.push_back(cmd);
    for (std::uint32_t id : ids) EXPECT_FALSE(englishText(id).empty()) << id;

    for (std::size_t i = 0; i < kEnglishTextCount; ++i) {
        const WideString text = WideString::fromUtf8(reinterpret_cast<const char*>(kEnglishTexts[i].text));
        EXPECT_LE(text.length(), 127u) << kEnglishTexts[i].id;
        EXPECT_LE(kEnglishTexts[i].id, 0xFFFFu) << "a string table holds 16-bit identifiers";
    }
}

}  // namespace
