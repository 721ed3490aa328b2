// The format codes of the system: what content sniffing and the extension table return, and what a
// decoder records as the source format of its image.
#pragma once

#include <cstdint>

using ImageFormat = std::int32_t;

namespace format {
constexpr ImageFormat kNotRecognised = 0;  // no built-in decoder; the plug-ins may try
constexpr ImageFormat kBmp = 1;
constexpr ImageFormat kPng = 2;
constexpr ImageFormat kJpeg = 3;
constexpr ImageFormat kTiff = 4;
constexpr ImageFormat kGif = 5;
constexpr ImageFormat kUnreadable = 6;  // cannot be opened or shorter than 8 bytes (sniffing only)
}  // namespace format
