// The image view's geometry: zoom, which part of the image is shown and where it sits in the view's
// client area, the scroll bar decisions, and the mapping between view pixels and image pixels.
// Portable arithmetic only: the window feeds in its client size and the system metrics and turns
// the results into scroll bar calls and paints.
#pragma once

#include <cstdint>

// What the mouse is doing in the view.
enum class MouseMode : std::int32_t {
    None = 0,
    LeftCaptured = 1,   // left button down, mouse captured (a trim starts or a press in trim mode)
    RightPressed = 2,   // right button down, not yet moved far enough to pan
    Panning = 3,        // right drag moving the image
    RightNoPan = 4,     // right drag with nothing to pan
    TrimDrag = 5,       // left drag of a trim handle or corner
};
// The left button holds the mouse (a press or a trim drag).
constexpr bool leftHeld(MouseMode m) { return m == MouseMode::LeftCaptured || m == MouseMode::TrimDrag; }

struct ViewGeometry {
    double zoom = 1.0;                  // 0.01 ... 16
    std::int32_t clientW = 0;           // inner size of the view window without scroll bars
    std::int32_t clientH = 0;
    std::int32_t viewportW = 0;         // size left for the image after the scroll bars shown
    std::int32_t viewportH = 0;
    std::int32_t scaledW = 1;           // max(1, round(image size * zoom))
    std::int32_t scaledH = 1;
    std::int32_t viewX = 0;             // client position of the shown part's top-left pixel
    std::int32_t viewY = 0;
    std::int32_t viewW = 0;             // client size of the shown part
    std::int32_t viewH = 0;
    std::int32_t srcX = 0;              // first image column and row shown (rows from the top)
    std::int32_t srcY = 0;
    std::int32_t srcW = 0;              // image columns and rows shown
    std::int32_t srcH = 0;
    std::int32_t centerX = 0;           // image point kept in the middle on recomputation
    std::int32_t centerY = 0;
    std::int32_t panShift = 0;          // 1 when the image is larger than the screen both ways
    MouseMode mouseMode = MouseMode::None;
    std::int32_t lastMouseX = 0;        // last mouse position while panning
    std::int32_t lastMouseY = 0;
    std::int32_t imageWidth = 0;        // the image the geometry was laid out for
    std::int32_t imageHeight = 0;
};

// What the window gets from GetSystemMetrics.
struct ViewMetrics {
    std::int32_t hScrollHeight = 17;    // SM_CXHSCROLL: height taken by the horizontal bar
    std::int32_t vScrollWidth = 17;     // SM_CXVSCROLL: width taken by the vertical bar
    std::int32_t screenWidth = 1920;    // SM_CXSCREEN
    std::int32_t screenHeight = 1080;   // SM_CYSCREEN
};

// One scroll bar as SetScrollInfo should get it. Shown: SIF_RANGE | SIF_PAGE | SIF_POS with range
// 0 ... rangeMax, page and pos. Hidden: SIF_RANGE with range 0 ... 0 (the other fields are 0).
struct ScrollBarSetting {
    bool shown = false;
    std::int32_t rangeMax = 0;
    std::int32_t page = 0;
    std::int32_t pos = 0;
};
struct ScrollBars {
    ScrollBarSetting horizontal;
    ScrollBarSetting vertical;
};

// Shown part for the current viewport, zoom and centre (both axes).
void MapView(ViewGeometry& view);
// Decides the scroll bars for clientW/H and scaledW/H, sets viewportW/H, maps the view and returns
// what each bar gets.
ScrollBars UpdateScrollBars(ViewGeometry& view, const ViewMetrics& metrics);
// Both bars as they are set after a scroll (range, page srcW/srcH, position srcX/srcY).
ScrollBars ScrollBarValues(const ViewGeometry& view);

// New client size, zoom kept.
ScrollBars Layout(ViewGeometry& view, std::int32_t clientW, std::int32_t clientH, const ViewMetrics& metrics);
// After a load or a trim: zoom 1, or the fitting zoom when the image does not fit; centred.
ScrollBars FitNew(ViewGeometry& view, std::int32_t width, std::int32_t height, const ViewMetrics& metrics);
// Zoom that fits the image into the client area, 0.01 ... 16; the scaled size follows.
void FitZoom(ViewGeometry& view);
// Sets the scaled size from the zoom.
void UpdateScaledSize(ViewGeometry& view);
// Runs a zoom command (kZoomFit, kZoomActual, kZoomToggle, kZoomIn, kZoomOut) and lays the view out again. False for any
// other command (nothing changes).
bool ZoomCommand(ViewGeometry& view, std::int32_t command, const ViewMetrics& metrics, ScrollBars& bars);
// Before a zoom command raised by the mouse: moves the centre so that the image point under the
// mouse stays there. False when the command does not anchor (the centre is unchanged).
bool AnchorZoom(ViewGeometry& view, std::int32_t command, std::int32_t mouseX, std::int32_t mouseY);

// Scrolls by image pixels, clamped to the image; the centre follows.
void ScrollBy(ViewGeometry& view, std::int32_t dx, std::int32_t dy);
// A WM_HSCROLL/WM_VSCROLL request (SB_* code, nTrackPos): scrolls and returns true, or false when
// the clamped target equals the current position or the code moves nothing.
bool ScrollRequest(ViewGeometry& view, bool vertical, std::int32_t code, std::int32_t trackPos);
// A right-button drag (RightPressed) once the mouse moved from the press to (x, y): still pending
// below a Manhattan distance of 9 pixels; then Panning when the image is larger than the viewport
// in either direction, else RightNoPan. Panning remembers (x, y).
MouseMode RightDragMode(ViewGeometry& view, std::int32_t pressX, std::int32_t pressY, std::int32_t x,
                           std::int32_t y);
// One panning step to (x, y): the image moves with the mouse (twice as fast with panShift) and
// (x, y) becomes the last position. Returns whether the shown part changed.
bool PanTo(ViewGeometry& view, std::int32_t x, std::int32_t y);
// The panning cursor's resource id for the directions that can still scroll; cursor::kArrow when
// neither can.
std::int32_t PanningCursor(const ViewGeometry& view);

// View pixel -> image pixel, clamped into the image. `bias` shifts the rounding: 0 for a left or top
// edge, viewW - srcW for a right edge, CentringBiasX for a point.
std::int32_t ImageX(const ViewGeometry& view, std::int32_t sx, std::int32_t bias);
std::int32_t ImageY(const ViewGeometry& view, std::int32_t sy, std::int32_t bias);
// The same without the clamp into the image.
std::int32_t ImageXUnclamped(const ViewGeometry& view, std::int32_t sx, std::int32_t bias);
std::int32_t ImageYUnclamped(const ViewGeometry& view, std::int32_t sy, std::int32_t bias);
// Image pixel -> view pixel of its left/top (edge 0) or right/bottom (edge 1) side.
std::int32_t ScreenX(const ViewGeometry& view, std::int32_t x, std::int32_t edge);
std::int32_t ScreenY(const ViewGeometry& view, std::int32_t y, std::int32_t edge);
// (viewW - srcW) / 2 and (viewH - srcH) / 2, truncated toward zero.
std::int32_t CentringBiasX(const ViewGeometry& view);
std::int32_t CentringBiasY(const ViewGeometry& view);

// round(numerator / denominator), halves away from zero; denominator > 0.
std::int64_t RoundDiv(std::int64_t numerator, std::int64_t denominator);
