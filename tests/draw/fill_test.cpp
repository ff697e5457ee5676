#include <gtest/gtest.h>

#include "tests/draw/drawtest.h"

using namespace drawtest;
using kvtest::TestSurface;

namespace {

// The colour 0x80FF8040 narrowed for fills, per kind.
uint32_t Narrowed(int kind) {
    switch (kind) {
        case 8:
            return 0x40;
        case 16:
            return 0xFC08;
        case 17:
        case 18:
            return 0xFE08;  // bit 15 from the colour's top bit, on X1R5G5B5 too
        case 19:
            return 0x8F84;
        case 24:
            return 0xFF8040;
        default:
            return 0x80FF8040;
    }
}

class FillKinds : public ::testing::TestWithParam<int> {};

TEST_P(FillKinds, FillsTheClippedRectangleOnly) {
    TestSurface s(GetParam(), 9, 7, 3);
    FillRaw(s, 0x1111);
    EXPECT_TRUE(IdxFillRect(*s, CRectangulo(-2, 3, 4, 20), 0x80FF8040));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(Raw(s, x, y), (x < 4 && y >= 3) ? Narrowed(GetParam()) : Fit(s, 0x1111)) << x << "," << y;
    EXPECT_TRUE(s.GuardsIntact());
}

TEST_P(FillKinds, EmptyOrOutsideRectanglesChangeNothing) {
    TestSurface s(GetParam(), 6, 4, 2);
    FillRaw(s, 0x2222);
    for (const CRectangulo &r : {CRectangulo(6, 0, 9, 4), CRectangulo(-5, -5, 0, 3), CRectangulo(2, 2, 2, 4),
                                 CRectangulo(3, 3, 1, 1), CRectangulo(0, 4, 6, 9)})
        EXPECT_TRUE(IdxFillRect(*s, r, 0xFFFFFFFF));
    EXPECT_TRUE(Changed(s, 0x2222).empty());
    EXPECT_TRUE(s.GuardsIntact());
}

TEST_P(FillKinds, RunsFramesAndShadows) {
    TestSurface s(GetParam(), 14, 10, 1);
    FillRaw(s, 0x3333);
    EXPECT_TRUE(IdxLineHI(*s, CPunto(10, 5), 3, 0x80FF8040));
    EXPECT_EQ(Changed(s, 0x3333), (Points{{10, 4}, {11, 4}, {12, 4}}));
    FillRaw(s, 0x3333);
    EXPECT_TRUE(IdxLineHI(*s, CPunto(10, 5), -3, 0x80FF8040));
    EXPECT_EQ(Changed(s, 0x3333), (Points{{7, 4}, {8, 4}, {9, 4}}));
    FillRaw(s, 0x3333);
    EXPECT_TRUE(IdxLineVI(*s, CPunto(3, 8), -2, 0x80FF8040));
    EXPECT_EQ(Changed(s, 0x3333), (Points{{2, 6}, {2, 7}}));

    FillRaw(s, 0x3333);
    EXPECT_TRUE(FrameBR(*s, CRectangulo(2, 2, 6, 5), 0x80FF8040));
    EXPECT_EQ(Changed(s, 0x3333), (Points{{5, 2}, {5, 3}, {2, 4}, {3, 4}, {4, 4}, {5, 4}}));
    EXPECT_EQ(Raw(s, 2, 4), Narrowed(GetParam()));

    // Step 2, size 5: frames at offsets 1, 2 and 3, in colour 0.
    FillRaw(s, 0x3333);
    EXPECT_TRUE(DrawRectShadow(*s, CRectangulo(1, 1, 4, 3), 2, 5));
    Points expect;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 14; ++x)
            for (int o = 1; o <= 3; ++o)
                if ((y == 2 + o && x >= 1 + o && x <= 3 + o) || (x == 3 + o && y >= 1 + o && y <= 2 + o)) {
                    expect.push_back({x, y});
                    break;
                }
    EXPECT_EQ(Changed(s, 0x3333), expect);
    for (const auto &p : expect) EXPECT_EQ(Raw(s, p.first, p.second), 0u);

