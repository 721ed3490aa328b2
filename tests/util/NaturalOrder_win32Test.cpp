// The shared table against the shell's own StrCmpLogicalW, and compareNatural against it for every
// pair of printable ASCII characters that is not a digit or a ".", behind a common prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "NaturalOrderCases.h"
#include "util/NaturalOrder.h"

namespace {

using StrCmpLogical = int(WINAPI*)(const wchar_t*, const wchar_t*);

StrCmpLogical shellCompare() {
    HMODULE shlwapi = LoadLibraryW(L"shlwapi.dll");
    if (!shlwapi) return nullptr;
    // Through void* so the cast between function types is explicit.
    void* entry = reinterpret_cast<void*>(GetProcAddress(shlwapi, "StrCmpLogicalW"));
    return reinterpret_cast<StrCmpLogical>(entry);
}

int sign(int v) { return (v > 0) - (v < 0); }
const wchar_t* w(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

TEST(NaturalOrderWindows, SharedTableMatchesStrCmpLogicalW) {
    const StrCmpLogical compare = shellCompare();
    ASSERT_NE(compare, nullptr);
    for (const NaturalCase& c : kSharedNaturalCases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - kSharedNaturalCases));
        EXPECT_EQ(sign(compare(w(c.a), w(c.b))), c.expected);
        EXPECT_EQ(sign(compare(w(c.b), w(c.a))), -c.expected);
    }
}

TEST(NaturalOrderWindows, AsciiCharacterOrderMatchesStrCmpLogicalW) {
    const StrCmpLogical compare = shellCompare();
    ASSERT_NE(compare, nullptr);
    for (char16_t x = 0x20; x < 0x7F; ++x) {
        for (char16_t y = 0x20; y < 0x7F; ++y) {
            // A digit against another digit is a number comparison, covered by the table.
            if (x == u'.' || y == u'.' || (x >= u'0' && x <= u'9' && y >= u'0' && y <= u'9')) continue;
            const std::u16string a = {u'n', x, u'z'}, b = {u'n', y, u'z'};
            SCOPED_TRACE(testing::Message() << std::hex << int(x) << " " << int(y));
            ASSERT_EQ(sign(compareNatural(a, b)), sign(compare(w(a.c_str()), w(b.c_str()))));
        }
    }
}

}  // namespace
