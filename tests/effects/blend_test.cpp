// Blend modes: exact values at the ends of the channel ranges, mask weights,
// clipping and keys, and a random comparison of every mode, form and kind
// against a per-pixel model written here from the formulas.
#include <gtest/gtest.h>
#include <string.h>

#include <memory>
#include <vector>

#include "surface/surface.h"
#include "tests/common/testsurf.h"

using kvtest::NarrowRGB;
using kvtest::Rng;
using kvtest::TestSurface;

namespace {

enum Mode { kAdd, kSub, kMul, kScreen, kLighten, kDarken, kOverlay, kModes };
const char *const kModeNames[kModes] = {"Suma", "Resta", "Multiplica", "Screen", "Lighten", "Darken", "Superponer"};

using SourceFn = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &);
using ColourFn = bool (*)(TSurfDesc &, const CRectangulo &, unsigned long, TSurfDesc &, const CPunto &);
using MaskedFn = bool (*)(TSurfDesc &, const CRectangulo &, TSurfDesc &, const CPunto &, TSurfDesc &, const CPunto &);

const SourceFn kSource[kModes] = {DoSuma, DoResta, DoMultiplica, DoScreen, DoLighten, DoDarken, DoSuperponer};
const ColourFn kColour[kModes] = {DoSuma, DoResta, DoMultiplica, DoScreen, DoLighten, DoDarken, DoSuperponer};
const MaskedFn kMasked[kModes] = {DoSuma, DoResta, DoMultiplica, DoScreen, DoLighten, DoDarken, DoSuperponer};

const std::vector<int> kBlendKinds = {16, 17, 18, 19, 24, 32};

// ---- the model -----------------------------------------------------------------

// f on 8-bit values; `narrow` selects the 16-bit kinds' column.
int Model(Mode m, int d, int s, bool narrow) {
    switch (m) {
        case kAdd:
            return std::min(d + s, 255);
        case kSub:
            return std::max(d - s, 0);
        case kMul:
            return d * s / 256;
        case kScreen:
            return 255 - (255 - d) * (255 - s) / (narrow ? 255 : 256);
        case kLighten:
            return std::max(d, s);
        case kDarken:
            return std::min(d, s);
        case kOverlay:
            if (narrow) return d < 128 ? 2 * d * s / 255 : 255 - 2 * (255 - d) * (255 - s) / 255;
            return d < 128 ? d * s / 128 : 255 - (255 - d) * (255 - s) / 128;
        default:
            return -1;
    }
}

int FloorDiv256(int v) { return v >= 0 ? v / 256 : -((-v + 255) / 256); }

struct Channel {
    int shift, bits;
};

// Channels of each kind, low to high; for 32 bits the fourth is byte 3.
std::vector<Channel> Channels(int kind) {
    switch (kind) {
        case 16:
            return {{0, 5}, {5, 6}, {11, 5}};
        case 17:
        case 18:
            return {{0, 5}, {5, 5}, {10, 5}};
        case 19:
            return {{0, 4}, {4, 4}, {8, 4}};
        case 24:
            return {{0, 8}, {8, 8}, {16, 8}};
        default:
            return {{0, 8}, {8, 8}, {16, 8}, {24, 8}};
    }
}

int Bytes(int kind) { return kind >= 24 ? kind / 8 : 2; }

uint32_t ReadPx(const uint8_t *p, int kind) {
    uint32_t v = 0;
    for (int i = 0; i < Bytes(kind); ++i) v |= uint32_t(p[i]) << (8 * i);
    return v;
}
void WritePx(uint8_t *p, int kind, uint32_t v) {
    for (int i = 0; i < Bytes(kind); ++i) p[i] = uint8_t(v >> (8 * i));
}

bool KeepsByte3(Mode m) { return m == kLighten || m == kDarken || m == kOverlay; }

// One destination pixel; a < 0 for the unweighted source form.
uint32_t ModelPixel(Mode m, int kind, uint32_t d, uint32_t s, int a) {
    const bool narrow = kind < 24;
    uint32_t out = 0;
    for (const Channel &c : Channels(kind)) {
        const int max = (1 << c.bits) - 1;
        const int df = int(d >> c.shift) & max, sf = int(s >> c.shift) & max;
        int o;
        if (kind == 32 && c.shift == 24 && KeepsByte3(m)) {
            o = df;
        } else {
            // Widen, blend, truncate back.
            o = Model(m, df << (8 - c.bits), sf << (8 - c.bits), narrow) >> (8 - c.bits);
        }
        const int r = a < 0 ? o : df + FloorDiv256((o - df) * a);
        out |= uint32_t(r) << c.shift;
    }
    return out;
}

