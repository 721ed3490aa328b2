// Owner-drawn menu items: the command's name (with "..." for items that open a dialog) on the left
// and its key on the right, in the user-interface font.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/controls/Controls.h"
#include "ui/menus/Menus.h"
#include "ui/controls/Colours.h"
#include "ui/controls/LayoutRects.h"

namespace {

const wchar_t* wide(const WideString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

HFONT menuFont() { return app.uiFont ? app.uiFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

const MenuItemData* itemData(UINT type, ULONG_PTR data) {
    return type == ODT_MENU ? reinterpret_cast<const MenuItemData*>(data) : nullptr;
}

}  // namespace

bool measureMenuItem(MEASUREITEMSTRUCT* measure) {
    const MenuItemData* item = itemData(measure->CtlType, measure->itemData);
    if (!item) return false;
    WideString text;
    menuItemMeasureText(*item, static_cast<std::uint16_t>(measure->itemID), loadText, text);
    HDC dc = GetDC(nullptr);
    const HGDIOBJ oldFont = SelectObject(dc, menuFont());
    RECT bounds{0, 0, 0, 0};
    DrawTextExW(dc, const_cast<wchar_t*>(wide(text)), -1, &bounds, DT_CALCRECT | DT_HIDEPREFIX, nullptr);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);
    const LayoutPoint size = menuItemSize(bounds.right - bounds.left, bounds.bottom - bounds.top, metrics.tmHeight);
    measure->itemWidth = static_cast<UINT>(size.x);
    measure->itemHeight = static_cast<UINT>(size.y);
    return true;
}

bool drawMenuItem(const DRAWITEMSTRUCT* draw) {
    const MenuItemData* item = itemData(draw->CtlType, draw->itemData);
    if (!item) return false;
    HDC dc = draw->hDC;
    const RECT& rect = draw->rcItem;
    if (draw->itemState & ODS_SELECTED)
        highlightFill(dc, rect, kMenuCorner, kHighlightFill, kHighlightFrame);
    else
        FillRect(dc, &rect, GetSysColorBrush(COLOR_MENU));
    if (draw->itemState & ODS_CHECKED) checkMark(dc, rect);

    const std::uint16_t cmd = static_cast<std::uint16_t>(draw->itemID);
    WideString text, key;
    menuItemText(*item, cmd, loadText, text);
    menuItemKeyText(*item, key);
    const bool disabled = (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ oldFont = SelectObject(dc, menuFont());
    RECT textRect = windowRect(menuItemTextRect(layoutRect(rect)));
    constexpr UINT kLine = DT_SINGLELINE | DT_VCENTER | DT_HIDEPREFIX;
    DrawTextW(dc, wide(text), -1, &textRect, kLine | DT_LEFT);
    if (!key.empty()) DrawTextW(dc, wide(key), -1, &textRect, kLine | DT_RIGHT);
    SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
    return true;
}
