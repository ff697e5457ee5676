// Whole-image conversion between every pair of kinds, the keys that travel
// with it, the 8-bit methods and the copy.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/common/testsurf.h"

using kvtest::AllKinds;
using kvtest::KindName;
using kvtest::NarrowRGB;
using kvtest::Rng;
using kvtest::TestSurface;

namespace {

bool Is16(int k) { return k >= 16 && k <= 19; }
int Bytes(int k) { return k == 8 ? 1 : Is16(k) ? 2 : k / 8; }

uint32_t Get(const uint8_t *p, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}

// A pixel read as 8-bit channels (widened by shifting, low bits zero) and
// its alpha field in the source's own width (-1: the kind has none).
struct Colour {
    int r, g, b, alpha;
};

Colour Decode(int k, uint32_t p, const TRGBA *pal) {
    switch (k) {
        case 16:
            return {int((p >> 11) & 31) << 3, int((p >> 5) & 63) << 2, int(p & 31) << 3, -1};
        case 17:
            return {int((p >> 10) & 31) << 3, int((p >> 5) & 31) << 3, int(p & 31) << 3, -1};
        case 18:
            return {int((p >> 10) & 31) << 3, int((p >> 5) & 31) << 3, int(p & 31) << 3, int(p >> 15) & 1};
        case 19:
            return {int((p >> 8) & 15) << 4, int((p >> 4) & 15) << 4, int(p & 15) << 4, int(p >> 12) & 15};
        case 24:
            return {int(p >> 16) & 255, int(p >> 8) & 255, int(p) & 255, -1};
        case 32:
            return {int(p >> 16) & 255, int(p >> 8) & 255, int(p) & 255, int(p >> 24)};
        default:
            if (!pal) return {int(p), int(p), int(p), -1};
            return {pal[p].r, pal[p].g, pal[p].b, pal[p].a};
    }
}

// The alpha bits a destination pixel gets, by the kinds involved, in the
// destination's own field width.
int AlphaBits(int dk, int sk, const Colour &c, bool grey) {
    if (dk == 17 || dk == 18) {
        if (sk == 32 || sk == 8) return grey ? 0 : c.alpha >> 7;
        if (sk == 19) return c.alpha >> 3;
        return dk == 18 ? 1 : 0;
    }
    if (dk == 19) {
        if (sk == 32) return c.alpha >> 4;
        if (sk == 17 || sk == 18) return 0;
        if (sk == 8) return grey ? 0 : 15;
        return 15;
    }
    if (dk == 32) {
        if (sk == 18) return 0;
        if (sk == 19) return c.alpha << 4;
        return 255;
    }
    return 0;
}

uint32_t Encode(int dk, const Colour &c, int alpha) {
    const uint32_t v = NarrowRGB(dk, uint32_t(c.r), uint32_t(c.g), uint32_t(c.b));
    switch (dk) {
        case 17:
        case 18:
            return uint32_t(alpha << 15) | v;
        case 19:
            return uint32_t(alpha << 12) | v;
        case 32:
            return (uint32_t(alpha) << 24) | v;
        default:
            return v;
    }
}

uint32_t Expected(int dk, int sk, uint32_t p, const TRGBA *pal) {
    if (dk == sk) return p;
    const Colour c = Decode(sk, p, pal);
    return Encode(dk, c, AlphaBits(dk, sk, c, sk == 8 && !pal));
}

// Channel extremes, every single-field maximum, alpha bits alone, then a
// ramp and random values.
void FillSource(TestSurface &s, int kind, Rng &rng) {
    std::vector<uint32_t> v = {0, 0xFFFFFFFFu, 0x00FFFFFF, 0xFF000000u, 0x80000000u, 0x7F000000u};
    if (Is16(kind))
        for (uint32_t f : {0x8000u, 0x7FFFu, 0xF800u, 0x07E0u, 0x001Fu, 0x7C00u, 0x03E0u, 0x0F00u, 0x00F0u, 0x000Fu,
                           0xF000u, 0x0001u, 0x0020u, 0x0800u})
            v.push_back(f);
    for (uint32_t f : {0xFF0000u, 0x00FF00u, 0x0000FFu, 0x808080u, 0x7F7F7Fu, 0x123456u}) v.push_back(f);
    for (int i = 0; i < 256; ++i) v.push_back(uint32_t(i) * 0x01010101u);
    int n = 0;
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width; ++x, ++n) {
            const uint32_t p = n < int(v.size()) ? v[size_t(n)] : rng.U32();
            for (int i = 0; i < Bytes(kind); ++i) s.Row(y)[x * Bytes(kind) + i] = uint8_t(p >> (8 * i));
        }
}

