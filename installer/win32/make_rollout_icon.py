#!/usr/bin/env python3
"""Writes rollout.ico, the installer's icon: a blue disk with a white arrow pointing down
into a tray, at 32 x 32 and 16 x 16 pixels (32-bit colour with alpha).

Usage: make_rollout_icon.py [output]   (default: rollout.ico beside this script)
"""
import os
import struct
import sys


def pixel(x, y, size):
    """RGBA of one pixel; (x, y) from the top left corner."""
    s = size / 32.0
    cx, cy = x + 0.5, y + 0.5
    r = 15.0 * s
    if (cx - 16 * s) ** 2 + (cy - 16 * s) ** 2 > r * r:
        return (0, 0, 0, 0)
    # arrow: a shaft and a head, above a tray line
    shaft = abs(cx - 16 * s) <= 2.5 * s and 6 * s <= cy <= 16 * s
    head = 16 * s <= cy <= 22 * s and abs(cx - 16 * s) <= (22 * s - cy) * 1.2
    tray = 24 * s <= cy <= 26.5 * s and abs(cx - 16 * s) <= 8 * s
    if shaft or head or tray:
        return (255, 255, 255, 255)
    return (32, 96, 200, 255)


def image(size):
    rows = []
    for y in range(size - 1, -1, -1):  # bitmaps are stored bottom-up
        row = b""
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            row += bytes((b, g, r, a))
        rows.append(row)
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"\0" * (mask_row * size)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "rollout.ico")
    images = [(32, image(32)), (16, image(16))]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, body in images:
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    for _, body in images:
        data += body
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
