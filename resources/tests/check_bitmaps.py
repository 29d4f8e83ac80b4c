#!/usr/bin/env python3
"""Checks the program's bitmaps as committed: the sizes and colour depth the
splash screen and the About box expect, and the white box of the splash
screen on which the program writes the year (a label with a white ground at
(415, 31)-(556, 69)), which a drawing must leave white."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.dirname(HERE)

# file: (width, height, bits per pixel or None for any)
EXPECTED = {
    "splash.bmp": (560, 421, 8),
    "about_picture.bmp": (210, 300, None),
    "about_banner.bmp": (340, 43, None),
}
YEAR_BOX = (415, 31, 556, 69)  # left, top, right, bottom (exclusive)


def read_bmp(path):
    """(width, height, bits, pixel(x, y) -> (r, g, b)) of an uncompressed BMP."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError("not a BMP file")
    offset = struct.unpack("<I", data[10:14])[0]
    _, width, height, _, bits, compression, _, _, _, used = struct.unpack("<IiiHHIIiiI", data[14:50])
    if compression != 0:
        raise ValueError("compressed")
    header = struct.unpack("<I", data[14:18])[0]
    palette_at = 14 + header
    colours = used or (1 << bits if bits <= 8 else 0)
    stride = (width * bits + 31) // 32 * 4

    def pixel(x, y):
        row = offset + (height - 1 - y if height > 0 else y) * stride
        if bits == 8:
            b, g, r = data[palette_at + 4 * data[row + x]:palette_at + 4 * data[row + x] + 3]
        elif bits in (24, 32):
            b, g, r = data[row + x * bits // 8:row + x * bits // 8 + 3]
        else:
            raise ValueError(f"{bits} bits per pixel not read here")
        return r, g, b

    if bits <= 8 and colours > (1 << bits):
        raise ValueError("palette larger than the depth allows")
    return width, abs(height), bits, pixel


def main():
    problems = []
    for name, (width, height, bits) in EXPECTED.items():
        try:
            w, h, b, pixel = read_bmp(os.path.join(RESOURCES, name))
        except (OSError, ValueError) as error:
            problems.append(f"{name}: {error}")
            continue
        if (w, h) != (width, height):
            problems.append(f"{name}: {w} x {h} pixels, not {width} x {height}")
        if bits and b != bits:
            problems.append(f"{name}: {b} bits per pixel, not {bits}")
        if name == "splash.bmp" and not problems:
            left, top, right, bottom = YEAR_BOX
            inked = [(x, y) for y in range(top, bottom) for x in range(left, right) if pixel(x, y) != (255, 255, 255)]
            if inked:
                problems.append(f"{name}: {len(inked)} pixels of the year's box are not white, the first at {inked[0]}")
    for problem in problems:
        print(problem)
    if not problems:
        print(f"checked {len(EXPECTED)} bitmaps")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
