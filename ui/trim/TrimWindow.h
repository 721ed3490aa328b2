// The trim session's window (its number boxes, buttons, outlines and display on the real controls)
// and the preview worker thread with its message-only window.
#pragma once

#include <windows.h>

#include "trim/TrimEditor.h"

TrimView& windowTrimView();

// Starts the worker (idle priority) and waits until its window exists.
bool startPreviewWorker();
// The main window that hears of every finished render.
void setPreviewNotifyWindow(HWND window);
// Asks the worker to close; after a second it is terminated.
void stopPreviewWorker();
// The worker should take the channel's latest request.
void wakePreviewWorker();
void setWorkerPriority(bool normal);
// Returns once no render runs and none is queued.
void waitForPreviewWorker();
// A render runs or is queued: the view shows the busy cursor.
bool previewWorkerBusy();
// The main window's WM_APP: a render finished.
void previewRenderedOnUiThread();
