#!/usr/bin/env python3
"""Figures for portswap: the COM port survey over Drivers\\Active with 10 and with 200 entries,
as a ratio to a bare walk of the same keys (open, the two value reads, close) timed beside it,
and the size of the executable.

Runs in the simulated terminal (tools/terminal/env.sh: TERMINAL_BUILD, WIN_BUILD, display):
builds the timing program bench/portswap_survey_bench.cpp, lets it fill HKLM\\Drivers\\Active
and time SurveyComPorts on a list dialog interleaved with the bare walk, then puts the registry
back to the seed. The ratio is the survey's own cost, which the machine's speed and load leave
about as it is; the times in milliseconds swing with the machine.

    bench/portswap_bench.py [--repeats N] [--entries N ...]
"""

import argparse
import json
import os
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
SCRIPTS = ROOT / "tools" / "terminal"


def terminal_env():
    out = subprocess.run(["bash", "-c", f'source "{SCRIPTS}/env.sh"; env -0'], check=True,
                         capture_output=True).stdout
    env = dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)
    env.setdefault("DISPLAY", env["TERMINAL_DISPLAY"])
    return env


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeats", type=int, default=50)
    parser.add_argument("--entries", type=int, nargs="+", default=[10, 200])
    args = parser.parse_args()

    env = terminal_env()
    win_build = Path(env["WIN_BUILD"])
    subprocess.run(["cmake", "--build", str(win_build), "--target", "portswap",
                    "portswap_survey_bench"], check=True, stdout=subprocess.DEVNULL)
    if not (Path(env["WINEPREFIX"]) / ".terminal-ready").exists():
        subprocess.run([str(SCRIPTS / "setup-prefix.sh")], env=env, check=True)
    subprocess.run([str(SCRIPTS / "display.sh"), "start"], env=env, check=True)
    subprocess.run(["wineserver", "-p"], env=env, check=False)

    exe = win_build / "bin" / "portswap.exe"
    print(f"portswap.exe: {exe.stat().st_size} bytes")
    minimal = win_build / "bin" / "minimal_dialog.exe"
    if minimal.exists():
        print(f"minimal_dialog.exe (a bare dialog program): {minimal.stat().st_size} bytes")

    timer = win_build / "bench" / "portswap_survey_bench.exe"
    try:
        for entries in args.entries:
            out = subprocess.run(["wine", str(timer), str(entries), str(args.repeats)], env=env,
                                 check=True, capture_output=True, timeout=600).stdout
            figures = json.loads(out.decode().strip().splitlines()[-1])
            print(f"survey over {entries} entries: {figures['ratio']:.2f} x the bare walk "
                  f"(10-90 % of the rounds: {figures['ratio_p10']:.2f} to "
                  f"{figures['ratio_p90']:.2f}; medians {figures['survey_ms']:.3f} ms against "
                  f"{figures['walk_ms']:.3f} ms, {args.repeats} interleaved rounds; first survey "
                  f"{figures['first_ms']:.3f} ms); {figures['ports_taken']} ports taken")
    finally:
        subprocess.run([str(SCRIPTS / "reseed-registry.sh")], env=env, check=False)
    return 0


if __name__ == "__main__":
    sys.exit(main())
