#!/usr/bin/env python3
"""Reads screenshots for the end-to-end tests.

  screen.py pixel FILE X Y          prints "R G B"
  screen.py grey-box FILE           prints "LEFT TOP RIGHT BOTTOM" of the largest
                                    block of face-grey (192,192,192) rows and columns
Used as a module, load(FILE) returns an Image with .width, .height and .at(x, y).
"""
import subprocess
import sys

FACE = (192, 192, 192)


class Image:
    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def at(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])


def load(path):
    ppm = subprocess.run(["/usr/bin/convert", path, "-depth", "8", "ppm:-"],
                         check=True, stdout=subprocess.PIPE).stdout
    # P6 header: magic, width, height, maxval, each separated by white space.
    fields, pos = [], 0
    while len(fields) < 4:
        while ppm[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not ppm[pos:pos + 1].isspace():
            pos += 1
        fields.append(ppm[start:pos])
    pos += 1
    width, height = int(fields[1]), int(fields[2])
    return Image(width, height, ppm[pos:pos + width * height * 3])


def grey_box(img):
    """Bounding box of the face-grey pixels."""
    xs, ys = [], []
    for y in range(img.height):
        row = img.data[y * img.width * 3:(y + 1) * img.width * 3]
        for x in range(img.width):
            if tuple(row[x * 3:x * 3 + 3]) == FACE:
                xs.append(x)
                ys.append(y)
    if not xs:
        return None
    return min(xs), min(ys), max(xs) + 1, max(ys) + 1


def main(argv):
    cmd = argv[1]
    img = load(argv[2])
    if cmd == "pixel":
        print(*img.at(int(argv[3]), int(argv[4])))
    elif cmd == "grey-box":
        box = grey_box(img)
        print(*(box or ("none",)))
    else:
        sys.exit("unknown command " + cmd)


if __name__ == "__main__":
    main(sys.argv)
