// CreateMask and CreateShadow.
#include <gtest/gtest.h>
#include <string.h>

#include <functional>

#include "tests/common/testsurf.h"

using kvtest::PutWord;
using kvtest::Rng;
using kvtest::TestSurface;
using kvtest::Word;

namespace {

// ---- CreateMask

TEST(CreateMask, MagentaKeyOnThirtyTwoBits) {
    TestSurface src(32, 4, 3, 4), mask(8, 4, 3, 3);
    src.desc.transColor = 0x00FF00FF;
    for (int i = 0; i < 12; ++i) SetPixel(src.desc, i % 4, i / 4, i % 3 ? 0xAAFF00FF : 0x00FF01FF);
    for (unsigned short level : {256, 100}) {
        mask.Fill(7);
        ASSERT_TRUE(CreateMask(mask.desc, src.desc, level));
        // Alpha takes no part; green 1 is another colour.
        for (int i = 0; i < 12; ++i) EXPECT_EQ(mask.Row(i / 4)[i % 4], i % 3 ? 0 : (level == 256 ? 255 : 100));
        EXPECT_TRUE(mask.GuardsIntact());
    }
}

TEST(CreateMask, KeyOnEveryColourKind) {
    for (int kind : {16, 17, 18, 19, 24, 32}) {
        Rng rng(kind);
        TestSurface src(kind, 6, 4, 2), mask(8, 6, 4, 5);
        src.Randomize(rng);
        const unsigned long key = GetPixel(src.desc, 2, 1);
        // Keys are in the surface's own encoding.
        const uint8_t *k = src.Row(1) + 2 * (kind / 8 == 2 ? 2 : kind / 8);
        src.desc.transColor = kind / 8 == 2 ? (0xABCD0000u | k[0] | k[1] << 8) : (0xEE000000u | uint32_t(key));
        ASSERT_TRUE(CreateMask(mask.desc, src.desc, 256));
        EXPECT_EQ(mask.Row(1)[2], 0) << kind;
        int zeros = 0;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) zeros += mask.Row(y)[x] == 0;
        EXPECT_GE(zeros, 1);
        EXPECT_TRUE(mask.GuardsIntact());
        // Without a key, black is transparent.
        src.desc.transColor = 0xFFFFFFFFu;
        memset(src.Row(3), 0, src.RowBytes());
        ASSERT_TRUE(CreateMask(mask.desc, src.desc, 256));
        for (int x = 0; x < 6; ++x) EXPECT_EQ(mask.Row(3)[x], 0);
    }
}

TEST(CreateMask, EightBitIndexZeroAndLevel) {
    TestSurface src(8, 5, 3, 3), mask(8, 5, 3, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x) src.Row(y)[x] = uint8_t(x % 2 ? 0 : 40 + x);  // padding included
    src.desc.transColor = 0x12;                                                   // not consulted
    ASSERT_TRUE(CreateMask(mask.desc, src.desc, 128));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(mask.Row(y)[x], x % 2 ? 0 : 127);
}

TEST(CreateMask, NarrowerMaskPitchIsNotOverrun) {
    TestSurface src(8, 5, 4, 7), mask(8, 5, 4, 1);
    src.Fill(3);
    ASSERT_TRUE(CreateMask(mask.desc, src.desc, 256));
    EXPECT_EQ(mask.Pixels(), std::vector<uint8_t>(20, 255));
    // Bytes both rows hold are coded: the mask's one padding byte reads the
    // source's guard byte, which is not zero.
    for (int y = 0; y < 4; ++y) EXPECT_EQ(mask.Row(y)[5], 255);
    // Outside the mask's own memory nothing moved.
    const std::vector<uint8_t> &m = mask.Memory();
    for (int i = 0; i < TestSurface::kGuardBytes; ++i) EXPECT_EQ(m[m.size() - 1 - i], TestSurface::kGuard);
}

TEST(CreateMask, UnknownKindIsRefused) {
    TestSurface src(8, 3, 3), mask(8, 3, 3);
    src.desc.bpp = 4;
    mask.Fill(1);
    EXPECT_FALSE(CreateMask(mask.desc, src.desc, 256));
    EXPECT_EQ(mask.Pixels(), std::vector<uint8_t>(9, 1));
}

// ---- CreateShadow

