#!/usr/bin/env bash
# Plants the faults listed in tests/mutants.txt one at a time and checks that
# the tests named for each one fail. Not a test itself: run it after changing
# code or tests, and look at what survived.
#
#   tools/mutate.sh [--list FILE] [--no-baseline] [PATTERN...]
#   tools/mutate.sh --generate [--seed N] [--count N] [PATTERN...]
#   tools/mutate.sh --stale
#
# A PATTERN (extended regex) picks the mutants whose line in the list matches
# it; a bare number N picks the mutant on line N. Without patterns every
# mutant runs, after a baseline run of the named tests on the unchanged code
# (a test that already fails would kill everything).
#
# --generate runs tools/mutgen.py over the product sources first (seed 19 and
# a count of 430 unless told, which writes some 410 mutants) and plants what
# it wrote; mutants listed in tests/mutants-equivalent.txt are skipped as
# equivalent, and the end gives the score: killed / (mutants - equivalent -
# not building).
#
# Every run first names the entries of tests/mutants.txt and of the
# equivalents that no longer match the code (an edited line drops out of a
# list silently otherwise); --stale does only that, and fails if there are any.
#
# The worktree is never edited: its sources are copied to build/mutate/src,
# which is built in build/mutate (kept between runs, so a rebuild is
# incremental) and tested in a private Xvfb and Wine session of its own.
# MUTATE_TIMEOUT (seconds, default 300) ends a test run that hangs; a hang
# counts as a kill. A test program stops at its first failure, and the run at
# its first failing program.
set -uo pipefail
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
list=$repo/tests/mutants.txt
equivalents=$repo/tests/mutants-equivalent.txt
baseline=auto
generate=no seed=19 count=430 stale=no
patterns=()
while [ $# -gt 0 ]; do
    case $1 in
    --list) list=$2; shift 2 ;;
    --no-baseline) baseline=no; shift ;;
    --generate) generate=yes; shift ;;
    --seed) seed=$2; shift 2 ;;
    --count) count=$2; shift 2 ;;
    --stale) stale=yes; shift ;;
    -h|--help) sed -n '2,29p' "${BASH_SOURCE[0]}"; exit 0 ;;
    *) patterns+=("$1"); shift ;;
    esac
