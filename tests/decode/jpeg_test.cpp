#include <gtest/gtest.h>
#include <stdio.h>

#include <setjmp.h>

#include <memory>

extern "C" {
#include <jpeglib.h>
}

#include "tests/decode/decode_util.h"
#include "surface/pixfmt.h"
#include "tests/common/testsurf.h"

using namespace kvtest;

namespace {

struct RefError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};
void RefExit(j_common_ptr c) { longjmp(reinterpret_cast<RefError *>(c->err)->jump, 1); }
void RefQuiet(j_common_ptr, int) {}

// libjpeg's own decoding with default options: red, green, blue rows, or
// with a colour map (given in red, green, blue order) the quantised indices.
struct RefImage {
    int w = 0, h = 0, comps = 0;
    std::vector<uint8_t> px;
};
bool Reference(const std::vector<uint8_t> &file, RefImage &out, const TRGBA *map = nullptr) {
    jpeg_decompress_struct ci;
    RefError err;
    ci.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = RefExit;
    err.mgr.emit_message = RefQuiet;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&ci);
        return false;
    }
    jpeg_create_decompress(&ci);
    jpeg_mem_src(&ci, const_cast<unsigned char *>(file.data()), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&ci, TRUE);
    ci.out_color_space = JCS_RGB;
    if (map) {
        ci.quantize_colors = TRUE;
        ci.desired_number_of_colors = 256;
        JSAMPARRAY m = (*ci.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&ci), JPOOL_IMAGE, 256, 3);
        for (int i = 0; i < 256; ++i) m[0][i] = map[i].r, m[1][i] = map[i].g, m[2][i] = map[i].b;
        ci.colormap = m;
        ci.actual_number_of_colors = 256;
    }
    jpeg_start_decompress(&ci);
    out.w = int(ci.output_width);
    out.h = int(ci.output_height);
    out.comps = ci.output_components;
    out.px.resize(size_t(out.w) * out.h * out.comps);
    while (ci.output_scanline < ci.output_height) {
        JSAMPROW row = out.px.data() + size_t(ci.output_scanline) * out.w * out.comps;
        jpeg_read_scanlines(&ci, &row, 1);
    }
    jpeg_finish_decompress(&ci);
    jpeg_destroy_decompress(&ci);
    return true;
}

const char *kJpegs[] = {"base444", "base420", "prog420", "grey", "thumb", "comment"};

class JpegFixture : public ::testing::TestWithParam<std::tuple<const char *, int>> {};

TEST_P(JpegFixture, EqualsLibjpegWithTheSameOptions) {
    const std::string name = std::get<0>(GetParam());
    const int kind = std::get<1>(GetParam());
    std::vector<uint8_t> file = ReadFile(DataPath("jpeg/" + name + ".jpg"));
    ASSERT_FALSE(file.empty());
    TSurfDesc info{};
    ASSERT_TRUE(LoadInfoJPG(info, file.data(), long(file.size())));
    EXPECT_EQ(info.bpp, 24u);
    RefImage ref;
    ASSERT_TRUE(Reference(file, ref));
    EXPECT_EQ(info.width, ref.w);
    EXPECT_EQ(info.height, ref.h);

    if (kind == 8) {
        // Indices lie at the output width rounded up to 4, pads zeroed.
        const int w4 = (ref.w + 3) & ~3;
        TestSurface s(8, ref.w, ref.h, w4 - ref.w);
        ASSERT_TRUE(LoadJPG(s.desc, file.data(), long(file.size())));
        for (int i = 0; i < 256; ++i) ASSERT_EQ(memcmp(&s.palette[i], &lu_gPaleta[i], 4), 0);
        RefImage q;
        ASSERT_TRUE(Reference(file, q, lu_gPaleta));
        for (int y = 0; y < ref.h; ++y) {
            ASSERT_EQ(0, memcmp(s.Row(y), &q.px[size_t(y) * ref.w], size_t(ref.w))) << name << " row " << y;
            for (int x = ref.w; x < w4; ++x) ASSERT_EQ(s.Row(y)[x], 0);
        }
        EXPECT_TRUE(OuterGuardsIntact(s));
        return;
    }
    TestSurface s(kind, ref.w, ref.h, 5);
    s.Fill(0xFF);
    // Fourth bytes unlike anything the codec writes there.
    auto fourth = [](int x, int y) { return uint8_t(x * 7 + y * 13); };
    if (kind == 32)
        for (int y = 0; y < ref.h; ++y)
            for (int x = 0; x < ref.w; ++x) s.Row(y)[x * 4 + 3] = fourth(x, y);
    ASSERT_TRUE(LoadJPG(s.desc, file.data(), long(file.size())));
    const int bpp = int(s.desc.bpp / 8);
    for (int y = 0; y < ref.h; ++y) {
        const uint8_t *row = s.Row(y);
        for (int x = 0; x < ref.w; ++x) {
            const size_t i = (size_t(y) * ref.w + x) * ref.comps;
            uint8_t rgb[3] = {ref.px[i], ref.px[ref.comps == 3 ? i + 1 : i], ref.px[ref.comps == 3 ? i + 2 : i]};
            ASSERT_EQ(Stored(kind, row + x * bpp), Expected(kind, rgb)) << name << " at " << x << "," << y;
            if (kind == 32) {
                ASSERT_EQ(row[x * 4 + 3], fourth(x, y));  // fourth byte kept
            }
        }
    }
    EXPECT_TRUE(s.GuardsIntact());
}

