#!/usr/bin/env python3
"""Draws the program's small pictures and writes them beside this script:

    tree_nodes.bmp   bitmap 130: seven 16x16 node images of the packages tree
    toolbar.bmp      bitmap 138: the toolbar's command icons, 16x16, in button order
    build_banner.bmp bitmap 143: the build dialog's banner
    toolbar128.bmp   bitmap 128: the same icons on 16x15 buttons (the toolbar resource's strip)
    tarnwick.ico     icon 128: 32x32 and 16x16
    default_program.bmp  bitmap 165: the installed-programs list's image for a program without icon
    file_images.bmp  bitmap 152: the files editor's images: system folder, folder, file, shortcut,
                     missing file or target
    registry_images.bmp  bitmap 153: the registry editor's root key, key, string value, binary value

Magenta (255, 0, 255) is the transparent colour of the strips, except the plain toolbar's (grey,
mapped to the button face when loaded). Plain shapes on a small grid, no
outside tools: run it again after changing a picture and commit the results.
    python3 resources/app/make_images.py
"""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent
MAGENTA = (255, 0, 255)
# The plain toolbar loads its strip with LR_LOADMAP3DCOLORS, which turns this grey into the
# button face; it has no transparent colour of its own.
BUTTON_GREY = (192, 192, 192)


