#!/usr/bin/env python3
"""Draws the program's three pictures and writes them as 8-bit BMP files
beside this script:

  splash.bmp          560 x 421, the splash screen; the program writes the
                      year over the white box at (415, 31)-(556, 69)
  about_picture.bmp   210 x 300, the left side of the About box
  about_banner.bmp    340 x 43, the top right of the About box

The motif is a cropped CAD part drawing with centre lines and dimensions in
the product's teal and blue. Text is drawn from the Liberation Sans fonts
(Debian package fonts-liberation, installed by scripts/ensure-deps.sh).
Python 3 standard library only. Run it again after changing a drawing:

  python3 resources/draw_bitmaps.py [--png DIR]

--png also writes each picture as PNG into DIR, to look at (the splash
screen with the year drawn over it, as the program shows it).
resources/tests/check_bitmaps.py checks the sizes and the year's box.
"""
import argparse
import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "scripts"))
from png_file import write_png  # noqa: E402
FONT_DIR = "/usr/share/fonts/truetype/liberation"

# The product's colours (r, g, b). TEAL is the colour of the year label that
# the program draws on the splash screen.
WHITE = (255, 255, 255)
TEAL = (0x00, 0x85, 0x90)
TEAL_LIGHT = (0x9C, 0xD3, 0xD7)
TEAL_PALE = (0xE6, 0xF3, 0xF4)
NAVY = (0x0D, 0x33, 0x4A)
BLUE = (0x1F, 0x5F, 0x8B)
BLUE_DEEP = (0x12, 0x46, 0x6A)
GREY = (0x7A, 0x8C, 0x93)
INK = (0x1B, 0x2A, 0x33)

SUBSAMPLES = 5  # rows sampled per pixel row for anti-aliasing


# ---------------------------------------------------------------- canvas

class Canvas:
    """An RGB picture with anti-aliased filling of polygons (non-zero rule)."""

    def __init__(self, width, height, colour=WHITE):
        self.width, self.height = width, height
        self.pixels = [[list(map(float, colour)) for _ in range(width)] for _ in range(height)]

    def fill_polygons(self, polygons, colour, opacity=1.0, clip=None):
        """Fills closed polygons (lists of (x, y) in pixels; pixel centres at
        +0.5) with `colour`; `clip` is an optional (x0, y0, x1, y1) box."""
        edges = []
        for poly in polygons:
            for i in range(len(poly)):
                (xa, ya), (xb, yb) = poly[i], poly[(i + 1) % len(poly)]
                if ya != yb:
                    edges.append((xa, ya, xb, yb))
        if not edges:
            return
        cx0, cy0, cx1, cy1 = clip if clip else (0, 0, self.width, self.height)
        top = max(int(math.floor(min(min(e[1], e[3]) for e in edges))), int(cy0), 0)
        bottom = min(int(math.ceil(max(max(e[1], e[3]) for e in edges))), int(cy1), self.height)
        for row in range(top, bottom):
            coverage = {}
            for s in range(SUBSAMPLES):
                y = row + (s + 0.5) / SUBSAMPLES
                crossings = []
                for xa, ya, xb, yb in edges:
                    if (ya <= y < yb) or (yb <= y < ya):
                        x = xa + (y - ya) * (xb - xa) / (yb - ya)
                        crossings.append((x, 1 if yb > ya else -1))
                crossings.sort()
                winding = 0
                for i, (x, d) in enumerate(crossings):
                    before = winding
                    winding += d
                    if before == 0 and winding != 0:
                        start = x
                    elif before != 0 and winding == 0:
                        self._span(coverage, max(start, cx0), min(x, cx1))
            if coverage:
                line = self.pixels[row]
                for x, c in coverage.items():
                    a = min(1.0, c / SUBSAMPLES) * opacity
                    if a > 0.004:
                        p = line[x]
                        for k in range(3):
                            p[k] += (colour[k] - p[k]) * a

    def _span(self, coverage, x0, x1):
        x0, x1 = max(x0, 0.0), min(x1, float(self.width))
        if x1 <= x0:
            return
        first, last = int(x0), int(math.ceil(x1)) - 1
        for x in range(first, last + 1):
            covered = min(x1, x + 1) - max(x0, x)
            if covered > 0:
                coverage[x] = coverage.get(x, 0.0) + covered

    def rect(self, x0, y0, x1, y1, colour, opacity=1.0):
        self.fill_polygons([[(x0, y0), (x1, y0), (x1, y1), (x0, y1)]], colour, opacity)

    def vertical_gradient(self, x0, y0, x1, y1, top, bottom):
        for y in range(int(y0), int(y1)):
            t = (y - y0) / max(1, (y1 - y0 - 1))
            c = [top[k] + (bottom[k] - top[k]) * t for k in range(3)]
            for x in range(int(x0), int(x1)):
                self.pixels[y][x] = list(c)

    def horizontal_gradient(self, x0, y0, x1, y1, left, right):
        for x in range(int(x0), int(x1)):
            t = (x - x0) / max(1, (x1 - x0 - 1))
            c = [left[k] + (right[k] - left[k]) * t for k in range(3)]
            for y in range(int(y0), int(y1)):
                self.pixels[y][x] = list(c)

    def rgb_rows(self):
        return [[tuple(int(round(min(255.0, max(0.0, v)))) for v in p) for p in line] for line in self.pixels]


