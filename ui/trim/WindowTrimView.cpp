// The trim model's window: number boxes, spin buttons, toolbar groups, XOR outlines, cursors and
// the preview worker, on the real controls. Writing a box goes through the control, whose EN_UPDATE
// reaches the model through the main window's control dispatcher.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "codecs/ImageData.h"
#include "ui/app/App.h"
#include "ui/view/ViewDrawing.h"

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
            writeBox(id - (kSpinLeft - kBoxLeft), pos);
    }
    void enableGroup(ControlGroup group, bool enable) override {
        switch (group) {
        case ControlGroup::FileButtons:
            enableButtons(ids::kMainToolbar, {command::kMainMenu, command::kOpen, command::kFileList}, enable);
            if (enable) refreshToolbarStates();
            break;
        case ControlGroup::Panels:
            enableButtons(ids::kMainToolbar, {command::kZoomFit, command::kZoomActual, command::kShadeMenu}, enable);
            enableButtons(ids::kOutputToolbar, {command::kOutputOptions}, enable);
            enableButtons(ids::kSizeToolbar, {command::kPresetMenu}, enable);
            enableControls({ids::kZoomLabel, ids::kZoomBox, ids::kZoomSpin, ids::kZoomUnit, ids::kFormatCombo,
                            ids::kWidthLabel, ids::kHeightLabel, ids::kWidthBox, ids::kHeightBox, ids::kWidthSpin,
                            ids::kHeightSpin},
                           enable);
            EnableScrollBar(app.view, SB_BOTH, enable ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
            if (enable) refreshToolbarStates();
            break;
        case ControlGroup::CancelButton:
            enableButtons(ids::kTrimToolbar, {command::kTrimCancel}, enable);
            break;
        case ControlGroup::ExecuteButton:
            enableButtons(ids::kTrimToolbar, {command::kTrimExecute}, enable);
            break;
        case ControlGroup::TrimBoxes:
            enableControls({kBoxLeft, kBoxTop, kBoxRight, kBoxBottom, kSpinLeft, kSpinTop, kSpinRight, kSpinBottom,
                            ids::kTrimLabelFirst, ids::kTrimLabelFirst + 1, ids::kTrimLabelFirst + 2,
                            ids::kTrimLabelFirst + 3},
                           enable);
            break;
        case ControlGroup::Perspective:
            enableButtons(ids::kPerspectiveToolbar,
                          {command::kPerspectiveReset, command::kCornerLeft, command::kCornerRight, command::kCornerUp,
                           command::kCornerDown},
                          enable);
            enableControls({ids::kPerspectiveLabel}, enable);
            break;
        }
    }
    void xorOutline(const TrimRect& screen) override { xorRectangle(screen); }
    void repaint(bool reshade) override {
        if (reshade) InvalidateShading(app.shade);
        if (!app.view) return;
        InvalidateRect(app.view, nullptr, FALSE);
        // Painted now: the model draws its next XOR step on top of this paint.
        UpdateWindow(app.view);
    }
    void setCursor(std::int32_t cursorId) override {
        setCursorById(cursorId);
    }
    void refreshTitle() override { ::refreshTitle(); }
    void closeInputMethod() override {
        ::closeInputMethod(GetFocus());
    }
    void showDisplay(DisplaySource source) override {
        Document& doc = app.document;
        doc.displayPixels = source == DisplaySource::Rectified && doc.rectifiedPixels ? doc.rectifiedPixels
                                                                                      : doc.shadedPixels;
    }
    void trimModeStarted() override {
        closeListWindow(true);
        installTrimKeyHook();
        InvalidateShading(app.shade);
    }
    void trimModeEnded() override {
        removeTrimKeyHook();
        // The shading disappears: the shaded buffer is a plain copy of the image again.
        ClearShading(app.shade, ShadeImageOf(app.document));
        app.document.displayPixels = app.document.shadedPixels;
    }
    void postPreview(bool notifyWhenDone) override { postPreviewRequest(notifyWhenDone); }
    void setPreviewPriority(bool normal) override { setWorkerPriority(normal); }
    void waitForPreview() override { waitForPreviewWorker(); }
    std::uint8_t* makeRectifiedCopy() override {
        releaseRectifiedCopy();
        Document& doc = app.document;
        const std::uint32_t bytes = imageBytes(static_cast<std::uint32_t>(doc.header.biWidth),
                                               static_cast<std::uint32_t>(doc.header.biHeight), 24);
        if (!bytes || !doc.sourcePixels) return nullptr;
        doc.rectifiedPixels = allocPixels(bytes);
        if (doc.rectifiedPixels) std::memcpy(doc.rectifiedPixels, doc.sourcePixels, bytes);
        return doc.rectifiedPixels;
    }
    void releaseRectifiedCopy() override {
        waitForPreviewWorker();
        Document& doc = app.document;
        if (doc.displayPixels && doc.displayPixels == doc.rectifiedPixels) doc.displayPixels = doc.shadedPixels;
        if (app.shade.base == doc.rectifiedPixels) InvalidateShading(app.shade);
        freePixels(doc.rectifiedPixels);
        doc.rectifiedPixels = nullptr;
    }
};

WindowTrimView trimView;

}  // namespace

TrimView& windowTrimView() { return trimView; }
