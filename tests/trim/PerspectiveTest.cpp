#include "trim/Perspective.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "codecs/ImageData.h"

namespace {

struct Image {
    std::int32_t width, height;
    std::vector<std::uint8_t> pixels;
    std::size_t stride() const { return rowStride(width, 24); }
    // Image pixel (x, y), rows from the top, on bottom-up storage.
    std::uint8_t* at(std::int32_t x, std::int32_t y) {
        return &pixels[std::size_t(height - 1 - y) * stride() + std::size_t(x) * 3];
    }
};

Image noise(std::int32_t width, std::int32_t height, std::uint32_t seed = 1) {
    Image img{width, height, std::vector<std::uint8_t>(std::size_t{rowStride(width, 24)} * height)};
    for (auto& b : img.pixels) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return img;
}

// The pixel bytes without the row padding.
std::vector<std::uint8_t> pixelsOf(Image& img) {
    std::vector<std::uint8_t> out;
    for (std::int32_t y = 0; y < img.height; ++y) out.insert(out.end(), img.at(0, y), img.at(0, y) + img.width * 3);
    return out;
}

Image blank(std::int32_t width, std::int32_t height, std::uint8_t fill) {
    return Image{width, height, std::vector<std::uint8_t>(std::size_t{rowStride(width, 24)} * height, fill)};
}

// Where the map sends (x, y).
void apply(const PerspectiveMap& m, double x, double y, double& u, double& v) {
    const double d = m.p[6] * x + m.p[7] * y + 1;
    u = (m.p[0] * x + m.p[1] * y + m.p[2]) / d;
    v = (m.p[3] * x + m.p[4] * y + m.p[5]) / d;
}

TEST(Perspective, CornerMovesKeepTheQuadConvex) {
    TrimPoint quad[4];
    IdentityQuad(quad, 100, 100);  // (0,0) (99,0) (0,99) (99,99)
    struct Case {
        int corner;
        std::int32_t x, y;
        bool allowed;
    };
    const Case cases[] = {
        {kQuadTopLeft, 50, 0, true},
        {kQuadTopLeft, 20, 30, true},
        {kQuadTopLeft, 99, 0, false},     // not left of the top-right corner
        {kQuadTopLeft, 120, 0, false},    // beyond it
        {kQuadTopLeft, 0, 99, false},     // not above the bottom-left corner
        {kQuadTopLeft, 60, 60, false},    // inside the triangle of the others: a reflex angle
        {kQuadTopLeft, -1000, 0, false},  // a sliver: angle under the 0.1 margin
        {kQuadTopRight, 150, -20, true},
        {kQuadTopRight, 40, 40, false},
        {kQuadTopRight, -1, 0, false},
        {kQuadBottomRight, 80, 80, true},
        {kQuadBottomRight, 30, 30, false},
        {kQuadBottomRight, 99, -1, false},
        {kQuadBottomLeft, -30, 120, true},
        {kQuadBottomLeft, 60, 40, false},
        {kQuadBottomLeft, 100, 99, false},
        {kQuadBottomLeft, 0, 150, true},
        {kQuadBottomLeft, 0, 1099, false},  // a sliver at the top-left corner
    };
    for (const Case& c : cases)
        EXPECT_EQ(CornerMoveAllowed(quad, c.corner, c.x, c.y), c.allowed)
            << "corner " << c.corner << " to " << c.x << ", " << c.y;
}

TEST(Perspective, MapSendsQuadCornersToImageCorners) {
    const TrimPoint quads[][4] = {
        {{10, 5}, {90, 0}, {0, 99}, {99, 90}},
        {{-40, -10}, {130, 20}, {5, 70}, {95, 140}},
        {{3, 3}, {96, 1}, {1, 97}, {98, 98}},
    };
    const double corners[4][2] = {{0, 0}, {99, 0}, {0, 79}, {99, 79}};
    for (const auto& quad : quads) {
        const PerspectiveMap m = SolvePerspective(quad, 100, 80);
        ASSERT_TRUE(m.solvable);
        for (int c = 0; c < 4; ++c) {
            double u, v;
            apply(m, quad[c].x, quad[c].y, u, v);
            EXPECT_NEAR(u, corners[c][0], 1e-9);
            EXPECT_NEAR(v, corners[c][1], 1e-9);
        }
    }
}

TEST(Perspective, IdentityQuadLeavesTheImageAsItIs) {
    for (auto [w, h] : {std::pair{100, 100}, std::pair{640, 480}, std::pair{37, 91}}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h);
        TrimPoint quad[4];
        IdentityQuad(quad, w, h);
        EXPECT_TRUE(IsIdentityQuad(quad, w, h));
        const PerspectiveMap m = SolvePerspective(quad, w, h);
        ASSERT_TRUE(m.solvable);
        const double identity[8] = {1, 0, 0, 0, 1, 0, 0, 0};
        for (int i = 0; i < 8; ++i) EXPECT_NEAR(m.p[i], identity[i], 1e-12);
        // The bilinear blend absorbs the last bit of the solve (640 x 480 does not come out exact).
        Image src = noise(w, h);
        Image out = blank(w, h, 0);
        RenderFinal(m, src.pixels.data(), out.pixels.data(), w, h);
        EXPECT_EQ(pixelsOf(out), pixelsOf(src));
    }
    Image src = noise(100, 100);
    Image out = blank(100, 100, 0);
    TrimPoint quad[4];
    IdentityQuad(quad, 100, 100);
    RenderPreview(SolvePerspective(quad, 100, 100), src.pixels.data(), out.pixels.data(), 100, 100);
    EXPECT_EQ(pixelsOf(out), pixelsOf(src));
}

