// Builds small settings files byte by byte: header, descriptors, then the data area in the order
// the entries were added.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

struct SettingsBytes {
    struct Item {
        std::uint32_t location;  // 0, 1, or 2 = "data at `offset` in the data area"
        std::uint32_t value;
        std::vector<std::uint8_t> bytes;
        std::uint32_t rawLocation = 0;  // used as is when not 0
    };
    std::uint16_t count;
    std::uint16_t version = 1500;
    std::vector<Item> items;

    explicit SettingsBytes(std::uint16_t n) : count(n), items(n, Item{0, 0, {}}) {}

    SettingsBytes& integer(std::uint32_t i, std::int32_t v) {
        items[i] = Item{1, static_cast<std::uint32_t>(v), {}};
        return *this;
    }
    SettingsBytes& data(std::uint32_t i, std::vector<std::uint8_t> b) {
        const auto n = static_cast<std::uint32_t>(b.size());
        items[i] = Item{2, n, std::move(b)};
        return *this;
    }
    SettingsBytes& text(std::uint32_t i, const std::u16string& t) {
        std::vector<std::uint8_t> b;
        for (char16_t c : t) {
            b.push_back(static_cast<std::uint8_t>(c));
            b.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        return data(i, std::move(b));
    }
    // A descriptor written as given, without bytes.
    SettingsBytes& raw(std::uint32_t i, std::uint32_t location, std::uint32_t value) {
        items[i] = Item{location, value, {}, location};
        return *this;
    }

    std::vector<std::uint8_t> build() const {
        std::vector<std::uint8_t> out;
        auto u16 = [&](std::uint32_t v) {
            out.push_back(static_cast<std::uint8_t>(v));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        auto u32 = [&](std::uint32_t v) {
            u16(v & 0xFFFF);
            u16(v >> 16);
        };
        u16(count);
        u16(version);
        std::uint32_t at = 4 + 8u * count;
        std::vector<std::uint8_t> area;
        for (const Item& it : items) {
            if (it.rawLocation) {
                u32(it.rawLocation);
                u32(it.value);
            } else if (it.location == 2) {
                u32(at + static_cast<std::uint32_t>(area.size()));
                u32(it.value);
                area.insert(area.end(), it.bytes.begin(), it.bytes.end());
            } else {
                u32(it.location);
                u32(it.value);
            }
        }
        out.insert(out.end(), area.begin(), area.end());
        return out;
    }
};

inline std::uint32_t fileU32(const std::vector<std::uint8_t>& f, std::size_t at) {
    return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24;
}

// True when `needle` occurs in `hay`.
inline bool containsBytes(const std::vector<std::uint8_t>& hay, const std::vector<std::uint8_t>& needle) {
    if (needle.empty() || hay.size() < needle.size()) return false;
    for (std::size_t i = 0; i + needle.size() <= hay.size(); ++i)
        if (std::equal(needle.begin(), needle.end(), hay.begin() + static_cast<std::ptrdiff_t>(i))) return true;
    return false;
}
