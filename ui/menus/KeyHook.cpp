// While trim mode is active, Enter and Esc belong to the trim whatever has the focus: a thread
// keyboard hook turns them into the execute and cancel commands before any control sees them.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ui/app/App.h"
#include "ui/menus/Menus.h"

namespace {

HHOOK trimHook = nullptr;

// Whether Enter and Esc are the main window's: not while a dialog has disabled it, nor while a
// popup menu (the shade or preset menu, open in the settled state) is up, where they pick or close
// the menu item.
bool mainWindowTakesKeys() {
    if (!app.mainWindow || !IsWindowEnabled(app.mainWindow)) return false;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    return !(GetGUIThreadInfo(GetCurrentThreadId(), &thread) && (thread.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)));
}

LRESULT CALLBACK trimKeyHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const bool keyDown = (static_cast<DWORD>(lParam) & 0x80000000u) == 0;
        bool swallow = false;
        const std::int32_t cmd =
            TrimKeyCommand(app.editor, static_cast<std::uint32_t>(wParam), keyDown, mainWindowTakesKeys(), swallow);
        // High word 1: handled like an accelerator (during a mouse drag only the cancel gets through).
        if (cmd != 0) SendMessageW(app.mainWindow, WM_COMMAND, MAKEWPARAM(cmd, 1), 0);
        if (swallow) return 1;
    }
    // The command may have ended trim mode and removed the hook; the next hook is found either way.
    return CallNextHookEx(trimHook, code, wParam, lParam);
}

}  // namespace

void installTrimKeyHook() {
    if (trimHook) return;
    trimHook = SetWindowsHookExW(WH_KEYBOARD, trimKeyHook, nullptr, GetCurrentThreadId());
}

void removeTrimKeyHook() {
    if (trimHook) UnhookWindowsHookEx(trimHook);
    trimHook = nullptr;
}
