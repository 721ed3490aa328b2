// Cross-checks with Debian's WebP tools, natively only: cwebp and img2webp make lossy, lossless,
// alpha and animated files from one picture, and the decoding function must give exactly the pixels
// of dwebp's PAM of the same file (of the animation's first frame, cut out by webpmux), read by the
// Netpbm reader, which composites alpha on white the same way.
#ifndef _WIN32

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "PnmFixtures.h"
#include "WebpFixtures.h"
#include "support/TempDir.h"

namespace {

using webptest::Bytes;

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A PAM of the test picture (RGB_ALPHA when it has alpha, RGB otherwise).
void writePam(const std::string& path, const webptest::Picture& p, bool alpha) {
    std::string s = "P7\nWIDTH " + std::to_string(p.width) + "\nHEIGHT " + std::to_string(p.height) + "\nDEPTH " +
                    (alpha ? "4" : "3") + "\nMAXVAL 255\nTUPLTYPE " + (alpha ? "RGB_ALPHA" : "RGB") + "\nENDHDR\n";
    for (std::uint32_t v : p.argb) {
        s += static_cast<char>(v >> 16);
        s += static_cast<char>(v >> 8);
        s += static_cast<char>(v);
        if (alpha) s += static_cast<char>(v >> 24);
    }
    writeFile(path, s);
}

struct Made {
    const char* name;
    std::string command;  // makes out.webp in the work folder from o.pam (opaque), a.pam (alpha), f2.pam
    bool animated;
    bool hasAlpha;
    bool lossless;
};

void PrintTo(const Made& m, std::ostream* os) { *os << m.name; }

class WebpTools : public testing::TestWithParam<Made> {
protected:
    void SetUp() override {
        for (const char* tool : {"/usr/bin/cwebp", "/usr/bin/dwebp", "/usr/bin/img2webp", "/usr/bin/webpmux"})
            if (access(tool, X_OK) != 0) GTEST_SKIP() << tool << " is not installed";
        work = dir.path().toUtf8();
        writePam(work + "/o.pam", webptest::testPicture(83, 51, false, 3), false);
        writePam(work + "/a.pam", webptest::testPicture(83, 51, true, 4), true);
        writePam(work + "/f2.pam", webptest::testPicture(83, 51, false, 5), false);
    }
    bool run(const std::string& command) const {
        const std::string line = "cd '" + work + "' && (" + command + ") >/dev/null 2>&1";
        return std::system(line.c_str()) == 0;
    }

    TempDir dir;
    std::string work;
};

TEST_P(WebpTools, DecodesAsDwebp) {
    const Made& m = GetParam();
    ASSERT_TRUE(run(m.command)) << m.command;
    const std::string reference = m.animated ? "webpmux -get frame 1 out.webp -o first.webp && dwebp first.webp -pam -o ref.pam"
                                             : "dwebp out.webp -pam -o ref.pam";
    ASSERT_TRUE(run(reference)) << reference;

    const webptest::Decoded ours = webptest::decode(readFile(work + "/out.webp"));
    ASSERT_EQ(ours.status, webp::WebpStatus::ok);
    EXPECT_EQ(ours.header.animated, m.animated);
    EXPECT_EQ(ours.header.hasAlpha, m.hasAlpha);
    if (!m.animated) {
        EXPECT_EQ(ours.header.lossless, m.lossless);
    }
    const pnmtest::Decoded theirs = pnmtest::decode(readFile(work + "/ref.pam"));
    ASSERT_EQ(theirs.status, pnm::PnmStatus::ok);
    ASSERT_EQ(ours.header.width, 83u);
    ASSERT_EQ(ours.header.height, 51u);
    ASSERT_EQ(theirs.header.width, 83u);
    ASSERT_EQ(theirs.header.height, 51u);
    EXPECT_EQ(ours.pixels(), theirs.pixels());
}

INSTANTIATE_TEST_SUITE_P(
    Files, WebpTools,
    testing::Values(Made{"lossy", "cwebp -q 75 o.pam -o out.webp", false, false, false},
                    Made{"lossless", "cwebp -lossless o.pam -o out.webp", false, false, true},
                    Made{"lossy_alpha", "cwebp -q 75 a.pam -o out.webp", false, true, false},
                    Made{"lossless_alpha", "cwebp -lossless -exact a.pam -o out.webp", false, true, true},
                    Made{"animated_lossy", "img2webp -lossy a.pam f2.pam -o out.webp", true, true, false},
                    Made{"animated_lossless", "img2webp -lossless a.pam f2.pam -o out.webp", true, true, true}),
    [](const testing::TestParamInfo<Made>& info) { return std::string(info.param.name); });

}  // namespace

#endif
