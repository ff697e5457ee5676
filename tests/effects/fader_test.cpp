#include <gtest/gtest.h>
#include <string.h>

#include <memory>

#include "tests/common/testsurf.h"

using kvtest::TestSurface;

namespace {

// One-row fader over a destination of 0 and a source of 0xFF bytes.
std::vector<uint8_t> FadeRow(int kind, int w, int position, int step, int hold, int left = 0) {
    TestSurface d(kind, w, 1, 3), s(kind, w + 8, 1, 5);
    d.Fill(0);
    s.Fill(0xFF);
    EXPECT_TRUE(OpenFader(*d, CRectangulo(left, 0, w, 1), *s, CPunto(0, 0), position, step, hold));
    EXPECT_TRUE(d.GuardsIntact());
    return d.Pixels();
}

TEST(OpenFader, RampOn32Bits) {
    auto px = FadeRow(32, 4, -1, 1, 0);
    // Levels 255, 254, 253, 252: 255 over 0 gives level - 1, all four bytes.
    for (int j = 0; j < 4; ++j)
        for (int k = 0; k < 4; ++k) EXPECT_EQ(px[j * 4 + k], 254 - j) << j;
}

TEST(OpenFader, HoldKeepsTheStartLevel) {
    auto px = FadeRow(32, 6, -1, 1, 3);
    for (int j = 0; j < 4; ++j) EXPECT_EQ(px[j * 4], 254) << j;
    EXPECT_EQ(px[4 * 4], 253);
    EXPECT_EQ(px[5 * 4], 252);
}

TEST(OpenFader, PositiveStepTwoOn24And32) {
    for (int kind : {24, 32}) {
        auto px = FadeRow(kind, 3, 9, 2, 0);
        const int b = kind / 8;
        EXPECT_EQ(px[0], 254);
        EXPECT_EQ(px[b], 252);
        EXPECT_EQ(px[2 * b], 250);
    }
}

TEST(OpenFader, SixteenBitGroupsCopyWhenFullyOpen) {
    TestSurface d(16, 6, 1), s(16, 6, 1);
    d.Fill(0);
    s.Fill(0xFF);
    ASSERT_TRUE(OpenFader(*d, CRectangulo(0, 0, 6, 1), *s, CPunto(0, 0), 5, 1, 10));
    auto px = d.Pixels();
    for (int j = 0; j < 4; ++j) EXPECT_EQ(px[2 * j] | (px[2 * j + 1] << 8), 0xFFFF) << j;  // copied whole
    // The remainder is mixed at 255: 31 over 0 gives 30, 63 gives 62.
    const unsigned v = px[8] | (px[9] << 8);
    EXPECT_EQ(v >> 11, 30u);
    EXPECT_EQ((v >> 5) & 63, 62u);
    EXPECT_EQ(v & 31, 30u);
}

TEST(OpenFader, SixteenBitGroupsStepByFour) {
    for (int kind : {16, 17, 18, 19}) {
        TestSurface d(kind, 12, 1), s(kind, 12, 1);
        d.Fill(0);
        s.Fill(0xFF);
        ASSERT_TRUE(OpenFader(*d, CRectangulo(0, 0, 12, 1), *s, CPunto(0, 0), 3, 2, 0));
        auto px = d.Pixels();
        auto blue = [&](int j) { return (px[2 * j] | (px[2 * j + 1] << 8)) & (kind == 19 ? 0xF : 0x1F); };
        const int maxB = kind == 19 ? 15 : 31;
        // Groups at 255 (copied), 247, 239.
        EXPECT_EQ(px[0] | (px[1] << 8), 0xFFFF) << kind;
        for (int j = 4; j < 8; ++j) EXPECT_EQ(blue(j), maxB * 247 / 256) << kind;
        for (int j = 8; j < 12; ++j) EXPECT_EQ(blue(j), maxB * 239 / 256) << kind;
        // Mixed pixels write the alpha bits as 0.
        const int alphaBits = kind == 18 ? 0x80 : (kind == 19 ? 0xF0 : 0);
        EXPECT_EQ(px[9] & alphaBits, 0);
    }
}

TEST(OpenFader, ClippedBlockStartsItsRampAtTheFirstVisibleColumn) {
    TestSurface d(32, 4, 1), s(32, 8, 1);
    d.Fill(0);
    for (int x = 0; x < 8; ++x) s.Row(0)[x * 4] = uint8_t(x * 16 + 15);
    ASSERT_TRUE(OpenFader(*d, CRectangulo(-4, 0, 4, 1), *s, CPunto(0, 0), -1, 1, 0));
    auto px = d.Pixels();
    // Column 0 of the destination reads source column 4, at level 255.
    EXPECT_EQ(px[0], (4 * 16 + 15) * 255 / 256);
    EXPECT_EQ(px[4], (5 * 16 + 15) * 254 / 256);
}

TEST(OpenFader, LevelsAreClamped) {
    // Position 0 would start at 256, a steep ramp would fall below 0.
    auto px = FadeRow(32, 3, 0, 1, 0);
    EXPECT_EQ(px[0], 254);
    auto steep = FadeRow(32, 4, -1, 200, 0);
    EXPECT_EQ(steep[0], 55);  // start 56
    EXPECT_EQ(steep[4], 0);   // 56 - 200: clamped to 0, not wrapped
    EXPECT_EQ(steep[12], 0);
}

TEST(OpenFader, EightBitsAndUnknownKindsAreRefused) {
    TestSurface d(8, 4, 1), s(8, 4, 1);
    d.Fill(7);
    EXPECT_FALSE(OpenFader(*d, CRectangulo(0, 0, 4, 1), *s, CPunto(0, 0), 1, 1, 0));
    EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(4, 7));
}

