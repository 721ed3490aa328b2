/* Every command, control and resource identifier of the program, each defined once. The trim model
   is the lowest layer that speaks in them (its number boxes, its commands, its cursors), so they live
   here; the shell, the window code, the resource script and the test helpers all include this file.

   The resource script reads only the #define part at the top (the resource compiler defines
   RC_INVOKED); everything below it is C++. */
#ifndef VANTLE_IDENTIFIERS_H
#define VANTLE_IDENTIFIERS_H

/* Resources of Vantle.exe. */
#define VANTLE_ICON 100

/* Panning cursors: the arrows show the directions in which the image can still scroll. */
#define VANTLE_CURSOR_PAN_S 110
#define VANTLE_CURSOR_PAN_N 111
#define VANTLE_CURSOR_PAN_W 112
#define VANTLE_CURSOR_PAN_E 113
#define VANTLE_CURSOR_PAN_NS 114
#define VANTLE_CURSOR_PAN_SW 115
#define VANTLE_CURSOR_PAN_SE 116
#define VANTLE_CURSOR_PAN_NW 117
#define VANTLE_CURSOR_PAN_NE 118
#define VANTLE_CURSOR_PAN_WE 119
#define VANTLE_CURSOR_PAN_NSW 120
#define VANTLE_CURSOR_PAN_NSE 121
#define VANTLE_CURSOR_PAN_SWE 122
#define VANTLE_CURSOR_PAN_NWE 123
#define VANTLE_CURSOR_PAN_NSWE 124

/* Trim rectangle handles. */
#define VANTLE_CURSOR_SIZE_WE 130
#define VANTLE_CURSOR_SIZE_NS 131
#define VANTLE_CURSOR_SIZE_NWSE 132
#define VANTLE_CURSOR_SIZE_NESW 133
#define VANTLE_CURSOR_MOVE 140
/* The drag labels that change a number by horizontal movement. */
#define VANTLE_CURSOR_DRAG_VALUE 141

/* Toolbar image strips, 16 x 16 per image, magenta (RGB 255, 0, 255) where transparent. */
#define VANTLE_TOOLBAR_IMAGES 150
#define VANTLE_TOOLBAR_IMAGES_DISABLED 151

/* The dialog templates of the language modules and their controls. */
#define VANTLE_DIALOG_OUTPUT 2000
#define VANTLE_OUT_GROUP_PNG 2020
#define VANTLE_OUT_INTERLACED 2021
#define VANTLE_OUT_GROUP_JPEG 2030
#define VANTLE_OUT_QUALITY 2032
#define VANTLE_OUT_QUALITY_SPIN 2033
#define VANTLE_OUT_SUBSAMPLING 2036
#define VANTLE_OUT_LIMIT_SIZE 2040
#define VANTLE_OUT_SIZE_LIMIT 2041
#define VANTLE_OUT_SIZE_LIMIT_SPIN 2042
#define VANTLE_OUT_PROGRESSIVE 2045
#define VANTLE_OUT_KEEP_EXIF 2046
#define VANTLE_OUT_GROUP_RESIZE 2050
#define VANTLE_OUT_RESIZE_METHOD 2052
#define VANTLE_OUT_SHARPEN 2053
#define VANTLE_OUT_AUTO_LEVELS 2054
#define VANTLE_OUT_GROUP_SAVING 2080
#define VANTLE_OUT_SAVE_AUTOMATICALLY 2081
#define VANTLE_OUT_ASK_FOR_NAME 2082
#define VANTLE_OUT_FOLDER 2084
#define VANTLE_OUT_BROWSE 2085
#define VANTLE_OUT_CLEAR_FOLDER 2086
#define VANTLE_OUT_SUBFOLDER 2088
#define VANTLE_OUT_GROUP_NAME 2090
#define VANTLE_OUT_USE_PREFIX 2091
#define VANTLE_OUT_PREFIX 2092
#define VANTLE_OUT_USE_SUFFIX 2093
#define VANTLE_OUT_SUFFIX 2094
#define VANTLE_OUT_APPEND_SIZE 2095

