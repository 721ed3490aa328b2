#include "shell/FileDialogs.h"

#include "platform/platform.h"

namespace {

constexpr const char16_t* kAllImagePatterns = u"*.bmp;*.png;*.jpg;*.jpe;*.jpeg;*.tif;*.tiff;*.gif";

// Text and pattern of each written format, in output-format order.
struct FormatEntry {
    std::uint32_t textId;
    const char16_t* pattern;
    const char16_t* extension;
};
constexpr FormatEntry kFormats[] = {
    {21001, u"*.bmp", u"bmp"},
    {21002, u"*.png", u"png"},
    {21003, u"*.jpg;*.jpe;*.jpeg", u"jpg"},
    {21004, u"*.tif;*.tiff", u"tif"},
    {21005, u"*.gif", u"gif"},
};
constexpr std::int32_t kFormatCount = static_cast<std::int32_t>(sizeof(kFormats) / sizeof(kFormats[0]));

void addEntry(std::u16string& filter, std::u16string_view text, std::u16string_view pattern) {
    filter.append(text);
    filter.push_back(u'\0');
    filter.append(pattern);
    filter.push_back(u'\0');
}

void addEntry(std::u16string& filter, TextProvider text, std::uint32_t id, std::u16string_view pattern) {
    const WideString label = text ? text(id) : WideString();
    addEntry(filter, label.view(), pattern);
}

}  // namespace

std::u16string openDialogFilter(TextProvider text, const std::vector<WideString>& pluginPatterns) {
    std::u16string plugins;
    for (const WideString& pattern : pluginPatterns) {
        // A longer one would not fit the dialog's pattern buffer.
        if (pattern.empty() || pattern.length() >= 259) continue;
        if (!plugins.empty()) plugins.push_back(u';');
        plugins.append(pattern.view());
    }

    std::u16string filter;
    std::u16string all(kAllImagePatterns);
    if (!plugins.empty()) {
        all.push_back(u';');
        all.append(plugins);
    }
    addEntry(filter, text, 21000, all);
    for (const FormatEntry& format : kFormats) addEntry(filter, text, format.textId, format.pattern);
    if (!plugins.empty()) {
        WideString label = text ? text(21007) : WideString();
        std::u16string labelText(label.view());
        labelText.append(u" (");
        labelText.append(plugins);
        labelText.push_back(u')');
        addEntry(filter, labelText, plugins);
    }
    addEntry(filter, text, 21006, u"*.*");
    filter.push_back(u'\0');
    return filter;
}

std::u16string saveDialogFilter(TextProvider text) {
    std::u16string filter;
    for (const FormatEntry& format : kFormats) addEntry(filter, text, format.textId, format.pattern);
    filter.push_back(u'\0');
    return filter;
}

std::uint32_t saveFilterIndex(OutputFormat outputFormat) {
    // The entries follow the file formats' order; the clipboard starts on the first.
    return writesFile(outputFormat) ? static_cast<std::uint32_t>(NumberOf(outputFormat)) + 1 : 1;
}

bool formatOfSaveFilter(std::uint32_t filterIndex, OutputFormat& format) {
    if (filterIndex < 1 || filterIndex > static_cast<std::uint32_t>(kFormatCount)) return false;
    return OutputFormatOfNumber(static_cast<std::int32_t>(filterIndex) - 1, format);
}

const char16_t* saveDefaultExtension(OutputFormat outputFormat) {
    return kFormats[saveFilterIndex(outputFormat) - 1].extension;
}

WideString saveBaseName(const WideString& path) {
    WideString name(path);
    name.cut(2);
    name.cut(5);
    return name;
}

bool isFileInFolder(const WideString& path, const WideString& folder) {
    if (path.empty() || folder.empty()) return false;
    const std::size_t sep = path.view().rfind(platform::kPathSeparator);
    if (sep == std::u16string_view::npos) return false;
    WideString parent;
    parent.assign(path.c_str(), static_cast<std::uint32_t>(sep));
    if (WideString::equalsIgnoringAsciiCase(parent, folder)) return true;
    // A list read from a drive's root keeps its separator ("C:\"), and so does the root "/" elsewhere.
    parent.append(&platform::kPathSeparator, 1);
    return WideString::equalsIgnoringAsciiCase(parent, folder);
}
