// LoadGIF against giflib (DGifSlurp plus palette expansion to 32 bits) and
// LoadJPG into 32 bits against libturbojpeg's tjDecompress2 to BGRX. The
// test images are encoded at start-up by the peers' own encoders, so a
// missing peer leaves out both rows of its format.
#include <string.h>

#include <vector>

#include "bench/bench_util.h"

#ifdef KV_HAVE_GIF
#include <gif_lib.h>
#endif
#if defined(KV_HAVE_TURBOJPEG)
#include <turbojpeg.h>
#endif

using namespace kvbench;

namespace {

#ifdef KV_HAVE_GIF
// A picture with smooth areas, edges and noise, like a game's artwork.
uint8_t Pixel(int x, int y, int frame, kvtest::Rng &rng) {
    int v = ((x + frame * 7) / 5 + (y / 3)) % 64 + ((x * y + frame) % 97 < 40 ? 64 : 0);
    if ((x / 40 + y / 30 + frame) % 3 == 0) v = 128 + ((x ^ y) & 63);
    if (rng.Chance(5)) v = rng.Range(0, 255);
    return uint8_t(v);
}

int WriteMem(GifFileType *g, const GifByteType *b, int n) {
    auto *out = static_cast<std::vector<uint8_t> *>(g->UserData);
    out->insert(out->end(), b, b + n);
    return n;
}

std::vector<uint8_t> EncodeGif(int w, int h, int frames) {
    std::vector<uint8_t> out;
    int err = 0;
    GifFileType *g = EGifOpen(&out, WriteMem, &err);
    GifColorType colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = GifColorType{uint8_t(i), uint8_t(255 - i), uint8_t(i * 3)};
    ColorMapObject *map = GifMakeMapObject(256, colours);
    EGifPutScreenDesc(g, w, h, 8, 0, map);
    kvtest::Rng rng(42);
    std::vector<GifPixelType> row(static_cast<size_t>(w));
    for (int f = 0; f < frames; ++f) {
        EGifPutImageDesc(g, 0, 0, w, h, false, nullptr);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) row[size_t(x)] = Pixel(x, y, f, rng);
            EGifPutLine(g, row.data(), w);
        }
    }
    EGifCloseFile(g, &err);
    GifFreeMapObject(map);
    return out;
}

struct MemIn {
    const uint8_t *p;
    size_t left;
};
int ReadMem(GifFileType *g, GifByteType *b, int n) {
    auto *in = static_cast<MemIn *>(g->UserData);
    const size_t k = size_t(n) < in->left ? size_t(n) : in->left;
    memcpy(b, in->p, k);
    in->p += k;
    in->left -= k;
    return int(k);
}

const std::vector<uint8_t> &Gif(const Dim &d, int frames) {
    static std::vector<uint8_t> anim = EncodeGif(640, 480, 4), still = EncodeGif(1920, 1080, 1);
    return (d.w == 640 && frames > 1) ? anim : still;
}

