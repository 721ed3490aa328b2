// sample [--size WxH] OUT: a synthetic photograph (sky, sun, hills, a lake, grain) drawn by our own
// code, 1600 x 1200 unless asked otherwise, so the trim job can be shown and timed on images the
// project made itself. The extension picks the writer: .jpg/.jpeg (quality 90), .png or .bmp.
#include <cmath>
#include <cstdint>
#include <string>

#include "codecs/Bmp.h"
#include "codecs/ImageData.h"
#include "codecs/jpeg/JpegCodec.h"
#include "codecs/png/PngEncoder.h"
#include "imaging/Resample.h"
#include "tools/Cli.h"

namespace cli {
namespace {

constexpr std::int32_t kDefaultWidth = 1600;
constexpr std::int32_t kDefaultHeight = 1200;
constexpr std::int32_t kPelsPerMeter = 3780;  // 96 dpi

enum class SampleFormat { unknown, jpeg, png, bmp };

std::uint8_t clampByte(double v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5); }

// The picture is laid out in fractions of the size, so every size shows the same scene.
void drawSample(std::uint8_t* pixels, std::int32_t width, std::int32_t height) {
    const std::uint32_t stride = rowStride(static_cast<std::uint32_t>(width), 24);
    std::uint32_t noise = 12345;
    for (std::int32_t y = 0; y < height; ++y) {
        // Bottom-up rows: stored row y holds picture row height - 1 - y.
        std::uint8_t* row = pixels + std::size_t(stride) * std::size_t(height - 1 - y);
        const double fy = static_cast<double>(y) / height;
        for (std::int32_t x = 0; x < width; ++x) {
            const double fx = static_cast<double>(x) / width;
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

SampleFormat formatOf(const WideString& path) {
    std::string name = path.toUtf8();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return SampleFormat::unknown;
    std::string ext = name.substr(dot + 1);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (ext == "jpg" || ext == "jpeg") return SampleFormat::jpeg;
    if (ext == "png") return SampleFormat::png;
    if (ext == "bmp") return SampleFormat::bmp;
    return SampleFormat::unknown;
}

// "WxH", each 1..30000; false for anything else.
bool parseSize(const std::string& text, std::int32_t& width, std::int32_t& height) {
    const std::size_t x = text.find('x');
    if (x == std::string::npos || x == 0 || x + 1 >= text.size()) return false;
    long v[2];
    const std::string parts[2] = {text.substr(0, x), text.substr(x + 1)};
    for (int i = 0; i < 2; ++i) {
        if (parts[i].size() > 5 || parts[i].find_first_not_of("0123456789") != std::string::npos) return false;
        v[i] = std::stol(parts[i]);
        if (v[i] < 1 || v[i] > 30000) return false;
    }
    width = static_cast<std::int32_t>(v[0]);
    height = static_cast<std::int32_t>(v[1]);
    return true;
}

// Writes the pixels with the writer of `format`; the failure's status, or 0.
CodecStatus writeSample(SampleFormat format, const WideString& path, const BITMAPINFOHEADER& header,
                        const std::uint8_t* pixels) {
    CodecStatus why = CodecStatus::Ok;
    switch (format) {
    case SampleFormat::jpeg: {
        JpegSaveJob job;
        job.header = &header;
        job.pixels = pixels;
        job.quality = 90;
        job.resample = ResampleThumbnail;
        JpegCodec codec;
        if (!saveJpeg(codec, path, job)) why = codec.status > CodecStatus::Failure ? codec.status : CodecStatus::CannotCreate;
        break;
    }
    case SampleFormat::png: {
        PngEncoder encoder;
        setupPngEncoder(encoder, header.biWidth, header.biHeight, header.biXPelsPerMeter, header.biYPelsPerMeter,
                        false);
        if (!savePng(encoder, path, pixels)) why = encoder.status > CodecStatus::Failure ? encoder.status : CodecStatus::CannotCreate;
        discard(encoder);
        break;
    }
    case SampleFormat::bmp: {
        ImageSink sink;
        setGeometry(sink.reducer, static_cast<std::uint32_t>(header.biWidth),
                    static_cast<std::uint32_t>(header.biHeight), 24, 24);
        sink.xResolution = header.biXPelsPerMeter;
        sink.yResolution = header.biYPelsPerMeter;
        static const RGBQUAD noPalette[256] = {};
        if (!saveBmp(sink, path, noPalette, pixels)) why = sink.status > CodecStatus::Failure ? sink.status : CodecStatus::CannotCreate;
        discard(sink);
        break;
    }
    case SampleFormat::unknown: why = CodecStatus::CannotCreate; break;
    }
    return why;
}

}  // namespace

int runSample(const Command& self, const Arguments& arguments) {
    std::int32_t width = kDefaultWidth, height = kDefaultHeight;
    const WideString* out = nullptr;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i].toUtf8() == "--size") {
            if (i + 1 >= arguments.size() || !parseSize(arguments[i + 1].toUtf8(), width, height))
                return usageError(self, "--size expects WxH, each 1 to 30000");
            ++i;
        } else if (!out) {
            out = &arguments[i];
        } else {
            return usageError(self, "expects one output file");
        }
    }
    if (!out) return usageError(self, "expects one output file");
    const SampleFormat format = formatOf(*out);
    if (format == SampleFormat::unknown) return usageError(self, "the output must end in .jpg, .jpeg, .png or .bmp");

    const std::uint32_t bytes = imageBytes(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height), 24);
    std::uint8_t* pixels = bytes ? allocPixels(bytes) : nullptr;
    if (!pixels) {
        reportError(*out, CodecStatus::NoMemory);
        return kFailed;
    }
    drawSample(pixels, width, height);
    BITMAPINFOHEADER header{};
    initHeader(header, width, height, 24, kPelsPerMeter, kPelsPerMeter);
    const CodecStatus why = writeSample(format, *out, header, pixels);
    freePixels(pixels);
    if (why != CodecStatus::Ok) {
        reportError(*out, why);
        return kFailed;
    }
    std::printf("%s (%d x %d)\n", out->toUtf8().c_str(), static_cast<int>(width), static_cast<int>(height));
    return kOk;
}

}  // namespace cli
