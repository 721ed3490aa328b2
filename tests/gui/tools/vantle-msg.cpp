// vantle-msg: a test-only helper that the GUI tests run under Wine beside a running Vantle.exe, for
// what X11 input cannot do: find the main window, send it commands, read and write the number boxes,
// read the view's scroll bars, measure toolbar buttons and exchange CF_DIB with the clipboard.
// Every command prints one line (or nothing) and exits 0, or explains itself on stderr and exits 1.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "probe.h"
#include "trim/Identifiers.h"

namespace {

constexpr wchar_t kMainClass[] = L"Vantle_mwin_class";
constexpr int kViewId = control::kView;

int fail(const char* what) {
    std::fprintf(stderr, "vantle-msg: %s\n", what);
    return 1;
}

std::string utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

HWND mainWindow() { return FindWindowW(kMainClass, nullptr); }

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK matchChild(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (GetDlgCtrlID(window) == search->id) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The controls sit on toolbars inside a rebar, so any descendant of the main window counts; the
// file list window and the About window are top-level windows of their own.
HWND controlWindow(int id) {
    const HWND tops[] = {mainWindow(), FindWindowW(L"Vantle_list_class", nullptr),
                         FindWindowW(L"version_info_class", nullptr)};
    for (HWND top : tops) {
        if (!top) continue;
        ChildSearch search{id, nullptr};
        EnumChildWindows(top, matchChild, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

void printRect(const RECT& r) { std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom); }

// A screen rectangle: the client area for the view, the window for other controls.
int rectOf(int id) {
    HWND window = controlWindow(id);
    if (!window) return fail("no such control");
    RECT r{};
    if (id == kViewId) {
        GetClientRect(window, &r);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    } else {
        GetWindowRect(window, &r);
    }
    printRect(r);
    return 0;
}

// TB_GETRECT fills a RECT in the toolbar's own process, so the RECT lives there.
int buttonRect(int toolbarId, int command) {
    HWND toolbar = controlWindow(toolbarId);
    if (!toolbar) return fail("no such toolbar");
    DWORD pid = 0;
    GetWindowThreadProcessId(toolbar, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return fail("cannot open the program's process");
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    RECT r{};
    SIZE_T got = 0;
    const bool ok = remote && SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(remote)) &&
                    ReadProcessMemory(process, remote, &r, sizeof r, &got) && got == sizeof r;
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!ok) return fail("no such button");
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&r), 2);
    printRect(r);
    return 0;
}

// Scroll bar settings are private to the window's process (GetScrollInfo fails from outside), so
// vantle-probe.dll, beside this exe, is loaded into the program to copy them into a file mapping.
bool probeScrollBars(HWND view, ProbeResult& result) {
    DWORD pid = 0;
    GetWindowThreadProcessId(view, &pid);
    wchar_t name[64];
    probeMappingName(pid, name);
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof result, name);
    if (!mapping) return false;
    auto* shared = static_cast<ProbeResult*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof result));
    wchar_t dll[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, dll, MAX_PATH);
    wchar_t* slash = std::wcsrchr(dll, L'\\');
    bool ok = shared && n > 0 && n < MAX_PATH && slash && slash - dll + 20 < MAX_PATH;
    if (ok) std::wcscpy(slash + 1, L"vantle-probe.dll");
    HANDLE process = ok ? OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid) : nullptr;
    const SIZE_T bytes = (std::wcslen(dll) + 1) * sizeof(wchar_t);
    void* remote = process ? VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT, PAGE_READWRITE) : nullptr;
    ok = remote && WriteProcessMemory(process, remote, dll, bytes, nullptr);
    if (ok) {
        // kernel32 sits at the same address in every process, so our LoadLibraryW is theirs.
        auto* load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr);
        ok = thread && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
        if (thread) CloseHandle(thread);
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    if (process) CloseHandle(process);
    if (ok) result = *shared;
    if (shared) UnmapViewOfFile(shared);
    CloseHandle(mapping);
    return ok && result.valid;
}

