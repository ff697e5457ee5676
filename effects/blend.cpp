// Blend modes: add, subtract, multiply, screen, lighten, darken, overlay,
// each with a source surface, a constant colour through a mask, or a source
// through a mask.
//
// One frame per form walks the block; the pixel traits below say how a
// format's channels are read, blended, weighted and written back, and the
// mode (blend_modes.h) is the per-channel function.
#include "effects/blend_modes.h"

#include <limits.h>

#include "surface/pixfmt.h"

using namespace kv;
using namespace kv::blend;

namespace kv {
namespace blend {

namespace {

// A source of another pixel size is read in the destination's layout, as
// callers expect; its rows hold only so many such pixels, and the block is
// kept within them.
TSurfDesc SourceView(const TSurfDesc &dst, const TSurfDesc &src) {
    TSurfDesc v = src;
    const int64_t db = BytesPerPixel(dst), sb = BytesPerPixel(src);
    if (sb != db) {
        const int64_t w = int64_t(src.width) * sb / db;
        v.width = w > INT_MAX ? INT_MAX : static_cast<int>(w);
    }
    return v;
}

const uint8_t *SourceAt(const TSurfDesc &dst, const TSurfDesc &src, const CPunto &p) {
    return Row(src, p.y) + static_cast<ptrdiff_t>(p.x) * BytesPerPixel(dst);
}

}  // namespace

bool PrepareSource(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &src, const CPunto &pt,
                   Block &b) {
    CRectangulo r = rect;
    CPunto p = pt;
    if (!PointInSurface(src, p)) return false;
    const TSurfDesc view = SourceView(dst, src);
    if (!ClipBlock(dst, r, p, view)) return false;
    b.dst = PixelAt(dst, r.left, r.top);
    b.dstPitch = dst.scanWidth;
    b.src = SourceAt(dst, src, p);
    b.srcPitch = src.scanWidth;
    b.mask = nullptr;
    b.maskPitch = 0;
    b.w = r.right - r.left;
    b.h = r.bottom - r.top;
    return true;
}

bool PrepareColour(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &mask, const CPunto &mpt,
                   Block &b) {
    CRectangulo r = rect;
    CPunto m = mpt;
    if (!PointInSurface(mask, m)) return false;
    // The mask is one byte per pixel whatever its bpp says.
    if (!ClipBlock(dst, r, m, mask)) return false;
    b.dst = PixelAt(dst, r.left, r.top);
    b.dstPitch = dst.scanWidth;
    b.src = nullptr;
    b.srcPitch = 0;
    b.mask = Row(mask, m.y) + m.x;
    b.maskPitch = mask.scanWidth;
    b.w = r.right - r.left;
    b.h = r.bottom - r.top;
    return true;
}

bool PrepareMasked(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &src, const CPunto &pt,
                   const TSurfDesc &mask, const CPunto &mpt, Block &b) {
    CRectangulo r = rect;
    CPunto p = pt, m = mpt;
    if (!PointInSurface(mask, m) || !PointInSurface(src, p)) return false;
    const TSurfDesc view = SourceView(dst, src);
    if (!ClipBlock(dst, r, p, view, m, mask)) return false;
    b.dst = PixelAt(dst, r.left, r.top);
    b.dstPitch = dst.scanWidth;
    b.src = SourceAt(dst, src, p);
    b.srcPitch = src.scanWidth;
    b.mask = Row(mask, m.y) + m.x;
    b.maskPitch = mask.scanWidth;
    b.w = r.right - r.left;
    b.h = r.bottom - r.top;
    return true;
}

}  // namespace blend
}  // namespace kv

