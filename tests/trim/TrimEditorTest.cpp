#include "trim/TrimEditor.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FakeTrimView.h"
#include "codecs/ImageData.h"

namespace {

class TrimEditorTest : public ::testing::Test {
protected:
    const ViewMetrics metrics{17, 17, 1920, 1080};
    ViewGeometry geometry;
    TrimOptions options;
    FakeTrimView view;
    TrimEditor editor;
    std::vector<std::uint8_t> pixels;
    TrimImage image;

    // A fresh image in a fresh view; at the default client size a 1000 x 800 image shows at zoom 1
    // with its top-left pixel at view point (100, 100).
    void open(std::int32_t width, std::int32_t height, std::int32_t clientW = 1200, std::int32_t clientH = 1000) {
        if (active(editor.trimMode)) Cancel(editor);  // loads are refused during trim mode
        const std::size_t bytes = std::size_t{rowStride(width, 24)} * height;
        pixels.assign(bytes + 4, 0);
        std::uint32_t seed = 5;
        for (std::size_t i = 0; i < bytes; ++i) pixels[i] = static_cast<std::uint8_t>((seed = seed * 69069 + 1) >> 24);
        image = {width, height, pixels.data()};
        geometry = ViewGeometry{};
        geometry.clientW = clientW;
        geometry.clientH = clientH;
        FitNew(geometry, width, height, metrics);
        view.editor = &editor;
        editor.view = &view;
        editor.geometry = &geometry;
        editor.options = &options;
    }
    void SetUp() override { open(1000, 800); }

    // The rectified copy's pixels, or nothing when there is none.
    std::vector<std::uint8_t> rectified() const {
        if (!editor.rectified) return {};
        const std::uint8_t* p = editor.rectified.data();
        return std::vector<std::uint8_t>(p, p + (pixels.size() - 4));
    }
    std::vector<std::uint8_t> source() const { return std::vector<std::uint8_t>(pixels.begin(), pixels.end() - 4); }

    // The view point on the left/top edge of image pixel (x, y).
    TrimPoint at(std::int32_t x, std::int32_t y) const { return {ScreenX(geometry, x, 0), ScreenY(geometry, y, 0)}; }

    // Press at one image pixel, drag to another, release.
    void dragSettle(TrimPoint from, TrimPoint to) {
        const TrimPoint a = at(from.x, from.y), b = at(to.x, to.y);
        StartTrimAt(editor, image, a.x, a.y);
        DragTrim(editor, b.x, b.y);
        ReleaseTrim(editor);
        ASSERT_EQ(editor.trimMode, TrimMode::Adjusting);
    }

    // The user types into a box that has the focus.
    void type(std::int32_t id, std::int32_t value) {
        view.boxes[id] = value;
        BoxChanged(editor, id, kEditUpdate, value);
    }
    void typeAndLeave(std::int32_t id, std::int32_t value) {
        BoxChanged(editor, id, kEditSetFocus, 0);
        type(id, value);
        BoxChanged(editor, id, kEditKillFocus, 0);
    }

    // Hover, press, drag to each view point in turn, release.
    void handleDrag(TrimPoint press, const std::vector<TrimPoint>& moves) {
        HoverTrim(editor, press.x, press.y);
        ASSERT_TRUE(PressTrim(editor, press.x, press.y));
        for (const TrimPoint& m : moves) DragTrim(editor, m.x, m.y);
        ReleaseTrim(editor);
    }

