#include <gtest/gtest.h>
#include <limits.h>

#include <array>

#include "surface/surface.h"
#include "tests/common/testsurf.h"

using namespace kv;

namespace {

TSurfDesc Desc(int w, int h, unsigned bpp = 32, unsigned rMask = 0, unsigned aMask = 0) {
    TSurfDesc s{};
    s.width = w;
    s.height = h;
    s.bpp = bpp;
    s.rMask = rMask;
    s.aMask = aMask;
    s.scanWidth = w * int(bpp / 8);
    return s;
}

// Compared whole, so that a failure shows every edge at once.
std::array<int, 4> Edges(const CRectangulo &r) { return {r.left, r.top, r.right, r.bottom}; }
std::array<int, 2> At(const CPunto &p) { return {p.x, p.y}; }
using Rect = std::array<int, 4>;
using Pt = std::array<int, 2>;

TEST(PixelKind, Classification) {
    EXPECT_EQ(PixelKind(Desc(1, 1, 8)), 8);
    EXPECT_EQ(PixelKind(Desc(1, 1, 24)), 24);
    EXPECT_EQ(PixelKind(Desc(1, 1, 32, 0x7C00, 1)), 32);  // masks only matter at 16 bits
    EXPECT_EQ(PixelKind(Desc(1, 1, 16, 0xF800)), 16);
    EXPECT_EQ(PixelKind(Desc(1, 1, 16, 0x7C00, 0)), 17);
    EXPECT_EQ(PixelKind(Desc(1, 1, 16, 0x7C00, 0x8000)), 18);
    EXPECT_EQ(PixelKind(Desc(1, 1, 16, 0x7C00, 1)), 18);  // any alpha mask at all
    EXPECT_EQ(PixelKind(Desc(1, 1, 16, 0x0F00, 0xF000)), 19);
    EXPECT_EQ(PixelKind(Desc(1, 1, 16, 0x001F)), 16);  // unknown layouts read as 565
    EXPECT_EQ(PixelKind(Desc(1, 1, 16, 0)), 16);
    EXPECT_EQ(PixelKind(Desc(1, 1, 15)), 15);
    EXPECT_EQ(PixelKind(Desc(1, 1, 4)), 4);
}

// Each kind's fields, read back by PixelKind; the masks are contiguous runs
// of these widths, blue lowest, then green, red and alpha.
TEST(PixelKind, DescribeKindRoundTrips) {
    struct Want {
        int kind, bpp, r, g, b, a;
    };
    const Want wants[] = {{8, 8, 0, 0, 0, 0},   {16, 16, 5, 6, 5, 0}, {17, 16, 5, 5, 5, 0}, {18, 16, 5, 5, 5, 1},
                          {19, 16, 4, 4, 4, 4}, {24, 24, 0, 0, 0, 0}, {32, 32, 0, 0, 0, 0}};
    for (const Want &w : wants) {
        SCOPED_TRACE(w.kind);
        TSurfDesc s = Desc(3, 2, 1, 0xFFFF, 0xFFFF);
        s.gMask = s.bMask = 0xFFFF;  // stale masks must not survive
        ASSERT_TRUE(DescribeKind(s, w.kind));
        EXPECT_EQ(PixelKind(s), w.kind);
        EXPECT_EQ(int(s.bpp), w.bpp);
        auto field = [](int width, int shift) { return ((1u << width) - 1) << shift; };
        EXPECT_EQ(s.bMask, field(w.b, 0));
        EXPECT_EQ(s.gMask, field(w.g, w.b));
        EXPECT_EQ(s.rMask, field(w.r, w.b + w.g));
        EXPECT_EQ(s.aMask, field(w.a, w.b + w.g + w.r));
        EXPECT_EQ(s.width, 3);  // only the kind's own fields change
        EXPECT_EQ(s.scanWidth, 0);
    }
    for (int notKind : {0, 1, 4, 15, 20, 23, 31, 64}) {
        TSurfDesc s = Desc(3, 2, 77, 0x1234, 0x8000);
        EXPECT_FALSE(DescribeKind(s, notKind)) << notKind;
        EXPECT_EQ(s.bpp, 77u);
        EXPECT_EQ(s.rMask, 0x1234u);
        EXPECT_EQ(s.aMask, 0x8000u);
    }
}

TEST(Clip, LeftTopMoveThePoint) {
    TSurfDesc d = Desc(20, 10);
    CRectangulo r(-3, 0, 5, 4);
    CPunto p(10, 5);
    EXPECT_TRUE(ClipRectAndPoint(d, r, p));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(p.x, 13);
    EXPECT_EQ(p.y, 5);

    CRectangulo r2(2, -2, 5, 4);
    CPunto a(10, 5), b(-1, -1);
    EXPECT_TRUE(ClipRectAndPoints(d, r2, a, b));
    EXPECT_EQ(r2.top, 0);
    EXPECT_EQ(a.y, 7);
    EXPECT_EQ(b.y, 1);
    EXPECT_EQ(a.x, 10);  // nothing cut on the left
}

TEST(Clip, RightAndBottomLeaveThePointAlone) {
    TSurfDesc d = Desc(20, 10);
    CRectangulo r(15, 8, 40, 30);
    CPunto p(1, 2);
    EXPECT_TRUE(ClipRectAndPoint(d, r, p));
    EXPECT_EQ(Edges(r), (Rect{15, 8, 20, 10}));
    EXPECT_EQ(At(p), (Pt{1, 2}));
}

TEST(Clip, EmptyResults) {
    TSurfDesc d = Desc(20, 10);
    CRectangulo right(20, 0, 30, 5);
    EXPECT_FALSE(ClipRect(d, right));
    CRectangulo zero(5, 5, 5, 8);  // right == left
    EXPECT_FALSE(ClipRect(d, zero));
    CRectangulo inverted(8, 8, 2, 2);
    EXPECT_FALSE(ClipRect(d, inverted));
    CRectangulo above(0, -10, 5, 0);
    EXPECT_FALSE(ClipRect(d, above));
    TSurfDesc none = Desc(0, 0);
    CRectangulo any(0, 0, 1, 1);
    EXPECT_FALSE(ClipRect(none, any));
    TSurfDesc negative = Desc(-5, -5);
    CRectangulo r(-10, -10, 10, 10);
    EXPECT_FALSE(ClipRect(negative, r));
}

TEST(Clip, IntRangeEdgesDoNotOverflow) {
    TSurfDesc d = Desc(20, 10);
    CRectangulo r(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    CPunto p(INT_MAX, 0), q(0, INT_MAX);
    EXPECT_TRUE(ClipRectAndPoints(d, r, p, q));
    EXPECT_EQ(Edges(r), (Rect{0, 0, 20, 10}));
    EXPECT_EQ(p.x, INT_MAX);  // saturates instead of wrapping
    EXPECT_EQ(q.y, INT_MAX);
    CPunto m(5, INT_MIN);
    CRectangulo r2(INT_MIN, 3, INT_MIN + 2, 4);
    EXPECT_FALSE(ClipRectAndPoint(d, r2, m));
    EXPECT_EQ(m.x, INT_MAX);  // 5 + 2^31
    EXPECT_EQ(m.y, INT_MIN);
    CPunto n(INT_MIN, 0);
    CRectangulo r3(INT_MIN + 1, 0, 1, 1);
    EXPECT_TRUE(ClipRectAndPoint(d, r3, n));
    EXPECT_EQ(n.x, -1);
}

TEST(Clip, PointInSurface) {
    TSurfDesc d = Desc(10, 4);
    EXPECT_TRUE(PointInSurface(d, CPunto(0, 0)));
    EXPECT_TRUE(PointInSurface(d, CPunto(9, 3)));
    EXPECT_FALSE(PointInSurface(d, CPunto(10, 0)));
    EXPECT_FALSE(PointInSurface(d, CPunto(-1, 0)));
    EXPECT_FALSE(PointInSurface(d, CPunto(0, 4)));
    EXPECT_FALSE(PointInSurface(d, CPunto(INT_MIN, INT_MAX)));
}

TEST(ClipBlock, SourceOutsideItsSurfaceShrinksTheBlock) {
    TSurfDesc dst = Desc(100, 100), src = Desc(10, 8);
    CRectangulo r(5, 5, 30, 30);
    CPunto p(-2, 3);
    ASSERT_TRUE(ClipBlock(dst, r, p, src));
    // Columns whose source x < 0 are cut; the block is 10 wide from x 0.
    EXPECT_EQ(Edges(r), (Rect{7, 5, 17, 10}));
    EXPECT_EQ(At(p), (Pt{0, 3}));
}

TEST(ClipBlock, TwoSourcesMoveTogether) {
    TSurfDesc dst = Desc(50, 50), src = Desc(40, 40), mask = Desc(6, 6, 8);
    CRectangulo r(-4, -4, 50, 50);
    CPunto ps(0, 0), pm(-1, -2);
    ASSERT_TRUE(ClipBlock(dst, r, ps, src, pm, mask));
    EXPECT_EQ(Edges(r), (Rect{0, 0, 3, 4}));  // mask columns 3..5, rows 2..5
    EXPECT_EQ(At(ps), (Pt{4, 4}));
    EXPECT_EQ(At(pm), (Pt{3, 2}));

    // A cut forced by the mask on the left moves the source point too.
    CRectangulo r2(0, 0, 10, 10);
    CPunto qs(5, 5), qm(-2, 0);
    ASSERT_TRUE(ClipBlock(dst, r2, qs, src, qm, mask));
    EXPECT_EQ(Edges(r2), (Rect{2, 0, 8, 6}));
    EXPECT_EQ(At(qs), (Pt{7, 5}));
    EXPECT_EQ(At(qm), (Pt{0, 0}));
}

TEST(ClipBlock, FullyOutsideIsEmpty) {
    TSurfDesc dst = Desc(50, 50), src = Desc(10, 10);
    CRectangulo r(0, 0, 10, 10);
    CPunto p(10, 0);
    EXPECT_FALSE(ClipBlock(dst, r, p, src));
    CRectangulo r2(0, 0, 10, 10);
    CPunto q(INT_MIN, INT_MAX);
    EXPECT_FALSE(ClipBlock(dst, r2, q, src));
}

}  // namespace
