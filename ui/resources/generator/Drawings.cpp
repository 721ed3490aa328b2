#include "Drawings.h"

#include <algorithm>
#include <cmath>

#include "trim/Identifiers.h"
#include "../ToolbarImages.h"

namespace {

constexpr float kPi = 3.14159265358979f;

const Colour kSlate = rgb(0x3B4652);
const Colour kGrey = rgb(0x7D8792);
const Colour kBlue = rgb(0x2F7BD8);
const Colour kBlueEdge = rgb(0x1D5BA8);
const Colour kLightBlue = rgb(0xA8D2F7);
const Colour kGreen = rgb(0x2E9B4F);
const Colour kRed = rgb(0xD9413B);
const Colour kWhite = rgb(0xFFFFFF);
const Colour kBlack = rgb(0x000000);

// A filled shape with a one-pixel edge inside its outline.
void framed(Canvas& c, const Shape& s, Colour fill, Colour edge, float width = 1.0f) {
    c.fill(s, edge);
    c.fill(shrink(s, width), fill);
}

// An arrow from (x0, y0) with its tip at (x1, y1).
Shape arrowShape(float x0, float y0, float x1, float y1, float headLength, float headHalfWidth, float shaftWidth) {
    const float dx = x1 - x0, dy = y1 - y0, len = std::sqrt(dx * dx + dy * dy);
    const float ux = dx / len, uy = dy / len;
    const float degrees = std::atan2(dy, dx) * 180.0f / kPi;
    const float baseX = x1 - ux * headLength * 0.8f, baseY = y1 - uy * headLength * 0.8f;
    return unite(segmentShape(x0, y0, baseX, baseY, shaftWidth),
                 polygonShape(arrowHead(x1, y1, degrees, headLength, headHalfWidth)));
}

// ---- toolbar images (16 x 16) ----

void menuImage(Canvas& c) {
    for (float y : {3.0f, 7.0f, 11.0f}) c.fill(roundRectShape(2, y, 14, y + 2, 1), kSlate);
}

void openImage(Canvas& c) {
    const Colour edge = rgb(0x93661A);
    framed(c, polygonShape({{1, 2}, {6, 2}, {7.5, 3.5}, {14, 3.5}, {14, 13}, {1, 13}}), rgb(0xE2AC3F), edge);
    framed(c, polygonShape({{3.5, 6.5}, {15.5, 6.5}, {13, 13}, {1, 13}}), rgb(0xF9D673), edge);
}

void fileListImage(Canvas& c) {
    framed(c, roundRectShape(2, 1, 14, 15, 1.5f), rgb(0xFBFCFD), kGrey);
    for (float y : {3.0f, 6.5f, 10.0f}) {
        c.fill(rectShape(4, y, 6.5f, y + 2.5f), kBlue);
        c.fill(rectShape(7.5f, y + 0.75f, 12, y + 1.75f), kSlate);
    }
}

void fitImage(Canvas& c) {
    c.fill(subtract(rectShape(0, 1, 16, 15), rectShape(1, 2, 15, 14)), kSlate);
    Shape arrow = segmentShape(4.5f, 11.5f, 11.5f, 4.5f, 1.8f);
    arrow = unite(arrow, unite(rectShape(8, 3, 13, 5), rectShape(11, 3, 13, 8)));
    arrow = unite(arrow, unite(rectShape(3, 11, 8, 13), rectShape(3, 8, 5, 13)));
    c.fill(arrow, kBlue);
}

void actualSizeImage(Canvas& c) {
    for (float x : {3.5f, 11.0f}) {
        c.fill(rectShape(x, 3, x + 2, 13), kSlate);
        c.fill(polygonShape({{x, 3}, {x + 0.5f, 3}, {x + 0.5f, 5.2f}, {x - 1.8f, 6.2f}, {x - 1.8f, 4.6f}}), kSlate);
    }
    c.fill(rectShape(7.2f, 5.5f, 8.8f, 7.1f), kSlate);
    c.fill(rectShape(7.2f, 9.4f, 8.8f, 11), kSlate);
}

void shadingImage(Canvas& c) {
    c.fill(roundRectShape(1, 1, 15, 15, 1.5f), rgb(0x56606B));
    c.fill(rectShape(3, 3, 13, 13), kWhite);
    c.fillGradient(rectShape(4, 4, 12, 12), 0, 4, rgb(0x8EC5F4), 0, 12, rgb(0xC9E6FB));
    c.fill(polygonShape({{4, 12}, {4, 9.5f}, {7, 7.5f}, {9, 9}, {12, 8}, {12, 12}}), rgb(0x5DAA5A));
}

void trimImage(Canvas& c) {
    c.fill(unite(rectShape(4, 1, 6, 12), rectShape(4, 10, 15, 12)), rgb(0x23783C));
    c.fill(unite(rectShape(1, 4, 12, 6), rectShape(10, 4, 12, 15)), rgb(0x3DBB63));
}

void cancelImage(Canvas& c) {
    c.fill(unite(segmentShape(4, 4, 12, 12, 2.6f), segmentShape(12, 4, 4, 12, 2.6f)), kRed);
}

void centreTrimImage(Canvas& c) {
    framed(c, rectShape(1, 1, 15, 15), rgb(0xE3E8ED), kGrey);
    framed(c, rectShape(1, 4, 15, 12), kLightBlue, kBlue);
    c.fill(unite(rectShape(7.25f, 5.5f, 8.75f, 10.5f), rectShape(5.5f, 7.25f, 10.5f, 8.75f)), kBlueEdge);
}

void resetPerspectiveImage(Canvas& c) {
    framed(c, polygonShape({{4.5f, 2}, {11.5f, 2}, {15, 14}, {1, 14}}), rgb(0xDCEBFA), kBlue);
    const float cx = 8, cy = 8.5f, r = 3.4f;
    c.fill(arcShape(cx, cy, r, 1.6f, 60, 330), kGreen);
    const float a = 60 * kPi / 180;
    const float px = cx + r * std::cos(a), py = cy - r * std::sin(a);
    c.fill(polygonShape(arrowHead(px + 1.6f, py + 0.9f, 30, 3.6f, 2.4f)), kGreen);
}

void cornerImage(Canvas& c, float degrees) {
    Shape arrow = arrowShape(9.5f, 8, 1, 8, 4.5f, 3.6f, 2.0f);
    c.fill(rotateShape(arrow, 8, 8, degrees), kBlue);
    c.fill(rotateShape(rectShape(10, 5, 15, 11), 8, 8, degrees), kRed);
    c.fill(rotateShape(rectShape(11, 6, 14, 10), 8, 8, degrees), kWhite);
}

void gearImage(Canvas& c) {
    Shape gear = discShape(8, 8, 5.2f);
    for (int k = 0; k < 8; ++k) gear = unite(gear, polygonShape(rotated({{6.8f, 0.8f}, {9.2f, 0.8f}, {9.6f, 4}, {6.4f, 4}}, 8, 8, 45.0f * k)));
    gear = subtract(gear, discShape(8, 8, 2.2f));
    framed(c, gear, rgb(0x8C96A1), kSlate);
}

void sizePresetImage(Canvas& c) {
    framed(c, rectShape(9, 1, 15, 10), rgb(0xF9D673), rgb(0x93661A));
    framed(c, rectShape(1, 6, 12, 14), kLightBlue, kBlue);
}

void saveImage(Canvas& c) {
    framed(c, roundRectShape(1, 1, 15, 15, 1.5f), kBlue, kBlueEdge);
    c.fill(rectShape(4, 1, 12, 6), rgb(0xD5DCE3));
    c.fill(rectShape(9, 2, 11, 5), kSlate);
    c.fill(rectShape(3, 8, 13, 14), kWhite);
    c.fill(rectShape(4.5f, 10, 11.5f, 11), rgb(0xB7C0C9));
    c.fill(rectShape(4.5f, 12, 11.5f, 13), rgb(0xB7C0C9));
}

void pasteImage(Canvas& c) {
    framed(c, roundRectShape(2, 2, 14, 15, 1.5f), rgb(0xC9924A), rgb(0x8A5F27));
    c.fill(rectShape(4, 5, 12, 14), kWhite);
    for (float y : {7.0f, 9.0f, 11.0f}) c.fill(rectShape(5, y, 11, y + 1), rgb(0x9AA4AE));
    framed(c, roundRectShape(5, 1, 11, 4.5f, 1), rgb(0xC2CAD2), kSlate);
}

void copyImage(Canvas& c) {
    framed(c, rectShape(1, 1, 10, 11), kWhite, kGrey);
    framed(c, rectShape(5, 5, 15, 15), kWhite, kSlate);
    for (float y : {7.5f, 9.5f, 11.5f}) c.fill(rectShape(7, y, 13, y + 1), kBlue);
}

void magnifier(Canvas& c) {
    c.fill(discShape(6.5f, 6.5f, 4.6f), rgb(0xDCEEFC));
    c.fill(ringShape(6.5f, 6.5f, 4.6f, 1.6f), kSlate);
    c.fill(segmentShape(10.2f, 10.2f, 14, 14, 2.8f), kSlate);
}

void zoomInImage(Canvas& c) {
    magnifier(c);
    c.fill(unite(rectShape(4.3f, 5.9f, 8.7f, 7.1f), rectShape(5.9f, 4.3f, 7.1f, 8.7f)), kBlueEdge);
}

void zoomOutImage(Canvas& c) {
    magnifier(c);
    c.fill(rectShape(4.3f, 5.9f, 8.7f, 7.1f), kBlueEdge);
}

void zoomToggleImage(Canvas& c) {
    magnifier(c);
    c.fill(polygonShape(arrowHead(3.6f, 6.5f, 180, 2.3f, 1.9f)), kBlueEdge);
    c.fill(polygonShape(arrowHead(9.4f, 6.5f, 0, 2.3f, 1.9f)), kBlueEdge);
}

void reloadImage(Canvas& c) {
    const float cx = 8, cy = 8.5f, r = 5;
    c.fill(arcShape(cx, cy, r, 2.0f, 70, 340), kGreen);
    const float a = 70 * kPi / 180;
    const float px = cx + r * std::cos(a), py = cy - r * std::sin(a);
    c.fill(polygonShape(arrowHead(px + 2.6f, py + 1.0f, 22, 4.4f, 3.2f)), kGreen);
}

void keysImage(Canvas& c) {
    framed(c, roundRectShape(0, 3, 16, 13, 1.5f), rgb(0xF3F5F7), kSlate);
    for (float x : {2.0f, 5.0f, 8.0f, 11.0f}) c.fill(rectShape(x, 5, x + 2, 7), kGrey);
    for (float x : {3.5f, 6.5f, 9.5f}) c.fill(rectShape(x, 8, x + 2, 10), kGrey);
    c.fill(rectShape(12.5f, 8, 14, 10), kGrey);
    c.fill(rectShape(4, 10.8f, 12, 11.8f), kGrey);
}

void pluginsImage(Canvas& c) {
    Shape piece = unite(rectShape(2, 5, 12, 15), discShape(7, 4, 2.3f));
    piece = unite(piece, discShape(12.5f, 10, 2.3f));
    piece = subtract(piece, discShape(2, 10, 1.9f));
    framed(c, piece, rgb(0x4DB26D), rgb(0x24703C));
}

void displayImage(Canvas& c) {
    c.fill(roundRectShape(1, 1, 15, 12, 1), kSlate);
    c.fillGradient(rectShape(2, 2, 14, 11), 0, 2, rgb(0x6BB0EE), 0, 11, kBlue);
    c.fill(unite(segmentShape(5.5f, 9.8f, 8, 3.6f, 1.4f), segmentShape(8, 3.6f, 10.5f, 9.8f, 1.4f)), kWhite);
    c.fill(rectShape(6.6f, 7.3f, 9.4f, 8.3f), kWhite);
    c.fill(rectShape(7, 12, 9, 14), kSlate);
    c.fill(rectShape(4.5f, 14, 11.5f, 15), kSlate);
}

void roundBadge(Canvas& c) {
    c.fill(discShape(8, 8, 7.2f), kBlueEdge);
    c.fillGradient(discShape(8, 8, 6.2f), 0, 1, rgb(0x5AA2EE), 0, 15, rgb(0x2468C4));
}

void helpImage(Canvas& c) {
    roundBadge(c);
    c.fill(arcShape(8, 6, 2.3f, 1.8f, -60, 180), kWhite);
    c.fill(polygonShape({{8.3f, 7.2f}, {9.9f, 8.3f}, {8.9f, 10}, {7.1f, 10}, {7.1f, 8.6f}}), kWhite);
    c.fill(discShape(8, 12.2f, 1.1f), kWhite);
}

void aboutImage(Canvas& c) {
    roundBadge(c);
    c.fill(discShape(8, 4.7f, 1.2f), kWhite);
    c.fill(rectShape(7, 6.6f, 9, 12.2f), kWhite);
}

void editPresetsImage(Canvas& c) {
    framed(c, rectShape(1, 4, 11, 14), kLightBlue, kBlue);
    const Point tip = {6, 12.5f}, end = {14.5f, 4};
    const float dx = end.x - tip.x, dy = end.y - tip.y, len = std::sqrt(dx * dx + dy * dy);
    const float ux = dx / len, uy = dy / len, nx = -uy, ny = ux;
    const float w = 1.6f, t = 2.8f;
    const Point a = {tip.x + ux * t + nx * w, tip.y + uy * t + ny * w};
    const Point b = {tip.x + ux * t - nx * w, tip.y + uy * t - ny * w};
    framed(c, polygonShape({tip, a, {end.x + nx * w, end.y + ny * w}, {end.x - nx * w, end.y - ny * w}, b}),
           rgb(0xF6C84C), rgb(0x8A5F27));
    c.fill(polygonShape({tip, a, b}), rgb(0xEBD3B0));
    c.fill(discShape(tip.x + ux * 0.6f, tip.y + uy * 0.6f, 0.9f), kSlate);
}

// ---- cursors (32 x 32, centred on pixel 15) ----

constexpr float kCentre = 15.5f;

Polygon doubleArrow(float halfLength, float headLength, float headHalfWidth, float shaftHalfWidth) {
    const float c = kCentre, l = halfLength, h = headLength;
    return {{c - l, c},
            {c - l + h, c - headHalfWidth},
            {c - l + h, c - shaftHalfWidth},
            {c + l - h, c - shaftHalfWidth},
            {c + l - h, c - headHalfWidth},
            {c + l, c},
            {c + l - h, c + headHalfWidth},
            {c + l - h, c + shaftHalfWidth},
            {c - l + h, c + shaftHalfWidth},
            {c - l + h, c + headHalfWidth}};
}

// White with a black outline, as system cursors are drawn.
void cursorShape(Canvas& c, const Shape& s) {
    c.fill(grow(s, 1.25f), kBlack);
    c.fill(s, kWhite);
}

void panCursor(Canvas& c, bool north, bool south, bool west, bool east) {
    Shape s = discShape(kCentre, kCentre, 2.6f);
    const struct {
        bool on;
        float degrees;
    } heads[] = {{east, 0}, {south, 90}, {west, 180}, {north, 270}};
    for (const auto& head : heads) {
        if (!head.on) continue;
        const float a = head.degrees * kPi / 180;
        const float tipX = kCentre + 13 * std::cos(a), tipY = kCentre + 13 * std::sin(a);
        s = unite(s, polygonShape(arrowHead(tipX, tipY, head.degrees, 6, 5)));
    }
    cursorShape(c, s);
}

}  // namespace

