// GIF round trip: bytes make a small 24-bit image, which is written to memory and read back. The
// write must succeed, the file must decode to the same size, and an image of at most 256 colours
// must come back pixel for pixel.
#include <cstdlib>
#include <set>
#include <vector>

#include "codecs/Gif.h"
#include "fuzz/FuzzHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::uint32_t w = 1 + data[0] % 96, h = 1 + data[1] % 96;
    const bool interlaced = data[2] & 1;
    // Few distinct bytes make runs and few colours; the colour of a pixel is three input bytes,
    // taken again from the start when the input runs out.
    const std::uint8_t* px = data + 3;
    const std::size_t n = size - 3;
    const std::uint32_t stride = rowStride(w, 24);
    std::vector<std::uint8_t> image(std::size_t{stride} * h + 4, 0);
    std::set<std::uint32_t> colours;
    std::size_t at = 0;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t* p = &image[std::size_t{y} * stride + x * 3];
            for (int c = 0; c < 3; ++c, ++at) p[c] = px[at % n];
            colours.insert(p[0] | p[1] << 8 | p[2] << 16);
        }

    std::vector<std::uint8_t> file;
    ImageSink sink;
    setGeometry(sink.reducer, w, h, 24, 8);
    if (!saveGifToMemory(sink, file, nullptr, image.data(), interlaced)) std::abort();
    ImageSource source;
    ImageData* decoded = loadFramedMemory(source, file.data(), file.size(), decodeGif);
    if (!decoded || decoded->header.biWidth != static_cast<std::int32_t>(w) ||
        decoded->header.biHeight != static_cast<std::int32_t>(h))
        std::abort();
    if (colours.size() <= 256) {
        const std::uint32_t dstride = rowStride(w, 8);
        for (std::uint32_t y = 0; y < h; ++y)
            for (std::uint32_t x = 0; x < w; ++x) {
                const RGBQUAD& q = decoded->palette[decoded->pixels[std::size_t{y} * dstride + x]];
                const std::uint8_t* p = &image[std::size_t{y} * stride + x * 3];
                if (q.rgbBlue != p[0] || q.rgbGreen != p[1] || q.rgbRed != p[2]) std::abort();
            }
    }
    checkDecode(source, decoded);
    return 0;
}