    // What the user sees agrees with the model, and the rectangle lies inside the image.
    void expectConsistent() {
        const TrimRect& r = editor.trimRect;
        EXPECT_EQ(view.shownRect(), r);
        EXPECT_LE(0, r.left);
        EXPECT_LE(r.left, r.right);
        EXPECT_LT(r.right, image.width);
        EXPECT_LE(0, r.top);
        EXPECT_LE(r.top, r.bottom);
        EXPECT_LT(r.bottom, image.height);
        const TrimRect screen{ScreenX(geometry, r.left, 0), ScreenY(geometry, r.top, 0), ScreenX(geometry, r.right, 1),
                              ScreenY(geometry, r.bottom, 1)};
        EXPECT_EQ(editor.screenRect, screen);
    }
};

TEST_F(TrimEditorTest, RubberBandGrowsTowardsTheMouseAtTheOutputRatio) {
    struct Case {
        std::int32_t dx, dy;  // from the anchor (500, 400); |dx| + |dy| = 698
        TrimRect expected;
    };
    const Case cases[] = {
        {399, 299, {500, 400, 899, 699}},
        {450, 248, {500, 400, 899, 699}},
        {-399, 299, {101, 400, 500, 699}},
        {399, -299, {500, 101, 899, 400}},
        {-300, -398, {101, 101, 500, 400}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dx << ", " << c.dy);
        dragSettle({500, 400}, {500 + c.dx, 400 + c.dy});
        EXPECT_EQ(editor.trimRect, c.expected);
        EXPECT_EQ(editor.selWidth, 400);
        EXPECT_EQ(editor.selHeight, 300);
        expectConsistent();
        const TrimRect& r = editor.trimRect;
        EXPECT_EQ(view.spinRanges[control::kSpinLeft], (FakeTrimView::Range{0, r.right}));
        EXPECT_EQ(view.spinRanges[control::kSpinRight], (FakeTrimView::Range{r.left, 999}));
        EXPECT_EQ(view.spinRanges[control::kSpinBottom], (FakeTrimView::Range{r.top, 799}));
        EXPECT_EQ(view.spinPositions[control::kSpinBottom], r.bottom);
        EXPECT_EQ(editor.cornerPoint, (TrimPoint{(r.left + r.right) >> 1, (r.top + r.bottom) >> 1}));
        EXPECT_TRUE(view.groups[ControlGroup::TrimBoxes]);
        EXPECT_TRUE(view.groups[ControlGroup::ExecuteButton]);
        EXPECT_TRUE(view.groups[ControlGroup::Panels]);
        EXPECT_TRUE(view.groups[ControlGroup::Perspective]);
        EXPECT_TRUE(view.previewPriorityNormal);
        EXPECT_FALSE(editor.suspendAccelerators);
        EXPECT_TRUE(editor.keysArmed);
        EXPECT_TRUE(IsIdentityQuad(editor.quad, 1000, 800));
        EXPECT_EQ(rectified(), source());
        Cancel(editor);
    }
}

TEST_F(TrimEditorTest, ClickMoveClickWorksLikeDragAndRelease) {
    const TrimPoint anchor = at(500, 400), distant = at(899, 699);
    StartTrimAt(editor, image, anchor.x, anchor.y);
    EXPECT_EQ(editor.trimMode, TrimMode::Anchored);
    EXPECT_TRUE(editor.suspendAccelerators);
    EXPECT_FALSE(view.groups[ControlGroup::Panels]);
    EXPECT_FALSE(view.groups[ControlGroup::FileButtons]);
    EXPECT_TRUE(view.groups[ControlGroup::CancelButton]);
    DragTrim(editor, anchor.x + 10, anchor.y + 6);  // Manhattan distance 16: still a click
    EXPECT_EQ(editor.trimMode, TrimMode::Anchored);
    ReleaseTrim(editor);
    EXPECT_EQ(editor.trimMode, TrimMode::Anchored);
    HoverTrim(editor, distant.x, distant.y);
    EXPECT_EQ(view.outlines.size(), 1u);
    EXPECT_FALSE(PressTrim(editor, distant.x, distant.y));
    EXPECT_EQ(editor.trimMode, TrimMode::Adjusting);
    EXPECT_EQ(editor.trimRect, (TrimRect{500, 400, 899, 699}));
    Cancel(editor);

    // A second click where the first one was, with no move between: one pixel there.
    StartTrimAt(editor, image, anchor.x, anchor.y);
    ReleaseTrim(editor);
    EXPECT_FALSE(PressTrim(editor, anchor.x, anchor.y));
    EXPECT_EQ(editor.trimRect, (TrimRect{500, 400, 500, 400}));
}

TEST_F(TrimEditorTest, BandStaysWhenItsCornerWouldLeaveTheImage) {
    const TrimPoint anchor = at(900, 400);
    StartTrimAt(editor, image, anchor.x, anchor.y);
    const TrimPoint inner = at(950, 450);
    DragTrim(editor, inner.x, inner.y);  // 58 x 44, inside
    const TrimPoint corner = editor.cornerPoint;
    EXPECT_EQ(corner, (TrimPoint{ScreenX(geometry, 957, 1), ScreenY(geometry, 443, 1)}));
    const auto outlines = view.outlines;
    const std::int32_t xors = view.xorCalls, titles = view.titleRefreshes;
    const TrimPoint beyond = at(999, 700);  // would need 229 columns from x = 900
    DragTrim(editor, beyond.x, beyond.y);
    EXPECT_EQ(editor.cornerPoint, corner);
    EXPECT_EQ(view.outlines, outlines);
    EXPECT_EQ(view.xorCalls, xors);
    EXPECT_EQ(view.titleRefreshes, titles);
    ReleaseTrim(editor);
    EXPECT_EQ(editor.trimRect, (TrimRect{900, 400, 957, 443}));
}

TEST_F(TrimEditorTest, HoverClassifiesTheHandleBands) {
    dragSettle({300, 250}, {699, 549});
    const TrimRect s = editor.screenRect;
    const std::int32_t midX = (s.left + s.right) / 2, midY = (s.top + s.bottom) / 2;
    struct Case {
        std::int32_t x, y;
        HandleKind kind;
        std::int32_t cursor;
    };
    const Case cases[] = {
        {s.left - 6, s.top - 6, HandleKind::TopLeft, cursor::kDiagonalMain},
        {s.left - 7, s.top, HandleKind::None, cursor::kArrow},  // the grown rectangle is open
        {s.left + 6, midY, HandleKind::Left, cursor::kLeftRight},
        {s.left + 7, midY, HandleKind::Move, cursor::kMove},
        {s.right - 6, midY, HandleKind::Right, cursor::kLeftRight},
        {s.right - 7, midY, HandleKind::Move, cursor::kMove},
        {midX, s.top + 6, HandleKind::Top, cursor::kUpDown},
        {midX, s.bottom - 6, HandleKind::Bottom, cursor::kUpDown},
        {s.right, s.top, HandleKind::TopRight, cursor::kDiagonalAnti},
        {s.right + 6, s.bottom + 6, HandleKind::BottomRight, cursor::kDiagonalMain},
        {s.left, s.bottom, HandleKind::BottomLeft, cursor::kDiagonalAnti},
        {s.right + 7, midY, HandleKind::None, cursor::kArrow},
        // The perspective handles sit on the image's corners and are tested first.
        {editor.cornerHandles[kQuadTopLeft].x + 6, editor.cornerHandles[kQuadTopLeft].y - 6,
         HandleKind::CornerTopLeft, cursor::kMove},
        {editor.cornerHandles[kQuadBottomLeft].x, editor.cornerHandles[kQuadBottomLeft].y + 6,
         HandleKind::CornerBottomLeft, cursor::kMove},
        {editor.cornerHandles[kQuadBottomRight].x - 6, editor.cornerHandles[kQuadBottomRight].y,
         HandleKind::CornerBottomRight, cursor::kMove},
        {editor.cornerHandles[kQuadTopLeft].x + 7, editor.cornerHandles[kQuadTopLeft].y, HandleKind::None, cursor::kArrow},
    };
    for (const Case& c : cases) {
        HoverTrim(editor, c.x, c.y);
        EXPECT_EQ(editor.handleKind, c.kind) << c.x << ", " << c.y;
        EXPECT_EQ(editor.cursorId, c.cursor) << c.x << ", " << c.y;
    }
    // A cursor is set only when it changes, and again after the mouse left the view.
    const std::size_t sets = view.cursors.size();
    HoverTrim(editor, s.right + 100, s.bottom + 100);
    EXPECT_EQ(view.cursors.size(), sets);
    MouseLeftView(editor);
    HoverTrim(editor, s.right + 100, s.bottom + 100);
    EXPECT_EQ(view.cursors.size(), sets + 1);
}

TEST_F(TrimEditorTest, NarrowRectanglesNeverOfferTheMove) {
    struct Case {
        std::int32_t outW, outH, dx, dy;
    };
    const Case cases[] = {{400, 300, 8, 6}, {200, 400, 12, 10}};  // 9 x 7 and 8 x 16 pixels
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.outW << " x " << c.outH);
        options.trimWidth = c.outW;
        options.trimHeight = c.outH;
        const TrimPoint anchor = at(500, 400);
        StartTrimAt(editor, image, anchor.x, anchor.y);
        ReleaseTrim(editor);
        HoverTrim(editor, anchor.x + c.dx, anchor.y + c.dy);
        PressTrim(editor, anchor.x + c.dx, anchor.y + c.dy);
        ASSERT_EQ(editor.trimMode, TrimMode::Adjusting);
        const TrimRect s = editor.screenRect;
        ASSERT_LT(s.right - s.left + 1, 14);
        for (std::int32_t y = s.top; y <= s.bottom; ++y)
            for (std::int32_t x = s.left; x <= s.right; ++x) {
                HoverTrim(editor, x, y);
                EXPECT_NE(editor.handleKind, HandleKind::Move) << x << ", " << y;
                const HandleKind k = editor.handleKind;
                // The left and top bands win over the right and bottom ones.
                const bool leftKind = k == HandleKind::Left || k == HandleKind::TopLeft || k == HandleKind::BottomLeft;
                const bool topKind = k == HandleKind::Top || k == HandleKind::TopLeft || k == HandleKind::TopRight;
                EXPECT_TRUE(x >= s.left + 7 || leftKind) << x << ", " << y;
                EXPECT_TRUE(y >= s.top + 7 || topKind) << x << ", " << y;
            }
        HoverTrim(editor, s.left, s.top);
        EXPECT_EQ(editor.handleKind, HandleKind::TopLeft);
        Cancel(editor);
    }
}

