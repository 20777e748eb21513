#!/usr/bin/env python3
"""Checks the bitmap reader against an independent decoder (Pillow) on the public corpus.

Every good (g/) and questionable (q/) file that both pictoma-convert and Pillow read must give the
same black-and-white picture: Pillow's colours through the same brightness rule and threshold.
One-bit files are compared by palette index (index 0 is black), as the reader keeps them.

usage: bmpsuite_pillow.py PICTOMA_CONVERT CORPUS_DIR
"""
import os
import struct
import subprocess
import sys

from PIL import Image

THRESHOLD = 125


def brightness(r, g, b):
    return int((0.51 * g + 0.17 * b) + 0.32 * r)


def read_pbm(data):
    # "P4\n<w> <h>\n" then the rows, (w + 7) // 8 bytes each.
    head, rest = data.split(b"\n", 1)
    assert head == b"P4"
    dims, body = rest.split(b"\n", 1)
    w, h = map(int, dims.split())
    return w, h, body


def widen5(c8):
    # Pillow widens 5-bit components by scaling; the reader replicates the bits. Recover the
    # stored 5-bit value and widen it the reader's way.
    c5 = round(c8 * 31 / 255)
    return (c5 << 3) | (c5 >> 2)


def expected_black(path, im):
    with open(path, "rb") as f:
        header = f.read(30)
    bits = struct.unpack_from("<H", header, 28)[0]
    w, h = im.size
    if bits == 1:
        # Mode "P" gives the palette index; mode "1" (a black-first palette) gives 0 for index 0.
        return [[im.getpixel((x, y)) == 0 for x in range(w)] for y in range(h)]
    px = im.convert("RGB").load()
    if bits == 16:
        return [[brightness(*map(widen5, px[x, y])) <= THRESHOLD for x in range(w)]
                for y in range(h)]
    return [[brightness(*px[x, y]) <= THRESHOLD for x in range(w)] for y in range(h)]


def main():
    convert, corpus = sys.argv[1], sys.argv[2]
    if not os.path.isdir(corpus):
        print("bitmap corpus not found at", corpus)
        sys.exit(1 if os.environ.get("CI") == "true" else 77)
    compared = failed = 0
    for sub in ("g", "q"):
        folder = os.path.join(corpus, sub)
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".bmp"):
                continue
            path = os.path.join(folder, name)
            run = subprocess.run([convert, "-f", "pbm", "-t", str(THRESHOLD), path],
                                 capture_output=True)
            if run.returncode != 0:
                continue  # refused by the reader (compressed, OS/2 header, ...)
            try:
                im = Image.open(path)
                im.load()
            except Exception:
                continue  # Pillow cannot read it: nothing independent to compare with
            want = expected_black(path, im)
            w, h, body = read_pbm(run.stdout)
            if (w, h) != im.size:
                print(f"{sub}/{name}: size {w}x{h}, Pillow {im.size[0]}x{im.size[1]}")
                failed += 1
                continue
            bpr = (w + 7) // 8
            wrong = 0
            for y in range(h):
                for x in range(w):
                    got = (body[y * bpr + x // 8] >> (7 - x % 8)) & 1 == 1
                    if got != want[y][x]:
                        wrong += 1
            compared += 1
            if wrong:
                failed += 1
                print(f"{sub}/{name}: {wrong} of {w * h} pixels differ from Pillow")
    print(f"{compared} files compared with Pillow, {failed} differ")
    sys.exit(1 if failed or compared < 20 else 0)


if __name__ == "__main__":
    main()
