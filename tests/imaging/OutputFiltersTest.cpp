#include "imaging/OutputFilters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "Images.h"

namespace {

using testimg::Owned;

std::vector<std::uint8_t> bytesOf(const std::uint8_t* px, int w, int h) {
    return std::vector<std::uint8_t>(px, px + testimg::stride(w) * h);
}
std::vector<std::uint8_t> bytesOf(const std::vector<std::uint8_t>& px, int w, int h) {
    return bytesOf(px.data(), w, h);
}

TEST(OutputFilters, RefuseBadSizes) {
    const std::vector<std::uint8_t> px = testimg::flat(8, 8, 1, 2, 3);
    for (auto* filter : {&sharpenImage, &autoLevels}) {
        EXPECT_FALSE(Owned(filter(nullptr, 8, 8)));
        EXPECT_FALSE(Owned(filter(px.data(), 0, 8)));
        EXPECT_FALSE(Owned(filter(px.data(), 8, -1)));
        EXPECT_FALSE(Owned(filter(px.data(), 0x7FFFFFFF, 2)));  // stride x height beyond 32 bits
    }
}

TEST(OutputFilters, SharpenLeavesFlatAreasAndSmallImagesAlone) {
    const struct {
        int w, h;
    } sizes[] = {{9, 7}, {4, 9}, {9, 4}, {1, 1}};
    for (const auto& s : sizes) {
        const std::vector<std::uint8_t> flat = testimg::flat(s.w, s.h, 0, 128, 255);
        Owned out(sharpenImage(flat.data(), s.w, s.h));
        ASSERT_TRUE(out);
        EXPECT_EQ(bytesOf(out.p, s.w, s.h), bytesOf(flat, s.w, s.h));
    }
    // A 4-pixel-wide image with a strong spot would be sharpened if it were wider.
    const std::vector<std::uint8_t> spot = testimg::make(4, 9, [](int x, int y, int) { return x == 1 && y == 4 ? 200 : 50; });
    Owned out(sharpenImage(spot.data(), 4, 9));
    ASSERT_TRUE(out);
    EXPECT_EQ(bytesOf(out.p, 4, 9), bytesOf(spot, 4, 9));
}

TEST(OutputFilters, SharpenThresholdIsASummedDifferenceOfTwenty) {
    // On a background of 100 the 5 x 5 mean of a lone pixel p stays 100 for p up to 110, so its
    // differences are p - 100; neighbours see differences of 0.
    struct Case {
        int b, g, r;
        int wantB, wantG, wantR;
    } cases[] = {
        {110, 105, 105, 110, 105, 105},  // 10 + 5 + 5 = 20: copied
        {110, 106, 105, 115, 109, 107},  // 21: each channel gains floor(d / 2)
        {89, 95, 95, 83, 92, 92},        // -11, -5, -5: floor rounds down, 89 - 6, 95 - 3
    };
    for (const Case& c : cases) {
        const int spot[3] = {c.b, c.g, c.r};
        const std::vector<std::uint8_t> px =
            testimg::make(9, 9, [&](int x, int y, int ch) { return x == 4 && y == 4 ? spot[ch] : 100; });
        Owned out(sharpenImage(px.data(), 9, 9));
        ASSERT_TRUE(out);
        EXPECT_EQ(testimg::at(out.p, 9, 4, 4, 0), c.wantB);
        EXPECT_EQ(testimg::at(out.p, 9, 4, 4, 1), c.wantG);
        EXPECT_EQ(testimg::at(out.p, 9, 4, 4, 2), c.wantR);
        std::vector<std::uint8_t> rest = bytesOf(out.p, 9, 9), want = bytesOf(px, 9, 9);
        for (int ch = 0; ch < 3; ++ch) rest[4 * testimg::stride(9) + 12 + ch] = want[4 * testimg::stride(9) + 12 + ch];
        EXPECT_EQ(rest, want) << "only the spot changes";
    }
}

TEST(OutputFilters, SharpenRepeatsEdgePixelsOutsideTheImage) {
    // A corner counts 9 times in its own window: 9 x 60 = 540, blurred 22, difference 38, so the
    // corner becomes 60 + 19. Zero or wrapped borders would give other values. All four corners
    // of a 6 x 6 image, whose windows do not overlap.
    const std::vector<std::uint8_t> px =
        testimg::make(6, 6, [](int x, int y, int) { return (x == 0 || x == 5) && (y == 0 || y == 5) ? 60 : 0; });
    Owned out(sharpenImage(px.data(), 6, 6));
    ASSERT_TRUE(out);
    for (int y : {0, 5})
        for (int x : {0, 5})
            for (int c = 0; c < 3; ++c) EXPECT_EQ(testimg::at(out.p, 6, x, y, c), 79) << x << "," << y;
}

TEST(OutputFilters, SharpenMatchesAPlainFiveByFiveMask) {
    // Noise with a smooth ramp under it, so both copied and sharpened pixels occur; odd sizes.
    const struct {
        int w, h;
    } sizes[] = {{5, 5}, {23, 17}, {64, 9}};
    for (const auto& s : sizes) {
        std::vector<std::uint8_t> px = testimg::noise(s.w, s.h, 11u + s.w);
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x)
                for (int c = 0; c < 3; ++c) {
                    std::uint8_t& v = px[y * testimg::stride(s.w) + 3 * x + c];
                    v = static_cast<std::uint8_t>(x * 8 + (v & 15));
                }
        Owned out(sharpenImage(px.data(), s.w, s.h));
        ASSERT_TRUE(out);
        for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
                int d[3], spread = 0;
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = -2; dy <= 2; ++dy)
                        for (int dx = -2; dx <= 2; ++dx)
                            sum += testimg::at(px.data(), s.w, std::clamp(x + dx, 0, s.w - 1), std::clamp(y + dy, 0, s.h - 1), c);
                    d[c] = std::clamp(testimg::at(px.data(), s.w, x, y, c) - ((2621 * sum + 32768) >> 16), -128, 127);
                    spread += std::abs(d[c]);
                }
                for (int c = 0; c < 3; ++c) {
                    const int v = testimg::at(px.data(), s.w, x, y, c);
                    const int want = spread <= 20 ? v : std::clamp(v + (d[c] >> 1), 0, 255);
                    ASSERT_EQ(testimg::at(out.p, s.w, x, y, c), want) << s.w << "x" << s.h << " at " << x << "," << y;
                }
            }
    }
}

