#!/usr/bin/env python3
"""Prints what a Windows CE installation cabinet installs, in plain words: each file with its
full target path and size, each shortcut with its folder and target, the Windows CE versions
and the CPU it is for. Exits 1 with the reason when the cabinet or its installation data is
malformed.

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


def plan(members, data):
    """The lines that describe the installation."""
    sizes = {cabinet.member_id(name): (name, len(raw)) for name, raw in members[1:]}
    cpu = "any CPU" if data.architecture == msce.ANY_CPU else f"CPU type {data.architecture}"
    lines = [f"application: {data.app_name}", f"provider:    {data.provider}",
             f"for:         Windows CE {version(data.min_version, 'any')} to "
             f"{version(data.max_version, 'any later')}, {cpu} "
             f"(architecture {data.architecture})",
             f"files ({len(data.files)}):"]
    for fid, did, flags, name in data.files:
        member, size = sizes[fid]
        how = "replaces an installed copy" if flags & msce.FILE_OVERWRITE else \
            "keeps a newer installed copy"
        lines.append(f"  {folder(data, did)}\\{name}  {size} bytes  ({member}; {how})")
    lines.append(f"shortcuts ({len(data.links)}):")
    files = {fid: (did, name) for fid, did, _, name in data.files}
    for _, base, target, kind, ids in data.links:
        where = msce.CE_FOLDER_NAMES.get(base, f"%CE{base}%" if base else "the install folder")
        if kind == msce.LINK_TO_FILE:
            did, name = files[target]
            points = f"{folder(data, did)}\\{name}"
        else:
            points = folder(data, target) if target else "the install folder"
        lines.append(f"  {msce.path(data, ids)} in {where} (%CE{base}%) -> {points}")
    lines.append(f"registry entries: {data.registry_entries or 'none'}")
    return lines


def main():
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
