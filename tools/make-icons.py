#!/usr/bin/env python3
"""Draws the program's icons (add, modify, delete, start, stop, about, program) as .ico files.

Each .ico holds 16, 24, 32 and 48 px images in 32-bit colour with alpha. Only the Python
standard library is used, and every run writes the same bytes. tools/make-about-picture.py
reuses the small rasteriser and PNG writer below.

Usage: tools/make-icons.py   (writes src/ui/resources/*.ico)
"""
import math
import struct
import zlib
from pathlib import Path

RESOURCES = Path(__file__).resolve().parent.parent / "src" / "ui" / "resources"
SIZES = (16, 24, 32, 48)
DIAG = math.sqrt(0.5)  # the 45-degree unit step, kept free of trigonometry


# Shapes are signed distance functions (negative inside, in pixels) with a bounding box,
# so one coverage rule anti-aliases circles, capsules, rounded boxes and polygons alike.
class Shape:
    def __init__(self, f, box):
        self.f, self.box = f, box  # box: (x0, y0, x1, y1)

    def __or__(self, other):
        f, g, a, b = self.f, other.f, self.box, other.box
        return Shape(lambda x, y: min(f(x, y), g(x, y)),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        f, g, a, b = self.f, other.f, self.box, other.box
        return Shape(lambda x, y: max(f(x, y), g(x, y)),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, other):
        f, g = self.f, other.f
        return Shape(lambda x, y: max(f(x, y), -g(x, y)), self.box)

    def grow(self, r):
        f, (x0, y0, x1, y1) = self.f, self.box
        return Shape(lambda x, y: f(x, y) - r, (x0 - r, y0 - r, x1 + r, y1 + r))

    def blend(self, other, k):
        """A union whose seam is rounded over k pixels (a smooth minimum)."""
        f, g = self.f, other.f

        def d(x, y):
            a, b = f(x, y), g(x, y)
            h = min(max(0.5 + 0.5 * (b - a) / k, 0.0), 1.0)
            return b + (a - b) * h - k * h * (1.0 - h)
        return Shape(d, (self | other).box)

    def scaled(self, cx, cy, k):
        f, (x0, y0, x1, y1) = self.f, self.box
        return Shape(lambda x, y: f(cx + (x - cx) / k, cy + (y - cy) / k) * k,
                     (cx + (x0 - cx) * k, cy + (y0 - cy) * k, cx + (x1 - cx) * k, cy + (y1 - cy) * k))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, width):
    h = width / 2
    return Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - h,
                 (cx - r - h, cy - r - h, cx + r + h, cy + r + h))


def box(cx, cy, hw, hh, r=0.0):
    def d(x, y):
        qx, qy = abs(x - cx) - hw + r, abs(y - cy) - hh + r
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r
    return Shape(d, (cx - hw, cy - hh, cx + hw, cy + hh))


def line(ax, ay, bx, by, width):
    """A capsule: a stroke of the given width with round ends."""
    ex, ey, h = bx - ax, by - ay, width / 2
    ee = ex * ex + ey * ey

    def d(x, y):
        wx, wy = x - ax, y - ay
        t = min(max((wx * ex + wy * ey) / ee, 0.0), 1.0)
        return math.hypot(wx - ex * t, wy - ey * t) - h
    return Shape(d, (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h))


