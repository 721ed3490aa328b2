#include "shell/KeyAssignment.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/TextProvider.h"

namespace {

constexpr std::int32_t kRowOpen = 1, kRowFit = 3, kRowToggle = 5, kRowZoomIn = 6, kRowReload = 32;

KeyAssignments opened(bool mousePage = false) {
    KeySlotTable defaults;
    defaultKeySlots(defaults);
    AcceleratorList live;
    buildAcceleratorList(defaults, live);
    KeyAssignments state;
    openKeyAssignments(state, live.entries, live.count, kDefaultMouseActions, mousePage, englishWideText);
    return state;
}

std::string keyText(const KeyAssignments& state, std::int32_t row) {
    WideString text;
    keyColumnText(state, static_cast<std::uint32_t>(row), text);
    return text.toUtf8();
}

std::string mouseText(const KeyAssignments& state, std::int32_t row) {
    WideString text;
    mouseColumnText(state, static_cast<std::uint32_t>(row), englishWideText, text);
    return text.toUtf8();
}

TEST(KeyAssignment, RowsAreNamedAfterTheirCommands) {
    const KeyAssignments state = opened();
    const struct {
        std::uint32_t row;
        const char* name;
    } cases[] = {
        {0, "Menu"},
        {9, "Shading - Darken to 1/2"},
        {14, "Shading - White"},
        {23, "Size preset 1"},
        {30, "Size preset 8"},
        {31, "Size preset - Edit presets"},
        {39, "About Vantle"},
    };
    for (const auto& c : cases) EXPECT_EQ(state.rowNames[c.row].toUtf8(), c.name) << c.row;
}

TEST(KeyAssignment, AKeyServesOneCommandAndCapsLockTakesNoShift) {
    KeyAssignments state = opened();
    EXPECT_EQ(keyText(state, kRowOpen), "Ctrl+O");
    struct Case {
        const char* what;
        std::int32_t row;
        std::uint16_t key;
        bool ctrl, shift;
        std::uint32_t error;
        const char* shown;  // the row's key text afterwards
    };
    const Case cases[] = {
        {"no row", -1, 'O', false, false, kTextSelectCommandFirst, nullptr},
        {"no key", kRowFit, 0, false, false, kTextSelectKeyFirst, ""},
        {"Ctrl+O is taken", kRowFit, 'O', true, false, kTextAlreadyAssigned, ""},
        {"plain O is free", kRowFit, 'O', false, false, 0, "O"},
        {"the same key again", kRowFit, 'O', false, false, kTextAlreadyAssigned, "O"},
        {"Ctrl+Shift+F5", kRowZoomIn, 0x74, true, true, 0, "Ctrl+Shift+F5"},
        {"CapsLock drops Shift", kRowReload, 0xF0, false, true, 0, "CapsLock"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(assignKey(state, c.row, c.key, c.ctrl, c.shift), c.error);
        if (c.shown) {
            EXPECT_EQ(keyText(state, c.row), c.shown);
        }
    }
    EXPECT_TRUE(state.keysChanged);
    EXPECT_FALSE(state.mouseChanged);
    EXPECT_FALSE(shiftAllowed(kCapsLockKey));
}

TEST(KeyAssignment, ClearAndResetWorkOnTheCurrentPage) {
    KeyAssignments state = opened();
    EXPECT_EQ(clearAssignment(state, -1), kTextSelectCommandFirst);
    EXPECT_EQ(clearAssignment(state, kRowOpen), 0u);
    EXPECT_EQ(keyText(state, kRowOpen), "");
    ASSERT_EQ(assignKey(state, kRowZoomIn, 'Z', false, false), 0u);
    resetAssignments(state);
    EXPECT_EQ(keyText(state, kRowOpen), "Ctrl+O");
    EXPECT_EQ(keyText(state, kRowZoomIn), "");
    // The mouse page kept its actions through the key reset.
    EXPECT_EQ(mouseText(state, kRowToggle), "Middle button");
    EXPECT_FALSE(state.mouseChanged);
}

TEST(KeyAssignment, AMouseActionMovesOnlyWhenFree) {
    KeyAssignments state = opened(true);
    EXPECT_EQ(mouseText(state, kRowToggle), "Middle button");
    EXPECT_EQ(assignMouse(state, kRowFit, -1), kTextSelectKeyFirst);
    EXPECT_EQ(assignMouse(state, kRowFit, 2), kTextAlreadyAssigned);  // the middle button is the toggle's
    EXPECT_EQ(assignMouse(state, kRowFit, 1), 0u);
    EXPECT_EQ(mouseText(state, kRowFit), "Left and right buttons");
    ASSERT_EQ(clearAssignment(state, kRowToggle), 0u);
    EXPECT_EQ(mouseText(state, kRowToggle), "");
    // Given the middle button, the command leaves the action it held before.
    EXPECT_EQ(assignMouse(state, kRowFit, 2), 0u);
    EXPECT_EQ(mouseText(state, kRowFit), "Middle button");
    EXPECT_EQ(state.mouse[1], 0);
    resetAssignments(state);
    for (std::uint32_t i = 0; i < kMouseActionCount; ++i) EXPECT_EQ(state.mouse[i], kDefaultMouseActions[i]) << i;
    EXPECT_TRUE(state.mouseChanged);
    EXPECT_FALSE(state.keysChanged);
}

}  // namespace
