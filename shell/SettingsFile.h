// The binary settings file: a u16 entry count, a u16 format version, one 8-byte descriptor per entry
// and a data area behind them. A descriptor is {location, value}: location 0 = empty, 1 = integer
// (value is the number), 2 or more = absolute offset of the entry's bytes (value is their length).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#include "util/WideString.h"

constexpr std::uint32_t kSettingsEntryCount = 70;
constexpr std::uint16_t kSettingsFormatVersion = 1500;
constexpr std::uint32_t kSettingsDataStart = 4 + 8 * kSettingsEntryCount;  // 564

struct SettingsEntry {
    std::uint32_t location;
    std::uint32_t value;
};

// Where the settings bytes come from: an open file or a block of memory (tests, fuzzing).
struct SettingsSource {
    platform::FileHandle file = platform::invalidFile();
    const std::uint8_t* memory = nullptr;
    std::uint64_t memorySize = 0;

    // Exactly n bytes at `offset`, or false.
    bool readAt(std::uint64_t offset, void* out, std::uint32_t n) const;
    bool size(std::uint64_t* out) const;
};

// Read side. Absent entries (file not loaded, index at or beyond entryCount, wrong kind) give the
// caller's default; no read ever goes outside the file.
struct SettingsReader {
    bool loaded = false;
    std::uint32_t entryCount = 0;      // at most 70
    SettingsEntry* entries = nullptr;  // entryCount descriptors
    std::uint32_t dataAreaSize = 0;    // file size - 4 - 8 * entryCount

    SettingsReader() = default;
    SettingsReader(const SettingsReader&) = delete;
    SettingsReader& operator=(const SettingsReader&) = delete;
    ~SettingsReader() { close(); }

    // Shared reading. False (and nothing loaded) for a missing, short or empty file.
    bool open(const char16_t* path);
    bool openMemory(const std::uint8_t* data, std::size_t size);

    std::int32_t readInt(std::uint32_t index, std::int32_t defaultValue) const;
    // Empties `out`; false only when nothing is loaded or index >= entryCount. Empty, integer,
    // oversized or unreadable entries leave `out` empty and return true.
    bool readText(std::uint32_t index, WideString& out) const;
    // The entry's byte length; the bytes are copied only when `buffer` is given and `capacity`
    // holds them. 0 for an absent entry, one longer than the data area, or a failed read.
    std::uint32_t readData(std::uint32_t index, void* buffer, std::uint32_t capacity) const;
    // The descriptor of a data entry, or false when there is none at `index`.
    bool dataEntry(std::uint32_t index, SettingsEntry* out) const;

    void close();

private:
    bool parse();
    SettingsSource source_;
};

// Write side. The new file is composed in memory from the old one's descriptors, then written
// beside the old file (name + ".new", no sharing) and swapped in at close, so a failed save leaves
// the old file as it was. Data entries this version does not write are carried forward.
struct SettingsWriter {
    bool ready = false;

    SettingsWriter() = default;
    SettingsWriter(const SettingsWriter&) = delete;
    SettingsWriter& operator=(const SettingsWriter&) = delete;
    ~SettingsWriter();

    bool open(const char16_t* path);
    // Composes in memory only; `oldFile` may be null. close() then leaves the result in bytes().
    bool openMemory(const std::uint8_t* oldFile, std::size_t oldSize);

    bool writeInt(std::uint32_t index, std::int32_t value);
    bool writeText(std::uint32_t index, const WideString& text);
    bool writeData(std::uint32_t index, const void* bytes, std::uint32_t length);

    // Carries forward the old entries nobody replaced and places the file. True only when every
    // step succeeded and the new file is in place.
    bool close();

    // The composed file (memory mode, after close).
    const std::uint8_t* bytes() const { return buffer_; }
    std::uint32_t size() const { return used_; }

private:
    void readOld(const SettingsSource& old);
    bool begin();
    bool append(const void* data, std::uint32_t n);
    void putEntry(std::uint32_t index, std::uint32_t location, std::uint32_t value);
    void release();

    SettingsEntry old_[kSettingsEntryCount] = {};  // old descriptors; location 0 once replaced
    std::uint32_t oldCount_ = 0;                   // min(old entry count, 70)
    std::uint8_t* oldData_ = nullptr;              // the old data area, when it could be read
    std::uint32_t oldDataStart_ = 0;
    std::uint32_t oldDataSize_ = 0;
    bool haveOldData_ = false;

    std::uint8_t* buffer_ = nullptr;  // the new file
    std::uint32_t used_ = 0;          // also the append position
    std::uint32_t capacity_ = 0;
    bool failed_ = false;
    bool memoryOnly_ = false;
    bool closed_ = false;

    platform::FileHandle file_ = platform::invalidFile();
    WideString path_;
    WideString newPath_;
};
