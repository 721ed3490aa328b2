// The display dialog: the language module and the user-interface font, applied at once on OK
// (menus, toolbars and window texts are made again), and the dialog type size for the next dialog.
#include <windows.h>

#include <set>
#include <string>

#include "shell/DialogRules.h"
#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/dialogs/DialogBuilders.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/menus/Menus.h"
#include "ui/window/MainWindow.h"

namespace {

using namespace dialog;

constexpr std::initializer_list<int> kGroupTitles = {kDisplayGroupLanguage, kDisplayGroupFont,
                                                     kDisplayGroupDialogs};
constexpr int kHeightButtons[3] = {kDisplaySmall, kDisplayMedium, kDisplayLarge};
constexpr int kWeightButtons[2] = {kDisplayNormal, kDisplayBold};

struct DisplayDialogState {
    HWND window = nullptr;
    std::set<std::u16string> faces;  // each font family once
};

int CALLBACK addFontFamily(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM data) {
    auto& state = *reinterpret_cast<DisplayDialogState*>(data);
    // TrueType and device fonts only; the vertical "@" variants are not families of their own.
    if (!(type & (TRUETYPE_FONTTYPE | DEVICE_FONTTYPE)) || font->lfFaceName[0] == L'@') return 1;
    const std::u16string face(reinterpret_cast<const char16_t*>(font->lfFaceName));
    if (state.faces.insert(face).second)
        SendDlgItemMessageW(state.window, kDisplayFontFace, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
    return 1;
}

void fillFonts(DisplayDialogState& state) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    HDC dc = GetDC(nullptr);
    EnumFontFamiliesExW(dc, &wanted, addFontFamily, reinterpret_cast<LPARAM>(&state), 0);
    ReleaseDC(nullptr, dc);
    // The stored face by exact match (the list's own search ignores case).
    HWND combo = GetDlgItem(state.window, kDisplayFontFace);
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const int length = static_cast<int>(SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
        std::u16string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, u'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
        if (text == app.settings.fontFace.view()) {
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            break;
        }
    }
}

void initDialog(DisplayDialogState& state) {
    HWND dialog = state.window;
    const Settings& s = app.settings;
    addGroupLines(dialog, kGroupTitles);
    HWND languages = GetDlgItem(dialog, kDisplayLanguage);
    const int current = listLanguages(languages, s.languageName);
    if (current >= 0) SendMessageW(languages, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
    setDialogComboHeight(dialog, kDisplayLanguage);
    fillFonts(state);
    setChecked(dialog, kHeightButtons[fontHeightChoice(s.fontHeight)], true);
    setChecked(dialog, kWeightButtons[fontWeightChoice(s.fontWeight)], true);
    setChecked(dialog, s.largeDialogFont ? kDisplayLargeType : kDisplayStandardType, true);
}

void apply(HWND dialog) {
    Settings& s = app.settings;
    DisplayChoice choice;
    choice.language = dialogText(dialog, kDisplayLanguage);
    choice.face = dialogText(dialog, kDisplayFontFace);
    choice.fontHeight = isChecked(dialog, kDisplaySmall)    ? kFontHeights[0]
                        : isChecked(dialog, kDisplayMedium) ? kFontHeights[1]
                                                            : kFontHeights[2];
    choice.fontWeight = isChecked(dialog, kDisplayNormal) ? kFontWeights[0] : kFontWeights[1];
    const DisplayChange change = compareDisplay(s, choice);
    if (change.rebuild) {
        if (change.newLanguage) {
            // A module that does not load in the end leaves the old one in use rather than none.
            WideString name = choice.language;
            if (languageModule) FreeLibrary(languageModule);
            languageModule = nullptr;
            if (!loadLanguage(name)) {
                name = s.languageName;
                loadLanguage(name);
            }
            s.languageName = name;
        }
        if (change.newFace) s.fontFace = choice.face;
        s.fontHeight = choice.fontHeight;
        s.fontWeight = choice.fontWeight;
        rebuildAfterLanguageChange();
        refreshAfterDisplayChange();
    }
    s.largeDialogFont = isChecked(dialog, kDisplayLargeType);
}

INT_PTR handleDisplayDialog(DisplayDialogState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: initDialog(state); return TRUE;
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(groupTitleColour(state.window, reinterpret_cast<HDC>(wParam),
                                                          reinterpret_cast<HWND>(lParam), kGroupTitles));
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            if (LOWORD(wParam) == IDOK) apply(state.window);
            removeDialogSubclasses(state.window, kGroupTitles);
            EndDialog(state.window, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void openDisplayDialog() {
    DisplayDialogState state;
    runDialog(kDisplay, boundDialogProc<DisplayDialogState, handleDisplayDialog>, &state);
}
