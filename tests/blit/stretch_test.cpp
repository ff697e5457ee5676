#include <gtest/gtest.h>
#include <limits.h>
#include <math.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "tests/common/testsurf.h"

using kvtest::TestSurface;

namespace {

class StretchKinds : public ::testing::TestWithParam<int> {};

// Marks every source pixel with its own column in the first byte.
void MarkColumns(TestSurface &s) {
    const int b = int(s.desc.bpp / 8);
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width; ++x) s.Row(y)[x * b] = uint8_t(x);
}

TEST_P(StretchKinds, NearestHalvesAndDoubles) {
    const int kind = GetParam(), b = int(kvtest::KindByNumber(kind).bpp / 8);
    TestSurface s(kind, 100, 1, 3), d(kind, 50, 1, 1), d2(kind, 200, 1, 2);
    MarkColumns(s);
    ASSERT_TRUE(BltStrech(*d, CRectangulo(0, 0, 50, 1), *s, CRectangulo(0, 0, 100, 1), false));
    for (int x = 0; x < 50; ++x) EXPECT_EQ(d.Row(0)[x * b], 2 * x) << x;
    TestSurface s50(kind, 50, 1);
    MarkColumns(s50);
    ASSERT_TRUE(DrawStretch(*d2, CRectangulo(0, 0, 100, 1), *s50, CRectangulo(0, 0, 50, 1)));
    for (int x = 0; x < 100; ++x) EXPECT_EQ(d2.Row(0)[x * b], x / 2) << x;
    EXPECT_TRUE(d.GuardsIntact());
    EXPECT_TRUE(d2.GuardsIntact());
}

TEST_P(StretchKinds, HalfOffTheSurfaceSqueezesTheWholeSource) {
    const int kind = GetParam(), b = int(kvtest::KindByNumber(kind).bpp / 8);
    TestSurface s(kind, 8, 1), d(kind, 4, 1, 2);
    MarkColumns(s);
    ASSERT_TRUE(BltStrech(*d, CRectangulo(0, 0, 8, 1), *s, CRectangulo(0, 0, 8, 1), false));
    for (int x = 0; x < 4; ++x) EXPECT_EQ(d.Row(0)[x * b], 2 * x);
    EXPECT_TRUE(d.GuardsIntact());
}

TEST_P(StretchKinds, FilterOnlyMattersAbove16Bits) {
    const int kind = GetParam();
    kvtest::Rng rng(kind);
    TestSurface s(kind, 7, 5), a(kind, 13, 9, 1), b(kind, 13, 9, 1);
    s.Randomize(rng);
    a.Fill(0);
    b.Fill(0);
    ASSERT_TRUE(BltStrech(*a, CRectangulo(0, 0, 13, 9), *s, CRectangulo(0, 0, 7, 5), true));
    ASSERT_TRUE(BltStrech(*b, CRectangulo(0, 0, 13, 9), *s, CRectangulo(0, 0, 7, 5), false));
    if (s.desc.bpp <= 16)
        EXPECT_EQ(a.Pixels(), b.Pixels());
    else
        EXPECT_NE(a.Pixels(), b.Pixels());
    EXPECT_TRUE(a.GuardsIntact());
}

TEST_P(StretchKinds, EmptyRectanglesAndMismatchedSourcesAreRefused) {
    const int kind = GetParam();
    TestSurface s(kind, 4, 4), d(kind, 4, 4);
    EXPECT_FALSE(BltStrech(*d, CRectangulo(4, 0, 8, 4), *s, CRectangulo(0, 0, 4, 4), false));
    EXPECT_FALSE(BltStrech(*d, CRectangulo(0, 0, 4, 4), *s, CRectangulo(0, 0, 0, 4), false));
    TestSurface other(kind == 32 ? 24 : 32, 4, 4);
    EXPECT_FALSE(BltStrech(*d, CRectangulo(0, 0, 4, 4), *other, CRectangulo(0, 0, 4, 4), false));
}