# ---------------------------------------------------------------- drawing primitives

def stroke(canvas, points, width, colour, closed=False, opacity=1.0, clip=None):
    """A polyline of `width` pixels: one quad per segment plus round joins."""
    polys = []
    pts = list(points) + ([points[0]] if closed else [])
    half = width / 2.0
    for (xa, ya), (xb, yb) in zip(pts, pts[1:]):
        dx, dy = xb - xa, yb - ya
        length = math.hypot(dx, dy)
        if length == 0:
            continue
        nx, ny = -dy / length * half, dx / length * half
        polys.append([(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny), (xa - nx, ya - ny)])
    if width > 1.6:
        for x, y in pts[1:-1] if not closed else pts:
            polys.append(circle_points(x, y, half, 12))
    # All pieces turn the same way, so that under the non-zero rule their
    # overlaps add up instead of cancelling out.
    canvas.fill_polygons([p if signed_area(p) > 0 else p[::-1] for p in polys], colour, opacity, clip)


def signed_area(poly):
    return sum(xa * yb - xb * ya for (xa, ya), (xb, yb) in zip(poly, poly[1:] + poly[:1])) / 2


def circle_points(cx, cy, r, segments=None, start=0.0, end=2 * math.pi):
    n = segments or max(16, int(r * 2.5))
    return [(cx + r * math.cos(start + (end - start) * i / n), cy + r * math.sin(start + (end - start) * i / n))
            for i in range(n + (0 if end - start >= 2 * math.pi else 1))]


def circle(canvas, cx, cy, r, width, colour, clip=None):
    stroke(canvas, circle_points(cx, cy, r), width, colour, closed=True, clip=clip)


def disc(canvas, cx, cy, r, colour, opacity=1.0):
    canvas.fill_polygons([circle_points(cx, cy, r)], colour, opacity)


def dashed(canvas, a, b, width, colour, pattern=(12, 3, 2, 3), clip=None):
    """A centre line: long dash, gap, short dash, gap."""
    (xa, ya), (xb, yb) = a, b
    length = math.hypot(xb - xa, yb - ya)
    pos, i = 0.0, 0
    while pos < length:
        seg = pattern[i % len(pattern)]
        if i % 2 == 0:
            t0, t1 = pos / length, min(pos + seg, length) / length
            stroke(canvas, [(xa + (xb - xa) * t0, ya + (yb - ya) * t0), (xa + (xb - xa) * t1, ya + (yb - ya) * t1)],
                   width, colour, clip=clip)
        pos += seg
        i += 1


def arrow_head(canvas, tip, toward, colour, length=7.0, half_width=2.2):
    (x, y), (tx, ty) = tip, toward
    d = math.hypot(tx - x, ty - y)
    ux, uy = (tx - x) / d, (ty - y) / d
    bx, by = x + ux * length, y + uy * length
    canvas.fill_polygons([[(x, y), (bx - uy * half_width, by + ux * half_width), (bx + uy * half_width, by - ux * half_width)]],
                         colour)


