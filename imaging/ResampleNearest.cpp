// Filter 2: every output pixel takes the source pixel under its centre.
#include "imaging/ResampleKernels.h"

namespace resample {

namespace {

// Source index under the centre of output sample i: trunc((i + 0.5) * n / m), in doubles as defined.
std::int32_t centreIndex(std::int32_t i, std::int32_t n, std::int32_t m) {
    const double s = ((static_cast<double>(i) + 0.5) * static_cast<double>(n)) / static_cast<double>(m);
    const std::int64_t k = static_cast<std::int64_t>(s);
    return k >= n ? n - 1 : static_cast<std::int32_t>(k);
}

}  // namespace

std::uint8_t* nearest(const std::uint8_t* pixels, std::size_t srcStride, std::int32_t width, std::int32_t height,
                      std::int32_t targetWidth, std::int32_t targetHeight) {
    HeapArray<std::uint32_t> columns;  // byte offset of each output column's source pixel
    if (!columns.allocate(static_cast<std::size_t>(targetWidth))) return nullptr;
    for (std::int32_t x = 0; x < targetWidth; ++x)
        columns[x] = static_cast<std::uint32_t>(centreIndex(x, width, targetWidth)) * 3;

    std::uint8_t* out = allocImage24(targetWidth, targetHeight);
    if (!out) return nullptr;
    const std::size_t dstStride = stride24(targetWidth);
    const std::uint32_t* col = columns.get();
    // Rows are counted in stored order, bottom-up like the buffer.
    for (std::int32_t y = 0; y < targetHeight; ++y) {
        const std::uint8_t* s = pixels + static_cast<std::size_t>(centreIndex(y, height, targetHeight)) * srcStride;
        std::uint8_t* d = out + y * dstStride;
        std::int32_t x = 0;
        for (; x + 4 <= targetWidth; x += 4, d += 12) {
            const std::uint8_t* p0 = s + col[x];
            const std::uint8_t* p1 = s + col[x + 1];
            const std::uint8_t* p2 = s + col[x + 2];
            const std::uint8_t* p3 = s + col[x + 3];
            d[0] = p0[0], d[1] = p0[1], d[2] = p0[2];
            d[3] = p1[0], d[4] = p1[1], d[5] = p1[2];
            d[6] = p2[0], d[7] = p2[1], d[8] = p2[2];
            d[9] = p3[0], d[10] = p3[1], d[11] = p3[2];
        }
        for (; x < targetWidth; ++x, d += 3) {
            const std::uint8_t* p = s + col[x];
            d[0] = p[0], d[1] = p[1], d[2] = p[2];
        }
    }
    return out;
}

}  // namespace resample
