// The English texts by identifier, generated from shell/texts/English.txt, for the programs that
// run without a language module (vantle-cli) and for tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct EnglishText {
    std::uint32_t id;
    const char8_t* text;
};
extern const EnglishText kEnglishTexts[];
extern const std::size_t kEnglishTextCount;

// The text of `id` in UTF-8, empty when there is none.
std::string englishText(std::uint32_t id);
// The message of an error code as the error box shows it: for 50011 to 50024 the lead-in text
// 50007 comes first.
std::string englishErrorMessage(std::uint32_t id);
