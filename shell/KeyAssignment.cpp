#include "shell/KeyAssignment.h"

#include "shell/KeyNames.h"

namespace {

constexpr std::uint32_t kFirstShadeRow = 9;   // rows 9 ... 14: the shade menu's items
constexpr std::uint32_t kLastShadeRow = 14;
constexpr std::uint32_t kPresetDialogRow = 31;

bool validRow(std::int32_t row) { return row >= 0 && row < static_cast<std::int32_t>(kKeySlotCount); }

std::uint16_t commandOfRow(const KeyAssignments& state, std::uint32_t row) { return state.slots.slots[row].cmd; }

}  // namespace

void keyRowName(std::uint32_t row, TextProvider text, WideString& out) {
    out.clear();
    const std::uint16_t cmd = kSlotCommands[row];
    if (row >= kFirstShadeRow && row <= kLastShadeRow) {
        out.append(text(command::kShadeMenu));
        out.append(u" - ");
        out.append(text(cmd));
    } else if (row >= kFirstPresetSlot && row < kFirstPresetSlot + kPresetCount) {
        out.append(text(command::kPresetMenu));
        out.append(u" ");
        out.appendInt(static_cast<std::int32_t>(row - kFirstPresetSlot + 1));
    } else if (row == kPresetDialogRow) {
        out.append(text(command::kPresetMenu));
        out.append(u" - ");
        out.append(text(cmd));
    } else {
        out.append(text(cmd));
    }
}

void openKeyAssignments(KeyAssignments& state, const AccelRecord* accelerators, std::uint32_t count,
                        const std::int32_t* mouseActions, bool mousePage, TextProvider text) {
    matchKeySlots(state.slots, accelerators, count);
    for (std::uint32_t i = 0; i < kMouseActionCount; ++i) state.mouse[i] = mouseActions[i];
    for (std::uint32_t row = 0; row < kKeySlotCount; ++row) keyRowName(row, text, state.rowNames[row]);
    state.keysChanged = state.mouseChanged = false;
    state.mousePage = mousePage;
}

void keyColumnText(const KeyAssignments& state, std::uint32_t row, WideString& out) {
    out.clear();
    const AccelRecord& slot = state.slots.slots[row];
    const char16_t* key = slot.key ? keyName(slot.key) : nullptr;
    if (!key) return;
    if (const char16_t* modifier = modifierName(slot.fVirt)) out.append(modifier);
    out.append(key);
}

void mouseColumnText(const KeyAssignments& state, std::uint32_t row, TextProvider text, WideString& out) {
    out.clear();
    const std::uint16_t cmd = commandOfRow(state, row);
    for (std::uint32_t j = 0; j < kMouseActionCount; ++j)
        if (state.mouse[j] == cmd) {
            out = text(kTextMouseActionFirst + j);
            return;
        }
}

std::uint32_t assignKey(KeyAssignments& state, std::int32_t row, std::uint16_t key, bool ctrl, bool shift) {
    if (!validRow(row)) return kTextSelectCommandFirst;
    if (key == 0) return kTextSelectKeyFirst;
    std::uint8_t fVirt = ctrl ? kAccelVirtKey | kAccelControl : kAccelVirtKey;
    if (shift && shiftAllowed(key)) fVirt |= kAccelShift;
    // A key with the same modifiers may serve only one command, the selected row's own included.
    for (const AccelRecord& slot : state.slots.slots)
        if (slot.key == key && slot.fVirt == fVirt) return kTextAlreadyAssigned;
    AccelRecord& slot = state.slots.slots[row];
    slot.key = key;
    slot.fVirt = fVirt;
    state.keysChanged = true;
    return 0;
}

std::uint32_t assignMouse(KeyAssignments& state, std::int32_t row, std::int32_t action) {
    if (!validRow(row)) return kTextSelectCommandFirst;
    if (action < 0 || action >= static_cast<std::int32_t>(kMouseActionCount)) return kTextSelectKeyFirst;
    // An action gives up its command only by being cleared.
    if (state.mouse[action] != 0) return kTextAlreadyAssigned;
    const std::uint16_t cmd = commandOfRow(state, static_cast<std::uint32_t>(row));
    for (std::int32_t& held : state.mouse)
        if (held == cmd) held = 0;
    state.mouse[action] = cmd;
    state.mouseChanged = true;
    return 0;
}

std::uint32_t clearAssignment(KeyAssignments& state, std::int32_t row) {
    if (!validRow(row)) return kTextSelectCommandFirst;
    if (state.mousePage) {
        const std::uint16_t cmd = commandOfRow(state, static_cast<std::uint32_t>(row));
        for (std::int32_t& held : state.mouse)
            if (held == cmd) {
                held = 0;
                break;
            }
        state.mouseChanged = true;
    } else {
        AccelRecord& slot = state.slots.slots[row];
        slot.key = 0;
        slot.fVirt = kAccelVirtKey;
        state.keysChanged = true;
    }
    return 0;
}

void resetAssignments(KeyAssignments& state) {
    if (state.mousePage) {
        for (std::uint32_t i = 0; i < kMouseActionCount; ++i) state.mouse[i] = kDefaultMouseActions[i];
        state.mouseChanged = true;
    } else {
        defaultKeySlots(state.slots);
        state.keysChanged = true;
    }
}
