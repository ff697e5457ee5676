#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "tests/common/testsurf.h"

using kvtest::NarrowRGB;
using kvtest::Rng;
using kvtest::TestSurface;

namespace {

typedef std::vector<uint8_t> Bytes;

void Put16(Bytes &b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(Bytes &b, size_t at, uint32_t v) {
    Put16(b, at, v);
    Put16(b, at + 2, v >> 16);
}

// A bitmap file built by hand: information header (40 bytes) or core
// header (12), the palette right after it, then the pixel bytes as given.
struct Bmp {
    int w = 1, h = 1;  // h < 0: top-down
    int bpp = 8;
    int compression = 0;
    uint32_t headerSize = 40;
    std::vector<TRGBA> palette;
    Bytes pixels;
    bool kv = false;
    Bytes Build() const {
        const bool core = headerSize == 12;
        const size_t palBytes = core ? 0 : palette.size() * 4;
        const size_t off = 14 + headerSize + palBytes;
        Bytes b(off, 0);
        b[0] = kv ? 'K' : 'B';
        b[1] = kv ? 'V' : 'M';
        Put32(b, 2, uint32_t(off + pixels.size()));
        Put32(b, 10, uint32_t(off));
        Put32(b, 14, headerSize);
        if (core) {
            Put16(b, 18, uint32_t(w));
            Put16(b, 20, uint32_t(h));
            Put16(b, 22, 1);
            Put16(b, 24, uint32_t(bpp));
        } else {
            Put32(b, 18, uint32_t(w));
            Put32(b, 22, uint32_t(h));
            Put16(b, 26, 1);
            Put16(b, 28, uint32_t(bpp));
            Put32(b, 30, uint32_t(compression));
            Put32(b, 46, uint32_t(palette.size() == 256 ? 0 : palette.size()));
            for (size_t i = 0; i < palette.size(); ++i) {
                b[14 + headerSize + 4 * i] = palette[i].b;
                b[14 + headerSize + 4 * i + 1] = palette[i].g;
                b[14 + headerSize + 4 * i + 2] = palette[i].r;
                b[14 + headerSize + 4 * i + 3] = 0x5A;  // reserved, never taken
            }
        }
        b.insert(b.end(), pixels.begin(), pixels.end());
        return b;
    }
};

bool Load(TestSurface &s, Bytes f) { return LoadBMP(s.desc, f.data(), long(f.size())); }

uint32_t Px(TestSurface &s, int x, int y) {
    uint32_t v = 0;
    memcpy(&v, s.Row(y) + x * int(s.desc.bpp / 8), s.desc.bpp / 8);
    return v;
}

Bytes ReadFile(const std::string &name) {
    std::ifstream f(std::string(UTILS_TEST_DATA) + "/bmp/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct Ppm {
    int w = 0, h = 0;
    Bytes rgb;
};
Ppm ReadPpm(const std::string &name) {
    const Bytes f = ReadFile(name);
    Ppm p;
    int maxv = 0, n = 0;
    if (sscanf(reinterpret_cast<const char *>(f.data()), "P6 %d %d %d%n", &p.w, &p.h, &maxv, &n) != 3) return p;
    p.rgb.assign(f.begin() + n + 1, f.end());
    return p;
}

// The 32-bit files: Pillow's BI_RGB, the same with BI_BITFIELDS and the
// three standard masks after a 40-byte header, and ImageMagick's 124-byte
// header with bit fields (its alpha mask included). Their fourth bytes vary.
const char *const kFixtures[] = {"pil_p8.bmp",       "pil_p8_short.bmp", "pil_rgb24.bmp", "im_rle8.bmp",
                                 "im_rle8_wide.bmp", "im_v4_24.bmp",     "im_v5_24.bmp",  "im_v5_p8.bmp",
                                 "im_v5_rle8.bmp",   "pil_rgb32.bmp",    "pil_bf32.bmp",  "im_v5_32.bmp"};
const int kFixtureCount = int(sizeof kFixtures / sizeof kFixtures[0]);

bool IsRle(const Bytes &f) { return f[30] == 1 && f[28] == 8; }
bool Is8(const Bytes &f) { return f[28] == 8; }

// What each kind stores for an (r, g, b) that the file gave, with the
// alpha that the decoder writes (none from the file: 0; RLE8 into 32: 255).
uint32_t Stored(int kind, uint32_t r, uint32_t g, uint32_t b, bool rle, uint32_t old4th) {
    const uint32_t c = NarrowRGB(kind, r, g, b);
    return kind == 32 ? (rle ? 0xFF000000u : old4th) | c : c;
}

struct FixtureCase {
    const char *file;
    int kind;
};
std::vector<FixtureCase> FixtureCases() {
    std::vector<FixtureCase> v;
    for (const char *f : kFixtures)
        for (int k : kvtest::AllKinds()) v.push_back({f, k});
    return v;
}

class BmpFixtures : public ::testing::TestWithParam<FixtureCase> {};

// Every pixel against the encoder's own decoding, on every kind.
TEST_P(BmpFixtures, MatchEncodersDecoding) {
    const FixtureCase c = GetParam();
    Bytes f = ReadFile(c.file);
    const Ppm ref = ReadPpm(std::string(c.file, strlen(c.file) - 4) + ".ppm");
    ASSERT_FALSE(f.empty());
    ASSERT_EQ(ref.rgb.size(), size_t(ref.w) * ref.h * 3);
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoBMP(info, f.data(), long(f.size())));
    ASSERT_EQ(info.width, ref.w);
    ASSERT_EQ(info.height, ref.h);
    TestSurface s(c.kind, ref.w, ref.h, 7);
    s.Fill(0x3C);
    ASSERT_TRUE(LoadBMP(s.desc, f.data(), long(f.size())));
    ASSERT_TRUE(s.GuardsIntact());
    // Pixels from a 24-bit file are not decoded into 8 bits.
    if (c.kind == 8 && !Is8(f)) {
        EXPECT_EQ(s.Pixels(), Bytes(size_t(ref.w) * ref.h, 0x3C));
        return;
    }
    for (int y = 0; y < ref.h; ++y)
        for (int x = 0; x < ref.w; ++x) {
            const uint8_t *p = &ref.rgb[(size_t(y) * ref.w + x) * 3];
            if (c.kind == 8) {
                const TRGBA &e = s.palette[s.Row(y)[x]];
                // Only entry 0 keeps a pure black; the others get blue 1.
                const uint32_t b = (p[0] | p[1] | p[2]) == 0 && s.Row(y)[x] != 0 ? 1 : p[2];
                ASSERT_EQ(uint32_t(e.r << 16 | e.g << 8 | e.b), uint32_t(p[0] << 16 | p[1] << 8 | b)) << x << "," << y;
                continue;
            }
            const uint32_t want = Stored(c.kind, p[0], p[1], p[2], IsRle(f), Is8(f) ? 0 : 0x3C000000u);
            ASSERT_EQ(Px(s, x, y), want) << c.file << " " << x << "," << y;
        }
    // The form without a length gives the same.
    TestSurface t(c.kind, ref.w, ref.h, 7);
    t.Fill(0x3C);
    ASSERT_TRUE(LoadBMP(t.desc, f.data()));
    EXPECT_EQ(t.Memory(), s.Memory());
}

INSTANTIATE_TEST_SUITE_P(Files, BmpFixtures, ::testing::ValuesIn(FixtureCases()),
                         [](const ::testing::TestParamInfo<FixtureCase> &i) {
                             std::string n = i.param.file;
                             n = n.substr(0, n.size() - 4) + "_" + kvtest::KindName(i.param.kind);
                             for (char &ch : n)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return n;
                         });

std::vector<TRGBA> Grey(int n) {
    std::vector<TRGBA> p;
    for (int i = 0; i < n; ++i) p.push_back(TRGBA{uint8_t(i * 16), uint8_t(i * 16 + 1), uint8_t(i * 16 + 2), 0});
    return p;
}

// A bottom-up 3 x 2 file of 8 bits on the grey palette; rows are padded to
// 4 bytes, so pixels holds 8.
Bytes Grey3x2(const Bytes &pixels) {
    Bmp b;
    b.w = 3;
    b.h = 2;
    b.palette = Grey(16);
    b.pixels = pixels;
    return b.Build();
}

TEST(Bmp, BottomUpLastFileRowIsFirstSurfaceRow) {
    TestSurface s(16, 3, 2, 2);
    ASSERT_TRUE(Load(s, Grey3x2({1, 2, 3, 0xEE, 4, 5, 6, 0xEE})));
    EXPECT_EQ(Px(s, 0, 0), Stored(16, 66, 65, 64, false, 0));
    EXPECT_EQ(Px(s, 2, 1), Stored(16, 50, 49, 48, false, 0));
    EXPECT_TRUE(s.GuardsIntact());
}

// A top-down 2 x 2 file of 24 bits under "KV", with a pixel offset that
// points nowhere: under "KV" the pixels follow the header whatever it says.
Bytes KvTopDown24(const Bytes &pixels) {
    Bmp b;
    b.w = 2;
    b.h = -2;
    b.bpp = 24;
    b.kv = true;
    b.pixels = pixels;
    Bytes f = b.Build();
    Put32(f, 10, 999);
    return f;
}

TEST(Bmp, TopDownAndKvOffset) {
    Bytes f = KvTopDown24({1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0});
    TestSurface s(32, 2, 2);
    s.Fill(0xAA);
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoBMP(info, f.data()));
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.bpp, 24u);
    ASSERT_TRUE(Load(s, f));
    EXPECT_EQ(Px(s, 0, 0), 0xAA030201u);  // fourth byte left as it was
    EXPECT_EQ(Px(s, 1, 1), 0xAA0C0B0Au);
}

