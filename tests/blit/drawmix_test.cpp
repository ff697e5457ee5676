#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "tests/blit/mixref.h"
#include "tools/mixtable/mixtable.h"
#include "tests/common/testsurf.h"

using kvtest::Rng;
using kvtest::TestSurface;
using namespace mixref;

namespace {

const std::vector<int> kDeepKinds = {16, 17, 18, 19, 24, 32};
unsigned char (*const kNoTable)[65536] = nullptr;

std::string DeepName(const testing::TestParamInfo<std::tuple<int, int>> &i) {
    return kvtest::KindName(std::get<0>(i.param)) + "_L" + std::to_string(std::get<1>(i.param));
}

// ---------------------------------------------------------------------------
// Level form on 16-, 24- and 32-bit destinations
// ---------------------------------------------------------------------------

class MixLevel : public testing::TestWithParam<std::tuple<int, int>> {};

// Expected pixel of the level form at column i of a row w pixels wide.
uint32_t ExpectLevel(int kind, uint32_t s, uint32_t d, int level, int i, int w, bool palette) {
    const bool is16 = kind < 24;
    if (level > 255) level = 255;
    const bool shift = level == 192 || level == 128 || level == 64;
    const bool inGroup = i < (w & ~3);
    if (shift) return Shift(kind, s, d, level, is16 && !palette && inGroup);
    if (palette) return Mix(kind, s, d, is16 ? level + 1 : level);
    if (is16 && inGroup && level == 255) return s;
    return Mix(kind, s, d, level);
}

TEST_P(MixLevel, SameDepthSourceEveryPixelExact) {
    const int kind = std::get<0>(GetParam()), level = std::get<1>(GetParam());
    const int bytes = Bytes(kind);
    Rng rng(kind * 1000 + level);
    const int W = 29, H = 3;
    // Rows 7 pixels wide from column 2: a group of four and three more; then
    // 26 wide: six groups and two more.
    for (const int right : {9, 28}) {
        TestSurface dst(kind, W, H, 3), src(kind, W + 2, H + 1, 1);
        dst.Randomize(rng);
        src.Randomize(rng);
        TestSurface before(kind, W, H, 3);
        before.SetPixels(dst.Pixels());
        ASSERT_TRUE(DrawMix(*dst, CRectangulo(2, 0, right, 3), (unsigned short)level, *src, CPunto(1, 1), kNoTable));
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const uint32_t d = Get(before, x, y, bytes);
                const uint32_t want = (x < 2 || x >= right) ? d
                                                            : ExpectLevel(kind, Get(src, x - 1, y + 1, bytes), d, level,
                                                                          x - 2, right - 2, false);
                ASSERT_EQ(Get(dst, x, y, bytes), want) << "x " << x << " y " << y << " right " << right;
            }
        EXPECT_TRUE(dst.GuardsIntact());
    }
}

TEST_P(MixLevel, PaletteSourceEveryPixelExact) {
    const int kind = std::get<0>(GetParam()), level = std::get<1>(GetParam());
    const int bytes = Bytes(kind);
    Rng rng(kind * 77 + level);
    const int W = 9, H = 2;
    TestSurface dst(kind, W, H, 2), src(8, W, H, 0);
    dst.Randomize(rng);
    src.Randomize(rng);
    for (TRGBA &e : src.palette)
        e = TRGBA{uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32())};
    TestSurface before(kind, W, H, 2);
    before.SetPixels(dst.Pixels());
    ASSERT_TRUE(DrawMix(*dst, CRectangulo(0, 0, W, H), (unsigned short)level, *src, CPunto(0, 0), kNoTable));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint32_t want = ExpectLevel(kind, FromEntry(kind, src.palette[src.Row(y)[x]]),
                                              Get(before, x, y, bytes), level, x, W, true);
            ASSERT_EQ(Get(dst, x, y, bytes), want) << "x " << x << " y " << y;
        }
}

INSTANTIATE_TEST_SUITE_P(Levels, MixLevel,
                         testing::Combine(testing::ValuesIn(kDeepKinds),
                                          testing::Values(0, 1, 64, 100, 127, 128, 129, 192, 254, 255, 256, 1000)),
                         DeepName);

