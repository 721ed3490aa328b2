// Where the help lives beside the executable, and the About window's fixed lines and place.
#pragma once

#include <cstdint>

#include "shell/WindowPlacement.h"
#include "util/WideString.h"

// The user guide as plain HTML pages, relative to the executable's folder, folders separated by
// '/'. The program has no web site: the help command falls back to this page when the compiled
// help file is missing, and the About window's address line opens it.
inline constexpr char16_t kHelpPage[] = u"Help/index.html";

// The compiled help file: the executable's path with its extension replaced by ".chm".
void helpFilePath(const WideString& executable, WideString& out);
// kHelpPage in the executable's folder, with the platform's separators.
void helpPagePath(const WideString& executable, WideString& out);

// The About window's lines. They are the program's own, not the language module's.
// "Vantle version 1.5.0.0 (64-bit)", with the project's version.
void aboutVersionLine(WideString& out);
inline constexpr char16_t kAboutNoticeLine[] = u"Made by the Vantle developers";

// The About window's client area, and its frame: a client area of 274 x 75 pixels inside the
// dialog frame (`dialogFrame` on every side) and the caption, centred on the main window.
inline constexpr std::int32_t kAboutClientWidth = 274;
inline constexpr std::int32_t kAboutClientHeight = 75;
ScreenRect aboutWindowRect(const ScreenRect& mainWindow, std::int32_t dialogFrame, std::int32_t caption);
