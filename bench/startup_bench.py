"""Start-to-dialog time of each tool in the simulated terminal, against a minimal Win32 dialog
program in the same prefix, and each executable's size. Prints figures; asserts nothing.

Run after scripts/build.sh: python3 bench/startup_bench.py [rounds]
"""

import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
from tests.e2e import terminal as t  # noqa: E402

PROGRAMS = [
    ("minimal_dialog", "Minimal"),
    ("wavemeter", "CFカード電波状態表示"),
    ("identview", "CFカード情報表示"),
    ("portswap", "赤外線設定ツール"),
]


def time_to_dialog(name, title):
    t.kill_tools()
    start = time.perf_counter()
    tool = t.Tool(name)
    t.probe.wait(title=title, timeout_ms=30000)
    elapsed = time.perf_counter() - start
    tool.kill()
    return elapsed * 1000


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    t.start_terminal()
    t.reseed_registry()
    results = {}
    for name, title in PROGRAMS:
        exe = t.TOOLS / f"{name}.exe"
        if not exe.exists():
            continue
        time_to_dialog(name, title)  # warm the page cache and the wineserver
        results[name] = statistics.median(time_to_dialog(name, title) for _ in range(rounds))
    base = results.get("minimal_dialog")
    print(f"{'program':<16}{'size (bytes)':>14}{'start to dialog (ms, median)':>32}{'ratio':>8}")
    for name, ms in results.items():
        size = (t.TOOLS / f"{name}.exe").stat().st_size
        ratio = f"{ms / base:.2f}" if base else "-"
        print(f"{name:<16}{size:>14}{ms:>32.0f}{ratio:>8}")
    print(f"({rounds} rounds each; the time includes starting the window probe, which polls "
          f"every few ms, in parallel with the program)")


if __name__ == "__main__":
    main()
