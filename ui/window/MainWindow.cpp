// The main window: its class, creation and placement, the message procedure and the shutdown
// routine. Commands go to runCommand (Commands.cpp).
#include "ui/window/MainWindow.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "shell/Language_win32.h"
#include "shell/WindowPlacement.h"
#include "shell/WindowTexts.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/controls/Controls.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/menus/Menus.h"
#include "ui/trim/TrimWindow.h"
#include "ui/view/View.h"

namespace {

constexpr wchar_t kMainClass[] = L"Vantle_mwin_class";
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

struct MainWindowState {
    HWND window = nullptr;
    bool shutDown = false;  // the settings are written once
};
MainWindowState mainState;

HFONT createUiFont() {
    LOGFONTW font{};
    font.lfHeight = app.settings.fontHeight;
    font.lfWeight = app.settings.fontWeight;
    font.lfCharSet = DEFAULT_CHARSET;
    const WideString& face = app.settings.fontFace;
    const std::size_t n = face.length() < 31 ? face.length() : 31;
    for (std::size_t i = 0; i < n; ++i) font.lfFaceName[i] = static_cast<wchar_t>(face.c_str()[i]);
    return CreateFontIndirectW(&font);
}

// Every row of rebar bands has its last band stretched to the row's end.
void maximiseLastBands() {
    HWND rebar = rebarWindow();
    const int count = static_cast<int>(SendMessageW(rebar, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT here{}, next{};
        SendMessageW(rebar, RB_GETRECT, i, reinterpret_cast<LPARAM>(&here));
        const bool last = i + 1 == count ||
                          (SendMessageW(rebar, RB_GETRECT, i + 1, reinterpret_cast<LPARAM>(&next)), next.top != here.top);
        if (last) SendMessageW(rebar, RB_MAXIMIZEBAND, i, 0);
    }
}

void onCreate(HWND window) {
    app.mainWindow = window;
    errorBoxWindows.owner = window;
    app.uiFont = createUiFont();
    computeMetrics(window);
    createBands(window);
    createView(window);
    layoutMainWindow();
}

void onActivateApp(bool active) {
    if (active) {
        checkFolderChange();
        return;
    }
    if (holdsMouse(app.editor.trimMode)) cancelTrim();
}

LRESULT onNotify(HWND window, NMHDR* header) {
    if (header->idFrom == static_cast<UINT_PTR>(control::kRebar)) {
        // The bands stay put while the trim holds the mouse.
        if (header->code == RBN_BEGINDRAG) return holdsMouse(app.editor.trimMode);
        if (header->code == RBN_HEIGHTCHANGE) layoutMainWindow();
        return 0;
    }
    switch (header->code) {
    case TBN_DROPDOWN: {
        auto* drop = reinterpret_cast<NMTOOLBARW*>(header);
        switch (drop->iItem) {
        case command::kMainMenu:
        case command::kShadeMenu:
        case command::kOutputOptions:
        case command::kPresetMenu: runCommand(static_cast<WPARAM>(drop->iItem), 0); break;
        }
        return TBDDRET_DEFAULT;
    }
    case NM_LDOWN:
    case NM_RDOWN: SetFocus(window); return 0;
    case NM_CUSTOMDRAW:
        if (header->idFrom >= static_cast<UINT_PTR>(control::kMainToolbar) &&
            header->idFrom <= static_cast<UINT_PTR>(control::kPerspectiveToolbar))
            return customDrawToolbar(reinterpret_cast<NMCUSTOMDRAW*>(header));
        return CDRF_DODEFAULT;
    }
    return 0;
}

LRESULT handleMainMessage(MainWindowState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = state.window;
    switch (message) {
    case WM_CREATE: onCreate(window); return 0;
    case WM_DESTROY:
        stopPreviewWorker();
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && rebarWindow()) {
            SendMessageW(rebarWindow(), WM_SIZE, wParam, lParam);
            maximiseLastBands();
            layoutMainWindow();
        }
        return 0;
    case WM_CLOSE:
        Shutdown();
        break;
    case WM_ENDSESSION:
        if (wParam) Shutdown();
        return 0;
    case WM_WININICHANGE:
        // The scroll bars' sizes may have changed with the system's settings.
        if (app.document.displayPixels) viewMetricsChanged();
        break;
    case WM_ACTIVATEAPP: onActivateApp(wParam != 0); break;
    case WM_MEASUREITEM:
        if (measureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) return TRUE;
        if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType == ODT_COMBOBOX) {
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = app.metrics.textHeight + 2;
            return TRUE;
        }
        break;
    case WM_DRAWITEM:
        if (drawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
        if (drawComboItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
        break;
    case WM_NOTIFY: return onNotify(window, reinterpret_cast<NMHDR*>(lParam));
    case WM_CONTEXTMENU:
        if (!active(app.editor.trimMode) &&
            (reinterpret_cast<HWND>(wParam) == viewWindow() || reinterpret_cast<HWND>(wParam) == window)) {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            showMainMenu(window, at);
        }
        return 0;
    case WM_COMMAND: runCommand(wParam, lParam); return 0;
    case WM_SYSCOMMAND:
        // Only an unsettled trim is cancelled: moving or sizing the window in idle must not re-fit
        // the view or re-read the folder.
        if (banding(app.editor.trimMode)) cancelTrim();
        break;
    case WM_INITMENUPOPUP:
        eraseCrosshair();
        updateMenuState(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MOUSEWHEEL: viewWheel(wParam, lParam); return 0;
    case WM_ENTERIDLE:
        // A tooltip whose delay ran out while a menu opened would sit over the menu.
        if (wParam == MSGF_MENU && tooltipWindow() && IsWindowVisible(tooltipWindow()))
            SendMessageW(tooltipWindow(), TTM_POP, 0, 0);
        break;
    case WM_EXITMENULOOP:
        SendMessageW(toolbarById(control::kMainToolbar), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
        return 0;
    case WM_DROPFILES:
        if (IsWindowEnabled(window) && !active(app.editor.trimMode))
            openDroppedFiles(reinterpret_cast<HDROP>(wParam));
        else
            DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_APP: previewRenderedOnUiThread(); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void savePlacement() {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(app.mainWindow, &placement)) return;
    const RECT& r = placement.rcNormalPosition;
    app.settings.windowLeft = r.left;
    app.settings.windowTop = r.top;
    app.settings.windowWidth = r.right - r.left;
    app.settings.windowHeight = r.bottom - r.top;
    app.settings.windowMaximized = placementIsMaximized(placement.showCmd, placement.flags);
}

}  // namespace

bool registerMainClass() {
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.style = CS_HREDRAW | CS_VREDRAW;
    main.lpfnWndProc = boundWindowProc<MainWindowState, handleMainMessage>;
    main.hInstance = app.exeInstance;
    main.hIcon = LoadIconW(app.exeInstance, MAKEINTRESOURCEW(VANTLE_ICON));
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.lpszClassName = kMainClass;
    return RegisterClassExW(&main) != 0;
}

HWND createMainWindow(int nCmdShow, SettingsReader& reader) {
    loadWindowPlacement(reader, app.settings);
    ScreenRect r{app.settings.windowLeft, app.settings.windowTop, app.settings.windowLeft + app.settings.windowWidth,
                 app.settings.windowTop + app.settings.windowHeight};
    const RECT asked{r.left, r.top, r.right, r.bottom};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromRect(&asked, MONITOR_DEFAULTTONEAREST), &info))
        r = ClampToWorkArea(r, ScreenRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
    const int x = r.left, y = r.top, w = r.right - r.left, h = r.bottom - r.top;
    HWND window = CreateWindowExW(WS_EX_ACCEPTFILES, kMainClass, L"Vantle", kMainStyle, x, y, w, h, nullptr,
                                  nullptr, app.exeInstance, &mainState);
    if (!window) return nullptr;
    fitView();
    writeZoomBox();
    refreshToolbarStates();
    SetFocus(window);
    ShowWindow(window, MainWindowShowCommand(app.settings.windowMaximized != 0, nCmdShow));
    UpdateWindow(window);
    return window;
}

void layoutMainWindow() {
    HWND view = viewWindow();
    if (!app.mainWindow || !view) return;
    RECT client{}, bar{};
    GetClientRect(app.mainWindow, &client);
    int top = 0;
    if (rebarWindow() && GetWindowRect(rebarWindow(), &bar)) {
        MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&bar), 2);
        top = bar.bottom;
    }
    const int height = client.bottom - top > 0 ? client.bottom - top : 0;
    MoveWindow(view, 0, top, client.right, height, TRUE);
}

void Shutdown() {
    if (mainState.shutDown) return;
    mainState.shutDown = true;
    if (active(app.editor.trimMode)) cancelTrim();
    closeChangeNotification();
    waitForPreviewWorker();
    releasePixels(app.document);
    app.fileList.entries.clear();
    destroyBands();
    destroyMenus();
    savePlacement();
    SettingsWriter writer;
    if (writer.open(app.settingsPath.c_str())) {
        saveSettings(writer, app.settings, app.accelerators.entries, app.accelerators.count);
        writer.close();
    }
    destroyAcceleratorTable();
}

void refreshAfterDisplayChange() {
    HFONT old = app.uiFont;
    app.uiFont = createUiFont();
    computeMetrics(app.mainWindow);
    relayoutBands();
    // The controls hold the new font now.
    if (old) DeleteObject(old);
    // The bands' rows and heights follow, then the view below them.
    RECT client{};
    GetClientRect(app.mainWindow, &client);
    SendMessageW(app.mainWindow, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    refreshToolbarTooltips();
    refreshTitle();
    writeZoomBox();
    if (listWindowOpen()) {
        closeListWindow(true);
        reopenListWindow();
    }
    repaintView();
}

void writeZoomBox() { writeField(control::kZoomBox, ZoomPercent(viewGeometry().zoom)); }

void refreshTitle() {
    TitleInfo info;
    info.imageShown = app.document.displayPixels != nullptr;
    info.sourcePath = &app.document.path;
    info.width = app.document.header.biWidth;
    info.height = app.document.header.biHeight;
    info.trim = active(app.editor.trimMode) ? &app.editor : nullptr;
    const WideString title = MainWindowTitle(info, loadText);
    SetWindowTextW(app.mainWindow, reinterpret_cast<const wchar_t*>(title.c_str()));
}
