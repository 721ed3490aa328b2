#include "imaging/Resample.h"

#include <gtest/gtest.h>

#include <vector>

#include "Images.h"
#include "imaging/ResampleKernels.h"

namespace {

using testimg::Owned;

Owned resample(const std::vector<std::uint8_t>& src, int w, int h, int tw, int th, int filter) {
    return Owned(Resample(src.data(), w, h, tw, th, static_cast<ResizeFilter>(filter), nullptr));
}

TEST(Resample, RefusesWhatItCannotOrNeedNotDo) {
    const std::vector<std::uint8_t> src = testimg::flat(8, 8, 1, 2, 3);
    struct Case {
        const char* what;
        const std::uint8_t* pixels;
        int w, h, tw, th, filter;
    } cases[] = {
        {"no pixels", nullptr, 8, 8, 4, 4, 0},
        {"zero target width", src.data(), 8, 8, 0, 4, 0},
        {"negative target height", src.data(), 8, 8, 4, -1, 2},
        {"zero source width", src.data(), 0, 8, 4, 4, 1},
        {"negative source height", src.data(), 8, -8, 4, 4, 2},
        {"target beyond 32 bits", src.data(), 8, 8, 40000, 40000, 2},
        {"target beyond 32 bits, filter 0", src.data(), 8, 8, 1, 0x7FFFFFFF, 0},
        {"unchanged size, filter 0", src.data(), 8, 8, 8, 8, 0},
        {"unchanged size, filter 1", src.data(), 8, 8, 8, 8, 1},
        {"unknown filter", src.data(), 8, 8, 4, 4, 4},
        {"negative filter", src.data(), 8, 8, 4, 4, -1},
    };
    for (const Case& c : cases) {
        Owned out(Resample(c.pixels, c.w, c.h, c.tw, c.th, static_cast<ResizeFilter>(c.filter), nullptr));
        EXPECT_FALSE(out) << c.what;
    }
}

TEST(Resample, NearestNeighbourAtTheSameSizeIsACopy) {
    const std::vector<std::uint8_t> src = testimg::noise(7, 5, 3);
    Owned out = resample(src, 7, 5, 7, 5, 2);
    ASSERT_TRUE(out);
    EXPECT_EQ(std::vector<std::uint8_t>(out.p, out.p + testimg::stride(7) * 5),
              std::vector<std::uint8_t>(src.begin(), src.begin() + testimg::stride(7) * 5));
}

TEST(Resample, AreaAverageOfThreeSamplesIsTheirRoundedMean) {
    // sums 61 (20.33), 62 (20.67) and 3 x 255, along a row and along a column
    const int samples[3][3] = {{10, 20, 31}, {10, 20, 32}, {255, 255, 255}};
    for (int c = 0; c < 3; ++c) {
        const std::vector<std::uint8_t> row = testimg::make(3, 1, [&](int x, int, int ch) { return samples[ch][x]; });
        const std::vector<std::uint8_t> column = testimg::make(1, 3, [&](int, int y, int ch) { return samples[ch][y]; });
        Owned a = resample(row, 3, 1, 1, 1, 0);
        Owned b = resample(column, 1, 3, 1, 1, 0);
        ASSERT_TRUE(a && b);
        const int want[3] = {20, 21, 255};
        EXPECT_EQ(a.p[c], want[c]);
        EXPECT_EQ(b.p[c], want[c]);
    }
}

TEST(Resample, LinearEnlargementOfOneSampleRepeatsIt) {
    const std::vector<std::uint8_t> one = testimg::flat(1, 1, 9, 128, 250);
    for (int filter = 0; filter <= 3; ++filter) {
        Owned out = resample(one, 1, 1, 4, 4, filter);
        ASSERT_TRUE(out) << filter;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(testimg::at(out.p, 4, x, y, 0), 9) << filter;
                EXPECT_EQ(testimg::at(out.p, 4, x, y, 2), 250) << filter;
            }
    }
}

TEST(Resample, NearestNeighbourHalvingTakesTheSecondOfEachPair) {
    // Sample value = its index; rows are counted in stored order, so stored rows 1 and 3 are taken.
    const std::vector<std::uint8_t> src = testimg::make(8, 4, [](int x, int y, int c) { return c == 0 ? x : y; });
    Owned out = resample(src, 8, 4, 4, 2, 2);
    ASSERT_TRUE(out);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(testimg::at(out.p, 4, x, y, 0), 2 * x + 1);
            EXPECT_EQ(testimg::at(out.p, 4, x, y, 1), 2 * y + 1);
        }
}

