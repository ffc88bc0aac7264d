#!/usr/bin/env bash
# Builds the three programs for the terminal itself (Windows CE 4.10, ARMV4I) into
# build/wince-arm/bin/ with CeGCC's arm-mingw32ce cross toolchain, then checks them: ARM
# programs for the Windows CE GUI subsystem, importing from COREDLL.dll alone, with exactly the
# resources of the desktop build (which it brings up to date first, with MinGW-w64).
#
#   scripts/build-ce.sh [BUILD_DIR]     # another build folder than build/wince-arm
#
# The toolchain is found through CEGCC_ROOT (its bin/ holds arm-mingw32ce-g++), else on PATH.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TERMINAL_BUILD:-$root/build}
ce_build=${1:-$build/wince-arm}
win_build=$build/win64

compiler=arm-mingw32ce-g++
if [ -n "${CEGCC_ROOT:-}" ]; then
    compiler=$CEGCC_ROOT/bin/arm-mingw32ce-g++
fi
if ! command -v "$compiler" >/dev/null 2>&1; then
    cat >&2 <<EOF
No Windows CE ARM cross compiler: $compiler was not found.
Install CeGCC's arm-mingw32ce toolchain (gcc 4.4 with its Windows CE runtime and headers, and
binutils with windres), then either put its bin/ folder on PATH or run
    CEGCC_ROOT=/path/to/cegcc scripts/build-ce.sh
A Windows CE 4.x SDK with its own compiler builds the same sources (C++98, with
common/wince_compat.h), but not with this script.
EOF
    exit 1
fi

cmake -S "$root" -B "$ce_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/wince-arm.cmake" \
    ${CEGCC_ROOT:+-DCEGCC_ROOT="$CEGCC_ROOT"} >/dev/null
cmake --build "$ce_build" -j"$(nproc)"

# The desktop programs, for their resources.
if [ ! -f "$win_build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$win_build" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
fi
cmake --build "$win_build" -j"$(nproc)" --target wavemeter identview portswap

# Debian's interpreter sees the pefile module that the install step takes from Debian.
python=/usr/bin/python3
[ -x "$python" ] || python=python3
"$python" "$root/tools/portability/check_wince_programs.py" "$ce_build/bin" \
    --resources-of "$win_build/bin"
