// Nearest-colour search onto a 256-entry palette.
//
// The distance from a target to an entry is the sum over the three channels
// of (target - entry) taken as an unsigned byte, so it wraps: an entry at or
// below the target in every channel is close, one a little above it is far.
// The scan runs upwards and keeps an entry when its distance is less than or
// equal to the best so far, so ties go to the highest index. 8-bit images
// already stored by the game were mapped this way; both searches below must
// keep giving exactly these indices.
#ifndef KORVANTE_NEAREST_H
#define KORVANTE_NEAREST_H

#include <stddef.h>
#include <stdint.h>

#include <memory>

#include "utils.h"

namespace kv {

// The plain 256-entry scan. Cheapest for a handful of lookups (a palette
// remap is 256 of them).
uint8_t NearestPaletteIndex(const TRGBA *pal, uint8_t r, uint8_t g, uint8_t b);

// Same results as NearestPaletteIndex, for many lookups against one palette
// (a whole image). The palette is copied at construction; later changes to
// the caller's array are not seen. Colour space is cut into cubes; each cube
// keeps, built on first use, the few entries that can be nearest to some
// colour inside it, and a lookup scans only those in index order.
// Not thread-safe: one object per thread.
class NearestColor {
  public:
    explicit NearestColor(const TRGBA *pal);
    // rgb is 0x??RRGGBB; the top byte is ignored.
    uint8_t Find(uint32_t rgb);
    uint8_t Find(uint8_t r, uint8_t g, uint8_t b) { return Find((uint32_t(r) << 16) | (uint32_t(g) << 8) | b); }

  private:
    static constexpr int kCellBits = 3;  // cube side 8
    static constexpr int kCellsPerAxis = 256 >> kCellBits;
    static constexpr size_t kCells = size_t(1) << (3 * (8 - kCellBits));
    static constexpr uint32_t kUnbuilt = 0xFFFFFFFFu;

    void BuildCell(uint32_t cell);

    uint8_t r_[256], g_[256], b_[256];
    // Per cube: first candidate in pool_ and how many (kUnbuilt: not yet).
    // Plain arrays: std containers would export their instantiations.
    std::unique_ptr<uint32_t[]> start_;
    std::unique_ptr<uint16_t[]> count_;
    // Candidates as index << 24 | 0xRRGGBB.
    std::unique_ptr<uint32_t[]> pool_;
    size_t poolSize_, poolCap_;
    uint32_t lastRgb_;
    uint8_t lastIdx_;
};

}  // namespace kv

#endif
