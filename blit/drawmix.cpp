// DrawMix: a source mixed into the destination at a constant level or
// through an alpha map, and the 8-bit kernels that go through the mix table.
#include <string.h>

#include "blit/mix.h"
#include "blit/simd.h"

using namespace kv;

namespace {

// Levels past the top one would turn the complement weight negative.
inline unsigned TopLevel(unsigned level, unsigned top) { return level > top ? top : level; }

// scale < 0: the alpha values as they are; otherwise each becomes
// (m * scale) >> 8 first.
inline uint32_t Scaled(uint32_t m, int scale) { return scale < 0 ? m : (m * uint32_t(scale)) >> 8; }

// ---------------------------------------------------------------------------
// Row kernels, plain
// ---------------------------------------------------------------------------

[[maybe_unused]] void MixRowBytes(uint8_t *d, const uint8_t *s, int nbytes, uint32_t w) {
    for (int i = 0; i < nbytes; ++i) d[i] = uint8_t(Mix(s[i], d[i], w));
}

[[maybe_unused]] void ShiftRowBytes(uint8_t *d, const uint8_t *s, int nbytes, int level) {
    for (int i = 0; i < nbytes; ++i) d[i] = uint8_t(ShiftMix(s[i], d[i], level, 0x7F, 0x3F));
}

template <class F>
[[maybe_unused]] void MixRow16(uint8_t *d, const uint8_t *s, int n, uint32_t w) {
    for (int x = 0; x < n; ++x) F::Store(d + 2 * x, F::MixFields(F::Load(s + 2 * x), F::Load(d + 2 * x), w));
}

// Groups: blue by shifts, the upper channels at full precision. One loop per
// level, so that no pixel tests the level.
template <class F, int kLevel>
void ShiftGroupRowAt(uint8_t *d, const uint8_t *s, int n) {
    for (int x = 0; x < n; ++x) {
        const uint32_t sp = F::Load(s + 2 * x), dp = F::Load(d + 2 * x);
        const uint32_t sb = sp & F::kBMask, db = dp & F::kBMask;
        const uint32_t sr = (sp & F::kRMask) >> F::kRShift, dr = (dp & F::kRMask) >> F::kRShift;
        const uint32_t sg = (sp & F::kGMask) >> F::kGShift, dg = (dp & F::kGMask) >> F::kGShift;
        uint32_t rr, gg;
        if (kLevel == 192) {
            rr = (3 * sr + dr) >> 2;
            gg = (3 * sg + dg) >> 2;
        } else if (kLevel == 128) {
            rr = (sr + dr) >> 1;
            gg = (sg + dg) >> 1;
        } else {
            rr = (sr + 3 * dr) >> 2;
            gg = (sg + 3 * dg) >> 2;
        }
        const uint32_t bb = ShiftMix(sb, db, kLevel, F::kBMask >> 1, F::kBMask >> 2);
        F::Store(d + 2 * x, (rr << F::kRShift) | (gg << F::kGShift) | bb);
    }
}
template <class F>
[[maybe_unused]] void ShiftGroupRow16(uint8_t *d, const uint8_t *s, int n, int level) {
    if (level == 192)
        ShiftGroupRowAt<F, 192>(d, s, n);
    else if (level == 128)
        ShiftGroupRowAt<F, 128>(d, s, n);
    else
        ShiftGroupRowAt<F, 64>(d, s, n);
}

// Groups of four from an 8-bit map: a fully opaque group is a copy;
// otherwise every value mixes at m/256 (0 keeps).
template <class F>
[[maybe_unused]] void AlphaRow16(uint8_t *d, const uint8_t *s, const uint8_t *a, int n, int scale) {
    for (int x = 0; x < n; x += 4) {
        const uint32_t m[4] = {Scaled(a[x], scale), Scaled(a[x + 1], scale), Scaled(a[x + 2], scale),
                               Scaled(a[x + 3], scale)};
        if ((m[0] & m[1] & m[2] & m[3]) == 255) {
            memmove(d + 2 * x, s + 2 * x, 8);
            continue;
        }
        for (int i = 0; i < 4; ++i)
            if (m[i] != 0)
                F::Store(d + 2 * (x + i), F::MixFields(F::Load(s + 2 * (x + i)), F::Load(d + 2 * (x + i)), m[i]));
    }
}

// Every byte of the pixel at the same weight: m + 1 for the plain map, m'
// for the scaled one.
template <class F>
[[maybe_unused]] void AlphaRowBytes(uint8_t *d, const uint8_t *s, const uint8_t *a, int astep, int n, int scale) {
    for (int x = 0; x < n; ++x) {
        const uint32_t m = Scaled(a[astep * x], scale);
        if (m == 0) continue;
        uint8_t *o = d + F::kBytes * x;
        const uint8_t *i = s + F::kBytes * x;
        const uint32_t wt = scale < 0 ? m + 1 : m;
        for (int b = 0; b < F::kBytes; ++b) o[b] = m == 255 ? i[b] : uint8_t(Mix(i[b], o[b], wt));
    }
}

// The row kernels, MMX where the build has them: picked here, once.
#if UTILS_SIMD
constexpr auto MixRow_bytes = MixRow_bytes_mmx;
constexpr auto ShiftRow_bytes = ShiftRow_bytes_mmx;
constexpr auto MixRow_565 = MixRow_565_mmx;
constexpr auto MixRow_555 = MixRow_555_mmx;
constexpr auto MixRow_4444 = MixRow_4444_mmx;
constexpr auto ShiftGroupRow_565 = ShiftGroupRow_565_mmx;
constexpr auto ShiftGroupRow_555 = ShiftGroupRow_555_mmx;
constexpr auto ShiftGroupRow_4444 = ShiftGroupRow_4444_mmx;
constexpr auto AlphaRow_565 = AlphaRow_565_mmx;
constexpr auto AlphaRow_555 = AlphaRow_555_mmx;
constexpr auto AlphaRow_4444 = AlphaRow_4444_mmx;
constexpr auto AlphaRow_32 = AlphaRow_32_mmx;
constexpr auto AlphaRow_24 = AlphaRow_24_mmx;
#else
constexpr auto MixRow_bytes = MixRowBytes;
constexpr auto ShiftRow_bytes = ShiftRowBytes;
constexpr auto MixRow_565 = MixRow16<Fmt565>;
constexpr auto MixRow_555 = MixRow16<Fmt555>;
constexpr auto MixRow_4444 = MixRow16<Fmt4444>;
constexpr auto ShiftGroupRow_565 = ShiftGroupRow16<Fmt565>;
constexpr auto ShiftGroupRow_555 = ShiftGroupRow16<Fmt555>;
constexpr auto ShiftGroupRow_4444 = ShiftGroupRow16<Fmt4444>;
constexpr auto AlphaRow_565 = AlphaRow16<Fmt565>;
constexpr auto AlphaRow_555 = AlphaRow16<Fmt555>;
constexpr auto AlphaRow_4444 = AlphaRow16<Fmt4444>;
constexpr auto AlphaRow_32 = AlphaRowBytes<Fmt32>;
constexpr auto AlphaRow_24 = AlphaRowBytes<Fmt24>;
#endif

using MixRowFn = void (*)(uint8_t *, const uint8_t *, int, uint32_t);
using ShiftRowFn = void (*)(uint8_t *, const uint8_t *, int, int);
using AlphaRow16Fn = void (*)(uint8_t *, const uint8_t *, const uint8_t *, int, int);
using AlphaRowFn = void (*)(uint8_t *, const uint8_t *, const uint8_t *, int, int, int);

// ---------------------------------------------------------------------------
// Level form
// ---------------------------------------------------------------------------

// 16 bits: groups of four through the row kernels, the row's last pixels
// one by one.
template <class F, MixRowFn MixRow, ShiftRowFn ShiftGroupRow>
bool DrawMixLevel16(const TSurfDesc &dst, const CRectangulo &rect, unsigned level, const TSurfDesc &src,
                    const CPunto &srcPt) {
    level = TopLevel(level, 255);
    const bool pal = src.bpp == 8, shift = IsShiftLevel(level);
    Feed in{&src, srcPt, pal ? 1 : 2};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, in)) return true;

    if (pal) {
        const TRGBA *pe = BlitPalette(src);
        for (int y = 0; y < b.h; ++y) {
            uint8_t *d = b.Row(y);
            const uint8_t *s = in.Row(y);
            for (int x = 0; x < b.w; ++x) {
                const uint32_t sp = F::FromEntry(pe[s[x]]), dp = F::Load(d + 2 * x);
                F::Store(d + 2 * x,
                         shift ? ShiftMix(sp, dp, int(level), F::kHalf, F::kQuarter) : F::MixFields(sp, dp, level + 1));
            }
        }
        return true;
    }

    const int groups = b.w & ~3;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *s = in.Row(y);
        const bool trails = Trails(d, s, 2 * size_t(groups));
        int x = groups;
        if (shift) {
            RowFor(ShiftGroupRow, ShiftGroupRow16<F>, trails)(d, s, groups, int(level));
            for (; x < b.w; ++x)
                F::Store(d + 2 * x,
                         ShiftMix(F::Load(s + 2 * x), F::Load(d + 2 * x), int(level), F::kHalf, F::kQuarter));
            continue;
        }
        // At the top level a full group is a copy; the row's last pixels
        // still mix.
        if (level == 255)
            memmove(d, s, 2 * static_cast<size_t>(groups));
        else
            RowFor(MixRow, MixRow16<F>, trails)(d, s, groups, level);
        for (; x < b.w; ++x) F::Store(d + 2 * x, F::MixFields(F::Load(s + 2 * x), F::Load(d + 2 * x), level));
    }
    return true;
}

