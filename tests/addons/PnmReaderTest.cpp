// The Netpbm reader on small byte fixtures: what each format and header rule decodes to, the exact
// 8-bit rounding, the bitmap's layout, and every refusal.
#include "addons/pnm/PnmReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PnmFixtures.h"

using namespace std::string_literals;
using namespace pnmtest;
using pnm::PnmStatus;

namespace {

constexpr std::uint32_t K = 0x000000, W = 0xFFFFFF;

std::string pam(const std::string& lines, const std::string& raster) { return "P7\n" + lines + "ENDHDR\n" + raster; }

struct FormatCase {
    const char* name;
    std::string file;
    std::uint32_t width, height;
    std::uint16_t bitCount, sourceBitDepth;
    std::vector<std::uint32_t> pixels;  // top row first
};

TEST(PnmReader, DecodesEachFormatAndHeaderRule) {
    const FormatCase cases[] = {
        {"plain PBM: comment, digits with and without blanks", "P1\n# made by hand\n3 2\n1 0 1\n010", 3, 2, 1, 1,
         {K, W, K, W, K, W}},
        {"raw PBM, fill bits set", "P4 10 1\n\xA5\xFF", 10, 1, 1, 1, {K, W, K, W, W, K, W, K, K, K}},
        {"plain PGM, maxval 3", "P2 4 1 3\n0 1 2 3\n", 4, 1, 8, 2, {K, 0x555555, 0xAAAAAA, W}},
        {"PGM with maxval 1 stays grey", "P2 2 1 1\n0 1", 2, 1, 8, 1, {K, W}},
        {"raw PGM", "P5 2 1 255\n\x00\x80"s, 2, 1, 8, 8, {K, 0x808080}},
        {"raw PGM, 16-bit, most significant byte first", "P5 3 1 65535\n\x7F\xFF\x80\x00\xFF\xFF"s, 3, 1, 8, 16,
         {0x7F7F7F, 0x808080, W}},
        {"plain PPM, comments after the signature, inside and after the numbers", "P3#a\n2#b\n1 #c\n255#d\n255 0 0\n0 0 255",
         2, 1, 24, 24, {0xFF0000, 0x0000FF}},
        {"raw PPM", "P6 2 1 255\n\x01\x02\x03\xFF\x80\x00"s, 2, 1, 24, 24, {0x010203, 0xFF8000}},
        {"raw PPM, maxval 1000", "P6 1 1 1000\n\x03\xE8\x01\xF4\x00\x02"s, 1, 1, 24, 30, {0xFF8001}},
        {"PAM GRAYSCALE", pam("WIDTH 2\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\nTUPLTYPE GRAYSCALE\n", "\x10\x20"), 2, 1, 8, 8,
         {0x101010, 0x202020}},
        {"PAM RGB_ALPHA on white",
         pam("WIDTH 3\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\n", "\xFF\x00\x00\xFF\x00\x00\xFF\x00\x00\x00\x00\x80"s),
         3, 1, 24, 24, {0xFF0000, W, 0x7F7F7F}},
        {"PAM GRAYSCALE_ALPHA, 16-bit",
         pam("WIDTH 2\nHEIGHT 1\nDEPTH 2\nMAXVAL 65535\nTUPLTYPE GRAYSCALE_ALPHA\n", "\x00\x00\x80\x00\xFF\xFF\x00\x00"s), 2,
         1, 8, 16, {0x7F7F7F, W}},
        {"PAM BLACKANDWHITE: 1 is white",
         pam("WIDTH 2\nHEIGHT 1\nDEPTH 1\nMAXVAL 1\nTUPLTYPE BLACKANDWHITE\n", "\x00\x01"s), 2, 1, 1, 1, {K, W}},
        {"PAM BLACKANDWHITE_ALPHA: transparent is white",
         pam("WIDTH 3\nHEIGHT 1\nDEPTH 2\nMAXVAL 1\nTUPLTYPE BLACKANDWHITE_ALPHA\n", "\x00\x01\x00\x00\x01\x01"s), 3, 1, 1,
         1, {K, W, W}},
        {"PAM BLACKANDWHITE with maxval 255, as ImageMagick writes it: grey",
         pam("WIDTH 2\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\nTUPLTYPE BLACKANDWHITE\n", "\x00\xFF"s), 2, 1, 8, 8, {K, W}},
        {"PAM with comments, blank lines and no tuple type (depth 3)",
         pam("# comment\n\n  \nWIDTH 1\nHEIGHT 1\n\tDEPTH 3\nMAXVAL 255\n", "\x01\x02\x03"), 1, 1, 24, 24, {0x010203}},
        {"PAM with CR LF line ends",
         "P7\r\nWIDTH 1\r\nHEIGHT 1\r\nDEPTH 1\r\nMAXVAL 255\r\nTUPLTYPE GRAYSCALE\r\nENDHDR\r\n\x40", 1, 1, 8, 8,
         {0x404040}},
        {"two images in one file: the first", "P5 1 1 255\n\x40P5 1 1 255\n\x80", 1, 1, 8, 8, {0x404040}},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = decode(c.file);
        ASSERT_EQ(d.status, PnmStatus::ok);
        EXPECT_EQ(d.header.width, c.width);
        EXPECT_EQ(d.header.height, c.height);
        EXPECT_EQ(d.header.bitCount, c.bitCount);
        EXPECT_EQ(d.header.sourceBitDepth, c.sourceBitDepth);
        EXPECT_EQ(d.pixels(), c.pixels);
    }
}

// 255 x v / maxval to nearest, halves up, for raw and plain samples alike; with alpha, the composite
// on white rounded once.
TEST(PnmReader, ScalesToEightBitsWithExactRounding) {
    struct Level {
        std::uint32_t maxval, sample, expected;
    };
    const Level levels[] = {
        {1, 1, 255},      {2, 1, 128},       {3, 1, 85},          {3, 2, 170},         {100, 50, 128},
        {255, 128, 128},  {256, 128, 128},   {256, 255, 254},     {1000, 1, 0},        {1000, 2, 1},
        {65535, 128, 0},  {65535, 129, 1},   {65535, 32767, 127}, {65535, 32768, 128}, {65535, 65535, 255},
    };
    for (const Level& l : levels) {
        SCOPED_TRACE(testing::Message() << "maxval " << l.maxval << ", sample " << l.sample);
        std::string raw = "P5 1 1 " + std::to_string(l.maxval) + "\n";
        if (l.maxval > 255) raw += static_cast<char>(l.sample >> 8);
        raw += static_cast<char>(l.sample & 0xFF);
        const std::string plain = "P2 1 1 " + std::to_string(l.maxval) + "\n" + std::to_string(l.sample);
        EXPECT_EQ(decode(raw).pixels(), std::vector<std::uint32_t>{l.expected * 0x010101u});
        EXPECT_EQ(decode(plain).pixels(), std::vector<std::uint32_t>{l.expected * 0x010101u});
    }

    struct Composite {
        std::uint32_t maxval, sample, alpha, expected;
    };
    const Composite composites[] = {
        {255, 0, 128, 127}, {255, 255, 0, 255}, {255, 0, 255, 0},          {255, 100, 255, 100},
        {2, 0, 1, 128},     {3, 0, 2, 85},      {65535, 0, 32768, 127}, {65535, 65535, 1, 255},
    };
    for (const Composite& c : composites) {
        SCOPED_TRACE(testing::Message() << "maxval " << c.maxval << ", sample " << c.sample << ", alpha " << c.alpha);
        std::string raster;
        for (std::uint32_t v : {c.sample, c.alpha}) {
            if (c.maxval > 255) raster += static_cast<char>(v >> 8);
            raster += static_cast<char>(v & 0xFF);
        }
        const std::string file =
            pam("WIDTH 1\nHEIGHT 1\nDEPTH 2\nMAXVAL " + std::to_string(c.maxval) + "\nTUPLTYPE GRAYSCALE_ALPHA\n", raster);
        EXPECT_EQ(decode(file).pixels(), std::vector<std::uint32_t>{c.expected * 0x010101u});
    }
}

// Rows bottom-up and padded to 4 bytes with zeros, the info header a plain BITMAPINFOHEADER, and the
// colour tables: PBM white then black (so its raw bits are the bitmap's), PAM bitmaps black then
// white, grey a ramp. The buffers start filled with 0xCD, so a byte left unwritten shows.
TEST(PnmReader, BitmapLayout) {
    {
        SCOPED_TRACE("raw PBM, 33 x 2");
        const Decoded d = decode("P4 33 2\n\x80\x00\x00\x01\xFF\x00\x00\x00\x00\x7F"s);
        ASSERT_EQ(d.status, PnmStatus::ok);
        EXPECT_EQ(d.header.stride, 8u);
        EXPECT_EQ(d.bits, (Bytes{0x00, 0, 0, 0, 0x00, 0, 0, 0, 0x80, 0, 0, 0x01, 0x80, 0, 0, 0}));
        EXPECT_EQ(d.info.size(), 48u);
        EXPECT_EQ(d.get32(0), 40u);
        EXPECT_EQ(d.get32(4), 33u);
        EXPECT_EQ(d.get32(8), 2u);  // positive: bottom-up
        EXPECT_EQ(d.get32(12), 1u | 1u << 16);  // planes 1, 1 bit
        EXPECT_EQ(d.get32(16), 0u);             // BI_RGB
        EXPECT_EQ(d.get32(20), 16u);
        EXPECT_EQ(d.get32(32), 2u);
        EXPECT_EQ(Bytes(d.info.begin() + 40, d.info.end()), (Bytes{0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0}));
    }
    {
        SCOPED_TRACE("PAM BLACKANDWHITE");
        const Decoded d = decode(pam("WIDTH 1\nHEIGHT 1\nDEPTH 1\nMAXVAL 1\nTUPLTYPE BLACKANDWHITE\n", "\x01"));
        ASSERT_EQ(d.status, PnmStatus::ok);
        EXPECT_EQ(Bytes(d.info.begin() + 40, d.info.end()), (Bytes{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0}));
        EXPECT_EQ(d.bits, (Bytes{0x80, 0, 0, 0}));
    }
    {
        SCOPED_TRACE("PGM, 5 x 2");
        const Decoded d = decode("P5 5 2 255\n\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A"s);
        ASSERT_EQ(d.status, PnmStatus::ok);
        EXPECT_EQ(d.header.stride, 8u);
        EXPECT_EQ(d.bits, (Bytes{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0}));
        ASSERT_EQ(d.info.size(), 40u + 1024u);
        EXPECT_EQ(d.get32(32), 256u);
        for (std::uint32_t i = 0; i < 256; ++i) ASSERT_EQ(d.get32(40 + 4 * i), i * 0x010101u) << i;
    }
    {
        SCOPED_TRACE("PPM, 1 x 2, 16-bit");
        const Decoded d = decode("P6 1 2 65535\n\x01\x00\x02\x00\x03\x00\x04\x00\x05\x00\x06\x00"s);
        ASSERT_EQ(d.status, PnmStatus::ok);
        EXPECT_EQ(d.header.stride, 4u);
        EXPECT_EQ(d.info.size(), 40u);
        EXPECT_EQ(d.bits, (Bytes{6, 5, 4, 0, 3, 2, 1, 0}));
    }
}

TEST(PnmReader, RefusesWhatBreaksTheFormat) {
    struct Refusal {
        const char* name;
        std::string file;
        PnmStatus status;
    };
    const std::string gray1x1 = "WIDTH 1\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\n";
    const Refusal cases[] = {
        {"empty", "", PnmStatus::notPnm},
        {"signature only", "P6", PnmStatus::notPnm},
        {"another format", "GIF89a\x01\x00\x01\x00", PnmStatus::notPnm},
        {"P8", "P8 1 1 255\n\x00"s, PnmStatus::notPnm},
        {"lower-case signature", "p6 1 1 255\n\x00\x00\x00"s, PnmStatus::notPnm},
        {"no whitespace after the signature", "P61 1 255\n\x00\x00\x00"s, PnmStatus::notPnm},
        {"text after the signature", "P5 is a PGM\n", PnmStatus::notPnm},
        {"negative width", "P6 -1 1 255\n\x00\x00\x00"s, PnmStatus::notPnm},
        {"an XV thumbnail", "P7 332\n#XVVERSION:Version 2.28\n", PnmStatus::notPnm},

        {"maxval 0", "P5 1 1 0\n\x00"s, PnmStatus::brokenData},
        {"maxval above 65535", "P5 1 1 65536\n\x00\x00"s, PnmStatus::brokenData},
        {"width 0", "P5 0 1 255\n", PnmStatus::brokenData},
        {"height 0", "P4 8 0\n", PnmStatus::brokenData},
        {"header ends before maxval", "P6 1 1", PnmStatus::brokenData},
        {"no whitespace behind maxval", "P6 1 1 255", PnmStatus::brokenData},
        {"header ends inside a comment", "P6 1 1 #255\n", PnmStatus::brokenData},
        {"junk in a number", "P6 1x 1 255\n\x00\x00\x00"s, PnmStatus::brokenData},
        {"raw raster short by a byte", "P6 2 1 255\n\x00\x00\x00\x00\x00"s, PnmStatus::brokenData},
        {"16-bit raster short by a byte", "P5 1 1 65535\n\x00"s, PnmStatus::brokenData},
        {"raw PBM short by a byte", "P4 9 2\n\x00\x00\x00"s, PnmStatus::brokenData},
        {"plain raster ends early", "P2 2 1 255\n1 ", PnmStatus::brokenData},
        {"plain bitmap ends early", "P1 3 1\n10", PnmStatus::brokenData},
        {"plain sample above maxval", "P2 1 1 3\n4", PnmStatus::brokenData},
        {"plain sample of many digits", "P2 1 1 65535\n99999999999999999999", PnmStatus::brokenData},
        {"raw sample above maxval", "P5 1 1 3\n\x04"s, PnmStatus::brokenData},
        {"16-bit sample above maxval", "P5 1 1 1000\n\x03\xE9"s, PnmStatus::brokenData},
        {"raw colour sample above maxval", "P6 1 1 100\n\x10\x65\x10"s, PnmStatus::brokenData},
        {"junk in a plain sample", "P2 2 1 3\n1x 2", PnmStatus::brokenData},
        {"a 2 in a plain bitmap", "P1 2 1\n12", PnmStatus::brokenData},
        {"a sign in a plain sample", "P3 1 1 255\n1 2 -3", PnmStatus::brokenData},
        {"PAM without ENDHDR", "P7\n" + gray1x1 + "\x00"s, PnmStatus::brokenData},
        {"PAM without WIDTH", pam("HEIGHT 1\nDEPTH 1\nMAXVAL 255\n", "\x00"s), PnmStatus::brokenData},
        {"PAM with two WIDTH lines", pam("WIDTH 1\n" + gray1x1, "\x00"s), PnmStatus::brokenData},
        {"PAM WIDTH with two values", pam("WIDTH 1 2\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\n", "\x00"s), PnmStatus::brokenData},
        {"PAM WIDTH not a number", pam("WIDTH one\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\n", "\x00"s), PnmStatus::brokenData},
        {"PAM unknown header line", pam(gray1x1 + "COLOURS 2\n", "\x00"s), PnmStatus::brokenData},
        {"PAM DEPTH 0", pam("WIDTH 1\nHEIGHT 1\nDEPTH 0\nMAXVAL 255\n", ""), PnmStatus::brokenData},
        {"PAM RGB of depth 4", pam("WIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB\n", "\x00\x00\x00\x00"s),
         PnmStatus::brokenData},
        {"PAM BLACKANDWHITE of depth 2",
         pam("WIDTH 1\nHEIGHT 1\nDEPTH 2\nMAXVAL 1\nTUPLTYPE BLACKANDWHITE\n", "\x00\x00"s), PnmStatus::brokenData},
        {"PAM BLACKANDWHITE sample 2", pam("WIDTH 1\nHEIGHT 1\nDEPTH 1\nMAXVAL 1\nTUPLTYPE BLACKANDWHITE\n", "\x02"),
         PnmStatus::brokenData},
        {"PAM ENDHDR with more", "P7\n" + gray1x1 + "ENDHDR now\n\x00"s, PnmStatus::brokenData},
        {"PAM raster short", pam("WIDTH 2\nHEIGHT 1\nDEPTH 1\nMAXVAL 255\n", "\x00"s), PnmStatus::brokenData},

        {"PAM of an unknown tuple type", pam("WIDTH 1\nHEIGHT 1\nDEPTH 4\nMAXVAL 255\nTUPLTYPE CMYK\n", "\x00\x00\x00\x00"s),
         PnmStatus::unsupported},
        {"PAM of depth 5 without tuple type", pam("WIDTH 1\nHEIGHT 1\nDEPTH 5\nMAXVAL 255\n", "\x00\x00\x00\x00\x00"s),
         PnmStatus::unsupported},
        {"PAM tuple type longer than any known",
         pam(gray1x1 + "TUPLTYPE GRAYSCALE\nTUPLTYPE AND A LONG TALE OF OTHER WORDS\n", "\x00"s), PnmStatus::unsupported},

        {"width beyond 32 bits", "P6 4294967296 1 255\n", PnmStatus::tooLarge},
        {"width of many digits", "P6 99999999999999999999999999 1 255\n", PnmStatus::tooLarge},
        {"width beyond a signed 32-bit number", "P6 2147483648 1 255\n", PnmStatus::tooLarge},
        {"width x height beyond 32 bits", "P6 65536 65536 255\n", PnmStatus::tooLarge},
        {"one row above 2^28 pixels", "P5 16384 16385 255\n", PnmStatus::tooLarge},
        {"PAM of 10^12 pixels", pam("WIDTH 1000000\nHEIGHT 1000000\nDEPTH 1\nMAXVAL 255\n", ""), PnmStatus::tooLarge},
        // Exactly 2^28 pixels passes the cap; the missing raster is what refuses it.
        {"2^28 pixels without their raster", "P5 16384 16384 255\n", PnmStatus::brokenData},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decode(c.file).status, c.status);
    }
}

