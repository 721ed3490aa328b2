// The image view window: geometry upkeep, scroll bars, panning, and the routing of mouse events
// to trim mode and to the configurable mouse commands.
#include <windows.h>
#include <windowsx.h>

#include "trim/ViewGeometry.h"
#include "ui/app/App.h"
#include "ui/view/ViewDrawing.h"

namespace {

constexpr wchar_t kViewClass[] = L"Vantle_base_class";
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL;

// Slots of the mouse commands in the settings.
constexpr int kMouseBoth = 1, kMouseMiddle = 2, kMouseX1 = 3, kMouseX2 = 4, kWheelAway = 5, kWheelTowards = 6;

POINT pressPoint{};
int panCursor = -1;

bool trimming() { return app.editor.trimMode != 0; }
bool hasImage() { return app.document.displayPixels != nullptr; }

TrimImage trimImage() {
    return TrimImage{app.document.header.biWidth, app.document.header.biHeight, app.document.sourcePixels};
}

void setPanCursor() {
    const int id = PanningCursor(app.geometry);
    if (id == panCursor) return;
    panCursor = id;
    setCursorById(id);
}

void readMetrics() {
    app.viewMetrics.hScrollHeight = GetSystemMetrics(SM_CXHSCROLL);
    app.viewMetrics.vScrollWidth = GetSystemMetrics(SM_CXVSCROLL);
    app.viewMetrics.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    app.viewMetrics.screenHeight = GetSystemMetrics(SM_CYSCREEN);
}

void scrolled() {
    if (trimming()) UpdateScreenGeometry(app.editor);
    applyScrollBars(ScrollBarValues(app.geometry));
    repaintView();
}

void mouseCommand(int slot, int x, int y) {
    const int command = app.settings.mouseActions[slot];
    if (command) runMouseCommand(command, x, y);
}

bool bothButtons(WPARAM keys) { return (keys & (MK_LBUTTON | MK_RBUTTON)) == (MK_LBUTTON | MK_RBUTTON); }

void endCapture() {
    app.geometry.mouseMode = 0;
    ReleaseCapture();
}

void onMouseMove(HWND window, WPARAM keys, int x, int y) {
    if (!app.trackingMouse) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        app.trackingMouse = TrackMouseEvent(&track) != FALSE;
    }
    ViewGeometry& g = app.geometry;
    switch (g.mouseMode) {
    case 0:
        if (trimming())
            HoverTrim(app.editor, x, y);
        else if (hasImage())
            moveCrosshair(x, y);
        return;
    case 1:
        if (trimming() && DragTrim(app.editor, x, y)) g.mouseMode = 5;
        return;
    case 2:
        g.mouseMode = RightDragMode(g, pressPoint.x, pressPoint.y, x, y);
        if (g.mouseMode == 3) {
            panCursor = -1;
            setCursorById(0);
            if (g.zoom < 1) repaintView();
        } else if (g.mouseMode == 4) {
            SetCursor(LoadCursorW(nullptr, IDC_NO));
        }
        return;
    case 3:
        if (PanTo(g, x, y)) scrolled();
        setPanCursor();
        return;
    case 5:
        DragTrim(app.editor, x, y);
        return;
    }
}

void onLeftDown(HWND window, WPARAM keys, int x, int y) {
    SetFocus(app.mainWindow);
    ViewGeometry& g = app.geometry;
    if (g.mouseMode == 2 && bothButtons(keys)) {
        endCapture();
        mouseCommand(kMouseBoth, x, y);
        return;
    }
    if (g.mouseMode != 0 || keys != MK_LBUTTON || !app.document.shadedPixels) return;
    if (!trimming()) {
        eraseCrosshair();
        StartTrimAt(app.editor, trimImage(), x, y);
    } else if (!PressTrim(app.editor, x, y)) {
        return;
    }
    g.mouseMode = 1;
    SetCapture(window);
}

void onLeftUp(int x, int y) {
    ViewGeometry& g = app.geometry;
    if (g.mouseMode != 1 && g.mouseMode != 5) return;
    endCapture();
    if (trimming()) ReleaseTrim(app.editor);
}

void onRightDown(HWND window, WPARAM keys, int x, int y) {
    SetFocus(app.mainWindow);
    ViewGeometry& g = app.geometry;
    if (g.mouseMode == 1 && bothButtons(keys)) {
        endCapture();
        mouseCommand(kMouseBoth, x, y);
        return;
    }
    if (g.mouseMode != 0 || keys != MK_RBUTTON) return;
    if (hasImage() && app.editor.trimMode == 1) {
        cancelTrim();
        return;
    }
    if (trimming()) repaintView();
    g.mouseMode = 2;
    SetCapture(window);
    pressPoint = {x, y};
}

// True when default processing should run (an idle right click brings the context menu).
bool onRightUp() {
    ViewGeometry& g = app.geometry;
    switch (g.mouseMode) {
    case 2:
        endCapture();
        if (!trimming()) return true;
        repaintView();
        return false;
    case 3:
        endCapture();
        if (trimming()) UpdateScreenGeometry(app.editor);
        repaintView();
        return false;
    case 4:
        endCapture();
        repaintView();
        return false;
    }
    return false;
}

