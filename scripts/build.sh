#!/usr/bin/env bash
# build.sh [win64|native|win32]: builds the Win32 programs (build/win64) and the native tests and
# tools (build/native), or only the tree named. WIN64_TARGETS and NATIVE_TARGETS, when set, name
# the only targets to build in each tree. win32 is the i686 build (build/win32): the programs
# and the PC setup program that the release ships, no tests (WIN32_TARGETS names fewer).
set -euo pipefail
source "$(dirname "$0")/../tools/terminal/env.sh"
cd "$TERMINAL_ROOT"
jobs=$(nproc)
if [ "${1:-}" = win32 ]; then
    cmake -S . -B "$TERMINAL_BUILD/win32" \
        -DCMAKE_TOOLCHAIN_FILE="$TERMINAL_ROOT/cmake/mingw-w64-i686.cmake" \
        -DBUILD_WINE_TESTS=OFF >/dev/null
    exec cmake --build "$TERMINAL_BUILD/win32" -j"$jobs" \
        --target ${WIN32_TARGETS:-wavemeter identview portswap setup}
fi
if [ "${1:-}" != native ]; then
    cmake -S . -B "$WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$TERMINAL_ROOT/cmake/mingw-w64-x86_64.cmake" \
        >/dev/null
    cmake --build "$WIN_BUILD" -j"$jobs" ${WIN64_TARGETS:+--target $WIN64_TARGETS}
fi
if [ "${1:-}" != win64 ]; then
    cmake -S . -B "$NATIVE_BUILD" -DWIN_BUILD_DIR="$WIN_BUILD" >/dev/null
    cmake --build "$NATIVE_BUILD" -j"$jobs" ${NATIVE_TARGETS:+--target $NATIVE_TARGETS}
fi
