#!/usr/bin/env bash
# Which Windows word sizes the test command runs: what the host can run, or
# what TESSALY_ARCHS asks for, and a choice the host cannot run is refused
# at once, with a sentence that says why.
set -uo pipefail
. "$(dirname "$0")/../../tools/archs.sh"
failed=0
expect() {  # WANTED HOST OUTPUT STATUS
    local out status
    out=$(tessaly_choose_archs "$1" "$2" 2>&1)
    status=$?
    if [ "$out" != "$3" ] || [ "$status" != "$4" ]; then
        echo "FAIL: '$1' on a host of '$2' gave '$out' ($status), not '$3' ($4)"
        failed=1
    fi
}
expect "" "i686 x86_64" "i686 x86_64" 0
expect " " "x86_64" "x86_64" 0
expect "x86_64" "i686 x86_64" "x86_64" 0
expect "x86_64  i686 x86_64" "i686 x86_64" "x86_64 i686" 0
expect "i686" "x86_64" \
    "TESSALY_ARCHS asks for i686, but this machine cannot run 32-bit programs" 1
expect "i686 arm64" "i686 x86_64" "TESSALY_ARCHS: 'arm64' is neither i686 nor x86_64" 1

# The host's own answer agrees with a real 32-bit program: the dynamic loader
# that Wine's 32-bit loader needs (present wherever wine32 is installed).
host=$(tessaly_host_archs)
want="x86_64"
[ -x /lib/ld-linux.so.2 ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1 && want="i686 x86_64"
[ "$host" = "$want" ] || { echo "FAIL: the host runs '$host', a 32-bit loader says '$want'"; failed=1; }
exit $failed
