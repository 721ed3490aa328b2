// The command dispatcher (identifiers from 5000) and the control dispatcher (the toolbar fields).
#include <windows.h>
#include <commctrl.h>

#include "shell/ToolbarFields.h"
#include "shell/WindowTexts.h"
#include "ui/app/App.h"

namespace {

bool idle() { return app.editor.trimMode == 0; }
bool hasImage() { return app.document.displayPixels != nullptr; }

void zoomCommand(int id) {
    ScrollBars bars;
    if (!ZoomCommand(app.geometry, id, app.viewMetrics, bars)) return;
    applyScrollBars(bars);
    if (app.editor.trimMode != 0) UpdateScreenGeometry(app.editor);
    writeZoomBox();
    repaintView();
}

void setShade(int value) {
    app.trimOptions.outsideShade = value;
    if (app.editor.trimMode == 3) {
        BuildShadeTable(app.editor.shadeTable, value);
        invalidateShading();
        repaintView();
    }
}

void zoomBoxNotification(HWND control, int code) {
    switch (code) {
    case EN_SETFOCUS:
        app.editor.suspendAccelerators = true;
        closeInputMethod(control);
        break;
    case EN_KILLFOCUS:
        app.editor.suspendAccelerators = false;
        writeZoomBox();
        break;
    case EN_UPDATE: {
        if (!hasImage()) return;
        BOOL ok = FALSE;
        const int value = static_cast<int>(GetDlgItemInt(GetParent(control), ids::kZoomBox, &ok, TRUE));
        if (!ok) return;
        ScrollBars bars;
        if (ZoomFieldChanged(app.geometry, value, app.editor.editsLive, app.viewMetrics, bars, &app.editor)) {
            applyScrollBars(bars);
            repaintView();
        }
        break;
    }
    }
}

// Boxes 1110-1113 and 1143-1144: the trim model reads them; the focus changes steer the accelerators.
void numberBoxNotification(int id, HWND control, int code) {
    if (id >= kBoxLeft && id <= kBoxBottom && app.editor.trimMode == 0) return;
    BOOL ok = TRUE;
    int value = 0;
    if (code == EN_UPDATE) value = static_cast<int>(GetDlgItemInt(GetParent(control), id, &ok, TRUE));
    if (code == EN_UPDATE && !ok) value = 0;
    BoxChanged(app.editor, id, code, value);
}

void controlCommand(int id, int code, HWND control) {
    switch (id) {
    case ids::kFormatCombo:
        if (code == CBN_SELCHANGE) {
            const LRESULT selection = SendMessageW(control, CB_GETCURSEL, 0, 0);
            if (selection >= 0 && selection <= 5) app.settings.outputFormat = static_cast<int>(selection);
        } else if (code == CBN_SETFOCUS) {
            app.editor.suspendAccelerators = true;
        } else if (code == CBN_KILLFOCUS) {
            app.editor.suspendAccelerators = false;
        }
        return;
    case ids::kZoomBox: zoomBoxNotification(control, code); return;
    case kBoxLeft:
    case kBoxTop:
    case kBoxRight:
    case kBoxBottom:
    case kBoxOutputWidth:
    case kBoxOutputHeight: numberBoxNotification(id, control, code); return;
    }
}

}  // namespace

void runCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id < 5000) {
        controlCommand(id, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return;
    }
    // Keys arriving during a mouse drag in the view are dropped, except Escape: it cancels the
    // trim and with it the drag (the hook has already swallowed the key, so dropping it would lose
    // the user's cancel).
    if (HIWORD(wParam) == 1 && app.geometry.mouseMode != 0) {
        if (id != command::kTrimCancel || app.editor.trimMode == 0) return;
        app.geometry.mouseMode = 0;
        ReleaseCapture();
    }
    const int mode = app.editor.trimMode;
    switch (id) {
    case command::kOpen:
        if (idle()) openWithDialog();
        return;
    case command::kFileList:
        if (idle()) showListWindow();
        return;
    case command::kMainMenu:
        if (idle()) showMenuUnderButton(toolbarById(ids::kMainToolbar), id, app.mainMenu);
        return;
    case command::kZoomFit:
    case command::kZoomActual:
    case command::kZoomToggle:
    case command::kZoomIn:
    case command::kZoomOut:
        if (hasImage()) zoomCommand(id);
        return;
    case command::kShadeMenu:
        if (idle() || mode == 3) showMenuUnderButton(toolbarById(ids::kMainToolbar), id, app.shadeMenu);
        return;
    case command::kPresetMenu:
        if (idle() || mode == 3) showMenuUnderButton(toolbarById(ids::kSizeToolbar), id, app.presetMenu);
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
        if (mode != 0) finishTrim();
        return;
    case command::kTrimCancel:
        if (mode != 0) cancelTrim();
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
    case command::kOutputOptions:
    case command::kKeyDialog:
    case command::kPluginDialog:
    case command::kDisplayDialog:
    case command::kPresetDialog:
    case command::kHelp:
    case command::kAbout:
        // These dialogs arrive with their own work; until then the commands do nothing.
        return;
    }
    if (id >= command::kPreset1 && id < command::kPreset1 + 8) {
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
            for (HWND toolbar : app.toolbars)
                if (toolbar && SendMessageW(toolbar, TB_COMMANDTOINDEX, s.id, 0) >= 0)
                    SendMessageW(toolbar, TB_SETSTATE, s.id, MAKELONG(ToolbarButtonState(s.enabled), 0));
        } else if (HWND control = controlById(s.id)) {
            EnableWindow(control, s.enabled);
        }
    }
}
