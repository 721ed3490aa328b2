// The rules of the output options, preset and display dialogs that need no window: the clamps of
// their number fields, how a preset row is stored, and what a display choice changes.
#pragma once

#include <cstdint>

#include "shell/Settings.h"
#include "util/WideString.h"

// ---- output options ----
// The quality field when it loses the focus: at most 0 becomes 1, above 100 becomes 100.
std::int32_t clampJpegQuality(std::int32_t value);
// The size-limit field when it loses the focus: at most 0 becomes 1 (its up-down stops at 9999).
std::int32_t clampSizeLimit(std::int32_t value);
constexpr std::int32_t kSizeLimitSpinMax = 9999;
// The output folder as the dialog stores it on closing: a text that names no existing folder is
// dropped (empty: beside the image).
WideString storedOutputFolder(const WideString& typed);

// ---- presets ----
// A row shows its numbers only when both are above 0.
constexpr bool presetShown(std::int32_t width, std::int32_t height) { return width > 0 && height > 0; }
// OK stores each row from its fields read as unsigned numbers: with both non-zero, at most 9999
// each and the name; otherwise an empty preset without a name.
void storePresetRow(std::uint32_t width, std::uint32_t height, const WideString& name, std::int32_t& storedWidth,
                    std::int32_t& storedHeight, WideString& storedName);

// ---- display ----
// The three font sizes and two weights the dialog offers, in the order of its buttons.
constexpr std::int32_t kFontHeights[3] = {-12, -14, -16};
constexpr std::int32_t kFontWeights[2] = {400, 700};
// The buttons checked when the dialog opens: 0 ... 2 for the size (a size not offered shows the
// largest), 0 or 1 for the weight (anything but 400 shows bold).
int fontHeightChoice(std::int32_t fontHeight);
int fontWeightChoice(std::int32_t fontWeight);

struct DisplayChoice {
    WideString language;  // the language list's text
    WideString face;      // the font list's text (may be empty)
    std::int32_t fontHeight = -12;
    std::int32_t fontWeight = 400;
};
struct DisplayChange {
    bool newLanguage = false;  // load `language` (names compared with ASCII letters without case)
    bool newFace = false;      // store `face`
    bool rebuild = false;      // menus, font, toolbars and window texts are made again
};
DisplayChange compareDisplay(const Settings& settings, const DisplayChoice& choice);