INSTANTIATE_TEST_SUITE_P(All, JpegFixture,
                         ::testing::Combine(::testing::ValuesIn(kJpegs), ::testing::ValuesIn(AllKinds())),
                         [](const auto &i) {
                             return std::string(std::get<0>(i.param)) + "_" + KindName(std::get<1>(i.param));
                         });

// A fixture decoded whole into a surface of the kind sized by its header;
// null when either step fails.
std::unique_ptr<TestSurface> DecodeWhole(std::vector<uint8_t> &file, int kind, int pad = 0) {
    TSurfDesc info{};
    if (!LoadInfoJPG(info, file.data(), long(file.size()))) return nullptr;
    auto s = std::make_unique<TestSurface>(kind, info.width, info.height, pad);
    if (!LoadJPG(s->desc, file.data(), long(file.size()))) return nullptr;
    return s;
}

TEST(Jpeg, RedAndBlueAreNotSwapped) {
    std::vector<uint8_t> file = ReadFile(DataPath("jpeg/base444.jpg"));
    const std::unique_ptr<TestSurface> s = DecodeWhole(file, 32);
    ASSERT_TRUE(s);
    const int w = s->desc.width, h = s->desc.height;
    // The fixture has a red disc left of the middle and a blue square right.
    const uint8_t *red = s->Row(h / 2) + (w / 3) * 4;
    EXPECT_GT(red[2], 200);
    EXPECT_LT(red[0], 60);
    const uint8_t *blue = s->Row(h / 3 + 3) + (2 * w / 3 + 3) * 4;
    EXPECT_GT(blue[0], 200);
    EXPECT_LT(blue[2], 60);
    // And the 8-bit path picks cube entries of the same colours.
    const std::unique_ptr<TestSurface> p = DecodeWhole(file, 8, ((w + 3) & ~3) - w);
    ASSERT_TRUE(p);
    const TRGBA r = p->palette[p->Row(h / 2)[w / 3]];
    EXPECT_GT(r.r, 150);
    EXPECT_LT(r.b, 60);
    const TRGBA b = p->palette[p->Row(h / 3 + 3)[2 * w / 3 + 3]];
    EXPECT_GT(b.b, 150);
    EXPECT_LT(b.r, 60);
}

TEST(Jpeg, EightBitRowsNeverPassTheCallersMemory) {
    // 61 pixels wide: rows laid at 64 on a surface whose pitch is 61.
    std::vector<uint8_t> file = ReadFile(DataPath("jpeg/base420.jpg"));
    const std::unique_ptr<TestSurface> s = DecodeWhole(file, 8);
    ASSERT_TRUE(s);
    EXPECT_TRUE(OuterGuardsIntact(*s));
    const int w = s->desc.width, h = s->desc.height;
    RefImage q;
    ASSERT_TRUE(Reference(file, q, lu_gPaleta));
    // Where the layout fits, the bytes are those of the padded rows.
    const int w4 = (w + 3) & ~3;
    const size_t mem = size_t(h) * w;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w4; ++x) {
            const size_t at = size_t(y) * w4 + x;
            if (at >= mem) break;
            ASSERT_EQ(s->desc.bits[at], x < w ? q.px[size_t(y) * w + x] : 0);
        }
}

