#!/usr/bin/env python3
"""Draws the KAVRO icon (a landscape handheld whose screen shows a film frame with a play
mark) and writes it as an RGBA PNG. Plain Python, no imaging library: every pixel is
averaged from 4 x 4 samples of a few shapes. Run: make-icon.py SIZE OUT.png"""
import struct
import sys
import zlib

def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r

def triangle(a, b, c):
    def side(p, q, x, y):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    def inside(x, y):
        s = (side(a, b, x, y), side(b, c, x, y), side(c, a, x, y))
        return all(v >= 0 for v in s) or all(v <= 0 for v in s)
    return inside

def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)

# Shapes on a 128 x 128 design grid, painted in order (later ones on top).
BODY = (58, 44, 112)
SCREEN_RIM = (26, 20, 48)
SCREEN = (120, 200, 235)
FILM = (245, 245, 245)
PLAY = (232, 72, 96)
KEYS = (250, 196, 64)

holes = [rounded_rect(x, y, x + 4, y + 4, 1) for x in range(42, 87, 9) for y in (39, 83)]
LAYERS = [
    (rounded_rect(4, 26, 124, 102, 22), BODY),
    (rounded_rect(30, 30, 98, 98, 6), SCREEN_RIM),
    (rounded_rect(34, 34, 94, 94, 3), SCREEN),
    (union(rounded_rect(38, 36, 90, 46, 2), rounded_rect(38, 82, 90, 92, 2)), FILM),
    (union(*holes), SCREEN_RIM),
    (triangle((54, 52), (54, 76), (76, 64)), PLAY),
    (union(rounded_rect(9, 60, 25, 68, 2), rounded_rect(13, 56, 21, 72, 2)), KEYS),
    (union(circle(108, 58, 5), circle(114, 70, 5)), KEYS),
]

def pixel(px, py, scale, samples=4):
    r = g = b = a = 0.0
    for sy in range(samples):
        for sx in range(samples):
            x = (px + (sx + 0.5) / samples) * scale
            y = (py + (sy + 0.5) / samples) * scale
            colour = None
            for shape, c in LAYERS:
                if shape(x, y):
                    colour = c
            if colour:
                r += colour[0]; g += colour[1]; b += colour[2]; a += 255
    n = samples * samples
    if a == 0:
        return (0, 0, 0, 0)
    # Colours are averaged over the covered samples only, so edges fade in alpha, not in hue.
    covered = a / 255
    return (round(r / covered), round(g / covered), round(b / covered), round(a / n))

def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))

def main():
    size, out = int(sys.argv[1]), sys.argv[2]
    scale = 128 / size
    rows = [[pixel(x, y, scale) for x in range(size)] for y in range(size)]
    with open(out, "wb") as f:
        f.write(png(size, rows))

if __name__ == "__main__":
    main()
