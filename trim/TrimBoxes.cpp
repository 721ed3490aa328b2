// The number-box protocol: the four trim boxes and the two output-size boxes are the one path for
// changes to the rectangle and the output size. A drag or a command writes a box; the box's change
// notification lands here and applies the value through the ratio rules.
#include <algorithm>

#include "trim/TrimEditorSteps.h"

namespace {

constexpr std::int32_t kOutputMax = 9999;

Side sideOfBox(std::int32_t id) {
    switch (id) {
    case control::kBoxLeft: return Side::Left;
    case control::kBoxTop: return Side::Top;
    case control::kBoxRight: return Side::Right;
    default: return Side::Bottom;
    }
}

std::int32_t boxOfSide(Side side) {
    switch (side) {
    case Side::Left: return control::kBoxLeft;
    case Side::Top: return control::kBoxTop;
    case Side::Right: return control::kBoxRight;
    case Side::Bottom: return control::kBoxBottom;
    }
    return control::kBoxBottom;
}

std::int32_t coordinate(const TrimEditor& e, std::int32_t id) { return SideOf(e.trimRect, sideOfBox(id)); }

// A new width (or height) typed or dragged into a box: the other axis follows, or the old value
// is put back (its own notification then finds no change).
void keepRatio(TrimEditor& e, std::int32_t id, std::int32_t value) {
    if (!e.editsLive) return;
    const Side side = sideOfBox(id);
    const auto next = KeepRatio(e.trimRect, side, value, e.cornerPoint, e.sourceWidth, e.sourceHeight, e.ratio());
    if (!next) {
        e.view->writeBox(id, coordinate(e, id));
        return;
    }
    SetCoordinate(e, id, value);
    const Side low = horizontal(side) ? Side::Top : Side::Left;
    const Side high = horizontal(side) ? Side::Bottom : Side::Right;
    QuietEdits quiet(e.editsLive);
    for (const Side follow : {low, high}) {
        const std::int32_t box = boxOfSide(follow);
        e.view->writeBox(box, SideOf(*next, follow));
        SetCoordinate(e, box, SideOf(*next, follow));
    }
}

}  // namespace

void updateScreenRect(TrimEditor& e) {
    const ViewGeometry& g = *e.geometry;
    e.screenRect = {ScreenX(g, e.trimRect.left, 0), ScreenY(g, e.trimRect.top, 0), ScreenX(g, e.trimRect.right, 1),
                    ScreenY(g, e.trimRect.bottom, 1)};
}

