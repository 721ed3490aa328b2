// The one bounds-checked cursor every decoder reads through. Reads past the end fail and make the
// reader's `failed` flag sticky; they never touch memory outside [begin, end).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

struct ByteReader {
    const std::uint8_t* begin = nullptr;
    const std::uint8_t* cursor = nullptr;
    const std::uint8_t* end = nullptr;
    bool failed = false;

    ByteReader() = default;
    ByteReader(const std::uint8_t* b, const std::uint8_t* e) : begin(b), cursor(b), end(e) {}

    std::size_t size() const { return static_cast<std::size_t>(end - begin); }
    std::size_t offset() const { return static_cast<std::size_t>(cursor - begin); }
    std::size_t remaining() const { return static_cast<std::size_t>(end - cursor); }
    bool has(std::size_t n) const { return !failed && n <= remaining(); }

    // Marks the reader failed when fewer than n bytes remain.
    bool need(std::size_t n) {
        if (!has(n)) failed = true;
        return !failed;
    }
    bool skip(std::size_t n) {
        if (!need(n)) return false;
        cursor += n;
        return true;
    }
    // Moves to an absolute offset; offsets past the end fail.
    bool seek(std::size_t offset) {
        if (failed || offset > size()) {
            failed = true;
            return false;
        }
        cursor = begin + offset;
        return true;
    }
    // Pointer to the next n bytes (and moves past them), or null.
    const std::uint8_t* take(std::size_t n) {
        if (!need(n)) return nullptr;
        const std::uint8_t* p = cursor;
        cursor += n;
        return p;
    }
    bool copy(void* out, std::size_t n) {
        const std::uint8_t* p = take(n);
        if (p && n) std::memcpy(out, p, n);
        return p != nullptr;
    }
    // The next n bytes as a reader of their own, whose offsets count from their first byte (and moves
    // past them); a failed, empty reader when fewer remain.
    ByteReader slice(std::size_t n) {
        const std::uint8_t* p = take(n);
        if (!p) {
            ByteReader none;
            none.failed = true;
            return none;
        }
        return ByteReader(p, p + n);
    }
    // The n bytes at an absolute offset without moving the cursor, or null unless all of them lie
    // inside. For data that a format places by offset rather than in sequence.
    const std::uint8_t* at(std::uint64_t offset, std::uint64_t n) const {
        if (offset > size() || n > size() - offset) return nullptr;
        return begin + offset;
    }
    // The same as a reader of their own, whose offsets count from their first byte; a failed, empty
    // reader unless all of them lie inside.
    ByteReader sliceAt(std::uint64_t offset, std::uint64_t n) const {
        const std::uint8_t* p = at(offset, n);
        if (!p) {
            ByteReader none;
            none.failed = true;
            return none;
        }
        return ByteReader(p, p + n);
    }
    // The next byte without moving past it; -1 at the end or once failed.
    int peek() const { return has(1) ? *cursor : -1; }

    std::uint8_t u8() {
        const std::uint8_t* p = take(1);
        return p ? p[0] : 0;
    }
    std::uint16_t u16le() {
        const std::uint8_t* p = take(2);
        return p ? static_cast<std::uint16_t>(p[0] | p[1] << 8) : 0;
    }
    std::uint16_t u16be() {
        const std::uint8_t* p = take(2);
        return p ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : 0;
    }
    std::uint32_t u32le() {
        const std::uint8_t* p = take(4);
        return p ? std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24
                 : 0;
    }
    std::uint32_t u32be() {
        const std::uint8_t* p = take(4);
        return p ? std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]}
                 : 0;
    }
    // In the byte order a file chose for itself (TIFF, EXIF).
    std::uint16_t u16(bool bigEndian) { return bigEndian ? u16be() : u16le(); }
    std::uint32_t u32(bool bigEndian) { return bigEndian ? u32be() : u32le(); }
};

// Unchecked little- and big-endian loads, for the inside of a row or record already taken whole
// through a reader.
inline std::uint16_t load16le(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint16_t load16be(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }
inline std::uint32_t load32le(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
inline std::uint32_t load32be(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | std::uint32_t{p[3]};
}