TEST(MixLevel, HalfOn565GroupsAndRowEnds) {
    TestSurface dst(16, 6, 1), src(16, 6, 1);
    for (int x = 0; x < 6; ++x) Put(src, x, 0, 2, 0xFFFF), Put(dst, x, 0, 2, 0);
    DrawMix(*dst, CRectangulo(0, 0, 6, 1), 128, *src, CPunto(), kNoTable);
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Get(dst, x, 0, 2), 0x7BEFu);
    for (int x = 0; x < 6; ++x) Put(src, x, 0, 2, 0x0821), Put(dst, x, 0, 2, 0x0821);
    DrawMix(*dst, CRectangulo(0, 0, 6, 1), 128, *src, CPunto(), kNoTable);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Get(dst, x, 0, 2), 0x0820u);
    for (int x = 4; x < 6; ++x) EXPECT_EQ(Get(dst, x, 0, 2), 0x0000u);
}

TEST(MixLevel, FullLevelCopiesGroupsOnlyOn16Bits) {
    for (int kind : {16, 17, 18, 19}) {
        TestSurface dst(kind, 6, 2), src(kind, 6, 2);
        src.Fill(0xFF);
        dst.Fill(0);
        DrawMix(*dst, CRectangulo(0, 0, 6, 2), 255, *src, CPunto(), kNoTable);
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 4; ++x) EXPECT_EQ(Get(dst, x, y, 2), 0xFFFFu) << kind;  // alpha bits too
            for (int x = 4; x < 6; ++x) EXPECT_EQ(Get(dst, x, y, 2), Mix(kind, 0xFFFF, 0, 255)) << kind;
        }
    }
    for (int kind : {24, 32}) {
        TestSurface dst(kind, 3, 1), src(kind, 3, 1);
        src.Fill(0xFF);
        dst.Fill(0);
        DrawMix(*dst, CRectangulo(0, 0, 3, 1), 255, *src, CPunto(), kNoTable);
        for (uint8_t b : dst.Pixels()) EXPECT_EQ(b, 254);
    }
}

TEST(MixLevel, PaletteSourceAtLevelZeroStillWeighsIn) {
    TestSurface dst(16, 1, 1), src(8, 1, 1);
    src.palette[3] = TRGBA{255, 255, 255, 0};
    src.Row(0)[0] = 3;
    Put(dst, 0, 0, 2, 0);
    DrawMix(*dst, CRectangulo(0, 0, 1, 1), 0, *src, CPunto(), kNoTable);
    // 31 / 256 and 63 / 256 floor to 0: no visible change yet, but 255 does.
    EXPECT_EQ(Get(dst, 0, 0, 2), 0u);
    DrawMix(*dst, CRectangulo(0, 0, 1, 1), 255, *src, CPunto(), kNoTable);
    EXPECT_EQ(Get(dst, 0, 0, 2), 0xFFFFu);
}

TEST(MixLevel, PaletteLessSourceReadsTheModelPalette) {
    TestSurface dst(32, 2, 1), src(8, 2, 1);
    src.desc.palette = nullptr;
    src.Row(0)[0] = 251;
    src.Row(0)[1] = 5;
    dst.Fill(0);
    DrawMix(*dst, CRectangulo(0, 0, 2, 1), 128, *src, CPunto(), kNoTable);
    EXPECT_EQ(Get(dst, 0, 0, 4), 0x007F7F7Fu);
    EXPECT_EQ(Get(dst, 1, 0, 4), 0x0000007Fu);
}

// ---------------------------------------------------------------------------
// Clipping, kinds and the blocks of other surfaces
// ---------------------------------------------------------------------------

class MixKinds : public testing::TestWithParam<int> {};

TEST_P(MixKinds, ClippedDestinationMovesTheSourcePoint) {
    const int kind = GetParam(), bytes = Bytes(kind);
    Rng rng(kind);
    // On 16 bits only a map of the destination's depth copies pixel by pixel.
    const int akind = kind >= 16 && kind <= 19 ? kind : 8;
    TestSurface dst(kind, 8, 5, 3), src(kind, 24, 20, 2), alpha(akind, 20, 20);
    dst.Randomize(rng);
    src.Randomize(rng);
    alpha.Fill(255);
    MarkedTable tab;
    TestSurface before(kind, 8, 5, 3);
    before.SetPixels(dst.Pixels());
    // Starts 3 left of and 2 above the surface and ends past its right edge.
    ASSERT_TRUE(DrawMix(*dst, CRectangulo(-3, -2, 12, 3), *alpha, CPunto(0, 0), *src, CPunto(10, 5), tab.t));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) {
            const uint32_t want = y < 3 ? Get(src, x + 13, y + 7, bytes) : Get(before, x, y, bytes);
            ASSERT_EQ(Get(dst, x, y, bytes), want) << x << "," << y;
        }
    EXPECT_TRUE(dst.GuardsIntact());
}