INSTANTIATE_TEST_SUITE_P(Kinds, StretchKinds, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

// The column (or row) nearest-neighbour sampling takes for destination
// index i: the running sum of the single-precision step, formed here from
// the hardware quotient by adding its mantissa up in integers.
std::vector<int> NearestIndices(int from, int to) {
    volatile float fa = float(from), fb = float(to);
    volatile float q = fa / fb;
    const float step = q;
    int exp;
    const uint64_t mant = uint64_t(ldexp(frexpf(step, &exp), 24));  // step = mant * 2^(exp - 24)
    std::vector<int> out;
    uint64_t sum = 0;
    for (int i = 0; i < to; ++i, sum += mant) {
        const uint64_t v = exp >= 24 ? sum << (exp - 24) : sum >> (24 - exp);
        out.push_back(v < uint64_t(from) ? int(v) : from - 1);
    }
    return out;
}

// A 16-bit row (or column) whose pixels hold their own index.
void CheckPair(int sw, int dw, bool rows) {
    TestSurface s(16, rows ? 1 : sw, rows ? sw : 1, 2), d(16, rows ? 1 : dw, rows ? dw : 1, 2);
    for (int i = 0; i < sw; ++i) memcpy(rows ? s.Row(i) : s.Row(0) + 2 * i, &i, 2);
    const CRectangulo sr = rows ? CRectangulo(0, 0, 1, sw) : CRectangulo(0, 0, sw, 1);
    const CRectangulo dr = rows ? CRectangulo(0, 0, 1, dw) : CRectangulo(0, 0, dw, 1);
    ASSERT_TRUE(BltStrech(*d, dr, *s, sr, false));
    const std::vector<int> want = NearestIndices(sw, dw);
    for (int i = 0; i < dw; ++i) {
        uint16_t got;
        memcpy(&got, rows ? d.Row(i) : d.Row(0) + 2 * i, 2);
        ASSERT_EQ(got, want[i]) << sw << " -> " << dw << (rows ? " rows" : " columns") << ", index " << i;
    }
}

// Sizes whose running sums land just below or on a whole number: single
// precision steps with x87 rounding at 24 bits would take the next pixel.
TEST(BltStrech, NearestIndicesForSizePairs) {
    EXPECT_EQ(NearestIndices(2, 50)[25], 0);  // float(0.04) is just below 0.04
    for (int sw = 1; sw <= 48; ++sw)
        for (int dw = 1; dw <= 48; ++dw) {
            CheckPair(sw, dw, false);
            CheckPair(sw, dw, true);
        }
    kvtest::Rng rng(5);
    for (int i = 0; i < 300; ++i) {
        const int sw = rng.Range(1, 2500), dw = rng.Range(1, 2500);
        CheckPair(sw, dw, i % 2 == 1);
    }
}

TEST(BltStrech, BilinearFlatWhiteComesOutOneDarkerAndKeepsByte3) {
    TestSurface s(32, 5, 5), d(32, 9, 7, 4);
    s.Fill(255);
    d.Fill(0x11);
    ASSERT_TRUE(BltStrech(*d, CRectangulo(0, 0, 9, 7), *s, CRectangulo(0, 0, 5, 5), true));
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x) {
            const uint8_t *p = d.Row(y) + x * 4;
            EXPECT_EQ(p[0], 254);
            EXPECT_EQ(p[2], 254);
            EXPECT_EQ(p[3], 0x11);
        }
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(BltStrech, BilinearDoesNotReadPastTheSourceBlock) {
    // The block's right and lower neighbours are clamped to it: a bright
    // column just outside the block must not leak in.
    TestSurface s(24, 4, 4), d(24, 8, 8);
    s.Fill(0);
    for (int y = 0; y < 4; ++y) s.Row(y)[3 * 3] = s.Row(y)[3 * 3 + 1] = s.Row(y)[3 * 3 + 2] = 255;
    for (int x = 0; x < 4; ++x) s.Row(3)[x * 3] = 255;
    ASSERT_TRUE(BltStrech(*d, CRectangulo(0, 0, 8, 8), *s, CRectangulo(0, 0, 3, 3), true));
    for (uint8_t v : d.Pixels()) EXPECT_EQ(v, 0);
}

// The two samplers written out plainly, straight from their formulas: the
// running sums for nearest, the four truncated weights for bilinear. Whole
// surfaces on both sides; the last column and row stand in for missing
// neighbours.
void NearestModel(const TestSurface &s, TestSurface &d, int px, int bytes) {
    const int sw = s.desc.width, sh = s.desc.height, dw = d.desc.width, dh = d.desc.height;
    const std::vector<int> cols = NearestIndices(sw, dw), rows = NearestIndices(sh, dh);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x)
            memcpy(d.desc.bits + ptrdiff_t(y) * d.desc.scanWidth + x * px,
                   s.desc.bits + ptrdiff_t(rows[y]) * s.desc.scanWidth + cols[x] * px, bytes);
}

