#!/usr/bin/env bash
# Makes the shippable file build/tessaly-win32.zip: a folder "tessaly" holding
# knaplet.exe (a Release build, stripped) and readme.txt (docs/package-readme.txt
# as code page 932 text with CR LF line ends, as Notepad reads it).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/tools/setup.sh"
. "$root/tools/build.sh"

tessaly_build_release
release=$build/release

stage=$build/package
rm -rf "$stage"
mkdir -p "$stage/tessaly"
i686-w64-mingw32-strip -o "$stage/tessaly/knaplet.exe" "$release/app/knaplet.exe"
# The support address comes from the one constant the game and its version block use.
url=$(sed -n 's/^#define TESSALY_SUPPORT_URL "\(.*\)"$/\1/p' "$root/resources/resource_ids.h")
[ -n "$url" ] || { echo "no TESSALY_SUPPORT_URL in resources/resource_ids.h" >&2; exit 1; }
sed -e "s|@SUPPORT_URL@|$url|" -e 's/$/\r/' "$root/docs/package-readme.txt" |
    iconv -f UTF-8 -t CP932 >"$stage/tessaly/readme.txt"
zip=$build/tessaly-win32.zip
rm -f "$zip"
(cd "$stage" && zip -q -X -r "$zip" tessaly)
echo "Packaged $zip"
