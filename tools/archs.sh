# Sourced by setup.sh, test.sh and run.sh: which Windows word sizes this host
# can test. The 32-bit game needs Wine's 32-bit loader, which needs a kernel
# that runs 32-bit x86 programs; some do not ("Exec format error" for every
# 32-bit ELF). The 64-bit build runs on any x86-64 host.

# Prints "i686 x86_64" where 32-bit programs run natively, else "x86_64".
# Asks the kernel once with a tiny 32-bit program of its own (exit(42) by
# int 0x80), so that the answer needs no package. A 32-bit program that runs
# only through an emulator registered with binfmt_misc (qemu-i386) does not
# count: Wine hangs under it.
tessaly_host_archs() {
    local elf
    elf=$(mktemp "${TMPDIR:-/tmp}/tessaly-i686.XXXXXX")
    # ELF header, one loadable segment of the whole file at 0x08048000, code.
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0' >"$elf"
    printf '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x60\0\0\0\x60\0\0\0\x05\0\0\0\0\x10\0\0' >>"$elf"
    printf '\xb8\x01\0\0\0\xbb\x2a\0\0\0\xcd\x80' >>"$elf"
    chmod +x "$elf"
    local code=0
    ("$elf") >/dev/null 2>&1 || code=$?
    rm -f "$elf"
    local emulated=0
    grep -qs '^interpreter .*qemu-i[3-6]86' /proc/sys/fs/binfmt_misc/* && emulated=1
    if [ "$code" = 42 ] && [ "$emulated" = 0 ]; then echo "i686 x86_64"; else echo "x86_64"; fi
}

# tessaly_choose_archs WANTED HOST: the word sizes to test, from WANTED
# (TESSALY_ARCHS: i686, x86_64 or both, space-separated; empty for all the
# host runs) and HOST (what tessaly_host_archs printed). Prints them, or an
# error on stderr and returns 1: a choice the host cannot run fails at once.
tessaly_choose_archs() {
    local wanted=$1 host=$2 arch chosen=()
    if [ -z "${wanted//[[:space:]]/}" ]; then
        echo "$host"
        return 0
    fi
    for arch in $wanted; do
        case $arch in
        i686 | x86_64) ;;
        *)
            echo "TESSALY_ARCHS: '$arch' is neither i686 nor x86_64" >&2
            return 1
            ;;
        esac
        if [[ " $host " != *" $arch "* ]]; then
            echo "TESSALY_ARCHS asks for $arch, but this machine cannot run 32-bit programs" >&2
            return 1
        fi
        [[ " ${chosen[*]} " == *" $arch "* ]] || chosen+=("$arch")
    done
    echo "${chosen[*]}"
}

# The build tree of each word size.
tessaly_tree() {
    case $1 in
    i686) echo win32 ;;
    x86_64) echo win64 ;;
    esac
}
