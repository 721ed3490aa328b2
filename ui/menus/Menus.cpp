// The three popup menus (main, shade, preset) and their holder, built from the key slots, and
// showing them: as the view's context menu or under a toolbar button.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "shell/Language_win32.h"
#include "ui/app/App.h"

namespace {

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
    info.dwItemData = reinterpret_cast<ULONG_PTR>(&app.menus.items[slot]);
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
    buildMenuItems(app.slots, app.menus);
    app.menuHolder = CreateMenu();
    app.mainMenu = CreatePopupMenu();
    app.shadeMenu = CreatePopupMenu();
    app.presetMenu = CreatePopupMenu();
    if (!app.menuHolder || !app.mainMenu || !app.shadeMenu || !app.presetMenu) {
        // Whatever was made goes; without menus the commands still work from the toolbars and keys.
        for (HMENU* menu : {&app.mainMenu, &app.shadeMenu, &app.presetMenu, &app.menuHolder}) {
            if (*menu) DestroyMenu(*menu);
            *menu = nullptr;
        }
        return;
    }
    // The holder owns the popups from here on: destroying it destroys them.
    attachPopup(app.menuHolder, app.mainMenu);
    attachPopup(app.menuHolder, app.shadeMenu);
    attachPopup(app.menuHolder, app.presetMenu);
    fillMenu(app.mainMenu, kMainMenuItems, 0, false);
    fillMenu(app.shadeMenu, kShadeMenuItems, MFT_RADIOCHECK, false);
    fillMenu(app.presetMenu, kPresetMenuItems, 0, true);
    buildPresetItems();
}

void destroyMenus() {
    if (app.menuHolder) {
        DestroyMenu(app.menuHolder);
    } else {
        for (HMENU menu : {app.mainMenu, app.shadeMenu, app.presetMenu})
            if (menu) DestroyMenu(menu);
    }
    app.menuHolder = app.mainMenu = app.shadeMenu = app.presetMenu = nullptr;
}

void buildPresetItems() {
    buildPresetTexts(app.trimOptions.presetWidth, app.trimOptions.presetHeight, app.settings.presetName, app.menus);
    if (!app.presetMenu) return;
    // Run again after the presets change: the old items make way for the new ones.
    for (std::uint32_t k = 0; k < kPresetCount; ++k) DeleteMenu(app.presetMenu, command::kPreset1 + k, MF_BYCOMMAND);
    for (std::uint32_t k = 0; k < kPresetCount; ++k)
        insertItem(app.presetMenu, k, static_cast<std::uint16_t>(command::kPreset1 + k), 0);
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
    if (app.accelTable) {
        count = CopyAcceleratorTableW(app.accelTable, nullptr, 0);
        if (count > static_cast<int>(kKeySlotCount)) count = kKeySlotCount;
        if (count > 0) count = CopyAcceleratorTableW(app.accelTable, entries, count);
    }
    // A resource-format table marks its last entry with 0x80; it is no modifier.
    matchKeySlots(app.slots, reinterpret_cast<const AccelRecord*>(entries), count > 0 ? count : 0, 0x7F);
    destroyMenus();
    buildMenus();
    refreshToolbarTooltips();
}

void updateMenuState(HMENU menu) {
    if (!menu) return;
    if (menu == app.mainMenu) {
        enableItem(menu, command::kReload, app.document.sourcePixels && !app.document.path.empty());
        enableItem(menu, command::kSaveAs, app.document.displayPixels != nullptr);
        enableItem(menu, command::kPaste, IsClipboardFormatAvailable(CF_DIB));
    } else if (menu == app.shadeMenu) {
        const std::uint16_t checked = shadeMenuCheckedCommand(app.trimOptions.outsideShade);
        for (std::uint16_t cmd : kShadeMenuItems)
            if (cmd != command::kSeparator)
                CheckMenuItem(menu, cmd, MF_BYCOMMAND | (cmd == checked ? MF_CHECKED : MF_UNCHECKED));
    }
}

// `window` is where WM_CONTEXTMENU came from: the view, or the main window passing on a request it
// has already found to be the view's.
void showMainMenu(HWND window, POINT screen) {
    if (app.editor.trimMode != 0 || !app.mainMenu || !app.view) return;
    if (window != app.view && window != app.mainWindow) return;
    if (screen.x == -1 && screen.y == -1) {  // from the keyboard: the view's top-left corner
        screen = POINT{0, 0};
        ClientToScreen(app.view, &screen);
    }
    TrackPopupMenuEx(app.mainMenu, TPM_NOANIMATION, screen.x, screen.y, app.mainWindow, nullptr);
}

void showMenuUnderButton(HWND toolbar, int command, HMENU menu) {
    if (!toolbar || !menu) return;
    RECT button;
    if (!SendMessageW(toolbar, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button))) return;
    const LRESULT index = SendMessageW(toolbar, TB_COMMANDTOINDEX, command, 0);
    if (index >= 0) SendMessageW(toolbar, TB_SETHOTITEM, index, 0);  // the button stays lit while the menu is up
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    // The button's tooltip would otherwise come up over the menu's first item.
    if (app.tooltip) SendMessageW(app.tooltip, TTM_ACTIVATE, FALSE, 0);
    // Near the bottom of the screen the menu opens above the button rather than over it.
    TPMPARAMS avoid{sizeof avoid, button};
    TrackPopupMenuEx(menu, TPM_NOANIMATION | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL, button.left, button.bottom,
                     app.mainWindow, &avoid);
    if (app.tooltip) SendMessageW(app.tooltip, TTM_ACTIVATE, TRUE, 0);
    SendMessageW(toolbar, TB_SETHOTITEM, static_cast<WPARAM>(-1), 0);
}
