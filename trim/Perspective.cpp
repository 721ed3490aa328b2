#include "trim/Perspective.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>

#include "codecs/ImageData.h"

namespace {

constexpr double kPi = 3.1415926535;
constexpr double kTwoPi = 6.283185307;
constexpr double kMargin = 0.1;
constexpr std::uint8_t kBackground = 0xFF;  // white, the same byte in B, G and R

// Byte values as doubles: a load instead of a conversion per sample.
struct Levels {
    double v[256];
    constexpr Levels() : v() {
        for (int i = 0; i < 256; ++i) v[i] = i;
    }
};
constexpr Levels kLevels{};

double angleTo(std::int32_t fromX, std::int32_t fromY, const TrimPoint& to) {
    return std::atan2(static_cast<double>(to.y - fromY), static_cast<double>(to.x - fromX));
}

std::size_t strideOf(std::int32_t width) { return rowStride(static_cast<std::uint32_t>(width), 24); }

void fillBackground(std::uint8_t* row, std::int32_t from, std::int32_t to) {
    std::memset(row + std::size_t(from) * 3, kBackground, std::size_t(to - from) * 3);
}

}  // namespace

void IdentityQuad(TrimPoint quad[4], std::int32_t width, std::int32_t height) {
    quad[kQuadTopLeft] = {0, 0};
    quad[kQuadTopRight] = {width - 1, 0};
    quad[kQuadBottomLeft] = {0, height - 1};
    quad[kQuadBottomRight] = {width - 1, height - 1};
}

bool IsIdentityQuad(const TrimPoint quad[4], std::int32_t width, std::int32_t height) {
    TrimPoint identity[4];
    IdentityQuad(identity, width, height);
    for (int i = 0; i < 4; ++i)
        if (!(quad[i] == identity[i])) return false;
    return true;
}

bool CornerMoveAllowed(const TrimPoint quad[4], int corner, std::int32_t x, std::int32_t y) {
    const TrimPoint& tl = quad[kQuadTopLeft];
    const TrimPoint& tr = quad[kQuadTopRight];
    const TrimPoint& bl = quad[kQuadBottomLeft];
    const TrimPoint& br = quad[kQuadBottomRight];
    double o, r, t;
    switch (corner) {
    case kQuadTopLeft:
        if (!(x < tr.x && x < br.x && y < bl.y && y < br.y)) return false;
        o = angleTo(x, y, tr);
        r = angleTo(x, y, bl);
        t = angleTo(x, y, br);
        break;
    case kQuadTopRight:
        if (!(tl.x < x && bl.x < x && y < bl.y && y < br.y)) return false;
        o = angleTo(x, y, br);
        r = angleTo(x, y, tl);
        if (r < 0) r += kTwoPi;
        t = angleTo(x, y, bl);
        break;
    case kQuadBottomRight:
        if (!(tl.x < x && bl.x < x && tl.y < y && tr.y < y)) return false;
        o = angleTo(x, y, bl);
        if (o > 0) o -= kTwoPi;
        r = angleTo(x, y, tr);
        t = angleTo(x, y, tl);
        break;
    case kQuadBottomLeft:
        if (!(x < tr.x && x < br.x && tl.y < y && tr.y < y)) return false;
        o = angleTo(x, y, tl);
        r = angleTo(x, y, br);
        t = angleTo(x, y, tr);
        break;
    default: return false;
    }
    if (r - o + kMargin >= kPi) return false;
    if (t <= o + kMargin) return false;
    if (t >= r - kMargin) return false;
    return true;
}

PerspectiveMap SolvePerspective(const TrimPoint quad[4], std::int32_t width, std::int32_t height) {
    // One u row and one v row per corner, corners in quad order.
    const double targets[4][2] = {
        {0.0, 0.0}, {double(width - 1), 0.0}, {0.0, double(height - 1)}, {double(width - 1), double(height - 1)}};
    double a[8][8] = {};
    double inv[8][8] = {};
    double rhs[8];
    for (int c = 0; c < 4; ++c) {
        const double x = quad[c].x, y = quad[c].y;
        const double u = targets[c][0], v = targets[c][1];
        double* ur = a[2 * c];
        double* vr = a[2 * c + 1];
        ur[0] = x, ur[1] = y, ur[2] = 1, ur[6] = -u * x, ur[7] = -u * y;
        vr[3] = x, vr[4] = y, vr[5] = 1, vr[6] = -v * x, vr[7] = -v * y;
        rhs[2 * c] = u;
        rhs[2 * c + 1] = v;
    }
    for (int i = 0; i < 8; ++i) inv[i][i] = 1;

    PerspectiveMap map;
    // Gauss-Jordan with partial pivoting; on equal magnitudes the upper row stays the pivot.
    for (int col = 0; col < 8; ++col) {
        int pivotRow = col;
        for (int r = col + 1; r < 8; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivotRow][col])) pivotRow = r;
        if (pivotRow != col) {
            std::swap(a[pivotRow], a[col]);
            std::swap(inv[pivotRow], inv[col]);
        }
        const double pivot = a[col][col];
        if (pivot == 0.0) return map;  // singular: no map
        for (int j = 0; j < 8; ++j) {
            a[col][j] /= pivot;
            inv[col][j] /= pivot;
        }
        for (int r = 0; r < 8; ++r) {
            if (r == col) continue;
            const double f = a[r][col];
            for (int j = 0; j < 8; ++j) {
                a[r][j] -= f * a[col][j];
                inv[r][j] -= f * inv[col][j];
            }
        }
    }
    for (int i = 0; i < 8; ++i) {
        double sum = 0.0;
        for (int j = 0; j < 8; ++j) sum += inv[i][j] * rhs[j];
        map.p[i] = sum;
    }
    map.solvable = true;
    return map;
}

