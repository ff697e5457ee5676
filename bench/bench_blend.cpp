// Blend modes against pixman's matching operators on the same memory, and
// against a memcpy of the same bytes. Subtract has no pixman operator; its
// yardstick is the other build of the library and memcpy.
#include <string.h>

#include <vector>

#include "bench/bench_util.h"

#ifdef KV_HAVE_PIXMAN
#define PEER_OP(op) op
#else
#define PEER_OP(op) 0
#endif

using namespace kvbench;

namespace {

using SourceFn = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &);
using MaskedFn = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &, TSurfDesc &, const CPunto &);

struct ModeInfo {
    const char *name;
    SourceFn source;
    MaskedFn masked;
    int op;
    bool hasPeer;
};
const ModeInfo kModes[] = {
    {"Suma", DoSuma, DoSuma, PEER_OP(PIXMAN_OP_ADD), true},
    {"Resta", DoResta, DoResta, PEER_OP(PIXMAN_OP_ADD), false},
    {"Multiplica", DoMultiplica, DoMultiplica, PEER_OP(PIXMAN_OP_MULTIPLY), true},
    {"Screen", DoScreen, DoScreen, PEER_OP(PIXMAN_OP_SCREEN), true},
    {"Lighten", DoLighten, DoLighten, PEER_OP(PIXMAN_OP_LIGHTEN), true},
    {"Darken", DoDarken, DoDarken, PEER_OP(PIXMAN_OP_DARKEN), true},
    {"Superponer", DoSuperponer, DoSuperponer, PEER_OP(PIXMAN_OP_OVERLAY), true},
};

struct Pair {
    TestSurface dst, src, mask;
    Pair(int kind, Dim sz) : dst(kind, sz.w, sz.h), src(kind, sz.w, sz.h), mask(8, sz.w, sz.h) {
        kvtest::Rng rng(7);
        dst.Randomize(rng);
        src.Randomize(rng);
        mask.Randomize(rng);
    }
};

void Ours(benchmark::State &st, const ModeInfo *m, int kind, Dim sz) {
    Pair p(kind, sz);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { m->source(p.dst.desc, r, p.src.desc, CPunto(0, 0)); });
}

void OursMasked(benchmark::State &st, const ModeInfo *m, int kind, Dim sz) {
    Pair p(kind, sz);
    const CRectangulo r(0, 0, sz.w, sz.h);
    TimePixels(st, sz, [&] { m->masked(p.dst.desc, r, p.src.desc, CPunto(0, 0), p.mask.desc, CPunto(0, 0)); });
}

#ifdef KV_HAVE_PIXMAN
void Pixman(benchmark::State &st, const ModeInfo *m, bool masked, Dim sz) {
    Pair p(32, sz);
    // pixman wants a8 rows on 4-byte boundaries; the widths used here are.
    TimeComposite(st, sz, pixman_op_t(m->op), PixmanOver(p.src, PIXMAN_a8r8g8b8),
                  masked ? PixmanOver(p.mask, PIXMAN_a8) : nullptr, PixmanOver(p.dst, PIXMAN_a8r8g8b8));
}
#endif

void Memcpy(benchmark::State &st, int kind, Dim sz) {
    Pair p(kind, sz);
    const size_t n = size_t(p.dst.desc.scanWidth) * sz.h;
    TimePixels(st, sz, [&] { memcpy(p.dst.desc.bits, p.src.desc.bits, n); });
}

int Register() {
    const int kinds[] = {32, 24, 16};
    for (const ModeInfo &m : kModes) {
        for (int kind : kinds) {
            const std::string k = kvtest::KindByNumber(kind).name;
            for (const Dim &sz : kSizes) {
                const std::string g = "Do" + std::string(m.name) + "_" + k;
                benchmark::RegisterBenchmark(Name(g, "ours", sz).c_str(), Ours, &m, kind, sz);
#ifdef KV_HAVE_PIXMAN
                if (kind == 32 && m.hasPeer)
                    benchmark::RegisterBenchmark(Name(g, "pixman", sz).c_str(), Pixman, &m, false, sz);
#endif
                benchmark::RegisterBenchmark(Name(g, "memcpy", sz).c_str(), Memcpy, kind, sz);
                if (kind == 32) {
                    const std::string gm = g + "_masked";
                    benchmark::RegisterBenchmark(Name(gm, "ours", sz).c_str(), OursMasked, &m, kind, sz);
#ifdef KV_HAVE_PIXMAN
                    if (m.hasPeer) benchmark::RegisterBenchmark(Name(gm, "pixman", sz).c_str(), Pixman, &m, true, sz);
#endif
                }
            }
        }
    }
    return 0;
}
const int registered = Register();

}  // namespace
