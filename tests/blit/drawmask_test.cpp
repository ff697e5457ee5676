#include <gtest/gtest.h>

#include "tests/blit/mixref.h"
#include "tests/common/testsurf.h"

using kvtest::Rng;
using kvtest::TestSurface;
using namespace mixref;

namespace {

unsigned char (*const kNoTable)[65536] = nullptr;

// ---------------------------------------------------------------------------
// DrawMask
// ---------------------------------------------------------------------------

struct MaskCase {
    int kind;
    int maskKind;
};

// What DrawMask leaves at block column i of w, d the pixel before and mr
// the mask row from the block's first column, values mStep bytes apart.
uint32_t MaskedPixel(const MaskCase &c, const uint8_t *mr, int mStep, int i, int w, uint32_t col, uint32_t d) {
    const bool is16 = c.kind < 24;
    const uint32_t m = mr[i * mStep];
    if (is16 && c.maskKind == 8) {
        const int g = i & ~3;
        const bool full = i < (w & ~3) && (mr[g] & mr[g + 1] & mr[g + 2] & mr[g + 3]) == 255;
        return full ? col : m == 0 ? d : Mix(c.kind, col, d, m);
    }
    if (m == 255) return col;
    return m == 0 ? d : Mix(c.kind, col, d, is16 ? m : m + 1);
}

class DrawMaskExact : public testing::TestWithParam<MaskCase> {};

TEST_P(DrawMaskExact, EveryPixel) {
    const MaskCase c = GetParam();
    const int bytes = Bytes(c.kind);
    const bool is16 = c.kind < 24;
    const int mStep = (is16 ? c.maskKind != 8 : c.maskKind == c.kind) ? Bytes(c.maskKind) : 1;
    Rng rng(c.kind * 3 + c.maskKind);
    const int W = 11, H = 4;
    TestSurface dst(c.kind, W, H, 2), mask(c.maskKind, W + 1, H, 1);
    dst.Randomize(rng);
    mask.Randomize(rng);
    for (int x = 0; x <= W; ++x) {
        mask.Row(0)[x * mStep] = x < 6 ? 255 : 0;
        if (x < 9) mask.Row(1)[x * mStep] = 255;
    }
    const unsigned long color = 0xC0A05010u | (rng.U32() & 0x0F0F0F0F);
    TestSurface before(c.kind, W, H, 2);
    before.SetPixels(dst.Pixels());
    // Rows of 9 from column 1; the mask starts at its own column 2.
    ASSERT_TRUE(DrawMask(*dst, CRectangulo(1, 0, 10, H), *mask, CPunto(2, 0), color, kNoTable));
    const uint32_t col = FromColor(c.kind, color);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint32_t d = Get(before, x, y, bytes);
            uint32_t want = d;
            if (x >= 1 && x < 10) want = MaskedPixel(c, mask.Row(y) + 2 * mStep, mStep, x - 1, 9, col, d);
            ASSERT_EQ(Get(dst, x, y, bytes), want) << "x " << x << " y " << y;
        }
    EXPECT_TRUE(dst.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Kinds, DrawMaskExact,
                         testing::Values(MaskCase{16, 8}, MaskCase{16, 16}, MaskCase{17, 8}, MaskCase{17, 17},
                                         MaskCase{18, 8}, MaskCase{18, 18}, MaskCase{19, 8}, MaskCase{19, 19},
                                         MaskCase{24, 8}, MaskCase{24, 24}, MaskCase{24, 32}, MaskCase{32, 8},
                                         MaskCase{32, 32}, MaskCase{32, 16}),
                         [](const auto &i) {
                             return kvtest::KindName(i.param.kind) + "_mask" + kvtest::KindName(i.param.maskKind);
                         });

// The 16-bit rows go in groups of four with a pixel-wise tail: every width
// up to two groups and past them, from every destination and mask column
// modulo four, with masks mixing full groups, clear groups and single values.
class DrawMask16Widths : public testing::TestWithParam<MaskCase> {};

TEST_P(DrawMask16Widths, EveryWidthAndStart) {
    const MaskCase c = GetParam();
    const int mStep = c.maskKind == 8 ? 1 : 2;
    Rng rng(c.kind * 5 + c.maskKind);
    const int H = 3;
    for (int w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 17, 30}) {
        for (int x0 = 0; x0 < 4; ++x0) {
            const int mx = (x0 + 1 + w) & 3;
            TestSurface dst(c.kind, w + 5, H, 1), mask(c.maskKind, w + 4, H, 3);
            dst.Randomize(rng);
            mask.Randomize(rng);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < w + 4; x += 4) {
                    const int pick = rng.Range(0, 3);  // full, clear, one value set, random
                    for (int k = x; k < x + 4 && k < w + 4; ++k) {
                        uint8_t &v = mask.Row(y)[k * mStep];
                        if (pick == 0) v = 255;
                        if (pick == 1) v = 0;
                        if (pick == 2) v = k == x + 1 ? uint8_t(rng.Range(1, 255)) : 0;
                    }
                }
            const unsigned long color = rng.U32();
            TestSurface before(c.kind, w + 5, H, 1);
            before.SetPixels(dst.Pixels());
            ASSERT_TRUE(DrawMask(*dst, CRectangulo(x0, 0, x0 + w, H), *mask, CPunto(mx, 0), color, kNoTable));
            const uint32_t col = FromColor(c.kind, color);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < w + 5; ++x) {
                    const uint32_t d = Get(before, x, y, 2);
                    const bool in = x >= x0 && x < x0 + w;
                    const uint32_t want = in ? MaskedPixel(c, mask.Row(y) + mx * mStep, mStep, x - x0, w, col, d) : d;
                    ASSERT_EQ(Get(dst, x, y, 2), want) << "w " << w << " x0 " << x0 << " x " << x << " y " << y;
                }
            ASSERT_TRUE(dst.GuardsIntact());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DrawMask16Widths,
                         testing::Values(MaskCase{16, 8}, MaskCase{16, 16}, MaskCase{17, 8}, MaskCase{17, 17},
                                         MaskCase{18, 8}, MaskCase{18, 18}, MaskCase{19, 8}, MaskCase{19, 19}),
                         [](const auto &i) {
                             return kvtest::KindName(i.param.kind) + "_mask" + kvtest::KindName(i.param.maskKind);
                         });

