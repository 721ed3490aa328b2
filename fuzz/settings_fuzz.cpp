// Arbitrary bytes as a settings file: loading must never crash or read outside the input, and the
// file saved from what was loaded must settle: saving what that file loads to gives the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "shell/Settings.h"

namespace {

std::vector<std::uint8_t> loadAndSave(const std::uint8_t* data, std::size_t size) {
    SettingsReader reader;
    reader.openMemory(data, size);
    Settings s;
    KeySlotTable slots;
    AcceleratorList accelerators;
    reader.readText(entry::kLanguageName, s.languageName);
    loadSettings(reader, s, slots, accelerators);
    loadWindowPlacement(reader, s);
    if (accelerators.count > kKeySlotCount) std::abort();

    // Every entry through every accessor.
    std::uint8_t buffer[512];
    for (std::uint32_t i = 0; i < 72; ++i) {
        WideString text;
        reader.readText(i, text);
        reader.readInt(i, 0);
        const std::uint32_t n = reader.readData(i, nullptr, 0);
        if (n > reader.dataAreaSize) std::abort();
        reader.readData(i, buffer, sizeof buffer);
    }

    SettingsWriter writer;
    if (!writer.openMemory(data, size)) std::abort();
    if (!saveSettings(writer, s, accelerators.entries, accelerators.count) || !writer.close()) std::abort();
    return std::vector<std::uint8_t>(writer.bytes(), writer.bytes() + writer.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> once = loadAndSave(data, size);
    if (once.size() < kSettingsDataStart || once[0] != 70 || once[1] != 0) std::abort();
    // Loading may normalise once (clamps, unreadable entries); after that a save is a fixed point.
    const std::vector<std::uint8_t> twice = loadAndSave(once.data(), once.size());
    const std::vector<std::uint8_t> thrice = loadAndSave(twice.data(), twice.size());
    if (twice != thrice) std::abort();
    return 0;
}
