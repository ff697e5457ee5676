#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <utility>

#include "tests/decode/decode_util.h"
#include "surface/pixfmt.h"
#include "tests/common/testsurf.h"

using namespace kvtest;

namespace {

struct Decoded {
    int frames = 0;
    bool ok = true;
};

// The whole protocol through the length-aware entry; `each` sees every frame.
template <class F>
Decoded DecodeAll(std::vector<uint8_t> &file, TestSurface &s, F each, bool alpha = false) {
    CKVGIF gif{};
    RAW raw{};
    Decoded d;
    TSurfDesc info{};
    const bool open = alpha ? LoadInfoGIFAlpha(info, file.data(), long(file.size()), gif, raw)
                            : LoadInfoGIF(info, file.data(), long(file.size()), gif, raw);
    if (!open) {
        d.ok = false;
        return d;
    }
    for (int guard = 0; guard < 1000 && LoadGIFNext(s.desc, file.data(), gif, raw); ++guard) {
        const bool r = alpha ? LoadGIFAlpha(s.desc, file.data(), gif, raw) : LoadGIF(s.desc, file.data(), gif, raw);
        d.ok = d.ok && r;
        each(d.frames, raw);
        ++d.frames;
    }
    EXPECT_TRUE(LoadGIFEnd(s.desc, file.data(), gif, raw));
    return d;
}

const char *kFixtures[] = {"pal2",       "pal4",         "pal16",   "pal128",     "pal256",     "still",
                           "interlaced", "interlaced10", "lzw4096", "anim_local", "anim_global"};

class GifFixture : public ::testing::TestWithParam<std::tuple<const char *, int>> {};

TEST_P(GifFixture, MatchesTheIndependentDecoder) {
    const std::string name = std::get<0>(GetParam());
    const int kind = std::get<1>(GetParam());
    std::vector<uint8_t> file = ReadFile(DataPath("gif/" + name + ".gif"));
    GifRef ref;
    ASSERT_TRUE(LoadGifRef(DataPath("gif/" + name + ".ref"), ref)) << name;

    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoGIF(info, file.data(), long(file.size()), gif, raw));
    EXPECT_EQ(info.width, ref.width);
    EXPECT_EQ(info.height, ref.height);
    EXPECT_EQ(info.bpp, 8u);
    LoadGIFEnd(info, file.data(), gif, raw);

    TestSurface s(kind, ref.width, ref.height, 7);
    const Decoded d = DecodeAll(file, s, [&](int f, RAW &r) {
        ASSERT_LT(size_t(f), ref.frames.size());
        EXPECT_EQ(r.width, ref.width);
        const GifRef::Frame &fr = ref.frames[size_t(f)];
        for (int y = 0; y < ref.height; ++y) {
            const uint8_t *row = s.Row(y);
            for (int x = 0; x < ref.width; ++x) {
                const size_t i = size_t(y) * ref.width + x;
                const uint8_t *rgb = &fr.rgb[3 * i];
                if (kind == 8) {
                    if (fr.hasIndices) {
                        ASSERT_EQ(row[x], fr.indices[i]) << name << " frame " << f << " at " << x << "," << y;
                    }
                    const TRGBA &e = s.palette[row[x]];
                    const bool black = rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0;
                    ASSERT_EQ(e.r, rgb[0]);
                    ASSERT_EQ(e.g, rgb[1]);
                    ASSERT_EQ(e.b, black && row[x] != 0 ? 1 : rgb[2]);
                } else {
                    const int bpp = int(s.desc.bpp / 8);
                    ASSERT_EQ(Stored(kind, row + x * bpp), Expected(kind, rgb))
                        << name << " frame " << f << " at " << x << "," << y;
                }
            }
        }
    });
    EXPECT_TRUE(d.ok);
    EXPECT_EQ(size_t(d.frames), ref.frames.size());
    EXPECT_TRUE(OuterGuardsIntact(s));
}

INSTANTIATE_TEST_SUITE_P(All, GifFixture,
                         ::testing::Combine(::testing::ValuesIn(kFixtures), ::testing::ValuesIn(AllKinds())),
                         [](const auto &i) {
                             return std::string(std::get<0>(i.param)) + "_" + KindName(std::get<1>(i.param));
                         });

TEST(Gif, AlphaPlaneHoldsTheRawIndicesAtThePitch) {
    for (const char *name : {"still", "interlaced", "lzw4096"}) {
        std::vector<uint8_t> file = ReadFile(DataPath(std::string("gif/") + name + ".gif"));
        GifRef ref;
        ASSERT_TRUE(LoadGifRef(DataPath(std::string("gif/") + name + ".ref"), ref));
        // A 32-bit surface description: the alpha loader ignores the kind.
        TestSurface s(32, ref.width, ref.height);
        s.desc.bpp = 8;
        s.desc.scanWidth = ref.width + 5;
        const Decoded d = DecodeAll(
            file, s, [](int, RAW &) {}, true);
        ASSERT_TRUE(d.ok);
        for (int y = 0; y < ref.height; ++y)
            for (int x = 0; x < ref.width; ++x)
                ASSERT_EQ(s.desc.bits[y * s.desc.scanWidth + x], ref.frames[0].indices[size_t(y) * ref.width + x])
                    << name;
        EXPECT_TRUE(OuterGuardsIntact(s));
    }
}

