// Edge filters for sprites drawn on black, and the neighbour coding of
// 8-bit coverage planes.
#include <string.h>

#include <memory>
#include <new>

#include "filters/filters.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

namespace {

// A copy of the surface's memory that the taps read while the surface is
// written; null when it cannot be had.
std::unique_ptr<uint8_t[]> WorkingCopy(const TSurfDesc &s, ptrdiff_t total) {
    std::unique_ptr<uint8_t[]> c(new (std::nothrow) uint8_t[size_t(total)]);
    if (c) memcpy(c.get(), s.bits, size_t(total));
    return c;
}

// Bytes of the surface, or 0 when there is nothing to filter.
ptrdiff_t TotalBytes(const TSurfDesc &s) {
    if (s.width <= 0 || s.height <= 0 || s.scanWidth <= 0) return 0;
    return ptrdiff_t(s.height) * s.scanWidth;
}

// Pixels of a row that fit in the pitch (a narrower pitch is the caller's
// fault, but must not carry the taps out of the buffer).
int RowPixels(const TSurfDesc &s, int bytes) {
    const int fit = s.scanWidth / bytes;
    return s.width < fit ? s.width : fit;
}

// The walk of every edge filter: rows 2 to height - 3 of the surface,
// columns x0 to w - 1 - right (the taps reach `right` columns to the right
// and one to the left of x0). px(c, d, P) reads the working copy around c
// and writes the pixel at d; P is the pitch.
template <int B, class Px>
bool EdgeWalk(TSurfDesc &s, int x0, int right, Px px) {
    const ptrdiff_t total = TotalBytes(s);
    if (total == 0 || s.height < 5) return true;
    std::unique_ptr<uint8_t[]> copy = WorkingCopy(s, total);
    if (!copy) return false;
    const ptrdiff_t P = s.scanWidth;
    const int w = RowPixels(s, B);
    for (int y = 2; y < s.height - 2; ++y) {
        for (int x = x0; x < w - right; ++x) {
            const ptrdiff_t q = ptrdiff_t(y) * P + ptrdiff_t(x) * B;
            px(copy.get() + q, s.bits + q, P);
        }
    }
    return true;
}

// 32 and 24 bits: a coverage value in the first byte; the second and third
// come out 0, a fourth byte is kept.
inline void PutCoverage(uint8_t *d, int v) {
    d[0] = uint8_t(v > 255 ? 255 : v);
    d[1] = 0;
    d[2] = 0;
}

// Columns 1 to w - 2: the taps reach one column either side.
template <int B>
bool AntiAliasBlue(TSurfDesc &s) {
    return EdgeWalk<B>(s, 1, 1, [](const uint8_t *c, uint8_t *d, ptrdiff_t P) {
        const int sum = 16 * c[0] + c[-P - B] + c[-P] + c[-P + B] + c[-B] + c[B] + c[P - B] + c[P] + c[P + B];
        PutCoverage(d, sum / 8);
    });
}

// Columns 1 to w - 3: the cross reaches two columns to the right.
template <int B>
bool AntiAlias2Blue(TSurfDesc &s) {
    return EdgeWalk<B>(s, 1, 2, [](const uint8_t *c, uint8_t *d, ptrdiff_t P) {
        if (c[0] == 0) return;
        const int sum = 3 * (c[-P] + c[-B] + c[B] + c[P]) - (c[-2 * P] + c[-2 * B] + c[0] + c[2 * B] + c[2 * P]);
        // sum x 0.136986301369863 truncated: that double times any sum
        // this cross can give rounds to exactly sum x 10 / 73.
        PutCoverage(d, sum <= 0 ? 0 : sum * 10 / 73);
    });
}

// The fields of the 16-bit word at p.
template <class F>
struct Fields {
    int32_t c[3];
    explicit Fields(const uint8_t *p) { SplitFields<F>(Load16(p), c); }
};

// 16-bit kinds: every column; the taps near the ends of a row read the
// neighbouring row's pixels.
template <class F>
bool AntiAlias16(TSurfDesc &s) {
    return EdgeWalk<2>(s, 0, 0, [](const uint8_t *c, uint8_t *d, ptrdiff_t P) {
        if (Load16(c) == 0) return;
        const Fields<F> n2(c - 2 * P), n1(c - P), w2(c - 4), w1(c - 2), e1(c + 2), e2(c + 4), s1(c + P), s2(c + 2 * P);
        int v[3];
        for (int k = 0; k < 3; ++k) {
            const int sum = 3 * (n1.c[k] + w1.c[k] + e1.c[k] + s1.c[k]) - (n2.c[k] + w2.c[k] + e2.c[k] + s2.c[k]);
            const int r = sum < 0 ? 0 : sum / 3;
            v[k] = r > kFieldMax<F>[k] ? kFieldMax<F>[k] : r;
        }
        Store16(d, JoinFields<F>(v));
    });
}

template <class F>
bool AntiAlias2_16(TSurfDesc &s) {
    return EdgeWalk<2>(s, 0, 0, [](const uint8_t *c, uint8_t *dst, ptrdiff_t P) {
        const uint32_t self = Load16(c);
        const Fields<F> m(c), a(c - P - 2), b(c - P), d(c - P + 2), l(c - 2), r(c + 2), e(c + P - 2), f(c + P),
            g(c + P + 2);
        int v[3];
        for (int k = 0; k < 3; ++k) {
            const int sum = a.c[k] + b.c[k] + d.c[k] + l.c[k] + r.c[k] + e.c[k] + f.c[k] + g.c[k] - 8 * m.c[k];
            v[k] = (sum < 0 ? 0 : sum) / 9;
        }
        Store16(dst, JoinFields<F>(v) | self);
    });
}

bool DoAntiAlias_32(TSurfDesc &s) { return AntiAliasBlue<4>(s); }
bool DoAntiAlias_24(TSurfDesc &s) { return AntiAliasBlue<3>(s); }
bool DoAntiAlias_565(TSurfDesc &s) { return AntiAlias16<Fmt565>(s); }
bool DoAntiAlias_555(TSurfDesc &s) { return AntiAlias16<Fmt555>(s); }
bool DoAntiAlias_4444(TSurfDesc &s) { return AntiAlias16<Fmt4444>(s); }
// An 8-bit plane is accepted and left as it is.
bool DoAntiAlias_8Bits(TSurfDesc &) { return true; }

bool DoAntiAlias2_32(TSurfDesc &s) { return AntiAlias2Blue<4>(s); }
bool DoAntiAlias2_24(TSurfDesc &s) { return AntiAlias2Blue<3>(s); }
bool DoAntiAlias2_565(TSurfDesc &s) { return AntiAlias2_16<Fmt565>(s); }
bool DoAntiAlias2_555(TSurfDesc &s) { return AntiAlias2_16<Fmt555>(s); }
bool DoAntiAlias2_4444(TSurfDesc &s) { return AntiAlias2_16<Fmt4444>(s); }

}  // namespace