    FillRaw(s, 0x3333);
    EXPECT_TRUE(DrawRectShadow(*s, CRectangulo(1, 1, 4, 3), 2, 0));
    EXPECT_TRUE(Changed(s, 0x3333).empty());
    // A zero step draws one frame instead of looping for ever.
    EXPECT_TRUE(DrawRectShadow(*s, CRectangulo(1, 1, 4, 3), 0, 7));
    EXPECT_EQ(Changed(s, 0x3333), (Points{{4, 2}, {2, 3}, {3, 3}, {4, 3}}));
    EXPECT_TRUE(s.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Kinds, FillKinds, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(Fill, UnknownKindsAreRefused) {
    TestSurface s(8, 4, 4);
    s.Fill(7);
    s.desc.bpp = 15;
    EXPECT_FALSE(IdxFillRect(*s, CRectangulo(0, 0, 4, 4), 1));
    EXPECT_FALSE(FrameBR(*s, CRectangulo(0, 0, 4, 4), 1));
    EXPECT_FALSE(DrawRectShadow(*s, CRectangulo(0, 0, 2, 2), 1, 3));
    EXPECT_FALSE(MaskFillRect(*s, CRectangulo(0, 0, 4, 4), 1, 100));
    s.desc.bpp = 8;
    EXPECT_FALSE(MaskFillRect(*s, CRectangulo(0, 0, 4, 4), 1, 100));
    EXPECT_TRUE(Changed(s, 0x07).empty());
}

TEST(MaskFill, BytesMixWithLevelPlusOne) {
    TestSurface s(32, 5, 3);
    FillRaw(s, 0xFFFFFFFF);
    EXPECT_TRUE(MaskFillRect(*s, CRectangulo(0, 0, 5, 3), 0x00000000, 0));
    EXPECT_TRUE(Changed(s, 0xFEFEFEFE).empty());  // (255 x 255 + 0) >> 8, alpha too
    EXPECT_TRUE(MaskFillRect(*s, CRectangulo(0, 0, 5, 3), 0x12345678, 255));
    EXPECT_TRUE(Changed(s, 0x12345678).empty());

    TestSurface t(24, 3, 2, 1);
    FillRaw(t, 0x204080);
    EXPECT_TRUE(MaskFillRect(*t, CRectangulo(1, 0, 3, 2), 0xAAFF0010, 100));
    // blue (0x80 x 155 + 0x10 x 101) >> 8, green 0x40 x 155 >> 8, red (0x20 x 155 + 255 x 101) >> 8
    const uint32_t mixed =
        ((0x20 * 155 + 255 * 101) >> 8) << 16 | ((0x40 * 155) >> 8) << 8 | ((0x80 * 155 + 0x10 * 101) >> 8);
    EXPECT_EQ(Raw(t, 0, 0), 0x204080u);
    EXPECT_EQ(Raw(t, 1, 0), mixed);
    EXPECT_EQ(Raw(t, 2, 1), mixed);
    EXPECT_TRUE(t.GuardsIntact());
}

TEST(MaskFill, SixteenBitFieldsFloorTowardsTheOldPixel) {
    // Half way from black and from white both land on the middle, the floor
    // rounding down in either direction.
    for (uint32_t d : {0x0000u, 0xFFFFu}) {
        TestSurface s(16, 3, 1);
        FillRaw(s, d);
        EXPECT_TRUE(MaskFillRect(*s, CRectangulo(0, 0, 3, 1), d ? 0 : 0xFFFFFFFF, 128));
        EXPECT_EQ(Raw(s, 1, 0), 0x7BEFu) << d;
    }
    // Alpha bits come out 0 from the blend.
    TestSurface a(19, 3, 1);
    FillRaw(a, 0xF000);
    EXPECT_TRUE(MaskFillRect(*a, CRectangulo(0, 0, 3, 1), 0xFFFFFFFF, 128));
    EXPECT_EQ(Raw(a, 0, 0), 0x0777u);
}

class MaskFullLevel : public ::testing::TestWithParam<int> {};

TEST_P(MaskFullLevel, GroupsOfFourTakeTheColourTheRestStopsShort) {
    const int kind = GetParam();
    TestSurface s(kind, 9, 2, 2);
    FillRaw(s, 0);
    // Columns 1 to 6: one group of four, then two pixels.
    EXPECT_TRUE(MaskFillRect(*s, CRectangulo(1, 0, 7, 2), 0xFFFFFFFF, 255));
    const uint32_t full = 0xFFFF;  // alpha bits included
    const uint32_t shortOf = kind == 16   ? (30u << 11 | 62u << 5 | 30u)
                             : kind == 19 ? (14u << 8 | 14u << 4 | 14u)
                                          : (30u << 10 | 30u << 5 | 30u);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(Raw(s, 0, y), 0u);
        for (int x = 1; x < 5; ++x) EXPECT_EQ(Raw(s, x, y), full) << x;
        for (int x = 5; x < 7; ++x) EXPECT_EQ(Raw(s, x, y), shortOf) << x;
        EXPECT_EQ(Raw(s, 7, y), 0u);
    }
    // Levels above 255 count as 255.
    TestSurface t(kind, 9, 2, 2);
    FillRaw(t, 0);
    EXPECT_TRUE(MaskFillRect(*t, CRectangulo(1, 0, 7, 2), 0xFFFFFFFF, 256 + 255));
    EXPECT_EQ(t.Pixels(), s.Pixels());
    EXPECT_TRUE(s.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Kinds16, MaskFullLevel, ::testing::Values(16, 17, 18, 19),
                         [](const auto &i) { return kvtest::KindName(i.param); });

// The translucent fill by its rule, one pixel at a time; x counts from the
// rectangle's left edge.
uint32_t MaskedByTheRule(int kind, uint32_t d, unsigned long k, int L, int x, int w) {
    if (kind == 24 || kind == 32) {
        uint32_t out = 0;
        for (int i = 0; i < kind / 8; ++i) {
            const uint32_t db = (d >> (8 * i)) & 0xFF, kb = (k >> (8 * i)) & 0xFF;
            out |= ((db * (255 - L) + kb * (L + 1)) >> 8) << (8 * i);
        }
        return out;
    }
    struct Field {
        int shift, bits;
    };
    const Field f565[3] = {{11, 5}, {5, 6}, {0, 5}}, f555[3] = {{10, 5}, {5, 5}, {0, 5}};
    const Field f4444[3] = {{8, 4}, {4, 4}, {0, 4}};
    const Field *f = kind == 16 ? f565 : kind == 19 ? f4444 : f555;
    uint32_t kn = 0;
    for (int c = 0; c < 3; ++c) kn |= ((k >> (8 * (2 - c) + 8 - f[c].bits)) & ((1u << f[c].bits) - 1)) << f[c].shift;
    if (kind == 19)
        kn |= (k >> 28) << 12;
    else if (kind != 16)
        kn |= (k >> 31) << 15;
    if (L == 255 && x < (w & ~3)) return kn;
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const int m = (1 << f[c].bits) - 1;
        const int a = int(d >> f[c].shift) & m, b = int(kn >> f[c].shift) & m;
        const int diff = (b - a) * L;
        out |= uint32_t(a + (diff >= 0 ? diff / 256 : -((-diff + 255) / 256))) << f[c].shift;
    }
    return out;
}

class MaskFillKinds : public ::testing::TestWithParam<int> {};

// Wide enough for several groups of pixels at a time, and a tail.
TEST_P(MaskFillKinds, EveryPixelFollowsTheRule) {
    const int kind = GetParam();
    kvtest::Rng rng{uint64_t(kind) + 100};
    for (int L : {0, 1, 77, 128, 254, 255}) {
        for (int w : {1, 4, 7, 8, 19, 24, 29}) {
            TestSurface s(kind, w + 3, 3, 5);
            s.Randomize(rng);
            const std::vector<uint8_t> before = s.Pixels();
            TestSurface old(kind, w + 3, 3, 5);
            old.SetPixels(before);
            const unsigned long k = rng.U32();
            EXPECT_TRUE(MaskFillRect(*s, CRectangulo(2, 1, 2 + w, 3), k, uint16_t(L)));
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < w + 3; ++x) {
                    const uint32_t d = Raw(old, x, y);
                    const bool inside = y >= 1 && x >= 2 && x < 2 + w;
                    const uint32_t want = inside ? MaskedByTheRule(kind, d, k, L, x - 2, w) : d;
                    ASSERT_EQ(Raw(s, x, y), want) << "level " << L << " width " << w << " at " << x << "," << y;
                }
            EXPECT_TRUE(s.GuardsIntact());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, MaskFillKinds, ::testing::Values(16, 17, 18, 19, 24, 32),
                         [](const auto &i) { return kvtest::KindName(i.param); });

class MaskFill8 : public ::testing::Test {
  protected:
    // Table 1 answers the key's low byte, table 0 its high byte, so each
    // pixel shows both the key and the table it went through.
    void SetUp() override {
        for (int k = 0; k < 65536; ++k) {
            tables[1][k] = uint8_t(k);
            tables[0][k] = uint8_t(k >> 8);
        }
    }
    unsigned char tables[2][65536];
};

TEST_F(MaskFill8, KeyFromEachChannelAndCheckerboard) {
    TestSurface s(8, 4, 3, 1);
    s.Fill(5);  // cube entry 5: pure blue 255, whatever the surface's own palette says
    s.palette[5] = TRGBA{0, 0, 0, 0};
    EXPECT_TRUE(MaskFillRect_8Bits(*s, CRectangulo(1, 0, 4, 3), 0x00FF0000, 128, tables));
    // red 255 x 128 and blue 255 x 128 both give 15: key 0x780F.
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(s.Row(y)[0], 5);
        for (int x = 1; x < 4; ++x) EXPECT_EQ(s.Row(y)[x], ((x + y) & 1) ? 0x78 : 0x0F) << x << "," << y;
    }
    // Level 256 is the colour alone, level 0 the entry alone.
    s.Fill(5);
    EXPECT_TRUE(MaskFillRect_8Bits(*s, CRectangulo(0, 0, 2, 1), 0x00FF0000, 256, tables));
    EXPECT_EQ(s.Row(0)[0], 0x00);  // key 0xF800 through table 1
    EXPECT_EQ(s.Row(0)[1], 0xF8);
    s.Fill(5);
    EXPECT_TRUE(MaskFillRect_8Bits(*s, CRectangulo(0, 0, 2, 1), 0x00FF0000, 0, tables));
    EXPECT_EQ(s.Row(0)[0], 0x1F);  // key 0x001F: the entry's blue
    EXPECT_EQ(s.Row(0)[1], 0x00);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST_F(MaskFill8, ClipsAndRefusesWiderPixels) {
    TestSurface s(8, 4, 2);
    s.Fill(0);
    EXPECT_TRUE(MaskFillRect_8Bits(*s, CRectangulo(-3, -3, 0, 9), 0xFFFFFF, 100, tables));
    EXPECT_TRUE(MaskFillRect_8Bits(*s, CRectangulo(0, 0, 4, 2), 0xFFFFFF, 100, nullptr));
    EXPECT_TRUE(Changed(s, 0).empty());
    TestSurface t(32, 4, 2);
    t.Fill(0);
    EXPECT_FALSE(MaskFillRect_8Bits(*t, CRectangulo(0, 0, 4, 2), 0xFFFFFF, 100, tables));
    EXPECT_TRUE(Changed(t, 0).empty());
}

}  // namespace