void RenderPreview(const PerspectiveMap& map, const std::uint8_t* source, std::uint8_t* target,
                   std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) return;
    const std::size_t stride = strideOf(width);
    const double* p = map.p;
    const double w = width, h = height;
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* out = target + std::size_t(height - 1 - y) * stride;
        if (!map.solvable) {
            fillBackground(out, 0, width);
            continue;
        }
        const double fy = y;
        double nu = p[1] * fy + p[2];
        double nv = p[4] * fy + p[5];
        double d = p[7] * fy + 1;
        for (std::int32_t x = 0; x < width; ++x, out += 3) {
            const double u = nu / d;
            const double v = nv / d;
            nu += p[0];
            nv += p[3];
            d += p[6];
            // Truncation toward zero: (-1, 0) still lands on column 0. NaN fails every test.
            if (u > -1.0 && u < w && v > -1.0 && v < h) {
                const std::int32_t iu = static_cast<std::int32_t>(u);
                const std::int32_t iv = static_cast<std::int32_t>(v);
                const std::uint8_t* in = source + std::size_t(height - 1 - iv) * stride + std::size_t(iu) * 3;
                out[0] = in[0], out[1] = in[1], out[2] = in[2];
            } else {
                out[0] = out[1] = out[2] = kBackground;
            }
        }
    }
}

void RenderFinal(const PerspectiveMap& map, const std::uint8_t* source, std::uint8_t* target, std::int32_t width,
                 std::int32_t height, const TrimRect* region) {
    if (width <= 0 || height <= 0) return;
    std::int32_t left = 0, top = 0, right = width - 1, bottom = height - 1;
    if (region) {
        left = std::max(left, region->left);
        top = std::max(top, region->top);
        right = std::min(right, region->right);
        bottom = std::min(bottom, region->bottom);
        if (left > right || top > bottom) return;
    }
    const std::size_t stride = strideOf(width);
    const double* p = map.p;
    const double* level = kLevels.v;
    const double w = width, h = height;
    for (std::int32_t y = top; y <= bottom; ++y) {
        std::uint8_t* out = target + std::size_t(height - 1 - y) * stride + std::size_t(left) * 3;
        if (!map.solvable) {
            fillBackground(out, 0, right - left + 1);
            continue;
        }
        const double fy = y;
        double nu = p[1] * fy + p[2];
        double nv = p[4] * fy + p[5];
        double d = p[7] * fy + 1;
        // The same additions a whole row makes, so the pixels kept get the same values.
        for (std::int32_t x = 0; x < left; ++x) {
            nu += p[0];
            nv += p[3];
            d += p[6];
        }
        for (std::int32_t x = left; x <= right; ++x, out += 3) {
            const double u = nu / d;
            const double v = nv / d;
            nu += p[0];
            nv += p[3];
            d += p[6];
            // All four neighbours outside (or no number at all): the blend of four white samples
            // is white, so skip it.
            if (!(u > -1.0 && u < w && v > -1.0 && v < h)) {
                out[0] = out[1] = out[2] = kBackground;
                continue;
            }
            // The integer part, one less for negative values.
            std::int32_t ix = static_cast<std::int32_t>(u);
            std::int32_t iy = static_cast<std::int32_t>(v);
            if (u < 0) --ix;
            if (v < 0) --iy;
            const double fx = u - ix;
            const double fyy = v - iy;
            const double gx = 1 - fx;
            const double gy = 1 - fyy;
            if (ix >= 0 && ix + 1 < width && iy >= 0 && iy + 1 < height) {
                // All four neighbours inside: the common case, without the background checks.
                const std::uint8_t* tl = source + std::size_t(height - 1 - iy) * stride + std::size_t(ix) * 3;
                const std::uint8_t* bl = tl - stride;
                for (int c = 0; c < 3; ++c) {
                    const double bottom = level[bl[c + 3]] * fx + level[bl[c]] * gx;
                    const double top = level[tl[c + 3]] * fx + level[tl[c]] * gx;
                    const double value = (bottom * fyy + top * gy) + 0.5;
                    out[c] = static_cast<std::uint8_t>(std::min(static_cast<std::int32_t>(value), 255));
                }
                continue;
            }
            const bool x0 = ix >= 0, x1 = ix + 1 < width;
            const bool y0 = iy >= 0, y1 = iy + 1 < height;
            // Rows are bottom-up: image row iy is buffer row height - 1 - iy.
            const std::uint8_t* rowT = y0 ? source + std::size_t(height - 1 - iy) * stride : nullptr;
            const std::uint8_t* rowB = y1 ? source + std::size_t(height - 2 - iy) * stride : nullptr;
            const std::uint8_t* tl = (y0 && x0) ? rowT + std::size_t(ix) * 3 : nullptr;
            const std::uint8_t* tr = (y0 && x1) ? rowT + std::size_t(ix + 1) * 3 : nullptr;
            const std::uint8_t* bl = (y1 && x0) ? rowB + std::size_t(ix) * 3 : nullptr;
            const std::uint8_t* br = (y1 && x1) ? rowB + std::size_t(ix + 1) * 3 : nullptr;
            for (int c = 0; c < 3; ++c) {
                const double cTL = tl ? tl[c] : kBackground;
                const double cTR = tr ? tr[c] : kBackground;
                const double cBL = bl ? bl[c] : kBackground;
                const double cBR = br ? br[c] : kBackground;
                const double value = ((cBR * fx + cBL * gx) * fyy + (cTR * fx + cTL * gx) * gy) + 0.5;
                out[c] = static_cast<std::uint8_t>(std::min(static_cast<std::int32_t>(value), 255));
            }
        }
    }
}
