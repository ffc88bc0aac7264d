"""The installation data of a Windows CE installation cabinet: the ".000" member ("MSCE") that
tells the device's installer what to copy where and which shortcuts to make.

Layout (all integers little-endian): a 100-byte header with the counts and offsets of the
sections, then APPNAME and PROVIDER (NUL-terminated ASCII), STRINGS (id, length, text), DIRS
(id, length, list of string ids ending in 0), FILES (id, directory id, id again, flags, length,
name), REGHIVES, REGKEYS and LINKS (id, 0, base directory, target, type, length, list of string
ids ending in 0). A directory or link is the strings of its list joined by backslashes; "%CEn%"
at its start is one of the device's standard folders.
"""

import struct
from dataclasses import dataclass, field

SIGNATURE = b"MSCE"
HEADER_SIZE = 100
# The counted sections, in the order of their counts and offsets in the header.
SECTIONS = ("strings", "dirs", "files", "reghives", "regkeys", "links")

ANY_CPU = 0
FILE_NO_SKIP = 0x00000002  # a file that can't be copied fails the installation
FILE_OVERWRITE = 0x40000000  # always replace the installed copy, whatever its date
LINK_TO_FILE = 1
# The installer creates a link under the name stored for it: without this extension the device
# gets a plain file, not a shortcut the Start menu can launch.
LINK_SUFFIX = ".lnk"

# The device's standard folders that the installer resolves (as on a handheld PC).
CE_FOLDERS = {1: r"\Program Files", 2: r"\Windows", 3: r"\Windows\Desktop",
              4: r"\Windows\StartUp", 5: r"\My Documents", 11: r"\Windows\Programs"}
CE_FOLDER_NAMES = {1: "the programs folder", 11: "the Start menu's programs folder"}


class MsceError(Exception):
    """Installation data that does not follow the format, with the reason."""


@dataclass
class InstallData:
    app_name: str
    provider: str
    min_version: tuple = (0, 0)  # (major, minor); (0, 0): no lower bound
    max_version: tuple = (0, 0)
    architecture: int = ANY_CPU
    strings: dict = field(default_factory=dict)  # id -> text
    dirs: dict = field(default_factory=dict)  # id -> [string ids]
    files: list = field(default_factory=list)  # (file id, dir id, flags, name)
    links: list = field(default_factory=list)  # (link id, base dir, target id, type, [ids])
    registry_entries: int = 0  # hives plus keys


def _ascii(text, what):
    try:
        return text.encode("ascii") + b"\0"
    except UnicodeEncodeError:
        raise MsceError(f"{what} {text!r} is not ASCII") from None


def _id_list(ids):
    return struct.pack(f"<{len(ids) + 1}H", *ids, 0)


def build(data):
    """The .000 bytes for data (whose registry_entries must be 0: no hives or keys)."""
    app = _ascii(data.app_name, "application name")
    provider = _ascii(data.provider, "provider")
    strings = b"".join(struct.pack("<HH", sid, len(raw)) + raw for sid, raw in
                       ((sid, _ascii(text, "string")) for sid, text in data.strings.items()))
    dirs = b"".join(struct.pack("<HH", did, 2 * len(ids) + 2) + _id_list(ids)
                    for did, ids in data.dirs.items())
    files = b"".join(struct.pack("<HHHIH", fid, did, fid, flags, len(raw)) + raw for
                     fid, did, flags, raw in ((f, d, fl, _ascii(n, "file name"))
                                              for f, d, fl, n in data.files))
    links = b"".join(struct.pack("<HHHHHH", lid, 0, base, target, kind, 2 * len(ids) + 2) +
                     _id_list(ids) for lid, base, target, kind, ids in data.links)
    body, offsets = b"", {}
    for name, part in (("app", app), ("provider", provider), ("strings", strings),
                       ("dirs", dirs), ("files", files), ("reghives", b""), ("regkeys", b""),
                       ("links", links)):
        offsets[name] = HEADER_SIZE + len(body)
        body += part
    counts = [len(data.strings), len(data.dirs), len(data.files), 0, 0, len(data.links)]
    header = struct.pack("<4sIIIII", SIGNATURE, 0, HEADER_SIZE + len(body), 0, 1,
                         data.architecture)
    header += struct.pack("<6I", *data.min_version, *data.max_version, 0, 0)
    header += struct.pack("<6H", *counts)
    header += struct.pack("<6I", *(offsets[name] for name in SECTIONS))
    header += struct.pack("<8H", offsets["app"], len(app), offsets["provider"], len(provider),
                          0, 0, 0, 0)
    assert len(header) == HEADER_SIZE
    return header + body


