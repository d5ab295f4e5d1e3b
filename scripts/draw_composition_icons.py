#!/usr/bin/env python3
"""Draws the small pictures of the composition's controls into resources/images.

Plain Python (zlib and struct), so the pictures can be redrawn anywhere:
    python3 scripts/draw_composition_icons.py
Each picture is sampled 4 x 4 times per pixel from a coverage function.
"""
import math
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "images")


def write_png(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = b"".join(b"\x00" + b"".join(struct.pack("4B", *p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def render(path, size, layers):
    """layers: list of (colour, coverage(x, y) -> bool), painted in order. The same picture at
    twice the size goes beside it as name@2x.png: Qt takes it on double-density screens."""
    render_at(path, size, layers, 1)
    stem, extension = os.path.splitext(path)
    render_at(stem + "@2x" + extension, size, layers, 2)


def render_at(path, size, layers, scale):
    """The picture of `size` units drawn with `scale` pixels per unit."""
    rows = []
    for py in range(size * scale):
        row = []
        for px in range(size * scale):
            r = g = b = a = 0.0
            for colour, inside in layers:
                hits = sum(inside((px + (i + 0.5) / 4) / scale, (py + (j + 0.5) / 4) / scale)
                           for i in range(4) for j in range(4)) / 16.0
                if hits:
                    # "over" compositing of the layer onto what is there
                    na = hits + a * (1 - hits)
                    r = (colour[0] * hits + r * a * (1 - hits)) / na
                    g = (colour[1] * hits + g * a * (1 - hits)) / na
                    b = (colour[2] * hits + b * a * (1 - hits)) / na
                    a = na
            row.append((int(r + 0.5), int(g + 0.5), int(b + 0.5), int(a * 255 + 0.5)))
        rows.append(row)
    write_png(path, size * scale, size * scale, rows)


def in_triangle(p, a, b, c):
    def side(p1, p2, p3):
        return (p1[0] - p3[0]) * (p2[1] - p3[1]) - (p2[0] - p3[0]) * (p1[1] - p3[1])
    d1, d2, d3 = side(p, a, b), side(p, b, c), side(p, c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return math.hypot(x - cx, y - cy) <= r
    return inside


def rotate_arrow(clockwise):
    """A ring open at the top with an arrow head at one end."""
    cx = cy = 8.0

    def ring(x, y):
        d = math.hypot(x - cx, y - cy)
        angle = math.degrees(math.atan2(y - cy, x - cx)) % 360   # 0 right, 90 down
        gap = 250 <= angle <= 300 if clockwise else 240 <= angle <= 290
        return 4.2 <= d <= 6.2 and not gap

    if clockwise:
        head = ((9.0, 0.8), (9.0, 7.6), (13.6, 4.2))
    else:
        head = ((7.0, 0.8), (7.0, 7.6), (2.4, 4.2))
    def arrow(x, y):
        return ring(x, y) or in_triangle((x, y), *head)
    return arrow


def actual_size(x, y):
    """"1:1": two bars and a colon inside a frame."""
    frame = (1 <= x <= 15 and 2 <= y <= 14) and not (2.3 <= x <= 13.7 and 3.3 <= y <= 12.7)
    one_left = 4 <= x <= 5.6 and 5 <= y <= 11
    one_right = 10.4 <= x <= 12 and 5 <= y <= 11
    colon = (7.3 <= x <= 8.7) and (5.6 <= y <= 7 or 9 <= y <= 10.4)
    return frame or one_left or one_right or colon


def fit_to_screen(x, y):
    """A frame with four arrows pointing into its corners."""
    frame = (1 <= x <= 15 and 1 <= y <= 15) and not (2.3 <= x <= 13.7 and 2.3 <= y <= 13.7)
    corners = [((4, 4), (8, 4), (4, 8)), ((12, 4), (8, 4), (12, 8)),
               ((4, 12), (8, 12), (4, 8)), ((12, 12), (8, 12), (12, 8))]
    heads = any(in_triangle((x, y), *c) for c in corners)
    return frame or heads


INK = (40, 40, 40)

render(os.path.join(ROOT, "rotate_clockwise.png"), 16, [(INK, rotate_arrow(True))])
render(os.path.join(ROOT, "rotate_anti_clockwise.png"), 16, [(INK, rotate_arrow(False))])
render(os.path.join(ROOT, "fun", "navigation16pix", "actual_size.png"), 16, [(INK, actual_size)])
render(os.path.join(ROOT, "fun", "navigation16pix", "fit_to_screen.png"), 16,
       [(INK, fit_to_screen)])
