#!/usr/bin/env bash
# Kills the real game (kill -9) at random moments while it saves, KILLS times,
# and counts the settings files it leaves damaged. Not a test: it prints figures.
#   tools/kill_saves.sh [KILLS [SEED]]        (defaults 200 and 1)
# Each round seeds the settings file (comments, a [Before] and an [After]
# section; no blank lines, which Wine's profile functions drop on any write),
# starts the game, floods it with view-size, level and always-on-top commands
# from probe.exe and kills it after 0 to 1 s. A file is whole when it is the
# seeded file byte for byte but for the three values, each of them well
# formed. The folder is kept from round to round, as a player's is, so files
# a killed game left behind meet the next game. A game killed inside its
# replace may leave the old file aside (Wine's ReplaceFile is two renames):
# such a file is judged as the next start leaves it, and counted restored.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
kills=${1:-200}
RANDOM=${2:-1}

bash "$root/tools/setup.sh"
. "$root/tools/build.sh"
tessaly_build win32
# A prefix (and so a Wine server) of its own: the tests may run meanwhile.
tessaly_prefix_i686=$build/wineprefix-kills
. "$root/tools/wine-env.sh"
trap 'stop_round; tessaly_wine_cleanup' EXIT
tessaly_start_private_session

work=$build/kill_saves
rm -rf "$work"
mkdir -p "$work"
cp "$build/win32/app/knaplet.exe" "$work/knaplet.exe"
probe=$build/win32/tests/e2e/probe.exe
ini=$work/knaplet.ini

seed() {
    printf '%s\r\n' '; kept by the player' '[Before]' 'a=1' '[Tessaly]' \
        '常に手前に表示=0' 'ボタンの数="5, 5"' 'ボタンの大きさ="16, 16"' '; after the game' \
        '[After]' 'b=2' | iconv -f UTF-8 -t CP932
}
# The file with its three values masked, when each is well formed.
masked() {
    iconv -f CP932 -t UTF-8 | sed -E -e 's/^(常に手前に表示)=[01]\r$/\1=V\r/' \
        -e 's/^(ボタンの数|ボタンの大きさ)="[0-9]+, [0-9]+"\r$/\1=V\r/'
}
want=$(seed | masked | od -c)

game=
flood=
stop_round() {
    local pid
    for pid in $game $flood; do kill -KILL -- "-$pid" 2>/dev/null || true; done
    for pid in $game $flood; do wait "$pid" 2>/dev/null || true; done
    game=
    flood=
}

# Starts the game and waits (5 s at most) for its window: it has loaded.
start_game() {
    setsid wine "$work/knaplet.exe" >/dev/null 2>&1 &
    game=$!
    local i
    for i in $(seq 1 100); do
        xdotool search --onlyvisible --name '^Tessaly$' >/dev/null 2>&1 && break
        sleep 0.05
    done
}

damaged=0
empty=0
missing=0
restored=0
for round in $(seq 1 "$kills"); do
    seed >"$ini"
    start_game
    setsid wine "$probe" flood 100000 >/dev/null 2>&1 &
    flood=$!
    sleep "0.$(printf '%03d' $((RANDOM % 1000)))"
    kill -KILL -- "-$game" 2>/dev/null || true
    stop_round
    if [ ! -e "$ini" ]; then
        start_game
        stop_round
        [ -e "$ini" ] && restored=$((restored + 1))
    fi
    if [ ! -e "$ini" ]; then
        missing=$((missing + 1))
        damaged=$((damaged + 1))
    elif [ ! -s "$ini" ]; then
        empty=$((empty + 1))
        damaged=$((damaged + 1))
    elif [ "$(masked <"$ini" | od -c)" != "$want" ]; then
        damaged=$((damaged + 1))
        cp "$ini" "$work/damaged-$round.ini"
    fi
    printf '\rround %d of %d: %d damaged' "$round" "$kills" "$damaged" >&2
done
echo >&2
left=$(find "$work" -maxdepth 1 -name 'knaplet.ini?*' | wc -l)
echo "kills $kills, damaged files $damaged ($empty empty, $missing missing; $restored restored at the next start), other files left beside the settings file: $left"
