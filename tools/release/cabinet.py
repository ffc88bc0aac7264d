"""Windows CE installation cabinets: Microsoft Cabinets written and read with GNOME's gcab, whose
first member is the installation data (".000", see msce.py) and whose other members are the
files to install, named in 8.3 form with their file id as a three-digit extension, in
descending order of it, and perhaps a setup DLL (".999").
"""

import os
import re
import subprocess
import tempfile
from pathlib import Path

import msce

INSTALL_DATA_ID = 0
# The member the CAB wizard stores a setup DLL in, which the installer loads and no file entry
# installs.
SETUP_DLL_ID = 999
_MEMBER = re.compile(r"^[^.]{1,8}\.(\d{3})$")


def member_name(name, file_id):
    """The 8.3 member name for a file: its stem's first eight characters, padded on the left
    with 0, and the id as extension (0 for the installation data)."""
    stem = re.sub(r"[^A-Za-z0-9_~-]", "", Path(name).stem).upper()[:8]
    return f"{stem.rjust(8, '0')}.{file_id:03d}"


def member_id(name):
    match = _MEMBER.match(name)
    return int(match.group(1)) if match else None


def write(path, members, mtime):
    """A cabinet at path of members ((name, bytes), in cabinet order), each with the time stamp
    mtime (seconds since the epoch, UTC), uncompressed as installation cabinets usually are.
    Written beside path, then moved into place."""
    partial = path.with_suffix(".partial")
    with tempfile.TemporaryDirectory() as folder:
        names = []
        for name, data in members:
            staged = Path(folder) / name
            staged.write_bytes(data)
            os.utime(staged, (mtime, mtime))
            names.append(name)
        subprocess.run(["gcab", "--create", "--nopath", str(partial.resolve()), *names],
                       cwd=folder, env=dict(os.environ, TZ="UTC"), check=True,
                       capture_output=True)
    os.replace(partial, path)


def read(path):
    """[(member name, bytes)] of the cabinet at path, in cabinet order; msce.MsceError when gcab
    can't read it."""
    with tempfile.TemporaryDirectory() as folder:
        listed = subprocess.run(["gcab", "--list", str(path)], capture_output=True, text=True)
        extracted = subprocess.run(["gcab", "--extract", "--nopath", "--directory", folder,
                                    str(Path(path).resolve())], capture_output=True, text=True)
        for run in (listed, extracted):
            if run.returncode:
                raise msce.MsceError(f"not a readable cabinet: {run.stderr.strip()}")
        names = listed.stdout.split()
        return [(name, (Path(folder) / name).read_bytes()) for name in names]


def check(members):
    """The installation data of a cabinet's members, checked against them: .000 first, the files
    in descending order of their ids, each installed file's id the extension of one member, and
    no member left over but a setup DLL (.999). msce.MsceError with the reason otherwise."""
    if not members or member_id(members[0][0]) != INSTALL_DATA_ID:
        raise msce.MsceError("the first member is not the installation data (.000)")
    ids = [member_id(name) for name, _ in members[1:]]
    for (name, _), file_id in zip(members[1:], ids):
        if file_id is None or file_id == INSTALL_DATA_ID:
            raise msce.MsceError(f"member {name} has no file id of 001 to 999 as extension")
    data = msce.parse(members[0][1])
    wanted = {fid for fid, _, _, _ in data.files}
    installed = [file_id for file_id in ids if not _is_setup_dll(file_id, data)]
    if installed != sorted(set(installed), reverse=True):
        raise msce.MsceError(f"members after the .000 are not in descending order: {ids}")
    missing = sorted(wanted - set(ids))
    if missing:
        raise msce.MsceError(f"file {missing[0]:03d} of the installation data has no member")
    extra = [name for name, _ in members[1:]
             if member_id(name) not in wanted and not _is_setup_dll(member_id(name), data)]
    if extra:
        raise msce.MsceError(f"member {extra[0]} is installed by no entry of the .000")
    return data


def _is_setup_dll(file_id, data):
    return file_id == SETUP_DLL_ID and all(fid != SETUP_DLL_ID for fid, _, _, _ in data.files)


def setup_dll(members, data):
    """(member name, bytes) of the setup DLL that the device's installer runs, or None."""
    return next(((name, raw) for name, raw in members[1:]
                 if _is_setup_dll(member_id(name), data)), None)
