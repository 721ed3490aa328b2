// Colour profiles for the tests, made in code: a 128-byte header with its declared size and the
// "acsp" signature, a tag table of one tag whose data fills the rest with a pattern.
#pragma once

#include <cstdint>
#include <vector>

namespace icctest {

inline void put32(std::vector<std::uint8_t>& p, std::size_t at, std::uint32_t v) {
    p[at] = static_cast<std::uint8_t>(v >> 24);
    p[at + 1] = static_cast<std::uint8_t>(v >> 16);
    p[at + 2] = static_cast<std::uint8_t>(v >> 8);
    p[at + 3] = static_cast<std::uint8_t>(v);
}

// A profile of `size` bytes (at least 144) whose bytes differ with `seed`.
inline std::vector<std::uint8_t> makeProfile(std::uint32_t size, std::uint32_t seed = 1) {
    std::vector<std::uint8_t> p(size, 0);
    std::uint32_t x = seed;
    for (std::size_t i = 144; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        p[i] = static_cast<std::uint8_t>(x >> 24);
    }
    put32(p, 0, size);
    p[8] = 4;  // version 4.3
    p[9] = 0x30;
    put32(p, 12, 0x6D6E7472);  // "mntr"
    put32(p, 16, 0x52474220);  // "RGB "
    put32(p, 20, 0x58595A20);  // "XYZ "
    put32(p, 36, 0x61637370);  // "acsp"
    put32(p, 128, 1);
    put32(p, 132, 0x7A7A7A7A);  // a private tag over the rest
    put32(p, 136, 144);
    put32(p, 140, size - 144);
    return p;
}

// The APP2 payloads "ICC_PROFILE\0", sequence, count and data of `profile` in pieces of `piece`.
inline std::vector<std::vector<std::uint8_t>> iccSegments(const std::vector<std::uint8_t>& profile, std::size_t piece) {
    std::vector<std::vector<std::uint8_t>> out;
    const std::size_t count = (profile.size() + piece - 1) / piece;
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<std::uint8_t> s = {'I', 'C', 'C', '_', 'P', 'R', 'O', 'F', 'I', 'L', 'E', 0};
        s.push_back(static_cast<std::uint8_t>(i + 1));
        s.push_back(static_cast<std::uint8_t>(count));
        const std::size_t end = std::min(profile.size(), (i + 1) * piece);
        s.insert(s.end(), profile.begin() + static_cast<std::ptrdiff_t>(i * piece),
                 profile.begin() + static_cast<std::ptrdiff_t>(end));
        out.push_back(s);
    }
    return out;
}

}  // namespace icctest
