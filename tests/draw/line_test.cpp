#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <utility>

#include "tests/draw/drawtest.h"

using namespace drawtest;
using kvtest::TestSurface;

namespace {

Points Sorted(Points p) {
    std::sort(p.begin(), p.end(), [](const auto &a, const auto &b) {
        return a.second != b.second ? a.second < b.second : a.first < b.first;
    });
    return p;
}

struct LineCase {
    const char *name;
    CPunto a, b;
    Points pixels;  // thickness 1, no soft edge
};

// On a 10 x 8 surface; every minor position here is exact in float.
const LineCase kLines[] = {
    {"shallow", {0, 0}, {3, 1}, {{0, 0}, {1, 0}, {2, 0}, {3, 1}}},
    {"horizontal", {6, 2}, {1, 2}, {{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}, {6, 2}}},
    {"vertical", {4, 5}, {4, 1}, {{4, 1}, {4, 2}, {4, 3}, {4, 4}, {4, 5}}},
    {"diagonal", {1, 1}, {4, 4}, {{1, 1}, {2, 2}, {3, 3}, {4, 4}}},
    {"antidiagonal", {5, 0}, {2, 3}, {{5, 0}, {4, 1}, {3, 2}, {2, 3}}},
    {"steep", {1, 0}, {3, 7}, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}, {2, 6}, {3, 7}}},
    {"steepquarter", {1, 0}, {3, 8}, {{1, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}, {2, 6}, {2, 7}}},
    {"point", {5, 5}, {5, 5}, {{5, 5}}},
    {"acrossthesurface",
     {-5, 3},
     {20, 3},
     {{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3}, {5, 3}, {6, 3}, {7, 3}, {8, 3}, {9, 3}}},
    {"diagonalfromoutside", {-4, -4}, {20, 20}, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
    {"minoroutside", {0, -3}, {9, 6}, {{3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}, {8, 5}, {9, 6}}},
};

class LineKinds : public ::testing::TestWithParam<int> {};

TEST_P(LineKinds, DrawsTheExpectedPixels) {
    const int kind = GetParam();
    for (const LineCase &c : kLines) {
        TestSurface s(kind, 10, 8, 3);
        FillRaw(s, 0);
        EXPECT_FALSE(Line(*s, c.a, c.b, 0xFFFFFFFF, 255, false, 1)) << c.name;
        Points want = c.pixels;
        if (kind == 8) {
            // The far end along the major axis is never drawn on 8 bits.
            const bool xMajor = std::abs(c.b.x - c.a.x) > std::abs(c.b.y - c.a.y);
            const int far = xMajor ? std::max(c.a.x, c.b.x) : std::max(c.a.y, c.b.y);
            want.erase(std::remove_if(want.begin(), want.end(),
                                      [&](const auto &p) { return (xMajor ? p.first : p.second) == far; }),
                       want.end());
        }
        EXPECT_EQ(Changed(s, 0), Sorted(want)) << c.name;
        EXPECT_TRUE(s.GuardsIntact()) << c.name;
    }
}

TEST_P(LineKinds, ThickLinesSpanThicknessPixelsInsideTheSurface) {
    const int kind = GetParam();
    for (int th : {0, 1, 2, 3, 4, 5}) {
        TestSurface s(kind, 10, 8, 2);
        FillRaw(s, 0);
        Line(*s, CPunto(0, 4), CPunto(9, 4), 0xFFFFFFFF, 255, false, th);
        // 8 bits centre the span from -thickness/2; the others grow downwards.
        const int from = kind == 8 ? 4 - th / 2 : 4;
        Points want;
        for (int y = from; y < from + th; ++y)
            for (int x = 0; x < (kind == 8 ? 9 : 10); ++x)
                if (y < 8) want.push_back({x, y});
        EXPECT_EQ(Changed(s, 0), want) << th;
        EXPECT_TRUE(s.GuardsIntact());
    }
    // Far beyond the edges: nothing outside is touched, and it ends quickly.
    TestSurface s(kind, 10, 8, 2);
    FillRaw(s, 0);
    Line(*s, CPunto(0, 7), CPunto(9, 0), 0xFFFFFFFF, 255, true, INT_MAX);
    Line(*s, CPunto(0, 0), CPunto(0, 7), 0xFFFFFFFF, 255, true, 1000);
    Line(*s, CPunto(INT_MIN, INT_MIN), CPunto(INT_MAX, INT_MAX), 0xFFFFFFFF, 255, true, 3);
    Line(*s, CPunto(0, 0), CPunto(9, 7), 0xFFFFFFFF, 255, true, -5);
    EXPECT_TRUE(s.GuardsIntact());
}

