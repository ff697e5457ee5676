// Helpers shared by the filter kernels.
#ifndef KORVANTE_FILTERS_H
#define KORVANTE_FILTERS_H

#include <stddef.h>
#include <stdint.h>

namespace kv {

// Every byte of p[0..n) becomes byte x f >> 8 (f below 256).
void ScaleBytes(uint8_t *p, ptrdiff_t n, unsigned f);

#if UTILS_SIMD
// The same in MMX; returns how many leading bytes it did (a multiple of 8).
ptrdiff_t ScaleBytes_MMX(uint8_t *p, ptrdiff_t n, unsigned f);
#endif

}  // namespace kv

#endif
