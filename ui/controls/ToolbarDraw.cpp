// Custom drawing of the toolbar buttons: the background (hot and checked highlights) is drawn here,
// the toolbar draws the images on top.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/controls/Controls.h"
#include "ui/controls/Colours.h"

namespace {

// A button without an image shows its command's name instead.
bool hasImage(HWND toolbar, DWORD_PTR command) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_IMAGE;
    if (SendMessageW(toolbar, TB_GETBUTTONINFOW, command, reinterpret_cast<LPARAM>(&info)) < 0) return true;
    return info.iImage != I_IMAGENONE;
}

void drawButtonName(const NMCUSTOMDRAW& draw) {
    const WideString name = loadText(static_cast<std::uint32_t>(draw.dwItemSpec));
    const bool disabled = (draw.uItemState & (CDIS_DISABLED | CDIS_INDETERMINATE | CDIS_GRAYED)) != 0;
    HDC dc = draw.hdc;
    const COLORREF oldColour = SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_MENUTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const HGDIOBJ oldFont = app.uiFont ? SelectObject(dc, app.uiFont) : nullptr;
    RECT rect = draw.rc;
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(name.c_str()), -1, &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX);
    if (oldFont) SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}

}  // namespace

LRESULT customDrawToolbar(NMCUSTOMDRAW* draw) {
    // The toolbars send NMTBCUSTOMDRAW; its first member is this record, which holds all used here.
    switch (draw->dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        // A pressed button (its menu is open) keeps the hot look.
        if (draw->uItemState & (CDIS_HOT | CDIS_SELECTED)) highlightFill(draw->hdc, draw->rc, kMenuCorner, kHighlightFill, kHighlightFrame);
        if (draw->uItemState & CDIS_CHECKED) highlightFill(draw->hdc, draw->rc, kMenuCorner, kCheckedFill, kCheckedFrame);
        if (draw->dwItemSpec != 0 && !hasImage(draw->hdr.hwndFrom, draw->dwItemSpec)) drawButtonName(*draw);
        return TBCDRF_NOBACKGROUND;
    default:
        return CDRF_DODEFAULT;
    }
}
