#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "GifFixtures.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"

using namespace giftest;

namespace {

std::uint32_t random32(std::uint32_t& seed) {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
}

// The LZW stream of a file written by our encoder (one image, no extensions), gathered.
Bytes lzwStream(const Bytes& file, std::size_t* blockStart = nullptr) {
    std::size_t p = findDescriptor(file) + 10;
    Bytes data;
    ++p;  // minimum code size
    if (blockStart) *blockStart = p;
    while (p < file.size() && file[p] != 0) {
        data.insert(data.end(), file.begin() + static_cast<std::ptrdiff_t>(p + 1),
                    file.begin() + static_cast<std::ptrdiff_t>(p + 1 + file[p]));
        p += 1 + file[p];
    }
    return data;
}

// Splits an 8-bit LZW stream into its codes, widths as a decoder follows them.
std::vector<unsigned> codesOf(const Bytes& data) {
    std::vector<unsigned> codes;
    unsigned width = 9, nextFree = 258, bitCount = 0;
    std::uint32_t bits = 0;
    bool first = true;
    std::size_t pos = 0;
    for (;;) {
        while (bitCount < width && pos < data.size()) {
            bits |= std::uint32_t{data[pos++]} << bitCount;
            bitCount += 8;
        }
        if (bitCount < width) break;
        const unsigned code = bits & ((1u << width) - 1);
        bits >>= width;
        bitCount -= width;
        codes.push_back(code);
        if (code == 257) break;
        if (code == 256) {
            width = 9, nextFree = 258, first = true;
            continue;
        }
        if (!first && nextFree < 4096) ++nextFree;
        first = false;
        while (width < 12 && nextFree > (1u << width) - 1) ++width;
    }
    return codes;
}

TEST(GifEncoder, OneByOneFileLayout) {
    const Bytes px = bgrImage(1, 1, [](auto, auto) { return 0x0A141Eu; });
    CodecStatus st = CodecStatus::Failure;
    const Bytes f = encode(px, 1, 1, false, &st);
    ASSERT_EQ(f.size(), 799u) << st;
    EXPECT_EQ(Bytes(f.begin(), f.begin() + 16), (Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0xF7, 0, 0, 10, 20, 30}));
    EXPECT_EQ(std::count(f.begin() + 16, f.begin() + 13 + 768, 0), 765);
    // Descriptor at 0/0 of the full size, no local table; minimum code size 8; one sub-block with
    // clear (256), index 0 and end (257) in 9-bit codes plus the final byte; terminator; trailer.
    EXPECT_EQ(Bytes(f.begin() + 781, f.end()),
              (Bytes{0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 8, 4, 0x00, 0x01, 0x04, 0x04, 0, 0x3B}));
    Decoded d = decode(f);
    ASSERT_TRUE(d);
    EXPECT_EQ(d.rgb(0, 0), 0x0A141Eu);
}

TEST(GifEncoder, ExactPaletteImagesRoundTrip) {
    const struct {
        std::uint32_t w, h;
        bool interlaced;
        unsigned colours;
    } cases[] = {
        {1, 1, true, 1}, {5, 3, false, 7}, {17, 10, true, 60}, {64, 48, false, 256},
        {300, 7, true, 256}, {3, 301, false, 2}, {255, 255, true, 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << (c.interlaced ? " interlaced" : ""));
        std::uint32_t seed = c.w * 131 + c.h;
        std::vector<std::uint32_t> colours(c.colours);
        for (auto& v : colours) v = random32(seed) & 0xFFFFFF;
        const Bytes px = bgrImage(c.w, c.h, [&](std::uint32_t x, std::uint32_t y) {
            // Runs and noise mixed, so strings of every length occur.
            return colours[((x / 3) * 7 + (y % 5 == 0 ? random32(seed) : y)) % c.colours];
        });
        const Bytes f = encode(px, c.w, c.h, c.interlaced);
        ASSERT_FALSE(f.empty());
        EXPECT_EQ(f[findDescriptor(f) + 9], c.interlaced ? 0x40 : 0);
        Decoded d = decode(f);
        ASSERT_TRUE(d) << d.status;
        ASSERT_EQ(d.width(), c.w);
        ASSERT_EQ(d.height(), c.h);
        for (std::uint32_t y = 0; y < c.h; ++y)
            for (std::uint32_t x = 0; x < c.w; ++x) ASSERT_EQ(d.rgb(x, y), pixelAt(px, c.w, c.h, x, y)) << x << "," << y;
    }
}