TEST_P(MixKinds, SourceBlockIsCutAtTheSourceEdge) {
    const int kind = GetParam(), bytes = Bytes(kind);
    Rng rng(kind + 50);
    const int akind = kind >= 16 && kind <= 19 ? kind : 8;
    TestSurface dst(kind, 10, 4), src(kind, 6, 3), alpha(akind, 10, 4);
    dst.Randomize(rng);
    src.Randomize(rng);
    alpha.Fill(255);
    MarkedTable tab;
    TestSurface before(kind, 10, 4);
    before.SetPixels(dst.Pixels());
    // The source has 6 x 3 pixels; the rest of the rectangle has no source.
    EXPECT_TRUE(DrawMix(*dst, CRectangulo(0, 0, 10, 4), *alpha, CPunto(), *src, CPunto(), tab.t));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 10; ++x) {
            const uint32_t want = (x < 6 && y < 3) ? Get(src, x, y, bytes) : Get(before, x, y, bytes);
            ASSERT_EQ(Get(dst, x, y, bytes), want) << x << "," << y;
        }
    // A source point before the source: the rectangle starts where it can.
    before.SetPixels(dst.Pixels());
    const unsigned short lvl = kind == 8 ? 256 : 255;
    EXPECT_TRUE(DrawMix(*dst, CRectangulo(0, 0, 2, 1), lvl, *src, CPunto(-5, 0), tab.t));
    EXPECT_EQ(dst.Pixels(), before.Pixels());
}

TEST_P(MixKinds, EmptyRectanglesDrawNothing) {
    const int kind = GetParam();
    TestSurface dst(kind, 4, 4), src(kind, 4, 4), alpha(8, 4, 4);
    Rng rng(3);
    dst.Randomize(rng);
    src.Randomize(rng);
    alpha.Randomize(rng);
    MarkedTable tab;
    const std::vector<uint8_t> before = dst.Pixels();
    const CRectangulo empties[] = {{2, 0, 2, 4}, {4, 0, 9, 4}, {0, -5, 4, 0}, {3, 3, 1, 1}};
    for (const CRectangulo &r : empties) {
        EXPECT_TRUE(DrawMix(*dst, r, 100, *src, CPunto(), tab.t));
        // The alpha-map 8-bit kernel alone reports an empty block as false.
        EXPECT_EQ(DrawMix(*dst, r, *alpha, CPunto(), *src, CPunto(), tab.t), kind != 8);
        EXPECT_EQ(DrawMix(*dst, r, *alpha, CPunto(), *src, CPunto(), (unsigned short)100), kind != 8);
    }
    EXPECT_EQ(dst.Pixels(), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MixKinds, testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(MixKinds, UnknownFormatsReturnFalse) {
    TestSurface src(32, 4, 4), alpha(8, 4, 4);
    MarkedTable tab;
    for (unsigned bpp : {15u, 4u, 0u}) {
        TestSurface dst(32, 4, 4);
        dst.desc.bpp = bpp;
        dst.Fill(0x33);
        EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 4, 4), 10, *src, CPunto(), tab.t));
        EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 4, 4), *alpha, CPunto(), *src, CPunto(), tab.t));
        EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 4, 4), *alpha, CPunto(), *src, CPunto(), (unsigned short)9));
        for (uint8_t b : dst.Pixels()) EXPECT_EQ(b, 0x33);
    }
}

// ---------------------------------------------------------------------------
// Alpha-map forms
// ---------------------------------------------------------------------------

struct AlphaCase {
    int kind;
    bool alpha8;   // else an alpha map of the destination's depth
    bool palette;  // 8-bit source
    int scale;     // -1: the alpha-map form, else the scaled form's level
};

class MixAlpha : public testing::TestWithParam<AlphaCase> {};

uint32_t ExpectAlpha(const AlphaCase &c, uint32_t m, uint32_t s, uint32_t d, int i, int w, const uint8_t *rowAlpha,
                     int aStep) {
    const bool is16 = c.kind < 24;
    auto sc = [&](uint32_t v) { return c.scale < 0 ? v : (v * uint32_t(c.scale > 256 ? 256 : c.scale)) >> 8; };
    m = sc(m);
    if (is16 && c.alpha8 && !c.palette) {
        const int g = i & ~3;
        if (i < (w & ~3)) {
            bool all = true;
            for (int k = 0; k < 4; ++k) all = all && sc(rowAlpha[(g + k) * aStep]) == 255;
            if (all) return s;
        }
        return m == 0 ? d : Mix(c.kind, s, d, m);
    }
    if (m == 0) return d;
    if (m == 255) return s;
    if (is16) return Mix(c.kind, s, d, (c.alpha8 && c.palette) ? m + 2 : m + 1);
    return Mix(c.kind, s, d, c.scale >= 0 ? m : m + 1);
}

