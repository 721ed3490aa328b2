#include "document/Shading.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "codecs/ImageData.h"
#include "trim/TrimEditor.h"

namespace {

// A 24-bit bottom-up image with padded rows; every byte differs from its neighbours.
struct Image {
    std::int32_t width, height;
    std::size_t stride;
    std::vector<std::uint8_t> base, shaded;
    Image(std::int32_t w, std::int32_t h) : width(w), height(h), stride(rowStride(w, 24)) {
        base.resize(stride * h);
        shaded.assign(stride * h, 0xEE);
        std::uint32_t seed = 7;
        for (auto& b : base) b = static_cast<std::uint8_t>((seed = seed * 69069 + 1) >> 24);
    }
    ShadeImage view() { return {base.data(), shaded.data(), width, height}; }
    // Channel c of pixel (x, y), y counted from the top.
    std::uint8_t at(const std::vector<std::uint8_t>& buf, std::int32_t x, std::int32_t y, int c) const {
        return buf[stride * (height - 1 - y) + 3 * x + c];
    }
};

std::vector<std::uint8_t> table(std::int32_t mode) {
    std::vector<std::uint8_t> t(256);
    BuildShadeTable(t.data(), mode);
    return t;
}

TEST(Shading, InsideCopiedOutsideThroughTheTable) {
    struct Case {
        std::int32_t mode;
        std::uint8_t in, out;  // one outside sample
    };
    // Mode 3 keeps 1/8 (200 becomes 25); 255 turns white, 0 black, 128 grey; 1 halves.
    const Case samples[] = {{3, 200, 25}, {255, 7, 255}, {0, 200, 0}, {128, 3, 128}, {1, 201, 100}, {2, 255, 63}};
    for (const Case& c : samples) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(table(c.mode)[c.in], c.out);
    }

    Image img(7, 5);
    const TrimRect rect{2, 1, 4, 3};
    const auto t = table(3);
    RebuildShading(img.view(), rect, t.data());
    for (std::int32_t y = 0; y < img.height; ++y)
        for (std::int32_t x = 0; x < img.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const bool inside = x >= 2 && x <= 4 && y >= 1 && y <= 3;
                const std::uint8_t b = img.at(img.base, x, y, c);
                ASSERT_EQ(img.at(img.shaded, x, y, c), inside ? b : b >> 3) << x << "," << y;
            }
    // The padding bytes behind each row are not the image's and stay as they were.
    EXPECT_EQ(img.shaded[img.stride - 1], 0xEE);
}

TEST(Shading, WholeImageRectangleLeavesNothingShaded) {
    Image img(5, 4);
    const auto t = table(0);
    RebuildShading(img.view(), {0, 0, 4, 3}, t.data());
    for (std::int32_t row = 0; row < img.height; ++row)
        EXPECT_EQ(std::memcmp(&img.shaded[img.stride * row], &img.base[img.stride * row], 15), 0);
    // A rectangle reaching past the image is clamped to it.
    Image big(5, 4);
    RebuildShading(big.view(), {-3, -2, 40, 40}, t.data());
    EXPECT_EQ(std::memcmp(big.shaded.data(), big.base.data(), 15), 0);
}

// Every incremental step must leave the same bytes as a rebuild from scratch.
TEST(Shading, ReshadeMatchesRebuildForEveryKindOfMove) {
    const TrimRect steps[] = {
        {3, 3, 8, 6},     // first: whole rebuild
        {4, 3, 8, 6},     // left edge in
        {2, 2, 9, 7},     // grows all round
        {2, 2, 9, 7},     // unchanged
        {10, 1, 12, 4},   // jumps clear of the old one (disjoint columns)
        {0, 6, 12, 8},    // disjoint rows, full width
        {5, 0, 5, 8},     // one column
        {0, 0, 12, 8},    // whole image
        {6, 4, 6, 4},     // one pixel
    };
    Image inc(13, 9), full(13, 9);
    const auto t = table(2);
    ShadeState state;
    for (const TrimRect& r : steps) {
        SCOPED_TRACE(testing::Message() << r.left << "," << r.top << "," << r.right << "," << r.bottom);
        Reshade(state, inc.view(), r, t.data());
        RebuildShading(full.view(), r, t.data());
        ASSERT_EQ(inc.shaded, full.shaded);
    }
}

TEST(Shading, ReshadeRebuildsWhenTheTableOrTheBaseChanged) {
    Image img(6, 6);
    ShadeState state;
    const TrimRect r{1, 1, 3, 3};
    Reshade(state, img.view(), r, table(1).data());
    // Same rectangle, new shade mode: nothing moved, yet every outside pixel changes.
    Reshade(state, img.view(), r, table(255).data());
    EXPECT_EQ(img.at(img.shaded, 5, 5, 0), 255);

    // The base was re-rendered in place: only an invalidated state rebuilds.
    img.base[0] ^= 0xFF;
    InvalidateShading(state);
    Reshade(state, img.view(), r, table(3).data());
    EXPECT_EQ(img.shaded[0], img.base[0] >> 3);

    // The same buffer read at another size is another image: rebuilt, not patched.
    ShadeImage narrow = img.view();
    narrow.width = 4;
    Reshade(state, narrow, {1, 1, 2, 2}, table(3).data());
    std::vector<std::uint8_t> expected(img.shaded.size(), 0);
    RebuildShading({img.base.data(), expected.data(), 4, 6}, {1, 1, 2, 2}, table(3).data());
    for (std::size_t row = 0; row < 6; ++row)
        EXPECT_EQ(std::memcmp(&img.shaded[12 * row], &expected[12 * row], 12), 0) << row;

    // End of trim mode: a plain copy again.
    ClearShading(state, img.view());
    EXPECT_EQ(img.shaded, img.base);
    EXPECT_FALSE(state.valid);
}

TEST(Shading, DocumentBuffersShadeFromTheRectifiedCopyWhenThereIsOne) {
    Document d;
    d.header.biWidth = 3;
    d.header.biHeight = 2;
    std::uint8_t source[16] = {}, rectified[16] = {}, shaded[16] = {};
    d.sourcePixels = source;
    d.shadedPixels = shaded;
    ShadeImage s = ShadeImageOf(d, nullptr);
    EXPECT_EQ(s.base, source);
    EXPECT_EQ(s.shaded, shaded);
    EXPECT_EQ(s.width, 3);
    EXPECT_EQ(s.height, 2);
    EXPECT_EQ(ShadeImageOf(d, rectified).base, rectified);
    d.sourcePixels = d.shadedPixels = nullptr;  // not the document's to free
}

}  // namespace
