// The trim session: the trim rectangle, its state machine (trim mode), the number-box protocol that
// holds it at the output's aspect ratio, and the perspective quadrilateral that shares the mouse
// plumbing. The ratio arithmetic itself is in TrimRules.h, the hit test in HitTest.h.
//
// The model drives its window through TrimView. The number boxes are the one path for changes to
// the rectangle: drags write the boxes, and a box's change notification (BoxChanged) applies the
// value. So a TrimView must make writeBox feed back into BoxChanged(id, kEditUpdate, value) exactly as
// the real control's EN_UPDATE would, synchronously; `editsLive` decides whether it is applied.
//
// Everything here runs on the user-interface thread. The only thing another thread touches is the
// preview channel (see PreviewChannel.h): the worker renders from the snapshot it is given into the
// rectified copy, and the session reads that copy only while the channel is idle.
#pragma once

#include <cstdint>

#include "trim/HitTest.h"
#include "trim/Identifiers.h"
#include "trim/Perspective.h"
#include "trim/PreviewChannel.h"
#include "trim/RectifiedCopy.h"
#include "trim/TrimMode.h"
#include "trim/TrimOptions.h"
#include "trim/TrimRules.h"
#include "trim/ViewGeometry.h"
#include "util/WideString.h"

// The image being trimmed: the document's 24-bit pixels, bottom-up rows padded to 4 bytes.
struct TrimImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::uint8_t* pixels = nullptr;
};

// Edit control notifications (the values of EN_SETFOCUS, EN_KILLFOCUS, EN_UPDATE).
constexpr std::int32_t kEditSetFocus = 0x0100;
constexpr std::int32_t kEditKillFocus = 0x0200;
constexpr std::int32_t kEditUpdate = 0x0400;

// Groups of controls the model switches together.
enum class ControlGroup {
    FileButtons,    // main toolbar buttons kMainMenu, kOpen, kFileList (greyed: TBSTATE_INDETERMINATE)
    Panels,         // main toolbar, zoom box and its up-down, output-format panel (kFormatCombo,
                    // kOutputOptions), output-size panel (kWidthBox ... kHeightSpin, kPresetMenu),
                    // both view scroll bars
    CancelButton,   // kTrimCancel
    ExecuteButton,  // kTrimExecute
    TrimBoxes,      // number boxes kBoxLeft ... kBoxBottom, their up-downs and labels
    Perspective,    // buttons kPerspectiveReset ... kCornerDown, label kPerspectiveLabel
};

// Which buffer the view paints.
enum class DisplaySource { Shaded, Rectified };

class TrimView {
public:
    virtual ~TrimView() = default;

    // SetDlgItemInt (signed). Must call BoxChanged(editor, id, kEditUpdate, value) before returning,
    // as the control's EN_UPDATE does (for the trim boxes and the output-size boxes).
    virtual void writeBox(std::int32_t id, std::int32_t value) = 0;
    // UDM_SETRANGE32 / UDM_SETPOS32. A position shown in the buddy box notifies like writeBox.
    virtual void setSpinRange(std::int32_t id, std::int32_t low, std::int32_t high) = 0;
    virtual void setSpinPos(std::int32_t id, std::int32_t pos) = 0;
    virtual void enableGroup(ControlGroup group, bool enable) = 0;
    // Draws the outline (left, top) -> (right, top) -> (right, bottom) -> (left, bottom) in XOR on
    // the view; drawing the same rectangle again erases it.
    virtual void xorOutline(const TrimRect& screen) = 0;
    // Invalidates the view; with `reshade` the shaded buffer is rebuilt from the rectified copy (or
    // the source) first, which may be deferred until the paint. A paint during a handle drag draws
    // the XOR outline of screenRect (the model then takes it as shown).
    virtual void repaint(bool reshade) = 0;
    virtual void setCursor(std::int32_t cursorId) = 0;
    // The window title is rebuilt (TrimTitle while trim mode is active).
    virtual void refreshTitle() = 0;
    virtual void closeInputMethod() = 0;
    virtual void showDisplay(DisplaySource source) = 0;

    // Trim mode begins (close the file-list window, install the keyboard hook, create the outline
    // pen) and ends (undo those; the file-list window reopens).
    virtual void trimModeStarted() = 0;
    virtual void trimModeEnded() = 0;

