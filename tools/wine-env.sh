# Sourced by run.sh and test.sh: a Wine prefix under the build folder, an X
# display when there is none, and a persistent wineserver while the caller runs.
# Expects $root (the repository) and $build (the build folder) to be set.

export WINEPREFIX=$build/wineprefix
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

tessaly_xvfb_pid=
tessaly_wine_cleanup() {
    wineserver -k >/dev/null 2>&1 || true
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

# Creates the prefix once and (re)applies the registry settings when they change.
tessaly_prepare_prefix() {
    local stamp=$WINEPREFIX/.tessaly-settings
    local want
    want=$(sha1sum "$root/tools/wine-settings.reg" | cut -d' ' -f1)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix in $WINEPREFIX (once, about 20 s)..."
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    if [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
        # regedit reads Unicode .reg files as UTF-16 with a byte-order mark.
        local reg=$WINEPREFIX/tessaly-settings.reg
        { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$root/tools/wine-settings.reg"; } >"$reg"
        # The server holds the registry: later processes see the change at once.
        wine regedit /S "$reg" >/dev/null 2>&1
        echo "$want" >"$stamp"
    fi
}

# A private display and a persistent wineserver for a run of Windows programs
# (the tests, the benchmark): nothing else draws or moves the pointer there.
tessaly_start_private_session() {
    tessaly_start_xvfb
    wineserver -k >/dev/null 2>&1 || true
    tessaly_prepare_prefix
    # Applying the settings leaves a short-lived server behind; wait it out so
    # that the persistent one can start.
    wineserver -w
    wineserver -p
    # Start Wine's background processes now, away from the caller's output
    # pipes, which they would otherwise hold open.
    wine wineboot >/dev/null 2>&1 || true
}
