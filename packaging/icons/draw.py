#!/usr/bin/python3
# Draws the program's icon at each hicolor size: a blue tile with rounded corners holding a
# cream board with three slots of falling size. Drawn 8 times larger and reduced, so that the
# edges are smooth at every size.
# Run once after changing the design; the PNG files it writes are kept in the repository.
import os
from PIL import Image, ImageDraw

BLUE = (38, 92, 168, 255)
CREAM = (255, 250, 240, 255)
SIZES = (16, 24, 32, 48, 64, 128, 256, 512)


def draw(size):
    big = size * 8
    im = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    m = big // 16
    d.rounded_rectangle((m, m, big - m, big - m), radius=big // 5, fill=BLUE)
    p = big * 3 // 16
    d.rounded_rectangle((p, p, big - p, big - p), radius=big // 16, fill=CREAM)
    if size >= 24:  # three slots of falling size stand on the board from 24 pixels on
        floor = big - p - big // 24
        x = p + big // 24
        for side in (big * 8 // 32, big * 5 // 32, big * 3 // 32):
            d.rectangle((x, floor - side, x + side, floor), fill=BLUE)
            x += side + big // 48
    return im.resize((size, size), Image.LANCZOS)


here = os.path.dirname(os.path.abspath(__file__))
for s in SIZES:
    draw(s).save(os.path.join(here, f"vexilo-{s}.png"), optimize=True)
