#include <gtest/gtest.h>
#include <math.h>

#include "tests/common/testsurf.h"

using kvtest::TestSurface;

namespace {

uint32_t Px32(TestSurface &s, int x, int y) {
    const uint8_t *p = s.Row(y) + x * 4;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24);
}

TEST(FiltroMotionMask, StrengthFromTheBlueByte) {
    TestSurface d(32, 3, 1), s(32, 3, 1);
    d.Fill(0);
    const uint8_t blue[3] = {255, 0, 128};
    for (int x = 0; x < 3; ++x) s.Row(0)[x * 4] = blue[x];
    d.Row(0)[4 + 3] = 0x77;
    for (int x = 0; x < 3; ++x) d.Row(0)[x * 4 + 3] = 0x40;
    ASSERT_TRUE(FiltroMotionMask(*d, *s, CRectangulo(0, 0, 3, 1), CPunto(0, 0), 256));
    EXPECT_EQ(Px32(d, 0, 0), 0x00FFFFFFu);  // full strength: the colour whole, byte 3 too
    EXPECT_EQ(Px32(d, 1, 0), 0x40000000u);  // untouched
    // 255 * 129 / 256 = 128 in bytes 0-2; byte 3 drawn towards 0.
    EXPECT_EQ(Px32(d, 2, 0), (uint32_t((0x40 * 127) >> 8) << 24) | 0x808080u);
}

TEST(FiltroMotionMask, HalfWeightNeverReachesTheFullColour) {
    TestSurface d(32, 1, 1), s(8, 1, 1);
    d.Fill(0);
    s.Fill(255);
    ASSERT_TRUE(FiltroMotionMask(*d, *s, CRectangulo(0, 0, 1, 1), CPunto(0, 0), 128));
    EXPECT_EQ(Px32(d, 0, 0), 0x007F7F7Fu);  // a = 127: 255 * 128 / 256
}

TEST(FiltroMotionMask, SixteenBitFields) {
    TestSurface d(16, 1, 1), s(16, 1, 1);
    d.Fill(0);
    s.Row(0)[0] = 128;
    s.Row(0)[1] = 0;
    ASSERT_TRUE(FiltroMotionMask(*d, *s, CRectangulo(0, 0, 1, 1), CPunto(0, 0), 256));
    const unsigned v = d.Row(0)[0] | (d.Row(0)[1] << 8);
    EXPECT_EQ(v >> 11, 15u);
    EXPECT_EQ((v >> 5) & 63, 31u);
    EXPECT_EQ(v & 31, 15u);
}

TEST(FiltroMotionMask, WeightAboveFullSaturates) {
    TestSurface d(24, 1, 1), s(8, 1, 1);
    d.Fill(0);
    s.Fill(255);
    ASSERT_TRUE(FiltroMotionMask(*d, *s, CRectangulo(0, 0, 1, 1), CPunto(0, 0), 257));
    EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(3, 255));
}

TEST(FiltroMotionMask, EmptyRectangleIsFalse) {
    TestSurface d(32, 4, 4), s(8, 4, 4);
    EXPECT_FALSE(FiltroMotionMask(*d, *s, CRectangulo(4, 0, 8, 4), CPunto(0, 0), 256));
    EXPECT_FALSE(FiltroMotionMask(*d, *s, CRectangulo(2, 2, 2, 3), CPunto(0, 0), 256));
}

TEST(FiltroMotionMask, ClippingDoesNotMoveThePoint) {
    TestSurface d(32, 4, 1), s(8, 8, 1);
    d.Fill(0);
    for (int x = 0; x < 8; ++x) s.Row(0)[x] = x == 0 ? 255 : 0;
    ASSERT_TRUE(FiltroMotionMask(*d, *s, CRectangulo(-5, 0, 4, 1), CPunto(0, 0), 256));
    EXPECT_EQ(Px32(d, 0, 0), 0x00FFFFFFu);  // source column 0, not 5
}

TEST(FiltroMotionMask, EightBitSourcePastItsRowOrRowsPaintsNothing) {
    TestSurface d(32, 6, 3), s(8, 3, 2, 1);  // pitch 4
    d.Fill(0);
    s.Fill(255);
    for (int y = 0; y < 2; ++y) s.Row(y)[3] = 255;  // the padding byte is part of the row
    ASSERT_TRUE(FiltroMotionMask(*d, *s, CRectangulo(0, 0, 6, 3), CPunto(1, 0), 256));
    // Columns read 1, 2, 3 (inside the pitch), then 4, 5, 6: outside.
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Px32(d, x, 0), x < 3 ? 0x00FFFFFFu : 0u) << x;
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Px32(d, x, 2), 0u) << x;  // source row 2 does not exist
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(FiltroMotionBlur, PassCounts) {
    TestSurface d(32, 8, 1), s(8, 8, 1);
    s.Fill(0);
    s.Row(0)[3] = 255;
    d.Fill(0);
    EXPECT_TRUE(FiltroMotionBlur(*d, *s, CRectangulo(0, 0, 8, 1), CPunto(0, 0), 0x00FFFFFF, 1, 0.0f));
    EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(32, 0));
    EXPECT_TRUE(FiltroMotionBlur(*d, *s, CRectangulo(0, 0, 8, 1), CPunto(0, 0), 0x00FFFFFF, -4, 0.0f));
    EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(32, 0));
    // 3 passes behave as 2: t = 0 and t = -1 at weight 256, reading columns
    // x and x - 1, so the lit source column 3 lands on 3 and 4.
    EXPECT_TRUE(FiltroMotionBlur(*d, *s, CRectangulo(0, 0, 8, 1), CPunto(0, 0), 0x00FFFFFF, 3, 0.0f));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Px32(d, x, 0), (x == 3 || x == 4) ? 0x00FFFFFFu : 0u) << x;
}