bool onSetCursor(HWND window, LPARAM lParam) {
    if (!trimming() || LOWORD(lParam) != HTCLIENT) return false;
    if (previewWorkerBusy()) {
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        return true;
    }
    return app.editor.trimMode == 3;
}

LRESULT CALLBACK viewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_PAINT: paintView(window); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE: viewLayout(LOWORD(lParam), HIWORD(lParam)); return 0;
    case WM_HSCROLL:
    case WM_VSCROLL: {
        if (!hasImage()) return 0;
        const bool vertical = message == WM_VSCROLL;
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(window, vertical ? SB_VERT : SB_HORZ, &info);
        if (ScrollRequest(app.geometry, vertical, LOWORD(wParam), info.nTrackPos)) scrolled();
        return 0;
    }
    case WM_MOUSEMOVE: onMouseMove(window, wParam, x, y); return 0;
    case WM_LBUTTONDOWN: onLeftDown(window, wParam, x, y); return 0;
    case WM_LBUTTONUP: onLeftUp(x, y); return 0;
    case WM_RBUTTONDOWN: onRightDown(window, wParam, x, y); return 0;
    case WM_RBUTTONUP:
        if (onRightUp()) break;
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
        if (onSetCursor(window, lParam)) return TRUE;
        break;
    case WM_MOUSELEAVE:
        app.trackingMouse = false;
        MouseLeftView(app.editor);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse in the middle of a drag: the drag is over, and an unsettled
        // trim goes as it would when the program loses the focus.
        if (reinterpret_cast<HWND>(lParam) != window && app.geometry.mouseMode != 0) {
            app.geometry.mouseMode = 0;
            const int mode = app.editor.trimMode;
            if (mode == 1 || mode == 2 || mode == 4 || mode == 5) cancelTrim();
        }
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void setBar(int bar, const ScrollBarSetting& s) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (s.shown) {
        info.nMax = s.rangeMax;
        info.nPage = static_cast<UINT>(s.page);
        info.nPos = s.pos;
    } else {
        info.fMask = SIF_RANGE;
    }
    SetScrollInfo(app.view, bar, &info, TRUE);
}

}  // namespace

bool registerViewClass() {
    WNDCLASSEXW view{};
    view.cbSize = sizeof view;
    view.style = CS_HREDRAW | CS_VREDRAW;
    view.lpfnWndProc = viewProc;
    view.hInstance = app.exeInstance;
    view.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    view.lpszClassName = kViewClass;
    return RegisterClassExW(&view) != 0;
}

HWND createView(HWND parent) {
    readMetrics();
    app.view = CreateWindowExW(WS_EX_STATICEDGE, kViewClass, L"", kViewStyle, 0, 0, 0, 0, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kView)), app.exeInstance, nullptr);
    // The bars come and go by their ranges; an empty range hides them.
    applyScrollBars(ScrollBars{});
    return app.view;
}

// The view's inner size without bars, whatever bars it shows now.
void viewLayout(int, int) {
    if (!app.view) return;
    RECT window{};
    GetWindowRect(app.view, &window);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, GetWindowLongW(app.view, GWL_STYLE) & ~(WS_HSCROLL | WS_VSCROLL), FALSE,
                       WS_EX_STATICEDGE);
    const int w = (window.right - window.left) - (frame.right - frame.left);
    const int h = (window.bottom - window.top) - (frame.bottom - frame.top);
    app.geometry.clientW = w > 0 ? w : 0;
    app.geometry.clientH = h > 0 ? h : 0;
    if (!hasImage()) {
        app.geometry.viewportW = app.geometry.clientW;
        app.geometry.viewportH = app.geometry.clientH;
        repaintView();
        return;
    }
    applyScrollBars(Layout(app.geometry, app.geometry.clientW, app.geometry.clientH, app.viewMetrics));
    if (trimming()) UpdateScreenGeometry(app.editor);
    repaintView();
}

void fitView() {
    readMetrics();
    if (!hasImage()) {
        applyScrollBars(ScrollBars{});
        repaintView();
        return;
    }
    applyScrollBars(
        FitNew(app.geometry, app.document.header.biWidth, app.document.header.biHeight, app.viewMetrics));
    repaintView();
}

void applyScrollBars(const ScrollBars& bars) {
    if (!app.view) return;
    setBar(SB_HORZ, bars.horizontal);
    setBar(SB_VERT, bars.vertical);
}

void repaintView() {
    if (app.view) InvalidateRect(app.view, nullptr, FALSE);
}

void viewWheel(WPARAM wParam, LPARAM lParam) {
    if (app.editor.suspendAccelerators || GET_KEYSTATE_WPARAM(wParam) != 0) return;
    const short delta = GET_WHEEL_DELTA_WPARAM(wParam);
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ScreenToClient(app.view, &at);
    mouseCommand(delta < 0 ? kWheelTowards : kWheelAway, at.x, at.y);
}

void runMouseCommand(int command, int x, int y) {
    if (hasImage()) AnchorZoom(app.geometry, command, x, y);
    runCommand(static_cast<WPARAM>(command), 0);
}