TEST_P(MixAlpha, EveryPixelExact) {
    const AlphaCase c = GetParam();
    const int bytes = Bytes(c.kind);
    // The scaled form on 24 and 32 bits reads an 8-bit map only.
    const bool a8 = c.alpha8 || (c.scale >= 0 && c.kind >= 24);
    Rng rng(c.kind * 31 + c.alpha8 * 7 + c.palette * 3 + c.scale);
    const int W = 13, H = 4;
    TestSurface dst(c.kind, W, H, 1), src(c.palette ? 8 : c.kind, W, H, 2), alpha(c.alpha8 ? 8 : c.kind, W, H, 3);
    dst.Randomize(rng);
    src.Randomize(rng);
    alpha.Randomize(rng);
    for (TRGBA &e : src.palette)
        e = TRGBA{uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32())};
    const int aStep = c.alpha8 ? 1 : bytes;
    // Regions of 0 and of 255, a fully opaque group, and random values.
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint8_t &m = alpha.Row(y)[x * aStep];
            if (y == 0)
                m = x < 6 ? 255 : 0;
            else if (y == 1 && x < 8)
                m = 255;
        }
    TestSurface before(c.kind, W, H, 1);
    before.SetPixels(dst.Pixels());
    MarkedTable tab;
    bool ok;
    if (c.scale < 0)
        ok = DrawMix(*dst, CRectangulo(0, 0, W, H), *alpha, CPunto(), *src, CPunto(), tab.t);
    else
        ok = DrawMix(*dst, CRectangulo(0, 0, W, H), *alpha, CPunto(), *src, CPunto(), (unsigned short)c.scale);
    ASSERT_TRUE(ok);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint32_t s = c.palette ? FromEntry(c.kind, src.palette[src.Row(y)[x]]) : Get(src, x, y, bytes);
            AlphaCase e = c;
            e.alpha8 = a8;
            const int step = a8 ? 1 : bytes;
            const uint32_t want =
                ExpectAlpha(e, alpha.Row(y)[x * step], s, Get(before, x, y, bytes), x, W, alpha.Row(y), step);
            ASSERT_EQ(Get(dst, x, y, bytes), want) << "x " << x << " y " << y;
        }
    EXPECT_TRUE(dst.GuardsIntact());
}

std::vector<AlphaCase> AlphaCases() {
    std::vector<AlphaCase> v;
    for (int kind : kDeepKinds)
        for (int a8 = 0; a8 < 2; ++a8)
            for (int pal = 0; pal < 2; ++pal)
                for (int scale : {-1, 0, 100, 128, 255, 256, 300}) v.push_back({kind, a8 == 1, pal == 1, scale});
    return v;
}

INSTANTIATE_TEST_SUITE_P(Maps, MixAlpha, testing::ValuesIn(AlphaCases()), [](const auto &i) {
    const AlphaCase &c = i.param;
    return kvtest::KindName(c.kind) + (c.alpha8 ? "_a8" : "_aDeep") + (c.palette ? "_pal" : "_same") +
           (c.scale < 0 ? std::string("_plain") : "_scaled" + std::to_string(c.scale));
});

TEST(MixAlpha, OpaqueAndClearMapsOn24Bits) {
    Rng rng(9);
    TestSurface dst(24, 7, 3), src(24, 7, 3), alpha(8, 7, 3);
    dst.Randomize(rng);
    src.Randomize(rng);
    const std::vector<uint8_t> before = dst.Pixels();
    alpha.Fill(0);
    DrawMix(*dst, CRectangulo(0, 0, 7, 3), *alpha, CPunto(), *src, CPunto(), kNoTable);
    EXPECT_EQ(dst.Pixels(), before);
    alpha.Fill(255);
    DrawMix(*dst, CRectangulo(0, 0, 7, 3), *alpha, CPunto(), *src, CPunto(), kNoTable);
    EXPECT_EQ(dst.Pixels(), src.Pixels());
}

