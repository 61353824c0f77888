#!/usr/bin/env bash
# Makes the README's picture of the game, docs/tessaly.png (or the file given),
# from the real game in a private Xvfb: the same play as tools/run.sh without
# a display.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
picture=$(realpath -m "${1:-$root/docs/tessaly.png}")
bash "$root/tools/setup.sh"
. "$root/tools/build.sh"
tessaly_build win32

. "$root/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
tessaly_start_private_session
mkdir -p "$(dirname "$picture")"
python3 "$root/tools/showcase.py" "$build/win32/app/knaplet.exe" \
    "$build/win32/tests/e2e/probe.exe" "$build/picture" "$picture"