TEST_F(TrimEditorTest, EdgeDragsKeepTheRatioAroundTheCentre) {
    struct Case {
        int edge;             // 0 left, 1 top, 2 right, 3 bottom
        std::int32_t target;  // image column or row the mouse goes to
        TrimRect expected;
    };
    const Case cases[] = {
        {2, 799, {300, 211, 799, 585}},  // 500 wide: 375 high around row 399
        {0, 200, {200, 211, 699, 585}},
        {2, 999, {300, 136, 999, 660}},
        {3, 624, {249, 250, 748, 624}},  // 375 high: 500 wide around column 499
        {1, 0, {132, 0, 864, 549}},      // 550 high: 733 wide
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.edge);
        dragSettle({300, 250}, {699, 549});
        const TrimRect s = editor.screenRect;
        const std::int32_t midX = (s.left + s.right) / 2, midY = (s.top + s.bottom) / 2;
        const TrimPoint press[4] = {{s.left, midY}, {midX, s.top}, {s.right, midY}, {midX, s.bottom}};
        const TrimPoint target =
            c.edge % 2 == 0 ? TrimPoint{at(c.target, 0).x, midY} : TrimPoint{midX, at(0, c.target).y};
        HoverTrim(editor, press[c.edge].x, press[c.edge].y);
        ASSERT_TRUE(PressTrim(editor, press[c.edge].x, press[c.edge].y));
        EXPECT_EQ(editor.trimMode, TrimMode::HandleDrag);
        EXPECT_FALSE(editor.keysArmed);
        DragTrim(editor, target.x, target.y);
        EXPECT_EQ(editor.trimRect, c.expected);
        // While dragging, the outline on screen is the rectangle's, drawn in XOR.
        EXPECT_EQ(view.outlines, std::vector<TrimRect>{editor.screenRect});
        EXPECT_EQ(editor.selWidth, c.expected.right - c.expected.left + 1);
        ReleaseTrim(editor);
        EXPECT_EQ(editor.trimMode, TrimMode::Adjusting);
        EXPECT_TRUE(view.outlines.empty());
        EXPECT_TRUE(editor.keysArmed);
        EXPECT_EQ(view.spinRanges[control::kSpinTop], (FakeTrimView::Range{0, c.expected.bottom}));
        expectConsistent();
        Cancel(editor);
    }
}

