#include "codecs/png/PngEncoder.h"

#include <gtest/gtest.h>

#include <memory>

#include "codecs/png/BlendTable.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"
#include "tests/codecs/png/PngTestFiles.h"

namespace {

using namespace pngtest;
using Image = std::unique_ptr<ImageData, decltype(&freeImageData)>;

// A bottom-up 24-bit buffer with rows padded to 4 bytes, filled from a function of (x, y) counted
// from the picture's top.
struct Picture {
    int width, height;
    Bytes pixels;
    template <class F>
    Picture(int w, int h, F colour) : width(w), height(h), pixels(imageBytes(w, h, 24) + 4) {
        const std::uint32_t stride = rowStride(w, 24);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const Rgb c = colour(x, y);
                std::uint8_t* p = pixels.data() + static_cast<std::size_t>(h - 1 - y) * stride + 3 * x;
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
            }
    }
};

Bytes encode(const Picture& p, bool interlaced, std::int32_t xRes = 0, std::int32_t yRes = 0) {
    PngEncoder e;
    setupPngEncoder(e, p.width, p.height, xRes, yRes, interlaced);
    Bytes out;
    EXPECT_TRUE(savePngToMemory(e, out, p.pixels.data()));
    EXPECT_EQ(e.status, CodecStatus::Ok);
    return out;
}

struct Chunk {
    std::string type;
    Bytes data;
};
std::vector<Chunk> chunks(const Bytes& file) {
    std::vector<Chunk> out;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::uint32_t n = load32be(&file[at]);
        out.push_back({std::string(file.begin() + at + 4, file.begin() + at + 8),
                       Bytes(file.begin() + at + 8, file.begin() + at + 8 + n)});
        const uLong crc = crc32(0L, &file[at + 4], 4 + n);
        EXPECT_EQ(load32be(&file[at + 8 + n]), crc) << out.back().type;
        at += 12 + n;
    }
    return out;
}

Rgb noise(int x, int y) {
    const std::uint32_t v = (static_cast<std::uint32_t>(x) * 2654435761u) ^ (static_cast<std::uint32_t>(y) * 40503u);
    return {static_cast<std::uint8_t>(v >> 3), static_cast<std::uint8_t>(x * 7 + y), static_cast<std::uint8_t>(v >> 17)};
}

TEST(PngEncoder, OnePixelLayoutAndIend) {
    const Bytes file = encode(Picture(1, 1, [](int, int) { return Rgb{1, 2, 3}; }), false);
    const std::vector<Chunk> c = chunks(file);
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0].type, "IHDR");
    EXPECT_EQ(c[0].data, (Bytes{0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0}));
    EXPECT_EQ(c[1].type, "IDAT");
    // Sub: its filter byte 1 equals the first data byte, which None's 0 does not.
    EXPECT_EQ(zlibInflate(c[1].data, 4), (Bytes{1, 1, 2, 3}));
    const Bytes iend(file.end() - 12, file.end());
    EXPECT_EQ(iend, (Bytes{0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82}));
}

TEST(PngEncoder, InterlacedOnePixelFillsOnlyTheFirstPass) {
    const Bytes file = encode(Picture(1, 1, [](int, int) { return Rgb{1, 2, 3}; }), true);
    const std::vector<Chunk> c = chunks(file);
    EXPECT_EQ(c[0].data[12], 1);
    EXPECT_EQ(zlibInflate(c[1].data, 4), (Bytes{1, 1, 2, 3}));
}

TEST(PngEncoder, WritesPhysOnlyWithBothResolutions) {
    const Picture p(2, 2, noise);
    const std::vector<Chunk> none = chunks(encode(p, false, 3780, 0));
    EXPECT_EQ(none[1].type, "IDAT");
    const std::vector<Chunk> both = chunks(encode(p, false, 3780, 3780));
    EXPECT_EQ(both[1].type, "pHYs");
    EXPECT_EQ(both[1].data, (Bytes{0, 0, 0x0E, 0xC4, 0, 0, 0x0E, 0xC4, 1}));
}

// The filter the selector picks for one row after a given previous row.
int pick(const Bytes& row, const Bytes& previous) {
    const std::size_t n = row.size() + 1;
    std::vector<Bytes> buffers(6, Bytes(n));
    PngEncoder e;
    e.previousRow = buffers[5].data();
    for (int i = 0; i < 5; ++i) e.filterRows[i] = buffers[i].data();
    std::copy(row.begin(), row.end(), buffers[0].begin() + 1);
    std::copy(previous.begin(), previous.end(), buffers[5].begin() + 1);
    return chooseFilter(e, static_cast<std::int32_t>(n));
}

TEST(PngEncoder, FilterChoice) {
    const Bytes zero(12, 0);
    // Identical grey pixels: None scores 0 (128 is not near zero); Sub and Paeth score the run of
    // zeros after the first pixel, and Sub wins the tie.
    EXPECT_EQ(pick(Bytes(12, 128), zero), 1);
    // An all-zero first row: the first data byte equals None's filter byte 0, so None scores one
    // more than the others.
    EXPECT_EQ(pick(zero, zero), 0);
    // A row equal to the one above: Up and Paeth are all zeros and tie; Up wins.
    EXPECT_EQ(pick(Bytes(12, 128), Bytes(12, 128)), 2);
    // A row that is the one above plus half: Average leaves the zeros.
    Bytes above(12), row(12);
    for (int i = 0; i < 12; ++i) {
        above[i] = static_cast<std::uint8_t>(40 + 17 * i);
        row[i] = static_cast<std::uint8_t>(((i >= 3 ? row[i - 3] : 0) + above[i]) / 2);
    }
    EXPECT_EQ(pick(row, above), 3);
    // A row that the Paeth predictor makes exactly from a noisy row above, after a first pixel
    // unlike the one above it.
    Bytes up(30), cur(30);
    auto paeth = [](int a, int b, int c) {
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    };
    for (int i = 0; i < 30; ++i) {
        up[i] = static_cast<std::uint8_t>(i * 29 % 101 + 80);
        cur[i] = static_cast<std::uint8_t>(i < 3 ? up[i] + 77 : paeth(cur[i - 3], up[i], up[i - 3]));
    }
    EXPECT_EQ(pick(cur, up), 4);
}

