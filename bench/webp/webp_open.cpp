// Opens a WebP file the way the WebP plug-in does and times each step: the file read whole, the
// header, the two bitmap buffers allocated, the decoding function, the buffers freed. Beside it, for
// where the time goes, libwebp's own decode of the same file into a bitmap-shaped BGR buffer alone.
// Prints the median of RUNS (default 7) of each, in milliseconds. For scripts/bench-webp.sh.
//
//   webp_open FILE [RUNS]
#include <webp/decode.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "addons/webp/WebpDecoder.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool readWhole(const char* path, std::vector<std::uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    bytes.clear();
    std::uint8_t chunk[1 << 16];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    const bool good = !std::ferror(file);
    std::fclose(file);
    return good;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: webp_open FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    std::vector<double> read, header, allocate, decode, release, total, libwebp;
    webp::WebpHeader h;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        std::vector<std::uint8_t> file;
        if (!readWhole(argv[1], file)) {
            std::fprintf(stderr, "webp_open: cannot read %s\n", argv[1]);
            return 1;
        }
        read.push_back(since(start));

        Clock::time_point t = Clock::now();
        if (webp::readWebpHeader(file.data(), file.size(), h) != webp::WebpStatus::ok) {
            std::fprintf(stderr, "webp_open: %s is no WebP picture\n", argv[1]);
            return 1;
        }
        header.push_back(since(t));

        t = Clock::now();
        auto* info = static_cast<std::uint8_t*>(std::malloc(h.infoBytes));
        auto* bits = static_cast<std::uint8_t*>(std::malloc(h.bitsBytes));
        allocate.push_back(since(t));
        if (!info || !bits) return 1;

        t = Clock::now();
        const webp::WebpStatus status = webp::decodeWebp(file.data(), file.size(), info, h.infoBytes, bits, h.bitsBytes);
        decode.push_back(since(t));
        if (status != webp::WebpStatus::ok) {
            std::fprintf(stderr, "webp_open: decoding failed (%d)\n", static_cast<int>(status));
            return 1;
        }

        t = Clock::now();
        std::free(bits);
        std::free(info);
        release.push_back(since(t));
        total.push_back(since(start));

        // libwebp alone, into a fresh buffer of the same shape.
        auto* alone = static_cast<std::uint8_t*>(std::malloc(h.bitsBytes));
        t = Clock::now();
        const bool decoded =
            WebPDecodeBGRInto(file.data(), file.size(), alone, h.bitsBytes, static_cast<int>(h.stride)) != nullptr;
        libwebp.push_back(since(t));
        std::free(alone);
        if (!decoded) return 1;
    }
    std::printf("picture %u x %u%s%s, %d runs, medians in ms\n", h.width, h.height, h.hasAlpha ? ", alpha" : "",
                h.animated ? ", animated" : "", runs);
    std::printf("read %.2f\nheader %.3f\nallocate %.3f\ndecode %.2f\nfree %.3f\ntotal %.2f\nlibwebp_alone %.2f\n",
                median(read), median(header), median(allocate), median(decode), median(release), median(total),
                median(libwebp));
    return 0;
}