TEST(Gif, AlphaInfoLeavesThePaletteWordsAlone) {
    std::vector<uint8_t> file = ReadFile(DataPath("gif/still.gif"));
    CKVGIF gif{};
    RAW raw;
    memset(&raw, 0x5A, sizeof raw);
    TSurfDesc s{};
    ASSERT_TRUE(LoadInfoGIFAlpha(s, file.data(), long(file.size()), gif, raw));
    EXPECT_EQ(raw.flag, 0);
    EXPECT_EQ(raw.flag2, 0);
    EXPECT_EQ(raw.bits, nullptr);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(raw.palette[i][0], 0x5A);
    EXPECT_EQ(s.width, 64);
    EXPECT_EQ(s.bpp, 8u);
}

TEST(Gif, NoGlobalTableLeavesThePaletteAsTheCallerLeftIt) {
    GifWriter g(2, 1);
    CKVGIF gif{};
    RAW raw;
    memset(&raw, 0x33, sizeof raw);
    TSurfDesc s{};
    ASSERT_TRUE(LoadInfoGIF(s, g.bytes.data(), long(g.bytes.size()), gif, raw));
    EXPECT_EQ(raw.flag, 1);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(raw.palette[i][1], 0x33);
}

TEST(Gif, TwoFrameProtocolAndTheClosedDecoder) {
    GifWriter g(3, 2, 4);
    g.Extension(0xF9, {4, 10, 0, 0});
    g.Descriptor(3, 2);
    g.LiteralFrame({0, 1, 2, 3, 2, 1}, 2);
    g.Descriptor(3, 2);
    g.LiteralFrame({3, 3, 3, 0, 0, 0}, 2);
    g.Trailer();
    CKVGIF gif{};
    RAW raw{};
    TestSurface s(8, 3, 2);
    ASSERT_TRUE(LoadInfoGIF(s.desc, g.bytes.data(), gif, raw));  // the form without a length
    ASSERT_TRUE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
    ASSERT_TRUE(LoadGIF(s.desc, g.bytes.data(), gif, raw));
    EXPECT_EQ(s.Pixels(), (std::vector<uint8_t>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(raw.bits, s.desc.bits);
    ASSERT_TRUE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
    ASSERT_TRUE(LoadGIF(s.desc, g.bytes.data(), gif, raw));
    EXPECT_EQ(s.Pixels(), (std::vector<uint8_t>{3, 3, 3, 0, 0, 0}));
    EXPECT_FALSE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
    EXPECT_FALSE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));  // stays at the trailer
    EXPECT_TRUE(LoadGIFEnd(s.desc, g.bytes.data(), gif, raw));
    EXPECT_EQ(gif.stream, nullptr);
    EXPECT_FALSE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
    EXPECT_FALSE(LoadGIF(s.desc, g.bytes.data(), gif, raw));
    EXPECT_TRUE(LoadGIFAlphaEnd(s.desc, g.bytes.data(), gif, raw));
}

