// The About window: the version, the makers and the address of the help pages, over the disabled
// main window. It runs a message loop of its own until it closes; that loop dispatches every
// message of the thread, so the main window keeps painting, but it translates no accelerators.
#include <windows.h>

#include <string>

#include "shell/Help.h"
#include "shell/Language_win32.h"
#include "trim/Identifiers.h"
#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/help/Help.h"
#include "util/files.h"

namespace {

constexpr wchar_t kAboutClass[] = L"version_info_class";
constexpr wchar_t kAddressClass[] = L"version_url_class";
constexpr DWORD kLineStyle = WS_CHILD | WS_VISIBLE | SS_ENDELLIPSIS | SS_CENTERIMAGE;  // 0x50004200
constexpr COLORREF kAddressColour = 0xFF0000;  // blue
// The three lines, in client pixels.
constexpr int kLineLeft = 12, kLineWidth = 250, kLineHeight = 20;
constexpr int kVersionTop = 7, kNoticeTop = 27, kAddressTop = 47;

struct AboutInfo;

// The address line's record: the binding keeps each window's handle in a record of its own.
struct AddressLine {
    HWND window = nullptr;
    const AboutInfo* about = nullptr;
};

struct AboutInfo {
    HWND window = nullptr;
    bool running = false;  // while the window exists
    WideString versionLine;
    WideString noticeLine;
    WideString webAddress;  // the help pages beside the executable: the program has no web site
    AddressLine addressLine;
};

const wchar_t* wide(const WideString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

void fillWithFace(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
}

// The address as it fits the line: whole when it can be, else without its first folders, so that
// the end (the Help folder and the page) stays readable.
std::wstring fittedAddress(HDC dc, const WideString& address, int width) {
    const std::wstring whole(wide(address), address.length());
    auto fits = [&](const std::wstring& text) {
        SIZE size{};
        return GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size) && size.cx <= width;
    };
    if (fits(whole)) return whole;
    std::wstring shortened = whole;
    for (std::size_t at = whole.find(L'\\'); at != std::wstring::npos; at = whole.find(L'\\', at + 1)) {
        shortened = L"\u2026" + whole.substr(at);
        if (fits(shortened)) break;
    }
    return shortened;
}

LRESULT handleAddressLine(AddressLine& line, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(line.window, &paint);
        fillWithFace(line.window, dc);
        RECT client;
        GetClientRect(line.window, &client);
        HGDIOBJ oldFont = SelectObject(dc, app.uiFont);
        SetTextColor(dc, kAddressColour);
        SetBkMode(dc, TRANSPARENT);
        const std::wstring text = fittedAddress(dc, line.about->webAddress, client.right - client.left);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &client,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, oldFont);
        EndPaint(line.window, &paint);
        return 0;
    }
    case WM_LBUTTONDOWN: openWithShell(line.about->webAddress); return 0;
    }
    return DefWindowProcW(line.window, message, wParam, lParam);
}

HWND createLine(HWND parent, const wchar_t* className, const WideString* text, int id, int top, void* state) {
    HWND line = CreateWindowExW(0, className, text ? wide(*text) : L"", kLineStyle, kLineLeft, top, kLineWidth,
                                kLineHeight, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                app.exeInstance, state);
    if (line) SendMessageW(line, WM_SETFONT, reinterpret_cast<WPARAM>(app.uiFont), FALSE);
    return line;
}

void createLines(AboutInfo& info) {
    HMENU system = GetSystemMenu(info.window, FALSE);
    for (UINT item : {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) DeleteMenu(system, item, MF_BYCOMMAND);
    createLine(info.window, L"Static", &info.versionLine, control::kAboutVersion, kVersionTop, nullptr);
    createLine(info.window, L"Static", &info.noticeLine, control::kAboutNotice, kNoticeTop, nullptr);
    createLine(info.window, kAddressClass, nullptr, control::kAboutAddress, kAddressTop, &info.addressLine);
}

LRESULT handleAbout(AboutInfo& info, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        info.addressLine.about = &info;
        createLines(info);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(info.window, &paint);
        fillWithFace(info.window, dc);
        EndPaint(info.window, &paint);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) SendMessageW(info.window, WM_CLOSE, 0, 0);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == control::kAboutAddress && HIWORD(wParam) == 0) openWithShell(info.webAddress);
        return 0;
    case WM_CLOSE: {
        // The owner is enabled before this window goes, so that the activation passes back to it
        // instead of to another program's window.
        HWND owner = GetWindow(info.window, GW_OWNER);
        EnableWindow(owner, TRUE);
        SetWindowPos(owner, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        DestroyWindow(info.window);
        return 0;
    }
    case WM_DESTROY: info.running = false; return 0;
    }
    return DefWindowProcW(info.window, message, wParam, lParam);
}

bool registerClasses() {
    WNDCLASSEXW about{};
    about.cbSize = sizeof about;
    about.style = CS_HREDRAW | CS_VREDRAW;
    about.lpfnWndProc = boundWindowProc<AboutInfo, handleAbout>;
    about.hInstance = app.exeInstance;
    about.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    about.lpszClassName = kAboutClass;
    WNDCLASSEXW address = about;
    address.lpfnWndProc = boundWindowProc<AddressLine, handleAddressLine>;
    address.hCursor = LoadCursorW(nullptr, IDC_HAND);
    address.lpszClassName = kAddressClass;
    return RegisterClassExW(&about) && RegisterClassExW(&address);
}

// Runs until the window is gone. A WM_QUIT that arrives meanwhile belongs to the main loop.
void runLoop(const AboutInfo& info) {
    MSG message;
    while (info.running) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (got == -1) return;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

void showAbout() {
    closeListWindow(false);
    AboutInfo info;
    aboutVersionLine(info.versionLine);
    info.noticeLine.assign(kAboutNoticeLine);
    WideString executable;
    modulePath(executable);
    helpPagePath(executable, info.webAddress);

    // Keys and mouse actions are off while the window is up.
    EnableWindow(app.mainWindow, FALSE);
    app.editor.suspendAccelerators = true;
    if (registerClasses()) {
        RECT main{};
        GetWindowRect(app.mainWindow, &main);
        const ScreenRect place = aboutWindowRect({main.left, main.top, main.right, main.bottom},
                                                 GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYCAPTION));
        const WideString title = loadText(command::kAbout);
        if (CreateWindowExW(WS_EX_DLGMODALFRAME, kAboutClass, wide(title), WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU,
                            place.left, place.top, place.right - place.left, place.bottom - place.top,
                            app.mainWindow, nullptr, app.exeInstance, &info)) {
            info.running = true;
            runLoop(info);
        }
        if (info.window) DestroyWindow(info.window);
    }
    UnregisterClassW(kAboutClass, app.exeInstance);
    UnregisterClassW(kAddressClass, app.exeInstance);
    EnableWindow(app.mainWindow, TRUE);
    app.editor.suspendAccelerators = false;
}
