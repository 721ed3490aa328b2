// Perspective correction: the quadrilateral whose corners are pulled onto the image's corners, the
// projective map that does it, and the two renderers (a fast nearest-neighbour preview and the
// bilinear final image). Plain functions over 24-bit bottom-up pixel buffers; the threads that run
// them live with the window.
#pragma once

#include <cstdint>

struct TrimPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const TrimPoint&) const = default;
};

// Inclusive rectangle (left, top, right, bottom); image rows counted from the top.
struct TrimRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    bool operator==(const TrimRect&) const = default;
};

// Corner order of the quadrilateral.
enum QuadCorner : int { kQuadTopLeft = 0, kQuadTopRight = 1, kQuadBottomLeft = 2, kQuadBottomRight = 3 };

// (0, 0), (width - 1, 0), (0, height - 1), (width - 1, height - 1).
void IdentityQuad(TrimPoint quad[4], std::int32_t width, std::int32_t height);
bool IsIdentityQuad(const TrimPoint quad[4], std::int32_t width, std::int32_t height);

// Whether corner `corner` of `quad` may move to (x, y): the corner stays on its side of the other
// corners and every angle of the quadrilateral keeps a margin of 0.1 radian from a straight angle.
bool CornerMoveAllowed(const TrimPoint quad[4], int corner, std::int32_t x, std::int32_t y);

// (u, v) = ((p0 x + p1 y + p2) / (p6 x + p7 y + 1), (p3 x + p4 y + p5) / (p6 x + p7 y + 1)).
struct PerspectiveMap {
    double p[8] = {};
    bool solvable = false;  // false: the corners admit no map (the renders come out all background)
};

// The map that sends each quad corner to the image's own corner.
PerspectiveMap SolvePerspective(const TrimPoint quad[4], std::int32_t width, std::int32_t height);

// Nearest neighbour with truncation toward zero; outside the image: white. Writes every pixel of
// `target` (same size and stride as `source`, which it must not alias).
void RenderPreview(const PerspectiveMap& map, const std::uint8_t* source, std::uint8_t* target,
                   std::int32_t width, std::int32_t height);

// Bilinear, white outside the image. With `region` only the pixels inside it (clipped to the image)
// are written, with the same values a whole render gives them; the rest of `target` is untouched.
void RenderFinal(const PerspectiveMap& map, const std::uint8_t* source, std::uint8_t* target, std::int32_t width,
                 std::int32_t height, const TrimRect* region = nullptr);

// The vector instructions the renders use: the widest the processor has. Each kind gives the same
// bytes; SetRenderSimd narrows the choice (to test every kind) and returns the kind now in use.
enum class RenderSimd { Plain, Sse2, Avx2 };
RenderSimd SetRenderSimd(RenderSimd limit);
