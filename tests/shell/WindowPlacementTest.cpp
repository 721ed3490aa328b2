#include "shell/WindowPlacement.h"

#include <gtest/gtest.h>

TEST(WindowPlacement, SavedPlacementIsKeptInsideTheWorkArea) {
    const ScreenRect work{0, 0, 1280, 760};
    const struct {
        ScreenRect saved, expected;
    } cases[] = {
        {{200, 100, 1000, 700}, {200, 100, 1000, 700}},      // fits: unchanged
        {{3000, 2000, 3800, 2600}, {480, 160, 1280, 760}},   // off every monitor: pulled back in
        {{-5000, -900, -4200, -300}, {0, 0, 800, 600}},      // beyond the left and top edges
        {{100, 50, 2100, 1550}, {0, 0, 1280, 760}},          // larger than the work area: cut to it
        {{900, 100, 1700, 700}, {480, 100, 1280, 700}},      // passes the right edge only
    };
    for (const auto& c : cases) EXPECT_EQ(ClampToWorkArea(c.saved, work), c.expected);
    // A work area that does not start at the origin (a taskbar on the left, a second monitor).
    EXPECT_EQ(ClampToWorkArea({0, 0, 800, 600}, {1920, 40, 3840, 1080}), (ScreenRect{1920, 40, 2720, 640}));
}

TEST(WindowPlacement, MaximisedOnlyWhenTheCallerDidNotAskOtherwise) {
    EXPECT_EQ(MainWindowShowCommand(true, 1), 3);
    EXPECT_EQ(MainWindowShowCommand(true, 10), 3);   // SW_SHOWDEFAULT
    EXPECT_EQ(MainWindowShowCommand(true, 3), 1);    // SW_MAXIMIZE asked by the caller
    EXPECT_EQ(MainWindowShowCommand(true, 7), 1);    // SW_SHOWMINNOACTIVE
    EXPECT_EQ(MainWindowShowCommand(false, 3), 1);
}
