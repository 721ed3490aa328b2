// The rows of the plug-in dialog and what its OK stores, without a window: the plug-in files of a
// folder with their check marks and descriptions, in natural order of their names.
#pragma once

#include <vector>

#include "plugins/PluginHost.h"
#include "plugins/PluginList.h"
#include "util/WideString.h"

struct PluginRow {
    WideString name;      // the plug-in's file name
    bool checked = true;  // used
    WideString patterns;  // its file patterns, ";"-joined
    WideString formats;   // its format names, "/"-joined
};

// One row per plug-in of host.folder; a row is unchecked when `switchedOff` lists its name (null:
// every row checked, as after a change of folder).
std::vector<PluginRow> PluginRows(PluginHost& host, const PluginNameList* switchedOff);
// The folder field names another folder than the dialog's copy (ASCII letters without case).
bool OtherPluginFolder(const WideString& copy, const WideString& typed);
// OK: the names of the unchecked rows in row order, each cut to 260 characters, empty ones skipped.
void StoreSwitchedOff(const std::vector<PluginRow>& rows, PluginNameList& switchedOff);
