#!/usr/bin/env bash
# The shippable zip: tools/package.sh makes it; it holds the game and its
# read-me (Windows text) in one folder, and the game starts from the unpacked
# folder, writes its settings file there and ends with code 0.
# Usage: package.sh BUILD_DIR WORKDIR (BUILD_DIR: the folder tools/ build into)
. "$(dirname "$0")/lib.sh"
build_dir=$1
e2e_work=$2
rm -rf "$e2e_work"
mkdir -p "$e2e_work"
trap e2e_cleanup EXIT

TESSALY_BUILD_DIR=$build_dir bash "$e2e_root/tools/package.sh" >"$e2e_work/package.log" 2>&1 ||
    { cat "$e2e_work/package.log"; e2e_fail "tools/package.sh failed"; }
zip=$build_dir/tessaly-win32.zip
listing=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
[ "$listing" = "tessaly/knaplet.exe tessaly/readme.txt " ] || e2e_fail "the zip holds: $listing"
unzip -q "$zip" -d "$e2e_work"

readme=$e2e_work/tessaly/readme.txt
lines=$(wc -l <"$readme")
[ "$lines" -gt 5 ] && [ "$(grep -c $'\r$' "$readme")" = "$lines" ] ||
    e2e_fail "readme.txt is not Windows text of some lines"

e2e_exe=$e2e_work/tessaly/knaplet.exe
e2e_start
for _ in $(seq 1 50); do
    [ -f "$e2e_work/tessaly/knaplet.ini" ] && break
    sleep 0.1
done
[ -f "$e2e_work/tessaly/knaplet.ini" ] || e2e_fail "no settings file beside the unpacked game"
e2e_focus
xdotool key alt+F4
e2e_wait_exit
[ "$e2e_exit_code" = 0 ] || e2e_fail "exit code $e2e_exit_code"
echo "package: $(stat -c %s "$zip") bytes, the game ran from it"
