#include "trim/PreviewChannel.h"

void RenderPreviewRequest(const PreviewRequest& r) {
    if (!r.source || !r.target || r.width <= 0 || r.height <= 0) return;
    RenderPreview(SolvePerspective(r.quad, r.width, r.height), r.source, r.target, r.width, r.height);
}

void PreviewChannel::submit(const PreviewRequest& request) {
    std::lock_guard<std::mutex> guard(lock_);
    latest_ = request;
    latest_.sequence = ++submitted_;
    pending_ = true;
    newest_.store(submitted_, std::memory_order_release);
}

bool PreviewChannel::take(PreviewRequest& request) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!pending_) return false;
    request = latest_;
    pending_ = false;
    return true;
}

void PreviewChannel::finished(std::uint32_t sequence) { done_.store(sequence, std::memory_order_release); }

void PreviewChannel::drop() {
    std::lock_guard<std::mutex> guard(lock_);
    pending_ = false;
    done_.store(submitted_, std::memory_order_release);
}

bool PreviewChannel::idle() const {
    return done_.load(std::memory_order_acquire) == newest_.load(std::memory_order_acquire);
}
