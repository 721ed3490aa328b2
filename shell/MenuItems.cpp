#include "shell/MenuItems.h"

#include "shell/KeyNames.h"

void commandText(std::uint16_t cmd, TextProvider text, WideString& out) {
    out = text(cmd);
    out.append(text(cmd + command::kSuffixTextOffset));
}

void setMenuItemKey(MenuItemData& item, std::uint8_t fVirt, std::uint16_t key) {
    // A slot without a key gets neither text, whatever its modifier bits say.
    item.keyText = key != 0 ? keyName(key & 0xFFFF) : nullptr;
    item.modifierText = item.keyText ? modifierName(fVirt & 0xFF) : nullptr;
}

void buildMenuItems(const KeySlotTable& slots, MenuModel& model) {
    for (std::uint32_t i = 0; i < kKeySlotCount; ++i) {
        const AccelRecord& slot = slots.slots[i];
        MenuItemData& item = model.items[i];
        if (i >= kFirstPresetSlot && i < kFirstPresetSlot + kPresetCount) {
            item.kind = kMenuItemWideString;
            item.source = reinterpret_cast<std::uintptr_t>(&model.presetTexts[i - kFirstPresetSlot]);
        } else {
            item.kind = kMenuItemTextId;
            item.source = slot.cmd;
        }
        item.ellipsis = commandOpensDialog(slot.cmd) ? 1 : 0;
        setMenuItemKey(item, slot.fVirt, slot.key);
    }
}

void presetDisplayText(std::int32_t width, std::int32_t height, const WideString& name, WideString& out) {
    if (width < 1 || height < 1) {
        out.assign(u"-");
    } else if (!name.empty()) {
        out.assign(name);
    } else {
        out.clear();
        out.appendInt(width);
        out.append(u" x ");
        out.appendInt(height);
    }
}

void buildPresetTexts(const std::int32_t* widths, const std::int32_t* heights, const WideString* names,
                      MenuModel& model) {
    for (std::uint32_t k = 0; k < kPresetCount; ++k) presetDisplayText(widths[k], heights[k], names[k], model.presetTexts[k]);
}

void menuItemName(const MenuItemData& item, TextProvider text, WideString& out) {
    out.clear();
    switch (item.kind) {
    case kMenuItemTextId:
        out = text(static_cast<std::uint32_t>(item.source));
        break;
    case kMenuItemWideString:
        if (item.source) out.assign(*reinterpret_cast<const WideString*>(item.source));
        break;
    case kMenuItemTerminated:
        if (item.source) out.assign(reinterpret_cast<const char16_t*>(item.source));
        break;
    case kMenuItemStringPair:
        if (item.source) {
            const auto& pair = *reinterpret_cast<const MenuItemTextPair*>(item.source);
            if (!pair.first.empty()) {
                out.assign(pair.first);
            } else {
                out.assign(pair.second);
                out.append(u" - ");
                out.appendInt(pair.index + 1);
            }
        }
        break;
    default:
        break;
    }
}

void menuItemText(const MenuItemData& item, std::uint16_t cmd, TextProvider text, WideString& out) {
    menuItemName(item, text, out);
    out.append(text(cmd + command::kSuffixTextOffset));
    if (item.ellipsis) out.append(u"...");
}

void menuItemKeyText(const MenuItemData& item, WideString& out) {
    out.clear();
    if (!item.keyText) return;
    if (item.modifierText) out.append(item.modifierText);
    out.append(item.keyText);
}

void menuItemMeasureText(const MenuItemData& item, std::uint16_t cmd, TextProvider text, WideString& out) {
    menuItemText(item, cmd, text, out);
    WideString key;
    menuItemKeyText(item, key);
    out.append(key);
}

void tooltipText(std::uint16_t cmd, const MenuItemData& item, TextProvider text, WideString& out) {
    out = text(cmd);
    WideString key;
    menuItemKeyText(item, key);
    if (key.empty()) return;
    out.append(u" (");
    out.append(key);
    out.append(u")");
}
