// The trim command's progress line: files done of all, the rate so far and the time left at it.
#include <cmath>
#include <cstdio>

#include "platform/platform.h"
#include "tools/Trim.h"

namespace cli {
namespace {

// A terminal cannot show faster redraws, and a job of tiny files should not spend its time on them.
constexpr std::chrono::milliseconds kRedrawEvery{100};

std::string duration(double seconds) {
    const long long total = static_cast<long long>(std::ceil(seconds));
    char text[48];
    if (total >= 3600)
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", total / 3600, total / 60 % 60, total % 60);
    else
        std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

}  // namespace

std::string progressText(std::size_t done, std::size_t total, double seconds) {
    std::string text = std::to_string(done) + " of " + std::to_string(total) + " files";
    if (done == 0 || seconds <= 0) return text;
    const double rate = static_cast<double>(done) / seconds;
    char figure[48];
    std::snprintf(figure, sizeof figure, rate >= 100 ? ", %.0f files/s" : ", %.1f files/s", rate);
    text += figure;
    if (done < total) text += ", " + duration(static_cast<double>(total - done) / rate) + " left";
    return text;
}

ProgressLine::ProgressLine(std::size_t total, bool wanted)
    : shown_(wanted && total > 0 && platform::standardErrorIsTerminal()),
      total_(total),
      start_(std::chrono::steady_clock::now()) {
    if (shown_) draw(true);
}

void ProgressLine::print(const std::string& out, const std::string& err) {
    ++done_;
    const bool lines = !out.empty() || !err.empty();
    if (lines) {
        // The line goes away under the text and comes back below it.
        if (shown_ && width_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
        width_ = 0;
        std::fputs(err.c_str(), stderr);
        std::fputs(out.c_str(), stdout);
        // Only under the line does the text have to be out before the line is drawn again; a pipe
        // keeps its buffering.
        if (shown_) std::fflush(stdout);
    }
    if (shown_) draw(lines || done_ == total_);
}

void ProgressLine::clear() {
    if (shown_ && width_) {
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
        std::fflush(stderr);
    }
    width_ = 0;
    shown_ = false;
}

void ProgressLine::draw(bool now) {
    const auto at = std::chrono::steady_clock::now();
    if (!now && at - drawn_ < kRedrawEvery) return;
    drawn_ = at;
    const std::string text = progressText(done_, total_, std::chrono::duration<double>(at - start_).count());
    // Spaces cover what a longer line before left.
    const int pad = width_ > text.size() ? static_cast<int>(width_ - text.size()) : 0;
    std::fprintf(stderr, "\r%s%*s", text.c_str(), pad, "");
    width_ = text.size() + static_cast<std::size_t>(pad);
    std::fflush(stderr);
}

}  // namespace cli
