#!/usr/bin/env bash
# Creates the simulated terminal's Wine prefix in the build tree (Japanese locale, 240x320
# virtual desktop, the card's COM port mapped to the card simulator's link) and seeds its
# registry as the device manager fills it. Re-running it re-seeds the registry.
set -euo pipefail
source "$(dirname "$0")/env.sh"

mkdir -p "$TERMINAL_RUN"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "creating Wine prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi

# Every program of the prefix runs inside one desktop of the terminal's screen size, so the
# window probe sees the tools and keys reach them.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 240x320 /f >/dev/null
# The card's port is a link of our own in dosdevices, not a Ports value: with a Ports value
# Wine keeps a COM3 device even while the card is out, and the open would succeed.
wine reg delete 'HKLM\Software\Wine\Ports' /v "$CARD_COM" /f >/dev/null 2>&1 || true
"$(dirname "$0")/link-card-port.sh"

# Caption buttons are drawn with Wine's Marlett font, which Debian's Wine keeps outside the
# prefix; without it the close button shows a letter.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || true
fi

"$(dirname "$0")/reseed-registry.sh"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
touch "$WINEPREFIX/.terminal-ready"
