#include "shell/Settings.h"

#include "util/files.h"

// ---- location ----

std::uint8_t placementIsMaximized(std::uint32_t showCmd, std::uint32_t flags) {
    constexpr std::uint32_t kShowMinimized = 2, kShowMaximized = 3, kRestoreToMaximized = 2;
    if (showCmd == kShowMinimized) return (flags & kRestoreToMaximized) != 0 ? 1 : 0;
    return showCmd == kShowMaximized ? 1 : 0;
}

bool locateSettingsFile(WideString& path) {
    WideString exe;
    modulePath(exe);
    if (!exe.empty()) {
        WideString folder = exe;
        folder.cut(3);
        WideString candidate;
        candidate.setPath(folder, kSettingsFileName);
        if (platform::pathExists(candidate.c_str())) {
            path = std::move(candidate);
            return true;
        }
    }
    char16_t buffer[1024];
    if (!platform::specialFolder(platform::SpecialFolder::appData, buffer, 1024) || buffer[0] == 0) return false;
    WideString base(buffer);
    // ~/.config need not exist yet on a fresh Linux account; the per-user folder on Windows does.
    if (!platform::isDirectory(base.c_str())) platform::createDirectory(base.c_str());
    WideString folder;
    folder.setPath(base, u"Vantle");
    if (!platform::isDirectory(folder.c_str()) && !platform::createDirectory(folder.c_str())) return false;
    path.setPath(folder, kSettingsFileName);
    return true;
}

// ---- loading ----

namespace {

std::uint8_t readFlag(const SettingsReader& reader, std::uint32_t index, std::uint8_t defaultValue) {
    return static_cast<std::uint8_t>(reader.readInt(index, defaultValue) & 1);
}

std::int32_t oneOf(std::int32_t value, std::initializer_list<std::int32_t> accepted, std::int32_t fallback) {
    for (std::int32_t a : accepted)
        if (a == value) return value;
    return fallback;
}

std::int32_t upTo(std::int32_t value, std::uint32_t highest, std::int32_t fallback) {
    return static_cast<std::uint32_t>(value) <= highest ? value : fallback;
}

std::int32_t atLeastOne(std::int32_t value) { return value < 1 ? 1 : value; }

void loadPluginList(const SettingsReader& reader, PluginNameList& list) {
    list.clear();
    if (!reader.loaded || reader.entryCount <= entry::kDisabledPlugins) return;
    const std::uint32_t length = reader.readData(entry::kDisabledPlugins, nullptr, 0);
    const std::uint32_t units = length / 2;
    if (units == 0) return;
    auto* bytes = static_cast<std::uint8_t*>(platform::heapAlloc(length));
    if (!bytes) return;
    if (reader.readData(entry::kDisabledPlugins, bytes, length) == length) {
        auto* text = reinterpret_cast<char16_t*>(bytes);
        for (std::uint32_t i = 0; i < units; ++i) text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        // Names each end in a 0; a last name without one still counts, empty names do not.
        std::uint32_t start = 0;
        for (std::uint32_t i = 0; i <= units; ++i) {
            if (i < units && text[i] != 0) continue;
            if (i > start) list.append(text + start, i - start);
            start = i + 1;
        }
    }
    platform::heapFree(bytes);
}

void loadKeys(const SettingsReader& reader, KeySlotTable& slots, AcceleratorList& accelerators) {
    constexpr std::uint32_t kMaxBytes = 6 * kKeySlotCount;
    SettingsEntry e{};
    const bool usable = reader.loaded && reader.entryCount > entry::kKeyAssignments &&
                        reader.dataEntry(entry::kKeyAssignments, &e) && e.value <= reader.dataAreaSize &&
                        e.value / 6 != 0 && e.value <= kMaxBytes;
    if (!usable) {
        // More than 40 records cannot come from this program either; such a table is not examined.
        defaultKeySlots(slots);
    } else {
        std::uint8_t raw[kMaxBytes];
        AccelRecord records[kKeySlotCount];
        std::uint32_t count = e.value / 6;
        if (reader.readData(entry::kKeyAssignments, raw, kMaxBytes) != e.value) count = 0;
        for (std::uint32_t r = 0; r < count; ++r) {
            const std::uint8_t* p = raw + 6 * r;
            records[r] = AccelRecord{p[0], static_cast<std::uint16_t>(p[2] | p[3] << 8),
                                     static_cast<std::uint16_t>(p[4] | p[5] << 8)};
        }
        matchKeySlots(slots, records, count, 0x0F, 0xFF);
    }
    buildAcceleratorList(slots, accelerators);
}

}  // namespace

