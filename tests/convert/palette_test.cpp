// Palette builders, the nearest-colour search (through Convert mode 2 and
// Convert8_8) and an exhaustive check of the fast search over every colour.
#include <gtest/gtest.h>
#include <string.h>

#include <array>
#include <memory>
#include <vector>

#include "tests/common/testsurf.h"

using kvtest::Rng;
using kvtest::TestSurface;

namespace {

// The scan as the game's stored 8-bit images were made with it.
int NaiveNearest(const TRGBA *pal, int r, int g, int b) {
    int best = 0xFFFFFF, idx = 0;
    for (int k = 0; k < 256; ++k) {
        const int d = ((b - pal[k].b) & 255) + ((g - pal[k].g) & 255) + ((r - pal[k].r) & 255);
        if (d <= best) {
            best = d;
            idx = k;
        }
    }
    return idx;
}

// Nearest index of every colour (index r << 16 | g << 8 | b of the result),
// without scanning 256 entries per colour: for one red and green, the best
// entry of each blue value, then a sweep round the blue circle in which the
// best so far moves one step further with each step.
std::vector<uint8_t> NearestTable(const TRGBA *pal, const std::vector<int> &reds) {
    std::vector<uint8_t> out(size_t(reds.size()) << 16);
    const int kInf = 1 << 30;
    size_t o = 0;
    for (int r : reds) {
        for (int g = 0; g < 256; ++g) {
            int md[256], mk[256];
            for (int v = 0; v < 256; ++v) md[v] = kInf, mk[v] = -1;
            for (int k = 0; k < 256; ++k) {
                const int c = ((r - pal[k].r) & 255) + ((g - pal[k].g) & 255);
                if (c <= md[pal[k].b]) md[pal[k].b] = c, mk[pal[k].b] = k;
            }
            int rd = kInf, rk = -1;
            for (int i = 0; i < 512; ++i) {
                const int tb = i & 255;
                if (rd < kInf) ++rd;
                if (md[tb] < rd || (md[tb] == rd && mk[tb] > rk)) rd = md[tb], rk = mk[tb];
                if (i >= 256) out[o + (size_t(g) << 8) + tb] = uint8_t(rk);
            }
        }
        o += size_t(1) << 16;
    }
    return out;
}

struct NamedPalette {
    const char *name;
    std::vector<TRGBA> pal;
};

std::vector<NamedPalette> SearchPalettes() {
    std::vector<NamedPalette> all;
    TRGBA p[256];
    memset(p, 0, sizeof p);
    CreateModelPal(p);
    all.push_back({"model", std::vector<TRGBA>(p, p + 256)});
    CreateGreyPal(p);
    all.push_back({"grey", std::vector<TRGBA>(p, p + 256)});
    CreateTruncPal(p);
    all.push_back({"trunc", std::vector<TRGBA>(p, p + 256)});
    Rng rng(77);
    for (TRGBA &e : p) {
        const uint32_t v = rng.U32();
        e = TRGBA{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 0};
    }
    all.push_back({"random", std::vector<TRGBA>(p, p + 256)});
    // Few distinct colours, many repeats and clustered values: ties everywhere.
    for (int i = 0; i < 256; ++i) {
        const uint32_t v = rng.U32();
        p[i] = TRGBA{uint8_t(v & 0x83), uint8_t((v >> 8) & 0xC1), uint8_t((v >> 16) & 0x90), 0};
    }
    all.push_back({"clustered", std::vector<TRGBA>(p, p + 256)});
    return all;
}

using Rgb = std::array<int, 3>;
Rgb ColourOf(const TRGBA &e) { return {e.r, e.g, e.b}; }

// A builder's palette over entries whose bytes were all `fill`: builders write
// the colours and must leave every alpha byte as it was.
struct Palette {
    TRGBA e[256];
    const TRGBA &operator[](int i) const { return e[i]; }
};
Palette Built(void (*make)(TRGBA (&)[256]), uint8_t fill) {
    Palette p;
    memset(p.e, fill, sizeof p.e);
    make(p.e);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(p[i].a, fill) << i;
    return p;
}

TEST(Palettes, Truncated) {
    const Palette p = Built(CreateTruncPal, 0x5A);
    EXPECT_EQ(ColourOf(p[0xFF]), (Rgb{0xE0, 0xE0, 0xC0}));
    EXPECT_EQ(ColourOf(p[0x1C]), (Rgb{0, 0xE0, 0}));
    EXPECT_EQ(ColourOf(p[0x03]), (Rgb{0, 0, 0xC0}));
    // Mode 3 maps every palette colour back onto its own entry.
    for (int i = 0; i < 256; ++i) EXPECT_EQ((p[i].r & 0xE0) | ((p[i].g >> 5) << 2) | (p[i].b >> 6), i);
}

TEST(Palettes, Grey) {
    const Palette p = Built(CreateGreyPal, 0x33);
    EXPECT_EQ(ColourOf(p[0x80]), (Rgb{0x80, 0x80, 0x80}));
    for (int i = 0; i < 256; ++i) EXPECT_EQ(p[i].r, i);
}

// One lookup through Convert mode 2: a 24-bit pixel onto an 8-bit surface.
int Lookup(TRGBA *pal, int r, int g, int b) {
    TestSurface s(24, 1, 1), d(8, 1, 1);
    s.Row(0)[0] = uint8_t(b), s.Row(0)[1] = uint8_t(g), s.Row(0)[2] = uint8_t(r);
    d.desc.palette = pal;
    Convert(d.desc, s.desc, 2);
    return d.Row(0)[0];
}

TEST(NearestSearch, WrapsAndPrefersTheHighestIndex) {
    TRGBA grey[256];
    CreateGreyPal(grey);
    EXPECT_EQ(Lookup(grey, 10, 10, 10), 10);
    EXPECT_EQ(Lookup(grey, 10, 12, 10), 10);  // 11 and 12 are far: 10 - 12 wraps
    EXPECT_EQ(Lookup(grey, 0, 0, 0), 0);
    EXPECT_EQ(Lookup(grey, 255, 255, 255), 255);

    TRGBA p[256];
    for (TRGBA &e : p) e = TRGBA{200, 200, 200, 0};
    p[3] = p[7] = TRGBA{5, 6, 7, 0};
    EXPECT_EQ(Lookup(p, 7, 6, 5), 7);
    // Nothing exact: everything ties at the same distance, the last wins.
    for (TRGBA &e : p) e = TRGBA{9, 9, 9, 0};
    EXPECT_EQ(Lookup(p, 1, 1, 1), 255);
}

TEST(NearestSearch, ReferenceTableMatchesTheScan) {
    Rng rng(5);
    for (const NamedPalette &np : SearchPalettes()) {
        const std::vector<int> reds = {0, 1, 127, 254, 255, rng.Range(0, 255)};
        const std::vector<uint8_t> t = NearestTable(np.pal.data(), reds);
        for (int i = 0; i < 3000; ++i) {
            const size_t ri = size_t(rng.Range(0, int(reds.size()) - 1));
            const int g = rng.Range(0, 255), b = rng.Range(0, 255);
            ASSERT_EQ(t[(ri << 16) | (size_t(g) << 8) | size_t(b)], NaiveNearest(np.pal.data(), reds[ri], g, b))
                << np.name << " " << reds[ri] << "," << g << "," << b;
        }
    }
}

// Every colour, each palette: Convert mode 2 on a large image (the fast
// search) against the reference table. The sanitizer builds take every
// seventeenth red plane and a few more.
#if defined(__SANITIZE_ADDRESS__)
#define KV_SAMPLED_SEARCH 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KV_SAMPLED_SEARCH 1
#endif
#endif

TEST(NearestSearch, FastSearchEqualsTheScanForEveryColour) {
    std::vector<int> reds;
#ifdef KV_SAMPLED_SEARCH
    for (int r = 0; r < 256; r += 17) reds.push_back(r);
    reds.push_back(1);
    reds.push_back(254);
#else
    for (int r = 0; r < 256; ++r) reds.push_back(r);
#endif
    // Planes of 256 x 256 colours stacked: blue along the row, green down.
    const int h = int(reds.size()) * 256;
    TestSurface src(24, 256, h), dst(8, 256, h);
    for (size_t i = 0; i < reds.size(); ++i)
        for (int g = 0; g < 256; ++g) {
            uint8_t *p = src.Row(int(i) * 256 + g);
            for (int b = 0; b < 256; ++b)
                p[3 * b] = uint8_t(b), p[3 * b + 1] = uint8_t(g), p[3 * b + 2] = uint8_t(reds[i]);
        }
    for (NamedPalette &np : SearchPalettes()) {
        dst.desc.palette = np.pal.data();
        Convert(dst.desc, src.desc, 2);
        const std::vector<uint8_t> want = NearestTable(np.pal.data(), reds);
        const std::vector<uint8_t> got = dst.Pixels();
        size_t bad = 0, first = 0;
        for (size_t i = 0; i < want.size(); ++i)
            if (got[i] != want[i] && bad++ == 0) first = i;
        EXPECT_EQ(bad, 0u) << np.name << ": first at plane " << first / 65536 << " g " << (first >> 8 & 255) << " b "
                           << (first & 255);
    }
}

TEST(Convert8_8, RemapsThroughTheNearestEntry) {
    TestSurface s(8, 5, 3, 3), d(8, 5, 3, 2);
    Rng rng(3);
    s.Randomize(rng);
    d.Fill(0);
    TRGBA grey[256];
    CreateGreyPal(grey);
    d.desc.palette = grey;
    for (int i = 0; i < 256; ++i) s.palette[i] = TRGBA{uint8_t(i), uint8_t(i ^ 0x55), uint8_t(255 - i), 0};
    s.desc.transColor = 0x1234;
    d.desc.transColor = 0xFFFFFFFFu;
    EXPECT_TRUE(Convert8_8(d.desc, s.desc));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const TRGBA &e = s.palette[s.Row(y)[x]];
            EXPECT_EQ(d.Row(y)[x], NaiveNearest(grey, e.r, e.g, e.b));
        }
    EXPECT_EQ(d.desc.transColor, 0x1234u);  // copied, not remapped
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(Convert8_8, IdenticalPalettesPickTheHighestDuplicate) {
    TestSurface s(8, 16, 16), d(8, 16, 16, 5);
    for (int i = 0; i < 256; ++i) s.palette[i] = TRGBA{uint8_t(i % 10), uint8_t(i % 10), uint8_t(i % 10), 0};
    memcpy(d.palette, s.palette, sizeof d.palette);
    for (int i = 0; i < 256; ++i) s.Row(i / 16)[i % 16] = uint8_t(i);
    s.desc.transColor = 0xFFFFFFFFu;
    d.desc.transColor = 0;
    Convert(d.desc, s.desc, 3);  // both 8 bits: the mode plays no part
    for (int i = 0; i < 256; ++i) EXPECT_EQ(d.Row(i / 16)[i % 16], 250 + i % 10 - (i % 10 > 5 ? 10 : 0)) << i;
    EXPECT_EQ(d.desc.transColor, 0xFFFFFFFFu);
    EXPECT_TRUE(d.GuardsIntact());
}

TEST(Convert8_8, MissingPalettes) {
    // No source palette: indices read as grey; no destination palette: the
    // global one.
    TestSurface s(8, 4, 1), d(8, 4, 1);
    s.desc.palette = nullptr;
    d.desc.palette = nullptr;
    const uint8_t idx[4] = {0, 51, 102, 255};
    memcpy(s.Row(0), idx, 4);
    Convert8_8(d.desc, s.desc);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(d.Row(0)[x], NaiveNearest(lu_gPaleta, idx[x], idx[x], idx[x]));
    EXPECT_EQ(d.Row(0)[3], 251);
}

}  // namespace