TEST(Gif, HeaderFailures) {
    CKVGIF gif{};
    RAW raw{};
    raw.width = 12;
    raw.height = 34;
    TSurfDesc s{};
    std::vector<uint8_t> notGif = {'G', 'I', 'X', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'};
    EXPECT_FALSE(LoadInfoGIF(s, notGif.data(), long(notGif.size()), gif, raw));
    // The size words of the record, which the failed call did not set.
    EXPECT_EQ(s.width, 12);
    EXPECT_EQ(s.height, 34);
    EXPECT_EQ(s.bpp, 8u);
    EXPECT_EQ(gif.stream, nullptr);
    EXPECT_FALSE(LoadInfoGIF(s, nullptr, gif, raw));
    EXPECT_FALSE(LoadInfoGIF(s, notGif.data(), 2, gif, raw));
    // A global table cut off by the end.
    GifWriter g(2, 2, 256);
    EXPECT_FALSE(LoadInfoGIF(s, g.bytes.data(), 13 + 100, gif, raw));
    EXPECT_EQ(gif.stream, nullptr);
}

// Decodes one crafted frame into an 8-bit surface of the frame's size.
std::vector<uint8_t> DecodeCrafted(std::vector<uint8_t> &bytes, int w, int h, bool *ok = nullptr) {
    CKVGIF gif{};
    RAW raw{};
    TestSurface s(8, w, h);
    bool r = LoadInfoGIF(s.desc, bytes.data(), long(bytes.size()), gif, raw) &&
             LoadGIFNext(s.desc, bytes.data(), gif, raw) && LoadGIF(s.desc, bytes.data(), gif, raw);
    if (ok) *ok = r;
    EXPECT_TRUE(s.GuardsIntact());
    return s.Pixels();
}

TEST(Gif, MinimumCodeSize) {
    for (int min : {1, 8, 9, 10, 12}) {
        GifWriter g(2, 1);
        g.Descriptor(2, 1);
        g.LiteralFrame({1, 0}, min >= 2 && min <= 9 ? min : 8);
        g.Trailer();
        // The byte after the descriptor is the minimum code size.
        g.bytes[13 + 10] = uint8_t(min);
        bool ok;
        const std::vector<uint8_t> px = DecodeCrafted(g.bytes, 2, 1, &ok);
        EXPECT_EQ(ok, min == 8 || min == 9) << min;
        if (ok) {
            EXPECT_EQ(px, (std::vector<uint8_t>{1, 0}));
        }
    }
}

// One row of width w coded by hand at minimum code size 2 (clear 4, end 5,
// first free 6), from (code, bits) pairs.
std::vector<uint8_t> DecodeCodes(int w, std::initializer_list<std::pair<int, int>> codes) {
    GifWriter g(w, 1);
    g.Descriptor(w, 1);
    g.Byte(2);
    CodeWriter cw;
    for (const auto &c : codes) cw.Put(c.first, c.second);
    g.Raw(cw.SubBlocks());
    g.Trailer();
    return DecodeCrafted(g.bytes, w, 1);
}

TEST(Gif, CodeAfterClearIsNotAddedTheNextIs) {
    // "1" is not added; "2" adds 6 = 1,2 and then 7 = 2,1, which takes the
    // table to 8 codes: end is 4 bits.
    EXPECT_EQ(DecodeCodes(4, {{4, 3}, {1, 3}, {2, 3}, {6, 3}, {5, 4}}), (std::vector<uint8_t>{1, 2, 1, 2}));
}

TEST(Gif, CodeNotYetInTheTable) {
    // 6 is 1,1; 7 would be 1,1,1 and overflow: the row holds 5.
    EXPECT_EQ(DecodeCodes(5, {{4, 3}, {1, 3}, {6, 3}, {7, 3}, {5, 4}}), (std::vector<uint8_t>{1, 1, 1, 1, 1}));
}

TEST(Gif, InterlacedRowOrder) {
    std::vector<uint8_t> idx;
    for (int r = 0; r < 10; ++r)
        for (int x = 0; x < 3; ++x) idx.push_back(uint8_t(r));
    GifWriter g(3, 10);
    g.Descriptor(3, 10, true);
    g.LiteralFrame(idx, 4);
    g.Trailer();
    const std::vector<uint8_t> px = DecodeCrafted(g.bytes, 3, 10);
    const int order[10] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(px[size_t(order[k]) * 3], k) << "data row " << k;
}

TEST(Gif, ColoursNarrowedInto565AndTheBlackRule) {
    GifWriter g(2, 1);
    g.Descriptor(2, 1, false, 4);
    // Local table: entry 3 is red 255, entry 2 black.
    const size_t table = 13 + 10;
    g.bytes[table + 9] = 255, g.bytes[table + 10] = 0, g.bytes[table + 11] = 0;
    g.bytes[table + 6] = 0, g.bytes[table + 7] = 0, g.bytes[table + 8] = 0;
    g.bytes[table + 0] = 0, g.bytes[table + 1] = 0, g.bytes[table + 2] = 0;
    g.LiteralFrame({3, 2}, 2);
    g.Trailer();
    CKVGIF gif{};
    RAW raw{};
    TestSurface s(16, 2, 1);
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoGIF(info, g.bytes.data(), long(g.bytes.size()), gif, raw));
    ASSERT_TRUE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
    ASSERT_TRUE(LoadGIF(s.desc, g.bytes.data(), gif, raw));
    EXPECT_EQ(kv::Load16(s.desc.bits), 0xF800u);
    EXPECT_EQ(kv::Load16(s.desc.bits + 2), 0u);

    TestSurface p(8, 2, 1);
    for (auto &e : p.palette) e = TRGBA{9, 9, 9, 0x77};
    ASSERT_TRUE(LoadInfoGIF(p.desc, g.bytes.data(), long(g.bytes.size()), gif, raw));
    ASSERT_TRUE(LoadGIFNext(p.desc, g.bytes.data(), gif, raw));
    ASSERT_TRUE(LoadGIF(p.desc, g.bytes.data(), gif, raw));
    EXPECT_EQ(p.palette[0].b, 0);  // entry 0 may stay black
    EXPECT_EQ(p.palette[2].b, 1);
    EXPECT_EQ(p.palette[3].r, 255);
    EXPECT_EQ(p.palette[3].a, 0x77);  // fourth byte untouched
}

TEST(Gif, WithoutColoursOtherKindsKeepThePackedIndices) {
    std::vector<uint8_t> file = ReadFile(DataPath("gif/pal16.gif"));
    GifRef ref;
    ASSERT_TRUE(LoadGifRef(DataPath("gif/pal16.ref"), ref));
    TestSurface s(16, ref.width, ref.height, 3);
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoGIFAlpha(info, file.data(), long(file.size()), gif, raw));
    ASSERT_TRUE(LoadGIFNext(s.desc, file.data(), gif, raw));
    ASSERT_TRUE(LoadGIF(s.desc, file.data(), gif, raw));
    EXPECT_EQ(0, memcmp(s.desc.bits, ref.frames[0].indices.data(), ref.frames[0].indices.size()));
}