void BilinearModel(const TestSurface &s, TestSurface &d, int px) {
    const int sw = s.desc.width, sh = s.desc.height, dw = d.desc.width, dh = d.desc.height;
    // sw / dw x 65536.0 truncated; in integers, so the x87 precision cannot move it.
    const uint32_t stepX = uint32_t((uint64_t(sw) << 16) / dw), stepY = uint32_t((uint64_t(sh) << 16) / dh);
    auto at = [&](int x, int y, int k) {
        return uint32_t(
            s.desc.bits[ptrdiff_t(y < sh ? y : sh - 1) * s.desc.scanWidth + (x < sw ? x : sw - 1) * px + k]);
    };
    for (int j = 0; j < dh; ++j) {
        const uint64_t y = uint64_t(j) * stepY;
        const int sy = int(y >> 16);
        const uint32_t fy = uint32_t(y & 0xFFFF), iy = 0xFFFF - fy;
        for (int i = 0; i < dw; ++i) {
            const uint64_t x = uint64_t(i) * stepX;
            const int sx = int(x >> 16);
            const uint32_t fx = uint32_t(x & 0xFFFF), ix = 0xFFFF - fx;
            const uint32_t wS = (ix * iy) >> 16, wSr = (fx * iy) >> 16, wSd = (ix * fy) >> 16, wSdr = (fx * fy) >> 16;
            for (int k = 0; k < 3; ++k)
                d.desc.bits[ptrdiff_t(j) * d.desc.scanWidth + i * px + k] =
                    uint8_t((at(sx, sy, k) * wS + at(sx + 1, sy, k) * wSr + at(sx, sy + 1, k) * wSd +
                             at(sx + 1, sy + 1, k) * wSdr) >>
                            16);
        }
    }
}

// A random source stretched onto a random destination, whole surfaces with
// row padding on both sides, against the formulas; the padding and guards
// must stay as they were.
::testing::AssertionResult MatchesModel(kvtest::Rng &rng, int kind, int sw, int sh, int dw, int dh, int spad, int dpad,
                                        bool filter) {
    const int px = int(kvtest::KindByNumber(kind).bpp / 8);
    TestSurface s(kind, sw, sh, spad), d(kind, dw, dh, dpad), want(kind, dw, dh, dpad);
    s.Randomize(rng);
    d.Randomize(rng);
    want.SetPixels(d.Pixels());
    if (filter && px >= 3)
        BilinearModel(s, want, px);
    else
        NearestModel(s, want, px, px == 4 ? 3 : px);  // 32-bit pixels keep their fourth byte
    const char *how = filter ? " filtered" : "";
    if (!BltStrech(*d, CRectangulo(0, 0, dw, dh), *s, CRectangulo(0, 0, sw, sh), filter))
        return ::testing::AssertionFailure() << "refused " << sw << "x" << sh << " to " << dw << "x" << dh << how;
    if (d.Pixels() != want.Pixels())
        return ::testing::AssertionFailure() << sw << "x" << sh << " to " << dw << "x" << dh << how;
    if (!d.GuardsIntact())
        return ::testing::AssertionFailure() << "guards " << sw << "x" << sh << " to " << dw << "x" << dh << how;
    return ::testing::AssertionSuccess();
}

// Sizes that enlarge, reduce, mix the two, and run wider than the scalers'
// column bands; every output byte must match the formulas.
class StretchModel : public ::testing::TestWithParam<int> {};

TEST_P(StretchModel, EveryByteMatchesTheFormulas) {
    const int kind = GetParam();
    const struct {
        int sw, sh, dw, dh;
    } sizes[] = {
        {7, 5, 13, 9}, {64, 48, 96, 72}, {97, 61, 31, 23}, {40, 9, 17, 30}, {1500, 3, 2300, 5}, {2500, 4, 1100, 3},
    };
    kvtest::Rng rng(kind);
    for (const auto &z : sizes)
        for (bool filter : {false, true}) EXPECT_TRUE(MatchesModel(rng, kind, z.sw, z.sh, z.dw, z.dh, 3, 5, filter));
}

