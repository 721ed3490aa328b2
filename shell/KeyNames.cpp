#include "shell/KeyNames.h"

#include <array>

#include "shell/Commands.h"

namespace {

constexpr const char16_t* kDigits[10] = {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9"};
constexpr const char16_t* kLetters[26] = {u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H", u"I",
                                          u"J", u"K", u"L", u"M", u"N", u"O", u"P", u"Q", u"R",
                                          u"S", u"T", u"U", u"V", u"W", u"X", u"Y", u"Z"};
constexpr const char16_t* kFunctionKeys[12] = {u"F1", u"F2", u"F3", u"F4",  u"F5",  u"F6",
                                               u"F7", u"F8", u"F9", u"F10", u"F11", u"F12"};
// "[Num] 0 " ends in a blank; that is its name.
constexpr const char16_t* kNumPad[10] = {u"[Num] 0 ", u"[Num] 1", u"[Num] 2", u"[Num] 3", u"[Num] 4",
                                         u"[Num] 5",  u"[Num] 6", u"[Num] 7", u"[Num] 8", u"[Num] 9"};

constexpr std::array<const char16_t*, 256> makeKeyNames() {
    std::array<const char16_t*, 256> t{};
    t[0x08] = u"BackSpace";
    t[0x09] = u"Tab";
    t[0x0D] = u"Enter";
    t[0x1B] = u"Esc";
    t[0x20] = u"Space";
    const char16_t* nav[8] = {u"PageUp", u"PageDown", u"End", u"Home", u"Left", u"Up", u"Right", u"Down"};
    for (int i = 0; i < 8; ++i) t[0x21 + i] = nav[i];
    t[0x2D] = u"Insert";
    t[0x2E] = u"Delete";
    t[0xF0] = u"CapsLock";
    const char16_t* oem1[7] = {u":", u";", u",", u"-", u".", u"/", u"@"};
    for (int i = 0; i < 7; ++i) t[0xBA + i] = oem1[i];
    const char16_t* oem2[4] = {u"[", u"\\", u"]", u"^"};
    for (int i = 0; i < 4; ++i) t[0xDB + i] = oem2[i];
    t[0xE2] = u"_";
    for (int i = 0; i < 10; ++i) t[0x30 + i] = kDigits[i];
    for (int i = 0; i < 26; ++i) t[0x41 + i] = kLetters[i];
    for (int i = 0; i < 12; ++i) t[0x70 + i] = kFunctionKeys[i];
    for (int i = 0; i < 10; ++i) t[0x60 + i] = kNumPad[i];
    t[0x6A] = u"[Num] *";
    t[0x6B] = u"[Num] +";
    t[0x6D] = u"[Num] -";
    t[0x6E] = u"[Num] .";
    t[0x6F] = u"[Num] /";
    return t;
}

constexpr std::array<const char16_t*, 256> kKeyNames = makeKeyNames();

}  // namespace

const std::uint8_t kNamedKeys[kNamedKeyCount] = {
    0x08, 0x09, 0x0D, 0x1B, 0x20,  // BackSpace Tab Enter Esc Space
    0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28,  // PageUp to Down
    0x2D, 0x2E, 0xF0,  // Insert Delete CapsLock
    0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF, 0xC0,  // punctuation
    0xDB, 0xDC, 0xDD, 0xDE, 0xE2,  // brackets
    0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,  // 0-9
    0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0x4D,  // A-Z
    0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B,  // F1-F12
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,  // [Num] 0-9
    0x6A, 0x6B, 0x6D, 0x6E, 0x6F,  // [Num] operators
};

const char16_t* keyName(std::uint32_t virtualKey) { return virtualKey < 256 ? kKeyNames[virtualKey] : nullptr; }

const char16_t* modifierName(std::uint32_t fVirt) {
    switch (fVirt) {
    case kAccelVirtKey | kAccelShift: return u"Shift+";
    case kAccelVirtKey | kAccelControl: return u"Ctrl+";
    case kAccelVirtKey | kAccelControl | kAccelShift: return u"Ctrl+Shift+";
    default: return nullptr;
    }
}
