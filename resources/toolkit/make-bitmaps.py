#!/usr/bin/env python3
# Draws the toolkit's own bitmaps as 24-bit .bmp files. Run it after changing a glyph; the .bmp
# files are committed so the build needs no Python.
#
# caption-glyphs.bmp: a 64 x 15 strip of four 16 x 15 glyphs for the caption bar and its pop-up,
# on magenta (the image lists that cut the strip take magenta as their mask colour):
#   0 push pin, 1 push pin under the mouse, 2 close, 3 close in the Aero look.
import os
import struct

MAGENTA = (0xFF, 0x00, 0xFF)
COLOURS = {
    ".": MAGENTA,
    "X": (0x00, 0x00, 0x00),        # outline
    "w": (0xFF, 0xFF, 0xFF),        # lit face of the hot pin
    "s": (0x80, 0x80, 0x80),        # shaded side of the pin head
    "a": (0x3C, 0x3C, 0x3C),        # the Aero cross: dark grey, not black
}

GLYPHS = [
    [   # 0 push pin: needle to the left, head to the right
        "................",
        "................",
        "................",
        "................",
        ".........X......",
        ".........XXXXXX.",
        ".........X....X.",
        ".........X....X.",
        "..XXXXXXXX....X.",
        ".........XssssX.",
        ".........XXXXXX.",
        ".........X......",
        "................",
        "................",
        "................",
    ],
    [   # 1 push pin under the mouse: the same pin with a lit head
        "................",
        "................",
        "................",
        "................",
        ".........X......",
        ".........XXXXXX.",
        ".........XwwwwX.",
        ".........XwwwwX.",
        "..XXXXXXXXwwwwX.",
        ".........XssssX.",
        ".........XXXXXX.",
        ".........X......",
        "................",
        "................",
        "................",
    ],
    [   # 2 close: a two-pixel cross
        "................",
        "................",
        "................",
        "....XX....XX....",
        ".....XX..XX.....",
        "......XXXX......",
        ".......XX.......",
        "......XXXX......",
        ".....XX..XX.....",
        "....XX....XX....",
        "................",
        "................",
        "................",
        "................",
        "................",
    ],
    [   # 3 close in the Aero look: a wider, softer cross
        "................",
        "................",
        "...aaa....aaa...",
        "....aaa..aaa....",
        ".....aaaaaa.....",
        "......aaaa......",
        "......aaaa......",
        ".....aaaaaa.....",
        "....aaa..aaa....",
        "...aaa....aaa...",
        "................",
        "................",
        "................",
        "................",
        "................",
    ],
]

WIDTH, HEIGHT = 16 * len(GLYPHS), 15


def write_bmp(path, pixel):
    row_size = (WIDTH * 3 + 3) & ~3
    rows = []
    for y in range(HEIGHT - 1, -1, -1):    # bottom-up rows
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    image = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(image), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + image)


for glyph in GLYPHS:
    assert len(glyph) == HEIGHT and all(len(row) == 16 for row in glyph)

here = os.path.dirname(os.path.abspath(__file__))
write_bmp(os.path.join(here, "bitmaps", "caption-glyphs.bmp"),
          lambda x, y: COLOURS[GLYPHS[x // 16][y][x % 16]])
