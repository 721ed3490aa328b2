// The names shown for keys and modifiers after a command's name (menus, tooltips, key dialog).
#pragma once

#include <cstdint>

constexpr std::uint32_t kNamedKeyCount = 91;
// The virtual-key codes that have a name, in the order the key dialog lists them.
extern const std::uint8_t kNamedKeys[kNamedKeyCount];

// Name of a virtual-key code, or null for a code without one.
const char16_t* keyName(std::uint32_t virtualKey);
// "Shift+", "Ctrl+" or "Ctrl+Shift+" for fVirt 5, 9 and 13; null for anything else.
const char16_t* modifierName(std::uint32_t fVirt);
