// SetPixel / GetPixel per kind against a plain store/load loop over the same
// memory: the cost of the format-neutral single-pixel calls.
#include <string.h>

#include <memory>
#include <type_traits>

#include "bench/bench_util.h"

using namespace kvbench;

namespace {

void SetPixelOurs(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    unsigned long c = 0x00123456;
    for (auto _ : st) {
        for (int y = 0; y < sz.h; ++y)
            for (int x = 0; x < sz.w; ++x) SetPixel(s.desc, x, y, c + x);
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

// What a caller would write by hand for the same result: a narrowed store.
template <int bpp>
void SetPixelPeerN(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    unsigned long c = 0x00123456;
    for (auto _ : st) {
        for (int y = 0; y < sz.h; ++y) {
            uint8_t *row = s.Row(y);
            for (int x = 0; x < sz.w; ++x) {
                const uint32_t v = uint32_t(c + x);
                uint8_t *p = row + x * bpp;
                if constexpr (bpp == 1)
                    *p = uint8_t(v);
                else if constexpr (bpp == 2) {
                    const uint16_t w = uint16_t(((v >> 8) & 0xF800) | ((v >> 5) & 0x07E0) | ((v >> 3) & 0x1F));
                    memcpy(p, &w, 2);
                } else
                    memcpy(p, &v, bpp);
            }
        }
        benchmark::ClobberMemory();
    }
    SetPixelsProcessed(st, sz);
}

void GetPixelOurs(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    s.Fill(0x37);
    for (auto _ : st) {
        unsigned long sum = 0;
        for (int y = 0; y < sz.h; ++y)
            for (int x = 0; x < sz.w; ++x) sum += GetPixel(s.desc, x, y);
        benchmark::DoNotOptimize(sum);
    }
    SetPixelsProcessed(st, sz);
}

template <int bpp>
void GetPixelPeerN(benchmark::State &st, int kind, Dim sz) {
    TestSurface s(kind, sz.w, sz.h);
    s.Fill(0x37);
    for (auto _ : st) {
        unsigned long sum = 0;
        for (int y = 0; y < sz.h; ++y) {
            const uint8_t *row = s.Row(y);
            for (int x = 0; x < sz.w; ++x) {
                uint32_t v = 0;
                memcpy(&v, row + x * bpp, bpp);
                sum += v;
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    SetPixelsProcessed(st, sz);
}

// Calls f with the kind's pixel size in bytes as a compile-time constant.
template <class F>
void WithPixelBytes(int kind, F f) {
    switch (kvtest::KindByNumber(kind).bpp) {
        case 8:
            return f(std::integral_constant<int, 1>());
        case 16:
            return f(std::integral_constant<int, 2>());
        case 24:
            return f(std::integral_constant<int, 3>());
        default:
            return f(std::integral_constant<int, 4>());
    }
}

void SetPixelPeer(benchmark::State &st, int kind, Dim sz) {
    WithPixelBytes(kind, [&](auto n) { SetPixelPeerN<decltype(n)::value>(st, kind, sz); });
}

void GetPixelPeer(benchmark::State &st, int kind, Dim sz) {
    WithPixelBytes(kind, [&](auto n) { GetPixelPeerN<decltype(n)::value>(st, kind, sz); });
}

const int registered = RegisterByKind(kvtest::AllKinds(), {
                                                              {"SetPixel_", "ours", SetPixelOurs},
                                                              {"SetPixel_", "store-loop", SetPixelPeer},
                                                              {"GetPixel_", "ours", GetPixelOurs},
                                                              {"GetPixel_", "load-loop", GetPixelPeer},
                                                          });

}  // namespace
