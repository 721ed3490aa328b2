// The drag labels beside the zoom field and the output-size fields: a horizontal drag over them
// changes the number (the zoom quadratically, the sizes pixel by pixel).
#include <windows.h>
#include <windowsx.h>

#include "shell/Language_win32.h"
#include "shell/ToolbarFields.h"
#include "ui/app/App.h"
#include "ui/controls/Builders.h"
#include "ui/resources/ResourceIds.h"

namespace {

struct LabelState {
    bool hover = false;
    bool dragging = false;
    ZoomDrag zoomDrag;
    int startX = 0;
    int startValue = 0;
};

LabelState zoomLabel, widthLabel, heightLabel;

LabelState& stateOf(int id) {
    if (id == ids::kWidthLabel) return widthLabel;
    if (id == ids::kHeightLabel) return heightLabel;
    return zoomLabel;
}

int boxOf(int id) { return id == ids::kWidthLabel ? ids::kWidthBox : ids::kHeightBox; }

void paintLabel(HWND window, const LabelState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r{};
    GetClientRect(window, &r);
    if (state.hover && IsWindowEnabled(window)) {
        highlightFill(dc, r, 0, kLabelHoverFill, kLabelHoverFrame);
    } else {
        SetDCBrushColor(dc, kLabelFill);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    const WideString caption = loadText(static_cast<std::uint32_t>(GetDlgCtrlID(window)));
    HGDIOBJ old = SelectObject(dc, app.uiFont ? app.uiFont : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(window) ? RGB(0, 0, 0) : GetSysColor(COLOR_GRAYTEXT));
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(caption.c_str()), static_cast<int>(caption.length()), &r,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(window, &ps);
}

int screenX(HWND window, LPARAM lParam) {
    POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ClientToScreen(window, &p);
    return p.x;
}

void dragMoved(HWND window, int id, LabelState& state, int x) {
    if (id == ids::kZoomLabel) {
        if (!app.document.displayPixels) return;
        ScrollBars bars;
        if (ZoomDragMove(state.zoomDrag, x, app.geometry, app.viewMetrics, bars, &app.editor)) {
            applyScrollBars(bars);
            InvalidateRect(app.view, nullptr, FALSE);
            UpdateWindow(app.view);
            writeZoomBox();
        }
        return;
    }
    const int value = SizeDragValue(state.startValue, state.startX, x);
    if (HWND box = controlById(boxOf(id))) SetDlgItemInt(GetParent(box), boxOf(id), static_cast<UINT>(value), TRUE);
}

LRESULT CALLBACK labelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int id = GetDlgCtrlID(window);
    LabelState& state = stateOf(id);
    switch (message) {
    case WM_PAINT: paintLabel(window, state); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_ENABLE: InvalidateRect(window, nullptr, FALSE); return 0;
    case WM_MOUSEMOVE:
        if (!state.hover) {
            state.hover = true;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            InvalidateRect(window, nullptr, FALSE);
        }
        if (state.dragging) dragMoved(window, id, state, screenX(window, lParam));
        return 0;
    case WM_MOUSELEAVE:
        state.hover = false;
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        SetCapture(window);
        state.dragging = true;
        state.startX = screenX(window, lParam);
        if (id == ids::kZoomLabel)
            state.zoomDrag = BeginZoomDrag(app.geometry.zoom, state.startX);
        else
            state.startValue = id == ids::kWidthLabel ? app.trimOptions.trimWidth : app.trimOptions.trimHeight;
        return 0;
    case WM_LBUTTONUP:
        if (state.dragging) {
            dragMoved(window, id, state, screenX(window, lParam));
            state.dragging = false;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED: state.dragging = false; return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool registerLabelClasses() {
    HCURSOR cursor = LoadCursorW(app.exeInstance, MAKEINTRESOURCEW(VANTLE_CURSOR_DRAG_VALUE));
    for (const wchar_t* name : {kZoomLabelClass, kSizeLabelClass}) {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.style = CS_HREDRAW | CS_VREDRAW;
        cls.lpfnWndProc = labelProc;
        cls.hInstance = app.exeInstance;
        cls.hCursor = cursor;
        cls.lpszClassName = name;
        if (!RegisterClassExW(&cls)) return false;
    }
    return true;
}