done
[ "$baseline" = auto ] && { [ ${#patterns[@]} -eq 0 ] && baseline=yes || baseline=no; }
limit=${MUTATE_TIMEOUT:-300}

if ! python3 "$repo/tools/mutgen.py" stale "$repo/tests/mutants.txt" "$equivalents" >&2; then
    echo "these entries no longer match the code: mend or remove them" >&2
    [ $stale = yes ] && exit 1
fi
[ $stale = yes ] && exit 0

bash "$repo/tools/setup.sh" || exit 1
work=${TESSALY_BUILD_DIR:-$repo/build}/mutate
src=$work/src
mkdir -p "$src"

mutgen() { python3 "$repo/tools/mutgen.py" "$@"; }
mutgen sync "$repo" "$src" || exit 1

if [ $generate = yes ]; then
    list=$work/generated.txt
    mutgen --seed "$seed" --count "$count" --out "$list" "$src" || exit 1
fi

root=$src
TESSALY_BUILD_DIR=$work
. "$repo/tools/build.sh"
cat >"$build/CTestTestfile.cmake" <<CTEST
subdirs("host" "win32")
CTEST

# Builds only the programs the tests of a regex run: relinking every other
# program of the tree took as long as running the tests. A Windows test
# program is its own target; the end-to-end tests start the game and the probe.
build_for() {
    local names host=() win=()
    names=$(cd "$build" && ctest -N -R "$1" 2>/dev/null | sed -n 's/^ *Test *#[0-9]*: //p')
    local name
    for name in $names; do
        case $name in
        host.*) host+=("${name#host.}") ;;
        wine.*) win+=("${name#wine.}") ;;
        e2e.*) win+=(knaplet probe) ;;
        esac
    done
    local dir=$build/host
    if [ ${#host[@]} -gt 0 ]; then
        cmake --build "$dir" -j "$jobs" --target "${host[@]}" -- --no-print-directory >/dev/null \
            2>"$dir/build-errors.log" || { cat "$dir/build-errors.log" >&2; return 1; }
    fi
    dir=$build/win32
    if [ ${#win[@]} -gt 0 ]; then
        cmake --build "$dir" -j "$jobs" --target "${win[@]}" -- --no-print-directory >/dev/null \
            2>"$dir/build-errors.log" || { cat "$dir/build-errors.log" >&2; return 1; }
    fi
}
count_tests() {
    (cd "$build" && ctest -N -R "$1" 2>/dev/null | sed -n 's/^Total Tests: //p')
}

. "$repo/tools/wine-env.sh"
trap tessaly_wine_cleanup EXIT
# Configure both trees before the first ctest -N can see them.
tessaly_build host win32 || { echo "the unchanged code does not build" >&2; exit 1; }
tessaly_start_private_session >/dev/null

restart_wine() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w
    wineserver -p
    wine wineboot >/dev/null 2>&1 || true
}

# Runs the tests of a regex; 0 when all pass, 1 when one fails, 2 on a hang.
run_tests() {
    local log=$1 regex=$2
    (cd "$build" && GTEST_FAIL_FAST=1 timeout "$limit" ctest --output-on-failure --stop-on-failure \
        -R "$regex") \
        >"$log" 2>&1
    local rc=$?
    if [ $rc -eq 124 ]; then
        restart_wine
        return 2
    fi
    [ $rc -eq 0 ] && return 0 || return 1
}

# Copies of the lists, so that editing them during a run changes nothing.
cp "$list" "$work/mutants.txt"
list=$work/mutants.txt
if [ -f "$equivalents" ]; then
    cp "$equivalents" "$work/equivalents.txt"
    equivalents=$work/equivalents.txt
fi

# The mutants to run, by their line in the list.
mutants=()
lineno=0
while IFS= read -r line || [ -n "$line" ]; do
    lineno=$((lineno + 1))
    case $line in ''|'#'*) continue ;; esac
    if [ ${#patterns[@]} -gt 0 ]; then
        hit=0
        for p in "${patterns[@]}"; do
            if [[ $p =~ ^[0-9]+$ ]]; then [ "$p" = "$lineno" ] && hit=1
            elif grep -Eq -- "$p" <<<"$line"; then hit=1
            fi
        done
        [ $hit = 1 ] || continue
    fi
    mutants+=("$lineno")
done <"$list"
[ ${#mutants[@]} -gt 0 ] || { echo "no mutant selected in $list" >&2; exit 1; }

field() { sed -n "${1}p" "$list" | cut -d$'\t' -f"$2"; }

logs=$work/logs
rm -rf "$logs"
mkdir -p "$logs"

if [ $baseline = yes ]; then
    regexes=$(for n in "${mutants[@]}"; do field "$n" 4; done | tr '|' '\n' | grep -v '^$' | sort -u | paste -sd'|')
    echo "baseline: $regexes"
    run_tests "$logs/baseline.log" "$regexes"
    if [ $? -ne 0 ]; then
        echo "the named tests fail on the unchanged code; see $logs/baseline.log" >&2
        exit 1
    fi
fi

# Mutants known to change nothing a player or a caller can see: file, text
# and replacement as in the list, each under a comment that says why.
is_equivalent() {
    # No grep -q: quitting at the first match cuts the pipe, and pipefail
    # then reports the match as a miss.
    [ -f "$equivalents" ] && grep -v '^#' "$equivalents" | cut -d$'\t' -f1-3 |
        grep -xF -- "$1" >/dev/null
}

killed=0 survived=0 broke=0 invalid=0 equivalent=0
survivors=()
for n in "${mutants[@]}"; do
    file=$(field "$n" 1) find=$(field "$n" 2) replace=$(field "$n" 3) regex=$(field "$n" 4)
    if is_equivalent "$(sed -n "${n}p" "$list" | cut -d$'\t' -f1-3)"; then
        echo "EQUIVALENT line $n: $file: $find"
        equivalent=$((equivalent + 1)); continue
    fi
    fields=$(sed -n "${n}p" "$list" | awk -F'\t' '{print NF}')
    label="line $n: $file: $find"
    target=$src/$file
    if [ "$fields" != 4 ] || [ -z "$file" ] || [ -z "$find" ] || [ -z "$regex" ]; then
        echo "INVALID   $label (want four tab-separated fields)"
        invalid=$((invalid + 1)); continue
    fi
    if [ ! -f "$target" ]; then
        echo "INVALID   $label (no such file)"
        invalid=$((invalid + 1)); continue
    fi
    occurrences=$(FIND=$find mutgen count "$target")
    if [ "$occurrences" != 1 ]; then
        echo "INVALID   $label (the text occurs $occurrences times)"
        invalid=$((invalid + 1)); continue
    fi
    if [ "$(count_tests "$regex")" = 0 ] || [ -z "$(count_tests "$regex")" ]; then
        echo "INVALID   $label (no test matches '$regex')"
        invalid=$((invalid + 1)); continue
    fi
    saved=$(mktemp)
    cp "$target" "$saved"
    FIND=$find REPLACE=$replace mutgen plant "$target"
    log=$logs/line$n.log
    status=
    if ! build_for "$regex" 2>"$log"; then
        status="BROKE    "
        broke=$((broke + 1))
    else
        run_tests "$log" "$regex"
        case $? in
        0) status="SURVIVED "; survived=$((survived + 1)); survivors+=("$label") ;;
        1) status="killed   "; killed=$((killed + 1)) ;;
        2) status="killed   "; killed=$((killed + 1)); label="$label (hung: timed out)" ;;
        esac
    fi
    # A plain copy: the restored file is newer than the mutant's objects.
    cp "$saved" "$target"
    rm -f "$saved"
    echo "$status $label  [$regex]"
done

echo
echo "mutants: ${#mutants[@]}, killed: $killed, survived: $survived, build broke: $broke," \
    "invalid: $invalid, equivalent: $equivalent"
scored=$((killed + survived))
[ $scored -gt 0 ] && echo "score: $killed / $scored killed ($((100 * killed / scored)) %)"
for s in "${survivors[@]}"; do echo "  survived: $s"; done
echo "logs: $logs"
[ $survived -eq 0 ] && [ $invalid -eq 0 ]