TEST_F(TrimEditorTest, CornerDragsGrowFromTheOppositeCorner) {
    struct Case {
        int corner;  // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
        TrimPoint target;
        TrimRect expected;
    };
    const Case cases[] = {
        {0, {200, 100}, {158, 143, 699, 549}},
        {0, {0, 0}, {300, 250, 699, 549}},  // would need a negative left: ignored
        {1, {899, 100}, {300, 100, 899, 549}},
        {2, {899, 699}, {300, 250, 899, 699}},
        {2, {999, 799}, {300, 250, 699, 549}},  // would need column 1032: ignored
        {3, {100, 749}, {72, 250, 699, 720}},
        {2, {250, 200}, {300, 250, 300, 250}},  // dragged past the opposite corner: one pixel
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.corner << " to " << c.target.x << ", " << c.target.y);
        dragSettle({300, 250}, {699, 549});
        const TrimRect s = editor.screenRect;
        const TrimPoint press[4] = {{s.left, s.top}, {s.right, s.top}, {s.right, s.bottom}, {s.left, s.bottom}};
        handleDrag(press[c.corner], {at(c.target.x, c.target.y)});
        EXPECT_EQ(editor.trimRect, c.expected);
        expectConsistent();
        Cancel(editor);
    }
}

TEST_F(TrimEditorTest, MoveStopsAtTheBorderWithoutResizing) {
    dragSettle({100, 100}, {199, 174});  // 100 x 75
    ASSERT_EQ(editor.trimRect, (TrimRect{100, 100, 199, 174}));
    const TrimPoint press = at(150, 137);
    HoverTrim(editor, press.x, press.y);
    ASSERT_EQ(editor.handleKind, HandleKind::Move);
    ASSERT_TRUE(PressTrim(editor, press.x, press.y));
    const std::int32_t titles = view.titleRefreshes;
    struct Step {
        std::int32_t dx, dy;  // mouse offset from the press, in image pixels
        TrimRect expected;
    };
    const Step steps[] = {
        {300, 0, {400, 100, 499, 174}},  // a jump wider than the rectangle
        {2000, 2000, {900, 725, 999, 799}},
        {-50, -2000, {50, 0, 149, 74}},
        {-3000, 0, {0, 100, 99, 174}},
        {0, 0, {100, 100, 199, 174}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.dx << ", " << s.dy);
        DragTrim(editor, press.x + s.dx, press.y + s.dy);
        EXPECT_EQ(editor.trimRect, s.expected);
        EXPECT_EQ(view.outlines, std::vector<TrimRect>{editor.screenRect});
        expectConsistent();
    }
    EXPECT_EQ(view.titleRefreshes, titles);  // the size never changed
    const std::int32_t reshades = view.reshades;
    ReleaseTrim(editor);
    EXPECT_EQ(view.reshades, reshades + 1);
}

TEST_F(TrimEditorTest, TypedValuesAreClampedOrPutBack) {
    struct Case {
        std::int32_t outW, outH;
        TrimPoint from, to;  // the starting rectangle's drag
        std::int32_t box, typed;
        TrimRect expected;
    };
    const Case cases[] = {
        {400, 300, {300, 250}, {699, 549}, control::kBoxLeft, 2000, {699, 398, 699, 398}},  // clamped to right
        {400, 300, {300, 250}, {699, 549}, control::kBoxLeft, -50, {0, 136, 699, 660}},
        {400, 300, {100, 10}, {499, 309}, control::kBoxRight, 699, {100, 0, 699, 449}},      // pushed down from the top
        {400, 300, {100, 490}, {499, 789}, control::kBoxRight, 699, {100, 350, 699, 799}},   // pushed up from the bottom
        {400, 300, {300, 250}, {699, 549}, control::kBoxBottom, 624, {249, 250, 748, 624}},
        {400, 300, {300, 250}, {699, 549}, control::kBoxTop, 600, {498, 549, 498, 549}},    // clamped to bottom
        {300, 400, {200, 0}, {799, 799}, control::kBoxLeft, 250, {250, 32, 799, 764}},
        {300, 400, {200, 0}, {799, 799}, control::kBoxLeft, 100, {200, 0, 799, 799}},       // 933 rows needed
        {300, 400, {200, 0}, {799, 799}, control::kBoxRight, 850, {200, 0, 799, 799}},      // 868 rows needed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box << " = " << c.typed);
        options.trimWidth = c.outW;
        options.trimHeight = c.outH;
        dragSettle(c.from, c.to);
        BoxChanged(editor, c.box, kEditSetFocus, 0);
        EXPECT_TRUE(editor.suspendAccelerators);
        type(c.box, c.typed);
        EXPECT_EQ(editor.trimRect, c.expected);
        if (editor.trimRect == TrimRect{c.from.x, c.from.y, c.to.x, c.to.y}) {
            EXPECT_EQ(view.boxes[c.box], c.box == control::kBoxLeft ? c.from.x : c.to.x);  // the old value is back
        }
        BoxChanged(editor, c.box, kEditKillFocus, 0);
        EXPECT_FALSE(editor.suspendAccelerators);
        expectConsistent();
        Cancel(editor);
    }
    EXPECT_GT(view.inputMethodCloses, 0);
}

