# Environment of the simulated terminal; sourced by the scripts that build, run and test it.
# Everything lives in the build tree, never in the user's own Wine prefix.
TERMINAL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export TERMINAL_ROOT
export TERMINAL_BUILD=${TERMINAL_BUILD:-$TERMINAL_ROOT/build}
export WINEPREFIX=$TERMINAL_BUILD/wineprefix
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
# The card's COM port: a stable link that the card simulator points at its pseudo-terminal.
export TERMINAL_RUN=$TERMINAL_BUILD/terminal
export CARD_LINK=$TERMINAL_RUN/card-tty
export CARD_COM=COM3
# Display the terminal's screen is drawn on (an Xvfb server of 240x320 when none is given).
export TERMINAL_DISPLAY=${TERMINAL_DISPLAY:-:77}
export WIN_BUILD=$TERMINAL_BUILD/win64
export NATIVE_BUILD=$TERMINAL_BUILD/native
