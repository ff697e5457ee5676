// MMX row kernels of the format conversions (utilsmmx only), named
// ConvertRow_<from>_<to>_mmx; each gives the bytes of the plain row loop it
// stands in for. convert.cpp picks them, once, in its table of conversions.
#ifndef KORVANTE_CONVERT_SIMD_H
#define KORVANTE_CONVERT_SIMD_H

#include <stdint.h>

namespace kv {

#if UTILS_SIMD
// w pixels of one row; d and s do not overlap.
void ConvertRow_32_565_mmx(uint8_t *d, const uint8_t *s, int w);
void ConvertRow_565_32_mmx(uint8_t *d, const uint8_t *s, int w);
void ConvertRow_32_555_mmx(uint8_t *d, const uint8_t *s, int w);
void ConvertRow_555_32_mmx(uint8_t *d, const uint8_t *s, int w);
#endif

}  // namespace kv

#endif
