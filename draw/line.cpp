// Straight lines with a level, an optional soft edge and a thickness.
//
// The line equation and the blends are single precision, every step rounded
// to float (F32), so that each target and both builds hit the same pixels.
#include "draw/draw.h"

using namespace kv;

namespace {

// 24- and 32-bit: each colour byte becomes trunc(k a + d (1 - a)); the alpha
// byte of a 32-bit pixel stays.
template <int kB>
struct PlotBytes {
    static constexpr int kBytes = kB;
    float lv, k[3], aSpan, omSpan;
    uint8_t kb[3];
    uint32_t kRGB;
    PlotBytes(unsigned long c, int level) : lv(float(level)), kRGB(uint32_t(c) & 0xFFFFFF) {
        for (int i = 0; i < 3; ++i) {
            kb[i] = uint8_t(c >> (8 * i));
            k[i] = float(kb[i]);
        }
        aSpan = F32(lv / 255.0f);
        omSpan = F32(1.0f - aSpan);
    }
    void Mix(uint8_t *p, float a, float om) const {
        for (int i = 0; i < 3; ++i) {
            const int v = int(F32(F32(k[i] * a) + F32(float(p[i]) * om)));
            p[i] = uint8_t(v > 255 ? 255 : v);
        }
    }
    void Edge(uint8_t *p, float w) const {
        const float a = F32(F32(w * lv) / 255.0f);
        Mix(p, a, F32(1.0f - a));
    }
    // Full level: k x 1 + d x 0 is exactly k.
    void Span(uint8_t *p) const {
        if (aSpan == 1.0f) {
            if (kBytes == 4) {
                Store32(p, (Load32(p) & 0xFF000000u) | kRGB);
            } else {
                p[0] = kb[0];
                p[1] = kb[1];
                p[2] = kb[2];
            }
        } else {
            Mix(p, aSpan, omSpan);
        }
    }
};

// 16-bit kinds: the field blend at weight trunc(w x level); the pixel's
// alpha bits are kept.
template <class F>
struct Plot16 {
    static constexpr int kBytes = 2;
    uint32_t k;
    int level;
    float lv;
    Plot16(uint32_t narrowed, int lev) : k(narrowed), level(lev), lv(float(lev)) {}
    void Mix(uint8_t *p, int W) const {
        const uint32_t d = Load16(p);
        Store16(p, BlendFields<F>(d, k, W) | (d & ~F::kRGBMask & 0xFFFF));
    }
    void Edge(uint8_t *p, float w) const { Mix(p, int(F32(w * lv))); }
    void Span(uint8_t *p) const { Mix(p, level); }
};

// 8 bits: the span is set to the index, the edges mix index values as
// numbers; no level.
struct Plot8 {
    static constexpr int kBytes = 1;
    uint8_t c;
    float cf;
    explicit Plot8(unsigned long color) : c(uint8_t(color)), cf(float(c)) {}
    void Edge(uint8_t *p, float a) const {
        const int v = int(F32(F32(float(*p) * F32(1.0f - a)) + F32(cf * a)));
        *p = uint8_t(v > 255 ? 255 : v);
    }
    void Span(uint8_t *p) const { *p = c; }
};

// Edge and span positions are floored and skipped when they leave the
// surface: a minor position in [0, limit) is a pixel, anything else is not.
inline bool MinorPos(float v, float limit, int &pos) {
    if (!(v >= 0.0f && v < limit)) return false;
    pos = int(v);
    return true;
}

template <class P>
void DrawLine(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, const P plot, bool soft, int thickness,
              bool eightBits) {
    // Local copies: pixel stores may alias the surface record.
    uint8_t *const bits = s.bits;
    const ptrdiff_t pitch = s.scanWidth;
    const int64_t dx = int64_t(p2.x) - p1.x, dy = int64_t(p2.y) - p1.y;
    const bool xMajor = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy);
    // Major and minor coordinates of the two ends, ordered along the major axis.
    int64_t a1 = xMajor ? p1.x : p1.y, b1 = xMajor ? p1.y : p1.x;
    int64_t a2 = xMajor ? p2.x : p2.y, b2 = xMajor ? p2.y : p2.x;
    if (a1 > a2) {
        int64_t t = a1;
        a1 = a2;
        a2 = t;
        t = b1;
        b1 = b2;
        b2 = t;
    }
    const float m = a2 == a1 ? 0.0f : F32(F32(b2 - b1) / F32(a2 - a1));
    const float b = F32(F32(b1) - F32(F32(a1) * m));
    const int majorSize = xMajor ? s.width : s.height, minorSize = xMajor ? s.height : s.width;
    const float limit = F32(minorSize);
    int64_t first = a1 < 0 ? 0 : a1, last;
    if (eightBits) last = (a2 < majorSize ? a2 : majorSize) - 1;  // the far end is never drawn
    else last = a2 < majorSize - 1 ? a2 : majorSize - 1;
    // 8 bits centre the span: exactly `thickness` pixels from -h.
    const int h = eightBits ? thickness / 2 : 0;
    const float upperOff = F32(eightBits ? int64_t(thickness) - h : thickness);
    auto at = [&](int x, int y) { return bits + y * pitch + ptrdiff_t(x) * P::kBytes; };
    auto put = [&](int major, int minor, bool edge, float w) {
        uint8_t *p = xMajor ? at(major, minor) : at(minor, major);
        if (edge) plot.Edge(p, w);
        else plot.Span(p);
    };
    if (!soft && thickness == 1) {
        // The common line: one pixel per step at trunc(u + 0) = trunc(u).
        for (int64_t ti = first; ti <= last; ++ti) {
            const int t = int(ti);
            const float u = F32(F32(F32(t) * m) + b);
            if (!(u >= 0.0f && u < limit)) continue;
            plot.Span(xMajor ? at(t, int(u)) : at(int(u), t));
        }
        return;
    }
    for (int64_t ti = first; ti <= last; ++ti) {
        const int t = int(ti);
        const float u = F32(F32(F32(t) * m) + b);
        if (!(u >= 0.0f && u < limit)) continue;
        int pos;
        if (soft) {
            const float up = F32(u + upperOff);
            if (MinorPos(up, limit, pos)) put(t, pos, true, F32(up - float(pos)));
            const float lo = eightBits ? F32(F32(u - F32(h)) - 1.0f) : F32(u - 1.0f);
            if (MinorPos(lo, limit, pos)) put(t, pos, true, F32(1.0f - F32(lo - float(pos))));
        }
        // Skip straight to the first offset that can land inside.
        int64_t k = -int64_t(h);
        const int64_t kFirst = -int64_t(u) - 1;
        if (k < kFirst) k = kFirst;
        for (const int64_t kEnd = int64_t(thickness) - h; k < kEnd; ++k) {
            const float v = F32(u + F32(k));
            if (v >= limit) break;
            if (MinorPos(v, limit, pos)) put(t, pos, false, 1.0f);
        }
    }
}

