// Helpers shared by the drawing kernels.
#ifndef KORVANTE_DRAW_H
#define KORVANTE_DRAW_H

#include <float.h>
#include <limits.h>
#include <stdint.h>

#include "surface/pixfmt.h"
#include "surface/surface.h"

namespace kv {

// Colour narrowing of the fills: unlike Pack, the alpha bits of 1-5-5-5 and
// 4-4-4-4 come from the colour's alpha byte.
inline uint32_t FillColor565(unsigned long k) {
    return (((k >> 19) & 0x1F) << 11) | (((k >> 10) & 0x3F) << 5) | ((k >> 3) & 0x1F);
}
inline uint32_t FillColor555(unsigned long k) {
    return (((k >> 31) & 1) << 15) | (((k >> 19) & 0x1F) << 10) | (((k >> 11) & 0x1F) << 5) | ((k >> 3) & 0x1F);
}
inline uint32_t FillColor4444(unsigned long k) {
    return (((k >> 28) & 0xF) << 12) | (((k >> 20) & 0xF) << 8) | (((k >> 12) & 0xF) << 4) | ((k >> 4) & 0xF);
}

inline int ClampInt(int64_t v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v); }

// Single-precision arithmetic, every result rounded to float. With SSE that
// is what the hardware does; x87 keeps excess precision in registers, so each
// result goes through memory. Rounding once to the 64- (or 53-) bit x87
// format and then to float gives the same float for +, -, * and /, since
// both exceed 2 x 24 + 2 bits: both builds and every target draw alike.
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0
inline float F32(long double x) {
    volatile float v = static_cast<float>(x);
    return v;
}
#else
inline float F32(float x) { return x; }
#endif

}  // namespace kv

#endif
