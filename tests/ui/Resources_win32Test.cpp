// The executable's own resources, linked into this test as into Vantle.exe.
#include <windows.h>

#include <gtest/gtest.h>

#include "trim/Identifiers.h"
#include "ui/resources/ToolbarImages.h"

namespace {

HINSTANCE self() { return GetModuleHandleW(nullptr); }

TEST(Resources, IconAtTheUsualSizes) {
    for (int size : {16, 24, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(LoadImageW(self(), MAKEINTRESOURCEW(VANTLE_ICON), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm;
        GetObjectW(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Resources, EveryCursorIsCentredOnItsHotspot) {
    for (int id = 110; id <= 141; ++id) {
        const bool used = id <= 124 || (id >= 130 && id <= 133) || id == 140 || id == 141;
        HCURSOR cursor = LoadCursorW(self(), MAKEINTRESOURCEW(id));
        if (!used) {
            EXPECT_EQ(cursor, nullptr) << id;
            continue;
        }
        ASSERT_NE(cursor, nullptr) << id;
        ICONINFO info;
        ASSERT_TRUE(GetIconInfo(cursor, &info)) << id;
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, 15u) << id;
        EXPECT_EQ(info.yHotspot, 15u) << id;
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
}

// The stored strips: 16 pixels high, one 16 x 16 image per entry, each image drawn (some pixels
// not the transparent magenta) and transparent around it; the disabled strip holds only greys.
TEST(Resources, ToolbarStripsHoldEveryImage) {
    for (int id : {VANTLE_TOOLBAR_IMAGES, VANTLE_TOOLBAR_IMAGES_DISABLED}) {
        SCOPED_TRACE(id);
        HBITMAP loaded = LoadBitmapW(self(), MAKEINTRESOURCEW(id));
        ASSERT_NE(loaded, nullptr);
        BITMAP bm;
        GetObjectW(loaded, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, kToolbarImageSize * toolbar_image::count);
        EXPECT_EQ(bm.bmHeight, kToolbarImageSize);
        DeleteObject(loaded);

        HRSRC info = FindResourceW(self(), MAKEINTRESOURCEW(id), RT_BITMAP);
        ASSERT_NE(info, nullptr);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(self(), info)));
        ASSERT_EQ(header->biBitCount, 24);
        const int width = header->biWidth, stride = (width * 3 + 3) & ~3;
        const auto* pixels = reinterpret_cast<const std::uint8_t*>(header) + header->biSize;
        for (int image = 0; image < toolbar_image::count; ++image) {
            int drawn = 0, keyed = 0, coloured = 0;
            for (int y = 0; y < kToolbarImageSize; ++y)
                for (int x = image * kToolbarImageSize; x < (image + 1) * kToolbarImageSize; ++x) {
                    const std::uint8_t* p = pixels + y * stride + x * 3;  // blue, green, red
                    if (p[0] == 0xFF && p[1] == 0 && p[2] == 0xFF) {
                        ++keyed;
                    } else {
                        ++drawn;
                        if (p[0] != p[1] || p[1] != p[2]) ++coloured;
                    }
                }
            EXPECT_GT(drawn, 20) << "image " << image;
            EXPECT_GT(keyed, 0) << "image " << image;
            if (id == VANTLE_TOOLBAR_IMAGES_DISABLED) {
                EXPECT_EQ(coloured, 0) << "image " << image;
            }
        }
    }
}

TEST(Resources, ManifestAndVersion) {
    HRSRC manifest = FindResourceW(self(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(self(), manifest))), SizeofResource(self(), manifest));
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(FindResourceW(self(), MAKEINTRESOURCEW(1), RT_VERSION), nullptr);
}

}  // namespace
