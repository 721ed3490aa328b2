// Conformance over PngSuite (fetched by scripts/fetch-pngsuite.sh into ~/.cache/vantle, outside the
// clone): every file is read or refused as the decoder defines, and every file read matches an
// independent decode by ImageMagick, composited by the same rules. Native only; skipped when the
// suite or ImageMagick is missing.
//
// The reference is taken at 16 bits per sample, and the decoder's defined differences from a
// full-precision, colour-managed PNG reader are applied to it, not tolerated: gAMA, cHRM, sRGB and
// iCCP are not applied (they are taken out of the reference's copy); 16-bit samples keep their most
// significant byte; a tRNS colour or grey level matches on those bytes alone; transparency is
// blended through the 256 x 256 blend table onto bKGD or white; grey + alpha blends with the
// background's red component.
#include <gtest/gtest.h>

#ifndef _WIN32

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "codecs/png/BlendTable.h"
#include "support/CodecPrinting.h"
#include "support/TempDir.h"
#include "tests/codecs/png/PngTestFiles.h"

namespace {

using namespace pngtest;
namespace fs = std::filesystem;
using Image = std::unique_ptr<ImageData, decltype(&freeImageData)>;

const char* const kConvert = "/usr/bin/convert-im6.q16";

fs::path suiteFolder() {
    if (const char* env = std::getenv("VANTLE_PNGSUITE")) return env;
    fs::path cache;
    if (const char* c = std::getenv("VANTLE_CACHE")) cache = c;
    else if (const char* x = std::getenv("XDG_CACHE_HOME")) cache = fs::path(x) / "vantle";
    else if (const char* h = std::getenv("HOME")) cache = fs::path(h) / ".cache" / "vantle";
    std::error_code ec;
    fs::path found;
    for (const auto& entry : fs::directory_iterator(cache, ec))
        if (entry.path().filename().string().rfind("pngsuite-", 0) == 0 && fs::exists(entry.path() / ".complete"))
            found = std::max(found, entry.path());
    return found;
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The file without its colour-management chunks, which ImageMagick would apply.
Bytes withoutColourManagement(const Bytes& f) {
    Bytes out(f.begin(), f.begin() + 8);
    for (std::size_t at = 8; at + 12 <= f.size();) {
        const std::size_t n = 12 + std::size_t{load32be(&f[at])};
        const std::string type(f.begin() + at + 4, f.begin() + at + 8);
        if (type != "gAMA" && type != "cHRM" && type != "sRGB" && type != "iCCP")
            out.insert(out.end(), f.begin() + at, f.begin() + at + std::min(n, f.size() - at));
        at += n;
    }
    return out;
}

// ImageMagick's decode as 16-bit big-endian red, green, blue, alpha.
Bytes reference(const Bytes& file) {
    TempDir dir;
    const WideString copy = dir.write(u"reference.png", withoutColourManagement(file));
    const std::string command = std::string(kConvert) + " '" + copy.toUtf8() + "' -depth 16 -endian MSB rgba:- 2>/dev/null";
    Bytes out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::uint8_t buffer[65536];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.insert(out.end(), buffer, buffer + n);
        pclose(pipe);
    }
    return out;
}

// What the decoder takes from the file's chunks for compositing, read here independently.
struct Transparency {
    int depth = 0, type = 0;
    bool hasKey = false, hasBackground = false;
    std::uint8_t key[3] = {};  // red, green, blue; a grey level in [1]
    std::uint8_t background[3] = {255, 255, 255};
};
Transparency readChunks(const Bytes& f) {
    Transparency t;
    t.depth = f[24];
    t.type = f[25];
    const int low = t.depth == 16 ? 0 : 1;
    Bytes palette;
    for (std::size_t at = 8; at + 12 <= f.size();) {
        const std::uint32_t n = load32be(&f[at]);
        const std::string type(f.begin() + at + 4, f.begin() + at + 8);
        const std::uint8_t* d = &f[at + 8];
        if (type == "IDAT") break;
        if (type == "PLTE") palette.assign(d, d + n);
        if (type == "tRNS" && !t.hasKey && (t.type == 0 || t.type == 2)) {
            t.hasKey = true;
            for (int c = 0; c < (t.type == 0 ? 1 : 3); ++c) t.key[t.type == 0 ? 1 : c] = d[2 * c + low];
        }
        if (type == "bKGD" && !t.hasBackground) {
            t.hasBackground = true;
            if (t.type == 3) {
                for (int c = 0; c < 3; ++c) t.background[c] = palette[3 * d[0] + c];
            } else if (t.type == 0 || t.type == 4) {
                const int scale = t.depth == 1 ? 255 : t.depth == 2 ? 85 : t.depth == 4 ? 17 : 1;
                t.background[0] = t.background[1] = t.background[2] = static_cast<std::uint8_t>(d[low] * scale);
            } else {
                for (int c = 0; c < 3; ++c) t.background[c] = d[2 * c + low];
            }
        }
        at += 12 + n;
    }
    return t;
}

// Files of the full PngSuite that are damaged on purpose, with the code that refuses each.
const std::map<std::string, CodecStatus> kRefused = {
    {"xs1n0g01", CodecStatus::Damaged},        {"xs2n0g01", CodecStatus::Damaged},        {"xs4n0g01", CodecStatus::Damaged},
    {"xs7n0g01", CodecStatus::Damaged},        {"xcrn0g04", CodecStatus::Damaged},        {"xlfn0g04", CodecStatus::Damaged},
    {"xhdn0g08", CodecStatus::PngCrc},         {"xc1n0g08", CodecStatus::PngColourType},  {"xc9n2c08", CodecStatus::PngColourType},
    {"xd0n2c08", CodecStatus::PngBitDepth},    {"xd3n2c08", CodecStatus::PngBitDepth},    {"xd9n2c08", CodecStatus::PngBitDepth},
    {"xdtn0g01", CodecStatus::PngMissingChunk}, {"xcsn0g01", CodecStatus::PngCrc},
};

TEST(PngSuite, EveryFileIsReadOrRefusedAsDefined) {
    const fs::path folder = suiteFolder();
    if (folder.empty() || !fs::is_directory(folder)) GTEST_SKIP() << "PngSuite not fetched (scripts/fetch-pngsuite.sh)";
    if (!fs::exists(kConvert)) GTEST_SKIP() << kConvert << " missing";
    std::vector<std::uint8_t> table(kBlendTableBytes);
    buildBlendTable(table.data());
    auto blend = [&](unsigned c, unsigned a, unsigned bg) {
        return static_cast<std::uint8_t>(table[c * 256 + a] + table[bg * 256 + 255 - a]);
    };

    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".png") continue;
        ++files;
        const std::string name = entry.path().stem().string();
        SCOPED_TRACE(name);
        const Bytes file = readFile(entry.path());
        CodecStatus s = CodecStatus::Ok;
        Image image(decode(file, &s), freeImageData);
        if (const auto refused = kRefused.find(name); refused != kRefused.end()) {
            EXPECT_FALSE(image);
            EXPECT_EQ(s, refused->second);
            continue;
        }
        ASSERT_TRUE(image) << "refused with " << s;
        const int w = image->header.biWidth, h = image->header.biHeight;
        const Bytes ref = reference(file);
        ASSERT_EQ(ref.size(), static_cast<std::size_t>(w) * h * 8) << "reference decode failed";
        const Transparency t = readChunks(file);
        int mismatches = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = &ref[(static_cast<std::size_t>(y) * w + x) * 8];
                const std::uint8_t r = p[0], g = p[2], b = p[4], a = p[6];  // most significant bytes
                const std::uint8_t* bg = t.background;
                Rgb want{r, g, b};
                if (t.hasKey) {
                    // The decoder compares samples: grey levels below 8 bits are ramp indexes.
                    const int step = t.depth == 1 ? 255 : t.depth == 2 ? 85 : t.depth == 4 ? 17 : 1;
                    const bool keyed = t.type == 0 ? g / step == t.key[1] : (r == t.key[0] && g == t.key[1] && b == t.key[2]);
                    if (keyed) want = {bg[0], bg[1], bg[2]};
                } else if (t.type == 4) {
                    const std::uint8_t v = blend(g, a, bg[0]);
                    want = {v, v, v};
                } else if (t.type == 3 || t.type == 6) {
                    want = {blend(r, a, bg[0]), blend(g, a, bg[1]), blend(b, a, bg[2])};
                }
                const Rgb got = pixelAt(*image, x, y);
                if (!(got == want) && ++mismatches <= 3)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": got " << int(got.r) << " " << int(got.g) << " "
                                  << int(got.b) << ", want " << int(want.r) << " " << int(want.g) << " " << int(want.b);
            }
        }
        EXPECT_EQ(mismatches, 0);
    }
    EXPECT_GT(files, 0);
}

}  // namespace

#endif
