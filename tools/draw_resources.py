#!/usr/bin/env python3
"""Draws Karpolin's pictures into res/: the about picture (106), the busy bar cells (111-113), the
program icon (102), the list rows' icon (108) and the link cursor (114).

Standard library only. Shapes are signed-distance functions, so every edge is anti-aliased by its
exact distance to the pixel centre; the about picture is reduced to a 256-colour palette by median
cut at the end. The output is byte-for-byte the same on every run.

    python3 tools/draw_resources.py [--preview DIR]

--preview also writes enlarged PNG copies of everything to DIR for looking at them.
"""

import math
import os
import struct
import sys
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
RES = os.path.join(ROOT, "res")


# ---------------------------------------------------------------------------------------------
# Colours and small helpers


def hexcolor(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


def mix(a, b, t):
    t = 0.0 if t < 0.0 else 1.0 if t > 1.0 else t
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t)


def clamp01(v):
    return 0.0 if v < 0.0 else 1.0 if v > 1.0 else v


def linear(x0, y0, c0, x1, y1, c1, stops=None):
    """A linear gradient from (x0,y0) to (x1,y1); stops is an optional list of (t, colour)."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1.0
    points = stops or [(0.0, c0), (1.0, c1)]

    def paint(x, y):
        t = clamp01(((x - x0) * dx + (y - y0) * dy) / length2)
        for i in range(1, len(points)):
            if t <= points[i][0]:
                t0, a = points[i - 1]
                t1, b = points[i]
                return mix(a, b, (t - t0) / ((t1 - t0) or 1.0))
        return points[-1][1]

    return paint


def radial(cx, cy, radius, c0, c1):
    def paint(x, y):
        return mix(c0, c1, math.hypot(x - cx, y - cy) / radius)

    return paint


def cylinder(x0, x1, dark, light, highlight=0.3):
    """Horizontal shading of an upright cylinder lit from the upper left."""

    def paint(x, y):
        u = clamp01((x - x0) / ((x1 - x0) or 1.0))
        # brightest a third of the way across, darker toward both rims
        lit = math.cos((u - highlight) * math.pi * 0.85)
        return mix(dark, light, clamp01(lit) ** 1.4)

    return paint


# ---------------------------------------------------------------------------------------------
# Shapes: sd(x, y) is the signed distance (negative inside), bbox the pixel box it can touch.


class Shape:
    def bbox(self):
        raise NotImplementedError

    def sd(self, x, y):
        raise NotImplementedError


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def bbox(self):
        return (self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r)

    def sd(self, x, y):
        return math.hypot(x - self.cx, y - self.cy) - self.r


class Ellipse(Shape):
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry

    def bbox(self):
        return (self.cx - self.rx, self.cy - self.ry, self.cx + self.rx, self.cy + self.ry)

    def sd(self, x, y):
        # good enough near the outline, which is all the anti-aliasing needs
        u, v = (x - self.cx) / self.rx, (y - self.cy) / self.ry
        k = math.hypot(u, v)
        if k == 0.0:
            return -min(self.rx, self.ry)
        gu, gv = u / (self.rx * k), v / (self.ry * k)
        return (k - 1.0) / (math.hypot(gu, gv) or 1.0)


class Box(Shape):
    """An axis-aligned rectangle with rounded corners of radius r."""

    def __init__(self, x0, y0, x1, y1, r=0.0):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r
        self.cx, self.cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
        self.hx, self.hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def bbox(self):
        return (self.x0, self.y0, self.x1, self.y1)

    def sd(self, x, y):
        qx = abs(x - self.cx) - self.hx
        qy = abs(y - self.cy) - self.hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - self.r


class Polygon(Shape):
    def __init__(self, points):
        self.points = points
        self.edges = [(points[i], points[(i + 1) % len(points)]) for i in range(len(points))]

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs), min(ys), max(xs), max(ys))

    def sd(self, x, y):
        best = 1e18
        inside = False
        for (ax, ay), (bx, by) in self.edges:
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = clamp01((wx * ex + wy * ey) / ((ex * ex + ey * ey) or 1.0))
            dx, dy = wx - ex * t, wy - ey * t
            d = dx * dx + dy * dy
            if d < best:
                best = d
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        d = math.sqrt(best)
        return -d if inside else d


class Stroke(Shape):
    """A polyline of width w; its two ends are round unless butt_start/butt_end."""

    def __init__(self, points, w, butt_start=False, butt_end=False):
        # repeated points would make segments of no length, which have no direction
        points = [p for i, p in enumerate(points) if i == 0 or math.hypot(p[0] - points[i - 1][0],
                                                                          p[1] - points[i - 1][1]) > 1e-6]
        if len(points) == 1:
            points = points * 2
        self.points = points
        self.r = w / 2.0
        self.segments = []
        for i in range(len(points) - 1):
            (ax, ay), (bx, by) = points[i], points[i + 1]
            length = math.hypot(bx - ax, by - ay)
            ux, uy = ((bx - ax) / length, (by - ay) / length) if length else (1.0, 0.0)
            self.segments.append((ax, ay, ux, uy, length,
                                  butt_start and i == 0, butt_end and i == len(points) - 2))

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs) - self.r, min(ys) - self.r, max(xs) + self.r, max(ys) + self.r)

    def sd(self, x, y):
        r = self.r
        best = 1e18
        for ax, ay, ux, uy, length, butt0, butt1 in self.segments:
            wx, wy = x - ax, y - ay
            u = wx * ux + wy * uy
            v = abs(-wx * uy + wy * ux)
            if u < 0.0:
                if butt0:
                    dv = v - r
                    d = math.hypot(u, dv) if dv > 0.0 else max(-u, dv)
                else:
                    d = math.hypot(u, v) - r
            elif u > length:
                if butt1:
                    du = u - length
                    dv = v - r
                    d = math.hypot(du, dv) if dv > 0.0 else max(du, dv)
                else:
                    d = math.hypot(u - length, v) - r
            else:
                d = v - r
            if d < best:
                best = d
        return best


class Union(Shape):
    def __init__(self, *shapes):
        self.shapes = shapes
        self.boxes = [s.bbox() for s in shapes]

    def bbox(self):
        b = self.boxes
        return (min(v[0] for v in b), min(v[1] for v in b), max(v[2] for v in b), max(v[3] for v in b))

    def sd(self, x, y):
        best = 1e18
        for shape, (x0, y0, x1, y1) in zip(self.shapes, self.boxes):
            # a shape is never nearer than its box: skip the ones that cannot win
            dx = x0 - x if x < x0 else x - x1 if x > x1 else 0.0
            dy = y0 - y if y < y0 else y - y1 if y > y1 else 0.0
            if (dx > 0.0 or dy > 0.0) and math.hypot(dx, dy) >= best:
                continue
            d = shape.sd(x, y)
            if d < best:
                best = d
        return best


class Clip(Shape):
    """`shape` inside `window` only."""

    def __init__(self, shape, window):
        self.shape, self.window = shape, window

    def bbox(self):
        a, b = self.shape.bbox(), self.window.bbox()
        return (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))

    def sd(self, x, y):
        return max(self.shape.sd(x, y), self.window.sd(x, y))


class Outline(Shape):
    """A line of width w along the edge of `shape`, centred on it."""

    def __init__(self, shape, w):
        self.shape, self.h = shape, w / 2.0

    def bbox(self):
        b = self.shape.bbox()
        return (b[0] - self.h, b[1] - self.h, b[2] + self.h, b[3] + self.h)

    def sd(self, x, y):
        return abs(self.shape.sd(x, y)) - self.h


def arc(cx, cy, rx, ry, a0, a1, steps=None):
    """Points along an elliptic arc; angles in degrees, 0 = right, 90 = down (screen)."""
    if steps is None:
        steps = max(6, int(abs(a1 - a0) / 6))
    out = []
    for i in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * i / steps)
        out.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return out


def bezier(p0, p1, p2, p3, steps=40):
    out = []
    for i in range(steps + 1):
        t = i / steps
        s = 1 - t
        out.append((s * s * s * p0[0] + 3 * s * s * t * p1[0] + 3 * s * t * t * p2[0] + t * t * t * p3[0],
                    s * s * s * p0[1] + 3 * s * s * t * p1[1] + 3 * s * t * t * p2[1] + t * t * t * p3[1]))
    return out


# ---------------------------------------------------------------------------------------------
# The canvas: straight (not premultiplied) RGBA floats.


class Canvas:
    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        n = w * h
        if background is None:
            self.r, self.g, self.b, self.a = [0.0] * n, [0.0] * n, [0.0] * n, [0.0] * n
        else:
            self.r, self.g, self.b = [background[0]] * n, [background[1]] * n, [background[2]] * n
            self.a = [1.0] * n
        self.shift = (0.0, 0.0)  # where the drawing's origin lies on the canvas

    def fill(self, shape, paint, opacity=1.0, soft=1.0):
        """Paints `shape` with a colour or a paint(x, y) function. `soft` widens the edge (blur)."""
        sx, sy = self.shift
        x0, y0, x1, y1 = shape.bbox()
        x0, y0, x1, y1 = x0 + sx, y0 + sy, x1 + sx, y1 + sy
        x0 = max(0, int(math.floor(x0 - soft)))
        y0 = max(0, int(math.floor(y0 - soft)))
        x1 = min(self.w, int(math.ceil(x1 + soft)) + 1)
        y1 = min(self.h, int(math.ceil(y1 + soft)) + 1)
        flat = not callable(paint)
        R, G, B, A = self.r, self.g, self.b, self.a
        sd = shape.sd
        for y in range(y0, y1):
            py = y + 0.5 - sy
            row = y * self.w
            for x in range(x0, x1):
                px = x + 0.5 - sx
                d = sd(px, py)
                cov = 0.5 - d / soft
                if cov <= 0.0:
                    continue
                if cov > 1.0:
                    cov = 1.0
                alpha = cov * opacity
                c = paint if flat else paint(px, py)
                i = row + x
                below = A[i] * (1.0 - alpha)
                out = alpha + below
                if out <= 0.0:
                    continue
                R[i] = (c[0] * alpha + R[i] * below) / out
                G[i] = (c[1] * alpha + G[i] * below) / out
                B[i] = (c[2] * alpha + B[i] * below) / out
                A[i] = out

    def rgb8(self):
        """Opaque 8-bit rows, composed over white where the canvas is transparent."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                i = y * self.w + x
                a = self.a[i]
                row.append(tuple(int(round(255 * clamp01(c * a + (1.0 - a)))) for c in
                                 (self.r[i], self.g[i], self.b[i])))
            rows.append(row)
        return rows

    def rgba8(self):
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                i = y * self.w + x
                row.append((int(round(255 * clamp01(self.r[i]))), int(round(255 * clamp01(self.g[i]))),
                            int(round(255 * clamp01(self.b[i]))), int(round(255 * clamp01(self.a[i])))))
            rows.append(row)
        return rows


