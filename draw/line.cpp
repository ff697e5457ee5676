// Straight lines with a level, an optional soft edge and a thickness.
//
// The line equation and the blends are single precision, every step rounded
// to float (F32), so that each target and both builds hit the same pixels.
#include <string.h>

#include "draw/draw.h"
#include "surface/exactmath.h"

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
    bool Full() const { return aSpan == 1.0f; }
    void Span(uint8_t *p) const {
        if (Full()) {
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

// PlotBytes at full level, writing the three colour bytes without reading
// the pixel: the stores need not wait for the line to arrive from memory.
template <int kB>
struct StoreRGB {
    static constexpr int kBytes = kB;
    uint16_t bg;
    uint8_t r;
    uint32_t kRGB;
    explicit StoreRGB(unsigned long c) : bg(uint16_t(c)), r(uint8_t(c >> 16)), kRGB(uint32_t(c) & 0xFFFFFF) {}
    void Span(uint8_t *p) const {
        memcpy(p, &bg, 2);  // blue, green
        p[2] = r;
    }
    // A row is streamed through the cache anyway: read and merge whole pixels.
    void Run(uint8_t *p, int64_t n) const {
        if (kB == 4) {
            for (; n > 0; --n, p += 4) Store32(p, (Load32(p) & 0xFF000000u) | kRGB);
        } else {
            for (; n > 0; --n, p += kB) Span(p);
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
        Store16(p, F::MixFields(k, d, W) | (d & ~F::kRGBMask & 0xFFFF));
    }
    void Edge(uint8_t *p, float w) const { Mix(p, int(F32(w * lv))); }
    void Span(uint8_t *p) const { Mix(p, level); }
    uint32_t Of(uint32_t d) const { return F::MixFields(k, d, level) | (d & ~F::kRGBMask & 0xFFFF); }
};

// Plot16 at level 255, where a field moves floor((k - d) 255 / 256): to
// k - 1 when k is above d, and to k otherwise.
template <class F>
struct Plot16Full {
    static constexpr int kBytes = 2;
    uint32_t k;
    explicit Plot16Full(uint32_t narrowed) : k(narrowed) {}
    uint32_t Of(uint32_t d) const {
        uint32_t v = k & F::kRGBMask;
        v -= uint32_t((k & F::kRMask) > (d & F::kRMask)) << F::kRShift;
        v -= uint32_t((k & F::kGMask) > (d & F::kGMask)) << F::kGShift;
        v -= uint32_t((k & F::kBMask) > (d & F::kBMask)) << F::kBShift;
        return v | (d & ~F::kRGBMask & 0xFFFF);
    }
    void Span(uint8_t *p) const { Store16(p, Of(Load16(p))); }
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

// The line in major and minor terms: the steps t from `first` to `last`,
// each at minor position u(t) = t m + b.
struct Geometry {
    bool xMajor;
    float m, b, limit;
    int64_t first, last;
    float U(int t) const { return F32(F32(F32(t) * m) + b); }
};

Geometry Measure(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, bool eightBits) {
    Geometry g;
    const int64_t dx = int64_t(p2.x) - p1.x, dy = int64_t(p2.y) - p1.y;
    g.xMajor = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy);
    // Major and minor coordinates of the two ends, ordered along the major axis.
    int64_t a1 = g.xMajor ? p1.x : p1.y, b1 = g.xMajor ? p1.y : p1.x;
    int64_t a2 = g.xMajor ? p2.x : p2.y, b2 = g.xMajor ? p2.y : p2.x;
    if (a1 > a2) {
        int64_t t = a1;
        a1 = a2;
        a2 = t;
        t = b1;
        b1 = b2;
        b2 = t;
    }
    g.m = a2 == a1 ? 0.0f : F32(F32(b2 - b1) / F32(a2 - a1));
    g.b = F32(F32(b1) - F32(F32(a1) * g.m));
    const int majorSize = g.xMajor ? s.width : s.height, minorSize = g.xMajor ? s.height : s.width;
    g.limit = F32(minorSize);
    g.first = a1 < 0 ? 0 : a1;
    if (eightBits)
        g.last = (a2 < majorSize ? a2 : majorSize) - 1;  // the far end is never drawn
    else
        g.last = a2 < majorSize - 1 ? a2 : majorSize - 1;
    return g;
}

constexpr int kBatch = 64;

// First t in [lo, hi] where a test that turns from false to true once
// holds; hi + 1 when it never does.
template <class Test>
int64_t FirstTrue(int64_t lo, int64_t hi, Test test) {
    while (lo <= hi) {
        const int64_t mid = lo + (hi - lo) / 2;
        if (test(mid))
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return lo;
}

template <class P>
void RunOf(const P &plot, uint8_t *p, int64_t n) {
    for (; n > 0; --n, p += P::kBytes) plot.Span(p);
}
template <int kB>
void RunOf(const StoreRGB<kB> &plot, uint8_t *p, int64_t n) {
    plot.Run(p, n);
}

// One batch of a thin line's pixels.
template <class P>
void SpanBatch(const P &plot, uint8_t *p, ptrdiff_t majorStep, const int32_t *minor, ptrdiff_t minorStep, int n) {
    for (int i = 0; i < n; ++i, p += majorStep) plot.Span(p + ptrdiff_t(minor[i]) * minorStep);
}
// Pixels that must be read first: all the reads of the batch go out before
// any result is needed, so that their cache misses overlap.
template <class Plot>
void ReadBlendWrite16(const Plot &plot, uint8_t *p, ptrdiff_t majorStep, const int32_t *minor, ptrdiff_t minorStep,
                      int n) {
    uint16_t d[kBatch];
    uint8_t *at[kBatch];
    for (int i = 0; i < n; ++i, p += majorStep) {
        at[i] = p + ptrdiff_t(minor[i]) * minorStep;
        d[i] = uint16_t(Load16(at[i]));
    }
    for (int i = 0; i < n; ++i) Store16(at[i], plot.Of(d[i]));
}
template <class F>
void SpanBatch(const Plot16<F> &plot, uint8_t *p, ptrdiff_t majorStep, const int32_t *minor, ptrdiff_t minorStep,
               int n) {
    ReadBlendWrite16(plot, p, majorStep, minor, minorStep, n);
}
template <class F>
void SpanBatch(const Plot16Full<F> &plot, uint8_t *p, ptrdiff_t majorStep, const int32_t *minor, ptrdiff_t minorStep,
               int n) {
    ReadBlendWrite16(plot, p, majorStep, minor, minorStep, n);
}

// Thickness 1 without a soft edge: one pixel per step at trunc(u). Every
// rounding in u(t) is monotone, so u never falls as t grows when m >= 0 and
// never rises when m < 0: the steps inside the surface form one run, found
// by bisection rather than by testing every step.
template <class P>
void ThinLine(const TSurfDesc &s, const Geometry &g, const P &plot) {
    // Local copies: pixel stores may alias the surface record.
    uint8_t *const bits = s.bits;
    const ptrdiff_t pitch = s.scanWidth;
    const float limit = g.limit;
    auto u = [&g](int64_t t) { return g.U(int(t)); };
    int64_t t0, t1;
    if (g.m >= 0.0f) {
        t0 = FirstTrue(g.first, g.last, [&](int64_t t) { return u(t) >= 0.0f; });
        t1 = FirstTrue(t0, g.last, [&](int64_t t) { return u(t) >= limit; }) - 1;
    } else {
        t0 = FirstTrue(g.first, g.last, [&](int64_t t) { return u(t) < limit; });
        t1 = FirstTrue(t0, g.last, [&](int64_t t) { return u(t) < 0.0f; }) - 1;
    }
    if (t0 > t1) return;
    const ptrdiff_t majorStep = g.xMajor ? ptrdiff_t(P::kBytes) : pitch;
    const ptrdiff_t minorStep = g.xMajor ? pitch : ptrdiff_t(P::kBytes);
    uint8_t *p = bits + ptrdiff_t(t0) * majorStep;
    if (g.m == 0.0f) {
        // Straight: t x 0 + b is b on every step.
        p += ptrdiff_t(int(u(t0))) * minorStep;
        if (g.xMajor) {
            RunOf(plot, p, t1 - t0 + 1);
        } else {
            for (int64_t n = t1 - t0 + 1; n > 0; --n, p += pitch) plot.Span(p);
        }
        return;
    }
    // Minor positions a batch at a time, in a loop free of stores that the
    // compiler can run on several steps at once.
    int32_t minor[kBatch];
    for (int64_t t = t0; t <= t1;) {
        const int n = t1 - t + 1 < kBatch ? int(t1 - t + 1) : kBatch;
        const int tb = int(t);
        for (int i = 0; i < n; ++i) minor[i] = int(g.U(tb + i));
        SpanBatch(plot, p, majorStep, minor, minorStep, n);
        p += n * majorStep;
        t += n;
    }
}

template <class P>
void DrawLine(const TSurfDesc &s, const Geometry &g, const P &plot, bool soft, int thickness, bool eightBits) {
    uint8_t *const bits = s.bits;
    const ptrdiff_t pitch = s.scanWidth;
    const bool xMajor = g.xMajor;
    const float limit = g.limit;
    // 8 bits centre the span: exactly `thickness` pixels from -h.
    const int h = eightBits ? thickness / 2 : 0;
    const float upperOff = F32(eightBits ? int64_t(thickness) - h : thickness);
    auto at = [&](int x, int y) { return bits + y * pitch + ptrdiff_t(x) * P::kBytes; };
    auto put = [&](int major, int minor, bool edge, float w) {
        uint8_t *p = xMajor ? at(major, minor) : at(minor, major);
        if (edge)
            plot.Edge(p, w);
        else
            plot.Span(p);
    };
    for (int64_t ti = g.first; ti <= g.last; ++ti) {
        const int t = int(ti);
        const float u = g.U(t);
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

template <class P>
void Draw(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, const P &plot, bool soft, int thickness,
          bool eightBits) {
    const Geometry g = Measure(s, p1, p2, eightBits);
    if (!soft && thickness == 1)
        ThinLine(s, g, plot);
    else
        DrawLine(s, g, plot, soft, thickness, eightBits);
}

template <class F>
void Draw16(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, uint32_t k, int level, bool soft, int th) {
    if (!soft && th == 1 && level == 255)
        ThinLine(s, Measure(s, p1, p2, false), Plot16Full<F>(k));
    else
        Draw(s, p1, p2, Plot16<F>(k, level), soft, th, false);
}

template <int kB>
void DrawBytes(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    const PlotBytes<kB> plot(c, level);
    if (!soft && th == 1 && plot.Full())
        ThinLine(s, Measure(s, p1, p2, false), StoreRGB<kB>(c));
    else
        Draw(s, p1, p2, plot, soft, th, false);
}

bool Line_32(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    DrawBytes<4>(s, p1, p2, c, level, soft, th);
    return false;
}
bool Line_24(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    DrawBytes<3>(s, p1, p2, c, level, soft, th);
    return false;
}
bool Line_565(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    Draw16<Fmt565>(s, p1, p2, FillColor565(c), level, soft, th);
    return false;
}
bool Line_555(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    Draw16<Fmt555>(s, p1, p2, FillColor555(c), level, soft, th);
    return false;
}
bool Line_4444(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int level, bool soft, int th) {
    Draw16<Fmt4444>(s, p1, p2, FillColor4444(c), level, soft, th);
    return false;
}
// Indices have no level: the colour is drawn as it is.
bool Line_8Bits(const TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long c, int /*level*/, bool soft,
                int th) {
    Draw(s, p1, p2, Plot8(c), soft, th, true);
    return false;
}

}  // namespace

bool Line(TSurfDesc &s, const CPunto &p1, const CPunto &p2, unsigned long color, unsigned short level, bool soft,
          int thickness) {
    // Edges are float arithmetic: the caller's rounding mode must not move them.
    [[maybe_unused]] X87Defaults fpu;
    const int lev = level > 255 ? 255 : level;
    return ByKind<Line_32, Line_24, Line_565, Line_555, Line_4444, Line_8Bits>(s, s, p1, p2, color, lev, soft,
                                                                               thickness);
}