// "horizontal|vertical shown min max page pos" per bar; a bar is shown while the style has it.
int scrollBars() {
    HWND view = controlWindow(kViewId);
    if (!view) return fail("no view");
    ProbeResult result{};
    if (!probeScrollBars(view, result)) return fail("cannot read the scroll bars");
    const LONG style = GetWindowLongW(view, GWL_STYLE);
    for (int bar : {SB_HORZ, SB_VERT}) {
        const SCROLLINFO& info = result.bars[bar];
        const bool shown = (style & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)) != 0;
        std::printf("%s %d %d %d %u %d\n", bar == SB_HORZ ? "horizontal" : "vertical", shown ? 1 : 0, info.nMin,
                    info.nMax, info.nPage, info.nPos);
    }
    return 0;
}

BOOL CALLBACK listTopWindow(HWND window, LPARAM) {
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t name[256] = {}, title[512] = {};
    GetClassNameW(window, name, 256);
    GetWindowTextW(window, title, 512);
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("%llu\t%s\t%s\t%ld %ld %ld %ld\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                utf8(name).c_str(), utf8(title).c_str(), r.left, r.top, r.right, r.bottom);
    return TRUE;
}

BOOL CALLBACK printChildText(HWND window, LPARAM) {
    wchar_t text[512] = {};
    if (GetWindowTextW(window, text, 512) > 0) std::printf("%s\n", utf8(text).c_str());
    return TRUE;
}

// The texts of a dialog's controls (a message box's text and buttons), by the dialog's title.
int dialogTexts(const wchar_t* title) {
    HWND dialog = FindWindowW(L"#32770", title);
    if (!dialog) return fail("no such dialog");
    EnumChildWindows(dialog, printChildText, 0);
    return 0;
}

// "count top itemHeight selection left top right bottom": what is needed to click an item.
int listBox(int id) {
    HWND box = controlWindow(id);
    if (!box) return fail("no such list box");
    RECT r{};
    GetClientRect(box, &r);
    MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&r), 2);
    std::printf("%ld %ld %ld %ld %ld %ld %ld %ld\n", static_cast<long>(SendMessageW(box, LB_GETCOUNT, 0, 0)),
                static_cast<long>(SendMessageW(box, LB_GETTOPINDEX, 0, 0)),
                static_cast<long>(SendMessageW(box, LB_GETITEMHEIGHT, 0, 0)),
                static_cast<long>(SendMessageW(box, LB_GETCURSEL, 0, 0)), r.left, r.top, r.right, r.bottom);
    return 0;
}

std::vector<unsigned char> readFile(const wchar_t* path) {
    std::vector<unsigned char> bytes;
    FILE* f = _wfopen(path, L"rb");
    if (!f) return bytes;
    unsigned char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    std::fclose(f);
    return bytes;
}

bool openClipboard() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(100);
    }
    return false;
}

// The BMP's bytes after its 14-byte file header become CF_DIB.
int clipboardPut(const wchar_t* path) {
    const std::vector<unsigned char> file = readFile(path);
    if (file.size() <= 14 + sizeof(BITMAPINFOHEADER) || file[0] != 'B' || file[1] != 'M') return fail("not a BMP file");
    const size_t size = file.size() - 14;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return fail("out of memory");
    std::memcpy(GlobalLock(memory), file.data() + 14, size);
    GlobalUnlock(memory);
    if (!openClipboard()) return fail("clipboard busy");
    EmptyClipboard();
    const bool put = SetClipboardData(CF_DIB, memory) != nullptr;
    CloseClipboard();
    if (!put) {
        GlobalFree(memory);
        return fail("SetClipboardData failed");
    }
    return 0;
}

