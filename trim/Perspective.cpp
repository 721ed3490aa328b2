#include "trim/Perspective.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

constexpr double kPi = 3.1415926535;
constexpr double kTwoPi = 6.283185307;
constexpr double kMargin = 0.1;

double angleTo(std::int32_t fromX, std::int32_t fromY, const TrimPoint& to) {
    return std::atan2(static_cast<double>(to.y - fromY), static_cast<double>(to.x - fromX));
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
