// Convolution: every kind against a straightforward model of the engine,
// the stored masks typed in as printed, and the fixed front ends.
#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>

#include <memory>
#include <sstream>

#include "tests/common/testsurf.h"

using kvtest::Rng;
using kvtest::TestSurface;

namespace {

struct TapList {
    std::vector<int> coef;
    std::vector<long> off;
    int divisor = 1, bias = 0;
};

int Bytes(int kind) { return kind == 32 ? 4 : kind == 24 ? 3 : kind == 8 ? 1 : 2; }

// Channels in the kind's own units; green of 565 takes the bias twice.
void ReadChannels(int kind, const uint8_t *p, int64_t c[3]) {
    const uint32_t v = uint32_t(p[0]) | uint32_t(p[1]) << 8;
    switch (kind) {
        case 32:
        case 24:
            c[0] = p[0], c[1] = p[1], c[2] = p[2];
            break;
        case 16:
            c[0] = (v >> 11) & 31, c[1] = (v >> 5) & 63, c[2] = v & 31;
            break;
        case 17:
        case 18:
            c[0] = (v >> 10) & 31, c[1] = (v >> 5) & 31, c[2] = v & 31;
            break;
        default:
            c[0] = (v >> 8) & 15, c[1] = (v >> 4) & 15, c[2] = v & 15;
            break;
    }
}
void WriteChannels(int kind, uint8_t *p, const int64_t c[3]) {
    uint32_t v = 0;
    switch (kind) {
        case 32:
            p[3] = 0;
            [[fallthrough]];
        case 24:
            p[0] = uint8_t(c[0]), p[1] = uint8_t(c[1]), p[2] = uint8_t(c[2]);
            return;
        case 16:
            v = uint32_t(c[0] << 11 | c[1] << 5 | c[2]);
            break;
        case 17:
        case 18:
            v = uint32_t(c[0] << 10 | c[1] << 5 | c[2]);
            break;
        default:
            v = uint32_t(c[0] << 8 | c[1] << 4 | c[2]);
            break;
    }
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
}

// What the image's whole memory (guards included) must hold afterwards.
std::vector<uint8_t> Model(const TestSurface &s, int kind, const TapList &t) {
    std::vector<uint8_t> out = s.Memory();
    const TSurfDesc &d = s.desc;
    const int B = Bytes(kind);
    const int64_t total = int64_t(d.height) * d.scanWidth;
    const std::vector<uint8_t> src(out.begin() + TestSurface::kGuardBytes,
                                   out.begin() + TestSurface::kGuardBytes + total);
    uint8_t *img = out.data() + TestSurface::kGuardBytes;
    const int max[3] = {kind == 16 || kind == 17 || kind == 18 ? 31
                        : kind == 19                           ? 15
                                                               : 255,
                        kind == 16                 ? 63
                        : kind == 17 || kind == 18 ? 31
                        : kind == 19               ? 15
                                                   : 255,
                        kind == 16 || kind == 17 || kind == 18 ? 31
                        : kind == 19                           ? 15
                                                               : 255};
    auto pixel = [&](int64_t q) {
        int64_t sum[3] = {0, 0, 0};
        for (size_t k = 0; k < t.coef.size(); ++k) {
            int64_t p = q + t.off[k];
            if (p < 0) p = 0;
            if (p > total - B) p = total - B;
            int64_t c[3];
            ReadChannels(kind, &src[size_t(p)], c);
            for (int i = 0; i < 3; ++i) sum[i] += c[i] * t.coef[k];
        }
        int64_t v[3];
        for (int i = 0; i < 3; ++i) {
            const int32_t s32 = int32_t(uint32_t(uint64_t(sum[i])));  // the sums are 32-bit
            const int32_t quot = int32_t(uint32_t(uint64_t(int64_t(s32) / t.divisor)));
            const int64_t r = int64_t(quot) + int64_t(t.bias) * (kind == 16 && i == 1 ? 2 : 1);
            v[i] = r < 0 ? 0 : r > max[i] ? max[i] : r;
        }
        WriteChannels(kind, img + q, v);
    };
    if (B == 2) {
        for (int64_t q = 0; q + 1 < total; q += 2) pixel(q);
    } else {
        for (int y = 0; y < d.height; ++y)
            for (int x = 0; x < d.width; ++x) pixel(int64_t(y) * d.scanWidth + int64_t(x) * B);
    }
    return out;
}

bool Convolve(TestSurface &img, TestSurface &scratch, TapList &t) {
    // An empty list still needs pointers: null ones are refused.
    int noCoef[1] = {0};
    long noOff[1] = {0};
    return DoConvolucion(img.desc, scratch.desc, int(t.coef.size()), t.coef.empty() ? noCoef : t.coef.data(),
                         t.off.empty() ? noOff : t.off.data(), t.divisor, t.bias);
}

// A small image with flat areas, hard edges and the channel extremes: a
// black band, a white band, then pixels with one channel at a time full.
void EdgeImage(TestSurface &s, uint64_t seed) {
    Rng rng(seed);
    const int B = int(s.desc.bpp / 8);
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width; ++x) {
            uint8_t *p = s.Row(y) + x * B;
            for (int b = 0; b < B; ++b) {
                uint8_t v;
                if (x < 3)
                    v = 0;
                else if (x < 6)
                    v = 0xFF;
                else if (y % 3 == 0)
                    v = (x + b) % B == 0 ? 0xFF : 0;
                else
                    v = uint8_t(rng.U32());
                p[b] = v;
            }
        }
}