def dimension(canvas, a, b, offset, text, font, colour, size=11.0, width=0.9):
    """A linear dimension between points a and b, drawn `offset` pixels to the
    left of the direction a->b, with extension lines, arrows and its value."""
    (xa, ya), (xb, yb) = a, b
    d = math.hypot(xb - xa, yb - ya)
    ux, uy = (xb - xa) / d, (yb - ya) / d
    nx, ny = uy, -ux  # left normal in screen coordinates
    gap, over = 3.0, 4.0
    sign = 1 if offset > 0 else -1
    for px, py in (a, b):
        stroke(canvas, [(px + nx * gap * sign, py + ny * gap * sign),
                        (px + nx * (offset + over * sign), py + ny * (offset + over * sign))], width, colour)
    pa = (xa + nx * offset, ya + ny * offset)
    pb = (xb + nx * offset, yb + ny * offset)
    stroke(canvas, [pa, pb], width, colour)
    arrow_head(canvas, pa, pb, colour)
    arrow_head(canvas, pb, pa, colour)
    mx, my = (pa[0] + pb[0]) / 2, (pa[1] + pb[1]) / 2
    angle = math.atan2(yb - ya, xb - xa)
    if angle > math.pi / 2 - 1e-9 or angle <= -math.pi / 2:
        angle += math.pi
    w = font.text_width(text, size)
    # The value stands on the dimension line, centred, a little above it.
    ox, oy = math.cos(angle), math.sin(angle)
    lift = 2.5
    tx = mx - ox * w / 2 + oy * lift
    ty = my - oy * w / 2 - ox * lift
    font.draw(canvas, text, tx, ty, size, colour, angle=angle)


# ---------------------------------------------------------------- TrueType text

