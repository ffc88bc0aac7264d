#!/usr/bin/env python3
"""Packs the release for the terminal: the three programs and README.txt, the guide as the
terminal's text viewer reads it, once as an archive to unpack by hand, once as the installation
cabinet that the device's own installer takes (a .cab of the same name), and once as the archive
for installing from the PC: setup.exe, the Application Manager's .ini, the cabinet and README.txt
(named as the archive, with -pc-setup.zip for -wince-arm.zip or .zip).

usage: package.sh [--from BIN_DIR] [--name ZIP_NAME] [--setup SETUP_EXE] [--desktop]
                  [--dist DIR]

The programs are built for the terminal (scripts/build-ce.sh, into build/wince-arm, with its
check) unless --from names their folder, and must be Windows CE ARM programs; --desktop packs
programs of another build as they are, for a trial (e.g. --from build/win64/bin --desktop).
setup.exe is built for i686 (scripts/build.sh win32, into build/win32, checked against Windows
XP) unless --setup names another; without --desktop it must be an i686 program that starts on
Windows XP. The files go to build/dist/ unless --dist names another folder (the build folder is
TERMINAL_BUILD when set), with SHA256SUMS beside them, as sha256sum -c reads it.

The release is reproducible: the programs carry no link time, the archives' and the cabinet's
members come in a fixed order with fixed times and attributes, so the same sources give the
same bytes, whatever the folder, the clock, the time zone or the locale.
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import argparse  # noqa: E402
import calendar  # noqa: E402
import hashlib  # noqa: E402
import os  # noqa: E402
import subprocess  # noqa: E402
import zipfile  # noqa: E402
from pathlib import Path  # noqa: E402

import cabinet  # noqa: E402
import msce  # noqa: E402
import pc_setup  # noqa: E402
from desk_guide import GUIDE, desk_guide  # noqa: E402
from device_readme import (PIXELS_PER_COLUMN, SCREEN_PIXELS, readme_bytes,  # noqa: E402
                           readme_lines, widest)
from guide_source import ROOT, GuideError, read_guide  # noqa: E402

sys.path.insert(0, str(ROOT / "tools" / "portability"))
from check_wince_programs import PROGRAMS, wince_problems  # noqa: E402
from check_xp_program import xp_problems  # noqa: E402

VERSION = "1.0"
# The members' time stamp: the release date, whatever the files' own times.
RELEASE_TIME = (2026, 12, 9, 0, 0, 0)
README = "README.txt"
CHECKSUMS = "SHA256SUMS"

# What the device's installer records and where it puts the tools: \Program Files\PHS Tools,
# with one shortcut per program in the Start menu's programs folder. The installation data's
# text is in the terminal's code page (932), so the names the user sees are Japanese: the
# application name is the package's one name (the guide's title, setup.exe's caption and the
# .ini's Description give the same), which the program removal lists after the provider, as
# "端末用 PHSツール"; each shortcut is named as its program's window is titled. The installer
# creates a shortcut under the name stored for it, so that name carries the .lnk that makes the
# file a shortcut. Nothing is written to the registry, so removing the package leaves the IrDA
# port setting, the user's own, as it is.
APP_NAME = "PHSツール"
PROVIDER = "端末用"
INSTALL_FOLDER = "PHS Tools"
SHORTCUTS = {"wavemeter.exe": "PHS電波状態表示", "identview.exe": "PHS情報表示",
             "portswap.exe": "赤外線設定ツール"}
# The installation data's member keeps the 8.3 name it has always had.
INSTALL_DATA_STEM = "CARDANDI"
MIN_WINDOWS_CE = (4, 10)
PROGRAM_FILES = 1
START_MENU_PROGRAMS = 11


class Refused(Exception):
    pass


def check_programs(folder, for_terminal):
    """The programs' paths; Refused when one is missing or, for the terminal, not fit for it."""
    exes = [folder / f"{program}.exe" for program in PROGRAMS]
    missing = [exe.name for exe in exes if not exe.is_file()]
    if missing:
        raise Refused(f"no {', '.join(missing)} in {folder}: scripts/build-ce.sh builds the "
                      "programs for the terminal; --from names another folder")
    if for_terminal:
        problems = [f"{exe}: {problem}" for exe in exes for problem in wince_problems(exe)]
        if problems:
            raise Refused("\n".join(problems) + "\nthese are not programs for the terminal "
                          "(Windows CE ARM); --desktop packs other programs for a trial")
    return exes


def check_setup(path, for_release):
    """Refused when setup.exe is missing or, for a release, would not start on Windows XP."""
    if not path.is_file():
        raise Refused(f"no {path}: scripts/build.sh win32 builds it for i686; --setup names "
                      "another")
    problems = xp_problems(path) if for_release else []
    if problems:
        raise Refused("\n".join(f"{path}: {problem}" for problem in problems) +
                      "\nthe PC setup program must be the i686 build that starts on Windows XP")


def write_archive(path, members):
    """members: (name, bytes) in archive order. Written beside path, then moved into place."""
    partial = path.with_suffix(".partial")
    with zipfile.ZipFile(partial, "w") as archive:
        for name, data in members:
            info = zipfile.ZipInfo(name, date_time=RELEASE_TIME)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0  # MS-DOS attributes: a plain file
            info.external_attr = 0
            archive.writestr(info, data, compresslevel=9)
    os.replace(partial, path)


