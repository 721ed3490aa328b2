// The key and mouse dialog's working copy: the 40 key slots and the seven mouse actions, edited
// row by row and applied only when the dialog closes. Every rule of the dialog lives here; the
// window only shows the rows and passes on the clicks.
#pragma once

#include <cstdint>

#include "shell/Commands.h"
#include "shell/Settings.h"
#include "shell/TextProvider.h"
#include "util/WideString.h"

// Texts of the dialog.
constexpr std::uint32_t kTextKeyColumn = 20101;
constexpr std::uint32_t kTextCommandColumn = 20100;
constexpr std::uint32_t kTextMouseColumn = 20108;
constexpr std::uint32_t kTextKeyDialogCaption = 20102;
constexpr std::uint32_t kTextAlreadyAssigned = 20103;
constexpr std::uint32_t kTextSelectKeyFirst = 20104;
constexpr std::uint32_t kTextSelectCommandFirst = 20105;
constexpr std::uint32_t kTextResetQuestion = 20107;
constexpr std::uint32_t kTextMouseActionFirst = 20300;  // + action index 0 ... 6
constexpr std::uint32_t kTextResetCaption = 2242;
// The one key that takes no Shift.
constexpr std::uint16_t kCapsLockKey = 0xF0;

struct KeyAssignments {
    KeySlotTable slots;
    std::int32_t mouse[kMouseActionCount] = {};
    WideString rowNames[kKeySlotCount];
    bool keysChanged = false;
    bool mouseChanged = false;
    bool mousePage = false;  // editing the mouse actions, not the keys
};

// The working copy: the slots as the live accelerators have them (the first accelerator with a
// slot's command gives its key; none, no key), the mouse actions, and the row labels.
void openKeyAssignments(KeyAssignments& state, const AccelRecord* accelerators, std::uint32_t count,
                        const std::int32_t* mouseActions, bool mousePage, TextProvider text);

// A row's label: its command's text, prefixed for the shade and preset rows.
void keyRowName(std::uint32_t row, TextProvider text, WideString& out);
// What the key column shows: modifier and key name; empty without a key.
void keyColumnText(const KeyAssignments& state, std::uint32_t row, WideString& out);
// What the mouse column shows: the name of the first action holding the row's command, or nothing.
void mouseColumnText(const KeyAssignments& state, std::uint32_t row, TextProvider text, WideString& out);

// The assign button. `row` is the list's selection (-1 none); keys: `key` the chosen virtual key
// (0 none) with the two modifier boxes; mouse: `action` the chosen action (-1 none). Returns 0 when
// it was assigned, else the text of the error box to show (kTextSelectCommandFirst,
// kTextSelectKeyFirst, kTextAlreadyAssigned).
std::uint32_t assignKey(KeyAssignments& state, std::int32_t row, std::uint16_t key, bool ctrl, bool shift);
std::uint32_t assignMouse(KeyAssignments& state, std::int32_t row, std::int32_t action);
// The clear button on the current page; 0, or kTextSelectCommandFirst without a row.
std::uint32_t clearAssignment(KeyAssignments& state, std::int32_t row);
// The defaults of the current page (after the user said yes).
void resetAssignments(KeyAssignments& state);
// Whether the Shift box may be used with a key (not with CapsLock).
constexpr bool shiftAllowed(std::uint16_t key) { return key != kCapsLockKey; }
