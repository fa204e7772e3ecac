#!/usr/bin/env python3
"""Draws Kestrune's program icon and its paused variant, and writes kestrune.ico and
kestrune_paused.ico beside this script.

The design is a navy rounded square with a lighter rim and a white eighth note. The icon holds
it at the sizes Windows asks for from 100 % to 200 % scaling:

- 16x16 with a 256-colour palette (8 bits per pixel), drawn pixel by pixel from the grid below;
  the corners are left transparent through the AND mask;
- 20, 24, 32 and 48 pixels in 32-bit colour with alpha, drawn from the same design in outline
  (the shapes below, in units of the 16-pixel grid) and smoothed by sampling each pixel 4x4;
- 256 pixels the same way, stored PNG-compressed (as Windows Vista and later read it) so that
  the program file stays small.

The paused variant is the notification area's icon while the shortcuts are paused: the same
square and note in greys, with an amber badge that holds a pause mark (two dark bars) over the
lower right corner. It holds the small sizes only, the 16-pixel image drawn from the same grid
with the badge's grid laid over it, 20 and 24 pixels as above, and 32 and 48 pixels stored as
PNG (the program file carries both icons).

Usage: python3 make_icon.py [output folder]
"""

import math
import os
import struct
import sys
import zlib

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


# The paused variant: the design's colours in greys, and the badge's.
PAUSED_COLOURS = {
    "N": (104, 104, 104),
    "B": (150, 150, 150),
    "b": (128, 128, 128),
    "W": (196, 196, 196),
    "w": (160, 160, 160),
    "l": (130, 130, 130),
    "A": (255, 170, 0),  # the badge
    "a": (200, 130, 20),  # the badge's rounded edge
    "K": (32, 32, 32),  # the pause mark's bars
}

# The badge at 16 pixels, laid over the grid with its top left corner at BADGE_AT; '.' leaves the
# grid's pixel as it is.
BADGE_AT = (7, 7)
BADGE = [
    "..aAAAa..",
    ".AAAAAAA.",
    "aAKKAKKAa",
    "AAKKAKKAA",
    "AAKKAKKAA",
    "AAKKAKKAA",
    "aAKKAKKAa",
    ".AAAAAAA.",
    "..aAAAa..",
]


def paused_grid():
    rows = [list(row) for row in GRID]
    left, top = BADGE_AT
    for y, badge_row in enumerate(BADGE):
        for x, c in enumerate(badge_row):
            if c != ".":
                rows[top + y][left + x] = c
    return ["".join(row) for row in rows]


def build_palette(colours=COLOURS):
    palette = [(0, 0, 0)] * 256
    index_of = {}
    for number, (key, colour) in enumerate(colours.items(), start=1):
        palette[number] = colour
        index_of[key] = number
    return palette, index_of


def check_grid(grid, colours):
    if len(grid) != SIZE or any(len(row) != SIZE for row in grid):
        raise ValueError("the grid must be 16 rows of 16 characters")
    unknown = {c for row in grid for c in row} - set(colours) - {"."}
    if unknown:
        raise ValueError("unknown grid characters: " + "".join(sorted(unknown)))


