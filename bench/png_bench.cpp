// PNG decode and encode, with zlib's inflate alone over the same image data as the floor a decoder
// cannot beat. The test images are made here: a 6000 x 4000 photo-like truecolour file written by
// the project's encoder, and a 3000 x 2000 Adam7 RGBA file filtered here and deflated by zlib.
// VANTLE_BENCH_PNG_OUT=<folder> also writes both files there, for comparisons with other tools.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "codecs/png/PngDecoder.h"
#include "codecs/png/PngEncoder.h"
#include "codecs/png/PngFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Smooth shading, a few edges and a little noise, like a photograph: red, green, blue at (x, y).
void photoPixel(int x, int y, int w, int h, std::uint8_t* rgb) {
    static std::uint32_t seed = 1;
    seed = seed * 1664525u + 1013904223u;
    const int noise = static_cast<int>(seed >> 29) - 4;
    const double fx = static_cast<double>(x) / w, fy = static_cast<double>(y) / h;
    const double wave = 40 * std::sin(fx * 17 + fy * 5) + 25 * std::cos(fy * 23 - fx * 3);
    const int block = ((x / 370) + (y / 290)) % 3 * 30;
    for (int c = 0; c < 3; ++c) {
        const int v = static_cast<int>(60 + 90 * fx * (c + 1) / 3 + 70 * fy + wave * (c == 1 ? 0.5 : 1)) + block + noise;
        rgb[c] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
    }
}

// A bottom-up 24-bit buffer of the photo-like picture.
Bytes photoPixels(int w, int h) {
    Bytes pixels(imageBytes(w, h, 24) + 4);
    const std::uint32_t stride = rowStride(w, 24);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = pixels.data() + static_cast<std::size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            std::uint8_t rgb[3];
            photoPixel(x, y, w, h, rgb);
            row[3 * x] = rgb[2];
            row[3 * x + 1] = rgb[1];
            row[3 * x + 2] = rgb[0];
        }
    }
    return pixels;
}

void put32(Bytes& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<std::uint8_t>(v >> s));
}
void chunk(Bytes& file, const char* type, const Bytes& data) {
    put32(file, static_cast<std::uint32_t>(data.size()));
    const std::size_t start = file.size();
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    put32(file, static_cast<std::uint32_t>(crc32(0L, file.data() + start, static_cast<uInt>(4 + data.size()))));
}

// Adam7 RGBA, every row Paeth-filtered, deflated at zlib's default level.
Bytes interlacedRgbaFile(int w, int h) {
    Bytes filtered;
    for (int pass = 0; pass < 7; ++pass) {
        const int pw = static_cast<int>(png::passSize(w, png::kColumnStart[pass], png::kColumnStep[pass]));
        const int ph = static_cast<int>(png::passSize(h, png::kRowStart[pass], png::kRowStep[pass]));
        if (!pw || !ph) continue;
        Bytes previous(4 * pw, 0), row(4 * pw);
        for (int i = 0; i < ph; ++i) {
            const int y = png::kRowStart[pass] + i * png::kRowStep[pass];
            for (int j = 0; j < pw; ++j) {
                const int x = png::kColumnStart[pass] + j * png::kColumnStep[pass];
                photoPixel(x, y, w, h, &row[4 * j]);
                row[4 * j + 3] = static_cast<std::uint8_t>(x * 255 / w);
            }
            filtered.push_back(4);
            for (int k = 0; k < 4 * pw; ++k) {
                const int a = k >= 4 ? row[k - 4] : 0, b = previous[k], c = k >= 4 ? previous[k - 4] : 0;
                const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
                const int pred = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
                filtered.push_back(static_cast<std::uint8_t>(row[k] - pred));
            }
            previous = row;
        }
    }
    uLongf size = compressBound(static_cast<uLong>(filtered.size()));
    Bytes z(size);
    compress2(z.data(), &size, filtered.data(), static_cast<uLong>(filtered.size()), Z_DEFAULT_COMPRESSION);
    z.resize(size);
    Bytes file(png::kSignature, png::kSignature + 8), header;
    put32(header, w);
    put32(header, h);
    header.insert(header.end(), {8, 6, 0, 0, 1});
    chunk(file, "IHDR", header);
    chunk(file, "IDAT", z);
    chunk(file, "IEND", {});
    return file;
}

