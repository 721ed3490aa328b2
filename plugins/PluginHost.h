// The image plug-in host: finds the plug-ins of the plug-in folder (every "*.spi", then every "*.sph",
// in the order the folder lists them), reads a picture through the first one that accepts the file,
// collects the file patterns they declare and serves the plug-in dialog. No plug-in stays loaded:
// each is loaded by its full path for one operation and released before the operation returns.
#pragma once

#include <mutex>
#include <vector>

#include "codecs/ImageData.h"
#include "plugins/PluginCalls.h"
#include "plugins/PluginList.h"
#include "util/WideString.h"

// One operation's host, made on the caller's stack.
struct PluginHost {
    std::mutex* lock = nullptr;                // serialises the plug-in calls when given
    WideString folder;                         // the plug-in folder
    const PluginNameList* disabled = nullptr;  // switched off: never loaded to read or to list patterns
    int headOffset = 0;                        // 0, or 128 when the plug-in found its image behind a 128-byte head
    ImageData* result = nullptr;               // the record being filled
    const PluginCalls* calls = &SystemPluginCalls();
};

// The picture of `path` through the first enabled plug-in that accepts it; null when none does, the
// file is empty, or the plug-in's answer is refused. Plug-ins see the file's first 2176 bytes, zeros
// behind a shorter file.
ImageData* loadWithPlugin(PluginHost& host, const WideString& path);
// The patterns of the enabled plug-ins, without those of built-in formats and without repeats (ASCII
// letters without case): whole wildcard patterns as the plug-ins wrote them, or only their extensions
// (".pcx") for listing a folder's files.
std::vector<WideString> collectPatterns(PluginHost& host, bool wholePatterns);
// Every plug-in file of the folder, switched off or not, by file name.
std::vector<WideString> listPlugins(PluginHost& host);
// The plug-in's patterns joined by ";" and its format names joined by "/"; false unless it gives both.
bool describePlugin(PluginHost& host, const WideString& fileName, WideString& patterns, WideString& names);
// Opens the plug-in's own settings dialog, owned by `parentWindow`.
void configurePlugin(PluginHost& host, void* parentWindow, const WideString& fileName);
