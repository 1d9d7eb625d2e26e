#!/usr/bin/env python3
"""Draws the program's icon, zarpello.ico: a printed sheet standing in an open
folder, at 16, 24, 32 and 48 pixels. Run it again after changing the picture:
    ui/draw_icon.py ui/zarpello.ico
"""
import struct
import sys

# Shapes in a unit square, (left, top, right, bottom), painted in this order.
OUTLINE = (90, 62, 10, 255)
SHAPES = [
    ((0.06, 0.22, 0.42, 0.34), (222, 160, 40, 255)),   # the folder's tab
    ((0.06, 0.30, 0.94, 0.92), (222, 160, 40, 255)),   # its back
    ((0.24, 0.06, 0.82, 0.74), (250, 250, 250, 255)),  # the sheet
    ((0.32, 0.16, 0.74, 0.20), (40, 40, 40, 255)),     # its printed lines
    ((0.32, 0.28, 0.68, 0.32), (40, 40, 40, 255)),
    ((0.32, 0.40, 0.74, 0.44), (40, 40, 40, 255)),
    ((0.32, 0.52, 0.62, 0.56), (40, 40, 40, 255)),
    ((0.06, 0.50, 0.94, 0.92), (250, 196, 70, 255)),   # the folder's front
]
# Each shape but the lines gets a dark edge this wide, in units.
EDGE = 0.04
SAMPLES = 4  # per pixel side, for smooth edges


def colour_at(x, y):
    colour = (0, 0, 0, 0)
    for (left, top, right, bottom), fill in SHAPES:
        if left <= x < right and top <= y < bottom:
            lines = fill[0] == 40
            edge = min(x - left, right - x, y - top, bottom - y) < EDGE
            colour = OUTLINE if edge and not lines else fill
    return colour


def pixels(size):
    rows = []
    for row in range(size):
        line = []
        for column in range(size):
            total = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (column + (sx + 0.5) / SAMPLES) / size
                    y = (row + (sy + 0.5) / SAMPLES) / size
                    r, g, b, a = colour_at(x, y)
                    total = [total[0] + r * a, total[1] + g * a, total[2] + b * a, total[3] + a]
            alpha = total[3]
            if alpha == 0:
                line.append((0, 0, 0, 0))
            else:
                line.append(tuple(round(c / alpha) for c in total[:3]) +
                            (round(alpha / SAMPLES ** 2),))
        rows.append(line)
    return rows


def bitmap(size):
    """One image of the .ico: a 32-bit bottom-up DIB and its AND mask."""
    rows = pixels(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for line in reversed(rows) for r, g, b, a in line)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for line in reversed(rows):
        bits = bytearray(mask_stride)
        for column, (_, _, _, a) in enumerate(line):
            if a == 0:
                bits[column // 8] |= 0x80 >> (column % 8)
        mask += bits
    return header + colour + bytes(mask)


def main(path):
    sizes = [16, 24, 32, 48]
    images = [bitmap(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "zarpello.ico")
