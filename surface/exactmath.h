// Arithmetic whose results do not depend on the target or on the x87 mode
// the caller left set (games often run with the FPU at 24-bit precision).
#ifndef KORVANTE_EXACTMATH_H
#define KORVANTE_EXACTMATH_H

#include <stdint.h>

namespace kv {

// x87 rounds every result to the precision and rounding fields of its
// control word, which a game may have left anywhere (Direct3D sets 24-bit
// precision). While this object lives they are 53 bits and round to
// nearest, as SSE computes; the caller's word comes back afterwards. SSE
// targets need nothing. Values the guarded code reads should come through
// volatile copies made after it starts, or the compiler may compute with
// them before the control word changes.
#if (defined(__i386__) || defined(_M_IX86)) && !defined(__SSE2_MATH__)
class X87Defaults {
  public:
    X87Defaults() {
        __asm__ volatile("fnstcw %0" : "=m"(saved_) : : "memory");
        const uint16_t cw = uint16_t((saved_ & ~0x0F00u) | 0x0200u);
        __asm__ volatile("fldcw %0" : : "m"(cw) : "memory");
    }
    ~X87Defaults() { __asm__ volatile("fldcw %0" : : "m"(saved_) : "memory"); }
    X87Defaults(const X87Defaults &) = delete;
    X87Defaults &operator=(const X87Defaults &) = delete;

  private:
    uint16_t saved_;
};
#else
struct X87Defaults {};
#endif

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
