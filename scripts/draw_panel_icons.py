#!/usr/bin/env python3
"""Draws the pictures of the property panel and the text and bubble items into resources/.

    python3 scripts/draw_panel_icons.py
Uses the sampling and PNG writing of draw_composition_icons.py (importing it redraws that
script's pictures unchanged).
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_composition_icons import ROOT, ellipse, in_triangle, render, rounded_rect  # noqa: E402

ICONS = os.path.join(ROOT, "fun", "icons48pix")
INK = (40, 40, 40)
WHITE = (255, 255, 255)
ORANGE = (240, 130, 20)


def ring(cx, cy, rx, ry, width):
    outer, inner = ellipse(cx, cy, rx, ry), ellipse(cx, cy, rx - width, ry - width)
    return lambda x, y: outer(x, y) and not inner(x, y)


def outlined(shape_outer, shape_inner):
    return [(INK, shape_outer), (WHITE, shape_inner)]


def text_lines(x0, x1s, y0, step, height=2.4):
    """Bars standing for lines of text, each from x0 to its own end."""
    def inside(x, y):
        for i, x1 in enumerate(x1s):
            top = y0 + i * step
            if top <= y <= top + height and x0[i] <= x <= x1:
                return True
        return False
    return inside


def speech_bubble():
    body_o, body_i = rounded_rect(4, 6, 44, 32, 7), rounded_rect(6.5, 8.5, 41.5, 29.5, 5)
    tail_o = lambda x, y: in_triangle((x, y), (12, 30), (22, 30), (9, 43))
    tail_i = lambda x, y: in_triangle((x, y), (14, 28), (20, 28), (11.5, 38))
    return [(INK, lambda x, y: body_o(x, y) or tail_o(x, y)),
            (WHITE, lambda x, y: body_i(x, y) or tail_i(x, y))]


def elliptical_speech_bubble():
    body_o, body_i = ellipse(24, 19, 21, 14), ellipse(24, 19, 18.5, 11.5)
    tail_o = lambda x, y: in_triangle((x, y), (12, 27), (22, 31), (8, 44))
    tail_i = lambda x, y: in_triangle((x, y), (13.5, 26), (20, 28.5), (10, 39))
    return [(INK, lambda x, y: body_o(x, y) or tail_o(x, y)),
            (WHITE, lambda x, y: body_i(x, y) or tail_i(x, y))]


def thought_bubble():
    layers = [(INK, ellipse(26, 17, 20, 13)), (WHITE, ellipse(26, 17, 17.5, 10.5))]
    for cx, cy, r in ((12, 33, 4.5), (7, 40, 3), (4, 45, 1.8)):
        layers += [(INK, ellipse(cx, cy, r, r)), (WHITE, ellipse(cx, cy, r - 1.5, r - 1.5))]
    return layers


def text_tool():
    """A serif capital T."""
    bar = lambda x, y: 8 <= x <= 40 and 6 <= y <= 12
    stem = lambda x, y: 20 <= x <= 28 and 6 <= y <= 40
    foot = lambda x, y: 15 <= x <= 33 and 38 <= y <= 42
    ends = lambda x, y: (8 <= x <= 11 or 37 <= x <= 40) and 6 <= y <= 16
    return [(INK, lambda x, y: bar(x, y) or stem(x, y) or foot(x, y) or ends(x, y))]


def alignment(kind):
    lengths = [36, 26, 36, 22, 36]
    starts, ends = [], []
    for n in lengths:
        if kind == "left":
            s = 6
        elif kind == "right":
            s = 42 - n
        elif kind == "centre":
            s = 24 - n / 2
        else:
            s, n = 6, 36
        starts.append(s)
        ends.append(s + n)
    return [(INK, text_lines(starts, ends, 8, 7, 3.2))]


def television(colour):
    case_o, screen = rounded_rect(4, 10, 44, 40, 4), rounded_rect(8, 14, 34, 36, 3)
    aerial = lambda x, y: (abs((x - 24) + (y - 10) * 0.8) <= 1.2 and 2 <= y <= 10) or \
        (abs((x - 24) - (y - 10) * 0.8) <= 1.2 and 2 <= y <= 10)
    knobs = lambda x, y: math.hypot(x - 39, y - 20) <= 2 or math.hypot(x - 39, y - 28) <= 2
    layers = [(INK, lambda x, y: case_o(x, y) or aerial(x, y)), ((200, 200, 200), knobs)]
    if colour:
        bands = [(230, 40, 40), (240, 200, 30), (40, 170, 60), (40, 90, 220)]
        for i, c in enumerate(bands):
            layers.append((c, lambda x, y, i=i: screen(x, y) and 8 + i * 6.5 <= x < 8 + (i + 1) * 6.5))
    else:
        for i, g in enumerate((230, 170, 110, 60)):
            layers.append(((g, g, g), lambda x, y, i=i: screen(x, y) and 8 + i * 6.5 <= x < 8 + (i + 1) * 6.5))
    return layers


def scissors():
    rings = [(ORANGE, ring(13, 36, 7, 7, 2.6)), (ORANGE, ring(35, 36, 7, 7, 2.6))]
    blade_a = lambda x, y: in_triangle((x, y), (16, 30), (20, 31), (38, 4))
    blade_b = lambda x, y: in_triangle((x, y), (32, 30), (28, 31), (10, 4))
    pivot = (INK, ellipse(24, 22, 1.6, 1.6))
    return rings + [((150, 150, 160), blade_a), ((150, 150, 160), blade_b), pivot]


render(os.path.join(ICONS, "text_tool.png"), 48, text_tool())
render(os.path.join(ICONS, "speech_bubble.png"), 48, speech_bubble())
render(os.path.join(ICONS, "elliptical_speech_bubble.png"), 48, elliptical_speech_bubble())
render(os.path.join(ICONS, "thought_bubble.png"), 48, thought_bubble())
for kind in ("left", "right", "centre", "justify"):
    render(os.path.join(ICONS, "alignment_%s.png" % kind), 48, alignment(kind))
render(os.path.join(ICONS, "bwtv.png"), 48, television(False))
render(os.path.join(ICONS, "colourtv.png"), 48, television(True))
render(os.path.join(ROOT, "..", "fun", "icon_scissors_orange_48.png"), 48, scissors())
