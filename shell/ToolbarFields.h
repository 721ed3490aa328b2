// The toolbar's small interactive fields as arithmetic: which items are enabled for the document's
// state, the zoom field's typed input, the zoom and size drag labels, and the colour of a number
// field's text. The window turns the results into control calls.
#pragma once

#include <cstdint>

#include "trim/TrimEditor.h"
#include "trim/ViewGeometry.h"

constexpr std::int32_t kZoomPercentMin = 1;
constexpr std::int32_t kZoomPercentMax = 1600;
constexpr std::int32_t kOutputSizeMin = 1;
constexpr std::int32_t kOutputSizeMax = 9999;
constexpr std::int32_t kZoomDragRange = 500;  // pixels from 1 % to 1600 %

// Drag label colours (COLORREF).
constexpr std::uint32_t kLabelHoverFill = 0xFFFFE8;
constexpr std::uint32_t kLabelHoverFrame = 0x909048;
constexpr std::uint32_t kLabelFill = 0xF0F0F0;

// ---- enabling ----
struct ToolbarInputs {
    bool fileListExists = false;      // a folder file list exists
    bool imageShown = false;          // the document has an image
    bool displayImageExists = false;  // the document has display pixels
};
enum class ToolbarItemKind { Button, Control };  // TB_SETSTATE, or EnableWindow
struct ToolbarItemState {
    std::int32_t id;
    ToolbarItemKind kind;
    bool enabled;
};
constexpr std::size_t kToolbarItemCount = 8;
// kFileList; kZoomFit, kZoomActual and the zoom label, box, up-down and unit; kTrimCentre.
void ToolbarStates(const ToolbarInputs& inputs, ToolbarItemState out[kToolbarItemCount]);
// TB_SETSTATE value: TBSTATE_ENABLED (4), or TBSTATE_INDETERMINATE (16) for a disabled button.
std::uint8_t ToolbarButtonState(bool enabled);

// ---- zoom field (kZoomBox) ----
// EN_UPDATE with the field's signed value: clamped into 1 ... 1600 %; when it differs from the
// shown zoom and `editsLive` is set, the zoom becomes value / 100, the scaled size and the scroll
// bars follow (`bars`), and so does the trim display when `trim` is in trim mode. True when the zoom
// changed (the view is then repainted).
bool ZoomFieldChanged(ViewGeometry& view, std::int32_t value, bool editsLive, const ViewMetrics& metrics,
                      ScrollBars& bars, TrimEditor* trim);

// ---- drag labels ----
struct ZoomDrag {
    std::int32_t startX = 0;    // screen x of the press
    std::int32_t startPos = 0;  // round(sqrt((zoom - 0.01) / 15.99) x 500)
};
ZoomDrag BeginZoomDrag(double zoom, std::int32_t screenX);
// The zoom at drag position p: (p / 500)^2 x 15.99 + 0.01, p clamped to 0 ... 500.
double ZoomAtDragPosition(std::int32_t p);
// A mouse move during the drag: as ZoomFieldChanged, true when the zoom changed (the field then
// shows ZoomPercent of the new zoom).
bool ZoomDragMove(const ZoomDrag& drag, std::int32_t screenX, ViewGeometry& view, const ViewMetrics& metrics,
                  ScrollBars& bars, TrimEditor* trim);
// Size labels kWidthLabel and kHeightLabel: start value + (x - start x), clamped to 1 ... 9999.
std::int32_t SizeDragValue(std::int32_t startValue, std::int32_t startX, std::int32_t screenX);

// ---- number colours (WM_CTLCOLOREDIT) ----
// Text colour of a number against its limits: 0x5000D0 outside them, 0xFF6000 on one of them,
// `normal` inside.
std::uint32_t FieldTextColour(std::int32_t value, std::int32_t low, std::int32_t high, std::uint32_t normal);
