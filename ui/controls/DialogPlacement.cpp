// A dialog opened from a toolbar button appears under that button, inside the work area of the
// monitor the main window is on.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ui/app/App.h"
#include "ui/view/View.h"
#include "ui/controls/Controls.h"
#include "ui/controls/LayoutRects.h"

void placeDialogUnderButton(HWND dialog, HWND toolbar, int command) {
    RECT button, dialogRect, view;
    if (!dialog || !toolbar || !SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button)) ||
        !GetWindowRect(dialog, &dialogRect))
        return;
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    LONG viewTop = button.bottom;  // no view yet: just under the button
    if (viewWindow() && GetWindowRect(viewWindow(), &view)) viewTop = view.top;

    RECT work{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    HMONITOR nearest = MonitorFromWindow(app.mainWindow ? app.mainWindow : dialog, MONITOR_DEFAULTTONEAREST);
    if (nearest && GetMonitorInfoW(nearest, &monitor))
        work = monitor.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

    const LayoutPoint at = dialogUnderButton(layoutRect(button), viewTop, dialogRect.right - dialogRect.left,
                                             dialogRect.bottom - dialogRect.top, layoutRect(work));
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOZORDER | SWP_NOSIZE);
}