TEST_F(TrimEditorTest, KillFocusRefreshesTheOppositeSpin) {
    dragSettle({300, 250}, {699, 549});
    typeAndLeave(control::kBoxLeft, 200);
    EXPECT_EQ(view.spinRanges[control::kSpinRight], (FakeTrimView::Range{200, 999}));
    typeAndLeave(control::kBoxBottom, 650);
    EXPECT_EQ(view.spinRanges[control::kSpinTop], (FakeTrimView::Range{0, 650}));
    expectConsistent();
    // Number boxes mean nothing while idle.
    Cancel(editor);
    const TrimRect before = editor.trimRect;
    type(control::kBoxLeft, 5);
    EXPECT_EQ(editor.trimRect, before);
}

TEST_F(TrimEditorTest, OutputSizeBoxesClampTheirValues) {
    struct Case {
        std::int32_t typed, stored;
    };
    const Case cases[] = {{0, 1}, {-5, 1}, {12000, 9999}, {9999, 9999}, {640, 640}};
    for (const Case& c : cases) {
        type(control::kWidthBox, c.typed);
        EXPECT_EQ(options.trimWidth, c.stored) << c.typed;
        type(control::kHeightBox, c.typed);
        EXPECT_EQ(options.trimHeight, c.stored) << c.typed;
    }
    type(control::kWidthBox, 0);
    BoxChanged(editor, control::kWidthBox, kEditKillFocus, 0);
    EXPECT_EQ(view.boxes[control::kWidthBox], 1);  // the stored value is shown again
    EXPECT_FALSE(view.boxes.count(control::kBoxLeft));   // idle: the rectangle is not touched
}

TEST_F(TrimEditorTest, OutputSizeChangeRefitsTheRectangleAroundItsCentre) {
    dragSettle({300, 250}, {699, 549});
    type(control::kWidthBox, 300);  // 300 x 300
    EXPECT_EQ(editor.trimRect, (TrimRect{325, 225, 674, 574}));
    EXPECT_EQ(editor.selWidth, 350);
    EXPECT_EQ(view.spinRanges[control::kSpinLeft], (FakeTrimView::Range{0, 674}));
    expectConsistent();

    // Extreme ratios still leave a rectangle of at least one pixel inside the image.
    type(control::kWidthBox, 9999);
    type(control::kHeightBox, 1);
    expectConsistent();
    type(control::kWidthBox, 1);
    type(control::kHeightBox, 9999);
    expectConsistent();
    // A ratio split that does not fit is cut to the image and takes the ratio from there.
    Cancel(editor);
    options.trimWidth = 400;
    options.trimHeight = 300;
    ASSERT_TRUE(FitLargest(editor, image));  // (0, 25, 999, 774)
    options.presetWidth[6] = 2;
    options.presetHeight[6] = 1;
    options.presetWidth[7] = 1;
    options.presetHeight[7] = 2;
    ApplyPreset(editor, 6);  // 1166 x 583 would be needed
    EXPECT_EQ(editor.trimRect, (TrimRect{0, 150, 999, 649}));
    ApplyPreset(editor, 7);  // 500 x 1000 would be needed
    EXPECT_EQ(editor.trimRect, (TrimRect{300, 0, 699, 799}));
    expectConsistent();
}

TEST_F(TrimEditorTest, PresetsSetBothBoxesThenRefitOnce) {
    EXPECT_TRUE(ApplyPreset(editor, 2));
    EXPECT_EQ(options.trimWidth, 200);
    EXPECT_EQ(options.trimHeight, 200);
    EXPECT_EQ(view.boxes[control::kWidthBox], 200);
    EXPECT_FALSE(ApplyPreset(editor, 3));  // empty
    options.presetWidth[4] = 0;
    options.presetHeight[4] = 300;
    EXPECT_FALSE(ApplyPreset(editor, 4));
    options.presetWidth[5] = 12000;
    options.presetHeight[5] = 50;
    EXPECT_TRUE(ApplyPreset(editor, 5));
    EXPECT_EQ(options.trimWidth, 9999);
    EXPECT_TRUE(editor.editsLive);

    options.trimWidth = 400;
    options.trimHeight = 300;
    dragSettle({300, 250}, {699, 549});
    const std::int32_t titles = view.titleRefreshes;
    EXPECT_TRUE(ApplyPreset(editor, 0));  // 800 x 450
    EXPECT_EQ(view.titleRefreshes, titles + 1);
    const TrimRect& r = editor.trimRect;
    EXPECT_NEAR(double(r.right - r.left + 1) / (r.bottom - r.top + 1), 800.0 / 450.0, 0.01);
    expectConsistent();
}

