#!/usr/bin/env python3
"""Two games on one settings file change the view size three hundred times each at
once while a third starts: every load and save of one waits for the other's,
so the file keeps its other sections and each key once, and the third game
loads the stored grid, not half a file or the defaults."""
import os
import subprocess
import time

from game import CELL_KEY, GRID_KEY, TOPMOST_KEY, WINE_RUN, Failure, check, run

SIZES = (8, 16, 24, 32, 40)


def stored(cell):
    lines = ["[Before]", "a=1", "[Tessaly]", f"{TOPMOST_KEY}=0", f'{GRID_KEY}="5, 7"',
             f'{CELL_KEY}="{cell}"', "[After]", "b=2"]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def games(game):
    code, out = game.probe("games")
    check(code == 0, "probe games failed")
    return int(out.split()[1])


def spawn_and_wait(game, count):
    process = game.spawn()
    deadline = time.time() + 30
    while games(game) < count:
        check(process.poll() is None, "a game exited during start-up")
        check(time.time() < deadline, f"game {count} did not open its window")
        time.sleep(0.2)


def board_heights(game):
    """The board control's height in every open game, read by probe."""
    code, out = game.probe("boards")
    check(code == 0, "probe boards failed")
    return [int(line.split()[1]) for line in out.splitlines()]


def test(game):
    with open(game.ini, "wb") as f:
        f.write(stored("16, 16"))
    spawn_and_wait(game, 1)
    spawn_and_wait(game, 2)

    # Wine's ReplaceFile moves the old file away before it renames the new
    # one in: for a moment there is none (the games' own loads wait for the
    # lock around it). That moment counts as a save begun.
    def stamp():
        try:
            return os.stat(game.ini).st_mtime_ns
        except FileNotFoundError:
            return 0

    before = stamp()
    hammer = subprocess.Popen([WINE_RUN, game.probe_exe, "sizes", "300"], stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True, start_new_session=True)
    try:
        # The third game starts once the saves have begun.
        while stamp() == before:
            check(hammer.poll() is None, "probe sizes ended before any save")
            time.sleep(0.02)
        spawn_and_wait(game, 3)
        out, _ = hammer.communicate(timeout=90)
    except subprocess.TimeoutExpired:
        hammer.kill()
        raise Failure("the view-size commands did not finish")
    check(out.split() == ["games", "2"], f"probe sizes: {out!r}")

    # The third game loaded 7 rows of one of the view sizes: its board is 7
    # cells and the 3-pixel frame high.
    for height in board_heights(game):
        check((height - 6) % 7 == 0 and (height - 6) // 7 in SIZES, f"a board {height} pixels high")
    # Settle all three on one size, then the file is known to the byte.
    code, out = game.probe("sizes", "1")
    check(out.split() == ["games", "3"], f"probe sizes: {out!r}")
    with open(game.ini, "rb") as f:
        now = f.read()
    check(now == stored("24, 24"), f"settings file {now.decode('cp932', 'replace').splitlines()}")


run(test)
