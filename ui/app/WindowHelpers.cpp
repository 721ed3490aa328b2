// Small window operations several modules share.
#include "ui/app/WindowHelpers.h"

#include <imm.h>

#include "ui/app/App.h"

void closeInputMethod(HWND control) {
    if (HIMC context = ImmGetContext(control)) {
        if (ImmGetOpenStatus(context)) ImmSetOpenStatus(context, FALSE);
        ImmReleaseContext(control, context);
    }
}

void setCursorById(int id) {
    SetCursor(id <= cursor::kArrow ? LoadCursorW(nullptr, IDC_ARROW)
                                   : LoadCursorW(app.exeInstance, MAKEINTRESOURCEW(id)));
}