namespace {

// ---- pixel traits ----------------------------------------------------------

// Four bytes blue, green, red, byte 3; byte 3 follows the mode's kAlpha.
struct Px32 {
    static constexpr int kBytes = 4;
    static uint32_t Load(const uint8_t *p) { return Load32(p); }
    static void Store(uint8_t *p, uint32_t v) { Store32(p, v); }
    static bool IsKey(uint32_t s, uint32_t key) { return ((s ^ key) & 0x00FFFFFFu) == 0; }
    static uint32_t FromColour(unsigned long c) { return static_cast<uint32_t>(c); }
    template <class M>
    static uint32_t Mix(uint32_t d, uint32_t s) {
        uint32_t o = 0;
        for (int sh = 0; sh < 24; sh += 8) o |= M::Wide((d >> sh) & 0xFF, (s >> sh) & 0xFF) << sh;
        o |= M::kAlpha ? M::Wide(d >> 24, s >> 24) << 24 : d & 0xFF000000u;
        return o;
    }
    static uint32_t Weighted(uint32_t d, uint32_t o, uint32_t a) {
        uint32_t r = 0;
        for (int sh = 0; sh < 32; sh += 8) r |= Weigh((d >> sh) & 0xFF, (o >> sh) & 0xFF, a) << sh;
        return r;
    }
};

// Three bytes blue, green, red, as a 24-bit value.
struct Px24 {
    static constexpr int kBytes = 3;
    static uint32_t Load(const uint8_t *p) { return Fmt24::Load(p); }
    static void Store(uint8_t *p, uint32_t v) { Fmt24::Store(p, v); }
    static bool IsKey(uint32_t s, uint32_t key) { return s == (key & 0x00FFFFFFu); }
    static uint32_t FromColour(unsigned long c) { return static_cast<uint32_t>(c) & 0x00FFFFFFu; }
    template <class M>
    static uint32_t Mix(uint32_t d, uint32_t s) {
        uint32_t o = 0;
        for (int sh = 0; sh < 24; sh += 8) o |= M::Wide((d >> sh) & 0xFF, (s >> sh) & 0xFF) << sh;
        return o;
    }
    static uint32_t Weighted(uint32_t d, uint32_t o, uint32_t a) {
        uint32_t r = 0;
        for (int sh = 0; sh < 24; sh += 8) r |= Weigh((d >> sh) & 0xFF, (o >> sh) & 0xFF, a) << sh;
        return r;
    }
};

// The 16-bit kinds: the mode sees channels widened to eight bits; results are
// truncated back, and weighting works on the native fields. Every written
// pixel is the three colour fields alone, so alpha bits end up 0.
template <class F>
struct Px16 {
    static constexpr int kBytes = 2;
    static uint32_t Load(const uint8_t *p) { return F::Load(p); }
    static void Store(uint8_t *p, uint32_t v) { F::Store(p, v); }
    static bool IsKey(uint32_t s, uint32_t key) { return s == (key & 0xFFFFu); }
    static uint32_t FromColour(unsigned long c) { return F::Pack(ColorRGB(c)); }
    template <class M>
    static uint32_t Mix(uint32_t d, uint32_t s) {
        const RGB8 dc = F::Unpack(d), sc = F::Unpack(s);
        return F::Pack(RGB8{M::Narrow(dc.r, sc.r), M::Narrow(dc.g, sc.g), M::Narrow(dc.b, sc.b)});
    }
    static uint32_t Field(uint32_t d, uint32_t o, uint32_t a, uint32_t mask, int shift) {
        return Weigh((d & mask) >> shift, (o & mask) >> shift, a) << shift;
    }
    static uint32_t Weighted(uint32_t d, uint32_t o, uint32_t a) {
        return Field(d, o, a, F::kRMask, F::kRShift) | Field(d, o, a, F::kGMask, F::kGShift) |
               Field(d, o, a, F::kBMask, F::kBShift);
    }
};

// ---- the three frames --------------------------------------------------------

template <class P, class M>
void SourceRows(const Block &b, uint32_t key) {
    uint8_t *drow = b.dst;
    const uint8_t *srow = b.src;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = drow;
        const uint8_t *s = srow;
        for (int x = 0; x < b.w; ++x, d += P::kBytes, s += P::kBytes) {
            const uint32_t sp = P::Load(s);
            if (P::IsKey(sp, key)) continue;
            P::Store(d, P::template Mix<M>(P::Load(d), sp));
        }
        drow += b.dstPitch;
        srow += b.srcPitch;
    }
}

template <class P, class M>
void ColourRows(const Block &b, uint32_t colour) {
    uint8_t *drow = b.dst;
    const uint8_t *mrow = b.mask;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = drow;
        for (int x = 0; x < b.w; ++x, d += P::kBytes) {
            const uint32_t a = mrow[x];
            if (a == 0) continue;
            const uint32_t dp = P::Load(d);
            P::Store(d, P::Weighted(dp, P::template Mix<M>(dp, colour), a));
        }
        drow += b.dstPitch;
        mrow += b.maskPitch;
    }
}

template <class P, class M>
void MaskedRows(const Block &b) {
    uint8_t *drow = b.dst;
    const uint8_t *srow = b.src, *mrow = b.mask;
    for (int y = 0; y < b.h; ++y) {
        uint8_t *d = drow;
        const uint8_t *s = srow;
        for (int x = 0; x < b.w; ++x, d += P::kBytes, s += P::kBytes) {
            const uint32_t a = mrow[x];
            if (a == 0) continue;
            const uint32_t dp = P::Load(d);
            P::Store(d, P::Weighted(dp, P::template Mix<M>(dp, P::Load(s)), a));
        }
        drow += b.dstPitch;
        srow += b.srcPitch;
        mrow += b.maskPitch;
    }
}

// ---- kernels per format --------------------------------------------------------
//
// Blend_32<M>, Blend_24<M>, Blend_565<M>, Blend_555<M> (kinds 17 and 18) and
// Blend_4444<M>, each in the three forms.

// The row passes of a format: the plain frames above, or in utilsmmx the SIMD
// passes of the 24- and 32-bit formats.
template <class P, class M>
struct Rows {
    static void Source(const Block &b, uint32_t key) { SourceRows<P, M>(b, key); }
    static void Colour(const Block &b, uint32_t c) { ColourRows<P, M>(b, c); }
    static void Masked(const Block &b) { MaskedRows<P, M>(b); }
};

