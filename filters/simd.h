// MMX kernels of the filters family (utilsmmx only). Every kernel walks a
// whole block of rows and is named <Op>Rows_<fmt>_mmx; each gives the same
// bytes as the plain rows it stands in for and handles every input those
// take. convolution.cpp, factor_gradient.cpp and shadow_mask.cpp pick them, each in one block.
#ifndef KORVANTE_FILTERS_SIMD_H
#define KORVANTE_FILTERS_SIMD_H

#include <stddef.h>
#include <stdint.h>

#include "surface/surface.h"

namespace kv {

struct ConvJob;
struct ShadowJob;

#if UTILS_SIMD
// Pixels 0 .. width - 1 of rows 0 .. height - 1 of the job's image.
void ConvolveRows_32_mmx(const ConvJob &j, int width, int height, ptrdiff_t pitch);
void ConvolveRows_24_mmx(const ConvJob &j, int width, int height, ptrdiff_t pitch);
// Every 16-bit word of the job's image, row padding included; width, height
// and pitch are not used.
void ConvolveRows_565_mmx(const ConvJob &j, int width, int height, ptrdiff_t pitch);
void ConvolveRows_555_mmx(const ConvJob &j, int width, int height, ptrdiff_t pitch);
void ConvolveRows_4444_mmx(const ConvJob &j, int width, int height, ptrdiff_t pitch);
// The first n bytes of each of `rows` rows pitch apart: byte x f >> 8 (f
// below 256).
void ScaleRows_bytes_mmx(uint8_t *p, ptrdiff_t n, int rows, ptrdiff_t pitch, unsigned f);
// The first w pixels of each of `rows` 16-bit rows pitch apart: every
// colour field x f >> 8 (f below 256), the alpha bits 0.
void ScaleRows_565_mmx(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f);
void ScaleRows_555_mmx(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f);
void ScaleRows_4444_mmx(uint8_t *p, int w, int rows, ptrdiff_t pitch, unsigned f);
// CreateShadow from a 16-bit source: `words` words of rows 0 .. h - 1 into
// the shadow at d, dPitch bytes apart.
void ShadowRows_565_mmx(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words);
void ShadowRows_555_mmx(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words);
void ShadowRows_4444_mmx(const ShadowJob &j, uint8_t *d, ptrdiff_t dPitch, int h, int words);
#endif

}  // namespace kv

#endif