# ---------------------------------------------------------------------------------------------
# Lettering: a monoline geometric sans drawn from strokes. Units: cap height 100, baseline at
# y = 100, x-height line at y = XH. Each glyph is (advance, parts, clip): parts are ("s", points,
# butt start, butt end) strokes and ("c", x, y, radius) dots; clip (top, bottom) cuts the glyph
# horizontally, so that slanted strokes end flat on the cap line and the baseline.

XH = 32.0


def _glyphs(weight):
    h = weight / 2.0
    bowl = (100.0 - XH) / 2.0
    r = bowl - h + 1.5  # centre-line radius; bowls overshoot the x-height and baseline by 1.5
    cy = XH + bowl
    arch = 22.0  # centre-line radius of the arch of n and r
    arch_y = XH - 1.5 + h + arch
    ring = arc(0, 0, r, r, 0, 360, 90)

    def bowl_at(cx):
        return ("s", [(cx + x, cy + y) for x, y in ring], False, False)

    g = {
        "K": (68, [("s", [(h, 0), (h, 100)], True, True),
                   ("s", [(72, -8), (h + 1, 62)], False, False),
                   ("s", [(27, 45), (74, 108)], False, False)], (0, 100)),
        "a": (2 * (r + h) + h - 1, [bowl_at(r + h), ("s", [(2 * r + h, XH - 1.5), (2 * r + h, 100)], True, True)],
              None),
        "o": (2 * (r + h), [bowl_at(r + h)], None),
        "p": (2 * (r + h), [("s", [(h, XH - 1.5), (h, 134)], True, True), bowl_at(r + h)], None),
        "r": (h + arch + 10, [("s", [(h, XH - 1.5), (h, 100)], True, True),
                             ("s", [(h, arch_y + 6)] + arc(h + arch, arch_y, arch, arch, 180, 285, 24), False,
                              False)], None),
        "l": (weight, [("s", [(h, 0), (h, 100)], True, True)], None),
        "i": (weight, [("s", [(h, XH - 1.5), (h, 100)], True, True), ("c", h, XH - 22, h + 1.5)], None),
        "n": (2 * arch + weight, [("s", [(h, XH - 1.5), (h, 100)], True, True),
                                  ("s", [(h, arch_y + 8)] + arc(h + arch, arch_y, arch, arch, 180, 360, 40)
                                   + [(h + 2 * arch, 100)], False, True)], None),
    }
    return g


