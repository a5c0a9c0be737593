#!/usr/bin/env python3
"""Prints the interpolation filters of the G.729 decoder's long-term
postfilter: Hamming-windowed sincs at 1/8-sample resolution, 2*half taps,
unit DC gain in Q15 (rows for the fractions 1/8 ... 7/8).

    g729_interp_tables.py 2    # the short filter used while searching
    g729_interp_tables.py 8    # the long filter used for filtering
"""
import math
import sys


def interp(half):
    rows = []
    for p in range(1, 8):
        u = p / 8.0
        taps = []
        for i in range(-half + 1, half + 1):
            t = i - u
            s = math.sin(math.pi * t) / (math.pi * t)
            w = 0.54 + 0.46 * math.cos(math.pi * t / half)
            taps.append(s * w)
        total = sum(taps)
        q = [round(32768 * t / total) for t in taps]
        # Put the rounding remainder on the largest tap so the sum is 1.0.
        q[half - 1 if u < 0.5 else half] += 32768 - sum(q)
        rows.append(q)
    return rows


if __name__ == "__main__":
    for row in interp(int(sys.argv[1])):
        print(", ".join(str(v) for v in row) + ",")