void loadSettings(SettingsReader& reader, Settings& s, KeySlotTable& slots, AcceleratorList& accelerators) {
    for (std::uint32_t i = 0; i < kMouseActionCount; ++i)
        s.mouseActions[i] = reader.readInt(entry::kMouseActions + i, kDefaultMouseActions[i]);
    s.keyDialogMouseMode = readFlag(reader, entry::kKeyDialogMouseMode, 0);
    s.outsideShade = reader.readInt(entry::kOutsideShade, 1);

    reader.readText(entry::kFontFace, s.fontFace);
    if (s.fontFace.empty()) {
        char16_t face[64];
        if (platform::menuFontFace(face, 64)) s.fontFace.assign(face);
    }
    s.fontHeight = oneOf(reader.readInt(entry::kFontHeight, -12), {-16, -14, -12}, -12);
    s.fontWeight = oneOf(reader.readInt(entry::kFontWeight, 400), {400, 700}, 400);
    s.largeDialogFont = readFlag(reader, entry::kLargeDialogFont, 0);

    reader.readText(entry::kCurrentFolder, s.currentFolder);
    if (!platform::isDirectory(s.currentFolder.c_str())) {
        char16_t documents[1024];
        if (platform::specialFolder(platform::SpecialFolder::documents, documents, 1024)) s.currentFolder.assign(documents);
        else s.currentFolder.clear();
    }
    reader.readText(entry::kPluginFolder, s.pluginFolder);
    loadPluginList(reader, s.disabledPlugins);
    loadKeys(reader, slots, accelerators);

    reader.readText(entry::kOutputFolder, s.outputFolder);
    // Only a missing entry means "Output"; an empty one stays empty.
    if (!reader.readText(entry::kOutputSubfolder, s.outputSubfolder)) s.outputSubfolder.assign(u"Output");
    s.trimWidth = atLeastOne(reader.readInt(entry::kTrimWidth, 400));
    s.trimHeight = atLeastOne(reader.readInt(entry::kTrimHeight, 300));

    static constexpr std::int32_t kPresetWidths[kPresetCount] = {800, 400, 200, 0, 0, 0, 0, 0};
    static constexpr std::int32_t kPresetHeights[kPresetCount] = {450, 300, 200, 0, 0, 0, 0, 0};
    for (std::uint32_t k = 0; k < kPresetCount; ++k) {
        s.presetWidth[k] = reader.readInt(entry::kPresetWidth + k, kPresetWidths[k]);
        s.presetHeight[k] = reader.readInt(entry::kPresetHeight + k, kPresetHeights[k]);
        reader.readText(entry::kPresetName + k, s.presetName[k]);
    }
    s.resizeMethod = static_cast<ResizeFilter>(upTo(reader.readInt(entry::kResizeMethod, 0), kResizeFilterCount - 1, 0));

    s.sharpen = readFlag(reader, entry::kSharpen, 0);
    s.autoLevelsFilter = readFlag(reader, entry::kAutoLevelsFilter, 0);
    OutputFormatOfNumber(upTo(reader.readInt(entry::kOutputFormat, 2), kOutputFormatCount - 1, 2), s.outputFormat);
    s.interlaced = readFlag(reader, entry::kInterlaced, 0);
    const std::int32_t quality = reader.readInt(entry::kJpegQuality, 75);
    s.jpegQuality = quality >= 1 && quality <= 100 ? quality : 75;
    s.jpegSubsampling = upTo(reader.readInt(entry::kJpegSubsampling, 0), 2, 0);
    s.jpegProgressive = readFlag(reader, entry::kJpegProgressive, 0);
    s.keepExif = readFlag(reader, entry::kKeepExif, 0);
    s.limitJpegSize = readFlag(reader, entry::kLimitJpegSize, 0);
    s.jpegSizeLimitKiB = reader.readInt(entry::kJpegSizeLimitKiB, 100);
    s.createOutputFolder = readFlag(reader, entry::kCreateOutputFolder, 1);
    s.usePrefix = readFlag(reader, entry::kUsePrefix, 0);
    reader.readText(entry::kNamePrefix, s.namePrefix);
    s.useSuffix = readFlag(reader, entry::kUseSuffix, 0);
    reader.readText(entry::kNameSuffix, s.nameSuffix);
    s.appendSize = readFlag(reader, entry::kAppendSize, 0);
}

