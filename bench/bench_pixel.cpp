// SetPixel / GetPixel per kind against a plain store/load loop over the same
// memory: the cost of the format-neutral single-pixel calls.
#include <string.h>

#include <memory>

#include "bench/bench_util.h"
#include "tests/common/testsurf.h"

using namespace kvbench;
using kvtest::TestSurface;

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
                if constexpr (bpp == 1) *p = uint8_t(v);
                else if constexpr (bpp == 2) {
                    const uint16_t w = uint16_t(((v >> 8) & 0xF800) | ((v >> 5) & 0x07E0) | ((v >> 3) & 0x1F));
                    memcpy(p, &w, 2);
                } else memcpy(p, &v, bpp);
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

void SetPixelPeer(benchmark::State &st, int kind, Dim sz) {
    switch (kvtest::KindByNumber(kind).bpp) {
    case 8: return SetPixelPeerN<1>(st, kind, sz);
    case 16: return SetPixelPeerN<2>(st, kind, sz);
    case 24: return SetPixelPeerN<3>(st, kind, sz);
    default: return SetPixelPeerN<4>(st, kind, sz);
    }
}

void GetPixelPeer(benchmark::State &st, int kind, Dim sz) {
    switch (kvtest::KindByNumber(kind).bpp) {
    case 8: return GetPixelPeerN<1>(st, kind, sz);
    case 16: return GetPixelPeerN<2>(st, kind, sz);
    case 24: return GetPixelPeerN<3>(st, kind, sz);
    default: return GetPixelPeerN<4>(st, kind, sz);
    }
}

int Register() {
    for (int kind : kvtest::AllKinds()) {
        const std::string k = kvtest::KindByNumber(kind).name;
        for (const Dim &sz : kSizes) {
            benchmark::RegisterBenchmark(Name("SetPixel_" + k, "ours", sz).c_str(), SetPixelOurs, kind, sz);
            benchmark::RegisterBenchmark(Name("SetPixel_" + k, "store-loop", sz).c_str(), SetPixelPeer, kind, sz);
            benchmark::RegisterBenchmark(Name("GetPixel_" + k, "ours", sz).c_str(), GetPixelOurs, kind, sz);
            benchmark::RegisterBenchmark(Name("GetPixel_" + k, "load-loop", sz).c_str(), GetPixelPeer, kind, sz);
        }
    }
    return 0;
}
const int registered = Register();

}  // namespace
