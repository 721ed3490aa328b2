// The perspective preview worker: one thread with a message-only window. The user-interface thread
// puts each request into the trim session's preview channel and wakes the worker with WM_APP; a
// burst of wake-ups is served by one render of the latest request. Before the user-interface thread
// touches the rectified copy it flushes the worker with a sent message, so no render overlaps the
// output job or a buffer release. The worker reads nothing but the channel and its requests.
#include <windows.h>
#include <process.h>

#include "ui/app/App.h"
#include "ui/app/WindowBinding.h"
#include "ui/trim/TrimWindow.h"

namespace {

constexpr wchar_t kWorkerClass[] = L"Vantle_iudt_class";
constexpr UINT kFlush = WM_USER + 1;
constexpr UINT kSetNotifyWindow = WM_USER + 2;

// Everything the worker thread uses, set before it starts or through sent messages.
struct WorkerState {
    HWND window = nullptr;
    HINSTANCE instance = nullptr;
    PreviewChannel* channel = nullptr;
    HWND notify = nullptr;  // the main window, told of every finished render
    HANDLE ready = nullptr;
};
WorkerState worker;
HANDLE workerThread = nullptr;
HWND workerWindow = nullptr;  // the user-interface thread's copy of the handle

// Drops every wake-up still queued for the worker window.
void dropPendingRequests(HWND window) {
    MSG message;
    while (PeekMessageW(&message, window, WM_APP, WM_APP, PM_REMOVE)) {
    }
}

LRESULT handleWorkerMessage(WorkerState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_APP: {
        PreviewRequest request;
        if (!state.channel->take(request)) return 0;  // an earlier wake-up rendered it already
        RenderPreviewRequest(request);
        state.channel->finished(request.sequence);
        if (state.notify) PostMessageW(state.notify, WM_APP, 0, 0);
        return 0;
    }
    case kFlush:
        // Runs between renders (this thread renders nowhere else), so afterwards nothing is
        // running, and nothing stays pending.
        dropPendingRequests(state.window);
        state.channel->drop();
        return 0;
    case kSetNotifyWindow:
        state.notify = reinterpret_cast<HWND>(lParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(state.window, message, wParam, lParam);
}

unsigned __stdcall workerMain(void* argument) {
    WorkerState& state = *static_cast<WorkerState*>(argument);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.lpfnWndProc = boundWindowProc<WorkerState, handleWorkerMessage>;
    cls.hInstance = state.instance;
    cls.lpszClassName = kWorkerClass;
    RegisterClassExW(&cls);
    HWND window = CreateWindowExW(0, kWorkerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, state.instance, &state);
    workerWindow = window;
    SetEvent(state.ready);
    if (!window) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Keep only the last of a burst of wake-ups: one render serves them all.
        if (message.message == WM_APP) {
            MSG later;
            while (PeekMessageW(&later, message.hwnd, WM_APP, WM_APP, PM_REMOVE)) message = later;
        }
        DispatchMessageW(&message);
    }
    UnregisterClassW(kWorkerClass, state.instance);
    return 0;
}

}  // namespace

bool startPreviewWorker() {
    worker.instance = app.exeInstance;
    worker.channel = &app.editor.preview;
    worker.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!worker.ready) return false;
    workerThread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, workerMain, &worker, 0, nullptr));
    if (!workerThread) return false;
    SetThreadPriority(workerThread, THREAD_PRIORITY_IDLE);
    // The event orders the worker's write of its window handle before the read below.
    WaitForSingleObject(worker.ready, INFINITE);
    CloseHandle(worker.ready);
    worker.ready = nullptr;
    return workerWindow != nullptr;
}

void setPreviewNotifyWindow(HWND window) {
    if (workerWindow) SendMessageW(workerWindow, kSetNotifyWindow, 0, reinterpret_cast<LPARAM>(window));
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

void wakePreviewWorker() {
    if (workerWindow) PostMessageW(workerWindow, WM_APP, 0, 0);
}

void setWorkerPriority(bool normal) {
    if (workerThread) SetThreadPriority(workerThread, normal ? THREAD_PRIORITY_NORMAL : THREAD_PRIORITY_IDLE);
}

void waitForPreviewWorker() {
    if (workerWindow)
        SendMessageW(workerWindow, kFlush, 0, 0);
    else
        app.editor.preview.drop();  // no worker: nothing renders, and nothing ever will
}

bool previewWorkerBusy() { return !RectifiedReadable(app.editor); }

void previewRenderedOnUiThread() {
    if (active(app.editor.trimMode)) PreviewRendered(app.editor);
}
