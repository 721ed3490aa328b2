// Texts by identifier come from the language module in the Windows program (loadText) and from the
// English table elsewhere; code that builds texts takes whichever source it is given.
#pragma once

#include <cstdint>

#include "util/WideString.h"

using TextProvider = WideString (*)(std::uint32_t id);

// The English text of `id` (empty when there is none), cut to 127 characters as loadText does.
WideString englishWideText(std::uint32_t id);
