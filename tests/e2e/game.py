"""Drives the real game for the end-to-end tests: starts knaplet.exe under
Wine in its own folder, types and clicks through X (xdotool), reads the screen
(screenshots) and asks tests/e2e/probe.exe where the windows are."""
import os
import shutil
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import screen  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_RUN = os.path.join(ROOT, "tools", "wine-run.sh")

SECTION = "[Tessaly]"
TOPMOST_KEY = "常に手前に表示"
GRID_KEY = "ボタンの数"
CELL_KEY = "ボタンの大きさ"
RED = (255, 0, 0)

# One pixel inside each LED segment, relative to a glyph's top-left corner.
SEGMENT_PROBES = {
    "top": (6, 2), "upper_left": (2, 6), "upper_right": (10, 6), "middle": (6, 11),
    "lower_left": (2, 16), "lower_right": (10, 16), "bottom": (6, 20),
}
DIGIT_SEGMENTS = {
    0: {"top", "upper_left", "upper_right", "lower_left", "lower_right", "bottom"},
    1: {"upper_right", "lower_right"},
    2: {"top", "upper_right", "middle", "lower_left", "bottom"},
    3: {"top", "upper_right", "middle", "lower_right", "bottom"},
    4: {"upper_left", "upper_right", "middle", "lower_right"},
    5: {"top", "upper_left", "middle", "lower_right", "bottom"},
    6: {"top", "upper_left", "middle", "lower_left", "lower_right", "bottom"},
    7: {"top", "upper_right", "lower_right"},
    8: set(SEGMENT_PROBES),
    9: {"top", "upper_left", "upper_right", "middle", "lower_right", "bottom"},
}


# Longer than any test takes, well short of ctest's timeout: a test that hangs
# fails on its own and still ends the games it started.
TEST_TIMEOUT = 150


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(test):
    """Runs test(game) with a Game built from the command line; exit 1 on failure."""
    exe, probe, work = sys.argv[1:4]
    game = Game(exe, probe, work)

    def give_up(signum, _frame):
        raise Failure(f"signal {signum}: the test took too long or was stopped")

    for signum in (signal.SIGALRM, signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signum, give_up)
    signal.alarm(TEST_TIMEOUT)
    try:
        test(game)
    except Failure as failure:
        print("FAIL:", failure)
        try:
            game.shot(os.path.join(work, "failure.png"))
            print("screenshot:", os.path.join(work, "failure.png"))
        except (Failure, OSError, subprocess.SubprocessError):
            pass
        sys.exit(1)
    finally:
        signal.alarm(0)
        Game.kill_all()
    print("passed")


def call(args, timeout=20):
    """Runs a helper program and returns (exit code, output); a helper that
    hangs is a failure of the test, never a hang of it."""
    try:
        result = subprocess.run(args, check=False, stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"{os.path.basename(str(args[0]))} {args[1]} did not finish in {timeout} s")
    return result.returncode, result.stdout


def xdotool(*args):
    return call(["xdotool", *map(str, args)], timeout=10)[1]


def solve(sunk, columns, rows):
    """The presses that raise every cell, by elimination over GF(2)."""
    n = columns * rows
    matrix = []
    for cell in range(n):
        cx, cy = cell % columns, cell // columns
        row = 0
        for press in range(n):
            px, py = press % columns, press // columns
            if abs(px - cx) + abs(py - cy) <= 1:
                row |= 1 << press
        matrix.append([row, sunk[cell]])
    pivots = {}
    r = 0
    for col in range(n):
        pivot = next((i for i in range(r, n) if matrix[i][0] >> col & 1), None)
        if pivot is None:
            continue
        matrix[r], matrix[pivot] = matrix[pivot], matrix[r]
        for i in range(n):
            if i != r and matrix[i][0] >> col & 1:
                matrix[i] = [matrix[i][0] ^ matrix[r][0], matrix[i][1] ^ matrix[r][1]]
        pivots[col] = r
        r += 1
    return [matrix[pivots[c]][1] if c in pivots else 0 for c in range(n)]


