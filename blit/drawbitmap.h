// Row kernels of the colour-keyed copy that the SIMD build replaces.
#ifndef KORVANTE_DRAWBITMAP_H
#define KORVANTE_DRAWBITMAP_H

#include <stdint.h>

namespace kv {

#if UTILS_SIMD
// w pixels; key already reduced to the compared bits (16 or 24).
void KeyRow16_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);
void KeyRow32_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);
#endif

}  // namespace kv

#endif
