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

constexpr bool isTrimBox(std::int32_t id) { return id >= kBoxLeft && id <= kBoxBottom; }
constexpr bool isOutputSizeBox(std::int32_t id) { return id == kWidthBox || id == kHeightBox; }
// The number box an up-down shows its position in.
constexpr std::int32_t buddyOfSpin(std::int32_t spin) { return spin - (kSpinLeft - kBoxLeft); }
}  // namespace control

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
