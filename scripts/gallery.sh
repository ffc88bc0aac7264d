#!/usr/bin/env bash
# Regenerates the gallery of every screen: runs the end-to-end tests and the PC setup program's
# Wine test with TERMINAL_UPDATE_DOCS set (they copy their screenshots to docs/img), then writes
# docs/gallery.md and the README's overview picture. Builds first, as the test command does.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/install-deps.sh"
"$here/build.sh"
source "$here/../tools/terminal/env.sh"
"$TERMINAL_ROOT/tools/terminal/setup-prefix.sh"
"$TERMINAL_ROOT/tools/terminal/display.sh" start
export DISPLAY=$TERMINAL_DISPLAY TERMINAL_UPDATE_DOCS=1
ctest --test-dir "$NATIVE_BUILD" -L e2e -E fault_matrix --output-on-failure
# The PC setup program's message box comes from its Wine test.
ctest --test-dir "$WIN_BUILD" -R '^wine\.setup$' --output-on-failure
python3 "$TERMINAL_ROOT/tools/terminal/gallery.py"
