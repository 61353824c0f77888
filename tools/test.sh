#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test: the host
# tests (sanitizers), the Wine tests and the end-to-end tests, in one ctest run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh"
. "$root/tools/build.sh"
tessaly_build host win32

# One ctest run over both build trees, so there is one summary line.
cat >"$build/CTestTestfile.cmake" <<CTEST
subdirs("host" "win32")
CTEST

. "$root/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
# The tests own the pointer and the focus: always a private display.
tessaly_start_private_session
cd "$build"
ctest --output-on-failure -j "$jobs" "$@"