class Canvas:
    def __init__(self, width, height, fill=MAGENTA):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills x0..x1, y0..y1 inclusive, clipped."""
        for y in range(max(0, y0), min(self.height, y1 + 1)):
            for x in range(max(0, x0), min(self.width, x1 + 1)):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0, colour)
        self.rect(x0, y1, x1, y1, colour)
        self.rect(x0, y0, x0, y1, colour)
        self.rect(x1, y0, x1, y1, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.rect(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps),
                      round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)

    def paste(self, other, at_x, at_y):
        for y in range(other.height):
            for x in range(other.width):
                if 0 <= at_y + y < self.height and 0 <= at_x + x < self.width:
                    self.pixels[at_y + y][at_x + x] = other.pixels[y][x]


DARK = (40, 40, 40)
BLUE = (30, 90, 180)
LIGHT_BLUE = (150, 190, 240)
YELLOW = (240, 200, 60)
BROWN = (150, 110, 40)
GREEN = (40, 150, 60)
RED = (200, 40, 40)
WHITE = (255, 255, 255)
GREY = (150, 150, 150)


def box(c):          # a package: a closed carton
    c.rect(2, 5, 13, 14, BROWN)
    c.frame(2, 5, 13, 14, DARK)
    c.rect(2, 2, 13, 5, YELLOW)
    c.frame(2, 2, 13, 5, DARK)
    c.rect(7, 2, 8, 14, DARK)


def project(c):      # a project: a blue sheet with a folded corner
    c.rect(3, 1, 12, 14, LIGHT_BLUE)
    c.frame(3, 1, 12, 14, BLUE)
    for y in (5, 8, 11):
        c.rect(5, y, 10, y, BLUE)


def folder(c):       # "Files"
    c.rect(1, 4, 6, 5, YELLOW)
    c.rect(1, 5, 14, 13, YELLOW)
    c.frame(1, 5, 14, 13, BROWN)


def registry(c):     # "Registry": a grid of cubes
    for x0, y0, colour in ((2, 2, RED), (9, 2, GREEN), (2, 9, BLUE), (9, 9, YELLOW)):
        c.rect(x0, y0, x0 + 4, y0 + 4, colour)
        c.frame(x0, y0, x0 + 4, y0 + 4, DARK)


def script(c, colour):  # the two scripts: a page with a play mark
    c.rect(2, 1, 13, 14, WHITE)
    c.frame(2, 1, 13, 14, DARK)
    for i in range(5):
        c.rect(5 + i, 4 + i, 5 + i, 12 - i, colour)


def actions(c):      # custom actions: a gear-like star
    c.rect(6, 2, 9, 13, GREY)
    c.rect(2, 6, 13, 9, GREY)
    c.frame(5, 5, 10, 10, DARK)


def new_project(c):
    project(c)
    c.rect(10, 9, 14, 10, GREEN)
    c.rect(11, 8, 13, 11, GREEN)
    c.rect(12, 7, 12, 12, GREEN)


def open_project(c):
    folder(c)
    c.line(4, 13, 8, 8, BROWN)
    c.line(8, 8, 15, 8, BROWN)


def delete(c):
    c.line(3, 3, 12, 12, RED)
    c.line(4, 3, 13, 12, RED)
    c.line(12, 3, 3, 12, RED)
    c.line(13, 3, 4, 12, RED)


def build(c):        # a package with a down arrow
    box(c)
    c.rect(11, 9, 15, 10, GREEN)
    c.rect(12, 11, 14, 12, GREEN)
    c.rect(13, 13, 13, 14, GREEN)


def help_mark(c):
    c.rect(3, 1, 12, 14, (250, 250, 220))
    c.frame(3, 1, 12, 14, BLUE)
    c.rect(6, 3, 9, 3, BLUE)
    c.rect(10, 4, 10, 6, BLUE)
    c.rect(8, 7, 9, 7, BLUE)
    c.rect(7, 8, 7, 9, BLUE)
    c.rect(7, 11, 7, 12, BLUE)


def default_program(c):  # a program window: title bar over a white client area
    c.rect(1, 2, 14, 13, WHITE)
    c.frame(1, 2, 14, 13, DARK)
    c.rect(2, 3, 13, 5, BLUE)
    c.rect(11, 3, 12, 4, WHITE)


def system_folder(c):   # a root system folder: a blue folder
    c.rect(1, 4, 6, 5, LIGHT_BLUE)
    c.rect(1, 5, 14, 13, LIGHT_BLUE)
    c.frame(1, 5, 14, 13, BLUE)


def plain_file(c):      # a file: a white page with lines
    c.rect(3, 1, 12, 14, WHITE)
    c.frame(3, 1, 12, 14, DARK)
    for y in (4, 7, 10):
        c.rect(5, y, 10, y, GREY)


def shortcut(c):        # a shortcut: a page with the link arrow in its corner
    plain_file(c)
    c.rect(1, 9, 7, 15, WHITE)
    c.frame(1, 9, 7, 15, DARK)
    c.line(2, 14, 6, 10, BLUE)
    c.rect(4, 10, 6, 10, BLUE)
    c.rect(6, 10, 6, 12, BLUE)


def missing(c):         # a missing source file or shortcut target: a page struck through in red
    plain_file(c)
    c.line(2, 2, 13, 13, RED)
    c.line(13, 2, 2, 13, RED)
def root_key(c):     # a root key: the registry's cubes on a dark plate
    c.rect(1, 1, 14, 14, DARK)
    registry(c)


def key(c):          # a key: a closed folder, darker than the files' one
    c.rect(1, 3, 6, 4, BROWN)
    c.rect(1, 4, 14, 13, YELLOW)
    c.frame(1, 4, 14, 13, BROWN)


def string_value(c):  # a string value: a red "ab" on a white label
    c.rect(1, 3, 14, 12, WHITE)
    c.frame(1, 3, 14, 12, GREY)
    c.frame(3, 6, 6, 10, RED)
    c.rect(3, 5, 6, 5, RED)
    c.rect(8, 4, 8, 10, RED)
    c.frame(8, 7, 12, 10, RED)


def binary_value(c):  # a binary or DWORD value: blue "01" on a white label
    c.rect(1, 3, 14, 12, WHITE)
    c.frame(1, 3, 14, 12, GREY)
    c.frame(3, 5, 6, 10, BLUE)
    c.rect(10, 5, 10, 10, BLUE)
    c.rect(9, 6, 9, 6, BLUE)


def strip(painters, cell_w, cell_h, background=MAGENTA):
    canvas = Canvas(cell_w * len(painters), cell_h, background)
    for i, paint in enumerate(painters):
        cell = Canvas(16, 16, background)
        paint(cell)
        canvas.paste(cell, i * cell_w, 0)
    return canvas


def bmp_bytes(canvas):
    """A 24-bit bottom-up BMP file."""
    row = canvas.width * 3
    pad = (4 - row % 4) % 4
    data = bytearray()
    for y in reversed(range(canvas.height)):
        for r, g, b in canvas.pixels[y]:
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + data


def ico_image(canvas):
    """One icon image: 32-bit BGRA XOR bitmap (magenta transparent) and a 1-bit AND mask."""
    w, h = canvas.width, canvas.height
    xor = bytearray()
    mask_row = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(h)):
        bits = bytearray(mask_row)
        for x, colour in enumerate(canvas.pixels[y]):
            r, g, b = colour
            transparent = colour == MAGENTA
            xor += bytes((0, 0, 0, 0)) if transparent else bytes((b, g, r, 255))
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def ico_bytes(canvases):
    images = [ico_image(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def main():
    nodes = [box, project, folder, registry, lambda c: script(c, GREEN), lambda c: script(c, RED), actions]
    (HERE / "tree_nodes.bmp").write_bytes(bmp_bytes(strip(nodes, 16, 16)))
    commands = [new_project, open_project, delete, build, help_mark]  # 32779, 32775, 32780, 32784, 57666
    (HERE / "toolbar.bmp").write_bytes(bmp_bytes(strip(commands, 16, 16)))
    (HERE / "toolbar128.bmp").write_bytes(bmp_bytes(strip(commands, 16, 15, BUTTON_GREY)))
    small = Canvas(16, 16)
    box(small)
    large = Canvas(32, 32)
    for y in range(32):
        for x in range(32):
            large.pixels[y][x] = small.pixels[y // 2][x // 2]
    (HERE / "tarnwick.ico").write_bytes(ico_bytes([large, small]))
    (HERE / "build_banner.bmp").write_bytes(bmp_bytes(build_banner()))
    (HERE / "default_program.bmp").write_bytes(bmp_bytes(strip([default_program], 16, 16)))
    files = [system_folder, folder, plain_file, shortcut, missing]
    (HERE / "file_images.bmp").write_bytes(bmp_bytes(strip(files, 16, 16)))
    registry_images = [root_key, key, string_value, binary_value]
    (HERE / "registry_images.bmp").write_bytes(bmp_bytes(strip(registry_images, 16, 16)))


def build_banner():
    """Bitmap 143: the build dialog's banner, a blue band fading to white with the build icon."""
    width, height = 570, 65     # 380 by 40 dialog units at the dialog font's 96-DPI size
    canvas = Canvas(width, height, (255, 255, 255))
    for y in range(height):
        for x in range(width):
            t = x / (width - 1)
            canvas.pixels[y][x] = (int(0 + 255 * t), int(90 + 165 * t), int(170 + 85 * t))
    icon = Canvas(16, 16, (255, 255, 255))
    build(icon)
    for y in range(32):
        for x in range(32):
            colour = icon.pixels[y // 2][x // 2]
            if colour != MAGENTA and colour != (255, 255, 255):
                canvas.pixels[16 + y][16 + x] = colour
    return canvas


if __name__ == "__main__":
    main()
