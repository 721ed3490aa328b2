// One window procedure trampoline for every window class of the program: the window's state record
// comes as the last argument of CreateWindowExW, is bound to the window at WM_NCCREATE and handed to
// the class's handler with every later message. The record's `window` field follows the window's
// life. Messages that arrive before WM_NCCREATE go to the default procedure.
#pragma once

#include <windows.h>

template <class State, LRESULT (*Handle)(State&, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK boundWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    State* state;
    if (message == WM_NCCREATE) {
        state = static_cast<State*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
        if (state) state->window = window;
    } else {
        state = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!state) return DefWindowProcW(window, message, wParam, lParam);
    const LRESULT result = Handle(*state, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        state->window = nullptr;
    }
    return result;
}

// The same for dialogs: the state record is DialogBoxIndirectParamW's parameter, bound at
// WM_INITDIALOG. The handler's result is the dialog procedure's; a message result goes through
// DWLP_MSGRESULT as usual.
template <class State, INT_PTR (*Handle)(State&, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK boundDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    State* state;
    if (message == WM_INITDIALOG) {
        state = reinterpret_cast<State*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
        if (state) state->window = dialog;
    } else {
        state = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
    }
    if (!state) return FALSE;
    const INT_PTR result = Handle(*state, message, wParam, lParam);
    if (message == WM_NCDESTROY) state->window = nullptr;
    return result;
}