def install_members(files):
    """The cabinet's members for files ((name, bytes); programs first): the installation data,
    then the files in descending order of their ids. msce.MsceError when a name can't be
    written."""
    strings = {1: f"%CE{PROGRAM_FILES}%\\{INSTALL_FOLDER}"}
    data = msce.InstallData(APP_NAME, PROVIDER, MIN_WINDOWS_CE, strings=strings,
                            dirs={1: [1]})
    for file_id, (name, _) in enumerate(files, 1):
        data.files.append((file_id, 1, msce.FILE_OVERWRITE | msce.FILE_NO_SKIP, name))
        if name in SHORTCUTS:
            strings[len(strings) + 1] = SHORTCUTS[name] + msce.LINK_SUFFIX
            data.links.append((len(data.links) + 1, START_MENU_PROGRAMS, file_id,
                               msce.LINK_TO_FILE, [len(strings)]))
    members = [(cabinet.member_name(name, file_id), raw)
               for file_id, (name, raw) in enumerate(files, 1)]
    return [(cabinet.member_name(INSTALL_DATA_STEM, 0), msce.build(data))] + members[::-1]


def build_for_release(script, what, **env):
    """Runs a build script of scripts/, its output on stderr; the refusal when it fails."""
    command = [str(ROOT / "scripts" / script[0]), *script[1:]]
    run = subprocess.run(command, stdout=sys.stderr, env=dict(os.environ, **env))
    return [f"{what} could not be built: {' '.join(script)} failed (above)"] if run.returncode \
        else []


def main():
    build = Path(os.environ.get("TERMINAL_BUILD", ROOT / "build"))
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--from", dest="folder", type=Path,
                        help="the programs' folder (default: build them for the terminal)")
    parser.add_argument("--name")
    parser.add_argument("--setup", type=Path,
                        help="the PC setup program (default: build it for i686)")
    parser.add_argument("--desktop", action="store_true",
                        help="pack programs that are not for the terminal, for a trial")
    parser.add_argument("--dist", type=Path, default=build / "dist",
                        help="the folder the release goes to")
    args = parser.parse_args()
    name = args.name or f"phs-tools-{VERSION}-{'win32' if args.desktop else 'wince-arm'}.zip"
    dist = args.dist
    archive = dist / name
    installer = archive.with_suffix(".cab")
    pc_archive = dist / pc_setup.archive_name(name)
    # A refused run leaves none of the three files of that name behind, so no stale one gets
    # shipped.
    for path in (archive, installer, pc_archive, dist / CHECKSUMS):
        path.unlink(missing_ok=True)
    try:
        # Both builds and both checks run, so one refusal says all that is wrong.
        refusals = []
        if args.folder is None:
            args.folder = build / "wince-arm" / "bin"
            refusals += build_for_release(["build-ce.sh"], "the programs for the terminal")
        if args.setup is None:
            args.setup = build / "win32" / "bin" / "setup.exe"
            refusals += build_for_release(["build.sh", "win32"], "the PC setup program",
                                          WIN32_TARGETS="setup")
        try:
            exes = check_programs(args.folder, not args.desktop)
        except Refused as error:
            refusals.append(str(error))
        try:
            check_setup(args.setup, not args.desktop)
        except Refused as error:
            refusals.append(str(error))
        if refusals:
            raise Refused("\n".join(refusals))
        blocks = read_guide()
        if not GUIDE.is_file() or GUIDE.read_text(encoding="utf-8") != desk_guide(blocks):
            raise Refused(f"{GUIDE} does not match its source: run tools/release/desk_guide.py")
        lines = readme_lines(blocks)
        readme = readme_bytes(lines)
        files = [(exe.name, exe.read_bytes()) for exe in exes] + [(README, readme)]
        members = install_members(files)
    except (Refused, GuideError, msce.MsceError) as error:
        print(f"package: refused: {error}", file=sys.stderr)
        return 1
    dist.mkdir(parents=True, exist_ok=True)
    (dist / README).write_bytes(readme)
    write_archive(archive, files)
    cabinet.write(installer, members, calendar.timegm(RELEASE_TIME))
    write_archive(pc_archive, [(pc_setup.SETUP_NAME, args.setup.read_bytes()),
                               (pc_setup.INI_NAME, pc_setup.ini_bytes(installer.name)),
                               (installer.name, installer.read_bytes()), (README, readme)])
    sums = "".join(f"{hashlib.sha256(path.read_bytes()).hexdigest()}  {path.name}\n"
                   for path in (archive, installer, pc_archive))
    (dist / CHECKSUMS).write_text(sums, encoding="ascii", newline="\n")

    for path in (archive, pc_archive):
        with zipfile.ZipFile(path) as packed:
            for info in packed.infolist():
                print(f"  {info.filename:30} {info.file_size:7} bytes, "
                      f"{info.compress_size:7} packed")
        print(f"{path}: {path.stat().st_size} bytes")
    columns, line = widest(lines)
    print(f"{installer}: {installer.stat().st_size} bytes "
          f"(tools/release/cab_info.py {installer.name} shows what it installs)")
    print(f"{dist / CHECKSUMS}: {sums.count(chr(10))} files (sha256sum -c {CHECKSUMS} checks them)")
    print(f"{README}: {len(lines)} lines, widest {columns} columns = "
          f"{columns * PIXELS_PER_COLUMN} px of the {SCREEN_PIXELS}-px screen: {line}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