TEST(DrawMask, RedOn565GroupIsExactRowEndMixes) {
    TestSurface dst(16, 6, 1), mask(8, 6, 1);
    dst.Fill(0);
    mask.Fill(255);
    ASSERT_TRUE(DrawMask(*dst, CRectangulo(0, 0, 6, 1), *mask, CPunto(), 0x00FF0000, kNoTable));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Get(dst, x, 0, 2), 0xF800u);
    for (int x = 4; x < 6; ++x) EXPECT_EQ(Get(dst, x, 0, 2), 30u << 11);  // 31 * 255 / 256
}

TEST(DrawMask, ThirtyTwoBitsWritesAndMixesTheTopByte) {
    TestSurface dst(32, 2, 1), mask(8, 2, 1);
    Put(dst, 0, 0, 4, 0x10203040);
    Put(dst, 1, 0, 4, 0x10203040);
    mask.Row(0)[0] = 255;
    mask.Row(0)[1] = 128;
    DrawMask(*dst, CRectangulo(0, 0, 2, 1), *mask, CPunto(), 0xF0E0D0C0, kNoTable);
    EXPECT_EQ(Get(dst, 0, 0, 4), 0xF0E0D0C0u);
    uint32_t want = 0;
    const uint32_t c = 0xF0E0D0C0, d = 0x10203040;
    for (int b = 0; b < 4; ++b) want |= ((((c >> 8 * b) & 255) * 129 + ((d >> 8 * b) & 255) * 127) / 256) << 8 * b;
    EXPECT_EQ(Get(dst, 1, 0, 4), want);
}