// 24 and 32 bits: every byte of the pixel takes the same weight, the fourth
// byte of a 32-bit pixel included.
template <class F>
bool DrawMixLevelBytes(const TSurfDesc &dst, const CRectangulo &rect, unsigned level, const TSurfDesc &src,
                       const CPunto &srcPt) {
    level = TopLevel(level, 255);
    const bool pal = src.bpp == 8, shift = IsShiftLevel(level);
    Feed in{&src, srcPt, pal ? 1 : F::kBytes};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, in)) return true;
    const TRGBA *pe = BlitPalette(src);

    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *s = in.Row(y);
        if (!pal) {
            const int n = F::kBytes * b.w;
            const bool trails = Trails(d, s, size_t(n));
            if (shift)
                RowFor(ShiftRow_bytes, ShiftRowBytes, trails)(d, s, n, int(level));
            else
                RowFor(MixRow_bytes, MixRowBytes, trails)(d, s, n, level);
            continue;
        }
        // The entry's bytes in their stored order: blue, green, red, alpha.
        for (int x = 0; x < b.w; ++x) {
            const uint8_t *e = reinterpret_cast<const uint8_t *>(&pe[s[x]]);
            uint8_t *o = d + F::kBytes * x;
            for (int k = 0; k < F::kBytes; ++k)
                o[k] = uint8_t(shift ? ShiftMix(e[k], o[k], int(level), 0x7F, 0x3F) : Mix(e[k], o[k], level));
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Alpha-map forms (scale as for Scaled)
// ---------------------------------------------------------------------------

template <class F, AlphaRow16Fn AlphaRow>
bool DrawMixAlpha16(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &alpha, const CPunto &alphaPt,
                    const TSurfDesc &src, const CPunto &srcPt, int scale) {
    const bool pal = src.bpp == 8, a8 = alpha.bpp == 8;
    const int aStep = a8 ? 1 : 2;
    Feed am{&alpha, alphaPt, aStep}, in{&src, srcPt, pal ? 1 : 2};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, am, &in)) return true;
    const TRGBA *pe = BlitPalette(src);
    const int groups = b.w & ~3;

    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *a = am.Row(y), *s = in.Row(y);
        if (pal) {
            // An 8-bit map mixes a palette colour at m + 2, a wider one at m + 1.
            const uint32_t extra = a8 ? 2 : 1;
            for (int x = 0; x < b.w; ++x) {
                const uint32_t m = Scaled(a[aStep * x], scale);
                if (m == 0) continue;
                const uint32_t c = F::FromEntry(pe[s[x]]);
                F::Store(d + 2 * x, m == 255 ? c : F::MixFields(c, F::Load(d + 2 * x), m + extra));
            }
            continue;
        }
        if (!a8) {
            for (int x = 0; x < b.w; ++x) {
                const uint32_t m = Scaled(a[2 * x], scale);
                if (m == 0) continue;
                const uint32_t sp = F::Load(s + 2 * x);
                F::Store(d + 2 * x, m == 255 ? sp : F::MixFields(sp, F::Load(d + 2 * x), m + 1));
            }
            continue;
        }
        // Groups of four through the row kernel; the row's last pixels mix
        // at m/256 (0 keeps).
        const bool trails = Trails(d, s, 2 * size_t(groups)) || Trails(d, a, size_t(groups));
        RowFor(AlphaRow, AlphaRow16<F>, trails)(d, s, a, groups, scale);
        for (int x = groups; x < b.w; ++x) {
            const uint32_t m = Scaled(a[x], scale);
            if (m != 0) F::Store(d + 2 * x, F::MixFields(F::Load(s + 2 * x), F::Load(d + 2 * x), m));
        }
    }
    return true;
}