TEST(Gif, UnsupportedKindDecodesNothing) {
    std::vector<uint8_t> file = ReadFile(DataPath("gif/pal4.gif"));
    TestSurface s(8, 37, 19);
    s.desc.bpp = 15;
    s.Fill(0x11);
    const Decoded d = DecodeAll(file, s, [](int, RAW &) {});
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(s.Pixels(), std::vector<uint8_t>(37 * 19, 0x11));
}

TEST(Gif, NullBitsFails) {
    std::vector<uint8_t> file = ReadFile(DataPath("gif/pal4.gif"));
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc s{};
    ASSERT_TRUE(LoadInfoGIF(s, file.data(), long(file.size()), gif, raw));
    s.scanWidth = s.width;
    ASSERT_TRUE(LoadGIFNext(s, file.data(), gif, raw));
    EXPECT_FALSE(LoadGIF(s, file.data(), gif, raw));
    EXPECT_FALSE(LoadGIFAlpha(s, file.data(), gif, raw));
}

// Frames bigger than the surface, more data than the frame holds, rows past
// the end of an interlaced frame: every write stays in the surface.
TEST(Gif, OversizedFramesStayInsideTheSurface) {
    for (int kind : AllKinds()) {
        for (bool il : {false, true}) {
            GifWriter g(4, 4, 4);
            g.Descriptor(50, 40, il);
            std::vector<uint8_t> idx(50 * 40 + 300);
            for (size_t i = 0; i < idx.size(); ++i) idx[i] = uint8_t(i % 4);
            g.LiteralFrame(idx, 2);
            g.Trailer();
            TestSurface s(kind, 4, 4, 1);
            CKVGIF gif{};
            RAW raw{};
            ASSERT_TRUE(LoadInfoGIF(s.desc, g.bytes.data(), long(g.bytes.size()), gif, raw));
            ASSERT_TRUE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
            EXPECT_TRUE(LoadGIF(s.desc, g.bytes.data(), gif, raw));
            EXPECT_TRUE(OuterGuardsIntact(s)) << KindName(kind);
            EXPECT_FALSE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
        }
    }
}

// A frame far taller than the surface stops decoding once no row it has
// left can land in the surface; the frame after it still decodes whole.
TEST(Gif, FrameAfterAnOversizedOneDecodes) {
    for (bool il : {false, true}) {
        GifWriter g(4, 3, 4);
        g.Descriptor(4, 3000, il);
        std::vector<uint8_t> big(4 * 3000);
        for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t((i / 4) % 4);
        g.LiteralFrame(big, 2);
        const std::vector<uint8_t> small = {3, 2, 1, 0, 0, 1, 2, 3, 1, 1, 2, 2};
        g.Descriptor(4, 3);
        g.LiteralFrame(small, 2);
        g.Trailer();
        TestSurface s(8, 4, 3);
        CKVGIF gif{};
        RAW raw{};
        ASSERT_TRUE(LoadInfoGIF(s.desc, g.bytes.data(), long(g.bytes.size()), gif, raw));
        ASSERT_TRUE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
        EXPECT_TRUE(LoadGIF(s.desc, g.bytes.data(), gif, raw));
        // Rows 0, 1, 2 of the frame; interlaced, rows 2 and 1 are the first
        // of the third and fourth passes, stream rows 750 and 1500.
        const uint8_t r1 = il ? 1500 % 4 : 1, r2 = il ? 750 % 4 : 2;
        EXPECT_EQ(s.Pixels(), (std::vector<uint8_t>{0, 0, 0, 0, r1, r1, r1, r1, r2, r2, r2, r2})) << il;
        ASSERT_TRUE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw)) << il;
        EXPECT_TRUE(LoadGIF(s.desc, g.bytes.data(), gif, raw));
        EXPECT_EQ(s.Pixels(), small) << il;
        EXPECT_FALSE(LoadGIFNext(s.desc, g.bytes.data(), gif, raw));
        EXPECT_TRUE(s.GuardsIntact());
    }
}

TEST(Gif, DamagedCodesAndLongChainsAreBounded) {
    Rng rng(5);
    for (int round = 0; round < 200; ++round) {
        const int min = rng.Range(2, 8);
        GifWriter g(16, 16);
        g.Descriptor(16, 16, rng.Chance(50));
        g.Byte(min);
        CodeWriter cw;
        int width = min + 1;
        cw.Put(1 << min, width);
        for (int i = 0; i < 3000; ++i) {
            // Runs of one index build long chains; random codes damage them.
            const int code = rng.Chance(70) ? ((1 << min) + 2 + i) % (1 << width) : rng.Range(0, (1 << width) - 1);
            cw.Put(code, width);
            if (width < 12 && i > (1 << width)) ++width;
        }
        g.Raw(cw.SubBlocks());
        g.Trailer();
        for (int kind : {8, 32}) {
            TestSurface s(kind, 16, 16);
            CKVGIF gif{};
            RAW raw{};
            TSurfDesc info{};
            ASSERT_TRUE(LoadInfoGIF(info, g.bytes.data(), long(g.bytes.size()), gif, raw));
            if (LoadGIFNext(s.desc, g.bytes.data(), gif, raw)) LoadGIF(s.desc, g.bytes.data(), gif, raw);
            ASSERT_TRUE(OuterGuardsIntact(s)) << round;
        }
        // A whole frame is decoded by copying earlier output, a frame that
        // does not fit (one row short here) by walking the code chains: the
        // rows both hold must agree, damage included.
        TestSurface whole(8, 16, 16), cut(8, 16, 15);
        for (TestSurface *t : {&whole, &cut}) {
            CKVGIF gif{};
            RAW raw{};
            TSurfDesc info{};
            ASSERT_TRUE(LoadInfoGIF(info, g.bytes.data(), long(g.bytes.size()), gif, raw));
            ASSERT_TRUE(LoadGIFNext(t->desc, g.bytes.data(), gif, raw));
            LoadGIF(t->desc, g.bytes.data(), gif, raw);
        }
        if (!(g.bytes[13 + 9] & 0x40)) {
            ASSERT_EQ(0, memcmp(whole.desc.bits, cut.desc.bits, 16 * 15)) << round;
        }
    }
}

