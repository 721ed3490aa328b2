// vantle_resgen OUTDIR: draws the icon, cursors and toolbar strips of Vantle.exe into OUTDIR as the
// files Vantle.rc names, and PNG previews of them into OUTDIR/preview for a look by eye.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "trim/Identifiers.h"
#include "../ToolbarImages.h"
#include "Drawings.h"
#include "ImageFiles.h"

namespace {

constexpr std::uint32_t kBandBackground = 0xF0F0F0;  // the rebar behind the toolbar images
constexpr std::uint32_t kHotBackground = 0xFFFFE8;   // a hot button's highlight fill

const int kCursorIds[] = {110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124,
                          130, 131, 132, 133, 140, 141};
const int kIconSizes[] = {16, 24, 32, 48, 256};

void blit(Canvas& to, const Canvas& from, int atX, int atY, int factor = 1) {
    for (int y = 0; y < from.height() * factor; ++y)
        for (int x = 0; x < from.width() * factor; ++x) {
            const Colour p = from.pixel(x / factor, y / factor);
            const int tx = atX + x, ty = atY + y;
            if (p.a > 0 && tx < to.width() && ty < to.height()) to.setPixel(tx, ty, p);
        }
}

void fillRect(Canvas& c, int x, int y, int w, int h, Colour colour) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) c.setPixel(i, j, colour);
}

// What a toolbar shows of a strip stored with a transparent key: keyed pixels show the band,
// the others as stored (blended over the band colour).
Canvas keyedView(const Canvas& strip, std::uint32_t shownBackground) {
    Canvas out(strip.width(), strip.height());
    const Colour band = rgb(kBandBackground), shown = rgb(shownBackground);
    for (int y = 0; y < strip.height(); ++y)
        for (int x = 0; x < strip.width(); ++x) {
            const Colour p = strip.pixel(x, y);
            if (p.a < 0.5f) {
                out.setPixel(x, y, shown);
            } else {
                out.setPixel(x, y, {p.r * p.a + band.r * (1 - p.a), p.g * p.a + band.g * (1 - p.a),
                                    p.b * p.a + band.b * (1 - p.a), 1});
            }
        }
    return out;
}

bool save(const std::string& path, const Bytes& bytes) {
    if (writeBytes(path, bytes)) return true;
    std::fprintf(stderr, "vantle_resgen: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vantle_resgen OUTDIR\n");
        return 2;
    }
    const std::string out = argv[1];
    std::error_code ignored;
    std::filesystem::create_directories(out + "/preview", ignored);
    bool ok = true;

    // Icon 100.
    std::vector<Canvas> icons;
    for (int size : kIconSizes) {
        icons.emplace_back(size, size);
        drawAppIcon(icons.back());
    }
    std::vector<IconImage> iconImages;
    for (const Canvas& c : icons) iconImages.push_back({&c});
    ok &= save(out + "/Vantle.ico", encodeIconFile(iconImages, false));

    // Cursors.
    std::vector<Canvas> cursors;
    for (int id : kCursorIds) {
        cursors.emplace_back(kCursorSize, kCursorSize);
        drawCursor(id, cursors.back());
        ok &= save(out + "/cursor" + std::to_string(id) + ".cur",
                   encodeIconFile({{&cursors.back(), kCursorHotspot, kCursorHotspot}}, true));
    }

    // Toolbar strips 150 and 151.
    const int count = toolbar_image::count;
    Canvas strip(kToolbarImageSize * count, kToolbarImageSize);
    Canvas disabled(kToolbarImageSize * count, kToolbarImageSize);
    for (int i = 0; i < count; ++i) {
        Canvas image(kToolbarImageSize, kToolbarImageSize);
        drawToolbarImage(i, image);
        blit(strip, image, i * kToolbarImageSize, 0);
        makeDisabled(image);
        blit(disabled, image, i * kToolbarImageSize, 0);
    }
    ok &= save(out + "/Toolbar150.bmp", encodeKeyedBmp(strip, kBandBackground, kToolbarMaskColour));
    ok &= save(out + "/Toolbar151.bmp", encodeKeyedBmp(disabled, kBandBackground, kToolbarMaskColour));

    // Previews: the toolbar at its size and four times larger, on the band and on a hot button,
    // and disabled; the cursors three times larger on white and grey with the hotspot in red; the
    // icon at every size and the small ones enlarged.
    {
        const int zoom = 4, gap = 8, w = strip.width() * zoom + 2 * gap;
        Canvas sheet(w, gap + 16 + gap + 3 * (16 * zoom + gap));
        fillRect(sheet, 0, 0, sheet.width(), sheet.height(), rgb(0xD8D8D8));
        int y = gap;
        blit(sheet, keyedView(strip, kBandBackground), gap, y);
        blit(sheet, keyedView(disabled, kBandBackground), gap + strip.width() + gap, y);
        y += 16 + gap;
        blit(sheet, keyedView(strip, kBandBackground), gap, y, zoom);
        y += 16 * zoom + gap;
        blit(sheet, keyedView(strip, kHotBackground), gap, y, zoom);
        y += 16 * zoom + gap;
        blit(sheet, keyedView(disabled, kBandBackground), gap, y, zoom);
        ok &= save(out + "/preview/toolbar.png", encodePng(sheet));
    }
    {
        const int zoom = 3, cell = kCursorSize * zoom + 8, n = static_cast<int>(cursors.size());
        Canvas sheet(n * cell + 8, 2 * cell + 8);
        for (int row = 0; row < 2; ++row) {
            fillRect(sheet, 0, row * cell, sheet.width(), cell, row == 0 ? rgb(0xFFFFFF) : rgb(0x7F7F7F));
            for (int i = 0; i < n; ++i) {
                const int x = 8 + i * cell, y = 8 + row * cell;
                blit(sheet, cursors[i], x, y, zoom);
                fillRect(sheet, x + kCursorHotspot * zoom, y + kCursorHotspot * zoom, zoom, zoom, rgb(0xFF0000));
            }
        }
        ok &= save(out + "/preview/cursors.png", encodePng(sheet));
    }
    {
        int w = 8;
        for (const Canvas& c : icons) w += c.width() + 8;
        // Top row: every size as it is; bottom row: 16 x 8, 32 x 3 and 48 x 2.
        const int bottom = 8 + 256 + 8;
        Canvas sheet(std::max(w, 8 + 128 + 8 + 96 + 8 + 96 + 8), bottom + 128 + 8);
        fillRect(sheet, 0, 0, sheet.width(), sheet.height(), rgb(0xFFFFFF));
        int x = 8;
        for (const Canvas& c : icons) {
            blit(sheet, c, x, 8);
            x += c.width() + 8;
        }
        blit(sheet, icons[0], 8, bottom, 8);
        blit(sheet, icons[2], 8 + 128 + 8, bottom, 3);
        blit(sheet, icons[3], 8 + 128 + 8 + 96 + 8, bottom, 2);
        ok &= save(out + "/preview/icon.png", encodePng(sheet));
    }
    return ok ? 0 : 1;
}
