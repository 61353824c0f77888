# Sourced by the tools that run Windows programs: a Wine prefix under the
# build folder for each word size, an X display when there is none, and a
# persistent wineserver for each prefix while the caller runs.
# Expects $root (the repository) and $build (the build folder) to be set.
#   i686    build/wineprefix    a 32-bit prefix, Wine's 32-bit loader
#   x86_64  build/wineprefix64  a 64-bit prefix, Wine's 64-bit loader
# Sourcing it selects i686, as every tool but the test command wants. A tool
# that wants a prefix of its own sets tessaly_prefix_i686 (or _x86_64) first.

export WINEDEBUG=${WINEDEBUG:--all}
# Code page 932 for the ANSI functions comes from the Japanese locale.
export LC_ALL=ja_JP.UTF-8
# No Mono or Gecko installers, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# tessaly_use_arch ARCH: points WINEPREFIX, WINEARCH and TESSALY_WINE (the
# loader to start programs with) at the prefix of that word size. Debian's
# `wine` prefers the 32-bit loader whenever it is installed, so the 64-bit
# prefix names its loader outright.
tessaly_use_arch() {
    case $1 in
    i686)
        export WINEPREFIX=${tessaly_prefix_i686:-$build/wineprefix} WINEARCH=win32 TESSALY_WINE=wine
        unset WINELOADER
        ;;
    x86_64)
        local loader=/usr/lib/wine/wine64
        command -v wine64 >/dev/null 2>&1 && loader=$(command -v wine64)
        export WINEPREFIX=${tessaly_prefix_x86_64:-$build/wineprefix64} WINEARCH=win64
        export TESSALY_WINE=$loader WINELOADER=$loader
        ;;
    *)
        echo "tessaly_use_arch: unknown architecture '$1'" >&2
        return 1
        ;;
    esac
}
tessaly_use_arch i686

tessaly_xvfb_pid=
tessaly_session_archs=
tessaly_wine_cleanup() {
    local arch
    for arch in ${tessaly_session_archs:-i686}; do
        (tessaly_use_arch "$arch" && wineserver -k) >/dev/null 2>&1 || true
    done
    if [ -n "$tessaly_xvfb_pid" ]; then
        kill "$tessaly_xvfb_pid" 2>/dev/null || true
        wait "$tessaly_xvfb_pid" 2>/dev/null || true
    fi
}

# Starts a private Xvfb and points DISPLAY at it.
tessaly_start_xvfb() {
    local n
    for n in $(seq 91 140); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
        tessaly_xvfb_pid=$!
        local i
        for i in $(seq 1 100); do
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            kill -0 "$tessaly_xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$tessaly_xvfb_pid" 2>/dev/null || true
        tessaly_xvfb_pid=
    done
    echo "could not start Xvfb" >&2
    return 1
}

# Creates the selected prefix once and (re)applies the registry settings when
# they change.
tessaly_prepare_prefix() {
    local stamp=$WINEPREFIX/.tessaly-settings
    local want
    want=$(sha1sum "$root/tools/wine-settings.reg" | cut -d' ' -f1)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix in $WINEPREFIX (once, about 20 s)..."
        "$TESSALY_WINE" wineboot -i >/dev/null 2>&1
        wineserver -w
        [ -f "$WINEPREFIX/system.reg" ] || {
            echo "Wine could not create the prefix $WINEPREFIX" >&2
            return 1
        }
    fi
    if [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
        # regedit reads Unicode .reg files as UTF-16 with a byte-order mark.
        local reg=$WINEPREFIX/tessaly-settings.reg
        { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$root/tools/wine-settings.reg"; } >"$reg"
        # The server holds the registry: later processes see the change at once.
        "$TESSALY_WINE" regedit /S "$reg" >/dev/null 2>&1
        echo "$want" >"$stamp"
    fi
}

# tessaly_start_private_session [ARCH...]: a private display and a persistent
# wineserver in the prefix of each word size (default i686), for a run of
# Windows programs (the tests, the benchmarks): nothing else draws or moves
# the pointer there. Leaves the first word size selected.
tessaly_start_private_session() {
    local archs=("${@:-i686}") arch
    tessaly_session_archs=${archs[*]}
    tessaly_start_xvfb
    for arch in "${archs[@]}"; do
        tessaly_use_arch "$arch"
        wineserver -k >/dev/null 2>&1 || true
        tessaly_prepare_prefix
        # Applying the settings leaves a short-lived server behind; wait it out
        # so that the persistent one can start.
        wineserver -w
        wineserver -p
        # Start Wine's background processes now, away from the caller's output
        # pipes, which they would otherwise hold open.
        "$TESSALY_WINE" wineboot >/dev/null 2>&1 || true
    done
    tessaly_use_arch "${archs[0]}"
}