def polygon(points):
    pts = list(points)

    def d(x, y):
        best, inside = float("inf"), False
        for (vx, vy), (ux, uy) in zip(pts, pts[-1:] + pts[:-1]):
            ex, ey, wx, wy = ux - vx, uy - vy, x - vx, y - vy
            t = min(max((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0), 1.0)
            best = min(best, (wx - ex * t) ** 2 + (wy - ey * t) ** 2)
            if (vy > y) != (uy > y) and x < vx + (y - vy) * ex / ey:
                inside = not inside
        return -math.sqrt(best) if inside else math.sqrt(best)
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return Shape(d, (min(xs), min(ys), max(xs), max(ys)))


def arc(cx, cy, r, width, dx, dy, half_angle):
    """A round-ended arc of radius r centred on the unit direction (dx, dy)."""
    s, c, h = math.sin(half_angle), math.cos(half_angle), width / 2

    def d(x, y):
        px, py = x - cx, y - cy
        u, v = abs(px * dy - py * dx), px * dx + py * dy  # v along the direction
        if c * u > s * v:
            return math.hypot(u - s * r, v - c * r) - h
        return abs(math.hypot(u, v) - r) - h
    return Shape(d, (cx - r - h, cy - r - h, cx + r + h, cy + r + h))


def rgb(hex_colour, alpha=1.0):
    v = int(hex_colour.lstrip("#"), 16)
    return ((v >> 16) / 255, (v >> 8 & 255) / 255, (v & 255) / 255, alpha)


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def vertical(top, bottom, y0, y1):
    span = y1 - y0
    return lambda x, y: mix(top, bottom, min(max((y - y0) / span, 0.0), 1.0))


class Canvas:
    """Premultiplied RGBA floats; paint is a colour or a function of the pixel centre."""

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.px = [0.0] * (4 * width * height)

    def fill(self, shape, paint, soft=1.0, alpha=1.0):
        """Paints the shape; soft > 1 spreads the edge over that many pixels (shadows, glows)."""
        f, (x0, y0, x1, y1) = shape.f, shape.box
        m = soft / 2 + 1
        px, w, flat = self.px, self.w, not callable(paint)
        for y in range(max(0, int(y0 - m)), min(self.h, int(y1 + m) + 1)):
            cy = y + 0.5
            for x in range(max(0, int(x0 - m)), min(w, int(x1 + m) + 1)):
                cover = 0.5 - f(x + 0.5, cy) / soft
                if cover <= 0.0:
                    continue
                cover = min(cover, 1.0)
                if soft > 1.0:  # a smooth ramp: a linear one shows bands at its ends
                    cover *= cover * (3.0 - 2.0 * cover)
                r, g, b, a = paint if flat else paint(x + 0.5, cy)
                a *= cover * alpha
                keep, i = 1.0 - a, 4 * (y * w + x)
                px[i] = r * a + px[i] * keep
                px[i + 1] = g * a + px[i + 1] * keep
                px[i + 2] = b * a + px[i + 2] * keep
                px[i + 3] = a + px[i + 3] * keep

    def rgba8(self):
        """Straight-alpha RGBA bytes, rows top to bottom."""
        out = bytearray()
        px = self.px
        for i in range(0, len(px), 4):
            a = px[i + 3]
            if a <= 0.0:
                out += b"\0\0\0\0"
                continue
            out += bytes(min(255, int(v / a * 255 + 0.5)) for v in px[i:i + 3])
            out.append(min(255, int(a * 255 + 0.5)))
        return bytes(out)


def png_bytes(width, height, rgba, keep_alpha=True):
    """A PNG (8-bit RGBA or RGB) of straight-alpha RGBA rows, filtered row by row."""
    step = 4 if keep_alpha else 3
    rows, prior = [], bytes(width * step)
    for y in range(height):
        row = rgba[4 * width * y:4 * width * (y + 1)]
        if not keep_alpha:
            row = bytes(v for i, v in enumerate(row) if i % 4 != 3)
        left = bytes(step) + row[:-step]
        upleft = bytes(step) + prior[:-step]
        paeth = bytearray()
        for a, b, c in zip(left, prior, upleft):
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            paeth.append(a if pa <= pb and pa <= pc else b if pb <= pc else c)
        candidates = [
            bytes([0]) + row,
            bytes([1]) + bytes((v - a) & 255 for v, a in zip(row, left)),
            bytes([2]) + bytes((v - b) & 255 for v, b in zip(row, prior)),
            bytes([4]) + bytes((v - p) & 255 for v, p in zip(row, paeth)),
        ]
        # The usual heuristic: the filtered row with the smallest sum of signed bytes.
        rows.append(min(candidates, key=lambda r: sum(v if v < 128 else 256 - v for v in r[1:])))
        prior = row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 6 if keep_alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def ico_bytes(images):
    """An .ico of (size, rgba) images as 32-bit DIB entries, each with its AND mask."""
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for s, rgba in images:
        rows = [rgba[4 * s * y:4 * s * (y + 1)] for y in range(s)]
        xor = b"".join(bytes(row[i + k] for i in range(0, 4 * s, 4) for k in (2, 1, 0, 3))
                       for row in reversed(rows))  # DIB rows run bottom-up, in BGRA order
        stride = (s + 31) // 32 * 4
        mask = b""
        for row in reversed(rows):  # bit set = transparent, for readers that ignore alpha
            bits = 0
            for x in range(s):
                bits = bits << 1 | (row[4 * x + 3] == 0)
            mask += (bits << (8 * stride - s)).to_bytes(stride, "big")
        blob = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob += xor + mask
        entries += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


# ---- the drawings: a white glyph on a badge in the command's colour

def even(v):
    """A stroke width in whole pairs of pixels, so strokes centred on the grid stay sharp."""
    return max(2, 2 * round(v / 2))


def badge(c, s, shape, colour):
    main = rgb(colour)
    rim = s / 32  # a darker edge keeps the badge distinct on light and dark toolbars
    c.fill(shape, mix(main, (0, 0, 0, 1), 0.28))
    c.fill(shape.grow(-rim), vertical(mix(main, (1, 1, 1, 1), 0.18), main, 0, s))


def disc(s):
    return circle(s / 2, s / 2, s / 2 - s / 32)


WHITE = (1.0, 1.0, 1.0, 1.0)


def draw_add(c, s):
    badge(c, s, disc(s), "#2EA84A")
    m, w, arm = s / 2, even(s * 0.15), round(s * 0.29)
    c.fill(box(m, m, arm, w / 2, w * 0.2) | box(m, m, w / 2, arm, w * 0.2), WHITE)


def draw_modify(c, s):
    colour = "#2B7BE4"
    badge(c, s, disc(s), colour)
    m = s / 2
    half, hw = s * 0.34, s * 0.125  # half length and half width of the pencil

    def at(t, v):  # along the pencil (lower left to upper right) and across it
        return (m + (t - v) * DIAG, m - (t + v) * DIAG)
    tip = -half + s * 0.2
    cap = half - s * 0.1
    gap = max(1.0, s / 24)
    c.fill(polygon([at(-half, 0), at(tip, hw), at(cap - gap / 2, hw), at(cap - gap / 2, -hw),
                    at(tip, -hw)]), WHITE)
    c.fill(polygon([at(cap + gap / 2, hw), at(half, hw), at(half, -hw), at(cap + gap / 2, -hw)]), WHITE)
    if s >= 24:  # the lead only reads at larger sizes
        lead = -half + s * 0.07
        c.fill(polygon([at(-half, 0), at(lead, hw * 0.35), at(lead, -hw * 0.35)]), rgb(colour))


def draw_delete(c, s):
    badge(c, s, disc(s), "#DE3B3B")
    m, w, k = s / 2, s * 0.14, s * 0.2
    c.fill(line(m - k, m - k, m + k, m + k, w) | line(m - k, m + k, m + k, m - k, w), WHITE)


def draw_start(c, s):
    """A magnifier whose lens holds a play mark: watching begins."""
    colour = "#12A08A"
    lx = ly = s * 0.43
    r = s * 0.385
    end = s * 0.93
    c.fill(line(lx + r * 0.7, ly + r * 0.7, end - s * 0.08, end - s * 0.08, s * 0.17),
           mix(rgb(colour), (0, 0, 0, 1), 0.35))
    badge(c, s, circle(lx, ly, r), colour)
    k = r - s / 32
    c.fill(polygon([(lx - k * 0.34, ly - k * 0.54), (lx + k * 0.56, ly),
                    (lx - k * 0.34, ly + k * 0.54)]).grow(s * 0.02), WHITE)


def draw_stop(c, s):
    m, r = s / 2, s / 2 - s / 32
    a, b = r * 0.9238795325112867, r * 0.3826834323650898  # cos and sin of 22.5 degrees
    octagon = polygon([(m + b, m - a), (m + a, m - b), (m + a, m + b), (m + b, m + a),
                       (m - b, m + a), (m - a, m + b), (m - a, m - b), (m - b, m - a)])
    badge(c, s, octagon.grow(-s * 0.03).grow(s * 0.03), "#F07C1E")
    h = round(s * 0.18)
    c.fill(box(m, m, h, h, s * 0.03), WHITE)


def draw_about(c, s):
    badge(c, s, disc(s), "#5A63D8")
    m, w = s / 2, even(s * 0.14)
    top, bottom = round(m - s * 0.06), round(m + s * 0.3)  # the stem's ends on pixel edges
    dot = even(w * 1.3) / 2  # a square-ish dot on the grid at 16 px, a round one above
    gap = max(1, round(s * 0.07))
    c.fill(box(m, top - gap - dot, dot, dot, dot if s >= 24 else 0.5), WHITE)
    c.fill(box(m, (top + bottom) / 2, w / 2, (bottom - top) / 2, w * 0.2), WHITE)


ICONS = {
    "add": draw_add,
    "modify": draw_modify,
    "delete": draw_delete,
    "start": draw_start,
    "stop": draw_stop,
    "about": draw_about,
    "program": draw_start,  # the program's icon is the start command's picture
}


def render(draw, size):
    c = Canvas(size, size)
    draw(c, size)
    return c.rgba8()


def main():
    RESOURCES.mkdir(parents=True, exist_ok=True)
    for name, draw in ICONS.items():
        data = ico_bytes([(s, render(draw, s)) for s in SIZES])
        (RESOURCES / f"{name}.ico").write_bytes(data)
        print(f"{name}.ico: {len(data)} bytes")


if __name__ == "__main__":
    main()
