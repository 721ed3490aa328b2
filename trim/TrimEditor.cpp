// The mode machine of the trim session: starting, the rubber band, settling, hover, press, drag and
// release, execute, cancel and the end of a trim.
#include "trim/TrimEditor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "codecs/ImageData.h"
#include "trim/TrimEditorSteps.h"

namespace {

constexpr std::int32_t kSizingDistance = 17;  // Manhattan distance that turns a click into a drag

std::int32_t clampTo(std::int32_t value, std::int32_t low, std::int32_t high) {
    return std::max(low, std::min(value, high));
}

void setCursorOnce(TrimEditor& e, std::int32_t id) {
    if (e.cursorId == id) return;
    e.cursorId = id;
    e.view->setCursor(id);
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

// The rubber band while banding: from the anchor towards the mouse's quadrant, at the ratio.
void rubberBand(TrimEditor& e, std::int32_t x, std::int32_t y) {
    const ViewGeometry& g = *e.geometry;
    const TrimPoint m = clampIntoShown(g, x, y);
    const TrimPoint at = toImagePoint(g, m);
    const std::int32_t ax = e.trimRect.left, ay = e.trimRect.top;
    const BandSize band = RubberBandSize(e.ratio(), std::int64_t{std::abs(at.y - ay)} + std::abs(at.x - ax) + 2);
    const std::int64_t w = band.width, h = band.height;
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

// A handle drag writes the boxes; their change notifications apply the values.
void dragHandle(TrimEditor& e, std::int32_t x, std::int32_t y) {
    using namespace control;
    const ViewGeometry& g = *e.geometry;
    const TrimRect r = e.trimRect;
    const std::int32_t width = e.sourceWidth, height = e.sourceHeight;
    const std::int32_t rightBias = g.viewW - g.srcW, bottomBias = g.viewH - g.srcH;
    TrimView& v = *e.view;
    switch (e.handleKind) {
    case HandleKind::Left: v.writeBox(kBoxLeft, std::min(ImageX(g, x, 0), r.right)); break;
    case HandleKind::Top: v.writeBox(kBoxTop, std::min(ImageY(g, y, 0), r.bottom)); break;
    case HandleKind::Right: v.writeBox(kBoxRight, clampTo(ImageX(g, x, rightBias), r.left, width - 1)); break;
    case HandleKind::Bottom: v.writeBox(kBoxBottom, clampTo(ImageY(g, y, bottomBias), r.top, height - 1)); break;
    case HandleKind::TopLeft: {
        const std::int32_t ix = ImageX(g, x, 0), iy = ImageY(g, y, 0);
        const TrimPoint s = SplitByRatio(e, std::int64_t{r.right - ix} + (r.bottom - iy));
        const std::int32_t left = r.right - s.x, top = r.bottom - s.y;
        if (left < 0 || top < 0) return;
        const std::int32_t newLeft = clampTo(left, 0, r.right);
        if (newLeft != r.left) v.writeBox(kBoxLeft, newLeft);
        v.writeBox(kBoxTop, clampTo(top, 0, e.trimRect.bottom));
        break;
    }
    case HandleKind::TopRight: {
        const std::int32_t ix = ImageX(g, x, rightBias), iy = ImageY(g, y, 0);
        const TrimPoint s = SplitByRatio(e, std::int64_t{ix - r.left} + (r.bottom - iy));
        const std::int32_t right = r.left + s.x, top = r.bottom - s.y;
        if (right >= width || top < 0) return;
        // Clamped as the boxes would clamp them, so that they show what is stored.
        v.writeBox(kBoxRight, std::max(right, r.left));
        v.writeBox(kBoxTop, std::min(top, r.bottom));
        break;
    }
    case HandleKind::BottomRight: {
        const std::int32_t ix = ImageX(g, x, rightBias), iy = ImageY(g, y, bottomBias);
        const TrimPoint s = SplitByRatio(e, std::int64_t{ix - r.left} + (iy - r.top));
        const std::int32_t right = r.left + s.x, bottom = r.top + s.y;
        if (right >= width || bottom >= height) return;
        v.writeBox(kBoxRight, std::max(right, r.left));
        v.writeBox(kBoxBottom, std::max(bottom, r.top));
        break;
    }
    case HandleKind::BottomLeft: {
        const std::int32_t ix = ImageX(g, x, 0), iy = ImageY(g, y, bottomBias);
        const TrimPoint s = SplitByRatio(e, std::int64_t{r.right - ix} + (iy - r.top));
        const std::int32_t left = r.right - s.x, bottom = r.top + s.y;
        if (left < 0 || bottom >= height) return;
        v.writeBox(kBoxLeft, std::min(left, r.right));
        v.writeBox(kBoxBottom, std::max(bottom, r.top));
        break;
    }
    case HandleKind::Move: {
        const std::int32_t ix = ImageXUnclamped(g, x, CentringBiasX(g));
        const std::int32_t iy = ImageYUnclamped(g, y, CentringBiasY(g));
        const std::int32_t left = MovedEdge(e.moveOrigin.x, ix - e.cornerPoint.x, e.moveExtentX, width);
        const std::int32_t top = MovedEdge(e.moveOrigin.y, iy - e.cornerPoint.y, e.moveExtentY, height);
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

// The end of a handle or corner drag: adjusting again, keys back.
void endDrag(TrimEditor& e) {
    e.trimMode = TrimMode::Adjusting;
    e.suspendAccelerators = false;
    e.keysArmed = true;
}

}  // namespace

OutputRatio TrimEditor::ratio() const {
    OutputRatio r = RatioOf(options->trimWidth, options->trimHeight);
    r.wide = wideOutput;
    return r;
}

TrimPoint SplitByRatio(const TrimEditor& e, std::int64_t sum) { return SplitByRatio(e.ratio(), sum); }

void FieldFocusChanged(TrimEditor& e, bool focused) { e.suspendAccelerators = focused; }

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
    e.trimMode = TrimMode::Anchored;
    e.previewFinishWanted = false;
    e.selectedCorner = 0;
    e.view->enableGroup(ControlGroup::FileButtons, false);
    e.wideOutput = e.options->trimWidth >= e.options->trimHeight;
    BuildShadeTable(e.shadeTable, e.options->outsideShade);
    e.view->enableGroup(ControlGroup::CancelButton, true);
    e.view->enableGroup(ControlGroup::Panels, false);
    e.handleKind = HandleKind::None;
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
    if (e.trimMode != TrimMode::Adjusting) {
        e.trimMode = TrimMode::Adjusting;
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
    e.cornerPoint = CentreOf(e.trimRect);

    makeRectified(e);
    IdentityQuad(e.quad, e.sourceWidth, e.sourceHeight);
    UpdateCornerHandles(e);
    if (e.rectified) v.setPreviewPriority(true);
    // A failed copy leaves trim mode working without the perspective feature.
    v.enableGroup(ControlGroup::Perspective, static_cast<bool>(e.rectified));
    v.repaint(true);
}

void HoverTrim(TrimEditor& e, std::int32_t x, std::int32_t y) {
    if (banding(e.trimMode)) {
        rubberBand(e, x, y);
        return;
    }
    if (e.trimMode != TrimMode::Adjusting) return;
    const TrimHit hit = HitTrim(e.screenRect, e.rectified ? e.cornerHandles : nullptr, x, y);
    e.handleKind = hit.kind;
    setCursorOnce(e, hit.cursorId);
}

bool PressTrim(TrimEditor& e, std::int32_t x, std::int32_t y) {
    if (e.trimMode == TrimMode::Anchored) {
        // The second click settles; it counts as a move to its point first, in case none came.
        rubberBand(e, x, y);
        SettleRect(e);
        return false;
    }
    if (e.trimMode != TrimMode::Adjusting) return false;
    const ViewGeometry& g = *e.geometry;
    const HandleKind kind = e.handleKind;
    if (sizesRectangle(kind)) {
        e.cornerPoint = CentreOf(e.trimRect);
        e.trimMode = TrimMode::HandleDrag;
    } else if (kind == HandleKind::Move) {
        e.cornerPoint = toImagePoint(g, clampIntoShown(g, x, y));
        e.moveOrigin = {e.trimRect.left, e.trimRect.top};
        e.moveExtentX = e.trimRect.right - e.trimRect.left;
        e.moveExtentY = e.trimRect.bottom - e.trimRect.top;
        e.trimMode = TrimMode::HandleDrag;
    } else if (isPerspectiveCorner(kind)) {
        pressCorner(e, kind);
    } else {
        e.trimMode = TrimMode::HandleDrag;  // nothing to drag
    }
    e.view->repaint(false);
    e.suspendAccelerators = true;
    e.keysArmed = false;
    return true;
}

bool DragTrim(TrimEditor& e, std::int32_t x, std::int32_t y) {
    switch (e.trimMode) {
    case TrimMode::Anchored:
    case TrimMode::Sizing:
        rubberBand(e, x, y);
        if (e.trimMode == TrimMode::Anchored &&
            std::abs(x - e.screenRect.left) + std::abs(y - e.screenRect.top) >= kSizingDistance)
            e.trimMode = TrimMode::Sizing;
        return false;
    case TrimMode::HandleDrag: dragHandle(e, x, y); return true;
    case TrimMode::CornerDrag: dragCorner(e, x, y); return true;
    default: return false;
    }
}

void ReleaseTrim(TrimEditor& e) {
    switch (e.trimMode) {
    case TrimMode::Sizing: SettleRect(e); break;
    case TrimMode::HandleDrag:
        endDrag(e);
        setSpins(e, false);
        e.view->repaint(true);
        break;
    case TrimMode::CornerDrag:
        endDrag(e);
        postPreview(e, true);
        break;
    default: break;  // anchored: click, move, click works as well as drag and release
    }
}

void MouseLeftView(TrimEditor& e) { e.cursorId = -1; }

bool FitLargest(TrimEditor& e, const TrimImage& image) {
    if (e.trimMode == TrimMode::Idle) {
        if (image.width <= 0 || image.height <= 0) return false;
        BeginTrim(e, image);
    } else if (e.trimMode != TrimMode::Adjusting) {
        return false;
    }
    const TrimRect r = LargestCentred(e.sourceWidth, e.sourceHeight, e.ratio());
    const ViewGeometry& g = *e.geometry;
    e.trimRect.left = r.left;
    e.trimRect.top = r.top;
    // The far corner goes through the screen, so at reduced zoom it takes the view's rounding.
    e.cornerPoint = clampIntoShown(g, ScreenX(g, r.right, 1), ScreenY(g, r.bottom, 1));
    SettleRect(e);
    return true;
}

void UpdateScreenGeometry(TrimEditor& e) {
    if (!settled(e.trimMode)) return;
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
    if (virtualKey == kReturn && e.trimMode == TrimMode::Adjusting) command = command::kTrimExecute;
    if (virtualKey == kEscape && active(e.trimMode)) command = command::kTrimCancel;
    swallow = command != 0;
    return command;
}

OutputSteps PlanOutput(const TrimRect& r, const TrimPoint* quad, std::int32_t width, std::int32_t height,
                       const TrimOptions& options) {
    OutputSteps steps;
    steps.perspective = quad && !IsIdentityQuad(quad, width, height);
    steps.crop = !(r == TrimRect{0, 0, width - 1, height - 1});
    steps.resize = r.right - r.left + 1 != options.trimWidth || r.bottom - r.top + 1 != options.trimHeight;
    steps.sharpen = options.sharpen && options.trimWidth > 4 && options.trimHeight > 4;
    return steps;
}

OutputSteps PlanOutput(const TrimEditor& e) {
    return PlanOutput(e.trimRect, e.rectified ? e.quad : nullptr, e.sourceWidth, e.sourceHeight, *e.options);
}

bool Execute(TrimEditor& e, OutputSteps& steps) {
    if (e.trimMode != TrimMode::Adjusting) return false;
    e.view->setPreviewPriority(false);
    steps = PlanOutput(e);
    return true;
}

TrimSelection TakeSelection(TrimEditor& e) {
    TrimSelection selection;
    selection.rect = e.trimRect;
    if (e.rectified) {
        e.view->waitForPreview();
        selection.quad = e.quad;
        selection.rectified = e.rectified.data();
    }
    return selection;
}

bool Cancel(TrimEditor& e) {
    if (e.trimMode == TrimMode::Idle) return false;
    e.view->setPreviewPriority(false);
    EndTrim(e);
    return true;
}

void EndTrim(TrimEditor& e) {
    TrimView& v = *e.view;
    const bool wasSettled = settled(e.trimMode);
    releaseRectified(e);
    v.enableGroup(ControlGroup::FileButtons, true);
    v.enableGroup(ControlGroup::TrimBoxes, false);
    v.enableGroup(ControlGroup::ExecuteButton, false);
    v.enableGroup(ControlGroup::CancelButton, false);
    // Settled trims re-enabled the panels already and may have enabled the perspective buttons;
    // that includes a cancel in the middle of a drag.
    if (wasSettled)
        v.enableGroup(ControlGroup::Perspective, false);
    else
        v.enableGroup(ControlGroup::Panels, true);
    v.trimModeEnded();
    e.trimMode = TrimMode::Idle;
    e.handleKind = HandleKind::None;
    e.cornerPoint = {-1, -1};
    e.keysArmed = false;
    e.suspendAccelerators = false;
    e.previewFinishWanted = false;
}