TEST(MixAlpha, ScaledFullLevelEqualsPlainMapOn16Bits) {
    for (int kind : {16, 17, 18, 19}) {
        Rng rng(kind);
        TestSurface a(kind, 9, 3), b(kind, 9, 3), src(kind, 9, 3), alpha(8, 9, 3);
        a.Randomize(rng);
        b.SetPixels(a.Pixels());
        src.Randomize(rng);
        alpha.Randomize(rng);
        for (int x = 0; x < 4; ++x) alpha.Row(1)[x] = 255;
        DrawMix(*a, CRectangulo(0, 0, 9, 3), *alpha, CPunto(), *src, CPunto(), kNoTable);
        DrawMix(*b, CRectangulo(0, 0, 9, 3), *alpha, CPunto(), *src, CPunto(), (unsigned short)256);
        EXPECT_EQ(a.Pixels(), b.Pixels()) << kind;
    }
}

TEST(MixAlpha, ScaledHalfLevelTurns255Into127) {
    TestSurface dst(32, 1, 1), src(32, 1, 1), alpha(8, 1, 1);
    Put(src, 0, 0, 4, 0xFFFFFFFF);
    Put(dst, 0, 0, 4, 0);
    alpha.Row(0)[0] = 255;
    DrawMix(*dst, CRectangulo(0, 0, 1, 1), *alpha, CPunto(), *src, CPunto(), (unsigned short)128);
    EXPECT_EQ(Get(dst, 0, 0, 4), 0x7E7E7E7Eu);  // weight 127 on every byte
}

TEST(MixAlpha, ScaledFormHasNo8BitKernel) {
    TestSurface dst(8, 4, 4), src(8, 4, 4), alpha(8, 4, 4);
    alpha.Fill(255);
    dst.Fill(1);
    src.Fill(2);
    EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 4, 4), *alpha, CPunto(), *src, CPunto(), (unsigned short)256));
    for (uint8_t b : dst.Pixels()) EXPECT_EQ(b, 1);
}

// ---------------------------------------------------------------------------
// 8-bit destinations through the mix table
// ---------------------------------------------------------------------------

uint32_t MixKey(uint8_t si, uint8_t di, uint32_t w) {
    const TRGBA &s = lu_gPaleta[si], &d = lu_gPaleta[di];
    return Key565(Wm(s.r, d.r, w), Wm(s.g, d.g, w), Wm(s.b, d.b, w));
}

class Mix8Level : public testing::TestWithParam<int> {};

TEST_P(Mix8Level, EveryPixelThroughTheTableInItsPhase) {
    const int level = GetParam();
    const uint32_t w = level > 256 ? 256 : level;
    Rng rng(level + 5);
    TestSurface dst(8, 9, 4, 2), src(8, 12, 6, 1);
    dst.Randomize(rng);
    src.Randomize(rng);
    // The surfaces' own palettes play no part.
    for (TRGBA &e : src.palette) e = TRGBA{1, 2, 3, 4};
    TestSurface before(8, 9, 4, 2);
    before.SetPixels(dst.Pixels());
    MarkedTable tab;
    ASSERT_TRUE(DrawMix(*dst, CRectangulo(1, 1, 8, 4), (unsigned short)level, *src, CPunto(2, 0), tab.t));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 9; ++x) {
            const uint8_t d = before.Row(y)[x];
            const uint8_t want =
                (x < 1 || x >= 8 || y < 1) ? d : tab.t[(x + y) % 2 == 0 ? 1 : 0][MixKey(src.Row(y - 1)[x + 1], d, w)];
            ASSERT_EQ(dst.Row(y)[x], want) << x << "," << y;
        }
    EXPECT_TRUE(dst.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Levels, Mix8Level, testing::Values(0, 1, 128, 254, 255, 256, 257, 65535));

TEST(Mix8, PhaseOneAtEvenPositions) {
    TestSurface dst(8, 2, 2), src(8, 2, 2);
    src.Fill(251);
    dst.Fill(0);
    MarkedTable tab;
    DrawMix_8Bits(*dst, CRectangulo(0, 0, 2, 2), 256, *src, CPunto(), tab.t);
    const uint32_t white = Key565(255, 255, 255);
    EXPECT_EQ(dst.Row(0)[0], tab.t[1][white]);
    EXPECT_EQ(dst.Row(0)[1], tab.t[0][white]);
    EXPECT_EQ(dst.Row(1)[0], tab.t[0][white]);
    EXPECT_EQ(dst.Row(1)[1], tab.t[1][white]);
}

