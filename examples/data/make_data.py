#!/usr/bin/env python3
"""Writes the examples' inputs: a paletted sprite on a magenta key (BMP) and a
short animation (GIF). Run from anywhere; needs Pillow."""
import os
from PIL import Image, ImageDraw

here = os.path.dirname(os.path.abspath(__file__))

# Sprite: index 0 is the magenta key, the rest a small ramp.
pal = [255, 0, 255]
for i in range(1, 256):
    pal += [min(255, i * 2), 40 + i // 2, 255 - i]
spr = Image.new("P", (48, 48), 0)
spr.putpalette(pal)
d = ImageDraw.Draw(spr)
d.ellipse((4, 4, 43, 43), fill=200)
d.ellipse((12, 10, 27, 25), fill=120)
d.rectangle((20, 30, 28, 38), fill=30)
spr.save(os.path.join(here, "sprite.bmp"))

# Animation: a ball crossing a striped field, 6 frames of 40 x 24.
frames = []
for f in range(6):
    im = Image.new("RGB", (40, 24), (20, 30, 70))
    d = ImageDraw.Draw(im)
    for x in range(0, 40, 8):
        d.rectangle((x, 0, x + 3, 23), fill=(30, 50, 100))
    x = 2 + f * 6
    d.ellipse((x, 6, x + 11, 17), fill=(250, 200, 40))
    # Corner marks that change every frame keep each frame the full screen,
    # so that Pillow stores no cropped difference frames.
    d.point([(0, 0), (39, 23)], fill=(f * 40, 255 - f * 40, 128))
    frames.append(im.quantize(16))
frames[0].save(os.path.join(here, "anim.gif"), save_all=True, append_images=frames[1:],
               duration=80, loop=0)
