// MMX row kernels of the effects family (utilsmmx only). Every kernel takes
// one row and is named <Op>Row_<fmt>_mmx; each gives the same bytes as the
// plain row it stands in for. blend.cpp picks them, in one block.
#ifndef KORVANTE_EFFECTS_SIMD_H
#define KORVANTE_EFFECTS_SIMD_H

#include <stdint.h>

#include "surface/surface.h"

namespace kv {
namespace blend {

#if UTILS_SIMD
// The blend modes (M from effects/blend_modes.h) over w pixels of one row.
// Source form: source pixels whose colour bits equal the key's are skipped.
template <class M>
void SourceRow_32_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);
template <class M>
void SourceRow_24_mmx(uint8_t *d, const uint8_t *s, int w, uint32_t key);
// Colour form: the colour in the destination's encoding, weighted by mask
// bytes m (0 keeps the destination).
template <class M>
void ColourRow_32_mmx(uint8_t *d, const uint8_t *m, int w, uint32_t colour);
template <class M>
void ColourRow_24_mmx(uint8_t *d, const uint8_t *m, int w, uint32_t colour);
// Masked form: the source row weighted by mask bytes m.
template <class M>
void MaskedRow_32_mmx(uint8_t *d, const uint8_t *s, const uint8_t *m, int w);
template <class M>
void MaskedRow_24_mmx(uint8_t *d, const uint8_t *s, const uint8_t *m, int w);
#endif

}  // namespace blend
}  // namespace kv

#endif