TEST(DrawMask, SixteenBitsRefusesOtherMaskDepths) {
    for (int kind : {16, 17, 18, 19}) {
        TestSurface dst(kind, 4, 2), mask(32, 4, 2);
        mask.Fill(255);
        dst.Fill(0x11);
        EXPECT_FALSE(DrawMask(*dst, CRectangulo(0, 0, 4, 2), *mask, CPunto(), 0xFFFFFF, kNoTable));
        for (uint8_t b : dst.Pixels()) EXPECT_EQ(b, 0x11);
    }
    TestSurface dst(32, 4, 2), mask(8, 4, 2);
    dst.desc.bpp = 15;
    EXPECT_FALSE(DrawMask(*dst, CRectangulo(0, 0, 4, 2), *mask, CPunto(), 0, kNoTable));
}

TEST(DrawMask, ClippingMovesTheMaskPoint) {
    for (int kind : kvtest::AllKinds()) {
        const int bytes = Bytes(kind);
        TestSurface dst(kind, 6, 4, 3), mask(8, 12, 12);
        mask.Fill(0);
        dst.Fill(0);
        // Only mask pixel (7, 5) is set; with the rectangle from (-3, -2)
        // and the mask point (4, 3), it lands on destination (0, 0).
        mask.Row(5)[7] = 200;
        MarkedTable tab;
        ASSERT_TRUE(DrawMask(*dst, CRectangulo(-3, -2, 20, 20), *mask, CPunto(4, 3), 0xFFFFFF, tab.t));
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) EXPECT_EQ(Get(dst, x, y, bytes) != 0, x == 0 && y == 0) << kind;
        EXPECT_TRUE(dst.GuardsIntact());
    }
}

TEST(DrawMask8, AlwaysThroughTheTableWithWeightM) {
    Rng rng(4);
    TestSurface dst(8, 9, 3), mask(8, 9, 3);
    dst.Randomize(rng);
    mask.Randomize(rng);
    mask.Row(0)[0] = 255;
    mask.Row(0)[1] = 0;
    TestSurface before(8, 9, 3);
    before.SetPixels(dst.Pixels());
    MarkedTable tab;
    const unsigned long color = 0x00C08040;
    ASSERT_TRUE(DrawMask(*dst, CRectangulo(0, 0, 9, 3), *mask, CPunto(), color, tab.t));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x) {
            const uint32_t m = mask.Row(y)[x];
            const TRGBA &d = lu_gPaleta[before.Row(y)[x]];
            const uint8_t want =
                m == 0 ? before.Row(y)[x]
                       : tab.t[(x + y) % 2 == 0][Key565(Wm(0xC0, d.r, m), Wm(0x80, d.g, m), Wm(0x40, d.b, m))];
            ASSERT_EQ(dst.Row(y)[x], want) << x << "," << y;
        }
}

TEST(DrawMask8, MaskMustBe8BitButEmptyComesFirst) {
    TestSurface dst(8, 4, 2), mask(16, 4, 2);
    mask.Fill(255);
    dst.Fill(9);
    MarkedTable tab;
    EXPECT_FALSE(DrawMask_8Bits(*dst, CRectangulo(0, 0, 4, 2), *mask, CPunto(), 0xFFFFFF, tab.t));
    EXPECT_TRUE(DrawMask_8Bits(*dst, CRectangulo(4, 0, 8, 2), *mask, CPunto(), 0xFFFFFF, tab.t));
    for (uint8_t b : dst.Pixels()) EXPECT_EQ(b, 9);
}

// ---------------------------------------------------------------------------
// DrawBiMask
// ---------------------------------------------------------------------------

class DrawBiMaskRGB : public testing::TestWithParam<int> {};

