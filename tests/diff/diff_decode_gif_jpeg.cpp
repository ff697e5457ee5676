// GIF and JPEG fixtures, whole and damaged, decoded into every kind: both
// builds must give the same bytes.
#include <stdio.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/diff/diff.h"

using kvtest::TestSurface;

namespace {

std::vector<uint8_t> Read(const std::string &rel) {
    std::vector<uint8_t> v;
    FILE *f = fopen((std::string(UTILS_TEST_DATA) + "/" + rel).c_str(), "rb");
    if (!f) return v;
    int c;
    while ((c = fgetc(f)) != EOF) v.push_back(uint8_t(c));
    fclose(f);
    return v;
}

void Damage(kvtest::Rng &rng, std::vector<uint8_t> &d) {
    if (d.empty()) return;
    if (rng.Chance(30)) d.resize(size_t(rng.Range(0, int(d.size()))));
    if (d.empty()) return;
    if (rng.Chance(60))
        for (int c = rng.Range(1, 5); c > 0; --c) d[size_t(rng.Range(0, int(d.size()) - 1))] = uint8_t(rng.U32());
}

const char *kGifs[] = {"gif/pal2.gif",    "gif/pal256.gif",     "gif/interlaced.gif",
                       "gif/lzw4096.gif", "gif/anim_local.gif", "gif/anim_global.gif"};
const char *kJpegs[] = {"jpeg/base444.jpg", "jpeg/base420.jpg", "jpeg/prog420.jpg", "jpeg/grey.jpg",
                        "jpeg/comment.jpg"};

}  // namespace

DIFF_CASE(DecodeGif, 84) {
    const int kind = kvtest::AllKinds()[size_t(caseNo % 7)];
    std::vector<uint8_t> file = Read(kGifs[(caseNo / 7) % 6]);
    if (caseNo >= 42) Damage(rng, file);
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc info{};
    const bool alpha = caseNo % 5 == 4;
    const bool open = alpha ? LoadInfoGIFAlpha(info, file.data(), long(file.size()), gif, raw)
                            : LoadInfoGIF(info, file.data(), long(file.size()), gif, raw);
    out.Add(uint64_t(open));
    if (!open) return;
    const int w = info.width > 0 && info.width < 200 ? info.width : 16;
    const int h = info.height > 0 && info.height < 200 ? info.height : 16;
    TestSurface s(kind, w, h, rng.Range(0, 3));
    s.Randomize(rng);
    for (int f = 0; f < 8 && LoadGIFNext(s.desc, file.data(), gif, raw); ++f) {
        out.Add(uint64_t(alpha ? LoadGIFAlpha(s.desc, file.data(), gif, raw) : LoadGIF(s.desc, file.data(), gif, raw)));
        out.Add(s);
    }
    LoadGIFEnd(s.desc, file.data(), gif, raw);
}

DIFF_CASE(DecodeJpeg, 70) {
    const int kind = kvtest::AllKinds()[size_t(caseNo % 7)];
    std::vector<uint8_t> file = Read(kJpegs[(caseNo / 7) % 5]);
    if (caseNo >= 35) Damage(rng, file);
    TSurfDesc info{};
    const bool ok = LoadInfoJPG(info, file.data(), long(file.size()));
    out.Add(uint64_t(ok));
    const int w = ok && info.width > 0 && info.width < 200 ? info.width : 61;
    const int h = ok && info.height > 0 && info.height < 200 ? info.height : 37;
    TestSurface s(kind, w, h, rng.Range(0, 3));
    s.Randomize(rng);
    out.Add(uint64_t(LoadJPG(s.desc, file.data(), long(file.size()))));
    out.Add(s);
    if (kind == 8) out.Add(s.palette, sizeof s.palette);
}
