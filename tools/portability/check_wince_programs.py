"""Checks programs built for the terminal itself: each must be an ARM program for the Windows
CE GUI subsystem that imports from COREDLL.dll alone, and, when a desktop build is given, carry
exactly the desktop program's resources (dialogs, strings, bitmaps, icons, accelerators).

usage: check_wince_programs.py CE_BIN_DIR [--resources-of DESKTOP_BIN_DIR] [PROGRAM ...]
PROGRAM defaults to the three programs. Prints what does not fit; exits 1 when anything does not.
"""

import argparse
import sys
from pathlib import Path

from pe_image import MACHINE_ARM, SUBSYSTEM_WINDOWS_CE_GUI, PeError, PeImage

PROGRAMS = ["wavemeter", "identview", "portswap"]
CORE_DLL = "coredll.dll"


def wince_problems(exe, desktop_exe=None):
    """What makes exe unfit for the terminal; empty when it is fit."""
    try:
        image = PeImage(exe)
    except (OSError, PeError) as error:
        return [str(error)]
    problems = []
    if image.machine != MACHINE_ARM:
        problems.append(f"machine {image.machine:#x}, not ARM ({MACHINE_ARM:#x})")
    if image.subsystem != SUBSYSTEM_WINDOWS_CE_GUI:
        problems.append(f"subsystem {image.subsystem}, not Windows CE GUI "
                        f"({SUBSYSTEM_WINDOWS_CE_GUI})")
    foreign = sorted(dll for dll in image.imports() if dll.lower() != CORE_DLL)
    if foreign:
        problems.append(f"imports from {', '.join(foreign)} besides COREDLL.dll")
    if desktop_exe is not None:
        try:
            theirs = PeImage(desktop_exe).resources()
        except (OSError, PeError) as error:
            return problems + [f"no desktop build to compare resources with: {error}"]
        ours = image.resources()
        differing = sorted(str(key) for key in set(ours) | set(theirs)
                           if ours.get(key) != theirs.get(key))
        if differing:
            problems.append(f"resources differ from {desktop_exe}: {' '.join(differing)}")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("bin", type=Path)
    parser.add_argument("--resources-of", type=Path, metavar="DESKTOP_BIN_DIR")
    parser.add_argument("programs", nargs="*", default=PROGRAMS)
    args = parser.parse_args()
    failed = False
    for program in args.programs:
        exe = args.bin / f"{program}.exe"
        desktop = args.resources_of / f"{program}.exe" if args.resources_of else None
        problems = wince_problems(exe, desktop)
        if problems:
            failed = True
            for problem in problems:
                print(f"{exe}: {problem}")
        else:
            image = PeImage(exe)
            functions = sum(len(names) for names in image.imports().values())
            print(f"{exe}: Windows CE ARM program, {functions} COREDLL imports, "
                  f"{image.path.stat().st_size} bytes")
    print("Windows CE check " + ("FAILED" if failed else "passed"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
