// Shared arithmetic of the mixing and masked-drawing kernels.
#ifndef KORVANTE_BLIT_MIX_H
#define KORVANTE_BLIT_MIX_H

#include "surface/pixfmt.h"
#include "surface/surface.h"

namespace kv {

using MixTable = unsigned char (*const)[65536];

// floor((s * w + d * (256 - w)) / 256) for w in 0..256; never leaves the
// channel's range.
inline uint32_t MixCh(uint32_t s, uint32_t d, uint32_t w) { return (s * w + d * (256 - w)) >> 8; }

// Channel by channel at each channel's own width; alpha bits come out 0.
template <class F>
inline uint32_t Mix16(uint32_t s, uint32_t d, uint32_t w) {
    return (MixCh((s & F::kRMask) >> F::kRShift, (d & F::kRMask) >> F::kRShift, w) << F::kRShift) |
           (MixCh((s & F::kGMask) >> F::kGShift, (d & F::kGMask) >> F::kGShift, w) << F::kGShift) |
           (MixCh((s & F::kBMask) >> F::kBShift, (d & F::kBMask) >> F::kBShift, w) << F::kBShift);
}

// Half and quarter masks of a 16-bit layout: each channel shifted down by
// one or two bits, so no bit crosses into the channel below.
template <class F>
struct ShiftMasks16 {
    static constexpr uint32_t kHalf =
        ((F::kRMask >> 1) & F::kRMask) | ((F::kGMask >> 1) & F::kGMask) | ((F::kBMask >> 1) & F::kBMask);
    static constexpr uint32_t kQuarter =
        ((F::kRMask >> 2) & F::kRMask) | ((F::kGMask >> 2) & F::kGMask) | ((F::kBMask >> 2) & F::kBMask);
};

// The fixed levels 192, 128 and 64 by shifts alone, every term truncated on
// its own. half/quarter are the masks of the encoding (0x7F.. / 0x3F.. for
// bytes).
inline uint32_t ShiftMix(uint32_t s, uint32_t d, int level, uint32_t half, uint32_t quarter) {
    if (level == 192) return ((s >> 1) & half) + ((s >> 2) & quarter) + ((d >> 2) & quarter);
    if (level == 128) return ((s >> 1) & half) + ((d >> 1) & half);
    return ((d >> 1) & half) + ((d >> 2) & quarter) + ((s >> 2) & quarter);
}
inline bool IsShiftLevel(unsigned level) { return level == 192 || level == 128 || level == 64; }

// A palette entry narrowed to a 16-bit layout (top bits kept).
template <class F>
inline uint32_t PaletteTo16(const TRGBA &e) {
    return F::Pack(RGB8{e.r, e.g, e.b});
}

// The surface as the kernel walks it, in elements of elemBytes, for block
// clipping: a surface read with another element size than its own never
// has a byte read past its rows.
inline TSurfDesc ElementView(const TSurfDesc &s, int elemBytes) {
    TSurfDesc v = s;
    const int64_t rowBytes = int64_t(s.width) * int64_t(s.bpp / 8);
    v.width = rowBytes > 0 ? int(rowBytes / elemBytes) : 0;
    return v;
}

// Dither phase of the mix table at destination (x, y).
inline int MixPhase(int x, int y) { return ((x + y) & 1) == 0 ? 1 : 0; }
inline uint32_t Key565(uint32_t r, uint32_t g, uint32_t b) { return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3); }

#if UTILS_SIMD
// MMX row kernels; byte-identical to the plain loops they replace.
// Every byte of the row mixed with weight w (0..255).
void MixBytesRow_mmx(uint8_t *d, const uint8_t *s, int nbytes, uint32_t w);
// Every byte of the row by the shift form of level 192, 128 or 64.
void ShiftBytesRow_mmx(uint8_t *d, const uint8_t *s, int nbytes, int level);
// 16-bit pixels, n a multiple of 4: every pixel mixed with weight w (0..255).
void MixRow565_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w);
void MixRow555_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w);
void MixRow4444_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w);
// R5G6B5 groups of four, n a multiple of 4: blue by shifts, red and green at
// full precision.
void ShiftGroupRow565_mmx(uint8_t *d, const uint8_t *s, int n, int level);
// R5G6B5 groups of four from an 8-bit alpha map, n a multiple of 4; scale < 0
// takes the values as they are, else (m * scale) >> 8.
void AlphaRow565_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale);
// 24- and 32-bit pixels from an alpha map of stride astep bytes: m = 0 keeps,
// m = 255 copies, else weight m + 1; scaled: m' = (m * scale) >> 8, weight m'.
void AlphaRow32_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale);
void AlphaRow24_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale);
#endif

}  // namespace kv

#endif
