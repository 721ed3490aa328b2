// The control builders of the tool bands and the panel subclass.
#include "ui/controls/Builders.h"

#include "shell/Language_win32.h"
#include "shell/ToolbarFields.h"
#include "ui/app/App.h"
#include "ui/controls/Controls.h"

namespace {

int textExtent(const WideString& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, app.uiFont ? app.uiFont : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.c_str()), static_cast<int>(text.length()), &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size.cx;
}

HMENU idOf(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

int spinOfField(int editId) {
    switch (editId) {
    case control::kZoomBox: return control::kZoomSpin;
    case control::kWidthBox: return control::kWidthSpin;
    case control::kHeightBox: return control::kHeightSpin;
    }
    if (control::isTrimBox(editId)) return editId - control::kBoxLeft + control::kSpinLeft;
    return 0;
}

int bandLabelWidth(int id) { return textExtent(loadText(static_cast<std::uint32_t>(id))) + 4; }

int labelWidth(int id) { return textExtent(loadText(static_cast<std::uint32_t>(id))) + 2; }

int fieldWidth(int digits) { return digits * app.metrics.digitWidth + app.metrics.spinExtra; }

int createBandWindow(const wchar_t* className, HWND parent, int id, int x, void* state) {
    const int width = bandLabelWidth(id);
    CreateWindowExW(0, className, nullptr, WS_CHILD | WS_VISIBLE, x, 2, width, app.metrics.rowHeight, parent, idOf(id),
                    app.exeInstance, state);
    return width;
}

int createLabel(HWND parent, int id, int x, const wchar_t* text, DWORD style) {
    WideString caption;
    if (text)
        caption.assign(reinterpret_cast<const char16_t*>(text));
    else
        caption = loadText(static_cast<std::uint32_t>(id));
    const int width = textExtent(caption) + 2;
    HWND label = CreateWindowExW(0, L"Static", reinterpret_cast<const wchar_t*>(caption.c_str()), 0x50004200 | style, x,
                                 2, width, app.metrics.rowHeight, parent, idOf(id), app.exeInstance, nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    return width;
}

int createSpinField(HWND parent, int editId, int spinId, int x, int width, int maxChars, int min, int max, int pos,
                    DWORD style) {
    if (width <= 9) width = fieldWidth(width);
    DWORD editStyle = 0x50000082 | style;
    if (min >= 0) editStyle |= ES_NUMBER;
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"Edit", L"", editStyle, x, 2, width, app.metrics.rowHeight, parent,
                                idOf(editId), app.exeInstance, nullptr);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    SendMessageW(edit, EM_LIMITTEXT, maxChars, 0);
    HWND spin = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, 0x500000B6 | (style & WS_DISABLED), 0, 0, 0, 0, parent,
                                idOf(spinId), app.exeInstance, nullptr);
    SendMessageW(spin, UDM_SETRANGE32, min, max);
    SendMessageW(spin, UDM_SETPOS32, 0, pos);
    return width;
}

HWND createComboBox(HWND parent, int x, int width) {
    HWND combo = CreateWindowExW(0, L"ComboBox", nullptr, 0x50200013, x, 1, width, 400, parent,
                                 idOf(control::kFormatCombo), app.exeInstance, nullptr);
    SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    SendMessageW(combo, CB_SETEXTENDEDUI, TRUE, 0);
    SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), app.metrics.textHeight + 2);
    SendMessageW(combo, CB_SETITEMHEIGHT, 0, app.metrics.textHeight + 2);
    return combo;
}

int formatComboWidth() {
    int widest = 0;
    for (std::int32_t k = 0; k < kOutputFormatCount; ++k) {
        const int w = textExtent(loadText(static_cast<std::uint32_t>(kOutputFormatTextFirst + k)));
        if (w > widest) widest = w;
    }
    return widest + app.metrics.spinExtra + 6;
}

HWND createTooltip(HWND owner) {
    HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, app.exeInstance, nullptr);
    if (!tip) return nullptr;
    SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, 300);
    SendMessageW(tip, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    SendMessageW(tip, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    return tip;
}

void relayoutRow(HWND parent, const std::vector<int>& controls, int x) {
    for (int id : controls) {
        HWND control = GetDlgItem(parent, id);
        if (!control) continue;
        RECT r{};
        GetWindowRect(control, &r);
        int width = r.right - r.left;
        const int spinId = spinOfField(id);
        HWND spin = spinId ? GetDlgItem(parent, spinId) : nullptr;
        if (spin) {
            RECT s{};
            GetWindowRect(spin, &s);
            width += s.right - s.left;
        }
        MoveWindow(control, x, id == control::kFormatCombo ? 1 : 2, width, id == control::kFormatCombo ? 400 : r.bottom - r.top,
                   FALSE);
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
        if (spin) SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(control), 0);
        x += width;
    }
}

void relayoutRow(HWND parent, std::initializer_list<int> controls, int x) {
    relayoutRow(parent, std::vector<int>(controls), x);
}

LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkMode(dc, TRANSPARENT);
        SetDCBrushColor(dc, 0xF0F0F0);
        return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case WM_CTLCOLOREDIT: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND edit = reinterpret_cast<HWND>(lParam);
        const int id = GetDlgCtrlID(edit);
        int low = 0, high = 0;
        if (id == control::kZoomBox) {
            low = kZoomPercentMin;
            high = kZoomPercentMax;
        } else if (id == control::kWidthBox || id == control::kHeightBox) {
            low = kOutputSizeMin;
            high = kOutputSizeMax;
        }
        if (high) {
            BOOL ok = FALSE;
            const int value = static_cast<int>(GetDlgItemInt(window, id, &ok, TRUE));
            const COLORREF normal = GetSysColor(COLOR_WINDOWTEXT);
            SetTextColor(dc, ok ? FieldTextColour(value, low, high, normal) : normal);
        }
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_ERASEBKGND: {
        // The bands' own colour behind the buttons, so the labels' background matches it.
        RECT r{};
        GetClientRect(window, &r);
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetDCBrushColor(dc, 0xF0F0F0);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        return 1;
    }
    case WM_RBUTTONDOWN: return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
        // The fields' notifications belong to the main window, whatever window holds the toolbar.
        if (app.mainWindow && message == WM_COMMAND && lParam) return SendMessageW(app.mainWindow, message, wParam, lParam);
        break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}
