// Transparency removed by compositing onto the background colour (bKGD when the file has one, else
// the decoder's default) through the blend table: alpha blended, transparent colours and palette
// entries replaced. Backgrounds are red, green, blue; pixels and palette entries blue, green, red.
#include "codecs/png/BlendTable.h"
#include "codecs/png/PngDecoding.h"
#include "platform/platform.h"

namespace png {

namespace {

// Colour type 2 with tRNS: every pixel of exactly the transparent colour becomes the background.
void replaceKeyColour(const PngDecoder& d, ImageData& image, const std::uint8_t* bg) {
    const std::uint8_t* key = d.transparent;
    const std::size_t width = static_cast<std::size_t>(d.imageWidth);
    for (std::size_t y = 0; y < static_cast<std::size_t>(d.imageHeight); ++y) {
        std::uint8_t* p = image.pixels + y * d.outputStride;
        for (std::size_t x = 0; x < width; ++x, p += 3) {
            if (p[0] == key[2] && p[1] == key[1] && p[2] == key[0]) {
                p[0] = bg[2];
                p[1] = bg[1];
                p[2] = bg[0];
            }
        }
    }
}

// Colour type 3: every palette entry blended by its alpha (255 for those tRNS does not list).
void blendPalette(const PngDecoder& d, ImageData& image, const std::uint8_t* bg, const std::uint8_t* t) {
    for (int i = 0; i < 256; ++i) {
        RGBQUAD& e = image.palette[i];
        const unsigned a = d.paletteAlpha[i];
        const unsigned rest = (255 - a) * 256;
        e.rgbBlue = static_cast<std::uint8_t>(t[a * 256 + e.rgbBlue] + t[rest + bg[2]]);
        e.rgbGreen = static_cast<std::uint8_t>(t[a * 256 + e.rgbGreen] + t[rest + bg[1]]);
        e.rgbRed = static_cast<std::uint8_t>(t[a * 256 + e.rgbRed] + t[rest + bg[0]]);
    }
}

// Colour type 4: the image stays grey, so only the background's red component takes part. Opaque
// pixels stay as they are (T[v][255] = v, T[b][0] = 0).
void blendGrey(const PngDecoder& d, ImageData& image, const std::uint8_t* bg, const std::uint8_t* t) {
    const std::size_t width = static_cast<std::size_t>(d.imageWidth);
    const std::uint8_t* under = t + bg[0] * 256;
    for (std::size_t y = 0; y < static_cast<std::size_t>(d.imageHeight); ++y) {
        std::uint8_t* p = image.pixels + y * d.outputStride;
        const std::uint8_t* a = d.alphaPlane + y * width;
        for (std::size_t x = 0; x < width; ++x)
            if (a[x] != 255) p[x] = static_cast<std::uint8_t>(t[p[x] * 256 + a[x]] + under[255 - a[x]]);
    }
}

// Colour type 6: each component blended with the background's.
void blendColour(const PngDecoder& d, ImageData& image, const std::uint8_t* bg, const std::uint8_t* t) {
    const std::size_t width = static_cast<std::size_t>(d.imageWidth);
    const std::uint8_t* underB = t + bg[2] * 256;
    const std::uint8_t* underG = t + bg[1] * 256;
    const std::uint8_t* underR = t + bg[0] * 256;
    for (std::size_t y = 0; y < static_cast<std::size_t>(d.imageHeight); ++y) {
        std::uint8_t* p = image.pixels + y * d.outputStride;
        const std::uint8_t* a = d.alphaPlane + y * width;
        for (std::size_t x = 0; x < width; ++x, p += 3) {
            const unsigned alpha = a[x], rest = 255 - alpha;
            if (alpha == 255) continue;  // T[c][255] = c and T[b][0] = 0: the pixel stays
            p[0] = static_cast<std::uint8_t>(t[p[0] * 256 + alpha] + underB[rest]);
            p[1] = static_cast<std::uint8_t>(t[p[1] * 256 + alpha] + underG[rest]);
            p[2] = static_cast<std::uint8_t>(t[p[2] * 256 + alpha] + underR[rest]);
        }
    }
}

}  // namespace

bool composite(PngDecoder& d) {
    auto* table = static_cast<std::uint8_t*>(platform::heapAlloc(kBlendTableBytes));
    if (!table) return fail(d, CodecStatus::NoMemory);
    buildBlendTable(table);
    const std::uint8_t* bg = d.seenBKGD ? d.background : d.defaultBackground;
    ImageData& image = *d.source.result;
    switch (d.colourType) {
    case 0:  // the palette entry of the transparent grey level becomes the background
        image.palette[d.transparent[1]] = RGBQUAD{bg[2], bg[1], bg[0], 0};
        break;
    case 2: replaceKeyColour(d, image, bg); break;
    case 3: blendPalette(d, image, bg, table); break;
    case 4: blendGrey(d, image, bg, table); break;
    case 6: blendColour(d, image, bg, table); break;
    default: break;
    }
    platform::heapFree(table);
    return true;
}

}  // namespace png