class Font:
    """Reads the outlines of a TrueType font (glyf table) for drawing text."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = data = f.read()
        count = struct.unpack(">H", data[4:6])[0]
        self.tables = {}
        for i in range(count):
            tag, _, offset, length = struct.unpack(">4sIII", data[12 + 16 * i:28 + 16 * i])
            self.tables[tag.decode("latin-1")] = (offset, length)
        head = self.tables["head"][0]
        self.units_per_em = struct.unpack(">H", data[head + 18:head + 20])[0]
        self.long_loca = struct.unpack(">h", data[head + 50:head + 52])[0] == 1
        hhea = self.tables["hhea"][0]
        self.ascent = struct.unpack(">h", data[hhea + 4:hhea + 6])[0]
        self.metric_count = struct.unpack(">H", data[hhea + 34:hhea + 36])[0]
        self.cmap = self._read_cmap()
        self.cache = {}

    def _read_cmap(self):
        data, base = self.data, self.tables["cmap"][0]
        count = struct.unpack(">H", data[base + 2:base + 4])[0]
        for i in range(count):
            platform, encoding, offset = struct.unpack(">HHI", data[base + 4 + 8 * i:base + 12 + 8 * i])
            table = base + offset
            if platform == 3 and encoding == 1 and struct.unpack(">H", data[table:table + 2])[0] == 4:
                segs = struct.unpack(">H", data[table + 6:table + 8])[0] // 2
                ends = struct.unpack(">%dH" % segs, data[table + 14:table + 14 + 2 * segs])
                p = table + 16 + 2 * segs
                starts = struct.unpack(">%dH" % segs, data[p:p + 2 * segs])
                deltas = struct.unpack(">%dh" % segs, data[p + 2 * segs:p + 4 * segs])
                range_at = p + 4 * segs
                ranges = struct.unpack(">%dH" % segs, data[range_at:range_at + 2 * segs])
                cmap = {}
                for s in range(segs):
                    for code in range(starts[s], min(ends[s], 0x2FFF) + 1):
                        if ranges[s] == 0:
                            glyph = (code + deltas[s]) & 0xFFFF
                        else:
                            at = range_at + 2 * s + ranges[s] + 2 * (code - starts[s])
                            glyph = struct.unpack(">H", data[at:at + 2])[0]
                            if glyph:
                                glyph = (glyph + deltas[s]) & 0xFFFF
                        cmap[code] = glyph
                return cmap
        raise ValueError("no Unicode cmap")

    def advance(self, glyph):
        hmtx = self.tables["hmtx"][0]
        i = min(glyph, self.metric_count - 1)
        return struct.unpack(">H", self.data[hmtx + 4 * i:hmtx + 4 * i + 2])[0]

    def _glyph_range(self, glyph):
        loca = self.tables["loca"][0]
        if self.long_loca:
            a, b = struct.unpack(">II", self.data[loca + 4 * glyph:loca + 4 * glyph + 8])
        else:
            a, b = (v * 2 for v in struct.unpack(">HH", self.data[loca + 2 * glyph:loca + 2 * glyph + 4]))
        return self.tables["glyf"][0] + a, b - a

    def contours(self, glyph):
        """The glyph's outline as closed polygons in font units (y up)."""
        if glyph in self.cache:
            return self.cache[glyph]
        data = self.data
        at, length = self._glyph_range(glyph)
        result = []
        if length:
            n = struct.unpack(">h", data[at:at + 2])[0]
            if n >= 0:
                result = self._simple(at, n)
            else:
                result = self._composite(at)
        self.cache[glyph] = result
        return result

    def _simple(self, at, n):
        data = self.data
        ends = struct.unpack(">%dH" % n, data[at + 10:at + 10 + 2 * n])
        p = at + 10 + 2 * n
        p += 2 + struct.unpack(">H", data[p:p + 2])[0]
        total = ends[-1] + 1 if n else 0
        flags = []
        while len(flags) < total:
            f = data[p]
            p += 1
            flags.append(f)
            if f & 8:
                flags.extend([f] * data[p])
                p += 1

        def coords(short_bit, same_bit):
            nonlocal p
            out, v = [], 0
            for f in flags:
                if f & short_bit:
                    d = data[p]
                    p += 1
                    v += d if f & same_bit else -d
                elif not f & same_bit:
                    v += struct.unpack(">h", data[p:p + 2])[0]
                    p += 2
                out.append(v)
            return out

        xs = coords(2, 16)
        ys = coords(4, 32)
        polys, start = [], 0
        for end in ends:
            pts = [(xs[i], ys[i], flags[i] & 1) for i in range(start, end + 1)]
            start = end + 1
            polys.append(flatten_quadratic(pts))
        return polys

    def _composite(self, at):
        data, p, polys = self.data, at + 10, []
        while True:
            flags, glyph = struct.unpack(">HH", data[p:p + 4])
            p += 4
            if flags & 1:
                dx, dy = struct.unpack(">hh", data[p:p + 4])
                p += 4
            else:
                dx, dy = struct.unpack(">bb", data[p:p + 2])
                p += 2
            p += 2 if flags & 8 else 4 if flags & 0x40 else 8 if flags & 0x80 else 0
            polys += [[(x + dx, y + dy) for x, y in poly] for poly in self.contours(glyph)]
            if not flags & 0x20:
                return polys

    def text_width(self, text, size):
        return sum(self.advance(self.cmap.get(ord(ch), 0)) for ch in text) * size / self.units_per_em

    def draw(self, canvas, text, x, y, size, colour, angle=0.0, tracking=0.0, opacity=1.0):
        """Draws `text` with its top (the font's ascent) at y; size is the em
        height in pixels. Returns the width drawn."""
        scale = size / self.units_per_em
        ca, sa = math.cos(angle), math.sin(angle)
        polys, pen = [], 0.0
        baseline = self.ascent * scale
        for ch in text:
            glyph = self.cmap.get(ord(ch), 0)
            for poly in self.contours(glyph):
                pts = []
                for gx, gy in poly:
                    lx, ly = pen + gx * scale, baseline - gy * scale
                    pts.append((x + lx * ca - ly * sa, y + lx * sa + ly * ca))
                polys.append(pts)
            pen += self.advance(glyph) * scale + tracking
        canvas.fill_polygons(polys, colour, opacity)
        return pen - tracking


def flatten_quadratic(points):
    """A TrueType contour (x, y, on_curve) as a polygon, curves in short steps."""
    if not points:
        return []
    # Start at an on-curve point (or the midpoint of two off-curve points).
    expanded = []
    for i, (x, y, on) in enumerate(points):
        nx, ny, non = points[(i + 1) % len(points)]
        expanded.append((x, y, on))
        if not on and not non:
            expanded.append(((x + nx) / 2, (y + ny) / 2, 1))
    first_on = next(i for i, pt in enumerate(expanded) if pt[2])
    expanded = expanded[first_on:] + expanded[:first_on]
    out = [(expanded[0][0], expanded[0][1])]
    i = 1
    while i <= len(expanded):
        x, y, on = expanded[i % len(expanded)]
        if on:
            out.append((x, y))
            i += 1
        else:
            ex, ey, _ = expanded[(i + 1) % len(expanded)]
            sx, sy = out[-1]
            for k in range(1, 7):
                t = k / 6
                out.append(((1 - t) ** 2 * sx + 2 * (1 - t) * t * x + t * t * ex,
                            (1 - t) ** 2 * sy + 2 * (1 - t) * t * y + t * t * ey))
            i += 2
    return out


