// The formats the output job writes, and where the result goes. The numbers are those the settings
// file stores and the format list shows, in that order; they differ from ImageFormat's.
#pragma once

#include <cstdint>

enum class OutputFormat : std::int32_t {
    Bmp = 0,
    Png = 1,
    Jpeg = 2,
    Tiff = 3,
    Gif = 4,
    Clipboard = 5,
};
constexpr std::int32_t kOutputFormatCount = 6;

// A file format (not the clipboard).
constexpr bool writesFile(OutputFormat f) { return f >= OutputFormat::Bmp && f <= OutputFormat::Gif; }

// The format a stored or typed number names; false for a number outside 0 ... 5.
constexpr bool OutputFormatOfNumber(std::int32_t number, OutputFormat& format) {
    if (number < 0 || number >= kOutputFormatCount) return false;
    format = static_cast<OutputFormat>(number);
    return true;
}
constexpr std::int32_t NumberOf(OutputFormat f) { return static_cast<std::int32_t>(f); }
