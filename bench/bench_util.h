// Naming rule the report script relies on:
//   GROUP/ours/WxH     the library's kernel
//   GROUP/PEER/WxH     the peer it is measured against, in the same process
#ifndef KORVANTE_BENCH_UTIL_H
#define KORVANTE_BENCH_UTIL_H

#include <benchmark/benchmark.h>

#include <string.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
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

// Random bytes from the generator, eight a draw: every repetition's set-up
// fills megabytes.
inline void FillRandom(uint8_t *p, size_t n, kvtest::Rng &rng) {
    for (size_t i = 0; i < n; i += 8) {
        const uint64_t v = rng.Next();
        memcpy(p + i, &v, n - i < 8 ? n - i : 8);
    }
}
inline void Randomize(TestSurface &s, kvtest::Rng &rng) {
    for (int y = 0; y < s.desc.height; ++y) FillRandom(s.Row(y), size_t(s.RowBytes()), rng);
}
// Random pixels from a fixed seed, the same on every run.
inline void Randomize(TestSurface &s, uint64_t seed) {
    kvtest::Rng rng(seed);
    Randomize(s, rng);
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
// next size; by kind, the group is PREFIX plus the kind's name ("565") plus
// SUFFIX, and every kind takes all sizes before the next kind.
struct SizeRow {
    const char *group, *impl;
    void (*run)(benchmark::State &, Dim);
};
inline int RegisterBySize(std::initializer_list<SizeRow> rows) {
    for (const Dim &sz : kSizes)
        for (const SizeRow &r : rows) benchmark::RegisterBenchmark(Name(r.group, r.impl, sz).c_str(), r.run, sz);
    return 0;
}

using KindRun = std::function<void(benchmark::State &, int kind, Dim)>;
struct KindRow {
    std::string prefix;
    const char *impl;
    KindRun run;
    std::string suffix = "";
};
inline int RegisterByKind(const std::vector<int> &kinds, const std::vector<KindRow> &rows) {
    for (int kind : kinds)
        for (const Dim &sz : kSizes)
            for (const KindRow &r : rows) {
                const std::string g = r.prefix + kvtest::KindByNumber(kind).name + r.suffix;
                benchmark::RegisterBenchmark(Name(g, r.impl, sz).c_str(),
                                             [run = r.run, kind, sz](benchmark::State &st) { run(st, kind, sz); });
            }
    return 0;
}

// A destination, a source of the same kind and an 8-bit mask, random.
struct Images {
    TestSurface dst, src, mask;
    Images(int kind, Dim sz, uint64_t seed) : dst(kind, sz.w, sz.h), src(kind, sz.w, sz.h), mask(8, sz.w, sz.h) {
        kvtest::Rng rng(seed);
        Randomize(dst, rng);
        Randomize(src, rng);
        Randomize(mask, rng);
    }
};

// The floor for operations that read one image and write another of the
// same size: a memcpy of the same bytes.
inline void MemcpyFloor(benchmark::State &st, int kind, Dim sz) {
    TestSurface a(kind, sz.w, sz.h), b(kind, sz.w, sz.h);
    Randomize(a, 5);
    const size_t n = size_t(a.desc.scanWidth) * sz.h;
    TimePixels(st, sz, [&] { memcpy(b.desc.bits, a.desc.bits, n); });
}

// A group of ours and one peer that every build has.
inline std::vector<KindRow> Beside(const std::string &prefix, KindRun ours, const char *impl, KindRun peer) {
    return {{prefix, "ours", std::move(ours)}, {prefix, impl, std::move(peer)}};
}

// A mix table for the 8-bit kernels that map colours back to indices: any
// table serves the timing, every pixel is looked up alike.
inline unsigned char (*MixTable())[65536] {
    static unsigned char table[2][65536];
    static bool filled = false;
    for (int k = 0; !filled && k < 65536; ++k) table[0][k] = table[1][k] = uint8_t(k >> 8);
    filled = true;
    return table;
}

#ifdef KV_HAVE_PIXMAN
// A pixman image over a test surface's own pixels.
inline pixman_image_t *PixmanOver(TestSurface &s, pixman_format_code_t format) {
    return pixman_image_create_bits(format, s.desc.width, s.desc.height, reinterpret_cast<uint32_t *>(s.desc.bits),
                                    s.desc.scanWidth);
}

// The pixman format of a kind's layout (8 bits has none).
inline pixman_format_code_t PixmanFormat(int kind) {
    return kind == 16 ? PIXMAN_r5g6b5 : kind == 17 ? PIXMAN_x1r5g5b5 : kind == 24 ? PIXMAN_r8g8b8 : PIXMAN_a8r8g8b8;
}

// Times one composite of the whole w x h area per iteration, then lets go of
// the images (mask may be null).
inline void TimeComposite(benchmark::State &st, const Dim &sz, pixman_op_t op, pixman_image_t *src,
                          pixman_image_t *mask, pixman_image_t *dst) {
    TimePixels(st, sz, [&] { pixman_image_composite32(op, src, mask, dst, 0, 0, 0, 0, 0, 0, sz.w, sz.h); });
    for (pixman_image_t *i : {mask, src, dst})
        if (i) pixman_image_unref(i);
}

// Times a solid colour (premultiplied) laid OVER the destination, through
// an 8-bit mask if there is one.
inline void TimeSolidOver(benchmark::State &st, const Dim &sz, const pixman_color_t &c, TestSurface *mask,
                          TestSurface &dst, pixman_format_code_t format) {
    TimeComposite(st, sz, PIXMAN_OP_OVER, pixman_image_create_solid_fill(&c),
                  mask ? PixmanOver(*mask, PIXMAN_a8) : nullptr, PixmanOver(dst, format));
}
#endif

#ifdef KV_HAVE_SDL2
// The SDL format of a kind's layout.
inline Uint32 SdlFormat(int kind) {
    const Uint32 byKind[] = {SDL_PIXELFORMAT_INDEX8, SDL_PIXELFORMAT_RGB565, SDL_PIXELFORMAT_XRGB1555,
                             SDL_PIXELFORMAT_RGB24, SDL_PIXELFORMAT_ARGB8888};
    return byKind[kind == 8 ? 0 : kind == 16 ? 1 : kind == 17 ? 2 : kind == 24 ? 3 : 4];
}

// An SDL surface over a test surface's own pixels.
inline SDL_Surface *SdlOver(TestSurface &s, Uint32 format) {
    return SDL_CreateRGBSurfaceWithFormatFrom(s.desc.bits, s.desc.width, s.desc.height, int(s.desc.bpp),
                                              s.desc.scanWidth, format);
}
#endif

}  // namespace kvbench

#endif
