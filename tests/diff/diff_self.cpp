// One surface as both source and destination, the source block a few pixels
// left or right of the destination, on the same rows or one apart: the plain
// rows read each source pixel after the pixels left of it were written, so a
// SIMD row that loads a group ahead must not see other bytes. The same CRC
// on i686 and x86_64 also holds the targets to one result.
#include <memory>
#include <vector>

#include "tests/diff/diff.h"

using kvtest::RandomSurface;
using kvtest::TestSurface;

DIFF_CASE(OntoItself, 1400) {
    const int kind = kvtest::AllKinds()[caseNo % 7];
    const int family = (caseNo / 7) % 10;
    std::unique_ptr<TestSurface> s(RandomSurface(rng, kind, 70, 9));
    std::unique_ptr<TestSurface> alpha(RandomSurface(rng, 8, 70, 9));
    std::vector<unsigned char> table(2 * 65536);
    if (kind == 8)  // only 8-bit destinations read the table
        for (unsigned char &b : table) b = static_cast<unsigned char>(rng.U32());
    auto tab = reinterpret_cast<unsigned char(*)[65536]>(table.data());
    if (rng.Chance(50)) s->desc.transColor = rng.U32();

    const int w = s->desc.width, h = s->desc.height;
    const int left = rng.Range(0, w / 2), top = rng.Range(0, h / 2);
    const CRectangulo r(left, top, left + rng.Range(1, w), top + rng.Range(1, h));
    // Mostly just right of the source on its own rows, where a group read
    // ahead would differ; sometimes anywhere near.
    const bool trailing = rng.Chance(60);
    const CPunto p(left - (trailing ? rng.Range(1, 9) : rng.Range(-17, 17)), top + (trailing ? 0 : rng.Range(-1, 1)));
    const CPunto ap(rng.Range(0, 3), rng.Range(0, 2));
    const unsigned short level = static_cast<unsigned short>(rng.Chance(50) ? 64 * rng.Range(0, 4) : rng.Range(0, 256));
    bool ok = false;
    switch (family) {
        case 0:
            ok = DrawBitmap(s->desc, r, s->desc, p);
            break;
        case 1:
            ok = DrawMix(s->desc, r, level, s->desc, p, tab);
            break;
        case 2:
            ok = DrawMix(s->desc, r, alpha->desc, ap, s->desc, p, tab);
            break;
        case 3:
            ok = DrawMix(s->desc, r, alpha->desc, ap, s->desc, p, level);
            break;
        case 4:
            ok = kvdiff::kBlendSource[rng.Range(0, 6)](s->desc, r, s->desc, p);
            break;
        case 5:
            ok = kvdiff::kBlendMasked[rng.Range(0, 6)](s->desc, r, s->desc, p, alpha->desc, ap);
            break;
        case 6:
            ok = OpenFader(s->desc, r, s->desc, p, rng.Range(-40, 40), rng.Range(0, 20), rng.Range(0, 10));
            break;
        case 7: {
            const CRectangulo sr(p.x, p.y, p.x + r.right - r.left + rng.Range(-2, 2), p.y + r.bottom - r.top);
            ok = BltStrech(s->desc, r, s->desc, sr, rng.Chance(50));
            break;
        }
        case 8:
            ok = FiltroMotionMask(s->desc, s->desc, r, p, rng.Range(0, 300));
            break;
        case 9:
            ok = DrawMask(s->desc, r, s->desc, p, rng.U32(), tab);
            break;
    }
    out.Add(ok);
    out.Add(*s);
}
