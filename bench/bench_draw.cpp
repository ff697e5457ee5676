// Fills, lines and flood fill against SDL2 (and memset), translucent fills
// against pixman (8 bits, which maps through the caller's tables, against
// memset), in the same process.
#include <string.h>

#include <memory>
#include <vector>

#include "bench/bench_util.h"

using namespace kvbench;

namespace {

#ifdef KV_HAVE_SDL2
using Pt = SDL_Point;
#else
struct Pt {
    int x, y;
};
#endif

void FillOurs(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    unsigned long c = 0x00123456;
    TimePixels(st, sz, [&] { IdxFillRect(s.desc, CRectangulo(0, 0, sz.w, sz.h), c++); });
}

void FillMemset(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    int c = 0x12;
    for (auto _ : st) {
        for (int y = 0; y < sz.h; ++y) memset(s.Row(y), c, size_t(sz.w) * (s.desc.bpp / 8));
        ++c;
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

#ifdef KV_HAVE_SDL2
void FillSdl(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    SDL_Surface *surf = SdlOver(s, SdlFormat(kind));
    Uint32 c = 0x1234;
    for (auto _ : st) {
        SDL_FillRect(surf, nullptr, c++);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(surf);
    SetPixelsProcessed(st, sz);
}
#endif

// Half the colour over every pixel; pixman lays a solid colour of the same
// opacity over the same memory.
void MaskFillOurs(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    s.Fill(0x55);
    TimePixels(st, sz, [&] { MaskFillRect(s.desc, CRectangulo(0, 0, sz.w, sz.h), 0x00FF8040, 128); });
}

// 8 bits mixes palette entries and maps them back through the caller's tables.
void MaskFill8Ours(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    s.Fill(0x55);
    TimePixels(st, sz, [&] { MaskFillRect_8Bits(s.desc, CRectangulo(0, 0, sz.w, sz.h), 0x00FF8040, 128, MixTable()); });
}

#ifdef KV_HAVE_PIXMAN
void MaskFillPixman(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    s.Fill(0x55);
    TimeSolidOver(st, sz, {0x8080, 0x4040, 0x2020, 0x8080}, nullptr, s, PixmanFormat(kind));
}
#endif

std::vector<Pt> RandomPoints(Dim sz) {
    kvtest::Rng rng(42);
    std::vector<Pt> p(1001);
    for (Pt &q : p) q = Pt{rng.Range(0, sz.w - 1), rng.Range(0, sz.h - 1)};
    return p;
}

// A timing of lines that were never drawn is worthless. (Not one end's
// pixel: an 8-bit line leaves its far end undrawn.)
void CheckDrawn(benchmark::State &st, TestSurface &s) {
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width * int(s.desc.bpp / 8); ++x)
            if (s.Row(y)[x] != 0) return;
    st.SkipWithError("no line was drawn");
}

// Thickness 1, full level, no soft edge: the same 1000 joined segments on
// both sides, drawn straight into a surface of the same format.
void LineOurs(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    s.Fill(0);
    const std::vector<Pt> p = RandomPoints(sz);
    for (auto _ : st) {
        for (size_t i = 0; i + 1 < p.size(); ++i)
            Line(s.desc, CPunto(p[i].x, p[i].y), CPunto(p[i + 1].x, p[i + 1].y), 0x00FF8040, 255, false, 1);
        benchmark::ClobberMemory();
    }
    CheckDrawn(st, s);
}

#ifdef KV_HAVE_SDL2
void LineSdl(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    SDL_Surface *surf = SdlOver(s, SdlFormat(kind));
    SDL_Renderer *r = SDL_CreateSoftwareRenderer(surf);
    SDL_SetRenderDrawColor(r, 0xFF, 0x80, 0x40, 0xFF);
    const std::vector<SDL_Point> p = RandomPoints(sz);
    s.Fill(0);
    for (auto _ : st) {
        SDL_RenderDrawLines(r, p.data(), int(p.size()));
        // A renderer that batches would only queue the lines.
        SDL_RenderFlush(r);
        benchmark::ClobberMemory();
    }
    CheckDrawn(st, s);
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(surf);
}
#endif

// The whole screen is one region: the fill visits every pixel.
void FloodOurs(benchmark::State &st, Dim sz) {
    TestSurface s(32, sz.w, sz.h), mask(8, sz.w, sz.h);
    for (auto _ : st) {
        st.PauseTiming();
        s.Fill(0x20);
        mask.Fill(0);
        st.ResumeTiming();
        Rellena(s.desc, mask.desc, sz.w / 2, sz.h / 2, 0, 0x202020, 0x00FF0000);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

// A plain queue-based fill of the same region, for scale.
void FloodQueue(benchmark::State &st, Dim sz) {
    TestSurface s(32, sz.w, sz.h), mask(8, sz.w, sz.h);
    std::vector<int> q;
    for (auto _ : st) {
        st.PauseTiming();
        s.Fill(0x20);
        mask.Fill(0);
        st.ResumeTiming();
        q.clear();
        q.push_back(sz.h / 2 * sz.w + sz.w / 2);
        mask.Row(sz.h / 2)[sz.w / 2] = 1;
        for (size_t i = 0; i < q.size(); ++i) {
            const int x = q[i] % sz.w, y = q[i] / sz.w;
            uint32_t v;
            memcpy(&v, s.Row(y) + 4 * x, 4);
            v = (v & 0xFF000000u) | 0xFF0000u;
            memcpy(s.Row(y) + 4 * x, &v, 4);
            const int nx[4] = {x, x, x - 1, x + 1}, ny[4] = {y - 1, y + 1, y, y};
            for (int k = 0; k < 4; ++k) {
                if (nx[k] < 0 || ny[k] < 0 || nx[k] >= sz.w || ny[k] >= sz.h || mask.Row(ny[k])[nx[k]]) continue;
                uint32_t c;
                memcpy(&c, s.Row(ny[k]) + 4 * nx[k], 4);
                if ((c & 0xFFFFFF) != 0x202020) continue;
                mask.Row(ny[k])[nx[k]] = 1;
                q.push_back(ny[k] * sz.w + nx[k]);
            }
        }
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

const int fills = RegisterByKind({32, 16, 17, 8}, {
                                                      {"IdxFillRect_", "ours", FillOurs},
                                                      {"IdxFillRect_", "memset", FillMemset},
#ifdef KV_HAVE_SDL2
                                                      {"IdxFillRect_", "SDL_FillRect", FillSdl},
#endif
                                                  });
const int maskFills = RegisterByKind({32, 24, 16, 17}, {
                                                           {"MaskFillRect_", "ours", MaskFillOurs},
#ifdef KV_HAVE_PIXMAN
                                                           {"MaskFillRect_", "pixman", MaskFillPixman},
#endif
                                                       });
const int maskFills8 = RegisterByKind({8}, Beside("MaskFillRect_", MaskFill8Ours, "memset", FillMemset));
const int lines = RegisterByKind({32, 16}, {
                                               {"Line1000_", "ours", LineOurs},
#ifdef KV_HAVE_SDL2
                                               {"Line1000_", "SDL_RenderDrawLines", LineSdl},
#endif
                                           });
const int floods = RegisterBySize({
    {"Rellena_32", "ours", FloodOurs},
    {"Rellena_32", "queue-fill", FloodQueue},
});

}  // namespace