# ---------------------------------------------------------------- the part drawing

def part_drawing(canvas, fonts, ox, oy, s, line, centre, dim, hatch, clip=None, dims=True):
    """A flange plate in front view with a bore, four holes, a slot, centre
    lines and dimensions. (ox, oy) is the plate's centre, s pixels per mm."""
    regular, bold = fonts

    def P(x, y):
        return (ox + x * s, oy + y * s)

    w, h, r = 120, 80, 10  # plate 120 x 80 mm with corner radius 10
    outline = []
    for cx, cy, a0 in ((w / 2 - r, -h / 2 + r, -math.pi / 2), (w / 2 - r, h / 2 - r, 0),
                       (-w / 2 + r, h / 2 - r, math.pi / 2), (-w / 2 + r, -h / 2 + r, math.pi)):
        outline += [P(cx + r * math.cos(a0 + t * math.pi / 2 / 8), cy + r * math.sin(a0 + t * math.pi / 2 / 8))
                    for t in range(9)]
    # Centre lines first, under the outline.
    dashed(canvas, P(-w / 2 - 8, 0), P(w / 2 + 8, 0), 0.8, centre, clip=clip)
    dashed(canvas, P(0, -h / 2 - 8), P(0, h / 2 + 8), 0.8, centre, clip=clip)
    # Bore and its hatched ring (a bush pressed in).
    ring = [circle_points(*P(0, 0), 22 * s), list(reversed(circle_points(*P(0, 0), 15 * s)))]
    canvas.fill_polygons(ring, hatch, 0.35, clip)
    stroke(canvas, outline, 2.2, line, closed=True, clip=clip)
    circle(canvas, *P(0, 0), 22 * s, 1.6, line, clip=clip)
    circle(canvas, *P(0, 0), 15 * s, 2.0, line, clip=clip)
    # Four holes on the corners, each with its own cross of centre lines.
    for hx, hy in ((-45, -25), (45, -25), (45, 25), (-45, 25)):
        circle(canvas, *P(hx, hy), 6 * s, 1.8, line, clip=clip)
        dashed(canvas, P(hx - 10, hy), P(hx + 10, hy), 0.7, centre, pattern=(6, 2, 2, 2), clip=clip)
        dashed(canvas, P(hx, hy - 10), P(hx, hy + 10), 0.7, centre, pattern=(6, 2, 2, 2), clip=clip)
    # A slot on the right-hand side.
    slot = [P(30, -5), P(40, -5)] + [P(40 + 5 * math.cos(-math.pi / 2 + t * math.pi / 10), 5 * math.sin(-math.pi / 2 + t * math.pi / 10))
                                      for t in range(11)] + [P(30, 5)] + \
           [P(30 + 5 * math.cos(math.pi / 2 + t * math.pi / 10), 5 * math.sin(math.pi / 2 + t * math.pi / 10)) for t in range(11)]
    stroke(canvas, slot, 1.6, line, closed=True, clip=clip)
    if not dims:
        return
    dimension(canvas, P(-w / 2, h / 2), P(w / 2, h / 2), -16, "120", regular, dim)
    dimension(canvas, P(w / 2, -h / 2), P(w / 2, h / 2), 16, "80", regular, dim)
    dimension(canvas, P(-45, -h / 2), P(45, -h / 2), 14, "90", regular, dim)
    # Leader to the bore with its diameter.
    bx, by = P(22 * math.cos(-2.3), 22 * math.sin(-2.3))
    kx, ky = P(-53, -47)
    stroke(canvas, [(bx, by), (kx, ky), (kx - 26, ky)], 0.9, dim)
    arrow_head(canvas, (bx, by), (kx, ky), dim)
    regular.draw(canvas, "\u00d844", kx - 26, ky - 13, 11, dim)


# ---------------------------------------------------------------- pictures

