// The perspective corners of the trim session: the rectified copy they distort, their drags and
// nudges, and the preview renders the worker makes of them.
#include <cmath>
#include <cstring>

#include "codecs/ImageData.h"
#include "trim/TrimEditorSteps.h"

namespace {

int quadIndexOfKind(HandleKind kind) {
    switch (kind) {
    case HandleKind::CornerTopLeft: return kQuadTopLeft;
    case HandleKind::CornerTopRight: return kQuadTopRight;
    case HandleKind::CornerBottomRight: return kQuadBottomRight;
    default: return kQuadBottomLeft;
    }
}

std::uint32_t sourceBytes(const TrimEditor& e) {
    return imageBytes(static_cast<std::uint32_t>(e.sourceWidth), static_cast<std::uint32_t>(e.sourceHeight), 24);
}

}  // namespace

void makeRectified(TrimEditor& e) {
    // The worker may still render into the old copy.
    e.view->waitForPreview();
    const std::uint32_t bytes = sourceBytes(e);
    if (e.sourcePixels && e.rectified.allocate(bytes))
        std::memcpy(e.rectified.data(), e.sourcePixels, bytes);
    else
        e.rectified.reset();
    e.view->rectifiedCopyChanged();
}

void releaseRectified(TrimEditor& e) {
    e.view->waitForPreview();
    if (!e.rectified) return;
    e.rectified.reset();
    e.view->rectifiedCopyChanged();
}

void postPreview(TrimEditor& e, bool finish) {
    if (!e.rectified) return;
    PreviewRequest request;
    std::memcpy(request.quad, e.quad, sizeof request.quad);
    request.source = e.sourcePixels;
    request.target = e.rectified.data();
    request.width = e.sourceWidth;
    request.height = e.sourceHeight;
    e.preview.submit(request);
    if (finish) e.previewFinishWanted = true;
    e.view->wakePreview();
}

void pressCorner(TrimEditor& e, HandleKind kind) {
    e.view->showDisplay(DisplaySource::Rectified);
    e.trimMode = TrimMode::CornerDrag;
    e.selectedCorner = static_cast<std::int32_t>(kind) - static_cast<std::int32_t>(HandleKind::CornerTopLeft);
    // A new drag shows the distorted image until its own release.
    e.previewFinishWanted = false;
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
    postPreview(e, false);
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

bool PerspectiveCommand(TrimEditor& e, std::int32_t id) {
    if (e.trimMode != TrimMode::Adjusting || !e.rectified) return false;
    if (id == command::kPerspectiveReset) {
        if (IsIdentityQuad(e.quad, e.sourceWidth, e.sourceHeight)) return true;
        IdentityQuad(e.quad, e.sourceWidth, e.sourceHeight);
        UpdateScreenGeometry(e);
        e.view->waitForPreview();
        e.previewFinishWanted = false;
        std::memcpy(e.rectified.data(), e.sourcePixels, sourceBytes(e));
        e.view->repaint(true);
        return true;
    }
    TrimPoint& corner = e.quad[SelectedQuadCorner(e)];
    switch (id) {
    case command::kCornerLeft: --corner.x; break;
    case command::kCornerRight: ++corner.x; break;
    case command::kCornerUp: --corner.y; break;
    case command::kCornerDown: ++corner.y; break;
    default: return false;
    }
    // Nudges are not checked: the quad may turn non-convex and still renders.
    postPreview(e, true);
    return true;
}

int SelectedQuadCorner(const TrimEditor& e) {
    // selectedCorner counts clockwise from the top-left; the quad stores TL, TR, BL, BR.
    static const int indexes[4] = {kQuadTopLeft, kQuadTopRight, kQuadBottomRight, kQuadBottomLeft};
    return indexes[e.selectedCorner & 3];
}

bool RectifiedReadable(const TrimEditor& e) { return !e.rectified || e.preview.idle(); }

void PreviewRendered(TrimEditor& e) {
    // A later request is on its way: its own notice will follow.
    if (!settled(e.trimMode) || !RectifiedReadable(e)) return;
    UpdateCornerHandles(e);
    if (e.previewFinishWanted) {
        e.previewFinishWanted = false;
        e.view->showDisplay(DisplaySource::Shaded);
        e.view->repaint(true);
    } else {
        e.view->repaint(false);
    }
}
