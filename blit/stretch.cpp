// Scalers: BltStrech (nearest or bilinear), DrawStretch, StretchBitmap
// (bilinear enlargement, box reduction) and the pixel doubler DrawDouble.
#include <limits.h>
#include <string.h>

#include <memory>
#include <new>

#include "blit/simd.h"
#include "surface/exactmath.h"
#include "surface/pixfmt.h"
#include "surface/surface.h"

using namespace kv;

namespace {

struct Span {
    int dx, dy, dw, dh;  // clipped destination block
    int sx, sy, sw, sh;  // clipped source block
};

bool ClipBoth(const TSurfDesc &d, CRectangulo dr, const TSurfDesc &s, CRectangulo sr, Span &o) {
    if (!ClipRect(d, dr) || !ClipRect(s, sr)) return false;
    o = Span{dr.left, dr.top, dr.right - dr.left, dr.bottom - dr.top,
             sr.left, sr.top, sr.right - sr.left, sr.bottom - sr.top};
    return true;
}

// Nearest neighbour: the step is the single-precision quotient sw / dw and
// a pixel's source column is the truncated product of its index and the
// step, which is exact as a double. Both are formed in integers, so no FPU
// precision setting can move a column. Bytes is what each pixel receives:
// 32-bit destinations keep their fourth byte.
// Columns are mapped once per call into a small table walked in chunks.
constexpr int kChunk = 4096;  // 16 KB of stack: one chunk covers any screen row

template <int Stride, int Bytes>
void NearestRow(uint8_t *dp, const uint8_t *sp, const int *cols, int n) {
    if (Stride == 2) {
        for (int x = 0; x < n; ++x) memcpy(dp + x * 2, sp + cols[x] * 2, 2);
    } else if (Stride == 1) {
        for (int x = 0; x < n; ++x) dp[x] = sp[cols[x]];
    } else {
        for (int x = 0; x < n; ++x) memcpy(dp + x * Stride, sp + cols[x] * Stride, Bytes);
    }
}

// One destination row of the bilinear integer form (processors without SSE):
// left and right are each column's two sample offsets in bytes, ix and fx its
// weights (ix = 0xFFFF - fx), fy the row's.
using BilinearRowFn = void (*)(uint8_t *d, const uint8_t *s0, const uint8_t *s1, const int *left, const int *right,
                               const uint16_t *ix, const uint16_t *fx, int n, uint32_t fy);

template <class F>
void BilinearRowPlain(uint8_t *d, const uint8_t *s0, const uint8_t *s1, const int *left, const int *right,
                      const uint16_t *ix, const uint16_t *fx, int n, uint32_t fy) {
    const uint32_t iy = 0xFFFF - fy;
    for (int i = 0; i < n; ++i) {
        const uint32_t wS = (ix[i] * iy) >> 16, wSr = (fx[i] * iy) >> 16;
        const uint32_t wSd = (ix[i] * fy) >> 16, wSdr = (fx[i] * fy) >> 16;
        const int l = left[i], r = right[i];
        for (int k = 0; k < 3; ++k)
            d[i * F::kBytes + k] =
                uint8_t((s0[l + k] * wS + s0[r + k] * wSr + s1[l + k] * wSd + s1[r + k] * wSdr) >> 16);
    }
}

// The row kernels with an MMX form, picked here once.
using NearestRowFn = void (*)(uint8_t *d, const uint8_t *s, const int *cols, int n);
#if UTILS_SIMD
constexpr NearestRowFn kNearestRow16 = NearestRow_16_mmx;
constexpr BilinearRowFn kBilinearRow32 = BilinearRow_32_mmx;
constexpr BilinearRowFn kBilinearRow24 = BilinearRow_24_mmx;
#else
constexpr NearestRowFn kNearestRow16 = NearestRow<2, 2>;
constexpr BilinearRowFn kBilinearRow32 = BilinearRowPlain<Fmt32>;
constexpr BilinearRowFn kBilinearRow24 = BilinearRowPlain<Fmt24>;
#endif

// Write the first three bytes of each 32-bit pixel and keep the fourth. The
// restricted forms run several pixels at a time; they are only called on
// rows that do not overlap what they read.
void MergeRGB(uint8_t *__restrict dp, const uint8_t *__restrict up, int n) {
    for (int i = 0; i < n; ++i)
        Store32(dp + i * 4, (Load32(dp + i * 4) & 0xFF000000u) | (Load32(up + i * 4) & 0x00FFFFFFu));
}
void GatherRGB(uint8_t *__restrict dp, const uint8_t *__restrict sp, const int *__restrict cols, int n) {
    for (int i = 0; i < n; ++i)
        Store32(dp + i * 4, (Load32(dp + i * 4) & 0xFF000000u) | (Load32(sp + cols[i] * 4) & 0x00FFFFFFu));
}
// A source row that shares memory with the destination row is read whole,
// piece by piece, before the piece is written.
void GatherRGBOverlapping(uint8_t *dp, const uint8_t *sp, const int *cols, int n) {
    constexpr int kPiece = 256;
    uint8_t piece[kPiece * 4];
    for (int i0 = 0; i0 < n; i0 += kPiece) {
        const int m = n - i0 < kPiece ? n - i0 : kPiece;
        for (int i = 0; i < m; ++i) memcpy(piece + i * 4, sp + cols[i0 + i] * 4, 4);
        MergeRGB(dp + i0 * 4, piece, m);
    }
}

template <int Stride, int Bytes>
void Nearest(const TSurfDesc &d, const TSurfDesc &s, const Span &b) {
    const SingleParts stepX = SingleQuotient(uint32_t(b.sw), uint32_t(b.dw));
    const SingleParts stepY = SingleQuotient(uint32_t(b.sh), uint32_t(b.dh));
    int cols[kChunk];
    for (int x0 = 0; x0 < b.dw; x0 += kChunk) {
        const int n = b.dw - x0 < kChunk ? b.dw - x0 : kChunk;
        for (int i = 0; i < n; ++i) {
            const uint32_t col = FloorTimes(uint32_t(x0 + i), stepX);
            cols[i] = col < uint32_t(b.sw) ? int(col) : b.sw - 1;
        }
        int prevRow = -1;
        for (int y = 0; y < b.dh; ++y) {
            const uint32_t fy = FloorTimes(uint32_t(y), stepY);
            const int row = fy < uint32_t(b.sh) ? int(fy) : b.sh - 1;
            uint8_t *dp = PixelAt(d, b.dx + x0, b.dy + y);
            if (Stride == 4) {
                // Each pixel keeps its own fourth byte, so a repeated source
                // row is merged from the row above rather than copied whole.
                const size_t bytes = size_t(n) * 4;
                if (row == prevRow && Disjoint(dp, bytes, dp - d.scanWidth, bytes)) {
                    MergeRGB(dp, dp - d.scanWidth, n);
                    continue;
                }
                const uint8_t *sp = PixelAt(s, b.sx, b.sy + row);
                if (Disjoint(dp, bytes, sp, size_t(b.sw) * 4))
                    GatherRGB(dp, sp, cols, n);
                else
                    GatherRGBOverlapping(dp, sp, cols, n);
                prevRow = row;
                continue;
            }
            if (row == prevRow) {  // the same bytes as the row above
                memcpy(dp, dp - d.scanWidth, size_t(n) * Stride);
                continue;
            }
            const uint8_t *sp = PixelAt(s, b.sx, b.sy + row);
            // The grouped row reads ahead of its stores, so a source row in
            // the same memory goes pixel by pixel.
            if (Stride == 2 && Disjoint(dp, size_t(n) * 2, sp, size_t(b.sw) * 2))
                kNearestRow16(dp, sp, cols, n);
            else
                NearestRow<Stride, Bytes>(dp, sp, cols, n);
            prevRow = row;
        }
    }
}

// Bilinear in 16.16 with complements 0xFFFF - f, so a flat 255 comes out 254.
// Neighbours past the last column or row of the source block are clamped to
// it rather than read from outside.
//
// The sums are formed in single precision, which vectorises: every product
// (at most 255 x 65535) and every partial sum (below 255 x 65536) is an
// integer under 2^24, so each is exact in a float and the result matches the
// integer formula bit for bit on any FPU, with or without fused multiplies.
// Weights stay integer (truncated 16 x 16 products). Each source row is
// gathered once, by destination column, into per-channel floats, and reused
// by every destination row that reads it.
constexpr int kBand = 256;  // destination columns per pass: both band rows (12 KB) stay in the L1 cache

constexpr int kPiece = 128;  // columns per step of the inner loops

struct BandRow {
    int src = -1;        // the source row it holds, or -1
    float ch[6][kBand];  // blue, green, red of the left sample, then of the right one
};

template <class F>
void GatherRow(BandRow &r, const uint8_t *sp, const int *left, const int *right, int n) {
    uint32_t tl[kPiece], tr[kPiece];
    for (int i0 = 0; i0 < n; i0 += kPiece) {
        const int m = n - i0 < kPiece ? n - i0 : kPiece;
        for (int i = 0; i < m; ++i) {
            tl[i] = F::Load(sp + left[i0 + i]);
            tr[i] = F::Load(sp + right[i0 + i]);
        }
        for (int i = 0; i < m; ++i) {
            r.ch[0][i0 + i] = float(int32_t(tl[i] & 0xFF));
            r.ch[1][i0 + i] = float(int32_t((tl[i] >> 8) & 0xFF));
            r.ch[2][i0 + i] = float(int32_t((tl[i] >> 16) & 0xFF));
            r.ch[3][i0 + i] = float(int32_t(tr[i] & 0xFF));
            r.ch[4][i0 + i] = float(int32_t((tr[i] >> 8) & 0xFF));
            r.ch[5][i0 + i] = float(int32_t((tr[i] >> 16) & 0xFF));
        }
    }
}

// Each column's two samples (byte offsets into a source row) and weights,
// for the n destination columns from x0.
void BandColumns(const Span &b, int stride, uint64_t stepX, int x0, int n, int *left, int *right, uint16_t *ixs,
                 uint16_t *fxs) {
    for (int i = 0; i < n; ++i) {
        const uint64_t x = uint64_t(x0 + i) * stepX;
        int col = int(x >> 16);
        if (col >= b.sw) col = b.sw - 1;
        const uint32_t fx = uint32_t(x & 0xFFFF);
        left[i] = col * stride;
        right[i] = (col + 1 < b.sw ? col + 1 : b.sw - 1) * stride;
        fxs[i] = uint16_t(fx);
        ixs[i] = uint16_t(0xFFFF - fx);
    }
}

#if !defined(__SSE__) && !defined(_M_X64)
// Without vector units the float sums would cost a slow conversion per
// channel, so processors without SSE keep the plain integer form, row by row
// (an MMX row in utilsmmx); both give the same bytes.
template <class F>
void BilinearInteger(const TSurfDesc &d, const TSurfDesc &s, const Span &b) {
    constexpr BilinearRowFn Row = F::kBytes == 4 ? kBilinearRow32 : kBilinearRow24;
    const uint64_t stepX = (uint64_t(b.sw) << 16) / uint64_t(b.dw);
    const uint64_t stepY = (uint64_t(b.sh) << 16) / uint64_t(b.dh);
    int left[kBand], right[kBand];
    uint16_t ixs[kBand], fxs[kBand];
    for (int x0 = 0; x0 < b.dw; x0 += kBand) {
        const int n = b.dw - x0 < kBand ? b.dw - x0 : kBand;
        BandColumns(b, F::kBytes, stepX, x0, n, left, right, ixs, fxs);
        for (int j = 0; j < b.dh; ++j) {
            const uint64_t y = uint64_t(j) * stepY;
            int row = int(y >> 16);
            if (row >= b.sh) row = b.sh - 1;
            const int rowDown = row + 1 < b.sh ? row + 1 : b.sh - 1;
            Row(PixelAt(d, b.dx + x0, b.dy + j), PixelAt(s, b.sx, b.sy + row), PixelAt(s, b.sx, b.sy + rowDown), left,
                right, ixs, fxs, n, uint32_t(y & 0xFFFF));
        }
    }
}
#endif

template <class F>
void BilinearBands(const TSurfDesc &d, const TSurfDesc &s, const Span &b) {
    constexpr int Stride = F::kBytes;
    // Exactly the truncation of sw / dw x 65536.0, without the FPU.
    const uint64_t stepX = (uint64_t(b.sw) << 16) / uint64_t(b.dw);
    const uint64_t stepY = (uint64_t(b.sh) << 16) / uint64_t(b.dh);
    int left[kBand], right[kBand];
    uint16_t ixs[kBand], fxs[kBand];
    uint32_t words[kPiece];
    BandRow rows[2];
    for (int x0 = 0; x0 < b.dw; x0 += kBand) {
        const int n = b.dw - x0 < kBand ? b.dw - x0 : kBand;
        BandColumns(b, Stride, stepX, x0, n, left, right, ixs, fxs);
        rows[0].src = rows[1].src = -1;
        for (int j = 0; j < b.dh; ++j) {
            const uint64_t y = uint64_t(j) * stepY;
            int row = int(y >> 16);
            if (row >= b.sh) row = b.sh - 1;
            const int rowDown = row + 1 < b.sh ? row + 1 : b.sh - 1;
            // Keep whichever of the two held rows is still wanted.
            BandRow *top = rows[0].src == row ? &rows[0] : rows[1].src == row ? &rows[1] : nullptr;
            BandRow *bot = rows[0].src == rowDown ? &rows[0] : rows[1].src == rowDown ? &rows[1] : nullptr;
            if (!top) {
                top = bot == &rows[0] ? &rows[1] : &rows[0];
                GatherRow<F>(*top, PixelAt(s, b.sx, b.sy + row), left, right, n);
                top->src = row;
            }
            if (!bot) {
                bot = top == &rows[0] ? &rows[1] : &rows[0];
                GatherRow<F>(*bot, PixelAt(s, b.sx, b.sy + rowDown), left, right, n);
                bot->src = rowDown;
            }
            const uint16_t fy = uint16_t(y & 0xFFFF), iy = uint16_t(0xFFFF - fy);
            const BandRow &T = *top, &B = *bot;
            uint8_t *dp = PixelAt(d, b.dx + x0, b.dy + j);
            // 24-bit rows are formed as words first: byte stores inside the
            // sums would keep them from running several pixels at a time.
            for (int i0 = 0; i0 < n; i0 += kPiece) {
                const int m = n - i0 < kPiece ? n - i0 : kPiece;
                for (int k = 0; k < m; ++k) {
                    const int i = i0 + k;
                    // High halves of 16 x 16 products, kept as words so
                    // that they vectorise as such.
                    const uint16_t hS = uint16_t((uint32_t(ixs[i]) * iy) >> 16);
                    const uint16_t hSr = uint16_t((uint32_t(fxs[i]) * iy) >> 16);
                    const uint16_t hSd = uint16_t((uint32_t(ixs[i]) * fy) >> 16);
                    const uint16_t hSdr = uint16_t((uint32_t(fxs[i]) * fy) >> 16);
                    const float wS = float(hS), wSr = float(hSr), wSd = float(hSd), wSdr = float(hSdr);
                    const float sb = T.ch[0][i] * wS + T.ch[3][i] * wSr + B.ch[0][i] * wSd + B.ch[3][i] * wSdr;
                    const float sg = T.ch[1][i] * wS + T.ch[4][i] * wSr + B.ch[1][i] * wSd + B.ch[4][i] * wSdr;
                    const float sr = T.ch[2][i] * wS + T.ch[5][i] * wSr + B.ch[2][i] * wSd + B.ch[5][i] * wSdr;
                    const uint32_t v = (uint32_t(int32_t(sb)) >> 16) | ((uint32_t(int32_t(sg)) >> 8) & 0xFF00u) |
                                       (uint32_t(int32_t(sr)) & 0xFF0000u);
                    if (Stride == 4)
                        Store32(dp + i * 4, (Load32(dp + i * 4) & 0xFF000000u) | v);
                    else
                        words[k] = v;
                }
                if (Stride == 3)
                    for (int k = 0; k < m; ++k) {
                        uint8_t *q = dp + (i0 + k) * 3;
                        q[0] = uint8_t(words[k]);
                        q[1] = uint8_t(words[k] >> 8);
                        q[2] = uint8_t(words[k] >> 16);
                    }
            }
        }
    }
}

template <class F>
void Bilinear(const TSurfDesc &d, const TSurfDesc &s, const Span &b) {
#if !defined(__SSE__) && !defined(_M_X64)
    BilinearInteger<F>(d, s, b);
#else
    BilinearBands<F>(d, s, b);
#endif
}

// The bytes a block of w x h pixels covers, from its lowest row to the end
// of its highest (the pitch may be negative).
void BlockBytes(const TSurfDesc &t, int x, int y, int w, int h, int bytes, const uint8_t *&lo, size_t &n) {
    const uint8_t *first = PixelAt(t, x, y), *last = PixelAt(t, x, y + h - 1);
    lo = first < last ? first : last;
    n = size_t((first < last ? last : first) - lo) + size_t(w) * bytes;
}

// The bilinear rows hold source rows between destination rows on some
// targets and read them afresh on others; a source block sharing memory with
// its destination is therefore read from a copy, so that every target writes
// the same bytes. False when the copy cannot be had.
template <class F>
bool BilinearApart(const TSurfDesc &d, const TSurfDesc &s, const Span &b) {
    const uint8_t *dlo, *slo;
    size_t dn, sn;
    BlockBytes(d, b.dx, b.dy, b.dw, b.dh, F::kBytes, dlo, dn);
    BlockBytes(s, b.sx, b.sy, b.sw, b.sh, F::kBytes, slo, sn);
    if (Disjoint(dlo, dn, slo, sn)) {
        Bilinear<F>(d, s, b);
        return true;
    }
    const size_t pitch = size_t(b.sw) * F::kBytes;
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[pitch * size_t(b.sh)]);
    if (!copy) return false;
    for (int y = 0; y < b.sh; ++y) memcpy(copy.get() + pitch * size_t(y), PixelAt(s, b.sx, b.sy + y), pitch);
    TSurfDesc c = s;
    c.bits = copy.get();
    c.width = b.sw;
    c.height = b.sh;
    c.scanWidth = int(pitch);
    Span cb = b;
    cb.sx = cb.sy = 0;
    Bilinear<F>(d, c, cb);
    return true;
}