// One pixel per step at trunc(t m + b), every operation rounded to float,
// for the steps whose u lies inside the surface.
Points ThinLineByTheRule(int w, int h, CPunto p1, CPunto p2, bool eightBits) {
    const int64_t dx = int64_t(p2.x) - p1.x, dy = int64_t(p2.y) - p1.y;
    const bool xMajor = std::llabs(dx) > std::llabs(dy);
    int64_t a1 = xMajor ? p1.x : p1.y, b1 = xMajor ? p1.y : p1.x;
    int64_t a2 = xMajor ? p2.x : p2.y, b2 = xMajor ? p2.y : p2.x;
    if (a1 > a2) std::swap(a1, a2), std::swap(b1, b2);
    volatile float m = 0.0f, b, u;
    if (a2 != a1) {
        volatile float num = float(b2 - b1), den = float(a2 - a1);
        m = num / den;
    }
    volatile float fa1 = float(a1), prod = fa1 * m;
    b = float(b1);
    b = b - prod;
    const int major = xMajor ? w : h, minor = xMajor ? h : w;
    const int64_t last = eightBits ? std::min<int64_t>(a2, major) - 1 : std::min<int64_t>(a2, major - 1);
    Points out;
    for (int64_t t = std::max<int64_t>(a1, 0); t <= last; ++t) {
        volatile float ft = float(t);
        prod = ft * m;
        u = prod + b;
        if (!(u >= 0.0f && u < float(minor))) continue;
        out.push_back(xMajor ? std::make_pair(int(t), int(u)) : std::make_pair(int(u), int(t)));
    }
    return Sorted(out);
}

