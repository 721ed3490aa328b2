// The perspective preview worker: one thread with a message-only window. Requests are posted as
// WM_APP; a burst of them is rendered once. The user-interface thread flushes the worker with a
// sent message before it touches the rectified copy, so no render overlaps the output job or a
// buffer release.
#include <windows.h>
#include <process.h>

#include <atomic>

#include "ui/app/App.h"

namespace {

constexpr wchar_t kWorkerClass[] = L"Vantle_iudt_class";
constexpr UINT kFlush = WM_USER + 1;

HANDLE workerThread = nullptr;
HWND workerWindow = nullptr;
HANDLE windowReady = nullptr;

// Drops every request still queued for the worker window.
void dropPendingRequests(HWND window) {
    MSG message;
    while (PeekMessageW(&message, window, WM_APP, WM_APP, PM_REMOVE)) {
    }
}

LRESULT CALLBACK workerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_APP:
        RunPreviewRender(app.editor);
        if (app.view) {
            InvalidateRect(app.view, nullptr, FALSE);
            UpdateWindow(app.view);
        }
        if (wParam) PostMessageW(app.mainWindow, WM_APP, 0, 0);
        return 0;
    case kFlush:
        // Runs between renders (this thread renders nowhere else), so afterwards nothing is
        // running, and nothing stays pending.
        dropPendingRequests(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

unsigned __stdcall workerMain(void*) {
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = workerProc;
    cls.hInstance = app.exeInstance;
    cls.lpszClassName = kWorkerClass;
    RegisterClassExW(&cls);
    workerWindow = CreateWindowExW(0, kWorkerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, app.exeInstance,
                                   nullptr);
    SetEvent(windowReady);
    if (!workerWindow) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Keep only the last of a burst of requests: one render serves them all.
        if (message.message == WM_APP) {
            MSG later;
            while (PeekMessageW(&later, message.hwnd, WM_APP, WM_APP, PM_REMOVE)) message = later;
        }
        DispatchMessageW(&message);
    }
    UnregisterClassW(kWorkerClass, app.exeInstance);
    return 0;
}

}  // namespace

bool startPreviewWorker() {
    windowReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!windowReady) return false;
    workerThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, workerMain, nullptr, 0, nullptr));
    if (!workerThread) return false;
    SetThreadPriority(workerThread, THREAD_PRIORITY_IDLE);
    WaitForSingleObject(windowReady, INFINITE);
    CloseHandle(windowReady);
    windowReady = nullptr;
    return workerWindow != nullptr;
}

void stopPreviewWorker() {
    if (!workerThread) return;
    if (workerWindow) PostMessageW(workerWindow, WM_CLOSE, 0, 0);
    DWORD code = 0;
    if (GetExitCodeThread(workerThread, &code) && code == STILL_ACTIVE &&
        WaitForSingleObject(workerThread, 1000) == WAIT_TIMEOUT)
        TerminateThread(workerThread, 0);
    CloseHandle(workerThread);
    workerThread = nullptr;
    workerWindow = nullptr;
}

void postPreviewRequest(bool notifyWhenDone) {
    if (workerWindow) PostMessageW(workerWindow, WM_APP, notifyWhenDone ? 1 : 0, 0);
}

void setWorkerPriority(bool normal) {
    if (workerThread) SetThreadPriority(workerThread, normal ? THREAD_PRIORITY_NORMAL : THREAD_PRIORITY_IDLE);
}

void waitForPreviewWorker() {
    if (workerWindow) SendMessageW(workerWindow, kFlush, 0, 0);
}

bool previewWorkerBusy() { return app.editor.previewBusy.load() != 0; }

void previewFinishedOnUiThread() {
    if (app.editor.trimMode != 0) PreviewFinished(app.editor);
}
