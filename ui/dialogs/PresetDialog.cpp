// The size presets dialog: eight rows of width, height and name; OK stores them and rebuilds the
// preset menu, Cancel leaves them as they were.
#include <windows.h>

#include "shell/DialogRules.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/controls/Controls.h"
#include "ui/dialogs/DialogBuilders.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/menus/Menus.h"

namespace {

using namespace dialog;

struct PresetDialogState {
    HWND window = nullptr;
};

void initDialog(HWND dialog) {
    const Settings& s = app.settings;
    for (int k = 0; k < static_cast<int>(kPresetCount); ++k) {
        SendDlgItemMessageW(dialog, kPresetWidth + k, EM_LIMITTEXT, 4, 0);
        SendDlgItemMessageW(dialog, kPresetHeight + k, EM_LIMITTEXT, 4, 0);
        SendDlgItemMessageW(dialog, kPresetName + k, EM_LIMITTEXT, 30, 0);
        if (presetShown(s.presetWidth[k], s.presetHeight[k])) {
            SetDlgItemInt(dialog, kPresetWidth + k, static_cast<UINT>(s.presetWidth[k]), TRUE);
            SetDlgItemInt(dialog, kPresetHeight + k, static_cast<UINT>(s.presetHeight[k]), TRUE);
        }
        if (!s.presetName[k].empty()) setDialogText(dialog, kPresetName + k, s.presetName[k]);
    }
    placeDialogUnderButton(dialog, toolbarById(control::kSizeToolbar), command::kPresetMenu);
}

void store(HWND dialog) {
    Settings& s = app.settings;
    for (int k = 0; k < static_cast<int>(kPresetCount); ++k) {
        BOOL ok = FALSE;
        const UINT width = GetDlgItemInt(dialog, kPresetWidth + k, &ok, FALSE);
        const UINT height = GetDlgItemInt(dialog, kPresetHeight + k, &ok, FALSE);
        storePresetRow(width, height, dialogText(dialog, kPresetName + k), s.presetWidth[k], s.presetHeight[k],
                       s.presetName[k]);
    }
    // The preset items make way for the new ones.
    buildPresetItems();
}

INT_PTR handlePresetDialog(PresetDialogState& state, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: initDialog(state.window); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            store(state.window);
            EndDialog(state.window, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(state.window, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void openPresetDialog() {
    PresetDialogState state;
    runDialog(kPresets, boundDialogProc<PresetDialogState, handlePresetDialog>, &state);
}