void loadWindowPlacement(SettingsReader& reader, Settings& s) {
    s.windowMaximized = readFlag(reader, entry::kWindowMaximized, 0);
    s.windowLeft = reader.readInt(entry::kWindowLeft, 200);
    s.windowTop = reader.readInt(entry::kWindowTop, 100);
    s.windowWidth = reader.readInt(entry::kWindowWidth, 800);
    s.windowHeight = reader.readInt(entry::kWindowHeight, 600);
}

// ---- saving ----

namespace {

// Names whose plug-in file is still there, each followed by a 0; anything else writes an empty
// entry.
bool savePluginList(SettingsWriter& w, const Settings& s) {
    std::uint64_t units = 0;
    WideString path;
    for (const PluginName* p = s.disabledPlugins.first; p; p = p->next) {
        path.assign(s.pluginFolder);
        path.appendPath(p->name.c_str(), p->name.length());
        if (!p->name.empty() && platform::pathExists(path.c_str())) units += p->name.length() + 1;
    }
    if (units == 0 || units * 2 > 0xFFFFFFFFull) return w.writeData(entry::kDisabledPlugins, nullptr, 0);
    auto* bytes = static_cast<std::uint8_t*>(platform::heapAlloc(static_cast<std::size_t>(units * 2)));
    if (!bytes) return w.writeData(entry::kDisabledPlugins, nullptr, 0);
    std::uint32_t at = 0;
    for (const PluginName* p = s.disabledPlugins.first; p; p = p->next) {
        path.assign(s.pluginFolder);
        path.appendPath(p->name.c_str(), p->name.length());
        if (p->name.empty() || !platform::pathExists(path.c_str())) continue;
        // Checked twice; a file that vanished in between must not overrun the buffer.
        if (at + (p->name.length() + 1) * 2 > units * 2) break;
        const char16_t* name = p->name.c_str();
        for (std::uint32_t i = 0; i <= p->name.length(); ++i) {
            const char16_t c = i < p->name.length() ? name[i] : 0;
            bytes[at++] = static_cast<std::uint8_t>(c);
            bytes[at++] = static_cast<std::uint8_t>(c >> 8);
        }
    }
    const bool ok = w.writeData(entry::kDisabledPlugins, bytes, at);
    platform::heapFree(bytes);
    return ok;
}

bool saveKeys(SettingsWriter& w, const AccelRecord* accelerators, std::uint32_t count) {
    if (count > kKeySlotCount) count = kKeySlotCount;
    std::uint8_t raw[6 * kKeySlotCount];
    for (std::uint32_t r = 0; r < count; ++r) {
        std::uint8_t* p = raw + 6 * r;
        p[0] = accelerators[r].fVirt;
        p[1] = 0;
        p[2] = static_cast<std::uint8_t>(accelerators[r].key);
        p[3] = static_cast<std::uint8_t>(accelerators[r].key >> 8);
        p[4] = static_cast<std::uint8_t>(accelerators[r].cmd);
        p[5] = static_cast<std::uint8_t>(accelerators[r].cmd >> 8);
    }
    return w.writeData(entry::kKeyAssignments, raw, 6 * count);
}

}  // namespace

