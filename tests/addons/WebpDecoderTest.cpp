// The WebP decoding function on files libwebp's encoder makes in the test: exact pixels of lossless
// pictures (alpha on white), lossy ones close to their source, an animation's first frame, the
// bitmap's layout, and every refusal: truncated, corrupted, oversized, not WebP.
#include "addons/webp/WebpDecoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "WebpFixtures.h"

using namespace webptest;
using webp::WebpStatus;

namespace {

constexpr std::uint32_t W = 0xFFFFFF;

TEST(WebpDecoder, LosslessPicturesExactly) {
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "with alpha" : "opaque");
        const Picture p = testPicture(7, 4, alpha);
        const Decoded d = decode(encodeLossless(p));
        ASSERT_EQ(d.status, WebpStatus::ok);
        EXPECT_TRUE(d.header.lossless);
        EXPECT_FALSE(d.header.animated);
        EXPECT_EQ(d.header.hasAlpha, alpha);
        EXPECT_EQ(d.pixels(), onWhite(p));
    }
}

TEST(WebpDecoder, AlphaCompositedOnWhite) {
    const Picture p{5, 1, {0x80000000, 0x00123456, 0xFF643264, 0x01000000, 0x80FF0000}};
    const Decoded d = decode(encodeLossless(p));
    ASSERT_EQ(d.status, WebpStatus::ok);
    EXPECT_EQ(d.pixels(), (std::vector<std::uint32_t>{0x7F7F7F, W, 0x643264, 0xFEFEFE, 0xFF7F7F}));
}

// 24-bit rows bottom-up, padded to 4 bytes with zeros (the buffers start as 0xCD), under a plain
// 40-byte BITMAPINFOHEADER.
TEST(WebpDecoder, BitmapLayout) {
    const Picture p{5, 2, {0xFF010203, 0xFF040506, 0xFF070809, 0xFF0A0B0C, 0xFF0D0E0F,  //
                           0xFF111213, 0xFF141516, 0xFF171819, 0xFF1A1B1C, 0xFF1D1E1F}};
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "through the alpha path" : "straight into the bitmap");
        Picture q = p;
        if (alpha) q.argb[9] = 0xFE1D1E1F;
        const Decoded d = decode(encodeLossless(q));
        ASSERT_EQ(d.status, WebpStatus::ok);
        ASSERT_EQ(d.header.hasAlpha, alpha);
        EXPECT_EQ(d.header.stride, 16u);
        ASSERT_EQ(d.info.size(), 40u);
        EXPECT_EQ(d.get32(0), 40u);
        EXPECT_EQ(d.get32(4), 5u);
        EXPECT_EQ(d.get32(8), 2u);
        EXPECT_EQ(d.get32(12), 1u | 24u << 16);
        EXPECT_EQ(d.get32(16), 0u);
        EXPECT_EQ(d.get32(20), 32u);
        const std::uint8_t lastBlue = alpha ? 0x20 : 0x1F;  // 0x1F at alpha 254 on white
        EXPECT_EQ(d.bits, (Bytes{0x13, 0x12, 0x11, 0x16, 0x15, 0x14, 0x19, 0x18, 0x17, 0x1C, 0x1B, 0x1A,
                                 lastBlue, static_cast<std::uint8_t>(alpha ? 0x1F : 0x1E),
                                 static_cast<std::uint8_t>(alpha ? 0x1E : 0x1D), 0,  //
                                 0x03, 0x02, 0x01, 0x06, 0x05, 0x04, 0x09, 0x08, 0x07, 0x0C, 0x0B, 0x0A, 0x0F, 0x0E,
                                 0x0D, 0}));
    }
}

int largestDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    int most = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int shift = 0; shift < 24; shift += 8)
            most = std::max(most, std::abs(static_cast<int>(a[i] >> shift & 0xFF) - static_cast<int>(b[i] >> shift & 0xFF)));
    return most;
}