def small_image(grid=GRID, colours=COLOURS):
    """The 16x16 256-colour image, header to mask, as an .ico entry holds it."""
    check_grid(grid, colours)
    palette, index_of = build_palette(colours)

    # BITMAPINFOHEADER: the height counts the colour bitmap and the mask together.
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    # RGBQUAD entries are blue, green, red, reserved.
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)

    colour_stride = (SIZE + 3) // 4 * 4
    mask_stride = ((SIZE + 31) // 32) * 4
    colour_rows = []
    mask_rows = []
    for row in reversed(grid):  # bitmaps are stored bottom row first
        pixels = bytes(0 if c == "." else index_of[c] for c in row)
        colour_rows.append(pixels.ljust(colour_stride, b"\0"))
        bits = 0
        for x, c in enumerate(row):
            if c == ".":
                bits |= 1 << (mask_stride * 8 - 1 - x)
        mask_rows.append(bits.to_bytes(mask_stride, "big"))
    return header + colour_table + b"".join(colour_rows) + b"".join(mask_rows)


# The design in outline, in units of the 16-pixel grid (0 to 16 across and down).
CORNER = 2.6  # radius of the square's corners
NOTE_STEM = (8.0, 2.0, 10.0, 11.4)  # left, top, right, bottom
# The flag: a stroke along a quadratic curve from the top of the stem, given by its three
# control points, and drawn as 12 straight pieces.
FLAG_CURVE = ((9.6, 2.4), (13.8, 5.0), (12.5, 8.9))
NOTE_FLAG = [
    (
        (1 - t) ** 2 * FLAG_CURVE[0][0] + 2 * (1 - t) * t * FLAG_CURVE[1][0] + t * t * FLAG_CURVE[2][0],
        (1 - t) ** 2 * FLAG_CURVE[0][1] + 2 * (1 - t) * t * FLAG_CURVE[1][1] + t * t * FLAG_CURVE[2][1],
    )
    for t in (i / 12 for i in range(13))
]
FLAG_HALF_WIDTH = 0.75
NOTE_HEAD = (6.0, 11.4, 3.1, 2.05, -25.0)  # centre x, y, half-axes, tilt in degrees
SAMPLES = 4  # per pixel, in each direction


def in_rounded_square(x, y, inset):
    low, high, radius = inset, 16.0 - inset, CORNER - inset
    if not (low <= x <= high and low <= y <= high):
        return False
    dx = max(low + radius - x, 0.0, x - (high - radius))
    dy = max(low + radius - y, 0.0, y - (high - radius))
    return dx * dx + dy * dy <= radius * radius


def distance_to_segment(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(x - ax - t * vx, y - ay - t * vy)


def in_note(x, y):
    left, top, right, bottom = NOTE_STEM
    if left <= x <= right and top <= y <= bottom:
        return True
    if any(
        distance_to_segment(x, y, NOTE_FLAG[i], NOTE_FLAG[i + 1]) <= FLAG_HALF_WIDTH
        for i in range(len(NOTE_FLAG) - 1)
    ):
        return True
    cx, cy, a, b, tilt = NOTE_HEAD
    c, s = math.cos(math.radians(tilt)), math.sin(math.radians(tilt))
    u = (x - cx) * c + (y - cy) * s
    v = -(x - cx) * s + (y - cy) * c
    return (u / a) ** 2 + (v / b) ** 2 <= 1.0


# The paused variant's badge: a disc (centre x, y and radius) and the pause mark's two bars
# (left, top, right, bottom), in grid units.
BADGE_DISC = (11.5, 11.5, 4.5)
PAUSE_BARS = [(9.0, 9.0, 11.0, 14.0), (12.0, 9.0, 14.0, 14.0)]


def colour_at(x, y, rim, paused=False):
    """The colour of the design at (x, y), or None outside the square."""
    colours = PAUSED_COLOURS if paused else COLOURS
    if paused:
        cx, cy, radius = BADGE_DISC
        if math.hypot(x - cx, y - cy) <= radius:
            if any(left <= x <= right and top <= y <= bottom for left, top, right, bottom in PAUSE_BARS):
                return colours["K"]
            return colours["A"]
    if not in_rounded_square(x, y, 0.0):
        return None
    if not in_rounded_square(x, y, rim):
        return colours["B"]
    if in_note(x, y):
        return colours["W"]
    return colours["N"]


def draw(size, paused=False):
    """Rows of (red, green, blue, alpha) pixels, top row first."""
    unit = size / 16.0
    rim = max(1.0, size / 32.0) / unit  # the rim is a pixel or two wide, in grid units
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / unit
                    y = (py + (sy + 0.5) / SAMPLES) / unit
                    colour = colour_at(x, y, rim, paused)
                    if colour is None:
                        continue
                    covered += 1
                    red += colour[0]
                    green += colour[1]
                    blue += colour[2]
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                alpha = round(255 * covered / (SAMPLES * SAMPLES))
                row.append((round(red / covered), round(green / covered), round(blue / covered), alpha))
        rows.append(row)
    return rows


def bitmap_image(size, paused=False):
    """A 32-bit image with alpha, header to mask, as an .ico entry holds it."""
    rows = draw(size, paused)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(
        struct.pack("<BBBB", b, g, r, a) for row in reversed(rows) for (r, g, b, a) in row
    )
    mask_stride = ((size + 31) // 32) * 4
    mask_rows = []
    for row in reversed(rows):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (mask_stride * 8 - 1 - x)
        mask_rows.append(bits.to_bytes(mask_stride, "big"))
    return header + colour + b"".join(mask_rows)


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_image(size, paused=False):
    """The image as an RGBA PNG, rows filtered with "Sub", which suits flat colour best."""
    raw = bytearray()
    for row in draw(size, paused):
        raw.append(1)  # filter type Sub: each byte less the byte one pixel to its left
        previous = (0, 0, 0, 0)
        for pixel in row:
            raw.extend((pixel[i] - previous[i]) & 0xFF for i in range(4))
            previous = pixel
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (
        b"\x89PNG\r\n\x1a\n"
        + png_chunk(b"IHDR", header)
        + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        + png_chunk(b"IEND", b"")
    )


def icon_bytes(paused=False):
    # (width, colour count, bits per pixel, image), smallest first.
    if paused:
        images = [(SIZE, 0, 8, small_image(paused_grid(), PAUSED_COLOURS))]
    else:
        images = [(SIZE, 0, 8, small_image())]
    if paused:
        images += [(size, 0, 32, bitmap_image(size, True)) for size in (20, 24)]
        images += [(size, 0, 32, png_image(size, True)) for size in (32, 48)]
    else:
        images += [(size, 0, 32, bitmap_image(size)) for size in (20, 24, 32, 48)]
        images.append((256, 0, 32, png_image(256)))

    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for width, colours, bits, image in images:
        # ICONDIRENTRY: width, height (0 for 256), colour count (0 for 256 or more), reserved,
        # planes, bits per pixel, image size, image offset.
        side = width % 256
        entries += struct.pack("<BBBBHHII", side, side, colours, 0, 1, bits, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(image for _, _, _, image in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else here
    for name, paused in (("kestrune.ico", False), ("kestrune_paused.ico", True)):
        output = os.path.join(folder, name)
        data = icon_bytes(paused)
        with open(output, "wb") as file:
            file.write(data)
        print("wrote %s (%d bytes)" % (output, len(data)))


if __name__ == "__main__":
    main()
