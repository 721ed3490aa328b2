// Which decoder a file goes to: by its first 8 bytes (the built-in decoders) and by its extension
// (what the plug-in host asks to tell built-in formats from plug-in formats).
#pragma once

#include <cstdint>

#include "codecs/ImageFormat.h"
#include "util/WideString.h"

// Classifies the first 8 bytes of a file.
ImageFormat classifyContent(const std::uint8_t first[8]);
// Reads the first 8 bytes of the file; ImageFormat::Unreadable when it cannot be opened or is shorter.
ImageFormat DetectFormatByContent(const WideString& path);
// By the extension (from the last "." behind the last path separator), ASCII letters without case.
ImageFormat DetectFormatByExtension(const WideString& path);
