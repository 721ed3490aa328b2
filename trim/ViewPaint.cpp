#include "trim/ViewPaint.h"

#include <algorithm>

StretchMode ViewStretchMode(const ViewGeometry& v) {
    if (v.mouseMode == MouseMode::Panning) return StretchMode::ColorOnColor;
    if (v.scaledW >= v.imageWidth && v.scaledH >= v.imageHeight) return StretchMode::ColorOnColor;
    return StretchMode::Halftone;
}

StretchBlit VisibleBlit(const ViewGeometry& v) {
    return StretchBlit{v.viewX, v.viewY, v.viewW, v.viewH, v.srcX, v.imageHeight - v.srcY - v.srcH, v.srcW, v.srcH};
}

OutlinePath OutlinePathOf(const TrimRect& s) {
    return OutlinePath{{{s.left, s.top}, {s.right, s.top}, {s.right, s.bottom}, {s.left, s.bottom}, {s.left, s.top}}};
}

CornerSquares CornerSquaresOf(const TrimEditor& e) {
    CornerSquares out;
    const int selected = SelectedQuadCorner(e);
    static const int order[4] = {kQuadTopLeft, kQuadTopRight, kQuadBottomLeft, kQuadBottomRight};
    for (int i = 0; i < 4; ++i) {
        const TrimPoint h = e.cornerHandles[order[i]];
        out.squares[i].rect = {h.x - kCornerSquareReach, h.y - kCornerSquareReach, h.x + kCornerSquareReach,
                               h.y + kCornerSquareReach};
        out.squares[i].fill = order[i] == selected ? kSelectedCornerFill : kCornerFill;
    }
    return out;
}

PaintPlan PlanPaint(const ViewGeometry& v, const TrimEditor* e, bool hasDisplay, bool loadFailed,
                    std::int32_t fontHeight) {
    PaintPlan plan;
    if (!hasDisplay) {
        plan.fills[plan.fillCount++] = {0, 0, v.viewportW, v.viewportH};
        plan.failureText = loadFailed;
        plan.textX = v.viewportW / 2;
        plan.textY = (v.viewportH - fontHeight) / 2;
        return plan;
    }
    if (v.scaledW < v.viewportW) {
        plan.fills[plan.fillCount++] = {0, 0, v.viewX, v.viewportH};
        plan.fills[plan.fillCount++] = {v.viewX + v.viewW, 0, v.viewportW, v.viewportH};
    }
    if (v.scaledH < v.viewportH) {
        plan.fills[plan.fillCount++] = {v.viewX, 0, v.viewX + v.viewW, v.viewY};
        plan.fills[plan.fillCount++] = {v.viewX, v.viewY + v.viewH, v.viewX + v.viewW, v.viewportH};
    }
    plan.hasImage = true;
    plan.stretchMode = ViewStretchMode(v);
    plan.brushOriginZero = plan.stretchMode == StretchMode::Halftone;
    const TrimMode mode = e ? e->trimMode : TrimMode::Idle;
    plan.eraseCrosshair = mode == TrimMode::Idle;
    plan.blit = VisibleBlit(v);
    if (mode == TrimMode::Idle) return plan;

    // The paint wipes every XOR shape, so it draws again the ones the trim model takes as shown:
    // the rubber band and the outline of a handle drag. Otherwise the model's next
    // erasing step would draw a stale copy instead.
    const bool idleMouse = v.mouseMode == MouseMode::None;
    const bool leftDrag = leftHeld(v.mouseMode);
    const bool squares = static_cast<bool>(e->rectified);
    switch (mode) {
    case TrimMode::Anchored:
    case TrimMode::Sizing:
        if (e->cornerPoint.x >= 0) {
            plan.xorRect = true;
            plan.xorPath = OutlinePathOf({e->screenRect.left, e->screenRect.top, e->cornerPoint.x, e->cornerPoint.y});
        }
        break;
    case TrimMode::Adjusting:
        plan.dottedOutline = idleMouse;
        plan.outline = OutlinePathOf(e->screenRect);
        plan.cornerSquares = squares && (idleMouse || leftDrag);
        break;
    case TrimMode::HandleDrag:
        plan.xorRect = true;
        plan.xorPath = OutlinePathOf(e->screenRect);
        plan.cornerSquares = squares && leftDrag;
        break;
    case TrimMode::CornerDrag:
        plan.cornerSquares = squares && (idleMouse || leftDrag);
        break;
    case TrimMode::Idle:
        break;
    }
    if (plan.cornerSquares) plan.squares = CornerSquaresOf(*e);
    return plan;
}

CrosshairLines CrosshairAt(const ViewGeometry& v, TrimPoint p) {
    return CrosshairLines{{v.viewX, p.y}, {v.viewX + v.viewW, p.y}, {p.x, v.viewY}, {p.x, v.viewY + v.viewH}};
}

CrosshairStep MoveCrosshair(TrimPoint& current, const ViewGeometry& v, std::int32_t x, std::int32_t y) {
    CrosshairStep step;
    if (v.viewW <= 0 || v.viewH <= 0) return step;  // nothing of the image is shown
    const TrimPoint p{std::clamp(x, v.viewX, v.viewX + v.viewW - 1), std::clamp(y, v.viewY, v.viewY + v.viewH - 1)};
    if (p == current) return step;
    if (current.x >= 0) {
        step.eraseOld = true;
        step.oldPoint = current;
    }
    step.drawNew = true;
    step.newPoint = p;
    current = p;
    return step;
}

CrosshairStep EraseCrosshair(TrimPoint& current) {
    CrosshairStep step;
    if (current.x >= 0) {
        step.eraseOld = true;
        step.oldPoint = current;
    }
    current = {-1, -1};
    return step;
}
