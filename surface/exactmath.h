// Arithmetic whose results do not depend on the target or on the x87 mode
// the caller left set (games often run with the FPU at 24-bit precision).
#ifndef KORVANTE_EXACTMATH_H
#define KORVANTE_EXACTMATH_H

#include <stdint.h>

namespace kv {

// An IEEE single as mant * 2^exp, mant in [2^23, 2^24) (0 for zero).
struct SingleParts {
    uint32_t mant;
    int exp;
};

// float(a) / float(b), rounded as SSE rounds it; a >= 0, b > 0.
SingleParts SingleQuotient(uint32_t a, uint32_t b);

// floor(n * q) for n >= 0, where the product is known to stay below 2^32.
inline uint32_t FloorTimes(uint32_t n, SingleParts q) {
    const uint64_t p = uint64_t(n) * q.mant;
    if (q.exp >= 0) return uint32_t(p << q.exp);
    return q.exp <= -64 ? 0u : uint32_t(p >> -q.exp);
}

// cos and sin of a float angle, correctly rounded to double (the values an
// accurate libm gives, without asking the platform's), held as bit patterns
// so that no x87 load under the caller's precision can touch them. A
// non-finite angle has no direction: both are 0.
struct Direction {
    uint64_t cosBits, sinBits;
};
Direction DirectionOf(float angle);

// trunc(base + t * d) in double arithmetic, d given by its bits, clamped to
// the int range.
int TruncMulAdd(int base, int t, uint64_t dBits);

}  // namespace kv

#endif
