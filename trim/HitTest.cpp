#include "trim/HitTest.h"

#include <cstdlib>

#include "trim/Identifiers.h"

namespace {

// The perspective corners in the order they are tested, with their quad index.
struct CornerHit {
    HandleKind kind;
    int quadIndex;
};
constexpr CornerHit kCornerOrder[4] = {
    {HandleKind::CornerTopLeft, kQuadTopLeft},
    {HandleKind::CornerTopRight, kQuadTopRight},
    {HandleKind::CornerBottomLeft, kQuadBottomLeft},
    {HandleKind::CornerBottomRight, kQuadBottomRight},
};

// By column (left band, middle, right band) and row (top band, middle, bottom band).
constexpr TrimHit kBands[3][3] = {
    {{HandleKind::TopLeft, cursor::kDiagonalMain}, {HandleKind::Left, cursor::kLeftRight},
     {HandleKind::BottomLeft, cursor::kDiagonalAnti}},
    {{HandleKind::Top, cursor::kUpDown}, {HandleKind::Move, cursor::kMove}, {HandleKind::Bottom, cursor::kUpDown}},
    {{HandleKind::TopRight, cursor::kDiagonalAnti}, {HandleKind::Right, cursor::kLeftRight},
     {HandleKind::BottomRight, cursor::kDiagonalMain}},
};

}  // namespace

TrimHit HitTrim(const TrimRect& s, const TrimPoint* corners, std::int32_t x, std::int32_t y) {
    if (corners)
        for (const CornerHit& c : kCornerOrder) {
            const TrimPoint h = corners[c.quadIndex];
            if (std::abs(x - h.x) < kCornerReach && std::abs(y - h.y) < kCornerReach) return {c.kind, cursor::kMove};
        }
    if (!(x > s.left - kHandleBand && x < s.right + kHandleBand && y > s.top - kHandleBand &&
          y < s.bottom + kHandleBand))
        return {HandleKind::None, cursor::kArrow};
    // Left and top bands are tested first, so they win in a narrow rectangle.
    const int column = x < s.left + kHandleBand ? 0 : (x > s.right - kHandleBand ? 2 : 1);
    const int row = y < s.top + kHandleBand ? 0 : (y > s.bottom - kHandleBand ? 2 : 1);
    return kBands[column][row];
}