TEST(Bmp, CoreHeaderUsesModelPalette) {
    Bmp b;
    b.headerSize = 12;
    b.w = 2;
    b.h = 1;
    b.pixels = {251, 1, 0, 0};
    TestSurface s(24, 2, 1);
    ASSERT_TRUE(Load(s, b.Build()));
    EXPECT_EQ(Px(s, 0, 0), 0xFFFFFFu);
    EXPECT_EQ(Px(s, 1, 0), 51u);
}

class BmpKinds : public ::testing::TestWithParam<int> {};

// The model palette is taken whole: an entry's alpha reaches the kinds that
// have room for it (the top bit in both 5-bit kinds, the top nibble, the
// fourth byte), while file entries carry none (the fixtures check that).
TEST_P(BmpKinds, ModelPaletteEntryAlphaReachesTheAlphaBits) {
    const int kind = GetParam();
    const TRGBA entries[3] = {{0x10, 0x20, 0x30, 0x80}, {0x18, 0x2C, 0x38, 0x7F}, {0xF8, 0xFC, 0xF8, 0xF0}};
    TRGBA saved[256];
    memcpy(saved, lu_gPaleta, sizeof saved);
    for (int i = 0; i < 3; ++i) lu_gPaleta[i + 1] = entries[i];
    Bmp b;
    b.headerSize = 12;
    b.w = 3;
    b.pixels = {1, 2, 3, 0};
    TestSurface s(kind, 3, 1);
    s.Fill(0x5C);
    const bool ok = Load(s, b.Build());
    memcpy(lu_gPaleta, saved, sizeof saved);
    ASSERT_TRUE(ok);
    for (int i = 0; i < 3; ++i) {
        const TRGBA &e = entries[i];
        uint32_t want = Stored(kind, e.r, e.g, e.b, false, 0);
        switch (kind) {
            case 8:
                want = uint32_t(i + 1);
                break;
            case 17:
            case 18:
                want |= (e.a & 0x80u) << 8;
                break;
            case 19:
                want |= uint32_t(e.a >> 4) << 12;
                break;
            case 32:
                want |= uint32_t(e.a) << 24;
                break;
            default:
                break;
        }
        EXPECT_EQ(Px(s, i, 0), want) << kvtest::KindName(kind) << " entry " << i + 1;
    }
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(Bmp, EightBitSurfaceTakesPaletteAndLiftsBlack) {
    Bmp b;
    b.w = 2;
    b.palette = Grey(16);
    b.palette[0] = TRGBA{0, 0, 0, 0};
    b.palette[7] = TRGBA{0, 0, 0, 0};
    b.pixels = {7, 3, 0, 0};
    TestSurface s(8, 2, 1);
    for (TRGBA &e : s.palette) e = TRGBA{0, 0, 0, 0x77};
    s.palette[200] = TRGBA{5, 6, 7, 8};
    ASSERT_TRUE(Load(s, b.Build()));
    EXPECT_EQ(s.Pixels(), (Bytes{7, 3}));
    EXPECT_EQ(s.palette[0].b | s.palette[0].g | s.palette[0].r, 0);
    EXPECT_EQ(s.palette[7].b, 1);
    EXPECT_EQ(s.palette[3].r, 50);
    EXPECT_EQ(s.palette[3].a, 0x77);  // fourth byte left alone
    EXPECT_EQ(s.palette[200].r, 7);   // past the file's count
    EXPECT_EQ(s.palette[100].b, 1);   // black beyond the count too
}

// Without a length: true, surface untouched. The length-aware form says
// false (BmpLength.UndecodedDepthsAndCompressionsRefused).
TEST(Bmp, UndecodedDepthsLeaveSurface) {
    Bmp b;
    b.bpp = 4;
    b.palette = Grey(16);
    b.pixels = {0x12, 0, 0, 0};
    TestSurface s(32, 1, 1);
    s.Fill(0x44);
    Bytes f = b.Build();
    EXPECT_TRUE(LoadBMP(s.desc, f.data()));
    EXPECT_EQ(Px(s, 0, 0), 0x44444444u);
    EXPECT_FALSE(Load(s, f));
    EXPECT_EQ(Px(s, 0, 0), 0x44444444u);
    TestSurface bad(32, 1, 1);
    bad.desc.bpp = 15;
    EXPECT_FALSE(Load(bad, b.Build()));
}

// RLE8 streams into a 565 surface w x h; entry 0 is the background.
struct Rle {
    int w, h;
    TRGBA bg;
    Bytes stream;
    Bytes File() const {
        Bmp b;
        b.w = w;
        b.h = h;
        b.compression = 1;
        b.palette = Grey(16);
        b.palette[0] = bg;
        b.pixels = stream;
        return b.Build();
    }
};
uint32_t G565(int i) { return Stored(16, i * 16 + 2, i * 16 + 1, i * 16, false, 0); }

TEST(BmpRle, BackgroundPaintsWhatTheStreamSkips) {
    // Row 0 (bottom): 1 pixel then end of line; row 1: delta 2 right.
    Rle r{4, 2, TRGBA{255, 0, 255, 0}, {1, 3, 0, 0, 0, 2, 2, 0, 1, 5, 0, 1}};
    TestSurface s(16, 4, 2, 2);
    s.Fill(0);
    ASSERT_TRUE(Load(s, r.File()));
    // Bottom row is surface row 1.
    EXPECT_EQ(Px(s, 0, 1), G565(3));
    for (int x = 1; x < 4; ++x) EXPECT_EQ(Px(s, x, 1), 0xF81Fu) << x;
    EXPECT_EQ(Px(s, 0, 0), 0xF81Fu);
    EXPECT_EQ(Px(s, 1, 0), 0xF81Fu);
    EXPECT_EQ(Px(s, 2, 0), G565(5));
    EXPECT_EQ(Px(s, 3, 0), 0xF81Fu);  // rest of the row at end of bitmap
    // A black entry 0 leaves those pixels alone.
    r.bg = TRGBA{0, 0, 0, 0};
    s.Fill(0x11);
    ASSERT_TRUE(Load(s, r.File()));
    EXPECT_EQ(Px(s, 1, 1), 0x1111u);
    EXPECT_EQ(Px(s, 2, 0), G565(5));
}

TEST(BmpRle, AbsoluteBlocksAndPadding) {
    // 3 indices + pad, then 4 indices with none, then a run.
    Rle r{9, 1, TRGBA{0, 0, 0, 0}, {0, 3, 1, 2, 3, 0xFF, 0, 4, 4, 5, 6, 7, 2, 9, 0, 1}};
    TestSurface s(16, 9, 1, 3);
    ASSERT_TRUE(Load(s, r.File()));
    const int want[] = {1, 2, 3, 4, 5, 6, 7, 9, 9};
    for (int x = 0; x < 9; ++x) EXPECT_EQ(Px(s, x, 0), G565(want[x])) << x;
}

// The usual encoder output: every row filled exactly by its runs, then an
// end of line. The row wrap has already moved on; the end of line must not.
TEST(BmpRle, RowFilledExactlyThenEndOfLine) {
    Rle r{3, 3, TRGBA{0, 0, 0, 0}, {3, 1, 0, 0, 2, 2, 1, 3, 0, 0, 3, 4, 0, 0, 0, 1}};
    TestSurface s(16, 3, 3, 1);
    s.Fill(0);
    ASSERT_TRUE(Load(s, r.File()));
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(Px(s, x, 2), G565(1));
        EXPECT_EQ(Px(s, x, 1), G565(x < 2 ? 2 : 3));
        EXPECT_EQ(Px(s, x, 0), G565(4));
    }
}

