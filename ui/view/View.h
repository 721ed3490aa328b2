// The image view: a child of the main window that shows the document at its zoom, scrolls and
// pans it, routes the mouse to the trim session and to the configurable mouse commands, and keeps
// the shaded display and the crosshair. Its geometry is the trim session's view mapping.
#pragma once

#include <windows.h>

#include "document/Shading.h"
#include "trim/Perspective.h"
#include "trim/ViewGeometry.h"

bool registerViewClass();
HWND createView(HWND parent);
HWND viewWindow();
ViewGeometry& viewGeometry();
const ViewMetrics& viewMetrics();

// The view window's size changed.
void viewLayout();
// The system's metrics changed: they are read again and the view laid out with them.
void viewMetricsChanged();
// After a load or a trim: the document fitted (ViewGeometry's FitNew).
void fitView();
void applyScrollBars(const ScrollBars& bars);
void repaintView();
// Invalidated and painted at once (the trim session draws its next XOR step on top of this paint).
void paintViewNow();
// A zoom command (kZoomFit ... kZoomOut) with the scroll bars, the trim geometry and the zoom box.
void zoomView(int command);
// Runs the mouse-bound commands (zoom, others through runCommand) with the zoom anchored at (x, y).
void runMouseCommand(int command, int x, int y);
void viewWheel(WPARAM wParam, LPARAM lParam);
// A left or right drag holds the mouse; endViewDrag lets it go (a key cancelled the trim).
bool viewDragging();
void endViewDrag();

void eraseCrosshair();
void forgetCrosshair();
// The XOR outline drawn straight onto the view; drawing it again erases it.
void xorRectangle(const TrimRect& screen);
// The shaded buffer is rebuilt whole at the next paint.
void invalidateShading();
// The end of a trim: the shaded buffer becomes a plain copy of the image again.
void clearShading();
