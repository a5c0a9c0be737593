#!/usr/bin/env python3
"""Draws the reader's icon (a speech bubble with sound bars) as tamblor.png.

Plain Python, no imaging library: each pixel is sampled 4 x 4 times against
the shapes below. Run: python3 reader/art/make_icon.py reader/art/tamblor.png
"""
import struct
import sys
import zlib

SIZE = 256
SS = 4


def in_round_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


BARS = [(84, 104, 132), (116, 84, 152), (148, 96, 140), (180, 108, 128)]


def colour(x, y):
    if not in_round_rect(x, y, 8, 8, 248, 248, 44):
        return None
    t = (y - 8) / 240
    bg = (int(80 + (46 - 80) * t), int(150 + (112 - 150) * t), int(220 + (184 - 220) * t))
    bubble = in_round_rect(x, y, 32, 52, 224, 184, 24) or in_triangle(x, y, (118, 180), (70, 222), (84, 180))
    if not bubble:
        return bg
    for bx, y0, y1 in BARS:
        if in_round_rect(x, y, bx - 8, y0 - 8, bx + 8, y1 + 8, 8):
            return (46, 112, 184)
    return (255, 255, 255)


def main(path):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])
        for px in range(SIZE):
            acc = [0, 0, 0, 0]
            for sy in range(SS):
                for sx in range(SS):
                    c = colour(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS)
                    if c is not None:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 255
            n = acc[3] // 255
            row += bytes([acc[0] // n, acc[1] // n, acc[2] // n, acc[3] // (SS * SS)] if n else [0, 0, 0, 0])
        rows.append(bytes(row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main(sys.argv[1])