// Some encoders also write each row's padding pixels before the end of line.
TEST(BmpRle, PaddingPixelsBeforeEndOfLineDropped) {
    Rle r{3, 2, TRGBA{0, 0, 0, 0}, {4, 1, 0, 0, 2, 2, 1, 9, 0, 0, 0, 1}};
    TestSurface s(16, 3, 2, 1);
    s.Fill(0);
    ASSERT_TRUE(Load(s, r.File()));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(s, 2 - x, 1), G565(1));
    EXPECT_EQ(Px(s, 0, 0), G565(2));
    EXPECT_EQ(Px(s, 2, 0), G565(9));
}

TEST(BmpRle, RunsWrapIntoNextRowBottomUp) {
    Rle r{3, 2, TRGBA{0, 0, 0, 0}, {5, 6, 0, 1}};
    TestSurface s(32, 3, 2, 4);
    s.Fill(0);
    ASSERT_TRUE(Load(s, r.File()));
    EXPECT_EQ(Px(s, 2, 1), 0xFF626160u);
    EXPECT_EQ(Px(s, 1, 0), 0xFF626160u);
    EXPECT_EQ(Px(s, 2, 0), 0u);
    EXPECT_TRUE(s.GuardsIntact());
}

TEST(BmpRle, TopDownNoWrapOnlyDeltaPainted) {
    Bmp b;
    b.w = 3;
    b.h = -2;
    b.compression = 1;
    b.palette = Grey(16);
    b.palette[0] = TRGBA{255, 0, 255, 0};
    // A run past the row end is cut there; delta paints; end of line does not.
    b.pixels = {5, 1, 0, 0, 0, 2, 1, 0, 1, 2, 0, 1};
    TestSurface s(16, 3, 2, 6);
    s.Fill(0);
    ASSERT_TRUE(Load(s, b.Build()));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Px(s, x, 0), G565(1));
    EXPECT_EQ(Px(s, 0, 1), 0xF81Fu);
    EXPECT_EQ(Px(s, 1, 1), G565(2));
    EXPECT_EQ(Px(s, 2, 1), 0u);  // end of bitmap paints nothing top-down
    EXPECT_TRUE(s.GuardsIntact());
}

