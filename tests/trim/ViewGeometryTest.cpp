#include "trim/ViewGeometry.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Printers.h"
#include "trim/Identifiers.h"

namespace {

const ViewMetrics kMetrics{17, 17, 1920, 1080};

ViewGeometry laidOut(std::int32_t width, std::int32_t height, std::int32_t clientW, std::int32_t clientH,
                     double zoom = 1.0) {
    ViewGeometry v;
    v.imageWidth = width;
    v.imageHeight = height;
    v.centerX = width >> 1;
    v.centerY = height >> 1;
    v.zoom = zoom;
    Layout(v, clientW, clientH, kMetrics);
    return v;
}

TEST(ViewGeometry, ScrollBarDecisions) {
    struct Case {
        std::int32_t width, height;
        bool horizontal, vertical;
        std::int32_t viewportW, viewportH;
    };
    // Client area 800 x 600, bars 17 pixels, zoom 1.
    const Case cases[] = {
        {100, 100, false, false, 800, 600},
        {1000, 500, true, false, 800, 583},   // across only; the bar leaves room below
        {1000, 590, true, true, 783, 583},    // the horizontal bar pushes the height over
        {790, 700, true, true, 783, 583},     // fits across only without a vertical bar
        {790, 500, false, false, 800, 600},   // fits across without a vertical bar
        {500, 700, false, true, 783, 600},    // down only
        {800, 600, false, false, 800, 600},   // exactly the client size
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        ViewGeometry v;
        v.imageWidth = c.width;
        v.imageHeight = c.height;
        v.centerX = c.width >> 1;
        v.centerY = c.height >> 1;
        const ScrollBars bars = Layout(v, 800, 600, kMetrics);
        EXPECT_EQ(bars.horizontal.shown, c.horizontal);
        EXPECT_EQ(bars.vertical.shown, c.vertical);
        EXPECT_EQ(v.viewportW, c.viewportW);
        EXPECT_EQ(v.viewportH, c.viewportH);
        // Whatever the bars, the shown part fits the viewport, and a fitting axis is centred.
        EXPECT_LE(v.viewW, v.viewportW);
        if (c.width <= v.viewportW) {
            EXPECT_EQ(v.viewX, (v.viewportW - c.width) >> 1);
            EXPECT_EQ(v.srcW, c.width);
        }
        if (c.horizontal) {
            EXPECT_EQ(bars.horizontal.rangeMax, c.width - 1);
            EXPECT_EQ(bars.horizontal.page, v.srcW);
            EXPECT_EQ(bars.horizontal.pos, v.srcX);
        } else {
            EXPECT_EQ(bars.horizontal.rangeMax, 0);
        }
    }
}

TEST(ViewGeometry, FitNewKeepsSmallImagesAndFitsLargeOnes) {
    ViewGeometry v;
    v.clientW = 800;
    v.clientH = 600;
    ScrollBars bars = FitNew(v, 100, 100, kMetrics);
    EXPECT_EQ(v.zoom, 1.0);
    EXPECT_FALSE(bars.horizontal.shown || bars.vertical.shown);
    EXPECT_EQ(v.viewX, 350);
    EXPECT_EQ(v.viewY, 250);
    EXPECT_EQ(v.panShift, 0);

    bars = FitNew(v, 4000, 3000, kMetrics);
    EXPECT_DOUBLE_EQ(v.zoom, 0.2);
    EXPECT_EQ(v.scaledW, 800);
    EXPECT_EQ(v.scaledH, 600);
    EXPECT_FALSE(bars.horizontal.shown || bars.vertical.shown);
    EXPECT_EQ(v.viewX, 0);
    EXPECT_EQ(v.srcW, 4000);
    EXPECT_EQ(v.panShift, 1);  // larger than the 1920 x 1080 screen both ways

    FitNew(v, 4000, 500, kMetrics);
    EXPECT_EQ(v.panShift, 0);
}

TEST(ViewGeometry, FitZoomStaysInItsLimits) {
    ViewGeometry v;
    v.clientW = 800;
    v.clientH = 600;
    FitNew(v, 200000, 100, kMetrics);
    EXPECT_EQ(v.zoom, 0.01);
    EXPECT_EQ(v.scaledH, 1);  // round(100 * 0.01) = 1, never 0
    v.clientW = 0;            // a window squeezed to nothing still maps without dividing by zero
    v.clientH = 0;
    FitZoom(v);
    Layout(v, 0, 0, kMetrics);
    EXPECT_GE(ImageX(v, 5, 0), 0);
    EXPECT_EQ(ScreenX(v, 10, 1), v.viewX);
}

TEST(ViewGeometry, MappingRoundsHalvesAwayFromZero) {
    struct Case {
        std::int32_t viewW, srcW;  // viewX = srcX = 0
        bool toImage;
        std::int32_t value, biasOrEdge, expected;
    };
    const Case cases[] = {
        // zoom 2: image = round((sx * srcW - bias) / viewW)
        {8, 4, true, 1, 0, 1},    // 0.5 -> 1
        {8, 4, true, 3, 0, 2},    // 1.5 -> 2
        {8, 4, true, -1, 0, -1},  // -0.5 -> -1 (unclamped)
        {8, 4, true, -3, 0, -2},  // -1.5 -> -2
        {8, 4, true, 1, 4, 0},    // (4 - 4) / 8
        {8, 4, true, 2, 4, 1},    // (8 - 4) / 8 = 0.5 -> 1
        // zoom 0.5: screen = round((x + edge) * viewW / srcW) - edge
        {4, 8, false, 1, 0, 1},    // 0.5 -> 1
        {4, 8, false, 3, 0, 2},    // 1.5 -> 2
        {4, 8, false, 0, 1, 0},    // round(0.5) - 1
        {4, 8, false, -3, 0, -2},  // -1.5 -> -2
        {4, 8, false, -2, 1, -2},  // round(-0.5) - 1
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.viewW << "/" << c.srcW << " value " << c.value << " " << c.biasOrEdge);
        ViewGeometry v;
        v.viewW = v.viewH = c.viewW;
        v.srcW = v.srcH = c.srcW;
        v.imageWidth = v.imageHeight = 100;
        if (c.toImage) {
            EXPECT_EQ(ImageXUnclamped(v, c.value, c.biasOrEdge), c.expected);
            EXPECT_EQ(ImageYUnclamped(v, c.value, c.biasOrEdge), c.expected);
            EXPECT_EQ(ImageX(v, c.value, c.biasOrEdge), std::max(c.expected, 0));
        } else {
            EXPECT_EQ(ScreenX(v, c.value, c.biasOrEdge), c.expected);
            EXPECT_EQ(ScreenY(v, c.value, c.biasOrEdge), c.expected);
        }
    }
    ViewGeometry v;
    v.viewW = 10, v.srcW = 20, v.viewH = 20, v.srcH = 11;
    EXPECT_EQ(CentringBiasX(v), -5);
    EXPECT_EQ(CentringBiasY(v), 4);  // 9 / 2 truncated
}

