"""Checks that each program's own object files call no platform function beyond those the
terminal's Windows CE core services offer and the programs are meant to use
(wince_functions.txt), so nothing desktop-only creeps in.

usage: check_imports.py WIN_BUILD_DIR [NM]
Prints each program's platform calls; exits 1 when one is not on the list.
"""

import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent

# The object folders (CMake targets) whose code makes up each program.
PROGRAMS = {
    "wavemeter": ["modem_core", "wavemeter_core", "wavemeter"],
    "identview": ["modem_core", "identview_core", "identview"],
    "portswap": ["portswap_core", "portswap"],
}

# Names the MinGW headers route a standard call through.
ALIASES = {"__mingw_vsprintf": "sprintf", "__mingw_sprintf": "sprintf"}


def allowed_functions():
    names = set()
    for line in (HERE / "wince_functions.txt").read_text(encoding="utf-8").splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            names.add(line)
    return names


def symbols(nm, objects, option):
    out = subprocess.run([nm, option, *map(str, objects)], capture_output=True, text=True,
                         check=True).stdout
    names = set()
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 2 and not line.endswith(":"):
            names.add(parts[-1])
    return names


def platform_calls(nm, objects):
    undefined = symbols(nm, objects, "--undefined-only")
    defined = symbols(nm, objects, "--defined-only")
    calls = set()
    for name in undefined - defined:
        name = name[len("__imp_"):] if name.startswith("__imp_") else name
        if name in defined:
            continue
        calls.add(ALIASES.get(name, name))
    return calls


def main():
    build = Path(sys.argv[1])
    nm = sys.argv[2] if len(sys.argv) > 2 else "x86_64-w64-mingw32-nm"
    allowed = allowed_functions()
    failed = False
    used = set()
    for program, targets in PROGRAMS.items():
        objects = [o for t in targets for o in build.glob(f"**/CMakeFiles/{t}.dir/**/*.obj")]
        if not objects:
            print(f"{program}: no object files found under {build}")
            failed = True
            continue
        calls = platform_calls(nm, objects)
        used |= calls
        extra = sorted(calls - allowed)
        print(f"{program}: {len(calls)} platform functions: {' '.join(sorted(calls))}")
        if extra:
            print(f"{program}: NOT on the Windows CE list: {' '.join(extra)}")
            failed = True
    unused = sorted(allowed - used)
    if unused:
        print(f"listed but used by no program (keep the list tight): {' '.join(unused)}")
        failed = True
    print("portability check " + ("FAILED" if failed else "passed"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
