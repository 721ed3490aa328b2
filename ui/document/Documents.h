// Opening, saving and exchanging the document: the open and Save As dialogs, dropped files and the
// command line, the clipboard, and the end of a trim (the output job and its delivery, or a cancel).
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>

#include "util/WideString.h"

// Loads `path` (or reloads the document's path when null) and brings the window up to date: the view
// re-fitted, the zoom box, `currentFolder`, title and toolbar; the file list is re-read when
// `refreshList` is set. Returns whether an image is shown.
bool openDocument(const WideString* path, bool refreshList);
// The view, title and toolbars after the document changed without a load (paste, trim result).
void documentChanged();
// Execute: builds the output image, installs it and delivers it (clipboard, automatic name or Save As).
void finishTrim();
void cancelTrim();
void saveAsCurrent();  // command kSaveAs
void pasteImage();     // command kPaste
void copyImageToClipboard();
// WM_DROPFILES and the command line: open the first file (shortcuts resolved).
void openDroppedFiles(HDROP drop);
void openFromCommandLine();
bool openWithDialog();  // command kOpen
// The Save As dialog for the current document starting in `folder`; true when a file was written.
bool saveAsDialog(const WideString& folder);
// A shell shortcut (.lnk) resolved to its target; other paths come back unchanged.
WideString resolveShortcut(const WideString& path);
void showOutputFailure(std::uint32_t messageId, const WideString& libraryMessage);
