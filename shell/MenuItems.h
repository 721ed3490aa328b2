// What every owner-drawn menu item shows: its command's name, "..." for items that open a dialog,
// and its key on the right. The toolbar tooltips read their key texts from the same records.
#pragma once

#include <cstdint>

#include "shell/Commands.h"
#include "shell/TextProvider.h"
#include "util/WideString.h"

constexpr std::uint32_t kMenuItemTextId = 0;       // source: a text identifier
constexpr std::uint32_t kMenuItemWideString = 1;   // source: const WideString*
constexpr std::uint32_t kMenuItemTerminated = 2;   // source: const char16_t*, 0-terminated
constexpr std::uint32_t kMenuItemStringPair = 3;   // source: const MenuItemTextPair*

// Text = first when not empty, else second + " - " + (index + 1).
struct MenuItemTextPair {
    WideString first;
    WideString second;
    std::int32_t index;
};

struct MenuItemData {
    std::uint32_t kind;
    std::uintptr_t source;  // text identifier or pointer, as kind says
    std::uint8_t ellipsis;
    const char16_t* modifierText;  // null: none
    const char16_t* keyText;       // null: the item has no key
};

// The records of the 40 slots, and the preset display texts the preset items point to. The
// records hold pointers into this structure, so it stays where it was built.
struct MenuModel {
    MenuItemData items[kKeySlotCount];
    WideString presetTexts[kPresetCount];
};

// Text N followed by text N + 10000: the name of a command.
void commandText(std::uint16_t cmd, TextProvider text, WideString& out);

// Fills every slot's record from the key table: its name source, ellipsis and key texts. Preset
// slots point to model.presetTexts (fill them with buildPresetTexts).
void buildMenuItems(const KeySlotTable& slots, MenuModel& model);
// Refreshes a record's key texts from fVirt and key; a slot without a key shows none.
void setMenuItemKey(MenuItemData& item, std::uint8_t fVirt, std::uint16_t key);

// "-" for a preset whose width or height is below 1, else its name, else "<width> x <height>".
void presetDisplayText(std::int32_t width, std::int32_t height, const WideString& name, WideString& out);
void buildPresetTexts(const std::int32_t* widths, const std::int32_t* heights, const WideString* names,
                      MenuModel& model);

// The name by kind.
void menuItemName(const MenuItemData& item, TextProvider text, WideString& out);
// What the item shows on the left: name + text (cmd + 10000) + "..." when it opens a dialog.
void menuItemText(const MenuItemData& item, std::uint16_t cmd, TextProvider text, WideString& out);
// What it shows on the right: modifier + key name; empty when it has no key.
void menuItemKeyText(const MenuItemData& item, WideString& out);
// Text measured for the item's width: the left text followed by the key text.
void menuItemMeasureText(const MenuItemData& item, std::uint16_t cmd, TextProvider text, WideString& out);

// Toolbar tooltip: text N, then " (" modifier key ")" when the command has a key.
void tooltipText(std::uint16_t cmd, const MenuItemData& item, TextProvider text, WideString& out);
