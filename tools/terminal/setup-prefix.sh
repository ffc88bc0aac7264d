#!/usr/bin/env bash
# Creates the simulated terminal's Wine prefix in the build tree (Japanese locale, 240x320
# virtual desktop, the card's COM port mapped to the card simulator's link) and seeds its
# registry as the device manager fills it. Re-running it re-seeds the registry.
# A lane's prefix is a copy of lane 0's, made ready first: copying takes a second where
# creating takes many. The library folders (630 MB of DLLs that Wine only reads) are shared
# through hard links; everything else, registry and .ini files among it, is the lane's own.
set -euo pipefail
here=$(dirname "$0")
source "$here/env.sh"

# A prefix made before the 32-bit Wine was installed has no 32-bit system files, and every 32-bit
# program fails in it ("could not load kernel32.dll"): where that Wine runs, such a prefix is made
# again (lanes copy lane 0's again when it is newer than theirs).
wine32=no
[ -x /usr/lib/wine/wine ] && "$TERMINAL_ROOT/scripts/runs-32bit.sh" >/dev/null && wine32=yes
lacks_32bit_files() {
    [ "$wine32" = yes ] && [ ! -f "$1/drive_c/windows/syswow64/kernel32.dll" ]
}

mkdir -p "$TERMINAL_RUN" "$TERMINAL_BUILD"
if [ -f "$WINEPREFIX/system.reg" ] && lacks_32bit_files "$WINEPREFIX"; then
    echo "making Wine prefix $WINEPREFIX again: it has no 32-bit system files"
    rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    if [ "$TERMINAL_LANE" -gt 0 ]; then
        main=$TERMINAL_BUILD/wineprefix
        # Lanes set up at the same time wait for one another here, not in lane 0's creation.
        exec 9>"$TERMINAL_BUILD/.wineprefix.lock"
        flock 9
        if [ ! -f "$main/.terminal-ready" ] || lacks_32bit_files "$main"; then
            TERMINAL_LANE=0 "$0"
        fi
        copy=$WINEPREFIX.tmp
        rm -rf "$copy"
        mkdir -p "$copy"
        shared=(drive_c/windows/system32 drive_c/windows/syswow64 drive_c/windows/winsxs)
        tar -C "$main" "${shared[@]/#/--exclude=./}" --exclude=./.terminal-ready -cf - . |
            tar -C "$copy" -xf -
        for dir in "${shared[@]}"; do
            [ -d "$main/$dir" ] && cp -al "$main/$dir" "$copy/$dir"
        done
        mv "$copy" "$WINEPREFIX"
        flock -u 9
    else
        echo "creating Wine prefix $WINEPREFIX"
        wine wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
fi

# Every program of the prefix runs inside one desktop of the terminal's screen size, so the
# window probe sees the tools and keys reach them.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 240x320 /f >/dev/null
# The card's port is a link of our own in dosdevices, not a Ports value: with a Ports value
# Wine keeps a COM3 device even while the card is out, and the open would succeed.
wine reg delete 'HKLM\Software\Wine\Ports' /v "$CARD_COM" /f >/dev/null 2>&1 || true
# Relay tracing is switched on per program by its tests; none is left on in a fresh terminal.
wine reg delete 'HKCU\Software\Wine\Debug' /v RelayInclude /f >/dev/null 2>&1 || true
"$here/link-card-port.sh"

# Caption buttons are drawn with Wine's Marlett font, which Debian's Wine keeps outside the
# prefix; without it the close button shows a letter.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" || true
fi

"$here/reseed-registry.sh"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
touch "$WINEPREFIX/.terminal-ready"
