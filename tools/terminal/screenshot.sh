#!/usr/bin/env bash
# screenshot.sh out.png: saves the terminal's 240x320 screen.
set -euo pipefail
source "$(dirname "$0")/env.sh"
xwd -root -silent -display "${DISPLAY:-$TERMINAL_DISPLAY}" |
    convert xwd:- -crop 240x320+0+0 +repage "$1"
