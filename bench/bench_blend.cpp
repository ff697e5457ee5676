// Blend modes against pixman's matching operators on the same memory, and
// against a memcpy of the same bytes (565's stands for 555's too). Subtract
// has no pixman operator: on 16 bits, where the game draws, pixman's add is
// its yardstick; elsewhere the other build of the library and memcpy.
#include <string>

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
    bool peer32;  // pixman has the operator itself
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

void Ours(benchmark::State &st, const ModeInfo &m, bool masked, int kind, Dim sz) {
    Images p(kind, sz, 7);
    const CRectangulo r(0, 0, sz.w, sz.h);
    if (masked)
        TimePixels(st, sz, [&] { m.masked(p.dst.desc, r, p.src.desc, CPunto(0, 0), p.mask.desc, CPunto(0, 0)); });
    else
        TimePixels(st, sz, [&] { m.source(p.dst.desc, r, p.src.desc, CPunto(0, 0)); });
}

#ifdef KV_HAVE_PIXMAN
void Pixman(benchmark::State &st, const ModeInfo &m, bool masked, int kind, Dim sz) {
    Images p(kind, sz, 7);
    // pixman wants a8 rows on 4-byte boundaries; the widths used here are.
    TimeComposite(st, sz, pixman_op_t(m.op), PixmanOver(p.src, PixmanFormat(kind)),
                  masked ? PixmanOver(p.mask, PIXMAN_a8) : nullptr, PixmanOver(p.dst, PixmanFormat(kind)));
}
#endif

int Register() {
    for (const ModeInfo &m : kModes) {
        const std::string g = "Do" + std::string(m.name) + "_";
        auto ours = [&m](bool masked) -> KindRun {
            return [&m, masked](benchmark::State &st, int kind, Dim sz) { Ours(st, m, masked, kind, sz); };
        };
        RegisterByKind({32, 24, 16, 17}, {{g, "ours", ours(false)}});
        RegisterByKind({32, 24, 16}, {{g, "memcpy", MemcpyFloor}});
        RegisterByKind({32, 16, 17}, {{g, "ours", ours(true), "_masked"}});
#ifdef KV_HAVE_PIXMAN
        auto pixman = [&m](bool masked) -> KindRun {
            return [&m, masked](benchmark::State &st, int kind, Dim sz) { Pixman(st, m, masked, kind, sz); };
        };
        // 24 bits has no pixman layout with the same bytes.
        RegisterByKind(m.peer32 ? std::vector<int>{32, 16, 17} : std::vector<int>{16, 17},
                       {{g, "pixman", pixman(false)}, {g, "pixman", pixman(true), "_masked"}});
#endif
    }
    return 0;
}
const int registered = Register();

}  // namespace
