#!/usr/bin/env python3
# Draws the toolkit's own cursors as 32 x 32 monochrome .cur files: black shapes with a white
# rim, transparent elsewhere. Run it after changing a shape; the .cur files are committed so the
# build needs no Python.
import os
import struct

SIZE = 32


def hline(s, x0, x1, y):
    for x in range(x0, x1 + 1):
        s.add((x, y))


def vline(s, x, y0, y1):
    for y in range(y0, y1 + 1):
        s.add((x, y))


def arrow_lr(s, cx, cy, half, gap):
    # a double-headed arrow pointing left and right, with a gap in the middle for the bar
    for side in (-1, 1):
        tip = cx + side * half
        for i in range(5):
            vline(s, tip - side * i, cy - i, cy + i)
        hline(s, min(cx + side * gap, tip), max(cx + side * gap, tip), cy)


def arrow_ud(s, cx, cy, half, gap):
    for side in (-1, 1):
        tip = cy + side * half
        for i in range(5):
            hline(s, cx - i, cx + i, tip - side * i)
        vline(s, cx, min(cy + side * gap, tip), max(cy + side * gap, tip))


def split_columns():
    s = set()
    arrow_lr(s, 15, 15, 11, 2)
    vline(s, 14, 6, 24)
    vline(s, 16, 6, 24)
    return s, (15, 15)


def split_rows():
    s = set()
    arrow_ud(s, 15, 15, 11, 2)
    hline(s, 6, 24, 14)
    hline(s, 6, 24, 16)
    return s, (15, 15)


def split_both():
    s = set()
    arrow_lr(s, 15, 15, 11, 2)
    arrow_ud(s, 15, 15, 11, 2)
    hline(s, 8, 22, 14)
    hline(s, 8, 22, 16)
    vline(s, 14, 8, 22)
    vline(s, 16, 8, 22)
    return s, (15, 15)


def hand():
    s = set()
    for x in range(6, 9):           # index finger
        vline(s, x, 1, 14)
    for x, top in ((10, 7), (13, 8), (16, 9)):   # other fingers
        for dx in range(2):
            vline(s, x + dx, top, 16)
    for y in range(14, 26):         # palm
        hline(s, 4 if y > 17 else 6, 18, y)
    for i in range(4):              # thumb
        hline(s, 1 + i, 5, 12 + i)
    return s, (7, 1)


def write_cursor(path, shape, hotspot):
    black, _ = shape, None
    rim = set()
    for (x, y) in black:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                p = (x + dx, y + dy)
                if p not in black and 0 <= p[0] < SIZE and 0 <= p[1] < SIZE:
                    rim.add(p)
    xor_rows, and_rows = [], []
    for y in range(SIZE - 1, -1, -1):   # bottom-up rows
        xor_bits = and_bits = 0
        for x in range(SIZE):
            bit = 1 << (31 - x)
            if (x, y) in black:
                pass                     # AND 0, XOR 0: black
            elif (x, y) in rim:
                xor_bits |= bit          # AND 0, XOR 1: white
            else:
                and_bits |= bit          # AND 1, XOR 0: transparent
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


here = os.path.dirname(os.path.abspath(__file__))
for name, maker in (("split-columns", split_columns), ("split-rows", split_rows),
                    ("split-both", split_both), ("hand", hand)):
    shape, hotspot = maker()
    write_cursor(os.path.join(here, "cursors", name + ".cur"), shape, hotspot)
