"""Start-to-dialog time of each tool in the simulated terminal as a ratio to a minimal Win32
dialog program's in the same prefix, and each executable's size. Prints figures; asserts
nothing.

The four programs start in turn, round after round, so that each round's ratios compare starts
a second apart on the same machine; each tool's figure is the mean of its rounds' ratios, and
rounds go on until its spread (the width of its 95 % confidence interval, against the mean) is
narrower than 15 %, or the round limit. Start-up times fall into steps of Wine's own (one
start of a program takes about 170 ms or about 215 ms, rarely in between), so a median would
jump between steps; the mean of many rounds settles. The middle half of the rounds' ratios is printed too:
how much one start differs from the next.

Run after scripts/build.sh: python3 bench/startup_bench.py [min rounds] [max rounds]
"""

import math
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


def middle_half(values):
    """The middle half of values, as a share of their median."""
    quartiles = statistics.quantiles(values, n=4)
    return (quartiles[2] - quartiles[0]) / statistics.median(values)


def spread(values):
    """The width of the 95 % confidence interval of the mean of values, as a share of the mean
    (normal approximation of the mean of many rounds)."""
    return 2 * 1.96 * statistics.stdev(values) / math.sqrt(len(values)) / statistics.mean(values)


def main():
    min_rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 8
    max_rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 60
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
          f"{'spread':>8}{'one start to the next':>23}")
    for name, _ in programs:
        size = (t.TOOLS / f"{name}.exe").stat().st_size
        ms = statistics.median(times[name])
        if name == BASE[0]:
            print(f"{name:<16}{size:>14}{ms:>13.0f}{'1.00':>15}{'':>8}")
        else:
            print(f"{name:<16}{size:>14}{ms:>13.0f}{statistics.mean(ratios[name]):>15.2f}"
                  f"{spread(ratios[name]) * 100:>7.0f}%{middle_half(ratios[name]) * 100:>22.0f}%")
    print(f"({rounds} rounds of the four programs in turn; ratio: mean of each round's time "
          f"over the bare dialog's; spread: the 95 % confidence interval of that mean over it; one "
          f"start to the next: the middle half of the rounds' ratios over their median"
          f"{', still above 15 % at the round limit' if rounds == max_rounds else ''}; "
          f"the time includes starting the window probe, which polls every few ms, in parallel "
          f"with the program)")


if __name__ == "__main__":
    main()
