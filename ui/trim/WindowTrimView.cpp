// The trim model's window: number boxes, spin buttons, toolbar groups, XOR outlines, cursors and
// the preview worker, on the real controls. Writing a box goes through the control, whose EN_UPDATE
// reaches the model through the main window's control dispatcher.
#include <windows.h>
#include <commctrl.h>

#include "ui/app/App.h"
#include "ui/app/WindowHelpers.h"
#include "ui/controls/Controls.h"
#include "ui/filelist/FileListWindow.h"
#include "ui/menus/Menus.h"
#include "ui/trim/TrimWindow.h"
#include "ui/view/View.h"
#include "ui/window/MainWindow.h"

namespace {

void enableButtons(int toolbarId, std::initializer_list<int> commands, bool enable) {
    HWND toolbar = toolbarById(toolbarId);
    if (!toolbar) return;
    for (int command : commands)
        SendMessageW(toolbar, TB_SETSTATE, command, MAKELONG(enable ? TBSTATE_ENABLED : TBSTATE_INDETERMINATE, 0));
}

void enableControls(std::initializer_list<int> controls, bool enable) {
    for (int id : controls)
        if (HWND control = controlById(id)) EnableWindow(control, enable);
}

class WindowTrimView final : public TrimView {
public:
    void writeBox(std::int32_t id, std::int32_t value) override {
        HWND control = controlById(id);
        if (control)
            SetDlgItemInt(GetParent(control), id, static_cast<UINT>(value), TRUE);
        else
            BoxChanged(app.editor, id, kEditUpdate, value);
    }
    void setSpinRange(std::int32_t id, std::int32_t low, std::int32_t high) override {
        if (HWND spin = controlById(id)) SendMessageW(spin, UDM_SETRANGE32, low, high);
    }
    void setSpinPos(std::int32_t id, std::int32_t pos) override {
        if (HWND spin = controlById(id))
            SendMessageW(spin, UDM_SETPOS32, 0, pos);
        else
            writeBox(control::buddyOfSpin(id), pos);
    }
    void enableGroup(ControlGroup group, bool enable) override {
        using namespace control;
        switch (group) {
        case ControlGroup::FileButtons:
            enableButtons(kMainToolbar, {command::kMainMenu, command::kOpen, command::kFileList}, enable);
            if (enable) refreshToolbarStates();
            break;
        case ControlGroup::Panels:
            enableButtons(kMainToolbar, {command::kZoomFit, command::kZoomActual, command::kShadeMenu}, enable);
            enableButtons(kOutputToolbar, {command::kOutputOptions}, enable);
            enableButtons(kSizeToolbar, {command::kPresetMenu}, enable);
            enableControls({kZoomLabel, kZoomBox, kZoomSpin, kZoomUnit, kFormatCombo, kWidthLabel, kHeightLabel,
                            kWidthBox, kHeightBox, kWidthSpin, kHeightSpin},
                           enable);
            EnableScrollBar(viewWindow(), SB_BOTH, enable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
            if (enable) refreshToolbarStates();
            break;
        case ControlGroup::CancelButton:
            enableButtons(kTrimToolbar, {command::kTrimCancel}, enable);
            break;
        case ControlGroup::ExecuteButton:
            enableButtons(kTrimToolbar, {command::kTrimExecute}, enable);
            break;
        case ControlGroup::TrimBoxes:
            enableControls({kBoxLeft, kBoxTop, kBoxRight, kBoxBottom, kSpinLeft, kSpinTop, kSpinRight, kSpinBottom,
                            kTrimLabelLeft, kTrimLabelTop, kTrimLabelRight, kTrimLabelBottom},
                           enable);
            break;
        case ControlGroup::Perspective:
            enableButtons(kPerspectiveToolbar,
                          {command::kPerspectiveReset, command::kCornerLeft, command::kCornerRight, command::kCornerUp,
                           command::kCornerDown},
                          enable);
            enableControls({kPerspectiveLabel}, enable);
            break;
        }
    }
    void xorOutline(const TrimRect& screen) override { xorRectangle(screen); }
    void repaint(bool reshade) override {
        if (reshade) invalidateShading();
        // Painted now: the model draws its next XOR step on top of this paint.
        paintViewNow();
    }
    void setCursor(std::int32_t cursorId) override { setCursorById(cursorId); }
    void refreshTitle() override { ::refreshTitle(); }
    void closeInputMethod() override { ::closeInputMethod(GetFocus()); }
    void showDisplay(DisplaySource source) override {
        Document& doc = app.document;
        const RectifiedCopy& rectified = app.editor.rectified;
        doc.displayPixels = source == DisplaySource::Rectified && rectified ? rectified.data() : doc.shadedPixels;
    }
    void trimModeStarted() override {
        closeListWindow(true);
        installTrimKeyHook();
        invalidateShading();
    }
    void trimModeEnded() override {
        removeTrimKeyHook();
        // The shading disappears: the shaded buffer is a plain copy of the image again.
        clearShading();
        app.document.displayPixels = app.document.shadedPixels;
    }
    void wakePreview() override { wakePreviewWorker(); }
    void setPreviewPriority(bool normal) override { setWorkerPriority(normal); }
    void waitForPreview() override { waitForPreviewWorker(); }
    void rectifiedCopyChanged() override {
        // The display and the shading may have been reading the old copy.
        Document& doc = app.document;
        if (doc.displayPixels) doc.displayPixels = doc.shadedPixels;
        invalidateShading();
    }
};

WindowTrimView trimView;

}  // namespace

TrimView& windowTrimView() { return trimView; }
