#!/usr/bin/env python3
"""stage_help.py SOURCE BITMAPS OUT: puts the help pages together in OUT
(emptied first),
ready for chmcmd and for reading in a browser: the pages, stylesheet,
project, contents and index from SOURCE (this folder), and every picture
drawn into BITMAPS (24-bit BMP files) as a PNG file of the same name in
OUT/velloform-documentation/pictures/."""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from png_file import bmp_to_png  # noqa: E402

PAGE_FILES = (".html", ".css", ".hhp", ".hhc", ".hhk")
PICTURES = os.path.join("velloform-documentation", "pictures")


def empty(folder):
    """Removes what an earlier build left in `folder`, keeping the folder."""
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        else:
            os.remove(path)


def main(source, bitmaps, out):
    empty(out)
    for folder, _, files in os.walk(source):
        for name in files:
            if name.endswith(PAGE_FILES):
                relative = os.path.relpath(os.path.join(folder, name), source)
                os.makedirs(os.path.join(out, os.path.dirname(relative)), exist_ok=True)
                shutil.copyfile(os.path.join(folder, name), os.path.join(out, relative))
    os.makedirs(os.path.join(out, PICTURES), exist_ok=True)
    drawn = sorted(name for name in os.listdir(bitmaps) if name.endswith(".bmp"))
    if not drawn:
        sys.exit(f"stage_help.py: no pictures in {bitmaps}")
    for name in drawn:
        bmp_to_png(os.path.join(bitmaps, name), os.path.join(out, PICTURES, name[:-4] + ".png"))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
