// Perspective renders of a 6000 x 4000 photo under a mild keystone: the preview the worker draws
// after every corner move, the final bilinear image whole and only inside the crop as the output job
// asks for it, and one copy of the frame as the yardstick (a preview should cost at most two).
// The 1600 x 1200 final render is the one the trim benchmark script's perspective job pays for.
// The preview and that final render also run with each kind of vector instructions (argument
// "simd": 2 AVX2, 1 SSE2, 0 the plain loop), the same bytes at different speeds.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "codecs/ImageData.h"
#include "trim/Perspective.h"

namespace {

struct Frame {
    std::int32_t width, height;
    std::vector<std::uint8_t> source, target;
    PerspectiveMap map;

    Frame(std::int32_t w, std::int32_t h) : width(w), height(h) {
        const std::size_t bytes = std::size_t{rowStride(static_cast<std::uint32_t>(w), 24)} * h;
        source.resize(bytes + 4);
        target.resize(bytes + 4);  // touched once here, like the rectified copy that already exists
        std::uint32_t seed = 7;
        for (auto& b : source) b = static_cast<std::uint8_t>((seed = seed * 69069 + 1) >> 24);
        // Top edge pulled in and tilted, bottom corners nearly in place: a photo taken from below.
        const std::int32_t dx = w / 20, dy = h / 33;
        const TrimPoint quad[4] = {{dx, dy}, {w - 1 - dx, 0}, {0, h - 1}, {w - 1, h - 1 - dy}};
        map = SolvePerspective(quad, w, h);
    }
    std::size_t bytes() const { return target.size() - 4; }
};

Frame& large() {
    static Frame frame(6000, 4000);
    return frame;
}

void BM_CopyFrame(benchmark::State& state) {
    Frame& f = large();
    for (auto _ : state) {
        std::memcpy(f.target.data(), f.source.data(), f.bytes());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(f.bytes()));
}
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMillisecond);

// Runs the benchmark with the kind of vector instructions its argument names, if the processor
// has it.
struct SimdKind {
    explicit SimdKind(benchmark::State& state) {
        const auto wanted = static_cast<RenderSimd>(state.range(0));
        if (SetRenderSimd(wanted) != wanted) state.SkipWithError("not on this processor");
    }
    ~SimdKind() { SetRenderSimd(RenderSimd::Avx2); }
};

void BM_RenderPreview(benchmark::State& state) {
    Frame& f = large();
    SimdKind kind(state);
    for (auto _ : state) {
        RenderPreview(f.map, f.source.data(), f.target.data(), f.width, f.height);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{f.width} * f.height);
}
BENCHMARK(BM_RenderPreview)->ArgName("simd")->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_RenderFinalWhole(benchmark::State& state) {
    Frame& f = large();
    for (auto _ : state) {
        RenderFinal(f.map, f.source.data(), f.target.data(), f.width, f.height);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{f.width} * f.height);
}
BENCHMARK(BM_RenderFinalWhole)->Unit(benchmark::kMillisecond);

// The largest centred 4:3 rectangle, the default trim of a 3:2 photo.
void BM_RenderFinalCrop(benchmark::State& state) {
    Frame& f = large();
    const TrimRect crop{333, 0, 5665, 3999};
    for (auto _ : state) {
        RenderFinal(f.map, f.source.data(), f.target.data(), f.width, f.height, &crop);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{crop.right - crop.left + 1} *
                            (crop.bottom - crop.top + 1));
}
BENCHMARK(BM_RenderFinalCrop)->Unit(benchmark::kMillisecond);

void BM_RenderFinalSmall(benchmark::State& state) {
    static Frame f(1600, 1200);
    SimdKind kind(state);
    for (auto _ : state) {
        RenderFinal(f.map, f.source.data(), f.target.data(), f.width, f.height);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{f.width} * f.height);
}
BENCHMARK(BM_RenderFinalSmall)->ArgName("simd")->Arg(2)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