#define VANTLE_DIALOG_PRESETS 2100
#define VANTLE_PRESET_WIDTH 2120 /* + preset index 0 ... 7 */
#define VANTLE_PRESET_HEIGHT 2130
#define VANTLE_PRESET_NAME 2140

#define VANTLE_DIALOG_KEYS 2200
#define VANTLE_KEYS_KEY_LIST 2220
#define VANTLE_KEYS_COMMANDS 2221
#define VANTLE_KEYS_MOUSE_LIST 2222
#define VANTLE_KEYS_CTRL 2230
#define VANTLE_KEYS_SHIFT 2231
#define VANTLE_KEYS_ASSIGN 2240
#define VANTLE_KEYS_CLEAR 2241
#define VANTLE_KEYS_RESET 2242
#define VANTLE_KEYS_CLOSE 2243
#define VANTLE_KEYS_KEY_PAGE 2250
#define VANTLE_KEYS_MOUSE_PAGE 2251

#define VANTLE_DIALOG_PLUGINS 2300
#define VANTLE_PLUGINS_FOLDER 2310
#define VANTLE_PLUGINS_BROWSE 2320
#define VANTLE_PLUGINS_CLEAR 2330
#define VANTLE_PLUGINS_LIST 2340

#define VANTLE_DIALOG_DISPLAY 2400
#define VANTLE_DISPLAY_GROUP_LANGUAGE 2410
#define VANTLE_DISPLAY_LANGUAGE 2411
#define VANTLE_DISPLAY_GROUP_FONT 2420
#define VANTLE_DISPLAY_FONT_FACE 2421
#define VANTLE_DISPLAY_SMALL 2431
#define VANTLE_DISPLAY_MEDIUM 2432
#define VANTLE_DISPLAY_LARGE 2433
#define VANTLE_DISPLAY_NORMAL 2441
#define VANTLE_DISPLAY_BOLD 2442
#define VANTLE_DISPLAY_GROUP_DIALOGS 2450
#define VANTLE_DISPLAY_STANDARD_TYPE 2451
#define VANTLE_DISPLAY_LARGE_TYPE 2452

#ifndef RC_INVOKED

#include <cstdint>

// Every user action is a WM_COMMAND identifier; the name of command N is text N followed by text
// N + 10000.
namespace command {
constexpr std::uint16_t kFirst = 5000;  // identifiers below are controls
constexpr std::uint16_t kOpen = 5000;
constexpr std::uint16_t kFileList = 5010;
constexpr std::uint16_t kMainMenu = 5020;
constexpr std::uint16_t kZoomFit = 5100;
constexpr std::uint16_t kZoomActual = 5110;
constexpr std::uint16_t kZoomToggle = 5120;
constexpr std::uint16_t kShadeMenu = 5200;
constexpr std::uint16_t kShadeQuarter = 5202;
constexpr std::uint16_t kShadeEighth = 5203;
constexpr std::uint16_t kShadeBlack = 5204;
constexpr std::uint16_t kShadeGrey = 5205;
constexpr std::uint16_t kShadeWhite = 5206;
constexpr std::uint16_t kZoomIn = 5230;
constexpr std::uint16_t kZoomOut = 5231;
constexpr std::uint16_t kOutputOptions = 5300;  // output toolbar button, not in the key table
constexpr std::uint16_t kPresetMenu = 5350;     // size toolbar button, not in the key table
constexpr std::uint16_t kReload = 5400;
constexpr std::uint16_t kSaveAs = 5410;
constexpr std::uint16_t kPaste = 5415;
constexpr std::uint16_t kKeyDialog = 5420;
constexpr std::uint16_t kPluginDialog = 5430;
constexpr std::uint16_t kDisplayDialog = 5440;
constexpr std::uint16_t kHelp = 5450;
constexpr std::uint16_t kAbout = 5460;
constexpr std::uint16_t kShadeHalf = 5500;
constexpr std::uint16_t kPreset1 = 5600;  // kPreset1 + k applies preset k + 1, for k = 0 ... 7
constexpr std::uint16_t kPresetDialog = 5608;
constexpr std::uint16_t kTrimExecute = 5700;
constexpr std::uint16_t kTrimCancel = 5701;
constexpr std::uint16_t kTrimCentre = 5702;
constexpr std::uint16_t kPerspectiveReset = 5800;
constexpr std::uint16_t kCornerLeft = 5801;   // x - 1 of the selected corner
constexpr std::uint16_t kCornerRight = 5802;  // x + 1
constexpr std::uint16_t kCornerUp = 5803;     // y - 1
constexpr std::uint16_t kCornerDown = 5804;   // y + 1
constexpr std::uint16_t kSeparator = 9900;    // identifier of separator items
// The name of command N is text N followed by text N + kSuffixTextOffset.
constexpr std::uint32_t kSuffixTextOffset = 10000;
}  // namespace command

