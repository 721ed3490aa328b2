// Small helpers for building and reading 24-bit bottom-up test images.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "codecs/ImageData.h"

namespace testimg {

inline std::size_t stride(std::int32_t width) { return rowStride(static_cast<std::uint32_t>(width), 24); }

// A pixel buffer from allocPixels, freed on scope exit.
struct Owned {
    std::uint8_t* p = nullptr;
    explicit Owned(std::uint8_t* pixels = nullptr) : p(pixels) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& o) noexcept : p(o.p) { o.p = nullptr; }
    ~Owned() { freePixels(p); }
    explicit operator bool() const { return p != nullptr; }
};

// A zero-padded image buffer (stride x height + 4 spare bytes), filled by f(x, y, channel) where y
// counts stored rows.
template <typename F>
std::vector<std::uint8_t> make(std::int32_t w, std::int32_t h, F f) {
    std::vector<std::uint8_t> px(stride(w) * h + 4, 0);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) px[y * stride(w) + 3 * x + c] = static_cast<std::uint8_t>(f(x, y, c));
    return px;
}

inline std::vector<std::uint8_t> flat(std::int32_t w, std::int32_t h, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    const std::uint8_t bgr[3] = {b, g, r};
    return make(w, h, [&](int, int, int c) { return bgr[c]; });
}

// Deterministic noise, the same on every target.
inline std::vector<std::uint8_t> noise(std::int32_t w, std::int32_t h, std::uint32_t seed) {
    return make(w, h, [&](int, int, int) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        return seed >> 24;
    });
}

inline std::uint8_t at(const std::uint8_t* px, std::int32_t w, std::int32_t x, std::int32_t y, int c) {
    return px[y * stride(w) + 3 * x + c];
}

// FNV-1a over the whole buffer, padding included.
inline std::uint64_t fnv1a(const std::uint8_t* px, std::size_t bytes) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < bytes; ++i) h = (h ^ px[i]) * 0x100000001b3ull;
    return h;
}

}  // namespace testimg
