#include "codecs/PixelCeiling.h"

#include <atomic>

namespace {

std::atomic<std::uint64_t> ceiling{kDefaultPixelCeiling};

}  // namespace

std::uint64_t pixelCeiling() { return ceiling.load(std::memory_order_relaxed); }

void setPixelCeiling(std::uint64_t pixels) { ceiling.store(pixels, std::memory_order_relaxed); }

bool withinPixelCeiling(std::uint64_t width, std::uint64_t height) {
    if (width == 0 || height == 0 || width > 0xFFFFFFFFu || height > 0xFFFFFFFFu) return false;
    return width * height <= pixelCeiling();
}
