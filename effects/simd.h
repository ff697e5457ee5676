// MMX row kernels of the effects family (utilsmmx only). Every kernel takes
// one row and is named <Op>Row_<fmt>_mmx; each gives the same bytes as the
// plain row it stands in for. blend.cpp picks them, in one block.
#ifndef KORVANTE_EFFECTS_SIMD_H
#define KORVANTE_EFFECTS_SIMD_H

#include <stdint.h>

#include <type_traits>

#include "surface/pixfmt.h"
#include "surface/surface.h"

namespace kv {
namespace blend {

// One of three per-format kernels by the 16-bit layout F, for the blocks
// that pick the rows.
template <class F, class Fn>
constexpr Fn Per16(Fn k565, Fn k555, Fn k4444) {
    if constexpr (std::is_same_v<F, Fmt565>) return k565;
    if constexpr (std::is_same_v<F, Fmt555>) return k555;
    return k4444;
}

// A fader level that copies the pixel whole, alpha bits included.
constexpr uint16_t kFaderCopy = 256;

#if UTILS_SIMD
// OpenFader on the 16-bit kinds: n pixels of a row, pixel k mixed from the
// source at level lv[k] (0..255, field by field, alpha bits 0) or copied
// whole where lv[k] is kFaderCopy.
void FaderRow_565_mmx(uint8_t *d, const uint8_t *s, const uint16_t *lv, int n);
void FaderRow_555_mmx(uint8_t *d, const uint8_t *s, const uint16_t *lv, int n);
void FaderRow_4444_mmx(uint8_t *d, const uint8_t *s, const uint16_t *lv, int n);

// The blur stamps on the 16-bit kinds: n pixels of a row moved towards
// colour (in the destination's encoding) at the strength of their intensity
// bytes, kSrcBytes apart from s (1 or 2), scaled by weight: strength 0 keeps
// the pixel, 255 writes the colour, others mix field by field (alpha bits 0).
template <int kSrcBytes>
void StampRow_565_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t colour, int weight);
template <int kSrcBytes>
void StampRow_555_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t colour, int weight);
template <int kSrcBytes>
void StampRow_4444_mmx(uint8_t *d, const uint8_t *s, int n, uint32_t colour, int weight);

// The blend rows of one format FMT (32, 24, 565, 555 which serves 1555 too,
// 4444) for a mode M from effects/blend_modes.h, over w pixels of one row:
// SourceRow_<FMT>_mmx<M>, ColourRow_<FMT>_mmx<M> and MaskedRow_<FMT>_mmx<M>.
// Source form: source pixels equal to the key are skipped (compared on the
// colour bytes of 24 and 32 bits, on all 16 bits of the 16-bit kinds).
// Colour form: the colour in the destination's encoding, weighted by mask
// bytes m (0 keeps the destination). Masked form: the source row weighted by
// mask bytes m.
#define KV_BLEND_ROWS_MMX(FMT)                                                        \
    template <class M>                                                                \
    void SourceRow_##FMT##_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);    \
    template <class M>                                                                \
    void ColourRow_##FMT##_mmx(uint8_t *d, const uint8_t *m, int w, uint32_t colour); \
    template <class M>                                                                \
    void MaskedRow_##FMT##_mmx(uint8_t *d, const uint8_t *s, const uint8_t *m, int w);

KV_BLEND_ROWS_MMX(32)
KV_BLEND_ROWS_MMX(24)
KV_BLEND_ROWS_MMX(565)
KV_BLEND_ROWS_MMX(555)
KV_BLEND_ROWS_MMX(4444)

#undef KV_BLEND_ROWS_MMX

// For the *_mmx.cpp files: the three rows of FMT defined from the file's own
// SourceRow<M, F> and WeightedRow<M, F, kColour>, and made for every mode.
#define KV_BLEND_ROWS_MMX_OF(FMT, MODE)                                                   \
    template void SourceRow_##FMT##_mmx<MODE>(uint8_t *, const uint8_t *, int, uint32_t); \
    template void ColourRow_##FMT##_mmx<MODE>(uint8_t *, const uint8_t *, int, uint32_t); \
    template void MaskedRow_##FMT##_mmx<MODE>(uint8_t *, const uint8_t *, const uint8_t *, int);
#define KV_BLEND_ROWS_MMX_DEFINE(FMT, F)                                                \
    template <class M>                                                                  \
    void SourceRow_##FMT##_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key) {     \
        SourceRow<M, F>(d, s, w, key);                                                  \
    }                                                                                   \
    template <class M>                                                                  \
    void ColourRow_##FMT##_mmx(uint8_t *d, const uint8_t *m, int w, uint32_t colour) {  \
        WeightedRow<M, F, true>(d, nullptr, colour, m, w);                              \
    }                                                                                   \
    template <class M>                                                                  \
    void MaskedRow_##FMT##_mmx(uint8_t *d, const uint8_t *s, const uint8_t *m, int w) { \
        WeightedRow<M, F, false>(d, s, 0, m, w);                                        \
    }                                                                                   \
    KV_BLEND_ROWS_MMX_OF(FMT, Suma)                                                     \
    KV_BLEND_ROWS_MMX_OF(FMT, Resta)                                                    \
    KV_BLEND_ROWS_MMX_OF(FMT, Multiplica)                                               \
    KV_BLEND_ROWS_MMX_OF(FMT, Screen)                                                   \
    KV_BLEND_ROWS_MMX_OF(FMT, Lighten)                                                  \
    KV_BLEND_ROWS_MMX_OF(FMT, Darken)                                                   \
    KV_BLEND_ROWS_MMX_OF(FMT, Superponer)
#endif

}  // namespace blend
}  // namespace kv

#endif
