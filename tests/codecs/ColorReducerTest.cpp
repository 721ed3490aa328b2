#include "codecs/ColorReducer.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "codecs/ImageData.h"

namespace {

struct Bgr {
    std::uint8_t b, g, r;
};

// A bottom-up 24-bit buffer with padded rows; pixels listed from the first stored row on.
std::vector<std::uint8_t> image(std::uint32_t w, std::uint32_t h, const std::vector<Bgr>& px) {
    const std::uint32_t stride = rowStride(w, 24);
    std::vector<std::uint8_t> buf(stride * h + 4, 0xEE);  // padding must not leak into the result
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const Bgr& p = px[y * w + x];
            std::uint8_t* d = &buf[y * stride + x * 3];
            d[0] = p.b, d[1] = p.g, d[2] = p.r;
        }
    return buf;
}

struct Reduced {
    bool ok;
    RGBQUAD palette[256];
    std::vector<std::uint8_t> indexes;
};

Reduced reduce(std::uint32_t w, std::uint32_t h, const std::vector<Bgr>& px) {
    std::vector<std::uint8_t> src = image(w, h, px);
    ColorReducer r;
    setGeometry(r, w, h, 24, 8);
    Reduced out{};
    out.indexes.assign(std::size_t{w} * h + 8, 0xCC);
    out.ok = reduceToPalette(r, nullptr, src.data(), out.palette, out.indexes.data());
    return out;
}

bool same(const RGBQUAD& q, const Bgr& c) { return q.rgbBlue == c.b && q.rgbGreen == c.g && q.rgbRed == c.r && !q.rgbReserved; }

TEST(ColorReducer, GeometryFields) {
    ColorReducer r;
    setGeometry(r, 5, 3, 24, 8);
    EXPECT_EQ(r.targetStride, 8u);
    EXPECT_EQ(r.workStride, 20u);
    EXPECT_EQ(r.sourceRowBytes, 15u);
    EXPECT_EQ(r.targetByteCount, 24u);
    setGeometry(r, 5, 3, 24, 24);
    EXPECT_EQ(r.targetStride, 16u);
}

TEST(ColorReducer, AllBlackGivesOneBlackEntry) {
    Reduced r = reduce(3, 2, std::vector<Bgr>(6, Bgr{0, 0, 0}));
    ASSERT_TRUE(r.ok);
    for (int i = 0; i < 256; ++i) EXPECT_TRUE(same(r.palette[i], {0, 0, 0}));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.indexes[i], 0);
    EXPECT_EQ(r.indexes[6], 0xCC);  // rows are exactly width bytes, nothing written past them
}

TEST(ColorReducer, SelectionSortIsNotStable) {
    const Bgr c1{10, 0, 0}, c2{0, 10, 0}, c3{0, 0, 5};
    Reduced r = reduce(3, 1, {c1, c2, c3});
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(same(r.palette[0], c3));
    EXPECT_TRUE(same(r.palette[1], c2));
    EXPECT_TRUE(same(r.palette[2], c1));
    EXPECT_TRUE(same(r.palette[3], {0, 0, 0}));
    EXPECT_EQ(r.indexes[0], 2);
    EXPECT_EQ(r.indexes[1], 1);
    EXPECT_EQ(r.indexes[2], 0);
}

std::vector<Bgr> distinctColours(int n) {
    std::vector<Bgr> px;
    for (int i = 0; i < n; ++i) px.push_back(Bgr{static_cast<std::uint8_t>(i % 256), static_cast<std::uint8_t>(i / 256 * 40), 7});
    return px;
}

TEST(ColorReducer, ExactlyTwoHundredFiftySixColoursGetAnExactSortedPalette) {
    // Width 7: rows are not a multiple of 4 wide.
    std::vector<Bgr> px = distinctColours(256);
    px.resize(7 * 37, Bgr{3, 0, 7});
    Reduced r = reduce(7, 37, px);
    ASSERT_TRUE(r.ok);
    int previous = -1;
    for (int i = 0; i < 256; ++i) {
        const int sum = r.palette[i].rgbBlue + r.palette[i].rgbGreen + r.palette[i].rgbRed;
        EXPECT_GE(sum, previous);
        previous = sum;
    }
    for (std::size_t i = 0; i < px.size(); ++i) ASSERT_TRUE(same(r.palette[r.indexes[i]], px[i])) << i;
}

TEST(ColorReducer, TwoHundredFiftySevenColoursGoThroughMedianCut) {
    std::vector<Bgr> px = distinctColours(257);
    px.resize(257 + 3, Bgr{0, 0, 7});
    Reduced r = reduce(20, 13, px);
    ASSERT_TRUE(r.ok);
    // Not exact any more: some colour maps to a neighbour.
    int mismatches = 0;
    for (std::size_t i = 0; i < px.size(); ++i)
        if (!same(r.palette[r.indexes[i]], px[i])) ++mismatches;
    EXPECT_GT(mismatches, 0);
    // Every index is the nearest palette entry, the first one on ties.
    for (std::size_t i = 0; i < px.size(); ++i) {
        int best = 1 << 30, bestIndex = -1;
        for (int k = 0; k < 256; ++k) {
            const int db = px[i].b - r.palette[k].rgbBlue, dg = px[i].g - r.palette[k].rgbGreen,
                      dr = px[i].r - r.palette[k].rgbRed;
            const int d = db * db + dg * dg + dr * dr;
            if (d < best) best = d, bestIndex = k;
        }
        ASSERT_EQ(r.indexes[i], bestIndex) << i;
    }
}

