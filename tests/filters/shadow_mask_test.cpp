// CreateMask and CreateShadow.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

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

// The 16-bit shadow worked out word by word from the source's memory (rows
// of pitch P, padding included), as a check on the rows that go four words
// at a time: holes take 2 x (taps 3-5 - taps 0-2) >> 4 on the 5-bit scale.
struct Shadow16Model {
    int rb, rs, gb, gs, bb, bs;
    explicit Shadow16Model(int kind) {
        if (kind == 16)
            *this = {5, 11, 6, 5, 5, 0};
        else if (kind == 19)
            *this = {4, 8, 4, 4, 4, 0};
        else
            *this = {5, 10, 5, 5, 5, 0};
    }
    Shadow16Model(int r, int rsh, int g, int gsh, int b, int bsh) : rb(r), rs(rsh), gb(g), gs(gsh), bb(b), bs(bsh) {}
    static uint32_t To5(uint32_t v, int bits) { return bits >= 5 ? v >> (bits - 5) : v << (5 - bits); }
    static uint32_t From5(uint32_t v, int bits) { return bits >= 5 ? v << (bits - 5) : v >> (5 - bits); }
    static uint32_t Field(uint32_t v, int sh, int bits) { return (v >> sh) & ((1u << bits) - 1); }
    uint32_t Word(const std::vector<uint8_t> &m, ptrdiff_t q, ptrdiff_t P, ptrdiff_t k, int level) const {
        auto at = [&](ptrdiff_t p) {
            const ptrdiff_t last = ptrdiff_t(m.size()) - 2;
            p = p < 0 ? 0 : p > last ? last : p;
            return uint32_t(m[size_t(p)] | m[size_t(p) + 1] << 8);
        };
        auto tap = [&](ptrdiff_t p) {
            const uint32_t v = at(p);
            return int(To5(Field(v, rs, rb), rb) | To5(Field(v, gs, gb), gb) | To5(Field(v, bs, bb), bb));
        };
        uint32_t v = at(q);
        if (v == 0) {
            const int minus = tap(q + (P + 3) * k) + tap(q + (P + 1) * k) + tap(q + (P - 1) * k);
            const int plus = tap(q + (-2 - P) * k) + tap(q - 2 - (P + 2) * k) + tap(q - 4 - (P + 2) * k);
            int g = (2 * (plus - minus)) >> 4;
            g = g < 0 ? 0 : g > 31 ? 31 : g;
            v = From5(uint32_t(g), rb) << rs | From5(uint32_t(g), gb) << gs | From5(uint32_t(g), bb) << bs;
        }
        if (level == 256) return v;
        const uint32_t f = 255 - (uint32_t(level) & 255);
        const uint32_t rgb = ((1u << rb) - 1) << rs | ((1u << gb) - 1) << gs | ((1u << bb) - 1) << bs;
        uint32_t out = v & ~rgb & 0xFFFF;
        for (const auto &c : {std::make_pair(rs, rb), std::make_pair(gs, gb), std::make_pair(bs, bb)})
            out |= (Field(v, c.first, c.second) * f >> 8) << c.first;
        return out;
    }
};

class CreateShadow16 : public ::testing::TestWithParam<int> {};

// Every width to past two groups of four, odd and even pitches (shadow and
// source apart), tap spreads that stay inside and ones that clamp, and the
// levels that scale and the one that does not.
TEST_P(CreateShadow16, MatchesTheWordModel) {
    const int kind = GetParam();
    const Shadow16Model model(kind);
    Rng rng(kind * 11 + 3);
    const struct { unsigned char decay, limit; } spreads[] = {{2, 2}, {1, 3}, {4, 200}, {10, 5}};
    for (int w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 12, 13, 17, 30}) {
        for (int pad = 0; pad < 4; ++pad) {
            const int H = rng.Range(2, 7);
            TestSurface src(kind, w, H, pad), sh(kind, w + rng.Range(0, 3), H + 1, rng.Range(0, 3));
            src.Randomize(rng);
            sh.Randomize(rng);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < w; ++x)
                    if (rng.Chance(60)) PutWord(src, x, y, 0);
            const auto spread = spreads[rng.Range(0, 3)];
            const int levels[] = {256, 0, 64, 255, 100};
            const int level = levels[rng.Range(0, 4)];
            const ptrdiff_t P = src.desc.scanWidth;
            const std::vector<uint8_t> mem(src.desc.bits, src.desc.bits + size_t(H) * size_t(P));
            std::vector<uint8_t> want(sh.Memory());
            const ptrdiff_t base = sh.desc.bits - sh.Memory().data();
            const int words = std::min<int>(P, sh.desc.scanWidth) / 2;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < words; ++x) {
                    const uint32_t v = model.Word(mem, y * P + 2 * x, P, spread.limit / spread.decay, level);
                    const size_t o = size_t(base + y * sh.desc.scanWidth + 2 * x);
                    want[o] = uint8_t(v), want[o + 1] = uint8_t(v >> 8);
                }
            ASSERT_TRUE(CreateShadow(sh.desc, src.desc, spread.decay, spread.limit, uint16_t(level)));
            ASSERT_EQ(sh.Memory(), want) << "width " << w << " pad " << pad << " level " << level << " decay "
                                         << int(spread.decay) << " limit " << int(spread.limit);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, CreateShadow16, ::testing::Values(16, 17, 18, 19),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

}  // namespace
