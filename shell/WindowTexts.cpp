#include "shell/WindowTexts.h"

#include <cmath>

#include "platform/platform.h"

const std::uint16_t kTooltipCommands[14] = {
    command::kMainMenu,     command::kOpen,        command::kFileList,   command::kZoomFit,
    command::kZoomActual,   command::kShadeMenu,   command::kTrimExecute, command::kTrimCancel,
    command::kTrimCentre,   command::kPerspectiveReset, command::kCornerLeft, command::kCornerRight,
    command::kCornerUp,     command::kCornerDown,
};

WideString MainWindowTitle(const TitleInfo& info, TextProvider text) {
    if (info.trim && active(info.trim->trimMode))
        return TrimTitle(*info.trim, text(kTextTrimTitle).c_str(), text(kTextWidthLabel).c_str(),
                         text(kTextHeightLabel).c_str());
    WideString title;
    if (!info.imageShown) {
        title.assign(u"Vantle");
        return title;
    }
    if (info.sourcePath && !info.sourcePath->empty()) {
        const std::u16string_view path = info.sourcePath->view();
        const std::size_t sep = path.rfind(platform::kPathSeparator);
        const std::u16string_view name = sep == std::u16string_view::npos ? path : path.substr(sep + 1);
        title.assign(name.data(), static_cast<std::uint32_t>(name.size()));
        title.append(u" ... ");
    }
    title.append(text(kTextWidthLabel));
    title.appendInt(info.width);
    title.append(u" ");
    title.append(text(kTextHeightLabel));
    title.appendInt(info.height);
    return title;
}

std::int32_t ZoomPercent(double zoom) { return static_cast<std::int32_t>(std::lround(zoom * 100)); }

void ToolbarTooltip(std::uint16_t cmd, const MenuModel& menus, TextProvider text, WideString& out) {
    const int slot = keySlotOfCommand(cmd);
    MenuItemData keyless{kMenuItemTextId, cmd, 0, nullptr, nullptr};
    tooltipText(cmd, slot >= 0 ? menus.items[slot] : keyless, text, out);
}