// The worked example: one 255 at (5, 5), decay 16, limit 200.
void ExpectSpot(int x0, int y0, const std::function<unsigned(int, int)> &at) {
    EXPECT_EQ(at(x0, y0), 255u);
    EXPECT_EQ(at(x0 + 1, y0), 47u);
    EXPECT_EQ(at(x0, y0 + 1), 47u);
    EXPECT_EQ(at(x0 + 1, y0 + 1), 135u);
    EXPECT_EQ(at(x0 + 2, y0), 0u);
}

TEST(CreateShadow, EightBitSpot) {
    TestSurface src(8, 12, 12), sh(8, 12, 12);
    src.Fill(0);
    sh.Fill(0);
    src.Row(5)[5] = 255;
    ASSERT_TRUE(CreateShadow(sh.desc, src.desc, 16, 200, 256));
    ExpectSpot(5, 5, [&](int x, int y) { return unsigned(sh.Row(y)[x]); });
    // (7, 7): (135 + 2 x 135 ... ) grows on, lowered to the limit when over.
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) EXPECT_LE(sh.Row(y)[x], x == 5 && y == 5 ? 255 : 200);
}

TEST(CreateShadow, BrightSourceIsCopiedOverTheLimit) {
    TestSurface src(8, 6, 6), sh(8, 6, 6);
    src.Fill(0);
    sh.Fill(0);
    src.Row(2)[2] = 250;
    src.Row(3)[3] = 239;
    ASSERT_TRUE(CreateShadow(sh.desc, src.desc, 1, 10, 256));
    EXPECT_EQ(sh.Row(2)[2], 250);
    // 239 is below 240: the neighbours' (62 + 2 x 250 ... ) >> 2 - 1 wins,
    // lowered to the limit... but the source is larger still.
    EXPECT_EQ(sh.Row(3)[3], 239);
    EXPECT_EQ(sh.Row(2)[3], 10);
}

TEST(CreateShadow, ColourSourcesIntoAPlaneAndIntoTheirOwnKind) {
    for (int kind : {24, 32}) {
        const int B = kind / 8;
        TestSurface src(kind, 12, 12, 3), plane(8, 12, 12, 2), same(kind, 12, 12, 3);
        src.Fill(0);
        plane.Fill(0);
        same.Fill(0);
        src.Row(5)[5 * B] = 255;
        src.Row(5)[5 * B + 1] = 9;  // only the first byte counts
        if (B == 4)
            for (int x = 0; x < 12; ++x) same.Row(5)[x * 4 + 3] = 0x66;
        ASSERT_TRUE(CreateShadow(plane.desc, src.desc, 16, 200, 256));
        ASSERT_TRUE(CreateShadow(same.desc, src.desc, 16, 200, 256));
        ExpectSpot(5, 5, [&](int x, int y) { return unsigned(plane.Row(y)[x]); });
        ExpectSpot(5, 5, [&](int x, int y) { return unsigned(same.Row(y)[x * B]); });
        EXPECT_EQ(same.Row(5)[6 * B + 1], 47);
        EXPECT_EQ(same.Row(5)[6 * B + 2], 47);
        if (B == 4) {
            EXPECT_EQ(same.Row(5)[6 * 4 + 3], 0x66);  // fourth byte kept
        }
        EXPECT_TRUE(plane.GuardsIntact());
        EXPECT_TRUE(same.GuardsIntact());

        // Level after the pass: the plane whole, the same-kind shadow pixel by pixel.
        ASSERT_TRUE(CreateShadow(same.desc, src.desc, 16, 200, 128));
        EXPECT_EQ(same.Row(5)[5 * B], 127);
        if (B == 4) {
            EXPECT_EQ(same.Row(5)[5 * 4 + 3], 0x33);
        }
        EXPECT_TRUE(same.GuardsIntact());
    }
}

TEST(CreateShadow, ColumnZeroFollowsTheRowBefore) {
    // 32 into 32: in reading order, the left of (0, 2) is (w - 1, 1).
    TestSurface src(32, 4, 4), sh(32, 4, 4);
    src.Fill(0);
    sh.Fill(0);
    src.Row(1)[3 * 4] = 255;
    ASSERT_TRUE(CreateShadow(sh.desc, src.desc, 16, 200, 256));
    EXPECT_EQ(sh.Row(2)[0], 47);
}

