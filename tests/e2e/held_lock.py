#!/usr/bin/env python3
"""Another process holds the settings file's lock and never lets go (a game
stopped in a debugger): a view change waits for it a moment, but returns
within 0.3 s and is saved."""
import subprocess

from game import CELL_KEY, GRID_KEY, SECTION, TOPMOST_KEY, WINE_RUN, Failure, check, run

VIEW_SIZE_24 = "40022"


def test(game):
    game.write_settings(0, '"5, 5"', '"16, 16"')
    game.start()
    path = subprocess.run([WINE_RUN, "winepath", "-w", game.ini], check=True,
                          stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True).stdout.strip().lower()
    # Straight under Wine, its output as it comes; the session's Wine processes
    # already run and keep no pipe.
    holder = subprocess.Popen([WINE_RUN, "--direct", game.probe_exe, "hold", path],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                              start_new_session=True)
    try:
        check(holder.stdout.readline().strip() == "held", "probe could not take the lock")
        code, out = game.probe("command", VIEW_SIZE_24)
        check(code == 0, "the view change did not return")
        ms = int(out.split()[1])
        print(f"a view change with the lock held took {ms} ms")
        check(ms <= 300, f"the view change took {ms} ms")
        # It did wait for the lock, as for another game's save.
        check(ms >= 150, f"the view change took {ms} ms: it did not wait for the lock")
        want = [SECTION, f"{TOPMOST_KEY}=0", f'{GRID_KEY}="5, 5"', f'{CELL_KEY}="24, 24"']
        check(game.settings_lines() == want, f"settings file {game.settings_lines()}")
    finally:
        holder.stdin.close()
        try:
            holder.wait(10)
        except subprocess.TimeoutExpired:
            raise Failure("probe hold did not end")


run(test)
