// Language modules: the rules for choosing, listing and accepting them, and the texts of the one
// error box. The Windows loading lives in Language_win32.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "shell/TextProvider.h"
#include "util/WideString.h"

// The user-interface language that starts with the Japanese module (LANGID 0x0411).
constexpr std::uint16_t kJapaneseLanguageId = 0x0411;

// The module tried for an empty language name: "Japanese" on a Japanese system, else "English".
const char16_t* defaultLanguageName(std::uint16_t userInterfaceLanguage);
// Tried in this order when the chosen module does not load.
extern const char16_t* const kFallbackLanguages[2];

// A language name must name a file of the program's folder: no folder part, no drive.
bool isPlainLanguageName(const WideString& name);

// Resource RCDATA 1 of a language module begins with these 7 bytes: "Vantle" and a 0 byte.
constexpr std::size_t kLanguageSignatureSize = 7;
bool hasLanguageSignature(const void* data, std::size_t size);

// The language name of a module file: its name without the text from its last dot on.
void languageBaseName(const char16_t* fileName, WideString& out);

// The modules a language list offers, in the order the files came, and the position of the
// current language (-1 when it was not among them). A file whose base name is the current
// language (ASCII letters without case) is listed without a check; every other one only when
// `hasSignature(fileName)` accepts it.
struct LanguageList {
    std::vector<WideString> names;
    int current = -1;
};
LanguageList chooseLanguageNames(const std::vector<WideString>& fileNames, const WideString& currentName,
                                 const std::function<bool(const WideString& fileName)>& hasSignature);

// Caption and message of the error box for a message identifier: 30001..30005 under text 30000;
// 50001..50024 under text 50000, those above 50010 led in by text 50007. False (both empty) for
// any other identifier.
bool errorMessageTexts(std::uint32_t id, TextProvider text, WideString& caption, WideString& message);
