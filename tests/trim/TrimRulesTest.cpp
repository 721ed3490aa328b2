#include "trim/TrimRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "FakeTrimView.h"
#include "trim/TrimEditor.h"

namespace {

TEST(TrimRules, KeepRatioCentresPushesBackOrRefuses) {
    const OutputRatio r43 = RatioOf(400, 300);
    const TrimRect r{300, 250, 699, 549};
    struct Case {
        const char* what;
        Side side;
        std::int32_t value;
        TrimPoint centre;
        bool fits;
        TrimRect expected;
    };
    const Case cases[] = {
        {"wider around the centre row", Side::Right, 799, {499, 399}, true, {300, 211, 799, 585}},
        {"taller around the centre column", Side::Bottom, 624, {499, 399}, true, {249, 250, 748, 624}},
        {"pushed down off the top", Side::Left, 0, {0, 10}, true, {0, 0, 699, 524}},
        {"pushed up off the bottom", Side::Right, 999, {0, 790}, true, {300, 275, 999, 799}},
        {"too high for the image", Side::Left, -600, {499, 399}, false, {}},
        {"too wide for the image", Side::Top, -900, {499, 399}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto got = KeepRatio(r, c.side, c.value, c.centre, 1000, 800, r43);
        ASSERT_EQ(got.has_value(), c.fits);
        if (c.fits) {
            EXPECT_EQ(*got, c.expected);
        }
    }
}

TEST(TrimRules, FittingRectanglesStayInsideAndKeepAPixel) {
    struct Case {
        std::int32_t width, height, outW, outH;
        TrimRect largest;
    };
    const Case cases[] = {
        {1000, 800, 400, 300, {0, 25, 999, 774}},
        {1000, 800, 300, 400, {200, 0, 799, 799}},
        {7, 7, 1, 1, {0, 0, 6, 6}},
        {5, 3, 1, 9999, {2, 0, 2, 2}},  // one column, rounded up from nothing
        {3, 5, 9999, 1, {0, 2, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " at " << c.outW << ":" << c.outH);
        const OutputRatio ratio = RatioOf(c.outW, c.outH);
        EXPECT_EQ(LargestCentred(c.width, c.height, ratio), c.largest);
        const TrimRect refit = RefitToRatio(TrimRect{0, 0, c.width - 1, c.height - 1}, c.width, c.height, ratio);
        EXPECT_LE(0, refit.left);
        EXPECT_LE(refit.left, refit.right);
        EXPECT_LT(refit.right, c.width);
        EXPECT_LE(0, refit.top);
        EXPECT_LE(refit.top, refit.bottom);
        EXPECT_LT(refit.bottom, c.height);
    }
    // A zero output size from an unchecked source counts as 1 instead of dividing by it.
    const OutputRatio zero = RatioOf(0, 0);
    EXPECT_EQ(zero.width, 1);
    EXPECT_EQ(zero.height, 1);
    EXPECT_EQ(LargestCentred(10, 8, zero), (TrimRect{1, 0, 8, 7}));
}

// vantle-cli lays a requested rectangle with the rules alone; it must be the rectangle the window
// would hold after the same left and right were typed into its boxes and the rectangle moved to
// the asked top.
TEST(TrimRules, RectForRequestIsWhatTheNumberBoxesGive) {
    struct Case {
        std::int32_t width, height, outW, outH;
        TrimRect wanted;
    };
    const Case cases[] = {
        {1600, 1200, 400, 300, {100, 200, 899, 799}},
        {1600, 1200, 400, 300, {-50, -50, 5000, 5000}},
        {1600, 1200, 300, 400, {1500, 10, 1599, 80}},
        {1600, 1200, 400, 300, {900, 1100, 700, 1150}},  // right before left
        {333, 197, 1, 9999, {10, 10, 20, 20}},
        {64, 48, 640, 480, {0, 0, 63, 47}},
        {6000, 4000, 400, 300, {1000, 1000, 3000, 2500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " " << c.wanted.left << "," << c.wanted.top
                                        << "," << c.wanted.right << "," << c.wanted.bottom);
        ViewGeometry geometry;
        geometry.viewW = geometry.srcW = geometry.scaledW = geometry.clientW = geometry.viewportW = c.width;
        geometry.viewH = geometry.srcH = geometry.scaledH = geometry.clientH = geometry.viewportH = c.height;
        geometry.imageWidth = c.width;
        geometry.imageHeight = c.height;
        TrimOptions options;
        options.trimWidth = c.outW;
        options.trimHeight = c.outH;
        FakeTrimView view;
        TrimEditor editor;
        view.editor = &editor;
        editor.view = &view;
        editor.geometry = &geometry;
        editor.options = &options;
        const std::vector<std::uint8_t> pixels(std::size_t{rowStride(c.width, 24)} * c.height + 4);
        ASSERT_TRUE(FitLargest(editor, {c.width, c.height, pixels.data()}));
        const OutputRatio ratio = RatioOf(c.outW, c.outH);
        ASSERT_EQ(editor.trimRect, LargestCentred(c.width, c.height, ratio));

        auto type = [&](std::int32_t id, std::int32_t value) {
            BoxChanged(editor, id, kEditSetFocus, 0);
            BoxChanged(editor, id, kEditUpdate, value);
            BoxChanged(editor, id, kEditKillFocus, 0);
        };
        const std::int32_t left = std::clamp(c.wanted.left, 0, c.width - 1);
        if (left >= editor.trimRect.left) {
            type(control::kBoxLeft, left);
            type(control::kBoxRight, c.wanted.right);
        } else {
            type(control::kBoxRight, c.wanted.right);
            type(control::kBoxLeft, left);
        }
        TrimRect expected = editor.trimRect;
        const std::int32_t extent = expected.bottom - expected.top;
        expected.top = std::clamp(c.wanted.top, 0, c.height - extent - 1);
        expected.bottom = expected.top + extent;
        EXPECT_EQ(RectForRequest(c.wanted, c.width, c.height, ratio), expected);
    }
}

}  // namespace