// Streams that say more than the surface holds stay inside it, on every
// kind (the 8-bit kernel has no row wrap, so its runs pass the row end).
TEST_P(BmpKinds, RleNeverWritesOutside) {
    const Bytes streams[] = {
        {255, 1, 255, 2, 255, 3, 0, 1},              // runs past the last row
        {0, 2, 200, 200, 255, 4, 0, 1},              // delta far past the end
        {0, 2, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},  // end of line past the last row
        {0, 255, 1, 2, 3, 4},                        // absolute block, stream cut
        {0, 2, 250, 0, 9, 7, 0, 1},                  // delta right past the row end
    };
    for (const Bytes &st : streams) {
        Rle r{5, 2, TRGBA{1, 2, 3, 0}, st};
        r.stream.resize(st.size() + 300, 7);  // indices for the long block
        TestSurface s(GetParam(), 5, 2, 3);
        Load(s, r.File());
        EXPECT_TRUE(s.GuardsIntact());
        // Without a length the stream must end inside the buffer.
        TestSurface t(GetParam(), 5, 2, 3);
        Bytes f = r.File();
        f.push_back(0);
        f.push_back(1);
        LoadBMP(t.desc, f.data());
        EXPECT_TRUE(t.GuardsIntact());
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BmpKinds, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const ::testing::TestParamInfo<int> &i) { return kvtest::KindName(i.param); });

