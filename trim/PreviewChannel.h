// The perspective preview between two threads. The user-interface thread owns the trim session; a
// worker thread renders previews. They share nothing else than this channel.
//
// Thread contract:
// - The UI thread submits a request: a snapshot of everything the render reads (the quad, the
//   source geometry and pixels) and the one buffer it writes (the rectified copy). Then it wakes the
//   worker. A burst of submissions is rendered once: only the latest request is kept.
// - The worker takes the latest request, renders it, and publishes its sequence number as finished
//   (release). It touches nothing but the request's buffers and this channel, and then tells the
//   UI thread; everything that follows a render (the corner handles, the shading, the repaint)
//   happens there.
// - The UI thread reads or writes the rectified copy (paint, shading, output job) only while the
//   channel is idle: every submitted request finished (acquire) or flushed. Before it frees or
//   replaces the copy it flushes the worker, which drops what is still queued.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "trim/Perspective.h"

struct PreviewRequest {
    TrimPoint quad[4];
    const std::uint8_t* source = nullptr;
    std::uint8_t* target = nullptr;  // same size and stride as the source
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t sequence = 0;
};

// The worker's render of one request: the nearest-neighbour preview into its target.
void RenderPreviewRequest(const PreviewRequest& request);

class PreviewChannel {
public:
    // UI thread: stores the request as the latest, numbering it.
    void submit(const PreviewRequest& request);
    // Worker: the latest request not yet taken, if any.
    bool take(PreviewRequest& request);
    // Worker: the request's render is done and its pixels are written.
    void finished(std::uint32_t sequence);
    // Worker (while the UI thread waits for it): what is queued is dropped, so nothing is pending.
    void drop();
    // UI thread: no render runs or is pending; the rectified copy may be read or written.
    bool idle() const;

private:
    mutable std::mutex lock_;
    PreviewRequest latest_;
    bool pending_ = false;
    std::uint32_t submitted_ = 0;            // UI thread, under the lock
    std::atomic<std::uint32_t> done_{0};     // last finished or dropped sequence
    std::atomic<std::uint32_t> newest_{0};   // last submitted sequence
};
