#include <gtest/gtest.h>
#include <string.h>

#include "tests/common/testsurf.h"

using kvtest::TestSurface;

namespace {

TEST(Palette, ModelPaletteAfterLoad) {
    auto e = [](int i) { return lu_gPaleta[i]; };
    EXPECT_EQ(e(0).b | e(0).g | e(0).r, 0);
    EXPECT_EQ(e(1).b, 51);
    EXPECT_EQ(e(5).b, 255);
    EXPECT_EQ(e(6).g, 42);
    EXPECT_EQ(e(18).g, 127);
    EXPECT_EQ(e(36).g, 255);
    EXPECT_EQ(e(42).r, 51);
    EXPECT_EQ(e(210).r, 255);
    EXPECT_EQ(e(251).r & e(251).g & e(251).b, 255);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(e(i).a, 0) << i;
    for (int i = 252; i < 256; ++i) EXPECT_EQ(e(i).r | e(i).g | e(i).b, 0) << i;
    // Every cube entry holds the levels of its own index.
    for (int i = 0; i < 252; ++i) {
        EXPECT_EQ(e(i).r, 255 * (i / 42) / 5);
        EXPECT_EQ(e(i).g, 255 * (i / 6 % 7) / 6);
        EXPECT_EQ(e(i).b, 255 * (i % 6) / 5);
    }
}

TEST(Palette, CreateModelPalTouchesOnlyColourBytesOfTheCube) {
    TRGBA pal[256];
    memset(pal, 0xFF, sizeof pal);
    CreateModelPal(pal);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(pal[i].a, 0xFF);
    for (int i = 252; i < 256; ++i) EXPECT_EQ(pal[i].r & pal[i].g & pal[i].b, 0xFF);
    for (int i = 0; i < 252; ++i) EXPECT_EQ(pal[i].g, lu_gPaleta[i].g);
}

TEST(Palette, InitializeDLLRestoresTheCube) {
    TRGBA saved[256];
    memcpy(saved, lu_gPaleta, sizeof saved);
    lu_gPaleta[7].g = 99;
    lu_gPaleta[253].r = 5;
    InitializeDLL();
    InitializeDLL();
    EXPECT_EQ(lu_gPaleta[7].g, saved[7].g);
    EXPECT_EQ(lu_gPaleta[253].r, 5);  // outside the cube: left alone
    lu_gPaleta[253].r = 0;
    EXPECT_EQ(memcmp(saved, lu_gPaleta, sizeof saved), 0);
}

TEST(Queries, Basics) {
    TestSurface s(32, 640, 480, 12);
    EXPECT_EQ(Width(*s), 640);
    EXPECT_EQ(Height(*s), 480);
    EXPECT_EQ(ScanWidth(*s), 640 * 4 + 12);
    CSize z = Size(*s);
    EXPECT_EQ(z.cx, 640);
    EXPECT_EQ(z.cy, 480);
    s.desc.transColor = 0xFFFFFFFFu;
    EXPECT_FALSE(Transp(*s));
    s.desc.transColor = 0xFFFFFFFEu;
    EXPECT_TRUE(Transp(*s));
    s.desc.transColor = 0;
    EXPECT_TRUE(Transp(*s));
}

struct PixelCase {
    int kind;
    unsigned long in;
    std::vector<uint8_t> stored;
    unsigned long out;
};

class PixelAccess : public ::testing::TestWithParam<PixelCase> {};

TEST_P(PixelAccess, StoresAndReadsBack) {
    const PixelCase &c = GetParam();
    TestSurface s(c.kind, 3, 2, 5);
    s.Fill(0);
    SetPixel(*s, 1, 1, c.in);
    std::vector<uint8_t> px = s.Pixels();
    const int bpp = int(s.desc.bpp / 8);
    std::vector<uint8_t> got(px.begin() + (3 + 1) * bpp, px.begin() + (3 + 2) * bpp);
    EXPECT_EQ(got, c.stored);
    EXPECT_EQ(GetPixel(*s, CPunto(1, 1)), c.out);
    EXPECT_EQ(GetPixel(*s, 1, 1), c.out);
    // Nothing else changed.
    for (size_t i = 0; i < px.size(); ++i) {
        if (i < size_t(4 * bpp) || i >= size_t(5 * bpp)) {
            EXPECT_EQ(px[i], 0) << i;
        }
    }
    EXPECT_TRUE(s.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Kinds, PixelAccess,
                         ::testing::Values(PixelCase{16, 0x00FFFFFF, {0xFF, 0xFF}, 0x00F8FCF8},
                                           PixelCase{16, 0x00123456, {0xAA, 0x11}, 0x00103450},
                                           PixelCase{17, 0xFFFFFFFF, {0xFF, 0x7F}, 0x00F8F8F8},
                                           PixelCase{18, 0xFFFFFFFF, {0xFF, 0x7F}, 0x00F8F8F8},
                                           PixelCase{19, 0x00123456, {0x35, 0x01}, 0x00103050},
                                           PixelCase{19, 0xFFFFFFFF, {0xFF, 0x0F}, 0x00F0F0F0},
                                           PixelCase{24, 0xAA112233, {0x33, 0x22, 0x11}, 0x00112233},
                                           PixelCase{32, 0x80112233, {0x33, 0x22, 0x11, 0x80}, 0x80112233},
                                           PixelCase{8, 0x1234567A, {0x7A}, 0x7A}));

class PixelBounds : public ::testing::TestWithParam<int> {};

TEST_P(PixelBounds, OutsidePointsReadZeroAndWriteNothing) {
    TestSurface s(GetParam(), 10, 3, 3);
    s.Fill(0x5A);
    const std::vector<uint8_t> before = s.Pixels();
    const CPunto outside[] = {{10, 0}, {-1, 0}, {0, 3}, {0, -1}, {INT32_MIN, INT32_MAX}, {INT32_MAX, 0}};
    for (const CPunto &p : outside) {
        EXPECT_EQ(GetPixel(*s, p), 0u);
        SetPixel(*s, p, 0xFFFFFFFF);
    }
    EXPECT_EQ(s.Pixels(), before);
    EXPECT_TRUE(s.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Kinds, PixelBounds, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(PixelAccess, UnknownKindsAreIgnored) {
    uint8_t mem[16];
    memset(mem, 0x11, sizeof mem);
    for (unsigned bpp : {15u, 4u, 0u, 1u}) {
        TSurfDesc s{};
        s.width = 2;
        s.height = 2;
        s.bpp = bpp;
        s.scanWidth = 8;
        s.bits = mem;
        EXPECT_EQ(GetPixel(s, 0, 0), 0u);
        SetPixel(s, 0, 0, 0);
    }
    for (uint8_t b : mem) EXPECT_EQ(b, 0x11);
}

TEST(PixelAccess, PitchWiderThanRowAddressesRows) {
    TestSurface s(24, 7, 3, 4);
    s.Fill(0);
    SetPixel(*s, 6, 2, 0x00ABCDEF);
    EXPECT_EQ(s.Row(2)[18], 0xEF);
    EXPECT_EQ(s.Row(2)[19], 0xCD);
    EXPECT_EQ(s.Row(2)[20], 0xAB);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(PixelAccess, UnknownSixteenBitLayoutIs565) {
    TestSurface s(16, 2, 1);
    s.desc.rMask = 0x001F;
    SetPixel(*s, 0, 0, 0x00FF0000);
    EXPECT_EQ(s.Row(0)[1], 0xF8);
    EXPECT_EQ(GetPixel(*s, 0, 0), 0x00F80000u);
}

}  // namespace
