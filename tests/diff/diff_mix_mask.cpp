// Mixing and masked drawing: every form, every destination kind, sources and
// maps of every depth, random rectangles and levels.
#include <string.h>

#include <memory>
#include <vector>

#include "tests/diff/diff.h"

using kvtest::RandomRect;
using kvtest::RandomSurface;
using kvtest::TestSurface;

namespace {

int KindOf(int caseNo) { return kvtest::AllKinds()[caseNo % 7]; }

// A random table; every entry is reachable.
struct Table {
    std::vector<unsigned char> mem;
    unsigned char (*t)[65536];
    explicit Table(kvtest::Rng &rng) : mem(2 * 65536) {
        for (unsigned char &b : mem) b = static_cast<unsigned char>(rng.U32());
        t = reinterpret_cast<unsigned char(*)[65536]>(mem.data());
    }
};

unsigned short RandomLevel(kvtest::Rng &rng) {
    static const int fixed[] = {0, 1, 64, 128, 192, 254, 255, 256, 300};
    return rng.Chance(40) ? (unsigned short)fixed[rng.Range(0, 8)] : (unsigned short)rng.Range(0, 256);
}

// A source of the destination's kind most of the time, else 8-bit or any.
int SourceKind(kvtest::Rng &rng, int kind) {
    const int r = rng.Range(0, 9);
    if (r < 6) return kind;
    if (r < 9) return 8;
    return kvtest::AllKinds()[rng.Range(0, 6)];
}

// Alpha maps and masks with long runs of 0 and 255, as real ones have.
void Runs(kvtest::Rng &rng, TestSurface &s) {
    if (!rng.Chance(70)) return;
    const int bytes = int(s.desc.bpp / 8);
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width; ++x) {
            const int r = rng.Range(0, 3);
            if (r < 2) s.Row(y)[x * bytes] = r ? 255 : 0;
        }
}

}  // namespace

DIFF_CASE(DrawMixLevel, 600) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> dst(RandomSurface(rng, kind, 41, 13));
    std::unique_ptr<TestSurface> src(RandomSurface(rng, SourceKind(rng, kind), 45, 15));
    if (rng.Chance(30)) src->desc.palette = nullptr;
    Table tab(rng);
    const CRectangulo r = RandomRect(rng, dst->desc.width, dst->desc.height);
    const CPunto p(rng.Range(-3, 8), rng.Range(-3, 4));
    const unsigned short level = RandomLevel(rng);
    out.Add(DrawMix(dst->desc, r, level, src->desc, p, tab.t) ? 1 : 0);
    if (kind == 8) out.Add(DrawMix_8Bits(dst->desc, r, level, src->desc, p, tab.t) ? 1 : 0);
    out.Add(*dst);
}

DIFF_CASE(DrawMixAlpha, 600) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> dst(RandomSurface(rng, kind, 41, 13));
    std::unique_ptr<TestSurface> src(RandomSurface(rng, SourceKind(rng, kind), 45, 15));
    std::unique_ptr<TestSurface> alpha(RandomSurface(rng, rng.Chance(60) ? 8 : SourceKind(rng, kind), 45, 15));
    Runs(rng, *alpha);
    Table tab(rng);
    const CRectangulo r = RandomRect(rng, dst->desc.width, dst->desc.height);
    const CPunto ap(rng.Range(-3, 8), rng.Range(-3, 4)), sp(rng.Range(-3, 8), rng.Range(-3, 4));
    out.Add(DrawMix(dst->desc, r, alpha->desc, ap, src->desc, sp, tab.t) ? 1 : 0);
    if (kind == 8) out.Add(DrawMix_8Bits(dst->desc, r, alpha->desc, ap, src->desc, sp, tab.t) ? 1 : 0);
    out.Add(DrawMix(dst->desc, r, alpha->desc, ap, src->desc, sp, RandomLevel(rng)) ? 1 : 0);
    out.Add(*dst);
}

DIFF_CASE(DrawMask, 500) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> dst(RandomSurface(rng, kind, 41, 13));
    std::unique_ptr<TestSurface> mask(RandomSurface(rng, rng.Chance(60) ? 8 : SourceKind(rng, kind), 45, 15));
    Runs(rng, *mask);
    Table tab(rng);
    const CRectangulo r = RandomRect(rng, dst->desc.width, dst->desc.height);
    const CPunto mp(rng.Range(-3, 8), rng.Range(-3, 4));
    const unsigned long color = rng.U32();
    out.Add(DrawMask(dst->desc, r, mask->desc, mp, color, tab.t) ? 1 : 0);
    if (kind == 8) out.Add(DrawMask_8Bits(dst->desc, r, mask->desc, mp, color, tab.t) ? 1 : 0);
    const unsigned short strength = (unsigned short)(rng.Chance(50) ? rng.Range(0, 300) : rng.U32());
    out.Add(DrawBiMask(dst->desc, strength, r, mask->desc, mp, tab.t) ? 1 : 0);
    if (kind == 8) out.Add(DrawBiMask_8Bits(dst->desc, strength, r, mask->desc, mp, tab.t) ? 1 : 0);
    out.Add(*dst);
}

namespace {

// No key, a random one, or a value the background holds in runs.
void BackgroundKey(kvtest::Rng &rng, TestSurface &bg) {
    const int r = rng.Range(0, 2);
    if (r == 0) return;
    if (r == 1) {
        bg.desc.transColor = rng.U32() & 0xFFFFFFFEu;
        return;
    }
    const int bytes = int(bg.desc.bpp / 8);
    uint32_t v = 0;
    memcpy(&v, bg.desc.bits, bytes);
    bg.desc.transColor = v ^ (rng.U32() & 0xFF000000u);
    for (int y = 0; y < bg.desc.height; ++y)
        for (int x = 0; x < bg.desc.width; ++x)
            if (rng.Chance(40)) memcpy(bg.Row(y) + x * bytes, &v, bytes);
}

}  // namespace

DIFF_CASE(DrawMixBackground, 500) {
    const int kind = KindOf(caseNo);
    std::unique_ptr<TestSurface> dst(RandomSurface(rng, kind, 41, 13));
    std::unique_ptr<TestSurface> src(RandomSurface(rng, SourceKind(rng, kind), 45, 15));
    std::unique_ptr<TestSurface> bg(RandomSurface(rng, SourceKind(rng, kind), 45, 15));
    std::unique_ptr<TestSurface> alpha(RandomSurface(rng, rng.Chance(70) ? 8 : SourceKind(rng, kind), 45, 15));
    Runs(rng, *alpha);
    BackgroundKey(rng, *bg);
    if (rng.Chance(20)) bg->desc.palette = nullptr;
    Table tab(rng);
    const CRectangulo r = RandomRect(rng, dst->desc.width, dst->desc.height);
    const CPunto ap(rng.Range(-3, 8), rng.Range(-3, 4)), sp(rng.Range(-3, 8), rng.Range(-3, 4)),
        bp(rng.Range(0, 8), rng.Range(0, 4));
    auto table = rng.Chance(10) ? static_cast<unsigned char(*)[65536]>(nullptr) : tab.t;
    out.Add(DrawMix(dst->desc, r, RandomLevel(rng), src->desc, sp, bg->desc, bp, table) ? 1 : 0);
    out.Add(*dst);
    out.Add(DrawMix(dst->desc, r, alpha->desc, ap, src->desc, sp, bg->desc, bp, table) ? 1 : 0);
    out.Add(*dst);
}
