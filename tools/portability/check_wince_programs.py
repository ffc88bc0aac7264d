"""Checks programs built for the terminal itself: each must be an ARM program for the Windows
CE GUI subsystem that imports from COREDLL.dll alone, and from it only the functions the
program's own code calls (OWN_CALLS), with the header a Windows CE 4.10 linker writes
(subsystem version 4.10, no address-space randomisation or no-execute flags, which the system
predates, a 64 KB stack reserve inside the process's 32 MB slot), and, when a desktop build is
given, carry exactly the desktop program's resources (dialogs, strings, bitmaps, icons,
accelerators).

usage: check_wince_programs.py CE_BIN_DIR [--resources-of DESKTOP_BIN_DIR] [PROGRAM ...]
PROGRAM defaults to the three programs. Prints what does not fit; exits 1 when anything does not.
"""

import argparse
import sys
from pathlib import Path

from pe_image import (DYNAMIC_BASE, MACHINE_ARM, NX_COMPAT, SUBSYSTEM_WINDOWS_CE_GUI, PeError,
                      imports, open_image, resources)

PROGRAMS = ["wavemeter", "identview", "portswap"]
CORE_DLL = "coredll.dll"
SUBSYSTEM_VERSION = (4, 10)
STACK_RESERVE = 64 * 1024

# The COREDLL functions each program's own code calls, as the CE compiler builds it (which calls
# some string functions that the desktop compiler inlines). Which functions a terminal's COREDLL
# exports depends on how its maker built the system image, and a program with one import the
# image lacks does not start at all: anything else, such as what a C runtime's start-up code
# calls, must not reach the programs. A change to the code that calls another function updates
# its list here.
_MODEM_SHELL = """BeginPaint CreateMutexW CreateWindowExW DefWindowProcW DestroyWindow
    DialogBoxIndirectParamW DispatchMessageW EndDialog EndPaint FindResourceW FindWindowW
    GetClientRect GetLastError GetMessageW GetParent GetStockObject GetWindowRect
    LoadAcceleratorsW LoadIconW LoadResource LoadStringW PostQuitMessage RegisterClassW
    ReleaseMutex SetForegroundWindow SetWindowPos ShowWindow TranslateAcceleratorW
    TranslateMessage UpdateWindow memset"""
_MODEM_LINK = """CloseHandle CreateFileW EscapeCommFunction GetCommState KillTimer ReadFile RegCloseKey
    RegOpenKeyExW RegQueryValueExW SetCommState SetCommTimeouts SetTimer WriteFile memcpy strlen
    strncmp wcscmp wcscpy wsprintfW"""
OWN_CALLS = {
    "wavemeter": set(f"{_MODEM_SHELL} {_MODEM_LINK} DeleteObject LoadBitmapW SendDlgItemMessageW "
                     "SendMessageW sprintf".split()),
    "identview": set(f"{_MODEM_SHELL} {_MODEM_LINK} MultiByteToWideChar SetDlgItemTextW "
                     "strcmp".split()),
    "portswap": set("""CloseHandle CreateFileW CreateSemaphoreW DeviceIoControl
        DialogBoxIndirectParamW EndDialog FindResourceW FindWindowW GetDlgItem GetWindowLongW
        GetWindowTextW LoadResource LoadStringW MessageBoxW RegCloseKey RegEnumKeyExW
        RegOpenKeyExW RegQueryValueExW RegSetValueExW ReleaseSemaphore SendMessageW
        SetForegroundWindow SetWindowLongW SetWindowTextW Sleep WaitForSingleObject
        memset""".split()),
}


def wince_problems(exe, desktop_exe=None, own_calls=None):
    """What makes exe unfit for the terminal; empty when it is fit. own_calls: the COREDLL
    functions the program may import, by default its entry in OWN_CALLS."""
    if own_calls is None:
        own_calls = OWN_CALLS.get(Path(exe).stem, set())
    try:
        image = open_image(exe)
    except (OSError, PeError) as error:
        return [str(error)]
    problems = []
    machine = image.FILE_HEADER.Machine
    if machine != MACHINE_ARM:
        problems.append(f"machine {machine:#x}, not ARM ({MACHINE_ARM:#x})")
    header = image.OPTIONAL_HEADER
    if header.Subsystem != SUBSYSTEM_WINDOWS_CE_GUI:
        problems.append(f"subsystem {header.Subsystem}, not Windows CE GUI "
                        f"({SUBSYSTEM_WINDOWS_CE_GUI})")
    version = (header.MajorSubsystemVersion, header.MinorSubsystemVersion)
    if version != SUBSYSTEM_VERSION:
        problems.append("subsystem version %d.%02d, not %d.%02d" % (version + SUBSYSTEM_VERSION))
    flags = header.DllCharacteristics & (DYNAMIC_BASE | NX_COMPAT)
    if flags:
        problems.append(f"DLL characteristics {header.DllCharacteristics:#x} carry "
                        f"DYNAMIC_BASE/NX_COMPAT ({flags:#x}), unknown to Windows CE 4.10")
    if header.SizeOfStackReserve != STACK_RESERVE:
        problems.append(f"stack reserve {header.SizeOfStackReserve} bytes, not {STACK_RESERVE}")
    imported = imports(image)
    foreign = sorted(dll for dll in imported if dll.lower() != CORE_DLL)
    if foreign:
        problems.append(f"imports from {', '.join(foreign)} besides COREDLL.dll")
    core = {name for dll, names in imported.items() if dll.lower() == CORE_DLL for name in names}
    if core - own_calls:
        problems.append(f"imports {' '.join(sorted(core - own_calls))} from COREDLL.dll, which "
                        "the program's own code does not call")
    if own_calls - core and not foreign:
        problems.append(f"does not import {' '.join(sorted(own_calls - core))}, which the "
                        "program's own code calls: its list in OWN_CALLS is out of date")
    if desktop_exe is not None:
        try:
            theirs = resources(open_image(desktop_exe))
        except (OSError, PeError) as error:
            return problems + [f"no desktop build to compare resources with: {error}"]
        ours = resources(image)
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
            functions = sum(len(names) for names in imports(open_image(exe)).values())
            print(f"{exe}: Windows CE ARM program, {functions} COREDLL imports, "
                  f"{exe.stat().st_size} bytes")
    print("Windows CE check " + ("FAILED" if failed else "passed"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