class Game:
    # Every game process started, so that the end of the test ends them all.
    started = []

    def __init__(self, exe, probe, work):
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        self.work = work
        self.exe = os.path.join(work, "knaplet.exe")
        shutil.copy(exe, self.exe)
        self.probe_exe = probe
        self.ini = os.path.join(work, "knaplet.ini")
        self.process = None

    # ---- the settings file
    def write_settings(self, topmost, grid, cell):
        lines = [SECTION, f"{TOPMOST_KEY}={topmost}", f"{GRID_KEY}={grid}", f"{CELL_KEY}={cell}"]
        with open(self.ini, "wb") as f:
            f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))

    def settings_lines(self):
        if not os.path.exists(self.ini):
            return None
        with open(self.ini, "rb") as f:
            text = f.read().decode("cp932")
        return [line for line in text.replace("\r", "").split("\n") if line]

    # ---- the process
    def spawn(self):
        """Starts one more instance of the game in the work folder."""
        log = open(os.path.join(self.work, f"game{len(Game.started)}.log"), "wb")
        # A session of its own: the game runs in a child of wine-run.sh, and
        # killing the group ends both.
        process = subprocess.Popen([WINE_RUN, self.exe], stdout=log, stderr=log,
                                   start_new_session=True)
        Game.started.append(process)
        return process

    def start(self):
        self.process = self.spawn()
        deadline = time.time() + 30
        while time.time() < deadline:
            check(self.process.poll() is None, "the game exited during start-up")
            if self.geometry(quiet=True):
                break
            time.sleep(0.2)
        else:
            raise Failure("the game's window did not appear")
        self.xwindow = self.wait_xwindow("^Tessaly$")
        time.sleep(0.5)
        self.focus()

    def wait_xwindow(self, name, timeout=10):
        """The X window of a visible window of the game, once it is mapped."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = xdotool("search", "--onlyvisible", "--name", name).split()
            if found:
                return found[0]
            time.sleep(0.1)
        raise Failure(f"no X window named {name}")

    def wait_exit(self, timeout=15):
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the game did not exit")

    @staticmethod
    def kill_all():
        for process in Game.started:
            # The group outlives its leader when only wine-run.sh has ended.
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                pass
        Game.started.clear()

    # ---- what the game shows
    def probe(self, *args):
        return call([WINE_RUN, self.probe_exe, *args])

    def geometry(self, quiet=False):
        code, out = self.probe("geometry")
        if code != 0:
            check(quiet, "probe found no game window")
            return None
        rects = {}
        for line in out.splitlines():
            name, *values = line.split()
            rects[name] = tuple(int(v) for v in values) if len(values) == 4 else int(values[0])
        return rects

    def dialog(self):
        """(caption, {id: (class, text)}) of the game's open dialog, or None."""
        code, out = self.probe("dialog")
        if code != 0:
            return None
        caption, controls = "", {}
        for line in out.splitlines():
            parts = line.split()
            decode = (lambda h: "" if h == "-" else bytes.fromhex(h).decode("cp932"))
            if parts[0] == "caption":
                caption = decode(parts[1])
            else:
                controls[int(parts[1])] = (parts[2], decode(parts[3]))
        return caption, controls

    def wait_dialog(self, timeout=10):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.dialog()
            if found:
                return found
            time.sleep(0.2)
        raise Failure("no dialog appeared")

    def shot(self, path=None):
        path = path or os.path.join(self.work, "shot.png")
        code, _ = call(["/usr/bin/import", "-window", "root", path])
        check(code == 0, "no screenshot")
        return screen.load(path)

    def board_cells(self, columns, rows, img=None):
        """Sunk (1) or raised (0) for every cell, row by row, from the screen:
        a sunk cell is dark at its top-left corner and light at its
        bottom-right one, a raised cell the other way round."""
        img = img or self.shot()
        left, top, right, bottom = self.geometry()["board"]
        width, height = right - left, bottom - top
        cw, ch = (width - 6) // columns, (height - 6) // rows
        bl = left + width // 2 - columns * cw // 2
        bt = top + height // 2 - rows * ch // 2
        cells = []
        for y in range(rows):
            for x in range(columns):
                top_left = sum(img.at(bl + x * cw, bt + y * ch))
                bottom_right = sum(img.at(bl + (x + 1) * cw - 1, bt + (y + 1) * ch - 1))
                cells.append(1 if top_left < bottom_right else 0)
        return cells

    def cell_centre(self, x, y, columns, rows):
        left, top, right, bottom = self.geometry()["board"]
        width, height = right - left, bottom - top
        cw, ch = (width - 6) // columns, (height - 6) // rows
        bl = left + width // 2 - columns * cw // 2
        bt = top + height // 2 - rows * ch // 2
        return bl + x * cw + cw // 2, bt + y * ch + ch // 2

    def led(self, name, img=None):
        """The number an LED display shows, read segment by segment."""
        img = img or self.shot()
        left, top, _, _ = self.geometry()[name]
        value = 0
        for i in range(4):
            gx, gy = left + 1 + 13 * i, top + 1
            lit = {s for s, (x, y) in SEGMENT_PROBES.items() if img.at(gx + x, gy + y) == RED}
            digits = [d for d, segs in DIGIT_SEGMENTS.items() if segs == lit]
            check(len(digits) == 1, f"{name} digit {i} unreadable: lit {sorted(lit)}")
            value = value * 10 + digits[0]
        return value

    # ---- input
    def focus(self, xwindow=None):
        """Makes the game (or one of its dialogs) the window that keys go to.
        There is no window manager: the X focus is set by hand, and a click on
        the score panel, which does nothing else, activates the game itself."""
        # No --sync: when the window has the focus already, xdotool would
        # wait for a focus change that never comes.
        xdotool("windowfocus", xwindow or self.xwindow)
        if xwindow is None:
            left, top, right, bottom = self.geometry()["score"]
            self.click_at((left + right) // 2, top + 2)
        time.sleep(0.2)

    def key(self, *keys):
        for k in keys:
            xdotool("key", k)
            time.sleep(0.3)

    def click_at(self, x, y):
        # No --sync: a move to where the pointer already is never completes.
        xdotool("mousemove", x, y)
        time.sleep(0.05)
        xdotool("click", "1")
        time.sleep(0.25)

    def click_cell(self, x, y, columns, rows):
        self.click_at(*self.cell_centre(x, y, columns, rows))
