// Differential test between the plain and the SIMD build.
//
// The same runner source links once against each library; every case draws
// its surfaces and arguments from a generator seeded by its case number and
// feeds the results into a CRC. CTest runs both programs and demands the
// same output. `diff_<lib> NAME N` reruns one case and prints its CRC.
#ifndef KORVANTE_DIFF_H
#define KORVANTE_DIFF_H

#include "tests/common/testsurf.h"

#include <stddef.h>
#include <stdint.h>

namespace kvdiff {

class Sink {
  public:
    void Add(const void *data, size_t n);
    void Add(uint64_t v) { Add(&v, sizeof v); }
    // A surface's whole memory: guards, pixels and padding.
    void Add(const kvtest::TestSurface &s);
    uint32_t Crc() const { return ~crc_; }

  private:
    uint32_t crc_ = 0xFFFFFFFFu;
};

using CaseFn = void (*)(int caseNo, kvtest::Rng &rng, Sink &out);

struct Registrar {
    Registrar(const char *name, int cases, CaseFn fn);
};

// The seven blend modes in the order of include/utils.h, per form.
using BlendSourceFn = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &);
using BlendColourFn = bool (*)(TSurfDesc &, const CRectangulo &, unsigned long, TSurfDesc &, const CPunto &);
using BlendMaskedFn = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &, TSurfDesc &,
                               const CPunto &);
inline const BlendSourceFn kBlendSource[7] = {DoSuma,    DoResta,  DoMultiplica, DoScreen,
                                              DoLighten, DoDarken, DoSuperponer};
inline const BlendColourFn kBlendColour[7] = {DoSuma,    DoResta,  DoMultiplica, DoScreen,
                                              DoLighten, DoDarken, DoSuperponer};
inline const BlendMaskedFn kBlendMasked[7] = {DoSuma,    DoResta,  DoMultiplica, DoScreen,
                                              DoLighten, DoDarken, DoSuperponer};

}  // namespace kvdiff

// DIFF_CASE(Name, cases) { ... use caseNo, rng, out ... }
#define DIFF_CASE(NAME, CASES)                                                              \
    static void NAME##_diff(int caseNo, kvtest::Rng &rng, kvdiff::Sink &out);               \
    static kvdiff::Registrar NAME##_diff_reg(#NAME, CASES, NAME##_diff);                    \
    static void NAME##_diff([[maybe_unused]] int caseNo, [[maybe_unused]] kvtest::Rng &rng, \
                            [[maybe_unused]] kvdiff::Sink &out)

#endif