TEST(CreateShadow, Refusals) {
    TestSurface src8(8, 4, 4), sh32(32, 4, 4), sh24(24, 4, 4), src32(32, 4, 4), src565(16, 4, 4), sh565(16, 4, 4);
    sh32.Fill(1);
    sh565.Fill(1);
    const std::vector<uint8_t> a = sh32.Memory(), b = sh565.Memory();
    EXPECT_FALSE(CreateShadow(sh32.desc, src8.desc, 16, 200, 256));
    EXPECT_FALSE(CreateShadow(sh24.desc, src32.desc, 16, 200, 256));
    EXPECT_FALSE(CreateShadow(sh565.desc, src565.desc, 0, 200, 256));  // decay 0 has no spread
    src8.desc.bpp = 15;
    EXPECT_FALSE(CreateShadow(sh32.desc, src8.desc, 16, 200, 256));
    EXPECT_EQ(sh32.Memory(), a);
    EXPECT_EQ(sh565.Memory(), b);
}

TEST(CreateShadow, SixteenBitHolesTakeAGrey) {
    // 8 x 6 of 565, pitch 16; limit 2 / decay 2 spreads the taps by 1.
    TestSurface src(16, 8, 6), sh(16, 8, 6);
    src.Fill(0);
    sh.Fill(0x5A);
    PutWord(src, 2, 2, 0xFFFF);
    PutWord(src, 6, 0, 0x1234);
    ASSERT_TRUE(CreateShadow(sh.desc, src.desc, 2, 2, 256));
    EXPECT_EQ(Word(sh, 2, 2), 0xFFFFu);  // set pixels are copied
    EXPECT_EQ(Word(sh, 6, 0), 0x1234u);
    // (3, 3): the tap 18 bytes back is the white pixel: 2 x 31 >> 4 = 3.
    const uint32_t grey3 = (3u << 11) | (6u << 5) | 3u;
    EXPECT_EQ(Word(sh, 3, 3), grey3);
    EXPECT_EQ(Word(sh, 4, 3), grey3);  // 20 back
    EXPECT_EQ(Word(sh, 5, 3), grey3);  // 22 back
    // (1, 1) reads the white pixel through a -2 tap: 17 bytes on lands
    // across it (0xFF00 at byte 33, 34: red 31): negative, so 0.
    EXPECT_EQ(Word(sh, 1, 1), 0u);
    EXPECT_EQ(Word(sh, 0, 5), 0u);

    // Inverted level: 64 keeps 191 / 256 of every channel.
    ASSERT_TRUE(CreateShadow(sh.desc, src.desc, 2, 2, 64));
    EXPECT_EQ(Word(sh, 2, 2), ((31u * 191 >> 8) << 11) | ((63u * 191 >> 8) << 5) | (31u * 191 >> 8));
    EXPECT_EQ(Word(sh, 3, 3), ((3u * 191 >> 8) << 11) | ((6u * 191 >> 8) << 5) | (3u * 191 >> 8));
}

TEST(CreateShadow, SixteenBitAlphaKinds) {
    TestSurface src(18, 8, 6), sh(18, 8, 6), src4(19, 8, 6), sh4(19, 8, 6);
    src.Fill(0);
    src4.Fill(0);
    PutWord(src, 2, 2, 0xFFFF);
    PutWord(src4, 2, 2, 0xFFFF);
    ASSERT_TRUE(CreateShadow(sh.desc, src.desc, 2, 2, 256));
    ASSERT_TRUE(CreateShadow(sh4.desc, src4.desc, 2, 2, 256));
    EXPECT_EQ(Word(sh, 2, 2), 0xFFFFu);
    EXPECT_EQ(Word(sh, 3, 3), (3u << 10) | (3u << 5) | 3u);
    // 4444 nibbles on the 5-bit scale: 2 x 30 >> 4 = 3, stored as 3 >> 1.
    EXPECT_EQ(Word(sh4, 3, 3), 0x111u);
    ASSERT_TRUE(CreateShadow(sh.desc, src.desc, 2, 2, 0));
    EXPECT_EQ(Word(sh, 2, 2), 0x8000u | (30u << 10) | (30u << 5) | 30u);  // alpha kept
}

}  // namespace
