#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "codecs/png/PngDecoder.h"
#include "codecs/png/PngEncoder.h"
#include "support/CodecPrinting.h"
#include "support/IccFixtures.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes zlibOf(const Bytes& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes out(size);
    compress2(out.data(), &size, data.data(), static_cast<uLong>(data.size()), 9);
    out.resize(size);
    return out;
}

Bytes chunk(const char* type, const Bytes& data) {
    const auto n = static_cast<std::uint32_t>(data.size());
    Bytes c(12 + data.size());
    for (int i = 0; i < 4; ++i) {
        c[i] = static_cast<std::uint8_t>(n >> (24 - 8 * i));
        c[4 + i] = static_cast<std::uint8_t>(type[i]);
    }
    if (n) std::memcpy(&c[8], data.data(), n);
    const uLong crc = crc32(0, &c[4], 4 + n);
    for (int i = 0; i < 4; ++i) c[8 + n + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return c;
}

Bytes iccp(const std::string& name, std::uint8_t method, const Bytes& stream) {
    Bytes d(name.begin(), name.end());
    d.push_back(0);
    d.push_back(method);
    d.insert(d.end(), stream.begin(), stream.end());
    return d;
}

// A 4 x 3 PNG of our encoder, without a profile.
Bytes plainPng(const IccProfile* profile = nullptr) {
    std::vector<std::uint8_t> pixels(12 * 3 + 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7);
    PngEncoder e;
    setupPngEncoder(e, 4, 3, 0, 0, false);
    e.iccProfile = profile;
    Bytes out;
    EXPECT_TRUE(savePngToMemory(e, out, pixels.data()));
    return out;
}

// `png` with `extra` inserted behind IHDR (8 + 25 bytes in), or before IEND when `late`.
Bytes withChunks(const Bytes& png, const Bytes& extra, bool late = false) {
    Bytes out = png;
    const std::size_t at = late ? png.size() - 12 : 33;
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), extra.begin(), extra.end());
    return out;
}

struct Read {
    bool ok = false;
    Bytes profile;
    std::string name;
    Bytes pixels;
};
Read read(const Bytes& png) {
    Read r;
    ImageSource source;
    ImageData* image = loadFramedMemory(source, png.data(), png.size(), decodePng);
    if (!image) return r;
    r.ok = true;
    if (image->iccProfile.bytes) {
        r.profile.assign(image->iccProfile.bytes, image->iccProfile.bytes + image->iccProfile.size);
        r.name = image->iccProfile.name;
    }
    r.pixels.assign(image->pixels, image->pixels + 40);
    freeImageData(image);
    return r;
}

TEST(PngIcc, ReadsTheChunkAndDropsBadOnes) {
    const Bytes profile = icctest::makeProfile(4000, 2);
    const Bytes stream = zlibOf(profile);
    Bytes flipped = stream;
    flipped[stream.size() / 2] ^= 0x55;
    const Bytes cut(stream.begin(), stream.end() - 10);
    Bytes hugeProfile = icctest::makeProfile(144);
    hugeProfile.resize(kIccProfileLimit + 100, 0);  // zeros beyond: inflates past the cap
    Bytes badCrc = chunk("iCCP", iccp("x", 0, stream));
    badCrc[badCrc.size() - 1] ^= 1;
    const std::string longName(80, 'n');

    struct Case {
        const char* name;
        Bytes chunks;
        bool late;
        bool kept;
    };
    const Case cases[] = {
        {"good", chunk("iCCP", iccp("Camera RGB", 0, stream)), false, true},
        {"a second one is ignored",
         [&] {
             Bytes two = chunk("iCCP", iccp("Camera RGB", 0, stream));
             const Bytes other = chunk("iCCP", iccp("other", 0, zlibOf(icctest::makeProfile(500))));
             two.insert(two.end(), other.begin(), other.end());
             return two;
         }(),
         false, true},
        {"empty name", chunk("iCCP", iccp("", 0, stream)), false, false},
        {"name of 80 bytes", chunk("iCCP", iccp(longName, 0, stream)), false, false},
        {"method 1", chunk("iCCP", iccp("x", 1, stream)), false, false},
        {"broken zlib", chunk("iCCP", iccp("x", 0, flipped)), false, false},
        {"cut-off zlib", chunk("iCCP", iccp("x", 0, cut)), false, false},
        {"inflates beyond 16 MiB", chunk("iCCP", iccp("x", 0, zlibOf(hugeProfile))), false, false},
        {"bad CRC", badCrc, false, false},
        {"after the image data", chunk("iCCP", iccp("x", 0, stream)), true, false},
        {"no stream", chunk("iCCP", Bytes{'x', 0}), false, false},
    };
    const Read plain = read(plainPng());
    ASSERT_TRUE(plain.ok);
    for (const Case& c : cases) {
        const Read r = read(withChunks(plainPng(), c.chunks, c.late));
        ASSERT_TRUE(r.ok) << c.name;  // never a reason to refuse the image
        EXPECT_EQ(r.profile, c.kept ? profile : Bytes{}) << c.name;
        if (c.kept) {
            EXPECT_EQ(r.name, "Camera RGB");
        }
        EXPECT_EQ(r.pixels, plain.pixels) << c.name;
    }
}

TEST(PngIcc, WrittenBeforeTheImageDataWithItsNameOrANeutralOne) {
    const Bytes profile = icctest::makeProfile(20000, 8);
    for (const char* name : {"", "Wide Gamut"}) {
        IccProfile record{};
        ASSERT_TRUE(setIccProfile(record, profile.data(), profile.size(), name, std::strlen(name)));
        const Bytes png = plainPng(&record);
        // Signature, IHDR, then iCCP.
        ASSERT_GT(png.size(), 41u);
        EXPECT_EQ(std::memcmp(&png[37], "iCCP", 4), 0);
        const Read r = read(png);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.profile, profile);
        EXPECT_EQ(r.name, *name ? name : kIccNeutralName);
        EXPECT_EQ(r.pixels, read(plainPng()).pixels);
        freeIccProfile(record);
    }
}

}  // namespace
