// An outside program built against an installed tree.
#include <utils.h>

#include <stdio.h>

int main() {
    unsigned char px[4 * 3] = {0};
    TSurfDesc s = {};
    s.width = 3;
    s.height = 1;
    s.bpp = 32;
    s.transColor = 0xFFFFFFFFu;
    s.scanWidth = 12;
    s.bits = px;
    SetPixel(s, 2, 0, 0x80112233ul);
    const bool ok = GetPixel(s, CPunto(2, 0)) == 0x80112233ul && lu_gPaleta[251].r == 255;
    printf("%s\n", ok ? "ok" : "wrong");
    return ok ? 0 : 1;
}
