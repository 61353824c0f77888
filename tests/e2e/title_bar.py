#!/usr/bin/env python3
"""The title bar as a player sees it under the project's Wine set-up: the
game's own icon (a raised grey button) at its left, and a close box that shows
a cross, not a letter of a stand-in font."""
from game import check, run

FACE, WHITE, SHADOW, BLACK = (192, 192, 192), (255, 255, 255), (128, 128, 128), (0, 0, 0)


def caption_pixels(img, left, right, top, bottom, colour):
    return {(x, y) for y in range(top, bottom) for x in range(left, right)
            if img.at(x, y) == colour}


def check_icon(img, left, right, top, bottom):
    """A solid square of face grey, white above and to its left, dark grey
    below and to its right: the small image of the game's icon."""
    face = caption_pixels(img, left, right, top, bottom, FACE)
    check(face, "no face-grey pixels where the caption's icon is")
    x0, y0 = min(x for x, _ in face), min(y for _, y in face)
    x1, y1 = max(x for x, _ in face), max(y for _, y in face)
    check((x1 - x0 + 1, y1 - y0 + 1) == (14, 14) and len(face) == 14 * 14,
          f"the caption's icon has a face of {x1 - x0 + 1} x {y1 - y0 + 1} ({len(face)} pixels)")
    for i in range(x0 - 1, x1 + 1):
        check(img.at(i, y0 - 1) == WHITE and img.at(x0 - 1, y0 + i - x0) == WHITE,
              "the caption's icon has no white top and left edges")
    for i in range(x0, x1 + 2):
        check(img.at(i, y1 + 1) == SHADOW and img.at(x1 + 1, y0 - 1 + i - x0) == SHADOW,
              "the caption's icon has no dark bottom and right edges")


def check_cross(img, left, right, top, bottom):
    """The glyph of the close box: black, mirror-symmetric, ink at all four
    corners of its box (a letter r is none of these)."""
    ink = caption_pixels(img, left, right, top, bottom, BLACK)
    check(len(ink) >= 8, f"the close box shows {len(ink)} black pixels")
    x0, y0 = min(x for x, _ in ink), min(y for _, y in ink)
    x1, y1 = max(x for x, _ in ink), max(y for _, y in ink)
    for x, y in ink:
        check((x0 + x1 - x, y) in ink, f"the close box's glyph is not symmetric at {(x, y)}")
    for corner in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
        check(corner in ink, f"the close box's glyph leaves its corner {corner} empty")


def test(game):
    game.start()
    g = game.geometry()
    img = game.shot()
    left, top, right, _ = g["window"]
    # The caption is the upper half of what lies above the client area; the
    # menu bar is the lower half.
    bottom = top + (g["client"][1] - top) // 2
    check_icon(img, left, left + 30, top, bottom)
    check_cross(img, right - 24, right, top, bottom)


run(test)
