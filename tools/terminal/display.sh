#!/usr/bin/env bash
# display.sh start|stop: an Xvfb server of the terminal's size on $TERMINAL_DISPLAY.
set -euo pipefail
source "$(dirname "$0")/env.sh"
lock=/tmp/.X${TERMINAL_DISPLAY#:}-lock
case "${1:-start}" in
start)
    if [ -e "$lock" ] && kill -0 "$(tr -d ' ' <"$lock")" 2>/dev/null; then
        exit 0
    fi
    rm -f "$lock"
    Xvfb "$TERMINAL_DISPLAY" -screen 0 240x320x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 50); do
        xdpyinfo -display "$TERMINAL_DISPLAY" >/dev/null 2>&1 && exit 0
        sleep 0.1
    done
    echo "Xvfb did not start on $TERMINAL_DISPLAY" >&2
    exit 1
    ;;
stop)
    [ -e "$lock" ] && kill "$(tr -d ' ' <"$lock")" 2>/dev/null || true
    ;;
esac
