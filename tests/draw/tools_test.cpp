#include <gtest/gtest.h>

#include "tests/draw/drawtest.h"

using namespace drawtest;
using kvtest::TestSurface;

namespace {

class ToolKinds : public ::testing::TestWithParam<int> {};

TEST_P(ToolKinds, FlipXMirrorsWholePixels) {
    for (int w : {3, 4, 7}) {
        TestSurface s(GetParam(), w, 2, 3);
        kvtest::Rng rng{uint64_t(w)};
        s.Randomize(rng);
        std::vector<uint32_t> before;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < w; ++x) before.push_back(Raw(s, x, y));
        EXPECT_TRUE(FlipX(*s));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < w; ++x) EXPECT_EQ(Raw(s, x, y), before[size_t(y * w + w - 1 - x)]) << w << ":" << x;
        EXPECT_TRUE(s.GuardsIntact());
    }
    TestSurface one(GetParam(), 1, 3), none(GetParam(), 5, 0);
    one.Fill(9);
    EXPECT_TRUE(FlipX(*one));
    EXPECT_TRUE(FlipX(*none));
    EXPECT_TRUE(one.GuardsIntact() && none.GuardsIntact());
}

TEST_P(ToolKinds, DrawBlockCopiesRowsBetweenPitches) {
    TestSurface src(GetParam(), 9, 6, 5), dst(GetParam(), 8, 5, 1);
    kvtest::Rng rng(7);
    src.Randomize(rng);
    dst.Fill(0x5C);
    const std::vector<uint8_t> blank = dst.Pixels();
    EXPECT_TRUE(DrawBlock(*dst, *src, 3, 2, 1, 2, 5, 2));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool in = x >= 1 && x < 6 && y >= 2 && y < 4;
            EXPECT_EQ(Raw(dst, x, y), in ? Raw(src, x + 2, y) : Raw(dst, 0, 0)) << x << "," << y;
        }
    // Blocks that leave either surface are cut to what lies inside both.
    EXPECT_TRUE(DrawBlock(*dst, *src, 6, 4, 6, 3, 100, 100));
    for (int y = 3; y < 5; ++y)
        for (int x = 6; x < 8; ++x) EXPECT_EQ(Raw(dst, x, y), Raw(src, x, y + 1));
    EXPECT_TRUE(src.GuardsIntact() && dst.GuardsIntact());
    const std::vector<uint8_t> now = dst.Pixels();
    EXPECT_TRUE(DrawBlock(*dst, *src, 0, 0, 0, 0, 0, 4));
    EXPECT_TRUE(DrawBlock(*dst, *src, 0, 0, 0, 0, 4, 0));
    EXPECT_TRUE(DrawBlock(*dst, *src, 0, 0, 8, 0, 4, 4));
    EXPECT_EQ(dst.Pixels(), now);
}

TEST_P(ToolKinds, DrawBlockWithinOneSurfaceOverlapping) {
    TestSurface s(GetParam(), 6, 6, 2);
    kvtest::Rng rng(3);
    s.Randomize(rng);
    std::vector<uint32_t> want(36);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) want[size_t(y * 6 + x)] = Raw(s, x, y);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) want[size_t((y + 2) * 6 + x + 1)] = Raw(s, x, y);
    EXPECT_TRUE(DrawBlock(*s, *s, 0, 0, 1, 2, 4, 4));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(Raw(s, x, y), want[size_t(y * 6 + x)]) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Kinds, ToolKinds, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(Tools, UnknownKindsAndMismatchedSizesAreRefused) {
    TestSurface s(8, 4, 2), t(16, 4, 2);
    s.Fill(3);
    t.Fill(3);
    EXPECT_FALSE(DrawBlock(*s, *t, 0, 0, 0, 0, 2, 2));
    EXPECT_FALSE(DrawBlock(*t, *s, 0, 0, 0, 0, 2, 2));
    s.desc.bpp = 15;
    EXPECT_FALSE(FlipX(*s));
    EXPECT_FALSE(TranslateRect(*s, CRectangulo(0, 0, 4, 2), 1.0f, nullptr));
    EXPECT_FALSE(DrawBlock(*s, *s, 0, 0, 1, 0, 2, 2));
    s.desc.bpp = 8;
    EXPECT_TRUE(Changed(s, 3).empty());
    EXPECT_TRUE(Changed(t, 0x0303).empty());
}

