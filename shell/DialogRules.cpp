#include "shell/DialogRules.h"

#include <algorithm>

#include "platform/platform.h"

std::int32_t clampJpegQuality(std::int32_t value) { return std::clamp(value, 1, 100); }

std::int32_t clampSizeLimit(std::int32_t value) { return value <= 0 ? 1 : value; }

WideString storedOutputFolder(const WideString& typed) {
    if (typed.empty() || !platform::isDirectory(typed.c_str())) return WideString();
    return typed;
}

void storePresetRow(std::uint32_t width, std::uint32_t height, const WideString& name, std::int32_t& storedWidth,
                    std::int32_t& storedHeight, WideString& storedName) {
    if (width != 0 && height != 0) {
        storedWidth = static_cast<std::int32_t>(std::min<std::uint32_t>(width, 9999));
        storedHeight = static_cast<std::int32_t>(std::min<std::uint32_t>(height, 9999));
        storedName = name;
    } else {
        storedWidth = storedHeight = 0;
        storedName.clear();
    }
}

int fontHeightChoice(std::int32_t fontHeight) {
    if (fontHeight == kFontHeights[0]) return 0;
    if (fontHeight == kFontHeights[1]) return 1;
    return 2;
}

int fontWeightChoice(std::int32_t fontWeight) { return fontWeight == kFontWeights[0] ? 0 : 1; }

DisplayChange compareDisplay(const Settings& settings, const DisplayChoice& choice) {
    DisplayChange change;
    change.newLanguage = !WideString::equalsIgnoringAsciiCase(choice.language, settings.languageName);
    const bool faceChanged = !WideString::equalsIgnoringAsciiCase(choice.face, settings.fontFace);
    // An empty font text is a change too, though there is no face to store.
    change.newFace = faceChanged && !choice.face.empty();
    change.rebuild = change.newLanguage || faceChanged || choice.face.empty() ||
                     choice.fontHeight != settings.fontHeight || choice.fontWeight != settings.fontWeight;
    return change;
}