TEST_F(TrimEditorTest, FitLargestCentresTheLargestRectangle) {
    ASSERT_TRUE(FitLargest(editor, image));
    EXPECT_EQ(editor.trimMode, TrimMode::Adjusting);
    EXPECT_EQ(editor.trimRect, (TrimRect{0, 25, 999, 774}));
    expectConsistent();
    editor.quad[kQuadTopLeft] = {5, 5};
    options.trimWidth = 300;
    options.trimHeight = 400;
    ASSERT_TRUE(FitLargest(editor, image));  // in mode 3: again, and the quad is reset
    EXPECT_EQ(editor.trimRect, (TrimRect{200, 0, 799, 799}));
    EXPECT_TRUE(IsIdentityQuad(editor.quad, 1000, 800));
    const TrimRect s = editor.screenRect;
    HoverTrim(editor, s.left + 20, s.top + 20);
    PressTrim(editor, s.left + 20, s.top + 20);
    EXPECT_FALSE(FitLargest(editor, image));  // not during a drag
}

TEST_F(TrimEditorTest, PerspectiveCornerDragsFollowTheZoom) {
    // Zoom 2: a one-pixel movement does nothing until it adds up to a whole image pixel.
    open(100, 100, 400, 400);
    geometry.zoom = 2.0;
    Layout(geometry, 400, 400, metrics);
    ASSERT_TRUE(FitLargest(editor, image));
    const TrimPoint tl = editor.cornerHandles[kQuadTopLeft];
    ASSERT_EQ(tl, (TrimPoint{geometry.viewX, geometry.viewY}));
    HoverTrim(editor, tl.x, tl.y);
    ASSERT_EQ(editor.handleKind, HandleKind::CornerTopLeft);  // before the rectangle's own corner
    ASSERT_TRUE(PressTrim(editor, tl.x, tl.y));
    EXPECT_EQ(editor.trimMode, TrimMode::CornerDrag);
    EXPECT_EQ(view.display, DisplaySource::Rectified);
    EXPECT_EQ(editor.selectedCorner, 0);
    struct Step {
        std::int32_t x, y;
        TrimPoint corner;
        std::int32_t previews;  // requests submitted so far
    };
    const Step steps[] = {
        {tl.x + 1, tl.y, {0, 0}, 0},
        {tl.x + 2, tl.y, {1, 0}, 1},
        {tl.x + 3, tl.y, {1, 0}, 1},  // the handle moved to tl.x + 2: half a pixel again
        {tl.x + 4, tl.y + 1, {2, 0}, 2},
        {tl.x + 400, tl.y, {2, 0}, 2},  // past the top-right corner: refused
    };
    for (const Step& s : steps) {
        DragTrim(editor, s.x, s.y);
        EXPECT_EQ(editor.quad[kQuadTopLeft], s.corner) << s.x << ", " << s.y;
        EXPECT_EQ(view.wakes, s.previews);
        EXPECT_FALSE(editor.previewFinishWanted);
    }
    ReleaseTrim(editor);
    EXPECT_EQ(editor.trimMode, TrimMode::Adjusting);
    EXPECT_TRUE(editor.keysArmed);
    ASSERT_EQ(view.wakes, 3);
    EXPECT_TRUE(editor.previewFinishWanted);  // the render the release asks for ends the preview
    ASSERT_TRUE(view.renderPreview());
    EXPECT_FALSE(view.renderPreview());  // one render served the burst
    EXPECT_EQ(view.display, DisplaySource::Shaded);
    EXPECT_FALSE(editor.previewFinishWanted);

    // Zoom 0.5: each view pixel is two image pixels. The bottom-right corner is selected as 2.
    open(400, 400, 200, 200);
    ASSERT_EQ(geometry.zoom, 0.5);
    ASSERT_TRUE(FitLargest(editor, image));
    const TrimPoint br = editor.cornerHandles[kQuadBottomRight];
    HoverTrim(editor, br.x, br.y);
    ASSERT_EQ(editor.handleKind, HandleKind::CornerBottomRight);
    PressTrim(editor, br.x, br.y);
    EXPECT_EQ(editor.selectedCorner, 2);
    DragTrim(editor, br.x - 1, br.y - 3);
    EXPECT_EQ(editor.quad[kQuadBottomRight], (TrimPoint{397, 393}));
}