// 32 bits: blue, green, red and a byte that is no alpha, handled as a
// 24-bit pixel's missing one (kept in 32-bit surfaces, 0 in the 1555 bit
// and the 4444 nibble); rows of 4 x width bytes, no padding.
TEST(Bmp32, FourthByteIsNotAlpha) {
    Bmp b;
    b.w = 2;
    b.h = -1;
    b.bpp = 32;
    b.pixels = {1, 2, 3, 0xFF, 0xF0, 0xE0, 0xD0, 0x80};
    for (bool bounded : {true, false}) {
        TestSurface s32(32, 2, 1);
        s32.Fill(0x3C);
        Bytes f = b.Build();
        ASSERT_TRUE(bounded ? Load(s32, f) : LoadBMP(s32.desc, f.data()));
        EXPECT_EQ(Px(s32, 0, 0), 0x3C030201u);
        EXPECT_EQ(Px(s32, 1, 0), 0x3CD0E0F0u);
        TestSurface s1555(18, 2, 1), s4444(19, 2, 1), s24(24, 2, 1);
        for (TestSurface *t : {&s1555, &s4444, &s24}) {
            t->Fill(0xFF);
            ASSERT_TRUE(bounded ? Load(*t, f) : LoadBMP(t->desc, f.data()));
        }
        EXPECT_EQ(Px(s1555, 1, 0), Stored(18, 0xD0, 0xE0, 0xF0, false, 0));
        EXPECT_EQ(Px(s4444, 1, 0), Stored(19, 0xD0, 0xE0, 0xF0, false, 0));
        EXPECT_EQ(Px(s24, 1, 0), 0xD0E0F0u);
    }
}

// The length-aware forms decode 32-bit rows only when all 4 x width bytes
// of each are there, and bit fields only when the three masks are.
TEST(Bmp32, CutAtTheLastByteAndAtTheMasks) {
    for (const char *name : {"pil_rgb32.bmp", "pil_bf32.bmp", "im_v5_32.bmp"}) {
        const Bytes full = ReadFile(name);
        TestSurface ref(32, 23, 9);
        ASSERT_TRUE(Load(ref, full)) << name;
        for (size_t n : {full.size() - 1, full.size() - 92, size_t(66), size_t(65), size_t(54)}) {
            TestSurface s(32, 23, 9);
            EXPECT_FALSE(Load(s, Bytes(full.begin(), full.begin() + long(n)))) << name << " " << n;
            TSurfDesc info{};
            const Bytes cut(full.begin(), full.begin() + long(n));
            EXPECT_FALSE(LoadInfoBMP(info, const_cast<uint8_t *>(cut.data()), long(n))) << name << " " << n;
        }
    }
}

// Bit fields other than the standard ones, and any compression but RLE8:
// the length-aware forms refuse them; without a length, 32-bit files are
// read as blue, green, red and a spare byte whatever the compression says.
TEST(Bmp32, OtherBitFieldsRefusedWithALength) {
    const Bytes good = ReadFile("pil_bf32.bmp");
    TestSurface ref(24, 23, 9);
    ASSERT_TRUE(Load(ref, good));
    const uint32_t masks[][3] = {{0x000000FF, 0x0000FF00, 0x00FF0000},   // red and blue swapped
                                 {0xFF000000, 0x00FF0000, 0x0000FF00},   // blue in the second byte
                                 {0x00FF0000, 0x0000FF00, 0x000000FE}};  // one bit short
    for (const auto &m : masks) {
        Bytes f = good;
        Put32(f, 54, m[0]);
        Put32(f, 58, m[1]);
        Put32(f, 62, m[2]);
        TestSurface s(24, 23, 9);
        EXPECT_FALSE(Load(s, f)) << std::hex << m[0];
        TSurfDesc info{};
        EXPECT_FALSE(LoadInfoBMP(info, f.data(), long(f.size())));
        TestSurface t(24, 23, 9);
        EXPECT_TRUE(LoadBMP(t.desc, f.data()));
        EXPECT_EQ(t.Pixels(), ref.Pixels());
    }
    for (uint32_t comp : {1u, 2u, 4u, 5u, 6u}) {
        Bytes f = good;
        Put32(f, 30, comp);
        TestSurface s(24, 23, 9);
        EXPECT_FALSE(Load(s, f)) << comp;
        TestSurface t(24, 23, 9);
        EXPECT_TRUE(LoadBMP(t.desc, f.data())) << comp;
        EXPECT_EQ(t.Pixels(), ref.Pixels()) << comp;
    }
}

