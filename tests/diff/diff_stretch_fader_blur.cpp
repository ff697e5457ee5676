#include <math.h>
#include <string.h>

#include <memory>

#include "diff.h"

using kvtest::RandomRect;
using kvtest::RandomSurface;
using kvtest::TestSurface;

namespace {
int KindOf(int caseNo) { return kvtest::AllKinds()[caseNo % 7]; }
}  // namespace

DIFF_CASE(OpenFader, 140) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> d(RandomSurface(rng, kind, 29, 9)), s(RandomSurface(rng, kind, 33, 11));
    const CRectangulo r = RandomRect(rng, d->desc.width, d->desc.height);
    const CPunto p(rng.Range(-3, 6), rng.Range(-3, 4));
    out.Add(OpenFader(d->desc, r, s->desc, p, rng.Range(-300, 10), rng.Range(0, 40), rng.Range(-2, 30)));
    out.Add(*d);
}

DIFF_CASE(BlurStamps, 210) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> d(RandomSurface(rng, kind, 25, 9));
    std::unique_ptr<TestSurface> s(RandomSurface(rng, rng.Chance(50) ? 8 : kind, 31, 13));
    const CRectangulo r = RandomRect(rng, d->desc.width, d->desc.height);
    const CPunto p(rng.Range(-4, 8), rng.Range(-4, 6));
    const float angle = float(rng.Range(0, 628)) / 100.0f;
    switch (caseNo / 7 % 3) {
    case 0: out.Add(FiltroMotionMask(d->desc, s->desc, r, p, rng.Range(-10, 400))); break;
    case 1: out.Add(FiltroMotionBlur(d->desc, s->desc, r, p, rng.U32(), rng.Range(-2, 12), angle)); break;
    default: out.Add(FiltroBrilloBlur(d->desc, s->desc, r, p, rng.U32(), rng.Range(-2, 12), angle)); break;
    }
    out.Add(*d);
}

DIFF_CASE(BltStrech, 140) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> d(RandomSurface(rng, kind, 40, 20)), s(RandomSurface(rng, kind, 30, 15));
    const CRectangulo dr = RandomRect(rng, d->desc.width, d->desc.height);
    const CRectangulo sr = RandomRect(rng, s->desc.width, s->desc.height);
    out.Add(BltStrech(d->desc, dr, s->desc, sr, rng.Chance(50)));
    out.Add(*d);
}

DIFF_CASE(StretchBitmap, 140) {
    const int kind = caseNo % 2 ? 24 : 32;
    std::unique_ptr<TestSurface> d(RandomSurface(rng, kind, 40, 20)), s(RandomSurface(rng, kind, 30, 15));
    const CRectangulo dr = RandomRect(rng, d->desc.width, d->desc.height);
    const CRectangulo sr = RandomRect(rng, s->desc.width, s->desc.height);
    out.Add(StretchBitmap(d->desc, dr, s->desc, sr, rng.Chance(50) ? 24 : 32, rng.Chance(90), false));
    out.Add(*d);
}

DIFF_CASE(DrawDouble, 70) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> d(RandomSurface(rng, kind, 30, 20)), s(RandomSurface(rng, kind, 12, 8));
    out.Add(DrawDouble(d->desc, s->desc, CPunto(rng.Range(-10, 20), rng.Range(-10, 15))));
    out.Add(*d);
}

// Every kind, every code with and without the mirror bit; odd sizes and
// padded rows on both sides. Codes 0 and 4 go through the keyed copy, so the
// source sometimes carries a key that occurs in it.
DIFF_CASE(CreateRotated, 168) {
    const int kind = KindOf(caseNo);
    const int code = caseNo / 7 % 8;
    const int W = rng.Range(1, 9) * 2 + 1, H = rng.Range(1, 6) * 2 + 1;
    const bool quarter = code % 2 == 1;
    TestSurface s(kind, W, H, rng.Range(1, 11));
    TestSurface d(kind, quarter ? H : W, quarter ? W : H, rng.Range(1, 11));
    s.Randomize(rng);
    d.Randomize(rng);
    if (rng.Chance(50)) {  // the colour of the first pixel
        uint32_t key = 0;
        memcpy(&key, s.Row(0), s.desc.bpp / 8);
        s.desc.transColor = key;
    }
    out.Add(CreateRotated(d.desc, s.desc, code + 8 * rng.Range(0, 3)));
    out.Add(d);
}
