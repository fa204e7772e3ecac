#!/usr/bin/env python3
"""Draws Kestrune's program icon and writes kestrune.ico beside this script.

The icon is a single 16x16 image with a 256-colour palette (8 bits per pixel), the size the
notification area shows. It is drawn pixel by pixel from the grid below: a navy rounded
square with a white eighth note. The corners are left transparent through the AND mask.

Usage: python3 make_icon.py [output.ico]
"""

import os
import struct
import sys

SIZE = 16

# One character per pixel, top row first. '.' is transparent.
GRID = [
    "..bBBBBBBBBBBb..",
    ".bNNNNNNNNNNNNb.",
    "bNNNNNNNWwNNNNNb",
    "BNNNNNNNWWwNNNNB",
    "BNNNNNNNWWWwNNNB",
    "BNNNNNNNWWlWwNNB",
    "BNNNNNNNWWNlWlNB",
    "BNNNNNNNWWNNWWNB",
    "BNNNNNNNWWNNwlNB",
    "BNNNNlwWWWNNNNNB",
    "BNNNwWWWWWNNNNNB",
    "BNNlWWWWWWNNNNNB",
    "BNNlWWWWWlNNNNNB",
    "bNNNlwWwlNNNNNNb",
    ".bNNNNNNNNNNNNb.",
    "..bBBBBBBBBBBb..",
]

# Palette: index 0 stays black and is what the transparent pixels hold in the colour bitmap.
COLOURS = {
    "N": (0, 0, 128),  # navy field
    "B": (72, 88, 190),  # lighter rim, so the square keeps its edge on a dark taskbar
    "b": (40, 48, 160),  # rim pixels on the rounded corners
    "W": (255, 255, 255),  # the note
    "w": (170, 170, 213),  # note edge, two thirds white
    "l": (85, 85, 170),  # note edge, one third white
}


def build_palette():
    palette = [(0, 0, 0)] * 256
    index_of = {}
    for number, (key, colour) in enumerate(COLOURS.items(), start=1):
        palette[number] = colour
        index_of[key] = number
    return palette, index_of


def check_grid():
    if len(GRID) != SIZE or any(len(row) != SIZE for row in GRID):
        raise ValueError("the grid must be 16 rows of 16 characters")
    unknown = {c for row in GRID for c in row} - set(COLOURS) - {"."}
    if unknown:
        raise ValueError("unknown grid characters: " + "".join(sorted(unknown)))


def icon_bytes():
    check_grid()
    palette, index_of = build_palette()

    # BITMAPINFOHEADER: the height counts the colour bitmap and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    # RGBQUAD entries are blue, green, red, reserved.
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)

    colour_stride = (SIZE + 3) // 4 * 4
    mask_stride = ((SIZE + 31) // 32) * 4
    colour_rows = []
    mask_rows = []
    for row in reversed(GRID):  # bitmaps are stored bottom row first
        pixels = bytes(0 if c == "." else index_of[c] for c in row)
        colour_rows.append(pixels.ljust(colour_stride, b"\0"))
        bits = 0
        for x, c in enumerate(row):
            if c == ".":
                bits |= 1 << (mask_stride * 8 - 1 - x)
        mask_rows.append(bits.to_bytes(mask_stride, "big"))
    image = header + colour_table + b"".join(colour_rows) + b"".join(mask_rows)

    directory = struct.pack("<HHH", 0, 1, 1)
    offset = len(directory) + 16
    # ICONDIRENTRY: width, height, colour count (0 for 256 or more), reserved, planes,
    # bits per pixel, image size, image offset.
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), offset)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "kestrune.ico")
    data = icon_bytes()
    with open(output, "wb") as file:
        file.write(data)
    print("wrote %s (%d bytes)" % (output, len(data)))


if __name__ == "__main__":
    main()
