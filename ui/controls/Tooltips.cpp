// The tooltips of the toolbar buttons (the command's name and its key) and of the zoom box, all on
// the one tooltip control.

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "shell/Language_win32.h"
#include "shell/WindowTexts.h"
#include "ui/app/App.h"
#include "ui/menus/Menus.h"
#include "ui/controls/Controls.h"

namespace {

constexpr int kTooltipToolbars[] = {control::kMainToolbar, control::kTrimToolbar, control::kPerspectiveToolbar};

HWND toolbarHolding(std::uint16_t cmd) {
    for (int id : kTooltipToolbars) {
        HWND toolbar = toolbarById(id);
        if (toolbar && SendMessageW(toolbar, TB_COMMANDTOINDEX, cmd, 0) >= 0) return toolbar;
    }
    return nullptr;
}

// A button's tool: its rectangle in the toolbar and its text. False when no toolbar has the button.
bool buttonTool(std::uint16_t cmd, TTTOOLINFOW& tool, WideString& text) {
    HWND toolbar = toolbarHolding(cmd);
    if (!toolbar) return false;
    tool = TTTOOLINFOW{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = toolbar;
    tool.uId = cmd;
    SendMessageW(toolbar, TB_GETRECT, cmd, reinterpret_cast<LPARAM>(&tool.rect));
    ToolbarTooltip(cmd, menuModel(), loadText, text);
    tool.lpszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text.c_str()));
    return true;
}

bool zoomBoxTool(TTTOOLINFOW& tool, WideString& text) {
    HWND box = controlById(control::kZoomBox);
    if (!box) return false;
    tool = TTTOOLINFOW{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(box);
    tool.uId = reinterpret_cast<UINT_PTR>(box);
    text = loadText(control::kZoomBox);
    tool.lpszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text.c_str()));
    return true;
}

}  // namespace

void addToolbarTooltips() {
    HWND tooltip = tooltipWindow();
    if (!tooltip) return;
    TTTOOLINFOW tool;
    WideString text;
    for (std::uint16_t cmd : kTooltipCommands)
        if (buttonTool(cmd, tool, text)) SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    if (zoomBoxTool(tool, text)) SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// After a change of keys, language or font: new texts, and new rectangles for resized buttons.
void refreshToolbarTooltips() {
    HWND tooltip = tooltipWindow();
    if (!tooltip) return;
    TTTOOLINFOW tool;
    WideString text;
    for (std::uint16_t cmd : kTooltipCommands) {
        if (!buttonTool(cmd, tool, text)) continue;
        SendMessageW(tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
        SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (zoomBoxTool(tool, text)) SendMessageW(tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}
