#include "trim/RectifiedCopy.h"

#include "codecs/ImageData.h"

RectifiedCopy& RectifiedCopy::operator=(RectifiedCopy&& other) noexcept {
    if (this != &other) {
        reset();
        pixels_ = other.pixels_;
        other.pixels_ = nullptr;
    }
    return *this;
}

bool RectifiedCopy::allocate(std::uint32_t bytes) {
    reset();
    pixels_ = bytes ? allocPixels(bytes) : nullptr;
    return pixels_ != nullptr;
}

void RectifiedCopy::reset() {
    freePixels(pixels_);
    pixels_ = nullptr;
}