TEST(Perspective, PreviewTruncatesAndWhitensOutside) {
    // Corners pulled in to (2, 2): the map doubles, u = 2x, v = 2y.
    const TrimPoint half[4] = {{0, 0}, {2, 0}, {0, 2}, {2, 2}};
    Image src = noise(5, 5);
    Image out = blank(5, 5, 0);
    RenderPreview(SolvePerspective(half, 5, 5), src.pixels.data(), out.pixels.data(), 5, 5);
    for (std::int32_t y = 0; y < 5; ++y)
        for (std::int32_t x = 0; x < 5; ++x) {
            SCOPED_TRACE(testing::Message() << x << ", " << y);
            const std::uint8_t* p = out.at(x, y);
            if (x <= 2 && y <= 2) {
                const std::uint8_t* s = src.at(2 * x, 2 * y);
                EXPECT_EQ(std::vector<int>(p, p + 3), std::vector<int>(s, s + 3));
            } else {
                EXPECT_EQ(std::vector<int>(p, p + 3), std::vector<int>({255, 255, 255}));
            }
        }
    // Corners pushed out to (8, 8): u = x / 2; 0.5 truncates to column 0.
    const TrimPoint twice[4] = {{0, 0}, {8, 0}, {0, 8}, {8, 8}};
    RenderPreview(SolvePerspective(twice, 5, 5), src.pixels.data(), out.pixels.data(), 5, 5);
    EXPECT_EQ(out.at(1, 1)[0], src.at(0, 0)[0]);
    EXPECT_EQ(out.at(3, 4)[2], src.at(1, 2)[2]);
}

