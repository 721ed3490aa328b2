// The file list window: a tool window beside the main window whose no-data list box draws the
// entries straight from app.fileList; picking an entry opens that file.
#include <windows.h>

#include "shell/Language_win32.h"
#include "shell/WindowTexts.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/controls/Controls.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/filelist/ListBox.h"

namespace {

// The list window's state, bound to it each time it is created; its size outlives it.
struct ListWindowState {
    HWND window = nullptr;
    HWND listBox = nullptr;
    int width = 180;
    int height = 360;
    bool reopen = false;  // closed for trim mode or a dialog, to come back afterwards
};
ListWindowState list;

constexpr wchar_t kListClass[] = L"Vantle_list_class";
constexpr COLORREF kSelectionFill = 0xFFFFE8;
constexpr COLORREF kSelectionFrame = 0x909048;
constexpr int kTextInset = 2;  // ListItemTextOrigin's distance from the item's left edge

const wchar_t* wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }

ScreenRect screenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

int itemHeight() { return app.metrics.textHeight + 2; }

// The widest name in the UI font plus the list box's static edge and the text's inset on both
// sides, so the last letter can be scrolled clear of the selection frame.
int horizontalExtent() {
    HDC dc = GetDC(list.listBox);
    HGDIOBJ old = app.uiFont ? SelectObject(dc, app.uiFont) : nullptr;
    int widest = 0;
    for (const FileEntry& entry : app.fileList.entries) {
        SIZE size{};
        if (GetTextExtentPoint32W(dc, wide(entry.name.c_str()), static_cast<int>(entry.name.length()), &size) &&
            size.cx > widest)
            widest = size.cx;
    }
    if (old) SelectObject(dc, old);
    ReleaseDC(list.listBox, dc);
    RECT edge{0, 0, 0, 0};
    AdjustWindowRectEx(&edge, WS_CHILD, FALSE, WS_EX_STATICEDGE);
    return widest + (edge.right - edge.left) + 2 * kTextInset;
}

HWND createListBox(HWND parent, int width, int height) {
    HWND box = CreateWindowExW(WS_EX_STATICEDGE, L"ListBox", nullptr,
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NODATA | LBS_NOINTEGRALHEIGHT |
                                   LBS_OWNERDRAWFIXED | LBS_NOTIFY,
                               0, 0, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(control::kListBox)),
                               app.exeInstance, nullptr);
    if (box) SendMessageW(box, LB_SETITEMHEIGHT, 0, itemHeight());
    return box;
}

void drawEntry(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= static_cast<UINT>(app.fileList.count())) return;
    if (!(item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT))) return;
    RECT rect = item.rcItem;
    // The fill reaches as far as the longest name, also when the list is scrolled sideways.
    const LONG extent = static_cast<LONG>(SendMessageW(item.hwndItem, LB_GETHORIZONTALEXTENT, 0, 0));
    if (rect.right < rect.left + extent) rect.right = rect.left + extent;
    if (item.itemState & ODS_SELECTED)
        highlightFill(item.hDC, rect, 0, kSelectionFill, kSelectionFrame);
    else
        FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_WINDOW));

    const WideString& name = app.fileList.entries[item.itemID].name;
    const ScreenPoint at = ListItemTextOrigin(screenRect(item.rcItem), app.metrics.textHeight);
    HGDIOBJ old = app.uiFont ? SelectObject(item.hDC, app.uiFont) : nullptr;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, RGB(0, 0, 0));
    ExtTextOutW(item.hDC, at.x, at.y, ETO_CLIPPED, &rect, wide(name.c_str()), name.length(), nullptr);
    if (old) SelectObject(item.hDC, old);
}

