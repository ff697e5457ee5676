#include "convert/nearest.h"

#include <string.h>

namespace kv {

namespace {

inline uint32_t WrapDist(uint32_t t, uint32_t e) { return (t - e) & 0xFFu; }

}  // namespace

uint8_t NearestPaletteIndex(const TRGBA *pal, uint8_t r, uint8_t g, uint8_t b) {
    uint32_t best = 0xFFFFFF;
    uint8_t idx = 0;
    for (int k = 0; k < 256; ++k) {
        const uint32_t d = WrapDist(b, pal[k].b) + WrapDist(g, pal[k].g) + WrapDist(r, pal[k].r);
        if (d <= best) {
            best = d;
            idx = static_cast<uint8_t>(k);
        }
    }
    return idx;
}

NearestColor::NearestColor(const TRGBA *pal)
    : start_(new uint32_t[kCells]),
      count_(new uint16_t[kCells]),
      pool_(new uint32_t[kCells]),
      poolSize_(0),
      poolCap_(kCells),
      lastRgb_(0xFFFFFFFFu),
      lastIdx_(0) {
    for (size_t i = 0; i < kCells; ++i) start_[i] = kUnbuilt, count_[i] = 0;
    for (int k = 0; k < 256; ++k) {
        r_[k] = pal[k].r;
        g_[k] = pal[k].g;
        b_[k] = pal[k].b;
    }
}

namespace {

// Least and greatest wrapped distance from any target in [t0, t0 + side - 1]
// to entry value e.
inline void Bounds(uint32_t t0, uint32_t t1, uint32_t e, uint32_t &lo, uint32_t &hi) {
    if (e <= t0) {
        lo = t0 - e;
        hi = t1 - e;
    } else if (e > t1) {
        lo = t0 + 256 - e;
        hi = t1 + 256 - e;
    } else {
        // The target can equal e (distance 0) or sit just below it (255).
        lo = 0;
        hi = 255;
    }
}

}  // namespace

// An entry can be nearest to some colour of the cube only if its least
// distance over the cube is within the smallest greatest distance of any
// entry: that entry is at least as close everywhere. Every entry tied for
// nearest passes too, so scanning the survivors upwards with <= picks what
// the full scan picks.
void NearestColor::BuildCell(uint32_t cell) {
    const uint32_t side = 1u << kCellBits;
    const uint32_t mask = kCellsPerAxis - 1;
    const uint32_t r0 = ((cell >> (2 * (8 - kCellBits))) & mask) << kCellBits;
    const uint32_t g0 = ((cell >> (8 - kCellBits)) & mask) << kCellBits;
    const uint32_t b0 = (cell & mask) << kCellBits;
    uint32_t lo[256];
    uint32_t minHi = 0xFFFFFFFFu;
    for (int k = 0; k < 256; ++k) {
        uint32_t l1, h1, l2, h2, l3, h3;
        Bounds(r0, r0 + side - 1, r_[k], l1, h1);
        Bounds(g0, g0 + side - 1, g_[k], l2, h2);
        Bounds(b0, b0 + side - 1, b_[k], l3, h3);
        lo[k] = l1 + l2 + l3;
        const uint32_t hi = h1 + h2 + h3;
        if (hi < minHi) minHi = hi;
    }
    if (poolCap_ - poolSize_ < 256) {
        std::unique_ptr<uint32_t[]> bigger(new uint32_t[poolCap_ * 2]);
        memcpy(bigger.get(), pool_.get(), poolSize_ * sizeof(uint32_t));
        pool_.swap(bigger);
        poolCap_ *= 2;
    }
    start_[cell] = static_cast<uint32_t>(poolSize_);
    uint16_t n = 0;
    for (int k = 0; k < 256; ++k) {
        if (lo[k] > minHi) continue;
        pool_[poolSize_ + n] = (uint32_t(k) << 24) | (uint32_t(r_[k]) << 16) | (uint32_t(g_[k]) << 8) | b_[k];
        ++n;
    }
    poolSize_ += n;
    count_[cell] = n;
}

uint8_t NearestColor::Find(uint32_t rgb) {
    rgb &= 0xFFFFFFu;
    if (rgb == lastRgb_) return lastIdx_;
    const uint32_t r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    const uint32_t cell =
        ((r >> kCellBits) << (2 * (8 - kCellBits))) | ((g >> kCellBits) << (8 - kCellBits)) | (b >> kCellBits);
    if (start_[cell] == kUnbuilt) BuildCell(cell);
    const uint32_t *c = pool_.get() + start_[cell];
    const int n = count_[cell];
    uint32_t best = 0xFFFFFF;
    uint32_t idx = 0;
    for (int i = 0; i < n; ++i) {
        const uint32_t e = c[i];
        const uint32_t d = WrapDist(b, e) + WrapDist(g, e >> 8) + WrapDist(r, e >> 16);
        if (d <= best) {
            best = d;
            idx = e >> 24;
        }
    }
    lastRgb_ = rgb;
    lastIdx_ = static_cast<uint8_t>(idx);
    return lastIdx_;
}

}  // namespace kv