TEST(FiltroMotionBlur, LimitedToTheSourceSize) {
    TestSurface d(32, 8, 2), s(8, 3, 2);
    d.Fill(0);
    s.Fill(255);
    ASSERT_TRUE(FiltroMotionBlur(*d, *s, CRectangulo(2, 0, 8, 2), CPunto(0, 0), 0x00FFFFFF, 2, 0.0f));
    for (int x = 0; x < 8; ++x) EXPECT_EQ(Px32(d, x, 0) != 0, x >= 2 && x < 5) << x;
    TestSurface empty(8, 1, 1);
    empty.desc.width = 0;
    EXPECT_FALSE(FiltroMotionBlur(*d, *empty, CRectangulo(0, 0, 8, 2), CPunto(0, 0), 0xFF, 2, 0.0f));
}

TEST(FiltroBrilloBlur, TwoPassesFullThenHalf) {
    TestSurface d(24, 6, 1), s(8, 6, 1);
    d.Fill(0);
    s.Fill(0);
    s.Row(0)[2] = 255;
    ASSERT_TRUE(FiltroBrilloBlur(*d, *s, CRectangulo(0, 0, 6, 1), CPunto(0, 0), 0x00102030, 2, 0.0f));
    auto px = d.Pixels();
    // t = 0 at 256 paints column 2 whole; t = -1 at 128 then reads column
    // x - 1: strength 127 on column 3 (and over column 2 reads 0).
    EXPECT_EQ(px[6], 0x30);
    EXPECT_EQ(px[7], 0x20);
    EXPECT_EQ(px[8], 0x10);
    EXPECT_EQ(px[9], (0x30 * 128) >> 8);
    EXPECT_EQ(px[3], 0);
}

TEST(FiltroStamp, OtherSourceSizesAndEightBitDestinationsPaintNothing) {
    TestSurface d(32, 2, 1), s(24, 2, 1), d8(8, 2, 1), s8(8, 2, 1);
    d.Fill(0);
    s.Fill(255);
    s8.Fill(255);
    d8.Fill(9);
    EXPECT_TRUE(FiltroMotionMask(*d, *s, CRectangulo(0, 0, 2, 1), CPunto(0, 0), 256));
    EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(8, 0));
    EXPECT_TRUE(FiltroMotionMask(*d8, *s8, CRectangulo(0, 0, 2, 1), CPunto(0, 0), 256));
    EXPECT_EQ(d8.Pixels(), std::vector<uint8_t>(2, 9));
}

// ---- the 16-bit kinds against a model, at every width and start -----------------

// One stamp on the pixels of dst (kind 16..19) as the rules say: strength
// min(i * weight / 256, 255) from intensity byte i, 0 keeps the pixel, 255
// writes the colour word, others mix each field towards it (alpha bits 0).
void ModelStamp(int kind, std::vector<uint8_t> &px, int rowBytes, TestSurface &src, const CRectangulo &r, CPunto p,
                uint32_t colour, int weight) {
    const kvtest::KindInfo &k = kvtest::KindByNumber(kind);
    const int sbytes = src.desc.bpp == 8 ? 1 : 2;
    const int limit = sbytes == 1 ? src.desc.scanWidth : src.desc.width;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const int sx = p.x + x - r.left, sy = p.y + y - r.top;
            if (sx < 0 || sx >= limit || sy < 0 || sy >= src.desc.height) continue;
            const int64_t v = (int64_t(src.Row(sy)[sx * sbytes]) * weight) >> 8;
            const unsigned a = v < 0 ? 0 : (v > 255 ? 255 : unsigned(v));
            uint8_t *q = &px[size_t(y) * rowBytes + 2 * x];
            const unsigned d = q[0] | (q[1] << 8);
            unsigned out = colour;
            if (a == 0) continue;
            if (a < 255) {
                out = 0;
                for (unsigned f : {k.rMask, k.gMask, k.bMask}) {
                    const int sh = __builtin_ctz(f);
                    out |= ((((colour & f) >> sh) * a + ((d & f) >> sh) * (256 - a)) >> 8) << sh;
                }
            }
            q[0] = uint8_t(out);
            q[1] = uint8_t(out >> 8);
        }
}

