// Row kernels of the format conversions, shared by the plain and SIMD files.
#ifndef KORVANTE_CONVERT_H
#define KORVANTE_CONVERT_H

#include <stdint.h>

namespace kv {

// Converts w pixels of one row; d and s do not overlap.
using ConvRowFn = void (*)(uint8_t *d, const uint8_t *s, int w);

#if UTILS_SIMD
// ConvertRow_<from>_<to>_mmx: the same bytes as the plain row loops; picked
// in convert.cpp's table of conversions.
void ConvertRow_32_565_mmx(uint8_t *d, const uint8_t *s, int w);
void ConvertRow_565_32_mmx(uint8_t *d, const uint8_t *s, int w);
void ConvertRow_32_555_mmx(uint8_t *d, const uint8_t *s, int w);
void ConvertRow_555_32_mmx(uint8_t *d, const uint8_t *s, int w);
#endif

}  // namespace kv

#endif