bool DoAntiAlias(TSurfDesc &s, CRectangulo const &, TSurfDesc &, unsigned short) {
    return ByKind<DoAntiAlias_32, DoAntiAlias_24, DoAntiAlias_565, DoAntiAlias_555, DoAntiAlias_4444,
                  DoAntiAlias_8Bits>(s, s);
}

bool DoAntiAlias2(TSurfDesc &s, CRectangulo const &, TSurfDesc &, unsigned short) {
    return ByKind<DoAntiAlias2_32, DoAntiAlias2_24, DoAntiAlias2_565, DoAntiAlias2_555, DoAntiAlias2_4444, nullptr>(s,
                                                                                                                    s);
}

bool DoAntiAliasBMP(TSurfDesc &s, unsigned short level) {
    if (s.height <= 0 || s.scanWidth <= 0) return true;
    const ptrdiff_t P = s.scanWidth;
    const ptrdiff_t total = ptrdiff_t(s.height) * P;
    // From row 2, column 2, up to two bytes before row height - 2; below
    // five rows the walk would start past its own end.
    const ptrdiff_t count = ptrdiff_t(s.height - 4) * P - 4;
    uint8_t *p = s.bits + 2 * P + 2;
    for (ptrdiff_t i = 0; i < count; ++i, ++p) {
        if (*p == 0) continue;
        // The bytes before p are already coded, but coding keeps them
        // non-zero, so the flags are those of the plane as it came.
        const unsigned pattern = (p[-2 * P] != 0) << 5 | (p[-P] != 0) << 4 | (p[-P - 1] != 0) << 3 | (p[-2] != 0) << 2 |
                                 (p[-1] != 0) << 1 | (p[P - 1] != 0);
        *p = uint8_t(3 + 4 * pattern);
    }
    if (level != 256) ScaleBytes(s.bits, total, level & 255);
    return true;
}
