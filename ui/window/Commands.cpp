// The command dispatcher (identifiers from command::kFirst) and the control dispatcher (the toolbar
// fields).
#include <windows.h>
#include <commctrl.h>

#include "shell/ToolbarFields.h"
#include "shell/WindowTexts.h"
#include "ui/app/App.h"
#include "ui/app/WindowHelpers.h"
#include "ui/controls/Controls.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/document/Documents.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/help/Help.h"
#include "ui/menus/Menus.h"
#include "ui/view/View.h"
#include "ui/window/MainWindow.h"

namespace {

bool idle() { return !active(app.editor.trimMode); }
bool adjusting() { return app.editor.trimMode == TrimMode::Adjusting; }
bool hasImage() { return app.document.displayPixels != nullptr; }

void setShade(int value) {
    app.settings.outsideShade = value;
    if (adjusting()) {
        BuildShadeTable(app.editor.shadeTable, value);
        invalidateShading();
        repaintView();
    }
}

void zoomBoxNotification(HWND control, int code) {
    switch (code) {
    case EN_SETFOCUS:
        FieldFocusChanged(app.editor, true);
        closeInputMethod(control);
        break;
    case EN_KILLFOCUS:
        FieldFocusChanged(app.editor, false);
        writeZoomBox();
        break;
    case EN_UPDATE: {
        if (!hasImage()) return;
        BOOL ok = FALSE;
        const int value = static_cast<int>(GetDlgItemInt(GetParent(control), control::kZoomBox, &ok, TRUE));
        if (!ok) return;
        ScrollBars bars;
        if (ZoomFieldChanged(viewGeometry(), value, app.editor.editsLive, viewMetrics(), bars, &app.editor)) {
            applyScrollBars(bars);
            repaintView();
        }
        break;
    }
    }
}

// The trim boxes and the output-size boxes: the trim session reads them; the focus changes steer
// the accelerators.
void numberBoxNotification(int id, HWND control, int code) {
    if (control::isTrimBox(id) && idle()) return;
    BOOL ok = TRUE;
    int value = 0;
    if (code == EN_UPDATE) value = static_cast<int>(GetDlgItemInt(GetParent(control), id, &ok, TRUE));
    if (code == EN_UPDATE && !ok) value = 0;
    BoxChanged(app.editor, id, code, value);
}

void controlCommand(int id, int code, HWND control) {
    switch (id) {
    case control::kFormatCombo:
        if (code == CBN_SELCHANGE) {
            // The list shows the output formats in their own order.
            const LRESULT selection = SendMessageW(control, CB_GETCURSEL, 0, 0);
            if (selection >= 0) OutputFormatOfNumber(static_cast<std::int32_t>(selection), app.settings.outputFormat);
        } else if (code == CBN_SETFOCUS) {
            FieldFocusChanged(app.editor, true);
        } else if (code == CBN_KILLFOCUS) {
            FieldFocusChanged(app.editor, false);
        }
        return;
    case control::kZoomBox: zoomBoxNotification(control, code); return;
    case control::kBoxLeft:
    case control::kBoxTop:
    case control::kBoxRight:
    case control::kBoxBottom:
    case control::kWidthBox:
    case control::kHeightBox: numberBoxNotification(id, control, code); return;
    }
}

}  // namespace

void runCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id < command::kFirst) {
        controlCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return;
    }
    // Keys arriving during a mouse drag in the view are dropped, except Escape: it cancels the
    // trim and with it the drag (the hook has already swallowed the key, so dropping it would lose
    // the user's cancel).
    if (HIWORD(wParam) == 1 && viewDragging()) {
        if (id != command::kTrimCancel || idle()) return;
        endViewDrag();
    }
    switch (id) {
    case command::kOpen:
        if (idle()) openWithDialog();
        return;
    case command::kFileList:
        if (idle()) showListWindow();
        return;
    case command::kMainMenu:
        if (idle()) showMenuUnderButton(toolbarById(control::kMainToolbar), id, mainMenu());
        return;
    case command::kZoomFit:
    case command::kZoomActual:
    case command::kZoomToggle:
    case command::kZoomIn:
    case command::kZoomOut:
        if (hasImage()) zoomView(id);
        return;
    case command::kShadeMenu:
        if (idle() || adjusting()) showMenuUnderButton(toolbarById(control::kMainToolbar), id, shadeMenu());
        return;
    case command::kPresetMenu:
        if (idle() || adjusting()) showMenuUnderButton(toolbarById(control::kSizeToolbar), id, presetMenu());
        return;
    case command::kReload:
        if (idle() && hasImage() && !app.document.path.empty()) openDocument(nullptr, true);
        return;
    case command::kSaveAs:
        if (idle() && hasImage()) saveAsCurrent();
        return;
    case command::kPaste:
        if (idle()) pasteImage();
        return;
    case command::kTrimExecute:
        if (!idle()) finishTrim();
        return;
    case command::kTrimCancel:
        if (!idle()) cancelTrim();
        return;
    case command::kTrimCentre:
        if (hasImage() && app.document.shadedPixels) {
            eraseCrosshair();
            const TrimImage image{app.document.header.biWidth, app.document.header.biHeight,
                                  app.document.sourcePixels};
            FitLargest(app.editor, image);
            SetFocus(app.mainWindow);
        }
        return;
    case command::kPerspectiveReset:
    case command::kCornerLeft:
    case command::kCornerRight:
    case command::kCornerUp:
    case command::kCornerDown:
        if (hasImage()) PerspectiveCommand(app.editor, id);
        return;
    case command::kOutputOptions: openOutputDialog(); return;
    case command::kKeyDialog: openKeyDialog(); return;
    case command::kPresetDialog: openPresetDialog(); return;
    case command::kDisplayDialog: openDisplayDialog(); return;
    case command::kPluginDialog: openPluginDialog(); return;
    case command::kHelp:
        if (idle()) showHelp();
        return;
    case command::kAbout:
        if (idle()) showAbout();
        return;
    }
    if (id >= command::kPreset1 && id < command::kPreset1 + static_cast<int>(kPresetCount)) {
        ApplyPreset(app.editor, id - command::kPreset1);
        return;
    }
    int shade = 0;
    if (shadeForCommand(static_cast<std::uint16_t>(id), &shade)) setShade(shade);
}

void refreshToolbarStates() {
    ToolbarInputs inputs;
    inputs.fileListExists = app.fileList.exists();
    inputs.imageShown = app.document.displayPixels != nullptr;
    inputs.displayImageExists = app.document.shadedPixels != nullptr;
    ToolbarItemState states[kToolbarItemCount];
    ToolbarStates(inputs, states);
    for (const ToolbarItemState& s : states) {
        if (s.kind == ToolbarItemKind::Button) {
            for (int id = control::kMainToolbar; id <= control::kPerspectiveToolbar; ++id) {
                HWND toolbar = toolbarById(id);
                if (toolbar && SendMessageW(toolbar, TB_COMMANDTOINDEX, s.id, 0) >= 0)
                    SendMessageW(toolbar, TB_SETSTATE, s.id, MAKELONG(ToolbarButtonState(s.enabled), 0));
            }
        } else if (HWND control = controlById(s.id)) {
            EnableWindow(control, s.enabled);
        }
    }
}
