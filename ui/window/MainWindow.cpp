// The main window: its class, creation and placement, the message procedure and the shutdown
// routine. Commands go to runCommand (Commands.cpp).
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include "shell/Language_win32.h"
#include "shell/SettingsFile.h"
#include "shell/WindowPlacement.h"
#include "shell/WindowTexts.h"
#include "ui/app/App.h"
#include "ui/resources/ResourceIds.h"

namespace {

constexpr wchar_t kMainClass[] = L"Vantle_mwin_class";
constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
bool shutDown = false;

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
    const int count = static_cast<int>(SendMessageW(app.rebar, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        RECT here{}, next{};
        SendMessageW(app.rebar, RB_GETRECT, i, reinterpret_cast<LPARAM>(&here));
        const bool last = i + 1 == count ||
                          (SendMessageW(app.rebar, RB_GETRECT, i + 1, reinterpret_cast<LPARAM>(&next)), next.top != here.top);
        if (last) SendMessageW(app.rebar, RB_MAXIMIZEBAND, i, 0);
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
    app.appActive = active;
    if (active) {
        checkFolderChange();
        return;
    }
    const int mode = app.editor.trimMode;
    if (mode == 1 || mode == 2 || mode == 4 || mode == 5) cancelTrim();
}

LRESULT onNotify(HWND window, NMHDR* header) {
    if (header->idFrom == ids::kRebar) {
        if (header->code == RBN_BEGINDRAG) {
            const int mode = app.editor.trimMode;
            return mode == 1 || mode == 2 || mode == 4 || mode == 5;
        }
        if (header->code == RBN_HEIGHTCHANGE) layoutMainWindow();
        return 0;
    }
    switch (header->code) {
    case TBN_DROPDOWN: {
        auto* drop = reinterpret_cast<NMTOOLBARW*>(header);
        switch (drop->iItem) {
        case command::kMainMenu: runCommand(command::kMainMenu, 0); break;
        case command::kShadeMenu: runCommand(command::kShadeMenu, 0); break;
        case command::kOutputOptions: runCommand(command::kOutputOptions, 0); break;
        case command::kPresetMenu: runCommand(command::kPresetMenu, 0); break;
        }
        return TBDDRET_DEFAULT;
    }
    case NM_LDOWN:
    case NM_RDOWN: SetFocus(window); return 0;
    case NM_CUSTOMDRAW:
        if (header->idFrom >= ids::kMainToolbar && header->idFrom <= ids::kPerspectiveToolbar)
            return customDrawToolbar(reinterpret_cast<NMCUSTOMDRAW*>(header));
        return CDRF_DODEFAULT;
    }
    return 0;
}

LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: onCreate(window); return 0;
    case WM_DESTROY:
        stopPreviewWorker();
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && app.rebar) {
            SendMessageW(app.rebar, WM_SIZE, wParam, lParam);
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
        if (app.document.displayPixels) viewLayout(app.geometry.clientW, app.geometry.clientH);
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
        if (app.editor.trimMode == 0 &&
            (reinterpret_cast<HWND>(wParam) == app.view || reinterpret_cast<HWND>(wParam) == window)) {
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            showMainMenu(window, at);
        }
        return 0;
    case WM_COMMAND: runCommand(wParam, lParam); return 0;
    case WM_SYSCOMMAND:
        // Only an active trim is cancelled: moving or sizing the window in idle must not re-fit
        // the view or re-read the folder.
        if (app.editor.trimMode != 0 && app.editor.trimMode < 3) cancelTrim();
        break;
    case WM_INITMENUPOPUP:
        eraseCrosshair();
        updateMenuState(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_MOUSEWHEEL: viewWheel(wParam, lParam); return 0;
    case WM_ENTERIDLE:
        // A tooltip whose delay ran out while a menu opened would sit over the menu.
        if (wParam == MSGF_MENU && app.tooltip && IsWindowVisible(app.tooltip))
            SendMessageW(app.tooltip, TTM_POP, 0, 0);
        break;
    case WM_EXITMENULOOP:
        SendMessageW(toolbarById(ids::kMainToolbar), TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
        return 0;
    case WM_DROPFILES:
        if (IsWindowEnabled(window) && app.editor.trimMode == 0)
            openDroppedFiles(reinterpret_cast<HDROP>(wParam));
        else
            DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_APP: previewFinishedOnUiThread(); return 0;
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

// The live trim options go back into the settings record before it is written.
void syncTrimOptions() {
    app.settings.trimWidth = app.trimOptions.trimWidth;
    app.settings.trimHeight = app.trimOptions.trimHeight;
    app.settings.outsideShade = app.trimOptions.outsideShade;
    for (int k = 0; k < 8; ++k) {
        app.settings.presetWidth[k] = app.trimOptions.presetWidth[k];
        app.settings.presetHeight[k] = app.trimOptions.presetHeight[k];
    }
}

}  // namespace

bool registerWindowClasses() {
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.style = CS_HREDRAW | CS_VREDRAW;
    main.lpfnWndProc = mainProc;
    main.hInstance = app.exeInstance;
    main.hIcon = LoadIconW(app.exeInstance, MAKEINTRESOURCEW(VANTLE_ICON));
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    main.lpszClassName = kMainClass;
    return RegisterClassExW(&main) && registerViewClass() && registerListClass() && registerLabelClasses();
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
                                  nullptr, app.exeInstance, nullptr);
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
    if (!app.mainWindow || !app.view) return;
    RECT client{}, bar{};
    GetClientRect(app.mainWindow, &client);
    int top = 0;
    if (app.rebar && GetWindowRect(app.rebar, &bar)) {
        MapWindowPoints(nullptr, app.mainWindow, reinterpret_cast<POINT*>(&bar), 2);
        top = bar.bottom;
    }
    const int height = client.bottom - top > 0 ? client.bottom - top : 0;
    MoveWindow(app.view, 0, top, client.right, height, TRUE);
}

void Shutdown() {
    if (shutDown) return;
    shutDown = true;
    if (app.editor.trimMode != 0) cancelTrim();
    closeChangeNotification();
    waitForPreviewWorker();
    releasePixels(app.document);
    app.fileList.entries.clear();
    destroyBands();
    destroyMenus();
    savePlacement();
    syncTrimOptions();
    SettingsWriter writer;
    if (writer.open(app.settingsPath.c_str())) {
        saveSettings(writer, app.settings, app.accelerators.entries, app.accelerators.count);
        writer.close();
    }
    destroyAcceleratorTable();
}

HWND toolbarById(int id) {
    const int index = id - ids::kMainToolbar;
    return index >= 0 && index < kToolbarCount ? app.toolbars[index] : nullptr;
}

HWND controlById(int id) {
    for (HWND toolbar : app.toolbars)
        if (toolbar)
            if (HWND control = GetDlgItem(toolbar, id)) return control;
    return nullptr;
}

void writeNumber(int id, int value) {
    HWND control = controlById(id);
    if (!control) return;
    const bool live = app.editor.editsLive;
    app.editor.editsLive = false;
    SetDlgItemInt(GetParent(control), id, static_cast<UINT>(value), TRUE);
    app.editor.editsLive = live;
}

void writeZoomBox() { writeNumber(ids::kZoomBox, ZoomPercent(app.geometry.zoom)); }

void refreshTitle() {
    TitleInfo info;
    info.imageShown = app.document.displayPixels != nullptr;
    info.sourcePath = &app.document.path;
    info.width = app.document.header.biWidth;
    info.height = app.document.header.biHeight;
    info.trim = app.editor.trimMode != 0 ? &app.editor : nullptr;
    const WideString title = MainWindowTitle(info, loadText);
    SetWindowTextW(app.mainWindow, reinterpret_cast<const wchar_t*>(title.c_str()));
}
