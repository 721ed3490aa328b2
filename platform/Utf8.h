// UTF-8 <-> UTF-16, for the system-call boundary of POSIX and for the command line and the text
// table; malformed input becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);
