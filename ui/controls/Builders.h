// Builders of the controls placed in the tool bands, and the procedures of the bands' panels and
// drag labels.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <vector>

constexpr wchar_t kZoomLabelClass[] = L"Vantletxzoom_class";
constexpr wchar_t kSizeLabelClass[] = L"Vantletxexc_class";
constexpr int kOutputFormatTextFirst = 20011;  // 20011 ... 20016, one per output format

// A drag label of one of the two label classes at (x, 2), bound to `state` (below); returns its
// width.
int createBandWindow(const wchar_t* className, HWND parent, int id, int x, void* state);
// The state records of the drag labels (DragLabels.cpp): the zoom label's, and the width or height
// label's by its identifier.
void* zoomLabelState();
void* sizeLabelState(int id);
// A static label at (x, 2) showing `text`, or string `id` when text is null; returns its width.
int createLabel(HWND parent, int id, int x, const wchar_t* text, DWORD style);
// A number field with its spin buttons at (x, 2); a width of 9 or less counts digits. Returns the
// width taken.
int createSpinField(HWND parent, int editId, int spinId, int x, int width, int maxChars, int min, int max, int pos,
                    DWORD style);
HWND createComboBox(HWND parent, int x, int width);
// The widths the builders give: a drag label's and a static label's for their text `id`, a number
// field's (with its up-down) for `digits` digits.
int bandLabelWidth(int id);
int labelWidth(int id);
int fieldWidth(int digits);
// The up-down of a number field, or 0.
int spinOfField(int editId);
int formatComboWidth();
HWND createTooltip(HWND owner);
// Moves the controls one after the other from x (spin fields keep their buttons attached).
void relayoutRow(HWND parent, const std::vector<int>& controls, int x);
void relayoutRow(HWND parent, std::initializer_list<int> controls, int x);
// The subclass of every band's toolbar: transparent labels, coloured numbers, no right clicks.
LRESULT CALLBACK panelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
