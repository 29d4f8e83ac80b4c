"""Writes RGB pictures as PNG files (Python standard library only). Used by
the scripts that draw the program's bitmaps and the help pages' and the
README's pictures.

png_file.py BMP PNG... turns each 24-bit BMP file into the PNG file after it."""
import struct
import sys
import zlib


def write_png(path, width, height, rows):
    """rows: `height` byte strings of `width` RGB triples each, top row first."""
    raw = b"".join(b"\x00" + bytes(row) for row in rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def read_bmp24(path):
    """(width, height, rows) of an uncompressed 24-bit BMP file, rows as in
    write_png. Fails with ValueError on any other kind of file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM" or len(data) < 54:
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack("<I", data[10:14])[0]
    _, width, height, _, bits, compression = struct.unpack("<IiiHHI", data[14:34])
    if bits != 24 or compression != 0 or width <= 0 or height == 0:
        raise ValueError(f"{path}: not an uncompressed 24-bit BMP file")
    stride = (width * 3 + 3) // 4 * 4
    if offset + stride * abs(height) > len(data):
        raise ValueError(f"{path}: the file ends before its pixels")
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        bgr = data[offset + source * stride: offset + source * stride + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    return width, abs(height), rows


def bmp_to_png(bmp, png):
    """Writes the 24-bit BMP file `bmp` as the PNG file `png`."""
    write_png(png, *read_bmp24(bmp))


if __name__ == "__main__":
    if len(sys.argv) < 3 or len(sys.argv) % 2 == 0:
        sys.exit(__doc__)
    for i in range(1, len(sys.argv), 2):
        bmp_to_png(sys.argv[i], sys.argv[i + 1])