class Stamp16 : public ::testing::TestWithParam<int> {};

TEST_P(Stamp16, EveryWidthStartAndWeightMatchesTheModel) {
    const int kind = GetParam();
    kvtest::Rng rng(500 + kind);
    const int weights[] = {-7, 0, 1, 100, 255, 256, 300, 65280, 65281, 0x7FFFFFFF};
    for (int srcKind : {8, kind}) {
        for (int w = 1; w <= 13; ++w) {
            for (int x0 = 0; x0 < 4; ++x0) {
                TestSurface d(kind, w + 4, 2, 1), s(srcKind, w + 2, 3, 3);
                s.Randomize(rng);
                // Intensities at the ends often.
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < w + 2; ++x) {
                        const int pick = rng.Range(0, 5);
                        uint8_t *i = s.Row(y) + x * (srcKind == 8 ? 1 : 2);
                        if (pick < 2) *i = uint8_t(pick == 0 ? 0 : 255);
                    }
                const CRectangulo r(x0, 0, x0 + w, 2);
                const CPunto p((x0 + 1) % 3, 1);
                for (int weight : weights) {
                    d.Randomize(rng);
                    std::vector<uint8_t> expect = d.Pixels();
                    ModelStamp(kind, expect, d.RowBytes(), s, r, p, kvtest::NarrowRGB(kind, 255, 255, 255), weight);
                    ASSERT_TRUE(FiltroMotionMask(*d, *s, r, p, weight));
                    ASSERT_TRUE(d.Pixels() == expect)
                        << "source " << srcKind << " width " << w << " start " << x0 << " weight " << weight;
                }
                // Two passes of a colour that darkens some fields and
                // brightens others: 256 at the point, then 128 one column left.
                d.Randomize(rng);
                std::vector<uint8_t> expect = d.Pixels();
                const uint32_t c = rng.U32() & 0xFFFFFF;
                const uint32_t cw = kvtest::NarrowRGB(kind, c >> 16, (c >> 8) & 0xFF, c & 0xFF);
                ModelStamp(kind, expect, d.RowBytes(), s, r, p, cw, 256);
                ModelStamp(kind, expect, d.RowBytes(), s, r, CPunto(p.x - 1, p.y), cw, 128);
                ASSERT_TRUE(FiltroBrilloBlur(*d, *s, r, p, c, 2, 0.0f));
                ASSERT_TRUE(d.Pixels() == expect) << "source " << srcKind << " width " << w << " start " << x0;
                EXPECT_TRUE(d.GuardsIntact());
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Stamp16, ::testing::Values(16, 17, 18, 19),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

}  // namespace

// At float(pi / 2) the cosine is just below zero and the sine just below one,
// so in double the pass at t = 1 lands on (x - 1, y), not (x, y + 1): the
// place the game's stamps have always gone, whatever FPU mode it runs in.
TEST(BlurPasses, PositionsAtAQuarterTurnAreTakenInDouble) {
    const float quarter = float(1.5707963267948966);
    for (int brillo = 0; brillo < 2; ++brillo)
        for (int lit = 0; lit < 2; ++lit) {
            TestSurface d(32, 1, 1), s(8, 12, 12);
            d.Fill(0);
            s.Fill(0);
            if (lit)
                s.Row(5)[4] = 255;  // under the pass t = 1
            else
                s.Row(6)[5] = 255;  // where rounding to float would put it
            const bool ok = brillo
                                ? FiltroBrilloBlur(*d, *s, CRectangulo(0, 0, 1, 1), CPunto(5, 5), 0xFFFFFF, 4, quarter)
                                : FiltroMotionBlur(*d, *s, CRectangulo(0, 0, 1, 1), CPunto(5, 5), 0xFFFFFF, 4, quarter);
            ASSERT_TRUE(ok);
            // Weight 128 either way: strength 127 of white over black.
            EXPECT_EQ(Px32(d, 0, 0), lit ? 0x007F7F7Fu : 0u) << (brillo ? "brillo" : "motion");
        }
}

// No direction to shift along: every pass lands on the caller's point.
TEST(BlurPasses, NonFiniteAnglesStampInPlace) {
    TestSurface d(32, 1, 1), s(8, 12, 12);
    d.Fill(0);
    s.Fill(0);
    s.Row(5)[5] = 255;
    ASSERT_TRUE(FiltroMotionBlur(*d, *s, CRectangulo(0, 0, 1, 1), CPunto(5, 5), 0xFFFFFF, 2, INFINITY));
    // Two passes of weight 256 on the same pixel: white.
    EXPECT_EQ(Px32(d, 0, 0), 0x00FFFFFFu);
}
