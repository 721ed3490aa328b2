// Cross-checks with ImageMagick, natively only: GIFs it writes (interlaced, transparent, local
// tables, smaller than the screen, animated, dithered) must decode to the pixels its own decoder
// gives, and GIFs our encoder writes must decode there to the pixels we meant.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "GifFixtures.h"
#include "support/TempDir.h"

using namespace giftest;

namespace {

const char* const kConvert = "/usr/bin/convert-im6.q16";

bool magick(const std::string& args) {
    const std::string command = std::string(kConvert) + " " + args + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

struct Pnm {
    std::uint32_t width = 0, height = 0, channels = 0;
    Bytes data;
    std::uint32_t rgb(std::uint32_t x, std::uint32_t y) const {
        const std::uint8_t* p = &data[(std::size_t{y} * width + x) * channels];
        return channels == 1 ? p[0] * 0x010101u : std::uint32_t{p[0]} << 16 | p[1] << 8 | p[2];
    }
};

// Binary PPM (P6) or PGM (P5) with a maximum of 255.
Pnm readPnm(const std::string& path) {
    Pnm pnm;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    unsigned maxval = 0;
    in >> magic >> pnm.width >> pnm.height >> maxval;
    in.get();
    if (!in || maxval != 255 || (magic != "P6" && magic != "P5")) return Pnm{};
    pnm.channels = magic == "P6" ? 3 : 1;
    pnm.data.resize(std::size_t{pnm.width} * pnm.height * pnm.channels);
    in.read(reinterpret_cast<char*>(pnm.data.data()), static_cast<std::streamsize>(pnm.data.size()));
    return in ? pnm : Pnm{};
}

void writePpm(const std::string& path, std::uint32_t w, std::uint32_t h,
              const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& colourAt) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << w << " " << h << "\n255\n";
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint32_t c = colourAt(x, y);
            const char px[3] = {static_cast<char>(c >> 16), static_cast<char>(c >> 8), static_cast<char>(c)};
            out.write(px, 3);
        }
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class GifImageMagick : public testing::Test {
protected:
    void SetUp() override {
        if (access(kConvert, X_OK) != 0) GTEST_SKIP() << "ImageMagick is not installed";
    }
    std::string path(const char* name) const { return dir.path().toUtf8() + "/" + name; }

    // A picture with `colours` colours in runs and a little noise.
    std::string source(const char* name, std::uint32_t w, std::uint32_t h, unsigned colours, std::uint32_t seed) {
        const std::string p = path(name);
        writePpm(p, w, h, [&](std::uint32_t x, std::uint32_t y) {
            seed = seed * 1664525u + 1013904223u;
            const unsigned k = ((x / 4 + y / 3) + (seed >> 29 == 0 ? seed >> 10 : 0)) % colours;
            return (k * 0x9E3779B1u) & 0xFFFFFF;
        });
        return p;
    }

    // Decodes `gif` with both decoders and compares the first image; outside the image, and where
    // ImageMagick sees transparency, our pixels must show the background colour of the global table.
    void expectSameAsMagick(const std::string& gif, bool checkTransparency = false) {
        ImageSource src;
        ImageData* raw = loadGif(src, WideString::fromUtf8(gif));
        discard(src);
        ASSERT_NE(raw, nullptr) << src.status;
        Decoded ours;
        ours.image.reset(raw);

        ASSERT_TRUE(magick("'" + gif + "[0]' +repage '" + path("frame.ppm") + "'"));
        const Pnm theirs = readPnm(path("frame.ppm"));
        ASSERT_GT(theirs.width, 0u);
        Pnm alpha;
        if (checkTransparency) {
            ASSERT_TRUE(magick("'" + gif + "[0]' +repage -alpha extract '" + path("alpha.pgm") + "'"));
            alpha = readPnm(path("alpha.pgm"));
            ASSERT_EQ(alpha.width, theirs.width);
        }

        std::ifstream in(gif, std::ios::binary);
        const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t d = findDescriptor(file);
        const std::uint32_t left = load16le(&file[d + 1]), top = load16le(&file[d + 3]);
        ASSERT_EQ(theirs.width, load16le(&file[d + 5]));
        ASSERT_EQ(theirs.height, load16le(&file[d + 7]));
        std::uint32_t background = 0xFFFFFF;
        if (file[10] & 0x80) {
            const std::uint8_t* c = &file[13 + 3 * file[11]];
            background = std::uint32_t{c[0]} << 16 | c[1] << 8 | c[2];
        }

        int transparent = 0, outside = 0;
        for (std::uint32_t y = 0; y < ours.height(); ++y)
            for (std::uint32_t x = 0; x < ours.width(); ++x) {
                const bool inside = x >= left && x < left + theirs.width && y >= top && y < top + theirs.height;
                std::uint32_t expected = background;
                if (inside && (!checkTransparency || alpha.rgb(x - left, y - top) != 0))
                    expected = theirs.rgb(x - left, y - top);
                else
                    ++(inside ? transparent : outside);
                ASSERT_EQ(ours.rgb(x, y), expected) << x << "," << y;
            }
        if (checkTransparency) {
            EXPECT_GT(transparent, 0);
        }
        lastOutside = outside;
    }

    TempDir dir;
    int lastOutside = 0;
};

TEST_F(GifImageMagick, DecodesWhatItWrites) {
    const std::string src = source("src.ppm", 37, 23, 100, 1);
    const struct {
        const char* name;
        std::string args;
        std::uint8_t descriptorFlags;  // expected bits 6 and 7 of the image descriptor
    } cases[] = {
        {"plain", "", 0},
        {"interlaced", "-interlace GIF", 0x40},
        {"two colours", "-colors 2 +dither", 0},
        {"dithered photo", "-resize 400% +noise Gaussian -colors 256", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string gif = path("out.gif");
        ASSERT_TRUE(magick("'" + src + "' " + c.args + " '" + gif + "'"));
        std::ifstream in(gif, std::ios::binary);
        const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(file[findDescriptor(file) + 9] & 0xC0, c.descriptorFlags);
        expectSameAsMagick(gif);
    }
}

TEST_F(GifImageMagick, TransparentPixelsShowTheBackgroundColour) {
    const std::string src = source("src.ppm", 40, 30, 20, 2);
    const std::string gif = path("t.gif");
    // Colour 0 of the pattern becomes transparent.
    ASSERT_TRUE(magick("'" + src + "' -transparent '#000000' '" + gif + "'"));
    expectSameAsMagick(gif, true);
}

TEST_F(GifImageMagick, ImageSmallerThanTheScreen) {
    const std::string src = source("src.ppm", 20, 11, 30, 3);
    for (const char* interlace : {"", "-interlace GIF"}) {
        SCOPED_TRACE(interlace);
        const std::string gif = path("page.gif");
        ASSERT_TRUE(magick("'" + src + "' " + interlace + " -repage 60x50+9+4 '" + gif + "'"));
        expectSameAsMagick(gif);
        EXPECT_EQ(lastOutside, 60 * 50 - 20 * 11);
    }
}

TEST_F(GifImageMagick, FirstFrameOfAnAnimation) {
    const std::string a = source("a.ppm", 32, 24, 40, 4);
    const std::string b = source("b.ppm", 32, 24, 200, 5);
    const std::string gif = path("anim.gif");
    ASSERT_TRUE(magick("-delay 10 '" + a + "' '" + b + "' -loop 0 '" + gif + "'"));
    expectSameAsMagick(gif);
}

TEST_F(GifImageMagick, LocalColourTable) {
    // Moves the global table of a written file into the image descriptor.
    const std::string src = source("src.ppm", 33, 17, 60, 6);
    const std::string gif = path("g.gif");
    ASSERT_TRUE(magick("'" + src + "' '" + gif + "'"));
    std::ifstream in(gif, std::ios::binary);
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(file[10] & 0x80);
    const std::size_t tableBytes = 3u << ((file[10] & 7) + 1);
    const std::size_t d = findDescriptor(file);
    Bytes moved(file.begin(), file.begin() + 13);
    moved[10] &= 0x70;
    moved.insert(moved.end(), file.begin() + static_cast<std::ptrdiff_t>(13 + tableBytes),
                 file.begin() + static_cast<std::ptrdiff_t>(d + 10));
    moved.back() = static_cast<std::uint8_t>(0x80 | (file[10] & 7));
    moved.insert(moved.end(), file.begin() + 13, file.begin() + static_cast<std::ptrdiff_t>(13 + tableBytes));
    moved.insert(moved.end(), file.begin() + static_cast<std::ptrdiff_t>(d + 10), file.end());
    const std::string local = path("local.gif");
    writeFile(local, moved);
    expectSameAsMagick(local);
}

// Our files in ImageMagick: exact palettes give back the source; a reduced image gives our colours.
TEST_F(GifImageMagick, ReadsWhatWeWrite) {
    const struct {
        std::uint32_t w, h;
        bool interlaced;
        unsigned colours;  // 0: thousands, reduced by median cut
    } cases[] = {{173, 91, false, 256}, {173, 91, true, 256}, {1, 37, true, 3}, {320, 240, false, 256},
                 {300, 200, true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " " << c.interlaced << " " << c.colours);
        std::uint32_t seed = c.w;
        const Bytes px = bgrImage(c.w, c.h, [&](std::uint32_t x, std::uint32_t y) {
            seed = seed * 1664525u + 1013904223u;
            if (c.colours == 0) return (x * 255 / c.w) << 16 | (y * 255 / c.h) << 8 | ((seed >> 24) & 0x3F);
            return ((((x / 5) ^ (y / 2)) + (seed >> 28 == 0 ? seed >> 8 : 0)) % c.colours) * 0x10305u & 0xFFFFFF;
        });
        const Bytes f = encode(px, c.w, c.h, c.interlaced);
        ASSERT_FALSE(f.empty());
        const std::string gif = path("ours.gif");
        writeFile(gif, f);
        ASSERT_TRUE(magick("'" + gif + "' '" + path("ours.ppm") + "'"));
        const Pnm theirs = readPnm(path("ours.ppm"));
        ASSERT_EQ(theirs.width, c.w);
        ASSERT_EQ(theirs.height, c.h);
        Decoded ourDecode = decode(f);
        ASSERT_TRUE(ourDecode);
        for (std::uint32_t y = 0; y < c.h; ++y)
            for (std::uint32_t x = 0; x < c.w; ++x) {
                ASSERT_EQ(theirs.rgb(x, y), ourDecode.rgb(x, y)) << x << "," << y;
                if (c.colours) {
                    ASSERT_EQ(theirs.rgb(x, y), pixelAt(px, c.w, c.h, x, y)) << x << "," << y;
                }
            }
    }
}

}  // namespace

#endif  // _WIN32
