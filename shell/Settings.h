// Every persistent option in one record, read from the settings file at start and written back at
// exit; in between only memory changes. Each field is one numbered entry of the file.
#pragma once

#include <cstdint>

#include "document/OutputOptions.h"
#include "plugins/PluginList.h"
#include "shell/Commands.h"
#include "shell/SettingsFile.h"
#include "util/WideString.h"

// The seven mouse actions (both buttons, middle, two extra buttons, wheel away and towards, and a
// spare) and the commands a fresh settings file gives them.
constexpr std::uint32_t kMouseActionCount = 7;
inline constexpr std::int32_t kDefaultMouseActions[kMouseActionCount] = {
    0, 0, command::kZoomToggle, 0, 0, command::kZoomOut, command::kZoomIn};
// "Vantle" + ".ini"
constexpr char16_t kSettingsFileName[] = u"Vantle.ini";

// Entry indexes of the settings file.
namespace entry {
constexpr std::uint32_t kLanguageName = 0;
constexpr std::uint32_t kWindowMaximized = 2;
constexpr std::uint32_t kWindowLeft = 3;
constexpr std::uint32_t kWindowTop = 4;
constexpr std::uint32_t kWindowWidth = 5;
constexpr std::uint32_t kWindowHeight = 6;
constexpr std::uint32_t kOutsideShade = 7;
constexpr std::uint32_t kFontHeight = 8;
constexpr std::uint32_t kFontWeight = 9;
constexpr std::uint32_t kCurrentFolder = 10;
constexpr std::uint32_t kPluginFolder = 11;
constexpr std::uint32_t kKeyAssignments = 12;
constexpr std::uint32_t kOutputFolder = 14;
constexpr std::uint32_t kOutputSubfolder = 15;
constexpr std::uint32_t kTrimWidth = 16;
constexpr std::uint32_t kTrimHeight = 17;
constexpr std::uint32_t kPresetWidth = 18;   // 18..25
constexpr std::uint32_t kPresetHeight = 26;  // 26..33
constexpr std::uint32_t kPresetName = 34;    // 34..41
constexpr std::uint32_t kSharpen = 42;
constexpr std::uint32_t kAutoLevelsFilter = 43;
constexpr std::uint32_t kOutputFormat = 44;
constexpr std::uint32_t kInterlaced = 45;
constexpr std::uint32_t kJpegQuality = 46;
constexpr std::uint32_t kJpegSubsampling = 47;
constexpr std::uint32_t kJpegProgressive = 48;
constexpr std::uint32_t kKeepExif = 49;
constexpr std::uint32_t kLimitJpegSize = 50;
constexpr std::uint32_t kJpegSizeLimitKiB = 51;
constexpr std::uint32_t kCreateOutputFolder = 52;
constexpr std::uint32_t kUsePrefix = 53;
constexpr std::uint32_t kNamePrefix = 54;
constexpr std::uint32_t kUseSuffix = 55;
constexpr std::uint32_t kNameSuffix = 56;
constexpr std::uint32_t kAppendSize = 57;
constexpr std::uint32_t kDisabledPlugins = 58;
constexpr std::uint32_t kMouseActions = 59;  // 59..65
constexpr std::uint32_t kKeyDialogMouseMode = 66;
constexpr std::uint32_t kFontFace = 67;
constexpr std::uint32_t kLargeDialogFont = 68;
constexpr std::uint32_t kResizeMethod = 69;
}  // namespace entry

// Field defaults are those of a missing settings file, except fontFace and currentFolder, whose
// defaults come from the system when the settings are loaded. The fields the trim model and the
// output job read are declared by them (TrimOptions, OutputOptions); the record is those parts and
// the rest, so every reader sees the one record.
struct Settings : OutputOptions {
    WideString languageName;
    std::uint8_t windowMaximized = 0;
    std::int32_t windowLeft = 200;
    std::int32_t windowTop = 100;
    std::int32_t windowWidth = 800;
    std::int32_t windowHeight = 600;
    std::int32_t fontHeight = -12;
    std::int32_t fontWeight = 400;
    WideString pluginFolder;
    WideString presetName[kPresetCount];
    PluginNameList disabledPlugins;
    std::int32_t mouseActions[kMouseActionCount] = {kDefaultMouseActions[0], kDefaultMouseActions[1],
                                                    kDefaultMouseActions[2], kDefaultMouseActions[3],
                                                    kDefaultMouseActions[4], kDefaultMouseActions[5],
                                                    kDefaultMouseActions[6]};
    std::uint8_t keyDialogMouseMode = 0;
    WideString fontFace;
    std::uint8_t largeDialogFont = 0;

    Settings() = default;
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
};

// The saved maximised state from GetWindowPlacement's showCmd and flags: a minimised window keeps
// what it will restore to (WPF_RESTORETOMAXIMIZED), any other is maximised when SW_SHOWMAXIMIZED.
std::uint8_t placementIsMaximized(std::uint32_t showCmd, std::uint32_t flags);

// The settings file: "Vantle.ini" beside the executable when it exists there, else in the folder
// "Vantle" of the per-user application-data folder (Linux: $XDG_CONFIG_HOME or ~/.config), which
// is created when missing. False when that folder cannot be created.
bool locateSettingsFile(WideString& path);

// Fills every field except languageName (read alone at start) and the window placement (read by
// the main window) from `reader`, applying defaults and load rules, and builds the key slot table
// and the accelerator list from entry 12. A reader that loaded nothing gives the defaults.
void loadSettings(SettingsReader& reader, Settings& settings, KeySlotTable& slots, AcceleratorList& accelerators);
// Entries 2 to 6.
void loadWindowPlacement(SettingsReader& reader, Settings& settings);

// Writes every field, the window placement as the record holds it, and the accelerators (at most
// 40), in the fixed saving order. Plug-in names are kept only while the plug-in file exists.
// False when the writer is not ready or a write failed.
bool saveSettings(SettingsWriter& writer, const Settings& settings, const AccelRecord* accelerators,
                  std::uint32_t count);

// Whole-file conveniences for programs without a window: everything, languageName and window
// placement included. loadSettingsFile is false (with defaults filled) when the file was not loaded.
bool loadSettingsFile(const char16_t* path, Settings& settings, KeySlotTable& slots, AcceleratorList& accelerators);
bool saveSettingsFile(const char16_t* path, const Settings& settings, const AcceleratorList& accelerators);
