"""Checks that the desktop build of the three programs calls no platform function beyond those
the terminal's Windows CE core services offer and the programs are meant to use
(wince_functions.txt), so nothing desktop-only creeps in. Two views:

- each program's own object files, whose calls are the program's code alone;
- each final program, whose imports may add only what MinGW's start-up code needs
  (mingw_startup_imports.txt), which the object files cannot show (a library routine pulled in
  behind the code's back, such as MinGW's own printf).

usage: check_imports.py WIN_BUILD_DIR [NM]
Prints each program's platform calls and imports; exits 1 when one is on neither list, or when
an entry of the Windows CE list is used by no program.
"""

import subprocess
import sys
from pathlib import Path

from pe_image import imports, open_image

HERE = Path(__file__).resolve().parent

# The object folders (CMake targets) whose code makes up each program.
PROGRAMS = {
    "wavemeter": ["modem_core", "wavemeter_core", "wavemeter"],
    "identview": ["modem_core", "identview_core", "identview"],
    "portswap": ["portswap_core", "portswap"],
}

# Names the MinGW headers route a standard call through.
ALIASES = {"__mingw_vsprintf": "sprintf", "__mingw_sprintf": "sprintf"}

# Called by code the compiler generates for block copies and fills: COREDLL calls on Windows CE,
# often inlined on the desktop, so never reported as unused.
COMPILER_HELPERS = {"memcpy", "memset"}


def read_list(name):
    names = set()
    for line in (HERE / name).read_text(encoding="utf-8").splitlines():
        line = line.split("#", 1)[0].strip()
        if line:
            names.add(line)
    return names


def allowed_functions():
    return read_list("wince_functions.txt")


def startup_functions():
    return read_list("mingw_startup_imports.txt")


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


def program_imports(exe):
    """{function: dll} of a final program."""
    return {function: dll for dll, functions in imports(open_image(exe)).items()
            for function in functions}


def foreign_imports(imports, allowed, startup):
    """The imports on neither list, as 'DLL!function'."""
    return sorted(f"{dll}!{name}" for name, dll in imports.items()
                  if name not in allowed and name not in startup)


def check_objects(build, nm, allowed):
    failed, used = False, set()
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
    return failed, used


def check_programs(build, allowed, startup):
    failed, used = False, set()
    for program in PROGRAMS:
        exe = build / "bin" / f"{program}.exe"
        if not exe.is_file():
            print(f"{program}.exe: not built under {build / 'bin'}")
            failed = True
            continue
        imports = program_imports(exe)
        used |= set(imports)
        extra = foreign_imports(imports, allowed, startup)
        print(f"{program}.exe: {len(imports)} imports")
        if extra:
            print(f"{program}.exe: imports on neither list: {' '.join(extra)}")
            failed = True
    return failed, used


def main():
    build = Path(sys.argv[1])
    nm = sys.argv[2] if len(sys.argv) > 2 else "x86_64-w64-mingw32-nm"
    allowed = allowed_functions()
    objects_failed, called = check_objects(build, nm, allowed)
    programs_failed, _ = check_programs(build, allowed, startup_functions())
    failed = objects_failed or programs_failed
    unused = sorted(allowed - called - COMPILER_HELPERS)
    if unused:
        print(f"listed but used by no program (keep the list tight): {' '.join(unused)}")
        failed = True
    print("portability check " + ("FAILED" if failed else "passed"))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
