// DrawMix: a source mixed into the destination at a constant level or
// through an alpha map, and the 8-bit kernels that go through the mix table.
#include <string.h>

#include "blit/mix.h"

using namespace kv;

namespace {

// Levels past the top one would turn the complement weight negative.
inline unsigned TopLevel(unsigned level, unsigned top) { return level > top ? top : level; }

// ---------------------------------------------------------------------------
// Level form
// ---------------------------------------------------------------------------

template <class F>
bool DrawMixLevel16(const TSurfDesc &dst, const CRectangulo &rect, unsigned level, const TSurfDesc &src,
                    const CPunto &srcPt) {
    level = TopLevel(level, 255);
    const bool pal = src.bpp == 8;
    CRectangulo r = rect;
    CPunto p = srcPt;
    const TSurfDesc sv = ElementView(src, pal ? 1 : 2);
    if (!ClipBlock(dst, r, p, sv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const uint32_t half = ShiftMasks16<F>::kHalf, quarter = ShiftMasks16<F>::kQuarter;
    const bool shift = IsShiftLevel(level);

    if (pal) {
        const TRGBA *pe = BlitPalette(src);
        for (int y = 0; y < h; ++y) {
            uint8_t *d = PixelAt(dst, r.left, r.top + y);
            const uint8_t *s = Row(src, p.y + y) + p.x;
            for (int x = 0; x < w; ++x) {
                const uint32_t sp = PaletteTo16<F>(pe[s[x]]), dp = F::Load(d + 2 * x);
                F::Store(d + 2 * x, shift ? ShiftMix(sp, dp, int(level), half, quarter) : Mix16<F>(sp, dp, level + 1));
            }
        }
        return true;
    }

    const int groups = w & ~3;
    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *s = Row(src, p.y + y) + 2 * static_cast<ptrdiff_t>(p.x);
        int x = 0;
        if (shift) {
#if UTILS_SIMD
            if (F::kRShift == 11) {
                ShiftGroupRow565_mmx(d, s, groups, int(level));
                x = groups;
            }
#endif
            // Groups: blue by shifts, the upper channels at full precision.
            for (; x < groups; ++x) {
                const uint32_t sp = F::Load(s + 2 * x), dp = F::Load(d + 2 * x);
                const uint32_t sb = sp & F::kBMask, db = dp & F::kBMask;
                const uint32_t sr = (sp & F::kRMask) >> F::kRShift, dr = (dp & F::kRMask) >> F::kRShift;
                const uint32_t sg = (sp & F::kGMask) >> F::kGShift, dg = (dp & F::kGMask) >> F::kGShift;
                uint32_t rr, gg;
                if (level == 192) {
                    rr = (3 * sr + dr) >> 2;
                    gg = (3 * sg + dg) >> 2;
                } else if (level == 128) {
                    rr = (sr + dr) >> 1;
                    gg = (sg + dg) >> 1;
                } else {
                    rr = (sr + 3 * dr) >> 2;
                    gg = (sg + 3 * dg) >> 2;
                }
                const uint32_t bb = ShiftMix(sb, db, int(level), F::kBMask >> 1, F::kBMask >> 2);
                F::Store(d + 2 * x, (rr << F::kRShift) | (gg << F::kGShift) | bb);
            }
            for (; x < w; ++x)
                F::Store(d + 2 * x, ShiftMix(F::Load(s + 2 * x), F::Load(d + 2 * x), int(level), half, quarter));
            continue;
        }
        if ((level & 0xFF) == 255) {
            // A full group is a copy; the row's last pixels still mix.
            memcpy(d, s, 2 * static_cast<size_t>(groups));
            x = groups;
        }
#if UTILS_SIMD
        if (x == 0) {
            if (F::kRShift == 11) MixRow565_mmx(d, s, groups, level);
            else if (F::kRShift == 10) MixRow555_mmx(d, s, groups, level);
            else MixRow4444_mmx(d, s, groups, level);
            x = groups;
        }
#endif
        for (; x < w; ++x) F::Store(d + 2 * x, Mix16<F>(F::Load(s + 2 * x), F::Load(d + 2 * x), level));
    }
    return true;
}

// 24 and 32 bits: every byte of the pixel takes the same weight, the fourth
// byte of a 32-bit pixel included.
template <int N>
bool DrawMixLevelRGB(const TSurfDesc &dst, const CRectangulo &rect, unsigned level, const TSurfDesc &src,
                     const CPunto &srcPt) {
    level = TopLevel(level, 255);
    const bool pal = src.bpp == 8;
    CRectangulo r = rect;
    CPunto p = srcPt;
    const TSurfDesc sv = ElementView(src, pal ? 1 : N);
    if (!ClipBlock(dst, r, p, sv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const bool shift = IsShiftLevel(level);
    const TRGBA *pe = BlitPalette(src);

    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        if (pal) {
            const uint8_t *s = Row(src, p.y + y) + p.x;
            for (int x = 0; x < w; ++x) {
                const uint8_t *e = reinterpret_cast<const uint8_t *>(&pe[s[x]]);
                uint8_t *o = d + N * x;
                for (int b = 0; b < N; ++b)
                    o[b] = uint8_t(shift ? ShiftMix(e[b], o[b], int(level), 0x7F, 0x3F) : MixCh(e[b], o[b], level));
            }
            continue;
        }
        const uint8_t *s = Row(src, p.y + y) + N * static_cast<ptrdiff_t>(p.x);
        const int n = N * w;
        int i = 0;
#if UTILS_SIMD
        if (shift) ShiftBytesRow_mmx(d, s, n, int(level));
        else MixBytesRow_mmx(d, s, n, level);
        i = n;
#endif
        for (; i < n; ++i) d[i] = uint8_t(shift ? ShiftMix(s[i], d[i], int(level), 0x7F, 0x3F) : MixCh(s[i], d[i], level));
    }
    return true;
}

// ---------------------------------------------------------------------------
// Alpha-map forms. scale < 0: the alpha values as they are; otherwise each
// becomes (m * scale) >> 8 first.
// ---------------------------------------------------------------------------

inline uint32_t Scaled(uint32_t m, int scale) { return scale < 0 ? m : (m * uint32_t(scale)) >> 8; }

template <class F>
bool DrawMixAlpha16(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &alpha, const CPunto &alphaPt,
                    const TSurfDesc &src, const CPunto &srcPt, int scale) {
    const bool pal = src.bpp == 8;
    const bool a8 = alpha.bpp == 8;
    CRectangulo r = rect;
    CPunto ap = alphaPt, sp = srcPt;
    const int aStep = a8 ? 1 : 2;
    const TSurfDesc av = ElementView(alpha, aStep), sv = ElementView(src, pal ? 1 : 2);
    if (!ClipBlock(dst, r, ap, av, sp, sv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const TRGBA *pe = BlitPalette(src);
    const int groups = w & ~3;

    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *a = Row(alpha, ap.y + y) + aStep * static_cast<ptrdiff_t>(ap.x);
        if (pal) {
            // An 8-bit map mixes a palette colour at m + 2, a wider one at m + 1.
            const uint8_t *s = Row(src, sp.y + y) + sp.x;
            const uint32_t extra = a8 ? 2 : 1;
            for (int x = 0; x < w; ++x) {
                const uint32_t m = Scaled(a[aStep * x], scale);
                if (m == 0) continue;
                const uint32_t c = PaletteTo16<F>(pe[s[x]]);
                F::Store(d + 2 * x, m == 255 ? c : Mix16<F>(c, F::Load(d + 2 * x), m + extra));
            }
            continue;
        }
        const uint8_t *s = Row(src, sp.y + y) + 2 * static_cast<ptrdiff_t>(sp.x);
        if (!a8) {
            for (int x = 0; x < w; ++x) {
                const uint32_t m = Scaled(a[2 * x], scale);
                if (m == 0) continue;
                const uint32_t sp16 = F::Load(s + 2 * x);
                F::Store(d + 2 * x, m == 255 ? sp16 : Mix16<F>(sp16, F::Load(d + 2 * x), m + 1));
            }
            continue;
        }
        // Groups of four: a fully opaque group is a copy; otherwise, and in
        // the row's last pixels, every value mixes at m/256 (0 keeps).
        int x = 0;
#if UTILS_SIMD
        if (F::kRShift == 11) {
            AlphaRow565_mmx(d, s, a, groups, scale);
            x = groups;
        }
#endif
        for (; x < groups; x += 4) {
            const uint32_t m[4] = {Scaled(a[x], scale), Scaled(a[x + 1], scale), Scaled(a[x + 2], scale),
                                   Scaled(a[x + 3], scale)};
            if ((m[0] & m[1] & m[2] & m[3]) == 255) {
                memcpy(d + 2 * x, s + 2 * x, 8);
                continue;
            }
            for (int i = 0; i < 4; ++i)
                if (m[i] != 0)
                    F::Store(d + 2 * (x + i), Mix16<F>(F::Load(s + 2 * (x + i)), F::Load(d + 2 * (x + i)), m[i]));
        }
        for (; x < w; ++x) {
            const uint32_t m = Scaled(a[x], scale);
            if (m != 0) F::Store(d + 2 * x, Mix16<F>(F::Load(s + 2 * x), F::Load(d + 2 * x), m));
        }
    }
    return true;
}

// scale >= 0 (the scaled form): an 8-bit alpha map always, weight m' rather
// than m' + 1.
template <int N>
bool DrawMixAlphaRGB(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &alpha, const CPunto &alphaPt,
                     const TSurfDesc &src, const CPunto &srcPt, int scale) {
    const bool pal = src.bpp == 8;
    const int aStep = (alpha.bpp == 8 || scale >= 0) ? 1 : N;
    CRectangulo r = rect;
    CPunto ap = alphaPt, sp = srcPt;
    const TSurfDesc av = ElementView(alpha, aStep), sv = ElementView(src, pal ? 1 : N);
    if (!ClipBlock(dst, r, ap, av, sp, sv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const TRGBA *pe = BlitPalette(src);

    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *a = Row(alpha, ap.y + y) + aStep * static_cast<ptrdiff_t>(ap.x);
        if (pal) {
            const uint8_t *s = Row(src, sp.y + y) + sp.x;
            for (int x = 0; x < w; ++x) {
                const uint32_t m = Scaled(a[aStep * x], scale);
                if (m == 0) continue;
                const uint8_t *e = reinterpret_cast<const uint8_t *>(&pe[s[x]]);
                uint8_t *o = d + N * x;
                const uint32_t wt = scale < 0 ? m + 1 : m;
                for (int b = 0; b < N; ++b) o[b] = m == 255 ? e[b] : uint8_t(MixCh(e[b], o[b], wt));
            }
            continue;
        }
        const uint8_t *s = Row(src, sp.y + y) + N * static_cast<ptrdiff_t>(sp.x);
#if UTILS_SIMD
        if (N == 4) AlphaRow32_mmx(d, s, a, aStep, w, scale);
        else AlphaRow24_mmx(d, s, a, aStep, w, scale);
        continue;
#endif
        for (int x = 0; x < w; ++x) {
            const uint32_t m = Scaled(a[aStep * x], scale);
            if (m == 0) continue;
            uint8_t *o = d + N * x;
            const uint8_t *i = s + N * x;
            const uint32_t wt = scale < 0 ? m + 1 : m;
            for (int b = 0; b < N; ++b) o[b] = m == 255 ? i[b] : uint8_t(MixCh(i[b], o[b], wt));
        }
    }
    return true;
}

bool DrawMix_32(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevelRGB<4>(d, r, lv, s, p);
}
bool DrawMix_24(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevelRGB<3>(d, r, lv, s, p);
}
bool DrawMix_565(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevel16<Fmt565>(d, r, lv, s, p);
}
bool DrawMix_555(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevel16<Fmt555>(d, r, lv, s, p);
}
bool DrawMix_4444(TSurfDesc &d, const CRectangulo &r, unsigned lv, TSurfDesc &s, const CPunto &p) {
    return DrawMixLevel16<Fmt4444>(d, r, lv, s, p);
}

bool DrawMixAlpha(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &alpha, const CPunto &ap, TSurfDesc &src,
                  const CPunto &sp, int scale) {
    if (dst.bpp == 32) return DrawMixAlphaRGB<4>(dst, r, alpha, ap, src, sp, scale);
    if (dst.bpp == 24) return DrawMixAlphaRGB<3>(dst, r, alpha, ap, src, sp, scale);
    const int kind = PixelKind(dst);
    if (kind == kKind565) return DrawMixAlpha16<Fmt565>(dst, r, alpha, ap, src, sp, scale);
    if (kind == kKind555 || kind == kKind1555) return DrawMixAlpha16<Fmt555>(dst, r, alpha, ap, src, sp, scale);
    if (kind == kKind4444) return DrawMixAlpha16<Fmt4444>(dst, r, alpha, ap, src, sp, scale);
    return false;
}

}  // namespace

// ---------------------------------------------------------------------------
// 8-bit kernels: both colours from lu_gPaleta, mixed in RGB, mapped back to an
// index through the mix table in its checkerboard phases.
// ---------------------------------------------------------------------------

bool DrawMix_8Bits(TSurfDesc &dst, const CRectangulo &rect, unsigned short level, TSurfDesc &src,
                   const CPunto &srcPt, unsigned char (*const mixTable)[65536]) {
    if (dst.bpp != 8 || !mixTable) return false;
    const uint32_t wt = TopLevel(level, 256);
    CRectangulo r = rect;
    CPunto p = srcPt;
    const TSurfDesc sv = ElementView(src, 1);
    if (!ClipBlock(dst, r, p, sv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *s = Row(src, p.y + y) + p.x;
        for (int x = 0; x < w; ++x) {
            const TRGBA &se = lu_gPaleta[s[x]], &de = lu_gPaleta[d[x]];
            const uint32_t k = Key565(MixCh(se.r, de.r, wt), MixCh(se.g, de.g, wt), MixCh(se.b, de.b, wt));
            d[x] = mixTable[MixPhase(r.left + x, r.top + y)][k];
        }
    }
    return true;
}

bool DrawMix_8Bits(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &alpha, const CPunto &alphaPt, TSurfDesc &src,
                   const CPunto &srcPt, unsigned char (*const mixTable)[65536]) {
    if (dst.bpp != 8 || alpha.bpp != 8 || !mixTable) return false;
    CRectangulo r = rect;
    CPunto ap = alphaPt, sp = srcPt;
    const TSurfDesc av = ElementView(alpha, 1), sv = ElementView(src, 1);
    if (!ClipBlock(dst, r, ap, av, sp, sv)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *s = Row(src, sp.y + y) + sp.x;
        const uint8_t *a = Row(alpha, ap.y + y) + ap.x;
        for (int x = 0; x < w; ++x) {
            const uint32_t m = a[x];
            if (m == 0) continue;
            if (m == 255) {
                d[x] = s[x];
                continue;
            }
            const TRGBA &se = lu_gPaleta[s[x]], &de = lu_gPaleta[d[x]];
            const uint32_t k = Key565(MixCh(se.r, de.r, m + 1), MixCh(se.g, de.g, m + 1), MixCh(se.b, de.b, m + 1));
            d[x] = mixTable[MixPhase(r.left + x, r.top + y)][k];
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