void drawAppIcon(Canvas& c) {
    const float u = c.width() / 64.0f;
    const Shape card = roundRectShape(2 * u, 2 * u, 62 * u, 62 * u, 9 * u);
    const float edge = std::max(1.0f, 1.5f * u);
    c.fill(card, rgb(0x24527F));
    const Shape inside = roundRectShape(2 * u + edge, 2 * u + edge, 62 * u - edge, 62 * u - edge, 9 * u - edge);
    c.fillGradient(inside, 0, 4 * u, rgb(0x5BA9EE), 0, 40 * u, rgb(0xCDE8FB));
    c.fill(intersect(inside, discShape(47 * u, 16 * u, 6.5f * u)), rgb(0xFFD54A));
    c.fill(intersect(inside, polygonShape(scaled({{0, 44}, {16, 29}, {29, 39}, {42, 26}, {64, 44}, {64, 64}, {0, 64}}, u))),
           rgb(0x4E9E50));
    c.fill(intersect(inside, polygonShape(scaled({{0, 52}, {22, 41}, {44, 49}, {64, 41}, {64, 64}, {0, 64}}, u))),
           rgb(0x78C266));

    // The trim rectangle: the outside darkened as the program shows it, a white frame, handles.
    const float x0 = 15 * u, y0 = 15 * u, x1 = 51 * u, y1 = 45 * u;
    c.fill(intersect(inside, subtract(rectShape(0, 0, 64 * u, 64 * u), rectShape(x0, y0, x1, y1))), rgb(0x000000, 0.42f));
    const float line = std::max(1.0f, 2.5f * u);
    c.fill(subtract(rectShape(x0 - line / 2, y0 - line / 2, x1 + line / 2, y1 + line / 2),
                    rectShape(x0 + line / 2, y0 + line / 2, x1 - line / 2, y1 - line / 2)),
           kWhite);
    const float handle = std::round(std::max(2.0f, 7.0f * u));
    for (Point p : {Point{x0, y0}, Point{x1, y0}, Point{x0, y1}, Point{x1, y1}}) {
        const Shape square = rectShape(std::round(p.x - handle / 2), std::round(p.y - handle / 2),
                                       std::round(p.x - handle / 2) + handle, std::round(p.y - handle / 2) + handle);
        if (handle < 4) {
            c.fill(square, rgb(0xFF8A1E));  // too small for an edge
        } else {
            framed(c, square, rgb(0xFF9A2E), rgb(0x7A3E00), std::max(1.0f, u));
        }
    }
}

