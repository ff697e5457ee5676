#include <gtest/gtest.h>
#include <string.h>

#include <memory>

#include "tests/common/testsurf.h"

using kvtest::NarrowRGB;
using kvtest::Rng;
using kvtest::TestSurface;

namespace {

uint32_t Px(TestSurface &s, int x, int y) {
    uint32_t v = 0;
    memcpy(&v, s.Row(y) + x * int(s.desc.bpp / 8), s.desc.bpp / 8);
    return v;
}
void SetPx(TestSurface &s, int x, int y, uint32_t v) { memcpy(s.Row(y) + x * int(s.desc.bpp / 8), &v, s.desc.bpp / 8); }

// A palette entry as each destination kind stores it.
uint32_t Expanded(int kind, const TRGBA &e) {
    const uint32_t c = NarrowRGB(kind, e.r, e.g, e.b);
    return kind == 32 ? (uint32_t(e.a) << 24) | c : c;
}

bool Transparent(const TestSurface &src, uint32_t v) {
    const uint32_t key = src.desc.transColor;
    if (key == 0xFFFFFFFFu) return false;
    switch (src.desc.bpp) {
        case 8:
            return v == 0;
        case 16:
            return v == (key & 0xFFFF);
        default:
            return (v & 0xFFFFFF) == (key & 0xFFFFFF);
    }
}

// The whole operation pixel by pixel, clipped to both surfaces, on copies.
std::vector<uint8_t> Expected(TestSurface &dst, CRectangulo r, TestSurface &src, CPunto p) {
    std::vector<uint8_t> before = dst.Pixels();
    const int db = int(dst.desc.bpp / 8);
    const bool same = dst.desc.bpp == src.desc.bpp, expand = src.desc.bpp == 8 && dst.desc.bpp > 8;
    if (!same && !expand) return before;
    const TRGBA *pal = src.desc.palette ? src.desc.palette : lu_gPaleta;
    int kind = int(dst.desc.bpp);
    if (kind == 16) kind = dst.desc.rMask == 0x7C00 ? 17 : dst.desc.rMask == 0x0F00 ? 19 : 16;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const int sx = p.x + x - r.left, sy = p.y + y - r.top;
            if (x < 0 || y < 0 || x >= dst.desc.width || y >= dst.desc.height) continue;
            if (sx < 0 || sy < 0 || sx >= src.desc.width || sy >= src.desc.height) continue;
            const uint32_t v = Px(src, sx, sy);
            if (Transparent(src, v)) continue;
            const uint32_t out = expand ? Expanded(kind, pal[v]) : v;
            memcpy(&before[(size_t(y) * dst.desc.width + x) * db], &out, db);
        }
    return before;
}

struct KindPair {
    int dst, src;
};
std::vector<KindPair> Pairs() {
    std::vector<KindPair> v;
    for (int d : kvtest::AllKinds()) {
        for (int s : kvtest::AllKinds())
            if (kvtest::KindByNumber(s).bpp == kvtest::KindByNumber(d).bpp || s == 8) v.push_back({d, s});
        v.push_back({d, d == 32 ? 24 : 32});  // a pair that draws nothing
    }
    return v;
}

class DrawBitmapPairs : public ::testing::TestWithParam<KindPair> {};

