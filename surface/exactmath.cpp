// Exact single quotients, correctly rounded cos/sin and double arithmetic
// that gives the same bits under any x87 precision setting.
#include "surface/exactmath.h"

#include <math.h>
#include <string.h>

namespace kv {

namespace {

// Rounds v to 24 significant bits, ties to even, as int -> float does.
SingleParts RoundToSingle(uint32_t v) {
    if (v == 0) return {0, 0};
    int top = 31;
    while (!(v >> top)) --top;
    if (top < 24) return {v << (23 - top), top - 23};
    const int s = top - 23;
    uint32_t m = v >> s;
    const uint32_t rem = v & ((1u << s) - 1), half = 1u << (s - 1);
    if (rem > half || (rem == half && (m & 1))) ++m;
    if (m == (1u << 24)) return {m >> 1, s + 1};
    return {m, s};
}

// Double-double values: hi + lo, |lo| at most half an ulp of hi.
struct DD {
    double hi, lo;
};

static const uint32_t kTwoOverPi[12] = {0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0, 0xDB629599, 0x3C439041,
                                        0xFE5163AB, 0xDEBBC561, 0xB7246E3A, 0x424DD2E0, 0x06492EEA, 0x09D1921C};
static const DD kHalfPi = {1.5707963267948966, 6.123233995736766e-17};
static const DD kSinCoef[16] = {
    {1.0, 0.0},
    {-0.16666666666666666, -9.25185853854297e-18},
    {0.008333333333333333, 1.1564823173178714e-19},
    {-0.0001984126984126984, -1.7209558293420705e-22},
    {2.7557319223985893e-06, -1.858393274046472e-22},
    {-2.505210838544172e-08, 1.448814070935912e-24},
    {1.6059043836821613e-10, 1.2585294588752098e-26},
    {-7.647163731819816e-13, -7.03872877733453e-30},
    {2.8114572543455206e-15, 1.6508842730861433e-31},
    {-8.22063524662433e-18, -2.2141894119604265e-34},
    {1.9572941063391263e-20, -1.3643503830087908e-36},
    {-3.868170170630684e-23, 8.843177655482344e-40},
    {6.446950284384474e-26, -1.9330404233703465e-42},
    {-9.183689863795546e-29, -1.4303150396787322e-45},
    {1.1309962886447716e-31, 1.0498015412959506e-47},
    {-1.216125041553518e-34, -5.586290567888806e-51},
};
static const DD kCosCoef[16] = {
    {1.0, 0.0},
    {-0.5, 0.0},
    {0.041666666666666664, 2.3129646346357427e-18},
    {-0.001388888888888889, 5.300543954373577e-20},
    {2.48015873015873e-05, 2.1511947866775882e-23},
    {-2.755731922398589e-07, -2.3767714622250297e-23},
    {2.08767569878681e-09, -1.20734505911326e-25},
    {-1.1470745597729725e-11, -2.0655512752830745e-28},
    {4.779477332387385e-14, 4.399205485834081e-31},
    {-1.5619206968586225e-16, -1.1910679660273754e-32},
    {4.110317623312165e-19, 1.4412973378659527e-36},
    {-8.896791392450574e-22, 7.911402614872376e-38},
    {1.6117375710961184e-24, -3.6846573564509766e-41},
    {-2.4795962632247976e-27, 1.2953730964765229e-43},
    {3.279889237069838e-30, 1.5117542744029879e-46},
    {-3.7699876288159054e-33, -2.5870347832750324e-49},
};

inline DD FastTwoSum(double a, double b) {
    const double s = a + b;
    return {s, b - (s - a)};
}
inline DD TwoSum(double a, double b) {
    const double s = a + b, bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}
inline void Split(double a, double &hi, double &lo) {
    const double c = 134217729.0 * a;  // 2^27 + 1
    hi = c - (c - a);
    lo = a - hi;
}
inline DD TwoProd(double a, double b) {
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    const double p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}
inline DD Add(DD a, DD b) {
    DD s = TwoSum(a.hi, b.hi);
    const DD t = TwoSum(a.lo, b.lo);
    s = FastTwoSum(s.hi, s.lo + t.hi);
    return FastTwoSum(s.hi, s.lo + t.lo);
}
inline DD Mul(DD a, DD b) {
    const DD p = TwoProd(a.hi, b.hi);
    return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}
inline DD Neg(DD a) { return {-a.hi, -a.lo}; }

// Bit i of 2/pi (bit 1 is the first after the point; none before it).
inline uint32_t TwoOverPiBit(int i) {
    if (i < 1 || i > 32 * 12) return 0;
    return (kTwoOverPi[(i - 1) / 32] >> (31 - (i - 1) % 32)) & 1;
}

// |x| = m * 2^e reduced by pi/2: x = q * pi/2 + r, |r| <= pi/4. The product
// with 2/pi is formed exactly on 160 of its bits (Payne and Hanek), so huge
// angles reduce as well as small ones.
DD Reduce(uint32_t m, int e, int &q) {
    // Bits of 2/pi worth 4 or more after the product are whole turns: skip them.
    constexpr int kLimbs = 5, kBits = 32 * kLimbs;
    uint32_t w[kLimbs] = {};
    for (int j = 0; j < kBits; ++j)
        if (TwoOverPiBit(e - 1 + j)) w[j / 32] |= 1u << (31 - j % 32);
    // p = m * w, six limbs, most significant first; x * 2/pi = p * 2^(2 - kBits).
    uint32_t p[kLimbs + 1];
    uint64_t carry = 0;
    for (int j = kLimbs - 1; j >= 0; --j) {
        const uint64_t t = uint64_t(w[j]) * m + carry;
        p[j + 1] = uint32_t(t);
        carry = t >> 32;
    }
    p[0] = uint32_t(carry);
    // Integer part: the bits above bit kBits - 2 of p, i.e. p[0] and the top
    // two bits of p[1]; the fraction is the remaining 158 bits.
    q = int(((p[0] << 2) | (p[1] >> 30)) & 3);
    uint32_t f[kLimbs + 1];
    memcpy(f, p, sizeof f);
    f[0] = 0;
    f[1] &= 0x3FFFFFFF;
    bool negative = false;
    if (f[1] & 0x20000000) {  // fraction >= 1/2: take the next quadrant
        q = (q + 1) & 3;
        negative = true;
        uint64_t borrow = 0;  // f = 2^158 - f
        for (int j = kLimbs; j >= 1; --j) {
            const uint64_t t = uint64_t(0) - f[j] - borrow;
            f[j] = uint32_t(t);
            borrow = (t >> 32) & 1;
        }
        f[1] &= 0x3FFFFFFF;
    }
    // The fraction as a double-double: its top 53 bits, then the next 53.
    int lead = -1;
    for (int j = 1; j <= kLimbs && lead < 0; ++j)
        if (f[j]) {
            int b = 31;
            while (!(f[j] >> b)) --b;
            lead = (j - 1) * 32 + (31 - b);  // bits before the leading one, counted from f[1]'s top
        }
    if (lead < 0) return {0.0, 0.0};
    auto bits = [&](int from, int n) {  // n <= 53 bits starting at position from
        uint64_t v = 0;
        for (int k = 0; k < n; ++k) {
            const int pos = from + k;
            const uint32_t bit = pos < 32 * kLimbs ? (f[1 + pos / 32] >> (31 - pos % 32)) & 1 : 0;
            v = (v << 1) | bit;
        }
        return v;
    };
    // Position k (counted from f[1]'s top bit) is worth 2^(1 - k).
    const double hi = ldexp(double(int64_t(bits(lead, 53))), 1 - lead - 52);
    const double lo = ldexp(double(int64_t(bits(lead + 53, 53))), 1 - lead - 105);
    DD r = Mul(FastTwoSum(hi, lo), kHalfPi);
    if (negative) r = Neg(r);
    return r;
}

DD Series(const DD *coef, DD z) {
    DD acc = coef[15];
    for (int k = 14; k >= 0; --k) acc = Add(Mul(acc, z), coef[k]);
    return acc;
}

__attribute__((noinline)) void CosSinBits(float angle, uint64_t &cBits, uint64_t &sBits) {
    double c, s;
    uint32_t bits;
    memcpy(&bits, &angle, 4);
    const bool negative = bits >> 31;
    const int biased = int((bits >> 23) & 0xFF);
    if (biased == 0xFF) {
        cBits = sBits = 0;
        return;
    }
    uint32_t m = bits & 0x7FFFFF;
    int e = biased - 150;
    if (biased)
        m |= 0x800000;
    else
        e = -149;
    DD r;
    int q = 0;
    const double x = ldexp(double(int32_t(m)), e);
    if (x <= 0.78539818525314331)
        r = {x, 0.0};  // up to float(pi/4): no reduction
    else
        r = Reduce(m, e, q);
    const DD z = Mul(r, r);
    const DD sr = Mul(Series(kSinCoef, z), r), cr = Series(kCosCoef, z);
    DD cv, sv;
    switch (q) {
        case 0:
            cv = cr;
            sv = sr;
            break;
        case 1:
            cv = Neg(sr);
            sv = cr;
            break;
        case 2:
            cv = Neg(cr);
            sv = Neg(sr);
            break;
        default:
            cv = sr;
            sv = Neg(cr);
            break;
    }
    c = cv.hi + cv.lo;
    s = sv.hi + sv.lo;
    if (negative) s = -s;
    memcpy(&cBits, &c, 8);
    memcpy(&sBits, &s, 8);
}

__attribute__((noinline)) int TruncMulAddBits(int base, int t, uint64_t cBits) {
    double c;
    memcpy(&c, &cBits, 8);
    const double v = double(base) + double(t) * c;
    if (!(v > -2147483649.0)) return v != v ? base : INT32_MIN;
    if (!(v < 2147483648.0)) return INT32_MAX;
    return int(v);  // truncates towards zero
}

}  // namespace

SingleParts SingleQuotient(uint32_t a, uint32_t b) {
    const SingleParts fa = RoundToSingle(a), fb = RoundToSingle(b);
    if (fa.mant == 0) return {0, 0};
    // 26 or 27 quotient bits, then round to 24 with the remainder as sticky bit.
    const uint64_t num = uint64_t(fa.mant) << 26;
    uint64_t n = num / fb.mant;
    const bool sticky = num % fb.mant != 0;
    const int drop = n >> 26 ? 3 : 2;
    const uint64_t rem = n & ((1u << drop) - 1), half = 1u << (drop - 1);
    n >>= drop;
    if (rem > half || (rem == half && (sticky || (n & 1)))) ++n;
    int exp = fa.exp - fb.exp - 26 + drop;
    if (n == (1u << 24)) {
        n >>= 1;
        ++exp;
    }
    return {uint32_t(n), exp};
}

// Inputs are read from and results written to volatile copies inside the
// guard's lifetime: otherwise the compiler may move the arithmetic, which
// touches no memory, outside the two control-word writes.
Direction DirectionOf(float angle) {
    [[maybe_unused]] X87Defaults fpu;
    volatile float a = angle;
    uint64_t c, s;
    CosSinBits(a, c, s);
    volatile uint64_t vc = c, vs = s;
    return Direction{vc, vs};
}

int TruncMulAdd(int base, int t, uint64_t dBits) {
    [[maybe_unused]] X87Defaults fpu;
    volatile uint64_t bits = dBits;
    volatile int vb = base, vt = t;
    volatile int r = TruncMulAddBits(vb, vt, bits);
    return r;
}

}  // namespace kv