// CF_DIB written as a BMP file: a file header in front, pixels found after header, masks and palette.
int clipboardGet(const wchar_t* path) {
    if (!openClipboard()) return fail("clipboard busy");
    HANDLE data = GetClipboardData(CF_DIB);
    if (!data) {
        CloseClipboard();
        return fail("no CF_DIB on the clipboard");
    }
    const size_t size = GlobalSize(data);
    const auto* dib = static_cast<const unsigned char*>(GlobalLock(data));
    std::vector<unsigned char> copy(dib, dib + size);
    GlobalUnlock(data);
    CloseClipboard();
    if (size < sizeof(BITMAPINFOHEADER)) return fail("CF_DIB too short");
    BITMAPINFOHEADER header;
    std::memcpy(&header, copy.data(), sizeof header);
    DWORD colours = header.biClrUsed;
    if (!colours && header.biBitCount <= 8) colours = 1u << header.biBitCount;
    DWORD offset = 14 + header.biSize + colours * 4;
    if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER)) offset += 12;
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfSize = static_cast<DWORD>(14 + size);
    fileHeader.bfOffBits = offset;
    FILE* f = _wfopen(path, L"wb");
    if (!f) return fail("cannot create the file");
    const bool written = std::fwrite(&fileHeader, 14, 1, f) == 1 && std::fwrite(copy.data(), 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) return fail("write failed");
    return 0;
}


// The tooltip a toolbar button shows, read through memory in the program's process.
int tooltipText(int toolbarId, int command) {
    HWND toolbar = controlWindow(toolbarId);
    if (!toolbar) return fail("no such toolbar");
    HWND tooltip = reinterpret_cast<HWND>(SendMessageW(toolbar, TB_GETTOOLTIPS, 0, 0));
    // The program's tooltips hang on the main window's one tooltip control instead.
    if (!tooltip) {
        DWORD pid = 0;
        GetWindowThreadProcessId(toolbar, &pid);
        for (HWND w = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); w;
             w = FindWindowExW(nullptr, w, L"tooltips_class32", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == pid && GetWindow(w, GW_OWNER) == mainWindow()) tooltip = w;
        }
    }
    if (!tooltip) return fail("no tooltip control");
    DWORD pid = 0;
    GetWindowThreadProcessId(tooltip, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return fail("cannot open the program's process");
    constexpr int kChars = 256;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(TTTOOLINFOW) + kChars * sizeof(wchar_t), MEM_COMMIT,
                                  PAGE_READWRITE);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = toolbar;
    tool.uId = static_cast<UINT_PTR>(command);
    tool.lpszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(TTTOOLINFOW));
    wchar_t text[kChars] = {};
    bool ok = remote && WriteProcessMemory(process, remote, &tool, sizeof tool, nullptr);
    if (ok) SendMessageW(tooltip, TTM_GETTEXTW, kChars, reinterpret_cast<LPARAM>(remote));
    ok = ok && ReadProcessMemory(process, tool.lpszText, text, sizeof text, nullptr);
    text[kChars - 1] = 0;
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!ok) return fail("cannot read the tooltip");
    std::printf("%s\n", utf8(text).c_str());
    return 0;
}

// A window's client area in screen coordinates: what shows of it without a window manager's frame.
int clientRect(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    printRect(r);
    return 0;
}

// ---- the program's dialogs ----

// The dialog the program shows now: a visible dialog window owned by the main window.
HWND programDialog() {
    HWND main = mainWindow();
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(w, name, 16);
        if (IsWindowVisible(w) && std::wcscmp(name, L"#32770") == 0 && GetWindow(w, GW_OWNER) == main) return w;
    }
    return nullptr;
}

// A list view's rows, one a line, cells separated by tabs, then "selected N" (-1: none). The
// texts come back through memory in the program's process: list view messages are not marshalled.
int listViewRows(HWND list) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return fail("cannot open the program's process");
    constexpr int kChars = 260;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t), MEM_COMMIT,
                                  PAGE_READWRITE);
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    bool ok = remote != nullptr;
    for (int row = 0; ok && row < rows; ++row) {
        for (int column = 0; ok && column < columns; ++column) {
            LVITEMW item{};
            item.iSubItem = column;
            item.cchTextMax = kChars;
            item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(LVITEMW));
            wchar_t text[kChars] = {};
            ok = WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            if (ok) SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
            ok = ok && ReadProcessMemory(process, item.pszText, text, sizeof text, nullptr);
            text[kChars - 1] = 0;
            std::printf(column + 1 < columns ? "%s\t" : "%s\n", utf8(text).c_str());
        }
    }
    std::printf("selected %d\n", static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok ? 0 : fail("cannot read the list");
}