TEST(Mix8, AlphaMapCopiesAtFullAndKeepsAtZero) {
    Rng rng(17);
    TestSurface dst(8, 7, 3), src(8, 7, 3), alpha(8, 7, 3);
    dst.Randomize(rng);
    src.Randomize(rng);
    alpha.Randomize(rng);
    for (int x = 0; x < 7; ++x) alpha.Row(0)[x] = 255, alpha.Row(1)[x] = 0;
    TestSurface before(8, 7, 3);
    before.SetPixels(dst.Pixels());
    MarkedTable tab;
    ASSERT_TRUE(DrawMix(*dst, CRectangulo(0, 0, 7, 3), *alpha, CPunto(), *src, CPunto(), tab.t));
    for (int x = 0; x < 7; ++x) {
        EXPECT_EQ(dst.Row(0)[x], src.Row(0)[x]);
        EXPECT_EQ(dst.Row(1)[x], before.Row(1)[x]);
        const uint32_t m = alpha.Row(2)[x];
        const uint8_t d = before.Row(2)[x];
        const uint8_t want = m == 0     ? d
                             : m == 255 ? src.Row(2)[x]
                                        : tab.t[(x + 2) % 2 == 0][MixKey(src.Row(2)[x], d, m + 1)];
        EXPECT_EQ(dst.Row(2)[x], want) << x;
    }
}

TEST(Mix8, AlphaMapMustBe8Bit) {
    TestSurface dst(8, 4, 2), src(8, 4, 2), alpha(16, 4, 2);
    alpha.Fill(255);
    dst.Fill(7);
    MarkedTable tab;
    EXPECT_FALSE(DrawMix_8Bits(*dst, CRectangulo(0, 0, 4, 2), *alpha, CPunto(), *src, CPunto(), tab.t));
    EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 4, 2), *alpha, CPunto(), *src, CPunto(), tab.t));
    for (uint8_t b : dst.Pixels()) EXPECT_EQ(b, 7);
}

TEST(Mix8, MissingTableOrWrongDestinationIsRefused) {
    TestSurface dst(8, 4, 2), src(8, 4, 2), alpha(8, 4, 2), deep(32, 4, 2);
    dst.Fill(7);
    deep.Fill(7);
    alpha.Fill(100);
    MarkedTable tab;
    EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 4, 2), 100, *src, CPunto(), kNoTable));
    EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 4, 2), *alpha, CPunto(), *src, CPunto(), kNoTable));
    EXPECT_FALSE(DrawMix_8Bits(*deep, CRectangulo(0, 0, 4, 2), 100, *src, CPunto(), tab.t));
    EXPECT_FALSE(DrawMix_8Bits(*deep, CRectangulo(0, 0, 4, 2), *alpha, CPunto(), *src, CPunto(), tab.t));
    for (uint8_t b : dst.Pixels()) EXPECT_EQ(b, 7);
    for (uint8_t b : deep.Pixels()) EXPECT_EQ(b, 7);
}

// With a table built from the model palette, full level keeps cube colours
// and a half mix of black and white dithers to a mid grey on average.
TEST(Mix8, BuiltTableOverTheModelPalette) {
    static unsigned char table[2][65536];
    mixtable::Build(lu_gPaleta, 252, table);
    for (int i = 0; i < 252; ++i) {
        const TRGBA &e = lu_gPaleta[i];
        EXPECT_EQ(table[1][Key565(e.r, e.g, e.b)], i) << i;
    }
    TestSurface dst(8, 8, 8), src(8, 8, 8);
    dst.Fill(0);
    src.Fill(251);
    DrawMix(*dst, CRectangulo(0, 0, 8, 8), 128, *src, CPunto(), table);
    long sum = 0;
    for (uint8_t b : dst.Pixels()) {
        const TRGBA &e = lu_gPaleta[b];
        sum += e.r + e.g + e.b;
    }
    // The two phases average to about 127 per channel.
    EXPECT_NEAR(double(sum) / (64 * 3), 127.5, 12.0);
}

// ---------------------------------------------------------------------------
// Background forms: the background laid down with its key honoured, then the
// mix over the result
// ---------------------------------------------------------------------------

// What the keyed copy leaves at one pixel: the background's pixel, or the old
// one where the background is transparent or of a depth that is not drawn.
uint32_t ExpectBackground(int kind, uint32_t old, TestSurface &bg, int bx, int by) {
    const int bytes = Bytes(kind);
    const uint32_t key = bg.desc.transColor;
    const bool keyed = key != 0xFFFFFFFFu;
    if (bg.desc.bpp == 8 && kind != 8) {
        const uint8_t i = bg.Row(by)[bx];
        if (keyed && i == 0) return old;
        return FromEntry(kind, (bg.desc.palette ? bg.desc.palette : lu_gPaleta)[i]);
    }
    if (int(bg.desc.bpp) != 8 * bytes) return old;
    const uint32_t v = Get(bg, bx, by, bytes);
    if (keyed) {
        if (bytes == 1 && v == 0) return old;
        if (bytes == 2 && v == (key & 0xFFFF)) return old;
        if (bytes >= 3 && (v & 0xFFFFFF) == (key & 0xFFFFFF)) return old;
    }
    return v;
}

