// The drag labels beside the zoom field and the output-size fields: a horizontal drag over them
// changes the number (the zoom quadratically, the sizes pixel by pixel).
#include <windows.h>
#include <windowsx.h>

#include "shell/Language_win32.h"
#include "shell/ToolbarFields.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/controls/Builders.h"
#include "ui/controls/Controls.h"
#include "ui/view/View.h"
#include "ui/window/MainWindow.h"

namespace {

// One drag label, bound to its window.
struct LabelState {
    HWND window = nullptr;
    bool hover = false;
    bool dragging = false;
    ZoomDrag zoomDrag;
    int startX = 0;
    int startValue = 0;
};

LabelState zoomLabel, widthLabel, heightLabel;

int boxOf(int id) { return id == control::kWidthLabel ? control::kWidthBox : control::kHeightBox; }

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

void dragMoved(int id, LabelState& state, int x) {
    if (id == control::kZoomLabel) {
        if (!app.document.displayPixels) return;
        ScrollBars bars;
        if (ZoomDragMove(state.zoomDrag, x, viewGeometry(), viewMetrics(), bars, &app.editor)) {
            applyScrollBars(bars);
            paintViewNow();
            writeZoomBox();
        }
        return;
    }
    const int value = SizeDragValue(state.startValue, state.startX, x);
    if (HWND box = controlById(boxOf(id))) SetDlgItemInt(GetParent(box), boxOf(id), static_cast<UINT>(value), TRUE);
}

LRESULT handleLabelMessage(LabelState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = state.window;
    const int id = GetDlgCtrlID(window);
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
        if (state.dragging) dragMoved(id, state, screenX(window, lParam));
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
        if (id == control::kZoomLabel)
            state.zoomDrag = BeginZoomDrag(viewGeometry().zoom, state.startX);
        else
            state.startValue = id == control::kWidthLabel ? app.settings.trimWidth : app.settings.trimHeight;
        return 0;
    case WM_LBUTTONUP:
        if (state.dragging) {
            dragMoved(id, state, screenX(window, lParam));
            state.dragging = false;
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED: state.dragging = false; return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void* zoomLabelState() { return &zoomLabel; }
void* sizeLabelState(int id) { return id == control::kWidthLabel ? &widthLabel : &heightLabel; }

bool registerLabelClasses() {
    HCURSOR cursor = LoadCursorW(app.exeInstance, MAKEINTRESOURCEW(cursor::kDragValue));
    for (const wchar_t* name : {kZoomLabelClass, kSizeLabelClass}) {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof cls;
        cls.style = CS_HREDRAW | CS_VREDRAW;
        cls.lpfnWndProc = boundWindowProc<LabelState, handleLabelMessage>;
        cls.hInstance = app.exeInstance;
        cls.hCursor = cursor;
        cls.lpszClassName = name;
        if (!RegisterClassExW(&cls)) return false;
    }
    return true;
}
