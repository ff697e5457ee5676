// Row kernels of the format conversions, shared by the plain and SIMD files.
#ifndef KORVANTE_CONVERT_H
#define KORVANTE_CONVERT_H

#include <stdint.h>

namespace kv {

// Converts w pixels of one row; d and s do not overlap.
using ConvRowFn = void (*)(uint8_t *d, const uint8_t *s, int w);

#if UTILS_SIMD
void Row32To565_mmx(uint8_t *d, const uint8_t *s, int w);
void Row565To32_mmx(uint8_t *d, const uint8_t *s, int w);
void Row32To555_mmx(uint8_t *d, const uint8_t *s, int w);
void Row555To32_mmx(uint8_t *d, const uint8_t *s, int w);
#endif

}  // namespace kv

#endif
