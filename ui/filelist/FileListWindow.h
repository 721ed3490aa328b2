// The file list of the document's folder, its tool window beside the main window, and the folder
// change notification polled on activation.
#pragma once

bool registerListClass();
// RefreshList for the document, then the list box.
void refreshFileList();
// The extensions the list shows are read again at the next refresh (the plug-ins changed).
void forgetFileListPatterns();
void showListWindow();  // command kFileList
bool listWindowOpen();
// Closed for trim mode or a dialog; with `reopenLater` it comes back at reopenListWindow.
void closeListWindow(bool reopenLater);
void reopenListWindow();
void enableListWindow(bool enable);
// No entry is shown selected (after a paste).
void clearListBoxSelection();
// WM_ACTIVATEAPP with activation: the folder is read again when it changed meanwhile.
void checkFolderChange();
void closeChangeNotification();
