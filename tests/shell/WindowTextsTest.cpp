#include "shell/WindowTexts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/Paths.h"
#include "shell/ToolbarFields.h"

namespace {

WideString texts(std::uint32_t id) {
    switch (id) {
    case kTextTrimTitle: return W(u"Trimming");
    case kTextWidthLabel: return W(u"W:");
    case kTextHeightLabel: return W(u"H:");
    default: return englishWideText(id);
    }
}

std::u16string title(const TitleInfo& info) { return std::u16string(MainWindowTitle(info, texts).view()); }

TEST(WindowTitle, NoImageFileImagePastedImageAndTrimming) {
    EXPECT_EQ(title({}), u"Vantle");
    const WideString path = W(P(u"C:\\pictures\\cat.jpg"));
    EXPECT_EQ(title({true, &path, 640, 480}), u"cat.jpg ... W:640 H:480");
    const WideString empty;
    EXPECT_EQ(title({true, &empty, 12, 34}), u"W:12 H:34");
    EXPECT_EQ(title({true, nullptr, 12, 34}), u"W:12 H:34");
    const WideString bare = W(u"cat.jpg");
    EXPECT_EQ(title({true, &bare, 1, 2}), u"cat.jpg ... W:1 H:2");

    TrimEditor trim;
    trim.selWidth = 400;
    trim.selHeight = 300;
    EXPECT_EQ(title({true, &path, 640, 480, &trim}), u"cat.jpg ... W:640 H:480");  // idle
    trim.trimMode = TrimMode::Adjusting;
    EXPECT_EQ(title({true, &path, 640, 480, &trim}), u"Trimming  W:400 H:300");
}

TEST(WindowTitle, TooltipsCarryTheKeyOfTheCommandsSlot) {
    KeySlotTable keys;
    defaultKeySlots(keys);
    MenuModel menus;
    buildMenuItems(keys, menus);
    WideString out;
    ToolbarTooltip(command::kOpen, menus, texts, out);
    EXPECT_EQ(std::u16string(out.view()), u"Open image (Ctrl+O)");
    ToolbarTooltip(command::kZoomFit, menus, texts, out);  // no key
    EXPECT_EQ(std::u16string(out.view()), u"Fit to window");
    // Every toolbar tool has a slot; none falls back to the keyless record.
    for (std::uint16_t cmd : kTooltipCommands) EXPECT_GE(keySlotOfCommand(cmd), 0) << cmd;
}

TEST(ToolbarFields, EnableStatesFollowTheDocument) {
    ToolbarItemState s[kToolbarItemCount];
    ToolbarStates({}, s);
    for (const ToolbarItemState& item : s) EXPECT_FALSE(item.enabled) << item.id;  // no image: all greyed
    ToolbarStates({true, true, false}, s);
    for (const ToolbarItemState& item : s) EXPECT_EQ(item.enabled, item.id != 5702) << item.id;
    ToolbarStates({false, true, true}, s);
    EXPECT_FALSE(s[0].enabled);
    EXPECT_EQ(s[0].id, 5010);
    EXPECT_EQ(s[4].id, 1031);
    EXPECT_EQ(s[4].kind, ToolbarItemKind::Control);
    EXPECT_EQ(ToolbarButtonState(true), 0x04);
    EXPECT_EQ(ToolbarButtonState(false), 0x10);
}

const ViewMetrics kMetrics{17, 17, 1920, 1080};

ViewGeometry view100x100() {
    ViewGeometry v;
    v.clientW = 800;
    v.clientH = 600;
    FitNew(v, 100, 100, kMetrics);
    return v;
}

TEST(ToolbarFields, TypedZoomIsClampedAndAppliedOnlyWhenLive) {
    struct Case {
        std::int32_t typed;
        bool live;
        bool changed;
        double zoom;
        std::int32_t scaled;
    };
    const Case cases[] = {
        {2000, true, true, 16.0, 1600}, {0, true, true, 0.01, 1},  {-5, true, true, 0.01, 1},
        {150, true, true, 1.5, 150},    {100, true, false, 1.0, 100}, {150, false, false, 1.0, 100},
        {1, true, true, 0.01, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        ViewGeometry v = view100x100();
        ScrollBars bars;
        EXPECT_EQ(ZoomFieldChanged(v, c.typed, c.live, kMetrics, bars, nullptr), c.changed);
        EXPECT_DOUBLE_EQ(v.zoom, c.zoom);
        EXPECT_EQ(v.scaledW, c.scaled);
    }
    // At 1600 % the image no longer fits: the bars follow at once.
    ViewGeometry v = view100x100();
    ScrollBars bars;
    ZoomFieldChanged(v, 1600, true, kMetrics, bars, nullptr);
    EXPECT_TRUE(bars.horizontal.shown && bars.vertical.shown);
    EXPECT_EQ(ZoomPercent(v.zoom), 1600);
}

TEST(ToolbarFields, ZoomDragIsQuadratic) {
    ViewGeometry v = view100x100();
    v.zoom = 0.01;
    ScrollBars bars;
    const ZoomDrag drag = BeginZoomDrag(v.zoom, 1000);
    EXPECT_EQ(drag.startPos, 0);
    ASSERT_TRUE(ZoomDragMove(drag, 1500, v, kMetrics, bars, nullptr));  // 500 pixels right
    EXPECT_EQ(ZoomPercent(v.zoom), 1600);
    EXPECT_FALSE(ZoomDragMove(drag, 1900, v, kMetrics, bars, nullptr));  // past the end: no change
    ASSERT_TRUE(ZoomDragMove(drag, 700, v, kMetrics, bars, nullptr));  // left past the start
    EXPECT_EQ(ZoomPercent(v.zoom), 1);
    EXPECT_NEAR(ZoomAtDragPosition(250), 4.0075, 1e-12);  // half-way is about 401 %
    // From 100 %: p0 = round(sqrt(0.99 / 15.99) x 500) = 124.
    EXPECT_EQ(BeginZoomDrag(1.0, 0).startPos, 124);
}

TEST(ToolbarFields, ZoomChangeMovesTheTrimFrame) {
    ViewGeometry v = view100x100();
    TrimOptions options;
    TrimEditor trim;
    trim.geometry = &v;
    trim.options = &options;
    trim.trimMode = TrimMode::Adjusting;
    trim.sourceWidth = trim.sourceHeight = 100;
    trim.trimRect = {10, 10, 49, 39};
    UpdateScreenGeometry(trim);
    const TrimRect before = trim.screenRect;
    ScrollBars bars;
    ASSERT_TRUE(ZoomFieldChanged(v, 200, true, kMetrics, bars, &trim));
    EXPECT_EQ(trim.screenRect.left, ScreenX(v, 10, 0));
    EXPECT_EQ(trim.screenRect.right - trim.screenRect.left, 2 * (before.right - before.left) + 1);
}

TEST(ToolbarFields, SizeDragAndNumberColours) {
    EXPECT_EQ(SizeDragValue(400, 100, 150), 450);
    EXPECT_EQ(SizeDragValue(400, 100, 2000000000), 9999);  // far right stops at 9999
    EXPECT_EQ(SizeDragValue(400, 100, -2000000000), 1);
    EXPECT_EQ(FieldTextColour(0, 1, 9999, 7), 0x5000D0u);
    EXPECT_EQ(FieldTextColour(1, 1, 9999, 7), 0xFF6000u);
    EXPECT_EQ(FieldTextColour(500, 1, 9999, 7), 7u);
    EXPECT_EQ(FieldTextColour(9999, 1, 9999, 7), 0xFF6000u);
    EXPECT_EQ(FieldTextColour(10000, 1, 9999, 7), 0x5000D0u);
}

}  // namespace