// The samplers run row by row: every destination width up to 19, enlarged
// and reduced, with pitches one byte over the row so that the rows of both
// surfaces start at every offset from an 8-byte boundary.
TEST_P(StretchModel, EveryWidthAndRowStart) {
    const int kind = GetParam();
    kvtest::Rng rng(kind + 1000);
    for (int dw = 1; dw <= 19; ++dw)
        for (int sw : {dw * 2 / 3 + 1, dw + 3})
            for (bool filter : {false, true}) ASSERT_TRUE(MatchesModel(rng, kind, sw, 5, dw, 8, 1, 1, filter));
}

// A surface stretched onto itself, the two blocks overlapping: up to 24 bits
// every pixel is read just before it is written, left to right and row by
// row, so pixels written earlier are what later ones read; a row that reads
// the same source row as the one above is a copy of that one.
TEST(BltStrech, NearestOntoItselfReadsAsItGoes) {
    for (int kind : kvtest::AllKinds()) {
        const int px = int(kvtest::KindByNumber(kind).bpp / 8);
        if (px == 4) continue;  // 32-bit rows are read whole before they are written
        kvtest::Rng rng(kind + 2000);
        for (int shift = 1; shift <= 6; ++shift) {
            TestSurface s(kind, 30, 9, 1);
            s.Randomize(rng);
            std::vector<uint8_t> want = s.Pixels();
            const int sw = 13, sh = 4, dw = 21, dh = 9;
            const std::vector<int> cols = NearestIndices(sw, dw), rows = NearestIndices(sh, dh);
            const int row = s.RowBytes();
            for (int y = 0; y < dh; ++y) {
                uint8_t *out = &want[size_t(y * row + shift * px)];
                if (y > 0 && rows[y] == rows[y - 1]) {
                    memcpy(out, out - row, size_t(dw * px));
                    continue;
                }
                for (int x = 0; x < dw; ++x) memcpy(out + x * px, &want[size_t(rows[y] * row + cols[x] * px)], px);
            }
            ASSERT_TRUE(BltStrech(*s, CRectangulo(shift, 0, shift + dw, dh), *s, CRectangulo(0, 0, sw, sh), false));
            ASSERT_EQ(s.Pixels(), want) << "kind " << kind << " shift " << shift;
            ASSERT_TRUE(s.GuardsIntact());
        }
    }
}

// Bilinear rows may hold source rows between destination rows; onto its own
// memory the stretch must read the block as it was before the call, on every
// target alike: the same bytes as from an untouched copy.
TEST(BltStrech, BilinearOntoItselfReadsTheBlockAsItWas) {
    for (int kind : {24, 32})
        for (int dy = -2; dy <= 2; ++dy) {
            kvtest::Rng rng(kind * 10 + dy + 3000);
            TestSurface s(kind, 40, 24, 1), apart(kind, 40, 24, 1), copy(kind, 40, 24, 1);
            s.Randomize(rng);
            copy.SetPixels(s.Pixels());
            apart.SetPixels(s.Pixels());
            const CRectangulo dr(3, 4 + dy, 37, 22 + dy), sr(1, 4, 30, 15);
            ASSERT_TRUE(BltStrech(*s, dr, *s, sr, true));
            ASSERT_TRUE(BltStrech(*apart, dr, *copy, sr, true));
            ASSERT_EQ(s.Pixels(), apart.Pixels()) << "kind " << kind << " dy " << dy;
            ASSERT_TRUE(s.GuardsIntact());
        }
}

INSTANTIATE_TEST_SUITE_P(Kinds, StretchModel, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(DrawStretch, ByteTableFormIsANoOp) {
    for (int kind : kvtest::AllKinds()) {
        TestSurface d(kind, 3, 3), s(kind, 3, 3);
        d.Fill(5);
        unsigned char table[256] = {};
        const bool r = DrawStretch(*d, CRectangulo(0, 0, 3, 3), *s, CRectangulo(0, 0, 3, 3), table);
        EXPECT_EQ(r, kind == 8 || kind == 24 || kind == 32) << kind;
        EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(d.Pixels().size(), 5));
    }
}