// One pixel per level from low to high, all channels alike, the two ends doubled so that they hold
// more samples than the cut-off count: the levels found are exactly low and high. Pixel x + 1 holds
// level low + x.
std::vector<std::uint8_t> ramp(int low, int high) {
    return testimg::make(high - low + 3, 1, [&](int x, int, int) { return std::min(std::max(low + x - 1, low), high); });
}

TEST(OutputFilters, AutoLevelsStretchesLowToHighOntoTheFullRange) {
    {
        const std::vector<std::uint8_t> px = ramp(50, 200);  // range 150
        Owned out(autoLevels(px.data(), 153, 1));
        ASSERT_TRUE(out);
        EXPECT_EQ(out.p[3 * 1], 0);          // 50
        EXPECT_EQ(out.p[3 * 2], 1);          // 51
        EXPECT_EQ(out.p[3 * 151 + 2], 254);  // 200: (150 x floor(0xFF0000 / 150)) >> 16
        for (int x = 1; x < 153; ++x) EXPECT_LE(out.p[3 * (x - 1)], out.p[3 * x]);
    }
    {
        const std::vector<std::uint8_t> px = ramp(10, 138);  // range 128
        Owned out(autoLevels(px.data(), 131, 1));
        ASSERT_TRUE(out);
        EXPECT_EQ(out.p[3 * 128], 253);  // 137
        EXPECT_EQ(out.p[3 * 129], 255);  // 138
    }
    {
        const std::vector<std::uint8_t> px = ramp(0, 255);  // range 255 keeps every value
        Owned out(autoLevels(px.data(), 258, 1));
        ASSERT_TRUE(out);
        EXPECT_EQ(bytesOf(out.p, 258, 1), bytesOf(px, 258, 1));
    }
}

TEST(OutputFilters, AutoLevelsCutsOffOne256thAtEachEnd) {
    // 16 x 16: cut-off count 3. One black and one white pixel (3 samples each) lie outside the
    // levels found, 100 and 200, and end at 0 and 255; 200 itself reaches 254 (range 100).
    const std::vector<std::uint8_t> px = testimg::make(16, 16, [](int x, int y, int) {
        if (x == 0 && y == 0) return 0;
        if (x == 15 && y == 15) return 255;
        return x < 8 ? 100 : 200;
    });
    Owned out(autoLevels(px.data(), 16, 16));
    ASSERT_TRUE(out);
    EXPECT_EQ(testimg::at(out.p, 16, 0, 0, 1), 0);
    EXPECT_EQ(testimg::at(out.p, 16, 3, 3, 1), 0);      // 100 = low
    EXPECT_EQ(testimg::at(out.p, 16, 12, 3, 1), 254);   // 200 = high
    EXPECT_EQ(testimg::at(out.p, 16, 15, 15, 1), 255);
}

TEST(OutputFilters, AutoLevelsKeepsAnImageWithoutRange) {
    // Nearly every sample is 90: low and high coincide, and the image must not turn black.
    const std::vector<std::uint8_t> px = testimg::make(16, 16, [](int x, int y, int) { return x == 3 && y == 2 ? 250 : 90; });
    Owned out(autoLevels(px.data(), 16, 16));
    ASSERT_TRUE(out);
    EXPECT_EQ(bytesOf(out.p, 16, 16), bytesOf(px, 16, 16));
}

}  // namespace
