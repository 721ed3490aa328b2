// The WebP plug-in's decoding function on arbitrary bytes (natively over Debian's libwebp), through
// the two calls the plug-in makes: the header, then the decode into buffers of exactly the sizes the
// header asks for. A decoded bitmap must have the shape its header promised, padding zeroed.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "addons/webp/WebpDecoder.h"

#ifndef VANTLE_FUZZ_PIXEL_LIMIT
#define VANTLE_FUZZ_PIXEL_LIMIT 16777216
#endif

namespace {

std::uint32_t get32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    webp::WebpHeader h;
    if (webp::readWebpHeader(data, size, h) != webp::WebpStatus::ok) return 0;
    check(h.width > 0 && h.height > 0 && std::uint64_t{h.width} * h.height <= webp::kMaxPixels);
    check(h.stride % 4 == 0 && h.stride >= std::uint64_t{h.width} * 3 && h.stride < std::uint64_t{h.width} * 3 + 4);
    check(h.bitsBytes == std::uint64_t{h.stride} * h.height && h.infoBytes == 40);
    // A small file may rightly declare a canvas of 2^28 pixels; libwebp's canvases (4 bytes a pixel,
    // two of them for an animation) would then pass the fuzzer's memory limit.
    if (std::uint64_t{h.width} * h.height * 4 > VANTLE_FUZZ_PIXEL_LIMIT) return 0;

    std::vector<std::uint8_t> info(h.infoBytes), bits(h.bitsBytes);
    const webp::WebpStatus status = webp::decodeWebp(data, size, info.data(), info.size(), bits.data(), bits.size());
    check(status != webp::WebpStatus::bufferTooSmall && status != webp::WebpStatus::notWebp &&
          status != webp::WebpStatus::tooLarge);
    if (status != webp::WebpStatus::ok) return 0;

    check(get32(&info[0]) == 40 && get32(&info[4]) == h.width && get32(&info[8]) == h.height);
    check(get32(&info[12]) == (1u | 24u << 16) && get32(&info[16]) == 0);
    for (std::uint32_t y = 0; y < h.height; ++y)
        for (std::size_t i = std::size_t{h.width} * 3; i < h.stride; ++i) check(bits[std::size_t{y} * h.stride + i] == 0);
    return 0;
}
