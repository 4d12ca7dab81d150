#!/usr/bin/env python3
"""Writes data/palette.dat: Quilmark's own default 256-colour palette.

768 bytes, 256 red-green-blue triplets. The layout:
  0        black
  1-8      basic dark colours
  9        magenta (255, 0, 255): the transparent key colour, easy to spot
  10-15    basic light colours
  16-31    a ramp of 16 greys
  32-239   13 hues, each a ramp of 16 shades from dark to light
  240-254  earth and skin tones
  255      white: the background of every view
Every colour appears once, so an image written with this palette reads back
with the same indices.

Usage: python3 tools/make_palette.py [OUT]   (default data/palette.dat)
"""
import colorsys
import os
import sys

def build():
    pal = [(0, 0, 0)]
    pal += [(128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128),
            (128, 0, 128), (0, 128, 128), (192, 192, 192), (128, 128, 128)]
    pal.append((255, 0, 255))  # index 9, the transparent key
    pal += [(255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
            (0, 255, 255), (255, 251, 240)]
    # greys 16..31: 8, 24, ..., 248 (none equals a basic colour above)
    pal += [(8 + 16 * i,) * 3 for i in range(16)]
    # 13 hues, 16 shades each: value rises over the first half, then saturation falls
    for h in range(13):
        hue = h / 13.0
        for s in range(16):
            if s < 10:
                v, sat = 0.18 + 0.82 * s / 9.0, 0.95
            else:
                v, sat = 1.0, 0.95 - 0.65 * (s - 9) / 6.0
            r, g, b = colorsys.hsv_to_rgb(hue, sat, v)
            pal.append((round(r * 255), round(g * 255), round(b * 255)))
    earth = [(101, 67, 33), (139, 90, 43), (160, 120, 80), (194, 150, 110),
             (222, 184, 135), (245, 222, 179), (255, 224, 189), (234, 192, 134),
             (198, 134, 66), (141, 85, 36), (92, 64, 51), (61, 43, 31),
             (85, 107, 47), (107, 142, 35), (189, 183, 107)]
    pal += earth
    pal.append((255, 255, 255))  # index 255, the background
    assert len(pal) == 256, len(pal)
    assert len(set(pal)) == 256, "colours must be distinct"
    return pal

def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data", "palette.dat")
    with open(out, "wb") as f:
        f.write(bytes(c for rgb in build() for c in rgb))

if __name__ == "__main__":
    main()