std::string PairName(const ::testing::TestParamInfo<std::tuple<int, int>> &i) {
    return KindName(std::get<0>(i.param)) + "_to_" + KindName(std::get<1>(i.param));
}

// 8-bit destinations have their own tests below.
class KindPairPixels : public ::testing::TestWithParam<std::tuple<int, int>> {};
class KindPair : public ::testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(KindPairPixels, EveryPixelExactly) {
    const int sk = std::get<0>(GetParam()), dk = std::get<1>(GetParam());
    Rng rng(uint64_t(sk) * 100 + dk);
    for (bool withPalette : {true, false}) {
        if (!withPalette && sk != 8) continue;
        // Odd width, pitches wider than the row and unequal.
        TestSurface s(sk, 23, 17, 3), d(dk, 23, 17, 5);
        FillSource(s, sk, rng);
        if (!withPalette) s.desc.palette = nullptr;
        d.Fill(0x5C);
        EXPECT_FALSE(Convert(d.desc, s.desc, 2));
        for (int y = 0; y < 17; ++y)
            for (int x = 0; x < 23; ++x) {
                const uint32_t p = Get(s.Row(y) + x * Bytes(sk), Bytes(sk));
                const uint32_t want = Expected(dk, sk, p, s.desc.palette);
                ASSERT_EQ(Get(d.Row(y) + x * Bytes(dk), Bytes(dk)), want)
                    << std::hex << "pixel " << p << " at " << std::dec << x << "," << y;
            }
        EXPECT_TRUE(d.GuardsIntact());
        EXPECT_TRUE(s.GuardsIntact());
    }
}

// Row kernels work in groups of pixels and align their stores: every width
// up to past two groups of eight, and pitches of one byte over the row so
// that the rows of each surface start at every offset from an 8-byte
// boundary. Each pixel must still come out exactly and nothing beside the
// rows may change.
TEST_P(KindPairPixels, EveryWidthAndRowStart) {
    const int sk = std::get<0>(GetParam()), dk = std::get<1>(GetParam());
    Rng rng(uint64_t(sk) * 31 + dk);
    for (int w = 1; w <= 37; ++w) {
        TestSurface s(sk, w, 8, 1), d(dk, w, 8, 1);
        FillSource(s, sk, rng);
        d.Fill(0x5C);
        Convert(d.desc, s.desc, 2);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < w; ++x) {
                const uint32_t p = Get(s.Row(y) + x * Bytes(sk), Bytes(sk));
                ASSERT_EQ(Get(d.Row(y) + x * Bytes(dk), Bytes(dk)), Expected(dk, sk, p, s.desc.palette))
                    << std::hex << "pixel " << p << std::dec << " at " << x << "," << y << " width " << w;
            }
        ASSERT_TRUE(d.GuardsIntact()) << "width " << w;
        ASSERT_TRUE(s.GuardsIntact()) << "width " << w;
    }
}

INSTANTIATE_TEST_SUITE_P(All, KindPairPixels,
                         ::testing::Combine(::testing::ValuesIn(AllKinds()), ::testing::Values(16, 17, 18, 19, 24, 32)),
                         PairName);
INSTANTIATE_TEST_SUITE_P(All, KindPair,
                         ::testing::Combine(::testing::ValuesIn(AllKinds()), ::testing::ValuesIn(AllKinds())),
                         PairName);

// One pixel converted, for the literal values the conversions are known by.
uint32_t One(int dk, int sk, uint32_t p) {
    TestSurface s(sk, 2, 1), d(dk, 2, 1);
    for (int x = 0; x < 2; ++x)
        for (int i = 0; i < Bytes(sk); ++i) s.Row(0)[x * Bytes(sk) + i] = uint8_t((x ? ~p : p) >> (8 * i));
    Convert(d.desc, s.desc, 2);
    return Get(d.Row(0), Bytes(dk));
}

