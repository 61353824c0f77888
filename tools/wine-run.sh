#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix and settings.
# ctest uses it as the emulator for every Windows test program.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
# Code page 932 for the ANSI functions comes from the Japanese locale.
export LC_ALL=ja_JP.UTF-8
# No Mono or Gecko installers, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Wine's own background processes (services, the desktop) inherit the
# program's output descriptors and outlive it; were those ctest's pipes, ctest
# would wait for them. So the output goes through a file they may keep.
log=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
wine "$@" >"$log" 2>&1
code=$?
cat "$log"
rm -f "$log"
exit $code
