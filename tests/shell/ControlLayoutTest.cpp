#include "shell/ControlLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(ControlLayout, MenuItemSizeAndTextRectangle) {
    const LayoutPoint size = menuItemSize(100, 16, 16);
    EXPECT_EQ(size.x, 114);
    EXPECT_EQ(size.y, 22);
    const LayoutPoint empty = menuItemSize(0, 0, 16);  // a missing text keeps a line's height
    EXPECT_EQ(empty.x, 14);
    EXPECT_EQ(empty.y, 22);
    const LayoutRect text = menuItemTextRect({10, 20, 200, 42});
    EXPECT_EQ(text.left, 25);
    EXPECT_EQ(text.right, 196);
    EXPECT_EQ(text.top, 20);
    EXPECT_EQ(text.bottom, 42);
}

TEST(ControlLayout, CheckMarkIsADiamondCentredInTheItem) {
    LayoutPoint p[4];
    checkMarkPoints({0, 100, 150, 122}, p);  // height 22: (22 - 9) / 2 = 6
    const LayoutPoint expected[4] = {{3, 110}, {7, 114}, {11, 110}, {7, 106}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(p[i].x, expected[i].x) << i;
        EXPECT_EQ(p[i].y, expected[i].y) << i;
    }
    checkMarkPoints({5, 0, 50, 9}, p);  // a rectangle exactly as high as the mark, offset to the right
    EXPECT_EQ(p[3].y, 0);
    EXPECT_EQ(p[1].y, 8);
    EXPECT_EQ(p[0].x, 8);
    EXPECT_EQ(centredTextTop({0, 10, 50, 32}, 16), 13);
}

TEST(ControlLayout, DialogUnderButtonStaysInTheWorkArea) {
    const LayoutRect work{0, 0, 1280, 800};
    struct Case {
        LayoutRect button;
        std::int32_t viewTop, width, height;
        LayoutRect area;
        LayoutPoint expected;
    } cases[] = {
        {{100, 30, 124, 52}, 60, 300, 200, work, {0, 60}},  // pushed off the left edge
        {{600, 30, 624, 52}, 60, 300, 200, work, {462, 60}},                // centred under the button
        {{1250, 30, 1274, 52}, 60, 300, 200, work, {980, 60}},              // pulled back from the right
        {{600, 30, 624, 52}, 700, 300, 200, work, {462, 600}},              // pulled up from the bottom
        {{600, 30, 624, 52}, 60, 1500, 900, work, {0, 0}},                  // larger than the work area
        {{-700, 30, -676, 52}, 60, 300, 200, {-1280, 0, 0, 1024}, {-838, 60}},  // a monitor left of the main one
    };
    for (const Case& c : cases) {
        const LayoutPoint at = dialogUnderButton(c.button, c.viewTop, c.width, c.height, c.area);
        EXPECT_EQ(at.x, c.expected.x) << c.button.left << " " << c.viewTop;
        EXPECT_EQ(at.y, c.expected.y) << c.button.left << " " << c.viewTop;
    }
}

}  // namespace
