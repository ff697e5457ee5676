// OpenFader: a wipe whose mixing level is constant down each column and
// falls linearly from left to right.
#include <vector>

#include "blit/mix.h"
#include "effects/simd.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;
using namespace kv::blend;

namespace {

// The level is an 8-bit weight; position 0 (256) and ramps that would fall
// below 0 are clamped rather than wrapping into nonsense.
inline int ClampLevel(int64_t a) { return a < 0 ? 0 : (a > 255 ? 255 : int(a)); }

// The ramp is anchored at the block's left edge after the destination clip;
// columns whose source pixel lies outside the source are skipped. A source
// of another pixel size is read in the destination's pixel size, so it is
// clipped in pixels of that size: no read leaves its rows.
struct Block {
    uint8_t *dst;        // pixel of column j0, first row
    const uint8_t *src;  // its source pixel
    int w;               // width after the destination clip: the ramp's frame
    int j0, j1;          // columns drawn, within [0, w)
    int h;
    int start;
    int hold;
};

bool Prepare(const TSurfDesc &d, const CRectangulo &rect, const TSurfDesc &s, const CPunto &at, int position, int step,
             int hold, int bytes, Block &b) {
    CRectangulo r0 = rect;
    CPunto p0 = at;
    if (!ClipRectAndPoint(d, r0, p0)) return false;
    CRectangulo r = r0;
    CPunto p = p0;
    if (!ClipBlock(d, r, p, ElementView(s, bytes))) return false;
    b.w = r0.right - r0.left;
    b.j0 = r.left - r0.left;
    b.j1 = r.right - r0.left;
    b.h = r.bottom - r.top;
    b.dst = Row(d, r.top) + ptrdiff_t(r.left) * bytes;
    b.src = Row(s, p.y) + ptrdiff_t(p.x) * bytes;
    const int64_t mag = position < 0 ? -int64_t(position) : int64_t(position);
    b.start = position > 0 ? 255 : ClampLevel(256 - mag * step);
    b.hold = hold < 0 ? 0 : hold;
    return true;
}

// 24 and 32 bits: every byte of the pixel (alpha included) is mixed.
template <int Bytes>
bool OpenFaderBytes(TSurfDesc &d, const CRectangulo &rect, TSurfDesc &s, const CPunto &at, int position, int step,
                    int hold) {
    Block b;
    if (!Prepare(d, rect, s, at, position, step, hold, Bytes, b)) return true;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *dp = b.dst + ptrdiff_t(y) * d.scanWidth;
        const uint8_t *sp = b.src + ptrdiff_t(y) * s.scanWidth;
        for (int j = b.j0; j < b.j1; ++j) {
            const int64_t past = j > b.hold ? j - b.hold : 0;
            const uint32_t a = uint32_t(ClampLevel(b.start - past * step));
            const int o = (j - b.j0) * Bytes;
            for (int k = 0; k < Bytes; ++k) dp[o + k] = uint8_t(Mix(sp[o + k], dp[o + k], a));
        }
    }
    return true;
}

// 16-bit kinds work in groups of four pixels that share one level, and a
// fully open group is copied bit for bit: stored wipes depend on both. The
// last w mod 4 pixels go one by one from the level of the last group; past
// the hold the ramp keeps falling by step per pixel there. The levels are
// the same on every row, so they are worked out once per column: 0..255, or
// kFaderCopy for a column copied whole.
void Levels16(const Block &b, int step, uint16_t *lv) {
    const int groups = b.w / 4;
    const int holdGroups = b.hold / 4;
    const int rampFrom = b.hold > groups * 4 ? b.hold : groups * 4;
    auto groupLevel = [&](int g) {
        const int64_t past = g > holdGroups ? g - holdGroups : 0;
        return ClampLevel(b.start - past * 4 * int64_t(step));
    };
    const int lastGroupLevel = groups > 0 ? groupLevel(groups - 1) : b.start;
    for (int j = b.j0; j < b.j1; ++j) {
        int a;
        if (j < groups * 4) {
            a = groupLevel(j / 4);
            if (a == 255) a = kFaderCopy;
        } else {
            const int64_t past = j > rampFrom ? j - rampFrom : 0;
            a = ClampLevel(lastGroupLevel - past * step);
        }
        lv[j - b.j0] = uint16_t(a);
    }
}

template <class F>
[[maybe_unused]] void FaderRow_16(uint8_t *d, const uint8_t *s, const uint16_t *lv, int n) {
    for (int k = 0; k < n; ++k, d += 2, s += 2) {
        if (lv[k] == kFaderCopy)
            Store16(d, Load16(s));
        else
            Store16(d, F::MixFields(Load16(s), Load16(d), lv[k]));  // alpha bits 0
    }
}

// The rows, MMX where the build has them: picked here, once.
#if UTILS_SIMD
constexpr auto FaderRowOf_565 = FaderRow_565_mmx;
constexpr auto FaderRowOf_555 = FaderRow_555_mmx;
constexpr auto FaderRowOf_4444 = FaderRow_4444_mmx;
#else
constexpr auto FaderRowOf_565 = FaderRow_16<Fmt565>;
constexpr auto FaderRowOf_555 = FaderRow_16<Fmt555>;
constexpr auto FaderRowOf_4444 = FaderRow_16<Fmt4444>;
#endif

using FaderRowFn = void (*)(uint8_t *, const uint8_t *, const uint16_t *, int);

template <class F, FaderRowFn Row>
bool OpenFader16(TSurfDesc &d, const CRectangulo &rect, TSurfDesc &s, const CPunto &at, int position, int step,
                 int hold) {
    Block b;
    if (!Prepare(d, rect, s, at, position, step, hold, 2, b)) return true;
    std::vector<uint16_t> lv(size_t(b.j1 - b.j0));
    Levels16(b, step, lv.data());
    const int n = b.j1 - b.j0;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *dp = b.dst + ptrdiff_t(y) * d.scanWidth;
        const uint8_t *sp = b.src + ptrdiff_t(y) * s.scanWidth;
        RowFor(Row, FaderRow_16<F>, Trails(dp, sp, 2 * size_t(n)))(dp, sp, lv.data(), n);
    }
    return true;
}

bool OpenFader_32(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, int pos, int step, int hold) {
    return OpenFaderBytes<4>(d, r, s, p, pos, step, hold);
}
bool OpenFader_24(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, int pos, int step, int hold) {
    return OpenFaderBytes<3>(d, r, s, p, pos, step, hold);
}
bool OpenFader_565(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, int pos, int step, int hold) {
    return OpenFader16<Fmt565, FaderRowOf_565>(d, r, s, p, pos, step, hold);
}
bool OpenFader_555(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, int pos, int step, int hold) {
    return OpenFader16<Fmt555, FaderRowOf_555>(d, r, s, p, pos, step, hold);
}
bool OpenFader_4444(TSurfDesc &d, const CRectangulo &r, TSurfDesc &s, const CPunto &p, int pos, int step, int hold) {
    return OpenFader16<Fmt4444, FaderRowOf_4444>(d, r, s, p, pos, step, hold);
}

}  // namespace

bool OpenFader(TSurfDesc &d, CRectangulo const &r, TSurfDesc &s, CPunto const &p, int position, int step, int hold) {
    return ByKind<OpenFader_32, OpenFader_24, OpenFader_565, OpenFader_555, OpenFader_4444, nullptr>(
        d, d, r, s, p, position, step, hold);
}
