#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as root).
#   setup.sh [ARCH...]  Wine for these word sizes (i686, x86_64; default: what
#                       the host runs). Both cross-compilers come always: the
#                       shipped zip is the 32-bit game wherever it is built.
# Every step checks first, so a second run costs a second or two.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/tools/archs.sh"
archs=("$@")
[ ${#archs[@]} -gt 0 ] || read -ra archs <<<"$(tessaly_host_archs)"

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# fonts-wine brings Marlett, which tools/wine-settings.reg registers for the
# caption buttons.
packages=(cmake g++ python3 googletest clang-format mingw-w64-tools
          g++-mingw-w64-i686-posix binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
          wine xvfb xdotool x11-utils imagemagick
          fonts-wine fonts-ipafont-gothic locales zip unzip)
for arch in "${archs[@]}"; do
    case $arch in
    i686) packages+=(wine32:i386) ;;
    x86_64) packages+=(wine64) ;;
    esac
done
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done

if [ ${#need[@]} -gt 0 ]; then
    if [[ " ${need[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Wine reports code page 932 only under a Japanese locale.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
