#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. With a display it
# starts the Release build, the one the zip ships (build/release). Without a
# display it plays a few seconds in Xvfb with the Debug build the tests use
# (F5, a few presses, the timer at 2) and saves a picture of the game's window
# to build/screenshot.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh"
. "$root/tools/build.sh"

. "$root/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
if [ -n "${DISPLAY:-}" ]; then
    tessaly_build_release
    tessaly_prepare_prefix
    wine "$build/release/app/knaplet.exe"
else
    # The showcase drives the game with the end-to-end tests' probe, which
    # only the Debug tree builds.
    tessaly_build win32
    tessaly_start_xvfb
    tessaly_prepare_prefix
    echo "No display: playing a game in Xvfb for a few seconds..."
    python3 "$root/tools/showcase.py" "$build/win32/app/knaplet.exe" \
        "$build/win32/tests/e2e/probe.exe" "$build/showcase" "$build/screenshot.png"
fi
