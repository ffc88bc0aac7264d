#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds each libFuzzer target in tests/fuzz with clang (ASan, UBSan) and runs
# it for SECONDS (default 60) from its committed seed corpus; prints executions and findings.
# A finding fails the run and leaves the crashing input in build/fuzz/. A target is built again
# only when a file it was built from has changed since.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
out=${TERMINAL_BUILD:-$root/build}/fuzz
mkdir -p "$out"
status=0
for source in "$root"/tests/fuzz/*_fuzz.cpp; do
    name=$(basename "$source" _fuzz.cpp)
    # The pure files the target exercises: its own name's files in common/ and the programs.
    units=$(ls "$root"/common/"$name".cpp "$root"/*/"$name".cpp 2>/dev/null | sort -u)
    extra=$(sed -n 's|^// *fuzz-sources: *||p' "$source")
    for e in $extra; do units="$units $root/$e"; done
    # Built from the target, the program folders' sources and headers, and this script.
    changed=$(find "$0" "$source" "$root/common" "$root/wavemeter" "$root/identview" \
        "$root/portswap" -newer "$out/$name" \( -name '*.[ch]*' -o -name '*.sh' \) -print -quit \
        2>/dev/null)
    if [ -f "$out/$name" ] && [ -z "$changed" ]; then
        echo "fuzz target $name is up to date"
    else
        clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
            -I"$root" -I"$root/common" "$source" $units -o "$out/$name" || { status=1; continue; }
    fi
    corpus=$out/corpus-$name
    mkdir -p "$corpus"
    cp -n "$root/tests/fuzz/corpus/$name"/* "$corpus/" 2>/dev/null
    log=$out/$name.log
    (cd "$out" && "./$name" -max_total_time="$seconds" -print_final_stats=1 "$corpus" >"$log" 2>&1)
    result=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    if [ $result -eq 0 ]; then
        echo "fuzz $name: ${runs:-?} executions in ${seconds}s, no findings"
    else
        echo "fuzz $name: FINDING after ${runs:-?} executions (see $log)"
        tail -n 30 "$log"
        status=1
    fi
done
exit $status