bool drawCursor(int id, Canvas& c) {
    switch (id) {
    case VANTLE_CURSOR_PAN_S: panCursor(c, false, true, false, false); return true;
    case VANTLE_CURSOR_PAN_N: panCursor(c, true, false, false, false); return true;
    case VANTLE_CURSOR_PAN_W: panCursor(c, false, false, true, false); return true;
    case VANTLE_CURSOR_PAN_E: panCursor(c, false, false, false, true); return true;
    case VANTLE_CURSOR_PAN_NS: panCursor(c, true, true, false, false); return true;
    case VANTLE_CURSOR_PAN_SW: panCursor(c, false, true, true, false); return true;
    case VANTLE_CURSOR_PAN_SE: panCursor(c, false, true, false, true); return true;
    case VANTLE_CURSOR_PAN_NW: panCursor(c, true, false, true, false); return true;
    case VANTLE_CURSOR_PAN_NE: panCursor(c, true, false, false, true); return true;
    case VANTLE_CURSOR_PAN_WE: panCursor(c, false, false, true, true); return true;
    case VANTLE_CURSOR_PAN_NSW: panCursor(c, true, true, true, false); return true;
    case VANTLE_CURSOR_PAN_NSE: panCursor(c, true, true, false, true); return true;
    case VANTLE_CURSOR_PAN_SWE: panCursor(c, false, true, true, true); return true;
    case VANTLE_CURSOR_PAN_NWE: panCursor(c, true, false, true, true); return true;
    case VANTLE_CURSOR_PAN_NSWE: panCursor(c, true, true, true, true); return true;
    case VANTLE_CURSOR_SIZE_WE: cursorShape(c, polygonShape(doubleArrow(11, 6, 5.5f, 1.5f))); return true;
    case VANTLE_CURSOR_SIZE_NS: cursorShape(c, polygonShape(rotated(doubleArrow(11, 6, 5.5f, 1.5f), kCentre, kCentre, 90))); return true;
    case VANTLE_CURSOR_SIZE_NWSE: cursorShape(c, polygonShape(rotated(doubleArrow(11, 6, 5.5f, 1.5f), kCentre, kCentre, 45))); return true;
    case VANTLE_CURSOR_SIZE_NESW: cursorShape(c, polygonShape(rotated(doubleArrow(11, 6, 5.5f, 1.5f), kCentre, kCentre, -45))); return true;
    case VANTLE_CURSOR_MOVE: {
        const Polygon across = doubleArrow(12, 5, 4.5f, 1.5f);
        cursorShape(c, unite(polygonShape(across), polygonShape(rotated(across, kCentre, kCentre, 90))));
        return true;
    }
    case VANTLE_CURSOR_DRAG_VALUE: {
        Shape s = rectShape(14, 7, 17, 24);
        s = unite(s, polygonShape(arrowHead(4, kCentre, 180, 7, 5.5f)));
        s = unite(s, polygonShape(arrowHead(27, kCentre, 0, 7, 5.5f)));
        cursorShape(c, s);
        return true;
    }
    default:
        return false;
    }
}

