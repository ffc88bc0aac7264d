#!/usr/bin/env bash
# Runs every test: installs what is missing, builds, prepares the simulated terminal, then runs
# the tiers and ends with one summary of them (count, failures, duration).
#
# The end-to-end tier waits on the card's read time-outs and ticks most of its time: its test
# classes run side by side in E2E_LANES terminals of their own (default 3), and it starts as soon
# as the programs it drives are built. Beside it: the Win32 tests' build (with the i686 setup.exe
# that the release ships), then those tests under Wine (in lane 0's terminal) beside the native
# tests' build and run, the 32-bit build, the Windows CE tier and fuzzing (FUZZ_SECONDS per
# target, default 10). The Wine tier runs the i686 setup.exe under the 32-bit Wine where this
# kernel runs 32-bit programs; a line under the summary says whether it ran, and why not.
#
# The Windows CE tier builds the terminal's own programs with CeGCC's arm-mingw32ce toolchain
# (CEGCC_ROOT, else arm-mingw32ce-g++ on PATH), checks them, starts them on an emulated ARM core,
# makes the release from them and reads its cabinet back, then makes the release again from
# programs built again elsewhere and compares it byte for byte; without a toolchain the summary
# says it was skipped.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
had_locale=$(locale -a 2>/dev/null | grep -ci '^ja_JP\.utf-\?8$' || true)
"$here/install-deps.sh" || exit 1
# A shell keeps the locales it found at its start: once the install step has generated the
# terminal's locale, the rest runs in a new one, which switches to it without a warning.
if [ "$had_locale" -eq 0 ] && [ -z "${LOCALE_GENERATED:-}" ]; then
    LOCALE_GENERATED=1 exec "$0" "$@"
fi
export TERMINAL_LANE=0
source "$here/../tools/terminal/env.sh"
lanes=${E2E_LANES:-3}
logs=$TERMINAL_BUILD/test-logs
mkdir -p "$logs"
rm -f "$logs"/*.log "$logs"/*.summary

# The terminals' prefixes and displays need nothing from the build: they are made meanwhile.
"$TERMINAL_ROOT/tools/terminal/lanes.sh" up "$lanes" >"$logs/lanes.out" 2>&1 &
lanes_job=$!
started=$SECONDS
WIN64_TARGETS="wavemeter identview portswap winprobe minimal_dialog" NATIVE_TARGETS=cardsim \
    "$here/build.sh" || exit 1
if ! wait $lanes_job; then
    cat "$logs/lanes.out"
    exit 1
fi
export DISPLAY=$TERMINAL_DISPLAY

# tier NAME LOG COMMAND...: runs a tier with its output in LOG and notes how it went in
# LOG.summary: count, failures, seconds.
tier() {
    local name=$1 log=$2
    shift 2
    local start=$SECONDS
    "$@" >"$log" 2>&1
    local status=$?
    local count failed
    count=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$log" | tail -n 1)
    failed=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
    if [ -z "$count" ]; then
        count=$(grep -c '^fuzz .*: ' "$log")
        failed=$(grep -c '^fuzz .*: FINDING' "$log")
        [ "$count" -gt 0 ] || { count=1; failed=0; }
    fi
    [ $status -eq 0 ] || [ "$failed" -gt 0 ] || failed=1
    printf '%s\t%s\t%s\t%s\n' "$name" "$count" "$failed" $((SECONDS - start)) >"$log.summary"
    echo
    echo "=== $name"
    cat "$log"
    [ "$failed" -eq 0 ]
}

wine_tier() {
    local card=$TERMINAL_ROOT/tools/terminal/card.sh status=0
    wineserver -p 2>/dev/null
    "$card" start "$TERMINAL_RUN/wine-tests-card.jsonl" || return 1
    ctest --test-dir "$WIN_BUILD" --output-on-failure || status=1
    "$card" stop
    "$TERMINAL_ROOT/tools/terminal/reseed-registry.sh"
    return $status
}

build_i686() {
    "$here/build.sh" win32
}

# The Win32 tests, and the i686 setup.exe that the release ships, which they run too.
build_win32_tests() {
    "$here/build.sh" win64 && WIN32_TARGETS=setup "$here/build.sh" win32
}

# One line on the i686 setup.exe in the Wine tier: whether it ran, and why not where it did not.
i686_setup_line() {
    local result
    result=$(sed -n 's/.*Test *#[0-9]*: wine\.setup\.i686 [.]*[ *]*\([A-Za-z]*\).*/\1/p' \
        "$logs/3-wine.log" 2>/dev/null)
    case "$result" in
    Passed) echo "the shipped i686 setup.exe ran under the 32-bit Wine: its table passed" ;;
    Skipped) echo "the shipped i686 setup.exe did not run: $("$here/runs-32bit.sh")" ;;
    "") echo "the shipped i686 setup.exe did not run: the Wine tier did not reach it" ;;
    *) echo "the shipped i686 setup.exe's test failed: see the Wine tier above" ;;
    esac
}