// 24- and 32-bit pixels: three bytes each receive, a fourth is kept.
template <class F>
bool BltStrech_Deep(TSurfDesc &d, const Span &b, TSurfDesc &s, bool filter) {
    if (filter) return BilinearApart<F>(d, s, b);
    Nearest<F::kBytes, 3>(d, s, b);
    return true;
}
// One kernel for the four 16-bit layouts; the filter is ignored.
bool BltStrech_16(TSurfDesc &d, const Span &b, TSurfDesc &s) {
    Nearest<2, 2>(d, s, b);
    return true;
}
bool BltStrech_8Bits(TSurfDesc &d, const Span &b, TSurfDesc &s) {
    Nearest<1, 1>(d, s, b);
    return true;
}

}  // namespace

bool BltStrech(TSurfDesc &d, CRectangulo dr, TSurfDesc &s, CRectangulo sr, bool filter) {
    if (d.bpp != 32 && d.bpp != 24 && d.bpp != 16 && d.bpp != 8) return false;
    Span b;
    if (!ClipBoth(d, dr, s, sr, b)) return false;
    // The source is read at the destination's pixel size: a source of
    // another size would be read past its rows.
    if (s.bpp != d.bpp) return false;
    if (d.bpp == 32) return BltStrech_Deep<Fmt32>(d, b, s, filter);
    if (d.bpp == 24) return BltStrech_Deep<Fmt24>(d, b, s, filter);
    if (d.bpp == 16) return BltStrech_16(d, b, s);  // kinds 16 to 19 alike
    return BltStrech_8Bits(d, b, s);
}

