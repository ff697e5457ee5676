// Test surfaces: any pixel kind, any size, a pitch wider than the row, and
// guard bytes around the pixels and in every row's padding, so a test can
// tell whether a kernel wrote anywhere it should not.
#ifndef KORVANTE_TESTSURF_H
#define KORVANTE_TESTSURF_H

#include "utils.h"

#include <stdint.h>

#include <string>
#include <vector>

namespace kvtest {

struct KindInfo {
    const char *name;  // "8", "565", "555", "1555", "4444", "24", "32"
    int kind;          // 8, 16, 17, 18, 19, 24, 32
    unsigned bpp, rMask, gMask, bMask, aMask;
};

// Every pixel kind, 17 and 18 both.
extern const KindInfo kKinds[7];
const KindInfo &KindByNumber(int kind);
// For INSTANTIATE_TEST_SUITE_P names.
std::string KindName(int kind);
inline std::vector<int> AllKinds() { return {8, 16, 17, 18, 19, 24, 32}; }

// Small deterministic generator (splitmix64), the same on every platform.
class Rng {
  public:
    explicit Rng(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next();
    uint32_t U32() { return static_cast<uint32_t>(Next() >> 32); }
    // Uniform in [lo, hi], inclusive.
    int Range(int lo, int hi);
    bool Chance(int percent) { return Range(0, 99) < percent; }

  private:
    uint64_t s_;
};

class TestSurface {
  public:
    static constexpr uint8_t kGuard = 0xA5;
    static constexpr int kGuardBytes = 64;

    // pad: extra bytes at the end of every row (pitch = row + pad).
    TestSurface(int kind, int width, int height, int pad = 0);
    TestSurface(const TestSurface &) = delete;
    TestSurface &operator=(const TestSurface &) = delete;

    TSurfDesc desc;
    TSurfDesc &operator*() { return desc; }

    int RowBytes() const;
    uint8_t *Row(int y) { return desc.bits + static_cast<ptrdiff_t>(y) * desc.scanWidth; }
    // The palette the surface points at (8-bit kinds), owned by the surface.
    TRGBA palette[256];

    void Fill(uint8_t byte);
    void Randomize(Rng &rng);
    // Pixels only, row by row without the padding.
    std::vector<uint8_t> Pixels() const;
    void SetPixels(const std::vector<uint8_t> &bytes);
    // Everything: guards, pixels and padding.
    const std::vector<uint8_t> &Memory() const { return mem_; }

    // True when the guards before and after and every row's padding still
    // hold the guard pattern.
    bool GuardsIntact() const;

  private:
    std::vector<uint8_t> mem_;
    int pad_;
};

// A random surface of the given kind: odd and even sizes up to the limits,
// often with row padding, random pixels and (for 8 bits) a random palette.
TestSurface *RandomSurface(Rng &rng, int kind, int maxW, int maxH);
// One 16-bit pixel, little-endian.
inline uint32_t Word(TestSurface &s, int x, int y) {
    const uint8_t *p = s.Row(y) + x * 2;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}
inline void PutWord(TestSurface &s, int x, int y, uint32_t v) {
    uint8_t *p = s.Row(y) + x * 2;
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
}
// 8-bit channels as a kind stores them: the 16-bit kinds keep each channel's
// top bits with their alpha bits 0; 24 and 32 bits hold them whole, alpha 0.
inline uint32_t NarrowRGB(int kind, uint32_t r, uint32_t g, uint32_t b) {
    switch (kind) {
        case 16:
            return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        case 17:
        case 18:
            return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
        case 19:
            return ((r >> 4) << 8) | ((g >> 4) << 4) | (b >> 4);
        default:
            return (r << 16) | (g << 8) | b;
    }
}
// A rectangle that may reach past any edge of a w x h area, or be empty.
CRectangulo RandomRect(Rng &rng, int w, int h);

}  // namespace kvtest

#endif