# The release as it reaches the terminal: the CE programs built and checked, started on an
# emulated ARM core, the release made from them (package.sh builds what it packs) and checked
# against its checksums, and what the cabinet installs read back. Then the release is made a
# second time from programs built a second time, in another folder, later, in another time zone
# and locale, with another umask: every file must be the same, byte for byte.
wince_tier() {
    local again=$TERMINAL_BUILD/release-again
    "$here/build-ce.sh" &&
        (cd "$TERMINAL_ROOT" && CE_BUILD=$TERMINAL_BUILD/wince-arm \
            /usr/bin/python3 -m unittest -v tests.wince.test_startup) &&
        "$here/package.sh" &&
        (cd "$TERMINAL_BUILD/dist" && sha256sum -c SHA256SUMS) &&
        /usr/bin/python3 "$TERMINAL_ROOT/tools/release/cab_info.py" \
            "$TERMINAL_BUILD/dist/phs-tools-1.0-wince-arm.cab" &&
        rm -rf "$again" &&
        (umask 077 && export TZ=Asia/Tokyo LC_ALL=C.UTF-8 LANG=C.UTF-8 &&
            "$here/build-ce.sh" "$again/wince-arm" &&
            TERMINAL_BUILD=$again WIN32_TARGETS=setup "$here/build.sh" win32 &&
            "$here/package.sh" --from "$again/wince-arm/bin" \
                --setup "$again/win32/bin/setup.exe" --dist "$again/dist") &&
        same_files "$TERMINAL_BUILD/dist" "$again/dist" phs-tools-1.0-wince-arm.zip \
            phs-tools-1.0-wince-arm.cab phs-tools-1.0-pc-setup.zip SHA256SUMS
}

# same_files A B NAME...: each file NAME is the same in folders A and B; cmp names the first
# byte where one differs.
same_files() {
    local first=$1 second=$2 status=0 name
    shift 2
    for name in "$@"; do
        cmp "$first/$name" "$second/$name" && echo "$name: the same in both releases" || status=1
    done
    return $status
}

# Where the CE tier's compiler is, as build-ce.sh looks for it; empty when there is none.
wince_compiler() {
    local compiler=arm-mingw32ce-g++
    [ -z "${CEGCC_ROOT:-}" ] || compiler=$CEGCC_ROOT/bin/arm-mingw32ce-g++
    command -v "$compiler" 2>/dev/null
}

printf '%s\t%s\t%s\t%s\n' "build of the programs the end-to-end tier drives" 1 0 \
    $((SECONDS - started)) >"$logs/0-build.log.summary"
tier "end-to-end runs in $lanes lanes of the simulated terminal" "$logs/6-e2e.log" \
    "$TERMINAL_ROOT/tools/terminal/lanes.sh" run "$lanes" >"$logs/e2e.out" &
e2e_job=$!
wine_job=""
if tier "build of the Win32 tests" "$logs/1-build.log" build_win32_tests; then
    # Once built, the tests under Wine, mostly waiting too, run beside the compiling tiers.
    tier "Win32 tests under Wine (and the import check)" "$logs/3-wine.log" wine_tier \
        >"$logs/wine.out" &
    wine_job=$!
fi
if tier "build of the native tests" "$logs/2-build.log" "$here/build.sh" native; then
    tier "native unit tests (sanitizers)" "$logs/2-native.log" \
        ctest --test-dir "$NATIVE_BUILD" -LE e2e --output-on-failure -j2
fi
tier "portability: 32-bit build, warning-free" "$logs/4-i686.log" build_i686
wince_name="Windows CE: ARM build and check, emulated start, release"
if [ -n "$(wince_compiler)" ]; then
    tier "$wince_name" "$logs/4-wince.log" wince_tier
else
    where="on PATH, and no CEGCC_ROOT"
    [ -z "${CEGCC_ROOT:-}" ] || where="in CEGCC_ROOT/bin ($CEGCC_ROOT/bin)"
    printf '%s\t%s\t%s\t%s\n' "Windows CE tier SKIPPED: no arm-mingw32ce-g++ $where" 0 0 0 \
        >"$logs/4-wince.log.summary"
fi
tier "fuzzing (bounded run of each target)" "$logs/5-fuzz.log" "$here/fuzz.sh" "${FUZZ_SECONDS:-10}"
for job in $wine_job $e2e_job; do wait "$job"; done
cat "$logs/wine.out" "$logs/e2e.out" 2>/dev/null
"$TERMINAL_ROOT/tools/terminal/lanes.sh" down "$lanes"

echo
echo "=== summary"
printf '%-60s %6s %7s %8s\n' tier count failed seconds
passed=0
failed=0
for summary in "$logs"/*.log.summary; do
    IFS=$'\t' read -r name count fails seconds <"$summary"
    printf '%-60s %6s %7s %8s\n' "$name" "$count" "$fails" "$seconds"
    passed=$((passed + count - fails))
    failed=$((failed + fails))
done
i686_setup_line
echo "wall time from the first build on: $((SECONDS - started)) s; the whole command: $SECONDS s"
echo "total: $passed passed, $failed failed"
[ $failed -eq 0 ]
