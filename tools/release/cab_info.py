#!/usr/bin/env python3
"""Prints what a Windows CE installation cabinet installs, in plain words: each file with its
full target path and size, a setup DLL, each shortcut with its folder and target, each registry
value, the Windows CE versions, the CPU and the platforms it is not for. Exits 1 with the
reason when the cabinet or its installation data is malformed.

usage: cab_info.py CAB
"""

import sys

sys.dont_write_bytecode = True  # keep the source folder free of __pycache__

import cabinet  # noqa: E402
import msce  # noqa: E402


def folder(data, dir_id):
    """A directory of the installation data, '%CEn%' spelt out as the device names it."""
    return spell(msce.path(data, data.dirs[dir_id]))


def spell(text):
    for number, where in msce.CE_FOLDERS.items():
        code = f"%CE{number}%"
        if text.startswith(code):
            return where + text[len(code):]
    return text


def version(pair, none):
    return none if pair == (0, 0) else f"{pair[0]}.{pair[1]:02d}"


def cpu(architecture):
    if architecture == msce.ANY_CPU:
        return "any CPU"
    name = msce.CPU_NAMES.get(architecture)
    return f"CPU type {architecture}" + (f", {name}" if name else "")


def registry_value(flags, value):
    kind = msce.VALUE_TYPES[flags & msce.VALUE_TYPE_BITS]
    shown = {"REG_SZ": lambda: f'"{value}"', "REG_DWORD": lambda: f"{value} (0x{value:x})",
             "REG_MULTI_SZ": lambda: ", ".join(f'"{text}"' for text in value),
             "REG_BINARY": lambda: value.hex(" ") or "(empty)"}[kind]()
    return f"{shown} ({kind})"


def plan(members, data):
    """The lines that describe the installation."""
    sizes = {cabinet.member_id(name): (name, len(raw)) for name, raw in members[1:]}
    lines = [f"application: {data.app_name}", f"provider:    {data.provider}",
             f"for:         Windows CE {version(data.min_version, 'any')} to "
             f"{version(data.max_version, 'any later')}, {cpu(data.architecture)} "
             f"(architecture {data.architecture})"]
    if data.unsupported:
        lines.append(f"not for:     {', '.join(data.unsupported)}")
    lines.append(f"files ({len(data.files)}):")
    for fid, did, flags, name in data.files:
        member, size = sizes[fid]
        how = "replaces an installed copy" if flags & msce.FILE_OVERWRITE else \
            "keeps a newer installed copy"
        lines.append(f"  {folder(data, did)}\\{name}  {size} bytes  ({member}; {how})")
    dll = cabinet.setup_dll(members, data)
    if dll:
        lines.append(f"setup DLL:   {dll[0]}  {len(dll[1])} bytes  (run by the device's installer "
                     "before and after it installs and removes)")
    lines.append(f"shortcuts ({len(data.links)}):")
    files = {fid: (did, name) for fid, did, _, name in data.files}
    for _, base, target, kind, ids in data.links:
        known = msce.CE_FOLDER_NAMES.get(base) or msce.CE_FOLDERS.get(base)
        where = f"{known} (%CE{base}%)" if known else f"%CE{base}%" if base else \
            "the install folder"
        if kind == msce.LINK_TO_FILE:
            did, name = files[target]
            points = f"{folder(data, did)}\\{name}"
        else:
            points = folder(data, target) if target else "the install folder"
        lines.append(f"  {msce.path(data, ids)} in {where} -> {points}")
    lines.append(f"registry values ({len(data.keys)}):" if data.keys else "registry values: none")
    for _, hive, flags, name, value in data.keys:
        lines.append(f"  {msce.registry_path(data, hive)}: {name or '(default)'} = "
                     f"{registry_value(flags, value)}")
    for hive in sorted(set(data.hives) - {hive for _, hive, _, _, _ in data.keys}):
        lines.append(f"  {msce.registry_path(data, hive)}: the key alone")
    return lines


def main():
    # Names are printed as text; a console that can't show a character gets its escape.
    sys.stdout.reconfigure(errors="backslashreplace")
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    try:
        members = cabinet.read(sys.argv[1])
        data = cabinet.check(members)
    except (OSError, msce.MsceError) as error:
        print(f"{sys.argv[1]}: malformed: {error}", file=sys.stderr)
        return 1
    print(f"{sys.argv[1]}: {len(members)} members: {' '.join(name for name, _ in members)}")
    print("\n".join(plan(members, data)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
