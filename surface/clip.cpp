#include "surface/surface.h"

#include <limits.h>

namespace kv {
namespace {

int Saturate(int64_t v) {
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return static_cast<int>(v);
}

// The shift of a point by what the clip cut off the left and top can leave
// the int range when the rectangle starts near INT_MIN; such a point is
// meaningless either way, so it saturates instead of wrapping.
void MovePoint(CPunto &p, int64_t dx, int64_t dy) {
    p.x = Saturate(int64_t(p.x) + dx);
    p.y = Saturate(int64_t(p.y) + dy);
}

}  // namespace

bool ClipRect(const TSurfDesc &s, CRectangulo &r) {
    if (r.left < 0) r.left = 0;
    if (r.top < 0) r.top = 0;
    if (r.right > s.width) r.right = s.width;
    if (r.bottom > s.height) r.bottom = s.height;
    return r.left < r.right && r.top < r.bottom;
}

bool ClipRectAndPoint(const TSurfDesc &s, CRectangulo &r, CPunto &p) {
    const int64_t l0 = r.left, t0 = r.top;
    const bool ok = ClipRect(s, r);
    MovePoint(p, r.left - l0, r.top - t0);
    return ok;
}

bool ClipRectAndPoints(const TSurfDesc &s, CRectangulo &r, CPunto &p1, CPunto &p2) {
    const int64_t l0 = r.left, t0 = r.top;
    const bool ok = ClipRect(s, r);
    MovePoint(p1, r.left - l0, r.top - t0);
    MovePoint(p2, r.left - l0, r.top - t0);
    return ok;
}

bool ClipBlock(const TSurfDesc &dst, CRectangulo &r, BlockSource *src, int nsrc) {
    const int64_t l0 = r.left, t0 = r.top;
    const bool inside = ClipRect(dst, r);
    // Source column of destination column c is (p.x - l0) + c; likewise rows.
    // 64-bit throughout: points may sit anywhere in the int range.
    int64_t left = r.left, top = r.top, right = r.right, bottom = r.bottom;
    for (int i = 0; i < nsrc; ++i) {
        const TSurfDesc &s = *src[i].surf;
        const int64_t ox = int64_t(src[i].at->x) - l0;
        const int64_t oy = int64_t(src[i].at->y) - t0;
        if (left + ox < 0) left = -ox;
        if (top + oy < 0) top = -oy;
        if (right + ox > s.width) right = int64_t(s.width) - ox;
        if (bottom + oy > s.height) bottom = int64_t(s.height) - oy;
    }
    for (int i = 0; i < nsrc; ++i) MovePoint(*src[i].at, left - l0, top - t0);
    r.left = Saturate(left);
    r.top = Saturate(top);
    r.right = Saturate(right);
    r.bottom = Saturate(bottom);
    return inside && left < right && top < bottom;
}

}  // namespace kv
