// Shading of a 4000 x 3000 photo during trim mode: the whole rebuild (a settle, a new shade mode)
// against the step that follows one typed coordinate or one nudge of the rectangle.
#include <benchmark/benchmark.h>

#include <vector>

#include "codecs/ImageData.h"
#include "document/Shading.h"
#include "trim/TrimEditor.h"

namespace {

constexpr std::int32_t kWidth = 4000;
constexpr std::int32_t kHeight = 3000;

struct Buffers {
    std::vector<std::uint8_t> base, shaded;
    std::uint8_t table[256];
    Buffers() : base(std::size_t{rowStride(kWidth, 24)} * kHeight), shaded(base.size()) {
        std::uint32_t seed = 1;
        for (auto& b : base) b = static_cast<std::uint8_t>((seed = seed * 69069 + 1) >> 24);
        BuildShadeTable(table, 1);
    }
    ShadeImage image() { return {base.data(), shaded.data(), kWidth, kHeight}; }
};

void BM_RebuildShading(benchmark::State& state) {
    Buffers b;
    const TrimRect rect{800, 600, 3199, 2399};
    for (auto _ : state) {
        RebuildShading(b.image(), rect, b.table);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RebuildShading)->Unit(benchmark::kMillisecond);

// One edge moves by a pixel, back and forth: only that column changes sides.
void BM_ReshadeOneEdge(benchmark::State& state) {
    Buffers b;
    ShadeState s;
    const TrimRect a{800, 600, 3199, 2399}, c{801, 600, 3199, 2399};
    Reshade(s, b.image(), a, b.table);
    bool flip = false;
    for (auto _ : state) {
        Reshade(s, b.image(), (flip = !flip) ? c : a, b.table);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ReshadeOneEdge)->Unit(benchmark::kMillisecond);

// A move by one pixel both ways: four thin strips.
void BM_ReshadeMove(benchmark::State& state) {
    Buffers b;
    ShadeState s;
    const TrimRect a{800, 600, 3199, 2399}, c{801, 601, 3200, 2400};
    Reshade(s, b.image(), a, b.table);
    bool flip = false;
    for (auto _ : state) {
        Reshade(s, b.image(), (flip = !flip) ? c : a, b.table);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ReshadeMove)->Unit(benchmark::kMillisecond);

}  // namespace
