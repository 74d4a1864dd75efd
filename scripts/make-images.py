#!/usr/bin/env python3
"""Draws the updater's icon and splash bitmap (vexa/res/icon.png, vexa/res/splash.png),
and the same pictures in the forms a Windows resource script takes (icon.ico with
16, 32 and 64 pixel images, splash.bmp of 32 bits per pixel).

Plain Python, so the pictures can be redrawn anywhere: each pixel is the average of
a 4 x 4 grid of samples of a few shapes (rings, an arrow, bars) over a gradient.
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SAMPLES = 4


def png(width, height, rows):
    """rows: lists of RGBA bytes, top row first."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def bgra_bottom_up(rows):
    out = bytearray()
    for row in reversed(rows):
        for i in range(0, len(row), 4):
            out += bytes((row[i + 2], row[i + 1], row[i], row[i + 3]))
    return bytes(out)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 32, 0, image_size, 2835, 2835, 0, 0)


def bmp(width, height, rows):
    pixels = bgra_bottom_up(rows)
    header = info_header(width, height, len(pixels))
    offset = 14 + len(header)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header + pixels


def ico(images):
    """images: (size, rows) pairs; each becomes a 32-bit image with an empty AND mask."""
    entries, data = b"", b""
    offset = 6 + 16 * len(images)
    for size, rows in images:
        mask = bytes(((size + 31) // 32) * 4 * size)
        image = info_header(size, size * 2, 0) + bgra_bottom_up(rows) + mask
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        data += image
        offset += len(image)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + data


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def in_arrow(x, y, cx, cy, size):
    """A downward arrow centred on (cx, cy): a shaft and a head."""
    dx, dy = x - cx, y - cy
    if abs(dx) <= size * 0.16 and -size * 0.55 <= dy <= size * 0.1:
        return True
    return 0 <= dy - size * 0.05 <= size * 0.5 - abs(dx) and abs(dx) <= size * 0.45 and dy <= size * 0.55


def emblem(x, y, cx, cy, radius):
    """The updater's mark: a ring around a downward arrow. None outside it."""
    r = math.hypot(x - cx, y - cy)
    if radius * 0.78 <= r <= radius:
        return (255, 255, 255, 255)
    if in_arrow(x, y, cx, cy, radius * 0.95):
        return (255, 214, 90, 255)
    if r < radius * 0.78:
        return (20, 60, 110, 255)
    return None


def icon_sample(x, y, size):
    colour = emblem(x, y, size / 2, size / 2, size * 0.47)
    if colour:
        return colour
    return (0, 0, 0, 0)


def splash_sample(x, y, width, height):
    colour = emblem(x, y, 72, height / 2, 48)
    if colour:
        return colour
    # Three bars to the right of the mark, the lowest half filled like a progress bar.
    for i, (top, length, filled) in enumerate(((44, 220, 1.0), (66, 180, 1.0), (96, 240, 0.55))):
        if 140 <= x <= 140 + length and top <= y <= top + (10 if i < 2 else 14):
            if i < 2:
                return (255, 255, 255, 230 if i == 0 else 150)
            return (255, 214, 90, 255) if x <= 140 + length * filled else (255, 255, 255, 60)
    top = (28, 58, 108, 255)
    bottom = (16, 130, 150, 255)
    return mix(top, bottom, (x / width * 0.35 + y / height * 0.65))


def render(width, height, sample):
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = sample(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    a = c[3] / 255
                    total[0] += c[0] * a
                    total[1] += c[1] * a
                    total[2] += c[2] * a
                    total[3] += a
            n = SAMPLES * SAMPLES
            alpha = total[3] / n
            if alpha > 0:
                row += [round(total[i] / total[3]) for i in range(3)] + [round(alpha * 255)]
            else:
                row += [0, 0, 0, 0]
        rows.append(row)
    return rows


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "vexa" / "res")
    icons = {size: render(size, size, lambda x, y, size=size: icon_sample(x, y, size)) for size in (16, 32, 64)}
    splash = render(380, 140, lambda x, y: splash_sample(x, y, 380, 140))
    (out / "icon.png").write_bytes(png(64, 64, icons[64]))
    (out / "splash.png").write_bytes(png(380, 140, splash))
    (out / "icon.ico").write_bytes(ico(sorted(icons.items())))
    (out / "splash.bmp").write_bytes(bmp(380, 140, splash))


if __name__ == "__main__":
    main()