// Selects one row of a list view (as a click would) through an LVITEM in the program's process; a
// row of -1 takes every selection away.
int selectListViewRow(HWND list, int row) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return fail("cannot open the program's process");
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
    const bool ok = remote && WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
                    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
    if (ok && row >= 0) SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok ? 0 : fail("cannot select the row");
}

// The screen rectangle of one row of a list view (LVM_GETITEMRECT through the program's process).
int listViewRowRect(HWND list, int row) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return fail("cannot open the program's process");
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    RECT rect{LVIR_BOUNDS, 0, 0, 0};
    const bool ok = remote && WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr) &&
                    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote)) &&
                    ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    if (!ok) return fail("no such row");
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    return 0;
}

// A message box the program's dialog shows: a visible dialog window owned by that dialog.
HWND dialogMessageBox(HWND dialog) {
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t name[16] = {};
        GetClassNameW(w, name, 16);
        if (IsWindowVisible(w) && std::wcscmp(name, L"#32770") == 0 && GetWindow(w, GW_OWNER) == dialog) return w;
    }
    return nullptr;
}

int dialogVerb(const std::wstring& verb, int argc, wchar_t** argv) {
    HWND dialog = programDialog();
    if (!dialog) return fail("no dialog");
    if (verb == L"dlg-msgbox") {
        // Its caption, then its texts (the message and the buttons), one a line.
        HWND box = dialogMessageBox(dialog);
        if (!box) return fail("no message box");
        wchar_t title[512] = {};
        GetWindowTextW(box, title, 512);
        std::printf("%s\n", utf8(title).c_str());
        EnumChildWindows(box, printChildText, 0);
        return 0;
    }
    if (verb == L"dlg-msgbox-rect") {
        // The box itself, or with a button identifier (IDOK 1, IDYES 6, ...) that button.
        HWND box = dialogMessageBox(dialog);
        if (!box) return fail("no message box");
        HWND target = argc >= 3 ? GetDlgItem(box, static_cast<int>(std::wcstol(argv[2], nullptr, 10))) : box;
        if (!target) return fail("no such button");
        RECT r{};
        GetWindowRect(target, &r);
        printRect(r);
        return 0;
    }
    if (verb == L"dlg-title") {
        wchar_t title[512] = {};
        GetWindowTextW(dialog, title, 512);
        std::printf("%s\n", utf8(title).c_str());
        return 0;
    }
    if (verb == L"dlg-frame") {
        RECT r{};
        GetWindowRect(dialog, &r);
        printRect(r);
        return 0;
    }
    if (verb == L"dlg-client") return clientRect(dialog);
    if (verb == L"dlg-texts") {
        EnumChildWindows(dialog, printChildText, 0);
        return 0;
    }
    if (argc < 3) return fail("a control identifier is missing");
    const int id = static_cast<int>(std::wcstol(argv[2], nullptr, 10));
    HWND control = GetDlgItem(dialog, id);
    if (!control) return fail("no such control in the dialog");
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    const bool combo = _wcsicmp(name, L"ComboBox") == 0, listBox = _wcsicmp(name, L"ListBox") == 0;
    if (verb == L"dlg-rect") {
        RECT r{};
        GetWindowRect(control, &r);
        printRect(r);
        return 0;
    }
    if (verb == L"dlg-text") {
        // Sent, not GetWindowTextW: for another process's window that returns the text stored at
        // creation, not what an edit field holds now.
        wchar_t text[1024] = {};
        SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", utf8(text).c_str());
        return 0;
    }
    if (verb == L"dlg-checked") {
        std::printf("%d\n", IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0);
        return 0;
    }
    if (verb == L"dlg-enabled") {
        std::printf("%d\n", IsWindowEnabled(control) ? 1 : 0);
        return 0;
    }
    if (verb == L"dlg-visible") {
        std::printf("%d\n", IsWindowVisible(control) ? 1 : 0);
        return 0;
    }
    if (verb == L"dlg-sel") {
        std::printf("%d\n", static_cast<int>(SendMessageW(control, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0)));
        return 0;
    }
    if (verb == L"dlg-items") {
        // A list's or combo's item texts, one a line (lists of owner-drawn items hold no texts).
        const int count = static_cast<int>(SendMessageW(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t text[512] = {};
            SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            std::printf("%s\n", utf8(text).c_str());
        }
        return 0;
    }
    if (verb == L"dlg-select" && argc >= 4) {
        const int index = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
        if (combo || listBox) {
            if (SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(index), 0) ==
                (combo ? CB_ERR : LB_ERR))
                return fail("no such item");
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, combo ? CBN_SELCHANGE : LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(control));
            return 0;
        }
        return selectListViewRow(control, index);
    }
    if (verb == L"dlg-rows") return listViewRows(control);
    if (verb == L"dlg-row-rect" && argc >= 4) return listViewRowRect(control, static_cast<int>(std::wcstol(argv[3], nullptr, 10)));
    if (verb == L"dlg-checks") {
        // The check box of each row of a list view: state image 2 is the checked one.
        const int rows = static_cast<int>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row) {
            const auto state = static_cast<UINT>(SendMessageW(control, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
            std::printf("%d\n", (state >> 12) == 2 ? 1 : 0);
        }
        return 0;
    }
    return fail("unknown dialog verb");
}

