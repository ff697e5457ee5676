#include "surface/surface.h"

// Zero-filled at load; entries 252-255 and every alpha byte stay as they are.
TRGBA lu_gPaleta[256];

void CreateModelPal(TRGBA (&pal)[256]) {
    // 6 x 7 x 6 cube, levels truncated: green has one step more.
    for (int b = 0; b < 6; ++b) {
        const int bl = 255 * b / 5;
        for (int g = 0; g < 7; ++g) {
            const int gl = 255 * g / 6;
            for (int r = 0; r < 6; ++r) {
                TRGBA &e = pal[(r * 7 + g) * 6 + b];
                e.b = static_cast<unsigned char>(bl);
                e.g = static_cast<unsigned char>(gl);
                e.r = static_cast<unsigned char>(255 * r / 5);
            }
        }
    }
}

void InitializeDLL() { CreateModelPal(lu_gPaleta); }