def crop_marks(canvas, x0, y0, x1, y1, colour, length=12, width=1.4):
    for x, y, dx, dy in ((x0, y0, 1, 1), (x1, y0, -1, 1), (x1, y1, -1, -1), (x0, y1, 1, -1)):
        stroke(canvas, [(x + dx * length, y), (x, y), (x, y + dy * length)], width, colour)


def grid(canvas, x0, y0, x1, y1, step, colour, opacity):
    x = x0
    while x <= x1:
        canvas.rect(x - 0.35, y0, x + 0.35, y1, colour, opacity)
        x += step
    y = y0
    while y <= y1:
        canvas.rect(x0, y - 0.35, x1, y + 0.35, colour, opacity)
        y += step


def draw_splash(fonts):
    regular, bold = fonts
    c = Canvas(560, 421)
    # Header: the name on white; the program puts the year (bold Arial 26 px,
    # teal, on white) at (415, 31)-(556, 69), so that box stays white.
    bold.draw(c, "Velloform", 26, 14, 56, NAVY, tracking=-0.5)
    regular.draw(c, "EDITION", 417, 17, 9.5, GREY, tracking=1.6)
    regular.draw(c, "CAD pictures, ready for your documents", 29, 74, 15, TEAL)
    c.rect(26, 100, 534, 102, TEAL)
    # The drawing sheet: pale teal with a fine grid, the part and crop marks.
    sheet = (26, 114, 534, 348)
    c.rect(*sheet, TEAL_PALE)
    grid(c, sheet[0], sheet[1], sheet[2], sheet[3], 13, TEAL_LIGHT, 0.45)
    c.fill_polygons([[(sheet[0], sheet[1]), (sheet[2], sheet[1]), (sheet[2], sheet[3]), (sheet[0], sheet[3])],
                     [(sheet[0] + 1, sheet[1] + 1), (sheet[0] + 1, sheet[3] - 1), (sheet[2] - 1, sheet[3] - 1),
                      (sheet[2] - 1, sheet[1] + 1)]], TEAL_LIGHT)
    part_drawing(c, fonts, 262, 232, 1.55, BLUE_DEEP, TEAL, INK, TEAL, clip=sheet)
    crop_marks(c, 140, 145, 384, 318, TEAL, length=14, width=1.6)
    # Side notes on the sheet, like a drawing's revision column.
    for i, (label, value) in enumerate((("CROP", "to extent"), ("LINES", "0.25 mm"), ("FILL", "black"), ("TURN", "90\u00b0"))):
        y = 142 + i * 40
        regular.draw(c, label, 428, y, 9.5, TEAL, tracking=1.2)
        bold.draw(c, value, 428, y + 12, 12.5, NAVY)
        c.rect(428, y + 31, 516, y + 31.8, TEAL_LIGHT)
    # Footer band.
    c.horizontal_gradient(0, 362, 560, 421, TEAL, BLUE_DEEP)
    bold.draw(c, "Clipboard handler", 26, 372, 17, WHITE)
    regular.draw(c, "Improves WMF pictures copied from CAD programs", 26, 394, 12.5, (0xD8, 0xEE, 0xF0))
    label = "Tornvik"
    bold.draw(c, label, 534 - bold.text_width(label, 15), 382, 15, WHITE, tracking=0)
    return c


def draw_about_picture(fonts):
    regular, bold = fonts
    c = Canvas(210, 300)
    c.vertical_gradient(0, 0, 210, 300, BLUE_DEEP, NAVY)
    grid(c, 8, 8, 202, 218, 12, TEAL, 0.28)
    # The part in light lines on the blue sheet, inside crop marks.
    area = (8, 8, 202, 218)
    part_drawing(c, fonts, 105, 113, 1.35, WHITE, TEAL_LIGHT, TEAL_LIGHT, TEAL, clip=area, dims=False)
    dimension(c, (105 - 22 * 1.35, 113 + 60), (105 + 22 * 1.35, 113 + 60), 0.01, "", regular, TEAL_LIGHT)
    regular.draw(c, "\u00d844", 92, 113 + 64, 10, TEAL_LIGHT)
    crop_marks(c, 20, 20, 190, 206, TEAL_LIGHT, length=10, width=1.2)
    # A title block, as at the foot of a drawing sheet.
    c.rect(8, 226, 202, 292, WHITE)
    c.rect(8, 226, 202, 228, TEAL)
    bold.draw(c, "Velloform", 16, 233, 27, NAVY, tracking=-0.3)
    c.rect(16, 268, 194, 269, TEAL_LIGHT)
    regular.draw(c, "CLIPBOARD HANDLER", 16, 274, 9, TEAL, tracking=1.0)
    regular.draw(c, "A4  1:1", 194 - regular.text_width("A4  1:1", 9), 274, 9, GREY)
    return c