TEST(ConvertValues, KnownPixels) {
    EXPECT_EQ(One(17, 16, 0xFFFF), 0x7FFFu);
    EXPECT_EQ(One(18, 16, 0xFFFF), 0xFFFFu);
    EXPECT_EQ(One(19, 16, 0xFFFF), 0xFFFFu);
    EXPECT_EQ(One(24, 16, 0xFFFF), 0xF8FCF8u);
    EXPECT_EQ(One(19, 17, 0x7FFF), 0x0FFFu);
    EXPECT_EQ(One(16, 17, 0x7FFF), 0xFFDFu);
    EXPECT_EQ(One(17, 19, 0x8F00), 0xF800u);
    EXPECT_EQ(One(32, 18, 0x8000) >> 24, 0u);
    EXPECT_EQ(One(17, 24, 0x563412), 0x28C2u);  // the following pixel holds the complement
    EXPECT_EQ(One(18, 24, 0x563412), 0xA8C2u);
}

TEST(ConvertValues, NamedConversionsMatchTheirNamesAndReturnTrue) {
    struct Named {
        bool (*fn)(TSurfDesc &, TSurfDesc &);
        int sk, dk;
    };
    const Named all[] = {
        {Convert32_24_, 32, 24},         {Convert24_32_, 24, 32},          {Convert16_565_16_555, 16, 17},
        {Convert16_565_16_5551, 16, 18}, {Convert16_565_16_4444, 16, 19},  {Convert16_555_16_565, 17, 16},
        {Convert16_5551_16_565, 18, 16}, {Convert16_555_16_4444, 17, 19},  {Convert16_5551_16_4444, 18, 19},
        {Convert16_555_16_5551, 17, 18}, {Convert16_5551_16_555, 18, 17},  {Convert16_4444_16_565, 19, 16},
        {Convert16_4444_16_555, 19, 17}, {Convert16_4444_16_5551, 19, 18},
    };
    Rng rng(9);
    for (const Named &n : all) {
        TestSurface s(n.sk, 9, 4, 2), d(n.dk, 9, 4, 1), ref(n.dk, 9, 4, 1);
        FillSource(s, n.sk, rng);
        s.desc.transColor = 0x1234;
        EXPECT_TRUE(n.fn(d.desc, s.desc));
        Convert(ref.desc, s.desc, 0);
        EXPECT_EQ(d.Pixels(), ref.Pixels()) << n.sk << " to " << n.dk;
        EXPECT_EQ(d.desc.transColor, ref.desc.transColor) << n.sk << " to " << n.dk;
        EXPECT_TRUE(d.GuardsIntact());
    }
}

TEST(ConvertValues, UnknownKindsAndModesTouchNothing) {
    TestSurface s(24, 4, 4), d(8, 4, 4);
    Rng rng(1);
    s.Randomize(rng);
    s.desc.transColor = 0x10;
    d.Fill(0x77);
    d.desc.transColor = 0x99;
    for (unsigned long mode : {0ul, 5ul, 7ul}) {
        EXPECT_FALSE(Convert(d.desc, s.desc, mode));
        EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(16, 0x77));
        EXPECT_EQ(d.desc.transColor, 0x99u);
    }
    TestSurface d32(32, 4, 4);
    d32.Fill(0x11);
    d32.desc.transColor = 0x42;
    for (unsigned bpp : {15u, 4u, 0u}) {
        s.desc.bpp = bpp;
        EXPECT_FALSE(Convert(d32.desc, s.desc, 2));
        d32.desc.bpp = bpp;
        s.desc.bpp = 24;
        EXPECT_FALSE(Convert(d32.desc, s.desc, 2));
        d32.desc.bpp = 32;
    }
    EXPECT_EQ(d32.Pixels(), std::vector<uint8_t>(64, 0x11));
    EXPECT_EQ(d32.desc.transColor, 0x42u);
}

