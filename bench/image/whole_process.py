#!/usr/bin/env python3
"""Whole-process timing of pictoma-convert -f pbm on 4096 x 4096 bitmaps, against cat reading the
same file and, for the 24-bit file, against the netpbm pipeline (when netpbm is installed).

Runs alternate: each round runs every command of a comparison once through hyperfine (one run,
no shell, output discarded by hyperfine itself), in turn forwards and backwards, after a warm-up
round; medians and ratios to the first command are printed.

    python3 bench/image/whole_process.py build/tools/pictoma-convert [rounds]
"""
import json
import os
import random
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile

SIDE = 4096


def write_bitmap(path, bits, seed):
    """A bottom-up bitmap of random pixels; a grey palette for 1 and 8 bits."""
    rnd = random.Random(seed)
    row = ((SIDE * bits + 7) // 8 + 3) // 4 * 4
    colours = (1 << bits) if bits <= 8 else 0
    off = 54 + 4 * colours
    head = b"BM" + struct.pack("<IHHI", off + row * SIDE, 0, 0, off)
    head += struct.pack("<IiiHHIIiiII", 40, SIDE, SIDE, 1, bits, 0, row * SIDE, 2835, 2835, 0, 0)
    palette = b"".join(bytes([i * 255 // (colours - 1)] * 3 + [0]) for i in range(colours))
    with open(path, "wb") as f:
        f.write(head + palette + rnd.randbytes(row * SIDE))


def alternate(commands, rounds, shell=False):
    times = {c: [] for c in commands}
    with tempfile.TemporaryDirectory() as d:
        report = os.path.join(d, "r.json")
        base = ["hyperfine", "--runs", "1", "--warmup", "0", "--style", "none",
                "--export-json", report]
        if not shell:
            base.append("-N")
        subprocess.run(base + commands, check=True, stdout=subprocess.PIPE)  # warm-up round
        for r in range(rounds):
            order = commands if r % 2 == 0 else list(reversed(commands))
            subprocess.run(base + order, check=True, stdout=subprocess.PIPE)
            with open(report) as f:
                for result in json.load(f)["results"]:
                    times[result["command"]].append(result["times"][0] * 1000)
    ref = statistics.median(times[commands[0]])
    for c in commands:
        m = statistics.median(times[c])
        faster = f" ({ref / m:.1f} times faster)" if m < ref else ""
        print(f"  {m:7.2f} ms median ({min(times[c]):.2f}..{max(times[c]):.2f}, "
              f"n={len(times[c])})  x{m / ref:5.2f}{faster}  {c}")


def main():
    if len(sys.argv) < 2 or not shutil.which("hyperfine"):
        sys.exit(__doc__ + "\n(needs hyperfine)")
    program = os.path.abspath(sys.argv[1])
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    with tempfile.TemporaryDirectory() as d:
        for bits in (24, 32, 8, 1):
            path = os.path.join(d, f"b{bits}.bmp")
            write_bitmap(path, bits, bits)
            print(f"{bits}-bit, {os.path.getsize(path)} bytes")
            alternate([f"cat {path}", f"{program} -f pbm {path}"], rounds)
        if shutil.which("bmptopnm"):
            path = os.path.join(d, "b24.bmp")
            out = os.path.join(d, "out.pbm")
            print("24-bit against the netpbm pipeline")
            alternate([f"bmptopnm {path} | ppmtopgm | pgmtopbm -threshold > {out}",
                       f"{program} -f pbm {path} > {out}"], max(9, rounds // 2), shell=True)


if __name__ == "__main__":
    main()
