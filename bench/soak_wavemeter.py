#!/usr/bin/env python3
"""Soak of wavemeter: N ticks against a card that comes, goes and misbehaves; prints figures,
asserts nothing.

The card follows a scenario (the one below, or --scenario FILE): its answers change, its replies
break in every way the simulator knows (no echo, altered echo, leftover bytes, garbage, zero
bytes, long, empty, bare OK, ERROR, silence, late and split replies), and it is pulled during a
tick and put back, over and over. At the start, every 100 ticks (--every) and at the end the
script prints wavemeter's open handles, GDI objects and windows (tools/proccounters, run in the
same prefix) and its private bytes. Wine reports no private usage for another process, so
private bytes are those Linux counts for the process (its private clean and dirty pages).

Ticks are counted from the card's transcript: each query tick sends one AT@M?, each opening of
the port starts four ticks that show the acquiring picture, and while the port is closed a tick
comes every 1200 ms. The count is close, not exact.

Run from the repository root after building the Win32 and native trees:

    python3 bench/soak_wavemeter.py [--ticks 1000] [--every 100] [--scenario FILE]

WIN_BUILD, NATIVE_BUILD and TERMINAL_BUILD choose the trees and the terminal as for the
end-to-end tests.
"""

import argparse
import json
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT))
from tests.e2e import terminal  # noqa: E402
from bench.wavemeter_bench import private_bytes  # noqa: E402

DIALOG = "CFカード電波状態表示"
PERIOD = 1.2
WARM_UP_TICKS = 4

# About a minute a round, then all of it again.
SCENARIO = """\
set mode 0
set level0 5
await command AT#Q5:0
wait 2.4s
fault noecho for 2
wait 2.4s
set level0 2
fault garbage for 2
wait 2.4s
fault long 64 for 1 only AT@M?
wait 4s
set mode 2
set level2 3
fault zero for 1
wait 2.4s
fault leftover for 2
wait 2.4s
fault badecho for 1
fault lowerecho for 1 only AT#Q5:2
wait 2.4s
fault silent for 2
wait 2.4s
set mode A
set level0 0
fault delay 1400 for 1 only AT@M?
wait 4s
fault split 10 300 for 3
wait 3s
set mode 3
fault empty for 1
wait 1.2s
fault okonly for 1
wait 1.2s
fault error for 1
wait 1.2s
# pulled while a tick waits for its reply, back a few ticks later
await command AT@M?
remove
wait 3s
insert
wait 7s
reset
loop
"""


def proccounters():
    """The counter program of the Win32 build tree (scripts/build.sh builds it)."""
    built = sorted(terminal.WIN_BUILD.rglob("proccounters.exe"))
    if not built:
        raise SystemExit(f"no proccounters.exe under {terminal.WIN_BUILD}: run scripts/build.sh")
    return built[0]


def counters(exe, tool):
    out = terminal.run(["wine", str(exe), "--class", "WAVEMETER"], check=False).stdout.decode()
    found = [json.loads(line) for line in out.splitlines() if line.startswith("{")]
    values = found[0] if found else {}
    values["private_bytes"] = private_bytes(tool.process.pid)
    return values


def transcript(card):
    """The card's events so far; a line still being written is left for the next reading."""
    events = []
    if card.transcript.exists():
        for line in card.transcript.read_text(encoding="utf-8").splitlines():
            try:
                events.append(json.loads(line))
            except ValueError:
                break
    return events


def count_ticks(events, started, now):
    """(ticks, query ticks, openings) since the tool started, from the card's transcript."""
    queries = sum(1 for e in events if e["event"] == "command" and e.get("command") == "AT@M?"
                  and e["t"] >= started)
    changes = [(e["t"], e["event"]) for e in events
               if e["event"] in ("open", "close") and e["t"] >= started]
    ticks, openings = queries, 0
    closed_since = started
    for i, (at, event) in enumerate(changes):
        if event == "open":
            openings += 1
            ticks += int((at - closed_since) / PERIOD)
            # The opening tick and three more, unless the port closed before they were over.
            until = changes[i + 1][0] if i + 1 < len(changes) else now
            ticks += min(WARM_UP_TICKS, int((until - at) / PERIOD) + 1)
            closed_since = None
        else:
            closed_since = at
    if closed_since is not None:
        ticks += int((now - closed_since) / PERIOD)
    return ticks, queries, openings


COLUMNS = ("handles", "gdi", "windows", "private_bytes", "working_set")


def print_header():
    print(f"{'ticks':>6}{'elapsed s':>11}{'queries':>9}{'openings':>10}"
          + "".join(f"{c:>15}" for c in COLUMNS), flush=True)


def print_row(ticks, elapsed, queries, openings, values):
    cells = "".join(f"{str(values.get(c)):>15}" for c in COLUMNS)
    print(f"{ticks:>6}{elapsed:>11.0f}{queries:>9}{openings:>10}{cells}", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ticks", type=int, default=1000)
    parser.add_argument("--every", type=int, default=100, help="ticks between two readings")
    parser.add_argument("--scenario", type=Path, help="cardsim scenario instead of the built-in")
    args = parser.parse_args()

    exe = proccounters()
    # Runs against the same prefix, display and card port queue up behind each other.
    terminal.hold_terminal()
    terminal.start_terminal()
    terminal.reseed_registry()
    scenario = args.scenario
    if scenario is None:
        scenario = terminal.RUN_DIR / "soak.scenario"
        scenario.write_text(SCENARIO)

    card = terminal.Card("soak-card", scenario=scenario)
    tool = terminal.Tool("wavemeter")
    try:
        terminal.probe.wait(title=DIALOG, timeout_ms=30000)
        started = tool.started
        print(f"wavemeter for {args.ticks} ticks against {scenario}", flush=True)
        print_header()
        print_row(0, time.time() - started, 0, 0, counters(exe, tool))
        # The run proper starts with the first query, after the warm-up: the objects that the
        # first drawing of the pictures creates are not counted as growth.
        deadline = time.time() + 60
        while not any(e.get("command") == "AT@M?" for e in transcript(card)):
            if time.time() > deadline or not tool.running():
                print("wavemeter never queried the card")
                return 1
            time.sleep(0.1)
        now = time.time()
        ticks, queries, openings = count_ticks(transcript(card), started, now)
        first = counters(exe, tool)
        print_row(ticks, now - started, queries, openings, first)
        next_reading = args.every
        while True:
            time.sleep(PERIOD / 2)
            if not tool.running():
                print(f"wavemeter ended with exit code {tool.process.returncode}")
                return 1
            now = time.time()
            ticks, queries, openings = count_ticks(transcript(card), started, now)
            if ticks >= next_reading or ticks >= args.ticks:
                last = counters(exe, tool)
                print_row(ticks, now - started, queries, openings, last)
                next_reading += args.every
            if ticks >= args.ticks:
                break
        print("\nchange since the first query: " + ", ".join(
            f"{c} {last[c] - first[c]:+d}" for c in COLUMNS
            if isinstance(first.get(c), int) and isinstance(last.get(c), int)))
        terminal.probe.command(2, title=DIALOG, timeout_ms=15000)
        print(f"closed with IDCANCEL: exit code {tool.wait_exit(20)}")
    finally:
        if tool.running():
            tool.process.kill()
            tool.process.wait(10)
        card.stop()
        terminal.reseed_registry()
        terminal.release_terminal()
    return 0


if __name__ == "__main__":
    sys.exit(main())