// Depths LoadBMP does not decode, and compressions other than RLE8: the
// length-aware forms return false, the forms without a length true (as they
// always have) with the surface untouched.
TEST(BmpLength, UndecodedDepthsAndCompressionsRefused) {
    struct Change {
        const char *file;
        unsigned bits;
        uint32_t compression;
    };
    const Change changes[] = {
        {"pil_rgb24.bmp", 16, 0}, {"pil_rgb24.bmp", 16, 3}, {"pil_p8.bmp", 4, 0},     {"pil_p8.bmp", 1, 0},
        {"pil_p8.bmp", 8, 2},     {"pil_p8.bmp", 8, 3},     {"pil_p8.bmp", 8, 4},     {"pil_rgb24.bmp", 24, 1},
        {"pil_rgb24.bmp", 24, 3}, {"pil_rgb24.bmp", 24, 4}, {"pil_rgb24.bmp", 24, 5}, {"pil_rgb24.bmp", 17, 0},
        {"pil_rgb24.bmp", 48, 0},
    };
    for (const Change &c : changes) {
        Bytes f = ReadFile(c.file);
        Put16(f, 28, c.bits);
        Put32(f, 30, c.compression);
        TSurfDesc info{};
        EXPECT_FALSE(LoadInfoBMP(info, f.data(), long(f.size()))) << c.file << " " << c.bits << " " << c.compression;
        for (int kind : kvtest::AllKinds()) {
            TestSurface s(kind, 23, 9);
            s.Fill(0x44);
            EXPECT_FALSE(Load(s, f)) << c.file << " " << c.bits << " " << c.compression << " " << kind;
            EXPECT_EQ(s.Pixels(), Bytes(size_t(s.RowBytes()) * 9, 0x44));
            EXPECT_TRUE(LoadBMP(s.desc, f.data())) << c.file << " " << c.bits << " " << c.compression;
            EXPECT_TRUE(s.GuardsIntact());
        }
        EXPECT_TRUE(LoadInfoBMP(info, f.data()));
        EXPECT_EQ(info.bpp, c.bits);
    }
    // What stays decodable: 8 bits plain and RLE8, 24 and 32 bits plain.
    for (const char *name : {"pil_p8.bmp", "im_rle8.bmp", "pil_rgb24.bmp", "pil_rgb32.bmp"}) {
        Bytes f = ReadFile(name);
        TestSurface s(16, 23, 9);
        EXPECT_TRUE(Load(s, f)) << name;
    }
}

// A colours-used field above 256 counts as 256 in both forms: the file
// decodes as with 256 (InconsistentFilesRejected: only when the 256
// entries are in the buffer).
TEST(BmpLength, PaletteCountAbove256Capped) {
    const Bytes good = ReadFile("pil_p8.bmp");  // 256 entries, pixels at 1078
    for (int kind : kvtest::AllKinds()) {
        TestSurface ref(kind, 23, 9);
        ASSERT_TRUE(Load(ref, good));
        for (uint32_t count : {256u, 257u, 1000u, 0xFFFFFFFFu}) {
            Bytes f = good;
            Put32(f, 46, count);
            TSurfDesc info{};
            ASSERT_TRUE(LoadInfoBMP(info, f.data(), long(f.size()))) << count;
            EXPECT_EQ(info.width, 23);
            TestSurface s(kind, 23, 9), t(kind, 23, 9);
            ASSERT_TRUE(Load(s, f)) << count << " " << kind;
            ASSERT_TRUE(LoadBMP(t.desc, f.data()));
            EXPECT_EQ(s.Memory(), ref.Memory()) << count << " " << kind;
            EXPECT_EQ(t.Memory(), ref.Memory()) << count << " " << kind;
            if (kind == 8) {
                EXPECT_EQ(0, memcmp(s.palette, ref.palette, sizeof s.palette));
            }
        }
    }
}

