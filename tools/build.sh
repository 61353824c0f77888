# Sourced by run.sh and test.sh: configures (once) and builds the trees.
#   build/win32  the game and the Wine tests (MinGW-w64 cross build, i686)
#   build/win64  the same as 64-bit Windows programs (x86_64)
#   build/host   the portable code and its tests, with the sanitizers
#   build/release  the game as shipped (tessaly_build_release, below)
build=${TESSALY_BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

tessaly_build() {
    local which
    for which in "$@"; do
        local dir=$build/$which
        if [ ! -f "$dir/CMakeCache.txt" ]; then
            local extra=()
            case $which in
            win32) extra=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake") ;;
            win64) extra=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake") ;;
            esac
            cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "${extra[@]}" >/dev/null
        fi
        cmake --build "$dir" -j "$jobs" -- --no-print-directory >/dev/null 2>"$dir/build-errors.log" || {
            cat "$dir/build-errors.log" >&2
            return 1
        }
    done
}

# The game as the zip ships it, in a tree of its own (build/release): the
# Release build of the given targets (default: the game alone). With
# release_arch=x86_64, the 64-bit Release build in build/release64 instead.
release_arch=i686
tessaly_build_release() {
    local dir=$build/release
    [ "$release_arch" = x86_64 ] && dir=$build/release64
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$release_arch.cmake" >/dev/null
    fi
    cmake --build "$dir" --target "${@:-knaplet}" -j "$jobs" -- --no-print-directory \
        >/dev/null 2>"$dir/build-errors.log" || {
        cat "$dir/build-errors.log" >&2
        return 1
    }
}
