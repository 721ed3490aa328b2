#include "addons/webp/WebpDecoder.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstdlib>
#include <cstring>

namespace webp {
namespace {

bool riffWebp(const std::uint8_t* data, std::size_t size) {
    return data && size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

WebpStatus fromLibwebp(VP8StatusCode code) {
    switch (code) {
    case VP8_STATUS_OK: return WebpStatus::ok;
    case VP8_STATUS_OUT_OF_MEMORY: return WebpStatus::noMemory;
    case VP8_STATUS_UNSUPPORTED_FEATURE: return WebpStatus::unsupported;
    case VP8_STATUS_INVALID_PARAM:
    case VP8_STATUS_BITSTREAM_ERROR:
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_USER_ABORT:
    case VP8_STATUS_NOT_ENOUGH_DATA: break;
    }
    return WebpStatus::brokenData;
}

// A colour c with alpha a composited on white, to nearest: (c·a + 255·(255 − a)) / 255. The same
// rounding as the Netpbm reader's composite at maxval 255.
inline std::uint8_t onWhite(std::uint32_t c, std::uint32_t a) {
    return static_cast<std::uint8_t>((c * a + 255 * (255 - a) + 127) / 255);
}

std::uint8_t* bitmapRow(const WebpHeader& h, std::uint8_t* bits, std::uint32_t y) {
    return bits + std::size_t{h.height - 1 - y} * h.stride;
}

// Blue-green-red-alpha rows, top row first, into the bitmap's bottom-up rows on white.
void compositeRows(const std::uint8_t* bgra, std::size_t sourceStride, const WebpHeader& h, std::uint8_t* bits) {
    const std::size_t pixelBytes = std::size_t{h.width} * 3;
    for (std::uint32_t y = 0; y < h.height; ++y) {
        const std::uint8_t* in = bgra + y * sourceStride;
        std::uint8_t* out = bitmapRow(h, bits, y);
        for (std::uint32_t x = 0; x < h.width; ++x, in += 4, out += 3) {
            const std::uint32_t a = in[3];
            out[0] = onWhite(in[0], a);
            out[1] = onWhite(in[1], a);
            out[2] = onWhite(in[2], a);
        }
        std::memset(out, 0, h.stride - pixelBytes);
    }
}

void zeroPadding(const WebpHeader& h, std::uint8_t* bits) {
    const std::size_t pixelBytes = std::size_t{h.width} * 3;
    for (std::uint32_t y = 0; y < h.height; ++y)
        std::memset(bits + std::size_t{y} * h.stride + pixelBytes, 0, h.stride - pixelBytes);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void writeInfo(const WebpHeader& h, std::uint8_t* info) {
    std::memset(info, 0, kInfoHeaderBytes);
    put32(info, kInfoHeaderBytes);
    put32(info + 4, h.width);
    put32(info + 8, h.height);  // positive: bottom-up
    info[12] = 1;               // planes
    info[14] = 24;              // bits per pixel
    put32(info + 20, h.bitsBytes);
}

// A still picture. Without alpha libwebp writes straight into the bitmap, bottom-up through its flip
// option; with alpha it writes blue-green-red-alpha into a working buffer that is then composited.
WebpStatus decodeStill(const std::uint8_t* data, std::size_t size, const WebpHeader& h, std::uint8_t* bits) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) return WebpStatus::unsupported;  // a library of another interface
    config.output.is_external_memory = 1;
    if (!h.hasAlpha) {
        config.output.colorspace = MODE_BGR;
        config.output.u.RGBA.rgba = bits;
        config.output.u.RGBA.stride = static_cast<int>(h.stride);
        config.output.u.RGBA.size = h.bitsBytes;
        config.options.flip = 1;
        const WebpStatus status = fromLibwebp(WebPDecode(data, size, &config));
        WebPFreeDecBuffer(&config.output);
        if (status == WebpStatus::ok) zeroPadding(h, bits);
        return status;
    }
    const std::size_t workStride = std::size_t{h.width} * 4;
    const std::size_t workBytes = workStride * h.height;
    auto* work = static_cast<std::uint8_t*>(std::malloc(workBytes));
    if (!work) return WebpStatus::noMemory;
    config.output.colorspace = MODE_BGRA;
    config.output.u.RGBA.rgba = work;
    config.output.u.RGBA.stride = static_cast<int>(workStride);
    config.output.u.RGBA.size = workBytes;
    const WebpStatus status = fromLibwebp(WebPDecode(data, size, &config));
    WebPFreeDecBuffer(&config.output);
    if (status == WebpStatus::ok) compositeRows(work, workStride, h, bits);
    std::free(work);
    return status;
}

// The first frame of an animation as libwebp's animation decoder shows it: drawn on a transparent
// canvas of the animation's size, which then goes on white.
WebpStatus decodeFirstFrame(const std::uint8_t* data, std::size_t size, const WebpHeader& h, std::uint8_t* bits) {
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return WebpStatus::unsupported;
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData input = {data, size};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&input, &options);
    if (!decoder) return WebpStatus::brokenData;  // the demuxer refused the file, or memory ran out
    WebpStatus status = WebpStatus::brokenData;
    WebPAnimInfo info;
    std::uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (WebPAnimDecoderGetInfo(decoder, &info) && info.canvas_width == h.width && info.canvas_height == h.height &&
        info.frame_count > 0 && WebPAnimDecoderGetNext(decoder, &canvas, &timestamp) && canvas) {
        compositeRows(canvas, std::size_t{h.width} * 4, h, bits);
        status = WebpStatus::ok;
    }
    WebPAnimDecoderDelete(decoder);
    return status;
}

}  // namespace