// scale >= 0 (the scaled form): an 8-bit alpha map always, weight m' rather
// than m' + 1.
template <class F, AlphaRowFn AlphaRow>
bool DrawMixAlphaBytes(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &alpha, const CPunto &alphaPt,
                       const TSurfDesc &src, const CPunto &srcPt, int scale) {
    const bool pal = src.bpp == 8;
    const int aStep = (alpha.bpp == 8 || scale >= 0) ? 1 : F::kBytes;
    Feed am{&alpha, alphaPt, aStep}, in{&src, srcPt, pal ? 1 : F::kBytes};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, am, &in)) return true;
    const TRGBA *pe = BlitPalette(src);

    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *a = am.Row(y), *s = in.Row(y);
        if (!pal) {
            const bool trails = Trails(d, s, F::kBytes * size_t(b.w)) || Trails(d, a, aStep * size_t(b.w));
            RowFor(AlphaRow, AlphaRowBytes<F>, trails)(d, s, a, aStep, b.w, scale);
            continue;
        }
        for (int x = 0; x < b.w; ++x) {
            const uint32_t m = Scaled(a[aStep * x], scale);
            if (m == 0) continue;
            const uint8_t *e = reinterpret_cast<const uint8_t *>(&pe[s[x]]);
            uint8_t *o = d + F::kBytes * x;
            const uint32_t wt = scale < 0 ? m + 1 : m;
            for (int k = 0; k < F::kBytes; ++k) o[k] = m == 255 ? e[k] : uint8_t(Mix(e[k], o[k], wt));
        }
    }
    return true;
}

