#include <math.h>
#include <string.h>

#include <memory>

#include "tests/diff/diff.h"

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
        case 0:
            out.Add(FiltroMotionMask(d->desc, s->desc, r, p, rng.Range(-10, 400)));
            break;
        case 1:
            out.Add(FiltroMotionBlur(d->desc, s->desc, r, p, rng.U32(), rng.Range(-2, 12), angle));
            break;
        default:
            out.Add(FiltroBrilloBlur(d->desc, s->desc, r, p, rng.U32(), rng.Range(-2, 12), angle));
            break;
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

// Nearest-neighbour sampling over size pairs up to 2500 pixels, one row or
// one column at a time: the indices taken must not depend on the target or
// on the x87 precision.
DIFF_CASE(NearestSizePairs, 700) {
    const int kind = KindOf(caseNo);
    const int limit = caseNo < 350 ? 64 : 2500;
    const int sw = rng.Range(1, limit), dw = rng.Range(1, limit);
    const bool rows = caseNo / 7 % 2 == 1;
    TestSurface s(kind, rows ? 1 : sw, rows ? sw : 1, rng.Range(0, 5)),
        d(kind, rows ? 1 : dw, rows ? dw : 1, rng.Range(0, 5));
    s.Randomize(rng);
    d.Randomize(rng);
    const CRectangulo sr = rows ? CRectangulo(0, 0, 1, sw) : CRectangulo(0, 0, sw, 1);
    const CRectangulo dr = rows ? CRectangulo(0, 0, 1, dw) : CRectangulo(0, 0, dw, 1);
    out.Add(BltStrech(d.desc, dr, s.desc, sr, rng.Chance(50)));
    out.Add(d);
}

// Blur passes at every multiple of pi / 8 from -2 pi to 2 pi (as floats) and
// at random angles, over a source large enough for every shifted block.
DIFF_CASE(BlurAngles, 396) {
    static const float kEighths[33] = {
        -0x1.921fb60000000p+2f,
        -0x1.78fdba0000000p+2f,
        -0x1.5fdbbe0000000p+2f,
        -0x1.46b9c40000000p+2f,
        -0x1.2d97c80000000p+2f,
        -0x1.1475cc0000000p+2f,
        -0x1.f6a7a20000000p+1f,
        -0x1.c463ac0000000p+1f,
        -0x1.921fb60000000p+1f,
        -0x1.5fdbbe0000000p+1f,
        -0x1.2d97c80000000p+1f,
        -0x1.f6a7a20000000p+0f,
        -0x1.921fb60000000p+0f,
        -0x1.2d97c80000000p+0f,
        -0x1.921fb60000000p-1f,
        -0x1.921fb60000000p-2f,
        0x0.0p+0f,
        0x1.921fb60000000p-2f,
        0x1.921fb60000000p-1f,
        0x1.2d97c80000000p+0f,
        0x1.921fb60000000p+0f,
        0x1.f6a7a20000000p+0f,
        0x1.2d97c80000000p+1f,
        0x1.5fdbbe0000000p+1f,
        0x1.921fb60000000p+1f,
        0x1.c463ac0000000p+1f,
        0x1.f6a7a20000000p+1f,
        0x1.1475cc0000000p+2f,
        0x1.2d97c80000000p+2f,
        0x1.46b9c40000000p+2f,
        0x1.5fdbbe0000000p+2f,
        0x1.78fdba0000000p+2f,
        0x1.921fb60000000p+2f,
    };
    const int kind = kvtest::AllKinds()[1 + caseNo % 6];  // no 8-bit destination
    float angle;
    if (caseNo % 66 < 33) {
        angle = kEighths[caseNo % 66];
    } else {  // any float in (-16, 16) on a 2^-16 grid, exact on every FPU
        angle = float(rng.Range(-1048575, 1048575)) * (1.0f / 65536);
    }
    TestSurface d(kind, 7, 5, rng.Range(0, 3));
    TestSurface s(rng.Chance(50) ? 8 : kind, 64, 64, rng.Range(0, 3));
    d.Randomize(rng);
    s.Randomize(rng);
    const CRectangulo r(rng.Range(-1, 2), rng.Range(-1, 2), rng.Range(4, 8), rng.Range(3, 6));
    const CPunto at(rng.Range(28, 32), rng.Range(28, 32));
    const int passes = rng.Range(2, 40);
    if (caseNo / 66 % 2)
        out.Add(FiltroBrilloBlur(d.desc, s.desc, r, at, rng.U32(), passes, angle));
    else
        out.Add(FiltroMotionBlur(d.desc, s.desc, r, at, rng.U32(), passes, angle));
    out.Add(d);
}
