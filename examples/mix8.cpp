// Two 8-bit pictures in the model palette mixed through a per-pixel alpha
// map. 8-bit mixing works in RGB and maps each result back to a palette
// index through the caller's mix table, built here once at start-up.
// Usage: mix8 OUT.png
#include <math.h>
#include <stdio.h>

#include <vector>

#include "example_util.h"

namespace {

// Phase 1: nearest palette entry to each R5G6B5 colour. Phase 0: nearest to
// the colour pushed past it by phase 1's error, so the checkerboard of the
// two averages out close to the colour.
int Nearest(const TRGBA *pal, int count, int r, int g, int b) {
    int best = 0;
    long bestD = -1;
    for (int i = 0; i < count; ++i) {
        const long dr = r - pal[i].r, dg = g - pal[i].g, db = b - pal[i].b;
        const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestD < 0 || d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

int Clamp(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

void BuildMixTable(const TRGBA *pal, int count, unsigned char (*table)[65536]) {
    for (unsigned k = 0; k < 65536; ++k) {
        const int r5 = (k >> 11) & 31, g6 = (k >> 5) & 63, b5 = k & 31;
        const int r = (r5 << 3) | (r5 >> 2), g = (g6 << 2) | (g6 >> 4), b = (b5 << 3) | (b5 >> 2);
        const int n1 = Nearest(pal, count, r, g, b);
        const TRGBA &e = pal[n1];
        table[1][k] = (unsigned char)n1;
        table[0][k] = (unsigned char)Nearest(pal, count, Clamp(2 * r - e.r), Clamp(2 * g - e.g), Clamp(2 * b - e.b));
    }
}

unsigned To565(int r, int g, int b) { return unsigned((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)); }

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    // lu_gPaleta holds the model palette once the library is loaded; its
    // colour cube is the first 252 entries.
    static unsigned char mixTable[2][65536];
    BuildMixTable(lu_gPaleta, 252, mixTable);

    const int w = 128, h = 96;
    example::Surface sky(w, h, 8), grass(w, h, 8), alpha(w, h, 8);
    for (example::Surface *s : {&sky, &grass}) {
        for (int i = 0; i < 256; ++i) s->palette[i] = lu_gPaleta[i];
    }
    for (int i = 0; i < 256; ++i) alpha.palette[i] = TRGBA{(unsigned char)i, (unsigned char)i, (unsigned char)i, 0};

    // Colours go through the table's phase 1 to land on palette indices.
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            SetPixel(sky.desc, x, y, mixTable[1][To565(40 + x, 80 + y, 230)]);
            const bool stripe = ((x / 8) + (y / 8)) % 2 == 0;
            SetPixel(grass.desc, x, y, mixTable[1][stripe ? To565(60, 170, 40) : To565(200, 190, 60)]);
            // A soft disc: 255 (grass) in the middle fading to 0 (sky).
            const double d = hypot(x - w / 2.0, y - h / 2.0) / 44.0;
            SetPixel(alpha.desc, x, y, (unsigned long)Clamp(int(255.0 * (1.0 - d * d))));
        }
    }

    example::Surface out(w, h, 8);
    for (int i = 0; i < 256; ++i) out.palette[i] = lu_gPaleta[i];
    DrawBlock(out.desc, sky.desc, 0, 0, 0, 0, w, h);
    if (!DrawMix(out.desc, CRectangulo(0, 0, w, h), alpha.desc, CPunto(0, 0), grass.desc, CPunto(0, 0), mixTable)) {
        fprintf(stderr, "DrawMix refused the 8-bit surfaces\n");
        return 1;
    }
    if (!example::WritePng(out.desc, argv[1])) {
        fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    printf("%s: %d x %d, 8 bits, mixed through an alpha map\n", argv[1], w, h);
    return 0;
}
