// Turning a decoded 6000 x 4000 photo upright, one benchmark per kind of turn, beside the decode of
// the same photo (BM_LoadJpeg6000x4000 in jpeg_bench.cpp) that the turn must stay well below.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "codecs/Orientation.h"

namespace {

constexpr std::int32_t kWidth = 6000, kHeight = 4000;

ImageData* makePhoto() {
    ImageData* image = allocImageData();
    initHeader(image->header, kWidth, kHeight, 24, 2835, 2835);
    const std::uint32_t bytes = imageBytes(kWidth, kHeight, 24);
    image->pixels = allocPixels(bytes);
    if (!image->pixels) std::abort();
    for (std::uint32_t i = 0; i < bytes; ++i) image->pixels[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    return image;
}

void BM_Orient6000x4000(benchmark::State& state) {
    const auto o = static_cast<Orientation>(state.range(0));
    ImageData* image = makePhoto();
    for (auto _ : state) {
        // Turning back and forth keeps the size; each iteration is one turn.
        if (orientImage(*image, o) != CodecStatus::Ok) std::abort();
        benchmark::DoNotOptimize(image->pixels);
    }
    freeImageData(image);
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
BENCHMARK(BM_Orient6000x4000)->DenseRange(1, 8)->Unit(benchmark::kMillisecond);

}  // namespace
