#!/usr/bin/env bash
# Lays out every C++ file of the project as .clang-format says.
#   format.sh          rewrites the files that differ
#   format.sh --check  changes nothing; names each file that differs and fails
# The test command runs the check (host.format).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
mapfile -t files < <(find engine controls app about resources tests tools \
    -name '*.cpp' -o -name '*.h' | sort)
if [ "${1:-}" != --check ]; then
    clang-format -i "${files[@]}"
    exit 0
fi
bad=0
for f in "${files[@]}"; do
    if ! clang-format "$f" | cmp -s - "$f"; then
        echo "not formatted: $f (tools/format.sh formats it)"
        bad=1
    fi
done
[ $bad = 0 ] && echo "all ${#files[@]} C++ files are formatted"
exit $bad