def lettering(text, x, baseline, cap_height, weight=16.0, tracking=7.0):
    """The text as one shape, left edge at x, baseline at y = baseline; returns (shape, width)."""
    glyphs = _glyphs(weight)
    scale = cap_height / 100.0
    shapes = []
    pen = 0.0

    def at(px, py):
        return (x + (pen + px) * scale, baseline + (py - 100.0) * scale)

    for ch in text:
        advance, parts, clip = glyphs[ch]
        pieces = []
        for part in parts:
            if part[0] == "s":
                pieces.append(Stroke([at(px, py) for px, py in part[1]], weight * scale, part[2], part[3]))
            else:
                cx, cy = at(part[1], part[2])
                pieces.append(Circle(cx, cy, part[3] * scale))
        glyph = Union(*pieces)
        if clip:
            left, top = at(-20, clip[0])
            right, bottom = at(advance + 20, clip[1])
            glyph = Clip(glyph, Box(left, top, right, bottom))
        shapes.append(glyph)
        pen += advance + tracking
    return Union(*shapes), (pen - tracking) * scale


# ---------------------------------------------------------------------------------------------
# Files: BMP, ICO, CUR, PNG


def median_cut(rows, colours=256):
    """An adaptive palette of at most `colours` entries for the pixels in rows."""
    histogram = {}
    for row in rows:
        for c in row:
            histogram[c] = histogram.get(c, 0) + 1
    boxes = [list(histogram.items())]
    while len(boxes) < colours:
        # split the box with the largest (count-weighted) spread
        best, best_score, best_axis = None, -1, 0
        for index, box in enumerate(boxes):
            if len(box) < 2:
                continue
            count = sum(n for _, n in box)
            for axis in range(3):
                values = [c[axis] for c, _ in box]
                spread = max(values) - min(values)
                score = spread * spread * count
                if score > best_score:
                    best, best_score, best_axis = index, score, axis
        if best is None:
            break
        box = sorted(boxes[best], key=lambda item: (item[0][best_axis], item[0]))
        total = sum(n for _, n in box)
        running, cut = 0, 1
        for i, (_, n) in enumerate(box):
            running += n
            if running * 2 >= total:
                cut = min(max(i + 1, 1), len(box) - 1)
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[k] * n for c, n in box) / total)) for k in range(3)))
    return sorted(set(palette))


def nearest_index(palette):
    cache = {}

    def find(c):
        hit = cache.get(c)
        if hit is None:
            best, hit = 1 << 30, 0
            for i, p in enumerate(palette):
                # weighted distance: the eye is most sensitive to green, least to blue
                d = 3 * (p[0] - c[0]) ** 2 + 4 * (p[1] - c[1]) ** 2 + 2 * (p[2] - c[2]) ** 2
                if d < best:
                    best, hit = d, i
            cache[c] = hit
        return hit

    return find


def quantize(rows, palette):
    find = nearest_index(palette)
    return [[find(c) for c in row] for row in rows]