// A key the background holds in runs (index 0 on 8 bits, whatever the key).
void KeyInRuns(Rng &rng, TestSurface &bg) {
    const int bytes = int(bg.desc.bpp / 8);
    uint32_t v = 0;
    if (bytes == 1)
        bg.desc.transColor = 37;
    else
        memcpy(&v, bg.Row(0), bytes), bg.desc.transColor = bytes == 4 ? v ^ 0xAB000000u : v;
    for (int y = 0; y < bg.desc.height; ++y)
        for (int x = 0; x < bg.desc.width; ++x)
            if (rng.Chance(35)) memcpy(bg.Row(y) + x * bytes, &v, bytes);
}

// level < 0: the alpha-map form. Every surface has its own padding; the
// source blocks stay inside their surfaces however the rectangle is clipped.
void CheckBackgroundForm(int kind, int bgKind, const CRectangulo &rect, int level, Rng &rng) {
    static const MarkedTable tab;
    const int bytes = Bytes(kind);
    const int W = 13, H = 5;
    TestSurface dst(kind, W, H, 3), before(kind, W, H, 3);
    TestSurface src(kind, W + 6, H + 4, 1), bg(bgKind, W + 6, H + 4, 5), alpha(8, W + 6, H + 4, 2);
    dst.Randomize(rng);
    src.Randomize(rng);
    bg.Randomize(rng);
    alpha.Randomize(rng);
    for (TRGBA &e : bg.palette)
        e = TRGBA{uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32())};
    if (rng.Chance(80)) KeyInRuns(rng, bg);
    for (int y = 0; y < alpha.desc.height; ++y)
        for (int x = 0; x < alpha.desc.width; ++x)
            if (rng.Chance(50)) alpha.Row(y)[x] = rng.Chance(50) ? 255 : 0;
    before.SetPixels(dst.Pixels());
    const CPunto sp(3, 2), bp(1, 1), ap(2, 2);
    unsigned char(*const t)[65536] = const_cast<unsigned char(*)[65536]>(tab.t);
    const bool ok = level >= 0 ? DrawMix(*dst, rect, (unsigned short)level, *src, sp, *bg, bp, t)
                               : DrawMix(*dst, rect, *alpha, ap, *src, sp, *bg, bp, t);
    const int l = std::max(rect.left, 0), tp = std::max(rect.top, 0);
    const int r = std::min(rect.right, W), b = std::min(rect.bottom, H);
    const bool empty = l >= r || tp >= b;
    // Only the 8-bit alpha-map kernel reports an empty block as a failure.
    ASSERT_EQ(ok, !(empty && kind == 8 && level < 0));
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            uint32_t want = Get(before, x, y, bytes);
            if (x >= l && x < r && y >= tp && y < b) {
                const int ox = x - rect.left, oy = y - rect.top;
                const uint32_t d = ExpectBackground(kind, want, bg, bp.x + ox, bp.y + oy);
                const uint32_t s = Get(src, sp.x + ox, sp.y + oy, bytes);
                const uint8_t *arow = alpha.Row(ap.y + oy) + ap.x + (l - rect.left);
                const uint32_t m = alpha.Row(ap.y + oy)[ap.x + ox];
                const int phase = (x + y) % 2 == 0 ? 1 : 0;
                if (kind == 8 && level >= 0)
                    want = tab.t[phase][MixKey(uint8_t(s), uint8_t(d), uint32_t(std::min(level, 256)))];
                else if (kind == 8)
                    want = m == 0 ? d : m == 255 ? s : tab.t[phase][MixKey(uint8_t(s), uint8_t(d), m + 1)];
                else if (level >= 0)
                    want = ExpectLevel(kind, s, d, level, x - l, r - l, false);
                else
                    want = ExpectAlpha(AlphaCase{kind, true, false, -1}, m, s, d, x - l, r - l, arow, 1);
            }
            ASSERT_EQ(Get(dst, x, y, bytes), want) << "x " << x << " y " << y;
        }
    ASSERT_TRUE(dst.GuardsIntact());
}

class MixBackground : public testing::TestWithParam<int> {};

