// Motion and brightness blur: one colour stamp, painted through a source
// used as an intensity mask, once or in passes shifted along a direction.
#include "effects/simd.h"
#include "surface/exactmath.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;
using namespace kv::blend;

namespace {

// Strength of a stamp over intensity byte s. Weights above 256 saturate at
// 255 (and negative ones at 0) instead of wrapping to a faint stamp.
inline uint32_t Strength(uint32_t s, int weight) {
    const int64_t a = (int64_t(s) * weight) >> 8;
    return a < 0 ? 0 : (a > 255 ? 255 : uint32_t(a));
}

// The stamp's block for one kind (F is the destination's format): row(dp,
// sp, sbytes, n) paints the n pixels from dp whose intensity bytes are sbytes
// apart from sp, on every row that has a source row.
template <class F, class RowFn>
void Stamp(TSurfDesc &d, const CRectangulo &rect, TSurfDesc &s, const CPunto &at, RowFn row) {
    CRectangulo r = rect;
    CPunto p = at;
    if (!ClipRectAndPoint(d, r, p)) return;
    int sbytes;
    int64_t limit;
    if (s.bpp == d.bpp) {
        sbytes = int(s.bpp / 8);
        limit = s.width;
    } else if (s.bpp == 8) {
        sbytes = 1;
        limit = s.scanWidth;
    } else {
        return;
    }
    const int w = r.right - r.left;
    // Columns whose source x lies in [0, limit).
    const int64_t c0 = p.x < 0 ? -int64_t(p.x) : 0;
    const int64_t c1 = limit - int64_t(p.x) < w ? limit - int64_t(p.x) : w;
    if (c0 >= c1) return;
    for (int y = r.top; y < r.bottom; ++y) {
        const int64_t sy = int64_t(p.y) + (y - r.top);
        if (sy < 0 || sy >= s.height) continue;
        row(Row(d, y) + ptrdiff_t(r.left + c0) * F::kBytes, s.bits + ptrdiff_t(sy) * s.scanWidth + (p.x + c0) * sbytes,
            sbytes, int(c1 - c0));
    }
}

// One row, pixel by pixel: blend moves a pixel towards the converted colour
// at strength a (1 to 254); 255 writes the colour itself.
template <class F, class Blend>
void StampRow(uint8_t *d, const uint8_t *s, int sbytes, int n, uint32_t color, int weight, Blend blend) {
    for (int c = 0; c < n; ++c, d += F::kBytes, s += sbytes) {
        const uint32_t a = Strength(*s, weight);
        if (a == 0) continue;
        F::Store(d, a == 255 ? color : blend(F::Load(d), a));
    }
}

// 24 and 32 bits, per byte, weight a + 1: floor((c * (a + 1) + d * (255 - a)) / 256).
template <int Bytes>
struct MixBytes {
    uint32_t c;
    uint32_t operator()(uint32_t dv, uint32_t a) const {
        uint32_t out = 0;
        for (int k = 0; k < Bytes; ++k) out |= Mix((c >> (8 * k)) & 0xFF, (dv >> (8 * k)) & 0xFF, a + 1) << (8 * k);
        return out;
    }
};

// 16-bit kinds, per native field, weight a; alpha bits 0. The row kernels
// take the intensity stride as kSrcBytes: 1 from an 8-bit source, 2 from a
// 16-bit one read by the low byte of each pixel.
template <class F>
struct MixFields {
    uint32_t c;
    uint32_t operator()(uint32_t dv, uint32_t a) const { return F::MixFields(c, dv, a); }
};
template <class F, int kSrcBytes>
[[maybe_unused]] void StampRow_16(uint8_t *d, const uint8_t *s, int n, uint32_t color, int weight) {
    StampRow<F>(d, s, kSrcBytes, n, color, weight, MixFields<F>{color});
}

// The 16-bit rows, MMX where the build has them: picked here, once.
#if UTILS_SIMD
template <class F, int kSrcBytes>
constexpr auto StampRowOf_16 = Per16<F>(StampRow_565_mmx<kSrcBytes>, StampRow_555_mmx<kSrcBytes>,
                                        StampRow_4444_mmx<kSrcBytes>);
#else
template <class F, int kSrcBytes>
constexpr auto StampRowOf_16 = StampRow_16<F, kSrcBytes>;
#endif

template <int Bytes, class F>
void StampBytes(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, uint32_t col, int weight) {
    Stamp<F>(d, r, s, p, [&](uint8_t *dp, const uint8_t *sp, int sbytes, int n) {
        StampRow<F>(dp, sp, sbytes, n, col, weight, MixBytes<Bytes>{col});
    });
}
void FiltroStamp_32(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, unsigned long c, int weight) {
    StampBytes<4, Fmt32>(d, r, s, p, uint32_t(c), weight);  // all four bytes
}
void FiltroStamp_24(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, unsigned long c, int weight) {
    StampBytes<3, Fmt24>(d, r, s, p, uint32_t(c) & 0xFFFFFF, weight);
}

// A source of the destination's size is 16-bit here: its rows are read with
// a stride of 2; an 8-bit one with a stride of 1.
template <class F>
void FiltroStamp16(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, unsigned long c, int weight) {
    const uint32_t col = F::Pack(ColorRGB(c));
    Stamp<F>(d, r, s, p, [&](uint8_t *dp, const uint8_t *sp, int sbytes, int n) {
        const bool trails = Trails(dp, sp, size_t(sbytes) * n);
        if (sbytes == 1)
            RowFor(StampRowOf_16<F, 1>, StampRow_16<F, 1>, trails)(dp, sp, n, col, weight);
        else
            RowFor(StampRowOf_16<F, 2>, StampRow_16<F, 2>, trails)(dp, sp, n, col, weight);
    });
}
void FiltroStamp_565(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, unsigned long c, int w) {
    FiltroStamp16<Fmt565>(d, r, s, p, c, w);
}
void FiltroStamp_555(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, unsigned long c, int w) {
    FiltroStamp16<Fmt555>(d, r, s, p, c, w);
}
void FiltroStamp_4444(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, unsigned long c, int w) {
    FiltroStamp16<Fmt4444>(d, r, s, p, c, w);
}

void FiltroStamp(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, unsigned long c, int weight) {
    return ByKind<FiltroStamp_32, FiltroStamp_24, FiltroStamp_565, FiltroStamp_555, FiltroStamp_4444, nullptr>(
        d, d, r, s, p, c, weight);
}

// Point of pass t: the sum truncated towards zero. The direction comes from
// our own correctly rounded cos and sin and the sums are done in double
// whatever the x87 precision, so a pass lands on the same pixel on every
// platform and in every FPU mode.
inline CPunto PassPoint(const CPunto &at, int t, const Direction &dir) {
    return CPunto(TruncMulAdd(at.x, t, dir.cosBits), TruncMulAdd(at.y, t, dir.sinBits));
}

}  // namespace

