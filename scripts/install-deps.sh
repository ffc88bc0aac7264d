#!/usr/bin/env bash
# Installs what building, running and testing the tools needs on Debian 12, when missing:
# the MinGW-w64 cross compilers, Wine, a virtual display, the Japanese locale, a CJK font,
# Pillow for the artwork generator, pefile for the checks of built programs, nlohmann/json for
# the tools' JSON output, gcab and cabextract for the terminal's installation cabinet, and
# unicorn, the ARM emulator on which the Windows CE programs are started. Where the kernel runs
# 32-bit x86 programs, also Debian's 32-bit Wine, which starts the i686 setup.exe that the release
# ships; where it does not, nothing 32-bit, and one line says why.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

packages=(
    cmake make g++ clang libclang-rt-14-dev googletest libgtest-dev python3 python3-pil python3-pefile
    mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
    g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
    wine wine64 fonts-wine xvfb x11-apps x11-utils imagemagick locales fonts-noto-cjk
    nlohmann-json3-dev gcab cabextract python3-unicorn
)

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
        "${missing[@]}"
fi

# The terminal's Japanese locale: with it Wine's ANSI code page is 932 (Shift-JIS).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen
    $sudo locale-gen
fi

# The 32-bit Wine, decided by running a 32-bit program: some kernels refuse them all. Where
# wine32 is installed but can't run, the simulated terminal starts every program with Wine's
# 64-bit loader (tools/terminal/bin/wine), so nothing else fails for it.
if said=$("$here/runs-32bit.sh"); then
    if ! installed wine32:i386; then
        echo "installing: wine32:i386 ($said)"
        dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
            wine32:i386
    fi
    echo "$said: wine32 is installed, so the Wine tier runs the i686 setup.exe too"
elif [ -x /usr/lib/wine/wine ]; then
    echo "$said: wine32 is installed but can't run here, so the i686 setup.exe is not run;" \
        "the 64-bit programs run with Wine's 64-bit loader (apt-get purge wine32:i386 removes it)"
else
    echo "$said: wine32 is not installed, so the i686 setup.exe is not run"
fi
