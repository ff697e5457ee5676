// Shared arithmetic and block walking of the mixing and masked-drawing
// kernels.
#ifndef KORVANTE_BLIT_MIX_H
#define KORVANTE_BLIT_MIX_H

#include "surface/pixfmt.h"
#include "surface/surface.h"

namespace kv {

// The fixed levels 192, 128 and 64 by shifts alone, every term truncated on
// its own. half/quarter are the shift masks of the encoding (F::kHalf and
// F::kQuarter, 0x7F / 0x3F for bytes).
inline uint32_t ShiftMix(uint32_t s, uint32_t d, int level, uint32_t half, uint32_t quarter) {
    if (level == 192) return ((s >> 1) & half) + ((s >> 2) & quarter) + ((d >> 2) & quarter);
    if (level == 128) return ((s >> 1) & half) + ((d >> 1) & half);
    return ((d >> 1) & half) + ((d >> 2) & quarter) + ((s >> 2) & quarter);
}
inline bool IsShiftLevel(unsigned level) { return level == 192 || level == 128 || level == 64; }

// The surface as the kernel walks it, in elements of elemBytes, for block
// clipping: a surface read with another element size than its own never
// has a byte read past its rows.
inline TSurfDesc ElementView(const TSurfDesc &s, int elemBytes) {
    TSurfDesc v = s;
    const int64_t rowBytes = int64_t(s.width) * int64_t(s.bpp / 8);
    v.width = rowBytes > 0 ? int(rowBytes / elemBytes) : 0;
    return v;
}

// A surface read alongside the destination (source, mask or alpha map):
// where the block starts in it and how many bytes one of its elements takes.
struct Feed {
    const TSurfDesc *surf;
    CPunto at;
    int step;
    // The feed's row y rows into the block.
    const uint8_t *Row(int y) const { return kv::Row(*surf, at.y + y) + step * static_cast<ptrdiff_t>(at.x); }
};

// The destination block, clipped together with the feeds that fill it.
struct MixBlock {
    const TSurfDesc *dst;
    CRectangulo r;
    int w, h;
    uint8_t *Row(int y) const { return PixelAt(*dst, r.left, r.top + y); }
};

// Clips rect against the destination and the feeds (f1 may be absent), each
// read in its own elements; the feeds' points move with the block's corner.
// False when nothing is left.
inline bool ClipFeeds(const TSurfDesc &dst, const CRectangulo &rect, MixBlock &b, Feed &f0, Feed *f1 = nullptr) {
    const TSurfDesc v0 = ElementView(*f0.surf, f0.step);
    const TSurfDesc v1 = f1 ? ElementView(*f1->surf, f1->step) : v0;
    BlockSource src[2] = {{&v0, &f0.at}, {&v1, f1 ? &f1->at : nullptr}};
    b.dst = &dst;
    b.r = rect;
    if (!ClipBlock(dst, b.r, src, f1 ? 2 : 1)) return false;
    b.w = b.r.right - b.r.left;
    b.h = b.r.bottom - b.r.top;
    return true;
}

// The mix table of the 8-bit kernels is indexed by the colour as R5G6B5, in
// two dither phases, the one at destination (x, y) given here.
inline uint32_t MixKey(uint32_t r, uint32_t g, uint32_t b) { return Fmt565::Pack(RGB8{r, g, b}); }
inline int MixPhase(int x, int y) { return ((x + y) & 1) == 0 ? 1 : 0; }

}  // namespace kv

#endif