TEST_P(DrawBiMaskRGB, EndsAndPartialStrengths) {
    const int kind = GetParam(), bytes = Bytes(kind);
    // Recognisable targets; put the model palette back afterwards.
    const TRGBA save0 = lu_gPaleta[0], save255 = lu_gPaleta[255];
    lu_gPaleta[0] = TRGBA{10, 20, 30, 40};
    lu_gPaleta[255] = TRGBA{250, 240, 230, 220};
    for (int strength : {256, 128, 77, 1000}) {
        TestSurface dst(kind, 256, 1), mask(8, 256, 1);
        for (int x = 0; x < 256; ++x) {
            mask.Row(0)[x] = uint8_t(x);
            Put(dst, x, 0, bytes, 0x9C6B5A49u);
        }
        ASSERT_TRUE(DrawBiMask(*dst, (unsigned short)strength, CRectangulo(0, 0, 256, 1), *mask, CPunto(), kNoTable));
        for (int m = 0; m < 256; ++m) {
            const uint32_t s = m < 128 ? ((127 - m) * strength) >> 7 : ((m - 128) * strength) >> 7;
            const TRGBA &t = m < 128 ? lu_gPaleta[0] : lu_gPaleta[255];
            const uint32_t d = 0x9C6B5A49u & (kind == 24 ? 0xFFFFFF : 0xFFFFFFFF);
            uint32_t want = d;
            if (s >= 254) {
                want = (d & 0xFF000000u) | (t.r << 16) | (t.g << 8) | t.b;
            } else if (s > 0) {
                want = (d & 0xFF000000u) | (Wm(t.r, (d >> 16) & 255, s) << 16) | (Wm(t.g, (d >> 8) & 255, s) << 8) |
                       Wm(t.b, d & 255, s);
            }
            ASSERT_EQ(Get(dst, m, 0, bytes), want) << "strength " << strength << " m " << m;
        }
        if (strength == 256) {
            EXPECT_EQ(Get(dst, 127, 0, bytes), Get(dst, 128, 0, bytes));  // both untouched
            EXPECT_EQ(Get(dst, 0, 0, bytes) & 0xFFFFFF, 0x1E140Au);
        }
    }
    lu_gPaleta[0] = save0;
    lu_gPaleta[255] = save255;
}

INSTANTIATE_TEST_SUITE_P(Kinds, DrawBiMaskRGB, testing::Values(24, 32),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(DrawBiMask, SixteenBitsAndOthersReturnFalse) {
    for (int kind : {16, 17, 18, 19}) {
        TestSurface dst(kind, 4, 1), mask(8, 4, 1);
        dst.Fill(0x42);
        mask.Fill(0);
        EXPECT_FALSE(DrawBiMask(*dst, 256, CRectangulo(0, 0, 4, 1), *mask, CPunto(), kNoTable));
        for (uint8_t b : dst.Pixels()) EXPECT_EQ(b, 0x42);
    }
    TestSurface dst(32, 4, 1), mask(8, 4, 1);
    EXPECT_TRUE(DrawBiMask(*dst, 256, CRectangulo(5, 0, 9, 1), *mask, CPunto(), kNoTable));
}

TEST(DrawBiMask8, TargetsSwappedKeyAndFirstTable) {
    TestSurface dst(8, 256, 2), mask(8, 256, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 256; ++x) {
            mask.Row(y)[x] = uint8_t(x);
            dst.Row(y)[x] = 100;  // a cube colour with three different channels
        }
    MarkedTable tab;
    for (int strength : {256, 128}) {
        TestSurface d(8, 256, 2);
        d.SetPixels(dst.Pixels());
        ASSERT_TRUE(DrawBiMask(*d, (unsigned short)strength, CRectangulo(0, 0, 256, 2), *mask, CPunto(), tab.t));
        const TRGBA &e = lu_gPaleta[100];
        for (int y = 0; y < 2; ++y)
            for (int m = 0; m < 256; ++m) {
                const uint32_t s = m < 128 ? ((127 - m) * strength) >> 7 : ((m - 128) * strength) >> 7;
                const uint32_t T = m < 128 ? 0 : 255;
                uint8_t want = 100;
                if (s >= 254)
                    want = uint8_t(T);
                else if (s > 0)
                    want = tab.t[0][Key565(Wm(T, e.b, s), Wm(T, e.g, s), Wm(T, e.r, s))];
                ASSERT_EQ(d.Row(y)[m], want) << strength << " " << m;
            }
    }
    EXPECT_FALSE(DrawBiMask_8Bits(*dst, 256, CRectangulo(0, 0, 4, 1), *mask, CPunto(), kNoTable));
}

}  // namespace
