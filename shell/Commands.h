// Every user action is a WM_COMMAND identifier; 40 of them have a slot in the key table, which binds
// a key (with Ctrl and Shift) to each and from which the accelerator table is built.
#pragma once

#include <cstddef>
#include <cstdint>

namespace command {
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
constexpr std::uint16_t kPreset1 = 5600;  // 5600..5607: presets 1 to 8
constexpr std::uint16_t kPresetDialog = 5608;
constexpr std::uint16_t kTrimExecute = 5700;
constexpr std::uint16_t kTrimCancel = 5701;
constexpr std::uint16_t kTrimCentre = 5702;
constexpr std::uint16_t kPerspectiveReset = 5800;
constexpr std::uint16_t kCornerLeft = 5801;   // x - 1
constexpr std::uint16_t kCornerRight = 5802;  // x + 1
constexpr std::uint16_t kCornerUp = 5803;     // y - 1
constexpr std::uint16_t kCornerDown = 5804;   // y + 1
constexpr std::uint16_t kSeparator = 9900;    // identifier of separator items
// The name of command N is text N followed by text N + 10000.
constexpr std::uint32_t kSuffixTextOffset = 10000;
}  // namespace command

// ACCEL flag bits; Alt is never used.
constexpr std::uint8_t kAccelVirtKey = 1;  // FVIRTKEY
constexpr std::uint8_t kAccelShift = 4;    // FSHIFT
constexpr std::uint8_t kAccelControl = 8;  // FCONTROL

// One key binding with the layout of ACCEL: fVirt, one padding byte, key, cmd (6 bytes).
struct AccelRecord {
    std::uint8_t fVirt;
    std::uint16_t key;  // virtual-key code, 0 = no key
    std::uint16_t cmd;
};
static_assert(sizeof(AccelRecord) == 6 && offsetof(AccelRecord, key) == 2 && offsetof(AccelRecord, cmd) == 4,
              "AccelRecord has the ACCEL layout");

constexpr std::uint32_t kKeySlotCount = 40;
constexpr std::uint32_t kPresetCount = 8;
constexpr std::uint32_t kFirstPresetSlot = 23;  // slots 23..30 apply presets 1 to 8

// The commands of the 40 slots, in slot order.
extern const std::uint16_t kSlotCommands[kKeySlotCount];

// One record per slot; the command of each slot is fixed, only fVirt and key change.
struct KeySlotTable {
    AccelRecord slots[kKeySlotCount];
};

// The accelerators built from the slots that have a key, in slot order.
struct AcceleratorList {
    AccelRecord entries[kKeySlotCount];
    std::uint32_t count;
};

// Fixed commands, no keys (fVirt FVIRTKEY, key 0).
void clearKeySlots(KeySlotTable& table);
// Fixed commands with the default keys: Ctrl+O, Tab, Space, Enter, Esc, BackSpace, Ctrl+S, Ctrl+V.
void defaultKeySlots(KeySlotTable& table);
// Fixed commands; every slot takes fVirt & fVirtMask and key & keyMask from the first record that
// carries its command, a slot without one gets no key.
void matchKeySlots(KeySlotTable& table, const AccelRecord* records, std::uint32_t count, std::uint8_t fVirtMask = 0xFF,
                   std::uint16_t keyMask = 0xFFFF);
void buildAcceleratorList(const KeySlotTable& table, AcceleratorList& out);

// Slot of a command, or -1.
int keySlotOfCommand(std::uint16_t cmd);
// Commands whose menu item opens a dialog and so shows "...".
bool commandOpensDialog(std::uint16_t cmd);

// The three popup menus, top to bottom; kSeparator marks separators.
extern const std::uint16_t kMainMenuItems[12];
extern const std::uint16_t kShadeMenuItems[7];
extern const std::uint16_t kPresetMenuItems[10];

// The shade-menu item that is checked for an `outsideShade` value (5500 for anything unlisted).
std::uint16_t shadeMenuCheckedCommand(std::int32_t outsideShade);
// The `outsideShade` value a shade command sets; false for other commands.
bool shadeForCommand(std::uint16_t cmd, std::int32_t* outsideShade);
