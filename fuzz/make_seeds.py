#!/usr/bin/env python3
"""Writes the fuzz target's seed corpus: tiny bitmaps of every bit count and layout the reader
handles, and a few it must refuse. Run from this folder: python3 make_seeds.py corpus"""
import os
import struct
import sys


def bmp(w, h, bits, palette=(), clr_used=0, compression=0, info_size=40, pad=4, top_down=False,
        file_size=None, cut=0):
    row_data = {1: (w + 7) // 8, 4: (w + 1) // 2}.get(bits, w * bits // 8)
    row = (row_data + pad - 1) // pad * pad
    pixels = bytearray()
    for y in range(h):
        pixels += bytes((x * 37 + y * 91) & 255 for x in range(row_data)) + bytes(row - row_data)
    pal = b"".join(struct.pack("<BBBB", *e) for e in palette)
    off = 14 + info_size + len(pal)
    size = off + len(pixels) if file_size is None else file_size
    head = struct.pack("<2sIHHI", b"BM", size, 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", info_size, w, -h if top_down else h, 1, bits, compression,
                       len(pixels), 2835, 2835, clr_used, 0)
    info += bytes(info_size - 40)
    data = head + info + pal + pixels
    return data[:len(data) - cut] if cut else data


grey2 = [(0, 0, 0, 0), (255, 255, 255, 0)]
grey16 = [(i * 17, i * 17, i * 17, 0) for i in range(16)]
grey256 = [(i, i, i, 0) for i in range(256)]
seeds = {
    "1bit_9x8": bmp(9, 8, 1, grey2),
    "1bit_9x2_unpadded": bmp(9, 2, 1, grey2, pad=1),
    "4bit_3x4": bmp(3, 4, 4, grey16),
    "8bit_5x3_clrused2": bmp(5, 3, 8, grey2, clr_used=2),
    "8bit_4x4_v5": bmp(4, 4, 8, grey256, info_size=124),
    "16bit_3x2": bmp(3, 2, 16),
    "24bit_5x3": bmp(5, 3, 24),
    "24bit_4x3_topdown": bmp(4, 3, 24, top_down=True),
    "24bit_4x4_truncated": bmp(4, 4, 24, cut=7),
    "24bit_3x3_nosize": bmp(3, 3, 24, file_size=0),
    "32bit_2x2": bmp(2, 2, 32),
    "rle8_refused": bmp(4, 2, 8, grey2, compression=1),
    "2bit_refused": bmp(4, 2, 2),
}
out = sys.argv[1] if len(sys.argv) > 1 else "corpus"
os.makedirs(out, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(out, name + ".bmp"), "wb") as f:
        f.write(data)
