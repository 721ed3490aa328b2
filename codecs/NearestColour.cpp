// Mapping to the nearest palette entry by squared distance (from the squares table), the first
// entry on ties. Pixels repeat colours, so a small direct-mapped cache of earlier answers saves most
// of the searches without changing them; and each search scans only the candidates of the pixel's
// cell of colour space.
#include <vector>

#include "codecs/ColorReduction.h"

namespace reduction {

namespace {

// Colour space is split into cells of 16 levels a side; each cell, when first met, keeps the
// entries whose nearest point of the cell is no farther than the smallest farthest-point distance
// of any entry. No other entry can be nearest to, or tie for, a colour in the cell, so scanning the
// kept ones in index order gives the answer a scan of all entries gives.
class CellCandidates {
public:
    static constexpr int kCellBits = 4;
    static constexpr int kCells = 256 >> kCellBits;  // per axis

    CellCandidates(const RGBQUAD* palette, std::uint32_t entries, const std::int32_t* squares)
        : entries_(entries), cellList_(kCells * kCells * kCells, kNoList), axisNear_(3 * kCells * 256),
          axisFar_(3 * kCells * 256) {
        // Per channel and cell coordinate, each entry's squared distance to the nearest and to the
        // farthest level of the cell's range on that axis.
        const std::int32_t* sq = squares + 255;
        for (int c = 0; c < 3; ++c)
            for (int cc = 0; cc < kCells; ++cc)
                for (std::uint32_t i = 0; i < entries; ++i) {
                    const RGBQUAD& q = palette[i];
                    const int level = c == 0 ? q.rgbBlue : c == 1 ? q.rgbGreen : q.rgbRed;
                    const int below = level - cc * kCellSide, above = level - (cc * kCellSide + kCellSide - 1);
                    const std::size_t at = std::size_t(c * kCells + cc) * 256 + i;
                    axisNear_[at] = below < 0 ? sq[below] : above > 0 ? sq[above] : 0;
                    axisFar_[at] = sq[below] > sq[above] ? sq[below] : sq[above];
                }
    }

    // The candidates of the cell that holds (blue, green, red): `count` entries from the result on.
    const std::uint8_t* of(int blue, int green, int red, std::uint32_t& count) {
        const std::uint32_t cell =
            (blue >> kCellBits) + ((green >> kCellBits) + (red >> kCellBits) * kCells) * kCells;
        const std::uint32_t start = cellList_[cell] != kNoList ? cellList_[cell] : build(cell);
        count = std::uint32_t{lists_[start]} + 1;
        return lists_.data() + start + 1;
    }

private:
    static constexpr int kCellSide = 1 << kCellBits;
    static constexpr std::uint32_t kNoList = 0xFFFFFFFFu;

    std::uint32_t build(std::uint32_t cell) {
        const std::size_t ab = std::size_t(cell % kCells) * 256, ag = std::size_t(kCells + cell / kCells % kCells) * 256,
                          ar = std::size_t(2 * kCells + cell / (kCells * kCells)) * 256;
        const std::int32_t *nb = &axisNear_[ab], *ng = &axisNear_[ag], *nr = &axisNear_[ar];
        const std::int32_t *fb = &axisFar_[ab], *fg = &axisFar_[ag], *fr = &axisFar_[ar];
        std::int32_t nearest[256];
        std::int32_t bound = 0x7FFFFFFF;
        for (std::uint32_t i = 0; i < entries_; ++i) {
            nearest[i] = nb[i] + ng[i] + nr[i];
            const std::int32_t farthest = fb[i] + fg[i] + fr[i];
            bound = farthest < bound ? farthest : bound;
        }
        const std::uint32_t start = static_cast<std::uint32_t>(lists_.size());
        lists_.push_back(0);
        for (std::uint32_t i = 0; i < entries_; ++i)
            if (nearest[i] <= bound) lists_.push_back(static_cast<std::uint8_t>(i));
        lists_[start] = static_cast<std::uint8_t>(lists_.size() - start - 2);
        cellList_[cell] = start;
        return start;
    }

    std::uint32_t entries_;
    std::vector<std::uint32_t> cellList_;  // start of each cell's list in lists_
    std::vector<std::uint8_t> lists_;      // per list: count - 1, then the entries
    std::vector<std::int32_t> axisNear_;
    std::vector<std::int32_t> axisFar_;
};

}  // namespace

void mapToNearest(ColorReducer& r, std::size_t pixelCount, std::uint8_t* targetPixels) {
    const std::uint32_t n = 1u << r.targetDepth;
    constexpr std::uint32_t kCacheSize = 1u << 14;
    std::vector<std::uint32_t> cacheKey(kCacheSize, 0xFFFFFFFFu);
    std::vector<std::uint8_t> cacheValue(kCacheSize, 0);
    CellCandidates cells(r.targetPalette, n, r.squares);
    const std::int32_t* sq = r.squares + 255;
    for (std::size_t p = 0; p < pixelCount; ++p) {
        const std::uint32_t px = r.workBuffer[p] & 0xFFFFFF;
        const std::uint32_t slot = (px * 2654435761u) >> 18;
        if (cacheKey[slot] == px) {
            targetPixels[p] = cacheValue[slot];
            continue;
        }
        const int b = static_cast<int>(channel(px, 0)), g = static_cast<int>(channel(px, 1)),
                  rr = static_cast<int>(channel(px, 2));
        std::uint32_t count = 0;
        const std::uint8_t* entry = cells.of(b, g, rr, count);
        std::int32_t best = 0x7FFFFFFF;
        std::uint32_t bestIndex = 0;
        for (std::uint32_t k = 0; k < count; ++k) {
            const RGBQUAD& q = r.targetPalette[entry[k]];
            const std::int32_t d = sq[b - q.rgbBlue] + sq[g - q.rgbGreen] + sq[rr - q.rgbRed];
            const bool better = d < best;
            bestIndex = better ? entry[k] : bestIndex;
            best = better ? d : best;
        }
        cacheKey[slot] = px;
        cacheValue[slot] = static_cast<std::uint8_t>(bestIndex);
        targetPixels[p] = static_cast<std::uint8_t>(bestIndex);
    }
}

}  // namespace reduction