// The stored masks as printed, rows separated by " / ".
struct PrintedMask {
    int index, n, divisor, bias;
    const char *rows;
};
const PrintedMask kPrinted[24] = {
    {0, 3, 1, 50, "-5 -5 -5 / -5 -39 -5 / -5 -5 -5"},
    {1, 3, 1, 128, "-1 -1 0 / 1 0 1 / 0 1 1"},
    {2, 5, 1, 128, "-1 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 2"},
    {3, 3, 1, 0, "-4 -4 -4 / -4 20 0 / -4 0 0"},
    {4, 5, 1, 0, "-4 -3 -2 -1 0 / -3 0 0 0 1 / -2 0 0 0 2 / -1 0 0 0 3 / 0 1 2 3 4"},
    {5, 5, 1, 90, "-1 -1 -1 -1 0 / -1 -1 -1 0 1 / -1 -1 0 1 1 / -1 0 1 1 1 / 0 1 1 1 1"},
    {6, 5, 1, 0, "-11 -9 -13 -8 0 / -12 -11 -10 0 11 / -10 -9 1 9 10 / -9 0 11 10 11 / 0 11 10 9 10"},
    {7, 5, 1, 0, "1 1 1 1 1 / 1 0 0 0 1 / 1 0 -23 0 1 / 1 0 0 0 1 / 1 1 1 1 1"},
    {8, 5, 8, 0, "-1 -1 -1 -1 -1 / -1 2 2 2 -1 / -1 2 8 2 -1 / -1 2 2 2 -1 / -1 -1 -1 -1 -1"},
    {9, 3, 1, 0, "-1 -1 -1 / -1 9 -1 / -1 -1 -1"},
    {10, 3, 1, 0, "-1 -2 -1 / -2 13 -2 / -1 -2 -1"},
    {11, 5, 7, 0, "0 0 -1 0 0 / 0 0 3 0 0 / -1 3 0 3 -1 / 0 0 3 0 0 / 0 0 -1 0 0"},
    {12, 5, 1, 0, "1 1 1 1 1 / 1 -3 -3 -3 1 / 1 -3 -10 -3 1 / 1 -3 -3 -3 1 / 1 1 1 1 1"},
    {13, 5, 3, 0, "1 1 1 1 1 / 1 2 2 2 1 / 1 2 3 2 1 / 1 2 2 2 1 / 1 1 1 1 1"},
    {14, 5, 4, 0, "0 0 -1 -2 0 / 2 1 0 0 0 / 0 0 0 0 0 / 0 0 0 -1 2 / 0 2 1 0 0"},
    {15, 3, 1, 0, "1 0 0 / 0 0 0 / 0 0 0"},
    {16, 3, 3, 0, "0 -2 0 / -2 0 2 / 0 2 0"},
    {17, 5, 1, 0, "0 0 1 2 1 / 0 0 0 1 0 / 2 0 0 -2 0 / 0 -1 0 0 0 / -1 -2 -1 0 0"},
    {18, 1, 1, 140, "1"},
    {19, 5, 1, 0, "0 1 2 1 0 / 1 2 3 2 1 / 2 3 -35 3 2 / 1 2 3 2 1 / 0 1 2 1 0"},
    {20, 5, 1, 0, "-2 -2 -2 -2 -2 / -2 -3 -3 -3 -2 / -2 -3 53 -3 -2 / -2 -3 -3 -3 -2 / -2 -2 -2 -2 -2"},
    {21, 5, 1, 0, "-5 -2 0 0 0 / -2 0 0 0 0 / 0 0 0 0 0 / 0 0 0 0 2 / 0 0 0 2 6"},
    {22, 3, 3, 3, "1 1 1 / 1 -7 1 / 1 1 1"},
    {23, 1, 0, 0, "0"},
};

