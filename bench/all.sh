#!/usr/bin/env bash
# Prints every benchmark figure for the current build: executable sizes and start-to-dialog
# time against a plain dialog program; one AT exchange against its read time-out; wavemeter's
# tick against its serial floor and the CPU time of a no-card tick; identview's pass against
# its floor; portswap's survey over 10 and 200 entries. Builds first. Asserts nothing.
# The figures of a run go into docs/benchmarks.md by hand, with the machine and the date.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/../scripts/build.sh" >/dev/null
source "$here/../tools/terminal/env.sh"
"$TERMINAL_ROOT/tools/terminal/setup-prefix.sh" >/dev/null
"$TERMINAL_ROOT/tools/terminal/display.sh" start
export DISPLAY=$TERMINAL_DISPLAY
cd "$TERMINAL_ROOT"

echo "== machine: $(nproc) cores, $(uname -sr), $(wine --version), $(date -u +%Y-%m-%d)"
echo "== start-up and sizes";           python3 bench/startup_bench.py
echo "== one AT exchange";              bench/link_bench.sh
echo "== wavemeter";                    python3 bench/wavemeter_bench.py --program-seconds 60
echo "== identview";                    python3 bench/identview_bench.py --runs 3
echo "== portswap";                     python3 bench/portswap_bench.py
