// Painting of the image view: the visible part stretched to the zoom, the margins, the trim
// overlays, and the XOR shapes drawn straight onto the window between paints.
#include "shell/Language_win32.h"
#include "shell/WindowTexts.h"
#include "trim/ViewPaint.h"
#include "ui/app/App.h"
#include "ui/view/View.h"
#include "ui/view/ViewState.h"

namespace {

void drawPath(HDC dc, const OutlinePath& path) {
    MoveToEx(dc, path.points[0].x, path.points[0].y, nullptr);
    for (int i = 1; i < 5; ++i) LineTo(dc, path.points[i].x, path.points[i].y);
}

void xorLines(HDC dc, const TrimPoint* ends, int pairs) {
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kXorPenColour);
    const int old = SetROP2(dc, R2_XORPEN);
    for (int i = 0; i < pairs; ++i) {
        MoveToEx(dc, ends[2 * i].x, ends[2 * i].y, nullptr);
        LineTo(dc, ends[2 * i + 1].x, ends[2 * i + 1].y);
    }
    SetROP2(dc, old);
}

void drawCross(HDC dc, const ViewGeometry& geometry, TrimPoint point) {
    const CrosshairLines lines = CrosshairAt(geometry, point);
    const TrimPoint ends[4] = {lines.horizontalFrom, lines.horizontalTo, lines.verticalFrom, lines.verticalTo};
    xorLines(dc, ends, 2);
}

void applyCrosshairStep(const ViewState& s, const CrosshairStep& step) {
    if (!step.eraseOld && !step.drawNew) return;
    HDC dc = GetDC(s.window);
    if (step.eraseOld) drawCross(dc, s.geometry, step.oldPoint);
    if (step.drawNew) drawCross(dc, s.geometry, step.newPoint);
    ReleaseDC(s.window, dc);
}

void drawSquares(HDC dc, const CornerSquares& squares) {
    SetROP2(dc, R2_COPYPEN);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(DC_BRUSH));
    for (const CornerSquare& s : squares.squares) {
        SetDCBrushColor(dc, s.fill);
        Rectangle(dc, s.rect.left, s.rect.top, s.rect.right, s.rect.bottom);
    }
}

void drawFailureText(HDC dc, const ViewGeometry& geometry, const PaintPlan& plan) {
    const WideString text = loadText(kTextLoadFailed);
    const UINT length = text.length() > 127 ? 127 : text.length();
    HGDIOBJ oldFont = SelectObject(dc, app.uiFont ? app.uiFont : GetStockObject(DEFAULT_GUI_FONT));
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER | TA_TOP);
    RECT clip{0, 0, geometry.viewportW, geometry.viewportH};
    ExtTextOutW(dc, plan.textX, plan.textY, ETO_CLIPPED, &clip, reinterpret_cast<const wchar_t*>(text.c_str()), length,
                nullptr);
    SelectObject(dc, oldFont);
}

}  // namespace

void paintView(ViewState& s) {
    const Document& doc = app.document;
    const TrimEditor& editor = app.editor;
    const bool trimming = active(editor.trimMode);
    // While the preview worker renders into the rectified copy, nothing here reads it: the shading
    // waits and the distorted display is left as it stands; the finished render paints again.
    const bool rectifiedReadable = RectifiedReadable(editor);
    const bool showsRectified = editor.rectified && doc.displayPixels == editor.rectified.data();
    if (settled(editor.trimMode) && doc.displayPixels == doc.shadedPixels && rectifiedReadable) {
        // The shading follows the rectangle lazily: only a paint needs it current.
        Reshade(s.shade, ShadeImageOf(doc, editor.rectified.data()), editor.trimRect, editor.shadeTable);
    }
    const PaintPlan plan = PlanPaint(s.geometry, trimming ? &editor : nullptr, doc.displayPixels != nullptr,
                                     doc.loadFailed, app.metrics.textHeight);
    // The crosshair is erased by drawing it once more, outside the paint's clipping: a paint of part
    // of the view would otherwise leave its lines standing everywhere else.
    if (plan.hasImage && plan.eraseCrosshair) eraseCrosshair();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(s.window, &ps);
    HBRUSH grey = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    for (int i = 0; i < plan.fillCount; ++i) {
        const RECT r{plan.fills[i].left, plan.fills[i].top, plan.fills[i].right, plan.fills[i].bottom};
        FillRect(dc, &r, grey);
    }
    if (plan.hasImage) {
        SetStretchBltMode(dc, static_cast<int>(plan.stretchMode));
        if (plan.brushOriginZero) SetBrushOrgEx(dc, 0, 0, nullptr);
        const StretchBlit& b = plan.blit;
        if (!showsRectified || rectifiedReadable)
            StretchDIBits(dc, b.destX, b.destY, b.destW, b.destH, b.srcX, b.srcY, b.srcW, b.srcH, doc.displayPixels,
                          doc.info(), DIB_RGB_COLORS, SRCCOPY);
        if (plan.dottedOutline) {
            HPEN dotted = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
            HGDIOBJ old = SelectObject(dc, dotted);
            SetROP2(dc, R2_COPYPEN);
            SetBkMode(dc, OPAQUE);
            SetBkColor(dc, RGB(255, 255, 255));
            drawPath(dc, plan.outline);
            SelectObject(dc, old);
            DeleteObject(dotted);
        }
        if (plan.xorRect) {
            SelectObject(dc, GetStockObject(DC_PEN));
            SetDCPenColor(dc, kXorPenColour);
            SetROP2(dc, R2_XORPEN);
            drawPath(dc, plan.xorPath);
        }
        if (plan.cornerSquares) drawSquares(dc, plan.squares);
    } else if (plan.failureText) {
        drawFailureText(dc, s.geometry, plan);
    }
    EndPaint(s.window, &ps);
}

void xorRectangle(const TrimRect& r) {
    HDC dc = GetDC(viewState.window);
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kXorPenColour);
    SetROP2(dc, R2_XORPEN);
    drawPath(dc, OutlinePathOf(r));
    ReleaseDC(viewState.window, dc);
}

void moveCrosshair(ViewState& s, int x, int y) {
    applyCrosshairStep(s, MoveCrosshair(s.crosshair, s.geometry, x, y));
}

void eraseCrosshair() { applyCrosshairStep(viewState, EraseCrosshair(viewState.crosshair)); }

void forgetCrosshair() { viewState.crosshair = {-1, -1}; }

void invalidateShading() { InvalidateShading(viewState.shade); }

void clearShading() { ClearShading(viewState.shade, ShadeImageOf(app.document, app.editor.rectified.data())); }
