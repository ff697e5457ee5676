// Tolerance flood fill with its bookkeeping in the caller's 8-bit mask.
//
// A marked pixel's mask byte holds its similar-neighbour bits. The fill is a
// depth-first walk without recursion or a stack: while the walk runs, the
// high nibble of a marked byte remembers the direction back to the pixel it
// was reached from, and is cleared when the walk leaves that pixel for good.
#include "draw/draw.h"

using namespace kv;

namespace {

enum : uint8_t { kAbove = 1, kBelow = 2, kRight = 4, kLeft = 8 };

// Try order, and for each direction its bit, its step and its opposite.
const uint8_t kDirBit[4] = {kAbove, kBelow, kLeft, kRight};
const int kDirDx[4] = {0, 0, -1, 1};
const int kDirDy[4] = {-1, 1, 0, 0};
const int kOpposite[4] = {1, 0, 3, 2};

// Colours as the fill reads them (0x00RRGGBB); Fmt8 stands for indices,
// which carry no colour here.
template <class F>
uint32_t ColourAt(const uint8_t *row, int x) {
    return RGBColor(F::Unpack(F::Load(row + F::kBytes * x)));
}
template <>
uint32_t ColourAt<Fmt8>(const uint8_t *, int) {
    return 0;
}

struct Box {
    int left, top, right, bottom;  // positions whose bits were computed, inclusive
};

template <class R>
struct Fill {
    const TSurfDesc &img;
    const TSurfDesc &mask;
    uint32_t tol;
    uint8_t rb, rg, rr;
    Box box;

    uint32_t ColorAt(int x, int y) const { return ColourAt<R>(Row(img, y), x); }
    // Byte differences wrap: a channel just above the reference is far.
    bool Similar(int x, int y) const {
        if (x < 0 || y < 0 || x >= img.width || y >= img.height) return false;
        const uint32_t k = ColorAt(x, y);
        const uint32_t d = uint8_t(rb - uint8_t(k)) + uint32_t(uint8_t(rg - uint8_t(k >> 8))) +
                           uint32_t(uint8_t(rr - uint8_t(k >> 16)));
        return d <= tol;
    }
    uint8_t Bits(int x, int y) const {
        return uint8_t((Similar(x, y - 1) ? kAbove : 0) | (Similar(x, y + 1) ? kBelow : 0) |
                       (Similar(x + 1, y) ? kRight : 0) | (Similar(x - 1, y) ? kLeft : 0));
    }
    bool InMask(int x, int y) const { return x >= 0 && y >= 0 && x < mask.width && y < mask.height; }
    uint8_t &M(int x, int y) const { return *(Row(mask, y) + x); }
    void Grow(int x, int y) {
        if (x < box.left) box.left = x;
        if (x > box.right) box.right = x;
        if (y < box.top) box.top = y;
        if (y > box.bottom) box.bottom = y;
    }

    void Walk(int sx, int sy) {
        int x = sx, y = sy, dir = 0;
        for (;;) {
            bool moved = false;
            const uint8_t bits = M(x, y) & 0x0F;
            while (dir < 4) {
                const int d = dir++;
                if (!(bits & kDirBit[d])) continue;
                const int nx = x + kDirDx[d], ny = y + kDirDy[d];
                if (!InMask(nx, ny) || M(nx, ny) != 0) continue;
                const uint8_t nb = Bits(nx, ny);
                Grow(nx, ny);
                if (nb == 0) continue;  // stays unmarked
                M(nx, ny) = uint8_t(nb | (kOpposite[d] << 4));
                x = nx;
                y = ny;
                dir = 0;
                moved = true;
                break;
            }
            if (moved) continue;
            if (x == sx && y == sy) return;
            // Done here: step back and carry on with the parent's next direction.
            const int back = (M(x, y) >> 4) & 3;
            M(x, y) &= 0x0F;
            x += kDirDx[back];
            y += kDirDy[back];
            dir = kOpposite[back] + 1;
        }
    }
};

void Paint(const TSurfDesc &img, const TSurfDesc &mask, const Box &f, unsigned long fill) {
    int l = f.left < 0 ? 0 : f.left, t = f.top < 0 ? 0 : f.top;
    int r = f.right, b = f.bottom;
    if (r >= img.width) r = img.width - 1;
    if (r >= mask.width) r = mask.width - 1;
    if (b >= img.height) b = img.height - 1;
    if (b >= mask.height) b = mask.height - 1;
    const int kind = PixelKind(img);
    const RGB8 c = ColorRGB(fill);
    uint32_t v16 = 0;
    if (kind == kKind565)
        v16 = Fmt565::Pack(c);
    else if (kind == kKind555 || kind == kKind1555)
        v16 = Fmt555::Pack(c);
    else if (kind == kKind4444)
        v16 = Fmt4444::Pack(c);
    else if (kind != kKind32 && kind != kKind24)
        return;  // 8-bit images are not painted
    for (int y = t; y <= b; ++y) {
        const uint8_t *m = Row(mask, y);
        for (int x = l; x <= r; ++x) {
            if (!m[x]) continue;
            uint8_t *p = PixelAt(img, x, y);
            if (kind == kKind32 || kind == kKind24) {
                p[0] = uint8_t(c.b);
                p[1] = uint8_t(c.g);
                p[2] = uint8_t(c.r);
            } else {
                Store16(p, v16);
            }
        }
    }
}

template <class R>
Box Grow(TSurfDesc &image, TSurfDesc &mask, int x, int y, unsigned long tolerance, unsigned long ref) {
    Fill<R> f{image, mask, uint32_t(tolerance), uint8_t(ref), uint8_t(ref >> 8), uint8_t(ref >> 16), {x, y, x, y}};
    if (f.M(x, y) == 0) {
        const uint8_t bits = f.Bits(x, y);
        if (bits) {
            f.M(x, y) = bits;
            f.Walk(x, y);
        }
    }
    return f.box;
}

}  // namespace

bool Rellena(TSurfDesc &image, TSurfDesc &mask, int x, int y, unsigned long tolerance, unsigned long ref,
             unsigned long fill) {
    const bool inside = x >= 0 && y >= 0 && x < image.width && y < image.height && x < mask.width && y < mask.height;
    if (!inside) return true;
    Box box{x, y, x, y};
    if (uint32_t(ref) != uint32_t(fill)) {
        const int kind = PixelKind(image);
        if (kind == kKind32)
            box = Grow<Fmt32>(image, mask, x, y, tolerance, ref);
        else if (kind == kKind24)
            box = Grow<Fmt24>(image, mask, x, y, tolerance, ref);
        else if (kind == kKind565)
            box = Grow<Fmt565>(image, mask, x, y, tolerance, ref);
        else if (kind == kKind555 || kind == kKind1555)
            box = Grow<Fmt555>(image, mask, x, y, tolerance, ref);
        else if (kind == kKind4444)
            box = Grow<Fmt4444>(image, mask, x, y, tolerance, ref);
        else
            box = Grow<Fmt8>(image, mask, x, y, tolerance, ref);
    }
    Paint(image, mask, box, fill);
    return true;
}
