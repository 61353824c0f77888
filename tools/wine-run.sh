#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix and settings:
# ctest's emulator for every Windows test program, and the end-to-end tests'
# way to start the game. TESSALY_ARCH (i686 or x86_64, default i686) picks the
# prefix and loader; each test tree sets it for its own tests.
#   wine-run.sh PROGRAM [ARGS...]           output passed on when it ends
#   wine-run.sh --direct PROGRAM [ARGS...]  output as it comes (the session's
#                                           Wine processes must already run)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TESSALY_BUILD_DIR:-$root/build}
. "$root/tools/wine-env.sh"
tessaly_use_arch "${TESSALY_ARCH:-i686}" || exit 2

if [ "${1:-}" = --direct ]; then
    shift
    exec "$TESSALY_WINE" "$@"
fi

# Wine's own background processes (services, the desktop) inherit the
# program's output descriptors and outlive it; were those ctest's pipes, ctest
# would wait for them. So the output goes through a file they may keep.
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
"$TESSALY_WINE" "$@" >"$log" 2>&1
code=$?
cat "$log"
rm -f "$log"
exit $code
