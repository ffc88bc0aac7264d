#!/usr/bin/env python3
"""Figures of wavemeter in the simulated terminal; prints them, asserts nothing.

- Tick duration against the serial floor: query ticks of one, two and three exchanges (mode 3;
  mode 0; mode A with the public level 0), each timed inside the process around PollSignal. The
  floor of one exchange is its read time-out, 10 ms x 32 bytes + 500 ms = 820 ms, since a reply
  shorter than 32 bytes ends the read only when the time-out runs out.
- Wall and thread CPU time of a tick without a card (the registry walk and a failed open).
- Size of wavemeter.exe (and of the plain dialog program beside it).
- Handles, GDI objects, windows and private bytes of a process running 500 ticks while the card
  comes and goes (the tick code driven fast), and of wavemeter.exe itself over a few minutes of
  its own 1200 ms ticks, read from outside by tools/proccounters and /proc.

Run from the repository root after building the Win32 and native trees:

    python3 bench/wavemeter_bench.py [--ticks 10] [--cycle-ticks 500] [--program-seconds 120]

WIN_BUILD, NATIVE_BUILD and TERMINAL_BUILD choose the trees and the terminal as for the
end-to-end tests.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT))
from tests.e2e import terminal  # noqa: E402

EXCHANGE_FLOOR_MS = 10 * 32 + 500
DIALOG = "CFカード電波状態表示"
CXX = "x86_64-w64-mingw32-g++"
WINDRES = "x86_64-w64-mingw32-windres"

# Comes and goes: 2.5 s in the slot, 1.5 s out, over and over.
COME_AND_GO = """wait 2500ms
remove
wait 1500ms
insert
loop
"""


def build(out):
    """Builds the tick driver and, if the Win32 tree lacks it, the counter program into out."""
    out.mkdir(parents=True, exist_ok=True)
    ticks = out / "wavemeter_ticks.exe"
    resources = out / "wavemeter_res.o"
    subprocess.run([WINDRES, "--codepage=65001", "-I", str(ROOT / "wavemeter"),
                    str(ROOT / "wavemeter" / "wavemeter.rc"), "-O", "coff", "-o",
                    str(resources)], check=True, cwd=ROOT / "wavemeter")
    sources = [ROOT / "bench" / "wavemeter_ticks.cpp", ROOT / "common" / "app_shell.cpp"]
    sources += [ROOT / "wavemeter" / f for f in
                ("signal_display.cpp", "signal_poller.cpp", "signal_rules.cpp",
                 "wavemeter_tool.cpp")]
    sources += [ROOT / "common" / f for f in
                ("centering.cpp", "modem_link.cpp", "modem_port.cpp", "reply_line.cpp")]
    subprocess.run([CXX, "-Os", "-fno-exceptions", "-fno-rtti", "-DUNICODE", "-D_UNICODE",
                    "-I", str(ROOT / "common"), "-I", str(ROOT / "wavemeter"), "-municode",
                    "-static", "-o", str(ticks)] + [str(s) for s in sources]
                   + [str(resources), "-lgdi32"], check=True)
    # The counter program is built with the Win32 programs (scripts/build.sh).
    counters = next(iter(sorted(terminal.WIN_BUILD.rglob("proccounters.exe"))), None)
    if counters is None:
        raise SystemExit(f"no proccounters.exe under {terminal.WIN_BUILD}: run scripts/build.sh")
    return ticks, counters


def wine(*args, **kwargs):
    return subprocess.run(["wine"] + [str(a) for a in args], env=terminal.ENV,
                          capture_output=True, **kwargs)


def json_lines(text):
    return [json.loads(line) for line in text.splitlines() if line.startswith("{")]


def private_bytes(unix_pid):
    """Private memory of a process as Linux counts it (clean and dirty private pages)."""
    total = 0
    with open(f"/proc/{unix_pid}/smaps_rollup") as f:
        for line in f:
            if line.startswith(("Private_Clean:", "Private_Dirty:")):
                total += int(line.split()[1]) * 1024
    return total


def counters_of(counters_exe, unix_pid, *selector):
    found = json_lines(wine(counters_exe, *selector, timeout=60).stdout.decode())
    values = found[0] if found else {}
    values["private_bytes"] = private_bytes(unix_pid)
    return values


def print_counters(label, columns):
    """columns: (heading, counters) in the order taken."""
    print(f"\n{label}")
    print(f"  {'counter':<14}" + "".join(f"{h:>11}" for h, _ in columns) + f"{'change':>10}")
    for key in ("handles", "gdi", "windows", "private_bytes"):
        values = [c.get(key) for _, c in columns]
        first, last = values[0], values[-1]
        change = "" if first is None or last is None else f"{last - first:+d}"
        print(f"  {key:<14}" + "".join(f"{str(v):>11}" for v in values) + f"{change:>10}")


def tick_durations(ticks_exe, count):
    card = terminal.Card("bench-card")
    try:
        print(f"\nQuery ticks ({count} each), timed around PollSignal")
        print(f"  {'exchanges':<10}{'floor ms':>10}{'mean ms':>10}{'min ms':>10}{'max ms':>10}"
              f"{'over floor':>12}")
        cases = [(1, [("mode", "3")]),
                 (2, [("mode", "0"), ("level0", "4")]),
                 (3, [("mode", "A"), ("level0", "0"), ("level2", "3")])]
        for exchanges, settings in cases:
            for field, value in settings:
                card.ctl("set", field, value)
            run = wine(ticks_exe, "query", count, timeout=600)
            walls = [r["wall_ms"] for r in json_lines(run.stdout.decode()) if "tick" in r]
            if len(walls) != count:
                print(f"  {exchanges:<10} run failed: {run.stderr.decode().strip()}")
                continue
            floor = exchanges * EXCHANGE_FLOOR_MS
            mean = statistics.mean(walls)
            print(f"  {exchanges:<10}{floor:>10}{mean:>10.1f}{min(walls):>10.1f}"
                  f"{max(walls):>10.1f}{mean - floor:>+12.1f}")

        card.ctl("remove")
        nocard = 200
        run = wine(ticks_exe, "nocard", nocard, timeout=600)
        total = [r for r in json_lines(run.stdout.decode()) if "ticks" in r]
        if total:
            t = total[0]
            print(f"\nTicks without a card ({nocard}): wall {t['wall_ms'] / nocard:.2f} ms, "
                  f"thread CPU {t['cpu_ms'] / nocard:.2f} ms per tick "
                  "(the registry work done in the wineserver is not in the thread's time)")
    finally:
        card.stop()


def cycle(ticks_exe, counters_exe, count, scenario, step=100):
    card = terminal.Card("bench-card", scenario=scenario)
    try:
        process = subprocess.Popen(["wine", str(ticks_exe), "cycle", str(count), "50", str(step)],
                                   env=terminal.ENV, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        pid = json.loads(process.stdout.readline())["pid"]
        columns = [("before", counters_of(counters_exe, process.pid, "--pid", pid))]
        summary = {}
        while summary.get("ticks") != count:
            process.stdin.write("go\n")
            process.stdin.flush()
            summary = json.loads(process.stdout.readline())
            columns.append((str(summary["ticks"]),
                            counters_of(counters_exe, process.pid, "--pid", pid)))
        process.stdin.write("end\n")
        process.stdin.flush()
        process.wait(60)
        print_counters(f"Tick driver, {count} ticks 50 ms apart, card coming and going: "
                       f"{summary['openings']} openings, {summary['query_ticks']} query ticks "
                       "(columns: ticks done)", columns)
    finally:
        card.stop()


def program(counters_exe, seconds, scenario, samples=4):
    card = terminal.Card("bench-card", scenario=scenario)
    tool = terminal.Tool("wavemeter")
    try:
        terminal.probe.wait(title=DIALOG, timeout_ms=30000)
        time.sleep(6)
        started = time.time()
        columns = [("0 s", counters_of(counters_exe, tool.process.pid, "--class", "WAVEMETER"))]
        for i in range(1, samples + 1):
            time.sleep(seconds / samples)
            columns.append((f"{round(time.time() - started)} s",
                            counters_of(counters_exe, tool.process.pid, "--class", "WAVEMETER")))
        ticks = round((time.time() - started) / 1.2)
        openings = len([e for e in card.events() if e["event"] == "open" and e["t"] >= started])
        print_counters(f"wavemeter.exe with its own 1200 ms ticks, card coming and going: about "
                       f"{ticks} ticks, {openings} openings (columns: time since the first "
                       "reading)", columns)
    finally:
        tool.kill()
        card.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ticks", type=int, default=10, help="timed query ticks per case")
    parser.add_argument("--cycle-ticks", type=int, default=500)
    parser.add_argument("--program-seconds", type=int, default=120)
    parser.add_argument("--out", type=Path, default=terminal.BUILD / "bench" / "wavemeter")
    args = parser.parse_args()

    ticks_exe, counters_exe = build(args.out)
    terminal.hold_terminal()
    terminal.start_terminal()
    terminal.kill_tools()
    terminal.reseed_registry()

    sizes = {name: (terminal.TOOLS / f"{name}.exe").stat().st_size
             for name in ("wavemeter", "minimal_dialog")
             if (terminal.TOOLS / f"{name}.exe").exists()}
    print("Executable sizes: " + ", ".join(f"{n}.exe {s} bytes ({s / 1024:.1f} KiB)"
                                          for n, s in sizes.items()))

    tick_durations(ticks_exe, args.ticks)
    with tempfile.NamedTemporaryFile("w", suffix=".scenario", delete=False) as f:
        f.write(COME_AND_GO)
    try:
        terminal.reseed_registry()
        cycle(ticks_exe, counters_exe, args.cycle_ticks, f.name)
        if args.program_seconds > 0:
            terminal.reseed_registry()
            program(counters_exe, args.program_seconds, f.name)
    finally:
        os.unlink(f.name)
        terminal.reseed_registry()
        terminal.release_terminal()


if __name__ == "__main__":
    main()