TEST(GifEncoder, ManyColoursDecodeToTheReducersPalette) {
    const std::uint32_t w = 61, h = 40;
    const Bytes px = bgrImage(w, h, [](std::uint32_t x, std::uint32_t y) { return x * 4 << 16 | y * 6 << 8 | (x ^ y) * 3; });
    ColorReducer reducer;
    setGeometry(reducer, w, h, 24, 8);
    RGBQUAD palette[256];
    Bytes indexes(std::size_t{w} * h + 4);
    ASSERT_TRUE(reduceToPalette(reducer, nullptr, px.data(), palette, indexes.data()));
    for (bool interlaced : {false, true}) {
        Decoded d = decode(encode(px, w, h, interlaced));
        ASSERT_TRUE(d) << d.status;
        EXPECT_EQ(std::memcmp(d.image->palette, palette, sizeof palette), 0);
        for (std::uint32_t y = 0; y < h; ++y)
            for (std::uint32_t x = 0; x < w; ++x) ASSERT_EQ(d.at(x, y), indexes[std::size_t{h - 1 - y} * w + x]);
    }
}

TEST(GifEncoder, InterlacedHeightTenStoresRowsInPassOrder) {
    const Bytes px = bgrImage(1, 10, [](std::uint32_t, std::uint32_t y) { return y * 0x0A0A0Au; });
    Bytes f = encode(px, 1, 10, true);
    ASSERT_FALSE(f.empty());
    f[findDescriptor(f) + 9] = 0;  // read the rows as stored
    Decoded d = decode(f);
    ASSERT_TRUE(d) << d.status;
    const std::uint32_t order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    for (std::uint32_t k = 0; k < 10; ++k) EXPECT_EQ(d.rgb(0, k), order[k] * 0x0A0A0Au) << k;
}

TEST(GifEncoder, ClearCodeWhenTheTableIsFull) {
    // Noise of 256 colours: short strings, so the table fills several times.
    const std::uint32_t w = 150, h = 100;
    std::uint32_t seed = 7;
    const Bytes px = bgrImage(w, h, [&](auto, auto) {
        const std::uint32_t v = random32(seed) & 0xFF;
        return v << 16 | (255 - v) << 8 | v / 2;
    });
    const Bytes f = encode(px, w, h, false);
    const std::vector<unsigned> codes = codesOf(lzwStream(f));
    std::vector<std::size_t> clears;
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i] == 256) clears.push_back(i);
    ASSERT_GE(clears.size(), 3u);
    EXPECT_EQ(clears[0], 0u);
    // 3838 codes each define an entry (258 ... 4095); the next code passes 4095 and is followed by
    // a clear written at 12 bits.
    EXPECT_EQ(clears[1], 1u + 3839u);
    EXPECT_EQ(clears[2] - clears[1], 1u + 3839u);
    EXPECT_EQ(codes.back(), 257u);
    Decoded d = decode(f);
    ASSERT_TRUE(d);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) ASSERT_EQ(d.rgb(x, y), pixelAt(px, w, h, x, y));
}

TEST(GifEncoder, LastIndexIsACodeOfItsOwn) {
    // Four equal pixels: strings (0) (0 0) then the last index alone, although (0 0) is known.
    const Bytes px = bgrImage(4, 1, [](auto, auto) { return 0x123456u; });
    const std::vector<unsigned> codes = codesOf(lzwStream(encode(px, 4, 1, false)));
    EXPECT_EQ(codes, (std::vector<unsigned>{256, 0, 258, 0, 257}));
}