def dib_8bit(indices, palette, height_factor=1):
    """BITMAPINFOHEADER, 256-entry palette and bottom-up 8-bit rows."""
    h, w = len(indices), len(indices[0])
    stride = (w + 3) & ~3
    header = struct.pack("<IiiHHIIiiII", 40, w, h * height_factor, 1, 8, 0, stride * h, 2835, 2835,
                         len(palette), len(palette))
    quads = b"".join(struct.pack("BBBB", c[2], c[1], c[0], 0) for c in palette)
    pixels = b"".join(bytes(row) + b"\0" * (stride - w) for row in reversed(indices))
    return header + quads, pixels


def write_bmp(path, indices, palette):
    info, pixels = dib_8bit(indices, palette)
    offset = 14 + len(info)
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + pixels)


def and_mask(opaque):
    """1-bit AND mask rows, bottom-up: 1 where the picture is transparent."""
    h, w = len(opaque), len(opaque[0])
    stride = ((w + 31) // 32) * 4
    out = b""
    for row in reversed(opaque):
        bits = bytearray(stride)
        for x, solid in enumerate(row):
            if not solid:
                bits[x >> 3] |= 0x80 >> (x & 7)
        out += bytes(bits)
    return out


def icon_image_32(rgba):
    h, w = len(rgba), len(rgba[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, w * h * 4 + ((w + 31) // 32) * 4 * h, 0, 0,
                         0, 0)
    pixels = b"".join(struct.pack("BBBB", p[2], p[1], p[0], p[3]) for row in reversed(rgba) for p in row)
    return header + pixels + and_mask([[p[3] >= 128 for p in row] for row in rgba])


def icon_image_8(rgba, palette):
    """The 256-colour image for older screens: colours over a hard mask."""
    opaque = [[p[3] >= 128 for p in row] for row in rgba]
    find = nearest_index(palette)
    indices = [[find(p[:3]) if p[3] >= 128 else 0 for p in row] for row in rgba]
    info, pixels = dib_8bit(indices, palette, height_factor=2)
    h, w = len(rgba), len(rgba[0])
    info = info[:20] + struct.pack("<I", len(pixels) + ((w + 31) // 32) * 4 * h) + info[24:]
    return info + pixels + and_mask(opaque)


def write_icon_file(path, images, kind=1):
    """images: list of (width, height, colour count, planes/hotspot x, bits/hotspot y, data)."""
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    blobs = b""
    for w, h, colours, field1, field2, data in images:
        out += struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, colours, 0, field1, field2, len(data), offset)
        offset += len(data)
        blobs += data
    with open(path, "wb") as f:
        f.write(out + blobs)


def write_png(path, rgba, scale=1):
    h, w = len(rgba), len(rgba[0])
    raw = b""
    for row in rgba:
        line = b"".join(bytes((p[0], p[1], p[2], p[3] if len(p) > 3 else 255)) * scale for p in row)
        raw += (b"\0" + line) * scale

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w * scale, h * scale, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def checker(rgba, cell=4):
    """The picture over a grey checkerboard, to see its transparency in a preview."""
    out = []
    for y, row in enumerate(rgba):
        line = []
        for x, p in enumerate(row):
            bg = 204 if ((x // cell) + (y // cell)) % 2 else 255
            a = p[3] / 255.0
            line.append(tuple(int(round(p[k] * a + bg * (1 - a))) for k in range(3)) + (255,))
        out.append(line)
    return out


# ---------------------------------------------------------------------------------------------
# The palette of the pictures

NAVY = hexcolor("1b365d")
BLUE = hexcolor("2f6db5")
SKY = hexcolor("dbe7f3")
STEEL_LIGHT = hexcolor("eef2f6")
STEEL = hexcolor("aab6c2")
STEEL_DARK = hexcolor("5d6b7a")
CONCRETE_LIGHT = hexcolor("d5dbe1")
CONCRETE_DARK = hexcolor("7d8894")
ORANGE = hexcolor("e8762d")
ORANGE_DARK = hexcolor("b9561b")
WHITE = (1.0, 1.0, 1.0)
INK = hexcolor("1e2a38")
LCD_LIGHT = hexcolor("d6ead8")
LCD_DARK = hexcolor("b3d2b9")
LCD_INK = hexcolor("23352b")


# ---------------------------------------------------------------------------------------------
# Bitmap 106: the about picture


def seven_segment(canvas, digits, x, y, height, colour, slant=0.1):
    """Digits (and '.') of a display; x, y is the top-left corner of the first digit."""
    segments = {"0": "abcdef", "1": "bc", "2": "abged", "3": "abgcd", "4": "fgbc", "5": "afgcd",
                "6": "afgedc", "7": "abc", "8": "abcdefg", "9": "abcdfg"}
    w = height * 0.52
    t = height * 0.12  # segment thickness
    half = height / 2.0
    ends = {"a": ((0, 0), (w, 0)), "b": ((w, 0), (w, half)), "c": ((w, half), (w, height)),
            "d": ((0, height), (w, height)), "e": ((0, half), (0, height)), "f": ((0, 0), (0, half)),
            "g": ((0, half), (w, half))}
    pen = x
    for ch in digits:
        if ch == ".":
            canvas.fill(Box(pen - w * 0.12, y + height - t, pen - w * 0.12 + t, y + height), colour)
            pen += t * 0.9
            continue
        for seg in segments[ch]:
            (ax, ay), (bx, by) = ends[seg]
            # shorten each segment a little so that neighbours keep a hairline gap
            gap = t * 0.55
            if ax == bx:
                ay, by = ay + gap, by - gap
            else:
                ax, bx = ax + gap, bx - gap
            pts = [(pen + px + (height - py) * slant, y + py) for px, py in ((ax, ay), (bx, by))]
            canvas.fill(Stroke(pts, t, False, False), colour)
        pen += w + height * 0.28


def draw_about():
    W, H = 535, 393
    c = Canvas(W, H, WHITE)
    # sky fading into the white of the dialog below the picture
    c.fill(Box(-2, -2, W + 2, H + 2), linear(0, 0, SKY, 0, 330, WHITE,
                                             [(0.0, SKY), (0.55, hexcolor("eef3f9")), (1.0, WHITE)]))
    # a faint measuring grid behind everything, fading out toward the bottom
    grid = hexcolor("c9d7e6")
    for gx in range(20, W, 40):
        c.fill(Box(gx, 0, gx + 1, 300), linear(0, 0, grid, 0, 300, hexcolor("f3f6fa")), opacity=0.35)
    for gy in range(20, 300, 40):
        c.fill(Box(0, gy, W, gy + 1), grid, opacity=0.35 * (1 - gy / 300.0))
    # the scene sits a little lower, so that the white band below it is not wider than the sky above
    c.shift = (0.0, 14.0)

    ground = 336.0
    # ground shadows
    c.fill(Ellipse(112, ground + 2, 92, 9), hexcolor("a9b4c0"), opacity=0.45, soft=10)
    c.fill(Ellipse(405, ground - 4, 118, 9), hexcolor("a9b4c0"), opacity=0.5, soft=10)

    # --- the stack: a tapered concrete chimney
    top, left_top, right_top = 46.0, 76.0, 148.0
    left_bottom, right_bottom = 58.0, 166.0

    def edges(y):
        t = (y - top) / (ground - top)
        return left_top + (left_bottom - left_top) * t, right_top + (right_bottom - right_top) * t

    def concrete(x, y):
        x0, x1 = edges(y)
        return cylinder(x0, x1, CONCRETE_DARK, CONCRETE_LIGHT)(x, y)

    stack = Polygon([(left_top, top), (right_top, top), (right_bottom, ground), (left_bottom, ground)])
    c.fill(stack, concrete)
    # concrete sections
    for y in range(90, int(ground), 44):
        x0, x1 = edges(y)
        c.fill(Box(x0, y, x1, y + 1.2), INK, opacity=0.12)
    # warning bands near the top
    def red(x, y):
        x0, x1 = edges(y)
        return cylinder(x0, x1, ORANGE_DARK, hexcolor("f4a36a"))(x, y)

    for y0, y1 in ((58, 72), (86, 100)):
        c.fill(Clip(stack, Box(0, y0, W, y1)), red)
    # the rim
    c.fill(Box(left_top - 5, top - 7, right_top + 5, top + 3, 2), cylinder(left_top - 5, right_top + 5,
                                                                            STEEL_DARK, STEEL_LIGHT))
    c.fill(Ellipse((left_top + right_top) / 2, top - 7, (right_top - left_top) / 2 + 3, 3), INK, opacity=0.75)
    # plinth
    c.fill(Box(left_bottom - 10, ground - 14, right_bottom + 10, ground, 2),
           cylinder(left_bottom - 10, right_bottom + 10, CONCRETE_DARK, CONCRETE_LIGHT))

    # plume: soft clouds rising from the rim and drifting to the upper right
    for cx, cy, r, o in ((110, 30, 20, 0.75), (128, 16, 24, 0.7), (152, 6, 28, 0.6), (182, -2, 30, 0.5),
                         (98, 16, 16, 0.55), (212, -10, 30, 0.35)):
        c.fill(Circle(cx + r * 0.2, cy + r * 0.35, r * 0.85), hexcolor("b9c5d2"), opacity=o * 0.55, soft=12)
        c.fill(Circle(cx, cy, r), hexcolor("fbfcfd"), opacity=o, soft=10)

    # --- the cut-away at sampling height: the gas flow and the probe's nozzle inside the stack
    cut_top, cut_bottom = 176.0, 262.0
    inner = Clip(Polygon([(edges(cut_top)[0] + 8, cut_top), (edges(cut_top)[1] - 8, cut_top),
                          (edges(cut_bottom)[1] - 8, cut_bottom), (edges(cut_bottom)[0] + 8, cut_bottom)]),
                 Box(0, cut_top, W, cut_bottom))
    c.fill(Outline(inner, 5), hexcolor("eef1f4"))
    c.fill(inner, linear(0, cut_top, hexcolor("3a4657"), 0, cut_bottom, hexcolor("222b36")))
    # flow arrows (upward)
    for ax in (84, 112, 140):
        for ay in (250, 214):
            arrow = Union(Stroke([(ax, ay + 10), (ax, ay - 12)], 3.0),
                          Stroke([(ax - 6, ay - 5), (ax, ay - 12), (ax + 6, ay - 5)], 3.0))
            c.fill(Clip(arrow, inner), hexcolor("8fc1ea"), opacity=0.55)

    # a working platform below the sampling port, with its railing
    x0, x1 = edges(268)
    c.fill(Box(x0 - 14, 268, 246, 275, 1), linear(0, 268, STEEL, 0, 275, STEEL_DARK))
    c.fill(Stroke([(x1, 232), (242, 232)], 2.6, True, False), STEEL_DARK)
    c.fill(Stroke([(x1, 250), (242, 250)], 1.8, True, False), STEEL_DARK, opacity=0.8)
    for px in (196, 242):
        c.fill(Stroke([(px, 232), (px, 268)], 2.6, False, True), STEEL_DARK)
    c.fill(Box(x0 - 14, 275, x1 + 14, 279), INK, opacity=0.12, soft=3)

    # --- the probe: a steel tube through the port on the right, bent down into the flow
    port_y = 200.0
    sx = edges(port_y)[1]
    c.fill(Box(sx - 2, port_y - 12, sx + 7, port_y + 12, 1.5), cylinder(sx - 2, sx + 7, STEEL_DARK, STEEL_LIGHT))
    tube = Stroke([(262, port_y), (104, port_y)] + arc(104, port_y + 12, 12, 12, 270, 180, 12) + [(92, 232)],
                  6.0, True, True)
    c.fill(tube, linear(0, port_y - 3, STEEL_LIGHT, 0, port_y + 3, STEEL_DARK))
    c.fill(Stroke([(262, port_y - 1.2), (104, port_y - 1.2)], 1.4), WHITE, opacity=0.7)
    # nozzle tip, facing into the flow
    c.fill(Polygon([(87.5, 230), (96.5, 230), (98, 240), (86, 240)]), cylinder(86, 98, STEEL_DARK, STEEL_LIGHT))
    # pitot tube alongside
    c.fill(Stroke([(250, port_y + 9), (110, port_y + 9), (110, 226)], 2.2, True, True), hexcolor("d0d7de"))
    # the probe's handle and heated head outside
    c.fill(Box(214, port_y - 11, 262, port_y + 11, 4), linear(0, port_y - 11, hexcolor("3f74ad"), 0,
                                                              port_y + 11, NAVY))
    c.fill(Box(218, port_y - 8, 258, port_y - 5, 1.5), WHITE, opacity=0.35)
    c.fill(Box(262, port_y - 7, 272, port_y + 7, 2), cylinder(262, 272, STEEL_DARK, STEEL_LIGHT))

    # --- the umbilical hose from the probe to the instrument
    hose = bezier((270, port_y), (300, port_y + 4), (262, 266), (316, 268), 60)
    c.fill(Stroke(hose, 9.0), hexcolor("2b3440"))
    c.fill(Stroke([(x - 0.8, y - 2.2) for x, y in hose], 2.4), hexcolor("7e8b99"), opacity=0.8)

    # --- the instrument
    ix0, iy0, ix1, iy1 = 312.0, 168.0, 505.0, 330.0
    # memory card in its slot, sticking out of the top
    card = Box(446, 140, 480, 176, 3)
    c.fill(card, linear(446, 140, hexcolor("4f8fd6"), 480, 176, hexcolor("23548f")))
    c.fill(Box(451, 146, 475, 156, 1.5), WHITE, opacity=0.85)
    for k in range(5):
        c.fill(Box(451 + k * 5, 160, 454 + k * 5, 168), hexcolor("e6b84a"))
    # carrying handle
    c.fill(Stroke(arc(370, iy0 + 2, 34, 22, 180, 360, 30), 7.0), STEEL_DARK)
    c.fill(Stroke(arc(370, iy0 + 2, 34, 22, 200, 340, 24), 2.0), STEEL_LIGHT, opacity=0.6)
    # casing
    c.fill(Box(ix0, iy0, ix1, iy1, 11), linear(0, iy0, hexcolor("3b6ea6"), 0, iy1, hexcolor("17314f")))
    c.fill(Outline(Box(ix0 + 1.5, iy0 + 1.5, ix1 - 1.5, iy1 - 1.5, 10), 1.2), WHITE, opacity=0.25)
    # slot
    c.fill(Box(440, iy0 + 3, 486, iy0 + 7, 2), hexcolor("0f1f33"))
    # hose connector on the left side
    c.fill(Box(ix0 - 8, 257, ix0 + 2, 279, 2), cylinder(ix0 - 8, ix0 + 2, STEEL_DARK, STEEL_LIGHT))
    # front panel
    px0, py0, px1, py1 = ix0 + 14, iy0 + 14, ix1 - 14, iy1 - 14
    c.fill(Box(px0, py0, px1, py1, 6), linear(0, py0, hexcolor("f3f6f9"), 0, py1, hexcolor("c9d3dd")))
    # display
    dx0, dy0, dx1, dy1 = px0 + 12, py0 + 11, px1 - 12, py0 + 67
    c.fill(Box(dx0 - 3, dy0 - 3, dx1 + 3, dy1 + 3, 5), hexcolor("2a3a4c"))
    c.fill(Box(dx0, dy0, dx1, dy1, 3), linear(dx0, dy0, LCD_LIGHT, dx1, dy1, LCD_DARK))
    seven_segment(c, "12.4", dx0 + 12, dy0 + 12, 30, LCD_INK)
    # little bar graph on the display's right
    for k, level in enumerate((0.35, 0.55, 0.8, 0.6, 0.9, 0.7)):
        bx = dx1 - 44 + k * 6.5
        c.fill(Box(bx, dy1 - 10 - 28 * level, bx + 4, dy1 - 10), LCD_INK, opacity=0.8)
    c.fill(Box(dx0, dy0, dx1, dy0 + 8, 3), WHITE, opacity=0.25)
    # keys
    for k, colour in enumerate((NAVY, NAVY, NAVY, ORANGE)):
        kx = px0 + 24 + k * 32
        ky = py1 - 26
        c.fill(Circle(kx, ky + 1.5, 11), INK, opacity=0.25, soft=2.5)
        dark = ORANGE_DARK if colour == ORANGE else hexcolor("10233d")
        light = hexcolor("f6a565") if colour == ORANGE else hexcolor("4a7fbf")
        c.fill(Circle(kx, ky, 10), radial(kx - 4, ky - 5, 15, light, dark))
    # status lamp
    c.fill(Circle(px1 - 16, py1 - 26, 5), radial(px1 - 18, py1 - 28, 7, hexcolor("b7f0b1"), hexcolor("2f9a3e")))

    # --- the name
    title, width = lettering("Karpolin", 0, 0, 60, weight=15.0)
    x0 = 505 - width
    title, width = lettering("Karpolin", x0, 100, 60, weight=15.0)
    for glyph in title.shapes:
        c.fill(glyph, linear(0, 40, hexcolor("2d629c"), 0, 100, NAVY))
    c.fill(Box(x0 + 2, 128, 505, 131, 1.5), linear(x0, 0, ORANGE, 505, 0, hexcolor("f2b27e")))
    return c


def render_indexed(canvas):
    rows = canvas.rgb8()
    palette = median_cut(rows, 256)
    return quantize(rows, palette), palette


# ---------------------------------------------------------------------------------------------
# Bitmaps 111-113: the busy bar's cells, shaded from light at the upper left to dark at the lower right


def draw_cell(light, dark):
    w, h = 8, 13
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            t = (x / (w - 1)) * 0.4 + (y / (h - 1)) * 0.6
            colour = mix(light, dark, t)
            if x == w - 1 or y == h - 1:
                # the right and bottom edge, a shade darker, keep neighbouring cells apart
                colour = mix(colour, dark, 0.5)
                colour = tuple(v * 0.82 for v in colour)
            elif x == 0 or y == 0:
                colour = mix(colour, WHITE, 0.25)
            row.append(tuple(int(round(255 * v)) for v in colour))
        rows.append(row)
    return rows


CELLS = {
    "CellBright.bmp": (hexcolor("fbfdff"), hexcolor("5b9be0")),
    "CellMedium.bmp": (hexcolor("a9cdf3"), hexcolor("2c63a8")),
    "CellDim.bmp": (hexcolor("5d7fa8"), hexcolor("1a3254")),
}


# ---------------------------------------------------------------------------------------------
# Icon 102: the program (a stack with the probe in it), icon 108: a measuring point


def draw_program_icon(s):
    c = Canvas(s, s)
    k = s / 48.0
    if s <= 16:
        # the small size is drawn on the pixel grid, so that its edges stay sharp
        c.fill(Box(0, 0, 16, 16, 3), linear(0, 0, hexcolor("5a9be0"), 16, 16, hexcolor("173f73")))
        c.fill(Polygon([(4, 3), (8, 3), (8.5, 14), (3.5, 14)]), cylinder(3.5, 8.5, hexcolor("b9c6d3"), WHITE))
        c.fill(Box(3, 2, 9, 3), hexcolor("dfe6ee"))
        c.fill(Box(4, 5, 8, 6), ORANGE)
        c.fill(Box(8, 9, 12, 11), hexcolor("e2e8ef"))
        c.fill(Box(11, 8, 14, 12, 0.8), linear(0, 8, hexcolor("f6a565"), 0, 12, ORANGE_DARK))
        c.fill(Circle(11, 2.5, 2.0), WHITE, opacity=0.45)
        return c
    tile = Box(1, 1, s - 1, s - 1, s * 0.2)
    c.fill(tile, linear(0, 0, hexcolor("5a9be0"), s, s, hexcolor("173f73")))
    c.fill(Outline(Box(2, 2, s - 2, s - 2, s * 0.2 - 1), 1.0), WHITE, opacity=0.18)
    # plume
    for cx, cy, r, o in ((23, 9.5, 5.5, 0.55), (30, 6.5, 6.5, 0.45), (37.5, 5.5, 5.0, 0.3)):
        c.fill(Circle(cx * k, cy * k, r * k), WHITE, opacity=o, soft=2.0 * k)
    # the stack
    x0t, x1t, x0b, x1b, top, bottom = 12 * k, 22 * k, 10 * k, 24 * k, 11 * k, 41 * k
    stack = Polygon([(x0t, top), (x1t, top), (x1b, bottom), (x0b, bottom)])
    c.fill(stack, cylinder(x0b, x1b, hexcolor("b9c6d3"), WHITE))
    c.fill(Clip(stack, Box(0, 15 * k, s, 19 * k)), ORANGE)
    c.fill(Box(x0t - 1.5 * k, top - 1.5 * k, x1t + 1.5 * k, top + 1.5 * k, 0.8 * k), hexcolor("dfe6ee"))
    # the probe, through the stack's wall, and its head
    c.fill(Box(16 * k, 26.5 * k, 41 * k, 30 * k, 1.0 * k), linear(0, 26.5 * k, WHITE, 0, 30 * k,
                                                                 hexcolor("c3cdd8")))
    c.fill(Box(31 * k, 23.5 * k, 40 * k, 33 * k, 2 * k), linear(0, 23.5 * k, hexcolor("f6a565"), 0, 33 * k,
                                                                ORANGE_DARK))
    c.fill(Stroke([(16 * k, 28.25 * k), (16 * k, 34 * k)], 3.5 * k, False, True), hexcolor("e2e8ef"))
    return c


def draw_row_icon(s):
    """A small dial: the measuring point's reading."""
    c = Canvas(s, s)
    m = s / 2.0
    k = s / 16.0
    c.fill(Circle(m, m, 7.6 * k), linear(0, 0, hexcolor("5a9be0"), s, s, hexcolor("173f73")))
    c.fill(Circle(m, m, 5.6 * k), linear(0, 0, WHITE, s, s, hexcolor("d9e3ee")))
    if s >= 32:
        for a in range(150, 400, 30):
            r0, r1 = 4.1 * k, 5.1 * k
            ca, sa = math.cos(math.radians(a)), math.sin(math.radians(a))
            c.fill(Stroke([(m + ca * r0, m + sa * r0), (m + ca * r1, m + sa * r1)], 0.45 * k), STEEL_DARK)
    c.fill(Stroke([(m - 0.8 * k, m + 0.8 * k), (m + 3.6 * k, m - 3.6 * k)], 1.6 * k, False, False), NAVY)
    c.fill(Circle(m, m, 1.4 * k), ORANGE)
    return c


def icon_file(path, canvases):
    images = []
    for canvas in canvases:
        rgba = canvas.rgba8()
        images.append((canvas.w, canvas.h, 0, 1, 32, icon_image_32(rgba)))
    # 256-colour versions for screens without true colour, one palette shared by all sizes
    everything = [row for canvas in canvases for row in canvas.rgb8()]
    palette = median_cut(everything, 256)
    for canvas in canvases:
        images.append((canvas.w, canvas.h, 0, 1, 8, icon_image_8(canvas.rgba8(), palette)))
    write_icon_file(path, images)


# ---------------------------------------------------------------------------------------------
# Cursor 114: the link hand, black outline and white fill, hot spot at the fingertip

HAND = [
    "      ##",
    "     #..#",
    "     #..#",
    "     #..#",
    "     #..#",
    "     #..###",
    "     #..#..###",
    "     #..#..#..##",
    "     #..#..#..#.#",
    " ##  #..#..#..#..#",
    "#..# #..#..#..#..#",
    "#...##...........#",
    " #..#............#",
    " #...............#",
    "  #..............#",
    "  #..............#",
    "   #.............#",
    "   #............#",
    "    #...........#",
    "    #..........#",
    "     #.........#",
    "     #.........#",
    "     ###########",
]
HAND_HOTSPOT = (6, 0)


def cursor_file(path):
    size = 32
    grid = [(HAND[y] if y < len(HAND) else "").ljust(size) for y in range(size)]
    stride = 4
    xor, mask = b"", b""
    for row in reversed(grid):
        xbits, abits = bytearray(stride), bytearray(stride)
        for x, ch in enumerate(row):
            if ch == ".":
                xbits[x >> 3] |= 0x80 >> (x & 7)
            elif ch == " ":
                abits[x >> 3] |= 0x80 >> (x & 7)
        xor += bytes(xbits)
        mask += bytes(abits)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 2)
    colours = struct.pack("BBBB", 0, 0, 0, 0) + struct.pack("BBBB", 255, 255, 255, 0)
    write_icon_file(path, [(size, size, 2, HAND_HOTSPOT[0], HAND_HOTSPOT[1], header + colours + xor + mask)],
                    kind=2)
    return grid


# ---------------------------------------------------------------------------------------------


def main(argv):
    preview = None
    if len(argv) == 3 and argv[1] == "--preview":
        preview = argv[2]
        os.makedirs(preview, exist_ok=True)
    elif len(argv) != 1:
        sys.stderr.write(__doc__)
        return 2

    about = draw_about()
    indices, palette = render_indexed(about)
    write_bmp(os.path.join(RES, "About.bmp"), indices, palette)
    if preview:
        write_png(os.path.join(preview, "About.png"), [[palette[i] for i in row] for row in indices])
        write_png(os.path.join(preview, "About-truecolour.png"), about.rgb8())

    cells = {}
    for name, (light, dark) in sorted(CELLS.items()):
        rows = draw_cell(light, dark)
        cell_palette = sorted(set(c for row in rows for c in row))
        write_bmp(os.path.join(RES, name), quantize(rows, cell_palette), cell_palette)
        if preview:
            cells[name] = rows
    if preview:
        # the busy bar as the progress dialog draws it: bright cell, medium neighbours, dim elsewhere
        order = ["CellDim.bmp"] * 5 + ["CellMedium.bmp", "CellBright.bmp", "CellMedium.bmp"] + ["CellDim.bmp"] * 8
        bar = [sum((cells[n][y] for n in order), []) for y in range(13)]
        write_png(os.path.join(preview, "Busy.png"), bar, scale=6)

    for name, draw, sizes in (("Karpolin.ico", draw_program_icon, (16, 32, 48)),
                              ("Row.ico", draw_row_icon, (16, 32))):
        canvases = [draw(s) for s in sizes]
        icon_file(os.path.join(RES, name), canvases)
        if preview:
            for canvas in canvases:
                write_png(os.path.join(preview, "%s-%d.png" % (name[:-4], canvas.w)),
                          checker(canvas.rgba8(), max(1, canvas.w // 8)), scale=max(1, 256 // canvas.w))

    grid = cursor_file(os.path.join(RES, "Link.cur"))
    if preview:
        colours = {"#": (0, 0, 0, 255), ".": (255, 255, 255, 255), " ": (0, 0, 0, 0)}
        write_png(os.path.join(preview, "Link.png"), checker([[colours[ch] for ch in row] for row in grid], 1),
                  scale=8)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