bool DrawMix_32(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevelBytes<Fmt32>(d, r, lv, s, p);
}
bool DrawMix_24(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevelBytes<Fmt24>(d, r, lv, s, p);
}
bool DrawMix_565(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevel16<Fmt565, MixRow_565, ShiftGroupRow_565>(d, r, lv, s, p);
}
bool DrawMix_555(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevel16<Fmt555, MixRow_555, ShiftGroupRow_555>(d, r, lv, s, p);
}
bool DrawMix_4444(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevel16<Fmt4444, MixRow_4444, ShiftGroupRow_4444>(d, r, lv, s, p);
}

bool DrawMixAlpha(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &alpha, const CPunto &ap, TSurfDesc &src,
                  const CPunto &sp, int scale) {
    return ByKind<DrawMixAlphaBytes<Fmt32, AlphaRow_32>, DrawMixAlphaBytes<Fmt24, AlphaRow_24>,
                  DrawMixAlpha16<Fmt565, AlphaRow_565>, DrawMixAlpha16<Fmt555, AlphaRow_555>,
                  DrawMixAlpha16<Fmt4444, AlphaRow_4444>, nullptr>(dst, dst, r, alpha, ap, src, sp, scale);
}

}  // namespace

// ---------------------------------------------------------------------------
// 8-bit kernels: both colours from lu_gPaleta, mixed in RGB, mapped back to an
// index through the mix table in its checkerboard phases.
// ---------------------------------------------------------------------------

