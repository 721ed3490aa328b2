// Internals shared by the resampling filters: exact rounding helpers, heap tables, the bicubic step
// plan and the Gaussian prefilter kernel. Not for callers outside imaging/ (tests excepted).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codecs/ImageData.h"
#include "platform/platform.h"
#include "platform/win_types.h"

namespace resample {

// Half away from zero, exactly: the fractional part of a double is exact, so no x + 0.5 rounding
// slip, and no library call on targets without a rounding instruction.
inline std::int64_t roundHalfAway(double x) {
    if (x < 0) return -roundHalfAway(-x);
    const std::int64_t whole = static_cast<std::int64_t>(x);
    return whole + (x - static_cast<double>(whole) >= 0.5 ? 1 : 0);
}

// A zero-filled table from the application heap, freed with its owner.
template <typename T>
class HeapArray {
public:
    HeapArray() = default;
    HeapArray(const HeapArray&) = delete;
    HeapArray& operator=(const HeapArray&) = delete;
    ~HeapArray() { platform::heapFree(data_); }

    bool allocate(std::size_t count) {
        platform::heapFree(data_);
        data_ = nullptr;
        if (count > SIZE_MAX / sizeof(T)) return false;
        data_ = static_cast<T*>(platform::heapAlloc(count * sizeof(T)));
        return data_ != nullptr;
    }
    T* get() const { return data_; }
    T& operator[](std::size_t i) const { return data_[i]; }

private:
    T* data_ = nullptr;
};

// A pixel buffer that is freed unless handed out.
class PixelBuffer {
public:
    explicit PixelBuffer(std::uint8_t* pixels = nullptr) : pixels_(pixels) {}
    PixelBuffer(const PixelBuffer&) = delete;
    PixelBuffer& operator=(const PixelBuffer&) = delete;
    ~PixelBuffer() { freePixels(pixels_); }
    void reset(std::uint8_t* pixels) {
        freePixels(pixels_);
        pixels_ = pixels;
    }
    std::uint8_t* get() const { return pixels_; }
    std::uint8_t* release() {
        std::uint8_t* p = pixels_;
        pixels_ = nullptr;
        return p;
    }

private:
    std::uint8_t* pixels_;
};

// A new zero-filled 24-bit buffer of the given size; null when it does not fit in 32 bits or
// memory runs out.
inline std::uint8_t* allocImage24(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) return nullptr;
    const std::uint32_t bytes = imageBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24);
    return bytes ? allocPixels(bytes) : nullptr;
}

// Exact doubles of the byte values, for the floating-point kernels.
struct LevelTable {
    double v[256];
    constexpr LevelTable() : v() {
        for (int i = 0; i < 256; ++i) v[i] = i;
    }
};
inline constexpr LevelTable kLevels{};

inline std::size_t stride24(std::int32_t width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

// Bicubic shrinking goes in steps of at most 4x: the sizes one axis takes from `source` to `target`,
// first step first, the last being `target`. Returns the count written (at most `capacity`; 16 is
// always enough for 32-bit sizes).
int bicubicStepSizes(std::int32_t source, std::int32_t target, std::int32_t* sizes, int capacity);

// The integer Gaussian prefilter for one shrinking step by `ratio`: weights[0] for the centre,
// weights[i] for the neighbours at distance i (i <= radius), all scaled so they sum to about
// 1 << shift.
struct GaussianKernel {
    int radius;
    std::uint32_t weights[3];
    int shift;
};
GaussianKernel gaussianKernel(double ratio);

// The filters proper; arguments are checked by ResampleRows. Source rows lie srcStride bytes apart.
std::uint8_t* areaLinear(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width, std::int32_t height,
                         std::int32_t targetWidth, std::int32_t targetHeight);
std::uint8_t* bicubic(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width, std::int32_t height,
                      std::int32_t targetWidth, std::int32_t targetHeight);
std::uint8_t* nearest(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width, std::int32_t height,
                      std::int32_t targetWidth, std::int32_t targetHeight);
std::uint8_t* halftoneStretch(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width,
                              std::int32_t height, std::int32_t targetWidth, std::int32_t targetHeight,
                              const BITMAPINFOHEADER* header);

}  // namespace resample
