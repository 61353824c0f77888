#!/usr/bin/env python3
"""Plays the real game for a picture: starts a fresh copy of knaplet.exe under
Wine (so the default level and view size), deals with F5, presses a few cells
with real X input, waits until the timer shows 2 and saves the game's window
as a PNG. The last line says what the picture shows; the exit code is 1 when
it would not show a game in play.

  showcase.py EXE PROBE WORKDIR [PICTURE]     (PICTURE: WORKDIR/picture.png)

Needs DISPLAY and the prepared Wine prefix (tools/run.sh and tools/picture.sh
set both up). The game is driven with the end-to-end tests' driver."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from game import GRID_KEY, Failure, Game, check, xdotool  # noqa: E402

LEVELS = {(4, 4): 1, (5, 5): 2, (6, 6): 3, (8, 8): 4, (16, 16): 5}
PRESSES = 3
SECONDS = 2
# Cells tried in this order; one that would solve the deal is left out.
CANDIDATES = [(1, 1), (2, 2), (0, 3), (3, 0), (1, 2), (2, 1)]


def grid_size(game):
    for line in game.settings_lines() or []:
        if line.startswith(GRID_KEY + "="):
            columns, rows = line.split("=", 1)[1].strip('"').split(",")
            return int(columns), int(rows)
    raise Failure("the game wrote no grid size")


def press(cells, x, y, columns, rows):
    """The board after a press on (x, y): the cell and its neighbours flip."""
    after = list(cells)
    for dx, dy in ((0, 0), (1, 0), (-1, 0), (0, 1), (0, -1)):
        if 0 <= x + dx < columns and 0 <= y + dy < rows:
            after[(y + dy) * columns + x + dx] ^= 1
    return after


def deal(game, columns, rows):
    game.key("F5")
    cells = game.board_cells(columns, rows)
    for _ in range(3):  # a deal may come out solved; the next second deals anew
        if any(cells):
            break
        time.sleep(1.1)
        game.key("F5")
        cells = game.board_cells(columns, rows)
    check(any(cells), "F5 dealt nothing")
    return cells


def play(game, picture):
    game.start()
    columns, rows = grid_size(game)
    cells = deal(game, columns, rows)
    pressed = 0
    for x, y in CANDIDATES:
        after = press(cells, x, y, columns, rows)
        if pressed == PRESSES or not any(after):
            continue
        game.click_cell(x, y, columns, rows)
        cells, pressed = after, pressed + 1

    # The pointer leaves the window: no pushed cell, no tooltip in the picture.
    left, top, right, bottom = game.geometry()["window"]
    xdotool("mousemove", right + 40, bottom + 40)
    deadline = time.time() + 10
    while game.led("timer") < SECONDS and time.time() < deadline:
        time.sleep(0.2)

    img = game.shot()
    clicks, seconds = game.led("counter", img), game.led("timer", img)
    check(game.board_cells(columns, rows, img) == cells, "the board does not show the presses")
    check(clicks == pressed, f"the counter shows {clicks} after {pressed} presses")
    check(seconds >= SECONDS, f"the timer shows {seconds}")
    subprocess.run(["/usr/bin/convert", game.work + "/shot.png",
                    "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    "-strip", "-define", "png:compression-level=9", "PNG8:" + picture], check=True)
    # The game ends as a player ends it; kill_all below is only for failures.
    game.focus()
    game.key("alt+F4")
    game.wait_exit()
    level = LEVELS.get((columns, rows), "?")
    return f"level {level} ({columns} x {rows}), {clicks} clicks, {seconds} seconds"


def main():
    exe, probe, work = sys.argv[1:4]
    picture = sys.argv[4] if len(sys.argv) > 4 else os.path.join(work, "picture.png")
    game = Game(exe, probe, work)
    try:
        shows = play(game, picture)
    except Failure as failure:
        sys.exit(f"showcase: {failure}")
    finally:
        Game.kill_all()
    print(f"Picture of a game in play saved to {picture}: {shows}")


if __name__ == "__main__":
    main()
