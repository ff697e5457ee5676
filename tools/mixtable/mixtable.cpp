#include "tools/mixtable/mixtable.h"

namespace mixtable {
namespace {

int Nearest(const TRGBA *pal, int count, int r, int g, int b) {
    int best = 0;
    long bestD = -1;
    for (int i = 0; i < count; ++i) {
        const long dr = r - pal[i].r, dg = g - pal[i].g, db = b - pal[i].b;
        // Eyes weigh green most and blue least.
        const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

}  // namespace

void Widen565(unsigned k, int &r, int &g, int &b) {
    const int r5 = (k >> 11) & 31, g6 = (k >> 5) & 63, b5 = k & 31;
    r = (r5 << 3) | (r5 >> 2);
    g = (g6 << 2) | (g6 >> 4);
    b = (b5 << 3) | (b5 >> 2);
}

void Build(const TRGBA *pal, int count, unsigned char (*table)[65536]) {
    if (count < 1) count = 1;
    if (count > 256) count = 256;
    for (unsigned k = 0; k < 65536; ++k) {
        int r, g, b;
        Widen565(k, r, g, b);
        const int n1 = Nearest(pal, count, r, g, b);
        const TRGBA &e = pal[n1];
        const int n0 = Nearest(pal, count, Clamp(2 * r - e.r), Clamp(2 * g - e.g), Clamp(2 * b - e.b));
        table[1][k] = static_cast<unsigned char>(n1);
        table[0][k] = static_cast<unsigned char>(n0);
    }
}

}  // namespace mixtable