// The mapping after median cut only searches entries that can win; it must still give, for every
// pixel, the nearest entry and the first of equally near ones, over pictures of different kinds.
TEST(ColorReducer, MappingIsTheFirstNearestEntryEverywhere) {
    const struct {
        const char* name;
        std::uint32_t w, h;
        Bgr (*colour)(std::uint32_t x, std::uint32_t y, std::uint32_t noise);
    } kinds[] = {
        {"gradients with noise", 120, 90,
         [](std::uint32_t x, std::uint32_t y, std::uint32_t n) {
             return Bgr{static_cast<std::uint8_t>(x * 2 + (n & 7)), static_cast<std::uint8_t>(y * 2 + (n >> 3 & 7)),
                        static_cast<std::uint8_t>((x + y) + (n >> 6 & 7))};
         }},
        {"coarse lattice, many ties", 100, 80,
         [](std::uint32_t, std::uint32_t, std::uint32_t n) {
             return Bgr{static_cast<std::uint8_t>((n & 7) * 36), static_cast<std::uint8_t>((n >> 3 & 7) * 36),
                        static_cast<std::uint8_t>((n >> 6 & 7) * 36)};
         }},
        {"uniform noise", 97, 61,
         [](std::uint32_t, std::uint32_t, std::uint32_t n) {
             return Bgr{static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16)};
         }},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.name);
        std::uint32_t seed = 17;
        std::vector<Bgr> px;
        for (std::uint32_t y = 0; y < k.h; ++y)
            for (std::uint32_t x = 0; x < k.w; ++x) {
                seed = seed * 1664525u + 1013904223u;
                px.push_back(k.colour(x, y, seed >> 8));
            }
        Reduced r = reduce(k.w, k.h, px);
        ASSERT_TRUE(r.ok);
        for (std::size_t i = 0; i < px.size(); ++i) {
            int best = 1 << 30, bestIndex = -1;
            for (int e = 0; e < 256; ++e) {
                const int db = px[i].b - r.palette[e].rgbBlue, dg = px[i].g - r.palette[e].rgbGreen,
                          dr = px[i].r - r.palette[e].rgbRed;
                const int d = db * db + dg * dg + dr * dr;
                if (d < best) best = d, bestIndex = e;
            }
            ASSERT_EQ(r.indexes[i], bestIndex) << i;
        }
    }
}

TEST(ColorReducer, MedianCutSplitChannelUsesWeightedRanges) {
    struct Case {
        int blueRange, greenRange, redRange;
        int channel;
        std::int64_t priority;
    } cases[] = {
        {2, 10, 13, 1, 20},  // rG 20 > rR 19
        {2, 10, 14, 2, 21},  // rR 21 >= rG 20
        {30, 10, 14, 0, 30},  // blue only when both others are below it
        {20, 10, 13, 1, 20},  // rB 20 is not above rG 20
        {0, 0, 0, 2, 0},
    };
    for (const Case& c : cases) {
        const std::uint32_t work[2] = {0, static_cast<std::uint32_t>(c.blueRange | c.greenRange << 8 | c.redRange << 16)};
        const std::uint32_t index[3] = {0, 1, 0};
        MedianCutBox box;
        box.start = 0;
        box.end = 1;
        computeBox(box, work, index);
        EXPECT_EQ(box.splitChannel, c.channel) << c.blueRange << "," << c.greenRange << "," << c.redRange;
        EXPECT_EQ(box.priority, c.priority);
    }
}

TEST(ColorReducer, BoxMedianAndEmptyBox) {
    const std::uint32_t work[4] = {10, 20, 30, 40};
    const std::uint32_t index[5] = {0, 1, 2, 3, 0};
    MedianCutBox box;
    box.start = 0;
    box.end = 3;  // half = 2: the median is the first level whose running count exceeds 2
    computeBox(box, work, index);
    EXPECT_EQ(box.colour & 0xFF, 30u);
    EXPECT_EQ(box.splitMaximum, 40u);
    MedianCutBox empty;
    empty.start = 4;  // ends before it starts: the entry at start still counts
    empty.end = 3;
    computeBox(empty, work, index);
    EXPECT_EQ(empty.colour & 0xFF, 10u);
}

TEST(ColorReducer, RefusesImpossibleSizes) {
    ColorReducer r;
    setGeometry(r, 1u << 30, 1, 24, 8);
    std::uint8_t px[8] = {};
    RGBQUAD pal[256];
    EXPECT_FALSE(reduceToPalette(r, nullptr, px, pal, px));
    setGeometry(r, 0, 1, 24, 8);
    EXPECT_FALSE(reduceToPalette(r, nullptr, px, pal, px));
}

}  // namespace
