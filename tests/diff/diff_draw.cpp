#include <memory>

#include "tests/diff/diff.h"

using kvtest::RandomRect;
using kvtest::RandomSurface;
using kvtest::TestSurface;

namespace {

int KindOf(int caseNo) { return kvtest::AllKinds()[caseNo % 7]; }

CPunto RandomPoint(kvtest::Rng &rng, const TSurfDesc &s) {
    return CPunto(rng.Range(-s.width / 2 - 3, s.width + 3), rng.Range(-s.height / 2 - 3, s.height + 3));
}

}  // namespace

DIFF_CASE(FillsFramesShadows, 140) {
    std::unique_ptr<TestSurface> s(RandomSurface(rng, KindOf(caseNo), 41, 23));
    for (int i = 0; i < 4; ++i) {
        out.Add(IdxFillRect(s->desc, RandomRect(rng, s->desc.width, s->desc.height), rng.U32()));
        out.Add(IdxLineHI(s->desc, RandomPoint(rng, s->desc), rng.Range(-20, 20), rng.U32()));
        out.Add(IdxLineVI(s->desc, RandomPoint(rng, s->desc), rng.Range(-20, 20), rng.U32()));
        out.Add(FrameBR(s->desc, RandomRect(rng, s->desc.width, s->desc.height), rng.U32()));
        out.Add(DrawRectShadow(s->desc, RandomRect(rng, s->desc.width, s->desc.height), uint8_t(rng.Range(0, 4)),
                               uint8_t(rng.Range(0, 9))));
    }
    out.Add(*s);
}

DIFF_CASE(MaskFillRect, 210) {
    std::unique_ptr<TestSurface> s(RandomSurface(rng, KindOf(caseNo), 45, 17));
    for (int i = 0; i < 3; ++i) {
        const int pick = rng.Range(0, 9);
        const unsigned short level = pick == 0   ? 255
                                     : pick == 1 ? 0
                                     : pick == 2 ? uint16_t(rng.Range(256, 600))
                                                 : uint16_t(rng.Range(0, 255));
        out.Add(MaskFillRect(s->desc, RandomRect(rng, s->desc.width, s->desc.height), rng.U32(), level));
    }
    out.Add(*s);
}

DIFF_CASE(MaskFillRect8, 40) {
    static unsigned char tables[2][65536];
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 65536; ++k) tables[t][k] = uint8_t((k * 2654435761u) >> (24 - t));
    std::unique_ptr<TestSurface> s(RandomSurface(rng, 8, 37, 19));
    out.Add(MaskFillRect_8Bits(s->desc, RandomRect(rng, s->desc.width, s->desc.height), rng.U32(),
                               uint16_t(rng.Range(0, 300)), tables));
    out.Add(*s);
}

DIFF_CASE(Line, 280) {
    std::unique_ptr<TestSurface> s(RandomSurface(rng, KindOf(caseNo), 48, 31));
    for (int i = 0; i < 6; ++i) {
        const CPunto a = RandomPoint(rng, s->desc), b = RandomPoint(rng, s->desc);
        out.Add(Line(s->desc, a, b, rng.U32(), uint16_t(rng.Range(0, 300)), rng.Chance(50), rng.Range(-1, 7)));
    }
    out.Add(*s);
}

DIFF_CASE(FlipTranslate, 140) {
    std::unique_ptr<TestSurface> s(RandomSurface(rng, KindOf(caseNo), 33, 9));
    unsigned char table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint8_t(rng.U32());
    out.Add(FlipX(s->desc));
    for (int i = 0; i < 3; ++i) {
        const float amount = float(rng.Range(-200, 1200)) / 1000.0f;
        out.Add(TranslateRect(s->desc, RandomRect(rng, s->desc.width, s->desc.height), amount, table));
    }
    out.Add(*s);
}

DIFF_CASE(DrawBlock, 140) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> d(RandomSurface(rng, kind, 30, 20)), src(RandomSurface(rng, kind, 30, 20));
    for (int i = 0; i < 3; ++i)
        out.Add(DrawBlock(d->desc, rng.Chance(25) ? d->desc : src->desc, uint16_t(rng.Range(0, 32)),
                          uint16_t(rng.Range(0, 22)), uint16_t(rng.Range(0, 32)), uint16_t(rng.Range(0, 22)),
                          uint16_t(rng.Range(0, 30)), uint16_t(rng.Range(0, 20))));
    out.Add(*d);
}

DIFF_CASE(Rellena, 140) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> s(RandomSurface(rng, kind, 40, 30));
    // Few colours, so regions grow.
    const unsigned long colours[3] = {0x00204080, 0x00204088, 0x00FF0000};
    for (int y = 0; y < s->desc.height; ++y)
        for (int x = 0; x < s->desc.width; ++x) SetPixel(s->desc, x, y, colours[rng.Range(0, 2)]);
    TestSurface mask(8, s->desc.width - rng.Range(0, 2), s->desc.height - rng.Range(0, 2), rng.Range(0, 3));
    mask.Fill(0);
    out.Add(Rellena(s->desc, mask.desc, rng.Range(-1, s->desc.width), rng.Range(-1, s->desc.height),
                    uint32_t(rng.Range(0, 20)), colours[rng.Range(0, 1)], rng.U32()));
    out.Add(*s);
    out.Add(mask);
}
