// MMX row kernels of the blit family (utilsmmx only), named
// <Op>Row_<fmt>_mmx: <fmt> is the layout the row holds (565, 555, 4444, 24,
// 32), 16 for any 16-bit kind moved as whole words, and bytes for rows whose
// every byte is treated alike (24 and 32 bits both). Each gives the same
// bytes as the plain row it stands in for; drawbitmap.cpp picks them in one
// block.
#ifndef KORVANTE_BLIT_SIMD_H
#define KORVANTE_BLIT_SIMD_H

#include <stdint.h>

#include "surface/surface.h"

namespace kv {

#if UTILS_SIMD
// Colour-keyed copy of w pixels; key is the source's transColor as given,
// of which only the bits a pixel holds are compared (16, or the low 24 of a
// 32-bit pixel: the fourth byte is copied but not compared).
void KeyRow_16_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);
void KeyRow_32_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);
#endif

}  // namespace kv

#endif
