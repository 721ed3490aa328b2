// Texts the main window shows that follow the document: the window title, the zoom percentage of
// the zoom field, and the toolbar tooltips with their key texts.
#pragma once

#include <cstdint>

#include "shell/MenuItems.h"
#include "shell/TextProvider.h"
#include "trim/TrimEditor.h"
#include "util/WideString.h"

// Text identifiers.
constexpr std::uint32_t kTextListWindowTitle = 20017;
constexpr std::uint32_t kTextTrimTitle = 20018;
constexpr std::uint32_t kTextWidthLabel = 20030;
constexpr std::uint32_t kTextHeightLabel = 20031;
constexpr std::uint32_t kTextLoadFailed = 30002;

struct TitleInfo {
    bool imageShown = false;
    const WideString* sourcePath = nullptr;  // null or empty: the image has no file (a paste)
    std::int32_t width = 0;
    std::int32_t height = 0;
    const TrimEditor* trim = nullptr;  // while trim mode is active the trim title is shown
};

// "Vantle" without an image; during trim mode TrimTitle; otherwise the file name (after the last
// separator) and " ... " when there is a path, then text 20030, the width, " ", text 20031 and the
// height.
WideString MainWindowTitle(const TitleInfo& info, TextProvider text);

// What the zoom field shows: round(zoom x 100).
std::int32_t ZoomPercent(double zoom);

// The toolbar buttons that get a tooltip, in the order the tools are added.
extern const std::uint16_t kTooltipCommands[14];
// The tooltip of a toolbar button: the command's name (text N), then " (" key ")" when its slot has
// a key.
void ToolbarTooltip(std::uint16_t cmd, const MenuModel& menus, TextProvider text, WideString& out);
