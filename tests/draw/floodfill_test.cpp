#include <gtest/gtest.h>

#include <deque>

#include "tests/draw/drawtest.h"

using namespace drawtest;
using kvtest::TestSurface;

namespace {

// The colour Rellena reads (0x00RRGGBB), written back by SetPixel.
uint32_t Colour(TestSurface &s, int x, int y) { return s.desc.bpp == 8 ? 0 : uint32_t(GetPixel(*s, x, y)) & 0xFFFFFF; }

bool Similar(TestSurface &s, int x, int y, uint32_t ref, uint32_t tol) {
    if (x < 0 || y < 0 || x >= s.desc.width || y >= s.desc.height) return false;
    const uint32_t k = Colour(s, x, y);
    uint32_t d = 0;
    for (int sh = 0; sh < 24; sh += 8) d += uint8_t((ref >> sh) - (k >> sh));
    return d <= tol;
}

uint8_t Bits(TestSurface &s, int x, int y, uint32_t ref, uint32_t tol) {
    return uint8_t((Similar(s, x, y - 1, ref, tol) ? 1 : 0) | (Similar(s, x, y + 1, ref, tol) ? 2 : 0) |
                   (Similar(s, x + 1, y, ref, tol) ? 4 : 0) | (Similar(s, x - 1, y, ref, tol) ? 8 : 0));
}

// Breadth-first model of the fill: the mask it should leave (zero mask in).
std::vector<uint8_t> ModelMask(TestSurface &s, int mw, int mh, int sx, int sy, uint32_t tol, uint32_t ref,
                               uint32_t fill) {
    std::vector<uint8_t> m(size_t(mw * mh), 0);
    auto inside = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < s.desc.width && y < s.desc.height && x < mw && y < mh;
    };
    if (!inside(sx, sy) || ref == fill) return m;
    const uint8_t b0 = Bits(s, sx, sy, ref, tol);
    if (!b0) return m;
    m[size_t(sy * mw + sx)] = b0;
    std::deque<std::pair<int, int>> q{{sx, sy}};
    while (!q.empty()) {
        const auto [x, y] = q.front();
        q.pop_front();
        const int d[4][2] = {{0, -1}, {0, 1}, {1, 0}, {-1, 0}};
        for (int i = 0; i < 4; ++i) {
            const int nx = x + d[i][0], ny = y + d[i][1];
            if (!(m[size_t(y * mw + x)] & (1 << i)) || !inside(nx, ny) || m[size_t(ny * mw + nx)]) continue;
            const uint8_t nb = Bits(s, nx, ny, ref, tol);
            if (!nb) continue;
            m[size_t(ny * mw + nx)] = nb;
            q.push_back({nx, ny});
        }
    }
    return m;
}

std::vector<uint8_t> MaskBytes(TestSurface &m) { return m.Pixels(); }

// Runs Rellena and checks image and mask against the model.
int CheckFill(TestSurface &img, TestSurface &mask, int sx, int sy, uint32_t tol, uint32_t ref, uint32_t fill) {
    std::vector<uint32_t> before;
    for (int y = 0; y < img.desc.height; ++y)
        for (int x = 0; x < img.desc.width; ++x) before.push_back(Raw(img, x, y));
    const std::vector<uint8_t> want = ModelMask(img, mask.desc.width, mask.desc.height, sx, sy, tol, ref, fill);
    mask.Fill(0);
    EXPECT_TRUE(Rellena(*img, *mask, sx, sy, tol, ref, fill));
    EXPECT_EQ(MaskBytes(mask), want);
    // What SetPixel stores for the fill colour on this kind.
    TestSurface one(kvtest::KindByNumber(img.desc.bpp == 16 ? 16 : 32).kind, 1, 1);
    one.desc.rMask = img.desc.rMask;
    one.desc.aMask = img.desc.aMask;
    SetPixel(*one, 0, 0, fill);
    const uint32_t fill16 = Raw(one, 0, 0);
    for (int y = 0; y < img.desc.height; ++y)
        for (int x = 0; x < img.desc.width; ++x) {
            const bool painted = img.desc.bpp != 8 && x < mask.desc.width && y < mask.desc.height &&
                                 want[size_t(y * mask.desc.width + x)] != 0;
            uint32_t expect = before[size_t(y * img.desc.width + x)];
            if (painted) {
                if (img.desc.bpp == 32)
                    expect = (expect & 0xFF000000u) | (fill & 0xFFFFFF);
                else if (img.desc.bpp == 24)
                    expect = fill & 0xFFFFFF;
                else
                    expect = fill16;
            }
            EXPECT_EQ(Raw(img, x, y), expect) << x << "," << y;
        }
    EXPECT_TRUE(img.GuardsIntact() && mask.GuardsIntact());
    int n = 0;
    for (uint8_t b : want) n += b != 0;
    return n;
}

// A maze of walls: corridors one pixel wide, dead ends, diagonal contacts.
void DrawMaze(TestSurface &s, kvtest::Rng &rng, uint32_t wall, uint32_t floor, uint32_t nearFloor) {
    for (int y = 0; y < s.desc.height; ++y)
        for (int x = 0; x < s.desc.width; ++x) {
            const bool open = (x % 2 == 1 && y % 2 == 1) || rng.Chance(70);
            SetPixel(*s, x, y, open ? (rng.Chance(20) ? nearFloor : floor) : wall);
        }
}

class FloodKinds : public ::testing::TestWithParam<int> {};

