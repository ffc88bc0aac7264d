#!/usr/bin/env bash
# Puts HKLM\Drivers back to the seed: the state every end-to-end test starts from.
set -euo pipefail
source "$(dirname "$0")/env.sh"
# One `reg import` clears HKLM\Drivers (the seed's first section) and writes the seed, and its exit
# code covers both; unlike regedit it fails when it can't read the file. The seed's Windows path
# is worked out here, on drive Z: (Wine's view of /), not by another Wine program.
seed=$TERMINAL_ROOT/tools/terminal/seed.reg
# Now and then, right after a test has killed its programs, `wine reg` ends with 1 and prints
# nothing: the import is tried again, and every failed try is reported.
said=$(mktemp)
trap 'rm -f "$said"' EXIT
for attempt in 1 2 3; do
    if wine reg import "Z:${seed//\//\\}" >"$said" 2>&1; then
        exit 0
    fi
    echo "reseed-registry.sh: try $attempt of reg import failed: $(cat "$said")" >&2
    sleep 0.5
done
exit 1
