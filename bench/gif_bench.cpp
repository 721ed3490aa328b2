// GIF encode and decode of a 400 x 300 photo-like image (the default output size): colour
// counting, median cut, mapping and LZW, then the decode of the file written.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "codecs/Gif.h"

namespace {

constexpr std::uint32_t kWidth = 400;
constexpr std::uint32_t kHeight = 300;

// Smooth gradients with a little texture: many more than 256 colours, like a resized photo.
std::vector<std::uint8_t> photo() {
    const std::uint32_t stride = rowStride(kWidth, 24);
    std::vector<std::uint8_t> px(std::size_t{stride} * kHeight + 4);
    std::uint32_t seed = 12345;
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = static_cast<int>(seed >> 28) - 8;
            std::uint8_t* p = &px[std::size_t{y} * stride + x * 3];
            const double s = std::sin(x * 0.03) * std::cos(y * 0.05);
            p[0] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(x * 255 / kWidth) + noise, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(128 + 100 * s) + noise, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(y * 255 / kHeight) + noise, 0, 255));
        }
    return px;
}

// Few colours in large flat areas: the case where long strings and a crowded dictionary meet.
std::vector<std::uint8_t> flat() {
    const std::uint32_t stride = rowStride(kWidth, 24);
    std::vector<std::uint8_t> px(std::size_t{stride} * kHeight + 4);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            std::uint8_t* p = &px[std::size_t{y} * stride + x * 3];
            p[0] = p[1] = p[2] = ((x / 7 + y / 5) & 1) ? 255 : 0;
        }
    return px;
}

void encode(benchmark::State& state, const std::vector<std::uint8_t>& px, bool interlaced) {
    std::vector<std::uint8_t> out;
    for (auto _ : state) {
        ImageSink sink;
        setGeometry(sink.reducer, kWidth, kHeight, 24, 8);
        if (!saveGifToMemory(sink, out, nullptr, px.data(), interlaced)) state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = static_cast<double>(out.size());
}

void BM_GifEncodePhoto(benchmark::State& state) { encode(state, photo(), false); }
void BM_GifEncodePhotoInterlaced(benchmark::State& state) { encode(state, photo(), true); }
void BM_GifEncodeFlat(benchmark::State& state) { encode(state, flat(), false); }

void BM_GifDecodePhoto(benchmark::State& state) {
    const std::vector<std::uint8_t> px = photo();
    std::vector<std::uint8_t> file;
    ImageSink sink;
    setGeometry(sink.reducer, kWidth, kHeight, 24, 8);
    if (!saveGifToMemory(sink, file, nullptr, px.data(), false)) {
        state.SkipWithError("encode failed");
        return;
    }
    for (auto _ : state) {
        ImageSource source;
        ImageData* image = loadFramedMemory(source, file.data(), file.size(), decodeGif);
        if (!image) state.SkipWithError("decode failed");
        freeImageData(image);
    }
}

BENCHMARK(BM_GifEncodePhoto)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifEncodePhotoInterlaced)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifEncodeFlat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifDecodePhoto)->Unit(benchmark::kMillisecond);

}  // namespace
