#include "shell/Language.h"

#include <cstring>

const char16_t* const kFallbackLanguages[2] = {u"English", u"Japanese"};

const char16_t* defaultLanguageName(std::uint16_t userInterfaceLanguage) {
    return userInterfaceLanguage == kJapaneseLanguageId ? u"Japanese" : u"English";
}

bool isPlainLanguageName(const WideString& name) {
    if (name.empty()) return false;
    for (char16_t c : name.view())
        if (c == u'\\' || c == u'/' || c == u':') return false;
    return true;
}

bool hasLanguageSignature(const void* data, std::size_t size) {
    return data && size >= kLanguageSignatureSize && std::memcmp(data, "Vantle", kLanguageSignatureSize) == 0;
}

void languageBaseName(const char16_t* fileName, WideString& out) {
    out.assign(fileName);
    const std::u16string_view name = out.view();
    const std::size_t dot = name.rfind(u'.');
    if (dot != std::u16string_view::npos) out.assign(fileName, static_cast<std::uint32_t>(dot));
}

LanguageList chooseLanguageNames(const std::vector<WideString>& fileNames, const WideString& currentName,
                                 const std::function<bool(const WideString& fileName)>& hasSignature) {
    LanguageList list;
    WideString base;
    for (const WideString& file : fileNames) {
        languageBaseName(file.c_str(), base);
        if (WideString::equalsIgnoringAsciiCase(base, currentName)) {
            list.current = static_cast<int>(list.names.size());
        } else if (!hasSignature(file)) {
            continue;
        }
        list.names.push_back(base);
    }
    return list;
}

bool errorMessageTexts(std::uint32_t id, TextProvider text, WideString& caption, WideString& message) {
    caption.clear();
    message.clear();
    if (id >= 30001 && id <= 30005) {
        caption = text(30000);
        message = text(id);
        return true;
    }
    if (id >= 50001 && id <= 50024) {
        caption = text(50000);
        if (id > 50010) {
            message = text(50007);
            message.append(text(id));
        } else {
            message = text(id);
        }
        return true;
    }
    return false;
}
