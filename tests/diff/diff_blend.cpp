#include <memory>

#include "tests/diff/diff.h"

using kvtest::RandomSurface;
using kvtest::TestSurface;

namespace {

// Masks with runs of 0 and 255 and the odd 1 and 254; sources with black
// pixels and, half the time, a key that occurs in them.
void Shape(kvtest::Rng &rng, TestSurface &src, TestSurface &mask) {
    for (int y = 0; y < mask.desc.height; ++y)
        for (int x = 0; x < mask.desc.width; ++x) {
            const int pick = rng.Range(0, 9);
            if (pick < 2)
                mask.Row(y)[x] = 0;
            else if (pick < 4)
                mask.Row(y)[x] = 255;
            else if (pick == 4)
                mask.Row(y)[x] = rng.Chance(50) ? 1 : 254;
        }
    const int bytes = src.desc.bpp == 8 ? 1 : int(src.desc.bpp / 8);
    for (int y = 0; y < src.desc.height; ++y)
        for (int x = 0; x < src.desc.width; ++x)
            if (rng.Chance(10))
                for (int i = 0; i < bytes; ++i) src.Row(y)[x * bytes + i] = rng.Chance(50) ? 0 : 0xFF;
    if (rng.Chance(50)) {
        uint32_t v = 0;
        const uint8_t *p = src.Row(rng.Range(0, src.desc.height - 1)) + bytes * rng.Range(0, src.desc.width - 1);
        for (int i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
        src.desc.transColor = v;
    }
}

}  // namespace

DIFF_CASE(BlendModes, 882) {
    const int mode = caseNo % 7;
    const int form = (caseNo / 7) % 3;
    const int kind = kvtest::AllKinds()[(caseNo / 21) % 7];
    const int maxW = caseNo % 5 == 0 ? 300 : 41, maxH = caseNo % 5 == 0 ? 40 : 13;
    std::unique_ptr<TestSurface> dst(RandomSurface(rng, kind, maxW, maxH));
    std::unique_ptr<TestSurface> src(RandomSurface(rng, kind, maxW, maxH));
    std::unique_ptr<TestSurface> mask(RandomSurface(rng, 8, maxW, maxH));
    Shape(rng, *src, *mask);
    const CRectangulo r = kvtest::RandomRect(rng, dst->desc.width, dst->desc.height);
    const CPunto p(rng.Range(-1, src->desc.width / 2), rng.Range(-1, src->desc.height / 2));
    const CPunto mp(rng.Range(-1, mask->desc.width / 2), rng.Range(-1, mask->desc.height / 2));
    bool ok = false;
    if (form == 0) ok = kvdiff::kBlendSource[mode](dst->desc, r, src->desc, p);
    if (form == 1) ok = kvdiff::kBlendColour[mode](dst->desc, r, rng.U32(), mask->desc, mp);
    if (form == 2) ok = kvdiff::kBlendMasked[mode](dst->desc, r, src->desc, p, mask->desc, mp);
    out.Add(ok);
    out.Add(*dst);
}
