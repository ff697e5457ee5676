// Blend modes: add, subtract, multiply, screen, lighten, darken, overlay,
// each with a source surface, a constant colour through a mask, or a source
// through a mask.
//
// One block walk per form hands rows to the row kernel of the destination's
// format; the mode (blend_modes.h) is the per-channel function.
#include "effects/blend_modes.h"

#include "blit/mix.h"
#include "effects/simd.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;
using namespace kv::blend;

namespace {

// ---- what each format does with a mode --------------------------------------------

// 32 bits: the three colour bytes, and byte 3 too where the mode says so.
template <class M>
inline uint32_t Blend_32px(uint32_t d, uint32_t s) {
    uint32_t o = 0;
    for (int sh = 0; sh < 24; sh += 8) o |= M::Wide((d >> sh) & 0xFF, (s >> sh) & 0xFF) << sh;
    o |= M::kAlpha ? M::Wide(d >> 24, s >> 24) << 24 : d & 0xFF000000u;
    return o;
}

template <class M>
inline uint32_t Blend_24px(uint32_t d, uint32_t s) {
    uint32_t o = 0;
    for (int sh = 0; sh < 24; sh += 8) o |= M::Wide((d >> sh) & 0xFF, (s >> sh) & 0xFF) << sh;
    return o;
}

// The 16-bit kinds: the mode sees channels widened to eight bits and the
// results are truncated back; every written pixel is the three colour fields
// alone, so alpha bits end up 0.
template <class F, class M>
inline uint32_t Blend_16px(uint32_t d, uint32_t s) {
    const RGB8 dc = F::Unpack(d), sc = F::Unpack(s);
    return F::Pack(RGB8{M::Narrow(dc.r, sc.r), M::Narrow(dc.g, sc.g), M::Narrow(dc.b, sc.b)});
}

// Mask weighting of every byte (24 and 32 bits, byte 3 included).
template <int N>
inline uint32_t MixBytes(uint32_t o, uint32_t d, uint32_t a) {
    uint32_t r = 0;
    for (int sh = 0; sh < 8 * N; sh += 8) r |= Mix((o >> sh) & 0xFF, (d >> sh) & 0xFF, a) << sh;
    return r;
}

// ---- the plain rows -----------------------------------------------------------------
//
// Blend is the format's mode on one pixel, Weigh its mask weighting. Source
// pixels that match the key in kKeyBits keep the destination; so does mask
// byte 0.

using PixelFn = uint32_t (*)(uint32_t, uint32_t);
using WeighFn = uint32_t (*)(uint32_t, uint32_t, uint32_t);

template <class F, uint32_t kKeyBits, PixelFn Blend>
inline void SourceRow(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    key &= kKeyBits;
    for (int x = 0; x < w; ++x, d += F::kBytes, s += F::kBytes) {
        const uint32_t sp = F::Load(s);
        if ((sp & kKeyBits) == key) continue;
        F::Store(d, Blend(F::Load(d), sp));
    }
}

// The colour form (kColour) and the masked form differ only in where the
// second operand comes from.
template <class F, bool kColour, PixelFn Blend, WeighFn Weigh>
inline void WeightedRow(uint8_t *d, const uint8_t *s, uint32_t colour, const uint8_t *m, int w) {
    for (int x = 0; x < w; ++x, d += F::kBytes) {
        const uint32_t a = m[x];
        if (a == 0) continue;
        const uint32_t dp = F::Load(d);
        const uint32_t sp = kColour ? colour : F::Load(s + ptrdiff_t(x) * F::kBytes);
        F::Store(d, Weigh(Blend(dp, sp), dp, a));
    }
}

template <class M>
void SourceRow_32(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    SourceRow<Fmt32, 0xFFFFFFu, Blend_32px<M>>(d, s, w, key);
}
template <class M>
void SourceRow_24(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    SourceRow<Fmt24, 0xFFFFFFu, Blend_24px<M>>(d, s, w, key);
}
template <class F, class M>
void SourceRow_16(uint8_t *d, const uint8_t *s, int w, uint32_t key) {
    SourceRow<F, 0xFFFFu, Blend_16px<F, M>>(d, s, w, key);
}

template <class M>
void ColourRow_32(uint8_t *d, const uint8_t *m, int w, uint32_t colour) {
    WeightedRow<Fmt32, true, Blend_32px<M>, MixBytes<4>>(d, nullptr, colour, m, w);
}
template <class M>
void ColourRow_24(uint8_t *d, const uint8_t *m, int w, uint32_t colour) {
    WeightedRow<Fmt24, true, Blend_24px<M>, MixBytes<3>>(d, nullptr, colour, m, w);
}
template <class F, class M>
void ColourRow_16(uint8_t *d, const uint8_t *m, int w, uint32_t colour) {
    WeightedRow<F, true, Blend_16px<F, M>, F::MixFields>(d, nullptr, colour, m, w);
}

template <class M>
void MaskedRow_32(uint8_t *d, const uint8_t *s, const uint8_t *m, int w) {
    WeightedRow<Fmt32, false, Blend_32px<M>, MixBytes<4>>(d, s, 0, m, w);
}
template <class M>
void MaskedRow_24(uint8_t *d, const uint8_t *s, const uint8_t *m, int w) {
    WeightedRow<Fmt24, false, Blend_24px<M>, MixBytes<3>>(d, s, 0, m, w);
}
template <class F, class M>
void MaskedRow_16(uint8_t *d, const uint8_t *s, const uint8_t *m, int w) {
    WeightedRow<F, false, Blend_16px<F, M>, F::MixFields>(d, s, 0, m, w);
}

// ---- the row kernels, MMX where the build has them: picked here, once ----------------

#if UTILS_SIMD
template <class F, class M>
constexpr auto SourceRowOf_16 = Per16<F>(SourceRow_565_mmx<M>, SourceRow_555_mmx<M>, SourceRow_4444_mmx<M>);
template <class F, class M>
constexpr auto ColourRowOf_16 = Per16<F>(ColourRow_565_mmx<M>, ColourRow_555_mmx<M>, ColourRow_4444_mmx<M>);
template <class F, class M>
constexpr auto MaskedRowOf_16 = Per16<F>(MaskedRow_565_mmx<M>, MaskedRow_555_mmx<M>, MaskedRow_4444_mmx<M>);
template <class M>
constexpr auto SourceRowOf_32 = SourceRow_32_mmx<M>;
template <class M>
constexpr auto SourceRowOf_24 = SourceRow_24_mmx<M>;
template <class M>
constexpr auto ColourRowOf_32 = ColourRow_32_mmx<M>;
template <class M>
constexpr auto ColourRowOf_24 = ColourRow_24_mmx<M>;
template <class M>
constexpr auto MaskedRowOf_32 = MaskedRow_32_mmx<M>;
template <class M>
constexpr auto MaskedRowOf_24 = MaskedRow_24_mmx<M>;
#else
template <class F, class M>
constexpr auto SourceRowOf_16 = SourceRow_16<F, M>;
template <class F, class M>
constexpr auto ColourRowOf_16 = ColourRow_16<F, M>;
template <class F, class M>
constexpr auto MaskedRowOf_16 = MaskedRow_16<F, M>;
template <class M>
constexpr auto SourceRowOf_32 = SourceRow_32<M>;
template <class M>
constexpr auto SourceRowOf_24 = SourceRow_24<M>;
template <class M>
constexpr auto ColourRowOf_32 = ColourRow_32<M>;
template <class M>
constexpr auto ColourRowOf_24 = ColourRow_24<M>;
template <class M>
constexpr auto MaskedRowOf_32 = MaskedRow_32<M>;
template <class M>
constexpr auto MaskedRowOf_24 = MaskedRow_24<M>;
#endif

// ---- clipping and the block walks of the three forms ---------------------------------

// The key a source pixel is compared with: transColor, or 0 without a key.
inline uint32_t SourceKey(const TSurfDesc &src) { return src.transColor != 0xFFFFFFFFu ? src.transColor : 0; }

// A source of another pixel size is read in the destination's layout, as
// callers expect; its rows hold only so many such pixels, and the block is
// kept within them. The mask is one byte per pixel whatever its bpp says.
// False when the pass must not run.

using SourceRowFn = void (*)(uint8_t *, const uint8_t *, int, uint32_t);
using ColourRowFn = void (*)(uint8_t *, const uint8_t *, int, uint32_t);
using MaskedRowFn = void (*)(uint8_t *, const uint8_t *, const uint8_t *, int);

template <SourceRowFn RowFn, SourceRowFn PlainFn>
bool SourceBlock(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &src, const CPunto &pt) {
    CRectangulo r = rect;
    CPunto p = pt;
    if (!PointInSurface(src, p)) return false;
    const int bytes = BytesPerPixel(dst);
    if (!ClipBlock(dst, r, p, ElementView(src, bytes))) return false;
    const uint32_t key = SourceKey(src);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const ptrdiff_t dp = dst.scanWidth, sp = src.scanWidth;
    uint8_t *d = PixelAt(dst, r.left, r.top);
    const uint8_t *s = Row(src, p.y) + ptrdiff_t(p.x) * bytes;
    for (int y = 0; y < h; ++y, d += dp, s += sp) RowFor(RowFn, PlainFn, Trails(d, s, size_t(w) * bytes))(d, s, w, key);
    return true;
}

template <ColourRowFn RowFn, ColourRowFn PlainFn>
bool ColourBlock(const TSurfDesc &dst, const CRectangulo &rect, uint32_t colour, const TSurfDesc &mask,
                 const CPunto &mpt) {
    CRectangulo r = rect;
    CPunto m = mpt;
    if (!PointInSurface(mask, m)) return false;
    if (!ClipBlock(dst, r, m, mask)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const ptrdiff_t dp = dst.scanWidth, mp = mask.scanWidth;
    uint8_t *d = PixelAt(dst, r.left, r.top);
    const uint8_t *mk = Row(mask, m.y) + m.x;
    for (int y = 0; y < h; ++y, d += dp, mk += mp) RowFor(RowFn, PlainFn, Trails(d, mk, size_t(w)))(d, mk, w, colour);
    return true;
}

template <MaskedRowFn RowFn, MaskedRowFn PlainFn>
bool MaskedBlock(const TSurfDesc &dst, const CRectangulo &rect, const TSurfDesc &src, const CPunto &pt,
                 const TSurfDesc &mask, const CPunto &mpt) {
    CRectangulo r = rect;
    CPunto p = pt, m = mpt;
    if (!PointInSurface(mask, m) || !PointInSurface(src, p)) return false;
    const int bytes = BytesPerPixel(dst);
    if (!ClipBlock(dst, r, p, ElementView(src, bytes), m, mask)) return false;
    const int w = r.right - r.left, h = r.bottom - r.top;
    const ptrdiff_t dp = dst.scanWidth, sp = src.scanWidth, mp = mask.scanWidth;
    uint8_t *d = PixelAt(dst, r.left, r.top);
    const uint8_t *s = Row(src, p.y) + ptrdiff_t(p.x) * bytes, *mk = Row(mask, m.y) + m.x;
    for (int y = 0; y < h; ++y, d += dp, s += sp, mk += mp)
        RowFor(RowFn, PlainFn, Trails(d, s, size_t(w) * bytes) || Trails(d, mk, size_t(w)))(d, s, mk, w);
    return true;
}

// ---- kernels per format ------------------------------------------------------------
// No 8-bit kernel: an 8-bit destination returns false like any unknown one.
// The colour argument is taken in the destination's encoding: all four bytes
// for 32 bits, narrowed for the 16-bit kinds.

template <class M>
bool Source_32(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return SourceBlock<SourceRowOf_32<M>, SourceRow_32<M>>(dst, r, src, p);
}
template <class M>
bool Source_24(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return SourceBlock<SourceRowOf_24<M>, SourceRow_24<M>>(dst, r, src, p);
}
template <class F, class M>
bool Source_16(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return SourceBlock<SourceRowOf_16<F, M>, SourceRow_16<F, M>>(dst, r, src, p);
}

template <class M>
bool Colour_32(TSurfDesc &dst, const CRectangulo &r, unsigned long c, TSurfDesc &mask, const CPunto &mp) {
    return ColourBlock<ColourRowOf_32<M>, ColourRow_32<M>>(dst, r, uint32_t(c), mask, mp);
}
template <class M>
bool Colour_24(TSurfDesc &dst, const CRectangulo &r, unsigned long c, TSurfDesc &mask, const CPunto &mp) {
    return ColourBlock<ColourRowOf_24<M>, ColourRow_24<M>>(dst, r, uint32_t(c) & 0xFFFFFFu, mask, mp);
}
template <class F, class M>
bool Colour_16(TSurfDesc &dst, const CRectangulo &r, unsigned long c, TSurfDesc &mask, const CPunto &mp) {
    return ColourBlock<ColourRowOf_16<F, M>, ColourRow_16<F, M>>(dst, r, F::Pack(ColorRGB(c)), mask, mp);
}

template <class M>
bool Masked_32(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
               const CPunto &mp) {
    return MaskedBlock<MaskedRowOf_32<M>, MaskedRow_32<M>>(dst, r, src, p, mask, mp);
}
template <class M>
bool Masked_24(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
               const CPunto &mp) {
    return MaskedBlock<MaskedRowOf_24<M>, MaskedRow_24<M>>(dst, r, src, p, mask, mp);
}
template <class F, class M>
bool Masked_16(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
               const CPunto &mp) {
    return MaskedBlock<MaskedRowOf_16<F, M>, MaskedRow_16<F, M>>(dst, r, src, p, mask, mp);
}

// ---- the kernel by the destination's kind --------------------------------------------

template <class M>
bool Source(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return ByKind<Source_32<M>, Source_24<M>, Source_16<Fmt565, M>, Source_16<Fmt555, M>, Source_16<Fmt4444, M>,
                  nullptr>(dst, dst, r, src, p);
}

template <class M>
bool Colour(TSurfDesc &dst, const CRectangulo &r, unsigned long c, TSurfDesc &mask, const CPunto &mp) {
    return ByKind<Colour_32<M>, Colour_24<M>, Colour_16<Fmt565, M>, Colour_16<Fmt555, M>, Colour_16<Fmt4444, M>,
                  nullptr>(dst, dst, r, c, mask, mp);
}

template <class M>
bool Masked(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask, const CPunto &mp) {
    return ByKind<Masked_32<M>, Masked_24<M>, Masked_16<Fmt565, M>, Masked_16<Fmt555, M>, Masked_16<Fmt4444, M>,
                  nullptr>(dst, dst, r, src, p, mask, mp);
}

}  // namespace

// ---- exports ----------------------------------------------------------------------

bool DoSuma(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return Source<Suma>(dst, r, src, p);
}
bool DoSuma(TSurfDesc &dst, const CRectangulo &r, unsigned long colour, TSurfDesc &mask, const CPunto &mp) {
    return Colour<Suma>(dst, r, colour, mask, mp);
}
bool DoSuma(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask, const CPunto &mp) {
    return Masked<Suma>(dst, r, src, p, mask, mp);
}

bool DoResta(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return Source<Resta>(dst, r, src, p);
}
bool DoResta(TSurfDesc &dst, const CRectangulo &r, unsigned long colour, TSurfDesc &mask, const CPunto &mp) {
    return Colour<Resta>(dst, r, colour, mask, mp);
}
bool DoResta(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask, const CPunto &mp) {
    return Masked<Resta>(dst, r, src, p, mask, mp);
}

bool DoMultiplica(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return Source<Multiplica>(dst, r, src, p);
}
bool DoMultiplica(TSurfDesc &dst, const CRectangulo &r, unsigned long colour, TSurfDesc &mask, const CPunto &mp) {
    return Colour<Multiplica>(dst, r, colour, mask, mp);
}
bool DoMultiplica(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                  const CPunto &mp) {
    return Masked<Multiplica>(dst, r, src, p, mask, mp);
}

bool DoScreen(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return Source<Screen>(dst, r, src, p);
}
bool DoScreen(TSurfDesc &dst, const CRectangulo &r, unsigned long colour, TSurfDesc &mask, const CPunto &mp) {
    return Colour<Screen>(dst, r, colour, mask, mp);
}
bool DoScreen(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
              const CPunto &mp) {
    return Masked<Screen>(dst, r, src, p, mask, mp);
}

bool DoLighten(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return Source<Lighten>(dst, r, src, p);
}
bool DoLighten(TSurfDesc &dst, const CRectangulo &r, unsigned long colour, TSurfDesc &mask, const CPunto &mp) {
    return Colour<Lighten>(dst, r, colour, mask, mp);
}
bool DoLighten(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
               const CPunto &mp) {
    return Masked<Lighten>(dst, r, src, p, mask, mp);
}

bool DoDarken(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return Source<Darken>(dst, r, src, p);
}
bool DoDarken(TSurfDesc &dst, const CRectangulo &r, unsigned long colour, TSurfDesc &mask, const CPunto &mp) {
    return Colour<Darken>(dst, r, colour, mask, mp);
}
bool DoDarken(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
              const CPunto &mp) {
    return Masked<Darken>(dst, r, src, p, mask, mp);
}

bool DoSuperponer(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p) {
    return Source<Superponer>(dst, r, src, p);
}
bool DoSuperponer(TSurfDesc &dst, const CRectangulo &r, unsigned long colour, TSurfDesc &mask, const CPunto &mp) {
    return Colour<Superponer>(dst, r, colour, mask, mp);
}
bool DoSuperponer(TSurfDesc &dst, const CRectangulo &r, TSurfDesc &src, const CPunto &p, TSurfDesc &mask,
                  const CPunto &mp) {
    return Masked<Superponer>(dst, r, src, p, mask, mp);
}