// Lossy pictures come back near their source: right size, right way up, right channel order (a
// swap or a flip would be off by more than 100).
TEST(WebpDecoder, LossyPicturesNearTheirSource) {
    for (const bool alpha : {false, true}) {
        SCOPED_TRACE(alpha ? "with alpha" : "opaque");
        Picture p{32, 16, {}};
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                p.argb.push_back((alpha ? static_cast<std::uint32_t>(x * 8) << 24 : 0xFF000000u) |
                                 static_cast<std::uint32_t>(x * 8) << 16 | static_cast<std::uint32_t>(y * 16) << 8 | 0x80);
        const Decoded d = decode(encodeLossy(p, 90));
        ASSERT_EQ(d.status, WebpStatus::ok);
        EXPECT_FALSE(d.header.lossless);
        EXPECT_EQ(d.header.hasAlpha, alpha);
        ASSERT_EQ(d.header.width, 32u);
        ASSERT_EQ(d.header.height, 16u);
        EXPECT_LE(largestDifference(d.pixels(), onWhite(p)), 24);
    }
}

TEST(WebpDecoder, FirstFrameOfAnAnimation) {
    const Picture first = testPicture(6, 4, true, 1), second = testPicture(9, 6, false, 2);
    const Bytes file = animation(9, 6, {encodeLossless(first), encodeLossless(second)}, {6, 4, 9, 6});
    const Decoded d = decode(file);
    ASSERT_EQ(d.status, WebpStatus::ok);
    EXPECT_TRUE(d.header.animated);
    ASSERT_EQ(d.header.width, 9u);
    ASSERT_EQ(d.header.height, 6u);
    // The frame on a transparent canvas, all of it on white.
    const std::vector<std::uint32_t> frame = onWhite(first);
    for (std::uint32_t y = 0; y < 6; ++y)
        for (std::uint32_t x = 0; x < 9; ++x)
            ASSERT_EQ(d.rgb(x, y), x < 6 && y < 4 ? frame[y * 6 + x] : W) << x << "," << y;
}

const Bytes wave = {'R', 'I', 'F', 'F', 28, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                    1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0};

Bytes truncated(Bytes file, std::size_t size) {
    file.resize(size);
    return file;
}

Bytes changed(Bytes file, std::size_t at, std::uint8_t value) {
    file.at(at) = value;
    return file;
}

// Where a chunk's payload starts in a still file.
std::size_t payloadOf(const Bytes& file, const char* tag) {
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::uint32_t size = file[at + 4] | file[at + 5] << 8 | file[at + 6] << 16 | std::uint32_t{file[at + 7]} << 24;
        if (std::memcmp(&file[at], tag, 4) == 0) return at + 8;
        at += 8 + size + (size % 2);
    }
    return 0;
}

