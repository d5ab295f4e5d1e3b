#!/usr/bin/env python3
"""Draws the main window's tool-bar and tool-palette pictures and the hand cursors into resources/.

    python3 scripts/draw_window_icons.py
Uses the sampling and PNG writing of draw_composition_icons.py (importing it redraws that
script's pictures unchanged).

The hand cursors are pairs of one-bit pictures read as QBitmap: in the data picture black is
the outline, in the mask picture black is everything the cursor covers, so the cursor shows a
dark outline round a white hand on any background. Their hot spots are set where they are
loaded: open hand (7, 7), grabbing fist (8, 9), pointing hand (5, 1) at the finger tip.
"""
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_composition_icons import ROOT, ellipse, in_triangle, render, rounded_rect, write_png  # noqa: E402

RESOURCES = os.path.join(ROOT, "..")
ICONS = os.path.join(ROOT, "fun", "icons48pix")
CURSORS = os.path.join(ROOT, "fun", "cursors32pix")
INK = (40, 40, 40)
WHITE = (255, 255, 255)
GREEN = (40, 160, 60)
RED = (210, 40, 40)
ORANGE = (240, 130, 20)
BLUE = (60, 110, 210)
GREY = (150, 150, 160)
# Undo and Redo sit on the dark tool bar: bright while they can be used, close to the bar's own
# colour while they cannot, so the two states never read the wrong way round.
BRIGHT = (240, 234, 228)
DIM = (98, 91, 87)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def segment(ax, ay, bx, by, half_width):
    """A thick line with round ends."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2)) if length2 else 0.0
        return math.hypot(x - ax - t * dx, y - ay - t * dy) <= half_width
    return inside


def polyline(points, half_width):
    parts = [segment(*points[i], *points[i + 1], half_width) for i in range(len(points) - 1)]
    return lambda x, y: any(p(x, y) for p in parts)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def scaled(shape, scale, dx=0.0, dy=0.0):
    """shape drawn on a 48 grid, placed at scale and offset on a smaller picture."""
    return lambda x, y: shape((x - dx) / scale, (y - dy) / scale)


def scale_layers(layers, scale, dx=0.0, dy=0.0):
    return [(c, scaled(s, scale, dx, dy)) for c, s in layers]


def check_mark():
    return [(GREEN, polyline([(8, 25), (19, 36), (41, 11)], 4.5))]


def cross():
    return [(RED, union(segment(11, 11, 37, 37, 4.5), segment(37, 11, 11, 37, 4.5)))]


def blend():
    """A disc whose right half fades out: a hard edge softened by blending."""
    layers = [(INK, lambda x, y: math.hypot(x - 24, y - 24) <= 18 and x <= 24)]
    for i in range(6):
        x0 = 24 + i * 3
        fade = 40 + i * 36
        layers.append(((fade, fade, fade), lambda x, y, x0=x0:
                       math.hypot(x - 24, y - 24) <= 18 - (x0 - 24) * 0.25 and x0 < x <= x0 + 3))
    return layers


def eraser(dx=0.0, dy=0.0):
    """A slanted block eraser: pink working end, blue sleeve."""
    u = lambda x, y: (x - dx, y - dy)
    body = lambda x, y: _eraser_quad(*u(x, y), (20, 6), (42, 28), (26, 44), (4, 22))
    tip = lambda x, y: _eraser_quad(*u(x, y), (12, 14), (34, 36), (26, 44), (4, 22))
    inner = lambda x, y: _eraser_quad(*u(x, y), (20, 9), (39, 28), (26, 41), (7, 22))
    inner_tip = lambda x, y: _eraser_quad(*u(x, y), (12, 17), (31, 36), (26, 41), (7, 22))
    return [(INK, body), (BLUE, inner), ((240, 150, 170), inner_tip), (INK, lambda x, y:
            segment(12 + dx, 14 + dy, 34 + dx, 36 + dy, 1.2)(x, y))]


def _eraser_quad(x, y, a, b, c, d):
    return in_triangle((x, y), a, b, c) or in_triangle((x, y), a, c, d)


def droplet(cx, cy, r, colour):
    body = ellipse(cx, cy, r, r)
    point = lambda x, y: in_triangle((x, y), (cx - r * 0.9, cy - r * 0.4), (cx + r * 0.9, cy - r * 0.4),
                                     (cx, cy - r * 2.4))
    return [(INK, lambda x, y: body(x, y) or point(x, y) or
             math.hypot(x - cx, y - cy) <= r + 1.4 or
             in_triangle((x, y), (cx - r - 1.3, cy - r * 0.3), (cx + r + 1.3, cy - r * 0.3), (cx, cy - r * 2.4 - 2))),
            (colour, lambda x, y: body(x, y) or point(x, y))]


def brush(paint):
    """A paint brush leaning right with a stroke of paint under it."""
    stroke = [(paint, polyline([(4, 42), (12, 38), (20, 40), (26, 36)], 3.5))]
    handle = lambda x, y: segment(24, 24, 42, 6, 3.2)(x, y)
    ferrule = segment(18, 30, 24, 24, 4.2)
    bristles = lambda x, y: in_triangle((x, y), (14, 27), (21, 34), (8, 40))
    return stroke + [(INK, union(handle, ferrule, bristles)), ((170, 110, 60), segment(25, 23, 41, 7, 1.8)),
                     (GREY, segment(18.5, 29.5, 23.5, 24.5, 2.8)), (paint, lambda x, y:
                     in_triangle((x, y), (15.5, 28.5), (19.5, 32.5), (10.5, 37.5)))]


def curved_arrow(left, colour):
    """Half a ring with an arrow head at its lower end, turning back to the left or right."""
    cx, cy = 24.0, 27.0

    def arc(x, y):
        if left:
            x = 48 - x
        d = math.hypot(x - cx, y - cy)
        return 11 <= d <= 17 and (y <= cy or x >= cx) and not (x < cx and y > cy - 1)

    def head(x, y):
        if left:
            x = 48 - x
        return in_triangle((x, y), (3, 27), (19, 27), (11, 38))
    return [(colour, lambda x, y: arc(x, y) or head(x, y))]


def printer():
    paper_in = rect(14, 4, 34, 18)
    body = rounded_rect(4, 16, 44, 34, 3)
    body_in = rounded_rect(6.5, 18.5, 41.5, 31.5, 2)
    paper_out_o, paper_out = rect(12, 26, 36, 44), rect(14, 28, 34, 42)
    return [(INK, union(rect(12, 2, 36, 18), body)), (WHITE, paper_in), ((200, 200, 205), body_in),
            (GREEN, ellipse(37, 22.5, 1.8, 1.8)), (INK, paper_out_o), (WHITE, paper_out),
            (INK, lambda x, y: 17 <= x <= 31 and (31 <= y <= 32.2 or 35 <= y <= 36.2 or 39 <= y <= 40.2))]


def magnifier(sign, scale=1.0):
    """A lens with a handle, and + or - in the lens; drawn on 48 and scaled down."""
    lens_o, lens_i = ellipse(19, 19, 15, 15), ellipse(19, 19, 11.5, 11.5)
    handle = segment(30, 30, 43, 43, 4.2)
    layers = [(INK, union(lens_o, handle)), (WHITE, lens_i)]
    if sign == "+":
        layers.append((INK, union(rect(12, 17.2, 26, 20.8), rect(17.2, 12, 20.8, 26))))
    elif sign == "-":
        layers.append((INK, rect(12, 17.2, 26, 20.8)))
    return scale_layers(layers, scale) if scale != 1.0 else layers


def canvas_size():
    frame = minus(rect(10, 10, 38, 38), rect(12.5, 12.5, 35.5, 35.5))
    heads = [((2, 2), (11, 2), (2, 11)), ((46, 2), (37, 2), (46, 11)),
             ((2, 46), (11, 46), (2, 37)), ((46, 46), (37, 46), (46, 37))]
    shafts = union(segment(4, 4, 10, 10, 1.3), segment(44, 4, 38, 10, 1.3),
                   segment(4, 44, 10, 38, 1.3), segment(44, 44, 38, 38, 1.3))
    return [((230, 230, 230), rect(12.5, 12.5, 35.5, 35.5)),
            (INK, lambda x, y: frame(x, y) or shafts(x, y) or any(in_triangle((x, y), *h) for h in heads))]


def colour_swatch():
    return [(INK, rounded_rect(6, 6, 42, 42, 5)), ((230, 60, 50), lambda x, y:
            rounded_rect(9, 9, 39, 39, 3)(x, y) and x + y < 48),
            ((50, 110, 220), lambda x, y: rounded_rect(9, 9, 39, 39, 3)(x, y) and x + y >= 48)]


def landscape():
    frame = rect(4, 8, 44, 40)
    picture = rect(8, 12, 40, 36)
    hills = lambda x, y: picture(x, y) and (y >= 36 - 12 * math.exp(-((x - 16) / 7) ** 2) or
                                             y >= 36 - 16 * math.exp(-((x - 32) / 8) ** 2))
    return [((150, 100, 50), frame), ((150, 200, 240), picture), ((250, 200, 40), ellipse(17, 19, 3.5, 3.5)),
            ((60, 150, 60), hills)]


def eye(cx=24.0, cy=24.0, s=1.0):
    outline = lambda x, y: abs(y - cy) <= 13 * s * (1 - ((x - cx) / (21 * s)) ** 2) if abs(x - cx) <= 21 * s else False
    white = lambda x, y: abs(y - cy) <= 10 * s * (1 - ((x - cx) / (18 * s)) ** 2) if abs(x - cx) <= 18 * s else False
    return [(INK, outline), (WHITE, white), (BLUE, ellipse(cx, cy, 7.5 * s, 7.5 * s)),
            (INK, ellipse(cx, cy, 3.5 * s, 3.5 * s))]


def smooth_curve(smooth):
    if smooth:
        wave = lambda x, y: 6 <= x <= 42 and abs(y - (24 - 12 * math.sin((x - 6) / 36 * 2 * math.pi))) <= 2.6
        return [(INK, wave)]
    steps, pts = 9, []
    for i in range(steps + 1):
        x = 6 + i * 36 / steps
        pts.append((x, round((24 - 12 * math.sin((x - 6) / 36 * 2 * math.pi)) / 6) * 6))
    stairs = []
    for (x0, y0), (x1, _) in zip(pts, pts[1:]):
        stairs += [(x0, y0), (x1, y0)]
    stairs.append(pts[-1])
    return [(INK, polyline(stairs, 2.2))]


def half_square():
    return [(INK, rect(8, 8, 40, 40)), (WHITE, rect(11, 11, 37, 37)), (INK, lambda x, y: rect(11, 11, 37, 37)(x, y) and x + y >= 48)]


def floppy():
    body = minus(rounded_rect(4, 4, 44, 44, 3), lambda x, y: in_triangle((x, y), (38, 3), (45, 3), (45, 10)))
    return [(ORANGE, body), (WHITE, rect(13, 4, 35, 18)), (ORANGE, rect(28, 7, 32, 15)),
            ((250, 235, 215), rect(10, 26, 38, 44)), ((200, 110, 20), lambda x, y:
             10 <= x <= 38 and (31 <= y <= 32 or 36 <= y <= 37))]


def feathered_edge():
    """A shape whose edge fades into the background, on a 24 grid."""
    layers = [(INK, rect(2, 4, 10, 20))]
    for i in range(6):
        g = 60 + i * 30
        layers.append(((g, g, g, ), lambda x, y, i=i: 10 + i * 2 < x <= 12 + i * 2 and 4 <= y <= 20))
    return layers + [(INK, rect(2, 2, 22, 3)), (INK, rect(2, 21, 22, 22))]


def edge_finding():
    """Edge lines with a magnifier over them, on a 24 grid."""
    lines = [(INK, polyline([(1, 16), (6, 6), (11, 11), (19, 1)], 1.0))]
    return lines + scale_layers(magnifier(None), 0.34, 7.5, 7.5) + [
        (INK, scaled(polyline([(8, 31), (17, 15), (28, 23)], 3.0), 0.34, 7.5, 7.5))]


def hand_tool():
    layers = []
    for fill, shape in hand_shapes("open"):
        layers.append((fill, scaled(shape, 1.35, 1, 0)))
    return layers


def patch_preview():
    patch = [((90, 170, 90), rect(1, 10, 23, 23)), (INK, minus(rect(1, 10, 23, 23), rect(2.2, 11.2, 21.8, 21.8)))]
    return patch + eye(12, 8, 0.5)


def community_bubble():
    body = rounded_rect(2, 3, 22, 17, 4)
    tail = lambda x, y: in_triangle((x, y), (5, 15), (11, 15), (4, 22))
    dots = union(ellipse(7.5, 10, 1.6, 1.6), ellipse(12, 10, 1.6, 1.6), ellipse(16.5, 10, 1.6, 1.6))
    return [((30, 140, 140), union(body, tail)), (WHITE, dots)]


def two_dots():
    """Plain colours, so the picture stands for sharing without copying anyone's mark."""
    return [(GREEN, ellipse(7, 12, 5, 5)), (ORANGE, ellipse(17, 12, 5, 5))]


