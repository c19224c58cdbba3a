#!/usr/bin/env python3
"""Draws the install-script panel's pictures and writes them beside this script:

    script_header.bmp  bitmap 139: the header's 16x16 image (a page with a play mark)
    script_click.bmp   bitmap 145: a click step (a pointer)
    script_select.bmp  bitmap 146: a select or unselect step (a ticked box)
    script_settext.bmp bitmap 147: a set-text step (a text box with a caret)
    script_record.ico  icon 150: the record button (a red dot)
    script_play.ico    icon 151: the play button (a green triangle)

The step images are drawn on white, their transparent colour; the icons on magenta. It reuses the
drawing helpers of make_images.py; run it again after changing a picture and commit the results.
    python3 resources/app/make_script_images.py
"""
from make_images import HERE, MAGENTA, Canvas, bmp_bytes, ico_bytes

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (128, 128, 128)
BLUE = (0, 90, 170)
GREEN = (0, 150, 60)
RED = (210, 30, 30)


def header(c):
    c.rect(3, 1, 12, 14, WHITE)
    c.frame(3, 1, 12, 14, GREY)
    for i in range(5):
        c.rect(6, 4 + i, 6 + min(i, 4 - i) * 2, 4 + i, GREEN)


def click(c):
    # an arrow pointer: a filled wedge with a tail
    for y in range(10):
        c.rect(4, 2 + y, 4 + y // 2 + 1, 2 + y, BLACK)
    c.rect(5, 12, 6, 14, BLACK)
    c.rect(7, 10, 8, 12, BLACK)


def select(c):
    c.rect(2, 3, 12, 13, WHITE)
    c.frame(2, 3, 12, 13, BLUE)
    c.line(4, 8, 6, 10, GREEN)
    c.line(6, 10, 10, 5, GREEN)
    c.line(4, 9, 6, 11, GREEN)
    c.line(6, 11, 10, 6, GREEN)


def set_text(c):
    c.rect(1, 4, 14, 11, WHITE)
    c.frame(1, 4, 14, 11, GREY)
    c.rect(3, 6, 4, 9, BLUE)
    c.rect(6, 6, 7, 9, BLUE)
    c.rect(10, 5, 10, 10, BLACK)


def record(c):
    for y in range(16):
        for x in range(16):
            if (x - 7.5) ** 2 + (y - 7.5) ** 2 <= 30:
                c.pixels[y][x] = RED


def play(c):
    for i in range(11):
        c.rect(4, 2 + i, 4 + min(i, 10 - i) + 1, 2 + i, GREEN)


def single(paint, background):
    canvas = Canvas(16, 16, background)
    paint(canvas)
    return canvas


def doubled(small):
    large = Canvas(32, 32)
    for y in range(32):
        for x in range(32):
            large.pixels[y][x] = small.pixels[y // 2][x // 2]
    return large


def main():
    (HERE / "script_header.bmp").write_bytes(bmp_bytes(single(header, MAGENTA)))
    (HERE / "script_click.bmp").write_bytes(bmp_bytes(single(click, WHITE)))
    (HERE / "script_select.bmp").write_bytes(bmp_bytes(single(select, WHITE)))
    (HERE / "script_settext.bmp").write_bytes(bmp_bytes(single(set_text, WHITE)))
    for name, paint in (("script_record.ico", record), ("script_play.ico", play)):
        small = single(paint, MAGENTA)
        (HERE / name).write_bytes(ico_bytes([doubled(small), small]))


if __name__ == "__main__":
    main()
