// Cross-checks with the tools people make Netpbm files with, natively only: Netpbm itself and
// ImageMagick write one picture as every variant (plain and raw, 8 and 16 bits, PAM with and without
// alpha), and each variant must decode to the pixels of the PNG the same tool makes of it, read by
// Vantle's own PNG decoder.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "PnmFixtures.h"
#include "codecs/ImageSource.h"
#include "codecs/png/PngDecoder.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"

using namespace pnmtest;

namespace {

const char* const kConvert = "/usr/bin/convert-im6.q16";
const char* const kPamToPng = "/usr/bin/pamtopng";

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A 61 x 37 photograph stand-in: gradients in two channels, noise in the third, a few flat patches
// (black, white, saturated primaries) so the thresholds and extremes are met; and an alpha plane
// from opaque to clear, with a clear and an opaque column.
void drawPicture(const std::string& colourPath, const std::string& alphaPath) {
    const std::uint32_t w = 61, h = 37;
    std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    std::string pgm = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    std::uint32_t seed = 12345;
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            seed = seed * 1103515245 + 12345;
            std::uint8_t r = static_cast<std::uint8_t>(x * 255 / (w - 1));
            std::uint8_t g = static_cast<std::uint8_t>(y * 255 / (h - 1));
            std::uint8_t b = static_cast<std::uint8_t>(seed >> 16);
            if (x < 6 && y < 6) r = g = b = 0;
            if (x >= w - 6 && y < 6) r = g = b = 255;
            if (y >= h - 4) {
                const std::uint32_t band = x * 3 / w;
                r = band == 0 ? 255 : 0;
                g = band == 1 ? 255 : 0;
                b = band == 2 ? 255 : 0;
            }
            ppm += static_cast<char>(r);
            ppm += static_cast<char>(g);
            ppm += static_cast<char>(b);
            pgm += static_cast<char>(x == 0 ? 255 : x == w - 1 ? 0 : 255 - (x * 255 / w + y) % 256);
        }
    writeFile(colourPath, bytes(ppm));
    writeFile(alphaPath, bytes(pgm));
}

std::uint32_t imageRgb(const ImageData& image, std::uint32_t x, std::uint32_t y) {
    const std::uint32_t w = static_cast<std::uint32_t>(image.header.biWidth);
    const std::uint32_t h = static_cast<std::uint32_t>(image.header.biHeight);
    const std::uint32_t bits = image.header.biBitCount;
    const std::uint8_t* row = image.pixels + std::size_t{h - 1 - y} * ((w * bits + 31) / 32 * 4);
    if (bits == 24) return std::uint32_t{row[3 * x + 2]} << 16 | row[3 * x + 1] << 8 | row[3 * x];
    const RGBQUAD& q = image.palette[row[x]];
    return std::uint32_t{q.rgbRed} << 16 | q.rgbGreen << 8 | q.rgbBlue;
}

int channelDifference(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF));
        if (d > most) most = d;
    }
    return most;
}

struct Variant {
    const char* name;
    std::string command;  // writes "out" in the work folder from s.ppm (colour) and a.pgm (alpha)
    bool netpbm;          // made by Netpbm (its PNG through pamtopng), else by ImageMagick
    const char* start;    // what the file must begin with
    const char* tupleType;
    std::uint16_t bitCount;
    int tolerance;  // alpha: the PNG decoder composites with its own table
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.name; }

class PnmTools : public testing::TestWithParam<Variant> {
protected:
    void SetUp() override {
        const Variant& v = GetParam();
        if (access(v.netpbm ? kPamToPng : kConvert, X_OK) != 0) GTEST_SKIP() << "the tool is not installed";
        work = dir.path().toUtf8();
        drawPicture(work + "/s.ppm", work + "/a.pgm");
    }
    bool run(const std::string& command) const {
        const std::string line = "cd '" + work + "' && (" + command + ") 2>/dev/null";
        return std::system(line.c_str()) == 0;
    }

    TempDir dir;
    std::string work;
};

TEST_P(PnmTools, DecodesAsTheToolsPng) {
    const Variant& v = GetParam();
    ASSERT_TRUE(run(v.command)) << v.command;
    const std::string png = v.netpbm ? std::string(kPamToPng) + " out > out.png"
                                     : std::string(kConvert) + " out -define png:bit-depth=8 png:out.png";
    ASSERT_TRUE(run(png)) << png;

    const Bytes file = readFile(work + "/out");
    ASSERT_GT(file.size(), 2u);
    ASSERT_EQ(std::string(file.begin(), file.begin() + 2), v.start);
    if (v.tupleType) {
        const std::string text(file.begin(), file.begin() + std::min<std::size_t>(file.size(), 200));
        ASSERT_NE(text.find(std::string("TUPLTYPE ") + v.tupleType + "\n"), std::string::npos) << text;
    }
    const Decoded ours = decode(file);
    ASSERT_EQ(ours.status, pnm::PnmStatus::ok);
    EXPECT_EQ(ours.header.bitCount, v.bitCount);

    const Bytes pngBytes = readFile(work + "/out.png");
    ImageSource source;
    ImageData* theirs = loadFramedMemory(source, pngBytes.data(), pngBytes.size(), decodePng);
    ASSERT_NE(theirs, nullptr) << "status " << source.status;
    ASSERT_EQ(theirs->header.biWidth, 61);
    ASSERT_EQ(theirs->header.biHeight, 37);
    ASSERT_EQ(ours.header.width, 61u);
    ASSERT_EQ(ours.header.height, 37u);
    int worst = 0, differing = 0;
    for (std::uint32_t y = 0; y < 37; ++y)
        for (std::uint32_t x = 0; x < 61; ++x) {
            const int d = channelDifference(ours.rgb(x, y), imageRgb(*theirs, x, y));
            worst = std::max(worst, d);
            differing += d != 0;
        }
    freeImageData(theirs);
    EXPECT_LE(worst, v.tolerance) << differing << " pixels differ";
}

