#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, prepares the simulated terminal, then runs
# the native unit tests, the Win32 tests under Wine and the end-to-end runs of the tools.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/install-deps.sh" || exit 1
"$here/build.sh" || exit 1
source "$here/../tools/terminal/env.sh"
"$TERMINAL_ROOT/tools/terminal/setup-prefix.sh" || exit 1
"$TERMINAL_ROOT/tools/terminal/display.sh" start || exit 1
export DISPLAY=$TERMINAL_DISPLAY
mkdir -p "$TERMINAL_RUN"

status=0
tier() {
    echo
    echo "=== $1"
}

tier "native unit tests (sanitizers)"
ctest --test-dir "$NATIVE_BUILD" -LE e2e --output-on-failure -j2 || status=1

tier "fuzzing (bounded run of each target)"
"$here/fuzz.sh" "${FUZZ_SECONDS:-45}" || status=1

tier "portability: 32-bit build, warning-free"
cmake -S "$TERMINAL_ROOT" -B "$TERMINAL_BUILD/win32" \
    -DCMAKE_TOOLCHAIN_FILE="$TERMINAL_ROOT/cmake/mingw-w64-i686.cmake" -DBUILD_WINE_TESTS=OFF >/dev/null &&
    cmake --build "$TERMINAL_BUILD/win32" -j"$(nproc)" --target wavemeter identview portswap ||
    status=1

tier "Win32 tests under Wine (and the import check)"
wineserver -p 2>/dev/null
"$TERMINAL_ROOT/tools/terminal/card.sh" start "$TERMINAL_RUN/wine-tests-card.jsonl" || status=1
ctest --test-dir "$WIN_BUILD" --output-on-failure || status=1
"$TERMINAL_ROOT/tools/terminal/card.sh" stop
"$TERMINAL_ROOT/tools/terminal/reseed-registry.sh"

tier "end-to-end runs in the simulated terminal"
ctest --test-dir "$NATIVE_BUILD" -L e2e --output-on-failure || status=1

wineserver -k 2>/dev/null
"$TERMINAL_ROOT/tools/terminal/display.sh" stop
echo
if [ $status -eq 0 ]; then echo "all test tiers passed"; else echo "some tests FAILED"; fi
exit $status