// Sizes and short rasters are refused from the header alone, so a caller never allocates for them;
// only samples that break the rules need the raster read.
TEST(PnmReader, HeaderRefusesBeforeAnythingIsAllocated) {
    pnm::PnmHeader header;
    for (const std::string& file : {"P6 65536 65536 255\n"s, "P6 2 1 255\n\x00\x00\x00\x00\x00"s, "P1 3 1\n10"s,
                                   "P3 2 1 255\n1 2 3 4 5"s}) {
        SCOPED_TRACE(file);
        EXPECT_NE(pnm::readPnmHeader(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), header),
                  PnmStatus::ok);
    }
    const std::string overMaxval = "P2 1 1 3\n4";
    EXPECT_EQ(pnm::readPnmHeader(reinterpret_cast<const std::uint8_t*>(overMaxval.data()), overMaxval.size(), header),
              PnmStatus::ok);
}

TEST(PnmReader, DecodeRefusesBuffersSmallerThanTheHeaderAsks) {
    const Bytes file = bytes("P5 5 2 255\n0123456789");
    std::vector<std::uint8_t> info(40 + 1024), bits(16);
    EXPECT_EQ(pnm::decodePnm(file.data(), file.size(), info.data(), info.size(), bits.data(), bits.size()), PnmStatus::ok);
    EXPECT_EQ(pnm::decodePnm(file.data(), file.size(), info.data(), info.size() - 1, bits.data(), bits.size()),
              PnmStatus::bufferTooSmall);
    EXPECT_EQ(pnm::decodePnm(file.data(), file.size(), info.data(), info.size(), bits.data(), bits.size() - 1),
              PnmStatus::bufferTooSmall);
    EXPECT_EQ(pnm::decodePnm(file.data(), file.size(), nullptr, 0, nullptr, 0), PnmStatus::bufferTooSmall);
}

// What IsSupported answers on the first bytes of a file.
TEST(PnmReader, Signature) {
    struct Head {
        std::string bytes;
        bool pnm;
    };
    const Head heads[] = {
        {"P1\n", true},   {"P6 ", true},        {"P6#x\n12", true}, {"P3\t\r\n 7", true}, {"P7\n", true},
        {"P7\r\n", true}, {"P7", false},        {"P6", false},      {"P7 332\n", false}, {"P6 x", false},
        {"P0\n", false},  {"P8\n", false},      {"p6\n", false},    {"\0P6\n"s, false},  {"BM6\n", false},
    };
    for (const Head& h : heads) {
        EXPECT_EQ(pnm::hasPnmSignature(reinterpret_cast<const std::uint8_t*>(h.bytes.data()), h.bytes.size()), h.pnm)
            << h.bytes;
    }
    EXPECT_FALSE(pnm::hasPnmSignature(nullptr, 16));
}

}  // namespace
