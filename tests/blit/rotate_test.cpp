#include <gtest/gtest.h>

#include "tests/common/testsurf.h"

using kvtest::TestSurface;

namespace {

class Rotate : public ::testing::TestWithParam<int> {};

// Marks pixel (x, y) with 16 * y + x + 1 in its first byte.
void Mark(TestSurface &s) {
    const int b = int(s.desc.bpp / 8);
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width; ++x) s.Row(y)[x * b] = uint8_t(16 * y + x + 1);
}
int At(TestSurface &s, int x, int y) { return s.Row(y)[x * int(s.desc.bpp / 8)]; }

TEST_P(Rotate, QuarterTurnsOfATwoPixelRow) {
    const int kind = GetParam();
    TestSurface s(kind, 2, 1), d(kind, 1, 2, 3);
    Mark(s);  // [A B] = [1 2]
    ASSERT_TRUE(CreateRotated(*d, *s, 1));
    EXPECT_EQ(At(d, 0, 0), 2);  // B above A
    EXPECT_EQ(At(d, 0, 1), 1);
    ASSERT_TRUE(CreateRotated(*d, *s, 3));
    EXPECT_EQ(At(d, 0, 0), 1);
    EXPECT_EQ(At(d, 0, 1), 2);
    EXPECT_TRUE(d.GuardsIntact());
}

TEST_P(Rotate, EveryCodeMapsPixelsAsTabled) {
    const int kind = GetParam();
    const int W = 5, H = 3;
    TestSurface s(kind, W, H, 2);
    Mark(s);
    for (int code : {1, 2, 3, 5, 6, 7}) {
        const bool quarter = code != 2 && code != 6;
        TestSurface d(kind, quarter ? H : W, quarter ? W : H, 1);
        ASSERT_TRUE(CreateRotated(*d, *s, code + 8)) << code;  // bits above the three are ignored
        for (int y = 0; y < d.desc.height; ++y)
            for (int x = 0; x < d.desc.width; ++x) {
                int sx, sy;
                switch (code) {
                    case 1:
                        sx = W - 1 - y;
                        sy = x;
                        break;
                    case 2:
                        sx = W - 1 - x;
                        sy = H - 1 - y;
                        break;
                    case 3:
                        sx = y;
                        sy = H - 1 - x;
                        break;
                    case 5:
                        sx = y;
                        sy = x;
                        break;
                    case 6:
                        sx = x;
                        sy = H - 1 - y;
                        break;  // half turn, then mirrored
                    default:
                        sx = W - 1 - y;
                        sy = H - 1 - x;
                        break;
                }
                EXPECT_EQ(At(d, x, y), 16 * sy + sx + 1) << "code " << code << " at " << x << "," << y;
            }
        EXPECT_TRUE(d.GuardsIntact());
    }
}

TEST_P(Rotate, FourQuarterTurnsReturnTheImage) {
    const int kind = GetParam();
    kvtest::Rng rng(kind);
    TestSurface a(kind, 7, 4), b(kind, 4, 7), c(kind, 7, 4);
    a.Randomize(rng);
    TestSurface d(kind, 4, 7);
    ASSERT_TRUE(CreateRotated(*b, *a, 1));
    ASSERT_TRUE(CreateRotated(*c, *b, 1));
    ASSERT_TRUE(CreateRotated(*d, *c, 1));
    TestSurface e(kind, 7, 4);
    ASSERT_TRUE(CreateRotated(*e, *d, 1));
    EXPECT_EQ(e.Pixels(), a.Pixels());
}

TEST_P(Rotate, ALargerDestinationIsWalkedOnlyWhereTheSourceReaches) {
    const int kind = GetParam();
    TestSurface s(kind, 3, 2), d(kind, 6, 6);
    Mark(s);
    d.Fill(0xEE);
    ASSERT_TRUE(CreateRotated(*d, *s, 1));
    EXPECT_EQ(At(d, 0, 0), 16 * 0 + 2 + 1);
    EXPECT_EQ(At(d, 2, 0), 0xEE);  // past the turned source's width (2)
    EXPECT_EQ(At(d, 0, 3), 0xEE);  // past its height (3)
    EXPECT_TRUE(d.GuardsIntact());
}

TEST_P(Rotate, CodeZeroHonoursTheKeyAndFourMirrors) {
    const int kind = GetParam();
    TestSurface s(kind, 3, 1), d(kind, 3, 1);
    Mark(s);
    d.Fill(0);
    ASSERT_TRUE(CreateRotated(*d, *s, 4));
    if (kind == 8 || kind == 24 || kind == 32) {
        // Plain copy then mirror (no key set): C B A.
        EXPECT_EQ(At(d, 0, 0), 3);
        EXPECT_EQ(At(d, 2, 0), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Rotate, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(CreateRotated, UnknownKindsAreRefused) {
    TestSurface s(32, 2, 2), d(32, 2, 2);
    d.desc.bpp = 15;
    EXPECT_FALSE(CreateRotated(*d, *s, 1));
}

}  // namespace
