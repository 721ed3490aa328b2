// The trim rectangle, its state machine (trim mode) and the rule that holds it at the output's aspect
// ratio, plus the perspective quadrilateral that shares the mouse plumbing.
//
// The model drives its window through TrimView. The number boxes are the one path for changes to
// the rectangle: drags write the boxes, and a box's change notification (BoxChanged) applies the
// value. So a TrimView must make writeBox feed back into BoxChanged(id, kEditUpdate, value) exactly as
// the real control's EN_UPDATE would, synchronously; `editsLive` decides whether it is applied.
#pragma once

#include <atomic>
#include <cstdint>

#include "trim/Perspective.h"
#include "trim/ViewGeometry.h"
#include "util/WideString.h"

// The settings the trim model reads and writes, named as in the settings record.
struct TrimOptions {
    std::int32_t trimWidth = 400;   // output size, 1 ... 9999
    std::int32_t trimHeight = 300;
    std::int32_t presetWidth[8] = {800, 400, 200, 0, 0, 0, 0, 0};
    std::int32_t presetHeight[8] = {450, 300, 200, 0, 0, 0, 0, 0};
    std::int32_t outsideShade = 1;  // 0, 128, 255: that value; 1, 2, 3: brightness >> mode
    bool sharpen = false;
};

// The image being trimmed: the document's 24-bit pixels, bottom-up rows padded to 4 bytes.
struct TrimImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    const std::uint8_t* pixels = nullptr;
};

// Control identifiers.
constexpr std::int32_t kBoxLeft = 1110;
constexpr std::int32_t kBoxTop = 1111;
constexpr std::int32_t kBoxRight = 1112;
constexpr std::int32_t kBoxBottom = 1113;
constexpr std::int32_t kSpinLeft = 1120;  // the up-down of box 1110 + i is 1120 + i
constexpr std::int32_t kSpinTop = 1121;
constexpr std::int32_t kSpinRight = 1122;
constexpr std::int32_t kSpinBottom = 1123;
constexpr std::int32_t kBoxOutputWidth = 1143;
constexpr std::int32_t kBoxOutputHeight = 1144;

// Commands.
constexpr std::int32_t kCommandPresetFirst = 5600;  // 5600 ... 5607
constexpr std::int32_t kCommandExecute = 5700;
constexpr std::int32_t kCommandCancel = 5701;
constexpr std::int32_t kCommandFitLargest = 5702;
constexpr std::int32_t kCommandPerspectiveReset = 5800;
constexpr std::int32_t kCommandCornerLeft = 5801;   // x - 1 of the selected corner
constexpr std::int32_t kCommandCornerRight = 5802;  // x + 1
constexpr std::int32_t kCommandCornerUp = 5803;     // y - 1
constexpr std::int32_t kCommandCornerDown = 5804;   // y + 1

// Edit control notifications (the values of EN_SETFOCUS, EN_KILLFOCUS, EN_UPDATE).
constexpr std::int32_t kEditSetFocus = 0x0100;
constexpr std::int32_t kEditKillFocus = 0x0200;
constexpr std::int32_t kEditUpdate = 0x0400;

// Cursor resources; 0 is the system arrow.
constexpr std::int32_t kCursorArrow = 0;
constexpr std::int32_t kCursorLeftRight = 130;
constexpr std::int32_t kCursorUpDown = 131;
constexpr std::int32_t kCursorDiagonalMain = 132;  // top-left / bottom-right
constexpr std::int32_t kCursorDiagonalAnti = 133;  // top-right / bottom-left
constexpr std::int32_t kCursorMove = 140;

// What the mouse is over or dragging.
enum HandleKind : std::int32_t {
    kHandleNone = 0,
    kHandleLeft = 1,
    kHandleTop = 2,
    kHandleRight = 3,
    kHandleBottom = 4,
    kHandleTopLeft = 5,
    kHandleTopRight = 6,
    kHandleBottomRight = 7,
    kHandleBottomLeft = 8,
    kHandleMove = 9,
    kHandleCornerTopLeft = 10,  // perspective corners
    kHandleCornerTopRight = 11,
    kHandleCornerBottomRight = 12,
    kHandleCornerBottomLeft = 13,
};

