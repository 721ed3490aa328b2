// sample OUT.jpg: a 1600 x 1200 synthetic photograph (sky, sun, hills, a lake, grain) drawn by our
// own code, so the trim job can be shown on an image the project made itself.
#include <cmath>
#include <cstdint>

#include "codecs/ImageData.h"
#include "codecs/jpeg/JpegCodec.h"
#include "imaging/Resample.h"
#include "tools/Cli.h"

namespace cli {
namespace {

constexpr std::int32_t kWidth = 1600;
constexpr std::int32_t kHeight = 1200;

std::uint8_t clampByte(double v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }

void drawSample(std::uint8_t* pixels) {
    const std::uint32_t stride = rowStride(kWidth, 24);
    std::uint32_t noise = 12345;
    for (std::int32_t y = 0; y < kHeight; ++y) {
        // Bottom-up rows: stored row y holds picture row kHeight - 1 - y.
        std::uint8_t* row = pixels + std::size_t(stride) * std::size_t(kHeight - 1 - y);
        const double fy = static_cast<double>(y) / kHeight;
        for (std::int32_t x = 0; x < kWidth; ++x) {
            const double fx = static_cast<double>(x) / kWidth;
            const double hill = 0.55 + 0.08 * std::sin(fx * 7.0) + 0.04 * std::sin(fx * 23.0 + 1.0);
            const double lake = 0.8 + 0.02 * std::sin(fx * 3.0);
            double r, g, b;
            if (fy < hill) {  // sky with a sun
                r = 90 + 120 * fy;
                g = 140 + 90 * fy;
                b = 230 - 40 * fy;
                const double d = std::hypot(fx - 0.72, (fy - 0.22) * 0.75);
                if (d < 0.06) r = 255, g = 240, b = 190;
                else if (d < 0.15) { const double t = (0.15 - d) / 0.09; r += (255 - r) * t * 0.6; g += (230 - g) * t * 0.5; }
            } else if (fy < lake) {  // hills with stripes of fields
                const double shade = 0.7 + 0.3 * std::sin(fx * 40.0 + fy * 25.0);
                r = 60 * shade + 40 * fy;
                g = 120 * shade + 30 * fy;
                b = 40 * shade;
            } else {  // lake mirroring the sky, with ripples
                const double ripple = 0.85 + 0.15 * std::sin(fy * 300.0 + std::sin(fx * 20.0) * 3.0);
                r = 70 * ripple;
                g = 110 * ripple;
                b = 180 * ripple;
            }
            noise = noise * 1664525u + 1013904223u;  // film grain
            const double grain = static_cast<double>((noise >> 24) & 15) - 7.5;
            row[3 * x + 0] = clampByte(b + grain);
            row[3 * x + 1] = clampByte(g + grain);
            row[3 * x + 2] = clampByte(r + grain);
        }
    }
}

}  // namespace

int runSample(const Command& self, const Arguments& arguments) {
    if (arguments.size() != 1) return usageError(self, "expects one output file");
    std::uint8_t* pixels = allocPixels(imageBytes(kWidth, kHeight, 24));
    if (!pixels) {
        reportError(arguments[0], status::kNoMemory);
        return kFailed;
    }
    drawSample(pixels);
    BITMAPINFOHEADER header{};
    initHeader(header, kWidth, kHeight, 24, 3780, 3780);  // 96 dpi
    JpegSaveJob job;
    job.header = &header;
    job.pixels = pixels;
    job.quality = 90;
    job.resample = Resample;
    JpegCodec codec;
    const bool saved = saveJpeg(codec, arguments[0], job);
    freePixels(pixels);
    if (!saved) {
        reportError(arguments[0], codec.status > status::kFailure ? codec.status : status::kCannotCreate);
        return kFailed;
    }
    std::printf("%s (%d x %d)\n", arguments[0].toUtf8().c_str(), kWidth, kHeight);
    return kOk;
}

}  // namespace cli
