// Plays a GIF animation frame by frame into a 32-bit surface and lays the
// frames side by side in one strip.
// Usage: gif_frames ANIM.gif OUT.png
#include <stdio.h>

#include <memory>

#include "example_util.h"

int main(int argc, char **argv) {
    std::vector<unsigned char> file = example::ReadInput(argc, argv, "ANIM.gif OUT.png");

    // The decoder's state lives in gif and raw, which the caller owns; the
    // form with a length keeps every later read inside the buffer.
    CKVGIF gif{};
    RAW raw{};
    TSurfDesc screen{};
    if (file.empty() || !LoadInfoGIF(screen, file.data(), long(file.size()), gif, raw)) {
        fprintf(stderr, "%s: not a GIF stream\n", argv[1]);
        return 1;
    }
    const int w = screen.width, h = screen.height;
    example::Surface frame(w, h, 32);

    // Each LoadGIF writes a frame into the surface (raw.width x raw.height
    // then hold its size); this animation's frames cover the whole screen.
    std::vector<std::unique_ptr<example::Surface>> shots;
    while (shots.size() < 64 && LoadGIFNext(frame.desc, file.data(), gif, raw)) {
        if (!LoadGIF(frame.desc, file.data(), gif, raw)) break;
        shots.emplace_back(new example::Surface(w, h, 32));
        DrawBlock(shots.back()->desc, frame.desc, 0, 0, 0, 0, (unsigned short)w, (unsigned short)h);
    }
    LoadGIFEnd(frame.desc, file.data(), gif, raw);
    if (shots.empty()) {
        fprintf(stderr, "%s: no frame decoded\n", argv[1]);
        return 1;
    }

    const int n = int(shots.size());
    example::Surface strip(n * (w + 2) + 2, h + 4, 32);
    IdxFillRect(strip.desc, CRectangulo(0, 0, strip.desc.width, strip.desc.height), 0xFF000000);
    for (int i = 0; i < n; ++i)
        DrawBlock(strip.desc, shots[i]->desc, 0, 0, (unsigned short)(2 + i * (w + 2)), 2, (unsigned short)w,
                  (unsigned short)h);
    if (!example::WritePng(strip.desc, argv[2])) {
        fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    printf("%s: %d frames of %d x %d\n", argv[2], n, w, h);
    return 0;
}