TEST(OpenFader, SourceBlockOutsideItsSurfaceIsNotRead) {
    TestSurface d(24, 8, 3), s(24, 4, 2);
    d.Fill(0);
    s.Fill(0xFF);
    ASSERT_TRUE(OpenFader(*d, CRectangulo(0, 0, 8, 3), *s, CPunto(-2, 0), 1, 0, 0));
    auto px = d.Pixels();
    EXPECT_EQ(px[0], 0);              // source column -2
    EXPECT_EQ(px[2 * 3], 254);        // source column 0
    EXPECT_EQ(px[6 * 3], 0);          // source column 4: past the source
    EXPECT_EQ(px[2 * 8 * 3 + 6], 0);  // row 2: past the source
    EXPECT_TRUE(d.GuardsIntact());
}

// A source of another pixel size is walked in the destination's pixel size,
// and only as far as its own rows reach. The source sits in a heap block of
// exactly height x pitch bytes, so a read past its last row leaves the block.
TEST(OpenFader, SourceOfAnotherPixelSizeStaysInsideItsRows) {
    const int kSrcW = 12, kSrcH = 3, kDstW = 30;
    for (int dkind : {16, 24, 32}) {
        for (int skind : {8, 16, 24, 32}) {
            const kvtest::KindInfo &dk = kvtest::KindByNumber(dkind), &sk = kvtest::KindByNumber(skind);
            if (sk.bpp == dk.bpp) continue;
            const int sb = int(sk.bpp / 8), db = int(dk.bpp / 8);
            const int pitch = kSrcW * sb;
            std::unique_ptr<uint8_t[]> mem(new uint8_t[size_t(pitch) * kSrcH]);
            memset(mem.get(), 0xFF, size_t(pitch) * kSrcH);
            TSurfDesc s{};
            s.width = kSrcW;
            s.height = kSrcH;
            s.bpp = sk.bpp;
            s.rMask = sk.rMask, s.gMask = sk.gMask, s.bMask = sk.bMask, s.aMask = sk.aMask;
            s.transColor = 0xFFFFFFFFu;
            s.scanWidth = pitch;
            s.bits = mem.get();

            // The block runs from source row 1 to the last, one pixel of the
            // destination's size in; the destination's last row is not fed.
            TestSurface d(dkind, kDstW, kSrcH, 2);
            d.Fill(0);
            ASSERT_TRUE(OpenFader(*d, CRectangulo(0, 0, kDstW, kSrcH), s, CPunto(1, 1), 1, 0, 0));
            EXPECT_TRUE(d.GuardsIntact());
            const int inside = pitch / db - 1;  // whole pixels left in a source row
            for (int y = 0; y < kSrcH; ++y)
                for (int x = 0; x < kDstW; ++x) {
                    const uint8_t *px = d.Row(y) + x * db;
                    bool zero = true;
                    for (int k = 0; k < db; ++k) zero = zero && px[k] == 0;
                    const bool read = y < kSrcH - 1 && x < inside;
                    EXPECT_EQ(zero, !read) << dkind << " from " << skind << " at " << x << "," << y;
                }
        }
    }
}