TEST_P(LineKinds, ThinLinesHitTheStepsInsideTheSurface) {
    const int kind = GetParam();
    kvtest::Rng rng{uint64_t(kind)};
    for (int i = 0; i < 300; ++i) {
        const int w = rng.Range(1, 40), h = rng.Range(1, 30);
        auto end = [&]() {
            switch (rng.Range(0, 3)) {
                case 0:
                    return CPunto(int(rng.U32()), int(rng.U32()));
                case 1:
                    return CPunto(rng.Range(-5 * w, 6 * w), rng.Range(-5 * h, 6 * h));
                default:
                    return CPunto(rng.Range(-2, w + 1), rng.Range(-2, h + 1));
            }
        };
        CPunto a = end(), b = end();
        if (i % 5 == 0) b.y = a.y;  // horizontal and vertical runs
        if (i % 5 == 1) b.x = a.x;
        TestSurface s(kind, w, h, 3);
        FillRaw(s, 0);
        Line(*s, a, b, 0xFFFFFFFF, 255, false, 1);
        ASSERT_EQ(Changed(s, 0), ThinLineByTheRule(w, h, a, b, kind == 8))
            << w << "x" << h << " (" << a.x << "," << a.y << ")-(" << b.x << "," << b.y << ")";
        ASSERT_TRUE(s.GuardsIntact());
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, LineKinds, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(Line, LevelBlendsColourBytesAndKeepsAlpha) {
    TestSurface s(32, 4, 1);
    FillRaw(s, 0x7F204060);
    Line(*s, CPunto(0, 0), CPunto(1, 0), 0x00FFFFFF, 255, false, 1);
    Line(*s, CPunto(2, 0), CPunto(3, 0), 0x00FFFFFF, 0, false, 1);
    EXPECT_EQ(Raw(s, 0, 0), 0x7FFFFFFFu);
    EXPECT_EQ(Raw(s, 2, 0), 0x7F204060u);
    // Levels above 255 are 255.
    FillRaw(s, 0);
    Line(*s, CPunto(0, 0), CPunto(3, 0), 0x00123456, 1000, false, 1);
    EXPECT_TRUE(Changed(s, 0x00123456).empty());
}

TEST(Line, SixteenBitSpanStopsOneStepShortAndKeepsAlpha) {
    TestSurface s(18, 3, 1);
    FillRaw(s, 0x8000);
    Line(*s, CPunto(0, 0), CPunto(2, 0), 0xFFFFFFFF, 255, false, 1);
    EXPECT_EQ(Raw(s, 1, 0), 0x8000u | 30u << 10 | 30u << 5 | 30u);
}

// Line (0, 0)-(4, 1): u = 0, 0.25, 0.5, 0.75, 1. The upper edge sits on row
// trunc(u + 1) with weight frac(u); the lower one on row floor(u - 1) with
// weight 1 - frac(u), left out while it lies above the surface.
TEST(Line, SoftEdgeWeights) {
    TestSurface s(32, 5, 3);
    FillRaw(s, 0);
    Line(*s, CPunto(0, 0), CPunto(4, 1), 0x00FFFFFF, 255, true, 1);
    const uint32_t want[3][5] = {
        {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF},  // (4, 0): lower edge at weight 1
        {0, 0x3F3F3F, 0x7F7F7F, 0xBFBFBF, 0xFFFFFF},
        {0, 0, 0, 0, 0},
    };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(Raw(s, x, y), want[y][x]) << x << "," << y;

    // 16 bits: weight trunc(w x level); no field spills into its neighbour.
    TestSurface t(16, 5, 3);
    FillRaw(t, 0);
    Line(*t, CPunto(0, 0), CPunto(4, 1), 0xFFFFFFFF, 255, true, 1);
    EXPECT_EQ(Raw(t, 2, 1), 15u << 11 | 31u << 5 | 15u);  // w 0.5: 127
    EXPECT_EQ(Raw(t, 1, 1), 7u << 11 | 15u << 5 | 7u);    // w 0.25: 63
    // Thickness 0 draws the edges alone. At u = 0.25 the lower edge would lie
    // above the surface: it is left out rather than folded onto row 0 with a
    // weight above one, so only the upper edge (weight 0.25) darkens (1, 0).
    FillRaw(t, 0xFFFF);
    Line(*t, CPunto(0, 0), CPunto(4, 1), 0, 255, true, 0);
    EXPECT_EQ(Raw(t, 0, 0), 0xFFFFu);
    EXPECT_EQ(Raw(t, 1, 0), 23u << 11 | 47u << 5 | 23u);
    EXPECT_TRUE(t.GuardsIntact());
}

TEST(Line, EightBitSoftEdgesMixIndexValues) {
    TestSurface s(8, 6, 6);
    s.Fill(100);
    // Thickness 2 at u = 2.5: span rows 1 and 2, edges on rows 3 and 0, each
    // at weight 0.5: (100 + 200) / 2.
    Line(*s, CPunto(0, 2), CPunto(4, 3), 200, 0, true, 2);
    const int col2[6] = {150, 200, 200, 150, 100, 100};
    for (int y = 0; y < 6; ++y) EXPECT_EQ(s.Row(y)[2], col2[y]) << y;
    TestSurface h(8, 6, 6);
    h.Fill(100);
    Line(*h, CPunto(0, 3), CPunto(5, 3), 200, 0, true, 3);  // u = 3: span rows 2..4
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 5; ++x) {
            const int want = (y >= 2 && y <= 4) ? 200 : y == 1 ? 200 : 100;  // lower edge weight 1, upper weight 0
            EXPECT_EQ(h.Row(y)[x], want) << x << "," << y;
        }
    EXPECT_EQ(h.Row(3)[5], 100);  // far end not drawn
}

TEST(Line, UnknownKindReturnsFalseAndDrawsNothing) {
    TestSurface s(8, 4, 4);
    s.Fill(1);
    s.desc.bpp = 4;
    EXPECT_FALSE(Line(*s, CPunto(0, 0), CPunto(3, 3), 9, 255, true, 2));
    s.desc.bpp = 8;
    EXPECT_TRUE(Changed(s, 1).empty());
}

}  // namespace
