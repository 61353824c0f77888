#!/usr/bin/env python3
"""A settings file asking for always-on-top and sizes out of range: the
window starts on top with the sizes clamped, and start-up writes the clamped
values back."""
from game import CELL_KEY, GRID_KEY, SECTION, TOPMOST_KEY, check, run


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


run(test)
