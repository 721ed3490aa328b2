// The image view window: geometry upkeep, scroll bars, panning, and the routing of mouse events
// to trim mode and to the configurable mouse commands.
#include <windows.h>
#include <windowsx.h>

#include "trim/ViewGeometry.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/app/WindowHelpers.h"
#include "ui/document/Documents.h"
#include "ui/trim/TrimWindow.h"
#include "ui/view/View.h"
#include "ui/view/ViewState.h"
#include "ui/window/MainWindow.h"

ViewState viewState;

namespace {

constexpr wchar_t kViewClass[] = L"Vantle_base_class";
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;

// Slots of the mouse commands in the settings.
constexpr int kMouseBoth = 1, kMouseMiddle = 2, kMouseX1 = 3, kMouseX2 = 4, kWheelAway = 5, kWheelTowards = 6;

bool trimming() { return active(app.editor.trimMode); }
bool hasImage() { return app.document.displayPixels != nullptr; }

TrimImage trimImage() {
    return TrimImage{app.document.header.biWidth, app.document.header.biHeight, app.document.sourcePixels};
}

void setPanCursor(ViewState& s) {
    const int id = PanningCursor(s.geometry);
    if (id == s.panCursor) return;
    s.panCursor = id;
    setCursorById(id);
}

void readMetrics(ViewState& s) {
    s.metrics.hScrollHeight = GetSystemMetrics(SM_CXHSCROLL);
    s.metrics.vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    s.metrics.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    s.metrics.screenHeight = GetSystemMetrics(SM_CYSCREEN);
}

void scrolled(ViewState& s) {
    if (trimming()) UpdateScreenGeometry(app.editor);
    applyScrollBars(ScrollBarValues(s.geometry));
    repaintView();
}

void mouseCommand(int slot, int x, int y) {
    const int command = app.settings.mouseActions[slot];
    if (command) runMouseCommand(command, x, y);
}

bool bothButtons(WPARAM keys) { return (keys & (MK_LBUTTON | MK_RBUTTON)) == (MK_LBUTTON | MK_RBUTTON); }

void endCapture(ViewState& s) {
    s.geometry.mouseMode = MouseMode::None;
    ReleaseCapture();
}

void onMouseMove(ViewState& s, int x, int y) {
    if (!s.trackingMouse) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, s.window, 0};
        s.trackingMouse = TrackMouseEvent(&track) != FALSE;
    }
    ViewGeometry& g = s.geometry;
    switch (g.mouseMode) {
    case MouseMode::None:
        if (trimming())
            HoverTrim(app.editor, x, y);
        else if (hasImage())
            moveCrosshair(s, x, y);
        return;
    case MouseMode::LeftCaptured:
        if (trimming() && DragTrim(app.editor, x, y)) g.mouseMode = MouseMode::TrimDrag;
        return;
    case MouseMode::RightPressed:
        g.mouseMode = RightDragMode(g, s.pressPoint.x, s.pressPoint.y, x, y);
        if (g.mouseMode == MouseMode::Panning) {
            s.panCursor = -1;
            setCursorById(cursor::kArrow);
            if (g.zoom < 1) repaintView();
        } else if (g.mouseMode == MouseMode::RightNoPan) {
            SetCursor(LoadCursorW(nullptr, IDC_NO));
        }
        return;
    case MouseMode::Panning:
        if (PanTo(g, x, y)) scrolled(s);
        setPanCursor(s);
        return;
    case MouseMode::TrimDrag:
        DragTrim(app.editor, x, y);
        return;
    case MouseMode::RightNoPan:
        return;
    }
}

void onLeftDown(ViewState& s, WPARAM keys, int x, int y) {
    SetFocus(app.mainWindow);
    ViewGeometry& g = s.geometry;
    if (g.mouseMode == MouseMode::RightPressed && bothButtons(keys)) {
        endCapture(s);
        mouseCommand(kMouseBoth, x, y);
        return;
    }
    if (g.mouseMode != MouseMode::None || keys != MK_LBUTTON || !app.document.shadedPixels) return;
    if (!trimming()) {
        eraseCrosshair();
        StartTrimAt(app.editor, trimImage(), x, y);
    } else if (!PressTrim(app.editor, x, y)) {
        return;
    }
    g.mouseMode = MouseMode::LeftCaptured;
    SetCapture(s.window);
}