// Groups of controls the model switches together.
enum class ControlGroup {
    FileButtons,    // main toolbar buttons 5020, 5000, 5010 (greyed: TBSTATE_INDETERMINATE)
    Panels,         // main toolbar, zoom box and its up-down, output-format panel (1050, 5300),
                    // output-size panel (1143, 1144, 1145, 1146, 5350), both view scroll bars
    CancelButton,   // 5701
    ExecuteButton,  // 5700
    TrimBoxes,      // number boxes 1110-1113, up-downs 1120-1123, items 1130-1133
    Perspective,    // buttons 5800-5804, item 1051
};

// Which buffer the view paints.
enum class DisplaySource { Shaded, Rectified };

class TrimView {
public:
    virtual ~TrimView() = default;

    // SetDlgItemInt (signed). Must call BoxChanged(editor, id, kEditUpdate, value) before returning,
    // as the control's EN_UPDATE does (for ids 1110-1113 and 1143-1144).
    virtual void writeBox(std::int32_t id, std::int32_t value) = 0;
    // UDM_SETRANGE32 / UDM_SETPOS32. A position shown in the buddy box notifies like writeBox.
    virtual void setSpinRange(std::int32_t id, std::int32_t low, std::int32_t high) = 0;
    virtual void setSpinPos(std::int32_t id, std::int32_t pos) = 0;
    virtual void enableGroup(ControlGroup group, bool enable) = 0;
    // Draws the outline (left, top) -> (right, top) -> (right, bottom) -> (left, bottom) in XOR on
    // the view; drawing the same rectangle again erases it.
    virtual void xorOutline(const TrimRect& screen) = 0;
    // Invalidates the view; with `reshade` the shaded buffer is rebuilt from the rectified copy (or
    // the source) first, which may be deferred until the paint. A paint in mode 4 draws the XOR
    // outline of screenRect (the model then takes it as shown).
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

    // Preview worker. postPreview: WM_APP to the worker window, wParam 1 when it should tell the
    // main window when done (the main window then calls PreviewFinished).
    virtual void postPreview(bool notifyWhenDone) = 0;
    virtual void setPreviewPriority(bool normal) = 0;
    // Returns once no preview render is running or pending; the renderer then leaves the rectified
    // copy alone until the next postPreview.
    virtual void waitForPreview() = 0;
    // A fresh copy of the source pixels (same size and stride), replacing any previous one, or null
    // when it cannot be allocated. Must wait for the worker before freeing the old one.
    virtual std::uint8_t* makeRectifiedCopy() = 0;
    // Frees the rectified copy (unless the output job took it over).
    virtual void releaseRectifiedCopy() = 0;
};

struct TrimEditor {
    TrimView* view = nullptr;
    ViewGeometry* geometry = nullptr;
    TrimOptions* options = nullptr;

    // Trim state.
    std::int32_t trimMode = 0;  // 0 idle, 1 anchored, 2 sizing, 3 adjusting, 4 handle drag, 5 corner drag
    TrimRect trimRect;          // image pixels, inclusive; modes 1-2: only left, top (the anchor)
    TrimRect screenRect;        // the same in view pixels; modes 1-2: left, top = the click
    TrimPoint cornerPoint{-1, -1};  // modes 1-2: rubber band's screen corner; 3-4: reference centre
    TrimPoint moveOrigin;
    std::int32_t handleKind = kHandleNone;
    std::int32_t cursorId = -1;  // last cursor set; -1 none since the mouse left the view
    bool suspendAccelerators = false;
    bool keysArmed = false;
    bool editsLive = true;