#if UTILS_SIMD
template <class M>
struct Rows<Px32, M> {
    static void Source(const Block &b, uint32_t key) { SourceRows_32mmx<M>(b, key); }
    static void Colour(const Block &b, uint32_t c) { ColourRows_32mmx<M>(b, c); }
    static void Masked(const Block &b) { MaskedRows_32mmx<M>(b); }
};
template <class M>
struct Rows<Px24, M> {
    static void Source(const Block &b, uint32_t key) { SourceRows_24mmx<M>(b, key); }
    static void Colour(const Block &b, uint32_t c) { ColourRows_24mmx<M>(b, c); }
    static void Masked(const Block &b) { MaskedRows_24mmx<M>(b); }
};
#endif

template <class P, class M>
struct Kernel {
    static bool Source(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
        Block b;
        if (!PrepareSource(dst, r, src, p, b)) return false;
        Rows<P, M>::Source(b, SourceKey(src));
        return true;
    }
    static bool Colour(TSurfDesc &dst, const CRectangulo &r, unsigned long c, TSurfDesc &mask, const CPunto &mp) {
        Block b;
        if (!PrepareColour(dst, r, mask, mp, b)) return false;
        Rows<P, M>::Colour(b, P::FromColour(c));
        return true;
    }
    static bool Masked(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                       const CPunto &mp) {
        Block b;
        if (!PrepareMasked(dst, r, src, p, mask, mp, b)) return false;
        Rows<P, M>::Masked(b);
        return true;
    }
};

template <class M> using Blend_32 = Kernel<Px32, M>;
template <class M> using Blend_24 = Kernel<Px24, M>;
template <class M> using Blend_565 = Kernel<Px16<Fmt565>, M>;
template <class M> using Blend_555 = Kernel<Px16<Fmt555>, M>;
template <class M> using Blend_4444 = Kernel<Px16<Fmt4444>, M>;

// ---- dispatch --------------------------------------------------------------------
// No 8-bit kernel: an 8-bit destination returns false like any unknown one.

template <class M>
bool Source(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    if (dst.bpp == 32) return Blend_32<M>::Source(dst, r, src, p);
    if (dst.bpp == 24) return Blend_24<M>::Source(dst, r, src, p);
    const int kind = PixelKind(dst);
    if (kind == kKind565) return Blend_565<M>::Source(dst, r, src, p);
    if (kind == kKind555 || kind == kKind1555) return Blend_555<M>::Source(dst, r, src, p);
    if (kind == kKind4444) return Blend_4444<M>::Source(dst, r, src, p);
    return false;
}

template <class M>
bool Colour(TSurfDesc &dst, const CRectangulo &r, unsigned long c, TSurfDesc &mask, const CPunto &mp) {
    if (dst.bpp == 32) return Blend_32<M>::Colour(dst, r, c, mask, mp);
    if (dst.bpp == 24) return Blend_24<M>::Colour(dst, r, c, mask, mp);
    const int kind = PixelKind(dst);
    if (kind == kKind565) return Blend_565<M>::Colour(dst, r, c, mask, mp);
    if (kind == kKind555 || kind == kKind1555) return Blend_555<M>::Colour(dst, r, c, mask, mp);
    if (kind == kKind4444) return Blend_4444<M>::Colour(dst, r, c, mask, mp);
    return false;
}

template <class M>
bool Masked(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
            const CPunto &mp) {
    if (dst.bpp == 32) return Blend_32<M>::Masked(dst, r, src, p, mask, mp);
    if (dst.bpp == 24) return Blend_24<M>::Masked(dst, r, src, p, mask, mp);
    const int kind = PixelKind(dst);
    if (kind == kKind565) return Blend_565<M>::Masked(dst, r, src, p, mask, mp);
    if (kind == kKind555 || kind == kKind1555) return Blend_555<M>::Masked(dst, r, src, p, mask, mp);
    if (kind == kKind4444) return Blend_4444<M>::Masked(dst, r, src, p, mask, mp);
    return false;
}

}  // namespace

// ---- exports ----------------------------------------------------------------------

#define KV_BLEND_EXPORTS(NAME, MODE)                                                                   \
    bool NAME(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {                 \
        return Source<MODE>(dst, r, src, p);                                                           \
    }                                                                                                  \
    bool NAME(TSurfDesc &dst, const CRectangulo &r, unsigned long colour, TSurfDesc &mask,             \
              const CPunto &mp) {                                                                      \
        return Colour<MODE>(dst, r, colour, mask, mp);                                                 \
    }                                                                                                  \
    bool NAME(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask, \
              const CPunto &mp) {                                                                      \
        return Masked<MODE>(dst, r, src, p, mask, mp);                                                 \
    }

KV_BLEND_EXPORTS(DoSuma, Suma)
KV_BLEND_EXPORTS(DoResta, Resta)
KV_BLEND_EXPORTS(DoMultiplica, Multiplica)
KV_BLEND_EXPORTS(DoScreen, Screen)
KV_BLEND_EXPORTS(DoLighten, Lighten)
KV_BLEND_EXPORTS(DoDarken, Darken)
KV_BLEND_EXPORTS(DoSuperponer, Superponer)

#undef KV_BLEND_EXPORTS
