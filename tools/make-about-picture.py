#!/usr/bin/env python3
"""Draws the about window's picture: the program's emblem, 623 x 623 px, as a PNG.

A page of text lines with one keyword marked, a magnifier enlarging that keyword and a
ringing bell, on a soft background inside a thin frame. It reuses the rasteriser of
tools/make-icons.py; only the Python standard library is needed, and every run writes the
same bytes.

Usage: tools/make-about-picture.py   (writes src/ui/resources/about.png)
"""
import runpy
import types
from pathlib import Path

# The icon script's drawing functions; its name has a hyphen, so it is loaded by path.
draw = types.SimpleNamespace(**runpy.run_path(str(Path(__file__).with_name("make-icons.py"))))

SIZE = 623
SHADOW = (0.05, 0.18, 0.2, 1.0)
TEAL = draw.rgb("#12A08A")
AMBER = draw.rgb("#F5A524")
LINE = draw.rgb("#C8D6DE")


def page_lines():
    """The page's text as rounded bars; the third bar of line five is the found keyword."""
    rows = [(0, [150, 60]), (1, [70, 110, 40]), (2, [190]), (3, [90, 80]),
            (4, [60, 64, 70]), (5, [120, 50]), (6, [80, 100]), (7, [140])]
    bars, keyword = [], None
    for row, widths in rows:
        x, y = 115, 242 + 30 * row
        for i, w in enumerate(widths):
            bar = draw.box(x + w / 2, y, w / 2, 6, 6)
            if (row, i) == (4, 2):
                keyword = bar
            else:
                bars.append(bar)
            x += w + 14
    shape = bars[0]
    for bar in bars[1:]:
        shape = shape | bar
    return shape, keyword


def bell(cx, cy, k):
    """A bell centred on (cx, cy), k pixels to a unit of its outline."""
    dome = draw.circle(cx, cy - 14 * k, 34 * k)
    body = draw.polygon([(cx - 34 * k, cy - 14 * k), (cx + 34 * k, cy - 14 * k),
                         (cx + 48 * k, cy + 34 * k), (cx - 48 * k, cy + 34 * k)])
    lip = draw.box(cx, cy + 38 * k, 56 * k, 9 * k, 9 * k)
    return dome.blend(body, 6 * k).blend(lip, 8 * k) | draw.circle(cx, cy - 52 * k, 9 * k)


def main():
    c = draw.Canvas(SIZE, SIZE)
    whole = draw.box(SIZE / 2, SIZE / 2, SIZE / 2 + 2, SIZE / 2 + 2)
    c.fill(whole, draw.vertical(draw.rgb("#F1F8F7"), draw.rgb("#D9ECEF"), 0, SIZE))
    c.fill(draw.circle(320, 320, 200), (1, 1, 1, 1), soft=220, alpha=0.55)  # a glow behind the emblem
    c.fill(draw.box(SIZE / 2, SIZE / 2, SIZE / 2 - 14, SIZE / 2 - 14, 22)
           - draw.box(SIZE / 2, SIZE / 2, SIZE / 2 - 16, SIZE / 2 - 16, 20),
           draw.rgb("#8FB9BC"))

    # The page, with a folded corner and a soft shadow.
    page = draw.polygon([(97, 178), (301, 178), (357, 234), (357, 498), (97, 498)]).grow(-10).grow(10)
    fold = draw.polygon([(301, 178), (301, 234), (357, 234)]).grow(-4).grow(4)
    c.fill(page.grow(4), SHADOW, soft=36, alpha=0.22)
    c.fill(page, draw.rgb("#AFC6CE"))
    c.fill(page.grow(-2), (1, 1, 1, 1))
    c.fill(fold, draw.rgb("#DCE8EC"))
    lines, keyword = page_lines()
    c.fill(lines, LINE)
    c.fill(keyword, AMBER)

    # The magnifier: handle, rim, then the lens showing the keyword enlarged.
    lx, ly, lr = 307, 362, 84
    c.fill(draw.line(lx + 60, ly + 60, 493, 548, 46), SHADOW, soft=30, alpha=0.25)
    c.fill(draw.circle(lx + 6, ly + 10, lr + 16), SHADOW, soft=30, alpha=0.2)
    c.fill(draw.line(lx + 60, ly + 60, 485, 540, 40), draw.rgb("#0B6E60"))
    c.fill(draw.line(lx + 66, ly + 66, 477, 532, 28), draw.rgb("#14917D"), alpha=0.6)
    c.fill(draw.line(lx + 62, ly + 62, lx + 92, ly + 92, 50), draw.rgb("#5C7F86"))
    lens = draw.circle(lx, ly, lr)
    c.fill(lens, (1, 1, 1, 1))
    c.fill(lens & lines.scaled(lx, ly, 1.6), LINE)
    c.fill(lens & keyword.scaled(lx, ly, 1.6), AMBER)
    c.fill(lens, draw.rgb("#7FD3C5"), alpha=0.16)
    c.fill(draw.arc(lx, ly, lr - 22, 12, -0.7071, -0.7071, 0.55), (1, 1, 1, 1), alpha=0.7)
    c.fill(draw.ring(lx, ly, lr + 9, 22), draw.vertical(draw.rgb("#24B89F"), TEAL, ly - lr, ly + lr))
    c.fill(draw.ring(lx, ly, lr + 20, 2), draw.rgb("#0B6E60"), alpha=0.6)
    c.fill(draw.ring(lx, ly, lr - 2, 2), draw.rgb("#0B6E60"), alpha=0.6)

    # The bell, ringing: the alarm raised when the keyword appears.
    bx, by = 445, 130
    shape = bell(bx, by, 1.0)
    c.fill(shape.grow(8), SHADOW, soft=28, alpha=0.2)
    c.fill(draw.circle(bx, by + 52, 13), draw.rgb("#C8780E"))
    c.fill(shape, draw.rgb("#D98A12"))
    c.fill(shape.grow(-3), draw.vertical(draw.rgb("#FFC350"), AMBER, by - 60, by + 50))
    c.fill(draw.line(bx - 20, by - 28, bx - 30, by + 18, 9), (1, 1, 1, 1), alpha=0.45)
    for r in (78, 104):
        for dx in (1, -1):
            c.fill(draw.arc(bx, by, r, 9, dx, 0, 0.5), AMBER, alpha=0.9)

    Path(draw.RESOURCES / "about.png").write_bytes(draw.png_bytes(SIZE, SIZE, c.rgba8(), keep_alpha=False))
    print(f"about.png: {SIZE} x {SIZE}")


if __name__ == "__main__":
    main()