def draw_about_banner(fonts):
    regular, bold = fonts
    c = Canvas(340, 43)
    c.horizontal_gradient(0, 0, 340, 43, TEAL, BLUE_DEEP)
    bold.draw(c, "Velloform", 12, 5, 27, WHITE, tracking=-0.3)
    regular.draw(c, "CAD pictures for your documents", 150, 16, 11.5, (0xD8, 0xEE, 0xF0))
    # A dimension line along the bottom edge, the product's mark.
    y = 38
    stroke(c, [(12, y), (328, y)], 0.8, TEAL_LIGHT)
    for x in (12, 328):
        stroke(c, [(x, y - 4), (x, y + 4)], 0.8, TEAL_LIGHT)
    arrow_head(c, (12, y), (40, y), TEAL_LIGHT, 6, 2)
    arrow_head(c, (328, y), (300, y), TEAL_LIGHT, 6, 2)
    return c


# ---------------------------------------------------------------- files

def quantize(rows, colours=256):
    """The picture in at most `colours` colours: (palette, index rows). Median
    cut over the distinct colours, weighted by their counts."""
    counts = {}
    for line in rows:
        for p in line:
            counts[p] = counts.get(p, 0) + 1
    if len(counts) <= colours:
        palette = sorted(counts)
    else:
        boxes = [list(counts)]
        while len(boxes) < colours:
            def spread(box):
                return max(max(p[k] for p in box) - min(p[k] for p in box) for k in range(3)) * \
                    math.log(1 + sum(counts[p] for p in box))
            boxes.sort(key=spread)
            box = boxes.pop()
            if len(box) < 2:
                boxes.append(box)
                break
            k = max(range(3), key=lambda k: max(p[k] for p in box) - min(p[k] for p in box))
            box.sort(key=lambda p: p[k])
            half, acc, total = 0, 0, sum(counts[p] for p in box)
            for half, p in enumerate(box):
                acc += counts[p]
                if acc >= total / 2:
                    break
            half = min(max(half, 1), len(box) - 1)
            boxes += [box[:half], box[half:]]
        palette = []
        for box in boxes:
            total = sum(counts[p] for p in box)
            palette.append(tuple(int(round(sum(p[k] * counts[p] for p in box) / total)) for k in range(3)))
    nearest = {}
    for p in counts:
        nearest[p] = min(range(len(palette)),
                         key=lambda i: sum((palette[i][k] - p[k]) ** 2 for k in range(3)))
    return palette, [[nearest[p] for p in line] for line in rows]


def write_bmp8(path, rows):
    palette, indices = quantize(rows)
    height, width = len(rows), len(rows[0])
    stride = (width + 3) // 4 * 4
    pixels = b"".join(bytes(line) + bytes(stride - width) for line in reversed(indices))
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset))
        f.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, len(palette), 0))
        f.write(colours)
        f.write(pixels)
    return palette, indices


def write_png_copy(path, palette, indices):
    write_png(path, len(indices[0]), len(indices), [bytes(b for i in line for b in palette[i]) for line in indices])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--png", help="also write PNG copies into this folder")
    args = parser.parse_args()
    fonts = (Font(os.path.join(FONT_DIR, "LiberationSans-Regular.ttf")),
             Font(os.path.join(FONT_DIR, "LiberationSans-Bold.ttf")))
    for name, draw in (("splash", draw_splash), ("about_picture", draw_about_picture),
                       ("about_banner", draw_about_banner)):
        canvas = draw(fonts)
        palette, indices = write_bmp8(os.path.join(HERE, name + ".bmp"), canvas.rgb_rows())
        if args.png:
            os.makedirs(args.png, exist_ok=True)
            if name == "splash":
                # As the program shows it: the year label over the white box.
                fonts[1].draw(canvas, "2018", 415, 31, 26, TEAL)
                palette, indices = quantize(canvas.rgb_rows())
            write_png_copy(os.path.join(args.png, name + ".png"), palette, indices)


if __name__ == "__main__":
    main()
