// The file list window's list box, for the modules that change the list or the document.
#pragma once

// The list box shows app.fileList: its count, its extent and the document's entry (nothing when
// the window is closed).
void fillListWindow();
// No entry is shown selected (after a paste).
void clearListBoxSelection();
