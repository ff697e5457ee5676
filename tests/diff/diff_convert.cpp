#include <memory>

#include "tests/diff/diff.h"

using kvtest::RandomSurface;
using kvtest::TestSurface;

namespace {

uint32_t RandomKey(kvtest::Rng &rng) {
    const int c = rng.Range(0, 3);
    if (c == 0) return 0xFFFFFFFFu;
    if (c == 1) return rng.U32() & 0xFFFF;
    return rng.U32() >> rng.Range(0, 8);
}

// A destination usually as large as the source, sometimes smaller.
TestSurface *DestFor(kvtest::Rng &rng, int kind, const TestSurface &src) {
    const bool small = rng.Chance(15);
    const int w = small ? rng.Range(1, src.desc.width) : src.desc.width + rng.Range(0, 3);
    const int h = small ? rng.Range(1, src.desc.height) : src.desc.height + rng.Range(0, 2);
    TestSurface *d = new TestSurface(kind, w, h, rng.Chance(50) ? rng.Range(1, 9) : 0);
    d->Randomize(rng);
    d->desc.transColor = rng.U32();
    if (rng.Chance(40)) d->desc.aMask |= 0xFF000000u;
    return d;
}

}  // namespace

DIFF_CASE(Convert, 49 * 12) {
    const int sk = kvtest::AllKinds()[caseNo % 7], dk = kvtest::AllKinds()[caseNo / 7 % 7];
    // Wide images now and then, so the 8-bit search builds its cubes.
    const bool big = rng.Chance(30);
    std::unique_ptr<TestSurface> s(RandomSurface(rng, sk, big ? 90 : 37, big ? 40 : 13));
    std::unique_ptr<TestSurface> d(DestFor(rng, dk, *s));
    s->desc.transColor = RandomKey(rng);
    if (rng.Chance(25)) s->desc.palette = nullptr;
    if (rng.Chance(15)) d->desc.palette = nullptr;
    const unsigned long mode = unsigned(caseNo / 49 % 6);
    out.Add(Convert(d->desc, s->desc, mode));
    out.Add(d->desc.transColor);
    out.Add(*d);
}

DIFF_CASE(NamedConversions, 16 * 20) {
    struct Named {
        bool (*fn)(TSurfDesc &, TSurfDesc &);
        int sk, dk;
    };
    static const Named all[] = {
        {Convert32_24_, 32, 24},
        {Convert24_32_, 24, 32},
        {Convert16_565_16_555, 16, 17},
        {Convert16_565_16_5551, 16, 18},
        {Convert16_565_16_4444, 16, 19},
        {Convert16_555_16_565, 17, 16},
        {Convert16_5551_16_565, 18, 16},
        {Convert16_555_16_4444, 17, 19},
        {Convert16_5551_16_4444, 18, 19},
        {Convert16_555_16_5551, 17, 18},
        {Convert16_5551_16_555, 18, 17},
        {Convert16_4444_16_565, 19, 16},
        {Convert16_4444_16_555, 19, 17},
        {Convert16_4444_16_5551, 19, 18},
        {Convert8_8, 8, 8},
        {CopyImage, 0, 0},
    };
    const Named &n = all[caseNo % 16];
    const int sk = n.sk ? n.sk : kvtest::AllKinds()[caseNo / 16 % 7];
    std::unique_ptr<TestSurface> s(RandomSurface(rng, sk, 41, 11));
    std::unique_ptr<TestSurface> d(DestFor(rng, n.dk ? n.dk : sk, *s));
    if (n.fn == CopyImage && rng.Chance(50))  // equal pitches: one block
        d.reset(new TestSurface(sk, s->desc.width, s->desc.height, s->desc.scanWidth - s->RowBytes()));
    s->desc.transColor = RandomKey(rng);
    out.Add(n.fn(d->desc, s->desc));
    out.Add(d->desc.transColor);
    out.Add(*d);
}

DIFF_CASE(Palettes, 4) {
    TRGBA p[256];
    for (TRGBA &e : p) e = TRGBA{uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32())};
    if (caseNo % 2)
        CreateTruncPal(p);
    else
        CreateGreyPal(p);
    out.Add(p, sizeof p);
}