// Child windows and the controls of the tool bands.
namespace control {
constexpr std::int32_t kView = 1000;
constexpr std::int32_t kListBox = 1010;
constexpr std::int32_t kRebar = 1020;
constexpr std::int32_t kMainToolbar = 1021;  // the five toolbars, in band order
constexpr std::int32_t kOutputToolbar = 1022;
constexpr std::int32_t kSizeToolbar = 1023;
constexpr std::int32_t kTrimToolbar = 1024;
constexpr std::int32_t kPerspectiveToolbar = 1025;
constexpr std::int32_t kToolbarCount = kPerspectiveToolbar - kMainToolbar + 1;
constexpr std::int32_t kZoomLabel = 1030;
constexpr std::int32_t kZoomBox = 1031;
constexpr std::int32_t kZoomSpin = 1032;
constexpr std::int32_t kZoomUnit = 1033;
constexpr std::int32_t kFormatCombo = 1050;
constexpr std::int32_t kPerspectiveLabel = 1051;
// The trim rectangle's number boxes, their up-downs (kSpinLeft + i belongs to kBoxLeft + i) and
// their labels (kTrimLabelLeft + i).
constexpr std::int32_t kBoxLeft = 1110;
constexpr std::int32_t kBoxTop = 1111;
constexpr std::int32_t kBoxRight = 1112;
constexpr std::int32_t kBoxBottom = 1113;
constexpr std::int32_t kSpinLeft = 1120;
constexpr std::int32_t kSpinTop = 1121;
constexpr std::int32_t kSpinRight = 1122;
constexpr std::int32_t kSpinBottom = 1123;
constexpr std::int32_t kTrimLabelLeft = 1130;
constexpr std::int32_t kTrimLabelTop = 1131;
constexpr std::int32_t kTrimLabelRight = 1132;
constexpr std::int32_t kTrimLabelBottom = 1133;
// The output size: labels, number boxes and up-downs.
constexpr std::int32_t kWidthLabel = 1141;
constexpr std::int32_t kHeightLabel = 1142;
constexpr std::int32_t kWidthBox = 1143;
constexpr std::int32_t kHeightBox = 1144;
constexpr std::int32_t kWidthSpin = 1145;
constexpr std::int32_t kHeightSpin = 1146;

// The About window's three lines: the version, the makers and the address of the help pages.
constexpr std::int32_t kAboutVersion = 100;
constexpr std::int32_t kAboutNotice = 101;
constexpr std::int32_t kAboutAddress = 102;

constexpr bool isTrimBox(std::int32_t id) { return id >= kBoxLeft && id <= kBoxBottom; }
constexpr bool isOutputSizeBox(std::int32_t id) { return id == kWidthBox || id == kHeightBox; }
// The number box an up-down shows its position in.
constexpr std::int32_t buddyOfSpin(std::int32_t spin) { return spin - (kSpinLeft - kBoxLeft); }
}  // namespace control