# --- hand cursors: hard one-bit shapes on a 32 grid --------------------------------------


def hand_shapes(kind):
    """(outline, fill) shapes of a hand, around the hot spots named in the module text."""
    if kind == "open":
        fingers = [segment(x, 5.5, x, top, 1.6) for x, top in ((4.5, 3), (7.5, 1.5), (10.5, 2), (13.5, 4))]
        thumb = segment(4, 9, 1.5, 6, 1.5)
        palm = rounded_rect(2.5, 5, 15.5, 14, 3)
        wrist = rect(5, 12, 13, 16)
    elif kind == "grab":
        fingers = [segment(x, 7.5, x, 6.5, 1.6) for x in (5.5, 8.5, 11.5, 14.5)]
        thumb = segment(4, 11, 3, 9, 1.5)
        palm = rounded_rect(3.5, 6.5, 16.5, 15, 3)
        wrist = rect(6, 13, 14, 17)
    else:
        fingers = [segment(5, 8, 5, 1.5, 1.5)] + [segment(x, 9.5, x, 8.5, 1.5) for x in (8, 11, 14)]
        thumb = segment(3, 12, 1.5, 9.5, 1.4)
        palm = rounded_rect(2.5, 8, 15.5, 16, 3)
        wrist = rect(5, 14, 13, 19)
    fill = union(palm, wrist, thumb, *fingers)
    grown = lambda x, y: any(fill(x + ox, y + oy) for ox, oy in
                             ((0, 0), (1, 0), (-1, 0), (0, 1), (0, -1), (0.7, 0.7), (-0.7, 0.7), (0.7, -0.7), (-0.7, -0.7)))
    # the creases between the fingers stay drawn inside the white
    creases = union(*[segment(x, 7.5, x, 9, 0.35) for x in (6, 9, 12)]) if kind != "point" else rect(0, 0, -1, -1)
    return [(INK, grown), (WHITE, minus(fill, creases))]


