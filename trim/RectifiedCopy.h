// The rectified copy: the image as the perspective corners distort it, same size and stride as the
// source. The trim session owns it from the moment the rectangle settles to the end of the trim;
// the view, the shading and the output job only borrow its pixels.
#pragma once

#include <cstdint>

class RectifiedCopy {
public:
    RectifiedCopy() = default;
    RectifiedCopy(const RectifiedCopy&) = delete;
    RectifiedCopy& operator=(const RectifiedCopy&) = delete;
    RectifiedCopy(RectifiedCopy&& other) noexcept : pixels_(other.pixels_) { other.pixels_ = nullptr; }
    RectifiedCopy& operator=(RectifiedCopy&& other) noexcept;
    ~RectifiedCopy() { reset(); }

    // A new zero-filled buffer of `bytes` in place of the old one; false (and empty) when memory
    // runs out or `bytes` is 0.
    bool allocate(std::uint32_t bytes);
    void reset();

    std::uint8_t* data() const { return pixels_; }
    explicit operator bool() const { return pixels_ != nullptr; }

private:
    std::uint8_t* pixels_ = nullptr;
};
