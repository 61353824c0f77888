#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. Without a display it
# plays a few seconds in Xvfb (F5, a few presses, the timer at 2) and saves a
# picture of the game's window to build/screenshot.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh"
. "$root/tools/build.sh"
tessaly_build win32
exe=$build/win32/app/knaplet.exe

. "$root/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
if [ -n "${DISPLAY:-}" ]; then
    tessaly_prepare_prefix
    wine "$exe"
else
    tessaly_start_xvfb
    tessaly_prepare_prefix
    echo "No display: playing a game in Xvfb for a few seconds..."
    python3 "$root/tools/showcase.py" "$exe" "$build/win32/tests/e2e/probe.exe" \
        "$build/showcase" "$build/screenshot.png"
fi
