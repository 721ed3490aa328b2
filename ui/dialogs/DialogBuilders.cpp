// What the dialogs share: running one from its template, the subclasses of their fields, lists and
// group titles, and the folder browser.
#include "ui/dialogs/DialogBuilders.h"

#include <commctrl.h>
#include <shlobj.h>

#include "platform/platform.h"
#include "shell/DialogTemplate.h"
#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/filelist/FileListWindow.h"

namespace {

constexpr COLORREF kGroupTitleColour = 0xC86848;
constexpr COLORREF kGroupLineColour = 0xE0B0A0;
constexpr COLORREF kCueColour = 0x808080;
constexpr std::uint32_t kTextBrowseTitle = 20019;

const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

// An empty edit field: the hint (text `data`) in grey where the text would be.
LRESULT CALLBACK cueTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_PAINT && GetWindowTextLengthW(window) == 0) {
        const WideString hint = loadText(static_cast<std::uint32_t>(data));
        RECT r{};
        SendMessageW(window, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
        HDC dc = GetDC(window);
        HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
        SetTextColor(dc, kCueColour);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, wide(hint.c_str()), static_cast<int>(hint.length()), &r,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
        ReleaseDC(window, dc);
    }
    return result;
}

// A group title: a thin line from just after its text to its right edge, at its middle.
LRESULT CALLBACK groupLineProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_PAINT) {
        const int length = GetWindowTextLengthW(window);
        std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
        GetWindowTextW(window, reinterpret_cast<wchar_t*>(text.data()), length + 1);
        RECT r{};
        GetClientRect(window, &r);
        HDC dc = GetDC(window);
        HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
        // Measured as the label draws it: an ampersand marks an access key and takes no room.
        RECT measured{0, 0, 0, 0};
        DrawTextW(dc, wide(text.c_str()), length, &measured, DT_CALCRECT | DT_SINGLELINE);
        const int y = (r.top + r.bottom) / 2;
        HPEN pen = CreatePen(PS_SOLID, 1, kGroupLineColour);
        HGDIOBJ oldPen = SelectObject(dc, pen);
        MoveToEx(dc, measured.right + 5, y, nullptr);
        LineTo(dc, r.right, y);
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        SelectObject(dc, oldFont);
        ReleaseDC(window, dc);
    }
    return result;
}

// A list view whose rows would keep a stale look after a scroll is painted again once it ends.
LRESULT CALLBACK listRepaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (message == WM_VSCROLL && LOWORD(wParam) == SB_ENDSCROLL) {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    return result;
}

int CALLBACK browseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
    const auto* initial = reinterpret_cast<const WideString*>(data);
    if (message == BFFM_INITIALIZED && initial && !initial->empty())
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(initial->c_str()));
    return 0;
}

}  // namespace

INT_PTR runDialog(std::uint32_t id, DLGPROC procedure, void* parameter) {
    const DialogTemplateCopy copy = loadDialogTemplate(id);
    if (!copy.data) return -1;
    *copy.pointSize = dialogPointSize(app.settings.largeDialogFont != 0);
    enableListWindow(false);
    const INT_PTR result = DialogBoxIndirectParamW(app.exeInstance, static_cast<LPCDLGTEMPLATEW>(copy.data),
                                                   app.mainWindow, procedure, reinterpret_cast<LPARAM>(parameter));
    enableListWindow(true);
    platform::heapFree(copy.data);
    return result;
}

void addCueText(HWND dialog, int editId, std::uint32_t hintId) {
    if (HWND edit = GetDlgItem(dialog, editId)) SetWindowSubclass(edit, cueTextProc, editId, hintId);
}

void addGroupLines(HWND dialog, std::initializer_list<int> titleIds) {
    for (int id : titleIds)
        if (HWND title = GetDlgItem(dialog, id)) SetWindowSubclass(title, groupLineProc, id, 0);
}

void addListRepaint(HWND dialog, int listId) {
    if (HWND list = GetDlgItem(dialog, listId)) SetWindowSubclass(list, listRepaintProc, listId, 0);
}

void removeDialogSubclasses(HWND dialog, std::initializer_list<int> controlIds) {
    for (int id : controlIds) {
        HWND control = GetDlgItem(dialog, id);
        if (!control) continue;
        RemoveWindowSubclass(control, cueTextProc, id);
        RemoveWindowSubclass(control, groupLineProc, id);
        RemoveWindowSubclass(control, listRepaintProc, id);
    }
}

HBRUSH groupTitleColour(HWND, HDC dc, HWND control, std::initializer_list<int> titleIds) {
    const int id = GetDlgCtrlID(control);
    for (int title : titleIds)
        if (id == title) {
            SetTextColor(dc, kGroupTitleColour);
            SetBkMode(dc, TRANSPARENT);
            return GetSysColorBrush(COLOR_BTNFACE);
        }
    return nullptr;
}

void setDialogComboHeight(HWND dialog, int comboId) {
    RECT units{0, 0, 0, 12};
    MapDialogRect(dialog, &units);
    const LPARAM height = units.bottom - 4;
    HWND combo = GetDlgItem(dialog, comboId);
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
    SendMessageW(combo, CB_SETITEMHEIGHT, 0, height);
}

bool browseForFolder(HWND owner, const WideString& current, const WideString& initial, WideString& chosen) {
    WideString title = loadText(kTextBrowseTitle);
    title.append(current);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = wide(title.c_str());
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&initial);
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return false;
    wchar_t path[MAX_PATH] = {};
    const bool got = SHGetPathFromIDListW(item, path) != FALSE;
    CoTaskMemFree(item);
    if (got) chosen.assign(reinterpret_cast<const char16_t*>(path));
    return got;
}

WideString dialogText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    WideString text;
    const int length = control ? GetWindowTextLengthW(control) : 0;
    if (length <= 0) return text;
    char16_t* buffer = text.reserve(static_cast<std::uint32_t>(length));
    if (!buffer) return text;
    GetWindowTextW(control, reinterpret_cast<wchar_t*>(buffer), length + 1);
    text.recount();
    return text;
}

void setDialogText(HWND dialog, int id, const WideString& text) {
    SetDlgItemTextW(dialog, id, wide(text.c_str()));
}

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void setChecked(HWND dialog, int id, bool checked) { CheckDlgButton(dialog, id, checked ? BST_CHECKED : BST_UNCHECKED); }
