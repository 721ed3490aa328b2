// How long the program takes to refuse hostile pictures (tiny files that declare gigapixels, or far
// more picture than their data holds), through the whole load as a document, from files in the
// temporary folder. Each refusal should take well under 10 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "document/Document.h"
#include "document/OutputJob.h"
#include "support/HostileFiles.h"
#include "util/files.h"

namespace {

using hostile::Bytes;

WideString fileWith(const Bytes& bytes) {
    WideString path;
    if (!makeTempFile(path)) return path;
    const platform::FileHandle file = platform::openForReadWrite(path.c_str(), platform::Create::existingOnly);
    platform::writeFile(file, bytes.data(), bytes.size());
    platform::closeFile(file);
    return path;
}

// A 100 x 100 grey JPEG from the program's writer.
Bytes smallJpeg() {
    Document document;
    ImageData* image = allocImageData();
    initHeader(image->header, 100, 100, 8, 0, 0);
    image->pixels = allocPixels(imageBytes(100, 100, 8));
    InstallImage(document, *image, DocumentHost{});
    freeImageData(image);
    OutputOptions options;
    options.outputFormat = OutputFormat::Jpeg;
    OutputFailure failure;
    WideString path;
    makeTempFile(path);
    WriteOutputFile(document, options, path, failure);
    Bytes bytes;
    const platform::FileHandle file = platform::openForReading(path.c_str());
    std::uint64_t size = 0;
    platform::fileSize(file, &size);
    bytes.resize(static_cast<std::size_t>(size));
    platform::readFile(file, bytes.data(), bytes.size());
    platform::closeFile(file);
    platform::deleteFile(path.c_str());
    return bytes;
}

void refuse(benchmark::State& state, const Bytes& bytes) {
    const WideString path = fileWith(bytes);
    DocumentHost host;
    host.showsImage = false;
    for (auto _ : state) {
        Document document;
        CodecStatus why = CodecStatus::Ok;
        if (LoadDocument(document, &path, host, &why)) state.SkipWithError("the hostile file loaded");
        benchmark::DoNotOptimize(why);
    }
    state.counters["file bytes"] = static_cast<double>(bytes.size());
    platform::deleteFile(path.c_str());
}

void BM_RefuseGifScreen60000(benchmark::State& s) { refuse(s, hostile::gif(60000, 60000, 1, 1)); }
void BM_RefuseJpegFrame60000(benchmark::State& s) { refuse(s, hostile::withFrameSize(smallJpeg(), 60000, 60000)); }
void BM_RefusePngHeader30000(benchmark::State& s) { refuse(s, hostile::png(30000, 30000, 1)); }
void BM_RefusePngBomb20000(benchmark::State& s) {
    static const Bytes bomb = hostile::png(20000, 20000, 20000);
    refuse(s, bomb);
}
void BM_RefusePngShort16000(benchmark::State& s) { refuse(s, hostile::png(16000, 16000, 1)); }
void BM_RefuseJpegShort16000(benchmark::State& s) { refuse(s, hostile::withFrameSize(smallJpeg(), 16000, 16000)); }
void BM_RefuseGifShortFrame16000(benchmark::State& s) { refuse(s, hostile::gif(16000, 16000, 16000, 16000)); }

}  // namespace

BENCHMARK(BM_RefuseGifScreen60000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefuseJpegFrame60000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefusePngHeader30000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefusePngBomb20000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefusePngShort16000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefuseJpegShort16000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefuseGifShortFrame16000)->Unit(benchmark::kMicrosecond);
