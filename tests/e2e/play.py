#!/usr/bin/env python3
"""A game as a player plays it: F5 deals, the puzzle read off the screen is
solved by clicking, the win box reports the clicks, F2 deals the same puzzle
again, a view size keeps the game, a level ends it and resizes the window
around its top-left corner."""
import time

from game import GRID_KEY, check, run, solve


def deal(game):
    game.key("F5")
    cells = game.board_cells(4, 4)
    for _ in range(4):  # a deal can come out solved; the next second deals anew
        if any(cells):
            break
        time.sleep(1.1)
        game.key("F5")
        cells = game.board_cells(4, 4)
    check(any(cells), "F5 dealt nothing")
    return cells


def fewest(sunk, columns, rows):
    """The fewest presses that raise every cell, trying every press set in
    Gray-code order (one press more or less a step)."""
    n = columns * rows
    effect = []
    for i in range(n):
        x, y = i % columns, i // columns
        effect.append(sum(1 << j for j in range(n)
                          if abs(j % columns - x) + abs(j // columns - y) <= 1))
    target = sum(1 << i for i, cell in enumerate(sunk) if cell)
    best, flipped = (0 if target == 0 else None), 0
    for step in range(1, 1 << n):
        i = (step & -step).bit_length() - 1
        flipped ^= effect[i]
        if flipped == target:
            count = bin(step ^ (step >> 1)).count("1")
            best = count if best is None else min(best, count)
    return best


def test(game):
    game.start()
    dealt = deal(game)
    presses = solve(dealt, 4, 4)
    for i, press in enumerate(presses):
        if press:
            game.click_cell(i % 4, i // 4, 4, 4)

    caption, controls = game.wait_dialog()
    check(caption == "Congratulations!", f"win box caption {caption!r}")
    texts = [text for cls, text in controls.values() if cls.lower() == "static" and text]
    clicks = sum(presses)
    seconds = game.led("timer")
    want = (f"\u3000時間 : {seconds}\n\u3000手数 : {clicks}"
            f"\n\u3000最少手数 : {fewest(dealt, 4, 4)}")
    check(want in texts, f"win box says {texts!r}, expected {want!r}")

    game.focus(game.wait_xwindow("^Congratulations!$"))
    game.key("Return")
    deadline = time.time() + 5
    while game.dialog() and time.time() < deadline:
        time.sleep(0.2)
    check(game.dialog() is None, "the win box did not close")

    # Solved: the board stays locked.
    game.focus()
    game.click_cell(0, 0, 4, 4)
    check(game.board_cells(4, 4) == [0] * 16, "a click after the win changed the board")
    check(game.led("counter") == clicks, "a click after the win was counted")

    game.key("F2")
    img = game.shot()
    check(game.board_cells(4, 4, img) == dealt, "F2 did not deal the same puzzle")
    check(game.led("counter", img) == 0, "F2 did not reset the counter")
    game.click_cell(1, 2, 4, 4)
    played = game.board_cells(4, 4)
    time.sleep(1.3)
    before = game.led("timer")
    check(before >= 1, "the timer does not run after F2")

    # View size Medium (24 pixels) during the game keeps it going.
    game.focus()
    game.key("alt+v", "n")
    g = game.geometry()
    bl, bt, br, bb = g["board"]
    check(bb - bt == 4 * 24 + 6, f"board height {bb - bt} after the view size")
    img = game.shot()
    check(game.board_cells(4, 4, img) == played, "the view size changed the puzzle")
    check(game.led("counter", img) == 1, "the view size changed the counter")
    time.sleep(1.2)
    check(game.led("timer") > before, "the timer stopped at the view size")

    # Level Advanced (6 x 6) ends the game; the window keeps its top-left corner.
    left, top = g["window"][:2]
    game.key("alt+g", "h")
    g = game.geometry()
    check(g["window"][:2] == (left, top), f"window moved from {(left, top)} to {g['window'][:2]}")
    bl, bt, br, bb = g["board"]
    check((br - bl, bb - bt) == (6 * 24 + 6, 6 * 24 + 6), f"board {br - bl} x {bb - bt}")
    img = game.shot()
    check(game.board_cells(6, 6, img) == [0] * 36, "the level left a puzzle")
    check(game.led("counter", img) == 0, "the level kept the counter")
    check(f'{GRID_KEY}="6, 6"' in game.settings_lines(), "the level was not saved")
    game.click_cell(2, 2, 6, 6)
    check(game.board_cells(6, 6) == [0] * 36, "the board took a click after the level")

    game.focus()
    game.key("alt+F4")
    code = game.wait_exit()
    check(code == 0, f"exit code {code}")


run(test)