TEST(ViewGeometry, ScreenAndImageMappingsAgreeAtEveryZoom) {
    for (double zoom : {0.2, 0.37, 1.0, 2.0, 3.3, 16.0}) {
        SCOPED_TRACE(zoom);
        ViewGeometry v = laidOut(300, 200, 640, 480, zoom);
        for (std::int32_t x = v.srcX; x < v.srcX + v.srcW; ++x) {
            const std::int32_t left = ScreenX(v, x, 0), right = ScreenX(v, x, 1);
            // The left edge of a pixel maps back to it with bias 0 when the pixel is wider than
            // half a screen pixel, and the right edge with the right-edge bias.
            if (zoom >= 1.0) {
                EXPECT_EQ(ImageX(v, left, 0), x);
                EXPECT_EQ(ImageX(v, right, v.viewW - v.srcW), x);
            }
            EXPECT_LE(left, right + 1);
        }
    }
}

TEST(ViewGeometry, AnchorZoomKeepsThePointUnderTheMouse) {
    ViewGeometry v = laidOut(3000, 2400, 800, 600);
    const std::int32_t mx = 250, my = 180;
    const std::int32_t commands[] = {command::kZoomIn, command::kZoomIn, command::kZoomIn, command::kZoomOut,
                                     command::kZoomOut, command::kZoomOut, command::kZoomOut, command::kZoomActual};
    for (std::int32_t id : commands) {
        SCOPED_TRACE(testing::Message() << id << " at zoom " << v.zoom);
        const std::int32_t beforeX = ImageX(v, mx, CentringBiasX(v));
        const std::int32_t beforeY = ImageY(v, my, CentringBiasY(v));
        ASSERT_TRUE(AnchorZoom(v, id, mx, my));
        ScrollBars bars;
        ASSERT_TRUE(ZoomCommand(v, id, kMetrics, bars));
        ASSERT_GT(v.srcX, 0);  // no border reached in this walk
        ASSERT_GT(v.srcY, 0);
        EXPECT_LE(std::abs(ImageX(v, mx, CentringBiasX(v)) - beforeX), 1);
        EXPECT_LE(std::abs(ImageY(v, my, CentringBiasY(v)) - beforeY), 1);
    }
    // Fitting does not anchor; the toggle anchors only on its way to 100 %.
    EXPECT_FALSE(AnchorZoom(v, command::kZoomFit, mx, my));
    EXPECT_FALSE(AnchorZoom(v, command::kZoomToggle, mx, my));  // zoom is 1
    v.zoom = 0.5;
    EXPECT_TRUE(AnchorZoom(v, command::kZoomToggle, mx, my));
}