// Every prefix of a file, and files with bytes changed, through the
// length-aware entry: nothing is read past the end (ASan sees the copy's
// exact size) and nothing written past the surface.
TEST(Gif, TruncatedAndMutatedFiles) {
    Rng rng(9);
    for (const char *name : {"anim_local", "interlaced", "pal2", "lzw4096"}) {
        const std::vector<uint8_t> file = ReadFile(DataPath(std::string("gif/") + name + ".gif"));
        GifRef ref;
        ASSERT_TRUE(LoadGifRef(DataPath(std::string("gif/") + name + ".ref"), ref));
        const size_t step = file.size() > 3000 ? 97 : 7;
        for (size_t n = 0; n < file.size(); n += step) {
            std::vector<uint8_t> cut(file.begin(), file.begin() + n);
            TestSurface s(n % 2 ? 24 : 8, ref.width, ref.height);
            const Decoded d = DecodeAll(cut, s, [](int, RAW &) {});
            EXPECT_LE(size_t(d.frames), ref.frames.size());
            ASSERT_TRUE(OuterGuardsIntact(s)) << name << " cut at " << n;
        }
        for (int m = 0; m < 150; ++m) {
            std::vector<uint8_t> bad = file;
            const int changes = rng.Range(1, 8);
            for (int c = 0; c < changes; ++c) bad[size_t(rng.Range(0, int(bad.size()) - 1))] = uint8_t(rng.U32());
            TestSurface s(AllKinds()[size_t(m % 7)], rng.Range(1, ref.width), rng.Range(1, ref.height), m % 3);
            DecodeAll(bad, s, [](int, RAW &) {});
            DecodeAll(
                bad, s, [](int, RAW &) {}, true);
            ASSERT_TRUE(OuterGuardsIntact(s)) << name << " mutation " << m;
        }
    }
}

}  // namespace