void setSpins(TrimEditor& e, bool positions) {
    using namespace control;
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

void BoxChanged(TrimEditor& e, std::int32_t id, std::int32_t notification, std::int32_t value) {
    if (control::isTrimBox(id))
        EditChanged(e, id, notification, value);
    else if (control::isOutputSizeBox(id))
        OutputBoxChanged(e, id, notification, value);
}

void EditChanged(TrimEditor& e, std::int32_t id, std::int32_t notification, std::int32_t value) {
    using namespace control;
    if (!active(e.trimMode) || !isTrimBox(id)) return;
    const TrimRect& r = e.trimRect;
    switch (notification) {
    case kEditSetFocus:
        FieldFocusChanged(e, true);
        e.view->closeInputMethod();
        if (!settled(e.trimMode)) break;  // cornerPoint still belongs to the rubber band
        if (horizontal(sideOfBox(id)))
            e.cornerPoint.y = (r.top + r.bottom) >> 1;
        else
            e.cornerPoint.x = (r.left + r.right) >> 1;
        break;
    case kEditKillFocus: {
        if (!settled(e.trimMode)) break;  // the boxes hold nothing before the rectangle settles
        {
            QuietEdits quiet(e.editsLive);
            e.view->writeBox(id, coordinate(e, id));
        }
        FieldFocusChanged(e, false);
        // The opposite up-down's range depends on this side.
        switch (id) {
        case kBoxLeft: e.view->setSpinRange(kSpinRight, r.left, e.sourceWidth - 1); break;
        case kBoxTop: e.view->setSpinRange(kSpinBottom, r.top, e.sourceHeight - 1); break;
        case kBoxRight: e.view->setSpinRange(kSpinLeft, 0, r.right); break;
        default: e.view->setSpinRange(kSpinTop, 0, r.bottom); break;
        }
        break;
    }
    case kEditUpdate: {
        if (!e.editsLive || !settled(e.trimMode)) break;
        const Side side = sideOfBox(id);
        const std::int32_t v = ClampSide(r, side, value, e.sourceWidth, e.sourceHeight);
        if (v == SideOf(r, side)) break;
        // Corner and move drags already keep the ratio; they store their values as they come.
        if (dragging(e.trimMode) && keepsRatioItself(e.handleKind))
            SetCoordinate(e, id, v);
        else if (horizontal(side))
            SetWidthKeepingRatio(e, id, v);
        else
            SetHeightKeepingRatio(e, id, v);
        break;
    }
    default: break;
    }
}

void SetCoordinate(TrimEditor& e, std::int32_t id, std::int32_t value) {
    if (!control::isTrimBox(id)) return;
    const ViewGeometry& g = *e.geometry;
    const TrimRect oldScreen = e.screenRect;
    const Side side = sideOfBox(id);
    SetSide(e.trimRect, side, value);
    switch (side) {
    case Side::Left: e.screenRect.left = ScreenX(g, value, 0); break;
    case Side::Top: e.screenRect.top = ScreenY(g, value, 0); break;
    case Side::Right: e.screenRect.right = ScreenX(g, value, 1); break;
    case Side::Bottom: e.screenRect.bottom = ScreenY(g, value, 1); break;
    }
    const bool moveDrag = e.trimMode == TrimMode::HandleDrag && e.handleKind == HandleKind::Move;
    if (!moveDrag)
        setSelectionSize(e, e.trimRect.right - e.trimRect.left + 1, e.trimRect.bottom - e.trimRect.top + 1);
    if (e.trimMode == TrimMode::Adjusting) {
        e.view->repaint(true);
    } else if (e.trimMode == TrimMode::HandleDrag) {
        e.view->xorOutline(oldScreen);
        e.view->xorOutline(e.screenRect);
    }
}

void SetWidthKeepingRatio(TrimEditor& e, std::int32_t id, std::int32_t value) { keepRatio(e, id, value); }

void SetHeightKeepingRatio(TrimEditor& e, std::int32_t id, std::int32_t value) { keepRatio(e, id, value); }

void OutputSizeChanged(TrimEditor& e) {
    using namespace control;
    if (!active(e.trimMode)) return;
    e.wideOutput = e.options->trimWidth >= e.options->trimHeight;
    // Before the rectangle settles only the ratio matters (the band uses it).
    if (!settled(e.trimMode)) return;
    const TrimRect n = RefitToRatio(e.trimRect, e.sourceWidth, e.sourceHeight, e.ratio());
    e.trimRect = n;
    updateScreenRect(e);
    {
        QuietEdits quiet(e.editsLive);
        e.view->writeBox(kBoxLeft, n.left);
        e.view->writeBox(kBoxTop, n.top);
        e.view->writeBox(kBoxRight, n.right);
        e.view->writeBox(kBoxBottom, n.bottom);
    }
    // The spin limits depend on the opposite sides, which moved.
    setSpins(e, false);
    setSelectionSize(e, n.right - n.left + 1, n.bottom - n.top + 1);
    e.view->repaint(true);
}

void OutputBoxChanged(TrimEditor& e, std::int32_t id, std::int32_t notification, std::int32_t value) {
    std::int32_t& stored = id == control::kWidthBox ? e.options->trimWidth : e.options->trimHeight;
    switch (notification) {
    case kEditSetFocus:
        FieldFocusChanged(e, true);
        e.view->closeInputMethod();
        break;
    case kEditKillFocus: {
        FieldFocusChanged(e, false);
        QuietEdits quiet(e.editsLive);
        e.view->writeBox(id, stored);
        break;
    }
    case kEditUpdate:
        stored = value <= 0 ? 1 : std::min(value, kOutputMax);
        if (e.editsLive && active(e.trimMode)) OutputSizeChanged(e);
        break;
    default: break;
    }
}

bool ApplyPreset(TrimEditor& e, std::int32_t index) {
    if (index < 0 || index >= static_cast<std::int32_t>(kPresetCount)) return false;
    const std::int32_t w = e.options->presetWidth[index], h = e.options->presetHeight[index];
    if (w <= 0 || h <= 0) return false;
    {
        QuietEdits quiet(e.editsLive);
        e.view->writeBox(control::kWidthBox, w);
        e.view->writeBox(control::kHeightBox, h);
    }
    if (active(e.trimMode)) OutputSizeChanged(e);
    return true;
}
