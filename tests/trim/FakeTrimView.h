// A TrimView that records what the model asks of its window and behaves like the real controls
// where the model depends on it: a written number box notifies the model at once, an up-down's
// position shows in its buddy box, XOR outlines toggle, and a paint wipes them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "codecs/ImageData.h"
#include "support/Printers.h"
#include "trim/TrimEditor.h"

class FakeTrimView : public TrimView {
public:
    struct Range {
        std::int32_t low, high;
        bool operator==(const Range&) const = default;
    };

    TrimEditor* editor = nullptr;
    std::map<std::int32_t, std::int32_t> boxes;
    std::map<std::int32_t, Range> spinRanges;
    std::map<std::int32_t, std::int32_t> spinPositions;
    std::map<ControlGroup, bool> groups;
    std::vector<TrimRect> outlines;  // XOR outlines currently on screen
    std::int32_t xorCalls = 0;
    std::int32_t repaints = 0;
    std::int32_t reshades = 0;
    std::vector<std::int32_t> cursors;  // every setCursor
    std::int32_t titleRefreshes = 0;
    std::int32_t wakes = 0;  // every wakePreview
    std::int32_t inputMethodCloses = 0;
    DisplaySource display = DisplaySource::Shaded;
    bool trimModeOn = false;
    bool previewPriorityNormal = false;
    std::int32_t waits = 0;
    std::int32_t rectifiedChanges = 0;

    void writeBox(std::int32_t id, std::int32_t value) override {
        boxes[id] = value;
        BoxChanged(*editor, id, kEditUpdate, value);
    }
    void setSpinRange(std::int32_t id, std::int32_t low, std::int32_t high) override { spinRanges[id] = {low, high}; }
    void setSpinPos(std::int32_t id, std::int32_t pos) override {
        spinPositions[id] = pos;
        writeBox(control::buddyOfSpin(id), pos);  // UDS_SETBUDDYINT
    }
    void enableGroup(ControlGroup group, bool enable) override { groups[group] = enable; }
    void xorOutline(const TrimRect& screen) override {
        ++xorCalls;
        auto it = std::find(outlines.begin(), outlines.end(), screen);
        if (it != outlines.end())
            outlines.erase(it);
        else
            outlines.push_back(screen);
    }
    void repaint(bool reshade) override {
        ++repaints;
        if (reshade) ++reshades;
        outlines.clear();
        if (editor->trimMode == TrimMode::HandleDrag) outlines.push_back(editor->screenRect);
    }
    void setCursor(std::int32_t cursorId) override { cursors.push_back(cursorId); }
    void refreshTitle() override { ++titleRefreshes; }
    void closeInputMethod() override { ++inputMethodCloses; }
    void showDisplay(DisplaySource source) override { display = source; }
    void trimModeStarted() override { trimModeOn = true; }
    void trimModeEnded() override { trimModeOn = false; }
    void wakePreview() override { ++wakes; }
    void setPreviewPriority(bool normal) override { previewPriorityNormal = normal; }
    // No worker runs here: waiting drops what was submitted, as the real flush does.
    void waitForPreview() override {
        ++waits;
        PreviewRequest dropped;
        while (editor->preview.take(dropped)) {
        }
        editor->preview.drop();
    }
    void rectifiedCopyChanged() override { ++rectifiedChanges; }

    // The worker's part: renders the latest request, if any, and tells the model.
    bool renderPreview() {
        PreviewRequest request;
        if (!editor->preview.take(request)) return false;
        RenderPreviewRequest(request);
        editor->preview.finished(request.sequence);
        PreviewRendered(*editor);
        return true;
    }

    // The four trim boxes as the user sees them.
    TrimRect shownRect() const {
        using namespace control;
        return {boxes.at(kBoxLeft), boxes.at(kBoxTop), boxes.at(kBoxRight), boxes.at(kBoxBottom)};
    }
};
