#!/usr/bin/env bash
# Installs what is missing, builds the Windows tree and prints how long whole
# repaints of the board control take under Wine, one line per board size.
# Not a test: nothing passes or fails on the figures.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Every repaint makes several round trips to the Wine server. Between two
# cores each waits for the other core to wake, which on an idle virtual
# machine costs several times the work itself and comes and goes; on one core
# the figures are steady. So the whole run, server included, stays on one.
if [ -z "${TESSALY_BENCH_PINNED:-}" ] && command -v taskset >/dev/null; then
    TESSALY_BENCH_PINNED=1 exec taskset -c 0 bash "${BASH_SOURCE[0]}" "$@"
fi

bash "$root/tools/setup.sh"
. "$root/tools/build.sh"
tessaly_build win32
exe=$build/win32/tests/wine/board_repaint_bench.exe

. "$root/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
# A private display, so that nothing else draws while the clock runs.
tessaly_start_private_session
wine "$exe"