TEST(Perspective, FinalBlendsNeighboursAndWhite) {
    // u = x / 2, v = y / 2 on a 5 x 5 image: odd pixels fall half-way between two samples.
    const TrimPoint twice[4] = {{0, 0}, {8, 0}, {0, 8}, {8, 8}};
    Image src = blank(5, 5, 0);
    src.at(1, 0)[0] = 255;  // blue of (1, 0)
    src.at(0, 1)[1] = 101;  // green of (0, 1)
    Image out = blank(5, 5, 7);
    RenderFinal(SolvePerspective(twice, 5, 5), src.pixels.data(), out.pixels.data(), 5, 5);
    EXPECT_EQ(out.at(1, 0)[0], 128);  // (0 + 255) / 2 = 127.5, + 0.5 truncated
    EXPECT_EQ(out.at(2, 0)[0], 255);  // exactly on (1, 0)
    EXPECT_EQ(out.at(1, 1)[0], 64);   // a quarter of 255
    EXPECT_EQ(out.at(0, 1)[1], 51);   // 50.5 + 0.5 truncated
    EXPECT_EQ(out.at(0, 0)[2], 0);

    // u = 2x: column 2 lands on the last column, and the row below the image blends with white.
    const TrimPoint half[4] = {{0, 0}, {2, 0}, {0, 2}, {2, 2}};
    Image grey = blank(5, 5, 100);
    RenderFinal(SolvePerspective(half, 5, 5), grey.pixels.data(), out.pixels.data(), 5, 5);
    EXPECT_EQ(out.at(2, 2)[0], 100);
    EXPECT_EQ(out.at(3, 0)[1], 255);
    // Shifted right by one pixel: u = (x - 1) / 2 starts half a pixel left of the image.
    const TrimPoint shifted[4] = {{1, 0}, {9, 0}, {1, 8}, {9, 8}};  // u = (x - 1) / 2
    RenderFinal(SolvePerspective(shifted, 5, 5), grey.pixels.data(), out.pixels.data(), 5, 5);
    EXPECT_EQ(out.at(0, 0)[0], 178);  // u = -0.5: (100 + 255) / 2 = 177.5 -> 178
    EXPECT_EQ(out.at(1, 0)[0], 100);
}

TEST(Perspective, FinalRegionGivesTheSamePixelsAndTouchesNothingElse) {
    const TrimPoint quad[4] = {{12, -7}, {181, 9}, {-15, 140}, {170, 121}};
    Image src = noise(190, 130, 7);
    const PerspectiveMap m = SolvePerspective(quad, 190, 130);
    ASSERT_TRUE(m.solvable);
    Image whole = blank(190, 130, 0);
    RenderFinal(m, src.pixels.data(), whole.pixels.data(), 190, 130);
    const TrimRect regions[] = {{37, 11, 150, 100}, {0, 0, 189, 0}, {189, 129, 189, 129}, {-10, 120, 5, 500}};
    for (const TrimRect& r : regions) {
        Image part = blank(190, 130, 0x5A);
        RenderFinal(m, src.pixels.data(), part.pixels.data(), 190, 130, &r);
        for (std::int32_t y = 0; y < 130; ++y)
            for (std::int32_t x = 0; x < 190; ++x) {
                const bool inside = x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
                for (int c = 0; c < 3; ++c) {
                    const int expected = inside ? whole.at(x, y)[c] : 0x5A;
                    ASSERT_EQ(part.at(x, y)[c], expected) << x << ", " << y << " in " << r.left << "," << r.top;
                }
            }
    }
}

TEST(Perspective, DegenerateQuadsRenderWhiteOrAnything) {
    // A one-pixel-wide image has no map at all: the renders come out white, without faults.
    TrimPoint line[4];
    IdentityQuad(line, 1, 50);
    line[kQuadTopLeft].x = -1;
    const PerspectiveMap none = SolvePerspective(line, 1, 50);
    EXPECT_FALSE(none.solvable);
    Image src = noise(1, 50);
    Image out = blank(1, 50, 0);
    RenderFinal(none, src.pixels.data(), out.pixels.data(), 1, 50);
    RenderPreview(none, src.pixels.data(), out.pixels.data(), 1, 50);
    for (std::int32_t y = 0; y < 50; ++y) EXPECT_EQ(out.at(0, y)[1], 255);

    // A crossed quad (as nudges can make it): the map has poles inside the image; the renders
    // must stay within their buffers.
    const TrimPoint crossed[4] = {{150, 0}, {99, 0}, {0, 99}, {40, 30}};
    Image big = noise(100, 100);
    Image res = blank(100, 100, 0);
    const PerspectiveMap m = SolvePerspective(crossed, 100, 100);
    RenderPreview(m, big.pixels.data(), res.pixels.data(), 100, 100);
    RenderFinal(m, big.pixels.data(), res.pixels.data(), 100, 100);
}