class _Reader:
    def __init__(self, raw):
        self.raw = raw
        self.spans = []  # (start, end, what) of every part read, to find overlaps

    def unpack(self, fmt, at, what):
        size = struct.calcsize(fmt)
        if at < HEADER_SIZE:
            raise MsceError(f"{what} at {at} lies inside the header")
        if at + size > len(self.raw):
            raise MsceError(f"{what} at {at} runs past the end of the {len(self.raw)} bytes")
        return struct.unpack_from(fmt, self.raw, at)

    def text(self, at, length, what):
        raw = bytes(self.unpack(f"{length}s", at, what)[0]) if length else b""
        if not raw or raw[-1:] != b"\0" or b"\0" in raw[:-1]:
            raise MsceError(f"{what} at {at} is not one NUL-terminated string of {length} bytes")
        try:
            return raw[:-1].decode("ascii")
        except UnicodeDecodeError:
            raise MsceError(f"{what} at {at} is not ASCII") from None

    def ids(self, at, length, what):
        if length < 2 or length % 2:
            raise MsceError(f"{what}: an id list of {length} bytes")
        ids = list(self.unpack(f"<{length // 2}H", at, what))
        if ids[-1] != 0 or 0 in ids[:-1]:
            raise MsceError(f"{what}: its id list {ids} does not end in its only 0")
        return ids[:-1]


def parse(raw):
    """The InstallData of .000 bytes; MsceError with the reason when they are malformed."""
    reader = _Reader(raw)
    if len(raw) < HEADER_SIZE:
        raise MsceError(f"{len(raw)} bytes, shorter than the {HEADER_SIZE}-byte header")
    fields = struct.unpack_from("<4sIIIII6I6H6I8H", raw)
    signature, _, length, _, _, architecture = fields[:6]
    min_major, min_minor, max_major, max_minor = fields[6:10]
    counts = dict(zip(SECTIONS, fields[12:18]))
    offsets = dict(zip(SECTIONS, fields[18:24]))
    app_at, app_len, provider_at, provider_len = fields[24:28]
    if signature != SIGNATURE:
        raise MsceError(f"signature {signature!r}, not {SIGNATURE!r}")
    if length != len(raw):
        raise MsceError(f"the header gives a length of {length} bytes, the file has {len(raw)}")
    data = InstallData(reader.text(app_at, app_len, "APPNAME"),
                       reader.text(provider_at, provider_len, "PROVIDER"),
                       (min_major, min_minor), (max_major, max_minor), architecture)
    reader.spans += [(app_at, app_at + app_len, "APPNAME"),
                     (provider_at, provider_at + provider_len, "PROVIDER")]

    def entries(section, read):
        at = offsets[section]
        for number in range(counts[section]):
            at = read(at, f"{section.upper()} entry {number + 1}")
        if counts[section]:
            reader.spans.append((offsets[section], at, section.upper()))

    def string(at, what):
        sid, size = reader.unpack("<HH", at, what)
        data.strings[sid] = reader.text(at + 4, size, what)
        return at + 4 + size

    def directory(at, what):
        did, size = reader.unpack("<HH", at, what)
        data.dirs[did] = reader.ids(at + 4, size, what)
        return at + 4 + size

    def file(at, what):
        fid, did, _, flags, size = reader.unpack("<HHHIH", at, what)
        data.files.append((fid, did, flags, reader.text(at + 12, size, what)))
        return at + 12 + size

    def hive(at, what):
        _, _, _, size = reader.unpack("<HHHH", at, what)
        reader.ids(at + 8, size, what)
        data.registry_entries += 1
        return at + 8 + size

    def key(at, what):
        _, _, _, _, size = reader.unpack("<HHHIH", at, what)
        reader.unpack(f"{size}s", at + 12, what)
        data.registry_entries += 1
        return at + 12 + size

    def link(at, what):
        lid, _, base, target, kind, size = reader.unpack("<HHHHHH", at, what)
        data.links.append((lid, base, target, kind, reader.ids(at + 12, size, what)))
        return at + 12 + size

    for section, read in zip(SECTIONS, (string, directory, file, hive, key, link)):
        entries(section, read)
    spans = sorted(reader.spans)
    for (_, end, first), (start, _, second) in zip(spans, spans[1:]):
        if start < end:
            raise MsceError(f"{first} and {second} overlap")
    _check_references(data)
    return data


def _check_references(data):
    for did, ids in data.dirs.items():
        _defined(data, ids, f"directory {did}")
    for fid, did, _, name in data.files:
        if did not in data.dirs:
            raise MsceError(f"file {fid} ({name}) goes to directory {did}, which is not defined")
    file_ids = {fid for fid, _, _, _ in data.files}
    if len(file_ids) != len(data.files):
        raise MsceError("two files have the same id")
    for lid, base, target, kind, ids in data.links:
        _defined(data, ids, f"link {lid}")
        name = path(data, ids)
        if not name.lower().endswith(LINK_SUFFIX):
            raise MsceError(f"link {lid} is named {name!r}, without the {LINK_SUFFIX} that makes "
                            "it a shortcut: the device would create a plain file")
        if kind == LINK_TO_FILE and target not in file_ids:
            raise MsceError(f"link {lid} points at file {target}, which is not defined")
        if kind != LINK_TO_FILE and target and target not in data.dirs:
            raise MsceError(f"link {lid} points at directory {target}, which is not defined")
        if not 0 <= base <= 17:
            raise MsceError(f"link {lid} is stored in %CE{base}%, which is no standard folder")


def _defined(data, ids, what):
    missing = [sid for sid in ids if sid not in data.strings]
    if missing:
        raise MsceError(f"{what} uses string {missing[0]}, which is not defined")


def path(data, ids):
    return "\\".join(data.strings[sid] for sid in ids)
