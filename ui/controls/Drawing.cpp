// The shared drawing helpers: the rounded highlight behind a hot menu item, combo item or button,
// and the check mark of a checked menu item.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ui/app/App.h"
#include "ui/controls/Controls.h"
#include "ui/controls/LayoutRects.h"

void highlightFill(HDC dc, const RECT& rect, int corner, COLORREF fill, COLORREF frame) {
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    const COLORREF oldFill = SetDCBrushColor(dc, fill);
    const COLORREF oldFrame = SetDCPenColor(dc, frame);
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, corner, corner);
    SetDCPenColor(dc, oldFrame);
    SetDCBrushColor(dc, oldFill);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}

void checkMark(HDC dc, const RECT& rect) {
    LayoutPoint corners[4];
    checkMarkPoints(layoutRect(rect), corners);
    POINT points[4];
    for (int i = 0; i < 4; ++i) points[i] = POINT{corners[i].x, corners[i].y};
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    const COLORREF oldFill = SetDCBrushColor(dc, RGB(0xFF, 0xE0, 0xFF));
    const COLORREF oldFrame = SetDCPenColor(dc, RGB(0x90, 0x48, 0x90));
    Polygon(dc, points, 4);
    SetDCPenColor(dc, oldFrame);
    SetDCBrushColor(dc, oldFill);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
}