TEST(GifEncoder, DataSubBlocksOf255Bytes) {
    bool found510 = false;
    std::uint32_t seed = 99;
    for (std::uint32_t n = 330; n < 520 && !found510; ++n) {
        const Bytes px = bgrImage(n, 1, [&](auto, auto) { return (random32(seed) & 0xFF) * 0x010101u; });
        const Bytes f = encode(px, n, 1, false);
        std::size_t p = 0;
        const std::size_t total = lzwStream(f, &p).size();
        // Full blocks of 255, a shorter last block, the terminator and the trailer.
        for (std::size_t left = total; left > 0; left -= f[p], p += 1 + f[p])
            ASSERT_EQ(f[p], std::min<std::size_t>(left, 255)) << n;
        ASSERT_EQ(p + 2, f.size());
        EXPECT_EQ(f[p], 0);
        EXPECT_EQ(f[p + 1], 0x3B);
        if (total == 510) {
            found510 = true;
            std::size_t first = 0;
            lzwStream(f, &first);
            EXPECT_EQ(f[first], 255);
            EXPECT_EQ(f[first + 256], 255);
            EXPECT_EQ(f[first + 512], 0);
            EXPECT_EQ(first + 514, f.size());
        }
    }
    EXPECT_TRUE(found510);
}

TEST(GifEncoder, RefusalsAndFailuresGiveTheirCodes) {
    TempDir dir;
    const Bytes px = bgrImage(2, 2, [](auto x, auto) { return x ? 0xFFFFFFu : 0u; });
    struct Case {
        const char* name;
        std::uint32_t w, h;
        const std::uint8_t* pixels;
        WideString path;
        CodecStatus expected;
        bool fileLeft;
    };
    Case cases[] = {
        {"65536 wide", 65536, 1, px.data(), dir.file(u"wide.gif"), CodecStatus::CannotCreate, false},
        {"65536 high", 1, 65536, px.data(), dir.file(u"high.gif"), CodecStatus::CannotCreate, false},
        {"uncreatable", 2, 2, px.data(), dir.file(u"no-such-folder/x.gif"), CodecStatus::CannotCreate, false},
        {"reduction fails", 2, 2, nullptr, dir.file(u"null.gif"), CodecStatus::CannotConvert, true},
        {"written", 2, 2, px.data(), dir.file(u"ok.gif"), CodecStatus::Ok, true},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        ImageSink sink;
        setGeometry(sink.reducer, c.w, c.h, 24, 8);
        EXPECT_EQ(saveGif(sink, c.path, nullptr, c.pixels, false), c.expected == CodecStatus::Ok);
        EXPECT_EQ(sink.status, c.expected);
        discard(sink);
        EXPECT_EQ(platform::pathExists(c.path.c_str()), c.fileLeft);
    }
    Decoded d = decode(readWholeFile(cases[4].path));
    ASSERT_TRUE(d);
    EXPECT_EQ(d.rgb(1, 0), 0xFFFFFFu);
}

#ifndef _WIN32
TEST(GifEncoder, FailedWriteIsReported) {
    // A device that accepts the open but fails every write.
    const Bytes px = bgrImage(300, 200, [](auto x, auto y) { return (x * y) & 0xFF; });
    ImageSink sink;
    setGeometry(sink.reducer, 300, 200, 24, 8);
    const WideString full = WideString::fromUtf8("/dev/full");
    if (!platform::pathExists(full.c_str())) GTEST_SKIP() << "no /dev/full";
    EXPECT_FALSE(saveGif(sink, full, nullptr, px.data(), false));
    EXPECT_EQ(sink.status, CodecStatus::CannotCreate);
}
#endif

TEST(GifEncoder, LzwCodecsAgreeOnEveryMinimumCodeSize) {
    std::uint32_t seed = 3;
    for (unsigned min = 2; min <= 8; ++min) {
        for (std::size_t count : {1u, 2u, 3u, 100u, 20000u}) {
            SCOPED_TRACE(testing::Message() << "min " << min << " count " << count);
            Bytes in(count);
            for (std::size_t i = 0; i < count; ++i)
                in[i] = static_cast<std::uint8_t>((i % 50 < 25 ? random32(seed) : i / 50) & ((1u << min) - 1));
            Bytes packed(gifLzwBound(count));
            const std::size_t n = gifLzwEncode(in.data(), count, min, packed.data());
            ASSERT_LE(n, packed.size());
            Bytes out(count + 4, 0xEE);
            ASSERT_EQ(gifLzwDecode(packed.data(), n, min, out.data(), count), count);
            EXPECT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(count)), in);
            EXPECT_EQ(out[count], 0xEE);
        }
    }
}

}  // namespace
