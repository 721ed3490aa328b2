// Pairs of names and the order the Windows shell's logical comparison gives them. The same table
// runs against compareNatural everywhere and against StrCmpLogicalW itself on Windows.
#pragma once

struct NaturalCase {
    const char16_t* a;
    const char16_t* b;
    int expected;  // sign: -1 a first, 0 equal, 1 b first
};

inline constexpr NaturalCase kSharedNaturalCases[] = {
    // Numbers by value.
    {u"img2.png", u"img10.png", -1},
    {u"IMG1.png", u"img2.png", -1},
    {u"img10.png", u"IMG1.png", 1},
    {u"2string", u"20string", -1},
    {u"st3ring", u"st20ring", -1},
    {u"string3", u"string20", -1},
    {u"Ie4_128", u"Ie5", -1},
    {u"Ie6", u"Ie401sp2", -1},
    {u"a9", u"a10", -1},
    {u"x2147483647", u"x999", 1},
    {u"photo 7 b", u"photo 7 a", 1},
    // Numbers before other characters.
    {u"a5", u"a_", -1},
    {u"a5", u"a ", -1},
    {u"a5", u"a~", -1},
    {u"5", u"a", -1},
    // Case does not count.
    {u"ABC.jpg", u"abc.jpg", 0},
    {u"Zebra", u"apple", 1},
    {u"b", u"A", 1},
    // A prefix first.
    {u"abc", u"abcd", -1},
    {u"abc1", u"abc", 1},
    {u"", u"a", -1},
    {u"", u"", 0},
    // The shell's collation of ASCII punctuation.
    {u"a'b", u"a-b", -1},
    {u"a-b", u"a b", -1},
    {u"a b", u"a!b", -1},
    {u"a_b", u"ab", -1},
    {u"a[b", u"a_b", -1},
    {u"a~b", u"a+b", -1},
    {u"a+b", u"a=b", -1},
    {u"a>b", u"aab", -1},
    {u"a{b", u"aab", -1},
    {u"a@b", u"a[b", -1},
    // Equal numbers with and without leading zeros go on to the rest.
    {u"a01b3", u"a1b2", 1},
    {u"a1b1", u"a01b2", -1},
};
