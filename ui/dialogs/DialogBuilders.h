// What the dialogs share: running one from its template, the subclasses of their fields, lists and
// group titles, the colours of the group titles, and the folder browser.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>

#include "util/WideString.h"

// Loads template `id`, sets its type size from largeDialogFont and runs it as a modal dialog of the
// main window with `procedure` and `parameter`; the file list window is disabled meanwhile. Returns
// the dialog's result, or -1 when the template is missing or unusable (nothing is shown then).
INT_PTR runDialog(std::uint32_t id, DLGPROC procedure, void* parameter);

// Subclasses, removed with removeDialogSubclasses before the dialog ends.
// An empty edit field shows text `hintId` in grey.
void addCueText(HWND dialog, int editId, std::uint32_t hintId);
// A group title gets a line from its text to its right edge.
void addGroupLines(HWND dialog, std::initializer_list<int> titleIds);
// A list view repaints itself whole after a scroll.
void addListRepaint(HWND dialog, int listId);
void removeDialogSubclasses(HWND dialog, std::initializer_list<int> controlIds);

// WM_CTLCOLORSTATIC of a dialog: the group titles are drawn in their colour on the dialog's
// background; null for every other control (the default answers).
HBRUSH groupTitleColour(HWND dialog, HDC dc, HWND control, std::initializer_list<int> titleIds);
// Item and edit heights of a dialog combo box: 12 dialog units, less 4 pixels.
void setDialogComboHeight(HWND dialog, int comboId);

// The folder browser: title text 20019 followed by `current`, starting at `initial` when that is
// not empty. True with the chosen folder's path.
bool browseForFolder(HWND owner, const WideString& current, const WideString& initial, WideString& chosen);

// The text of a dialog field.
WideString dialogText(HWND dialog, int id);
void setDialogText(HWND dialog, int id, const WideString& text);
bool isChecked(HWND dialog, int id);
void setChecked(HWND dialog, int id, bool checked);