bool DrawMix_8Bits(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src, const CPunto &srcPt,
                   unsigned char (*const mixTable)[65536]) {
    if (dst.bpp != 8 || !mixTable) return false;
    const uint32_t wt = TopLevel(level, 256);
    Feed in{&src, srcPt, 1};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, in)) return true;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *s = in.Row(y);
        for (int x = 0; x < b.w; ++x) {
            const TRGBA &se = lu_gPaleta[s[x]], &de = lu_gPaleta[d[x]];
            const uint32_t k = MixKey(Mix(se.r, de.r, wt), Mix(se.g, de.g, wt), Mix(se.b, de.b, wt));
            d[x] = mixTable[MixPhase(b.r.left + x, b.r.top + y)][k];
        }
    }
    return true;
}

bool DrawMix_8Bits(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt, TSurfDesc &src,
                   const CPunto &srcPt, unsigned char (*const mixTable)[65536]) {
    if (dst.bpp != 8 || alpha.bpp != 8 || !mixTable) return false;
    Feed am{&alpha, alphaPt, 1}, in{&src, srcPt, 1};
    MixBlock b;
    if (!ClipFeeds(dst, rect, b, am, &in)) return false;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = b.Row(y);
        const uint8_t *s = in.Row(y), *a = am.Row(y);
        for (int x = 0; x < b.w; ++x) {
            const uint32_t m = a[x];
            if (m == 0) continue;
            if (m == 255) {
                d[x] = s[x];
                continue;
            }
            const TRGBA &se = lu_gPaleta[s[x]], &de = lu_gPaleta[d[x]];
            const uint32_t k = MixKey(Mix(se.r, de.r, m + 1), Mix(se.g, de.g, m + 1), Mix(se.b, de.b, m + 1));
            d[x] = mixTable[MixPhase(b.r.left + x, b.r.top + y)][k];
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Dispatchers
// ---------------------------------------------------------------------------

bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src, const CPunto &srcPt,
             unsigned char (*const mixTable)[65536]) {
    if (dst.bpp == 32) return DrawMix_32(dst, rect, level, src, srcPt);
    if (dst.bpp == 24) return DrawMix_24(dst, rect, level, src, srcPt);
    const int kind = PixelKind(dst);
    if (kind == kKind565) return DrawMix_565(dst, rect, level, src, srcPt);
    if (kind == kKind555 || kind == kKind1555) return DrawMix_555(dst, rect, level, src, srcPt);
    if (kind == kKind4444) return DrawMix_4444(dst, rect, level, src, srcPt);
    if (kind == kKind8) return DrawMix_8Bits(dst, rect, level, src, srcPt, mixTable);
    return false;
}

bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt, TSurfDesc &src,
             const CPunto &srcPt, unsigned char (*const mixTable)[65536]) {
    if (dst.bpp == 8) return DrawMix_8Bits(dst, rect, alpha, alphaPt, src, srcPt, mixTable);
    return DrawMixAlpha(dst, rect, alpha, alphaPt, src, srcPt, -1);
}

bool DrawMix(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt, TSurfDesc &src,
             const CPunto &srcPt, unsigned short level) {
    return DrawMixAlpha(dst, rect, alpha, alphaPt, src, srcPt, int(TopLevel(level, 256)));
}
