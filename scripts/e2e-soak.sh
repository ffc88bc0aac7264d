#!/usr/bin/env bash
# e2e-soak.sh [-l] RUNS: runs the end-to-end tier RUNS times (default 5) in E2E_LANES lanes
# (default 3) and counts the runs that failed. With -l one core is kept busy by a competing
# process all the while, as a loaded machine would. Not part of the test command: it shows that
# the tier's waits hold whatever the timing. Each run's log is build/soak/run-N.log.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
load=false
if [ "${1:-}" = "-l" ]; then
    load=true
    shift
fi
runs=${1:-5}
lanes=${E2E_LANES:-3}
export TERMINAL_LANE=0
source "$here/../tools/terminal/env.sh"
"$here/build.sh" >/dev/null || exit 1
"$TERMINAL_ROOT/tools/terminal/lanes.sh" up "$lanes" >/dev/null || exit 1
out=$TERMINAL_BUILD/soak
mkdir -p "$out"

busy=""
if $load; then
    bash -c 'while :; do :; done' &
    busy=$!
    trap 'kill $busy 2>/dev/null' EXIT
fi

failed=0
for run in $(seq "$runs"); do
    start=$SECONDS
    if "$TERMINAL_ROOT/tools/terminal/lanes.sh" run "$lanes" >"$out/run-$run.log" 2>&1; then
        result=passed
    else
        result=FAILED
        failed=$((failed + 1))
    fi
    echo "run $run: $result in $((SECONDS - start)) s ($(grep -h 'tests failed out of' \
        "$out/run-$run.log"))"
done
"$TERMINAL_ROOT/tools/terminal/lanes.sh" down "$lanes"
echo "soak$($load && echo ' with one core kept busy'): $((runs - failed)) passed, $failed failed"
[ $failed -eq 0 ]