void maybeWrite(const Bytes& file, const char* name) {
    const char* folder = std::getenv("VANTLE_BENCH_PNG_OUT");
    if (!folder) return;
    if (FILE* f = std::fopen((std::string(folder) + "/" + name).c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
}

const Bytes& largeTruecolour() {
    static const Bytes file = [] {
        const Bytes pixels = photoPixels(6000, 4000);
        PngEncoder e;
        setupPngEncoder(e, 6000, 4000, 0, 0, false);
        Bytes out;
        savePngToMemory(e, out, pixels.data());
        maybeWrite(out, "truecolour-6000x4000.png");
        return out;
    }();
    return file;
}

const Bytes& interlacedRgba() {
    static const Bytes file = [] {
        Bytes out = interlacedRgbaFile(3000, 2000);
        maybeWrite(out, "rgba-adam7-3000x2000.png");
        return out;
    }();
    return file;
}

// The single IDAT's data and the inflated size of the image data.
struct ImageDataStream {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t inflated;
};
ImageDataStream idatOf(const Bytes& file, std::size_t inflated) {
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t n = load32be(&file[at]);
        if (std::memcmp(&file[at + 4], "IDAT", 4) == 0) return {&file[at + 8], n, inflated};
        at += 12 + n;
    }
    return {nullptr, 0, 0};
}

void decode(benchmark::State& state, const Bytes& file) {
    for (auto _ : state) {
        ImageSource source;
        ImageData* image = loadFramedMemory(source, file.data(), file.size(), decodePng);
        if (!image) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(image);
        freeImageData(image);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

void inflateOnly(benchmark::State& state, ImageDataStream s) {
    Bytes out(s.inflated);
    for (auto _ : state) {
        z_stream z{};
        inflateInit2(&z, 15);
        z.next_in = const_cast<Bytef*>(s.data);
        z.avail_in = static_cast<uInt>(s.size);
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        if (inflate(&z, Z_FINISH) != Z_STREAM_END) state.SkipWithError("inflate failed");
        inflateEnd(&z);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * s.size));
}

void BM_PngDecodeTruecolour6000x4000(benchmark::State& state) { decode(state, largeTruecolour()); }
void BM_ZlibInflateTruecolour6000x4000(benchmark::State& state) {
    inflateOnly(state, idatOf(largeTruecolour(), 4000 * (1 + 3 * 6000)));
}
void BM_PngDecodeRgbaAdam7_3000x2000(benchmark::State& state) { decode(state, interlacedRgba()); }
void BM_ZlibInflateRgbaAdam7_3000x2000(benchmark::State& state) {
    std::size_t inflated = 0;
    for (int pass = 0; pass < 7; ++pass) {
        const std::size_t pw = png::passSize(3000, png::kColumnStart[pass], png::kColumnStep[pass]);
        const std::size_t ph = png::passSize(2000, png::kRowStart[pass], png::kRowStep[pass]);
        if (pw && ph) inflated += ph * (1 + 4 * pw);
    }
    inflateOnly(state, idatOf(interlacedRgba(), inflated));
}

// The row routines alone, per filter type: 8-bit RGB rows of 6000 pixels, 400 of them, into an
// output buffer that is already mapped, so the figure is the reconstruction and conversion only.
void BM_PngRowsRgb8(benchmark::State& state) {
    const int filter = static_cast<int>(state.range(0));
    const int w = 6000, h = 400;
    ImageSource source;
    PngDecoder d(source);
    d.bitDepth = 8;
    d.colourType = 2;
    selectRowRoutines(d);
    d.rowBytes = 1 + 3 * w;
    d.pixelStep = 1;
    d.outputStep = 3;
    Bytes rows(static_cast<std::size_t>(h) * d.rowBytes), previous(d.rowBytes), output(imageBytes(w, h, 24));
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i * 2654435761u >> 13);
    const std::uint32_t stride = rowStride(w, 24);
    for (auto _ : state) {
        for (int y = 0; y < h; ++y) {
            d.currentRow = rows.data() + static_cast<std::size_t>(y) * d.rowBytes;
            d.previousRow = y ? d.currentRow - d.rowBytes + 1 : previous.data();
            d.rowRoutine[filter](d, output.data() + static_cast<std::size_t>(h - 1 - y) * stride);
        }
        benchmark::DoNotOptimize(output.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * rows.size()));
}

void encode(benchmark::State& state, int w, int h) {
    const Bytes pixels = photoPixels(w, h);
    Bytes out;
    for (auto _ : state) {
        PngEncoder e;
        setupPngEncoder(e, w, h, 2835, 2835, false);
        if (!savePngToMemory(e, out, pixels.data())) state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes_out"] = static_cast<double>(out.size());
}
void BM_PngEncode400x300(benchmark::State& state) { encode(state, 400, 300); }
void BM_PngEncode1600x1200(benchmark::State& state) { encode(state, 1600, 1200); }

}  // namespace

BENCHMARK(BM_PngDecodeTruecolour6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZlibInflateTruecolour6000x4000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngDecodeRgbaAdam7_3000x2000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ZlibInflateRgbaAdam7_3000x2000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngRowsRgb8)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PngEncode400x300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngEncode1600x1200)->Unit(benchmark::kMillisecond)->UseRealTime();
