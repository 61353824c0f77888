#!/usr/bin/env bash
# Installs what is missing, builds the Windows tree and prints how long whole
# repaints of the board control take under Wine, one line per board size.
# Not a test: nothing passes or fails on the figures.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh"
. "$root/tools/build.sh"
tessaly_build win32
exe=$build/win32/tests/wine/board_repaint_bench.exe

. "$root/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
# A private display, so that nothing else draws while the clock runs.
tessaly_start_xvfb
wineserver -k >/dev/null 2>&1 || true
tessaly_prepare_prefix
# A server left from preparing the prefix would refuse -p: let it end first.
wineserver -w
wineserver -p
# Start Wine's background processes now, away from the benchmark's output.
wine wineboot >/dev/null 2>&1 || true
wine "$exe"
