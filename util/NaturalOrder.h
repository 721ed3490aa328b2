// The order of file names in the folder list: runs of digits compare by their numeric value,
// letters without regard to case, as the Windows shell's logical order does. Windows' own
// StrCmpLogicalW may serve instead on Windows; this one agrees with it on the names that matter
// here (see the tests) and works everywhere.
#pragma once

#include <string_view>

// Negative, zero or positive as `a` sorts before, with or after `b`:
// - the strings are walked as items: a run of ASCII digits, a ".", or any other single character;
// - a "." sorts before a number, and a number before any other character;
// - numbers compare by value (any length); of equal values the one with more leading zeros sorts
//   first, but only when the strings are otherwise equal;
// - other characters compare by the shell's collation for ASCII (apostrophe and hyphen first, then
//   space and the punctuation, then + < = >, then the letters without case); characters beyond
//   ASCII sort after the letters, by code point with simple case folding;
// - a string that is a prefix of the other sorts first.
int compareNatural(std::u16string_view a, std::u16string_view b);