TEST(BmpLength, InconsistentFilesRejected) {
    Bmp b;
    b.w = 2;
    b.palette = Grey(4);
    b.pixels = {1, 2, 0, 0};
    const Bytes good = b.Build();
    TestSurface s(32, 2, 1);
    EXPECT_TRUE(Load(s, good));
    Bytes f = good;
    Put32(f, 46, 257);  // read as 256 entries, which the file does not hold
    EXPECT_FALSE(Load(s, f));
    f = good;
    Put32(f, 10, uint32_t(good.size() + 1));  // pixels past the end
    EXPECT_FALSE(Load(s, f));
    f = good;
    Put32(f, 14, 124);  // header longer than the file
    f.resize(100);
    EXPECT_FALSE(Load(s, f));
    f = good;
    Put32(f, 14, 16);  // a size we cannot read
    EXPECT_FALSE(Load(s, f));
    TSurfDesc info;
    EXPECT_FALSE(LoadInfoBMP(info, f.data(), long(f.size())));
    f = good;
    Put32(f, 18, 0x7FFFFFFF);  // rows x stride far past 64 bits of bytes
    Put32(f, 22, 0x7FFFFFFF);
    Put16(f, 28, 24);
    EXPECT_FALSE(LoadInfoBMP(info, f.data(), long(f.size())));
    EXPECT_FALSE(LoadInfoBMPAlpha(info, f.data(), long(f.size())));
    TestSurface tall(32, 2, 2);  // surface taller than the file's rows
    EXPECT_FALSE(Load(tall, good));
    EXPECT_FALSE(LoadBMP(s.desc, nullptr, 10));
}

// Every cut of a small file: no crash, nothing outside the surface, false
// where the pixels are not all there, and the full image whenever true.
TEST(BmpDamaged, TruncatedAtEveryLength) {
    for (const char *name : {"pil_p8_short.bmp", "im_rle8.bmp", "pil_rgb24.bmp"}) {
        const Bytes full = ReadFile(name);
        TestSurface ref(32, 23, 9, 4);
        ASSERT_TRUE(Load(ref, full));
        for (size_t n = 0; n < full.size(); ++n) {
            Bytes cut(full.begin(), full.begin() + long(n));
            TestSurface s(32, 23, 9, 4);
            const bool ok = LoadBMP(s.desc, cut.data(), long(n));
            ASSERT_TRUE(s.GuardsIntact()) << name << " " << n;
            // The last row's padding and the codes after the last pixel
            // are not needed.
            if (n + 8 < full.size()) {
                EXPECT_FALSE(ok) << name << " " << n;
            }
            if (ok) {
                EXPECT_EQ(s.Pixels(), ref.Pixels()) << name << " " << n;
            }
            TSurfDesc info{};
            LoadInfoBMP(info, cut.data(), long(n));
        }
    }
}

// Up to maxEdits random bytes changed, 40% of them among the first
// headerEnd + 1 (the headers), then a cut in cutPercent of the files.
// extremes: changed bytes are often 0 or 0xFF.
struct DamageRates {
    int maxEdits, headerEnd, cutPercent;
    bool extremes;
};
void Damage(Rng &rng, Bytes &f, const DamageRates &h) {
    const int edits = rng.Range(0, h.maxEdits);
    for (int e = 0; e < edits; ++e) {
        const size_t at = rng.Chance(40) ? size_t(rng.Range(0, h.headerEnd)) : size_t(rng.Range(0, int(f.size()) - 1));
        if (at < f.size()) f[at] = uint8_t(h.extremes && rng.Chance(30) ? (rng.Chance(50) ? 0 : 0xFF) : rng.U32());
    }
    if (rng.Chance(h.cutPercent)) f.resize(size_t(rng.Range(0, int(f.size()))));
}

// Bounded random damage over every fixture and kind: a few bytes changed,
// header fields included, sometimes cut short.
TEST(BmpDamaged, RandomMutations) {
    Rng rng(4242);
    int cases = 0;
    for (int round = 0; round < 500; ++round)
        for (const char *name : kFixtures) {
            Bytes f = ReadFile(name);
            // Header fields with values that change the decoding path.
            static const size_t kFields[] = {0, 1, 10, 11, 14, 18, 19, 22, 25, 28, 30, 46, 47};
            static const uint8_t kValues[] = {0, 1, 2, 3, 4, 8, 12, 16, 24, 32, 40, 124, 0x80, 0xFF};
            if (rng.Chance(50)) f[kFields[rng.Range(0, 12)]] = kValues[rng.Range(0, 13)];
            Damage(rng, f, {5, 70, 25, true});
            const int kind = kvtest::AllKinds()[size_t(rng.Range(0, 6))];
            TestSurface s(kind, rng.Range(1, 30), rng.Range(1, 14), rng.Range(0, 5));
            Bytes copy = f;  // exact size: any read past it is caught under ASan
            LoadBMP(s.desc, copy.data(), long(copy.size()));
            ASSERT_TRUE(s.GuardsIntact()) << name << " round " << round;
            TSurfDesc info{};
            LoadInfoBMP(info, copy.data(), long(copy.size()));
            ++cases;
        }
    EXPECT_EQ(cases, 500 * kFixtureCount);
}

// Alpha planes: raw values, whatever the palette and the depth field say.
bool LoadA(TestSurface &s, Bytes f) { return LoadBMPAlpha(s.desc, f.data(), long(f.size())); }