// ---- keys ----

uint32_t ExpectedKey(int dk, int sk, uint32_t t, uint32_t oldKey, const TSurfDesc &s, const TSurfDesc &d) {
    if (t == 0xFFFFFFFFu) return dk == 32 && sk == 8 ? oldKey : 0xFFFFFFFFu;
    if (dk == sk) return t;
    if (dk == 8) return 0;
    const TRGBA *pal = s.palette;
    if (sk == 8) {
        uint32_t word = 0;
        if (pal) memcpy(&word, &pal[0], 4);
        if (dk == 32) return d.aMask ? (pal ? word : 0) | 0xFF000000u : t;
        if (!pal) return dk == 18 ? 0x8000 : dk == 19 ? 0xF000 : 0;
        if (dk == 24) return word;
        return Expected(dk, 8, 0, pal);
    }
    if ((sk == 24 && dk == 32) || (sk == 32 && dk == 24)) return dk == 32 && d.aMask ? t | 0xFF000000u : t;
    uint32_t v = Expected(dk, sk, Is16(sk) ? t & 0xFFFF : sk == 24 ? t & 0xFFFFFF : t, nullptr);
    if (dk == 24 || dk == 32) v = (v & 0xFFFFFF) | (dk == 32 && d.aMask ? 0xFF000000u : 0);
    if (dk == 18) v |= 0x8000;
    if (dk == 17) v &= 0x7FFF;
    if (dk == 19) v |= 0xF000;
    return v;
}

TEST_P(KindPair, KeyTravelsWithTheImage) {
    const int sk = std::get<0>(GetParam()), dk = std::get<1>(GetParam());
    Rng rng(uint64_t(sk) * 7 + dk);
    for (int round = 0; round < 24; ++round) {
        TestSurface s(sk, 3, 2), d(dk, 3, 2);
        s.Randomize(rng);
        for (TRGBA &e : s.palette)
            e = TRGBA{uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32())};
        if (round % 3 == 1) s.desc.palette = nullptr;
        if (round % 2) d.desc.aMask = dk == 32 ? 0xFF000000u : d.desc.aMask;
        const uint32_t t = round < 4 ? 0xFFFFFFFFu : round < 6 ? 0u : rng.U32() >> (rng.Range(0, 16));
        s.desc.transColor = t;
        d.desc.transColor = 0x0BADu;
        Convert(d.desc, s.desc, uint32_t(1 + round % 4));
        uint32_t want = ExpectedKey(dk, sk, t, 0x0BADu, s.desc, d.desc);
        if (dk == 8 && sk != 8 && t == 0xFFFFFFFFu) want = 0xFFFFFFFFu;
        if (want == 0xFFFFFFFFu && t != 0xFFFFFFFFu) want = 0x00FFFFFFu;  // a key never reads as none
        EXPECT_EQ(d.desc.transColor, want) << std::hex << "key " << t << " round " << std::dec << round;
    }
}

TEST(ConvertKeys, WhiteKeyStaysAKeyOnAlphaSurfaces) {
    TestSurface s(24, 1, 1), d(32, 1, 1);
    d.desc.aMask = 0xFF000000u;
    s.desc.transColor = 0x00FFFFFF;
    EXPECT_TRUE(Convert24_32_(d.desc, s.desc));
    EXPECT_EQ(d.desc.transColor, 0x00FFFFFFu);
    s.desc.transColor = 0x00FFFFFE;
    Convert24_32_(d.desc, s.desc);
    EXPECT_EQ(d.desc.transColor, 0xFFFFFFFEu);
}

// ---- 8-bit destinations ----

TEST(ToIndexed, TruncatedAndModelIndices) {
    struct Case {
        unsigned long mode;
        uint32_t rgb;
        int want;
    } cases[] = {{3, 0xFF0000, 0xE0}, {3, 0x0000FF, 0x03},      {3, 0xFFFFFF, 0xFF}, {3, 0x00E000, 0x1C},
                 {4, 0xFFFFFF, 251},  {4, 0x000000, 0},         {4, 0xFF0000, 210},  {4, 0x00FF00, 36},
                 {4, 0x0000FF, 5},    {4, 0x2B2B2B, 42 + 6 + 1}};
    for (int sk : {24, 32}) {
        for (const Case &c : cases) {
            TestSurface s(sk, 1, 1), d(8, 1, 1);
            for (int i = 0; i < Bytes(sk); ++i) s.Row(0)[i] = uint8_t(c.rgb >> (8 * i));
            EXPECT_FALSE(Convert(d.desc, s.desc, c.mode));
            EXPECT_EQ(d.Row(0)[0], c.want) << c.mode << " " << std::hex << c.rgb;
        }
    }
}

