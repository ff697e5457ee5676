// MMX row kernels of the drawing family (utilsmmx only), named
// <Op>Row_<fmt>_mmx; each gives the same bytes as the plain row it stands in
// for. fill.cpp and tools.cpp pick them, each in one block.
#ifndef KORVANTE_DRAW_SIMD_H
#define KORVANTE_DRAW_SIMD_H

#include <stdint.h>

#include "surface/surface.h"

namespace kv {

#if UTILS_SIMD
// Translucent fill of one row of w pixels; L is 0 to 255; for the 16-bit
// kinds k is the colour narrowed to the kind.
void MaskFillRow_32_mmx(uint8_t *p, int w, uint32_t k, int L);
void MaskFillRow_24_mmx(uint8_t *p, int w, uint32_t k, int L);
void MaskFillRow_565_mmx(uint8_t *p, int w, uint32_t k, int L);
void MaskFillRow_555_mmx(uint8_t *p, int w, uint32_t k, int L);
void MaskFillRow_4444_mmx(uint8_t *p, int w, uint32_t k, int L);
// Every one of n bytes gets v added (v >= 0) or -v subtracted, saturating.
void TranslateRow_bytes_mmx(uint8_t *p, int n, int v);
#endif

}  // namespace kv

#endif