TEST(BmpAlpha, BottomUpRawValuesPaletteIgnored) {
    TestSurface s(8, 3, 2, 1);
    for (TRGBA &e : s.palette) e = TRGBA{1, 2, 3, 4};
    const Bytes f = Grey3x2({0, 128, 255, 0xEE, 9, 8, 7, 0xEE});
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoBMPAlpha(info, const_cast<uint8_t *>(f.data()), long(f.size())));
    EXPECT_EQ(info.width, 3);
    EXPECT_EQ(info.height, 2);
    EXPECT_EQ(info.bpp, 8u);
    ASSERT_TRUE(LoadA(s, f));
    EXPECT_EQ(s.Pixels(), (Bytes{9, 8, 7, 0, 128, 255}));
    EXPECT_EQ(s.palette[5].r, 3);  // never touched
    EXPECT_EQ(s.Row(0)[3], 0xEE);  // the row's padding comes along
}

// The depth field is not consulted: a 24-bit file is read as 8-bit rows,
// and the info form reports 8 bits.
TEST(BmpAlpha, AnyDepthReadAsEightBits) {
    Bytes f = KvTopDown24({1, 2, 3, 4, 5, 6, 7, 8});
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoBMPAlpha(info, f.data()));
    EXPECT_EQ(info.bpp, 8u);
    EXPECT_EQ(info.height, 2);
    TestSurface s(8, 2, 2);
    ASSERT_TRUE(LoadBMPAlpha(s.desc, f.data()));
    EXPECT_EQ(s.Pixels(), (Bytes{1, 2, 5, 6}));
}

// Rows are copied with their padding when the pitch holds it, and cut at
// the pitch when it does not.
TEST(BmpAlpha, PaddedRowsStayInsideThePitch) {
    Bmp b;
    b.w = 5;
    b.h = -2;
    b.pixels = {1, 2, 3, 4, 5, 0xA, 0xB, 0xC, 6, 7, 8, 9, 10, 0xD, 0xE, 0xF};
    const Bytes f = b.Build();
    for (int pitch : {8, 6, 5}) {
        Bytes mem(size_t(pitch) * 2 + 16, 0x33);
        TSurfDesc s;
        memset(&s, 0, sizeof s);
        s.width = 5;
        s.height = 2;
        s.bpp = 8;
        s.scanWidth = pitch;
        s.bits = mem.data();
        ASSERT_TRUE(LoadBMPAlpha(s, const_cast<uint8_t *>(f.data()), long(f.size())));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < pitch; ++x)
                EXPECT_EQ(mem[size_t(y * pitch + x)], b.pixels[size_t(y * 8 + x)]) << pitch << " " << x;
        for (size_t i = size_t(pitch) * 2; i < mem.size(); ++i) EXPECT_EQ(mem[i], 0x33) << pitch;
    }
}

// RLE8 planes: no background paint whatever entry 0 is, no row wrap; the
// stream's raw values.
TEST(BmpAlpha, RleRawNoFillNoWrap) {
    Rle r{4, 2, TRGBA{255, 0, 255, 0}, {1, 3, 0, 0, 0, 2, 2, 0, 1, 5, 0, 1}};
    TestSurface s(8, 4, 2, 2);
    s.Fill(0x11);
    ASSERT_TRUE(LoadA(s, r.File()));
    EXPECT_EQ(s.Pixels(), (Bytes{0x11, 0x11, 5, 0x11, 3, 0x11, 0x11, 0x11}));
    // A run longer than the row ends at the row: nothing wraps.
    Rle wide{3, 2, TRGBA{0, 0, 0, 0}, {5, 9, 0, 0, 1, 4, 0, 1}};
    s.Fill(0x11);
    TestSurface t(8, 3, 2, 1);
    t.Fill(0x11);
    ASSERT_TRUE(LoadA(t, wide.File()));
    EXPECT_EQ(t.Pixels(), (Bytes{4, 0x11, 0x11, 9, 9, 9}));
    EXPECT_TRUE(t.GuardsIntact());
}

// Damaged alpha files, cut and mutated: never outside the surface.
TEST(BmpAlpha, DamagedFilesStayInside) {
    Rng rng(99);
    for (int round = 0; round < 300; ++round)
        for (const char *name : kFixtures) {
            Bytes f = ReadFile(name);
            Damage(rng, f, {6, 60, 40, false});
            TSurfDesc info{};
            LoadInfoBMPAlpha(info, f.data(), long(f.size()));
            TestSurface s(8, rng.Range(1, 30), rng.Range(1, 14), rng.Range(3, 5));
            LoadBMPAlpha(s.desc, f.data(), long(f.size()));
            // Padding may be taken by the row copy, never past the pitch.
            const size_t end = size_t(s.desc.scanWidth) * size_t(s.desc.height);
            const std::vector<uint8_t> &m = s.Memory();
            for (int g = 0; g < TestSurface::kGuardBytes; ++g) {
                ASSERT_EQ(m[size_t(g)], TestSurface::kGuard) << name;
                ASSERT_EQ(m[size_t(TestSurface::kGuardBytes) + end + size_t(g)], TestSurface::kGuard) << name;
            }
        }
}

}  // namespace
