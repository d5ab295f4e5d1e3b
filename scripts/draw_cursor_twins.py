#!/usr/bin/env python3
"""Draws the hand cursors' double-density pictures (curs_data_hand*@2x.png and
curs_mask_hand*@2x.png in resources/images) from the one-bit 32-pixel ones beside them.

Plain Python (zlib and struct), so the pictures can be redrawn anywhere:
    python3 scripts/draw_cursor_twins.py
Each picture is doubled with Scale2x (EPX): a pixel becomes four, and a corner of the four takes
its neighbours' value where two of them agree, so diagonal edges come out rounded rather than as
2 x 2 steps. Black is a set bit, white a clear one, as in the small pictures. Afterwards the mask
is widened to every set data bit, since an outline pixel outside the mask is never drawn.
"""
import os
import struct
import zlib

def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)

def read_bits(path):
    """The set bits (black pixels) of an 8-bit RGB or RGBA PNG, as rows of booleans."""
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise SystemExit('%s: not a PNG' % path)
    p, idat, head = 8, b'', None
    while p < len(data):
        n, = struct.unpack('>I', data[p:p + 4]); t = data[p + 4:p + 8]; body = data[p + 8:p + 8 + n]
        p += 12 + n
        if t == b'IHDR': head = struct.unpack('>IIBBBBB', body)
        elif t == b'IDAT': idat += body
    w, h, depth, colour, _, _, interlace = head
    if depth != 8 or colour not in (2, 6) or interlace:
        raise SystemExit('%s: expected an 8-bit RGB(A) picture' % path)
    bpp = 4 if colour == 6 else 3
    raw = zlib.decompress(idat); stride = w * bpp; prev = bytearray(stride); rows = []; q = 0
    for _ in range(h):
        kind = raw[q]; line = bytearray(raw[q + 1:q + 1 + stride]); q += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0; b = prev[i]; c = prev[i - bpp] if i >= bpp else 0
            if kind == 1: line[i] = (line[i] + a) & 255
            elif kind == 2: line[i] = (line[i] + b) & 255
            elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([line[x * bpp] + line[x * bpp + 1] + line[x * bpp + 2] < 384 for x in range(w)])
        prev = line
    return rows

def write_bits(path, rows):
    h, w = len(rows), len(rows[0])
    raw = b''.join(b'\x00' + b''.join(b'\x00\x00\x00\xff' if v else b'\xff\xff\xff\xff' for v in row)
                   for row in rows)
    open(path, 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0)) +
                           chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))

def scale2x(rows):
    h, w = len(rows), len(rows[0])
    at = lambda x, y: rows[min(max(y, 0), h - 1)][min(max(x, 0), w - 1)]
    out = [[False] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p, a, b, c, d = at(x, y), at(x, y - 1), at(x + 1, y), at(x - 1, y), at(x, y + 1)
            e = [p] * 4
            if a != d and c != b:   # no straight run through the pixel: round its corners
                if c == a: e[0] = a
                if a == b: e[1] = b
                if d == c: e[2] = c
                if b == d: e[3] = d
            out[2 * y][2 * x], out[2 * y][2 * x + 1] = e[0], e[1]
            out[2 * y + 1][2 * x], out[2 * y + 1][2 * x + 1] = e[2], e[3]
    return out

base = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources', 'images')
for name in ('handopen', 'handgrab', 'handpoint'):
    data = scale2x(read_bits(os.path.join(base, 'curs_data_%s.png' % name)))
    mask = scale2x(read_bits(os.path.join(base, 'curs_mask_%s.png' % name)))
    mask = [[m or d for m, d in zip(mrow, drow)] for mrow, drow in zip(mask, data)]
    write_bits(os.path.join(base, 'curs_data_%s@2x.png' % name), data)
    write_bits(os.path.join(base, 'curs_mask_%s@2x.png' % name), mask)
