// The rebar with its five tool bands (toolbars, number fields, drag labels, the format list), their
// tooltips and drawing, and the placing of dialogs under a toolbar button.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Measures the user-interface font into app.metrics.
void computeMetrics(HWND window);
bool createBands(HWND parent);
void destroyBands();  // image lists and subclasses
// After a font or language change: every band's controls measured, placed and labelled again.
void relayoutBands();
HWND rebarWindow();
HWND tooltipWindow();
// A toolbar by its control identifier (kMainToolbar ... kPerspectiveToolbar), or null.
HWND toolbarById(int id);
// A control of one of the toolbars (they are the parents of the embedded fields), or null.
HWND controlById(int id);
// SetDlgItemInt on a toolbar field with its change notification kept quiet.
void writeField(int id, int value);

LRESULT customDrawToolbar(NMCUSTOMDRAW* draw);
bool drawComboItem(const DRAWITEMSTRUCT* item);
void highlightFill(HDC dc, const RECT& rect, int corner, COLORREF fill, COLORREF frame);
void checkMark(HDC dc, const RECT& rect);
void addToolbarTooltips();
void refreshToolbarTooltips();
// Places a dialog under a toolbar button (call from WM_INITDIALOG).
void placeDialogUnderButton(HWND dialog, HWND toolbar, int command);
bool registerLabelClasses();
