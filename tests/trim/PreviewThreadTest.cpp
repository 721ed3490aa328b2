// The trim session driven from the user-interface thread while a real worker thread renders its
// previews, as in the program: corner drags, nudges and paints race the renders. Run under
// ThreadSanitizer (the tsan preset), this shows that nothing but the preview channel is shared.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "FakeTrimView.h"
#include "trim/TrimEditor.h"

namespace {

// The worker as the window runs it: woken by requests, it renders the channel's latest one and
// posts a notice back; a flush runs between renders and drops what is queued.
class ThreadedTrimView : public FakeTrimView {
public:
    ThreadedTrimView() : worker_([this] { run(); }) {}
    ~ThreadedTrimView() override {
        {
            std::lock_guard<std::mutex> guard(lock_);
            stop_ = true;
        }
        wake_.notify_one();
        worker_.join();
    }

    void wakePreview() override {
        ++wakes;
        {
            std::lock_guard<std::mutex> guard(lock_);
            woken_ = true;
        }
        wake_.notify_one();
    }
    void waitForPreview() override {
        ++waits;
        std::unique_lock<std::mutex> guard(lock_);
        flushWanted_ = true;
        wake_.notify_one();
        flushed_.wait(guard, [this] { return !flushWanted_; });
    }

    // The user-interface thread's message loop: the notices that arrived since the last call.
    int takeNotices() { return notices_.exchange(0); }
    int rendered() const { return rendered_.load(); }

private:
    void run() {
        std::unique_lock<std::mutex> guard(lock_);
        for (;;) {
            wake_.wait(guard, [this] { return stop_ || woken_ || flushWanted_; });
            if (stop_) return;
            if (flushWanted_) {
                editor->preview.drop();
                flushWanted_ = false;
                flushed_.notify_all();
                continue;
            }
            woken_ = false;
            guard.unlock();
            PreviewRequest request;
            if (editor->preview.take(request)) {
                RenderPreviewRequest(request);
                editor->preview.finished(request.sequence);
                ++rendered_;
                ++notices_;
            }
            guard.lock();
        }
    }

    std::mutex lock_;
    std::condition_variable wake_, flushed_;
    bool woken_ = false, flushWanted_ = false, stop_ = false;
    std::atomic<int> notices_{0}, rendered_{0};
    std::thread worker_;
};

TEST(PreviewThread, CornerDragsAndNudgesWhileTheWorkerRenders) {
    const std::int32_t width = 640, height = 480;
    const std::size_t bytes = std::size_t{rowStride(width, 24)} * height;
    std::vector<std::uint8_t> pixels(bytes + 4);
    std::uint32_t seed = 11;
    for (std::size_t i = 0; i < bytes; ++i) pixels[i] = static_cast<std::uint8_t>((seed = seed * 69069 + 1) >> 24);

    // ThreadSanitizer sees the plain renderer's stores; the vector ones escape it.
    SetRenderSimd(RenderSimd::Plain);
    ViewGeometry geometry;
    geometry.clientW = 800;
    geometry.clientH = 600;
    FitNew(geometry, width, height, ViewMetrics{});
    TrimOptions options;
    ThreadedTrimView view;
    TrimEditor editor;
    view.editor = &editor;
    editor.view = &view;
    editor.geometry = &geometry;
    editor.options = &options;
    ASSERT_TRUE(FitLargest(editor, {width, height, pixels.data()}));
    ASSERT_TRUE(editor.rectified);

    // What a paint does: reads the copy, but only while the channel says it may.
    std::uint32_t painted = 0;
    auto loop = [&] {
        std::this_thread::sleep_for(std::chrono::microseconds(200));  // let the worker get going
        for (int n = view.takeNotices(); n > 0; --n) PreviewRendered(editor);
        if (RectifiedReadable(editor)) {
            const std::uint8_t* p = editor.rectified.data();
            for (std::size_t i = 0; i < bytes; i += 997) painted += p[i];
        }
    };
    const int corners[4] = {kQuadTopLeft, kQuadTopRight, kQuadBottomLeft, kQuadBottomRight};
    const int pull[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};  // inwards
    for (int round = 0; round < 60; ++round) {
        const int c = round & 3;
        const TrimPoint h = editor.cornerHandles[corners[c]];
        HoverTrim(editor, h.x, h.y);
        ASSERT_TRUE(isPerspectiveCorner(editor.handleKind));
        ASSERT_TRUE(PressTrim(editor, h.x, h.y));
        for (int step = 1; step <= 6; ++step) {
            DragTrim(editor, h.x + pull[c][0] * step, h.y + pull[c][1] * step);
            loop();
        }
        ReleaseTrim(editor);
        loop();
        if (round % 5 == 0) {
            PerspectiveCommand(editor, command::kCornerLeft);
            PerspectiveCommand(editor, command::kCornerUp);
        }
        if (round % 17 == 16) PerspectiveCommand(editor, command::kPerspectiveReset);
        loop();
    }
    // The last request is rendered, then the copy holds exactly the preview of the final quad.
    PerspectiveCommand(editor, command::kCornerRight);
    while (!RectifiedReadable(editor)) std::this_thread::yield();
    loop();
    std::vector<std::uint8_t> expected(bytes + 4);
    RenderPreview(SolvePerspective(editor.quad, width, height), pixels.data(), expected.data(), width, height);
    EXPECT_EQ(0, std::memcmp(editor.rectified.data(), expected.data(), bytes));
    EXPECT_GT(view.rendered(), 0);
    EXPECT_GT(painted, 0u);

    // The output job takes the copy only after the worker let go of it.
    OutputSteps steps;
    ASSERT_TRUE(Execute(editor, steps));
    const TrimSelection selection = TakeSelection(editor);
    ASSERT_NE(selection.rectified, nullptr);
    RenderFinal(SolvePerspective(selection.quad, width, height), pixels.data(), selection.rectified, width, height);
    EndTrim(editor);
    EXPECT_FALSE(editor.rectified);
    SetRenderSimd(RenderSimd::Avx2);  // the widest the processor has again
}

}  // namespace
