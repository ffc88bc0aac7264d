"""Shows the three tools in the simulated terminal against the simulated card.

With a display (DISPLAY set) the terminal's 240x320 screen appears as a window on it; without
one, everything runs on a virtual display. Either way screenshots of every screen and an
animated GIF of wavemeter going through its pictures are written to build/show/.
"""

import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2]))
from tests.e2e import terminal as t  # noqa: E402
from tests.e2e.test_portswap import screenshot as portswap_screenshot  # noqa: E402

OUT = t.BUILD / "show"
SIGNAL = "CFカード電波状態表示"
IDENTITY = "CFカード情報表示"
PORTSWAP = "赤外線設定ツール"


def shot(name):
    path = t.screenshot(f"show-{name}")
    target = OUT / f"{name}.png"
    shutil.copyfile(path, target)
    return target


def show_wavemeter(card):
    wavemeter = t.Tool("wavemeter")
    t.wait_window(SIGNAL)
    frames = []
    # Warm-up, then the scenario walks the card through its states, one poll each.
    for i in range(26):
        time.sleep(1.2)
        frames.append(shot(f"wavemeter-{i:02d}"))
    t.probe.command(2, title=SIGNAL)
    wavemeter.wait_exit(20)
    subprocess.run(["convert", "-delay", "60", "-loop", "0", *map(str, frames),
                    str(OUT / "wavemeter.gif")], check=False)


def show_identview():
    identview = t.Tool("identview")
    t.wait_window(IDENTITY)
    time.sleep(8)
    shot("identview")
    t.probe.command(2, title=IDENTITY)
    identview.wait_exit(20)


def show_portswap():
    portswap = t.Tool("portswap")
    t.wait_window(PORTSWAP)
    time.sleep(1)
    shot("portswap-list")
    t.probe.click(1, title=PORTSWAP)
    time.sleep(1.5)
    # The change dialog lies exactly over the list dialog, which Wine under Xvfb draws black
    # unless the covered window is moved aside for the picture.
    shutil.copyfile(portswap_screenshot("change"), OUT / "portswap-change.png")
    t.probe.keys("esc", title=PORTSWAP)
    time.sleep(1)
    t.probe.command(2, title=PORTSWAP)
    portswap.wait_exit(20)


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    t.start_terminal()
    t.kill_tools()
    t.reseed_registry()
    # wavemeter with the card going through its states; identview and portswap with the card
    # inserted and answering as it does by default (its identity in Japanese, its modem on
    # COM3), not caught by the demo pulling it.
    card = t.Card("show", scenario=t.ROOT / "tools" / "terminal" / "demo.scenario")
    try:
        show_wavemeter(card)
    finally:
        card.stop()
        t.kill_tools()
    t.reseed_registry()
    card = t.Card("show-inserted")
    try:
        status = card.ctl("status")
        if "card=inserted" not in status.splitlines():
            raise RuntimeError(f"the card is not in: {status}")
        show_identview()
        show_portswap()
    finally:
        card.stop()
        t.kill_tools()
    print(f"screenshots and wavemeter.gif in {OUT}")


if __name__ == "__main__":
    main()