void GifOurs(benchmark::State &st, Dim d, int frames) {
    std::vector<uint8_t> file = Gif(d, frames);
    TestSurface s(32, d.w, d.h);
    for (auto _ : st) {
        CKVGIF gif{};
        RAW raw{};
        TSurfDesc info{};
        LoadInfoGIF(info, file.data(), long(file.size()), gif, raw);
        while (LoadGIFNext(s.desc, file.data(), gif, raw)) LoadGIF(s.desc, file.data(), gif, raw);
        LoadGIFEnd(s.desc, file.data(), gif, raw);
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(int64_t(st.iterations()) * d.w * d.h * frames);
}

void GifPeer(benchmark::State &st, Dim d, int frames) {
    std::vector<uint8_t> file = Gif(d, frames);
    std::vector<uint32_t> out(size_t(d.w) * d.h);
    for (auto _ : st) {
        MemIn in{file.data(), file.size()};
        int err = 0;
        GifFileType *g = DGifOpen(&in, ReadMem, &err);
        DGifSlurp(g);
        for (int i = 0; i < g->ImageCount; ++i) {
            const SavedImage &im = g->SavedImages[i];
            const ColorMapObject *map = im.ImageDesc.ColorMap ? im.ImageDesc.ColorMap : g->SColorMap;
            uint32_t lut[256] = {};
            for (int c = 0; c < map->ColorCount; ++c)
                lut[c] =
                    (uint32_t(map->Colors[c].Red) << 16) | (uint32_t(map->Colors[c].Green) << 8) | map->Colors[c].Blue;
            const size_t n = size_t(im.ImageDesc.Width) * im.ImageDesc.Height;
            for (size_t p = 0; p < n && p < out.size(); ++p) out[p] = lut[im.RasterBits[p]];
        }
        DGifCloseFile(g, &err);
        benchmark::ClobberMemory();
    }
    st.SetItemsProcessed(int64_t(st.iterations()) * d.w * d.h * frames);
}
#endif

#if defined(KV_HAVE_TURBOJPEG)
const std::vector<uint8_t> &Jpeg(const Dim &d) {
    static std::vector<uint8_t> file = [&] {
        std::vector<uint8_t> rgb(size_t(d.w) * d.h * 3);
        kvtest::Rng rng(7);
        for (int y = 0; y < d.h; ++y)
            for (int x = 0; x < d.w; ++x) {
                uint8_t *p = &rgb[(size_t(y) * d.w + x) * 3];
                p[0] = uint8_t(x * 255 / d.w);
                p[1] = uint8_t(y * 255 / d.h);
                p[2] = uint8_t(((x / 16) ^ (y / 16)) * 8 + rng.Range(0, 15));
            }
        tjhandle h = tjInitCompress();
        unsigned char *buf = nullptr;
        unsigned long size = 0;
        tjCompress2(h, rgb.data(), d.w, 0, d.h, TJPF_RGB, &buf, &size, TJSAMP_420, 90, 0);
        std::vector<uint8_t> v(buf, buf + size);
        tjFree(buf);
        tjDestroy(h);
        return v;
    }();
    return file;
}

void JpegOurs(benchmark::State &st, Dim d) {
    std::vector<uint8_t> file = Jpeg(d);
    TestSurface s(32, d.w, d.h);
    TimePixels(st, d, [&] { LoadJPG(s.desc, file.data(), long(file.size())); });
}

void JpegPeer(benchmark::State &st, Dim d) {
    std::vector<uint8_t> file = Jpeg(d);
    std::vector<uint8_t> out(size_t(d.w) * d.h * 4);
    tjhandle h = tjInitDecompress();
    TimePixels(st, d, [&] {
        tjDecompress2(h, file.data(), static_cast<unsigned long>(file.size()), out.data(), d.w, d.w * 4, d.h, TJPF_BGRX,
                      0);
    });
    tjDestroy(h);
}
#endif

const int kRegistered = [] {
    const Dim anim{640, 480}, still{1920, 1080};
    (void)anim;
    (void)still;
#ifdef KV_HAVE_GIF
    benchmark::RegisterBenchmark(Name("LoadGIF_anim4", "ours", anim).c_str(), GifOurs, anim, 4);
    benchmark::RegisterBenchmark(Name("LoadGIF_anim4", "giflib", anim).c_str(), GifPeer, anim, 4);
    benchmark::RegisterBenchmark(Name("LoadGIF_still", "ours", still).c_str(), GifOurs, still, 1);
    benchmark::RegisterBenchmark(Name("LoadGIF_still", "giflib", still).c_str(), GifPeer, still, 1);
#endif
#if defined(KV_HAVE_TURBOJPEG)
    benchmark::RegisterBenchmark(Name("LoadJPG_32", "ours", still).c_str(), JpegOurs, still);
    benchmark::RegisterBenchmark(Name("LoadJPG_32", "libturbojpeg", still).c_str(), JpegPeer, still);
#endif
    return 0;
}();

}  // namespace
