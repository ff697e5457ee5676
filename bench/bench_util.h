// Naming rule the report script relies on:
//   GROUP/ours/WxH     the library's kernel
//   GROUP/PEER/WxH     the peer it is measured against, in the same process
#ifndef KORVANTE_BENCH_UTIL_H
#define KORVANTE_BENCH_UTIL_H

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "tests/common/testsurf.h"

// The peers that were found; a missing one leaves its rows out.
#ifdef KV_HAVE_PIXMAN
#include <pixman.h>
#endif
#ifdef KV_HAVE_SDL2
#include <SDL2/SDL.h>
#endif

namespace kvbench {

using kvtest::TestSurface;

struct Dim {
    int w, h;
};
inline const Dim kSizes[] = {{640, 480}, {1920, 1080}};

inline std::string Name(const std::string &group, const std::string &impl, const Dim &s) {
    return group + "/" + impl + "/" + std::to_string(s.w) + "x" + std::to_string(s.h);
}

inline void SetPixelsProcessed(benchmark::State &st, const Dim &s) {
    st.SetItemsProcessed(int64_t(st.iterations()) * s.w * s.h);
}

// Random pixels from a fixed seed, the same on every run.
inline void Randomize(TestSurface &s, uint64_t seed) {
    kvtest::Rng rng(seed);
    s.Randomize(rng);
}

// The timed loop: one call of `pass` per iteration, its stores kept, counted
// as the pixels of a w x h image.
template <class Pass>
void TimePixels(benchmark::State &st, const Dim &sz, Pass pass) {
    for (auto _ : st) {
        pass();
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

// Registration tables, each row GROUP/IMPL: every row for one size, then the
// next size; by kind, the group is PREFIX plus the kind's name ("565") and
// every kind takes all sizes before the next kind.
struct SizeRow {
    const char *group, *impl;
    void (*run)(benchmark::State &, Dim);
};
inline int RegisterBySize(std::initializer_list<SizeRow> rows) {
    for (const Dim &sz : kSizes)
        for (const SizeRow &r : rows) benchmark::RegisterBenchmark(Name(r.group, r.impl, sz).c_str(), r.run, sz);
    return 0;
}

struct KindRow {
    const char *prefix, *impl;
    void (*run)(benchmark::State &, int kind, Dim);
};
inline int RegisterByKind(const std::vector<int> &kinds, std::initializer_list<KindRow> rows) {
    for (int kind : kinds)
        for (const Dim &sz : kSizes)
            for (const KindRow &r : rows) {
                const std::string g = r.prefix + std::string(kvtest::KindByNumber(kind).name);
                benchmark::RegisterBenchmark(Name(g, r.impl, sz).c_str(), r.run, kind, sz);
            }
    return 0;
}

#ifdef KV_HAVE_PIXMAN
// A pixman image over a test surface's own pixels.
inline pixman_image_t *PixmanOver(TestSurface &s, pixman_format_code_t format) {
    return pixman_image_create_bits(format, s.desc.width, s.desc.height, reinterpret_cast<uint32_t *>(s.desc.bits),
                                    s.desc.scanWidth);
}

// Times one composite of the whole w x h area per iteration, then lets go of
// the images (mask may be null).
inline void TimeComposite(benchmark::State &st, const Dim &sz, pixman_op_t op, pixman_image_t *src,
                          pixman_image_t *mask, pixman_image_t *dst) {
    TimePixels(st, sz, [&] { pixman_image_composite32(op, src, mask, dst, 0, 0, 0, 0, 0, 0, sz.w, sz.h); });
    for (pixman_image_t *i : {mask, src, dst})
        if (i) pixman_image_unref(i);
}
#endif

#ifdef KV_HAVE_SDL2
// An SDL surface over a test surface's own pixels.
inline SDL_Surface *SdlOver(TestSurface &s, Uint32 format) {
    return SDL_CreateRGBSurfaceWithFormatFrom(s.desc.bits, s.desc.width, s.desc.height, int(s.desc.bpp),
                                              s.desc.scanWidth, format);
}
#endif

}  // namespace kvbench

#endif