void onLeftUp(ViewState& s) {
    if (!leftHeld(s.geometry.mouseMode)) return;
    endCapture(s);
    if (trimming()) ReleaseTrim(app.editor);
}

void onRightDown(ViewState& s, WPARAM keys, int x, int y) {
    SetFocus(app.mainWindow);
    ViewGeometry& g = s.geometry;
    if (g.mouseMode == MouseMode::LeftCaptured && bothButtons(keys)) {
        endCapture(s);
        mouseCommand(kMouseBoth, x, y);
        return;
    }
    if (g.mouseMode != MouseMode::None || keys != MK_RBUTTON) return;
    if (hasImage() && app.editor.trimMode == TrimMode::Anchored) {
        cancelTrim();
        return;
    }
    if (trimming()) repaintView();
    g.mouseMode = MouseMode::RightPressed;
    SetCapture(s.window);
    s.pressPoint = {x, y};
}

// True when default processing should run (an idle right click brings the context menu).
bool onRightUp(ViewState& s) {
    switch (s.geometry.mouseMode) {
    case MouseMode::RightPressed:
        endCapture(s);
        if (!trimming()) return true;
        repaintView();
        return false;
    case MouseMode::Panning:
        endCapture(s);
        if (trimming()) UpdateScreenGeometry(app.editor);
        repaintView();
        return false;
    case MouseMode::RightNoPan:
        endCapture(s);
        repaintView();
        return false;
    default:
        return false;
    }
}

bool onSetCursor(LPARAM lParam) {
    if (!trimming() || LOWORD(lParam) != HTCLIENT) return false;
    if (previewWorkerBusy()) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return true;
    }
    return app.editor.trimMode == TrimMode::Adjusting;
}

LRESULT handleViewMessage(ViewState& s, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_PAINT: paintView(s); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: viewLayout(); return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        if (!hasImage()) return 0;
        const bool vertical = message == WM_VSCROLL;
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(s.window, vertical ? SB_VERT : SB_HORZ, &info);
        if (ScrollRequest(s.geometry, vertical, LOWORD(wParam), info.nTrackPos)) scrolled(s);
        return 0;
    }
    case WM_MOUSEMOVE: onMouseMove(s, x, y); return 0;
    case WM_LBUTTONDOWN: onLeftDown(s, wParam, x, y); return 0;
    case WM_LBUTTONUP: onLeftUp(s); return 0;
    case WM_RBUTTONDOWN: onRightDown(s, wParam, x, y); return 0;
    case WM_RBUTTONUP:
        if (onRightUp(s)) break;
        return 0;
    case WM_MBUTTONDOWN:
        SetFocus(app.mainWindow);
        if (!app.editor.suspendAccelerators && wParam == MK_MBUTTON) mouseCommand(kMouseMiddle, x, y);
        return 0;
    case WM_XBUTTONDOWN:
        if (!app.editor.suspendAccelerators) {
            const WORD button = GET_XBUTTON_WPARAM(wParam), keys = GET_KEYSTATE_WPARAM(wParam);
            if (button == XBUTTON1 && keys == MK_XBUTTON1) mouseCommand(kMouseX1, x, y);
            if (button == XBUTTON2 && keys == MK_XBUTTON2) mouseCommand(kMouseX2, x, y);
        }
        return TRUE;
    case WM_SETCURSOR:
        if (onSetCursor(lParam)) return TRUE;
        break;
    case WM_MOUSELEAVE:
        s.trackingMouse = false;
        MouseLeftView(app.editor);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse in the middle of a drag: the drag is over, and a trim that
        // held the mouse goes as it would when the program loses the focus.
        if (reinterpret_cast<HWND>(lParam) != s.window && s.geometry.mouseMode != MouseMode::None) {
            s.geometry.mouseMode = MouseMode::None;
            if (holdsMouse(app.editor.trimMode)) cancelTrim();
        }
        return 0;
    }
    return DefWindowProcW(s.window, message, wParam, lParam);
}

