#!/usr/bin/env bash
# Runs the three tools in the simulated terminal against the simulated card. With DISPLAY set
# the terminal's 240x320 screen shows as a window; without, it runs on a virtual display.
# Screenshots and an animated GIF of wavemeter land in build/show/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
had_locale=$(locale -a 2>/dev/null | grep -ci '^ja_JP\.utf-\?8$' || true)
"$here/install-deps.sh"
# A shell keeps the locales it found at its start: once the install step has generated the
# terminal's locale, the rest runs in a new one, which switches to it without a warning.
if [ "$had_locale" -eq 0 ] && [ -z "${LOCALE_GENERATED:-}" ]; then
    LOCALE_GENERATED=1 exec "$0" "$@"
fi
"$here/build.sh"
source "$here/../tools/terminal/env.sh"
"$TERMINAL_ROOT/tools/terminal/setup-prefix.sh"
if [ -n "${DISPLAY:-}" ]; then
    export TERMINAL_KEEP_DISPLAY=1
else
    "$TERMINAL_ROOT/tools/terminal/display.sh" start
    export DISPLAY=$TERMINAL_DISPLAY
fi
python3 "$TERMINAL_ROOT/tools/terminal/show.py"