uint32_t ModelColour(int kind, unsigned long c) {
    if (kind == 32) return uint32_t(c);
    return NarrowRGB(kind, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

bool ModelIsKey(int kind, uint32_t s, uint32_t transColor) {
    const uint32_t k = transColor == 0xFFFFFFFFu ? 0 : transColor;
    if (kind < 24) return s == (k & 0xFFFF);
    return (s & 0xFFFFFF) == (k & 0xFFFFFF);
}

bool Inside(const TSurfDesc &s, int x, int y) { return x >= 0 && x < s.width && y >= 0 && y < s.height; }

enum Form { kSourceForm, kColourForm, kMaskedForm };

// Runs one call and the model on a copy of the destination, pixel by pixel.
// A pixel is processed when it and its source and mask pixels all lie inside
// their surfaces; the call reports false when a point starts outside or
// nothing is processed.
void CheckAgainstModel(Form form, Mode m, TestSurface &dst, TestSurface *src, TestSurface *mask, const CRectangulo &r,
                       CPunto p, CPunto mp, unsigned long colour) {
    int k = static_cast<int>(dst.desc.bpp);
    if (k == 16) {
        const unsigned rm = dst.desc.rMask;
        k = rm == 0x7C00 ? (dst.desc.aMask ? 18 : 17) : (rm == 0x0F00 ? 19 : 16);
    }
    std::vector<uint8_t> expect = dst.Pixels();
    const int rowBytes = dst.RowBytes();
    bool any = false;
    const bool pointsOk =
        (form == kColourForm || Inside(src->desc, p.x, p.y)) && (form == kSourceForm || Inside(mask->desc, mp.x, mp.y));
    for (int y = r.top; pointsOk && y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (!Inside(dst.desc, x, y)) continue;
            const int sx = p.x + x - r.left, sy = p.y + y - r.top;
            const int mx = mp.x + x - r.left, my = mp.y + y - r.top;
            if (form != kColourForm && !Inside(src->desc, sx, sy)) continue;
            if (form != kSourceForm && !Inside(mask->desc, mx, my)) continue;
            any = true;
            uint8_t *e = &expect[size_t(y) * rowBytes + size_t(x) * Bytes(k)];
            const uint32_t d = ReadPx(e, k);
            const uint32_t s = form == kColourForm ? ModelColour(k, colour) : ReadPx(src->Row(sy) + sx * Bytes(k), k);
            if (form == kSourceForm) {
                if (!ModelIsKey(k, s, src->desc.transColor)) WritePx(e, k, ModelPixel(m, k, d, s, -1));
            } else {
                const int a = mask->Row(my)[mx];
                if (a != 0) WritePx(e, k, ModelPixel(m, k, d, s, a));
            }
        }
    }
    const CRectangulo rc = r;
    const CPunto pc = p, mpc = mp;
    bool ok = false;
    if (form == kSourceForm) ok = kSource[m](dst.desc, rc, src->desc, pc);
    if (form == kColourForm) ok = kColour[m](dst.desc, rc, colour, mask->desc, mpc);
    if (form == kMaskedForm) ok = kMasked[m](dst.desc, rc, src->desc, pc, mask->desc, mpc);
    EXPECT_EQ(ok, pointsOk && any);
    EXPECT_TRUE(dst.Pixels() == expect);
    EXPECT_TRUE(dst.GuardsIntact());
    // The caller's rectangle and points are never changed.
    EXPECT_EQ(rc.left, r.left);
    EXPECT_EQ(pc.x, p.x);
    EXPECT_EQ(mpc.y, mp.y);
}

// ---- small helpers for exact cases -----------------------------------------------

int KindOfBpp(const TestSurface &s) { return s.desc.bpp == 32 ? 32 : (s.desc.bpp == 24 ? 24 : 16); }
uint32_t Px(TestSurface &s, int x, int y) { return ReadPx(s.Row(y) + x * Bytes(KindOfBpp(s)), KindOfBpp(s)); }
void SetPx(TestSurface &s, int x, int y, uint32_t v) { WritePx(s.Row(y) + x * Bytes(KindOfBpp(s)), KindOfBpp(s), v); }

// One 32-bit pixel d blended with one 32-bit source pixel s (no key set).
uint32_t One32(Mode m, uint32_t d, uint32_t s, uint32_t key = 0xFFFFFFFFu) {
    TestSurface dst(32, 1, 1), src(32, 1, 1);
    SetPx(dst, 0, 0, d);
    SetPx(src, 0, 0, s);
    src.desc.transColor = key;
    EXPECT_TRUE(kSource[m](dst.desc, CRectangulo(0, 0, 1, 1), src.desc, CPunto(0, 0)));
    return Px(dst, 0, 0);
}

uint32_t One16(int kind, Mode m, uint32_t d, uint32_t s) {
    TestSurface dst(kind, 1, 1), src(kind, 1, 1);
    SetPx(dst, 0, 0, d);
    SetPx(src, 0, 0, s);
    EXPECT_TRUE(kSource[m](dst.desc, CRectangulo(0, 0, 1, 1), src.desc, CPunto(0, 0)));
    return Px(dst, 0, 0);
}

// ---- exact values ------------------------------------------------------------------

TEST(Blend32, BlackSourceIsSkippedWithoutKey) {
    for (int m = 0; m < kModes; ++m) {
        EXPECT_EQ(One32(Mode(m), 0x80FF4001u, 0x00000000u), 0x80FF4001u) << kModeNames[m];
        EXPECT_EQ(One32(Mode(m), 0x80FF4001u, 0xFF000000u), 0x80FF4001u) << kModeNames[m];
    }
}

TEST(Blend32, KeyedSourceBlendsBlack) {
    EXPECT_EQ(One32(kScreen, 0, 0, 0x00FF00FF), 0x01010101u);
    EXPECT_EQ(One32(kMul, 0x12345678, 0, 0x00FF00FF), 0u);
    // The key compares the low three bytes only.
    EXPECT_EQ(One32(kAdd, 0x01010101, 0xAAFF00FF, 0x00FF00FF), 0x01010101u);
    EXPECT_EQ(One32(kAdd, 0x01010101, 0x00FF00FE, 0x00FF00FF), 0x01FF01FFu);
}

TEST(Blend32, ChannelEnds) {
    EXPECT_EQ(One32(kMul, 0x80FF4001, 0xFFFFFFFF), 0x7FFE3F00u);
    EXPECT_EQ(One32(kAdd, 0x90909090, 0x80808080), 0xFFFFFFFFu);
    EXPECT_EQ(One32(kLighten, 0xAA000000, 0x00FFFFFF), 0xAAFFFFFFu);
    EXPECT_EQ(One32(kDarken, 0xAAFFFFFF, 0x11102030), 0xAA102030u);
    EXPECT_EQ(One32(kScreen, 0xFF000001, 0x01FFFF00), 0xFFFFFF02u);
    // Overlay: 127 with 255, 128 with 255, 128 with 0 (as blue, green, red).
    EXPECT_EQ(One32(kOverlay, 0x33807F80, 0x4400FFFF), 0x3302FDFFu);
}

TEST(Blend32, SubtractSaturatesAtZero) {
    // Destination minus source.
    EXPECT_EQ(One32(kSub, 0x80808080, 0x90909090), 0x00000000u);
    EXPECT_EQ(One32(kSub, 0x90909090, 0x80808080), 0x10101010u);
    EXPECT_EQ(One32(kSub, 0xFF00FF01, 0x01FF0002), 0xFE00FF00u);
}

TEST(Blend16, ChannelEnds) {
    EXPECT_EQ(One16(16, kAdd, 0x8410, 0x8410), 0xFFFFu);
    EXPECT_EQ(One16(16, kMul, 0xFFFF, 0xFFFF), 0xF7DEu);
    EXPECT_EQ(One16(18, kLighten, 0x8000, 0x0421), 0x0421u);
    EXPECT_EQ(One16(17, kSub, 0x7FFF, 0x0421), 0x7BDEu);
    // Screen and overlay divide by 255 here: white stays white, black over
    // black stays black.
    EXPECT_EQ(One16(16, kScreen, 0xFFFF, 0x0821), 0xFFFFu);
    EXPECT_EQ(One16(16, kScreen, 0x0000, 0xFFFF), 0xFFFFu);
    // 5-bit 16 widens to 128 and takes the upper branch: 128 over 248 gives
    // 255 - 2 * 127 * 7 / 255 = 249, back to 31.
    EXPECT_EQ(One16(17, kOverlay, 16 << 10, 31 << 10), 31u << 10);
    // 15 widens to 120: 2 * 120 * 248 / 255 = 233, back to 29.
    EXPECT_EQ(One16(17, kOverlay, 15 << 10, 31 << 10), 29u << 10);
    // Alpha bits of 4444 are cleared wherever a pixel is written.
    EXPECT_EQ(One16(19, kDarken, 0xF888, 0x0FFF), 0x0888u);
}

TEST(Blend16, SourceKeyIsTheWholePixel) {
    TestSurface dst(18, 2, 1), src(18, 2, 1);
    SetPx(dst, 0, 0, 0x0001);
    SetPx(dst, 1, 0, 0x0001);
    SetPx(src, 0, 0, 0x8421);  // matches the key, alpha bit included
    SetPx(src, 1, 0, 0x0421);
    src.desc.transColor = 0x12348421;
    EXPECT_TRUE(DoSuma(dst.desc, CRectangulo(0, 0, 2, 1), src.desc, CPunto(0, 0)));
    EXPECT_EQ(Px(dst, 0, 0), 0x0001u);
    EXPECT_EQ(Px(dst, 1, 0), 0x0422u);
}

TEST(Blend24, KeyIsTheLowThreeBytes) {
    TestSurface dst(24, 2, 1), src(24, 2, 1);
    SetPx(dst, 0, 0, 0x101010);
    SetPx(dst, 1, 0, 0x101010);
    SetPx(src, 0, 0, 0x00FF00);
    SetPx(src, 1, 0, 0x000000);
    src.desc.transColor = 0xAA00FF00;
    EXPECT_TRUE(DoSuma(dst.desc, CRectangulo(0, 0, 2, 1), src.desc, CPunto(0, 0)));
    EXPECT_EQ(Px(dst, 0, 0), 0x101010u);
    EXPECT_EQ(Px(dst, 1, 0), 0x101010u);  // black blended: adds nothing
    EXPECT_TRUE(DoScreen(dst.desc, CRectangulo(1, 0, 2, 1), src.desc, CPunto(1, 0)));
    EXPECT_EQ(Px(dst, 1, 0), 0x111111u);
}

// Mask weights 0, 1, 254 and 255 against the ends of the range, every kind.
class BlendMaskWeights : public ::testing::TestWithParam<int> {};

TEST_P(BlendMaskWeights, ColourFormWeights) {
    const int kind = GetParam();
    const int weights[] = {0, 1, 254, 255};
    TestSurface dst(kind, 4, 2, 3), mask(8, 4, 2, 5);
    for (int x = 0; x < 4; ++x) {
        mask.Row(0)[x] = uint8_t(weights[x]);
        mask.Row(1)[x] = uint8_t(weights[x]);
    }
    for (int x = 0; x < 4; ++x) {
        SetPx(dst, x, 0, 0);
        SetPx(dst, x, 1, 0xFFFFFFFFu);
    }
    // Row 0 brightens black to full white, row 1 darkens white to black.
    ASSERT_TRUE(DoSuma(dst.desc, CRectangulo(0, 0, 4, 1), 0xFFFFFFFFul, mask.desc, CPunto(0, 0)));
    ASSERT_TRUE(DoDarken(dst.desc, CRectangulo(0, 1, 4, 2), 0x00000000ul, mask.desc, CPunto(0, 1)));
    for (int x = 0; x < 4; ++x) {
        const int a = weights[x];
        for (const Channel &c : Channels(kind)) {
            const int max = (1 << c.bits) - 1;
            const int up = int(Px(dst, x, 0) >> c.shift) & max;
            const int down = int(Px(dst, x, 1) >> c.shift) & max;
            const bool byte3Kept = kind == 32 && c.shift == 24;  // darken leaves byte 3
            EXPECT_EQ(up, max * a / 256) << "weight " << a << " shift " << c.shift;
            EXPECT_EQ(down, byte3Kept ? max : max - (max * a + 255) / 256) << "weight " << a << " shift " << c.shift;
        }
    }
    // Full mask: 0 towards 255 stops at 254 (5-bit: 30); darkening reaches 0.
    if (kind == 32) {
        EXPECT_EQ(Px(dst, 3, 0), 0xFEFEFEFEu);
        EXPECT_EQ(Px(dst, 3, 1), 0xFF000000u);
    }
    if (kind == 16) {
        EXPECT_EQ(Px(dst, 3, 0), (30u << 11) | (62u << 5) | 30u);
    }
    // Mask 0 leaves even the alpha bits alone; mask 1 writes the pixel.
    if (kind == 18 || kind == 19) {
        EXPECT_EQ(Px(dst, 0, 1), 0xFFFFu);
        EXPECT_EQ(Px(dst, 1, 1) & (kind == 18 ? 0x8000u : 0xF000u), 0u);
    }
    EXPECT_TRUE(dst.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Kinds, BlendMaskWeights, ::testing::ValuesIn(kBlendKinds),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

TEST(BlendColour, ConversionKeepsTopBits) {
    TestSurface dst(16, 2, 1), mask(8, 2, 1);
    mask.Fill(255);
    SetPx(dst, 0, 0, 0xFFFF);
    SetPx(dst, 1, 0, 0xFFFF);
    // Darken white to the colour through a full mask gives the colour itself.
    ASSERT_TRUE(DoDarken(dst.desc, CRectangulo(0, 0, 1, 1), 0x00FFFFFFul, mask.desc, CPunto(0, 0)));
    ASSERT_TRUE(DoDarken(dst.desc, CRectangulo(1, 0, 2, 1), 0x00070307ul, mask.desc, CPunto(1, 0)));
    EXPECT_EQ(Px(dst, 0, 0), 0xFFFFu);
    EXPECT_EQ(Px(dst, 1, 0), 0x0000u);
}

TEST(BlendColour, Mask0LeavesThePixel32) {
    TestSurface dst(32, 3, 1), mask(8, 3, 1);
    mask.Fill(0);
    SetPx(dst, 0, 0, 0x12345678);
    mask.Row(0)[2] = 255;
    SetPx(dst, 2, 0, 0);
    ASSERT_TRUE(DoSuma(dst.desc, CRectangulo(0, 0, 3, 1), 0x00FFFFFFul, mask.desc, CPunto(0, 0)));
    EXPECT_EQ(Px(dst, 0, 0), 0x12345678u);
    EXPECT_EQ(Px(dst, 2, 0), 0x00FEFEFEu);
}

// ---- failures and clipping -------------------------------------------------------

class BlendKinds : public ::testing::TestWithParam<int> {};

TEST_P(BlendKinds, FalseWithoutWriting) {
    const int kind = GetParam();
    TestSurface dst(kind, 6, 4, 2), src(kind, 6, 4), mask(8, 6, 4);
    Rng rng(kind);
    dst.Randomize(rng);
    src.Randomize(rng);
    mask.Fill(200);
    const std::vector<uint8_t> before = dst.Pixels();
    const bool supported = kind != 8;
    for (int m = 0; m < kModes; ++m) {
        const CRectangulo all(0, 0, 6, 4);
        EXPECT_FALSE(kSource[m](*dst, CRectangulo(6, 0, 9, 4), *src, CPunto(0, 0)));  // wholly right
        EXPECT_FALSE(kColour[m](*dst, CRectangulo(0, -5, 6, 0), 0xFFFFFF, *mask, CPunto(0, 0)));
        EXPECT_FALSE(kMasked[m](*dst, CRectangulo(2, 1, 2, 4), *src, CPunto(0, 0), *mask, CPunto(0, 0)));
        // Points outside their surfaces, tested before clipping.
        EXPECT_FALSE(kSource[m](*dst, all, *src, CPunto(6, 0)));
        EXPECT_FALSE(kSource[m](*dst, all, *src, CPunto(0, -1)));
        EXPECT_FALSE(kColour[m](*dst, all, 0xFFFFFF, *mask, CPunto(-1, 0)));
        EXPECT_FALSE(kMasked[m](*dst, all, *src, CPunto(0, 0), *mask, CPunto(0, 4)));
        EXPECT_FALSE(kMasked[m](*dst, all, *src, CPunto(0, 4), *mask, CPunto(0, 0)));
        // A good call works exactly on the supported kinds.
        std::vector<uint8_t> copy = dst.Pixels();
        EXPECT_EQ(kMasked[m](*dst, all, *src, CPunto(0, 0), *mask, CPunto(0, 0)), supported);
        dst.SetPixels(copy);
    }
    EXPECT_TRUE(dst.Pixels() == before);
    EXPECT_TRUE(dst.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(Kinds, BlendKinds, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

TEST(BlendDispatch, UnknownLayoutsAndDepths) {
    TestSurface d(16, 2, 1), s(16, 2, 1);
    d.desc.rMask = 0x001F;  // unknown 16-bit layout: read as R5G6B5
    SetPx(d, 0, 0, 0x8410);
    SetPx(s, 0, 0, 0x8410);
    SetPx(s, 1, 0, 0);
    EXPECT_TRUE(DoSuma(*d, CRectangulo(0, 0, 2, 1), *s, CPunto(0, 0)));
    EXPECT_EQ(Px(d, 0, 0), 0xFFFFu);
    TestSurface odd(32, 2, 1);
    odd.desc.bpp = 15;
    EXPECT_FALSE(DoSuma(*odd, CRectangulo(0, 0, 2, 1), *s, CPunto(0, 0)));
}

TEST(BlendClip, NegativeLeftMovesBothPoints) {
    // Destination pixel x reads source and mask at their points plus 3 + x.
    TestSurface dst(32, 4, 1), src(32, 8, 1), mask(8, 8, 1);
    dst.Fill(0);
    for (int x = 0; x < 8; ++x) {
        SetPx(src, x, 0, 0x00000010u * (x + 1));
        mask.Row(0)[x] = x == 4 ? 0 : 255;
    }
    ASSERT_TRUE(DoSuma(*dst, CRectangulo(-3, 0, 3, 1), *src, CPunto(1, 0), *mask, CPunto(0, 0)));
    // x = 0 takes source 4 (0x50) and mask 3; x = 1 mask 4 (0): untouched.
    EXPECT_EQ(Px(dst, 0, 0), (0x50u * 255) >> 8);
    EXPECT_EQ(Px(dst, 1, 0), 0u);
    EXPECT_EQ(Px(dst, 2, 0), (0x70u * 255) >> 8);
    EXPECT_EQ(Px(dst, 3, 0), 0u);
}

TEST(BlendClip, SourceBlockStaysInsideItsSurface) {
    // A 3x2 source under a 6x4 block: only the overlap is blended.
    TestSurface dst(24, 6, 4, 1), src(24, 3, 2, 2);
    dst.Fill(0x10);
    src.Fill(0x01);
    ASSERT_TRUE(DoSuma(*dst, CRectangulo(0, 0, 6, 4), *src, CPunto(1, 1)));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(Px(dst, x, y), x < 2 && y < 1 ? 0x111111u : 0x101010u) << x << "," << y;
    EXPECT_TRUE(dst.GuardsIntact());
}

TEST(BlendClip, SmallerSourcePixelsAreBoundedByTheirRow) {
    // A 24-bit source of 4 pixels read as 32-bit holds 3 of them (12 bytes).
    TestSurface dst(32, 4, 1), src(24, 4, 1);
    dst.Fill(0);
    src.Fill(0x01);
    ASSERT_TRUE(DoSuma(*dst, CRectangulo(0, 0, 4, 1), *src, CPunto(0, 0)));
    EXPECT_EQ(Px(dst, 2, 0), 0x01010101u);
    EXPECT_EQ(Px(dst, 3, 0), 0u);
    // A 32-bit source read as 16-bit: a row of 2 holds 4.
    TestSurface d16(16, 4, 1), s32(32, 2, 1);
    d16.Fill(0);
    s32.Fill(0x21);
    ASSERT_TRUE(DoSuma(*d16, CRectangulo(0, 0, 4, 1), *s32, CPunto(0, 0)));
    EXPECT_EQ(Px(d16, 3, 0), 0x2121u);
}

// ---- random comparison with the model ---------------------------------------------

class BlendModel : public ::testing::TestWithParam<int> {};

TEST_P(BlendModel, EveryModeAndFormMatchesTheModel) {
    const int kind = GetParam();
    Rng rng(1000 + kind);
    for (int iter = 0; iter < 120; ++iter) {
        const Mode m = Mode(iter % kModes);
        const Form form = Form((iter / kModes) % 3);
        std::unique_ptr<TestSurface> dst(kvtest::RandomSurface(rng, kind, 23, 9));
        std::unique_ptr<TestSurface> src(kvtest::RandomSurface(rng, kind, 23, 9));
        std::unique_ptr<TestSurface> mask(kvtest::RandomSurface(rng, 8, 23, 9));
        // Weights at the ends often, and whole runs of 0 and 255.
        for (int y = 0; y < mask->desc.height; ++y)
            for (int x = 0; x < mask->desc.width; ++x) {
                const int pick = rng.Range(0, 9);
                if (pick < 2)
                    mask->Row(y)[x] = 0;
                else if (pick < 4)
                    mask->Row(y)[x] = 255;
                else if (pick < 5)
                    mask->Row(y)[x] = uint8_t(rng.Chance(50) ? 1 : 254);
            }
        // Sources with black pixels, keys that occur, or no key.
        for (int y = 0; y < src->desc.height; ++y)
            for (int x = 0; x < src->desc.width; ++x)
                if (rng.Chance(15)) SetPx(*src, x, y, 0);
        if (rng.Chance(50)) {
            const int kx = rng.Range(0, src->desc.width - 1), ky = rng.Range(0, src->desc.height - 1);
            const uint32_t v = Px(*src, kx, ky);
            src->desc.transColor = kind == 32 ? (v & 0xFFFFFF) | (rng.U32() & 0xFF000000u)
                                              : (kind < 24 ? v | (rng.U32() & 0xFFFF0000u) : v);
        }
        const CRectangulo r = kvtest::RandomRect(rng, dst->desc.width, dst->desc.height);
        const CPunto p(rng.Range(-1, src->desc.width), rng.Range(-1, src->desc.height));
        const CPunto mp(rng.Range(-1, mask->desc.width), rng.Range(-1, mask->desc.height));
        SCOPED_TRACE(std::string(kModeNames[m]) + " form " + std::to_string(form) + " iter " + std::to_string(iter));
        CheckAgainstModel(form, m, *dst, src.get(), mask.get(), r, p, mp, rng.U32());
        if (::testing::Test::HasFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BlendModel, ::testing::ValuesIn(kBlendKinds),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

// ---- every row length and start ---------------------------------------------------

// Rows of every length up to 9 and a few longer ones, starting at every
// pixel offset within a group of four, in every mode and form: the vector
// rows work in groups and finish the rest of a row on their own. Keys occur
// in the source; the mask mixes 0, 255 and weights between.
class BlendRows : public ::testing::TestWithParam<int> {};

TEST_P(BlendRows, EveryWidthAndStartMatchesTheModel) {
    const int kind = GetParam();
    Rng rng(2000 + kind);
    const int widths[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 33};
    for (int w : widths) {
        for (int x0 = 0; x0 < 4; ++x0) {
            TestSurface dst(kind, w + 4, 2, 1), src(kind, w + 4, 2, 2), mask(8, w + 4, 2, 3);
            src.Randomize(rng);
            mask.Randomize(rng);
            for (int x = 0; x < w + 4; ++x) {
                const int pick = rng.Range(0, 3);
                if (pick < 3) mask.Row(0)[x] = uint8_t(pick == 0 ? 0 : (pick == 1 ? 255 : mask.Row(0)[x]));
                mask.Row(1)[x] = 0;  // a row that leaves the destination alone
            }
            const uint32_t key = Px(src, rng.Range(0, w + 3), 0);
            SetPx(src, x0 + w / 2, 0, key);
            src.desc.transColor = kind < 24 ? key | (rng.U32() & 0xFFFF0000u) : key;
            // Source and mask start at other offsets than the destination.
            const CRectangulo r(x0, 0, x0 + w, 2);
            const CPunto p((x0 + 1) % 4, 0), mp((x0 + 3) % 4, 0);
            for (int m = 0; m < kModes; ++m) {
                for (int form = 0; form < 3; ++form) {
                    dst.Randomize(rng);
                    SCOPED_TRACE(std::string(kModeNames[m]) + " form " + std::to_string(form) + " width " +
                                 std::to_string(w) + " start " + std::to_string(x0));
                    CheckAgainstModel(Form(form), Mode(m), dst, &src, &mask, r, p, mp, rng.U32());
                    if (::testing::Test::HasFailure()) return;
                }
            }
        }
    }
}

// Every pair of field values as destination and source, for each mode in
// the source form and through a mask of 0, 1, 128 and 255: the 16-bit kinds
// widen, blend, divide and narrow back, and this is the whole range of what
// they see.
TEST_P(BlendRows, EveryPairOfFieldValues) {
    const int kind = GetParam();
    const int n = kind == 16 ? 64 : (kind < 24 ? 32 : 256);  // values of the widest field
    TestSurface dst(kind, n, n), src(kind, n, n), mask(8, n, n);
    const int weights[] = {0, 1, 128, 255};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) mask.Row(y)[x] = uint8_t(weights[(x + y) % 4]);
    const auto all = [&](int v) {
        uint32_t px = 0;
        for (const Channel &c : Channels(kind)) px |= uint32_t(v & ((1 << c.bits) - 1)) << c.shift;
        return px;
    };
    for (int m = 0; m < kModes; ++m) {
        for (int form = kSourceForm; form <= kMaskedForm; form += 2) {
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    SetPx(dst, x, y, all(x));
                    SetPx(src, x, y, all(y));
                }
            SCOPED_TRACE(std::string(kModeNames[m]) + " form " + std::to_string(form));
            CheckAgainstModel(Form(form), Mode(m), dst, &src, &mask, CRectangulo(0, 0, n, n), CPunto(0, 0),
                              CPunto(0, 0), 0);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BlendRows, ::testing::ValuesIn(kBlendKinds),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

}  // namespace

// Surfaces in buffers of exactly their size, so that AddressSanitizer sees
// any read or write past the last pixel: every width up to 9, blocks larger
// than the surfaces, sources of every pixel size.
class BlendExactBuffers : public ::testing::TestWithParam<int> {};

TSurfDesc ExactSurface(int kind, int w, int h, std::vector<uint8_t> &mem, Rng &rng) {
    TSurfDesc s;
    memset(&s, 0, sizeof s);
    kv::DescribeKind(s, kind);
    s.width = w;
    s.height = h;
    s.transColor = 0xFFFFFFFFu;
    s.scanWidth = w * int(s.bpp / 8);
    mem.resize(size_t(s.scanWidth) * h);
    for (uint8_t &b : mem) b = uint8_t(rng.U32());
    s.bits = mem.data();
    return s;
}

TEST_P(BlendExactBuffers, NoAccessPastTheLastPixel) {
    const int kind = GetParam();
    Rng rng(kind);
    for (int w = 1; w <= 9; ++w) {
        for (int srcKind : kBlendKinds) {
            std::vector<uint8_t> dm, sm, mm;
            TSurfDesc dst = ExactSurface(kind, w, 2, dm, rng);
            TSurfDesc src = ExactSurface(srcKind, w, 2, sm, rng);
            TSurfDesc mask = ExactSurface(8, w, 2, mm, rng);
            const CRectangulo big(-1, -1, w + 3, 4);
            for (int m = 0; m < kModes; ++m) {
                // A block larger than everything, and one from the last pixel.
                for (int start = 0; start < 2; ++start) {
                    const CPunto p(start ? w - 1 : 0, start), mp(start ? w - 1 : 0, start);
                    const CRectangulo r = start ? CRectangulo(0, 0, w, 2) : big;
                    kMasked[m](dst, r, src, p, mask, mp);
                    kSource[m](dst, r, src, p);
                    kColour[m](dst, r, rng.U32(), mask, mp);
                }
                // The whole surface from the origin always runs.
                EXPECT_TRUE(kColour[m](dst, CRectangulo(0, 0, w, 2), rng.U32(), mask, CPunto(0, 0)));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BlendExactBuffers, ::testing::ValuesIn(kBlendKinds),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });
