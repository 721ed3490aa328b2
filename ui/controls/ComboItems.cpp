// Owner-drawn combo box items: an item whose data is a text identifier shows that language text.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/controls/Controls.h"
#include "ui/controls/Colours.h"
#include "ui/controls/LayoutRects.h"

bool drawComboItem(const DRAWITEMSTRUCT* draw) {
    if (draw->CtlType != ODT_COMBOBOX) return false;
    HDC dc = draw->hDC;
    const RECT& rect = draw->rcItem;
    const bool disabled = (draw->itemState & ODS_DISABLED) != 0;
    if ((draw->itemState & ODS_SELECTED) && !disabled)
        highlightFill(dc, rect, 0, kHighlightFill, kHighlightFrame);
    else
        FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
    if (draw->itemID == static_cast<UINT>(-1)) return true;  // an empty combo: background only

    WideString text;
    if (draw->itemData != 0) {
        text = loadText(static_cast<std::uint32_t>(draw->itemData));
    } else {
        const LRESULT length = SendMessageW(draw->hwndItem, CB_GETLBTEXTLEN, draw->itemID, 0);
        if (length > 0) {
            char16_t* buffer = text.reserve(static_cast<std::uint32_t>(length));
            if (buffer) {
                SendMessageW(draw->hwndItem, CB_GETLBTEXT, draw->itemID, reinterpret_cast<LPARAM>(buffer));
                text.recount();
            }
        }
    }
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(draw->hwndItem, WM_GETFONT, 0, 0));
    const HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    SIZE extent{0, 0};
    GetTextExtentPoint32W(dc, L"0", 1, &extent);
    const int top = centredTextTop(layoutRect(rect), extent.cy);
    ExtTextOutW(dc, rect.left + 2, top, ETO_CLIPPED, &rect, reinterpret_cast<const wchar_t*>(text.c_str()), text.length(),
                nullptr);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
    if (oldFont) SelectObject(dc, oldFont);
    return true;
}
