#!/usr/bin/env python3
"""The About item of the Game menu opens the About box over the running game,
with the texts of the game's version resource and its link; OK closes it, and
it opens again afterwards (Escape closes that one); the game then ends with 0."""
import os
import re
import time

from game import ROOT, Failure, check, run

CAPTION = "Tessaly について"
OK, URL, VERSION, SYSRES, ICON = 1, 1008, 1009, 1007, 1006
with open(os.path.join(ROOT, "resources", "resource_ids.h")) as header:
    SUPPORT_URL = re.search(r'#define TESSALY_SUPPORT_URL "([^"]*)"', header.read()).group(1)


def control_rects(game):
    """{id: (left, top, right, bottom)} of the open dialog's controls."""
    code, out = game.probe("dialog")
    check(code == 0, "no dialog to measure")
    rects = {}
    for line in out.splitlines():
        parts = line.split()
        if parts[0] == "control" and len(parts) >= 8:
            rects[int(parts[1])] = tuple(int(v) for v in parts[4:8])
    return rects


def wait_closed(game, timeout=10):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if game.dialog() is None:
            return
        time.sleep(0.2)
    raise Failure("the About box did not close")


def open_about(game, focus=True):
    # Right after start-up the game has the focus already (and xdotool's wait
    # for a focus change that does not come would take its full time-out).
    if focus:
        game.focus()
    game.key("alt+g", "a")
    caption, controls = game.wait_dialog()
    check(caption == CAPTION, f"caption {caption!r}")
    check(controls.get(VERSION, ("", ""))[1] == "Tessaly ver. 0.00", f"version line {controls.get(VERSION)}")
    check(controls.get(URL, ("", ""))[1] == SUPPORT_URL, f"link text {controls.get(URL)}")
    check(controls.get(SYSRES, ("", "x"))[1] == "", f"free resources line {controls.get(SYSRES)}")
    check(controls.get(OK, ("", ""))[1] == "OK", f"OK button {controls.get(OK)}")
    check(ICON in controls, "no icon control")
    return game.wait_xwindow("^" + CAPTION + "$")


def test(game):
    game.start()
    open_about(game, focus=False)
    left, top, right, bottom = control_rects(game)[OK]
    game.click_at((left + right) // 2, (top + bottom) // 2)
    wait_closed(game)

    # The box is not left marked as open: the item opens it again.
    dialog = open_about(game)
    game.focus(dialog)
    game.key("Escape")
    wait_closed(game)

    # Closing the box hands the focus back to the game by itself.
    game.key("alt+g", "q")
    code = game.wait_exit()
    check(code == 0, f"exit code {code}")


run(test)