bool Line_32(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    DrawLine(s, p1, p2, PlotBytes<4>(c, level), soft, th, false);
    return false;
}
bool Line_24(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    DrawLine(s, p1, p2, PlotBytes<3>(c, level), soft, th, false);
    return false;
}
bool Line_565(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    DrawLine(s, p1, p2, Plot16<Fmt565>(FillColor565(c), level), soft, th, false);
    return false;
}
bool Line_555(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    DrawLine(s, p1, p2, Plot16<Fmt555>(FillColor555(c), level), soft, th, false);
    return false;
}
bool Line_4444(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft,
               int th) {
    DrawLine(s, p1, p2, Plot16<Fmt4444>(FillColor4444(c), level), soft, th, false);
    return false;
}
bool Line_8Bits(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, bool soft, int th) {
    DrawLine(s, p1, p2, Plot8(c), soft, th, true);
    return false;
}

}  // namespace

bool Line(TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long color, unsigned short level, bool soft,
          int thickness) {
    const int lev = level > 255 ? 255 : level;
    if (s.bpp == 32) return Line_32(s, p1, p2, color, lev, soft, thickness);
    if (s.bpp == 24) return Line_24(s, p1, p2, color, lev, soft, thickness);
    const int kind = PixelKind(s);
    if (kind == kKind565) return Line_565(s, p1, p2, color, lev, soft, thickness);
    if (kind == kKind555 || kind == kKind1555) return Line_555(s, p1, p2, color, lev, soft, thickness);
    if (kind == kKind4444) return Line_4444(s, p1, p2, color, lev, soft, thickness);
    if (kind == kKind8) return Line_8Bits(s, p1, p2, color, soft, thickness);
    return false;
}