    // Preview worker. wakePreview: the worker should take the channel's latest request; when it has
    // rendered one it tells the window, which calls PreviewRendered.
    virtual void wakePreview() = 0;
    virtual void setPreviewPriority(bool normal) = 0;
    // Returns once no preview render is running or pending (the worker drops what is queued), so
    // the channel is idle.
    virtual void waitForPreview() = 0;
    // The rectified copy was made, replaced or freed: nothing may keep pointing at the old one.
    virtual void rectifiedCopyChanged() = 0;
};

// Clears `editsLive` around the program's own box writes, so that their change notifications are
// ignored; the old state comes back when it goes out of scope.
class QuietEdits {
public:
    explicit QuietEdits(bool& editsLive) : live_(editsLive), saved_(editsLive) { live_ = false; }
    QuietEdits(const QuietEdits&) = delete;
    QuietEdits& operator=(const QuietEdits&) = delete;
    ~QuietEdits() { live_ = saved_; }

private:
    bool& live_;
    bool saved_;
};

struct TrimEditor {
    TrimView* view = nullptr;
    ViewGeometry* geometry = nullptr;
    TrimOptions* options = nullptr;  // the settings record

    // Trim state.
    TrimMode trimMode = TrimMode::Idle;
    TrimRect trimRect;              // image pixels, inclusive; while banding only left, top (the anchor)
    TrimRect screenRect;            // the same in view pixels; while banding left, top = the click
    TrimPoint cornerPoint{-1, -1};  // banding: the band's screen corner; settled: reference centre
    TrimPoint moveOrigin;
    HandleKind handleKind = HandleKind::None;
    std::int32_t cursorId = -1;  // last cursor set; -1 none since the mouse left the view
    bool suspendAccelerators = false;
    bool keysArmed = false;
    bool editsLive = true;

    // Editor.
    std::int32_t sourceWidth = 0;
    std::int32_t sourceHeight = 0;
    const std::uint8_t* sourcePixels = nullptr;
    RectifiedCopy rectified;  // exists while the trim is settled, unless memory ran out
    bool wideOutput = true;   // output width >= output height
    std::int32_t selWidth = 0;
    std::int32_t selHeight = 0;
    std::int32_t moveExtentX = 0;
    std::int32_t moveExtentY = 0;
    std::uint8_t shadeTable[256] = {};
    TrimPoint quad[4];           // top-left, top-right, bottom-left, bottom-right (image pixels)
    TrimPoint cornerHandles[4];  // the same corners in view pixels
    PreviewChannel preview;
    bool previewFinishWanted = false;  // the next render that leaves the channel idle ends the preview
    std::int32_t selectedCorner = 0;   // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left

    // The ratio of the output size, as the rules take it.
    OutputRatio ratio() const;
};

// Text fields of the window other than the trim boxes (the zoom box, the format list, the output
// size boxes) suspend the accelerators while they have the focus.
void FieldFocusChanged(TrimEditor& editor, bool focused);

// Trim mode starts: state, controls, shade table. The caller has erased its crosshair.
void BeginTrim(TrimEditor& editor, const TrimImage& image);
// First left click on an image while idle: BeginTrim and the anchor at view point (x, y). The view
// then captures the mouse.
void StartTrimAt(TrimEditor& editor, const TrimImage& image, std::int32_t x, std::int32_t y);
// Ends the initial drag: the rectangle from the anchor to the rubber band's corner.
void SettleRect(TrimEditor& editor);

// Mouse events while trim mode is active (view pixels).
void HoverTrim(TrimEditor& editor, std::int32_t x, std::int32_t y);
// True when the view should capture the mouse (false when the press settled the rectangle).
bool PressTrim(TrimEditor& editor, std::int32_t x, std::int32_t y);
// True when the move belonged to a handle or corner drag.
bool DragTrim(TrimEditor& editor, std::int32_t x, std::int32_t y);
void ReleaseTrim(TrimEditor& editor);
// WM_MOUSELEAVE: no cursor is recorded any more.
void MouseLeftView(TrimEditor& editor);