class ToIndexedKind : public ::testing::TestWithParam<int> {};

TEST_P(ToIndexedKind, EveryModeWithAKey) {
    const int sk = GetParam();
    Rng rng{uint64_t(sk)};
    for (unsigned long mode = 1; mode <= 4; ++mode) {
        // Wide enough for both searches (plain scan and cubes) in mode 2.
        for (int w : {7, 71}) {
            TestSurface s(sk, w, 19, 2), d(8, w, 19, 3);
            FillSource(s, sk, rng);
            const uint32_t key = Get(s.Row(3) + 2 * Bytes(sk), Bytes(sk)) | (sk == 32 ? 0x5A000000u : 0);
            s.desc.transColor = Is16(sk) ? key & 0xFFFF : key & 0xFFFFFF;
            TRGBA pal[256];
            for (TRGBA &e : pal) e = TRGBA{uint8_t(rng.U32()), uint8_t(rng.U32()), uint8_t(rng.U32()), 0};
            d.desc.palette = pal;
            d.Fill(0xEE);
            d.desc.transColor = 0x77;
            Convert(d.desc, s.desc, mode);
            EXPECT_EQ(d.desc.transColor, 0u);
            for (int y = 0; y < 19; ++y)
                for (int x = 0; x < w; ++x) {
                    const uint32_t p = Get(s.Row(y) + x * Bytes(sk), Bytes(sk));
                    const Colour c = Decode(sk, p, nullptr);
                    int want;
                    const uint32_t km = Is16(sk) ? 0xFFFF : 0xFFFFFF;
                    if (mode == 1)
                        want = 0xEE;
                    else if ((p & km) == (s.desc.transColor & km))
                        want = 0;
                    else if (mode == 3)
                        want = (c.r & 0xE0) | ((c.g >> 5) << 2) | (c.b >> 6);
                    else if (mode == 4)
                        want = (c.r * 6 / 256) * 42 + (c.g * 7 / 256) * 6 + c.b * 6 / 256;
                    else {
                        int best = 0xFFFFFF;
                        want = 0;
                        for (int k = 0; k < 256; ++k) {
                            const int dd =
                                ((c.r - pal[k].r) & 255) + ((c.g - pal[k].g) & 255) + ((c.b - pal[k].b) & 255);
                            if (dd <= best) best = dd, want = k;
                        }
                    }
                    ASSERT_EQ(d.Row(y)[x], want) << "mode " << mode << " at " << x << "," << y;
                }
            EXPECT_TRUE(d.GuardsIntact());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(All, ToIndexedKind, ::testing::Values(16, 17, 18, 19, 24, 32),
                         [](const ::testing::TestParamInfo<int> &i) { return KindName(i.param); });

TEST(ToIndexed, KeyWithTopByteMatchesLikeBlits) {
    // A 32-bit key carries alpha once a 24-bit image went through
    // Convert24_32_ onto an alpha surface; its pixels still match.
    TestSurface s(32, 2, 1), d(8, 2, 1);
    const uint32_t px[2] = {0x00102030, 0x80102031};
    memcpy(s.Row(0), px, 8);
    s.desc.transColor = 0xFF102030;
    Convert(d.desc, s.desc, 4);
    EXPECT_EQ(d.Row(0)[0], 0);
    EXPECT_NE(d.Row(0)[1], 0);
}

TEST(ToIndexed, ModeOneOnlySetsTheKey) {
    TestSurface s(16, 5, 5), d(8, 5, 5);
    d.Fill(9);
    s.desc.transColor = 0xF800;
    Convert(d.desc, s.desc, 1);
    EXPECT_EQ(d.desc.transColor, 0u);
    EXPECT_EQ(d.Pixels(), std::vector<uint8_t>(25, 9));
    s.desc.transColor = 0xFFFFFFFFu;
    Convert(d.desc, s.desc, 1);
    EXPECT_EQ(d.desc.transColor, 0xFFFFFFFFu);
}

TEST(ToIndexed, NoDestinationPaletteSearchesTheGlobalOne) {
    TestSurface s(24, 40, 40), d(8, 40, 40);
    Rng rng(4);
    s.Randomize(rng);
    d.desc.palette = nullptr;
    Convert(d.desc, s.desc, 2);
    for (int y = 0; y < 40; y += 7)
        for (int x = 0; x < 40; ++x) {
            const uint8_t *p = s.Row(y) + 3 * x;
            int best = 0xFFFFFF, want = 0;
            for (int k = 0; k < 256; ++k) {
                const TRGBA &e = lu_gPaleta[k];
                const int dd = ((p[2] - e.r) & 255) + ((p[1] - e.g) & 255) + ((p[0] - e.b) & 255);
                if (dd <= best) best = dd, want = k;
            }
            ASSERT_EQ(d.Row(y)[x], want);
        }
}

// ---- copy ----

TEST(CopyImage, EqualPitchesCopyTheLastPixelToo) {
    // 24-bit 7 x 3 with pitch 21: the image is 63 bytes, not a whole number
    // of words.
    TestSurface s(24, 7, 3), d(24, 7, 3);
    Rng rng(8);
    s.Randomize(rng);
    d.Fill(0);
    EXPECT_TRUE(CopyImage(d.desc, s.desc));
    EXPECT_EQ(d.Pixels(), s.Pixels());
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(CopyImage, PaddedEqualPitchesStopAtTheLastPixel) {
    TestSurface s(16, 5, 4, 6), d(16, 5, 4, 6);
    Rng rng(2);
    s.Randomize(rng);
    const size_t last = size_t(3) * s.desc.scanWidth + 10;
    uint8_t *after = d.desc.bits + last;
    memset(after, 0x3C, 6);  // the padding past the last row
    EXPECT_TRUE(CopyImage(d.desc, s.desc));
    EXPECT_EQ(d.Pixels(), s.Pixels());
    for (int i = 0; i < 6; ++i) EXPECT_EQ(after[i], 0x3C);
}

TEST(CopyImage, DifferentPitchesCopyOnlyTheRow) {
    TestSurface s(8, 5, 3, 4), d(8, 5, 3, 9);
    Rng rng(6);
    s.Randomize(rng);
    EXPECT_TRUE(CopyImage(d.desc, s.desc));
    EXPECT_EQ(d.Pixels(), s.Pixels());
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(CopyImage, ConvertCopiesTheKeyWithTheSameKind) {
    for (int k : AllKinds()) {
        if (k == 8) continue;
        TestSurface s(k, 6, 2, 1), d(k, 6, 2, 3);
        Rng rng{uint64_t(k)};
        s.Randomize(rng);
        s.desc.transColor = 0xABCDEF12u;
        EXPECT_FALSE(Convert(d.desc, s.desc, 0));
        EXPECT_EQ(d.Pixels(), s.Pixels()) << k;
        EXPECT_EQ(d.desc.transColor, 0xABCDEF12u);
        EXPECT_TRUE(d.GuardsIntact());
    }
}

// ---- sizes ----

TEST_P(KindPair, SmallerDestinationIsNotOverrun) {
    const int sk = std::get<0>(GetParam()), dk = std::get<1>(GetParam());
    Rng rng{uint64_t(sk + dk)};
    TestSurface s(sk, 13, 9, 1), d(dk, 6, 4);
    s.Randomize(rng);
    Convert(d.desc, s.desc, 2);
    EXPECT_TRUE(d.GuardsIntact());
    TestSurface e(dk, 13, 0), z(sk, 0, 9);
    Convert(e.desc, s.desc, 2);
    Convert(d.desc, z.desc, 2);
    EXPECT_TRUE(e.GuardsIntact());
}

}  // namespace
