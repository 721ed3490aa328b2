// The image view's own state, bound to its window; shared by the view's message handling
// (ViewWindow.cpp) and its painting (PaintView.cpp) and by nothing else.
#pragma once

#include <windows.h>

#include "document/Shading.h"
#include "trim/Perspective.h"
#include "trim/ViewGeometry.h"

struct ViewState {
    HWND window = nullptr;
    ViewGeometry geometry;
    ViewMetrics metrics;
    ShadeState shade;
    TrimPoint crosshair{-1, -1};  // where the crosshair is drawn; -1, -1 when none is
    bool trackingMouse = false;    // TrackMouseEvent armed
    POINT pressPoint{};            // where the right button went down
    int panCursor = -1;            // the panning cursor last set
};

// The one view of the main window.
extern ViewState viewState;

void paintView(ViewState& state);
void moveCrosshair(ViewState& state, int x, int y);
