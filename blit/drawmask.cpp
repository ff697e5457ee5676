// DrawMask: a solid colour laid on through a coverage mask. DrawBiMask: a
// two-way mask that darkens below its midpoint and lightens above it.
#include "blit/mix.h"

using namespace kv;

namespace {

template <class F>
bool DrawMask16(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &mask, const CPunto &maskPt,
                unsigned long color) {
    if (mask.bpp != 8 && mask.bpp != dst.bpp) return false;
    const int mStep = mask.bpp == 8 ? 1 : 2;
    CRectangulo r = rect;
    CPunto mp = maskPt;
    const TSurfDesc mv = ElementView(mask, mStep);
    if (!ClipBlock(dst, r, mp, mv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const uint32_t c = F::Pack(ColorRGB(color));
    const int groups = mStep == 1 ? (w & ~3) : 0;

    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *m = Row(mask, mp.y + y) + mStep * static_cast<ptrdiff_t>(mp.x);
        int x = 0;
        // Groups of four: fully covered means the colour; otherwise, and in
        // the row's last pixels, each value mixes at m/256 (0 keeps).
        for (; x < groups; x += 4) {
            if ((m[x] & m[x + 1] & m[x + 2] & m[x + 3]) == 255) {
                for (int i = 0; i < 4; ++i) F::Store(d + 2 * (x + i), c);
                continue;
            }
            for (int i = 0; i < 4; ++i)
                if (m[x + i] != 0) F::Store(d + 2 * (x + i), Mix16<F>(c, F::Load(d + 2 * (x + i)), m[x + i]));
        }
        for (; x < w; ++x) {
            const uint32_t v = m[mStep * x];
            if (v == 0) continue;
            // With a 16-bit mask a full value writes the colour outright.
            F::Store(d + 2 * x, (mStep == 2 && v == 255) ? c : Mix16<F>(c, F::Load(d + 2 * x), v));
        }
    }
    return true;
}

template <int N>
bool DrawMaskRGB(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &mask, const CPunto &maskPt,
                 unsigned long color) {
    const int mStep = mask.bpp == dst.bpp ? N : 1;
    CRectangulo r = rect;
    CPunto mp = maskPt;
    const TSurfDesc mv = ElementView(mask, mStep);
    if (!ClipBlock(dst, r, mp, mv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    uint8_t c[4];
    Store32(c, uint32_t(color));
    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *m = Row(mask, mp.y + y) + mStep * static_cast<ptrdiff_t>(mp.x);
        for (int x = 0; x < w; ++x) {
            const uint32_t v = m[mStep * x];
            if (v == 0) continue;
            uint8_t *o = d + N * x;
            for (int b = 0; b < N; ++b) o[b] = v == 255 ? c[b] : uint8_t(MixCh(c[b], o[b], v + 1));
        }
    }
    return true;
}

// s: how far towards the target; 0 keeps the pixel, 254 and up replace it.
inline uint32_t BiStrength(uint32_t m, uint32_t strength, int &target) {
    if (m < 128) {
        target = 0;
        return (((127 - m) * strength) >> 7) & 0xFFFF;
    }
    target = 255;
    return (((m - 128) * strength) >> 7) & 0xFFFF;
}

template <int N>
bool DrawBiMaskRGB(const TSurfDesc &dst, unsigned strength, CRectangulo r, const TSurfDesc &mask, CPunto mp) {
    const TSurfDesc mv = ElementView(mask, 1);
    if (!ClipBlock(dst, r, mp, mv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *m = Row(mask, mp.y + y) + mp.x;
        for (int x = 0; x < w; ++x) {
            int t;
            const uint32_t s = BiStrength(m[x], strength, t);
            if (s == 0) continue;
            const TRGBA &e = lu_gPaleta[t];
            uint8_t *o = d + N * x;
            // Blue, green, red only: the fourth byte of a 32-bit pixel stays.
            if (s >= 254) {
                o[0] = e.b;
                o[1] = e.g;
                o[2] = e.r;
            } else {
                o[0] = uint8_t(MixCh(e.b, o[0], s));
                o[1] = uint8_t(MixCh(e.g, o[1], s));
                o[2] = uint8_t(MixCh(e.r, o[2], s));
            }
        }
    }
    return true;
}

}  // namespace

bool DrawMask_8Bits(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &mask, const CPunto &maskPt,
                    unsigned long color, unsigned char (*const mixTable)[65536]) {
    if (dst.bpp != 8) return false;
    CRectangulo r = rect;
    CPunto mp = maskPt;
    const TSurfDesc mv = ElementView(mask, 1);
    if (!ClipBlock(dst, r, mp, mv)) return true;
    if (mask.bpp != 8 || !mixTable) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const RGB8 c = ColorRGB(color);
    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *m = Row(mask, mp.y + y) + mp.x;
        for (int x = 0; x < w; ++x) {
            const uint32_t v = m[x];
            if (v == 0) continue;
            const TRGBA &de = lu_gPaleta[d[x]];
            const uint32_t k = Key565(MixCh(c.r, de.r, v), MixCh(c.g, de.g, v), MixCh(c.b, de.b, v));
            d[x] = mixTable[MixPhase(r.left + x, r.top + y)][k];
        }
    }
    return true;
}

bool DrawMask(TSurfDesc &dst, const CRectangulo &rect, TSurfDesc &mask, const CPunto &maskPt, unsigned long color,
              unsigned char (*const mixTable)[65536]) {
    if (dst.bpp == 32) return DrawMaskRGB<4>(dst, rect, mask, maskPt, color);
    if (dst.bpp == 24) return DrawMaskRGB<3>(dst, rect, mask, maskPt, color);
    const int kind = PixelKind(dst);
    if (kind == kKind565) return DrawMask16<Fmt565>(dst, rect, mask, maskPt, color);
    if (kind == kKind555 || kind == kKind1555) return DrawMask16<Fmt555>(dst, rect, mask, maskPt, color);
    if (kind == kKind4444) return DrawMask16<Fmt4444>(dst, rect, mask, maskPt, color);
    if (kind == kKind8) return DrawMask_8Bits(dst, rect, mask, maskPt, color, mixTable);
    return false;
}

bool DrawBiMask_8Bits(TSurfDesc &dst, unsigned short strength, CRectangulo r, TSurfDesc &mask, CPunto mp,
                      unsigned char (*const mixTable)[65536]) {
    if (dst.bpp != 8 || !mixTable) return false;
    const TSurfDesc mv = ElementView(mask, 1);
    if (!ClipBlock(dst, r, mp, mv)) return true;
    const int w = r.right - r.left, h = r.bottom - r.top;
    for (int y = 0; y < h; ++y) {
        uint8_t *d = PixelAt(dst, r.left, r.top + y);
        const uint8_t *m = Row(mask, mp.y + y) + mp.x;
        for (int x = 0; x < w; ++x) {
            int t;
            const uint32_t s = BiStrength(m[x], strength, t);
            if (s == 0) continue;
            if (s >= 254) {
                d[x] = uint8_t(t);
                continue;
            }
            // Towards pure black or white; the key has red and blue swapped
            // and always uses the first table.
            const uint32_t T = t ? 255 : 0;
            const TRGBA &de = lu_gPaleta[d[x]];
            const uint32_t k = Key565(MixCh(T, de.b, s), MixCh(T, de.g, s), MixCh(T, de.r, s));
            d[x] = mixTable[0][k];
        }
    }
    return true;
}

bool DrawBiMask(TSurfDesc &dst, unsigned short strength, CRectangulo rect, TSurfDesc &mask, CPunto maskPt,
                unsigned char (*const mixTable)[65536]) {
    if (dst.bpp == 32) return DrawBiMaskRGB<4>(dst, strength, rect, mask, maskPt);
    if (dst.bpp == 24) return DrawBiMaskRGB<3>(dst, strength, rect, mask, maskPt);
    if (dst.bpp == 8) return DrawBiMask_8Bits(dst, strength, rect, mask, maskPt, mixTable);
    return false;
}