TEST(StretchBitmap, EnableAndShapeRules) {
    TestSurface s(32, 10, 10), d(32, 20, 20);
    s.Fill(200);
    d.Fill(1);
    EXPECT_TRUE(StretchBitmap(*d, CRectangulo(0, 0, 20, 20), *s, CRectangulo(0, 0, 10, 10), 32, false, false));
    EXPECT_TRUE(StretchBitmap(*d, CRectangulo(0, 0, 20, 5), *s, CRectangulo(0, 0, 10, 10), 32, true, false));
    EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(d.Pixels().size(), 1));
    TestSurface s24(24, 10, 10);
    EXPECT_FALSE(StretchBitmap(*d, CRectangulo(0, 0, 20, 20), *s24, CRectangulo(0, 0, 10, 10), 32, true, false));
    EXPECT_TRUE(StretchBitmap(*d, CRectangulo(30, 0, 40, 20), *s, CRectangulo(0, 0, 10, 10), 32, true, false));
}

TEST(StretchBitmap, ReductionAveragesBlocks) {
    TestSurface s(24, 4, 4), d(24, 2, 2, 1);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            for (int k = 0; k < 3; ++k) s.Row(y)[x * 3 + k] = uint8_t(y * 4 + x + k);
    ASSERT_TRUE(StretchBitmap(*d, CRectangulo(0, 0, 2, 2), *s, CRectangulo(0, 0, 4, 4), 24, true, false));
    // Block (0,0): 0, 1, 4, 5 -> 2 (truncated 2.5).
    EXPECT_EQ(d.Row(0)[0], 2);
    EXPECT_EQ(d.Row(0)[1], 3);
    EXPECT_EQ(d.Row(1)[3], (10 + 11 + 14 + 15) / 4);
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(StretchBitmap, LargeReductionsUseWideSums) {
    TestSurface s(32, 600, 2), d(32, 1, 1);
    s.Fill(255);
    ASSERT_TRUE(StretchBitmap(*d, CRectangulo(0, 0, 1, 1), *s, CRectangulo(0, 0, 600, 2), 32, true, false));
    EXPECT_EQ(d.Row(0)[0], 255);
    EXPECT_EQ(d.Row(0)[2], 255);
}

TEST(StretchBitmap, EnlargementInterpolatesAndClampsAtTheEdge) {
    TestSurface s(32, 2, 2), d(32, 4, 4, 8);
    s.Fill(0);
    s.Row(0)[4] = 200;  // pixel (1, 0), blue
    d.Fill(0x33);
    ASSERT_TRUE(StretchBitmap(*d, CRectangulo(0, 0, 4, 4), *s, CRectangulo(0, 0, 2, 2), 32, true, false));
    // Step 0.5: columns at x = 0, 0.5, 0 (of column 1), 0.5 (clamped).
    EXPECT_EQ(d.Row(0)[0], 0);
    EXPECT_EQ(d.Row(0)[4], 100);
    EXPECT_EQ(d.Row(0)[8], 200);
    EXPECT_EQ(d.Row(0)[12], 200);
    EXPECT_EQ(d.Row(0)[3], 0x33);  // the fourth byte is left alone
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(StretchBitmap, PixelSizeWiderThanTheSurfacesDrawsNothing) {
    TestSurface s(16, 4, 4), d(16, 8, 8);
    s.Fill(9);
    d.Fill(1);
    EXPECT_TRUE(StretchBitmap(*d, CRectangulo(0, 0, 8, 8), *s, CRectangulo(0, 0, 4, 4), 32, true, false));
    EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(d.Pixels().size(), 1));
    EXPECT_TRUE(d.GuardsIntact());
}

// Rectangles anywhere in the int range, inverted ones included: the part of
// the source that the visible part of the destination maps back to may lie
// further than an int reaches from the source's own edges. A flat source
// can only ever put its own value down; a destination that covers the
// whole surface, from a source that reaches into its own, comes out wholly
// in that value.
class StretchBitmapFar : public ::testing::TestWithParam<int> {};

TEST_P(StretchBitmapFar, RectanglesAtTheEndsOfTheIntRange) {
    const int kind = GetParam(), bytes = int(kvtest::KindByNumber(kind).bpp / 8);
    const CRectangulo dests[] = {
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {INT_MIN, 0, INT_MAX, 12},
        {0, INT_MIN, 12, INT_MAX},
        {INT_MIN, INT_MIN, 12, 12},
        {INT_MIN + 1, INT_MIN + 1, 5, 5},
        {-3, -3, INT_MAX, INT_MAX},
        {0, 0, INT_MAX, INT_MAX},
        {INT_MAX - 1, 0, INT_MAX, 12},
        {0, 0, 12, 12},
    };
    const CRectangulo sources[] = {
        {0, 0, 6, 6},
        {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
        {INT_MAX, INT_MAX, INT_MIN, INT_MIN},
        {INT_MAX, 0, INT_MIN, 6},
        {0, INT_MAX, 6, INT_MIN},
        {INT_MAX - 1, INT_MAX - 1, INT_MIN + 1, INT_MIN + 1},
        {0, 0, INT_MIN, INT_MIN},
        {2, 2, INT_MAX, INT_MAX},
        {INT_MIN, INT_MIN, 4, 4},
    };
    TestSurface s(kind, 6, 6, 3), d(kind, 12, 12, 5);
    s.Fill(200);
    for (int bpp : {24, 32})
        for (const CRectangulo &dr : dests)
            for (const CRectangulo &sr : sources) {
                d.Fill(7);
                EXPECT_TRUE(StretchBitmap(*d, dr, *s, sr, bpp, true, false));
                const std::vector<uint8_t> px = d.Pixels();
                for (uint8_t v : px) ASSERT_TRUE(v == 7 || v == 200) << bpp;
                ASSERT_TRUE(d.GuardsIntact());
                const bool covers = dr.left <= 0 && dr.top <= 0 && dr.right >= 12 && dr.bottom >= 12;
                const bool reaches =
                    std::max(sr.left, 0) < std::min(sr.right, 6) && std::max(sr.top, 0) < std::min(sr.bottom, 6);
                if (!covers || !reaches || bytes != bpp / 8) continue;
                for (size_t i = 0; i < px.size(); ++i)
                    ASSERT_EQ(px[i], (bytes == 4 && i % 4 == 3) ? 7 : 200) << bpp << " at " << i;
            }
}

INSTANTIATE_TEST_SUITE_P(Kinds, StretchBitmapFar, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(DrawDouble, DoublesAndAlwaysReportsFalse) {
    TestSurface s(32, 3, 2), d(32, 10, 6, 4);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) s.Row(y)[x * 4] = uint8_t(10 * y + x + 1);
    d.Fill(0);
    EXPECT_FALSE(DrawDouble(*d, *s, CPunto(0, 0)));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(d.Row(y)[x * 4], 10 * (y / 2) + x / 2 + 1) << x << "," << y;
    EXPECT_EQ(d.Row(0)[6 * 4], 0);
    EXPECT_EQ(d.Row(4)[0], 0);
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(DrawDouble, OddClippedWidthLeavesTheLastColumn) {
    TestSurface s(24, 3, 2), d(24, 5, 4);
    s.Fill(7);
    d.Fill(0);
    DrawDouble(*d, *s, CPunto(0, 0));
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(d.Row(y)[3 * 3], 7);
        EXPECT_EQ(d.Row(y)[4 * 3], 0);
    }
}

TEST(DrawDouble, PointsLeftOrAboveWriteOnlyInside) {
    TestSurface s(32, 3, 3), d(32, 4, 4, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) s.Row(y)[x * 4] = uint8_t(10 * y + x + 1);
    d.Fill(0);
    DrawDouble(*d, *s, CPunto(-1, -3));
    // Destination (0, 0) doubles source ((0 + 1) / 2, (0 + 3) / 2) = (0, 1).
    EXPECT_EQ(d.Row(0)[0], 11);
    EXPECT_EQ(d.Row(0)[4], 12);
    EXPECT_EQ(d.Row(1)[0], 21);
    EXPECT_TRUE(d.GuardsIntact());
}

}  // namespace