TEST(WebpDecoder, Refusals) {
    const Bytes lossy = encodeLossy(testPicture(40, 24, false), 80);
    const Bytes lossless = encodeLossless(testPicture(40, 24, true));
    const Bytes lossyAlpha = encodeLossy(testPicture(40, 24, true), 80);
    const std::size_t vp8 = payloadOf(lossy, "VP8 ");
    const std::size_t vp8l = payloadOf(lossless, "VP8L");
    ASSERT_NE(vp8, 0u);
    ASSERT_NE(vp8l, 0u);
    const Bytes frame = encodeLossless(testPicture(6, 4, false));

    struct Refusal {
        const char* name;
        Bytes file;
        WebpStatus status;
    };
    const Refusal cases[] = {
        {"empty", {}, WebpStatus::notWebp},
        {"RIFF of another kind", wave, WebpStatus::notWebp},
        {"a PNG", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13}, WebpStatus::notWebp},
        {"the signature cut short", truncated(lossy, 11), WebpStatus::notWebp},

        {"an unknown chunk only", riff(chunk("XYZW", Bytes(10, 1))), WebpStatus::brokenData},
        {"the header cut short", truncated(lossy, 20), WebpStatus::brokenData},
        {"lossy, half the data", truncated(lossy, lossy.size() / 2), WebpStatus::brokenData},
        {"lossy, one byte short", truncated(lossy, lossy.size() - 1), WebpStatus::brokenData},
        {"lossless, half the data", truncated(lossless, lossless.size() / 2), WebpStatus::brokenData},
        {"lossless, one byte short", truncated(lossless, lossless.size() - 1), WebpStatus::brokenData},
        {"lossy with alpha, cut inside the alpha", truncated(lossyAlpha, payloadOf(lossyAlpha, "ALPH") + 4),
         WebpStatus::brokenData},
        {"lossy frame start code", changed(lossy, vp8 + 3, 0x9C), WebpStatus::brokenData},
        {"lossless signature", changed(lossless, vp8l, 0x2E), WebpStatus::brokenData},
        {"lossless version bits", changed(lossless, vp8l + 4, static_cast<std::uint8_t>(lossless[vp8l + 4] | 0xE0)),
         WebpStatus::brokenData},
        {"a canvas that contradicts its picture",
         riff([&] {
             Bytes vp8x = {0, 0, 0, 0};
             put24(vp8x, 99);
             put24(vp8x, 99);
             Bytes c = chunk("VP8X", vp8x);
             const Bytes picture = pictureChunks(frame);
             c.insert(c.end(), picture.begin(), picture.end());
             return c;
         }()),
         WebpStatus::brokenData},
        {"an animation frame larger than its canvas", animation(4, 4, {frame}, {6, 4}), WebpStatus::brokenData},
        {"an animation without frames", animation(6, 4, {}, {}), WebpStatus::brokenData},

        // libwebp itself refuses a canvas of 2^32 pixels or more.
        {"a canvas of 2^24 x 2^24", animation(1u << 24, 1u << 24, {frame}, {6, 4}), WebpStatus::brokenData},
        {"a canvas of 65536 x 65535", animation(65536, 65535, {frame}, {6, 4}), WebpStatus::tooLarge},
        {"a canvas one row above 2^28 pixels", animation(16384, 16385, {frame}, {6, 4}), WebpStatus::tooLarge},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decode(c.file).status, c.status);
    }

    // Exactly 2^28 pixels pass the cap (the header is all that is read here).
    webp::WebpHeader header;
    const Bytes atCap = animation(16384, 16384, {frame}, {6, 4});
    EXPECT_EQ(webp::readWebpHeader(atCap.data(), atCap.size(), header), WebpStatus::ok);
    EXPECT_EQ(header.bitsBytes, 16384u * 3 * 16384);
}

TEST(WebpDecoder, DecodeRefusesBuffersSmallerThanTheHeaderAsks) {
    const Bytes file = encodeLossless(testPicture(5, 2, false));
    std::vector<std::uint8_t> info(40), bits(32);
    EXPECT_EQ(webp::decodeWebp(file.data(), file.size(), info.data(), 40, bits.data(), 32), WebpStatus::ok);
    EXPECT_EQ(webp::decodeWebp(file.data(), file.size(), info.data(), 39, bits.data(), 32), WebpStatus::bufferTooSmall);
    EXPECT_EQ(webp::decodeWebp(file.data(), file.size(), info.data(), 40, bits.data(), 31), WebpStatus::bufferTooSmall);
    EXPECT_EQ(webp::decodeWebp(file.data(), file.size(), nullptr, 0, nullptr, 0), WebpStatus::bufferTooSmall);
}

// What IsSupported answers: the signature and libwebp's header check must agree, on the head as the
// host reads it (a small file zero-filled behind its end).
TEST(WebpDecoder, Signature) {
    const Bytes lossy = encodeLossy(testPicture(8, 8, false));
    Bytes head(2048, 0);
    std::copy(lossy.begin(), lossy.end(), head.begin());
    const Bytes anim = animation(6, 4, {encodeLossless(testPicture(6, 4, false))}, {6, 4});
    struct Head {
        const char* name;
        Bytes bytes;
        bool webp;
    };
    const Head heads[] = {
        {"lossy", lossy, true},
        {"lossy, zero-filled to 2048 bytes", head, true},
        {"lossless", encodeLossless(testPicture(8, 8, true)), true},
        {"animation", anim, true},
        {"the first 40 bytes of a lossy file", truncated(lossy, 40), true},
        {"RIFF/WEBP around junk", riff(Bytes(40, 'j')), false},
        {"RIFF of another kind", wave, false},
        {"WEBP without RIFF", changed(lossy, 0, 'X'), false},
        {"too short", truncated(lossy, 11), false},
    };
    for (const Head& h : heads) EXPECT_EQ(webp::hasWebpSignature(h.bytes.data(), h.bytes.size()), h.webp) << h.name;
    EXPECT_FALSE(webp::hasWebpSignature(nullptr, 100));
}

}  // namespace
