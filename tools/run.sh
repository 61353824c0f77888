#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it. With a display it
# starts the Release build, the one the zip ships (build/release). Without a
# display it plays a few seconds in Xvfb with the Debug build the tests use
# (F5, a few presses, the timer at 2) and saves a picture of the game's window
# to build/screenshot.png. A host that runs no 32-bit program gets the 64-bit
# build instead (build/release64, build/win64); so does TESSALY_ARCHS=x86_64.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/archs.sh"
host_archs=$(tessaly_host_archs)
archs=$(tessaly_choose_archs "${TESSALY_ARCHS:-}" "$host_archs") || exit 2
arch=x86_64
[[ " $archs " == *" i686 "* ]] && arch=i686
if [ -z "${TESSALY_ARCHS:-}" ] && [ "$host_archs" = x86_64 ]; then
    echo "this machine cannot run 32-bit programs: starting the 64-bit build"
fi
bash "$root/tools/setup.sh" "$arch"
. "$root/tools/build.sh"

. "$root/tools/wine-env.sh"
tessaly_use_arch "$arch"
tessaly_session_archs=$arch
trap tessaly_wine_cleanup EXIT
if [ -n "${DISPLAY:-}" ]; then
    release_arch=$arch
    tessaly_build_release
    tessaly_prepare_prefix
    dir=release
    [ "$arch" = x86_64 ] && dir=release64
    echo "Starting the $arch Release build ($build/$dir/app/knaplet.exe)"
    "$TESSALY_WINE" "$build/$dir/app/knaplet.exe"
else
    # The showcase drives the game with the end-to-end tests' probe, which
    # only the Debug tree builds.
    tree=$(tessaly_tree "$arch")
    tessaly_build "$tree"
    tessaly_start_xvfb
    tessaly_prepare_prefix
    echo "No display: playing a game in Xvfb for a few seconds ($arch Debug build)..."
    TESSALY_ARCH=$arch python3 "$root/tools/showcase.py" "$build/$tree/app/knaplet.exe" \
        "$build/$tree/tests/e2e/probe.exe" "$build/showcase" "$build/screenshot.png"
fi
