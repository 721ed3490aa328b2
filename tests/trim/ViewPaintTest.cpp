#include "trim/ViewPaint.h"

#include <gtest/gtest.h>

#include "support/Printers.h"

namespace {

const ViewMetrics kMetrics{17, 17, 1920, 1080};

ViewGeometry fitted(std::int32_t width, std::int32_t height, std::int32_t clientW, std::int32_t clientH) {
    ViewGeometry v;
    v.clientW = clientW;
    v.clientH = clientH;
    FitNew(v, width, height, kMetrics);
    return v;
}

TEST(ViewPaint, SmallImageCentredWithFourMargins) {
    const ViewGeometry v = fitted(100, 80, 800, 600);
    const PaintPlan p = PlanPaint(v, nullptr, true, false, 16);
    ASSERT_TRUE(p.hasImage);
    ASSERT_EQ(p.fillCount, 4);
    EXPECT_EQ(p.fills[0], (PaintRect{0, 0, 350, 600}));
    EXPECT_EQ(p.fills[1], (PaintRect{450, 0, 800, 600}));
    EXPECT_EQ(p.fills[2], (PaintRect{350, 0, 450, 260}));
    EXPECT_EQ(p.fills[3], (PaintRect{350, 340, 450, 600}));
    EXPECT_EQ(p.blit, (StretchBlit{350, 260, 100, 80, 0, 0, 100, 80}));
    EXPECT_EQ(p.stretchMode, StretchMode::ColorOnColor);
    EXPECT_TRUE(p.eraseCrosshair);
    EXPECT_FALSE(p.dottedOutline || p.xorRect || p.cornerSquares || p.failureText);
}

TEST(ViewPaint, ScrolledImageBlitsTheShownRowsCountedFromTheBottom) {
    ViewGeometry v = fitted(1000, 800, 400, 300);
    v.zoom = 1.0;
    Layout(v, 400, 300, kMetrics);
    ScrollBy(v, 100, 50);
    const PaintPlan p = PlanPaint(v, nullptr, true, false, 16);
    EXPECT_EQ(p.fillCount, 0);
    ASSERT_EQ(v.viewportW, 383);
    ASSERT_EQ(v.viewportH, 283);
    // Rows srcY ... srcY + srcH - 1 from the top lie height - srcY - srcH rows above the bottom.
    EXPECT_EQ(p.blit, (StretchBlit{0, 0, 383, 283, v.srcX, 800 - v.srcY - 283, 383, 283}));
    EXPECT_EQ(v.srcY, 309);  // centre 400 - 141, then 50 down
}

TEST(ViewPaint, HalftoneOnlyWhenReducedAndNotPanning) {
    using M = MouseMode;
    struct Case {
        std::int32_t width, height;
        double zoom;
        MouseMode mouseMode;
        StretchMode expected;
    };
    const Case cases[] = {
        {400, 300, 1.0, M::None, StretchMode::ColorOnColor},
        {400, 300, 2.5, M::None, StretchMode::ColorOnColor},
        {400, 300, 0.5, M::None, StretchMode::Halftone},
        {400, 300, 0.5, M::Panning, StretchMode::ColorOnColor},
        {400, 300, 0.5, M::RightPressed, StretchMode::Halftone},  // not yet panning
        {3, 1000, 0.9, M::None, StretchMode::Halftone},           // 3 columns stay 3, but the rows shrink
        {3, 3, 0.9, M::None, StretchMode::ColorOnColor},          // round(2.7) = 3 both ways
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " zoom " << c.zoom << " mouse "
                                        << static_cast<int>(c.mouseMode));
        ViewGeometry v;
        v.imageWidth = c.width;
        v.imageHeight = c.height;
        v.zoom = c.zoom;
        v.mouseMode = c.mouseMode;
        Layout(v, 2000, 2000, kMetrics);
        const PaintPlan p = PlanPaint(v, nullptr, true, false, 16);
        EXPECT_EQ(p.stretchMode, c.expected);
        EXPECT_EQ(p.brushOriginZero, c.expected == StretchMode::Halftone);
    }
}

TEST(ViewPaint, OverlaysByTrimModeAndMouseMode) {
    using T = TrimMode;
    using M = MouseMode;
    struct Case {
        TrimMode trimMode;
        MouseMode mouseMode;
        bool rectified;
        bool dotted, xorRect, squares;
    };
    const Case cases[] = {
        {T::Adjusting, M::None, true, true, false, true},
        {T::Adjusting, M::None, false, true, false, false},  // no rectified copy: no corner squares
        {T::Adjusting, M::LeftCaptured, true, false, false, true},
        {T::Adjusting, M::TrimDrag, true, false, false, true},
        {T::Adjusting, M::Panning, true, false, false, false},  // panning: nothing
        {T::Adjusting, M::RightPressed, true, false, false, false},
        {T::HandleDrag, M::None, true, false, true, false},
        {T::HandleDrag, M::TrimDrag, true, false, true, true},  // the dragged outline stays drawn
        {T::CornerDrag, M::None, true, false, false, true},
        {T::CornerDrag, M::TrimDrag, true, false, false, true},
        {T::CornerDrag, M::Panning, true, false, false, false},
    };
    const ViewGeometry v = fitted(200, 100, 800, 600);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "trim " << static_cast<int>(c.trimMode) << " mouse "
                                        << static_cast<int>(c.mouseMode) << " rect " << c.rectified);
        ViewGeometry g = v;
        g.mouseMode = c.mouseMode;
        TrimEditor e;
        e.trimMode = c.trimMode;
        if (c.rectified) {
            ASSERT_TRUE(e.rectified.allocate(4));
        }
        e.screenRect = {310, 260, 420, 330};
        const PaintPlan p = PlanPaint(g, &e, true, false, 16);
        EXPECT_FALSE(p.eraseCrosshair);
        EXPECT_EQ(p.dottedOutline, c.dotted);
        EXPECT_EQ(p.xorRect, c.xorRect);
        EXPECT_EQ(p.cornerSquares, c.squares);
        if (c.dotted) {
            const TrimPoint expected[5] = {{310, 260}, {420, 260}, {420, 330}, {310, 330}, {310, 260}};
            for (int i = 0; i < 5; ++i) EXPECT_EQ(p.outline.points[i], expected[i]);
        }
        if (c.xorRect) {
            EXPECT_EQ(p.xorPath.points[2], (TrimPoint{420, 330}));
        }
    }
}

