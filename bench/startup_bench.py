"""Start-to-dialog time of each tool in the simulated terminal as a ratio to a minimal Win32
dialog program's in the same prefix, and each executable's size. Prints figures; asserts
nothing.

The four programs start in turn, round after round, so that each round's ratios compare starts
a second apart on the same machine; rounds go on until each tool's ratio has a spread (the
middle half of its rounds, against its median) narrower than 15 %, or the round limit.

Run after scripts/build.sh: python3 bench/startup_bench.py [min rounds] [max rounds]
"""

import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from tests.e2e import terminal as t  # noqa: E402

BASE = ("minimal_dialog", "Minimal")
TOOLS = [
    ("wavemeter", "CFカード電波状態表示"),
    ("identview", "CFカード情報表示"),
    ("portswap", "赤外線設定ツール"),
]
SPREAD = 0.15


def time_to_dialog(name, title):
    t.kill_tools()
    start = time.perf_counter()
    tool = t.Tool(name)
    t.probe.wait(title=title, timeout_ms=30000)
    elapsed = time.perf_counter() - start
    tool.kill()
    return elapsed * 1000


def spread(values):
    """The middle half of values, as a share of their median."""
    quartiles = statistics.quantiles(values, n=4)
    return (quartiles[2] - quartiles[0]) / statistics.median(values)


def main():
    min_rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 8
    max_rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    t.start_terminal()
    t.reseed_registry()
    programs = [BASE] + TOOLS
    for name, title in programs:
        time_to_dialog(name, title)  # warm the page cache and the wineserver
    times = {name: [] for name, _ in programs}
    ratios = {name: [] for name, _ in TOOLS}
    rounds = 0
    while rounds < max_rounds:
        # Each round starts with another program, so none always follows the same one.
        order = programs[rounds % 4:] + programs[:rounds % 4]
        measured = {name: time_to_dialog(name, title) for name, title in order}
        for name, ms in measured.items():
            times[name].append(ms)
        for name, _ in TOOLS:
            ratios[name].append(measured[name] / measured[BASE[0]])
        rounds += 1
        if rounds >= min_rounds and all(spread(r) < SPREAD for r in ratios.values()):
            break
    print(f"{'program':<16}{'size (bytes)':>14}{'ms (median)':>13}{'ratio to bare':>15}"
          f"{'spread':>8}")
    for name, _ in programs:
        size = (t.TOOLS / f"{name}.exe").stat().st_size
        ms = statistics.median(times[name])
        if name == BASE[0]:
            print(f"{name:<16}{size:>14}{ms:>13.0f}{'1.00':>15}{'':>8}")
        else:
            print(f"{name:<16}{size:>14}{ms:>13.0f}{statistics.median(ratios[name]):>15.2f}"
                  f"{spread(ratios[name]) * 100:>7.0f}%")
    print(f"({rounds} rounds of the four programs in turn; ratio: median of each round's time "
          f"over the bare dialog's; spread: the middle half of the rounds' ratios over their "
          f"median{', still above 15 % at the round limit' if rounds == max_rounds else ''}; "
          f"the time includes starting the window probe, which polls every few ms, in parallel "
          f"with the program)")


if __name__ == "__main__":
    main()