namespace {

// Offset of the zero-length sub-block that ends the data of the frame whose
// minimum code size byte is at `at`.
size_t TerminatorAfter(const std::vector<uint8_t> &f, size_t at) {
    size_t p = at + 1;
    while (p < f.size() && f[p] != 0) p += 1 + f[p];
    return p;
}

// One frame of 60 literal indices (9-bit codes), then a second frame.
struct TwoFrames {
    std::vector<uint8_t> first, second;
    GifWriter g{10, 6, 256};
    size_t minSizeAt = 0, terminator = 0;
    TwoFrames() {
        for (int i = 0; i < 60; ++i) first.push_back(uint8_t((i * 7) % 100));
        for (int i = 0; i < 60; ++i) second.push_back(uint8_t(99 - i));
        g.Descriptor(10, 6);
        minSizeAt = g.bytes.size();
        g.LiteralFrame(first, 8);
        terminator = TerminatorAfter(g.bytes, minSizeAt);
        g.Descriptor(10, 6);
        g.LiteralFrame(second, 8);
        g.Trailer();
    }
};

// Decodes the first frame of `bytes` into an 8-bit surface filled with
// 0xEE; the frame call's result. Callers pass exact-size copies, so that
// ASan sees any read past them.
bool FirstFrame(std::vector<uint8_t> &bytes, bool bounded, bool alpha, TestSurface &s, CKVGIF &gif, RAW &raw) {
    TSurfDesc info{};
    s.Fill(0xEE);
    bool open;
    if (bounded)
        open = alpha ? LoadInfoGIFAlpha(info, bytes.data(), long(bytes.size()), gif, raw)
                     : LoadInfoGIF(info, bytes.data(), long(bytes.size()), gif, raw);
    else
        open = alpha ? LoadInfoGIFAlpha(info, bytes.data(), gif, raw) : LoadInfoGIF(info, bytes.data(), gif, raw);
    EXPECT_TRUE(open);
    EXPECT_TRUE(alpha ? LoadGIFAlphaNext(s.desc, bytes.data(), gif, raw) : LoadGIFNext(s.desc, bytes.data(), gif, raw));
    const bool ok = alpha ? LoadGIFAlpha(s.desc, bytes.data(), gif, raw) : LoadGIF(s.desc, bytes.data(), gif, raw);
    // Every later call answers false once a frame call failed.
    if (!ok) {
        EXPECT_EQ(gif.stream, nullptr);
        EXPECT_FALSE(alpha ? LoadGIFAlphaNext(s.desc, bytes.data(), gif, raw)
                           : LoadGIFNext(s.desc, bytes.data(), gif, raw));
        EXPECT_FALSE(alpha ? LoadGIFAlpha(s.desc, bytes.data(), gif, raw) : LoadGIF(s.desc, bytes.data(), gif, raw));
    }
    return ok;
}

// The stream's end before the frame's end code: false, and the indices
// decoded before it stay written. The end code is in the last data byte:
// a cut there fails, a cut that keeps it (terminator and trailer gone)
// succeeds.
TEST(GifLength, FrameCutBeforeItsEndCodeFails) {
    TwoFrames t;
    for (bool alpha : {false, true}) {
        for (size_t n = t.minSizeAt + 1; n <= t.terminator + 1; ++n) {
            std::vector<uint8_t> cut(t.g.bytes.begin(), t.g.bytes.begin() + long(n));
            TestSurface s(8, 10, 6);
            CKVGIF gif{};
            RAW raw{};
            const bool ok = FirstFrame(cut, true, alpha, s, gif, raw);
            EXPECT_EQ(ok, n >= t.terminator) << "cut at " << n << " alpha " << alpha;
            // Decoded: a prefix of the indices; the rest as it was.
            const std::vector<uint8_t> px = s.Pixels();
            size_t k = 0;
            while (k < px.size() && px[k] == t.first[k]) ++k;
            for (size_t i = k; i < px.size(); ++i) ASSERT_EQ(px[i], 0xEE) << n << " " << i;
            // 9-bit codes after the clear code: every index whose code lies
            // wholly before the cut.
            const long dataBits = 8 * (long(n) - long(t.minSizeAt + 2));  // less the min size, length byte
            const long whole = dataBits / 9 - 1;
            EXPECT_GE(long(k), std::min(60L, std::max(0L, whole))) << "cut at " << n;
            EXPECT_TRUE(s.GuardsIntact());
        }
    }
    // The frame's data complete: true, and the frame after it decodes.
    for (bool bounded : {true, false}) {
        TestSurface s(8, 10, 6);
        CKVGIF gif{};
        RAW raw{};
        ASSERT_TRUE(FirstFrame(t.g.bytes, bounded, false, s, gif, raw));
        EXPECT_EQ(s.Pixels(), t.first);
        ASSERT_TRUE(LoadGIFNext(s.desc, t.g.bytes.data(), gif, raw));
        ASSERT_TRUE(LoadGIF(s.desc, t.g.bytes.data(), gif, raw));
        EXPECT_EQ(s.Pixels(), t.second);
    }
}

// The same into 32 bits (the decoded indices are converted before the
// false return) and through the chain-walking path (interlaced, and a
// surface smaller than the frame).
TEST(GifLength, CutFrameConvertedAsFarAsDecoded) {
    TwoFrames t;
    std::vector<uint8_t> cut(t.g.bytes.begin(), t.g.bytes.begin() + long(t.terminator - 20));
    TSurfDesc info{};
    {
        TestSurface s(32, 10, 6);
        CKVGIF gif{};
        RAW raw{};
        ASSERT_TRUE(LoadInfoGIF(info, cut.data(), long(cut.size()), gif, raw));
        ASSERT_TRUE(LoadGIFNext(s.desc, cut.data(), gif, raw));
        EXPECT_FALSE(LoadGIF(s.desc, cut.data(), gif, raw));
        // GifWriter's colour i: red i, green 255 - i, blue 3 i.
        for (int i = 0; i < 40; ++i) {
            const int v = t.first[size_t(i)];
            const uint8_t rgb[3] = {uint8_t(v), uint8_t(255 - v), uint8_t(3 * v)};
            ASSERT_EQ(Stored(32, s.Row(i / 10) + (i % 10) * 4), Expected(32, rgb)) << i;
        }
        EXPECT_EQ(gif.stream, nullptr);
    }
    // Interlaced: rows 0 and 4 (the first two passes) hold 20 indices.
    GifWriter il(10, 6, 256);
    il.Descriptor(10, 6, true);
    const size_t at = il.bytes.size();
    il.LiteralFrame(t.first, 8);
    il.Trailer();
    const size_t term = TerminatorAfter(il.bytes, at);
    std::vector<uint8_t> icut(il.bytes.begin(), il.bytes.begin() + long(term - 20));
    for (int h : {6, 5}) {
        TestSurface s(8, 10, h);
        CKVGIF gif{};
        RAW raw{};
        s.Fill(0xEE);
        ASSERT_TRUE(LoadInfoGIF(info, icut.data(), long(icut.size()), gif, raw));
        ASSERT_TRUE(LoadGIFNext(s.desc, icut.data(), gif, raw));
        EXPECT_FALSE(LoadGIF(s.desc, icut.data(), gif, raw)) << h;
        EXPECT_EQ(0, memcmp(s.Row(0), &t.first[0], 10)) << h;
        EXPECT_EQ(0, memcmp(s.Row(4), &t.first[10], 10)) << h;
        EXPECT_FALSE(LoadGIFNext(s.desc, icut.data(), gif, raw));
    }
}

// Every cut of an encoder's file inside its frame's data: false exactly
// until the end code is in; what is decoded agrees with the reference.
TEST(GifLength, EncodersFileCutAtEveryLength) {
    for (const char *name : {"lzw4096", "still", "interlaced"}) {
        const std::vector<uint8_t> file = ReadFile(DataPath(std::string("gif/") + name + ".gif"));
        GifRef ref;
        ASSERT_TRUE(LoadGifRef(DataPath(std::string("gif/") + name + ".ref"), ref));
        // The first descriptor, its local table and the minimum code size.
        size_t p = 13 + ((file[10] & 0x80) ? 3 * (2u << (file[10] & 7)) : 0);
        while (file[p] == '!') {
            p += 2;
            while (file[p]) p += 1 + file[p];
            ++p;
        }
        ASSERT_EQ(file[p], ',');
        const bool interlaced = file[p + 9] & 0x40;
        p += 10 + ((file[p + 9] & 0x80) ? 3 * (2u << (file[p + 9] & 7)) : 0);
        const size_t term = TerminatorAfter(file, p);
        ASSERT_LT(term, file.size());
        size_t lastGood = 0;
        const size_t step = (term - p) / 97 + 1;
        for (size_t n = p + 1; n <= term + 2; n += (n + step < term - 3 ? step : 1)) {
            std::vector<uint8_t> cut(file.begin(), file.begin() + long(n));
            TestSurface s(8, ref.width, ref.height);
            CKVGIF gif{};
            RAW raw{};
            const bool ok = FirstFrame(cut, true, false, s, gif, raw);
            EXPECT_EQ(ok, n >= term) << name << " cut at " << n << " of " << term;
            if (interlaced) continue;
            const std::vector<uint8_t> px = s.Pixels();
            size_t k = 0;
            while (k < px.size() && px[k] == ref.frames[0].indices[k]) ++k;
            EXPECT_GE(k, lastGood) << name << " " << n;
            lastGood = k;
        }
        if (!interlaced) {
            EXPECT_EQ(lastGood, size_t(ref.width) * ref.height) << name;
        }
    }
}

// A frame call that fails leaves the decoder closed in both forms: later
// calls read nothing. Here the minimum code size is 11, which leaves the
// stream inside the frame's data; the second frame is never reached.
TEST(Gif, FailedFrameCallClosesTheDecoder) {
    // Read on, the first data would pass for a descriptor; the second for
    // an extension whose 255-byte sub-block ends far past the buffer.
    const std::vector<uint8_t> data[] = {{5, 0x40, ',', 0x01, 0xFF, 0x40, 0}, {5, '!', 0x01, 0xFF, 0x40, 0x40, 0}};
    for (const std::vector<uint8_t> &d : data) {
        for (bool bounded : {true, false}) {
            for (bool alpha : {false, true}) {
                GifWriter g(4, 1, 4);
                g.Descriptor(4, 1);
                g.Byte(11);
                g.Raw(d);
                g.Descriptor(4, 1);
                g.LiteralFrame({1, 2, 3, 0}, 2);
                g.Trailer();
                std::vector<uint8_t> exact(g.bytes.begin(), g.bytes.end());
                TestSurface s(8, 4, 1);
                CKVGIF gif{};
                RAW raw{};
                EXPECT_FALSE(FirstFrame(exact, bounded, alpha, s, gif, raw)) << bounded << alpha;
                EXPECT_EQ(gif.stream, nullptr);
                EXPECT_TRUE(LoadGIFEnd(s.desc, exact.data(), gif, raw));
            }
        }
    }
    // Other failures close it too: a kind no kernel takes, null pixels.
    TwoFrames t;
    TestSurface bad(8, 10, 6);
    bad.desc.bpp = 15;
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoGIF(info, t.g.bytes.data(), gif, raw));
    ASSERT_TRUE(LoadGIFNext(bad.desc, t.g.bytes.data(), gif, raw));
    EXPECT_FALSE(LoadGIF(bad.desc, t.g.bytes.data(), gif, raw));
    EXPECT_EQ(gif.stream, nullptr);
    EXPECT_FALSE(LoadGIFNext(bad.desc, t.g.bytes.data(), gif, raw));
    TSurfDesc none = info;
    none.scanWidth = none.width;
    ASSERT_TRUE(LoadInfoGIFAlpha(info, t.g.bytes.data(), gif, raw));
    ASSERT_TRUE(LoadGIFAlphaNext(none, t.g.bytes.data(), gif, raw));
    EXPECT_FALSE(LoadGIFAlpha(none, t.g.bytes.data(), gif, raw));
    EXPECT_EQ(gif.stream, nullptr);
    EXPECT_FALSE(LoadGIFAlphaNext(none, t.g.bytes.data(), gif, raw));
}