TEST_F(TrimEditorTest, NudgesAreUncheckedAndResetRestoresTheSource) {
    open(100, 100);
    EXPECT_FALSE(PerspectiveCommand(editor, command::kCornerRight));  // idle
    ASSERT_TRUE(FitLargest(editor, image));
    const std::int32_t repaints = view.repaints;
    EXPECT_TRUE(PerspectiveCommand(editor, command::kPerspectiveReset));  // identity: nothing to do
    EXPECT_EQ(view.repaints, repaints);
    for (int i = 0; i < 150; ++i) ASSERT_TRUE(PerspectiveCommand(editor, command::kCornerRight));
    PerspectiveCommand(editor, command::kCornerDown);
    EXPECT_EQ(editor.quad[kQuadTopLeft], (TrimPoint{150, 1}));  // beyond the top-right corner
    EXPECT_EQ(view.wakes, 151);
    EXPECT_FALSE(RectifiedReadable(editor));  // a render is pending
    const std::int32_t reshades = view.reshades;
    ASSERT_TRUE(view.renderPreview());
    EXPECT_TRUE(RectifiedReadable(editor));
    EXPECT_EQ(view.reshades, reshades + 1);  // the nudges asked for the shaded display back
    EXPECT_NE(rectified(), source());
    OutputSteps steps;
    ASSERT_TRUE(Execute(editor, steps));
    EXPECT_TRUE(steps.perspective);

    const std::int32_t waits = view.waits;
    EXPECT_TRUE(PerspectiveCommand(editor, command::kPerspectiveReset));
    EXPECT_TRUE(IsIdentityQuad(editor.quad, 100, 100));
    EXPECT_GT(view.waits, waits);  // no render may be writing while the source is copied back
    EXPECT_EQ(rectified(), source());
    EXPECT_EQ(view.reshades, 3);   // the settle, the rendered nudges and the reset

    // Other corners: 1 top-right, 3 bottom-left.
    editor.selectedCorner = 3;
    PerspectiveCommand(editor, command::kCornerUp);
    EXPECT_EQ(editor.quad[kQuadBottomLeft], (TrimPoint{0, 98}));
}

TEST_F(TrimEditorTest, WithoutARectifiedCopyThereIsNoPerspective) {
    // A copy of 70000 x 70000 pixels does not fit the 32-bit buffer rule, so none is made (and the
    // few real pixels are never read).
    open(100, 100);
    image = {70000, 70000, pixels.data()};
    FitNew(geometry, 70000, 70000, metrics);
    ASSERT_TRUE(FitLargest(editor, image));
    EXPECT_EQ(editor.trimMode, TrimMode::Adjusting);
    EXPECT_FALSE(view.groups[ControlGroup::Perspective]);
    const TrimPoint tl = editor.cornerHandles[kQuadTopLeft];
    HoverTrim(editor, tl.x, tl.y);
    EXPECT_NE(editor.handleKind, HandleKind::CornerTopLeft);
    EXPECT_FALSE(PerspectiveCommand(editor, command::kCornerLeft));
    OutputSteps steps;
    ASSERT_TRUE(Execute(editor, steps));
    EXPECT_FALSE(steps.perspective);
    const TrimSelection selection = TakeSelection(editor);
    EXPECT_EQ(selection.quad, nullptr);
    EXPECT_EQ(selection.rectified, nullptr);
}

TEST_F(TrimEditorTest, TheOutputJobGetsTheCopyOnlyAfterThePreview) {
    open(200, 150);
    ASSERT_TRUE(FitLargest(editor, image));
    for (int i = 0; i < 9; ++i) PerspectiveCommand(editor, command::kCornerDown);
    ASSERT_FALSE(RectifiedReadable(editor));
    OutputSteps steps;
    ASSERT_TRUE(Execute(editor, steps));
    EXPECT_FALSE(view.previewPriorityNormal);
    const std::int32_t waits = view.waits;
    const TrimSelection selection = TakeSelection(editor);
    EXPECT_EQ(view.waits, waits + 1);
    EXPECT_TRUE(RectifiedReadable(editor));  // nothing renders or waits to render any more
    EXPECT_EQ(selection.rect, editor.trimRect);
    EXPECT_EQ(selection.quad, editor.quad);
    EXPECT_EQ(selection.rectified, editor.rectified.data());
    EXPECT_FALSE(view.renderPreview());  // the pending nudges were dropped
}

TEST_F(TrimEditorTest, CancelAndExecuteRestoreTheControls) {
    for (TrimMode reach : {TrimMode::Anchored, TrimMode::Adjusting, TrimMode::HandleDrag, TrimMode::CornerDrag}) {
        SCOPED_TRACE(static_cast<int>(reach));
        const TrimPoint a = at(300, 250), b = at(699, 549);
        StartTrimAt(editor, image, a.x, a.y);
        if (settled(reach)) {
            DragTrim(editor, b.x, b.y);
            ReleaseTrim(editor);
        }
        if (reach == TrimMode::HandleDrag) {
            HoverTrim(editor, a.x + 50, a.y + 50);
            PressTrim(editor, a.x + 50, a.y + 50);
        }
        if (reach == TrimMode::CornerDrag) {
            const TrimPoint h = editor.cornerHandles[kQuadBottomRight];
            HoverTrim(editor, h.x, h.y);
            PressTrim(editor, h.x, h.y);
        }
        ASSERT_EQ(editor.trimMode, reach);
        OutputSteps steps;
        EXPECT_EQ(Execute(editor, steps), reach == TrimMode::Adjusting);
        EXPECT_TRUE(Cancel(editor));
        EXPECT_EQ(editor.trimMode, TrimMode::Idle);
        EXPECT_FALSE(view.trimModeOn);
        EXPECT_FALSE(editor.rectified);
        EXPECT_TRUE(view.groups[ControlGroup::FileButtons]);
        EXPECT_TRUE(view.groups[ControlGroup::Panels]);
        EXPECT_FALSE(view.groups[ControlGroup::TrimBoxes]);
        EXPECT_FALSE(view.groups[ControlGroup::ExecuteButton]);
        EXPECT_FALSE(view.groups[ControlGroup::CancelButton]);
        EXPECT_FALSE(view.groups[ControlGroup::Perspective]);
        EXPECT_FALSE(view.previewPriorityNormal);
        EXPECT_FALSE(editor.keysArmed);
        EXPECT_FALSE(editor.suspendAccelerators);
        EXPECT_EQ(editor.cornerPoint, (TrimPoint{-1, -1}));
        EXPECT_FALSE(Cancel(editor));
    }
}