TEST_P(FloodKinds, MazeMatchesTheFourConnectedRegion) {
    const int kind = GetParam();
    int marked = 0;
    for (int seed = 0; seed < 12; ++seed) {
        kvtest::Rng rng(uint64_t(seed) + 100);
        TestSurface img(kind, rng.Range(5, 31), rng.Range(5, 23), rng.Range(0, 3));
        // nearFloor sits 8 below the floor in blue (distance 8) and, for
        // tolerance 0, is a wall; 8 above it would be far (wrap).
        DrawMaze(img, rng, 0x00FF0000, 0x00408040, seed % 3 == 0 ? 0x00408048 : 0x00408038);
        const bool smallMask = seed % 4 == 3;
        TestSurface mask(8, img.desc.width - (smallMask ? 3 : 0), img.desc.height - (smallMask ? 2 : 0), 1);
        const uint32_t tol = seed % 2 ? 0 : 16;
        // 8-bit pixels all read as colour 0.
        const uint32_t ref = kind == 8 ? 0 : uint32_t(GetPixel(*img, 1, 1)) & 0xFFFFFF;
        CheckFill(img, mask, rng.Range(0, img.desc.width - 1), rng.Range(0, img.desc.height - 1), tol, ref, 0x00102030);
        marked += CheckFill(img, mask, 1, 1, tol, ref, 0x00FFFFFF);
    }
    EXPECT_GT(marked, 200);
}

TEST_P(FloodKinds, CorridorSeededOnItsSecondRowFillsItAll) {
    TestSurface img(GetParam(), 5, 8, 1), mask(8, 5, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 5; ++x) SetPixel(*img, x, y, x == 2 ? 0x00000080 : 0x00FFFFFF);
    // A diagonal touch at the corridor's foot must not leak.
    SetPixel(*img, 3, 7, 0x00000080);
    SetPixel(*img, 4, 7, 0x00000080);
    SetPixel(*img, 2, 7, 0x00FFFFFF);
    SetPixel(*img, 3, 6, 0x00FFFFFF);
    CheckFill(img, mask, 2, 1, 0, 0x00000080, 0x0000FF00);
    if (GetParam() == 8) return;  // indices all read as colour 0
    int painted = 0;
    for (int y = 0; y < 8; ++y) painted += mask.Row(y)[2] != 0;
    EXPECT_EQ(painted, 7);
    EXPECT_EQ(mask.Row(7)[3], 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FloodKinds, ::testing::ValuesIn(kvtest::AllKinds()),
                         [](const auto &i) { return kvtest::KindName(i.param); });

TEST(Flood, SquareOnBackground) {
    TestSurface img(32, 8, 8, 2), mask(8, 8, 8, 3);
    FillRaw(img, 0x11000000);
    for (int y = 2; y < 6; ++y)
        for (int x = 3; x < 7; ++x) SetRaw(img, x, y, 0x22445566);
    mask.Fill(0);
    EXPECT_TRUE(Rellena(*img, *mask, 4, 3, 0, 0x445566, 0xFF0000FF));
    int n = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool in = x >= 3 && x < 7 && y >= 2 && y < 6;
            EXPECT_EQ(Raw(img, x, y), in ? 0x220000FFu : 0x11000000u);  // alpha byte kept
            EXPECT_EQ(mask.Row(y)[x] != 0, in);
            n += in;
        }
    EXPECT_EQ(n, 16);
    EXPECT_EQ(mask.Row(2)[3], 2 | 4);          // top-left corner: below and right
    EXPECT_EQ(mask.Row(3)[4], 1 | 2 | 4 | 8);  // inside: all four
    EXPECT_EQ(mask.Row(5)[6], 1 | 8);
}

TEST(Flood, NothingToDo) {
    TestSurface img(24, 5, 5), mask(8, 5, 5);
    FillRaw(img, 0x000000);
    SetRaw(img, 2, 2, 0x123456);
    mask.Fill(0);
    // The seed's own colour is never compared: a lone pixel has no similar neighbour.
    EXPECT_TRUE(Rellena(*img, *mask, 2, 2, 0, 0x123456, 0xFFFFFF));
    EXPECT_EQ(Raw(img, 2, 2), 0x123456u);
    // ref equal to fill.
    EXPECT_TRUE(Rellena(*img, *mask, 0, 0, 0, 0x000000, 0x000000));
    // Seeds outside the image or the mask.
    EXPECT_TRUE(Rellena(*img, *mask, -1, 0, 0, 0, 1));
    EXPECT_TRUE(Rellena(*img, *mask, 5, 5, 0, 0, 1));
    EXPECT_TRUE(Changed(mask, 0).empty());
    EXPECT_TRUE(Changed(img, 0).size() == 1);
    // A seed already marked is painted alone.
    mask.Row(4)[4] = 3;
    EXPECT_TRUE(Rellena(*img, *mask, 4, 4, 0, 0, 0xABCDEF));
    EXPECT_EQ(Raw(img, 4, 4), 0xABCDEFu);
    EXPECT_EQ(Raw(img, 3, 4), 0u);
}

TEST(Flood, EightBitImagesMarkButAreNotPainted) {
    TestSurface img(8, 4, 3), mask(8, 4, 3);
    kvtest::Rng rng(1);
    img.Randomize(rng);
    const std::vector<uint8_t> before = img.Pixels();
    mask.Fill(0);
    // Every index reads as colour 0: all similar to ref 0.
    EXPECT_TRUE(Rellena(*img, *mask, 1, 1, 0, 0, 5));
    EXPECT_EQ(img.Pixels(), before);
    EXPECT_EQ(mask.Row(0)[0], 2 | 4);
    EXPECT_EQ(mask.Row(1)[1], 15);
}

}  // namespace
