# Shared by the end-to-end scripts. Usage in a script:
#   . "$(dirname "$0")/lib.sh"; e2e_init "$@"
# Each test gets its own folder with its own copy of the game, so the settings
# file beside the executable starts absent (or as the test writes it).
set -euo pipefail
e2e_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_root=$(cd "$e2e_dir/../.." && pwd)
e2e_game_pid=
: "${DISPLAY:?the end-to-end tests need DISPLAY (tools/test.sh starts Xvfb)}"

e2e_fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Ends the game whatever happened: the whole process group that e2e_start
# made (wine-run.sh and the game under it), not only its leader.
e2e_cleanup() {
    if [ -n "$e2e_game_pid" ]; then
        kill -KILL -- "-$e2e_game_pid" 2>/dev/null || true
        wait "$e2e_game_pid" 2>/dev/null || true
        e2e_game_pid=
    fi
}

# e2e_init EXE WORKDIR: a fresh work folder holding a copy of the game.
e2e_init() {
    e2e_exe_source=$1
    e2e_work=$2
    rm -rf "$e2e_work"
    mkdir -p "$e2e_work"
    cp "$e2e_exe_source" "$e2e_work/knaplet.exe"
    e2e_exe=$e2e_work/knaplet.exe
    e2e_ini=$e2e_work/knaplet.ini
    trap e2e_cleanup EXIT
    trap 'exit 1' INT TERM HUP
}

# Starts the game and waits until its window is visible; sets e2e_window.
e2e_start() {
    # Output to a file: Wine's background processes keep it open (see wine-run.sh).
    # A session of its own, so that e2e_cleanup can end the game with it.
    setsid "$e2e_root/tools/wine-run.sh" "$e2e_exe" >"$e2e_work/game.log" 2>&1 &
    e2e_game_pid=$!
    local i
    for i in $(seq 1 200); do
        e2e_window=$(xdotool search --onlyvisible --name '^Tessaly$' 2>/dev/null | head -n 1 || true)
        [ -n "$e2e_window" ] && break
        kill -0 "$e2e_game_pid" 2>/dev/null || e2e_fail "the game exited during start-up"
        sleep 0.1
    done
    [ -n "$e2e_window" ] || e2e_fail "no window titled Tessaly appeared"
    sleep 0.5  # let the first paint land
}

# Waits up to 15 seconds for the game to end; sets e2e_exit_code.
e2e_wait_exit() {
    local pid=$e2e_game_pid
    # A game that does not end is a failure, never a hang: a watchdog ends it.
    (sleep 15 && kill -KILL -- "-$pid") >/dev/null 2>&1 &
    local watchdog=$!
    e2e_exit_code=0
    wait "$pid" || e2e_exit_code=$?
    kill "$watchdog" 2>/dev/null || true
    wait "$watchdog" 2>/dev/null || true
    # 137 is wine-run.sh killed by the watchdog.
    [ "$e2e_exit_code" != 137 ] || e2e_fail "the game did not exit"
    kill -KILL -- "-$pid" 2>/dev/null || true  # whatever the game left behind
    e2e_game_pid=
}

# Gives the game's window the X input focus, so that keys typed with
# xdotool (through XTEST) reach it; there is no window manager to do it.
# --sync waits for a focus change, which never comes when the window has the
# focus already: a few seconds, then the plain call.
e2e_focus() {
    timeout 5 xdotool windowfocus --sync "$e2e_window" 2>/dev/null ||
        timeout 5 xdotool windowfocus "$e2e_window"
    sleep 0.2
}

# e2e_shot FILE: a screenshot of the whole screen as PNG.
e2e_shot() {
    timeout 20 /usr/bin/import -display "$DISPLAY" -window root "$1"
}

# e2e_screen ARGS: runs tests/e2e/screen.py (pixel queries on screenshots).
e2e_screen() {
    python3 "$e2e_dir/screen.py" "$@"
}