    // Editor.
    std::int32_t sourceWidth = 0;
    std::int32_t sourceHeight = 0;
    const std::uint8_t* sourcePixels = nullptr;
    std::uint8_t* rectifiedPixels = nullptr;
    bool wideOutput = true;  // output width >= output height
    std::int32_t selWidth = 0;
    std::int32_t selHeight = 0;
    std::int32_t moveExtentX = 0;
    std::int32_t moveExtentY = 0;
    std::uint8_t shadeTable[256] = {};
    TrimPoint quad[4];           // top-left, top-right, bottom-left, bottom-right (image pixels)
    TrimPoint cornerHandles[4];  // the same corners in view pixels
    std::atomic<std::uint8_t> previewBusy{0};
    std::int32_t selectedCorner = 0;  // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
};

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
// True when the move belonged to a handle or corner drag (modes 4 and 5).
bool DragTrim(TrimEditor& editor, std::int32_t x, std::int32_t y);
void ReleaseTrim(TrimEditor& editor);
// WM_MOUSELEAVE: no cursor is recorded any more.
void MouseLeftView(TrimEditor& editor);

// WM_COMMAND from the number boxes 1110-1113 and the output-size boxes 1143-1144; `value` is
// GetDlgItemInt's (signed) reading, used for kEditUpdate.
void BoxChanged(TrimEditor& editor, std::int32_t id, std::int32_t notification, std::int32_t value);
void EditChanged(TrimEditor& editor, std::int32_t id, std::int32_t notification, std::int32_t value);
void OutputBoxChanged(TrimEditor& editor, std::int32_t id, std::int32_t notification, std::int32_t value);
void SetCoordinate(TrimEditor& editor, std::int32_t id, std::int32_t value);
void SetWidthKeepingRatio(TrimEditor& editor, std::int32_t id, std::int32_t value);
void SetHeightKeepingRatio(TrimEditor& editor, std::int32_t id, std::int32_t value);
// The output size changed: the rectangle takes the new ratio around its centre.
void OutputSizeChanged(TrimEditor& editor);
// Command 5600 + index; false for an empty preset.
bool ApplyPreset(TrimEditor& editor, std::int32_t index);
// Command 5702: the largest centred rectangle, starting trim mode when idle. False when trim mode
// is busy in another state (nothing happens). The caller returns focus to the main window.
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

// The keyboard hook's decision for a key: the command to run (5700, 5701) or 0, and whether the
// key is swallowed (only when a command runs).
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
OutputSteps PlanOutput(const TrimEditor& editor);
// Command 5700 / Enter: only in mode 3. Lowers the preview worker and returns the plan; the output
// job then builds the image (RenderPerspectiveForOutput for the perspective step) and calls EndTrim.
bool Execute(TrimEditor& editor, OutputSteps& steps);
// Command 5701 / Escape and the other cancel events: ends trim mode. False when idle.
bool Cancel(TrimEditor& editor);
// The end of every trim (after the output job or on cancel): waits for the worker, frees the
// rectified copy, restores the controls, mode 0.
void EndTrim(TrimEditor& editor);

// Perspective commands 5800-5804; false when they do not apply (not mode 3, no rectified copy).
bool PerspectiveCommand(TrimEditor& editor, std::int32_t command);
// The preview worker's render (on the worker thread): previewBusy while it renders the rectified
// copy from the source, then the handles are recomputed.
void RunPreviewRender(TrimEditor& editor);
// The main window's notice that a preview finished: back to the shaded display, reshaded.
void PreviewFinished(TrimEditor& editor);
// The final bilinear warp into the rectified copy for the output job, after any preview render has
// finished. `region` limits it to the pixels the crop keeps. False without a rectified copy.
bool RenderPerspectiveForOutput(TrimEditor& editor, const TrimRect* region);

// 256 entries: the mode's value for modes 0, 128, 255, else i >> mode.
void BuildShadeTable(std::uint8_t table[256], std::int32_t outsideShade);