// The dialogs the language modules lay out, and their controls (IDOK 1 and IDCANCEL 2 are the
// system's).
namespace dialog {
constexpr std::int32_t kOutput = VANTLE_DIALOG_OUTPUT;
constexpr std::int32_t kOutGroupPng = VANTLE_OUT_GROUP_PNG;
constexpr std::int32_t kOutInterlaced = VANTLE_OUT_INTERLACED;
constexpr std::int32_t kOutGroupJpeg = VANTLE_OUT_GROUP_JPEG;
constexpr std::int32_t kOutQuality = VANTLE_OUT_QUALITY;
constexpr std::int32_t kOutQualitySpin = VANTLE_OUT_QUALITY_SPIN;
constexpr std::int32_t kOutSubsampling = VANTLE_OUT_SUBSAMPLING;
constexpr std::int32_t kOutLimitSize = VANTLE_OUT_LIMIT_SIZE;
constexpr std::int32_t kOutSizeLimit = VANTLE_OUT_SIZE_LIMIT;
constexpr std::int32_t kOutSizeLimitSpin = VANTLE_OUT_SIZE_LIMIT_SPIN;
constexpr std::int32_t kOutProgressive = VANTLE_OUT_PROGRESSIVE;
constexpr std::int32_t kOutKeepExif = VANTLE_OUT_KEEP_EXIF;
constexpr std::int32_t kOutGroupResize = VANTLE_OUT_GROUP_RESIZE;
constexpr std::int32_t kOutResizeMethod = VANTLE_OUT_RESIZE_METHOD;
constexpr std::int32_t kOutSharpen = VANTLE_OUT_SHARPEN;
constexpr std::int32_t kOutAutoLevels = VANTLE_OUT_AUTO_LEVELS;
constexpr std::int32_t kOutGroupSaving = VANTLE_OUT_GROUP_SAVING;
constexpr std::int32_t kOutSaveAutomatically = VANTLE_OUT_SAVE_AUTOMATICALLY;
constexpr std::int32_t kOutAskForName = VANTLE_OUT_ASK_FOR_NAME;
constexpr std::int32_t kOutFolder = VANTLE_OUT_FOLDER;
constexpr std::int32_t kOutBrowse = VANTLE_OUT_BROWSE;
constexpr std::int32_t kOutClearFolder = VANTLE_OUT_CLEAR_FOLDER;
constexpr std::int32_t kOutSubfolder = VANTLE_OUT_SUBFOLDER;
constexpr std::int32_t kOutGroupName = VANTLE_OUT_GROUP_NAME;
constexpr std::int32_t kOutUsePrefix = VANTLE_OUT_USE_PREFIX;
constexpr std::int32_t kOutPrefix = VANTLE_OUT_PREFIX;
constexpr std::int32_t kOutUseSuffix = VANTLE_OUT_USE_SUFFIX;
constexpr std::int32_t kOutSuffix = VANTLE_OUT_SUFFIX;
constexpr std::int32_t kOutAppendSize = VANTLE_OUT_APPEND_SIZE;
constexpr std::int32_t kPresets = VANTLE_DIALOG_PRESETS;
constexpr std::int32_t kPresetWidth = VANTLE_PRESET_WIDTH;
constexpr std::int32_t kPresetHeight = VANTLE_PRESET_HEIGHT;
constexpr std::int32_t kPresetName = VANTLE_PRESET_NAME;
constexpr std::int32_t kKeys = VANTLE_DIALOG_KEYS;
constexpr std::int32_t kKeysKeyList = VANTLE_KEYS_KEY_LIST;
constexpr std::int32_t kKeysCommands = VANTLE_KEYS_COMMANDS;
constexpr std::int32_t kKeysMouseList = VANTLE_KEYS_MOUSE_LIST;
constexpr std::int32_t kKeysCtrl = VANTLE_KEYS_CTRL;
constexpr std::int32_t kKeysShift = VANTLE_KEYS_SHIFT;
constexpr std::int32_t kKeysAssign = VANTLE_KEYS_ASSIGN;
constexpr std::int32_t kKeysClear = VANTLE_KEYS_CLEAR;
constexpr std::int32_t kKeysReset = VANTLE_KEYS_RESET;
constexpr std::int32_t kKeysClose = VANTLE_KEYS_CLOSE;
constexpr std::int32_t kKeysKeyPage = VANTLE_KEYS_KEY_PAGE;
constexpr std::int32_t kKeysMousePage = VANTLE_KEYS_MOUSE_PAGE;
constexpr std::int32_t kPlugins = VANTLE_DIALOG_PLUGINS;
constexpr std::int32_t kPluginsFolder = VANTLE_PLUGINS_FOLDER;
constexpr std::int32_t kPluginsBrowse = VANTLE_PLUGINS_BROWSE;
constexpr std::int32_t kPluginsClear = VANTLE_PLUGINS_CLEAR;
constexpr std::int32_t kPluginsList = VANTLE_PLUGINS_LIST;
constexpr std::int32_t kDisplay = VANTLE_DIALOG_DISPLAY;
constexpr std::int32_t kDisplayGroupLanguage = VANTLE_DISPLAY_GROUP_LANGUAGE;
constexpr std::int32_t kDisplayLanguage = VANTLE_DISPLAY_LANGUAGE;
constexpr std::int32_t kDisplayGroupFont = VANTLE_DISPLAY_GROUP_FONT;
constexpr std::int32_t kDisplayFontFace = VANTLE_DISPLAY_FONT_FACE;
constexpr std::int32_t kDisplaySmall = VANTLE_DISPLAY_SMALL;
constexpr std::int32_t kDisplayMedium = VANTLE_DISPLAY_MEDIUM;
constexpr std::int32_t kDisplayLarge = VANTLE_DISPLAY_LARGE;
constexpr std::int32_t kDisplayNormal = VANTLE_DISPLAY_NORMAL;
constexpr std::int32_t kDisplayBold = VANTLE_DISPLAY_BOLD;
constexpr std::int32_t kDisplayGroupDialogs = VANTLE_DISPLAY_GROUP_DIALOGS;
constexpr std::int32_t kDisplayStandardType = VANTLE_DISPLAY_STANDARD_TYPE;
constexpr std::int32_t kDisplayLargeType = VANTLE_DISPLAY_LARGE_TYPE;
}  // namespace dialog

