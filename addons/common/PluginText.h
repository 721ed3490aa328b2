// The texts of GetPluginInfo: entry 0 the interface version, 1 the about text, then pairs of file
// patterns and format names. Portable, so the copying rules are tested natively.
#pragma once

#include <cstring>

namespace plugin_text {

// Copies entry `number` of `entries` into `buffer` of `bufferSize` bytes, cut to fit with its
// terminating zero; returns the characters written, 0 for an entry that does not exist or no room.
inline int copyInfoText(const char* const* entries, int count, int number, char* buffer, int bufferSize) {
    if (number < 0 || number >= count || !buffer || bufferSize <= 0) return 0;
    const std::size_t room = static_cast<std::size_t>(bufferSize) - 1;
    std::size_t length = std::strlen(entries[number]);
    if (length > room) length = room;
    std::memcpy(buffer, entries[number], length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

}  // namespace plugin_text
