#include "shell/DialogTemplate.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Builds extended dialog templates the way a resource compiler lays them out.
struct TemplateBuilder {
    std::vector<std::uint8_t> bytes;

    void u16(std::uint32_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v) {
        u16(v);
        u16(v >> 16);
    }
    void text(const std::u16string& s) {
        for (char16_t c : s) u16(c);
        u16(0);
    }
    void align() {
        while (bytes.size() % 4) bytes.push_back(0);
    }
    void header(std::uint32_t style, std::uint16_t items, bool namedMenuAndClass = false) {
        u16(1);
        u16(0xFFFF);
        u32(0);  // help id
        u32(0);  // extended style
        u32(style);
        u16(items);
        u16(0), u16(0), u16(200), u16(100);
        if (namedMenuAndClass) {
            text(u"MENU");
            u16(0xFFFF), u16(0x8002);
        } else {
            u16(0);
            u16(0);
        }
        text(u"Title");
    }
    std::size_t font() {
        const std::size_t at = bytes.size();
        u16(8), u16(400);
        bytes.push_back(0), bytes.push_back(1);
        text(u"MS Shell Dlg");
        return at;
    }
    void item(std::uint32_t id, std::uint16_t classOrdinal, const std::u16string& className, bool titleOrdinal,
              std::uint16_t extra = 0) {
        align();
        u32(0), u32(0), u32(0x50010000);
        u16(1), u16(2), u16(30), u16(14);
        u32(id);
        if (classOrdinal) {
            u16(0xFFFF), u16(classOrdinal);
        } else {
            text(className);
        }
        if (titleOrdinal) {
            u16(0xFFFF), u16(7);
        } else {
            text(u"Item");
        }
        u16(extra);
        for (std::uint16_t i = 0; i < extra; ++i) bytes.push_back(0xEE);
    }
};

TEST(DialogTemplate, WalksItemsAndFindsThePointSize) {
    TemplateBuilder t;
    t.header(kDialogSetFont | 0x80C80000, 3, true);
    const std::size_t pointSize = t.font();
    t.item(2032, 0x81, u"", false);
    t.item(2033, 0, u"msctls_updown32", false);
    t.item(100, 0x82, u"", true);
    t.bytes.resize(t.bytes.size() + 6, 0xAB);  // padding after the last item is not part of the copy
    std::vector<std::uint32_t> ids;
    std::vector<std::u16string> classes;
    DialogTemplateInfo info;
    ASSERT_TRUE(walkDialogTemplate(t.bytes.data(), t.bytes.size(), info, [&](const DialogItemInfo& item) {
        ids.push_back(item.id);
        classes.push_back(item.className ? std::u16string(item.className, item.classNameLength) : std::u16string(1, item.classOrdinal));
        EXPECT_EQ(item.extraBytes, 0);
        EXPECT_EQ(item.cx, 30);
    }));
    EXPECT_EQ(info.pointSizeOffset, pointSize);
    EXPECT_EQ(info.size, t.bytes.size() - 6);
    EXPECT_EQ(info.itemCount, 3);
    EXPECT_EQ(info.cx, 200);
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{2032, 2033, 100}));
    EXPECT_EQ(classes, (std::vector<std::u16string>{std::u16string(1, 0x81), u"msctls_updown32", std::u16string(1, 0x82)}));
}

TEST(DialogTemplate, CreationDataIsSkippedNotReadAsAnItem) {
    TemplateBuilder t;
    t.header(kDialogSetFont, 2);
    t.font();
    t.item(1, 0x80, u"", false, 6);
    t.item(2, 0x80, u"", false);
    std::vector<std::uint32_t> ids;
    DialogTemplateInfo info;
    ASSERT_TRUE(walkDialogTemplate(t.bytes.data(), t.bytes.size(), info, [&](const DialogItemInfo& item) { ids.push_back(item.id); }));
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{1, 2}));
    EXPECT_EQ(info.size, t.bytes.size());
}

TEST(DialogTemplate, RefusesOldFormatAndTemplatesWithoutSetFont) {
    TemplateBuilder noFont;
    noFont.header(0x80C80000, 0);
    DialogTemplateInfo info;
    EXPECT_FALSE(walkDialogTemplate(noFont.bytes.data(), noFont.bytes.size(), info));

    TemplateBuilder old;
    old.header(kDialogSetFont, 0);
    old.font();
    old.bytes[0] = 0, old.bytes[2] = 0x40, old.bytes[3] = 0;  // DLGTEMPLATE starts with its style
    EXPECT_FALSE(walkDialogTemplate(old.bytes.data(), old.bytes.size(), info));
    EXPECT_FALSE(walkDialogTemplate(nullptr, 100, info));
}

TEST(DialogTemplate, EveryTruncationIsRefusedWithinTheBuffer) {
    TemplateBuilder t;
    t.header(kDialogSetFont, 2);
    t.font();
    t.item(7, 0, u"SysListView32", false);
    t.item(8, 0x85, u"", false, 2);
    DialogTemplateInfo info;
    ASSERT_TRUE(walkDialogTemplate(t.bytes.data(), t.bytes.size(), info));
    for (std::size_t n = 0; n < t.bytes.size(); ++n) {
        // An exact-size copy, so a read past its end shows under the address sanitizer.
        std::vector<std::uint8_t> cut(t.bytes.begin(), t.bytes.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(walkDialogTemplate(cut.empty() ? nullptr : cut.data(), n, info)) << n;
    }
    // An unterminated title at the very end.
    TemplateBuilder open;
    open.header(kDialogSetFont, 0);
    open.bytes.resize(open.bytes.size() - 2);
    EXPECT_FALSE(walkDialogTemplate(open.bytes.data(), open.bytes.size(), info));
}

TEST(DialogTemplate, PointSizeFollowsTheLargeFontSetting) {
    EXPECT_EQ(dialogPointSize(false), 9);
    EXPECT_EQ(dialogPointSize(true), 11);
}

}  // namespace
