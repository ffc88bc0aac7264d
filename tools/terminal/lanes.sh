#!/usr/bin/env bash
# lanes.sh up N | run N [CTEST ARGS] | down N: the terminal of lane 0 and of the end-to-end
# lanes 1 to N. Up: lane 0's prefix set up (created when missing, the registry re-seeded), each
# other lane's prefix copied from it when missing, and every lane's display. Run: the end-to-end
# tier, its modules side by side in lanes 1 to N. Down: each lane's wineserver and display.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=${1:-}
count=${2:-0}
case "$action" in
up)
    TERMINAL_LANE=0 "$here/setup-prefix.sh"
    TERMINAL_LANE=0 "$here/display.sh" start
    pids=()
    for lane in $(seq "$count"); do
        (
            export TERMINAL_LANE=$lane
            source "$here/env.sh"
            # A lane copied before lane 0 was updated to a newer Wine is copied again.
            main=$TERMINAL_BUILD/wineprefix
            if [ "$main/.update-timestamp" -nt "$WINEPREFIX/.update-timestamp" ]; then
                rm -rf "$WINEPREFIX"
            fi
            [ -f "$WINEPREFIX/.terminal-ready" ] || "$here/setup-prefix.sh"
            "$here/display.sh" start
        ) &
        pids+=($!)
    done
    status=0
    for pid in "${pids[@]}"; do wait "$pid" || status=1; done
    exit $status
    ;;
run)
    shift 2
    source "$here/env.sh"
    resources=$TERMINAL_BUILD/lanes.json
    ids=""
    for lane in $(seq "$count"); do ids="$ids{\"id\":\"$lane\",\"slots\":1},"; done
    echo "{\"version\":{\"major\":1,\"minor\":0},\"local\":[{\"lanes\":[${ids%,}]}]}" >"$resources"
    exec ctest --test-dir "$NATIVE_BUILD" -L e2e --output-on-failure -j"$count" \
        --resource-spec-file "$resources" "$@"
    ;;
down)
    for lane in $(seq 0 "$count"); do
        (
            export TERMINAL_LANE=$lane
            source "$here/env.sh"
            wineserver -k 2>/dev/null || true
            "$here/display.sh" stop
        )
    done
    ;;
*)
    echo "usage: $0 up N | run N [CTEST ARGS] | down N" >&2
    exit 2
    ;;
esac
