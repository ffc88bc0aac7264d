#!/usr/bin/env python3
"""Checks that a desktop program starts on Windows XP: a 32-bit x86 GUI program whose header asks
for no later Windows than XP (operating system and subsystem version 5.1 or lower) and which
imports only functions that XP's own system DLLs export (xp_imports.txt, DLL!function pairs).

usage: check_xp_program.py PROGRAM.exe...
Prints each program's imports; exits 1 with the reasons when one fails.
"""

import sys

import pefile

from check_imports import read_list
from pe_image import PeError, imports, open_image

MACHINE_I386 = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]
SUBSYSTEM_WINDOWS_GUI = pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]
WINDOWS_XP = (5, 1)


def allowed_imports():
    """{(dll in lower case, function)} of xp_imports.txt."""
    return {(dll.lower(), function)
            for dll, function in (pair.split("!") for pair in read_list("xp_imports.txt"))}


def xp_problems(path):
    """The reasons the program would not start on Windows XP; [] when it would."""
    try:
        image = open_image(path)
    except PeError as error:
        return [str(error)]
    header = image.OPTIONAL_HEADER
    problems = []
    if image.FILE_HEADER.Machine != MACHINE_I386:
        problems.append(f"not an i686 (x86) program: machine {image.FILE_HEADER.Machine:#x}")
    if header.Subsystem != SUBSYSTEM_WINDOWS_GUI:
        problems.append(f"not a Windows GUI program: subsystem {header.Subsystem}")
    for what, version in (
            ("operating system", (header.MajorOperatingSystemVersion,
                                  header.MinorOperatingSystemVersion)),
            ("subsystem", (header.MajorSubsystemVersion, header.MinorSubsystemVersion))):
        if version > WINDOWS_XP:
            problems.append(f"{what} version {version[0]}.{version[1]} is later than XP's 5.1")
    allowed = allowed_imports()
    for dll, functions in imports(image).items():
        for function in functions:
            if (dll.lower(), function) not in allowed:
                problems.append(f"imports {dll}!{function}, not on XP's list (xp_imports.txt)")
    return problems


def main(paths):
    failed = False
    for path in paths:
        listed = ", ".join(f"{dll}!{function}" for dll, functions in
                           imports(open_image(path)).items() for function in functions)
        print(f"{path}: imports {listed}")
        for problem in xp_problems(path):
            print(f"{path}: {problem}")
            failed = True
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
