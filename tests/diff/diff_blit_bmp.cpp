#include <string.h>

#include <memory>
#include <vector>

#include "tests/diff/diff.h"

using kvtest::RandomSurface;
using kvtest::Rng;
using kvtest::TestSurface;

namespace {

int PickKind(Rng &rng) { return kvtest::AllKinds()[size_t(rng.Range(0, 6))]; }

// A source that DrawBitmap draws from onto dst: same bpp or 8 bits, now
// and then another depth (nothing drawn).
int SourceKind(Rng &rng, int dst) {
    if (rng.Chance(30)) return 8;
    if (rng.Chance(10)) return PickKind(rng);
    if (dst >= 16 && dst <= 19) return 16 + rng.Range(0, 3);
    return dst;
}

void RandomKey(Rng &rng, TestSurface &src) {
    switch (rng.Range(0, 3)) {
        case 0:
            src.desc.transColor = 0xFFFFFFFFu;
            break;
        case 1:
            src.desc.transColor = rng.U32();
            break;
        default: {  // a value the source holds, often in runs
            uint32_t v = 0;
            memcpy(&v, src.desc.bits, src.desc.bpp / 8);
            src.desc.transColor = v ^ (rng.U32() & 0xFF000000u);
            const int bytes = int(src.desc.bpp / 8);
            for (int y = 0; y < src.desc.height; ++y)
                for (int x = 0; x < src.desc.width; ++x)
                    if (rng.Chance(40)) memcpy(src.Row(y) + x * bytes, &v, bytes);
        }
    }
}

}  // namespace

DIFF_CASE(DrawBitmap, 700) {
    const int dk = kvtest::AllKinds()[caseNo % 7];
    std::unique_ptr<TestSurface> dst(RandomSurface(rng, dk, 45, 17));
    std::unique_ptr<TestSurface> src(RandomSurface(rng, SourceKind(rng, dk), 49, 19));
    RandomKey(rng, *src);
    if (rng.Chance(20)) src->desc.palette = nullptr;
    if (caseNo % 5 == 0) {
        out.Add(DrawBitmap(dst->desc, src->desc));
    } else {
        const CRectangulo r = kvtest::RandomRect(rng, dst->desc.width, dst->desc.height);
        const CPunto p(rng.Range(-4, src->desc.width), rng.Range(-4, src->desc.height));
        out.Add(DrawBitmap(dst->desc, r, src->desc, p));
    }
    out.Add(*dst);
}

namespace {

void Put32(std::vector<uint8_t> &b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A well-formed file with random content: 8-bit plain or RLE8 (runs,
// absolute blocks, deltas, ends of line), 24-bit, either row order, the
// core header or information headers of several sizes.
std::vector<uint8_t> RandomBmp(Rng &rng, int w, int h) {
    const int form = rng.Range(0, 3);  // 0 plain 8, 1 RLE8, 2 24-bit, 3 core 8
    const uint32_t hs = form == 3 ? 12 : (rng.Chance(70) ? 40 : 124);
    const bool topDown = form != 3 && rng.Chance(30);
    const int colours = rng.Chance(50) ? 256 : rng.Range(1, 256);
    const size_t pal = (form == 0 || form == 1) ? size_t(4) * colours : 0;
    std::vector<uint8_t> b(14 + hs + pal, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, uint32_t(b.size()));
    Put32(b, 14, hs);
    const int bpp = form == 2 ? 24 : 8;
    if (hs == 12) {
        b[18] = uint8_t(w), b[19] = uint8_t(w >> 8), b[20] = uint8_t(h), b[21] = uint8_t(h >> 8);
        b[22] = 1, b[24] = uint8_t(bpp);
    } else {
        Put32(b, 18, uint32_t(w));
        Put32(b, 22, uint32_t(topDown ? -h : h));
        b[26] = 1, b[28] = uint8_t(bpp);
        Put32(b, 30, form == 1 ? 1 : 0);
        Put32(b, 46, colours == 256 ? 0 : uint32_t(colours));
    }
    for (size_t i = 14 + hs; i < b.size(); ++i) b[i] = uint8_t(rng.U32());
    if (form == 1) {
        for (int ops = rng.Range(1, 60); ops > 0; --ops) {
            const int op = rng.Range(0, 9);
            if (op < 5) {
                b.push_back(uint8_t(rng.Range(1, 2 * w)));
                b.push_back(uint8_t(rng.U32()));
            } else if (op < 7) {
                const int n = rng.Range(3, 40);
                b.push_back(0);
                b.push_back(uint8_t(n));
                for (int i = 0; i < n + (n & 1); ++i) b.push_back(uint8_t(rng.U32()));
            } else if (op == 7) {
                b.push_back(0), b.push_back(2), b.push_back(uint8_t(rng.Range(0, w))),
                    b.push_back(uint8_t(rng.Range(0, 2)));
            } else {
                b.push_back(0), b.push_back(0);
            }
        }
        b.push_back(0), b.push_back(1);
    } else {
        const int rowBytes = form == 2 ? 3 * w : w;
        for (int i = 0; i < ((rowBytes + 3) & ~3) * h; ++i) b.push_back(uint8_t(rng.U32()));
    }
    if (rng.Chance(10)) b[0] = 'K', b[1] = 'V';
    return b;
}

}  // namespace

DIFF_CASE(LoadBMP, 700) {
    const int kind = kvtest::AllKinds()[caseNo % 7];
    std::unique_ptr<TestSurface> s(RandomSurface(rng, kind, 37, 15));
    std::vector<uint8_t> f = RandomBmp(rng, s->desc.width, s->desc.height);
    if (f[0] == 'K') {
        // The "KV" form reads pixels from byte 54: only for 24-bit files.
        if (f[28] != 24 || f[14] != 40) f[0] = 'B', f[1] = 'M';
    }
    TSurfDesc info;
    memset(&info, 0, sizeof info);
    out.Add(LoadInfoBMP(info, f.data(), long(f.size())));
    out.Add(uint64_t(info.width) << 32 | uint32_t(info.height));
    out.Add(info.bpp);
    if (caseNo % 2) {
        out.Add(LoadBMP(s->desc, f.data()));
    } else {
        // Sometimes damaged: the length-aware form only.
        if (rng.Chance(30)) f.resize(size_t(rng.Range(0, int(f.size()))));
        if (rng.Chance(30) && !f.empty()) f[size_t(rng.Range(0, int(f.size()) - 1))] = uint8_t(rng.U32());
        out.Add(LoadBMP(s->desc, f.data(), long(f.size())));
    }
    out.Add(*s);
    out.Add(s->palette, sizeof s->palette);
}
