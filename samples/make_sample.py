#!/usr/bin/env python3
"""Writes sample.bmp, the picture the project ships for trying the tools: a 24-bit 96 x 48
bitmap of a face on a soft grey ramp, with a grey shadow that moves with the threshold."""
import math
import struct
import sys

W, H = 96, 48


def colour(x, y):
    # Background: a light ramp from 250 on the left to 170 on the right (white at threshold 125,
    # partly black at the top of the range).
    v = 250 - (x * 80) // (W - 1)
    r, g, b = v, v, v
    cx, cy, rad = 30, 24, 20
    d = math.hypot(x - cx, y - cy)
    if d <= rad:
        r, g, b = 255, 230, 120  # a yellow face (brightness about 211)
        # shadow on the lower right half of the face: brightness about 140
        if (x - cx) + (y - cy) > 8:
            r, g, b = 170, 140, 90
    if rad - 1.5 <= d <= rad + 0.5:
        r, g, b = 20, 20, 20  # outline
    for ex in (23, 37):
        if math.hypot(x - ex, y - 18) <= 2.5:
            r, g, b = 0, 0, 0  # eyes
    if 10 <= math.hypot(x - cx, y - 22) <= 12 and y > 27:
        r, g, b = 160, 0, 0  # a red smile (brightness 51)
    # A grey bar chart on the right: bars of brightness 100, 126, 150, 175 (the second turns
    # black with one Increase Threshold from the default 125).
    for i, grey in enumerate((100, 126, 150, 175)):
        left = 60 + i * 8
        if left <= x < left + 6 and 40 - (i + 2) * 6 <= y < 40:
            r, g, b = grey, grey, grey
    if 58 <= x <= 92 and y == 41:
        r, g, b = 0, 0, 0  # the chart's base line
    return r, g, b


def main(path):
    row = (W * 3 + 3) // 4 * 4
    data = bytearray()
    for y in range(H - 1, -1, -1):
        line = bytearray()
        for x in range(W):
            r, g, b = colour(x, y)
            line += bytes((b, g, r))
        line += bytes(row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "sample.bmp")
