#!/usr/bin/env python3
"""A first start without a settings file: the default 4 x 4 grid of 32-pixel
cells, not on top, the file written with the defaults; clicks before Start
change nothing; Exit from the Game menu ends the process with code 0."""
from game import CELL_KEY, GRID_KEY, SECTION, TOPMOST_KEY, check, run


def test(game):
    check(game.settings_lines() is None, "a settings file exists before the first start")
    game.start()
    g = game.geometry()
    cl, ct, cr, cb = g["client"]
    check((cr - cl, cb - ct) == (150, 195), f"client area {cr - cl} x {cb - ct}")
    bl, bt, br, bb = g["board"]
    check((bl - cl, bt - ct, br - bl, bb - bt) == (8, 53, 134, 134), f"board at {g['board']}")
    check(g["topmost"] == 0, "on top without being asked")
    want = [SECTION, f"{TOPMOST_KEY}=0", f'{GRID_KEY}="4, 4"', f'{CELL_KEY}="32, 32"']
    check(game.settings_lines() == want, f"settings file {game.settings_lines()}")

    check(game.board_cells(4, 4) == [0] * 16, "the board does not start all raised")
    game.click_cell(1, 1, 4, 4)
    game.click_cell(3, 0, 4, 4)
    img = game.shot()
    check(game.board_cells(4, 4, img) == [0] * 16, "a click before Start changed the board")
    check(game.led("counter", img) == 0, "a click before Start was counted")
    check(game.led("timer", img) == 0, "the timer runs before Start")

    game.focus()
    game.key("alt+g", "q")
    code = game.wait_exit()
    check(code == 0, f"exit code {code}")


run(test)
