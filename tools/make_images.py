#!/usr/bin/env python3
"""Writes the game's images, byte for byte the same on every run:

  digits.bmp   the LED digit strip: ten 13 x 23 glyphs and a black column, 4 bpp
  tessaly.ico  the program icon: a raised grey button, 16 x 16 and 32 x 32, 16 colours
  link.cur     the link cursor: a 32 x 32 monochrome pointing hand, hot spot (7, 0)

Usage: make_images.py OUTPUT_DIR
"""
import os
import struct
import sys

# The standard 16-colour palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_RED, GREY, DARK_GREY, RED, WHITE = 0, 1, 7, 8, 9, 15

# ---------------------------------------------------------------- LED digits
GLYPH_W, GLYPH_H = 13, 23
STRIP_W = 10 * GLYPH_W + 1  # the last column stays black


def rows(spans):
    """[(y, x0, x1)] -> set of (x, y) for horizontal runs."""
    return {(x, y) for y, x0, x1 in spans for x in range(x0, x1 + 1)}


def cols(spans):
    """[(x, y0, y1)] -> set of (x, y) for vertical runs."""
    return {(x, y) for x, y0, y1 in spans for y in range(y0, y1 + 1)}


# Each segment: its pixels, and the parity of x + y that is dotted when unlit.
SEGMENTS = {
    "top": (rows([(1, 2, 10), (2, 3, 9), (3, 4, 8)]), 0),
    "upper_left": (cols([(1, 2, 10), (2, 3, 9), (3, 4, 8)]), 1),
    "upper_right": (cols([(11, 2, 10), (10, 3, 9), (9, 4, 8)]), 1),
    "middle": (rows([(10, 3, 9), (11, 2, 10), (12, 3, 9)]), 0),
    "lower_left": (cols([(1, 12, 20), (2, 13, 19), (3, 14, 18)]), 1),
    "lower_right": (cols([(11, 12, 20), (10, 13, 19), (9, 14, 18)]), 1),
    "bottom": (rows([(19, 4, 8), (20, 3, 9), (21, 2, 10)]), 0),
}

LIT = {
    0: {"top", "upper_left", "upper_right", "lower_left", "lower_right", "bottom"},
    1: {"upper_right", "lower_right"},
    2: {"top", "upper_right", "middle", "lower_left", "bottom"},
    3: {"top", "upper_right", "middle", "lower_right", "bottom"},
    4: {"upper_left", "upper_right", "middle", "lower_right"},
    5: {"top", "upper_left", "middle", "lower_right", "bottom"},
    6: {"top", "upper_left", "middle", "lower_left", "lower_right", "bottom"},
    7: {"top", "upper_right", "lower_right"},
    8: set(SEGMENTS),
    9: {"top", "upper_left", "upper_right", "middle", "lower_right", "bottom"},
}


def digit_strip():
    pixels = [[BLACK] * STRIP_W for _ in range(GLYPH_H)]
    for digit, lit in LIT.items():
        for name, (cells, dotted_parity) in SEGMENTS.items():
            for x, y in cells:
                if name in lit:
                    colour = RED
                elif (x + y) % 2 == dotted_parity:
                    colour = DARK_RED
                else:
                    colour = BLACK
                pixels[y][GLYPH_W * digit + x] = colour
    return pixels


def packed_4bpp(pixels):
    """Bottom-up rows of 4-bit indices, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for i in range(0, len(row), 2):
            hi = row[i]
            lo = row[i + 1] if i + 1 < len(row) else 0
            line.append(hi << 4 | lo)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def packed_1bpp(bits):
    out = bytearray()
    for row in reversed(bits):
        line = bytearray()
        for i in range(0, len(row), 8):
            byte = 0
            for b in row[i:i + 8]:
                byte = byte << 1 | b
            byte <<= 8 - len(row[i:i + 8])
            line.append(byte)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def palette_bytes(colours):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def info_header(width, height, bpp, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size,
                       0, 0, colours, 0)


def bmp_file(pixels):
    width, height = len(pixels[0]), len(pixels)
    bits = packed_4bpp(pixels)
    header = info_header(width, height, 4, len(bits), 16) + palette_bytes(PALETTE)
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + header + bits


# ---------------------------------------------------------------- icon
def raised_button(size, edge):
    """Face grey; light on the left and top, dark on the right and bottom,
    `edge` pixels wide, with the corners split as the game's bevels split them."""
    last = size - 1
    pixels = [[GREY] * size for _ in range(size)]
    for i in range(edge):
        for y in range(i, last - i + 1):
            pixels[y][i] = WHITE           # left column, both corners
        for x in range(i, last - i):
            pixels[i][x] = WHITE           # top row but its rightmost pixel
        for y in range(i, last - i + 1):
            pixels[y][last - i] = DARK_GREY  # right column, both corners
        for x in range(i + 1, last - i + 1):
            pixels[last - i][x] = DARK_GREY  # bottom row but its leftmost pixel
    return pixels


def icon_image(pixels):
    size = len(pixels)
    xor = packed_4bpp(pixels)
    mask = packed_1bpp([[0] * size for _ in range(size)])  # fully opaque
    header = info_header(size, size * 2, 4, len(xor) + len(mask), 16)
    return header + palette_bytes(PALETTE) + xor + mask


def ico_file(images, kind=1, hotspots=None):
    """images: [(width, height, colour_count, data)]"""
    out = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for i, (w, h, colours, data) in enumerate(images):
        if hotspots:
            field1, field2 = hotspots[i]
        else:
            field1, field2 = 1, 4
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, field1, field2,
                           len(data), offset + len(body))
        body += data
    return out + body


# ---------------------------------------------------------------- cursor
# '#' black outline, 'o' white, anything else transparent. The fingertip is
# the top pixel at (7, 0), the hot spot.
HAND = [
    "       #",
    "      #o#",
    "      #o#",
    "      #o#",
    "      #o#",
    "      #o###",
    "      #o#o####",
    "      #o#o#o#o#",
    "   ## #o#o#o#o#",
    "   #o##ooooooo#",
    "   #oo#ooooooo#",
    "    #o#ooooooo#",
    "    #ooooooooo#",
    "     #oooooooo#",
    "     #ooooooo#",
    "      #oooooo#",
    "      #oooooo#",
    "      ########",
]


def cursor_image():
    size = 32
    xor = [[0] * size for _ in range(size)]
    andm = [[1] * size for _ in range(size)]
    for y, line in enumerate(HAND):
        for x, ch in enumerate(line):
            if ch == "#":
                andm[y][x], xor[y][x] = 0, 0
            elif ch == "o":
                andm[y][x], xor[y][x] = 0, 1
    bits = packed_1bpp(xor) + packed_1bpp(andm)
    header = info_header(size, size * 2, 1, len(bits), 2)
    return header + palette_bytes([(0, 0, 0), (255, 255, 255)]) + bits


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    files = {
        "digits.bmp": bmp_file(digit_strip()),
        "tessaly.ico": ico_file([(16, 16, 16, icon_image(raised_button(16, 1))),
                                 (32, 32, 16, icon_image(raised_button(32, 2)))]),
        "link.cur": ico_file([(32, 32, 2, cursor_image())], kind=2, hotspots=[(7, 0)]),
    }
    for name, data in files.items():
        path = os.path.join(out_dir, name)
        # Rewrite only on change, so the resources are not rebuilt needlessly.
        if not os.path.exists(path) or open(path, "rb").read() != data:
            with open(path, "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