void drawToolbarImage(int index, Canvas& c) {
    namespace ti = toolbar_image;
    switch (index) {
    case ti::menu: menuImage(c); break;
    case ti::open: openImage(c); break;
    case ti::fileList: fileListImage(c); break;
    case ti::fitToWindow: fitImage(c); break;
    case ti::actualSize: actualSizeImage(c); break;
    case ti::shading: shadingImage(c); break;
    case ti::trim: trimImage(c); break;
    case ti::cancelTrim: cancelImage(c); break;
    case ti::centreTrim: centreTrimImage(c); break;
    case ti::resetPerspective: resetPerspectiveImage(c); break;
    case ti::cornerLeft: cornerImage(c, 0); break;
    case ti::cornerRight: cornerImage(c, 180); break;
    case ti::cornerUp: cornerImage(c, 90); break;
    case ti::cornerDown: cornerImage(c, 270); break;
    case ti::outputOptions: gearImage(c); break;
    case ti::sizePreset: sizePresetImage(c); break;
    case ti::saveAs: saveImage(c); break;
    case ti::paste: pasteImage(c); break;
    case ti::copy: copyImage(c); break;
    case ti::zoomIn: zoomInImage(c); break;
    case ti::zoomOut: zoomOutImage(c); break;
    case ti::zoomToggle: zoomToggleImage(c); break;
    case ti::reload: reloadImage(c); break;
    case ti::keys: keysImage(c); break;
    case ti::plugins: pluginsImage(c); break;
    case ti::display: displayImage(c); break;
    case ti::help: helpImage(c); break;
    case ti::about: aboutImage(c); break;
    case ti::editPresets: editPresetsImage(c); break;
    default: break;
    }
}

void makeDisabled(Canvas& c) {
    c.mapPixels([](Colour p) {
        const float luminance = 0.30f * p.r + 0.59f * p.g + 0.11f * p.b;
        const float grey = 0.50f + 0.42f * luminance;
        return Colour{grey, grey, grey, p.a * 0.85f};
    });
}
