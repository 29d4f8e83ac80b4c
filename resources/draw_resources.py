#!/usr/bin/env python3
"""Draws the program's icons and its link cursor and writes them as .ico and
.cur files beside this script:

  picture.ico      a clipboard with a drawing on it (a picture on the clipboard)
  no_picture.ico   an empty clipboard (no picture)
  link_hand.cur    a pointing hand, shown over links

The icons hold a 16 by 16 and a 32 by 32 image in the 16 standard colours;
the cursor is 32 by 32, black and white. Run it again after changing a
drawing: python3 resources/draw_resources.py
"""
import os
import struct

# The 16 standard colours (index: (r, g, b)).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, OLIVE, SILVER, GREY, RED, BLUE, WHITE = 0, 1, 3, 7, 8, 9, 12, 15
CLEAR = None


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[CLEAR] * size for _ in range(size)]

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(max(y0, 0), min(y1, self.size - 1) + 1):
            for x in range(max(x0, 0), min(x1, self.size - 1) + 1):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        self.fill(x0, y0, x1, y0, colour)
        self.fill(x0, y1, x1, y1, colour)
        self.fill(x0, y0, x0, y1, colour)
        self.fill(x1, y0, x1, y1, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            self.fill(x, y, x, y, colour)


def clipboard(size, with_picture):
    c = Canvas(size)
    s = size / 32.0

    def p(v):
        return int(round(v * s))

    # The board, its clip, and (with a picture) a page with a small drawing.
    c.fill(p(5), p(4), p(26), p(31), OLIVE)
    c.frame(p(5), p(4), p(26), p(31), BLACK)
    c.fill(p(11), p(1), p(20), p(7), SILVER)
    c.frame(p(11), p(1), p(20), p(7), BLACK)
    c.fill(p(14), p(2), p(17), p(3), GREY)
    page = (p(8), p(9), p(23), p(28))
    if with_picture:
        c.fill(*page, WHITE)
        c.frame(*page, BLACK)
        x0, y0, x1, y1 = page
        c.line(x0 + 2, y1 - 3, x1 - 2, y0 + 3, BLUE)          # a line across
        c.frame(x0 + 2, y0 + 3, x0 + 2 + p(6), y0 + 3 + p(5), RED)  # a part
        c.line(x0 + 2, y1 - 2, x1 - 2, y1 - 2, MAROON)      # a base line
    else:
        c.fill(*page, OLIVE)  # nothing clipped
        c.line(page[0], page[1] + 1, page[2], page[1] + 1, GREY)
    return c


HAND = [
    "      XX",
    "     X..X",
    "     X..X",
    "     X..X",
    "     X..X",
    "     X..XXX",
    "     X..X..XXX",
    "     X..X..X..XX",
    "     X..X..X..X.X",
    " XXX X........X.X",
    " X..XX..........X",
    " X...X..........X",
    "  X.............X",
    "  X.............X",
    "   X............X",
    "   X...........X",
    "    X..........X",
    "    X.........X",
    "     X........X",
    "     X........X",
    "     XXXXXXXXXX",
]
HAND_HOTSPOT = (6, 0)


def hand_cursor():
    c = Canvas(32)
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch == "X":
                c.pixels[y][x] = BLACK
            elif ch == ".":
                c.pixels[y][x] = WHITE
    return c


def row_bytes(bits_per_pixel, width):
    return ((width * bits_per_pixel + 31) // 32) * 4


def pack_rows(canvas, bits_per_pixel, value_of):
    """The canvas as bottom-up rows of `bits_per_pixel`, padded to 4 bytes."""
    out = bytearray()
    per_byte = 8 // bits_per_pixel
    for y in reversed(range(canvas.size)):
        row = bytearray(row_bytes(bits_per_pixel, canvas.size))
        for x in range(canvas.size):
            v = value_of(canvas.pixels[y][x])
            shift = (per_byte - 1 - x % per_byte) * bits_per_pixel
            row[x // per_byte] |= v << shift
        out += row
    return bytes(out)


def device_independent_image(canvas, bits_per_pixel, palette, colour_index):
    header = struct.pack("<IiiHHIIiiII", 40, canvas.size, canvas.size * 2, 1, bits_per_pixel, 0,
                         0, 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    xor = pack_rows(canvas, bits_per_pixel, colour_index)
    mask = pack_rows(canvas, 1, lambda v: 1 if v is CLEAR else 0)
    return header + colours + xor + mask


def write_group(path, kind, images):
    """images: (canvas, bits_per_pixel, colour_count, field1, field2, data)."""
    out = bytearray(struct.pack("<HHH", 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, _, colour_count, field1, field2, data in images:
        out += struct.pack("<BBBBHHII", canvas.size % 256, canvas.size % 256, colour_count, 0,
                           field1, field2, len(data), offset)
        offset += len(data)
    for image in images:
        out += image[5]
    with open(path, "wb") as f:
        f.write(out)


def write_icon(path, with_picture):
    images = []
    for size in (16, 32):
        canvas = clipboard(size, with_picture)
        data = device_independent_image(canvas, 4, PALETTE, lambda v: 0 if v is CLEAR else v)
        images.append((canvas, 4, 16, 1, 4, data))
    write_group(path, 1, images)


def write_cursor(path):
    canvas = hand_cursor()
    data = device_independent_image(canvas, 1, [(0, 0, 0), (255, 255, 255)],
                                    lambda v: 1 if v == WHITE else 0)
    write_group(path, 2, [(canvas, 1, 0, HAND_HOTSPOT[0], HAND_HOTSPOT[1], data)])


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(os.path.join(here, "picture.ico"), True)
    write_icon(os.path.join(here, "no_picture.ico"), False)
    write_cursor(os.path.join(here, "link_hand.cur"))