TEST(PngEncoder, RoundTripsThroughTheDecoder) {
    for (bool interlaced : {false, true}) {
        for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 3}, std::pair{7, 5}, std::pair{33, 17}, std::pair{64, 9}}) {
            const Picture p(w, h, noise);
            const Bytes file = encode(p, interlaced, 2835, 2835);
            CodecStatus s = CodecStatus::Ok;
            Image image(decode(file, &s), freeImageData);
            ASSERT_TRUE(image) << s;
            EXPECT_EQ(image->header.biBitCount, 24);
            EXPECT_EQ(image->header.biXPelsPerMeter, 2835);
            EXPECT_EQ(std::memcmp(image->pixels, p.pixels.data(), imageBytes(w, h, 24)), 0) << w << "x" << h << " " << interlaced;
        }
    }
}

TEST(PngEncoder, SplitsImageDataOnlyPastTheChunkLimit) {
    const Picture p(40, 30, noise);
    PngEncoder e;
    setupPngEncoder(e, p.width, p.height, 0, 0, false);
    e.maxChunkLength = 100;
    Bytes out;
    ASSERT_TRUE(savePngToMemory(e, out, p.pixels.data()));
    std::size_t idats = 0;
    for (const Chunk& c : chunks(out)) {
        if (c.type == "IDAT") {
            ++idats;
            EXPECT_LE(c.data.size(), 100u);
        }
    }
    EXPECT_GT(idats, 1u);
    Image image(decode(out), freeImageData);
    ASSERT_TRUE(image);
    EXPECT_EQ(std::memcmp(image->pixels, p.pixels.data(), imageBytes(40, 30, 24)), 0);
}

TEST(PngEncoder, FailuresAreReportedNeverSuccess) {
    TempDir dir;
    const Picture p(3, 3, noise);
    {
        PngEncoder e;
        setupPngEncoder(e, 3, 3, 0, 0, false);
        EXPECT_FALSE(savePng(e, dir.file(u"missing/out.png"), p.pixels.data()));
        EXPECT_EQ(e.status, CodecStatus::CannotCreate);
    }
    {
        PngEncoder e;
        setupPngEncoder(e, 89478486, 1, 0, 0, false);
        EXPECT_FALSE(savePng(e, dir.file(u"wide.png"), p.pixels.data()));
        EXPECT_EQ(e.status, CodecStatus::CannotCreate);
    }
    {
        PngEncoder e;
        setupPngEncoder(e, 0, 3, 0, 0, false);
        Bytes out;
        EXPECT_FALSE(savePngToMemory(e, out, p.pixels.data()));
        EXPECT_EQ(e.status, CodecStatus::Failure);
    }
    {
        // An output whose every write fails: 50005, not success.
        PngEncoder e;
        setupPngEncoder(e, 3, 3, 0, 0, false);
        const WideString path = dir.write(u"ro.png", {1});
        e.status = CodecStatus::Failure;
        e.file = platform::openForReading(path.c_str());
        ASSERT_TRUE(platform::isValid(e.file));
        std::vector<std::uint8_t> big(70000, 1);
        writeBytes(e, big.data(), big.size());
        EXPECT_FALSE(finishOutput(e));
        EXPECT_EQ(e.status, CodecStatus::CannotCreate);
    }
    {
        PngEncoder e;
        setupPngEncoder(e, 3, 3, 0, 0, false);
        const WideString path = dir.file(u"ok.png");
        ASSERT_TRUE(savePng(e, path, p.pixels.data()));
        discard(e);
        ImageSource source;
        Image image(loadPng(source, path), freeImageData);
        ASSERT_TRUE(image);
        EXPECT_EQ(std::memcmp(image->pixels, p.pixels.data(), imageBytes(3, 3, 24)), 0);
    }
}

TEST(BlendTable, ValuesAndBlendsStayInRange) {
    std::vector<std::uint8_t> t(kBlendTableBytes);
    buildBlendTable(t.data());
    EXPECT_EQ(t[255 * 256 + 200], 200);
    EXPECT_EQ(t[200 * 256 + 255], 200);
    EXPECT_EQ(t[128 * 256 + 128], 64);
    EXPECT_EQ(t[0 * 256 + 77], 0);
    EXPECT_EQ(t[77 * 256 + 0], 0);
    EXPECT_EQ(t[3 * 256 + 200], t[200 * 256 + 3]);
    // Every blend c over a background with alpha a fits a byte, so compositing never wraps.
    for (unsigned a = 0; a < 256; ++a)
        for (unsigned c = 0; c < 256; c += 1)
            for (unsigned bg = 0; bg < 256; ++bg)
                ASSERT_LE(t[c * 256 + a] + t[bg * 256 + 255 - a], 255) << a << " " << c << " " << bg;
}

}  // namespace
