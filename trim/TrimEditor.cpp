#include "trim/TrimEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "codecs/ImageData.h"

namespace {

constexpr std::int32_t kBandWidth = 7;        // handle bands inside the rectangle's edges
constexpr std::int32_t kCornerReach = 7;      // perspective handles are hit within this distance
constexpr std::int32_t kSizingDistance = 17;  // Manhattan distance that turns a click into a drag
constexpr std::int32_t kOutputMax = 9999;

std::int32_t clampTo(std::int32_t value, std::int32_t low, std::int32_t high) {
    return std::max(low, std::min(value, high));
}

std::int32_t roundToInt(double value) { return static_cast<std::int32_t>(std::round(value)); }

// The output size; a zero from an unchecked source must not divide.
std::int32_t outW(const TrimEditor& e) { return std::max(1, e.options->trimWidth); }
std::int32_t outH(const TrimEditor& e) { return std::max(1, e.options->trimHeight); }

// Clears `editsLive` around the model's own box writes, so that their notifications are ignored.
struct QuietEdits {
    explicit QuietEdits(TrimEditor& e) : editor(e), saved(e.editsLive) { editor.editsLive = false; }
    ~QuietEdits() { editor.editsLive = saved; }
    TrimEditor& editor;
    bool saved;
};

bool isTrimBox(std::int32_t id) { return id >= kBoxLeft && id <= kBoxBottom; }

std::int32_t coordinate(const TrimEditor& e, std::int32_t id) {
    switch (id) {
    case kBoxLeft: return e.trimRect.left;
    case kBoxTop: return e.trimRect.top;
    case kBoxRight: return e.trimRect.right;
    default: return e.trimRect.bottom;
    }
}

TrimPoint centreOf(const TrimRect& r) { return {(r.left + r.right) >> 1, (r.top + r.bottom) >> 1}; }

void updateScreenRect(TrimEditor& e) {
    const ViewGeometry& g = *e.geometry;
    e.screenRect = {ScreenX(g, e.trimRect.left, 0), ScreenY(g, e.trimRect.top, 0), ScreenX(g, e.trimRect.right, 1),
                    ScreenY(g, e.trimRect.bottom, 1)};
}

void setCursorOnce(TrimEditor& e, std::int32_t id) {
    if (e.cursorId == id) return;
    e.cursorId = id;
    e.view->setCursor(id);
}

void setSpins(TrimEditor& e, bool positions) {
    const TrimRect& r = e.trimRect;
    e.view->setSpinRange(kSpinLeft, 0, r.right);
    if (positions) e.view->setSpinPos(kSpinLeft, r.left);
    e.view->setSpinRange(kSpinTop, 0, r.bottom);
    if (positions) e.view->setSpinPos(kSpinTop, r.top);
    e.view->setSpinRange(kSpinRight, r.left, e.sourceWidth - 1);
    if (positions) e.view->setSpinPos(kSpinRight, r.right);
    e.view->setSpinRange(kSpinBottom, r.top, e.sourceHeight - 1);
    if (positions) e.view->setSpinPos(kSpinBottom, r.bottom);
}

void setSelectionSize(TrimEditor& e, std::int32_t width, std::int32_t height) {
    e.selWidth = width;
    e.selHeight = height;
    e.view->refreshTitle();
}

// The point clamped into the part of the image the view shows.
TrimPoint clampIntoShown(const ViewGeometry& g, std::int32_t x, std::int32_t y) {
    return {clampTo(x, g.viewX, g.viewX + g.viewW - 1), clampTo(y, g.viewY, g.viewY + g.viewH - 1)};
}

bool insideShown(const ViewGeometry& g, std::int32_t x, std::int32_t y) {
    return x >= g.viewX && x <= g.viewX + g.viewW - 1 && y >= g.viewY && y <= g.viewY + g.viewH - 1;
}

TrimPoint toImagePoint(const ViewGeometry& g, TrimPoint p) {
    return {ImageX(g, p.x, CentringBiasX(g)), ImageY(g, p.y, CentringBiasY(g))};
}

// Quad index of a perspective handle kind and of a selected-corner number.
int quadIndexOfKind(std::int32_t kind) {
    switch (kind) {
    case kHandleCornerTopLeft: return kQuadTopLeft;
    case kHandleCornerTopRight: return kQuadTopRight;
    case kHandleCornerBottomRight: return kQuadBottomRight;
    default: return kQuadBottomLeft;
    }
}
int quadIndexOfSelected(std::int32_t selected) {
    static const int indexes[4] = {kQuadTopLeft, kQuadTopRight, kQuadBottomRight, kQuadBottomLeft};
    return indexes[selected & 3];
}

// The rubber band of modes 1 and 2: from the anchor towards the mouse's quadrant, at the ratio.
void rubberBand(TrimEditor& e, std::int32_t x, std::int32_t y) {
    const ViewGeometry& g = *e.geometry;
    const TrimPoint m = clampIntoShown(g, x, y);
    const TrimPoint at = toImagePoint(g, m);
    const std::int32_t ax = e.trimRect.left, ay = e.trimRect.top;
    const std::int64_t sum = std::int64_t{std::abs(at.y - ay)} + std::abs(at.x - ax) + 2;
    std::int64_t w, h;
    if (e.wideOutput) {
        h = RoundDiv(sum * outH(e), outW(e) + outH(e));
        w = h * outW(e) / outH(e);
    } else {
        w = RoundDiv(sum * outW(e), outW(e) + outH(e));
        h = w * outH(e) / outW(e);
    }
    const TrimPoint corner{
        m.x < e.screenRect.left ? ScreenX(g, static_cast<std::int32_t>(ax - w + 1), 0)
                                : ScreenX(g, static_cast<std::int32_t>(ax + w - 1), 1),
        m.y < e.screenRect.top ? ScreenY(g, static_cast<std::int32_t>(ay - h + 1), 0)
                               : ScreenY(g, static_cast<std::int32_t>(ay + h - 1), 1)};
    if (!insideShown(g, corner.x, corner.y)) return;
    const TrimPoint anchor{e.screenRect.left, e.screenRect.top};
    if (e.cornerPoint.x >= 0) e.view->xorOutline({anchor.x, anchor.y, e.cornerPoint.x, e.cornerPoint.y});
    e.view->xorOutline({anchor.x, anchor.y, corner.x, corner.y});
    e.cornerPoint = corner;
    // The title shows the live size of the band.
    setSelectionSize(e, static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
}

void dragHandle(TrimEditor& e, std::int32_t x, std::int32_t y) {
    const ViewGeometry& g = *e.geometry;
    const TrimRect r = e.trimRect;
    const std::int32_t width = e.sourceWidth, height = e.sourceHeight;
    const std::int32_t rightBias = g.viewW - g.srcW, bottomBias = g.viewH - g.srcH;
    TrimView& v = *e.view;
    switch (e.handleKind) {
    case kHandleLeft: v.writeBox(kBoxLeft, std::min(ImageX(g, x, 0), r.right)); break;
    case kHandleTop: v.writeBox(kBoxTop, std::min(ImageY(g, y, 0), r.bottom)); break;
    case kHandleRight: v.writeBox(kBoxRight, clampTo(ImageX(g, x, rightBias), r.left, width - 1)); break;
    case kHandleBottom: v.writeBox(kBoxBottom, clampTo(ImageY(g, y, bottomBias), r.top, height - 1)); break;
    case kHandleTopLeft: {
        const std::int32_t ix = ImageX(g, x, 0), iy = ImageY(g, y, 0);
        const TrimPoint s = SplitByRatio(e, std::int64_t{r.right - ix} + (r.bottom - iy));
        const std::int32_t left = r.right - s.x, top = r.bottom - s.y;
        if (left < 0 || top < 0) return;
        const std::int32_t newLeft = clampTo(left, 0, r.right);
        if (newLeft != r.left) v.writeBox(kBoxLeft, newLeft);
        v.writeBox(kBoxTop, clampTo(top, 0, e.trimRect.bottom));
        break;
    }
    case kHandleTopRight: {
        const std::int32_t ix = ImageX(g, x, rightBias), iy = ImageY(g, y, 0);
        const TrimPoint s = SplitByRatio(e, std::int64_t{ix - r.left} + (r.bottom - iy));
        const std::int32_t right = r.left + s.x, top = r.bottom - s.y;
        if (right >= width || top < 0) return;
        // Clamped as the boxes would clamp them, so that they show what is stored.
        v.writeBox(kBoxRight, std::max(right, r.left));
        v.writeBox(kBoxTop, std::min(top, r.bottom));
        break;
    }
    case kHandleBottomRight: {
        const std::int32_t ix = ImageX(g, x, rightBias), iy = ImageY(g, y, bottomBias);
        const TrimPoint s = SplitByRatio(e, std::int64_t{ix - r.left} + (iy - r.top));
        const std::int32_t right = r.left + s.x, bottom = r.top + s.y;
        if (right >= width || bottom >= height) return;
        v.writeBox(kBoxRight, std::max(right, r.left));
        v.writeBox(kBoxBottom, std::max(bottom, r.top));
        break;
    }
    case kHandleBottomLeft: {
        const std::int32_t ix = ImageX(g, x, 0), iy = ImageY(g, y, bottomBias);
        const TrimPoint s = SplitByRatio(e, std::int64_t{r.right - ix} + (iy - r.top));
        const std::int32_t left = r.right - s.x, bottom = r.top + s.y;
        if (left < 0 || bottom >= height) return;
        v.writeBox(kBoxLeft, std::min(left, r.right));
        v.writeBox(kBoxBottom, std::max(bottom, r.top));
        break;
    }
    case kHandleMove: {
        const std::int32_t ix = ImageXUnclamped(g, x, CentringBiasX(g));
        const std::int32_t iy = ImageYUnclamped(g, y, CentringBiasY(g));
        const std::int32_t left = clampTo(e.moveOrigin.x + ix - e.cornerPoint.x, 0, width - e.moveExtentX - 1);
        const std::int32_t top = clampTo(e.moveOrigin.y + iy - e.cornerPoint.y, 0, height - e.moveExtentY - 1);
        if (left == r.left && top == r.top) return;
        // Each box is clamped against the other side as it stands, so the side moving ahead goes
        // first; otherwise a jump wider than the rectangle would change its size.
        if (left > r.left) {
            v.writeBox(kBoxRight, left + e.moveExtentX);
            v.writeBox(kBoxLeft, left);
        } else {
            v.writeBox(kBoxLeft, left);
            v.writeBox(kBoxRight, left + e.moveExtentX);
        }
        if (top > r.top) {
            v.writeBox(kBoxBottom, top + e.moveExtentY);
            v.writeBox(kBoxTop, top);
        } else {
            v.writeBox(kBoxTop, top);
            v.writeBox(kBoxBottom, top + e.moveExtentY);
        }
        break;
    }
    default: break;  // a press outside the rectangle drags nothing
    }
}

void dragCorner(TrimEditor& e, std::int32_t x, std::int32_t y) {
    const int q = quadIndexOfKind(e.handleKind);
    const double zoom = e.geometry->zoom;
    const TrimPoint handle = e.cornerHandles[q];
    const std::int32_t dx = static_cast<std::int32_t>(std::trunc((x - handle.x) / zoom));
    const std::int32_t dy = static_cast<std::int32_t>(std::trunc((y - handle.y) / zoom));
    if (dx == 0 && dy == 0) return;
    const std::int32_t nx = e.quad[q].x + dx, ny = e.quad[q].y + dy;
    if (!CornerMoveAllowed(e.quad, q, nx, ny)) return;
    e.quad[q] = {nx, ny};
    // The handle follows the mouse; the fraction lost by the truncation is not carried.
    e.cornerHandles[q] = {x, y};
    if (e.rectifiedPixels) e.view->postPreview(false);
}

}  // namespace

TrimPoint SplitByRatio(const TrimEditor& e, std::int64_t sum) {
    std::int64_t width, height;
    if (e.wideOutput) {
        height = RoundDiv((sum + 2) * outH(e), outW(e) + outH(e));
        width = height * outW(e) / outH(e);
    } else {
        width = RoundDiv((sum + 2) * outW(e), outW(e) + outH(e));
        height = width * outH(e) / outW(e);
    }
    return {static_cast<std::int32_t>(width - 1), static_cast<std::int32_t>(height - 1)};
}

void BuildShadeTable(std::uint8_t table[256], std::int32_t mode) {
    for (int i = 0; i < 256; ++i) {
        if (mode == 0 || mode == 128 || mode == 255)
            table[i] = static_cast<std::uint8_t>(mode);
        else
            table[i] = (mode > 0 && mode < 8) ? static_cast<std::uint8_t>(i >> mode) : 0;
    }
}

void BeginTrim(TrimEditor& e, const TrimImage& image) {
    e.sourceWidth = image.width;
    e.sourceHeight = image.height;
    e.sourcePixels = image.pixels;
    e.view->trimModeStarted();
    e.trimMode = 1;
    e.rectifiedPixels = nullptr;
    e.previewBusy = 0;
    e.selectedCorner = 0;
    e.view->enableGroup(ControlGroup::FileButtons, false);
    e.wideOutput = e.options->trimWidth >= e.options->trimHeight;
    BuildShadeTable(e.shadeTable, e.options->outsideShade);
    e.view->enableGroup(ControlGroup::CancelButton, true);
    e.view->enableGroup(ControlGroup::Panels, false);
    e.handleKind = kHandleNone;
    e.suspendAccelerators = true;
    e.keysArmed = true;
}

void StartTrimAt(TrimEditor& e, const TrimImage& image, std::int32_t x, std::int32_t y) {
    BeginTrim(e, image);
    const TrimPoint anchor = toImagePoint(*e.geometry, {x, y});
    e.trimRect = {anchor.x, anchor.y, anchor.x, anchor.y};
    e.screenRect = {x, y, x, y};
    e.cornerPoint = {-1, -1};  // no band drawn yet
}

void SettleRect(TrimEditor& e) {
    TrimView& v = *e.view;
    if (e.trimMode != 3) {
        e.trimMode = 3;
        v.enableGroup(ControlGroup::TrimBoxes, true);
        v.enableGroup(ControlGroup::ExecuteButton, true);
        v.enableGroup(ControlGroup::Panels, true);
    }
    e.suspendAccelerators = false;
    // Without any band (its corner always fell outside) the anchor alone is the rectangle.
    const TrimPoint corner = e.cornerPoint.x >= 0 ? e.cornerPoint : TrimPoint{e.screenRect.left, e.screenRect.top};
    const TrimPoint at = toImagePoint(*e.geometry, corner);
    const std::int32_t ax = e.trimRect.left, ay = e.trimRect.top;
    e.trimRect = {std::min(ax, at.x), std::min(ay, at.y), std::max(ax, at.x), std::max(ay, at.y)};
    updateScreenRect(e);
    setSpins(e, true);
    setSelectionSize(e, e.trimRect.right - e.trimRect.left + 1, e.trimRect.bottom - e.trimRect.top + 1);
    e.cornerPoint = centreOf(e.trimRect);

    e.rectifiedPixels = v.makeRectifiedCopy();
    IdentityQuad(e.quad, e.sourceWidth, e.sourceHeight);
    UpdateCornerHandles(e);
    if (e.rectifiedPixels) v.setPreviewPriority(true);
    // A failed copy leaves trim mode working without the perspective feature.
    v.enableGroup(ControlGroup::Perspective, e.rectifiedPixels != nullptr);
    v.repaint(true);
}

void HoverTrim(TrimEditor& e, std::int32_t x, std::int32_t y) {
    if (e.trimMode == 1 || e.trimMode == 2) {
        rubberBand(e, x, y);
        return;
    }
    if (e.trimMode != 3) return;
    if (e.rectifiedPixels) {
        static const std::int32_t order[4] = {kHandleCornerTopLeft, kHandleCornerTopRight, kHandleCornerBottomLeft,
                                              kHandleCornerBottomRight};
        for (std::int32_t kind : order) {
            const TrimPoint h = e.cornerHandles[quadIndexOfKind(kind)];
            if (std::abs(x - h.x) < kCornerReach && std::abs(y - h.y) < kCornerReach) {
                e.handleKind = kind;
                setCursorOnce(e, kCursorMove);
                return;
            }
        }
    }
    const TrimRect& s = e.screenRect;
    if (!(x > s.left - kBandWidth && x < s.right + kBandWidth && y > s.top - kBandWidth &&
          y < s.bottom + kBandWidth)) {
        e.handleKind = kHandleNone;
        setCursorOnce(e, kCursorArrow);
        return;
    }
    // Left and top bands are tested first, so they win in a narrow rectangle.
    const int column = x < s.left + kBandWidth ? 0 : (x > s.right - kBandWidth ? 2 : 1);
    const int row = y < s.top + kBandWidth ? 0 : (y > s.bottom - kBandWidth ? 2 : 1);
    static const std::int32_t kinds[3][3] = {
        {kHandleTopLeft, kHandleLeft, kHandleBottomLeft},
        {kHandleTop, kHandleMove, kHandleBottom},
        {kHandleTopRight, kHandleRight, kHandleBottomRight},
    };
    static const std::int32_t cursors[3][3] = {
        {kCursorDiagonalMain, kCursorLeftRight, kCursorDiagonalAnti},
        {kCursorUpDown, kCursorMove, kCursorUpDown},
        {kCursorDiagonalAnti, kCursorLeftRight, kCursorDiagonalMain},
    };
    e.handleKind = kinds[column][row];
    setCursorOnce(e, cursors[column][row]);
}

bool PressTrim(TrimEditor& e, std::int32_t x, std::int32_t y) {
    if (e.trimMode == 1) {
        // The second click settles; it counts as a move to its point first, in case none came.
        rubberBand(e, x, y);
        SettleRect(e);
        return false;
    }
    if (e.trimMode != 3) return false;
    const ViewGeometry& g = *e.geometry;
    const std::int32_t kind = e.handleKind;
    if (kind >= kHandleLeft && kind <= kHandleBottomLeft) {
        e.cornerPoint = centreOf(e.trimRect);
        e.trimMode = 4;
    } else if (kind == kHandleMove) {
        e.cornerPoint = toImagePoint(g, clampIntoShown(g, x, y));
        e.moveOrigin = {e.trimRect.left, e.trimRect.top};
        e.moveExtentX = e.trimRect.right - e.trimRect.left;
        e.moveExtentY = e.trimRect.bottom - e.trimRect.top;
        e.trimMode = 4;
    } else if (kind >= kHandleCornerTopLeft && kind <= kHandleCornerBottomLeft) {
        e.view->showDisplay(DisplaySource::Rectified);
        e.trimMode = 5;
        e.selectedCorner = kind - kHandleCornerTopLeft;
    } else {
        e.trimMode = 4;  // nothing to drag
    }
    e.view->repaint(false);
    e.suspendAccelerators = true;
    e.keysArmed = false;
    return true;
}

bool DragTrim(TrimEditor& e, std::int32_t x, std::int32_t y) {
    switch (e.trimMode) {
    case 1:
    case 2:
        rubberBand(e, x, y);
        if (e.trimMode == 1 && std::abs(x - e.screenRect.left) + std::abs(y - e.screenRect.top) >= kSizingDistance)
            e.trimMode = 2;
        return false;
    case 4: dragHandle(e, x, y); return true;
    case 5: dragCorner(e, x, y); return true;
    default: return false;
    }
}

void ReleaseTrim(TrimEditor& e) {
    switch (e.trimMode) {
    case 2: SettleRect(e); break;
    case 4:
        e.trimMode = 3;
        e.suspendAccelerators = false;
        e.keysArmed = true;
        setSpins(e, false);
        e.view->repaint(true);
        break;
    case 5:
        e.keysArmed = true;
        e.trimMode = 3;
        e.suspendAccelerators = false;
        e.view->postPreview(true);
        break;
    default: break;  // mode 1: click, move, click works as well as drag and release
    }
}

void MouseLeftView(TrimEditor& e) { e.cursorId = -1; }

void BoxChanged(TrimEditor& e, std::int32_t id, std::int32_t notification, std::int32_t value) {
    if (isTrimBox(id))
        EditChanged(e, id, notification, value);
    else if (id == kBoxOutputWidth || id == kBoxOutputHeight)
        OutputBoxChanged(e, id, notification, value);
}

void EditChanged(TrimEditor& e, std::int32_t id, std::int32_t notification, std::int32_t value) {
    if (e.trimMode == 0 || !isTrimBox(id)) return;
    const TrimRect& r = e.trimRect;
    switch (notification) {
    case kEditSetFocus:
        e.suspendAccelerators = true;
        e.view->closeInputMethod();
        if (e.trimMode < 3) break;  // cornerPoint still belongs to the rubber band
        if (id == kBoxLeft || id == kBoxRight)
            e.cornerPoint.y = (r.top + r.bottom) >> 1;
        else
            e.cornerPoint.x = (r.left + r.right) >> 1;
        break;
    case kEditKillFocus: {
        if (e.trimMode < 3) break;  // the boxes hold nothing before the rectangle settles
        {
            QuietEdits quiet(e);
            e.view->writeBox(id, coordinate(e, id));
        }
        e.suspendAccelerators = false;
        switch (id) {
        case kBoxLeft: e.view->setSpinRange(kSpinRight, r.left, e.sourceWidth - 1); break;
        case kBoxTop: e.view->setSpinRange(kSpinBottom, r.top, e.sourceHeight - 1); break;
        case kBoxRight: e.view->setSpinRange(kSpinLeft, 0, r.right); break;
        default: e.view->setSpinRange(kSpinTop, 0, r.bottom); break;
        }
        break;
    }
    case kEditUpdate: {
        if (!e.editsLive || e.trimMode < 3) break;
        std::int32_t v;
        switch (id) {
        case kBoxLeft: v = clampTo(value, 0, r.right); break;
        case kBoxTop: v = clampTo(value, 0, r.bottom); break;
        case kBoxRight: v = clampTo(value, r.left, e.sourceWidth - 1); break;
        default: v = clampTo(value, r.top, e.sourceHeight - 1); break;
        }
        if (v == coordinate(e, id)) break;
        // Corner and move drags already keep the ratio; they store their values as they come.
        const bool dragging = e.trimMode == 4 || e.trimMode == 5;
        if (dragging && e.handleKind > kHandleBottom)
            SetCoordinate(e, id, v);
        else if (id == kBoxLeft || id == kBoxRight)
            SetWidthKeepingRatio(e, id, v);
        else
            SetHeightKeepingRatio(e, id, v);
        break;
    }
    default: break;
    }
}

void SetCoordinate(TrimEditor& e, std::int32_t id, std::int32_t value) {
    const ViewGeometry& g = *e.geometry;
    const TrimRect oldScreen = e.screenRect;
    switch (id) {
    case kBoxLeft:
        e.trimRect.left = value;
        e.screenRect.left = ScreenX(g, value, 0);
        break;
    case kBoxTop:
        e.trimRect.top = value;
        e.screenRect.top = ScreenY(g, value, 0);
        break;
    case kBoxRight:
        e.trimRect.right = value;
        e.screenRect.right = ScreenX(g, value, 1);
        break;
    case kBoxBottom:
        e.trimRect.bottom = value;
        e.screenRect.bottom = ScreenY(g, value, 1);
        break;
    default: return;
    }
    const bool moveDrag = e.trimMode == 4 && e.handleKind == kHandleMove;
    if (!moveDrag)
        setSelectionSize(e, e.trimRect.right - e.trimRect.left + 1, e.trimRect.bottom - e.trimRect.top + 1);
    if (e.trimMode == 3) {
        e.view->repaint(true);
    } else if (e.trimMode == 4) {
        e.view->xorOutline(oldScreen);
        e.view->xorOutline(e.screenRect);
    }
}

namespace {

// The side of the other axis that follows a new width (or height): centred on the reference point,
// pushed back inside the image. False when it cannot fit.
bool followingSpan(double needed, std::int32_t centre, std::int32_t limit, std::int32_t& low, std::int32_t& high) {
    if (needed > limit) return false;
    const std::int32_t size = roundToInt(needed);
    low = (size >> 1) + centre - size;
    high = centre + (size >> 1) - 1;
    if (low < 0) {
        low = 0;
        high = size - 1;
    }
    if (high >= limit) {
        low += limit - high - 1;
        high = limit - 1;
    }
    return low >= 0;
}

void keepRatio(TrimEditor& e, std::int32_t id, std::int32_t value, bool horizontal) {
    if (!e.editsLive) return;
    const TrimRect r = e.trimRect;
    std::int32_t low, high;
    bool fits;
    if (horizontal) {
        const std::int32_t newWidth = id == kBoxLeft ? r.right - value + 1 : value - r.left + 1;
        const double needed = static_cast<double>(newWidth) * outH(e) / outW(e);
        fits = followingSpan(needed, e.cornerPoint.y, e.sourceHeight, low, high);
    } else {
        const std::int32_t newHeight = id == kBoxTop ? r.bottom - value + 1 : value - r.top + 1;
        const double needed = static_cast<double>(newHeight) * outW(e) / outH(e);
        fits = followingSpan(needed, e.cornerPoint.x, e.sourceWidth, low, high);
    }
    if (!fits) {
        // Put the old value back; its own notification then finds no change.
        e.view->writeBox(id, coordinate(e, id));
        return;
    }
    SetCoordinate(e, id, value);
    const std::int32_t lowBox = horizontal ? kBoxTop : kBoxLeft;
    const std::int32_t highBox = horizontal ? kBoxBottom : kBoxRight;
    const std::int32_t limit = horizontal ? e.sourceHeight : e.sourceWidth;
    e.editsLive = false;
    const std::int32_t newLow = std::min(low, coordinate(e, highBox));
    e.view->writeBox(lowBox, newLow);
    SetCoordinate(e, lowBox, newLow);
    const std::int32_t newHigh = high >= newLow ? std::min(high, limit - 1) : newLow;
    e.view->writeBox(highBox, newHigh);
    SetCoordinate(e, highBox, newHigh);
    e.editsLive = true;
}

}  // namespace

void SetWidthKeepingRatio(TrimEditor& e, std::int32_t id, std::int32_t value) { keepRatio(e, id, value, true); }

void SetHeightKeepingRatio(TrimEditor& e, std::int32_t id, std::int32_t value) { keepRatio(e, id, value, false); }

void OutputSizeChanged(TrimEditor& e) {
    if (e.trimMode == 0) return;
    e.wideOutput = e.options->trimWidth >= e.options->trimHeight;
    // Before the rectangle settles only the ratio matters (the band uses it).
    if (e.trimMode < 3) return;
    const TrimRect r = e.trimRect;
    const std::int32_t width = e.sourceWidth, height = e.sourceHeight;
    const TrimPoint s = SplitByRatio(e, std::int64_t{r.right - r.left} + (r.bottom - r.top));
    std::int32_t w = s.x + 1, h = s.y + 1;
    if (w > width) {
        w = width;
        h = roundToInt(static_cast<double>(width) / outW(e) * outH(e));
    }
    if (h > height) {
        h = height;
        w = roundToInt(static_cast<double>(height) / outH(e) * outW(e));
    }
    // An extreme ratio can round a side to nothing; the rectangle keeps at least one pixel.
    w = clampTo(w, 1, width);
    h = clampTo(h, 1, height);
    TrimRect n;
    n.left = clampTo(r.left + ((r.right - r.left + 1 - w + 1) >> 1), 0, width - w);
    n.right = n.left + w - 1;
    n.top = clampTo(r.top + ((r.bottom - r.top + 1 - h + 1) >> 1), 0, height - h);
    n.bottom = n.top + h - 1;
    e.trimRect = n;
    updateScreenRect(e);
    {
        QuietEdits quiet(e);
        e.view->writeBox(kBoxLeft, n.left);
        e.view->writeBox(kBoxTop, n.top);
        e.view->writeBox(kBoxRight, n.right);
        e.view->writeBox(kBoxBottom, n.bottom);
    }
    // The spin limits depend on the opposite sides, which moved.
    setSpins(e, false);
    setSelectionSize(e, w, h);
    e.view->repaint(true);
}

void OutputBoxChanged(TrimEditor& e, std::int32_t id, std::int32_t notification, std::int32_t value) {
    std::int32_t& stored = id == kBoxOutputWidth ? e.options->trimWidth : e.options->trimHeight;
    switch (notification) {
    case kEditSetFocus:
        e.suspendAccelerators = true;
        e.view->closeInputMethod();
        break;
    case kEditKillFocus: {
        e.suspendAccelerators = false;
        QuietEdits quiet(e);
        e.view->writeBox(id, stored);
        break;
    }
    case kEditUpdate:
        stored = value <= 0 ? 1 : std::min(value, kOutputMax);
        if (e.editsLive && e.trimMode != 0) OutputSizeChanged(e);
        break;
    default: break;
    }
}

bool ApplyPreset(TrimEditor& e, std::int32_t index) {
    if (index < 0 || index > 7) return false;
    const std::int32_t w = e.options->presetWidth[index], h = e.options->presetHeight[index];
    if (w <= 0 || h <= 0) return false;
    {
        QuietEdits quiet(e);
        e.view->writeBox(kBoxOutputWidth, w);
        e.view->writeBox(kBoxOutputHeight, h);
    }
    if (e.trimMode != 0) OutputSizeChanged(e);
    return true;
}

bool FitLargest(TrimEditor& e, const TrimImage& image) {
    if (e.trimMode == 0) {
        if (image.width <= 0 || image.height <= 0) return false;
        BeginTrim(e, image);
    } else if (e.trimMode != 3) {
        return false;
    }
    const std::int32_t width = e.sourceWidth, height = e.sourceHeight;
    const double across = static_cast<double>(width) / outW(e);
    const double down = static_cast<double>(height) / outH(e);
    std::int32_t w, h;
    if (down > across) {
        w = width;
        h = roundToInt(outH(e) * across);
    } else {
        w = roundToInt(outW(e) * down);
        h = height;
    }
    w = clampTo(w, 1, width);
    h = clampTo(h, 1, height);
    const std::int32_t left = (width - w) >> 1, top = (height - h) >> 1;
    const ViewGeometry& g = *e.geometry;
    e.trimRect.left = left;
    e.trimRect.top = top;
    // The far corner goes through the screen, so at reduced zoom it takes the view's rounding.
    e.cornerPoint = clampIntoShown(g, ScreenX(g, left + w - 1, 1), ScreenY(g, top + h - 1, 1));
    SettleRect(e);
    return true;
}

void UpdateCornerHandles(TrimEditor& e) {
    const ViewGeometry& g = *e.geometry;
    const TrimPoint* q = e.quad;
    e.cornerHandles[kQuadTopLeft] = {ScreenX(g, q[kQuadTopLeft].x, 0), ScreenY(g, q[kQuadTopLeft].y, 0)};
    e.cornerHandles[kQuadTopRight] = {ScreenX(g, q[kQuadTopRight].x, 1), ScreenY(g, q[kQuadTopRight].y, 0)};
    e.cornerHandles[kQuadBottomLeft] = {ScreenX(g, q[kQuadBottomLeft].x, 0), ScreenY(g, q[kQuadBottomLeft].y, 1)};
    e.cornerHandles[kQuadBottomRight] = {ScreenX(g, q[kQuadBottomRight].x, 1),
                                         ScreenY(g, q[kQuadBottomRight].y, 1)};
}

void UpdateScreenGeometry(TrimEditor& e) {
    if (e.trimMode < 3) return;
    updateScreenRect(e);
    UpdateCornerHandles(e);
}

WideString TrimTitle(const TrimEditor& e, const char16_t* text20018, const char16_t* text20030,
                     const char16_t* text20031) {
    auto appendText = [](WideString& out, const char16_t* text) {
        std::uint32_t n = 0;
        while (text && n < 127 && text[n]) ++n;
        if (n) out.append(text, n);
    };
    WideString title;
    appendText(title, text20018);
    title.append(u"  ");
    appendText(title, text20030);
    title.appendInt(e.selWidth);
    title.append(u" ");
    appendText(title, text20031);
    title.appendInt(e.selHeight);
    return title;
}

std::int32_t TrimKeyCommand(const TrimEditor& e, std::uint32_t virtualKey, bool keyDown, bool mainWindowEnabled,
                            bool& swallow) {
    constexpr std::uint32_t kReturn = 0x0D, kEscape = 0x1B;
    swallow = false;
    if (!e.keysArmed || !keyDown || !mainWindowEnabled) return 0;
    std::int32_t command = 0;
    if (virtualKey == kReturn && e.trimMode == 3) command = kCommandExecute;
    if (virtualKey == kEscape && e.trimMode != 0) command = kCommandCancel;
    swallow = command != 0;
    return command;
}

OutputSteps PlanOutput(const TrimEditor& e) {
    OutputSteps steps;
    const TrimRect& r = e.trimRect;
    steps.perspective = e.rectifiedPixels && !IsIdentityQuad(e.quad, e.sourceWidth, e.sourceHeight);
    steps.crop = !(r == TrimRect{0, 0, e.sourceWidth - 1, e.sourceHeight - 1});
    steps.resize = r.right - r.left + 1 != e.options->trimWidth || r.bottom - r.top + 1 != e.options->trimHeight;
    steps.sharpen = e.options->sharpen && e.options->trimWidth > 4 && e.options->trimHeight > 4;
    return steps;
}

bool Execute(TrimEditor& e, OutputSteps& steps) {
    if (e.trimMode != 3) return false;
    e.view->setPreviewPriority(false);
    steps = PlanOutput(e);
    return true;
}

bool Cancel(TrimEditor& e) {
    if (e.trimMode == 0) return false;
    e.view->setPreviewPriority(false);
    EndTrim(e);
    return true;
}

void EndTrim(TrimEditor& e) {
    TrimView& v = *e.view;
    const bool settled = e.trimMode >= 3;
    v.waitForPreview();
    v.releaseRectifiedCopy();
    e.rectifiedPixels = nullptr;
    v.enableGroup(ControlGroup::FileButtons, true);
    v.enableGroup(ControlGroup::TrimBoxes, false);
    v.enableGroup(ControlGroup::ExecuteButton, false);
    v.enableGroup(ControlGroup::CancelButton, false);
    // Settled trims re-enabled the panels already and may have enabled the perspective buttons;
    // that includes a cancel in the middle of a drag (modes 4 and 5).
    if (settled)
        v.enableGroup(ControlGroup::Perspective, false);
    else
        v.enableGroup(ControlGroup::Panels, true);
    v.trimModeEnded();
    e.trimMode = 0;
    e.handleKind = kHandleNone;
    e.cornerPoint = {-1, -1};
    e.keysArmed = false;
    e.suspendAccelerators = false;
}

bool PerspectiveCommand(TrimEditor& e, std::int32_t command) {
    if (e.trimMode != 3 || !e.rectifiedPixels) return false;
    if (command == kCommandPerspectiveReset) {
        if (IsIdentityQuad(e.quad, e.sourceWidth, e.sourceHeight)) return true;
        IdentityQuad(e.quad, e.sourceWidth, e.sourceHeight);
        UpdateScreenGeometry(e);
        e.view->waitForPreview();
        const std::size_t bytes =
            std::size_t{rowStride(static_cast<std::uint32_t>(e.sourceWidth), 24)} * std::uint32_t(e.sourceHeight);
        std::memcpy(e.rectifiedPixels, e.sourcePixels, bytes);
        e.view->repaint(true);
        return true;
    }
    TrimPoint& corner = e.quad[quadIndexOfSelected(e.selectedCorner)];
    switch (command) {
    case kCommandCornerLeft: --corner.x; break;
    case kCommandCornerRight: ++corner.x; break;
    case kCommandCornerUp: --corner.y; break;
    case kCommandCornerDown: ++corner.y; break;
    default: return false;
    }
    // Nudges are not checked: the quad may turn non-convex and still renders.
    e.view->postPreview(true);
    return true;
}

void RunPreviewRender(TrimEditor& e) {
    e.previewBusy = 1;
    if (e.rectifiedPixels && e.sourcePixels) {
        TrimPoint quad[4];
        std::copy(e.quad, e.quad + 4, quad);
        RenderPreview(SolvePerspective(quad, e.sourceWidth, e.sourceHeight), e.sourcePixels, e.rectifiedPixels,
                      e.sourceWidth, e.sourceHeight);
    }
    UpdateCornerHandles(e);
    e.previewBusy = 0;
}

void PreviewFinished(TrimEditor& e) {
    e.view->showDisplay(DisplaySource::Shaded);
    e.view->repaint(true);
}

bool RenderPerspectiveForOutput(TrimEditor& e, const TrimRect* region) {
    if (!e.rectifiedPixels || !e.sourcePixels) return false;
    e.view->waitForPreview();
    RenderFinal(SolvePerspective(e.quad, e.sourceWidth, e.sourceHeight), e.sourcePixels, e.rectifiedPixels,
                e.sourceWidth, e.sourceHeight, region);
    return true;
}