bool hasWebpSignature(const std::uint8_t* head, std::size_t size) {
    return riffWebp(head, size) && WebPGetInfo(head, size, nullptr, nullptr) != 0;
}

WebpStatus readWebpHeader(const std::uint8_t* data, std::size_t size, WebpHeader& header) {
    header = WebpHeader{};
    if (!riffWebp(data, size)) return WebpStatus::notWebp;
    WebPBitstreamFeatures features;
    const WebpStatus status = fromLibwebp(WebPGetFeatures(data, size, &features));
    if (status != WebpStatus::ok) return status;
    if (features.width <= 0 || features.height <= 0) return WebpStatus::brokenData;
    const std::uint64_t width = static_cast<std::uint64_t>(features.width);
    const std::uint64_t height = static_cast<std::uint64_t>(features.height);
    if (width * height > kMaxPixels) return WebpStatus::tooLarge;
    const std::uint64_t stride = (width * 3 + 3) / 4 * 4;
    if (stride * height > 0xFFFFFFFF) return WebpStatus::tooLarge;
    header.width = static_cast<std::uint32_t>(width);
    header.height = static_cast<std::uint32_t>(height);
    header.hasAlpha = features.has_alpha != 0;
    header.animated = features.has_animation != 0;
    header.lossless = features.format == 2;
    header.stride = static_cast<std::uint32_t>(stride);
    header.bitsBytes = static_cast<std::uint32_t>(stride * height);
    return WebpStatus::ok;
}

WebpStatus decodeWebp(const std::uint8_t* data, std::size_t size, std::uint8_t* info, std::size_t infoBytes,
                      std::uint8_t* bits, std::size_t bitsBytes) {
    WebpHeader h;
    const WebpStatus status = readWebpHeader(data, size, h);
    if (status != WebpStatus::ok) return status;
    if (!info || !bits || infoBytes < h.infoBytes || bitsBytes < h.bitsBytes) return WebpStatus::bufferTooSmall;
    writeInfo(h, info);
    return h.animated ? decodeFirstFrame(data, size, h, bits) : decodeStill(data, size, h, bits);
}

}  // namespace webp
