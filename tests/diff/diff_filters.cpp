#include <memory>
#include <vector>

#include "tests/diff/diff.h"

using kvtest::RandomSurface;
using kvtest::TestSurface;

namespace {

const int kColourKinds[6] = {16, 17, 18, 19, 24, 32};

std::unique_ptr<TestSurface> ScratchFor(const TestSurface &img) {
    const TSurfDesc &d = img.desc;
    return std::unique_ptr<TestSurface>(
        new TestSurface(img.desc.bpp == 8 ? 8 : 32, 1, d.height, d.scanWidth > 4 ? d.scanWidth - 4 : 0));
}

}  // namespace

DIFF_CASE(FilterConvolution, 240) {
    const int kind = kColourKinds[caseNo % 6];
    std::unique_ptr<TestSurface> img(RandomSurface(rng, kind, caseNo % 4 == 0 ? 90 : 23, 17));
    std::unique_ptr<TestSurface> scratch = ScratchFor(*img);
    const int n = rng.Range(1, 25);
    std::vector<int> coef(n);
    std::vector<long> off(n);
    const long P = img->desc.scanWidth, B = long(img->desc.bpp / 8);
    for (int k = 0; k < n; ++k) {
        coef[k] = rng.Chance(10) ? rng.Range(-70000, 70000) : rng.Range(-40, 40);
        off[k] = rng.Range(-2, 2) * P + rng.Range(-3, 3) * B + (rng.Chance(5) ? rng.Range(-3, 3) : 0);
    }
    const int divisors[] = {1, -1, 3, 9, 8, -7, 1000};
    const int d = divisors[rng.Range(0, 6)];
    out.Add(DoConvolucion(img->desc, scratch->desc, n, coef.data(), off.data(), d, rng.Range(-200, 200)));
    out.Add(*img);
    out.Add(*scratch);
}

DIFF_CASE(FilterFrontEnds, 120) {
    const int kind = kColourKinds[caseNo % 6];
    std::unique_ptr<TestSurface> img(RandomSurface(rng, kind, 40, 14));
    std::unique_ptr<TestSurface> scratch = ScratchFor(*img);
    switch ((caseNo / 6) % 4) {
        case 0:
            out.Add(DoSuavizado(img->desc, scratch->desc));
            break;
        case 1:
            out.Add(DoRealce(img->desc, scratch->desc));
            break;
        case 2:
            out.Add(DoEmboss(img->desc, scratch->desc));
            break;
        default:
            for (int p = 0; p < 24; ++p) {
                std::unique_ptr<TestSurface> copy(
                    new TestSurface(kind, img->desc.width, img->desc.height, img->desc.scanWidth - img->RowBytes()));
                copy->SetPixels(img->Pixels());
                out.Add(FiltroMask(copy->desc, scratch->desc, p));
                out.Add(*copy);
            }
    }
    out.Add(*img);
}

DIFF_CASE(FilterFactorGradient, 140) {
    const int kind = kvtest::AllKinds()[caseNo % 7];
    std::unique_ptr<TestSurface> img(RandomSurface(rng, kind, 45, 9));
    const int factors[] = {0, 1, 127, 128, 200, 255, 256};
    out.Add(DoFactor(img->desc, uint16_t(factors[rng.Range(0, 6)])));
    out.Add(*img);
    const unsigned long a = rng.U32(), z = rng.U32() & 0xFFFFFF;
    out.Add(DoGradient(img->desc, a, z));
    out.Add(*img);
}

DIFF_CASE(FilterAntiAlias, 140) {
    const int kind = kvtest::AllKinds()[caseNo % 7];
    std::unique_ptr<TestSurface> img(RandomSurface(rng, kind, 30, 12));
    std::unique_ptr<TestSurface> other(new TestSurface(kind, 1, 1));
    const CRectangulo r(0, 0, 3, 3);
    if (caseNo % 2)
        out.Add(DoAntiAlias(img->desc, r, other->desc, 3));
    else
        out.Add(DoAntiAlias2(img->desc, r, other->desc, 3));
    out.Add(*img);
    std::unique_ptr<TestSurface> plane(RandomSurface(rng, 8, 30, 12));
    for (int y = 0; y < plane->desc.height; ++y)
        for (int x = 0; x < plane->RowBytes(); ++x)
            if (rng.Chance(50)) plane->Row(y)[x] = 0;
    const unsigned short levels[] = {256, 128, 255, 0, 300};
    out.Add(DoAntiAliasBMP(plane->desc, levels[rng.Range(0, 4)]));
    out.Add(*plane);
}

DIFF_CASE(FilterMaskShadow, 140) {
    const int kind = kvtest::AllKinds()[caseNo % 7];
    std::unique_ptr<TestSurface> src(RandomSurface(rng, kind, 30, 12));
    const TSurfDesc &d = src->desc;
    if (rng.Chance(50)) src->desc.transColor = rng.U32();
    std::unique_ptr<TestSurface> mask(new TestSurface(8, d.width, d.height, d.scanWidth - src->RowBytes()));
    const unsigned short levels[] = {256, 128, 100, 0};
    const unsigned short level = levels[rng.Range(0, 3)];
    out.Add(CreateMask(mask->desc, src->desc, level));
    out.Add(*mask);
    // Shadows into a plane and into the source's own kind.
    for (int into : {8, kind}) {
        std::unique_ptr<TestSurface> sh(
            new TestSurface(into, d.width, d.height, into == 8 ? d.scanWidth - src->RowBytes() : 2));
        sh->Fill(uint8_t(rng.U32()));
        out.Add(CreateShadow(sh->desc, src->desc, uint8_t(rng.Range(0, 40)), uint8_t(rng.Range(0, 255)), level));
        out.Add(*sh);
    }
}