// ---- the 16-bit kinds against a model, at every width and clip ------------------

int Clamp255(int64_t v) { return v < 0 ? 0 : (v > 255 ? 255 : int(v)); }

// Level of column j of a block w wide: groups of four share one; a group at
// 255 is copied whole (returned as 256); the last w mod 4 columns ramp on
// from the last group's level.
int ModelLevel(int j, int w, int position, int step, int hold) {
    const int64_t mag = position < 0 ? -int64_t(position) : position;
    const int start = position > 0 ? 255 : Clamp255(256 - mag * step);
    hold = hold < 0 ? 0 : hold;
    const int groups = w / 4;
    auto group = [&](int g) { return Clamp255(start - int64_t(g > hold / 4 ? g - hold / 4 : 0) * 4 * step); };
    if (j < groups * 4) return group(j / 4) == 255 ? 256 : group(j / 4);
    const int from = hold > groups * 4 ? hold : groups * 4;
    return Clamp255((groups ? group(groups - 1) : start) - int64_t(j > from ? j - from : 0) * step);
}

class Fader16 : public ::testing::TestWithParam<int> {};

TEST_P(Fader16, EveryWidthAndClipMatchesTheModel) {
    const int kind = GetParam();
    const kvtest::KindInfo &k = kvtest::KindByNumber(kind);
    const unsigned fields[3] = {k.rMask, k.gMask, k.bMask};
    kvtest::Rng rng(300 + kind);
    const int ramps[][3] = {{-1, 1, 0}, {3, 2, 0}, {5, 1, 10}, {-2, 30, 5}, {0, 7, 2}, {-1, 0, 0}, {1, 64, 3}};
    for (int w = 1; w <= 13; ++w) {
        for (int cut = 0; cut < 4; ++cut) {
            for (const auto &rp : ramps) {
                TestSurface d(kind, w, 2, 1), s(kind, w + 1, 2, 2);
                d.Randomize(rng);
                s.Randomize(rng);
                const std::vector<uint8_t> before = d.Pixels();
                // The block starts cut columns left of the surface; the ramp
                // frame is what is left after the clip.
                ASSERT_TRUE(OpenFader(*d, CRectangulo(-cut, 0, w, 2), *s, CPunto(1, 0), rp[0], rp[1], rp[2]));
                for (int y = 0; y < 2; ++y)
                    for (int x = 0; x < w; ++x) {
                        const uint8_t *o = &before[size_t(y) * d.RowBytes() + 2 * x];
                        const unsigned dv = o[0] | (o[1] << 8);
                        const uint8_t *sp = s.Row(y) + 2 * (x + 1 + cut);
                        const bool inside = x + 1 + cut < w + 1;
                        const unsigned sv = inside ? sp[0] | (sp[1] << 8) : 0;
                        const int a = ModelLevel(x, w, rp[0], rp[1], rp[2]);
                        unsigned want = dv;
                        if (inside && a == 256) {
                            want = sv;
                        } else if (inside) {
                            want = 0;
                            for (unsigned f : fields) {
                                const int sh = __builtin_ctz(f);
                                const unsigned sf = (sv & f) >> sh, df = (dv & f) >> sh;
                                want |= ((sf * a + df * (256 - a)) >> 8) << sh;
                            }
                        }
                        const uint8_t *got = d.Row(y) + 2 * x;
                        ASSERT_EQ(got[0] | (got[1] << 8), want) << "width " << w << " cut " << cut << " at " << x
                                                                << " ramp " << rp[0] << "," << rp[1] << "," << rp[2];
                    }
                EXPECT_TRUE(d.GuardsIntact());
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Fader16, ::testing::Values(16, 17, 18, 19),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

}  // namespace