TEST(ViewPaint, RubberBandRedrawnOnlyOnceDrawn) {
    const ViewGeometry v = fitted(200, 100, 800, 600);
    TrimEditor e;
    e.trimMode = TrimMode::Sizing;
    e.screenRect = {400, 300, 400, 300};  // the anchor
    e.cornerPoint = {-1, -1};
    EXPECT_FALSE(PlanPaint(v, &e, true, false, 16).xorRect);
    e.cornerPoint = {350, 280};  // the band grew up and to the left
    const PaintPlan p = PlanPaint(v, &e, true, false, 16);
    ASSERT_TRUE(p.xorRect);
    EXPECT_EQ(p.xorPath.points[0], (TrimPoint{400, 300}));
    EXPECT_EQ(p.xorPath.points[2], (TrimPoint{350, 280}));
}

TEST(ViewPaint, CornerSquaresAroundHandlesSelectedOneTinted) {
    TrimEditor e;
    e.cornerHandles[kQuadTopLeft] = {10, 20};
    e.cornerHandles[kQuadTopRight] = {110, 20};
    e.cornerHandles[kQuadBottomLeft] = {10, 90};
    e.cornerHandles[kQuadBottomRight] = {110, 90};
    e.selectedCorner = 2;  // bottom-right, counted clockwise
    const CornerSquares s = CornerSquaresOf(e);
    // Drawn top-left, top-right, bottom-left, bottom-right.
    EXPECT_EQ(s.squares[0].rect, (PaintRect{3, 13, 17, 27}));
    EXPECT_EQ(s.squares[1].rect, (PaintRect{103, 13, 117, 27}));
    EXPECT_EQ(s.squares[2].rect, (PaintRect{3, 83, 17, 97}));
    EXPECT_EQ(s.squares[3].rect, (PaintRect{103, 83, 117, 97}));
    EXPECT_EQ(s.squares[0].fill, kCornerFill);
    EXPECT_EQ(s.squares[2].fill, kCornerFill);
    EXPECT_EQ(s.squares[3].fill, kSelectedCornerFill);
    e.selectedCorner = 3;  // bottom-left
    EXPECT_EQ(CornerSquaresOf(e).squares[2].fill, kSelectedCornerFill);
}

TEST(ViewPaint, EmptyViewFillsGreyAndCentresTheFailureText) {
    ViewGeometry v;
    Layout(v, 640, 480, kMetrics);
    PaintPlan p = PlanPaint(v, nullptr, false, true, 16);
    EXPECT_FALSE(p.hasImage);
    ASSERT_EQ(p.fillCount, 1);
    EXPECT_EQ(p.fills[0], (PaintRect{0, 0, 640, 480}));
    EXPECT_TRUE(p.failureText);
    EXPECT_EQ(p.textX, 320);
    EXPECT_EQ(p.textY, 232);
    EXPECT_FALSE(PlanPaint(v, nullptr, false, false, 16).failureText);
}

TEST(ViewPaint, CrosshairFollowsClampedAndErasesOnce) {
    const ViewGeometry v = fitted(100, 80, 800, 600);  // shown at (350, 260) ... (449, 339)
    TrimPoint current{-1, -1};
    // Loaded, no mouse move yet: a paint erases nothing.
    EXPECT_FALSE(EraseCrosshair(current).eraseOld);

    CrosshairStep s = MoveCrosshair(current, v, 10, 700);
    EXPECT_FALSE(s.eraseOld);
    ASSERT_TRUE(s.drawNew);
    EXPECT_EQ(s.newPoint, (TrimPoint{350, 339}));
    const CrosshairLines l = CrosshairAt(v, s.newPoint);
    EXPECT_EQ(l.horizontalFrom, (TrimPoint{350, 339}));
    EXPECT_EQ(l.horizontalTo, (TrimPoint{450, 339}));
    EXPECT_EQ(l.verticalFrom, (TrimPoint{350, 260}));
    EXPECT_EQ(l.verticalTo, (TrimPoint{350, 340}));

    // Outside again at the same clamped point: nothing to draw.
    s = MoveCrosshair(current, v, 0, 900);
    EXPECT_FALSE(s.eraseOld || s.drawNew);

    s = MoveCrosshair(current, v, 400, 300);
    EXPECT_TRUE(s.eraseOld);
    EXPECT_EQ(s.oldPoint, (TrimPoint{350, 339}));
    EXPECT_EQ(s.newPoint, (TrimPoint{400, 300}));

    s = EraseCrosshair(current);
    EXPECT_TRUE(s.eraseOld);
    EXPECT_EQ(s.oldPoint, (TrimPoint{400, 300}));
    EXPECT_EQ(current, (TrimPoint{-1, -1}));
    EXPECT_FALSE(EraseCrosshair(current).eraseOld);
}

}  // namespace