bool FiltroMotionMask(TSurfDesc &d, TSurfDesc &s, CRectangulo const &rect, CPunto const &at, int weight) {
    CRectangulo r = rect;
    if (!ClipRect(d, r)) return false;
    FiltroStamp(d, r, s, at, 0x00FFFFFF, weight);
    return true;
}

bool FiltroMotionBlur(TSurfDesc &d, TSurfDesc &s, CRectangulo const &rect, CPunto const &at, unsigned long color,
                      int passes, float angle) {
    CRectangulo r = rect;
    if (!ClipRect(d, r)) return false;
    // Limit the block to the source's size.
    auto size = [](int a, int b) {
        const int64_t v = int64_t(b) - a;
        return v > 0x7FFFFFFF ? 0x7FFFFFFF : int(v);
    };
    CRectangulo cut(0, 0, size(rect.left, rect.right), size(rect.top, rect.bottom));
    if (!ClipRect(s, cut)) return false;
    if (r.right - r.left > cut.right) r.right = r.left + cut.right;
    if (r.bottom - r.top > cut.bottom) r.bottom = r.top + cut.bottom;
    if (r.left >= r.right || r.top >= r.bottom) return false;
    const int n = passes < 0 ? 0 : passes & ~1;
    if (n == 0) return true;
    const int half = n / 2;
    const int weight = 256 / half;
    const Direction dir = DirectionOf(angle);
    for (int k = n - 1; k >= 0; --k) FiltroStamp(d, r, s, PassPoint(at, k - half, dir), color, weight);
    return true;
}

bool FiltroBrilloBlur(TSurfDesc &d, TSurfDesc &s, CRectangulo const &rect, CPunto const &at, unsigned long color,
                      int passes, float angle) {
    CRectangulo r = rect;
    if (!ClipRect(d, r)) return false;
    const int n = passes < 0 ? 0 : passes & ~1;
    if (n == 0) return true;
    const int half = n / 2;
    const Direction dir = DirectionOf(angle);
    for (int k = n - 1; k >= 0; --k) {
        const int t = k - half;
        const int e = t == 0 ? 1 : 2 * (t < 0 ? -t : t);
        FiltroStamp(d, r, s, PassPoint(at, t, dir), color, 256 / e);
    }
    return true;
}
