#include "util/WideString.h"

#include <gtest/gtest.h>

#include "support/Paths.h"

namespace {

std::u16string str(const WideString& s) { return std::u16string(s.view()); }

TEST(WideString, ReserveRoundsTo128ByteSteps) {
    struct Case {
        std::uint32_t n;
        std::uint32_t capacity;
    } cases[] = {{0, 128}, {63, 128}, {64, 256}, {127, 256}, {128, 384}, {1000, 2048}};
    for (const Case& c : cases) {
        WideString s;
        ASSERT_NE(s.reserve(c.n), nullptr);
        EXPECT_EQ(s.capacity(), c.capacity) << "n=" << c.n;
        EXPECT_GE(s.capacity(), 2 * c.n + 2);
    }
}

TEST(WideString, ReserveKeepsBufferWhenLargeEnoughAndGrowsZeroFilled) {
    WideString s(u"abc");
    char16_t* before = s.data();
    EXPECT_EQ(s.reserve(50), before);  // 128 bytes hold 63 characters
    s.reserve(200);
    EXPECT_EQ(s.capacity(), 512u);
    EXPECT_EQ(str(s), u"abc");
    for (std::uint32_t i = 3; i < s.capacity() / 2; ++i) ASSERT_EQ(s.data()[i], 0) << i;
}

TEST(WideString, EmptyStringWithoutBufferReadsAsEmpty) {
    WideString s;
    EXPECT_EQ(s.data(), nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(s.c_str()), "");
    WideString t;
    t.append(s);  // appending an empty string changes nothing, not even allocates
    EXPECT_EQ(t.data(), nullptr);
    s.assign(nullptr);
    EXPECT_TRUE(s.empty());
}

TEST(WideString, AppendsGrowInSteps) {
    WideString s;
    for (int i = 0; i < 100; ++i) s.append(u"x");
    EXPECT_EQ(s.length(), 100u);
    EXPECT_EQ(s.capacity(), 256u);
    s.append(s);  // appending itself doubles it
    EXPECT_EQ(s.length(), 200u);
    EXPECT_EQ(str(s), std::u16string(200, u'x'));
}

TEST(WideString, AppendInt) {
    struct Case {
        std::int32_t v;
        std::u16string text;
    } cases[] = {{0, u"0"}, {-45, u"-45"}, {7, u"7"}, {2147483647, u"2147483647"}, {-2147483647 - 1, u"-2147483648"}};
    for (const Case& c : cases) {
        WideString s(u"n=");
        s.appendInt(c.v);
        EXPECT_EQ(str(s), u"n=" + c.text);
    }
}

TEST(WideString, AppendPathAddsOneSeparator) {
    struct Case {
        std::u16string start, add, result;
    } cases[] = {
        {u"", u"a", u"a"},
        {P(u"C:\\"), u"a", P(u"C:\\a")},
        {P(u"C:\\dir"), u"a", P(u"C:\\dir\\a")},
        {P(u"C:\\dir"), u"", P(u"C:\\dir")},
    };
    for (const Case& c : cases) {
        WideString s = W(c.start);
        s.appendPath(c.add.c_str(), static_cast<std::uint32_t>(c.add.size()));
        EXPECT_EQ(str(s), c.result);
    }
}

TEST(WideString, SetPathAndSetFolder) {
    WideString s;
    s.setPath(W(P(u"C:\\dir")), u"f.png");
    EXPECT_EQ(str(s), P(u"C:\\dir\\f.png"));
    s.setPath(W(P(u"C:\\dir\\")), u"f.png");
    EXPECT_EQ(str(s), P(u"C:\\dir\\f.png"));
    s.setFolder(W(P(u"D:\\out")));
    EXPECT_EQ(str(s), P(u"D:\\out\\"));
    s.setFolder(WideString());  // an empty folder changes nothing
    EXPECT_EQ(str(s), P(u"D:\\out\\"));
}

TEST(WideString, Cut) {
    struct Case {
        int mode;
        std::u16string in, out;
    } cases[] = {
        {1, P(u"a\\b\\c"), P(u"b\\c")}, {1, u"abc", u"abc"},
        {2, P(u"a\\b\\c"), u"c"},       {2, u"abc", u"abc"},
        {3, P(u"a\\b\\c"), P(u"a\\b")}, {3, u"abc", u"abc"},
        {5, P(u"C:\\d\\f.tar.gz"), P(u"C:\\d\\f.tar")},
        {5, P(u"C:\\dir.x\\file"), P(u"C:\\dir.x\\file")},
        {5, u"noext", u"noext"},
        {7, P(u"a\\b\\c"), u"a"},       {7, P(u"a\\b"), P(u"a\\b")},
        {4, P(u"a\\b\\c"), P(u"a\\b\\c")},
    };
    for (const Case& c : cases) {
        WideString s = W(c.in);
        s.cut(c.mode);
        EXPECT_EQ(str(s), c.out) << "mode " << c.mode;
        EXPECT_EQ(s.c_str()[s.length()], 0);
    }
}

TEST(WideString, ReplaceExtensionAndPattern) {
    WideString s = W(P(u"C:\\pics\\a.b\\shot.jpeg"));
    s.replaceExtension(u".png");
    EXPECT_EQ(str(s), P(u"C:\\pics\\a.b\\shot.png"));
    s = W(P(u"C:\\prog\\Vantle.exe"));
    s.replaceFileNameWithPattern();
    EXPECT_EQ(str(s), P(u"C:\\prog\\*.dll"));
}

TEST(WideString, AppendListItemBuildsDoubleZeroList) {
    WideString list;
    list.appendListItem(u"BMP", 3, 0);
    list.appendListItem(u"*.bmp", 5, 1);
    const char16_t expected[] = u"BMP\0*.bmp\0";
    ASSERT_EQ(list.length(), 9u);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(list.c_str()[i], expected[i]) << i;
}

TEST(WideString, EqualsIgnoringAsciiCaseFoldsOnlyAscii) {
    EXPECT_TRUE(WideString::equalsIgnoringAsciiCase(WideString(u"Photo.JPG"), WideString(u"photo.jpg")));
    EXPECT_FALSE(WideString::equalsIgnoringAsciiCase(WideString(u"\u00C9"), WideString(u"\u00E9")));
    EXPECT_FALSE(WideString::equalsIgnoringAsciiCase(WideString(u"ab"), WideString(u"abc")));
    EXPECT_FALSE(WideString::equalsIgnoringAsciiCase(WideString(u"["), WideString(u"{")));
}

TEST(WideString, Recount) {
    WideString s(u"hello");
    s.data()[2] = 0;
    s.recount();
    EXPECT_EQ(s.length(), 2u);
}

TEST(WideString, Utf8RoundTrip) {
    const std::string text = "caf\xC3\xA9 \xF0\x9F\x98\x80 x";
    WideString s = WideString::fromUtf8(text);
    EXPECT_EQ(s.length(), 9u);  // the emoji is a surrogate pair
    EXPECT_EQ(s.toUtf8(), text);
    EXPECT_EQ(utf8ToUtf16("\xFF"), u"\uFFFD");
}

}  // namespace
