#!/usr/bin/env python3
"""Writes the host's icon, orvalis.ico: a dark tile with a glowing ring of coloured sparks, the saver's
look in a few pixels. Sizes 16, 32 and 48, 32 bits per pixel with alpha. Python standard library only.

    python3 assets/make_icon.py assets/orvalis.ico
"""

import colorsys
import math
import struct
import sys


def pixel(size, x, y):
    """RGBA of the icon at (x, y), rows from the top."""
    c = (size - 1) / 2.0
    dx, dy = (x - c) / (size / 2.0), (y - c) / (size / 2.0)
    r = math.hypot(dx, dy)
    if r > 1.0:
        return (0, 0, 0, 0)
    # Rounded dark tile, a bright ring at 0.62 of the radius, its hue turning round the circle.
    glow = math.exp(-((r - 0.62) / 0.13) ** 2)
    hue = (math.atan2(dy, dx) / (2 * math.pi)) % 1.0
    red, green, blue = colorsys.hsv_to_rgb(hue, 0.75, 1.0)
    core = math.exp(-((r - 0.62) / 0.05) ** 2)  # white-hot centre of the ring
    base = 12
    out = []
    for channel in (red, green, blue):
        v = base + 243 * (glow * channel * 0.85 + core * 0.6)
        out.append(max(0, min(255, int(round(v)))))
    edge = min(1.0, (1.0 - r) * size / 2.0)  # soft edge of the tile
    return (out[0], out[1], out[2], int(round(255 * edge)))


def icon_image(size):
    """One icon image: BITMAPINFOHEADER (double height), BGRA rows bottom first, the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in range(size - 1, -1, -1):
        row = bytearray()
        for x in range(size):
            r, g, b, a = pixel(size, x, y)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)  # all opaque; the alpha channel does the shaping
    return header + b"".join(rows) + mask


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "orvalis.ico"
    sizes = (16, 32, 48)
    images = [icon_image(s) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b"".join(images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
