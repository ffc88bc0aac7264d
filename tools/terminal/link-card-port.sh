#!/usr/bin/env bash
# Maps the card's COM port in the prefix to the card simulator's stable link. The link may
# dangle: while no card is in, opening the port fails as it does on the terminal.
set -euo pipefail
source "$(dirname "$0")/env.sh"
mkdir -p "$WINEPREFIX/dosdevices" "$TERMINAL_RUN"
com=$(echo "$CARD_COM" | tr 'A-Z' 'a-z')
ln -sfn "$CARD_LINK" "$WINEPREFIX/dosdevices/$com"