// A stream that ends without its trailer: LoadGIFNext false, decoder closed.
TEST(GifLength, StreamEndingWithoutTrailerCloses) {
    TwoFrames t;
    std::vector<uint8_t> cut(t.g.bytes.begin(), t.g.bytes.end() - 1);
    TestSurface s(8, 10, 6);
    CKVGIF gif{};
    RAW raw{};
    ASSERT_TRUE(FirstFrame(cut, true, false, s, gif, raw));
    ASSERT_TRUE(LoadGIFNext(s.desc, cut.data(), gif, raw));
    ASSERT_TRUE(LoadGIF(s.desc, cut.data(), gif, raw));
    EXPECT_FALSE(LoadGIFNext(s.desc, cut.data(), gif, raw));
    EXPECT_EQ(gif.stream, nullptr);
}

// Two streams open at once on one thread, read turn about: each record
// keeps its own stream's end, whichever was opened last, in both forms.
TEST(GifLength, StreamsOpenAtOnceKeepTheirOwnEnds) {
    TwoFrames t;
    std::vector<uint8_t> cut(t.g.bytes.begin(), t.g.bytes.begin() + long(t.terminator - 20));
    for (bool cutFirst : {true, false}) {
        for (bool wholeBounded : {true, false}) {
            std::vector<uint8_t> whole = t.g.bytes;
            TestSurface sc(8, 10, 6), sw(8, 10, 6);
            sc.Fill(0xEE);
            sw.Fill(0xEE);
            CKVGIF gc{}, gw{};
            RAW rc{}, rw{};
            TSurfDesc info{};
            const auto openCut = [&] { return LoadInfoGIF(info, cut.data(), long(cut.size()), gc, rc); };
            const auto openWhole = [&] {
                return wholeBounded ? LoadInfoGIF(info, whole.data(), long(whole.size()), gw, rw)
                                    : LoadInfoGIF(info, whole.data(), gw, rw);
            };
            ASSERT_TRUE(cutFirst ? openCut() && openWhole() : openWhole() && openCut());
            ASSERT_TRUE(LoadGIFNext(sc.desc, cut.data(), gc, rc));
            ASSERT_TRUE(LoadGIFNext(sw.desc, whole.data(), gw, rw));
            EXPECT_FALSE(LoadGIF(sc.desc, cut.data(), gc, rc)) << cutFirst << wholeBounded;
            EXPECT_EQ(gc.stream, nullptr);
            ASSERT_TRUE(LoadGIF(sw.desc, whole.data(), gw, rw));
            EXPECT_EQ(sw.Pixels(), t.first);
            const std::vector<uint8_t> px = sc.Pixels();
            EXPECT_TRUE(std::equal(px.begin(), px.begin() + 40, t.first.begin()));
            EXPECT_FALSE(LoadGIFNext(sc.desc, cut.data(), gc, rc));
            ASSERT_TRUE(LoadGIFNext(sw.desc, whole.data(), gw, rw));
            ASSERT_TRUE(LoadGIF(sw.desc, whole.data(), gw, rw));
            EXPECT_EQ(sw.Pixels(), t.second);
            EXPECT_FALSE(LoadGIFNext(sw.desc, whole.data(), gw, rw));
            EXPECT_TRUE(LoadGIFEnd(sw.desc, whole.data(), gw, rw));
            EXPECT_TRUE(LoadGIFEnd(sc.desc, cut.data(), gc, rc));
        }
    }
}

