#!/usr/bin/env bash
# Duration of one AT exchange (32 and 64 bytes asked) against its read time-out floor, with the
# simulated card on COM3. Run after scripts/build.sh.
set -euo pipefail
source "$(dirname "$0")/../tools/terminal/env.sh"
"$TERMINAL_ROOT/tools/terminal/setup-prefix.sh" >/dev/null
"$TERMINAL_ROOT/tools/terminal/reseed-registry.sh"
"$TERMINAL_ROOT/tools/terminal/card.sh" start "$TERMINAL_RUN/bench-card.jsonl"
trap '"$TERMINAL_ROOT/tools/terminal/card.sh" stop' EXIT
wine "$WIN_BUILD/bench/exchange_bench.exe"
