// SIMD kernels of the drawing family (utilsmmx only); each gives the same
// bytes as the plain loop it replaces.
#ifndef KORVANTE_DRAW_SIMD_H
#define KORVANTE_DRAW_SIMD_H

#include <stdint.h>

#include "surface/surface.h"

namespace kv {

#if UTILS_SIMD
// r is already clipped; L is 0 to 255.
void MaskFillRect_32_mmx(const TSurfDesc &s, const CRectangulo &r, uint32_t k, int L);
void MaskFillRect_24_mmx(const TSurfDesc &s, const CRectangulo &r, uint32_t k, int L);
// k is the colour narrowed to the kind.
void MaskFillRect_565_mmx(const TSurfDesc &s, const CRectangulo &r, uint32_t k, int L);
void MaskFillRect_555_mmx(const TSurfDesc &s, const CRectangulo &r, uint32_t k, int L);
void MaskFillRect_4444_mmx(const TSurfDesc &s, const CRectangulo &r, uint32_t k, int L);
// r is already clipped; every byte of each pixel gets v added (v >= 0) or
// -v subtracted, saturating; bytesPerPixel is 3 or 4.
void TranslateBytes_mmx(const TSurfDesc &s, const CRectangulo &r, int bytesPerPixel, int v);
#endif

}  // namespace kv

#endif