// Odd widths, a width of one, groups of four with and without a remainder,
// blocks cut at every edge, and empty ones.
const CRectangulo kBackgroundRects[] = {{2, 1, 9, 5},  {1, 2, 11, 4}, {5, 0, 6, 5},  {-3, -2, 17, 3},
                                        {8, 3, 20, 9}, {4, 4, 4, 5},  {13, 0, 16, 5}};

// The background's own kind, an 8-bit one expanded through its palette, and
// one of a depth the keyed copy does not draw.
std::vector<int> BackgroundKinds(int kind) {
    if (kind == 8) return {8, 16};
    return {kind, 8, kind == 24 ? 32 : 24};
}

TEST_P(MixBackground, LevelFormOverKeyedBackground) {
    const int kind = GetParam();
    Rng rng(kind * 13 + 1);
    const std::vector<int> levels =
        kind == 8 ? std::vector<int>{0, 100, 255, 256} : std::vector<int>{0, 1, 100, 128, 192, 255};
    for (int bgKind : BackgroundKinds(kind))
        for (const CRectangulo &r : kBackgroundRects)
            for (int level : levels) {
                SCOPED_TRACE("background " + std::to_string(bgKind) + " level " + std::to_string(level) + " rect " +
                             std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
                             "," + std::to_string(r.bottom));
                ASSERT_NO_FATAL_FAILURE(CheckBackgroundForm(kind, bgKind, r, level, rng));
            }
}

TEST_P(MixBackground, AlphaFormOverKeyedBackground) {
    const int kind = GetParam();
    Rng rng(kind * 17 + 2);
    for (int bgKind : BackgroundKinds(kind))
        for (const CRectangulo &r : kBackgroundRects)
            for (int rep = 0; rep < 3; ++rep) {
                SCOPED_TRACE("background " + std::to_string(bgKind) + " rect " + std::to_string(r.left) + "," +
                             std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom));
                ASSERT_NO_FATAL_FAILURE(CheckBackgroundForm(kind, bgKind, r, -1, rng));
            }
}

// Where the keyed copy fails the mix is skipped: an unknown destination
// format draws nothing at all, with or without a table.
TEST_P(MixBackground, FailedBitmapDrawsNothing) {
    const int kind = GetParam();
    TestSurface src(kind, 6, 4), bg(kind, 6, 4), alpha(8, 6, 4);
    Rng rng(kind + 99);
    src.Randomize(rng);
    bg.Randomize(rng);
    alpha.Fill(255);
    MarkedTable tab;
    for (unsigned bpp : {15u, 4u, 0u, 12u}) {
        TestSurface dst(kind, 6, 4, 2);
        dst.Randomize(rng);
        dst.desc.bpp = bpp;
        const std::vector<uint8_t> mem = dst.Memory();
        EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 6, 4), 200, *src, CPunto(), *bg, CPunto(), tab.t)) << bpp;
        EXPECT_FALSE(DrawMix(*dst, CRectangulo(0, 0, 6, 4), *alpha, CPunto(), *src, CPunto(), *bg, CPunto(), tab.t))
            << bpp;
        EXPECT_EQ(dst.Memory(), mem) << bpp;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, MixBackground, testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

// The keyed copy succeeds and the 8-bit mix refuses: the result is false but
// the background stays laid down.
TEST(MixBackground, EightBitMixRefusalKeepsTheBackground) {
    Rng rng(123);
    TestSurface dst(8, 6, 3, 1), src(8, 6, 3), bg(8, 6, 3, 2), alpha(8, 6, 3), deepAlpha(16, 6, 3);
    src.Randomize(rng);
    bg.Randomize(rng);
    alpha.Fill(128);
    deepAlpha.Fill(128);
    MarkedTable tab;
    const CRectangulo all(0, 0, 6, 3);

    dst.Fill(9);
    EXPECT_FALSE(DrawMix(*dst, all, 100, *src, CPunto(), *bg, CPunto(), kNoTable));
    EXPECT_EQ(dst.Pixels(), bg.Pixels());

    dst.Fill(9);
    EXPECT_FALSE(DrawMix(*dst, all, *alpha, CPunto(), *src, CPunto(), *bg, CPunto(), kNoTable));
    EXPECT_EQ(dst.Pixels(), bg.Pixels());

    dst.Fill(9);
    EXPECT_FALSE(DrawMix(*dst, all, *deepAlpha, CPunto(), *src, CPunto(), *bg, CPunto(), tab.t));
    EXPECT_EQ(dst.Pixels(), bg.Pixels());
    EXPECT_TRUE(dst.GuardsIntact());
}

}  // namespace
