#include "shell/Commands.h"

#ifdef _WIN32
#include "platform/win_types.h"
static_assert(sizeof(ACCEL) == sizeof(AccelRecord) && offsetof(ACCEL, key) == offsetof(AccelRecord, key) &&
                  offsetof(ACCEL, cmd) == offsetof(AccelRecord, cmd),
              "AccelRecord matches ACCEL");
#endif

using namespace command;

namespace {
// Preset k + 1 (k = 0 ... 7).
constexpr std::uint16_t preset(int k) { return static_cast<std::uint16_t>(kPreset1 + k); }
}  // namespace

const std::uint16_t kSlotCommands[kKeySlotCount] = {
    kMainMenu, kOpen, kFileList, kZoomFit, kZoomActual, kZoomToggle, kZoomIn, kZoomOut,  // 0-7
    kShadeMenu, kShadeHalf, kShadeQuarter, kShadeEighth, kShadeBlack, kShadeGrey, kShadeWhite,  // 8-14
    kTrimExecute, kTrimCancel, kTrimCentre,  // 15-17
    kPerspectiveReset, kCornerLeft, kCornerRight, kCornerUp, kCornerDown,  // 18-22
    preset(0), preset(1), preset(2), preset(3), preset(4), preset(5), preset(6), preset(7), kPresetDialog,  // 23-31
    kReload, kSaveAs, kPaste, kKeyDialog, kPluginDialog, kDisplayDialog, kHelp, kAbout,  // 32-39
};

const std::uint16_t kMainMenuItems[12] = {kReload, kSeparator, kSaveAs, kSeparator, kPaste, kSeparator,
                                          kKeyDialog, kPluginDialog, kDisplayDialog, kSeparator, kHelp, kAbout};
const std::uint16_t kShadeMenuItems[7] = {kShadeHalf, kShadeQuarter, kShadeEighth, kSeparator,
                                          kShadeBlack, kShadeGrey, kShadeWhite};
const std::uint16_t kPresetMenuItems[10] = {preset(0), preset(1), preset(2), preset(3), preset(4),
                                            preset(5), preset(6), preset(7), kSeparator, kPresetDialog};

void clearKeySlots(KeySlotTable& table) {
    for (std::uint32_t i = 0; i < kKeySlotCount; ++i) table.slots[i] = AccelRecord{kAccelVirtKey, 0, kSlotCommands[i]};
}

void defaultKeySlots(KeySlotTable& table) {
    clearKeySlots(table);
    constexpr std::uint8_t ctrl = kAccelVirtKey | kAccelControl;
    const struct {
        std::uint32_t slot;
        std::uint8_t fVirt;
        std::uint16_t key;
    } defaults[] = {
        {1, ctrl, 0x4F},  {2, kAccelVirtKey, 0x09},  {5, kAccelVirtKey, 0x20}, {15, kAccelVirtKey, 0x0D},
        {16, kAccelVirtKey, 0x1B}, {32, kAccelVirtKey, 0x08}, {33, ctrl, 0x53}, {34, ctrl, 0x56},
    };
    for (const auto& d : defaults) {
        table.slots[d.slot].fVirt = d.fVirt;
        table.slots[d.slot].key = d.key;
    }
}

void matchKeySlots(KeySlotTable& table, const AccelRecord* records, std::uint32_t count, std::uint8_t fVirtMask,
                   std::uint16_t keyMask) {
    clearKeySlots(table);
    for (std::uint32_t i = 0; i < kKeySlotCount; ++i) {
        for (std::uint32_t r = 0; r < count; ++r) {
            if (records[r].cmd != table.slots[i].cmd) continue;
            table.slots[i].fVirt = static_cast<std::uint8_t>(records[r].fVirt & fVirtMask);
            table.slots[i].key = static_cast<std::uint16_t>(records[r].key & keyMask);
            break;
        }
    }
}

void buildAcceleratorList(const KeySlotTable& table, AcceleratorList& out) {
    out.count = 0;
    for (const AccelRecord& slot : table.slots)
        if (slot.key != 0) out.entries[out.count++] = slot;
}

int keySlotOfCommand(std::uint16_t cmd) {
    for (std::uint32_t i = 0; i < kKeySlotCount; ++i)
        if (kSlotCommands[i] == cmd) return static_cast<int>(i);
    return -1;
}

bool commandOpensDialog(std::uint16_t cmd) {
    return cmd == kSaveAs || cmd == kKeyDialog || cmd == kPluginDialog || cmd == kDisplayDialog;
}

namespace {
const struct {
    std::uint16_t cmd;
    std::int32_t shade;
} kShades[] = {{kShadeHalf, 1}, {kShadeQuarter, 2}, {kShadeEighth, 3}, {kShadeBlack, 0}, {kShadeGrey, 128}, {kShadeWhite, 255}};
}  // namespace

std::uint16_t shadeMenuCheckedCommand(std::int32_t outsideShade) {
    for (const auto& s : kShades)
        if (s.shade == outsideShade) return s.cmd;
    return kShadeHalf;
}

bool shadeForCommand(std::uint16_t cmd, std::int32_t* outsideShade) {
    for (const auto& s : kShades)
        if (s.cmd == cmd) {
            *outsideShade = s.shade;
            return true;
        }
    return false;
}
