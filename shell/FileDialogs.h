// What the open and Save As dialogs are given: their filters (pairs of text and pattern, each ended
// by a 0, the list by a second 0), the Save As filter index and default extension for an output
// format, and whether a saved file landed in the folder the file list shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shell/TextProvider.h"
#include "document/OutputFormat.h"
#include "util/WideString.h"

// The open dialog: all images (built-in patterns, then the plug-ins'), each built-in format, the
// plug-in images when there are any, all files. The plug-in patterns are joined with ";"; a single
// pattern of 259 characters or more is left out.
std::u16string openDialogFilter(TextProvider text, const std::vector<WideString>& pluginPatterns);
// The Save As dialog: one entry per written format, in output-format order.
std::u16string saveDialogFilter(TextProvider text);

// The filter entry (1-based) that starts selected for an output format; the clipboard starts on BMP.
std::uint32_t saveFilterIndex(OutputFormat outputFormat);
// The output format of a filter entry the user chose; false when it is none of them.
bool formatOfSaveFilter(std::uint32_t filterIndex, OutputFormat& format);
// The extension, without dot, the dialog appends to a name typed without one.
const char16_t* saveDefaultExtension(OutputFormat outputFormat);

// The file name of `path` without folder and without extension (what Save As starts with).
WideString saveBaseName(const WideString& path);

// True when `path` names a file directly inside `folder` (the folder compared whole, ASCII letters
// without case).
bool isFileInFolder(const WideString& path, const WideString& folder);
