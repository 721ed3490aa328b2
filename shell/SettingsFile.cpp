#include "shell/SettingsFile.h"

#include <cstring>

namespace {

std::uint32_t u32le(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

void putU32le(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace

// ---- SettingsSource ----

bool SettingsSource::readAt(std::uint64_t offset, void* out, std::uint32_t n) const {
    if (memory) {
        if (offset > memorySize || n > memorySize - offset) return false;
        if (n) std::memcpy(out, memory + offset, n);
        return true;
    }
    if (!platform::isValid(file) || !platform::seekFile(file, static_cast<std::int64_t>(offset))) return false;
    return platform::readFile(file, out, n) == static_cast<std::int64_t>(n);
}

bool SettingsSource::size(std::uint64_t* out) const {
    if (memory) {
        *out = memorySize;
        return true;
    }
    return platform::fileSize(file, out);
}

// ---- SettingsReader ----

bool SettingsReader::open(const char16_t* path) {
    close();
    source_.file = platform::openForReading(path);
    if (!platform::isValid(source_.file)) return false;
    return parse();
}

bool SettingsReader::openMemory(const std::uint8_t* data, std::size_t size) {
    close();
    static const std::uint8_t kNothing = 0;
    source_.memory = data ? data : &kNothing;
    source_.memorySize = data ? size : 0;
    return parse();
}

bool SettingsReader::parse() {
    std::uint8_t header[4];
    if (!source_.readAt(0, header, 4)) return false;
    std::uint32_t count = header[0] | header[1] << 8u;
    if (count > kSettingsEntryCount) count = kSettingsEntryCount;

    std::uint8_t raw[8 * kSettingsEntryCount];
    if (!source_.readAt(4, raw, 8 * count)) return false;
    entries = static_cast<SettingsEntry*>(platform::heapAlloc(sizeof(SettingsEntry) * count));
    if (!entries) return false;
    for (std::uint32_t i = 0; i < count; ++i) entries[i] = SettingsEntry{u32le(raw + 8 * i), u32le(raw + 8 * i + 4)};

    std::uint64_t size = 0;
    if (!source_.size(&size) || size == 0 || size > 0xFFFFFFFFull) {
        platform::heapFree(entries);
        entries = nullptr;
        return false;
    }
    entryCount = count;
    dataAreaSize = static_cast<std::uint32_t>(size) - 4 - 8 * count;
    loaded = true;
    return true;
}

std::int32_t SettingsReader::readInt(std::uint32_t index, std::int32_t defaultValue) const {
    if (!loaded || index >= entryCount || entries[index].location != 1) return defaultValue;
    return static_cast<std::int32_t>(entries[index].value);
}

bool SettingsReader::dataEntry(std::uint32_t index, SettingsEntry* out) const {
    if (!loaded || index >= entryCount || entries[index].location < 2) return false;
    *out = entries[index];
    return true;
}

bool SettingsReader::readText(std::uint32_t index, WideString& out) const {
    out.clear();
    if (!loaded || index >= entryCount) return false;
    SettingsEntry e;
    if (!dataEntry(index, &e) || e.value > dataAreaSize) return true;
    const std::uint32_t chars = e.value / 2;
    if (chars == 0) return true;
    auto* bytes = static_cast<std::uint8_t*>(platform::heapAlloc(e.value));
    if (!bytes) return true;
    if (source_.readAt(e.location, bytes, e.value)) {
        // Decoded in place: each code unit is written over the two bytes it came from.
        auto* text = reinterpret_cast<char16_t*>(bytes);
        for (std::uint32_t i = 0; i < chars; ++i)
            text[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
        out.assign(text, chars);
    }
    platform::heapFree(bytes);
    return true;
}

std::uint32_t SettingsReader::readData(std::uint32_t index, void* buffer, std::uint32_t capacity) const {
    SettingsEntry e;
    // A length beyond the data area cannot be real; refusing it also keeps callers from
    // allocating what the file merely claims.
    if (!dataEntry(index, &e) || e.value > dataAreaSize) return 0;
    if (buffer && capacity >= e.value && !source_.readAt(e.location, buffer, e.value)) return 0;
    return e.value;
}

void SettingsReader::close() {
    if (platform::isValid(source_.file)) platform::closeFile(source_.file);
    source_ = SettingsSource{};
    platform::heapFree(entries);
    entries = nullptr;
    entryCount = 0;
    dataAreaSize = 0;
    loaded = false;
}

// ---- SettingsWriter ----

SettingsWriter::~SettingsWriter() {
    // Never closed: nothing is placed.
    if (platform::isValid(file_)) {
        platform::closeFile(file_);
        platform::deleteFile(newPath_.c_str());
    }
    release();
    platform::heapFree(buffer_);
}

void SettingsWriter::release() {
    platform::heapFree(oldData_);
    oldData_ = nullptr;
    haveOldData_ = false;
    if (!memoryOnly_ || !closed_) {
        platform::heapFree(buffer_);
        buffer_ = nullptr;
        used_ = capacity_ = 0;
    }
}

void SettingsWriter::readOld(const SettingsSource& old) {
    std::uint8_t header[4];
    if (!old.readAt(0, header, 4)) return;
    const std::uint32_t oldCount = header[0] | header[1] << 8u;
    const std::uint32_t n = oldCount < kSettingsEntryCount ? oldCount : kSettingsEntryCount;
    std::uint8_t raw[8 * kSettingsEntryCount];
    if (!old.readAt(4, raw, 8 * n)) return;  // the copy stays zero: no old entries at all
    for (std::uint32_t i = 0; i < n; ++i) old_[i] = SettingsEntry{u32le(raw + 8 * i), u32le(raw + 8 * i + 4)};
    oldCount_ = n;

    oldDataStart_ = oldCount * 8 + 4;
    std::uint64_t size = 0;
    if (!old.size(&size) || size == 0 || size > 0xFFFFFFFFull || size < oldDataStart_) return;
    oldDataSize_ = static_cast<std::uint32_t>(size) - oldDataStart_;
    oldData_ = static_cast<std::uint8_t*>(platform::heapAlloc(oldDataSize_));
    if (!oldData_) return;
    if (!old.readAt(oldDataStart_, oldData_, oldDataSize_)) {
        platform::heapFree(oldData_);
        oldData_ = nullptr;
        return;
    }
    haveOldData_ = true;
}

bool SettingsWriter::begin() {
    capacity_ = 4096;
    buffer_ = static_cast<std::uint8_t*>(platform::heapAlloc(capacity_));
    if (!buffer_) return false;
    buffer_[0] = static_cast<std::uint8_t>(kSettingsEntryCount);
    buffer_[1] = static_cast<std::uint8_t>(kSettingsEntryCount >> 8);
    buffer_[2] = static_cast<std::uint8_t>(kSettingsFormatVersion);
    buffer_[3] = static_cast<std::uint8_t>(kSettingsFormatVersion >> 8);
    // Every old descriptor stays in place until it is overwritten; integers this version does not
    // write survive that way.
    for (std::uint32_t i = 0; i < kSettingsEntryCount; ++i) putEntry(i, old_[i].location, old_[i].value);
    used_ = kSettingsDataStart;
    ready = true;
    return true;
}

bool SettingsWriter::open(const char16_t* path) {
    if (ready || closed_) return false;
    path_.assign(path);
    newPath_.assign(path_);
    newPath_.append(u".new");
    if (path_.empty() || newPath_.length() != path_.length() + 4) return false;

    if (platform::pathExists(path_.c_str())) {
        // An old file that exists but cannot be read is not overwritten: its entries would be lost.
        SettingsSource old;
        old.file = platform::openForReading(path_.c_str());
        if (!platform::isValid(old.file)) return false;
        readOld(old);
        platform::closeFile(old.file);
    }
    file_ = platform::openForReadWrite(newPath_.c_str(), platform::Create::newAlways);
    if (!platform::isValid(file_)) {
        release();
        return false;
    }
    if (!begin()) {
        platform::closeFile(file_);
        file_ = platform::invalidFile();
        platform::deleteFile(newPath_.c_str());
        release();
        return false;
    }
    return true;
}

bool SettingsWriter::openMemory(const std::uint8_t* oldFile, std::size_t oldSize) {
    if (ready || closed_) return false;
    memoryOnly_ = true;
    if (oldFile) {
        SettingsSource old;
        old.memory = oldFile;
        old.memorySize = oldSize;
        readOld(old);
    }
    if (!begin()) {
        release();
        return false;
    }
    return true;
}

void SettingsWriter::putEntry(std::uint32_t index, std::uint32_t location, std::uint32_t value) {
    putU32le(buffer_ + 4 + 8 * index, location);
    putU32le(buffer_ + 8 + 8 * index, value);
}

bool SettingsWriter::append(const void* data, std::uint32_t n) {
    if (failed_) return false;
    if (n > 0xFFFFFFFFu - used_) {
        failed_ = true;
        return false;
    }
    if (used_ + n > capacity_) {
        std::uint64_t grown = capacity_;
        while (grown < std::uint64_t{used_} + n) grown *= 2;
        if (grown > 0xFFFFFFFFull) grown = 0xFFFFFFFFull;
        auto* bigger = static_cast<std::uint8_t*>(platform::heapAlloc(static_cast<std::size_t>(grown)));
        if (!bigger) {
            failed_ = true;
            return false;
        }
        std::memcpy(bigger, buffer_, used_);
        platform::heapFree(buffer_);
        buffer_ = bigger;
        capacity_ = static_cast<std::uint32_t>(grown);
    }
    if (n) std::memcpy(buffer_ + used_, data, n);
    used_ += n;
    return true;
}

bool SettingsWriter::writeInt(std::uint32_t index, std::int32_t value) {
    if (!ready || closed_ || index >= kSettingsEntryCount) return false;
    putEntry(index, 1, static_cast<std::uint32_t>(value));
    // An old data entry at this index must not be carried forward over the new value.
    old_[index].location = 0;
    return true;
}

bool SettingsWriter::writeData(std::uint32_t index, const void* bytes, std::uint32_t length) {
    if (!ready || closed_ || index >= kSettingsEntryCount) return false;
    bool ok = true;
    if (length > 0) {
        const std::uint32_t at = used_;
        ok = append(bytes, length);
        if (ok) putEntry(index, at, length);
        else putEntry(index, 0, 0);
    } else {
        putEntry(index, 0, 0);
    }
    old_[index].location = 0;
    return ok;
}

bool SettingsWriter::writeText(std::uint32_t index, const WideString& text) {
    const std::uint64_t bytes = std::uint64_t{text.length()} * 2;
    if (bytes > 0xFFFFFFFFull) {
        failed_ = true;
        return false;
    }
    const char16_t* s = text.c_str();
    std::uint8_t* encoded = nullptr;
    if (bytes) {
        encoded = static_cast<std::uint8_t*>(platform::heapAlloc(static_cast<std::size_t>(bytes)));
        if (!encoded) {
            failed_ = true;
            return false;
        }
        for (std::uint32_t i = 0; i < text.length(); ++i) {
            encoded[2 * i] = static_cast<std::uint8_t>(s[i]);
            encoded[2 * i + 1] = static_cast<std::uint8_t>(s[i] >> 8);
        }
    }
    const bool ok = writeData(index, encoded, static_cast<std::uint32_t>(bytes));
    platform::heapFree(encoded);
    return ok;
}

bool SettingsWriter::close() {
    if (!ready || closed_) return false;
    // Old data entries nobody replaced move behind the new data, in index order; those whose bytes
    // are not in the old data area are emptied rather than left pointing into the new file.
    for (std::uint32_t i = 0; i < oldCount_; ++i) {
        const SettingsEntry e = old_[i];
        if (e.location < 2) continue;
        const std::uint32_t rel = e.location - oldDataStart_;
        if (haveOldData_ && std::uint64_t{rel} + e.value <= oldDataSize_) {
            const std::uint32_t at = used_;
            if (append(oldData_ + rel, e.value)) putEntry(i, at, e.value);
        } else {
            putEntry(i, 0, 0);
        }
    }
    closed_ = true;
    bool ok = !failed_;
    if (memoryOnly_) {
        release();
        return ok;
    }
    ok = ok && platform::writeFile(file_, buffer_, used_);
    if (!platform::closeFile(file_)) ok = false;
    file_ = platform::invalidFile();
    if (ok) ok = platform::replaceFile(newPath_.c_str(), path_.c_str());
    if (!ok) platform::deleteFile(newPath_.c_str());
    release();
    return ok;
}