TapList PrintedTaps(const PrintedMask &m, const TSurfDesc &d) {
    TapList t;
    std::istringstream in(m.rows);
    std::string tok;
    int k = 0;
    while (in >> tok) {
        if (tok == "/") continue;
        const int i = k / m.n, j = k % m.n, c = m.n / 2;
        t.coef.push_back(std::stoi(tok));
        t.off.push_back(long(i - c) * d.scanWidth + long(j - c) * long(d.bpp / 8));
        ++k;
    }
    EXPECT_EQ(k, m.n * m.n) << "mask " << m.index;
    t.divisor = m.divisor;
    t.bias = m.bias;
    return t;
}

TapList Neighbourhood(const TSurfDesc &d, std::vector<int> coef, int divisor, int bias) {
    TapList t;
    const long B = long(d.bpp / 8);
    for (long dy = -1; dy <= 1; ++dy)
        for (long dx = -1; dx <= 1; ++dx) t.off.push_back(dy * d.scanWidth + dx * B);
    t.coef = coef;
    t.divisor = divisor;
    t.bias = bias;
    return t;
}

class Convolution : public ::testing::TestWithParam<int> {
  protected:
    const int kind = GetParam();
};

TEST_P(Convolution, MatchesTheModelOnRandomTaps) {
    Rng rng(uint64_t(kind) * 77);
    const int divisors[] = {1, -1, 2, 3, 7, 9, -5, 1000, 65537, INT_MIN};
    for (int iter = 0; iter < 60; ++iter) {
        std::unique_ptr<TestSurface> img(kvtest::RandomSurface(rng, kind, 13, 9));
        const TSurfDesc &d = img->desc;
        TestSurface scratch(kind, d.width, d.height, d.scanWidth - img->RowBytes());
        TapList t;
        const int n = rng.Range(0, 12);
        for (int k = 0; k < n; ++k) {
            const int pick = rng.Range(0, 9);
            t.coef.push_back(pick == 0 ? 0 : pick == 1 ? rng.Range(-200000, 200000) : rng.Range(-40, 40));
            t.off.push_back(rng.Chance(5) ? (rng.Chance(50) ? 1000000000L : -1000000000L)
                                          : long(rng.Range(-3 * d.scanWidth - 8, 3 * d.scanWidth + 8)));
        }
        t.divisor = rng.Chance(70) ? divisors[rng.Range(0, 9)] : rng.Range(-50, 50) | 1;
        t.bias = rng.Range(-300, 300);
        const std::vector<uint8_t> before = img->Pixels();
        const std::vector<uint8_t> want = Model(*img, kind, t);
        ASSERT_TRUE(Convolve(*img, scratch, t));
        ASSERT_EQ(img->Memory(), want) << "iteration " << iter;
        // The scratch holds the image as it came, and nothing more.
        EXPECT_EQ(scratch.Pixels(), before);
        EXPECT_TRUE(scratch.GuardsIntact() || kind < 24);
    }
}

TEST_P(Convolution, StoredMasksAsPrinted) {
    for (const PrintedMask &m : kPrinted) {
        for (int pad : {0, 6}) {
            TestSurface img(kind, 11, 9, pad), scratch(kind, 11, 9, pad);
            EdgeImage(img, uint64_t(m.index));
            const std::vector<uint8_t> before = img.Memory();
            if (m.divisor == 0) {
                EXPECT_FALSE(FiltroMask(img.desc, scratch.desc, m.index));
                EXPECT_EQ(img.Memory(), before);
                continue;
            }
            const std::vector<uint8_t> want = Model(img, kind, PrintedTaps(m, img.desc));
            ASSERT_TRUE(FiltroMask(img.desc, scratch.desc, m.index)) << m.index;
            EXPECT_EQ(img.Memory(), want) << "mask " << m.index << " pad " << pad;
        }
    }
}

