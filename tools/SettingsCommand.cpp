// settings FILE [--set NAME=VALUE]... [--write]: every field of a settings file as the program
// loads it, one per line (index name value); --set changes fields in memory, --write saves them
// through the settings writer (the old file is replaced only when the new one is complete).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/Settings.h"
#include "tools/Cli.h"

namespace cli {
namespace {

struct Field {
    std::uint32_t index;
    std::string name;
    enum Kind { Byte, Int, Text, Other } kind;
    void* value;
};

std::vector<Field> fieldsOf(Settings& s) {
    std::vector<Field> f = {
        {entry::kLanguageName, "languageName", Field::Text, &s.languageName},
        {entry::kWindowMaximized, "windowMaximized", Field::Byte, &s.windowMaximized},
        {entry::kWindowLeft, "windowLeft", Field::Int, &s.windowLeft},
        {entry::kWindowTop, "windowTop", Field::Int, &s.windowTop},
        {entry::kWindowWidth, "windowWidth", Field::Int, &s.windowWidth},
        {entry::kWindowHeight, "windowHeight", Field::Int, &s.windowHeight},
        {entry::kOutsideShade, "outsideShade", Field::Int, &s.outsideShade},
        {entry::kFontHeight, "fontHeight", Field::Int, &s.fontHeight},
        {entry::kFontWeight, "fontWeight", Field::Int, &s.fontWeight},
        {entry::kCurrentFolder, "currentFolder", Field::Text, &s.currentFolder},
        {entry::kPluginFolder, "pluginFolder", Field::Text, &s.pluginFolder},
        {entry::kKeyAssignments, "keyAssignments", Field::Other, nullptr},
        {entry::kOutputFolder, "outputFolder", Field::Text, &s.outputFolder},
        {entry::kOutputSubfolder, "outputSubfolder", Field::Text, &s.outputSubfolder},
        {entry::kTrimWidth, "trimWidth", Field::Int, &s.trimWidth},
        {entry::kTrimHeight, "trimHeight", Field::Int, &s.trimHeight},
    };
    for (std::uint32_t k = 0; k < kPresetCount; ++k)
        f.push_back({entry::kPresetWidth + k, "presetWidth[" + std::to_string(k) + "]", Field::Int, &s.presetWidth[k]});
    for (std::uint32_t k = 0; k < kPresetCount; ++k)
        f.push_back({entry::kPresetHeight + k, "presetHeight[" + std::to_string(k) + "]", Field::Int, &s.presetHeight[k]});
    for (std::uint32_t k = 0; k < kPresetCount; ++k)
        f.push_back({entry::kPresetName + k, "presetName[" + std::to_string(k) + "]", Field::Text, &s.presetName[k]});
    const std::vector<Field> rest = {
        {entry::kSharpen, "sharpen", Field::Byte, &s.sharpen},
        {entry::kAutoLevelsFilter, "autoLevelsFilter", Field::Byte, &s.autoLevelsFilter},
        {entry::kOutputFormat, "outputFormat", Field::Int, &s.outputFormat},
        {entry::kInterlaced, "interlaced", Field::Byte, &s.interlaced},
        {entry::kJpegQuality, "jpegQuality", Field::Int, &s.jpegQuality},
        {entry::kJpegSubsampling, "jpegSubsampling", Field::Int, &s.jpegSubsampling},
        {entry::kJpegProgressive, "jpegProgressive", Field::Byte, &s.jpegProgressive},
        {entry::kKeepExif, "keepExif", Field::Byte, &s.keepExif},
        {entry::kLimitJpegSize, "limitJpegSize", Field::Byte, &s.limitJpegSize},
        {entry::kJpegSizeLimitKiB, "jpegSizeLimitKiB", Field::Int, &s.jpegSizeLimitKiB},
        {entry::kCreateOutputFolder, "createOutputFolder", Field::Byte, &s.createOutputFolder},
        {entry::kUsePrefix, "usePrefix", Field::Byte, &s.usePrefix},
        {entry::kNamePrefix, "namePrefix", Field::Text, &s.namePrefix},
        {entry::kUseSuffix, "useSuffix", Field::Byte, &s.useSuffix},
        {entry::kNameSuffix, "nameSuffix", Field::Text, &s.nameSuffix},
        {entry::kAppendSize, "appendSize", Field::Byte, &s.appendSize},
        {entry::kDisabledPlugins, "disabledPlugins", Field::Other, nullptr},
    };
    f.insert(f.end(), rest.begin(), rest.end());
    for (std::uint32_t k = 0; k < kMouseActionCount; ++k)
        f.push_back({entry::kMouseActions + k, "mouseActions[" + std::to_string(k) + "]", Field::Int, &s.mouseActions[k]});
    const std::vector<Field> tail = {
        {entry::kKeyDialogMouseMode, "keyDialogMouseMode", Field::Byte, &s.keyDialogMouseMode},
        {entry::kFontFace, "fontFace", Field::Text, &s.fontFace},
        {entry::kLargeDialogFont, "largeDialogFont", Field::Byte, &s.largeDialogFont},
        {entry::kResizeMethod, "resizeMethod", Field::Int, &s.resizeMethod},
    };
    f.insert(f.end(), tail.begin(), tail.end());
    return f;
}

std::string quoted(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    out += text;
    out += '"';
    return out;
}

std::string valueText(const Field& f, const Settings& s, const AcceleratorList& accelerators) {
    switch (f.kind) {
    case Field::Byte: return std::to_string(*static_cast<const std::uint8_t*>(f.value));
    case Field::Int: return std::to_string(*static_cast<const std::int32_t*>(f.value));
    case Field::Text: return quoted(static_cast<const WideString*>(f.value)->toUtf8());
    case Field::Other: break;
    }
    if (f.index == entry::kKeyAssignments) return std::to_string(accelerators.count) + " accelerators";
    std::string names;
    for (const PluginName* p = s.disabledPlugins.first; p; p = p->next) {
        if (!names.empty()) names += ';';
        names += p->name.toUtf8();
    }
    return quoted(names);
}

bool setField(const Field& f, const std::string& value) {
    if (f.kind == Field::Text) {
        *static_cast<WideString*>(f.value) = WideString::fromUtf8(value);
        return true;
    }
    if (f.kind == Field::Other || value.empty()) return false;
    char* end = nullptr;
    const long long v = std::strtoll(value.c_str(), &end, 10);
    if (*end) return false;
    if (f.kind == Field::Byte) {
        if (v < 0 || v > 255) return false;
        *static_cast<std::uint8_t*>(f.value) = static_cast<std::uint8_t>(v);
    } else {
        if (v < INT32_MIN || v > INT32_MAX) return false;
        *static_cast<std::int32_t*>(f.value) = static_cast<std::int32_t>(v);
    }
    return true;
}

}  // namespace

int runSettings(const Command& self, const Arguments& arguments) {
    const WideString* path = nullptr;
    std::vector<std::string> sets;
    bool write = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string a = arguments[i].toUtf8();
        if (a == "--write") {
            write = true;
        } else if (a == "--set") {
            if (i + 1 >= arguments.size()) return usageError(self, "--set expects NAME=VALUE");
            sets.push_back(arguments[++i].toUtf8());
        } else if (!a.empty() && a[0] == '-') {
            return usageError(self, ("unknown option " + a).c_str());
        } else if (path) {
            return usageError(self, "expects one settings file");
        } else {
            path = &arguments[i];
        }
    }
    if (!path) return usageError(self, "expects a settings file");
    if (write && sets.empty()) return usageError(self, "--write needs at least one --set");

    Settings settings;
    KeySlotTable slots;
    AcceleratorList accelerators;
    // A missing file reads as the defaults, as at the program's first start.
    loadSettingsFile(path->c_str(), settings, slots, accelerators);
    std::vector<Field> fields = fieldsOf(settings);
    for (const std::string& s : sets) {
        const std::size_t eq = s.find('=');
        const std::string name = s.substr(0, eq);
        Field* field = nullptr;
        for (Field& f : fields)
            if (f.name == name) field = &f;
        if (eq == std::string::npos || !field) return usageError(self, ("unknown field in --set " + s).c_str());
        if (!setField(*field, s.substr(eq + 1))) return usageError(self, ("bad value in --set " + s).c_str());
    }
    for (const Field& f : fields)
        std::printf("%u %s %s\n", f.index, f.name.c_str(), valueText(f, settings, accelerators).c_str());
    if (write && !saveSettingsFile(path->c_str(), settings, accelerators)) {
        reportError(*path, CodecStatus::CannotCreate);
        return kFailed;
    }
    return kOk;
}

}  // namespace cli