// Random blocks, keys and clipping against a per-pixel model; the keys are
// taken from the source's own pixels so that they match often.
TEST_P(DrawBitmapPairs, MatchesPixelModel) {
    const KindPair kp = GetParam();
    Rng rng(uint64_t(kp.dst) * 100 + kp.src);
    for (int it = 0; it < 60; ++it) {
        std::unique_ptr<TestSurface> dst(kvtest::RandomSurface(rng, kp.dst, 29, 11));
        std::unique_ptr<TestSurface> src(kvtest::RandomSurface(rng, kp.src, 33, 13));
        // Few distinct values, so keys hit whole runs.
        if (rng.Chance(50))
            for (int y = 0; y < src->desc.height; ++y)
                for (int x = 0; x < src->desc.width; ++x)
                    SetPx(*src, x, y, Px(*src, x, y) & (src->desc.bpp == 8 ? 3 : 0xFF030303u));
        const int mode = rng.Range(0, 3);
        if (mode == 1) src->desc.transColor = Px(*src, 0, 0) ^ (rng.U32() & 0xFF000000u);
        if (mode == 2) src->desc.transColor = rng.U32() & 0xFFFFFFFEu;
        if (rng.Chance(20)) src->desc.palette = nullptr;
        const CRectangulo r = kvtest::RandomRect(rng, dst->desc.width, dst->desc.height);
        const CPunto p(rng.Range(-3, src->desc.width), rng.Range(-3, src->desc.height));
        const std::vector<uint8_t> want = Expected(*dst, r, *src, p);
        const std::vector<uint8_t> srcBefore = src->Pixels();
        ASSERT_TRUE(DrawBitmap(dst->desc, r, src->desc, p));
        ASSERT_EQ(dst->Pixels(), want) << "case " << it;
        ASSERT_TRUE(dst->GuardsIntact());
        ASSERT_EQ(src->Pixels(), srcBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(All, DrawBitmapPairs, ::testing::ValuesIn(Pairs()),
                         [](const ::testing::TestParamInfo<KindPair> &i) {
                             return kvtest::KindName(i.param.dst) + "_from_" + kvtest::KindName(i.param.src);
                         });

class DrawBitmapExpand : public ::testing::TestWithParam<int> {};

TEST_P(DrawBitmapExpand, EntryStoredTruncatedPerKind) {
    const int kind = GetParam();
    TestSurface dst(kind, 3, 1, 3), src(8, 3, 1, 1);
    dst.Fill(0);
    src.palette[1] = TRGBA{0x12, 0x34, 0x56, 0x78};
    src.palette[2] = TRGBA{0xFF, 0xFF, 0xFF, 0xFF};
    src.Row(0)[0] = 1;
    src.Row(0)[1] = 2;
    src.Row(0)[2] = 0;
    ASSERT_TRUE(DrawBitmap(*dst, *src));
    uint32_t want1 = 0, want2 = 0;
    switch (kind) {
        case 16:
            want1 = (0x0A << 11) | (0x0D << 5) | 0x02;
            want2 = 0xFFFF;
            break;
        case 17:
        case 18:
            want1 = (0x0A << 10) | (0x06 << 5) | 0x02;
            want2 = 0x7FFF;
            break;
        case 19:
            want1 = 0x0531;
            want2 = 0x0FFF;
            break;
        case 24:
            want1 = 0x563412;
            want2 = 0xFFFFFF;
            break;
        case 32:
            want1 = 0x78563412;
            want2 = 0xFFFFFFFF;
            break;
    }
    EXPECT_EQ(Px(dst, 0, 0), want1);
    EXPECT_EQ(Px(dst, 1, 0), want2);
    EXPECT_EQ(Px(dst, 2, 0), Expanded(kind, src.palette[0]));  // no key: index 0 drawn
    EXPECT_TRUE(dst.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Deep, DrawBitmapExpand, ::testing::Values(16, 17, 18, 19, 24, 32),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

TEST(DrawBitmap, NullPaletteReadsModelPalette) {
    TestSurface dst(32, 2, 1), src(8, 2, 1);
    src.desc.palette = nullptr;
    src.Row(0)[0] = 251;
    src.Row(0)[1] = 1;
    ASSERT_TRUE(DrawBitmap(*dst, *src));
    EXPECT_EQ(Px(dst, 0, 0), 0x00FFFFFFu);
    EXPECT_EQ(Px(dst, 1, 0), 51u);
}

TEST(DrawBitmap, EightBitKeyIsIndexZeroWhateverItsValue) {
    TestSurface dst(8, 3, 1), src(8, 3, 1);
    dst.Fill(9);
    src.Row(0)[0] = 0;
    src.Row(0)[1] = 37;
    src.Row(0)[2] = 5;
    src.desc.transColor = 37;
    ASSERT_TRUE(DrawBitmap(*dst, *src));
    EXPECT_EQ(dst.Pixels(), (std::vector<uint8_t>{9, 37, 5}));
}

TEST(DrawBitmap, ThirtyTwoBitKeyIgnoresTopByteButCopiesIt) {
    TestSurface dst(32, 3, 1), src(32, 3, 1);
    dst.Fill(0x11);
    SetPx(src, 0, 0, 0xAB102030u);  // key match, other top byte
    SetPx(src, 1, 0, 0xCD102031u);  // lowest bit differs
    SetPx(src, 2, 0, 0x00102030u);
    src.desc.transColor = 0x00102030u;
    ASSERT_TRUE(DrawBitmap(*dst, *src));
    EXPECT_EQ(Px(dst, 0, 0), 0x11111111u);
    EXPECT_EQ(Px(dst, 1, 0), 0xCD102031u);
    EXPECT_EQ(Px(dst, 2, 0), 0x11111111u);
}

TEST(DrawBitmap, AlphaBitTakesPartInTheSixteenBitKey) {
    TestSurface dst(18, 2, 1), src(18, 2, 1);
    dst.Fill(0);
    SetPx(src, 0, 0, 0x801F);
    SetPx(src, 1, 0, 0x001F);
    src.desc.transColor = 0x001F;
    ASSERT_TRUE(DrawBitmap(*dst, *src));
    EXPECT_EQ(Px(dst, 0, 0), 0x801Fu);
    EXPECT_EQ(Px(dst, 1, 0), 0u);
}

TEST(DrawBitmap, LayoutsCopiedBitForBit) {
    TestSurface dst(16, 1, 1), src(19, 1, 1);
    SetPx(src, 0, 0, 0xF123);
    ASSERT_TRUE(DrawBitmap(*dst, *src));
    EXPECT_EQ(Px(dst, 0, 0), 0xF123u);
}

TEST(DrawBitmap, ClippedLeftMovesSourcePointRightDoesNot) {
    TestSurface dst(8, 6, 1), src(8, 30, 1);
    for (int x = 0; x < 30; ++x) src.Row(0)[x] = uint8_t(x + 1);
    dst.Fill(0);
    ASSERT_TRUE(DrawBitmap(*dst, CRectangulo(-10, 0, 2, 1), *src, CPunto(3, 0)));
    EXPECT_EQ(dst.Pixels(), (std::vector<uint8_t>{14, 15, 0, 0, 0, 0}));
    ASSERT_TRUE(DrawBitmap(*dst, CRectangulo(4, 0, 20, 1), *src, CPunto(0, 0)));
    EXPECT_EQ(dst.Pixels(), (std::vector<uint8_t>{14, 15, 0, 0, 1, 2}));
}

TEST(DrawBitmap, ResultsForOddCases) {
    TestSurface dst(32, 4, 4), src24(24, 4, 4), bad(8, 4, 4);
    dst.Fill(0x22);
    src24.Fill(0x99);
    EXPECT_TRUE(DrawBitmap(*dst, *src24));  // 24 on 32: nothing drawn
    EXPECT_EQ(dst.Pixels(), std::vector<uint8_t>(64, 0x22));
    EXPECT_TRUE(DrawBitmap(*dst, CRectangulo(5, 0, 9, 4), *src24, CPunto()));
    bad.desc.bpp = 15;
    EXPECT_FALSE(DrawBitmap(*bad, *src24));
}

// A source block that leaves its surface is cut to the part inside it.
TEST(DrawBitmap, SourceBlockClippedToSource) {
    TestSurface dst(32, 8, 8, 4), src(32, 3, 3, 4);
    dst.Fill(0);
    src.Fill(0x7F);
    ASSERT_TRUE(DrawBitmap(*dst, CRectangulo(0, 0, 8, 8), *src, CPunto(-1, 1)));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(Px(dst, x, y), (x >= 1 && x <= 3 && y <= 1) ? 0x7F7F7F7Fu : 0u) << x << "," << y;
    EXPECT_TRUE(dst.GuardsIntact());
}

// A surface drawn onto itself further right along the same rows: every
// pixel is read after the pixels left of it were written, as one pixel at a
// time reads them, in both builds.
class DrawBitmapOntoItself : public ::testing::TestWithParam<int> {};

TEST_P(DrawBitmapOntoItself, ShiftedRightReadsAsItGoes) {
    const int kind = GetParam();
    Rng rng(uint64_t(kind) + 5);
    for (int shift = 1; shift <= 17; ++shift) {
        TestSurface s(kind, 48, 2);
        s.Randomize(rng);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 48; ++x) SetPx(s, x, y, Px(s, x, y) & (kind == 8 ? 1 : 0xFF010101u));
        s.desc.transColor = Px(s, 0, 0);
        std::vector<uint8_t> want;
        {
            TestSurface m(kind, 48, 2);
            m.SetPixels(s.Pixels());
            m.desc.transColor = s.desc.transColor;
            for (int y = 0; y < 2; ++y)
                for (int x = shift; x < 48; ++x)
                    if (!Transparent(m, Px(m, x - shift, y))) SetPx(m, x, y, Px(m, x - shift, y));
            want = m.Pixels();
        }
        ASSERT_TRUE(DrawBitmap(s.desc, CRectangulo(shift, 0, 48, 2), s.desc, CPunto(0, 0)));
        ASSERT_EQ(s.Pixels(), want) << "shift " << shift;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, DrawBitmapOntoItself, ::testing::Values(8, 16, 18, 24, 32),
                         [](const auto &i) { return kvtest::KindName(i.param); });

}  // namespace