// The renders' arithmetic written out plainly, one pixel at a time: row y starts its sums at
// p1 y + p2, p4 y + p5, p7 y + 1 and adds p0, p3, p6 per pixel. The fast renders must give these
// bytes exactly.
struct Reference {
    const PerspectiveMap& m;
    Image& src;

    template <typename Pixel>
    Image render(Pixel pixel) {
        Image out = blank(src.width, src.height, 0);
        for (std::int32_t y = 0; y < src.height; ++y) {
            double nu = m.p[1] * y + m.p[2], nv = m.p[4] * y + m.p[5], d = m.p[7] * y + 1;
            for (std::int32_t x = 0; x < src.width; ++x) {
                const double u = nu / d, v = nv / d;
                nu += m.p[0];
                nv += m.p[3];
                d += m.p[6];
                const bool some = m.solvable && std::fabs(u) < 1e9 && std::fabs(v) < 1e9;  // false for NaN
                pixel(some, u, v, out.at(x, y));
            }
        }
        return out;
    }
    bool inside(std::int32_t x, std::int32_t y) const { return x >= 0 && x < src.width && y >= 0 && y < src.height; }
    Image preview() {
        return render([&](bool some, double u, double v, std::uint8_t* out) {
            const auto iu = some ? static_cast<std::int32_t>(u) : -1, iv = some ? static_cast<std::int32_t>(v) : -1;
            const bool in = some && u > -1 && v > -1 && inside(iu, iv);  // truncation: -0.5 lands on 0
            for (int c = 0; c < 3; ++c) out[c] = in ? src.at(iu, iv)[c] : 255;
        });
    }
    Image final() {
        return render([&](bool some, double u, double v, std::uint8_t* out) {
            if (!some) {
                out[0] = out[1] = out[2] = 255;
                return;
            }
            const std::int32_t ix = static_cast<std::int32_t>(u) - (u < 0 ? 1 : 0);
            const std::int32_t iy = static_cast<std::int32_t>(v) - (v < 0 ? 1 : 0);
            const double fx = u - ix, fy = v - iy;
            auto sample = [&](std::int32_t x, std::int32_t y, int c) -> double {
                return inside(x, y) ? src.at(x, y)[c] : 255;
            };
            for (int c = 0; c < 3; ++c) {
                const double tl = sample(ix, iy, c), tr = sample(ix + 1, iy, c);
                const double bl = sample(ix, iy + 1, c), br = sample(ix + 1, iy + 1, c);
                const double value = ((br * fx + bl * (1 - fx)) * fy + (tr * fx + tl * (1 - fx)) * (1 - fy)) + 0.5;
                out[c] = static_cast<std::uint8_t>(static_cast<std::int32_t>(value));
            }
        });
    }
};

