#include "util/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "NaturalOrderCases.h"

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

TEST(NaturalOrder, SharedTable) {
    for (const NaturalCase& c : kSharedNaturalCases) {
        SCOPED_TRACE(testing::Message() << std::string(c.a, c.a + std::u16string_view(c.a).size()).c_str() << " | "
                                        << std::string(c.b, c.b + std::u16string_view(c.b).size()).c_str());
        EXPECT_EQ(sign(compareNatural(c.a, c.b)), c.expected);
        EXPECT_EQ(sign(compareNatural(c.b, c.a)), -c.expected);
    }
}

// Where Windows' own order is known to differ from older shells (and from Wine): a "." sorts before
// numbers and every other character, so "img.png" comes before "img1.png" and "img (2).png"; and
// equal numbers with more leading zeros come first when nothing else differs.
TEST(NaturalOrder, PeriodAndLeadingZeros) {
    const NaturalCase cases[] = {
        {u"img.png", u"img1.png", -1},
        {u"img.png", u"img (2).png", -1},
        {u"a.b", u"a'b", -1},
        {u"a01b2", u"a1b2", -1},
        {u"007", u"7", -1},
        {u"0", u"00", 1},
        {u"a01b2", u"a1b02", -1},  // the first difference in zeros decides
    };
    for (const NaturalCase& c : cases) {
        EXPECT_EQ(sign(compareNatural(c.a, c.b)), c.expected);
        EXPECT_EQ(sign(compareNatural(c.b, c.a)), -c.expected);
    }
}

TEST(NaturalOrder, NumbersOfAnyLength) {
    EXPECT_LT(compareNatural(u"a99999999999999999999", u"a100000000000000000000"), 0);
    EXPECT_GT(compareNatural(u"a4294967297", u"a2"), 0);  // would wrap to 1 in 32 bits
    EXPECT_LT(compareNatural(u"a18446744073709551616", u"a18446744073709551617"), 0);
}

TEST(NaturalOrder, LettersBeyondAsciiWithoutCase) {
    EXPECT_EQ(compareNatural(u"\u00c9t\u00e9", u"\u00e9T\u00c9"), 0);  // É/é
    EXPECT_EQ(compareNatural(u"\u0416", u"\u0436"), 0);                // Cyrillic Zhe
    EXPECT_EQ(compareNatural(u"\u0141", u"\u0142"), 0);                // Ł/ł (odd-upper run)
    EXPECT_LT(compareNatural(u"z", u"\u00e9"), 0);                     // after the ASCII letters
}

TEST(NaturalOrder, SortsAsAStrictWeakOrder) {
    std::vector<std::u16string> names = {u"img10.png", u"IMG1.png", u"img2.png", u"img.png", u"img01.png",
                                         u"img1.png",  u"a b",      u"a-b",      u"a_b",     u"A b"};
    std::stable_sort(names.begin(), names.end(),
                     [](const std::u16string& a, const std::u16string& b) { return compareNatural(a, b) < 0; });
    const std::vector<std::u16string> expected = {u"a-b", u"a b", u"A b", u"a_b", u"img.png", u"img01.png",
                                                  u"IMG1.png", u"img1.png", u"img2.png", u"img10.png"};
    EXPECT_EQ(names, expected);
}

}  // namespace