TEST_F(TrimEditorTest, OutputPlanFollowsTheRectangle) {
    struct Case {
        std::int32_t width, height, outW, outH;
        bool sharpen;
        bool crop, resize, sharpenStep;
    };
    const Case cases[] = {
        {400, 300, 400, 300, false, false, false, false},  // nothing to do
        {400, 300, 400, 300, true, false, false, true},
        {1000, 800, 400, 300, false, true, true, false},
        {1000, 750, 1000, 750, false, false, false, false},
        {400, 300, 4, 3, true, false, true, false},  // too small to sharpen
        {400, 400, 5, 5, true, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " to " << c.outW << " x " << c.outH);
        open(c.width, c.height);
        options.trimWidth = c.outW;
        options.trimHeight = c.outH;
        options.sharpen = c.sharpen;
        ASSERT_TRUE(FitLargest(editor, image));
        OutputSteps steps;
        ASSERT_TRUE(Execute(editor, steps));
        EXPECT_FALSE(steps.perspective);
        EXPECT_EQ(steps.crop, c.crop);
        EXPECT_EQ(steps.resize, c.resize);
        EXPECT_EQ(steps.sharpen, c.sharpenStep);
        EXPECT_EQ(steps.any(), c.crop || c.resize || c.sharpenStep);
        EndTrim(editor);
    }
}

TEST_F(TrimEditorTest, KeyboardHookRunsOnlyArmedKeys) {
    using M = TrimMode;
    struct Case {
        TrimMode mode;
        bool armed, down, enabled;
        std::uint32_t key;
        std::int32_t command;
    };
    const Case cases[] = {
        {M::Adjusting, true, true, true, 0x0D, command::kTrimExecute},
        {M::Anchored, true, true, true, 0x0D, 0},  // Enter before the rectangle settles
        {M::Sizing, true, true, true, 0x0D, 0},
        {M::Anchored, true, true, true, 0x1B, command::kTrimCancel},
        {M::Adjusting, true, true, true, 0x1B, command::kTrimCancel},
        {M::Adjusting, false, true, true, 0x0D, 0},  // disarmed during drags
        {M::Adjusting, true, false, true, 0x0D, 0},  // key up
        {M::Adjusting, true, true, false, 0x1B, 0},  // a modal dialog has the keys
        {M::Adjusting, true, true, true, 0x41, 0},
        {M::Idle, true, true, true, 0x1B, 0},
    };
    for (const Case& c : cases) {
        editor.trimMode = c.mode;
        editor.keysArmed = c.armed;
        bool swallow = true;
        EXPECT_EQ(TrimKeyCommand(editor, c.key, c.down, c.enabled, swallow), c.command) << static_cast<int>(c.mode) << " " << c.key;
        EXPECT_EQ(swallow, c.command != 0);
    }
}

TEST_F(TrimEditorTest, TitleShowsTheSelectionSize) {
    dragSettle({300, 250}, {699, 549});
    EXPECT_EQ(TrimTitle(editor, u"Trim", u"W ", u"H ").toUtf8(), "Trim  W 400 H 300");
    const std::u16string longText(200, u'x');
    const WideString title = TrimTitle(editor, longText.c_str(), u"", nullptr);
    EXPECT_EQ(title.length(), 127u + 2 + 3 + 1 + 3);
}

TEST_F(TrimEditorTest, ViewChangesMoveTheScreenRectangle) {
    dragSettle({300, 250}, {699, 549});
    ScrollBars bars;
    ZoomCommand(geometry, command::kZoomIn, metrics, bars);
    UpdateScreenGeometry(editor);
    expectConsistent();
    EXPECT_EQ(editor.cornerHandles[kQuadBottomRight],
              (TrimPoint{ScreenX(geometry, 999, 1), ScreenY(geometry, 799, 1)}));
}

TEST(ShadeTable, ModesDarkenOrReplace) {
    struct Case {
        std::int32_t mode;
        int in, out;
    };
    const Case cases[] = {{1, 200, 100}, {2, 200, 50}, {3, 200, 25}, {0, 200, 0},
                          {128, 7, 128}, {255, 0, 255}, {40, 255, 0}, {-1, 255, 0}};
    for (const Case& c : cases) {
        std::uint8_t table[256];
        BuildShadeTable(table, c.mode);
        EXPECT_EQ(table[c.in], c.out) << c.mode;
    }
}

}  // namespace
