// A paletted BMP sprite decoded from memory straight into R5G6B5 and drawn
// with its key colour over a 16-bit back buffer, three times, one of them
// half off the right edge.
// Usage: bmp_sprite SPRITE.bmp OUT.png
#include <stdio.h>

#include <memory>

#include "example_util.h"

int main(int argc, char **argv) {
    std::vector<unsigned char> file = example::ReadInput(argc, argv, "SPRITE.bmp OUT.png");

    // The header first: size and depth. The forms with a length never read
    // past the buffer, so a short or damaged file is just a false.
    TSurfDesc info{};
    if (file.empty() || !LoadInfoBMP(info, file.data(), long(file.size()))) {
        fprintf(stderr, "%s: not a BMP the library reads\n", argv[1]);
        return 1;
    }
    std::unique_ptr<example::Surface> sprite(example::NewRGB565(info.width, info.height));
    if (!LoadBMP(sprite->desc, file.data(), long(file.size()))) {
        fprintf(stderr, "%s: damaged pixel data\n", argv[1]);
        return 1;
    }
    // The key is in the surface's own encoding (the raw 16-bit word, not
    // GetPixel's 0x00RRGGBB): take it from the corner, which the artist left
    // in the background colour.
    const unsigned char *corner = sprite->desc.bits;
    sprite->desc.transColor = unsigned(corner[0] | corner[1] << 8);

    std::unique_ptr<example::Surface> back(example::NewRGB565(160, 100));
    IdxFillRect(back->desc, CRectangulo(0, 0, 160, 100), 0xFF203050);
    IdxFillRect(back->desc, CRectangulo(0, 70, 160, 100), 0xFF406020);
    FrameBR(back->desc, CRectangulo(0, 0, 160, 100), 0xFFFFFFFF);

    const int w = sprite->desc.width, h = sprite->desc.height;
    const CPunto at[] = {CPunto(10, 40), CPunto(60, 20), CPunto(136, 50)};
    for (const CPunto &p : at)  // the rectangle is clipped to the back buffer
        DrawBitmap(back->desc, CRectangulo(p.x, p.y, p.x + w, p.y + h), sprite->desc, CPunto(0, 0));

    if (!example::WritePng(back->desc, argv[2])) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    printf("%s: %d x %d sprite drawn 3 times\n", argv[2], w, h);
    return 0;
}
