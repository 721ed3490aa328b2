#include "shell/TextProvider.h"

#include "shell/texts/EnglishTexts.h"

WideString englishWideText(std::uint32_t id) {
    WideString text = WideString::fromUtf8(englishText(id));
    if (text.length() > 127) {
        WideString cut;
        cut.assign(text.c_str(), 127);
        return cut;
    }
    return text;
}
