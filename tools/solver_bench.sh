#!/usr/bin/env bash
# Builds the solver benchmark optimised (-O2) and prints how long the
# fewest-presses solver takes per level and on 128 x 128 grids: natively, and
# as the 32-bit Windows program the game is, under Wine.
# Not a test: nothing passes or fails on the figures. Run it a few times on a
# loaded machine and keep the best.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh"
build=${TESSALY_BUILD_DIR:-$root/build}
mkdir -p "$build/bench"
sources=("$root/tools/solver_bench.cpp" "$root"/engine/{solver,board,random,grid_point}.cpp)

g++ -std=c++17 -O2 -I"$root" "${sources[@]}" -o "$build/bench/solver_bench"
echo "native (g++ -O2):"
"$build/bench/solver_bench"

i686-w64-mingw32-g++-posix -std=c++17 -O2 -static -I"$root" "${sources[@]}" \
    -o "$build/bench/solver_bench.exe"
echo "Windows 32-bit (MinGW -O2) under Wine:"
bash "$root/tools/wine-run.sh" "$build/bench/solver_bench.exe"