struct TranslateCase {
    int kind;
    float amount;
    uint32_t before, after;
};

class Translate : public ::testing::TestWithParam<TranslateCase> {};

TEST_P(Translate, ShiftsEveryChannel) {
    const TranslateCase &c = GetParam();
    TestSurface s(c.kind, 5, 4, 3);
    FillRaw(s, c.before);
    EXPECT_TRUE(TranslateRect(*s, CRectangulo(1, 1, 9, 3), c.amount, nullptr));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(Raw(s, x, y), (x >= 1 && y >= 1 && y < 3) ? c.after : c.before) << x << "," << y;
    EXPECT_TRUE(s.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Translate,
    ::testing::Values(TranslateCase{32, 0.5f, 0x80402010, 0x80402010}, TranslateCase{24, 0.5f, 0x402010, 0x402010},
                      TranslateCase{32, 1.0f, 0x80402010, 0xFFFFFFFF}, TranslateCase{32, 0.0f, 0x80402010, 0},
                      TranslateCase{24, 1.0f, 0x402010, 0xFFFFFF},
                      // trunc(0.25 x 510 - 255) = trunc(-127.5) = -127, floored at 0
                      TranslateCase{32, 0.25f, 0x80FF7F10, 0x01800000}, TranslateCase{24, 0.75f, 0xF08010, 0xFFFF8F},
                      // amounts beyond 0..1 go all the way
                      TranslateCase{32, 2.0f, 0x80402010, 0xFFFFFFFF}, TranslateCase{24, -3.0f, 0x402010, 0},
                      TranslateCase{16, 1.0f, 0x0000, 0xFFDF}, TranslateCase{16, 0.5f, 0xFFFF, 0xFFDF},
                      TranslateCase{16, 0.55f, 0x0821, 0x20C4},  // v 3: fields 1, 2 (green 1 >> 1 = 0 + 3 -> 3 << 1), 1
                      TranslateCase{17, 1.0f, 0x8000, 0x7FFF}, TranslateCase{18, 0.0f, 0xFFFF, 0x0000},
                      TranslateCase{19, 1.0f, 0xF000, 0x0FFF}, TranslateCase{19, 0.55f, 0x0555, 0x0666},
                      TranslateCase{19, 0.52f, 0x0555, 0x0555}, TranslateCase{16, 5.0f, 0x0000, 0xFFDF}));

TEST(Translate, EightBitsRemapThroughTheTable) {
    TestSurface s(8, 4, 2, 1);
    for (int x = 0; x < 4; ++x) s.Row(0)[x] = s.Row(1)[x] = uint8_t(x * 60);
    unsigned char table[256];
    for (int i = 0; i < 256; ++i) table[i] = uint8_t(255 - i);
    EXPECT_TRUE(TranslateRect(*s, CRectangulo(1, 1, 4, 2), 0.0f, table));
    EXPECT_EQ(s.Row(0)[1], 60);
    EXPECT_EQ(s.Row(1)[0], 0);
    EXPECT_EQ(s.Row(1)[1], 195);
    EXPECT_EQ(s.Row(1)[3], 75);
    // No table: nothing to do.
    const std::vector<uint8_t> now = s.Pixels();
    EXPECT_TRUE(TranslateRect(*s, CRectangulo(0, 0, 4, 2), 1.0f, nullptr));
    EXPECT_TRUE(TranslateRect(*s, CRectangulo(5, 0, 9, 2), 1.0f, table));
    EXPECT_EQ(s.Pixels(), now);
    EXPECT_TRUE(s.GuardsIntact());
}

}  // namespace