TEST(Resample, BicubicShrinksInStepsOfAtMostFour) {
    struct Case {
        int source, target;
        std::vector<int> steps;
    } cases[] = {
        {4000, 400, {1600, 400}}, {1000, 300, {300}},      {6000, 400, {1600, 400}}, {1601, 400, {1600, 400}},
        {1600, 400, {400}},       {6400, 100, {1600, 400, 100}}, {200, 400, {400}},  {300, 300, {300}},
        {0x7FFFFFFF, 1, {1 << 30, 1 << 28, 1 << 26, 1 << 24, 1 << 22, 1 << 20, 1 << 18, 1 << 16, 1 << 14, 1 << 12, 1 << 10,
                         1 << 8, 1 << 6, 1 << 4, 1 << 2, 1}},
    };
    for (const Case& c : cases) {
        std::int32_t sizes[16];
        const int n = resample::bicubicStepSizes(c.source, c.target, sizes, 16);
        EXPECT_EQ(std::vector<int>(sizes, sizes + n), c.steps) << c.source << " -> " << c.target;
    }
}

TEST(Resample, GaussianPrefilterWeights) {
    struct Case {
        double ratio;
        int radius;
        std::uint32_t w0, w1, w2;
        int shift;
    } cases[] = {
        // raw 255, 155, 35 (total 635) rescaled to 1024
        {4.0, 2, 411, 250, 56, 10},
        {3.75, 2, 439, 248, 45, 10},
        // raw 255, 35 (total 325) rescaled to 512
        {2.0, 1, 402, 55, 0, 9},
        {1.5, 1, 485, 13, 0, 9},
    };
    for (const Case& c : cases) {
        const resample::GaussianKernel k = resample::gaussianKernel(c.ratio);
        EXPECT_EQ(k.radius, c.radius) << c.ratio;
        EXPECT_EQ(k.weights[0], c.w0) << c.ratio;
        EXPECT_EQ(k.weights[1], c.w1) << c.ratio;
        EXPECT_EQ(k.weights[2], c.w2) << c.ratio;
        EXPECT_EQ(k.shift, c.shift) << c.ratio;
    }
}

struct Resize {
    int w, h, tw, th;
};

// Flat images: nearest neighbour and the halftone stretch keep them exactly; so does filter 0 when
// every changed axis is enlarged or shrunk by 2 or more. Its carries are rounded, so shrinking by
// less than 2 may move a sample by one level. Filter 1 only ever darkens: each prefilter pass
// truncates a sum whose rescaled weights may fall short of the power of two, and the cubic sum is
// truncated, so a step may lose up to three levels.
int bicubicSteps(const Resize& s) {
    std::int32_t sizes[16];
    return std::max(resample::bicubicStepSizes(s.w, s.tw, sizes, 16), resample::bicubicStepSizes(s.h, s.th, sizes, 16));
}

TEST(Resample, FlatImagesStayFlat) {
    const Resize sizes[] = {{7, 5, 3, 2},   {7, 5, 20, 13}, {40, 30, 4, 3}, {9, 9, 4, 9},  {9, 9, 9, 30},
                            {10, 10, 6, 6}, {10, 10, 7, 3}, {3, 7, 2, 40},  {400, 300, 97, 61}};
    const std::uint8_t levels[] = {0, 1, 2, 100, 127, 128, 200, 254, 255};
    for (const Resize& s : sizes)
        for (std::uint8_t v : levels) {
            const std::uint8_t g = static_cast<std::uint8_t>(255 - v), r = static_cast<std::uint8_t>(v ^ 0x55);
            const std::vector<std::uint8_t> src = testimg::flat(s.w, s.h, v, g, r);
            const bool exact0 = (s.tw == s.w || s.tw > s.w || s.w >= 2 * s.tw) && (s.th == s.h || s.th > s.h || s.h >= 2 * s.th);
            for (int filter = 0; filter <= 3; ++filter) {
                Owned out = resample(src, s.w, s.h, s.tw, s.th, filter);
                ASSERT_TRUE(out);
                int worst = 0;
                bool above = false;
                for (int y = 0; y < s.th; ++y)
                    for (int x = 0; x < s.tw; ++x) {
                        const int want[3] = {v, g, r};
                        for (int c = 0; c < 3; ++c) {
                            const int d = testimg::at(out.p, s.tw, x, y, c) - want[c];
                            worst = std::max(worst, d < 0 ? -d : d);
                            above = above || d > 0;
                        }
                    }
                SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << " -> " << s.tw << "x" << s.th << " filter "
                                                << filter << " level " << int(v));
                if (filter == 2 || filter == 3 || (filter == 0 && exact0)) {
                    EXPECT_EQ(worst, 0);
                } else if (filter == 0) {
                    EXPECT_LE(worst, 1);
                } else {
                    EXPECT_FALSE(above);
                    EXPECT_LE(worst, 3 * bicubicSteps(s));
                }
            }
        }
}

TEST(Resample, EveryLevelSurvivesAThreefoldEnlargement) {
    // 16 x 16 pixels hold all 256 levels in each channel, scrambled differently per channel. At 3x
    // the centre of every third output pixel falls on a source pixel centre. (GDI's halftone
    // stretch blends neighbours when it enlarges, so filter 3 is held to this only where the
    // area-averaging stand-in serves.)
    const std::vector<std::uint8_t> src =
        testimg::make(16, 16, [](int x, int y, int c) { return ((y * 16 + x) * (2 * c + 1) + 17 * c) & 255; });
#ifdef _WIN32
    const int lastFilter = 2;
#else
    const int lastFilter = 3;
#endif
    for (int filter = 0; filter <= lastFilter; ++filter) {
        Owned out = resample(src, 16, 16, 48, 48, filter);
        ASSERT_TRUE(out);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(testimg::at(out.p, 48, 3 * x + 1, 3 * y + 1, c), testimg::at(src.data(), 16, x, y, c))
                        << "filter " << filter << " at " << x << "," << y;
    }
}