bool saveSettings(SettingsWriter& w, const Settings& s, const AccelRecord* accelerators, std::uint32_t count) {
    if (!w.ready) return false;
    bool ok = true;
    ok &= w.writeText(entry::kLanguageName, s.languageName);
    ok &= w.writeInt(entry::kWindowMaximized, s.windowMaximized);
    ok &= w.writeInt(entry::kWindowLeft, s.windowLeft);
    ok &= w.writeInt(entry::kWindowTop, s.windowTop);
    ok &= w.writeInt(entry::kWindowWidth, s.windowWidth);
    ok &= w.writeInt(entry::kWindowHeight, s.windowHeight);
    for (std::uint32_t i = 0; i < kMouseActionCount; ++i) ok &= w.writeInt(entry::kMouseActions + i, s.mouseActions[i]);
    ok &= w.writeInt(entry::kKeyDialogMouseMode, s.keyDialogMouseMode);
    ok &= w.writeInt(entry::kOutsideShade, s.outsideShade);
    ok &= w.writeText(entry::kFontFace, s.fontFace);
    ok &= w.writeInt(entry::kFontHeight, s.fontHeight);
    ok &= w.writeInt(entry::kFontWeight, s.fontWeight);
    ok &= w.writeInt(entry::kLargeDialogFont, s.largeDialogFont);
    ok &= w.writeText(entry::kCurrentFolder, s.currentFolder);
    ok &= w.writeText(entry::kPluginFolder, s.pluginFolder);
    ok &= savePluginList(w, s);
    ok &= saveKeys(w, accelerators, accelerators ? count : 0);
    ok &= w.writeText(entry::kOutputFolder, s.outputFolder);
    ok &= w.writeText(entry::kOutputSubfolder, s.outputSubfolder);
    ok &= w.writeInt(entry::kTrimWidth, s.trimWidth);
    ok &= w.writeInt(entry::kTrimHeight, s.trimHeight);
    for (std::uint32_t k = 0; k < kPresetCount; ++k) {
        ok &= w.writeInt(entry::kPresetWidth + k, s.presetWidth[k]);
        ok &= w.writeInt(entry::kPresetHeight + k, s.presetHeight[k]);
        ok &= w.writeText(entry::kPresetName + k, s.presetName[k]);
    }
    ok &= w.writeInt(entry::kResizeMethod, static_cast<std::int32_t>(s.resizeMethod));
    ok &= w.writeInt(entry::kSharpen, s.sharpen);
    ok &= w.writeInt(entry::kAutoLevelsFilter, s.autoLevelsFilter);
    ok &= w.writeInt(entry::kOutputFormat, NumberOf(s.outputFormat));
    ok &= w.writeInt(entry::kInterlaced, s.interlaced);
    ok &= w.writeInt(entry::kJpegQuality, s.jpegQuality);
    ok &= w.writeInt(entry::kJpegSubsampling, s.jpegSubsampling);
    ok &= w.writeInt(entry::kJpegProgressive, s.jpegProgressive);
    ok &= w.writeInt(entry::kKeepExif, s.keepExif);
    ok &= w.writeInt(entry::kLimitJpegSize, s.limitJpegSize);
    ok &= w.writeInt(entry::kJpegSizeLimitKiB, s.jpegSizeLimitKiB);
    ok &= w.writeInt(entry::kCreateOutputFolder, s.createOutputFolder);
    ok &= w.writeInt(entry::kUsePrefix, s.usePrefix);
    ok &= w.writeText(entry::kNamePrefix, s.namePrefix);
    ok &= w.writeInt(entry::kUseSuffix, s.useSuffix);
    ok &= w.writeText(entry::kNameSuffix, s.nameSuffix);
    ok &= w.writeInt(entry::kAppendSize, s.appendSize);
    return ok;
}

bool loadSettingsFile(const char16_t* path, Settings& settings, KeySlotTable& slots, AcceleratorList& accelerators) {
    SettingsReader reader;
    const bool loaded = reader.open(path);
    reader.readText(entry::kLanguageName, settings.languageName);
    loadSettings(reader, settings, slots, accelerators);
    loadWindowPlacement(reader, settings);
    reader.close();
    return loaded;
}

bool saveSettingsFile(const char16_t* path, const Settings& settings, const AcceleratorList& accelerators) {
    SettingsWriter writer;
    if (!writer.open(path)) return false;
    const bool wrote = saveSettings(writer, settings, accelerators.entries, accelerators.count);
    const bool placed = writer.close();
    return wrote && placed;
}
