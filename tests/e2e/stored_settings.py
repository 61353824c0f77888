#!/usr/bin/env python3
"""A settings file asking for always-on-top and sizes out of range: the
window starts on top with the sizes clamped, and start-up writes the clamped
values back. A settings file that is a link stays one: saves go to its file."""
import os

from game import CELL_KEY, GRID_KEY, SECTION, TOPMOST_KEY, check, run

VIEW_SIZE_24 = "40022"


def test(game):
    game.write_settings(1, '"1, 3"', "300, 2")
    game.start()
    g = game.geometry()
    check(g["topmost"] == 1, "not on top")
    bl, bt, br, bb = g["board"]
    # 2 x 3 cells of 256 x 5 pixels, plus the 3-pixel frame on each side.
    check((br - bl, bb - bt) == (2 * 256 + 6, 3 * 5 + 6), f"board {br - bl} x {bb - bt}")
    want = [SECTION, f"{TOPMOST_KEY}=1", f'{GRID_KEY}="2, 3"', f'{CELL_KEY}="256, 5"']
    check(game.settings_lines() == want, f"settings file {game.settings_lines()}")
    game.focus()
    game.key("alt+F4")
    code = game.wait_exit()
    check(code == 0, f"exit code {code}")

    os.replace(game.ini, os.path.join(game.work, "real.ini"))
    os.symlink("real.ini", game.ini)
    game.start()
    code, _ = game.probe("command", VIEW_SIZE_24)
    check(code == 0, "the view change did not return")
    check(os.path.islink(game.ini), "the link became a file of its own")
    want[3] = f'{CELL_KEY}="24, 24"'
    check(game.settings_lines() == want, f"linked settings file {game.settings_lines()}")


run(test)