TEST(Resample, LeavesItsInputAloneAndPaddingZero) {
    const std::vector<std::uint8_t> src = testimg::noise(33, 21, 77);
    const std::vector<std::uint8_t> copy = src;
    const Resize sizes[] = {{33, 21, 10, 7}, {33, 21, 50, 41}, {33, 21, 33, 9}};
    for (const Resize& s : sizes)
        for (int filter = 0; filter <= 3; ++filter) {
            Owned out = resample(src, s.w, s.h, s.tw, s.th, filter);
            ASSERT_TRUE(out);
            EXPECT_EQ(src, copy) << filter;
            for (int y = 0; y < s.th; ++y)
                for (std::size_t i = 3 * s.tw; i < testimg::stride(s.tw); ++i)
                    EXPECT_EQ(out.p[y * testimg::stride(s.tw) + i], 0) << filter;
        }
}

// The output job resizes a crop where it lies in the image: every filter must read the window's
// rows through the image's stride and give what it gives for a packed copy of the window.
TEST(Resample, AWindowResizedWhereItLiesEqualsItsCopyResized) {
    const int iw = 241, ih = 180, left = 17, top = 11, w = 203, h = 151;
    const std::vector<std::uint8_t> image = testimg::noise(iw, ih, 4242);
    const std::size_t imageStride = testimg::stride(iw);
    // Bottom-up rows: the window's first stored row is image row top + h - 1 counted from the top.
    const std::uint8_t* origin = image.data() + imageStride * (ih - top - h) + 3 * left;
    const std::vector<std::uint8_t> copy =
        testimg::make(w, h, [&](int x, int y, int c) { return origin[imageStride * y + 3 * x + c]; });
    // Both axes shrunk (bicubic in several steps), both enlarged, one axis only, mixed.
    const Resize sizes[] = {{w, h, 12, 9}, {w, h, 250, 190}, {w, h, w, 40}, {w, h, 60, h}, {w, h, 400, 30}};
    for (const Resize& s : sizes)
        for (int filter = 0; filter <= 3; ++filter) {
            Owned want = resample(copy, w, h, s.tw, s.th, filter);
            Owned got(ResampleRows(origin, imageStride, w, h, s.tw, s.th, static_cast<ResizeFilter>(filter), nullptr));
            ASSERT_TRUE(want && got) << filter;
            const std::size_t bytes = testimg::stride(s.tw) * s.th;
            EXPECT_EQ(testimg::fnv1a(got.p, bytes), testimg::fnv1a(want.p, bytes))
                << s.tw << "x" << s.th << " filter " << filter;
        }
    EXPECT_EQ(ResampleRows(origin, 3 * w - 1, w, h, 12, 9, ResizeFilter::AreaLinear, nullptr), nullptr) << "rows overlapping";
}

TEST(Resample, ExpandIndexedLooksUpEveryIndexAcrossPaddedRows) {
    RGBQUAD palette[256];
    for (int i = 0; i < 256; ++i)
        palette[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i), static_cast<BYTE>(i * 3), 0x77};
    // 5 x 3 indexes in rows of 8 bytes; the padding holds junk that must not show.
    const int w = 5, h = 3;
    std::vector<std::uint8_t> indexes(8 * h + 4, 0xEE);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) indexes[y * 8 + x] = static_cast<std::uint8_t>(y * 50 + x * 7);
    Owned out(ExpandIndexed(palette, indexes.data(), w, h));
    ASSERT_TRUE(out);
    ASSERT_EQ(testimg::stride(w), 16u);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const RGBQUAD& q = palette[y * 50 + x * 7];
            EXPECT_EQ(testimg::at(out.p, w, x, y, 0), q.rgbBlue);
            EXPECT_EQ(testimg::at(out.p, w, x, y, 1), q.rgbGreen);
            EXPECT_EQ(testimg::at(out.p, w, x, y, 2), q.rgbRed);
        }
        EXPECT_EQ(out.p[y * 16 + 15], 0);
    }
    EXPECT_EQ(indexes[5], 0xEE);

    EXPECT_FALSE(Owned(ExpandIndexed(palette, indexes.data(), 0, 3)));
    EXPECT_FALSE(Owned(ExpandIndexed(palette, indexes.data(), 5, -1)));
    EXPECT_FALSE(Owned(ExpandIndexed(nullptr, indexes.data(), 5, 3)));
    // 1.5 GiB of indexes would fit in 32 bits, their 24-bit expansion would not
    EXPECT_FALSE(Owned(ExpandIndexed(palette, indexes.data(), 0x20000000, 3)));
}

}  // namespace