bool DrawStretch(TSurfDesc &d, CRectangulo const &dr, TSurfDesc &s, CRectangulo const &sr) {
    return BltStrech(d, dr, s, sr, false);
}

bool DrawStretch(TSurfDesc &d, CRectangulo const &, TSurfDesc &, CRectangulo const &, unsigned char *) {
    return d.bpp == 32 || d.bpp == 24 || d.bpp == 8;
}

namespace {

// Enlarging, bilinear in 16.16; the last column and row stand in for the
// neighbours beyond the source block.
void StretchUp(const TSurfDesc &d, const CRectangulo &dr, const TSurfDesc &s, const CRectangulo &sr, int px) {
    const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
    const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
    const int64_t stepX = (int64_t(sw) * 65536) / dw, stepY = (int64_t(sh) * 65536) / dh;
    int row = sr.top;
    int64_t fy = 0;
    for (int j = 0; j < dh; ++j) {
        const int rowDown = row + 1 < sr.bottom ? row + 1 : sr.bottom - 1;
        const uint8_t *s0 = s.bits + ptrdiff_t(row) * s.scanWidth, *s1 = s.bits + ptrdiff_t(rowDown) * s.scanWidth;
        uint8_t *dp = d.bits + ptrdiff_t(dr.top + j) * d.scanWidth + ptrdiff_t(dr.left) * px;
        int col = sr.left;
        int64_t fx = 0;
        for (int i = 0; i < dw; ++i) {
            const int right = col + 1 < sr.right ? col + 1 : sr.right - 1;
            for (int k = 0; k < 3; ++k) {
                const int64_t S = int64_t(s0[col * px + k]) << 16, Sr = int64_t(s0[right * px + k]) << 16;
                const int64_t Sd = int64_t(s1[col * px + k]) << 16, Sdr = int64_t(s1[right * px + k]) << 16;
                const int64_t upper = S + (((Sr - S) * fx) >> 16);
                const int64_t lower = Sd + (((Sdr - Sd) * fx) >> 16);
                dp[i * px + k] = uint8_t((upper + (((lower - upper) * fy) >> 16)) >> 16);
            }
            fx += stepX;
            if (fx >= 65536) {
                fx -= 65536;
                if (col + 1 < sr.right) ++col;
            }
        }
        fy += stepY;
        if (fy >= 65536) {
            fy -= 65536;
            if (row + 1 < sr.bottom) ++row;
        }
    }
}

// Reducing, box average with truncation. Sums are wide, so blocks of any
// size average correctly (small blocks give the same bytes as 16-bit sums).
void StretchDown(const TSurfDesc &d, const CRectangulo &dr, const TSurfDesc &s, const CRectangulo &sr, int px) {
    const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
    const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
    const int64_t stepX = (int64_t(sw) * 65536) / dw, stepY = (int64_t(sh) * 65536) / dh;
    int64_t y0 = 0;
    for (int j = 0; j < dh; ++j) {
        const int64_t y1 = y0 + stepY;
        const int ra = int(y0 >> 16), rb = int(y1 >> 16);
        uint8_t *dp = d.bits + ptrdiff_t(dr.top + j) * d.scanWidth + ptrdiff_t(dr.left) * px;
        int64_t x0 = 0;
        for (int i = 0; i < dw; ++i) {
            const int64_t x1 = x0 + stepX;
            const int ca = int(x0 >> 16), cb = int(x1 >> 16);
            uint64_t sum[3] = {0, 0, 0};
            for (int r = ra; r < rb; ++r) {
                const uint8_t *sp = s.bits + ptrdiff_t(sr.top + r) * s.scanWidth + ptrdiff_t(sr.left) * px;
                for (int c = ca; c < cb; ++c)
                    for (int k = 0; k < 3; ++k) sum[k] += sp[c * px + k];
            }
            const uint64_t n = uint64_t(rb - ra) * uint64_t(cb - ca);
            for (int k = 0; k < 3; ++k) dp[i * px + k] = uint8_t(n ? sum[k] / n : 0);
            x0 = x1;
        }
        y0 = y1;
    }
}

}  // namespace

