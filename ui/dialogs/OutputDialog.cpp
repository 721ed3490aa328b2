// The output options dialog: how a trimmed image is written. Switches that take effect when clicked
// and the two number fields (when they lose the focus) go into the settings at once; the rest when
// the dialog closes, which it does only through Close or Esc. There is no way to discard changes.
#include <windows.h>
#include <commctrl.h>

#include "platform/platform.h"
#include "shell/DialogRules.h"
#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/app/WindowHelpers.h"
#include "ui/controls/Controls.h"
#include "ui/dialogs/DialogBuilders.h"
#include "ui/dialogs/Dialogs.h"

namespace {

using namespace dialog;

constexpr std::uint32_t kTextSubsamplingFirst = 20020;  // 4:2:0, 4:2:2, 4:4:4
constexpr std::uint32_t kTextResizeFirst = 20000;       // one per resize filter
constexpr std::initializer_list<int> kGroupTitles = {kOutGroupPng, kOutGroupJpeg, kOutGroupResize, kOutGroupSaving,
                                                     kOutGroupName};

struct OutputDialogState {
    HWND window = nullptr;
    bool closed = false;  // notifications that come while the dialog goes away change nothing
};

void fillCombo(HWND dialog, int id, std::uint32_t firstText, int count, int selection) {
    HWND combo = GetDlgItem(dialog, id);
    // Owner-drawn without strings: each item's data is the text it shows.
    for (int k = 0; k < count; ++k) SendMessageW(combo, CB_ADDSTRING, 0, static_cast<LPARAM>(firstText + k));
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
    setDialogComboHeight(dialog, id);
}

int comboSelection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

void setupNumber(HWND dialog, int editId, int spinId, int maxChars, int low, int high, int value) {
    SendDlgItemMessageW(dialog, editId, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    SendDlgItemMessageW(dialog, spinId, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
    SendDlgItemMessageW(dialog, spinId, UDM_SETPOS32, 0, value);
}

void setupText(HWND dialog, int id, int maxChars, const WideString& text) {
    SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0);
    if (!text.empty()) setDialogText(dialog, id, text);
}

void initDialog(HWND dialog) {
    const Settings& s = app.settings;
    addGroupLines(dialog, kGroupTitles);
    placeDialogUnderButton(dialog, toolbarById(control::kOutputToolbar), command::kOutputOptions);
    setChecked(dialog, kOutInterlaced, s.interlaced != 0);
    setupNumber(dialog, kOutQuality, kOutQualitySpin, 3, 1, 100, s.jpegQuality);
    fillCombo(dialog, kOutSubsampling, kTextSubsamplingFirst, 3, s.jpegSubsampling);
    setChecked(dialog, kOutLimitSize, s.limitJpegSize != 0);
    setupNumber(dialog, kOutSizeLimit, kOutSizeLimitSpin, 4, 1, kSizeLimitSpinMax, s.jpegSizeLimitKiB);
    setChecked(dialog, kOutProgressive, s.jpegProgressive != 0);
    setChecked(dialog, kOutKeepExif, s.keepExif != 0);
    fillCombo(dialog, kOutResizeMethod, kTextResizeFirst, kResizeFilterCount, static_cast<int>(s.resizeMethod));
    setChecked(dialog, kOutSharpen, s.sharpen != 0);
    setChecked(dialog, kOutAutoLevels, s.autoLevelsFilter != 0);
    setChecked(dialog, s.createOutputFolder ? kOutSaveAutomatically : kOutAskForName, true);
    setupText(dialog, kOutFolder, 260, s.outputFolder);
    addCueText(dialog, kOutFolder, static_cast<std::uint32_t>(kOutFolder));
    setupText(dialog, kOutSubfolder, 40, s.outputSubfolder);
    setChecked(dialog, kOutUsePrefix, s.usePrefix != 0);
    setupText(dialog, kOutPrefix, 40, s.namePrefix);
    setChecked(dialog, kOutUseSuffix, s.useSuffix != 0);
    setupText(dialog, kOutSuffix, 40, s.nameSuffix);
    setChecked(dialog, kOutAppendSize, s.appendSize != 0);
}

// A number field gives up the focus: its value, corrected and written back when it had to be.
void takeNumber(HWND dialog, int id) {
    BOOL ok = FALSE;
    const std::int32_t typed = static_cast<std::int32_t>(GetDlgItemInt(dialog, id, &ok, TRUE));
    const std::int32_t value = id == kOutQuality ? clampJpegQuality(typed) : clampSizeLimit(typed);
    if (value != typed || !ok) SetDlgItemInt(dialog, id, static_cast<UINT>(value), TRUE);
    (id == kOutQuality ? app.settings.jpegQuality : app.settings.jpegSizeLimitKiB) = value;
}

void browse(HWND dialog) {
    const WideString typed = dialogText(dialog, kOutFolder);
    const WideString initial = platform::isDirectory(typed.c_str()) ? typed : WideString();
    WideString chosen;
    if (browseForFolder(dialog, app.settings.outputFolder, initial, chosen)) setDialogText(dialog, kOutFolder, chosen);
}

void close(OutputDialogState& state) {
    HWND dialog = state.window;
    Settings& s = app.settings;
    // A number still being typed counts as given up by the close.
    const int focused = GetDlgCtrlID(GetFocus());
    if (focused == kOutQuality || focused == kOutSizeLimit) takeNumber(dialog, focused);
    s.interlaced = isChecked(dialog, kOutInterlaced);
    const int subsampling = comboSelection(dialog, kOutSubsampling);
    if (subsampling >= 0) s.jpegSubsampling = subsampling;
    s.limitJpegSize = isChecked(dialog, kOutLimitSize);
    s.jpegProgressive = isChecked(dialog, kOutProgressive);
    s.keepExif = isChecked(dialog, kOutKeepExif);
    const int method = comboSelection(dialog, kOutResizeMethod);
    if (method >= 0 && method < kResizeFilterCount) s.resizeMethod = static_cast<ResizeFilter>(method);
    s.sharpen = isChecked(dialog, kOutSharpen);
    s.autoLevelsFilter = isChecked(dialog, kOutAutoLevels);
    s.outputFolder = storedOutputFolder(dialogText(dialog, kOutFolder));
    s.outputSubfolder = dialogText(dialog, kOutSubfolder);
    s.namePrefix = dialogText(dialog, kOutPrefix);
    s.nameSuffix = dialogText(dialog, kOutSuffix);
    state.closed = true;
    removeDialogSubclasses(dialog, {kOutFolder, kOutGroupPng, kOutGroupJpeg, kOutGroupResize, kOutGroupSaving,
                                    kOutGroupName});
    EndDialog(dialog, IDCANCEL);
}

void command(OutputDialogState& state, int id, int code) {
    HWND dialog = state.window;
    Settings& s = app.settings;
    if (state.closed) return;
    switch (id) {
    case kOutQuality:
    case kOutSizeLimit:
        if (code == EN_SETFOCUS) closeInputMethod(GetDlgItem(dialog, id));
        if (code == EN_KILLFOCUS) takeNumber(dialog, id);
        return;
    case kOutSaveAutomatically:
    case kOutAskForName:
        if (code == BN_CLICKED) s.createOutputFolder = id == kOutSaveAutomatically;
        return;
    case kOutUsePrefix:
        if (code == BN_CLICKED) s.usePrefix = isChecked(dialog, id);
        return;
    case kOutUseSuffix:
        if (code == BN_CLICKED) s.useSuffix = isChecked(dialog, id);
        return;
    case kOutAppendSize:
        if (code == BN_CLICKED) s.appendSize = isChecked(dialog, id);
        return;
    case kOutBrowse:
        if (code == BN_CLICKED) browse(dialog);
        return;
    case kOutClearFolder:
        if (code == BN_CLICKED) SetDlgItemTextW(dialog, kOutFolder, L"");
        return;
    case IDCANCEL: close(state); return;
    }
}

INT_PTR handleOutputDialog(OutputDialogState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: initDialog(state.window); return TRUE;
    case WM_COMMAND: command(state, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_DRAWITEM: return drawComboItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(groupTitleColour(state.window, reinterpret_cast<HDC>(wParam),
                                                          reinterpret_cast<HWND>(lParam), kGroupTitles));
    }
    return FALSE;
}

}  // namespace

void openOutputDialog() {
    OutputDialogState state;
    runDialog(kOutput, boundDialogProc<OutputDialogState, handleOutputDialog>, &state);
}
