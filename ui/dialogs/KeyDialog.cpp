// The key and mouse dialog: a list of the 40 commands with their keys and mouse actions, edited on
// a working copy (KeyAssignments) and applied when the dialog closes (Close or Esc).
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "shell/KeyAssignment.h"
#include "shell/KeyNames.h"
#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/controls/Controls.h"
#include "ui/dialogs/DialogBuilders.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/menus/Menus.h"

namespace {

using namespace dialog;

constexpr COLORREF kGreyedColumn = 0x808080;
constexpr int kKeyColumn = 1, kMouseColumn = 2;

struct KeyDialogState {
    HWND window = nullptr;
    KeyAssignments assignments;
};

const wchar_t* wide(const WideString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

HWND listView(HWND dialog) { return GetDlgItem(dialog, kKeysCommands); }

int textWidth(HWND control, const WideString& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide(text), static_cast<int>(text.length()), &size);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return size.cx;
}

void setCell(HWND list, int row, int column, const WideString& text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(wide(text));
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void refreshRow(KeyDialogState& state, int row) {
    HWND list = listView(state.window);
    WideString text;
    keyColumnText(state.assignments, static_cast<std::uint32_t>(row), text);
    setCell(list, row, kKeyColumn, text);
    mouseColumnText(state.assignments, static_cast<std::uint32_t>(row), loadText, text);
    setCell(list, row, kMouseColumn, text);
}

void refreshAllRows(KeyDialogState& state) {
    for (int row = 0; row < static_cast<int>(kKeySlotCount); ++row) refreshRow(state, row);
}

void addColumn(HWND list, int index, std::uint32_t titleId, int width) {
    const WideString title = loadText(titleId);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(wide(title));
    column.cx = width;
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void fillList(KeyDialogState& state) {
    HWND list = listView(state.window);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    const int keyWidth = textWidth(list, WideString(u"BackSpace")) + 12;
    const int mouseWidth =
        std::max(textWidth(list, loadText(kTextMouseActionFirst + 1)), textWidth(list, loadText(kTextMouseActionFirst + 6))) +
        12;
    RECT client{};
    GetClientRect(list, &client);
    const int commandWidth = client.right - keyWidth - mouseWidth - GetSystemMetrics(SM_CXVSCROLL) - 12;
    addColumn(list, 0, kTextCommandColumn, commandWidth);
    addColumn(list, kKeyColumn, kTextKeyColumn, keyWidth);
    addColumn(list, kMouseColumn, kTextMouseColumn, mouseWidth);
    for (int row = 0; row < static_cast<int>(kKeySlotCount); ++row) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<wchar_t*>(wide(state.assignments.rowNames[row]));
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    refreshAllRows(state);
    addListRepaint(state.window, kKeysCommands);
}

int selectedRow(HWND dialog) {
    return static_cast<int>(SendMessageW(listView(dialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::uint16_t selectedKey(HWND dialog) {
    const LRESULT index = SendDlgItemMessageW(dialog, kKeysKeyList, LB_GETCURSEL, 0, 0);
    return index >= 0 && index < static_cast<LRESULT>(kNamedKeyCount) ? kNamedKeys[index] : 0;
}

// Shift is no modifier of CapsLock.
void checkShift(HWND dialog) {
    const bool allowed = shiftAllowed(selectedKey(dialog));
    if (!allowed) setChecked(dialog, kKeysShift, false);
    EnableWindow(GetDlgItem(dialog, kKeysShift), allowed);
}

void showPage(KeyDialogState& state) {
    HWND dialog = state.window;
    const bool mouse = state.assignments.mousePage;
    setChecked(dialog, kKeysKeyPage, !mouse);
    setChecked(dialog, kKeysMousePage, mouse);
    ShowWindow(GetDlgItem(dialog, kKeysKeyList), mouse ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dialog, kKeysMouseList), mouse ? SW_SHOW : SW_HIDE);
    EnableWindow(GetDlgItem(dialog, kKeysCtrl), !mouse);
    if (mouse)
        EnableWindow(GetDlgItem(dialog, kKeysShift), FALSE);
    else
        checkShift(dialog);
    InvalidateRect(listView(dialog), nullptr, TRUE);
}

void initDialog(KeyDialogState& state) {
    HWND dialog = state.window;
    for (std::uint8_t key : kNamedKeys)
        SendDlgItemMessageW(dialog, kKeysKeyList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(keyName(key)));
    for (std::uint32_t j = 0; j < kMouseActionCount; ++j) {
        const WideString name = loadText(kTextMouseActionFirst + j);
        SendDlgItemMessageW(dialog, kKeysMouseList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide(name)));
    }
    fillList(state);
    showPage(state);
}

void errorBox(HWND dialog, std::uint32_t textId) {
    const WideString text = loadText(textId), caption = loadText(kTextKeyDialogCaption);
    MessageBoxW(dialog, wide(text), wide(caption), MB_SETFOREGROUND | MB_ICONERROR);
}

void assign(KeyDialogState& state) {
    HWND dialog = state.window;
    const int row = selectedRow(dialog);
    std::uint32_t error;
    if (state.assignments.mousePage)
        error = assignMouse(state.assignments, row,
                            static_cast<std::int32_t>(SendDlgItemMessageW(dialog, kKeysMouseList, LB_GETCURSEL, 0, 0)));
    else
        error = assignKey(state.assignments, row, selectedKey(dialog), isChecked(dialog, kKeysCtrl),
                          isChecked(dialog, kKeysShift));
    if (error) {
        errorBox(dialog, error);
        return;
    }
    // A mouse action moves from the row that held it: every row's mouse text may change.
    if (state.assignments.mousePage)
        refreshAllRows(state);
    else
        refreshRow(state, row);
}

void clear(KeyDialogState& state) {
    const int row = selectedRow(state.window);
    if (const std::uint32_t error = clearAssignment(state.assignments, row)) {
        errorBox(state.window, error);
        return;
    }
    refreshRow(state, row);
}

void reset(KeyDialogState& state) {
    const WideString question = loadText(kTextResetQuestion), caption = loadText(kTextResetCaption);
    if (MessageBoxW(state.window, wide(question), wide(caption), MB_YESNO | MB_SETFOREGROUND) != IDYES) return;
    resetAssignments(state.assignments);
    refreshAllRows(state);
}

void close(KeyDialogState& state) {
    HWND dialog = state.window;
    removeDialogSubclasses(dialog, {kKeysCommands});
    KeyAssignments& a = state.assignments;
    if (a.keysChanged) {
        app.slots = a.slots;
        rebuildAfterKeyChange();
    }
    if (a.mouseChanged)
        for (std::uint32_t i = 0; i < kMouseActionCount; ++i) app.settings.mouseActions[i] = a.mouse[i];
    app.settings.keyDialogMouseMode = isChecked(dialog, kKeysMousePage);
    EndDialog(dialog, IDCANCEL);
}

// The column the current page does not edit is greyed.
LRESULT customDraw(KeyDialogState& state, NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int greyed = state.assignments.mousePage ? kKeyColumn : kMouseColumn;
        draw->clrText = draw->iSubItem == greyed ? kGreyedColumn : GetSysColor(COLOR_WINDOWTEXT);
        return CDRF_DODEFAULT;
    }
    }
    return CDRF_DODEFAULT;
}

INT_PTR handleKeyDialog(KeyDialogState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND dialog = state.window;
    switch (message) {
    case WM_INITDIALOG: initDialog(state); return TRUE;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(kKeysCommands) && header->code == NM_CUSTOMDRAW) {
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, customDraw(state, reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        switch (id) {
        case kKeysKeyPage:
        case kKeysMousePage:
            if (code == BN_CLICKED && state.assignments.mousePage != (id == kKeysMousePage)) {
                state.assignments.mousePage = id == kKeysMousePage;
                showPage(state);
            }
            return TRUE;
        case kKeysKeyList:
            if (code == LBN_SELCHANGE) checkShift(dialog);
            return TRUE;
        case kKeysAssign:
            if (code == BN_CLICKED) assign(state);
            return TRUE;
        case kKeysClear:
            if (code == BN_CLICKED) clear(state);
            return TRUE;
        case kKeysReset:
            if (code == BN_CLICKED) reset(state);
            return TRUE;
        case kKeysClose:
        case IDCANCEL: close(state); return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

}  // namespace

void openKeyDialog() {
    KeyDialogState state;
    // The keys as the accelerator table in force has them.
    ACCEL entries[kKeySlotCount];
    int count = 0;
    if (HACCEL table = acceleratorTable()) {
        count = CopyAcceleratorTableW(table, nullptr, 0);
        if (count > static_cast<int>(kKeySlotCount)) count = kKeySlotCount;
        if (count > 0) count = CopyAcceleratorTableW(table, entries, count);
    }
    // A resource-format table marks its last entry with 0x80; it is no modifier.
    for (int i = 0; i < count; ++i) entries[i].fVirt &= 0x7F;
    openKeyAssignments(state.assignments, reinterpret_cast<const AccelRecord*>(entries), count > 0 ? count : 0,
                       app.settings.mouseActions, app.settings.keyDialogMouseMode != 0, loadText);
    runDialog(kKeys, boundDialogProc<KeyDialogState, handleKeyDialog>, &state);
}
