#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

int Width(TSurfDesc &s) { return s.width; }
int Height(TSurfDesc &s) { return s.height; }
int ScanWidth(TSurfDesc &s) { return s.scanWidth; }
CSize Size(TSurfDesc &s) { return CSize(s.width, s.height); }
bool Transp(TSurfDesc &s) { return s.transColor < 0xFFFFFFFFu; }

namespace {

// Every kind checks the point, not only 8 bits: a point outside reads 0 and
// writes nothing, so a stray call never touches memory outside the surface.

template <class F>
unsigned long GetPixelRGB(const TSurfDesc &s, const CPunto &p) {
    if (!PointInSurface(s, p)) return 0;
    return RGBColor(F::Unpack(F::Load(PixelAt(s, p.x, p.y))));
}

template <class F>
void SetPixelRGB(const TSurfDesc &s, const CPunto &p, unsigned long c) {
    if (!PointInSurface(s, p)) return;
    // Pack leaves the alpha bits 0: bit 15 of A1R5G5B5 and the 4444 nibble
    // are written as 0.
    F::Store(PixelAt(s, p.x, p.y), F::Pack(ColorRGB(c)));
}

unsigned long GetPixel_32(const TSurfDesc &s, const CPunto &p) {
    if (!PointInSurface(s, p)) return 0;
    return Fmt32::Load(PixelAt(s, p.x, p.y));
}
unsigned long GetPixel_24(const TSurfDesc &s, const CPunto &p) { return GetPixelRGB<Fmt24>(s, p); }
unsigned long GetPixel_565(const TSurfDesc &s, const CPunto &p) { return GetPixelRGB<Fmt565>(s, p); }
unsigned long GetPixel_555(const TSurfDesc &s, const CPunto &p) { return GetPixelRGB<Fmt555>(s, p); }
unsigned long GetPixel_4444(const TSurfDesc &s, const CPunto &p) { return GetPixelRGB<Fmt4444>(s, p); }
unsigned long GetPixel_8Bits(const TSurfDesc &s, const CPunto &p) {
    if (!PointInSurface(s, p)) return 0;
    return *PixelAt(s, p.x, p.y);
}

void SetPixel_32(const TSurfDesc &s, const CPunto &p, unsigned long c) {
    if (!PointInSurface(s, p)) return;
    Fmt32::Store(PixelAt(s, p.x, p.y), static_cast<uint32_t>(c));
}
void SetPixel_24(const TSurfDesc &s, const CPunto &p, unsigned long c) { SetPixelRGB<Fmt24>(s, p, c); }
void SetPixel_565(const TSurfDesc &s, const CPunto &p, unsigned long c) { SetPixelRGB<Fmt565>(s, p, c); }
void SetPixel_555(const TSurfDesc &s, const CPunto &p, unsigned long c) { SetPixelRGB<Fmt555>(s, p, c); }
void SetPixel_4444(const TSurfDesc &s, const CPunto &p, unsigned long c) { SetPixelRGB<Fmt4444>(s, p, c); }
void SetPixel_8Bits(const TSurfDesc &s, const CPunto &p, unsigned long c) {
    if (!PointInSurface(s, p)) return;
    *PixelAt(s, p.x, p.y) = static_cast<uint8_t>(c);
}

}  // namespace

unsigned long GetPixel(TSurfDesc &s, CPunto p) {
    return ByKind<GetPixel_32, GetPixel_24, GetPixel_565, GetPixel_555, GetPixel_4444, GetPixel_8Bits>(s, s, p);
}

unsigned long GetPixel(TSurfDesc &s, int x, int y) { return GetPixel(s, CPunto(x, y)); }

void SetPixel(TSurfDesc &s, CPunto p, unsigned long c) {
    return ByKind<SetPixel_32, SetPixel_24, SetPixel_565, SetPixel_555, SetPixel_4444, SetPixel_8Bits>(s, s, p, c);
}

void SetPixel(TSurfDesc &s, int x, int y, unsigned long c) { SetPixel(s, CPunto(x, y), c); }
