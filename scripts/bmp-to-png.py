#!/usr/bin/env python3
"""Turns a window photograph (a 24-bit bottom-up BMP) into a PNG and fails when the
picture is blank: a drawn dialog has a frame, texts and bars, so many colours.

Usage: bmp-to-png.py <in.bmp> <out.png>
"""
import runpy
import struct
import sys
from pathlib import Path

MIN_COLOURS = 8


def load_png_writer():
    path = Path(__file__).resolve().parent / "make-images.py"
    return runpy.run_path(str(path), run_name="make_images")["png"]


def read_bmp(data):
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24 or width <= 0 or height <= 0:
        raise ValueError("not a bottom-up 24-bit BMP")
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(height - 1, -1, -1):
        line = data[offset + y * stride: offset + y * stride + width * 3]
        row = []
        for x in range(0, len(line), 3):
            row += [line[x + 2], line[x + 1], line[x], 255]
        rows.append(row)
    return width, height, rows


def main():
    width, height, rows = read_bmp(Path(sys.argv[1]).read_bytes())
    colours = {tuple(row[i:i + 3]) for row in rows for i in range(0, len(row), 4)}
    Path(sys.argv[2]).write_bytes(load_png_writer()(width, height, rows))
    print(f"{width}x{height}, {len(colours)} colours")
    return 0 if len(colours) >= MIN_COLOURS else 1


if __name__ == "__main__":
    sys.exit(main())
