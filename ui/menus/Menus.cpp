// The three popup menus (main, shade, preset) and their holder, built from the key slots, and
// showing them: as the view's context menu or under a toolbar button.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ui/menus/Menus.h"

#include "shell/Language_win32.h"
#include "ui/app/App.h"
#include "ui/controls/Controls.h"
#include "ui/view/View.h"

namespace {

// The item texts and keys of the slots, the holder (never shown) that keeps the three popups as its
// items 0, 1, 2, and the popups.
struct MenuState {
    MenuModel model;
    HMENU holder = nullptr;
    HMENU main = nullptr;
    HMENU shade = nullptr;
    HMENU preset = nullptr;
};
MenuState menus;

const wchar_t* wide(const WideString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// One owner-drawn item; its data is the slot's record, which the drawing code reads.
void insertItem(HMENU menu, UINT position, std::uint16_t cmd, UINT extraType) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    if (cmd == command::kSeparator) {
        info.fMask = MIIM_FTYPE | MIIM_ID;
        info.fType = MFT_SEPARATOR;
        info.wID = command::kSeparator;
        InsertMenuItemW(menu, position, TRUE, &info);
        return;
    }
    const int slot = keySlotOfCommand(cmd);
    if (slot < 0) return;
    // The string is what keyboard navigation of the menu matches against; the drawing builds the
    // shown text itself.
    WideString name;
    commandText(cmd, loadText, name);
    info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID | MIIM_DATA;
    info.fType = MFT_OWNERDRAW | extraType;
    info.wID = cmd;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(&menus.model.items[slot]);
    info.dwTypeData = const_cast<wchar_t*>(wide(name));
    InsertMenuItemW(menu, position, TRUE, &info);
}

template <std::size_t N>
void fillMenu(HMENU menu, const std::uint16_t (&items)[N], UINT extraType, bool skipPresets) {
    for (std::uint16_t cmd : items) {
        if (skipPresets && cmd >= command::kPreset1 && cmd < command::kPreset1 + kPresetCount) continue;
        insertItem(menu, static_cast<UINT>(-1), cmd, cmd == command::kSeparator ? 0 : extraType);
    }
}

void attachPopup(HMENU holder, HMENU popup) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    info.hSubMenu = popup;
    InsertMenuItemW(holder, static_cast<UINT>(-1), TRUE, &info);
}

