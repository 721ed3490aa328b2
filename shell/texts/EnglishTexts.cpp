#include "shell/texts/EnglishTexts.h"

std::string englishText(std::uint32_t id) {
    for (std::size_t i = 0; i < kEnglishTextCount; ++i)
        if (kEnglishTexts[i].id == id) return reinterpret_cast<const char*>(kEnglishTexts[i].text);
    return {};
}

std::string englishErrorMessage(std::uint32_t id) {
    if (id > 50010 && id <= 50024) return englishText(50007) + englishText(id);
    return englishText(id);
}
