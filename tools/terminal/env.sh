# Environment of the simulated terminal; sourced by the scripts that build, run and test it.
# Everything lives in the build tree, never in the user's own Wine prefix.
TERMINAL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export TERMINAL_ROOT
export TERMINAL_BUILD=${TERMINAL_BUILD:-$TERMINAL_ROOT/build}
# Lane 0 is the terminal of the build tree. End-to-end lanes 1, 2, … are terminals of their own,
# side by side: each has its own prefix (copied from lane 0's), run directory (card link, control
# socket, transcripts) and display, the base display's number plus the lane's.
export TERMINAL_LANE=${TERMINAL_LANE:-0}
if [ "$TERMINAL_LANE" -gt 0 ]; then
    lane_dir=$TERMINAL_BUILD/lanes/$TERMINAL_LANE
    export WINEPREFIX=$lane_dir/wineprefix
    export TERMINAL_RUN=$lane_dir/terminal
else
    export WINEPREFIX=$TERMINAL_BUILD/wineprefix
    export TERMINAL_RUN=$TERMINAL_BUILD/terminal
fi
export WINEARCH=win64
# wine is the terminal's own (tools/terminal/bin/wine), which starts every program with Wine's
# 64-bit loader whether or not the 32-bit Wine is installed and can run.
case ":$PATH:" in
*":$TERMINAL_ROOT/tools/terminal/bin:"*) ;;
*) export PATH=$TERMINAL_ROOT/tools/terminal/bin:$PATH ;;
esac
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# The card's COM port: a stable link that the card simulator points at its pseudo-terminal.
export CARD_LINK=$TERMINAL_RUN/card-tty
export CARD_COM=COM3
# Display the terminal's screen is drawn on (an Xvfb server of 240x320 when none is given).
export TERMINAL_DISPLAY_BASE=${TERMINAL_DISPLAY_BASE:-${TERMINAL_DISPLAY:-:77}}
export TERMINAL_DISPLAY=:$((${TERMINAL_DISPLAY_BASE#:} + TERMINAL_LANE))
export WIN_BUILD=$TERMINAL_BUILD/win64
export NATIVE_BUILD=$TERMINAL_BUILD/native