TEST_P(Convolution, FixedFrontEnds) {
    for (int pad : {0, 4}) {
        TestSurface a(kind, 10, 7, pad), b(kind, 10, 7, pad), c(kind, 10, 7, pad), scratch(kind, 10, 7, pad);
        EdgeImage(a, 5);
        EdgeImage(b, 5);
        EdgeImage(c, 5);
        const TSurfDesc &d = a.desc;
        const std::vector<uint8_t> smooth = Model(a, kind, Neighbourhood(d, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 9, 0));
        const std::vector<uint8_t> sharp = Model(b, kind, Neighbourhood(d, {-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1, 0));
        TapList e;
        const long B = long(d.bpp / 8);
        e.off = {-d.scanWidth - B, d.scanWidth + B};
        e.coef = {-1, 1};
        e.bias = kind < 24 ? 15 : 127;
        const std::vector<uint8_t> relief = Model(c, kind, e);
        ASSERT_TRUE(DoSuavizado(a.desc, scratch.desc));
        ASSERT_TRUE(DoRealce(b.desc, scratch.desc));
        ASSERT_TRUE(DoEmboss(c.desc, scratch.desc));
        EXPECT_EQ(a.Memory(), smooth);
        EXPECT_EQ(b.Memory(), sharp);
        EXPECT_EQ(c.Memory(), relief);
    }
}

TEST_P(Convolution, IdentityKeepsColoursAndDropsAlpha) {
    Rng rng(3);
    TestSurface img(kind, 9, 5, 4), scratch(kind, 9, 5, 4);
    img.Randomize(rng);
    std::vector<uint8_t> want = img.Pixels();
    const int B = Bytes(kind);
    for (size_t i = 0; i < want.size(); i += B) {
        if (kind == 32) want[i + 3] = 0;
        if (kind == 18 || kind == 17) want[i + 1] &= 0x7F;
        if (kind == 19) want[i + 1] &= 0x0F;
    }
    TapList t;
    t.coef = {1};
    t.off = {0};
    ASSERT_TRUE(Convolve(img, scratch, t));
    EXPECT_EQ(img.Pixels(), want);
}

TEST_P(Convolution, RefusalsLeaveEverythingAlone) {
    Rng rng(4);
    TestSurface img(kind, 6, 4, 2), scratch(kind, 6, 4, 2);
    img.Randomize(rng);
    scratch.Fill(0x11);
    const std::vector<uint8_t> before = img.Memory(), sbefore = scratch.Memory();
    int coef[1] = {1};
    long off[1] = {0};
    EXPECT_FALSE(DoConvolucion(img.desc, scratch.desc, 1, nullptr, off, 1, 0));
    EXPECT_FALSE(DoConvolucion(img.desc, scratch.desc, 1, coef, nullptr, 1, 0));
    EXPECT_FALSE(DoConvolucion(img.desc, scratch.desc, 1, coef, off, 0, 0));
    EXPECT_FALSE(FiltroMask(img.desc, scratch.desc, 23));
    EXPECT_FALSE(FiltroMask(img.desc, scratch.desc, 24));
    EXPECT_FALSE(FiltroMask(img.desc, scratch.desc, -1));
    EXPECT_FALSE(FiltroMask(img.desc, scratch.desc, INT_MAX));
    EXPECT_EQ(img.Memory(), before);
    EXPECT_EQ(scratch.Memory(), sbefore);
}

// Small tap lists on wider images, where most pixels have every tap inside
// and sums stay small enough to be worked as 16-bit words: every divisor
// kind, biases that clip at both ends, odd pitches and odd byte offsets,
// widths around groups of four.
TEST_P(Convolution, SmallTapsOnWiderImages) {
    Rng rng(uint64_t(kind) * 31 + 5);
    const int divisors[] = {1, -1, 2, 3, 5, 9, -7, 16, 1000};
    for (int iter = 0; iter < 80; ++iter) {
        const int W = rng.Range(1, 40), H = rng.Range(1, 8);
        TestSurface img(kind, W, H, rng.Range(0, 3)), scratch(kind, W, H, rng.Range(0, 3));
        Rng fill{uint64_t(iter)};
        img.Randomize(fill);
        const long P = img.desc.scanWidth, B = long(img.desc.bpp / 8);
        TapList t;
        const int n = rng.Range(1, 9);
        for (int k = 0; k < n; ++k) {
            t.coef.push_back(rng.Range(-9, 9));
            t.off.push_back(rng.Range(-1, 1) * P + rng.Range(-3, 3) * B + (rng.Chance(20) ? 1 : 0));
        }
        t.divisor = divisors[rng.Range(0, 8)];
        t.bias = rng.Chance(30) ? rng.Range(-200, 200) : rng.Range(-8, 8);
        const std::vector<uint8_t> want = Model(img, kind, t);
        ASSERT_TRUE(Convolve(img, scratch, t));
        ASSERT_EQ(img.Memory(), want) << "iteration " << iter << " " << W << " x " << H;
    }
    // Sums at the most negative a word holds, the bias pushing past it: 0.
    const int top = kind == 16 ? 63 : kind == 19 ? 15 : kind < 24 ? 31 : 255;
    TestSurface img(kind, 9, 3, 1), scratch(kind, 9, 3, 1);
    img.Fill(0xFF);
    TapList t;
    t.coef.assign(size_t(32767 / (128 * top)), -128);
    t.off.assign(t.coef.size(), 0);
    t.bias = -300;
    const std::vector<uint8_t> want = Model(img, kind, t);
    ASSERT_TRUE(Convolve(img, scratch, t));
    EXPECT_EQ(img.Memory(), want);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Convolution, ::testing::Values(16, 17, 18, 19, 24, 32),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

TEST(Convolution, EightBitsAndUnknownKindsAreRefused) {
    for (unsigned bpp : {8u, 15u, 4u}) {
        TestSurface img(8, 5, 5), scratch(8, 5, 5);
        img.desc.bpp = bpp;
        img.Fill(9);
        const std::vector<uint8_t> before = img.Memory();
        int coef[1] = {1};
        long off[1] = {0};
        EXPECT_FALSE(DoConvolucion(img.desc, scratch.desc, 1, coef, off, 1, 0));
        EXPECT_FALSE(DoSuavizado(img.desc, scratch.desc));
        EXPECT_FALSE(DoEmboss(img.desc, scratch.desc));
        EXPECT_FALSE(DoRealce(img.desc, scratch.desc));
        EXPECT_FALSE(FiltroMask(img.desc, scratch.desc, 18));
        EXPECT_EQ(img.Memory(), before);
    }
}

TEST(Convolution, SinglePixelClampsEveryTapToItself) {
    TestSurface img(32, 1, 1), scratch(32, 1, 1);
    const uint8_t px[4] = {10, 200, 77, 0xEE};
    memcpy(img.Row(0), px, 4);
    ASSERT_TRUE(DoSuavizado(img.desc, scratch.desc));
    EXPECT_EQ(img.Pixels(), (std::vector<uint8_t>{10, 200, 77, 0}));
}

TEST(Convolution, Mask18AddsAndSaturates) {
    TestSurface img(32, 3, 2), scratch(32, 3, 2);
    img.SetPixels({0, 100, 115, 9, 116, 200, 255, 1, 50, 60, 70, 80, 0, 0, 0, 0, 1, 2, 3, 4, 114, 115, 116, 117});
    ASSERT_TRUE(FiltroMask(img.desc, scratch.desc, 18));
    EXPECT_EQ(img.Pixels(), (std::vector<uint8_t>{140, 240, 255, 0, 255, 255, 255, 0, 190, 200, 210, 0,
                                                  140, 140, 140, 0, 141, 142, 143, 0, 254, 255, 255, 0}));
}

TEST(Convolution, EmbossAndSharpenOnFlatImages) {
    TestSurface img(32, 4, 4), scratch(32, 4, 4);
    img.Fill(0x5A);
    ASSERT_TRUE(DoEmboss(img.desc, scratch.desc));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(GetPixel(img.desc, i % 4, i / 4), 0x007F7F7Ful);

    TestSurface w(16, 4, 4), ws(16, 4, 4);
    for (int i = 0; i < 16; ++i) SetPixel(w.desc, i % 4, i / 4, 0x00C0C0C0);
    ASSERT_TRUE(DoEmboss(w.desc, ws.desc));
    const uint16_t grey = (15 << 11) | (30 << 5) | 15;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(w.Pixels()[2 * i] | w.Pixels()[2 * i + 1] << 8, grey);

    TestSurface r(32, 5, 3), rs(32, 5, 3);
    for (int i = 0; i < 15; ++i) SetPixel(r.desc, i % 5, i / 5, 0xFF123456);
    ASSERT_TRUE(DoRealce(r.desc, rs.desc));
    for (int i = 0; i < 15; ++i) EXPECT_EQ(GetPixel(r.desc, i % 5, i / 5), 0x00123456ul);
}

TEST(Convolution, LeftmostPixelAveragesTheRowAbovesEnd) {
    // 2 x 3, no padding: left of (0, 1) in memory is (1, 0).
    TestSurface img(32, 2, 3), scratch(32, 2, 3);
    const uint8_t v[6] = {9, 18, 27, 36, 45, 54};
    for (int i = 0; i < 6; ++i) SetPixel(img.desc, i % 2, i / 2, v[i]);
    ASSERT_TRUE(DoSuavizado(img.desc, scratch.desc));
    // Taps of (0, 1), at pixel indices 0..4 around index 2: -3 -2 -1 / 1 2 3
    // / 3 4 5 clamp to 0 0 1 / 1 2 3 / 3 4 5.
    EXPECT_EQ(GetPixel(img.desc, 0, 1), unsigned((9 + 9 + 18 + 18 + 27 + 36 + 36 + 45 + 54) / 9));
}

TEST(Convolution, ScratchCopyIsExactlyTheImage) {
    // 3 x 3 of 24 bits: 27 bytes, not a multiple of 4.
    TestSurface img(24, 3, 3);
    Rng rng(8);
    img.Randomize(rng);
    std::vector<uint8_t> scratchMem(27 + 16, 0xC3);
    TSurfDesc scratch = img.desc;
    scratch.bits = scratchMem.data() + 8;
    const std::vector<uint8_t> before = img.Pixels();
    ASSERT_TRUE(DoSuavizado(img.desc, scratch));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), scratchMem.begin() + 8));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(scratchMem[i], 0xC3);
        EXPECT_EQ(scratchMem[35 + i], 0xC3);
    }
}

}  // namespace