TEST(ViewGeometry, ZoomCommandsStepAndToggle) {
    ViewGeometry v = laidOut(3000, 2400, 800, 600);
    ScrollBars bars;
    ASSERT_TRUE(ZoomCommand(v, command::kZoomToggle, kMetrics, bars));  // 1 -> fit
    EXPECT_DOUBLE_EQ(v.zoom, 0.25);
    ASSERT_TRUE(ZoomCommand(v, command::kZoomToggle, kMetrics, bars));  // fit -> 1
    EXPECT_EQ(v.zoom, 1.0);
    v.zoom = 15.95;
    ZoomCommand(v, command::kZoomIn, kMetrics, bars);
    EXPECT_EQ(v.zoom, 16.0);
    v.zoom = 0.05;
    ZoomCommand(v, command::kZoomOut, kMetrics, bars);
    EXPECT_EQ(v.zoom, 0.01);
    EXPECT_FALSE(ZoomCommand(v, 5000, kMetrics, bars));
}

TEST(ViewGeometry, ScrollRequestsClampToTheImage) {
    ViewGeometry v = laidOut(2000, 1000, 800, 600);
    const std::int32_t maxX = 2000 - v.srcW;
    struct Step {
        std::int32_t code, track;
        bool moves;
        std::int32_t srcX;
    };
    const Step steps[] = {
        {6, 0, true, 0},            // SB_TOP
        {0, 0, false, 0},           // SB_LINELEFT at the border: nothing
        {1, 0, true, 20},           // SB_LINERIGHT
        {3, 0, true, 20 + v.srcW},  // SB_PAGERIGHT
        {5, 700, true, 700},        // SB_THUMBTRACK
        {4, 100, false, 700},       // SB_THUMBPOSITION does nothing
        {7, 0, true, maxX},         // SB_BOTTOM: nMax, clamped
        {3, 0, false, maxX},
        {2, 0, true, maxX - v.srcW},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.code);
        EXPECT_EQ(ScrollRequest(v, false, s.code, s.track), s.moves);
        EXPECT_EQ(v.srcX, s.srcX);
        EXPECT_EQ(v.centerX, v.srcX + (v.srcW >> 1));
    }
    const ScrollBars bars = ScrollBarValues(v);
    EXPECT_EQ(bars.horizontal.pos, v.srcX);
    EXPECT_EQ(bars.horizontal.page, v.srcW);
    EXPECT_EQ(bars.vertical.rangeMax, 999);
}

TEST(ViewGeometry, PanningCursorFollowsTheDirectionsLeft) {
    ViewGeometry v = laidOut(2000, 1500, 800, 600);
    struct Case {
        std::int32_t dx, dy, cursor;
    };
    const Case cases[] = {
        {-5000, -5000, 116},  // at left, at top
        {100, 0, 122},        // in between, at top
        {5000, 0, 115},       // at right, at top
        {0, 300, 120},        // at right, in between
        {0, 5000, 117},       // at right, at bottom
        {-100, 0, 123},       // in between, at bottom
    };
    for (const Case& c : cases) {
        ScrollBy(v, c.dx, c.dy);
        EXPECT_EQ(PanningCursor(v), c.cursor) << c.dx << ", " << c.dy;
    }
    ViewGeometry wide = laidOut(2000, 300, 800, 600);  // cannot scroll down
    EXPECT_EQ(PanningCursor(wide), 119);
    ViewGeometry small = laidOut(200, 300, 800, 600);
    EXPECT_EQ(PanningCursor(small), 0);
}

TEST(ViewGeometry, RightDragPansOnlyWhatIsHidden) {
    ViewGeometry big = laidOut(2000, 1500, 800, 600);
    EXPECT_EQ(RightDragMode(big, 100, 100, 104, 104), MouseMode::RightPressed);  // Manhattan 8: not yet a drag
    EXPECT_EQ(RightDragMode(big, 100, 100, 105, 104), MouseMode::Panning);  // 9: panning from here
    EXPECT_EQ(big.lastMouseX, 105);
    EXPECT_EQ(RightDragMode(big, 100, 100, 91, 100), MouseMode::Panning);
    ViewGeometry small = laidOut(200, 300, 800, 600);  // fully visible: nothing to pan
    EXPECT_EQ(RightDragMode(small, 100, 100, 110, 100), MouseMode::RightNoPan);
}

TEST(ViewGeometry, PanningMovesTheImageWithTheMouse) {
    ViewGeometry v = laidOut(4000, 3000, 800, 600);
    RightDragMode(v, 400, 300, 420, 300);
    const std::int32_t startX = v.srcX, startY = v.srcY;
    EXPECT_TRUE(PanTo(v, 410, 290));  // mouse left and up: the view shows more to the right and below
    EXPECT_EQ(v.srcX, startX + 10);
    EXPECT_EQ(v.srcY, startY + 10);
    EXPECT_EQ(v.lastMouseX, 410);
    v.panShift = 1;  // images larger than the screen move twice as fast
    EXPECT_TRUE(PanTo(v, 400, 290));
    EXPECT_EQ(v.srcX, startX + 30);
    EXPECT_TRUE(PanTo(v, 100000, 290));  // far right: stops at the left border
    EXPECT_EQ(v.srcX, 0);
    EXPECT_FALSE(PanTo(v, 100001, 290));  // at the border nothing moves any more
}

}  // namespace
