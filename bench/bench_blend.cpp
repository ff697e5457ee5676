// Blend modes against pixman's matching operators on the same memory, and
// against a memcpy of the same bytes. Subtract has no pixman operator; its
// yardstick is the other build of the library and memcpy.
#include <string.h>

#include <vector>

#include "bench/bench_util.h"
#include "tests/common/testsurf.h"

#ifdef KV_HAVE_PIXMAN
#include <pixman.h>
#define PEER_OP(op) op
#else
#define PEER_OP(op) 0
#endif

using namespace kvbench;
using kvtest::TestSurface;

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
    for (auto _ : st) {
        m->source(p.dst.desc, r, p.src.desc, CPunto(0, 0));
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

void OursMasked(benchmark::State &st, const ModeInfo *m, int kind, Dim sz) {
    Pair p(kind, sz);
    const CRectangulo r(0, 0, sz.w, sz.h);
    for (auto _ : st) {
        m->masked(p.dst.desc, r, p.src.desc, CPunto(0, 0), p.mask.desc, CPunto(0, 0));
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

#ifdef KV_HAVE_PIXMAN
void Pixman(benchmark::State &st, const ModeInfo *m, bool masked, Dim sz) {
    Pair p(32, sz);
    pixman_image_t *d = pixman_image_create_bits(PIXMAN_a8r8g8b8, sz.w, sz.h,
                                                 reinterpret_cast<uint32_t *>(p.dst.desc.bits), p.dst.desc.scanWidth);
    pixman_image_t *s = pixman_image_create_bits(PIXMAN_a8r8g8b8, sz.w, sz.h,
                                                 reinterpret_cast<uint32_t *>(p.src.desc.bits), p.src.desc.scanWidth);
    // pixman wants a8 rows on 4-byte boundaries; the widths used here are.
    pixman_image_t *k = masked ? pixman_image_create_bits(PIXMAN_a8, sz.w, sz.h,
                                                          reinterpret_cast<uint32_t *>(p.mask.desc.bits),
                                                          p.mask.desc.scanWidth)
                               : nullptr;
    for (auto _ : st) {
        pixman_image_composite32(pixman_op_t(m->op), s, k, d, 0, 0, 0, 0, 0, 0, sz.w, sz.h);
        benchmark::ClobberMemory();
    }
    if (k) pixman_image_unref(k);
    pixman_image_unref(s);
    pixman_image_unref(d);
    SetPixelsProcessed(st, sz);
}
#endif

void Memcpy(benchmark::State &st, int kind, Dim sz) {
    Pair p(kind, sz);
    const size_t n = size_t(p.dst.desc.scanWidth) * sz.h;
    for (auto _ : st) {
        memcpy(p.dst.desc.bits, p.src.desc.bits, n);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
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