namespace {

// Quotients over the whole 32-bit range, every kind of divisor: the sums
// come from one tap on channels 255, 128 and 1, and wrap as 32-bit sums do.
TEST(Convolution, QuotientsTruncateTowardsZeroForEveryDivisor) {
    std::vector<int> divisors;
    for (int d = -300; d <= 300; ++d)
        if (d) divisors.push_back(d);
    for (int k = 9; k < 31; ++k)
        divisors.push_back(1 << k), divisors.push_back(-(1 << k)), divisors.push_back((1 << k) + 1);
    divisors.push_back(INT_MAX);
    divisors.push_back(INT_MIN);
    // Blue and green check the wrapping products; red (1) makes the sum the
    // coefficient itself, placed just around multiples of the divisor.
    std::vector<int> coefs = {1, -1, 127, -128, 129, 40000, -40000, 8421504, INT_MAX, INT_MIN, -16843009};
    TestSurface img(32, 1, 1), scratch(32, 1, 1);
    for (int d : divisors) {
        std::vector<int> cs = coefs;
        for (int k : {-100, -1, 0, 1, 2, 50, 155})
            for (int jitter = -1; jitter <= 1; ++jitter) {
                const int64_t c = int64_t(d) * k + jitter;
                if (c >= INT_MIN && c <= INT_MAX) cs.push_back(int(c));
            }
        for (int c : cs) {
            img.SetPixels({255, 128, 1, 9});
            int coef[1] = {c};
            long off[1] = {0};
            ASSERT_TRUE(DoConvolucion(img.desc, scratch.desc, 1, coef, off, d, 100));
            const uint8_t ch[3] = {255, 128, 1};
            for (int i = 0; i < 3; ++i) {
                const int32_t sum = int32_t(uint32_t(ch[i]) * uint32_t(c));
                const int64_t q = int64_t(int32_t(uint32_t(uint64_t(int64_t(sum) / d)))) + 100;
                ASSERT_EQ(img.Pixels()[i], q < 0 ? 0 : q > 255 ? 255 : q) << "divisor " << d << " coefficient " << c;
            }
        }
    }
}

}  // namespace
