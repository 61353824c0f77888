#!/usr/bin/env bash
# Prints how the game feels on its largest board (128 x 128 cells of 5 px):
# F5 until the deal is drawn, the winning click until the win box, and where
# clicks land while the game is busy. Not a test: nothing passes or fails.
#   tools/play_timing.sh [release|debug]
# release (the default): the build tools/run.sh starts and the zip ships;
# debug: the tests' build.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh"
. "$root/tools/build.sh"
case ${1:-release} in
release) tessaly_build_release play_timing; exe=$build/release/tools/play_timing.exe ;;
debug) tessaly_build win32; exe=$build/win32/tools/play_timing.exe ;;
*) echo "usage: $0 [release|debug]" >&2; exit 2 ;;
esac

. "$root/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
# A private display: the pointer and the focus are the program's own.
tessaly_start_private_session
wine "$exe"
