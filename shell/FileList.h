// The list of the image files in the folder of the current document, in natural order, as the file
// list window shows it; the window holds no data of its own and draws straight from here.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "shell/WindowPlacement.h"
#include "util/WideString.h"

struct FileEntry {
    WideString name;  // without folder
};

struct FileList {
    std::vector<FileEntry> entries;
    WideString listFolder;           // the folder the list was read from; empty with no list
    std::int32_t listSelection = 0;  // the entry that is the current document
    bool exists() const { return !entries.empty(); }
    std::int32_t count() const { return static_cast<std::int32_t>(entries.size()); }
};

// No entry is selected (after a paste, or when the document has no path).
constexpr std::int32_t kNoListSelection = -1;

// The extensions searched, in order: ".jpg", ".png", ".gif", ".bmp", ".tif", ".jpe", ".tiff",
// ".jpeg", then the plug-ins' extensions (empty ones and repeats, ASCII letters without case, are
// left out).
std::vector<WideString> fileListPatterns(const WideString* pluginExtensions = nullptr, std::size_t count = 0);

// Whether the search "*" + extension finds the name: it ends in the extension (ASCII letters
// without case; "*" and "?" in a plug-in's extension match as wildcards) and has its "." exactly as
// many characters before its end as the extension is long, so ".jpe" or ".tif" never take names
// ending in ".jpeg" or ".tiff".
bool matchesListExtension(std::u16string_view name, std::u16string_view extension);

// The image files of `folder` as the list takes them: every file (not folder) found by a pattern,
// pattern by pattern, at most as many as the folder holds files, sorted by compareNatural; with
// `subfolders`, also its folders in the same order, leaving out links (so walking a tree never
// runs in a circle). False when the folder cannot be read.
bool ListFolderImages(const WideString& folder, const std::vector<WideString>& patterns, std::vector<WideString>& files,
                      std::vector<WideString>* subfolders = nullptr);

// Re-reads the folder of `documentPath` (or the folder read last when the path is empty): every
// file (not folder) found by a pattern, pattern by pattern, at most as many as the folder holds
// files; sorted by compareNatural; the entry named like the document (ASCII letters without case)
// becomes the selection, else entry 0 (kNoListSelection when the document has no path). True when
// a list exists. A folder that cannot be read or holds no image file gives no list, and an empty
// folder name is never read. The file list window, when open, is refilled after every refresh.
bool RefreshList(FileList& list, const WideString& documentPath, const std::vector<WideString>& patterns);

// After a paste: the list stays as it is, with no entry selected.
void ClearListSelection(FileList& list);

// The user picked entry `index` (LB_GETCURSEL): when it is a valid index it becomes the selection
// and `path` the file to open (folder, separator, name).
bool SelectListEntry(FileList& list, std::int32_t index, WideString& path);

// The entry `step` places after (or, negative, before) the selection; kNoListSelection when that
// lies outside the list. Without a selection, forward steps count from before the first entry and
// backward ones from after the last.
std::int32_t ListNeighbour(const FileList& list, std::int32_t step);

// Where the list window of width `listWidth` goes: its right edge on the main window's left edge,
// tops aligned; when that passes the left edge of the monitor's work area, at the rebar's left edge
// just below the rebar.
ScreenPoint PlaceListWindow(const ScreenRect& mainWindow, const ScreenRect& workArea, const ScreenRect& rebar,
                            std::int32_t listWidth);
// The text origin of an entry drawn in the item rectangle.
ScreenPoint ListItemTextOrigin(const ScreenRect& item, std::int32_t fontHeight);