void enableItem(HMENU menu, UINT cmd, bool enabled) {
    EnableMenuItem(menu, cmd, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace

void buildMenus() {
    buildMenuItems(app.slots, menus.model);
    menus.holder = CreateMenu();
    menus.main = CreatePopupMenu();
    menus.shade = CreatePopupMenu();
    menus.preset = CreatePopupMenu();
    if (!menus.holder || !menus.main || !menus.shade || !menus.preset) {
        // Whatever was made goes; without menus the commands still work from the toolbars and keys.
        for (HMENU* menu : {&menus.main, &menus.shade, &menus.preset, &menus.holder}) {
            if (*menu) DestroyMenu(*menu);
            *menu = nullptr;
        }
        return;
    }
    // The holder owns the popups from here on: destroying it destroys them.
    attachPopup(menus.holder, menus.main);
    attachPopup(menus.holder, menus.shade);
    attachPopup(menus.holder, menus.preset);
    fillMenu(menus.main, kMainMenuItems, 0, false);
    fillMenu(menus.shade, kShadeMenuItems, MFT_RADIOCHECK, false);
    fillMenu(menus.preset, kPresetMenuItems, 0, true);
    buildPresetItems();
}

void destroyMenus() {
    if (menus.holder) {
        DestroyMenu(menus.holder);
    } else {
        for (HMENU menu : {menus.main, menus.shade, menus.preset})
            if (menu) DestroyMenu(menu);
    }
    menus.holder = menus.main = menus.shade = menus.preset = nullptr;
}

void buildPresetItems() {
    buildPresetTexts(app.settings.presetWidth, app.settings.presetHeight, app.settings.presetName, menus.model);
    if (!menus.preset) return;
    // Run again after the presets change: the old items make way for the new ones.
    for (std::uint32_t k = 0; k < kPresetCount; ++k) DeleteMenu(menus.preset, command::kPreset1 + k, MF_BYCOMMAND);
    for (std::uint32_t k = 0; k < kPresetCount; ++k)
        insertItem(menus.preset, k, static_cast<std::uint16_t>(command::kPreset1 + k), 0);
}

void rebuildAfterKeyChange() {
    destroyAcceleratorTable();
    buildAcceleratorList(app.slots, app.accelerators);
    createAcceleratorTable();
    destroyMenus();
    buildMenus();
    refreshToolbarTooltips();
}

void rebuildAfterLanguageChange() {
    // The slots are read back from the table in force, so the keys survive whatever the slot table
    // held.
    ACCEL entries[kKeySlotCount];
    int count = 0;
    if (HACCEL table = acceleratorTable()) {
        count = CopyAcceleratorTableW(table, nullptr, 0);
        if (count > static_cast<int>(kKeySlotCount)) count = kKeySlotCount;
        if (count > 0) count = CopyAcceleratorTableW(table, entries, count);
    }
    // A resource-format table marks its last entry with 0x80; it is no modifier.
    matchKeySlots(app.slots, reinterpret_cast<const AccelRecord*>(entries), count > 0 ? count : 0, 0x7F);
    destroyMenus();
    buildMenus();
    refreshToolbarTooltips();
}

void updateMenuState(HMENU menu) {
    if (!menu) return;
    if (menu == menus.main) {
        enableItem(menu, command::kReload, app.document.sourcePixels && !app.document.path.empty());
        enableItem(menu, command::kSaveAs, app.document.displayPixels != nullptr);
        enableItem(menu, command::kPaste, IsClipboardFormatAvailable(CF_DIB));
    } else if (menu == menus.shade) {
        const std::uint16_t checked = shadeMenuCheckedCommand(app.settings.outsideShade);
        for (std::uint16_t cmd : kShadeMenuItems)
            if (cmd != command::kSeparator)
                CheckMenuItem(menu, cmd, MF_BYCOMMAND | (cmd == checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

void showMainMenu(HWND window, POINT screen) {
    HWND view = viewWindow();
    if (active(app.editor.trimMode) || !menus.main || !view) return;
    if (window != view && window != app.mainWindow) return;
    if (screen.x == -1 && screen.y == -1) {  // from the keyboard: the view's top-left corner
        screen = POINT{0, 0};
        ClientToScreen(view, &screen);
    }
    TrackPopupMenuEx(menus.main, TPM_NOANIMATION, screen.x, screen.y, app.mainWindow, nullptr);
}

void showMenuUnderButton(HWND toolbar, int command, HMENU menu) {
    if (!toolbar || !menu) return;
    RECT button;
    if (!SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button))) return;
    const LRESULT index = SendMessageW(toolbar, TB_COMMANDTOINDEX, command, 0);
    if (index >= 0) SendMessageW(toolbar, TB_SETHOTITEM, index, 0);  // the button stays lit while the menu is up
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    // The button's tooltip would otherwise come up over the menu's first item.
    HWND tooltip = tooltipWindow();
    if (tooltip) SendMessageW(tooltip, TTM_ACTIVATE, FALSE, 0);
    // Near the bottom of the screen the menu opens above the button rather than over it.
    TPMPARAMS avoid{sizeof avoid, button};
    TrackPopupMenuEx(menu, TPM_NOANIMATION | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL, button.left, button.bottom,
                     app.mainWindow, &avoid);
    if (tooltip) SendMessageW(tooltip, TTM_ACTIVATE, TRUE, 0);
    SendMessageW(toolbar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
}

HMENU mainMenu() { return menus.main; }
HMENU shadeMenu() { return menus.shade; }
HMENU presetMenu() { return menus.preset; }
const MenuModel& menuModel() { return menus.model; }
