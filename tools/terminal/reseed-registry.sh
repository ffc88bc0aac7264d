#!/usr/bin/env bash
# Puts HKLM\Drivers back to the seed: the state every end-to-end test starts from.
set -euo pipefail
source "$(dirname "$0")/env.sh"
wine reg delete 'HKLM\Drivers' /f >/dev/null 2>&1 || true
wine regedit /S "$(winepath -w "$TERMINAL_ROOT/tools/terminal/seed.reg" 2>/dev/null)"