// WM_COMMAND from the trim boxes and the output-size boxes; `value` is GetDlgItemInt's (signed)
// reading, used for kEditUpdate.
void BoxChanged(TrimEditor& editor, std::int32_t id, std::int32_t notification, std::int32_t value);
void EditChanged(TrimEditor& editor, std::int32_t id, std::int32_t notification, std::int32_t value);
void OutputBoxChanged(TrimEditor& editor, std::int32_t id, std::int32_t notification, std::int32_t value);
void SetCoordinate(TrimEditor& editor, std::int32_t id, std::int32_t value);
void SetWidthKeepingRatio(TrimEditor& editor, std::int32_t id, std::int32_t value);
void SetHeightKeepingRatio(TrimEditor& editor, std::int32_t id, std::int32_t value);
// The output size changed: the rectangle takes the new ratio around its centre.
void OutputSizeChanged(TrimEditor& editor);
// Command kPreset1 + index; false for an empty preset.
bool ApplyPreset(TrimEditor& editor, std::int32_t index);
// Command kTrimCentre: the largest centred rectangle, starting trim mode when idle. False when trim
// mode is busy in another state (nothing happens). The caller returns focus to the main window.
bool FitLargest(TrimEditor& editor, const TrimImage& image);

// (width - 1, height - 1) for sum = (width - 1) + (height - 1) at the output's ratio.
TrimPoint SplitByRatio(const TrimEditor& editor, std::int64_t sum);
// After the view geometry changed: screenRect and the corner handles follow.
void UpdateScreenGeometry(TrimEditor& editor);
void UpdateCornerHandles(TrimEditor& editor);

// Title text while trim mode is active: text20018, two spaces, text20030, selWidth, a space,
// text20031, selHeight (each text cut to 127 characters).
WideString TrimTitle(const TrimEditor& editor, const char16_t* text20018, const char16_t* text20030,
                     const char16_t* text20031);

// The keyboard hook's decision for a key: the command to run (kTrimExecute, kTrimCancel) or 0, and
// whether the key is swallowed (only when a command runs).
std::int32_t TrimKeyCommand(const TrimEditor& editor, std::uint32_t virtualKey, bool keyDown,
                            bool mainWindowEnabled, bool& swallow);

// The steps the output job has to run for the settled rectangle.
struct OutputSteps {
    bool perspective = false;  // a rectified copy exists and the quad is not the identity
    bool crop = false;         // the rectangle is not the whole image
    bool resize = false;       // the cropped size differs from trimWidth x trimHeight
    bool sharpen = false;      // sharpen on and the output larger than 4 x 4
    bool any() const { return perspective || crop || resize || sharpen; }
};
// The plan for a rectangle over a width x height image; `quad` only when there is a rectified copy
// to render it into.
OutputSteps PlanOutput(const TrimRect& rect, const TrimPoint* quad, std::int32_t width, std::int32_t height,
                       const TrimOptions& options);
OutputSteps PlanOutput(const TrimEditor& editor);

// What the output job cuts out: the rectangle and, for the perspective step, the quad and the
// rectified copy it renders into (borrowed from its owner, which frees it after the job).
struct TrimSelection {
    TrimRect rect;
    const TrimPoint* quad = nullptr;
    std::uint8_t* rectified = nullptr;
};

// Command kTrimExecute / Enter: only while adjusting. Lowers the preview worker and returns the
// plan; the output job then builds the image from TakeSelection and calls EndTrim.
bool Execute(TrimEditor& editor, OutputSteps& steps);
// The session's selection for the output job. Waits for the preview worker first, so the rectified
// copy is the job's to write until EndTrim.
TrimSelection TakeSelection(TrimEditor& editor);
// Command kTrimCancel / Escape and the other cancel events: ends trim mode. False when idle.
bool Cancel(TrimEditor& editor);
// The end of every trim (after the output job or on cancel): waits for the worker, frees the
// rectified copy, restores the controls, idle.
void EndTrim(TrimEditor& editor);

// Perspective commands kPerspectiveReset ... kCornerDown; false when they do not apply (not
// adjusting, no rectified copy).
bool PerspectiveCommand(TrimEditor& editor, std::int32_t command);
// The window's notice that the worker rendered a preview (on the UI thread). Once the channel is
// idle the corner handles follow the quad and the view shows the new pixels; after a release or a
// nudge the display goes back to the shaded buffer, reshaded.
void PreviewRendered(TrimEditor& editor);
// The quad index of the corner the nudge commands move.
int SelectedQuadCorner(const TrimEditor& editor);
// The view may read the rectified copy now (no copy, or no render running or pending).
bool RectifiedReadable(const TrimEditor& editor);

// 256 entries: the mode's value for modes 0, 128, 255, else i >> mode.
void BuildShadeTable(std::uint8_t table[256], std::int32_t outsideShade);