// The executable's cursor resources; kArrow is the system arrow.
namespace cursor {
constexpr std::int32_t kArrow = 0;
constexpr std::int32_t kPanSouth = VANTLE_CURSOR_PAN_S;
constexpr std::int32_t kPanNorth = VANTLE_CURSOR_PAN_N;
constexpr std::int32_t kPanWest = VANTLE_CURSOR_PAN_W;
constexpr std::int32_t kPanEast = VANTLE_CURSOR_PAN_E;
constexpr std::int32_t kPanNorthSouth = VANTLE_CURSOR_PAN_NS;
constexpr std::int32_t kPanSouthWest = VANTLE_CURSOR_PAN_SW;
constexpr std::int32_t kPanSouthEast = VANTLE_CURSOR_PAN_SE;
constexpr std::int32_t kPanNorthWest = VANTLE_CURSOR_PAN_NW;
constexpr std::int32_t kPanNorthEast = VANTLE_CURSOR_PAN_NE;
constexpr std::int32_t kPanWestEast = VANTLE_CURSOR_PAN_WE;
constexpr std::int32_t kPanNorthSouthWest = VANTLE_CURSOR_PAN_NSW;
constexpr std::int32_t kPanNorthSouthEast = VANTLE_CURSOR_PAN_NSE;
constexpr std::int32_t kPanSouthWestEast = VANTLE_CURSOR_PAN_SWE;
constexpr std::int32_t kPanNorthWestEast = VANTLE_CURSOR_PAN_NWE;
constexpr std::int32_t kPanAll = VANTLE_CURSOR_PAN_NSWE;
constexpr std::int32_t kLeftRight = VANTLE_CURSOR_SIZE_WE;
constexpr std::int32_t kUpDown = VANTLE_CURSOR_SIZE_NS;
constexpr std::int32_t kDiagonalMain = VANTLE_CURSOR_SIZE_NWSE;  // top-left / bottom-right
constexpr std::int32_t kDiagonalAnti = VANTLE_CURSOR_SIZE_NESW;  // top-right / bottom-left
constexpr std::int32_t kMove = VANTLE_CURSOR_MOVE;
constexpr std::int32_t kDragValue = VANTLE_CURSOR_DRAG_VALUE;
}  // namespace cursor

#endif /* RC_INVOKED */
#endif /* VANTLE_IDENTIFIERS_H */
