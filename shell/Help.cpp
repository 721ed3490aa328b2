#include "shell/Help.h"

#include "VantleVersion.h"
#include "platform/platform.h"

void helpFilePath(const WideString& executable, WideString& out) {
    out.assign(executable);
    out.replaceExtension(u".chm");
}

void helpPagePath(const WideString& executable, WideString& out) {
    const char16_t* path = executable.c_str();
    std::uint32_t folder = 0;  // the folder part with its last separator; none without one
    for (std::uint32_t i = 0; i < executable.length(); ++i)
        if (path[i] == platform::kPathSeparator) folder = i + 1;
    out.assign(path, folder);
    const char16_t* part = kHelpPage;
    while (*part) {
        std::uint32_t n = 0;
        while (part[n] && part[n] != u'/') ++n;
        out.appendPath(part, n);
        part += n;
        if (*part == u'/') ++part;
    }
}

void aboutVersionLine(WideString& out) {
    out.assign(u"Vantle");
    out.append(u" version ");
    out.append(WideString::fromUtf8(VANTLE_VERSION_TEXT " (64-bit)"));
}

ScreenRect aboutWindowRect(const ScreenRect& mainWindow, std::int32_t dialogFrame, std::int32_t caption) {
    const std::int64_t width = 2 * std::int64_t{dialogFrame} + kAboutClientWidth;
    const std::int64_t height = 2 * std::int64_t{dialogFrame} + caption + kAboutClientHeight;
    // Division truncates towards zero, as the window's integer arithmetic does on any monitor.
    const std::int64_t left = (std::int64_t{mainWindow.left} + mainWindow.right - width) / 2;
    const std::int64_t top = (std::int64_t{mainWindow.top} + mainWindow.bottom - height) / 2;
    return ScreenRect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                      static_cast<std::int32_t>(left + width), static_cast<std::int32_t>(top + height)};
}
