// JPEG decode of a 6000 x 4000 file against a plain libjpeg-turbo decode of the same file, and
// encodes of typical output sizes. The file is made by our encoder once, in the temporary folder
// (its path is printed, for comparisons with djpeg and ImageMagick).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "codecs/jpeg/JpegCodec.h"

namespace {

struct Picture {
    BITMAPINFOHEADER header{};
    std::vector<std::uint8_t> pixels;
};

// Smooth gradients with some texture, like a photograph more than like noise.
Picture makePicture(std::int32_t width, std::int32_t height) {
    Picture p;
    initHeader(p.header, width, height, 24, 2835, 2835);
    const std::uint32_t stride = rowStride(width, 24);
    p.pixels.assign(std::size_t{stride} * height + 4, 0);
    std::uint32_t noise = 12345;
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = p.pixels.data() + std::size_t{stride} * y;
        for (std::int32_t x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            row[3 * x] = static_cast<std::uint8_t>(x * 255 / width);
            row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / height);
            row[3 * x + 2] = static_cast<std::uint8_t>(((x / 37 + y / 23) & 1 ? 160 : 90) + (noise >> 28));
        }
    }
    return p;
}

const WideString& bigFile() {
    static WideString path = [] {
        char16_t folder[300];
        platform::tempFolder(folder, 300);
        WideString p(folder);
        p.append(u"vantle-bench-6000x4000.jpg");
        if (!platform::pathExists(p.c_str())) {
            const Picture picture = makePicture(6000, 4000);
            JpegCodec codec;
            setEncoderParameters(codec, 6000, 4000, 2835, 2835, 90, 0, false);
            if (!encodeToFile(codec, p, picture.pixels.data())) std::abort();
        }
        std::fprintf(stderr, "decode input: %s\n", p.toUtf8().c_str());
        return p;
    }();
    return path;
}

void BM_LoadJpeg6000x4000(benchmark::State& state) {
    const WideString& path = bigFile();
    for (auto _ : state) {
        JpegCodec codec;
        ImageData* image = loadJpeg(codec, path);
        if (!image) std::abort();
        benchmark::DoNotOptimize(image->pixels);
        freeImageData(image);
    }
    state.SetItemsProcessed(state.iterations() * 6000 * 4000);
}
BENCHMARK(BM_LoadJpeg6000x4000)->Unit(benchmark::kMillisecond);

// The library alone: the file in memory, blue-green-red rows into a buffer of the same layout.
void BM_PlainLibjpegDecode6000x4000(benchmark::State& state) {
    std::vector<std::uint8_t> file;
    {
        const platform::FileHandle f = platform::openForReading(bigFile().c_str());
        std::uint64_t size = 0;
        platform::fileSize(f, &size);
        file.resize(size);
        platform::readFile(f, file.data(), file.size());
        platform::closeFile(f);
    }
    for (auto _ : state) {
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, file.data(), static_cast<unsigned long>(file.size()));
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&cinfo);
        const std::size_t stride = rowStride(cinfo.output_width, 24);
        auto* out = static_cast<std::uint8_t*>(std::malloc(stride * cinfo.output_height));
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = out + stride * (cinfo.output_height - 1 - cinfo.output_scanline);
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    state.SetItemsProcessed(state.iterations() * 6000 * 4000);
}
BENCHMARK(BM_PlainLibjpegDecode6000x4000)->Unit(benchmark::kMillisecond);

void BM_EncodeJpeg(benchmark::State& state) {
    const auto width = static_cast<std::int32_t>(state.range(0));
    const auto height = static_cast<std::int32_t>(state.range(1));
    const Picture picture = makePicture(width, height);
    std::vector<std::uint8_t> buffer(picture.pixels.size() + 65536);
    for (auto _ : state) {
        JpegCodec codec;
        setEncoderParameters(codec, width, height, 2835, 2835, 75, 0, false);
        std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
        if (!encodeToMemory(codec, buffer.data(), size, ~0ull, picture.pixels.data())) std::abort();
        benchmark::DoNotOptimize(size);
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(BM_EncodeJpeg)->Args({400, 300})->Args({1600, 1200})->Unit(benchmark::kMillisecond);

}  // namespace
