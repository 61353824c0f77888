#!/usr/bin/env bash
# Installs what is missing, builds the trees and runs every test: the host
# tests (sanitizers), then the Wine tests and the end-to-end tests of each
# Windows word size the host can run, in one ctest run. TESSALY_ARCHS (i686,
# x86_64 or both) chooses the word sizes instead.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/archs.sh"
host_archs=$(tessaly_host_archs)
archs=$(tessaly_choose_archs "${TESSALY_ARCHS:-}" "$host_archs") || exit 2
if [ -z "${TESSALY_ARCHS:-}" ] && [ "$host_archs" = x86_64 ]; then
    echo "this machine cannot run 32-bit programs: testing the 64-bit build only"
fi
# shellcheck disable=SC2086
bash "$root/tools/setup.sh" $archs
. "$root/tools/build.sh"
trees=(host)
for arch in $archs; do trees+=("$(tessaly_tree "$arch")"); done
tessaly_build "${trees[@]}"

# One ctest run over the trees, so there is one summary line.
printf 'subdirs(%s)\n' "$(printf '"%s" ' "${trees[@]}")" >"$build/CTestTestfile.cmake"

. "$root/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
# The tests own the pointer and the focus: always a private display.
# shellcheck disable=SC2086
tessaly_start_private_session $archs
cd "$build"
ctest --output-on-failure -j "$jobs" "$@"