TEST(Perspective, RendersGiveThePlainArithmeticsBytes) {
    // Corners in thousandths of the image's last column and row.
    struct Quad {
        const char* name;
        std::int32_t c[8];
    };
    const Quad quads[] = {
        {"identity", {0, 0, 1000, 0, 0, 1000, 1000, 1000}},
        {"mild keystone", {50, 30, 950, 0, 0, 1000, 1000, 970}},
        {"strong", {300, 200, 800, -100, -200, 1100, 1300, 900}},
        {"shrunk: white around", {250, 250, 750, 250, 250, 750, 750, 750}},
        {"doubled: positions on whole pixels", {0, 0, 500, 0, 0, 500, 500, 500}},
        {"mirrored", {1000, 0, 0, 0, 1000, 1000, 0, 1000}},
        {"crossed: poles inside", {1500, 0, 1000, 0, 0, 1000, 400, 300}},
        {"reflex corner", {0, 0, 1000, 0, 0, 1000, 400, 400}},
    };
    const std::pair<std::int32_t, std::int32_t> sizes[] = {{1, 1}, {1, 7}, {7, 1}, {2, 2}, {3, 2},
                                                          {2, 5}, {5, 3}, {37, 23}, {64, 48}, {190, 131}};
    struct WidestAfterwards {
        ~WidestAfterwards() { SetRenderSimd(RenderSimd::Avx2); }
    } restore;
    for (RenderSimd simd : {RenderSimd::Avx2, RenderSimd::Sse2, RenderSimd::Plain}) {
        if (SetRenderSimd(simd) != simd) continue;  // not on this processor
        for (auto [w, h] : sizes) {
            Image src = noise(w, h, std::uint32_t(w * 131 + h));
            for (const Quad& q : quads) {
                SCOPED_TRACE(testing::Message() << q.name << ", " << w << " x " << h << ", vector kind "
                                                << static_cast<int>(simd));
                TrimPoint quad[4];
                for (int k = 0; k < 4; ++k)
                    quad[k] = {q.c[2 * k] * (w - 1) / 1000, q.c[2 * k + 1] * (h - 1) / 1000};
                const PerspectiveMap m = SolvePerspective(quad, w, h);
                Reference ref{m, src};
                Image expectedPreview = ref.preview(), expectedFinal = ref.final();

                Image preview = blank(w, h, 0x5A);
                RenderPreview(m, src.pixels.data(), preview.pixels.data(), w, h);
                EXPECT_EQ(pixelsOf(preview), pixelsOf(expectedPreview));
                Image whole = blank(w, h, 0x5A);
                RenderFinal(m, src.pixels.data(), whole.pixels.data(), w, h);
                EXPECT_EQ(pixelsOf(whole), pixelsOf(expectedFinal));

                // Regions: one that starts on an odd row and ends on the last column, one row, one
                // column, and one reaching past the image.
                const TrimRect regions[] = {{w / 3, 1, w - 1, h - 1},
                                            {0, h / 2, w - 1, h / 2},
                                            {w / 2, 0, w / 2, h - 1},
                                            {-5, -5, w + 5, h / 2}};
                for (const TrimRect& r : regions) {
                    Image part = blank(w, h, 0x5A);
                    RenderFinal(m, src.pixels.data(), part.pixels.data(), w, h, &r);
                    for (std::int32_t y = 0; y < h; ++y)
                        for (std::int32_t x = 0; x < w; ++x) {
                            const bool in = x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
                            for (int c = 0; c < 3; ++c)
                                ASSERT_EQ(part.at(x, y)[c], in ? expectedFinal.at(x, y)[c] : 0x5A)
                                    << x << ", " << y << " in " << r.left << ", " << r.top << ", " << r.right << ", "
                                    << r.bottom;
                        }
                }
            }
        }
    }
}

// Both builds must produce the same bytes: these digests were taken on Linux and are checked on
// Windows as well.
TEST(Perspective, RendersAreTheSameBytesEverywhere) {
    const TrimPoint quad[4] = {{12, -7}, {181, 9}, {-15, 140}, {170, 121}};
    Image src = noise(190, 130, 11);
    const PerspectiveMap m = SolvePerspective(quad, 190, 130);
    auto digest = [](Image& img) {
        std::uint64_t h = 1469598103934665603ull;
        for (std::uint8_t b : pixelsOf(img)) h = (h ^ b) * 1099511628211ull;
        return h;
    };
    Image preview = blank(190, 130, 0), bilinear = blank(190, 130, 0);
    RenderPreview(m, src.pixels.data(), preview.pixels.data(), 190, 130);
    RenderFinal(m, src.pixels.data(), bilinear.pixels.data(), 190, 130);
    EXPECT_EQ(digest(preview), 14353836387433796056ull);
    EXPECT_EQ(digest(bilinear), 7579055379318393591ull);
}

}  // namespace