// Callers keep records by value: a copy of an open record reads on within
// the original's length, whole streams to the end and cut ones to the cut.
TEST(GifLength, CopiedRecordKeepsItsStreamsEnd) {
    TwoFrames t;
    std::vector<uint8_t> cut(t.g.bytes.begin(), t.g.bytes.begin() + long(t.terminator - 20));
    for (bool whole : {true, false}) {
        std::vector<uint8_t> bytes = whole ? t.g.bytes : cut;
        TestSurface s(8, 10, 6);
        s.Fill(0xEE);
        CKVGIF opened{};
        RAW raw{};
        TSurfDesc info{};
        ASSERT_TRUE(LoadInfoGIF(info, bytes.data(), long(bytes.size()), opened, raw));
        ASSERT_TRUE(LoadGIFNext(s.desc, bytes.data(), opened, raw));
        CKVGIF gif = opened;
        opened = CKVGIF{};
        if (!whole) {
            EXPECT_FALSE(LoadGIF(s.desc, bytes.data(), gif, raw));
            EXPECT_EQ(gif.stream, nullptr);
            continue;
        }
        ASSERT_TRUE(LoadGIF(s.desc, bytes.data(), gif, raw));
        EXPECT_EQ(s.Pixels(), t.first);
        ASSERT_TRUE(LoadGIFNext(s.desc, bytes.data(), gif, raw));
        ASSERT_TRUE(LoadGIF(s.desc, bytes.data(), gif, raw));
        EXPECT_EQ(s.Pixels(), t.second);
        EXPECT_FALSE(LoadGIFNext(s.desc, bytes.data(), gif, raw));
        EXPECT_TRUE(LoadGIFEnd(s.desc, bytes.data(), gif, raw));
    }
}

}  // namespace
