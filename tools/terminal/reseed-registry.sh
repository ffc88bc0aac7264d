#!/usr/bin/env bash
# Puts HKLM\Drivers back to the seed: the state every end-to-end test starts from.
set -euo pipefail
source "$(dirname "$0")/env.sh"
wine reg delete 'HKLM\Drivers' /f >/dev/null 2>&1 || true
# `reg import`, unlike regedit, fails when it can't read the file. The seed's Windows path is
# worked out here, on drive Z: (Wine's view of /), rather than by another Wine program that can
# fail on its own.
seed=$TERMINAL_ROOT/tools/terminal/seed.reg
wine reg import "Z:${seed//\//\\}"
