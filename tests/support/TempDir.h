// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "util/WideString.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const WideString& path() const { return path_; }
    // Full path of `name` inside the folder.
    WideString file(const char16_t* name) const;
    // Writes bytes to `name` and returns its full path.
    WideString write(const char16_t* name, const std::vector<std::uint8_t>& bytes) const;

private:
    WideString path_;
};

std::vector<std::uint8_t> readWholeFile(const WideString& path);
