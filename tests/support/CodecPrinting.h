// Statuses and formats print as their numbers in test messages and failed expectations.
#pragma once

#include <ostream>

#include "codecs/CodecStatus.h"
#include "codecs/ImageFormat.h"

inline std::ostream& operator<<(std::ostream& out, CodecStatus status) { return out << messageId(status); }
inline std::ostream& operator<<(std::ostream& out, ImageFormat format) { return out << static_cast<int>(format); }