// The user picked an entry: open it, leaving the list as it is.
void openSelected() {
    const LRESULT index = SendMessageW(list.listBox, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return;
    WideString path;
    if (!SelectListEntry(app.fileList, static_cast<std::int32_t>(index), path)) return;
    openDocument(&path, false);
}

void rememberSize(ListWindowState& state) {
    RECT r;
    if (!GetWindowRect(state.window, &r)) return;
    state.width = r.right - r.left;
    state.height = r.bottom - r.top;
}

LRESULT handleListMessage(ListWindowState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        if (item->CtlID != static_cast<UINT>(control::kListBox)) break;
        item->itemHeight = static_cast<UINT>(itemHeight());
        return TRUE;
    }
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != static_cast<UINT>(control::kListBox)) break;
        drawEntry(*item);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == control::kListBox && HIWORD(wParam) == LBN_SELCHANGE) openSelected();
        return 0;
    case WM_SETFOCUS:
        // The keys go to the list, so the arrows walk through the folder.
        if (state.listBox) SetFocus(state.listBox);
        return 0;
    case WM_SIZE:
        if (state.listBox) MoveWindow(state.listBox, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_CLOSE:
        rememberSize(state);
        break;  // the default destroys the window
    case WM_DESTROY:
        state.listBox = nullptr;
        errorBoxWindows.fileList = nullptr;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(state.window, message, wParam, lParam);
}

void placeListWindow() {
    RECT main{}, work{}, rebar{};
    GetWindowRect(app.mainWindow, &main);
    if (rebarWindow()) GetWindowRect(rebarWindow(), &rebar);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromWindow(app.mainWindow, MONITOR_DEFAULTTONEAREST), &monitor))
        work = monitor.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const ScreenPoint at = PlaceListWindow(screenRect(main), screenRect(work), screenRect(rebar), list.width);
    // On top of the main window again, in case something covered it.
    SetWindowPos(list.window, HWND_TOP, at.x, at.y, list.width, list.height, SWP_NOACTIVATE);
}

bool createListWindow() {
    const WideString title = loadText(kTextListWindowTitle);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kListClass, wide(title.c_str()),
                                  WS_POPUPWINDOW | WS_CLIPCHILDREN | WS_DLGFRAME | WS_THICKFRAME, 0, 0, list.width,
                                  list.height, app.mainWindow, nullptr, app.exeInstance, &list);
    if (!window) return false;
    if (HMENU menu = GetSystemMenu(window, FALSE)) {
        DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
        DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
    }
    RECT client{};
    GetClientRect(window, &client);
    HWND box = createListBox(window, client.right, client.bottom);
    if (!box) {
        DestroyWindow(window);
        return false;
    }
    list.listBox = box;
    errorBoxWindows.fileList = window;
    return true;
}

}  // namespace

void fillListWindow() {
    HWND box = list.listBox;
    if (!box) return;
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    if (!app.fileList.exists()) {
        SendMessageW(box, LB_SETHORIZONTALEXTENT, 0, 0);
        return;
    }
    SendMessageW(box, LB_SETCOUNT, static_cast<WPARAM>(app.fileList.count()), 0);
    SendMessageW(box, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(horizontalExtent()), 0);
    SendMessageW(box, LB_SETCURSEL, static_cast<WPARAM>(app.fileList.listSelection), 0);
}

bool registerListClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = boundWindowProc<ListWindowState, handleListMessage>;
    wc.hInstance = app.exeInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kListClass;
    return RegisterClassExW(&wc) != 0;
}

namespace {

void showList(int command) {
    if (!app.fileList.exists()) return;
    if (!list.window && !createListWindow()) return;
    fillListWindow();
    placeListWindow();
    ShowWindow(list.window, command);
}

}  // namespace

void showListWindow() { showList(SW_SHOW); }

bool listWindowOpen() { return list.window != nullptr; }

void closeListWindow(bool reopenLater) {
    if (!list.window) return;
    rememberSize(list);
    DestroyWindow(list.window);
    list.reopen = reopenLater;
}

void reopenListWindow() {
    if (!list.reopen) return;
    list.reopen = false;
    // Back after a trim or a dialog: the keys stay with the main window.
    showList(SW_SHOWNOACTIVATE);
}

void enableListWindow(bool enable) {
    if (list.window) EnableWindow(list.window, enable ? TRUE : FALSE);
}

void clearListBoxSelection() {
    if (list.listBox) SendMessageW(list.listBox, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}
