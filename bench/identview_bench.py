#!/usr/bin/env python3
"""Prints how long identview's query pass takes in the simulated terminal, next to its serial
floor, and the size of the executable.

Each read asks for 64 bytes with a total time-out of 10 ms per byte plus 500 ms; a reply is
shorter than that, so every exchange lasts the whole 1140 ms and the five exchanges of a pass
at least 5700 ms. The pass is timed on the card simulator's clock, from the port's opening to
its closing (both in its transcript); "start to close" adds Wine's start of the program.

    python3 bench/identview_bench.py [--runs N]

Run from the repository root; WIN_BUILD, NATIVE_BUILD and TERMINAL_BUILD choose the trees as
for the end-to-end tests.
"""

import argparse
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from tests.e2e import terminal as t  # noqa: E402


EXCHANGES = 5
READ_TIMEOUT_MS = 10 * 64 + 500
FLOOR_MS = EXCHANGES * READ_TIMEOUT_MS


def port_times(card):
    """Monotonic times (s) of the tool's opening and closing of the port, once both happened."""
    opened = closed = None
    for event in card.events():
        if event["event"] == "open" and opened is None:
            opened = event["mono"]
        elif event["event"] == "close" and event.get("cause") == "tool":
            closed = event["mono"]
    return opened, closed


def one_pass(setup):
    """(pass ms, start-to-close ms, commands) of one start of identview."""
    t.kill_tools("identview.exe")
    t.reseed_registry()
    card = t.Card(name="identview-bench")
    try:
        for line in setup:
            card.ctl(*line)
        started = time.time()
        tool = t.Tool("identview")
        deadline = started + 60
        while True:
            opened, closed = port_times(card)
            if closed is not None:
                break
            if time.time() > deadline:
                raise RuntimeError("identview did not finish its pass")
            time.sleep(0.02)
        start_to_close = time.time() - started
        commands = len(card.commands())
        tool.kill()
        return (closed - opened) * 1000, start_to_close * 1000, commands
    finally:
        card.stop()


def report(name, setup, runs):
    passes, totals = [], []
    for _ in range(runs):
        pass_ms, total_ms, commands = one_pass(setup)
        if commands != EXCHANGES:
            raise RuntimeError(f"{name}: {commands} commands sent, {EXCHANGES} expected")
        passes.append(pass_ms)
        totals.append(total_ms)
    mean = statistics.mean(passes)
    print(f"{name}:")
    print(f"  pass (open to close)  mean {mean:7.0f} ms  min {min(passes):7.0f}  "
          f"max {max(passes):7.0f}  ({runs} runs)")
    print(f"  serial floor          {FLOOR_MS:7d} ms  ({EXCHANGES} x {READ_TIMEOUT_MS} ms)")
    print(f"  above the floor       mean {mean - FLOOR_MS:7.0f} ms  "
          f"({(mean / FLOOR_MS - 1) * 100:+.1f} %)")
    print(f"  start to close        mean {statistics.mean(totals):7.0f} ms  "
          f"min {min(totals):7.0f}  max {max(totals):7.0f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=3, help="passes per case (default 3)")
    args = parser.parse_args()

    t.hold_terminal()
    t.start_terminal()
    exe = t.TOOLS / "identview.exe"
    reference = t.TOOLS / "minimal_dialog.exe"
    print(f"identview.exe           {exe.stat().st_size:7d} bytes "
          f"({exe.stat().st_size / 1024:.1f} KiB)")
    if reference.exists():
        print(f"minimal_dialog.exe      {reference.stat().st_size:7d} bytes (a bare dialog)")
    try:
        report("card answering every row", [], args.runs)
        report("card not echoing (every row fails)", [("fault", "noecho")], args.runs)
    finally:
        t.kill_tools("identview.exe")
        t.reseed_registry()
        t.release_terminal()


if __name__ == "__main__":
    main()