int number(const wchar_t* text) { return static_cast<int>(std::wcstol(text, nullptr, 10)); }

void usage() {
    std::fprintf(stderr,
                 "usage: vantle-msg COMMAND ...\n"
                 "  find                 main window handle (exit 1 when there is none)\n"
                 "  title                main window title\n"
                 "  main-enabled         1 when the main window takes input, else 0\n"
                 "  client               the main window's client area on the screen\n"
                 "  windows              visible top-level windows: handle, class, title, rectangle\n"
                 "  dialog-text TITLE    the texts of a dialog's controls, one a line\n"
                 "  send ID              WM_COMMAND ID, waiting for it to be handled (20 s at most)\n"
                 "  post ID              WM_COMMAND ID, without waiting\n"
                 "  close                post WM_CLOSE\n"
                 "  get ID...            the controls' numbers (GetDlgItemInt), on one line\n"
                 "  set ID VALUE         SetDlgItemInt on a control\n"
                 "  enabled ID           1 or 0\n"
                 "  select ID INDEX      a combo box selection, notified as the user's\n"
                 "  rect ID              screen rectangle of a control (the client area for the view, 1000)\n"
                 "  button TOOLBAR CMD   screen rectangle of a toolbar button\n"
                 "  listbox ID           count, top index, item height, selection, screen rectangle\n"
                 "  scroll               the view's scroll bars\n"
                 "  clip-put FILE.bmp    the BMP as CF_DIB on the clipboard\n"
                 "  clip-get FILE.bmp    the clipboard's CF_DIB as a BMP file\n"
                 "  text ID              a control's text (GetWindowText)\n"
                 "  tooltip TOOLBAR CMD  the tooltip of a toolbar button\n"
                 "  invalidate ID L T R B  InvalidateRect of part of a control's client area\n"
                 "  dlg-title            caption of the dialog the program shows\n"
                 "  dlg-frame            its screen rectangle\n"
                 "  dlg-client           its client area on the screen\n"
                 "  dlg-texts            the texts of its controls, one a line\n"
                 "  dlg-rect ID          screen rectangle of one of its controls\n"
                 "  dlg-text ID          a control's text\n"
                 "  dlg-checked ID       1 when a button is checked\n"
                 "  dlg-enabled ID       1 or 0\n"
                 "  dlg-visible ID       1 or 0\n"
                 "  dlg-sel ID           a list's or combo's selection\n"
                 "  dlg-items ID         a list's or combo's item texts\n"
                 "  dlg-select ID INDEX  selects an item of a list, combo or list view, notified as the user's\n"
                 "  dlg-rows ID          a list view's rows (cells tab-separated) and its selection\n"
                 "  dlg-checks ID        a list view's check boxes, 1 or 0 a row\n"
                 "  dlg-row-rect ID ROW  screen rectangle of a list view's row\n"
                 "  dlg-msgbox           a message box over the dialog: its caption and texts\n"
                 "  dlg-msgbox-rect [ID] its screen rectangle, or its button ID's\n");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        usage();
        return 2;
    }
    const std::wstring verb = argv[1];
    auto needs = [&](int n) { return argc >= 2 + n; };
    if (verb == L"clip-put" && needs(1)) return clipboardPut(argv[2]);
    if (verb == L"clip-get" && needs(1)) return clipboardGet(argv[2]);
    if (verb == L"dialog-text" && needs(1)) return dialogTexts(argv[2]);
    if (verb == L"windows") {
        EnumWindows(listTopWindow, 0);
        return 0;
    }
    if (verb.rfind(L"dlg-", 0) == 0) return dialogVerb(verb, argc, argv);
    HWND main = mainWindow();
    if (!main) return fail("no main window");
    if (verb == L"find") {
        std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(main)));
        return 0;
    }
    if (verb == L"title") {
        wchar_t title[1024] = {};
        GetWindowTextW(main, title, 1024);
        std::printf("%s\n", utf8(title).c_str());
        return 0;
    }
    if (verb == L"client") return clientRect(main);
    if (verb == L"main-enabled") {
        std::printf("%d\n", IsWindowEnabled(main) ? 1 : 0);
        return 0;
    }
    if (verb == L"send" && needs(1)) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(main, WM_COMMAND, static_cast<WPARAM>(number(argv[2])), 0, SMTO_NORMAL, 20000, &result))
            return fail("the command was not handled in time");
        return 0;
    }
    if (verb == L"post" && needs(1))
        return PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(number(argv[2])), 0) ? 0 : fail("post failed");
    if (verb == L"close") return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : fail("post failed");
    if (verb == L"scroll") return scrollBars();
    if (verb == L"button" && needs(2)) return buttonRect(number(argv[2]), number(argv[3]));
    if (verb == L"tooltip" && needs(2)) return tooltipText(number(argv[2]), number(argv[3]));
    if (!needs(1)) {
        usage();
        return 2;
    }
    const int id = number(argv[2]);
    if (verb == L"rect") return rectOf(id);
    if (verb == L"listbox") return listBox(id);
    HWND window = controlWindow(id);
    if (!window) return fail("no such control");
    if (verb == L"get") {
        // Several boxes in one call: "get 1110 1111 1112 1113".
        for (int i = 2; i < argc; ++i) {
            HWND box = controlWindow(number(argv[i]));
            BOOL ok = FALSE;
            const int value = box ? static_cast<int>(GetDlgItemInt(GetParent(box), number(argv[i]), &ok, TRUE)) : 0;
            if (!ok) return fail("no such control, or not a number");
            std::printf(i + 1 < argc ? "%d " : "%d\n", value);
        }
        return 0;
    }
    if (verb == L"set" && needs(2)) {
        SetDlgItemInt(GetParent(window), id, static_cast<UINT>(number(argv[3])), TRUE);
        return 0;
    }
    if (verb == L"text") {
        wchar_t text[1024] = {};
        SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
        std::printf("%s\n", utf8(text).c_str());
        return 0;
    }
    if (verb == L"invalidate" && needs(5)) {
        RECT r{number(argv[3]), number(argv[4]), number(argv[5]), number(argv[6])};
        return InvalidateRect(window, &r, FALSE) ? 0 : fail("invalidate failed");
    }
    if (verb == L"enabled") {
        std::printf("%d\n", IsWindowEnabled(window) ? 1 : 0);
        return 0;
    }
    if (verb == L"select" && needs(2)) {
        if (SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(number(argv[3])), 0) == CB_ERR)
            return fail("no such item");
        SendMessageW(GetParent(window), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(window));
        return 0;
    }
    usage();
    return 2;
}
