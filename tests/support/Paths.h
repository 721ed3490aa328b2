// Writes test paths with backslashes and turns them into the platform's separator.
#pragma once

#include <string>

#include "platform/platform.h"
#include "util/WideString.h"

inline std::u16string P(std::u16string path) {
    for (auto& c : path)
        if (c == u'\\') c = platform::kPathSeparator;
    return path;
}

inline WideString W(const std::u16string& text) {
    WideString s;
    s.assign(text.c_str(), static_cast<std::uint32_t>(text.size()));
    return s;
}
