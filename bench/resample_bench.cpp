// Resampling and output filters on the sizes the output job meets: a large photo shrunk to the
// default output size, a medium one, and a small one enlarged; the filters on the result.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "codecs/ImageData.h"
#include "imaging/OutputFilters.h"
#include "imaging/Resample.h"

namespace {

// Smooth gradients with some noise, like a photo; padding zero.
std::vector<std::uint8_t> photo(std::int32_t w, std::int32_t h) {
    const std::uint32_t stride = rowStride(static_cast<std::uint32_t>(w), 24);
    std::vector<std::uint8_t> px(std::size_t{stride} * h + 4);
    std::uint32_t seed = 2463534242u;
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
            std::uint8_t* p = &px[std::size_t{stride} * y + 3 * x];
            p[0] = static_cast<std::uint8_t>((x * 255 / w + (seed & 15)) & 255);
            p[1] = static_cast<std::uint8_t>((y * 255 / h + ((seed >> 8) & 15)) & 255);
            p[2] = static_cast<std::uint8_t>(((x + y) * 127 / (w + h) + ((seed >> 16) & 31)) & 255);
        }
    return px;
}

const std::vector<std::uint8_t>& cached(std::int32_t w, std::int32_t h) {
    static std::vector<std::uint8_t> px;
    static std::int32_t cw = 0, ch = 0;
    if (cw != w || ch != h) px = photo(w, h), cw = w, ch = h;
    return px;
}

void BM_Resample(benchmark::State& state) {
    const auto w = static_cast<std::int32_t>(state.range(0)), h = static_cast<std::int32_t>(state.range(1));
    const int filter = static_cast<int>(state.range(2));
    const std::vector<std::uint8_t>& src = cached(w, h);
    for (auto _ : state) {
        std::uint8_t* out = Resample(src.data(), w, h, 400, 300, static_cast<ResizeFilter>(filter), nullptr);
        benchmark::DoNotOptimize(out);
        freePixels(out);
    }
    state.SetItemsProcessed(state.iterations() * std::int64_t{w} * h);
}
BENCHMARK(BM_Resample)
    ->ArgNames({"w", "h", "filter"})
    ->ArgsProduct({{6000}, {4000}, {0, 1, 2, 3}})
    ->ArgsProduct({{5333}, {4000}, {0, 2}})
    ->ArgsProduct({{1600}, {1200}, {0, 1, 2, 3}})
    ->ArgsProduct({{200}, {150}, {0, 1, 2, 3}})
    ->Unit(benchmark::kMillisecond);

void BM_Sharpen(benchmark::State& state) {
    const std::vector<std::uint8_t>& src = cached(400, 300);
    for (auto _ : state) {
        std::uint8_t* out = sharpenImage(src.data(), 400, 300);
        benchmark::DoNotOptimize(out);
        freePixels(out);
    }
}
BENCHMARK(BM_Sharpen)->Unit(benchmark::kMicrosecond);

void BM_AutoLevels(benchmark::State& state) {
    const std::vector<std::uint8_t>& src = cached(400, 300);
    for (auto _ : state) {
        std::uint8_t* out = autoLevels(src.data(), 400, 300);
        benchmark::DoNotOptimize(out);
        freePixels(out);
    }
}
BENCHMARK(BM_AutoLevels)->Unit(benchmark::kMicrosecond);

}  // namespace
