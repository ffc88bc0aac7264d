#!/usr/bin/env bash
# card.sh start [TRANSCRIPT] [SCENARIO] | stop | ctl WORDS...
# Runs the simulated PHS card in the background behind the card's COM port, with its control
# socket at $TERMINAL_RUN/card.sock, keeping its Drivers\Active entry 05 in step.
set -euo pipefail
source "$(dirname "$0")/env.sh"
cardsim=$NATIVE_BUILD/tools/cardsim/cardsim
control=$TERMINAL_RUN/card.sock
pidfile=$TERMINAL_RUN/card.pid
mkdir -p "$TERMINAL_RUN"
case "${1:-}" in
start)
    "$0" stop
    "$(dirname "$0")/link-card-port.sh"
    args=(serve --link "$CARD_LINK" --control "$control"
          --transcript "${2:-$TERMINAL_RUN/card.jsonl}"
          --registry-entry 05 --wineprefix "$WINEPREFIX" --port-name "$CARD_COM:")
    [ -n "${3:-}" ] && args+=(--scenario "$3")
    "$cardsim" "${args[@]}" >"$TERMINAL_RUN/card.log" 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 100); do
        [ -S "$control" ] && exit 0
        sleep 0.1
    done
    echo "card simulator did not start (see $TERMINAL_RUN/card.log)" >&2
    exit 1
    ;;
stop)
    if [ -f "$pidfile" ]; then
        kill "$(cat "$pidfile")" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$(cat "$pidfile")" 2>/dev/null || break
            sleep 0.1
        done
        rm -f "$pidfile"
    fi
    ;;
ctl)
    shift
    exec "$cardsim" ctl --control "$control" "$@"
    ;;
*)
    echo "usage: $0 start [TRANSCRIPT] [SCENARIO] | stop | ctl WORDS..." >&2
    exit 2
    ;;
esac
