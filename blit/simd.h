// MMX row kernels of the blit family (utilsmmx only), named
// <Op>Row_<fmt>_mmx: <fmt> is the layout the row holds (565, 555, 4444, 24,
// 32), 16 for any 16-bit kind moved as whole words, and bytes for rows whose
// every byte is treated alike (24 and 32 bits both). Each gives the same
// bytes as the plain row it stands in for; drawbitmap.cpp and drawmix.cpp
// pick them, each in one block.
#ifndef KORVANTE_BLIT_SIMD_H
#define KORVANTE_BLIT_SIMD_H

#include <stdint.h>

#include "surface/surface.h"

namespace kv {

#if UTILS_SIMD
// Colour-keyed copy of w pixels; key is the source's transColor as given,
// of which only the bits a pixel holds are compared (16, or the low 24 of a
// 32-bit pixel: the fourth byte is copied but not compared).
void KeyRow_8_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);
void KeyRow_16_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);
void KeyRow_32_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);

// Every byte of the row mixed with weight w (0..255).
void MixRow_bytes_mmx(uint8_t *d, const uint8_t *s, int nbytes, uint32_t w);
// Every byte of the row by the shift form of level 192, 128 or 64.
void ShiftRow_bytes_mmx(uint8_t *d, const uint8_t *s, int nbytes, int level);

// 16-bit pixels, n a multiple of 4: every pixel mixed with weight w (0..255).
void MixRow_565_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w);
void MixRow_555_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w);
void MixRow_4444_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t w);
// 16-bit groups of four, n a multiple of 4, at the shift levels (64, 128,
// 192): blue by shifts, red and green at full precision, alpha bits 0.
void ShiftGroupRow_565_mmx(uint8_t *d, const uint8_t *s, int n, int level);
void ShiftGroupRow_555_mmx(uint8_t *d, const uint8_t *s, int n, int level);
void ShiftGroupRow_4444_mmx(uint8_t *d, const uint8_t *s, int n, int level);
// 16-bit groups of four from an 8-bit alpha map, n a multiple of 4; scale < 0
// takes the values as they are, else (m * scale) >> 8.
void AlphaRow_565_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale);
void AlphaRow_555_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale);
void AlphaRow_4444_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale);
// 24- and 32-bit pixels from an alpha map of stride astep bytes: m = 0 keeps,
// m = 255 copies, else weight m + 1; scaled: m' = (m * scale) >> 8, weight m'.
void AlphaRow_32_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale);
void AlphaRow_24_mmx(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale);

// DrawMask, picked in drawmask.cpp: the colour c (a packed pixel, alpha
// bits 0) through the mask on n 16-bit pixels, n a multiple of 4; value 0
// keeps. From an 8-bit mask a group of four at 255 takes the colour and any
// other value m mixes at m/256; from a 16-bit mask (its low byte the value)
// 255 takes the colour.
void MaskRow_565_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c);
void MaskRow_555_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c);
void MaskRow_4444_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c);
void WordMaskRow_565_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c);
void WordMaskRow_555_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c);
void WordMaskRow_4444_mmx(uint8_t *d, const uint8_t *m, int n, uint32_t c);
#endif

#if UTILS_SIMD
// One destination row of the nearest scaler on any 16-bit kind: pixel x is
// the word at column cols[x] of s; s and d do not overlap.
void NearestRow_16_mmx(uint8_t *d, const uint8_t *s, const int *cols, int n);
// One destination row of the bilinear scaler from source rows s0 (above) and
// s1 (below): left and right are each column's two sample offsets in bytes,
// ix and fx its horizontal weights (ix = 0xFFFF - fx), fy the row's. Only
// the first three bytes of a pixel are written.
void BilinearRow_32_mmx(uint8_t *d, const uint8_t *s0, const uint8_t *s1, const int *left, const int *right,
                        const uint16_t *ix, const uint16_t *fx, int n, uint32_t fy);
void BilinearRow_24_mmx(uint8_t *d, const uint8_t *s0, const uint8_t *s1, const int *left, const int *right,
                        const uint16_t *ix, const uint16_t *fx, int n, uint32_t fy);
#endif

}  // namespace kv

#endif
