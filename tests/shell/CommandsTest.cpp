#include "shell/Commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "shell/KeyNames.h"
#include "shell/MenuItems.h"

namespace {

std::u16string str(const char16_t* s) { return s ? std::u16string(s) : std::u16string(u"<none>"); }

TEST(Keys, DefaultTableGivesTheEightDefaultAcceleratorsInSlotOrder) {
    KeySlotTable t;
    defaultKeySlots(t);
    AcceleratorList acc;
    buildAcceleratorList(t, acc);
    const AccelRecord expected[] = {{9, 0x4F, 5000}, {1, 0x09, 5010}, {1, 0x20, 5120}, {1, 0x0D, 5700},
                                    {1, 0x1B, 5701}, {1, 0x08, 5400}, {9, 0x53, 5410}, {9, 0x56, 5415}};
    ASSERT_EQ(acc.count, 8u);
    for (std::uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(acc.entries[i].fVirt, expected[i].fVirt) << i;
        EXPECT_EQ(acc.entries[i].key, expected[i].key) << i;
        EXPECT_EQ(acc.entries[i].cmd, expected[i].cmd) << i;
    }
    for (std::uint32_t i = 0; i < kKeySlotCount; ++i) {
        EXPECT_EQ(t.slots[i].cmd, kSlotCommands[i]);
        if (t.slots[i].key == 0) {
            EXPECT_EQ(t.slots[i].fVirt, kAccelVirtKey) << i;
        }
    }
}

TEST(Keys, SlotsFromALiveTableTakeTheFirstAcceleratorOfEachCommand) {
    const AccelRecord live[] = {{13, 0x74, 5410}, {1, 0x41, 5410}, {5, 0x1FF, 5231}, {9, 0x4F, 1234}};
    KeySlotTable t;
    matchKeySlots(t, live, 4);
    EXPECT_EQ(t.slots[33].fVirt, 13);
    EXPECT_EQ(t.slots[33].key, 0x74);
    EXPECT_EQ(t.slots[7].key, 0x1FF);  // unmasked here; only the settings loader masks
    EXPECT_EQ(t.slots[1].key, 0);       // Ctrl+O is not in the live table
    AcceleratorList acc;
    buildAcceleratorList(t, acc);
    ASSERT_EQ(acc.count, 2u);
    EXPECT_EQ(acc.entries[0].cmd, 5231);  // slot order, not table order
    EXPECT_EQ(acc.entries[1].cmd, 5410);
}

TEST(Keys, Names) {
    const struct {
        std::uint32_t code;
        const char16_t* name;
    } cases[] = {
        {0x08, u"BackSpace"}, {0x1B, u"Esc"},     {0x21, u"PageUp"},  {0x28, u"Down"},    {0x2E, u"Delete"},
        {0xF0, u"CapsLock"},  {0xBA, u":"},       {0xC0, u"@"},       {0xDC, u"\\"},      {0xE2, u"_"},
        {0x30, u"0"},         {0x5A, u"Z"},       {0x74, u"F5"},      {0x7B, u"F12"},     {0x60, u"[Num] 0 "},
        {0x69, u"[Num] 9"},   {0x6A, u"[Num] *"}, {0x6F, u"[Num] /"}, {0x6C, nullptr},    {0x7C, nullptr},
        {0x10, nullptr},      {0x00, nullptr},    {0x141, nullptr},
    };
    for (const auto& c : cases) EXPECT_EQ(str(keyName(c.code)), str(c.name)) << std::hex << c.code;

    // The dialog's list is exactly the 91 named codes, each once.
    std::set<std::uint32_t> listed(kNamedKeys, kNamedKeys + kNamedKeyCount);
    EXPECT_EQ(listed.size(), kNamedKeyCount);
    std::uint32_t named = 0;
    for (std::uint32_t code = 0; code < 256; ++code)
        if (keyName(code)) {
            ++named;
            EXPECT_EQ(listed.count(code), 1u) << code;
        }
    EXPECT_EQ(named, kNamedKeyCount);
    EXPECT_EQ(kNamedKeys[0], 0x08);
    EXPECT_EQ(kNamedKeys[15], 0xF0);
    EXPECT_EQ(kNamedKeys[kNamedKeyCount - 1], 0x6F);

    const struct {
        std::uint32_t fVirt;
        const char16_t* name;
    } modifiers[] = {{1, nullptr}, {5, u"Shift+"}, {9, u"Ctrl+"}, {13, u"Ctrl+Shift+"}, {8, nullptr}, {0x19, nullptr}};
    for (const auto& m : modifiers) EXPECT_EQ(str(modifierName(m.fVirt)), str(m.name)) << m.fVirt;
}

// Suffix texts made visible, to check where they go.
WideString fakeText(std::uint32_t id) {
    if (id == 5410) return WideString(u"Save as");
    if (id == 15410) return WideString(u"(&A)");
    if (id == 5000) return WideString(u"Open");
    if (id == 15600) return WideString(u"~");
    return WideString();
}

TEST(MenuItems, TextsCarryEllipsisSuffixAndKey) {
    KeySlotTable t;
    defaultKeySlots(t);
    t.slots[33] = AccelRecord{13, 0x74, 5410};  // Ctrl+Shift+F5
    t.slots[6] = AccelRecord{9, 0, 5230};       // modifier bits but no key
    MenuModel m;
    buildMenuItems(t, m);

    WideString text, key;
    menuItemText(m.items[33], 5410, fakeText, text);
    EXPECT_EQ(text.view(), u"Save as(&A)...");
    menuItemKeyText(m.items[33], key);
    EXPECT_EQ(key.view(), u"Ctrl+Shift+F5");
    menuItemMeasureText(m.items[33], 5410, fakeText, text);
    EXPECT_EQ(text.view(), u"Save as(&A)...Ctrl+Shift+F5");

    menuItemKeyText(m.items[6], key);
    EXPECT_TRUE(key.empty());
    EXPECT_EQ(m.items[6].modifierText, nullptr);

    menuItemText(m.items[1], 5000, fakeText, text);
    EXPECT_EQ(text.view(), u"Open");
    tooltipText(5000, m.items[1], fakeText, text);
    EXPECT_EQ(text.view(), u"Open (Ctrl+O)");
    tooltipText(5410, m.items[6], fakeText, text);  // no key: the name alone
    EXPECT_EQ(text.view(), u"Save as");

    for (std::uint32_t i = 0; i < kKeySlotCount; ++i)
        EXPECT_EQ(m.items[i].ellipsis, (i >= 33 && i <= 37 && i != 34) ? 1 : 0) << i;
}

TEST(MenuItems, PresetItemsShowTheirDisplayText) {
    const std::int32_t widths[kPresetCount] = {0, 640, 800, -1, 1, 0, 0, 0};
    const std::int32_t heights[kPresetCount] = {300, 480, 600, 5, 1, 0, 0, 0};
    WideString names[kPresetCount];
    names[0].assign(u"Hidden");
    names[2].assign(u"Wide");
    KeySlotTable t;
    defaultKeySlots(t);
    MenuModel m;
    buildMenuItems(t, m);
    buildPresetTexts(widths, heights, names, m);
    const char16_t* expected[kPresetCount] = {u"-", u"640 x 480", u"Wide", u"-", u"1 x 1", u"-", u"-", u"-"};
    for (std::uint32_t k = 0; k < kPresetCount; ++k) {
        EXPECT_EQ(m.items[kFirstPresetSlot + k].kind, kMenuItemWideString);
        WideString text;
        menuItemName(m.items[kFirstPresetSlot + k], fakeText, text);
        EXPECT_EQ(text.view(), std::u16string_view(expected[k])) << k;
    }
    WideString text;
    menuItemText(m.items[kFirstPresetSlot], 5600, fakeText, text);
    EXPECT_EQ(text.view(), u"-~");
}

TEST(MenuItems, OtherNameKinds) {
    MenuItemTextPair pair{WideString(), WideString(u"Plug-in"), 2};
    MenuItemData item{kMenuItemStringPair, reinterpret_cast<std::uintptr_t>(&pair), 0, nullptr, nullptr};
    WideString text;
    menuItemName(item, fakeText, text);
    EXPECT_EQ(text.view(), u"Plug-in - 3");
    pair.first.assign(u"Named");
    menuItemName(item, fakeText, text);
    EXPECT_EQ(text.view(), u"Named");
    const char16_t* plain = u"plain";
    MenuItemData terminated{kMenuItemTerminated, reinterpret_cast<std::uintptr_t>(plain), 1, nullptr, nullptr};
    menuItemText(terminated, 5000, fakeText, text);
    EXPECT_EQ(text.view(), u"plain...");
}

TEST(Menus, ShadeCheckAndCommands) {
    const struct {
        std::int32_t shade;
        std::uint16_t checked;
    } cases[] = {{1, 5500}, {2, 5202}, {3, 5203}, {0, 5204}, {128, 5205}, {255, 5206}, {7, 5500}, {-1, 5500}, {4, 5500}};
    for (const auto& c : cases) {
        EXPECT_EQ(shadeMenuCheckedCommand(c.shade), c.checked) << c.shade;
        std::int32_t back = -99;
        if (c.shade == 7 || c.shade == -1 || c.shade == 4) continue;
        ASSERT_TRUE(shadeForCommand(c.checked, &back));
        EXPECT_EQ(back, c.shade);
    }
    std::int32_t unused = 0;
    EXPECT_FALSE(shadeForCommand(5200, &unused));
}

TEST(Menus, EveryMenuItemIsAKeySlotAndHasAnEnglishName) {
    for (const auto* menu : {&kMainMenuItems[0], &kShadeMenuItems[0], &kPresetMenuItems[0]}) {
        const std::size_t n = menu == kMainMenuItems ? 12 : menu == kShadeMenuItems ? 7 : 10;
        for (std::size_t i = 0; i < n; ++i)
            if (menu[i] != command::kSeparator) {
                EXPECT_GE(keySlotOfCommand(menu[i]), 0) << menu[i];
            }
    }
    for (std::uint16_t cmd : kSlotCommands) {
        WideString name;
        commandText(cmd, englishWideText, name);
        EXPECT_FALSE(name.empty()) << cmd;
    }
    WideString name;
    commandText(command::kOpen, englishWideText, name);
    EXPECT_EQ(name.view(), u"Open image");
}

}  // namespace