bool StretchBitmap(TSurfDesc &d, CRectangulo dr, TSurfDesc &s, CRectangulo sr, int bpp, bool enable, bool) {
    const CRectangulo d0 = dr;
    if (!ClipRect(d, dr)) return true;
    ClipRect(s, sr);
    // The source edges move by the share of the source span that the clipped
    // destination edges moved by. Spans reach 2^32 - 1 and moves 2^31, so
    // all of it is 64-bit: each product stays below 2^63, and each moved edge
    // lies between the source's own two edges.
    const int64_t sw = int64_t(sr.right) - sr.left, sh = int64_t(sr.bottom) - sr.top;
    const int64_t W0 = int64_t(d0.right) - d0.left, H0 = int64_t(d0.bottom) - d0.top;
    const int64_t l = sr.left + (int64_t(dr.left) - d0.left) * sw / W0;
    const int64_t t = sr.top + (int64_t(dr.top) - d0.top) * sh / H0;
    const int64_t r = sr.right + (int64_t(dr.right) - d0.right) * sw / W0;
    const int64_t b = sr.bottom + (int64_t(dr.bottom) - d0.bottom) * sh / H0;
    if (l >= r || t >= b) return true;
    if (l < INT_MIN || t < INT_MIN || r > INT_MAX || b > INT_MAX) return true;
    sr = CRectangulo(int(l), int(t), int(r), int(b));
    if (s.bpp != d.bpp) return false;
    if (!enable) return true;
    if (bpp != 24 && bpp != 32) return true;
    const int px = bpp / 8;
    // The pixel size applies to both surfaces: never step wider than they are.
    if (px > int(d.bpp / 8)) return true;
    const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
    const int w = sr.right - sr.left, h = sr.bottom - sr.top;
    if (dw > w && dh > h)
        StretchUp(d, dr, s, sr, px);
    else if (dw < w && dh < h)
        StretchDown(d, dr, s, sr, px);
    return true;
}

