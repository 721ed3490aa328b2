#include "shell/FileDialogs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Paths.h"

namespace {

// "T<id>" stands for language string id.
WideString fakeText(std::uint32_t id) {
    WideString s(u"T");
    s.appendInt(static_cast<std::int32_t>(id));
    return s;
}

// The 0-separated items of a dialog filter, which must end in two 0s.
std::vector<std::u16string> items(const std::u16string& filter) {
    std::vector<std::u16string> out;
    EXPECT_GE(filter.size(), 2u);
    EXPECT_EQ(filter.substr(filter.size() - 2), std::u16string(2, u'\0'));
    std::size_t at = 0;
    while (at + 1 < filter.size()) {
        const std::size_t end = filter.find(u'\0', at);
        out.push_back(filter.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

TEST(OpenDialogFilter, BuiltInFormatsWithAndWithoutPlugins) {
    const std::vector<std::u16string> plain = {
        u"T21000", u"*.bmp;*.png;*.jpg;*.jpe;*.jpeg;*.tif;*.tiff;*.gif",
        u"T21001", u"*.bmp", u"T21002", u"*.png", u"T21003", u"*.jpg;*.jpe;*.jpeg",
        u"T21004", u"*.tif;*.tiff", u"T21005", u"*.gif", u"T21006", u"*.*"};
    EXPECT_EQ(items(openDialogFilter(fakeText, {})), plain);

    // The over-long pattern is dropped, the others joined into both plug-in places.
    const std::vector<WideString> plugins = {W(u"*.pcx"), W(u"*." + std::u16string(257, u'x')), W(u"*.pi")};
    const std::vector<std::u16string> got = items(openDialogFilter(fakeText, plugins));
    ASSERT_EQ(got.size(), plain.size() + 2);
    EXPECT_EQ(got[1], plain[1] + u";*.pcx;*.pi");
    EXPECT_EQ(got[12], u"T21007 (*.pcx;*.pi)");
    EXPECT_EQ(got[13], u"*.pcx;*.pi");
    EXPECT_EQ(got[14], u"T21006");
}

TEST(SaveDialog, FilterIndexAndExtensionFollowTheOutputFormat) {
    const std::vector<std::u16string> expected = {u"T21001", u"*.bmp", u"T21002", u"*.png", u"T21003",
                                                  u"*.jpg;*.jpe;*.jpeg", u"T21004", u"*.tif;*.tiff", u"T21005",
                                                  u"*.gif"};
    EXPECT_EQ(items(saveDialogFilter(fakeText)), expected);

    struct Case {
        OutputFormat format;
        std::uint32_t index;
        std::u16string extension;
    };
    // The clipboard is saved as BMP.
    using F = OutputFormat;
    for (const Case& c : {Case{F::Bmp, 1, u"bmp"}, Case{F::Png, 2, u"png"}, Case{F::Jpeg, 3, u"jpg"},
                          Case{F::Tiff, 4, u"tif"}, Case{F::Gif, 5, u"gif"}, Case{F::Clipboard, 1, u"bmp"}}) {
        EXPECT_EQ(saveFilterIndex(c.format), c.index) << NumberOf(c.format);
        EXPECT_EQ(std::u16string(saveDefaultExtension(c.format)), c.extension) << NumberOf(c.format);
    }
    OutputFormat chosen = F::Clipboard;
    EXPECT_FALSE(formatOfSaveFilter(0, chosen));
    EXPECT_TRUE(formatOfSaveFilter(3, chosen));
    EXPECT_EQ(chosen, F::Jpeg);
    EXPECT_FALSE(formatOfSaveFilter(6, chosen));
}

TEST(SaveDialog, BaseNameAndListFolder) {
    EXPECT_EQ(saveBaseName(W(P(u"C:\\pics.d\\photo.x.jpg"))).view(), u"photo.x");
    EXPECT_EQ(saveBaseName(W(P(u"C:\\pics.d\\noext"))).view(), u"noext");
    EXPECT_TRUE(saveBaseName(WideString()).empty());

    const WideString folder = W(P(u"C:\\Pics"));
    EXPECT_TRUE(isFileInFolder(W(P(u"c:\\pICS\\a.jpg")), folder));
    EXPECT_FALSE(isFileInFolder(W(P(u"C:\\Pics\\Output\\a.jpg")), folder));
    EXPECT_FALSE(isFileInFolder(W(P(u"C:\\Pictures\\a.jpg")), folder));
    EXPECT_TRUE(isFileInFolder(W(P(u"C:\\a.jpg")), W(P(u"C:\\"))));
    EXPECT_FALSE(isFileInFolder(W(P(u"C:\\a.jpg")), WideString()));
}

}  // namespace
