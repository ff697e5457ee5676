// DoFactor, DoGradient, the anti-alias filters and DoAntiAliasBMP.
#include <gtest/gtest.h>
#include <string.h>

#include <memory>

#include "tests/common/testsurf.h"

using kvtest::PutWord;
using kvtest::Rng;
using kvtest::TestSurface;
using kvtest::Word;

namespace {

struct Layout {
    int rs, rb, gs, gb, bs, bb;
};
Layout LayoutOf(int kind) {
    if (kind == 16) return {11, 5, 5, 6, 0, 5};
    if (kind == 19) return {8, 4, 4, 4, 0, 4};
    return {10, 5, 5, 5, 0, 5};
}

// ---- DoFactor

// A 16-bit pixel as DoFactor leaves it: each field x f >> 8, alpha bits 0.
uint32_t FactorWord(int kind, uint32_t v, int f) {
    const Layout l = LayoutOf(kind);
    auto ch = [&](int sh, int bits) { return (((v >> sh) & ((1u << bits) - 1)) * f >> 8) << sh; };
    return ch(l.rs, l.rb) | ch(l.gs, l.gb) | ch(l.bs, l.bb);
}

class Factor : public ::testing::TestWithParam<int> {};

TEST_P(Factor, ScalesEveryPixelOfEveryRowAndNothingElse) {
    const int kind = GetParam();
    Rng rng(kind);
    for (int f : {0, 1, 100, 128, 254, 255}) {
        TestSurface s(kind, 7, 5, 6);
        s.Randomize(rng);
        std::vector<uint8_t> want = s.Pixels();
        const int B = int(s.desc.bpp / 8);
        if (B != 2) {
            for (uint8_t &b : want) b = uint8_t(b * f >> 8);
        } else if (f != 255) {
            for (size_t i = 0; i < want.size(); i += 2) {
                const uint32_t o = FactorWord(kind, want[i] | want[i + 1] << 8, f);
                want[i] = uint8_t(o), want[i + 1] = uint8_t(o >> 8);
            }
        }
        ASSERT_TRUE(DoFactor(s.desc, uint16_t(f)));
        EXPECT_EQ(s.Pixels(), want) << "factor " << f;
        // An 8-bit plane is scaled whole, padding too; the others keep it.
        if (kind != 8) {
            EXPECT_TRUE(s.GuardsIntact());
        }
    }
    TestSurface s(kind, 4, 3, 2);
    s.Randomize(rng);
    const std::vector<uint8_t> before = s.Memory();
    EXPECT_TRUE(DoFactor(s.desc, 256));
    EXPECT_TRUE(DoFactor(s.desc, 9999));
    EXPECT_EQ(s.Memory(), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Factor, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

// The 16-bit rows in groups of four and eight with a pixel-wise tail: every
// width up to two groups and past them, from every start column, must scale
// exactly the block's pixels.
class Factor16Widths : public ::testing::TestWithParam<int> {};

TEST_P(Factor16Widths, EveryWidthAndStartColumn) {
    const int kind = GetParam();
    Rng rng(kind * 7 + 1);
    for (int w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 15, 16, 17, 33}) {
        for (int x0 = 0; x0 < 4; ++x0) {
            const int f = rng.Range(0, 254);
            TestSurface s(kind, w + 4, 3, 2);
            s.Randomize(rng);
            std::vector<uint8_t> want = s.Pixels();
            const size_t rowBytes = size_t(w + 4) * 2;
            for (size_t y = 0; y < 3; ++y)
                for (int x = x0; x < x0 + w; ++x) {
                    const size_t i = y * rowBytes + size_t(x) * 2;
                    const uint32_t o = FactorWord(kind, want[i] | want[i + 1] << 8, f);
                    want[i] = uint8_t(o), want[i + 1] = uint8_t(o >> 8);
                }
            TSurfDesc view = s.desc;
            view.bits += 2 * x0;
            view.width = w;
            ASSERT_TRUE(DoFactor(view, uint16_t(f)));
            ASSERT_EQ(s.Pixels(), want) << "width " << w << " from " << x0 << " factor " << f;
            ASSERT_TRUE(s.GuardsIntact());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Factor16Widths, ::testing::Values(16, 17, 18, 19),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

TEST(FactorCases, HalfOfAPixelAndTheUnhandledKinds) {
    TestSurface s(32, 1, 1);
    s.SetPixels({50, 100, 200, 255});
    ASSERT_TRUE(DoFactor(s.desc, 128));
    EXPECT_EQ(s.Pixels(), (std::vector<uint8_t>{25, 50, 100, 127}));
    s.SetPixels({255, 255, 255, 255});
    ASSERT_TRUE(DoFactor(s.desc, 255));
    EXPECT_EQ(s.Pixels(), (std::vector<uint8_t>{254, 254, 254, 254}));

    TestSurface p(8, 3, 2, 1);
    p.desc.bpp = 15;
    EXPECT_FALSE(DoFactor(p.desc, 100));
    EXPECT_TRUE(DoFactor(p.desc, 256));
}

TEST(FactorCases, PlaneIsScaledPaddingIncluded) {
    TestSurface s(8, 3, 2, 2);
    s.Fill(200);
    ASSERT_TRUE(DoFactor(s.desc, 64));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(s.Row(y)[x], x < 3 ? 50 : TestSurface::kGuard * 64 >> 8);
}

// ---- DoGradient

TEST(Gradient, FourPixelsOfBlue) {
    TestSurface s(32, 4, 3, 4);
    s.Fill(0xEE);
    const unsigned long a = 0, z = 0xFF;
    ASSERT_TRUE(DoGradient(s.desc, a, z));
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(std::vector<uint8_t>(s.Row(y), s.Row(y) + 16),
                  (std::vector<uint8_t>{0, 0, 0, 0, 63, 0, 0, 0, 127, 0, 0, 0, 191, 0, 0, 0}));
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(Gradient, BlackToWhiteStopsOneStepShort) {
    const unsigned long a = 0, z = 0xFFFFFF;
    TestSurface s(16, 4, 2, 2);
    ASSERT_TRUE(DoGradient(s.desc, a, z));
    EXPECT_EQ(Word(s, 3, 1), (23u << 11) | (47u << 5) | 23u);
    EXPECT_EQ(Word(s, 0, 0), 0u);
    EXPECT_TRUE(s.GuardsIntact());

    TestSurface t(24, 4, 1);
    ASSERT_TRUE(DoGradient(t.desc, a, z));
    EXPECT_EQ(GetPixel(t.desc, 3, 0), 0x00BFBFBFul);
}

TEST(Gradient, AlphaByteDoesNotReachRed) {
    for (int kind : {16, 17, 18, 19}) {
        TestSurface s(kind, 5, 1), t(kind, 5, 1);
        const unsigned long a = 0xFF102030, z = 0xFFF0E0D0, a0 = 0x102030, z0 = 0xF0E0D0;
        ASSERT_TRUE(DoGradient(s.desc, a, z));
        ASSERT_TRUE(DoGradient(t.desc, a0, z0));
        EXPECT_EQ(s.Pixels(), t.Pixels()) << kind;
        if (kind != 16) {
            EXPECT_EQ(Word(s, 4, 0) >> (kind == 19 ? 12 : 15), 0u);  // no alpha bits
        }
    }
}

TEST(Gradient, DescendingRampAndRefusals) {
    TestSurface s(32, 3, 1);
    const unsigned long a = 0x00FF0000, z = 0;
    ASSERT_TRUE(DoGradient(s.desc, a, z));
    // step = -255 / 3 x 65536 = -5570560: red 255, 170, 85.
    EXPECT_EQ(GetPixel(s.desc, 1, 0), 0x00AA0000ul);
    EXPECT_EQ(GetPixel(s.desc, 2, 0), 0x00550000ul);

    TestSurface e(32, 0, 2), p(8, 4, 4);
    EXPECT_FALSE(DoGradient(e.desc, a, z));
    EXPECT_FALSE(DoGradient(p.desc, a, z));
}

// ---- DoAntiAlias, DoAntiAlias2

class AntiAlias : public ::testing::TestWithParam<int> {};

// Rows 0, 1, height - 2 and height - 1 are never written, nor is padding;
// small images change not at all.
TEST_P(AntiAlias, LeavesTheBordersAndSmallImagesAlone) {
    const int kind = GetParam();
    Rng rng(kind + 100);
    const CRectangulo r;
    for (int h = 1; h <= 9; ++h) {
        for (int which = 0; which < 2; ++which) {
            TestSurface s(kind, 6, h, 4), other(kind, 1, 1);
            s.Randomize(rng);
            const std::vector<uint8_t> before = s.Pixels();
            const bool ok = which ? DoAntiAlias2(s.desc, r, other.desc, 0) : DoAntiAlias(s.desc, r, other.desc, 0);
            EXPECT_TRUE(ok);
            EXPECT_TRUE(s.GuardsIntact());
            const std::vector<uint8_t> after = s.Pixels();
            const size_t row = size_t(s.RowBytes());
            for (int y = 0; y < h; ++y) {
                if (y >= 2 && y < h - 2) continue;
                EXPECT_TRUE(
                    std::equal(after.begin() + y * row, after.begin() + (y + 1) * row, before.begin() + y * row))
                    << "row " << y << " of " << h;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, AntiAlias, ::testing::Values(16, 17, 18, 19, 24, 32),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

// The byte layouts, blue first: B is the pixel size.
class AntiAliasBytes : public ::testing::TestWithParam<int> {
  protected:
    const int kind = GetParam();
    const int B = kind / 8;
};

TEST_P(AntiAliasBytes, BlueSpotSpreadsOnOneRow) {
    TestSurface s(kind, 5, 5), o(kind, 1, 1);
    s.Fill(0);
    s.Row(2)[2 * B] = 80;
    for (int x = 0; x < 5; ++x) {
        s.Row(2)[x * B + 1] = 9;  // green: cleared where written
        if (B == 4) s.Row(2)[x * B + 3] = 0x77;
    }
    ASSERT_TRUE(DoAntiAlias(s.desc, CRectangulo(), o.desc, 0));
    const uint8_t *row = s.Row(2);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[1], 9);  // column 0 is not walked
    EXPECT_EQ(row[B], 10);
    EXPECT_EQ(row[B + 1], 0);
    EXPECT_EQ(row[2 * B], 160);
    EXPECT_EQ(row[3 * B], 10);
    EXPECT_EQ(row[4 * B + 1], 9);  // nor is the last column
    if (B == 4) {
        EXPECT_EQ(row[2 * B + 3], 0x77);
    }
}

TEST_P(AntiAliasBytes, CrossOfTheSecondFilter) {
    TestSurface s(kind, 7, 7), o(kind, 1, 1);
    s.Fill(0);
    // Centre 2, the pixel above 25: 3 x 25 - 2 = 73, which makes 10.
    s.Row(3)[3 * B] = 2;
    s.Row(2)[3 * B] = 25;
    s.Row(3)[3 * B + 2] = 5;
    ASSERT_TRUE(DoAntiAlias2(s.desc, CRectangulo(), o.desc, 0));
    EXPECT_EQ(s.Row(3)[3 * B], 10);
    EXPECT_EQ(s.Row(3)[3 * B + 2], 0);
    // The pixel above: -2 (two up is row 0: 0) ... 3 x 0 ... - 25 + 3 x 2 = -19.
    EXPECT_EQ(s.Row(2)[3 * B], 0);
    // Zero pixels are left alone even with bright neighbours.
    EXPECT_EQ(s.Row(3)[2 * B], 0);
    // Column w - 2 is not walked: the cross would leave the row.
    s.Fill(0);
    s.Row(3)[5 * B] = 200;
    s.Row(3)[4 * B] = 1;
    ASSERT_TRUE(DoAntiAlias2(s.desc, CRectangulo(), o.desc, 0));
    EXPECT_EQ(s.Row(3)[5 * B], 200);
    EXPECT_EQ(s.Row(3)[4 * B], 200 * 3 * 10 / 73 > 255 ? 255 : (600 - 1) * 10 / 73);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AntiAliasBytes, ::testing::Values(24, 32),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

TEST(AntiAliasCases, SixteenBitCross) {
    TestSurface s(16, 6, 6), o(16, 1, 1);
    s.Fill(0);
    // Centre (2, 2) has a value; above it red 10, green 20; left of it
    // blue 31; two to the right red 31.
    PutWord(s, 2, 2, 0x0001);
    PutWord(s, 2, 1, (10 << 11) | (20 << 5));
    PutWord(s, 1, 2, 31);
    PutWord(s, 4, 2, 31u << 11);
    // The zero pixel (3, 2) stays 0 despite its neighbours.
    ASSERT_TRUE(DoAntiAlias(s.desc, CRectangulo(), o.desc, 0));
    // red: 3 x 10 - 31 = -1 -> 0; green 3 x 20 / 3 = 20; blue 3 x 31 / 3 = 31.
    EXPECT_EQ(Word(s, 2, 2), (0u << 11) | (20u << 5) | 31u);
    EXPECT_EQ(Word(s, 3, 2), 0u);
    // (1, 2): right neighbour is the old centre (blue 1 x 3 / 3), red from
    // above-right? no: the cross only; -(2 right: red 0) ... blue 1.
    EXPECT_EQ(Word(s, 1, 2), 1u);
    // (4, 2): left two is the centre's blue 1: -1 -> 0; its own value stays out.
    EXPECT_EQ(Word(s, 4, 2), 0u);
}

TEST(AntiAliasCases, SixteenBitBlockIsOredIn) {
    TestSurface s(18, 5, 5), o(18, 1, 1);
    s.Fill(0);
    PutWord(s, 2, 2, 0x8000 | (1 << 10));                    // alpha and a little red
    for (int x = 1; x <= 3; ++x) PutWord(s, x, 1, 31 << 5);  // green above
    ASSERT_TRUE(DoAntiAlias2(s.desc, CRectangulo(), o.desc, 0));
    // green 3 x 31 / 9 = 10; red 0 - 8 x 1 -> 0; then OR the old value.
    EXPECT_EQ(Word(s, 2, 2), 0x8000u | (1u << 10) | (10u << 5));
}

TEST(AntiAliasCases, EightBitsAndUnknownKinds) {
    TestSurface s(8, 9, 9), o(8, 1, 1);
    Rng rng(1);
    s.Randomize(rng);
    const std::vector<uint8_t> before = s.Memory();
    EXPECT_TRUE(DoAntiAlias(s.desc, CRectangulo(), o.desc, 0));
    EXPECT_FALSE(DoAntiAlias2(s.desc, CRectangulo(), o.desc, 0));
    s.desc.bpp = 15;
    EXPECT_FALSE(DoAntiAlias(s.desc, CRectangulo(), o.desc, 0));
    EXPECT_EQ(s.Memory(), before);
}

// ---- DoAntiAliasBMP

TEST(AntiAliasBMP, NeighbourCodes) {
    TestSurface s(8, 8, 8);
    s.Fill(0);
    s.Row(2)[6] = 9;  // isolated
    s.Row(5)[4] = 1;  // left and up set
    s.Row(5)[3] = 1;
    s.Row(4)[4] = 1;
    ASSERT_TRUE(DoAntiAliasBMP(s.desc, 256));
    EXPECT_EQ(s.Row(2)[6], 3);
    EXPECT_EQ(s.Row(5)[4], 75);
    // (3, 5): up-right is not a flag; the byte right of it is not either.
    EXPECT_EQ(s.Row(5)[3], 3);
    // (4, 4): down-left (3, 5) is set.
    EXPECT_EQ(s.Row(4)[4], 3 + 4);
}

TEST(AntiAliasBMP, SmallPlanesOnlyTakeTheLevel) {
    for (int h = 1; h <= 5; ++h) {
        TestSurface s(8, 3, h, 1);
        s.Fill(200);
        ASSERT_TRUE(DoAntiAliasBMP(s.desc, 128));
        for (int y = 0; y < h; ++y) {
            EXPECT_EQ(s.Row(y)[0], 100);
            EXPECT_EQ(s.Row(y)[3], TestSurface::kGuard / 2);  // padding is plane too
        }
    }
    TestSurface s(8, 4, 4);
    s.Fill(77);
    ASSERT_TRUE(DoAntiAliasBMP(s.desc, 512));  // low byte 0
    EXPECT_EQ(s.Pixels(), std::vector<uint8_t>(16, 0));
}

}  // namespace
