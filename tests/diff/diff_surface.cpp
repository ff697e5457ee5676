#include <memory>

#include "tests/diff/diff.h"

using kvtest::RandomSurface;
using kvtest::TestSurface;

DIFF_CASE(SetGetPixel, 200) {
    const int kind = kvtest::AllKinds()[caseNo % 7];
    std::unique_ptr<TestSurface> s(RandomSurface(rng, kind, 37, 19));
    for (int i = 0; i < 64; ++i) {
        const int x = rng.Range(-3, s->desc.width + 2), y = rng.Range(-3, s->desc.height + 2);
        SetPixel(s->desc, x, y, rng.U32());
        out.Add(GetPixel(s->desc, CPunto(rng.Range(-2, s->desc.width + 1), rng.Range(-2, s->desc.height + 1))));
    }
    out.Add(*s);
}