void setBar(int bar, const ScrollBarSetting& setting) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (setting.shown) {
        info.nMax = setting.rangeMax;
        info.nPage = static_cast<UINT>(setting.page);
        info.nPos = setting.pos;
    } else {
        info.fMask = SIF_RANGE;
    }
    SetScrollInfo(viewState.window, bar, &info, TRUE);
}

}  // namespace

bool registerViewClass() {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.style = CS_HREDRAW | CS_VREDRAW;
    cls.lpfnWndProc = boundWindowProc<ViewState, handleViewMessage>;
    cls.hInstance = app.exeInstance;
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.lpszClassName = kViewClass;
    return RegisterClassExW(&cls) != 0;
}

HWND createView(HWND parent) {
    readMetrics(viewState);
    CreateWindowExW(WS_EX_STATICEDGE, kViewClass, L"", kViewStyle, 0, 0, 0, 0, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(control::kView)), app.exeInstance, &viewState);
    // The bars come and go by their ranges; an empty range hides them.
    applyScrollBars(ScrollBars{});
    return viewState.window;
}

HWND viewWindow() { return viewState.window; }
ViewGeometry& viewGeometry() { return viewState.geometry; }
const ViewMetrics& viewMetrics() { return viewState.metrics; }

// The view's inner size without bars, whatever bars it shows now.
void viewLayout() {
    HWND window = viewState.window;
    if (!window) return;
    ViewGeometry& g = viewState.geometry;
    RECT outer{};
    GetWindowRect(window, &outer);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL), FALSE,
                       WS_EX_STATICEDGE);
    const int w = (outer.right - outer.left) - (frame.right - frame.left);
    const int h = (outer.bottom - outer.top) - (frame.bottom - frame.top);
    g.clientW = w > 0 ? w : 0;
    g.clientH = h > 0 ? h : 0;
    if (!hasImage()) {
        g.viewportW = g.clientW;
        g.viewportH = g.clientH;
        repaintView();
        return;
    }
    applyScrollBars(Layout(g, g.clientW, g.clientH, viewState.metrics));
    if (trimming()) UpdateScreenGeometry(app.editor);
    repaintView();
}

void viewMetricsChanged() {
    readMetrics(viewState);
    viewLayout();
}

void fitView() {
    readMetrics(viewState);
    if (!hasImage()) {
        applyScrollBars(ScrollBars{});
        repaintView();
        return;
    }
    applyScrollBars(
        FitNew(viewState.geometry, app.document.header.biWidth, app.document.header.biHeight, viewState.metrics));
    repaintView();
}

void applyScrollBars(const ScrollBars& bars) {
    if (!viewState.window) return;
    setBar(SB_HORZ, bars.horizontal);
    setBar(SB_VERT, bars.vertical);
}

void repaintView() {
    if (viewState.window) InvalidateRect(viewState.window, nullptr, FALSE);
}

void paintViewNow() {
    if (!viewState.window) return;
    InvalidateRect(viewState.window, nullptr, FALSE);
    UpdateWindow(viewState.window);
}

void zoomView(int command) {
    ScrollBars bars;
    if (!ZoomCommand(viewState.geometry, command, viewState.metrics, bars)) return;
    applyScrollBars(bars);
    if (trimming()) UpdateScreenGeometry(app.editor);
    writeZoomBox();
    repaintView();
}

void viewWheel(WPARAM wParam, LPARAM lParam) {
    if (app.editor.suspendAccelerators || GET_KEYSTATE_WPARAM(wParam) != 0) return;
    const short delta = GET_WHEEL_DELTA_WPARAM(wParam);
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(viewState.window, &at);
    mouseCommand(delta < 0 ? kWheelTowards : kWheelAway, at.x, at.y);
}

void runMouseCommand(int command, int x, int y) {
    if (hasImage()) AnchorZoom(viewState.geometry, command, x, y);
    runCommand(static_cast<WPARAM>(command), 0);
}

bool viewDragging() { return viewState.geometry.mouseMode != MouseMode::None; }

void endViewDrag() { endCapture(viewState); }
