#include "shell/Help.h"

#include <gtest/gtest.h>

#include "support/Paths.h"

namespace {

std::u16string fileOf(const std::u16string& executable) {
    WideString out;
    helpFilePath(W(P(executable)), out);
    return std::u16string(out.view());
}

std::u16string pageOf(const std::u16string& executable) {
    WideString out;
    helpPagePath(W(P(executable)), out);
    return std::u16string(out.view());
}

}  // namespace

TEST(Help, CompiledFileAndShippedPageSitBesideTheExecutable) {
    const struct {
        std::u16string executable, file, page;
    } cases[] = {
        {u"C:\\Apps\\Vantle.exe", u"C:\\Apps\\Vantle.chm", u"C:\\Apps\\Help\\index.html"},
        // A renamed executable brings its own help file name; the pages stay where they are.
        {u"C:\\Apps\\Vantle.portable.exe", u"C:\\Apps\\Vantle.portable.chm", u"C:\\Apps\\Help\\index.html"},
        // A dot in a folder name is not an extension.
        {u"C:\\v1.5\\Vantle", u"C:\\v1.5\\Vantle.chm", u"C:\\v1.5\\Help\\index.html"},
        {u"\\\\server\\share\\Vantle.exe", u"\\\\server\\share\\Vantle.chm", u"\\\\server\\share\\Help\\index.html"},
        {u"C:\\Vantle.exe", u"C:\\Vantle.chm", u"C:\\Help\\index.html"},
        // Without a folder the page is relative to the current one (which is the executable's).
        {u"Vantle.exe", u"Vantle.chm", u"Help\\index.html"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fileOf(c.executable), P(c.file)) << std::string(c.executable.begin(), c.executable.end());
        EXPECT_EQ(pageOf(c.executable), P(c.page)) << std::string(c.executable.begin(), c.executable.end());
    }
}

TEST(Help, AboutWindowIsCentredOnTheMainWindowWhereverThatIs) {
    // Frame 3 and caption 19: the window is 280 x 100.
    const struct {
        ScreenRect main, expected;
    } cases[] = {
        {{200, 100, 1000, 700}, {460, 350, 740, 450}},
        {{-1600, 0, -800, 600}, {-1340, 250, -1060, 350}},  // a monitor left of the primary one
        {{0, 0, 100, 50}, {-90, -25, 190, 75}},             // a main window smaller than the About window
        {{0, 0, 801, 601}, {260, 250, 540, 350}},           // odd sums are cut, not rounded
        {{-801, -601, 0, 0}, {-540, -350, -260, -250}},     // ... towards zero
    };
    for (const auto& c : cases) EXPECT_EQ(aboutWindowRect(c.main, 3, 19), c.expected);
    EXPECT_EQ(aboutWindowRect({0, 0, 400, 300}, 0, 0), (ScreenRect{63, 112, 337, 187}));
}
