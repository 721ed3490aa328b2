// Every user action is a WM_COMMAND identifier; 40 of them have a slot in the key table, which binds
// a key (with Ctrl and Shift) to each and from which the accelerator table is built.
#pragma once

#include <cstddef>
#include <cstdint>

#include "trim/Identifiers.h"
#include "trim/TrimOptions.h"


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

// The shade-menu item that is checked for an `outsideShade` value (kShadeHalf for anything unlisted).
std::uint16_t shadeMenuCheckedCommand(std::int32_t outsideShade);
// The `outsideShade` value a shade command sets; false for other commands.
bool shadeForCommand(std::uint16_t cmd, std::int32_t* outsideShade);