namespace {

// Every source pixel becomes a 2 x 2 block. Only pixels inside the
// destination are written, each from the source pixel it doubles.
template <int Bytes>
void DrawDoubleBytes(TSurfDesc &d, TSurfDesc &s, const CPunto &at, const CRectangulo &r) {
    const int w2 = (r.right - r.left) / 2 * 2, h2 = (r.bottom - r.top) / 2 * 2;
    for (int y = 0; y < h2; ++y) {
        const int64_t sy = (int64_t(r.top) + y - at.y) >> 1;
        const uint8_t *sp = Row(s, int(sy));
        uint8_t *dp = PixelAt(d, r.left, r.top + y);
        if (y > 0 && ((int64_t(r.top) + y - at.y) & 1)) {
            memcpy(dp, dp - d.scanWidth, size_t(w2) * Bytes);  // the row above, already doubled
            continue;
        }
        for (int x = 0; x < w2; ++x) {
            const int64_t sx = (int64_t(r.left) + x - at.x) >> 1;
            memcpy(dp + x * Bytes, sp + sx * Bytes, Bytes);
        }
    }
}

void DrawDouble_32(TSurfDesc &d, TSurfDesc &s, const CPunto &at, const CRectangulo &r) {
    DrawDoubleBytes<4>(d, s, at, r);
}
void DrawDouble_24(TSurfDesc &d, TSurfDesc &s, const CPunto &at, const CRectangulo &r) {
    DrawDoubleBytes<3>(d, s, at, r);
}

}  // namespace

bool DrawDouble(TSurfDesc &d, TSurfDesc &s, CPunto at) {
    auto clampInt = [](int64_t v) { return int(v > 0x7FFFFFFF ? 0x7FFFFFFF : (v < -0x7FFFFFFF ? -0x7FFFFFFF : v)); };
    CRectangulo r(at.x, at.y, clampInt(int64_t(at.x) + 2 * int64_t(s.width)),
                  clampInt(int64_t(at.y) + 2 * int64_t(s.height)));
    if (!ClipRect(d, r)) return false;
    if (s.bpp != d.bpp) return false;  // the source is read at the destination's pixel size
    if (d.bpp == 32)
        DrawDouble_32(d, s, at, r);
    else if (d.bpp == 24)
        DrawDouble_24(d, s, at, r);
    return false;
}