def bitmap(path, size, inside):
    """A one-bit picture, opaque: black where inside, white elsewhere."""
    rows = []
    for py in range(size):
        rows.append([(0, 0, 0, 255) if inside(px + 0.5, py + 0.5) else (255, 255, 255, 255)
                     for px in range(size)])
    write_png(path, size, size, rows)


def hand_cursor(name, kind):
    (_, outline_and_fill), (_, fill) = hand_shapes(kind)
    bitmap(os.path.join(ROOT, "curs_data_%s.png" % name), 32, minus(outline_and_fill, fill))
    bitmap(os.path.join(ROOT, "curs_mask_%s.png" % name), 32, outline_and_fill)


for name, kind in (("handopen", "open"), ("handgrab", "grab"), ("handpoint", "point")):
    hand_cursor(name, kind)

render(os.path.join(CURSORS, "zoom_in.png"), 32, magnifier("+", 32 / 48))
render(os.path.join(CURSORS, "zoom_out.png"), 32, magnifier("-", 32 / 48))
render(os.path.join(ICONS, "apply.png"), 48, check_mark())
render(os.path.join(ICONS, "cancel.png"), 48, cross())
render(os.path.join(ICONS, "blend.png"), 48, blend())
render(os.path.join(ICONS, "delete_pixels.png"), 48, eraser())
render(os.path.join(ICONS, "delete_region.png"), 48, eraser(-3, -3) + droplet(39, 40, 5, BLUE))
render(os.path.join(ICONS, "restore.png"), 48, brush(GREEN))
render(os.path.join(ICONS, "undo.png"), 48, curved_arrow(True, BRIGHT))
render(os.path.join(ICONS, "redo.png"), 48, curved_arrow(False, BRIGHT))
render(os.path.join(ICONS, "undo_disabled.png"), 48, curved_arrow(True, DIM))
render(os.path.join(ICONS, "redo_disabled.png"), 48, curved_arrow(False, DIM))
# The tick of a checked check box, white on the style sheet's orange.
render(os.path.join(ROOT, "fun", "navigation16pix", "indicator_check.png"), 16,
       [(WHITE, polyline([(2.5, 8.5), (6.5, 12.5), (13.5, 4)], 1.5))])
