// Builds the mix table that the 8-bit mixing and masking operations of utils
// take: for every R5G6B5 colour, the palette index to write in each of the
// two checkerboard phases.
#ifndef KORVANTE_MIXTABLE_H
#define KORVANTE_MIXTABLE_H

#include "utils.h"

namespace mixtable {

// Phase 1 holds the nearest entry to each colour; phase 0 the entry nearest
// to the colour pushed past it by phase 1's error, so that neighbouring
// pixels average out close to the colour. Only entries 0 .. count-1 are
// candidates (the model palette's cube is 252 entries); ties go to the
// lower index. table must point to 2 x 65,536 bytes.
void Build(const TRGBA *palette, int count, unsigned char (*table)[65536]);

// The R5G6B5 colour k widened to 8 bits per channel, with its top bits
// repeated into the low ones so that 31 and 63 become 255.
void Widen565(unsigned k, int &r, int &g, int &b);

}  // namespace mixtable

#endif
