#include "shell/DialogRules.h"

#include <gtest/gtest.h>

#include "support/TempDir.h"

namespace {

TEST(DialogRules, NumberFieldsAreCorrectedWhenTheyLoseTheFocus) {
    const struct {
        std::int32_t typed, quality, limit;
    } cases[] = {{-5, 1, 1}, {0, 1, 1}, {1, 1, 1}, {75, 75, 75}, {100, 100, 100}, {250, 100, 250}, {9999, 100, 9999}};
    for (const auto& c : cases) {
        EXPECT_EQ(clampJpegQuality(c.typed), c.quality) << c.typed;
        EXPECT_EQ(clampSizeLimit(c.typed), c.limit) << c.typed;
    }
}

TEST(DialogRules, AFolderThatDoesNotExistIsDropped) {
    TempDir dir;
    EXPECT_EQ(storedOutputFolder(dir.path()).view(), dir.path().view());
    const WideString missing = dir.file(u"not here");
    EXPECT_TRUE(storedOutputFolder(missing).empty());
    EXPECT_TRUE(storedOutputFolder(WideString()).empty());
}

TEST(DialogRules, PresetRowsAreStoredWholeOrNotAtAll) {
    const struct {
        std::uint32_t width, height;
        const char16_t* name;
        std::int32_t storedWidth, storedHeight;
        const char16_t* storedName;
    } cases[] = {
        {12000, 50, u"Banner", 9999, 50, u"Banner"},
        {640, 480, u"", 640, 480, u""},
        {0, 300, u"Lost", 0, 0, u""},
        {300, 0, u"Lost", 0, 0, u""},
        {70000, 70000, u"", 9999, 9999, u""},
    };
    for (const auto& c : cases) {
        std::int32_t w = -1, h = -1;
        WideString name(u"old");
        storePresetRow(c.width, c.height, WideString(c.name), w, h, name);
        EXPECT_EQ(w, c.storedWidth) << c.width;
        EXPECT_EQ(h, c.storedHeight) << c.width;
        EXPECT_EQ(name.view(), std::u16string_view(c.storedName)) << c.width;
    }
    EXPECT_TRUE(presetShown(1, 1));
    EXPECT_FALSE(presetShown(0, 300));
    EXPECT_FALSE(presetShown(-1, 300));
}

TEST(DialogRules, DisplayChangesAreTheOnesThatDiffer) {
    Settings s;
    s.languageName.assign(u"English");
    s.fontFace.assign(u"Tahoma");
    s.fontHeight = -12;
    s.fontWeight = 400;
    const struct {
        const char* what;
        const char16_t* language;
        const char16_t* face;
        std::int32_t height, weight;
        bool newLanguage, newFace, rebuild;
    } cases[] = {
        {"nothing", u"English", u"Tahoma", -12, 400, false, false, false},
        {"another letter case is no change", u"english", u"TAHOMA", -12, 400, false, false, false},
        {"a language", u"Deutsch", u"Tahoma", -12, 400, true, false, true},
        {"a face", u"English", u"Verdana", -12, 400, false, true, true},
        {"an empty face rebuilds without a face", u"English", u"", -12, 400, false, false, true},
        {"the size", u"English", u"Tahoma", -16, 400, false, false, true},
        {"the weight", u"English", u"Tahoma", -12, 700, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DisplayChoice choice;
        choice.language.assign(c.language);
        choice.face.assign(c.face);
        choice.fontHeight = c.height;
        choice.fontWeight = c.weight;
        const DisplayChange change = compareDisplay(s, choice);
        EXPECT_EQ(change.newLanguage, c.newLanguage);
        EXPECT_EQ(change.newFace, c.newFace);
        EXPECT_EQ(change.rebuild, c.rebuild);
    }
    // The buttons the stored font checks: an unlisted size shows the largest, any weight but 400 bold.
    EXPECT_EQ(fontHeightChoice(-12), 0);
    EXPECT_EQ(fontHeightChoice(-14), 1);
    EXPECT_EQ(fontHeightChoice(-13), 2);
    EXPECT_EQ(fontWeightChoice(400), 0);
    EXPECT_EQ(fontWeightChoice(500), 1);
}

}  // namespace