// Surfaces larger than the image: the pixels past it, the fourth bytes and
// the padding stay as they were, on a padded pitch and a bare one.
TEST(Jpeg, SurfaceLargerThanTheImageKeepsTheRest) {
    std::vector<uint8_t> file = ReadFile(DataPath("jpeg/base420.jpg"));
    RefImage ref;
    ASSERT_TRUE(Reference(file, ref));
    for (int pad : {0, 3}) {
        TestSurface s(32, ref.w + 2, ref.h + 3, pad);
        Rng rng(uint64_t(pad) + 1);
        s.Randomize(rng);
        const std::vector<uint8_t> before = s.Pixels();
        ASSERT_TRUE(LoadJPG(s.desc, file.data(), long(file.size())));
        const std::vector<uint8_t> after = s.Pixels();
        const size_t row = size_t(s.desc.width) * 4;
        for (int y = 0; y < s.desc.height; ++y)
            for (int x = 0; x < s.desc.width; ++x) {
                const size_t at = y * row + x * 4;
                if (x >= ref.w || y >= ref.h) {
                    ASSERT_EQ(0, memcmp(&after[at], &before[at], 4)) << x << "," << y;
                    continue;
                }
                ASSERT_EQ(Stored(32, &after[at]), Expected(32, &ref.px[(size_t(y) * ref.w + x) * 3])) << x << "," << y;
                ASSERT_EQ(after[at + 3], before[at + 3]) << x << "," << y;
            }
        EXPECT_TRUE(s.GuardsIntact());
    }
}

TEST(Jpeg, SurfaceSmallerThanTheImage) {
    std::vector<uint8_t> file = ReadFile(DataPath("jpeg/prog420.jpg"));
    for (int kind : AllKinds()) {
        TestSurface s(kind, 10, 7, 1);
        LoadJPG(s.desc, file.data(), long(file.size()));
        EXPECT_TRUE(kind == 8 ? OuterGuardsIntact(s) : s.GuardsIntact()) << KindName(kind);
    }
}

TEST(Jpeg, NullBitsAndUnsupportedKinds) {
    std::vector<uint8_t> file = ReadFile(DataPath("jpeg/base444.jpg"));
    TSurfDesc s{};
    s.bpp = 32;
    s.width = 61;
    s.height = 37;
    s.scanWidth = 61 * 4;
    EXPECT_FALSE(LoadJPG(s, file.data(), long(file.size())));
    TestSurface t(24, 61, 37);
    t.desc.bpp = 15;
    t.Fill(0x42);
    EXPECT_FALSE(LoadJPG(t.desc, file.data(), long(file.size())));
    EXPECT_EQ(t.Pixels(), std::vector<uint8_t>(t.Pixels().size(), 0x42));
}

TEST(Jpeg, ThumbnailDoesNotHideTheFrameSize) {
    std::vector<uint8_t> file = ReadFile(DataPath("jpeg/thumb.jpg"));
    TSurfDesc s{};
    ASSERT_TRUE(LoadInfoJPG(s, file.data(), long(file.size())));
    EXPECT_EQ(s.width, 61);
    EXPECT_EQ(s.height, 37);
}

TEST(Jpeg, HeaderScannerHonoursTheLength) {
    std::vector<uint8_t> file = ReadFile(DataPath("jpeg/comment.jpg"));
    for (size_t n = 0; n < 400 && n < file.size(); ++n) {
        std::vector<uint8_t> cut(file.begin(), file.begin() + n);
        TSurfDesc s{};
        s.width = -1;
        if (!LoadInfoJPG(s, cut.data(), long(cut.size()))) {
            EXPECT_EQ(s.width, -1);
        }
    }
    TSurfDesc s{};
    EXPECT_FALSE(LoadInfoJPG(s, nullptr, 0));
}

// A truncated file is a warning (premature end): false, but the rows that
// were there are decoded and nothing is read past the end.
TEST(Jpeg, TruncatedAndMutatedFiles) {
    Rng rng(3);
    for (const char *name : {"base420", "prog420", "grey", "comment"}) {
        const std::vector<uint8_t> file = ReadFile(DataPath(std::string("jpeg/") + name + ".jpg"));
        for (size_t n = 0; n < file.size(); n += 13) {
            std::vector<uint8_t> cut(file.begin(), file.begin() + n);
            for (int kind : {8, 24}) {
                TestSurface s(kind, 61, 37, 3);
                EXPECT_FALSE(LoadJPG(s.desc, cut.data(), long(cut.size()))) << name << " " << n;
                ASSERT_TRUE(OuterGuardsIntact(s));
            }
        }
        for (int m = 0; m < 60; ++m) {
            std::vector<uint8_t> bad = file;
            for (int c = rng.Range(1, 6); c > 0; --c)
                bad[size_t(rng.Range(0, int(bad.size()) - 1))] = uint8_t(rng.U32());
            const int kind = AllKinds()[size_t(m % 7)];
            TestSurface s(kind, rng.Range(1, 70), rng.Range(1, 40), m % 3);
            LoadJPG(s.desc, bad.data(), long(bad.size()));
            TSurfDesc info{};
            LoadInfoJPG(info, bad.data(), long(bad.size()));
            ASSERT_TRUE(OuterGuardsIntact(s)) << name << " mutation " << m;
        }
    }
}

}  // namespace