render(os.path.join(ICONS, "print.png"), 48, printer())
render(os.path.join(ICONS, "canvas_size.png"), 48, canvas_size())
render(os.path.join(ICONS, "display_colour.png"), 48, colour_swatch())
render(os.path.join(ICONS, "original_image.png"), 48, landscape())
render(os.path.join(ICONS, "preview_image.png"), 48, eye())
render(os.path.join(ICONS, "smoothing_on.png"), 48, smooth_curve(True))
render(os.path.join(ICONS, "smoothing_off.png"), 48, smooth_curve(False))
render(os.path.join(ICONS, "toggle_display.png"), 48, half_square())
render(os.path.join(RESOURCES, "fun", "icon_floppydisc_orange_48.png"), 48, floppy())
render(os.path.join(RESOURCES, "frolix", "tool_edge_blending.png"), 24, feathered_edge())
render(os.path.join(RESOURCES, "frolix", "tool_edge_finding.png"), 24, edge_finding())
render(os.path.join(ROOT, "nav_zoom_in.png"), 24, magnifier("+", 0.5))
render(os.path.join(ROOT, "nav_zoom_out.png"), 24, magnifier("-", 0.5))
render(os.path.join(ROOT, "tool_image_pan.png"), 24, hand_tool())
render(os.path.join(ROOT, "tool_mark_preview.png"), 24, patch_preview())
render(os.path.join(ROOT, "facebook_icon.png"), 24, community_bubble())
render(os.path.join(ROOT, "flickr_icon.png"), 24, two_dots())