// "out" is always the last file written.
const std::string im = kConvert;
const std::string grey = im + " s.ppm -colorspace gray";
const std::string bilevel = grey + " -threshold 50%";
const std::string withAlpha = im + " s.ppm a.pgm -alpha off -compose CopyOpacity -composite";

INSTANTIATE_TEST_SUITE_P(
    Variants, PnmTools,
    testing::Values(
        Variant{"netpbm_P1", "ppmtopgm s.ppm | pamthreshold -simple | pamtopnm -plain > out", true, "P1", nullptr, 1, 0},
        Variant{"netpbm_P4", "ppmtopgm s.ppm | pamthreshold -simple | pamtopnm > out", true, "P4", nullptr, 1, 0},
        Variant{"netpbm_P7_blackandwhite", "ppmtopgm s.ppm | pamthreshold -simple > out", true, "P7", "BLACKANDWHITE",
                1, 0},
        Variant{"netpbm_P2", "ppmtopgm s.ppm | pamtopnm -plain > out", true, "P2", nullptr, 8, 0},
        Variant{"netpbm_P5", "ppmtopgm s.ppm > out", true, "P5", nullptr, 8, 0},
        Variant{"netpbm_P2_16bit", "ppmtopgm s.ppm | pamdepth 65535 | pamtopnm -plain > out", true, "P2", nullptr, 8, 0},
        Variant{"netpbm_P5_16bit", "ppmtopgm s.ppm | pamdepth 65535 > out", true, "P5", nullptr, 8, 0},
        Variant{"netpbm_P3", "pamtopnm -plain s.ppm > out", true, "P3", nullptr, 24, 0},
        Variant{"netpbm_P3_16bit", "pamdepth 65535 s.ppm | pamtopnm -plain > out", true, "P3", nullptr, 24, 0},
        Variant{"netpbm_P6_16bit", "pamdepth 65535 s.ppm > out", true, "P6", nullptr, 24, 0},
        Variant{"netpbm_P7_rgb", "pamtopam < s.ppm > out", true, "P7", "RGB", 24, 0},
        Variant{"netpbm_P7_rgb_alpha", "pamstack -tupletype=RGB_ALPHA s.ppm a.pgm > out", true, "P7", "RGB_ALPHA", 24,
                1},
        Variant{"netpbm_P7_rgb_alpha_16bit", "pamstack -tupletype=RGB_ALPHA s.ppm a.pgm | pamdepth 65535 > out", true,
                "P7", "RGB_ALPHA", 24, 1},
        Variant{"netpbm_P7_grayscale_alpha", "ppmtopgm s.ppm > g.pgm && pamstack -tupletype=GRAYSCALE_ALPHA g.pgm a.pgm > out",
                true, "P7", "GRAYSCALE_ALPHA", 8, 1},
        Variant{"imagemagick_P1", bilevel + " -compress none pbm:out", false, "P1", nullptr, 1, 0},
        Variant{"imagemagick_P4", bilevel + " pbm:out", false, "P4", nullptr, 1, 0},
        Variant{"imagemagick_P7_blackandwhite", bilevel + " pam:out", false, "P7", "BLACKANDWHITE", 8, 0},
        Variant{"imagemagick_P2", grey + " -compress none pgm:out", false, "P2", nullptr, 8, 0},
        Variant{"imagemagick_P5", grey + " pgm:out", false, "P5", nullptr, 8, 0},
        Variant{"imagemagick_P5_16bit", grey + " -depth 16 pgm:out", false, "P5", nullptr, 8, 0},
        Variant{"imagemagick_P3", im + " s.ppm -compress none ppm:out", false, "P3", nullptr, 24, 0},
        Variant{"imagemagick_P6", im + " s.ppm ppm:out", false, "P6", nullptr, 24, 0},
        Variant{"imagemagick_P3_16bit", im + " s.ppm -depth 16 -compress none ppm:out", false, "P3", nullptr, 24, 0},
        Variant{"imagemagick_P6_16bit", im + " s.ppm -depth 16 ppm:out", false, "P6", nullptr, 24, 0},
        Variant{"imagemagick_P7_rgb", im + " s.ppm pam:out", false, "P7", "RGB", 24, 0},
        Variant{"imagemagick_P7_rgb_alpha", withAlpha + " pam:out", false, "P7", "RGB_ALPHA", 24, 1},
        Variant{"imagemagick_P7_rgb_alpha_16bit", withAlpha + " -depth 16 pam:out", false, "P7", "RGB_ALPHA", 24, 1},
        Variant{"imagemagick_P7_grayscale_alpha", withAlpha + " -colorspace gray pam:out", false, "P7",
                "GRAYSCALE_ALPHA", 8, 1}),
    [](const testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

}  // namespace

#endif
