"""The installation data of a Windows CE installation cabinet: the ".000" member ("MSCE") that
tells the device's installer what to copy where, which registry values to set and which
shortcuts to make.

Layout (all integers little-endian), as Microsoft's CAB wizard writes it: a 100-byte header with
the counts and offsets of the sections, then APPNAME and PROVIDER (NUL-terminated), an optional
UNSUPPORTED list (platform names, each NUL-terminated, then an empty one), STRINGS (id, length,
text), DIRS (id, length, string ids ending in 0: in practice one string holding the whole path),
FILES (id, directory id, id again, flags, length, name), REGHIVES (id, root, 0, length, string
ids ending in 0), REGKEYS (id, hive id, substitution, type and flags, length, value name and
data) and LINKS (id, 0, base folder, target, type, length, string ids with no 0 after them).
"%CEn%" at the start of a path is one of the device's standard folders.

Text is in the ANSI code page of the PC that made the cabinet; the terminal's is 932
(Shift-JIS), so that is what is written and read here.
"""

import struct
from dataclasses import dataclass, field

SIGNATURE = b"MSCE"
HEADER_SIZE = 100
ENCODING = "cp932"
# The counted sections, in the order of their counts and offsets in the header.
SECTIONS = ("strings", "dirs", "files", "reghives", "regkeys", "links")

ANY_CPU = 0
CPU_NAMES = {103: "SH3", 104: "SH4", 386: "x86", 486: "x86", 586: "x86", 1824: "ARM720",
             2080: "ARM820", 2336: "ARM920", 2577: "StrongARM", 4000: "MIPS R4000",
             10003: "SH3", 10004: "SH3E", 10005: "SH4", 70001: "ARM7TDMI"}
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
HIVE_ROOTS = {1: "HKEY_CLASSES_ROOT", 2: "HKEY_CURRENT_USER", 3: "HKEY_LOCAL_MACHINE",
              4: "HKEY_USERS"}
# A registry value's type, in the bits of its entry's flags that carry it.
VALUE_TYPE_BITS = 0x00010001
VALUE_TYPES = {0x00000000: "REG_SZ", 0x00010000: "REG_MULTI_SZ", 0x00010001: "REG_DWORD",
               0x00000001: "REG_BINARY"}


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
    unsupported: list = field(default_factory=list)  # platform names (read only)
    hives: dict = field(default_factory=dict)  # id -> (root, [string ids]) (read only)
    keys: list = field(default_factory=list)  # (id, hive id, flags, name, value) (read only)

    @property
    def registry_entries(self):
        return len(self.hives) + len(self.keys)


def _text(text, what):
    """text in the terminal's code page, NUL-terminated."""
    if "\0" in text:
        raise MsceError(f"{what} {text!r} holds a NUL")
    try:
        raw = text.encode(ENCODING)
    except UnicodeEncodeError as error:
        raise MsceError(f"{what} {text!r}: {text[error.start]!r} has no code in code page 932, "
                        "the terminal's") from None
    # Some characters are written as a look-alike's code: the device would show another text.
    if raw.decode(ENCODING) != text:
        raise MsceError(f"{what} {text!r} would read back as {raw.decode(ENCODING)!r} in code "
                        "page 932, the terminal's")
    return raw + b"\0"


def _id_list(ids, ended, what):
    if not ids or 0 in ids:
        raise MsceError(f"{what} names the strings {ids}: none, or a 0 among them")
    return struct.pack(f"<{len(ids) + ended}H", *ids, *[0] * ended)


def build(data):
    """The .000 bytes for data (whose unsupported list, hives and keys must be empty)."""
    if data.unsupported or data.registry_entries:
        raise MsceError("no unsupported-platforms list or registry entries can be written")
    app = _text(data.app_name, "application name")
    provider = _text(data.provider, "provider")
    strings = b"".join(struct.pack("<HH", sid, len(raw)) + raw for sid, raw in
                       ((sid, _text(text, "string")) for sid, text in data.strings.items()))
    dirs = b"".join(struct.pack("<HH", did, len(raw)) + raw for did, raw in
                    ((did, _id_list(ids, 1, f"directory {did}"))
                     for did, ids in data.dirs.items()))
    files = b"".join(struct.pack("<HHHIH", fid, did, fid, flags, len(raw)) + raw for
                     fid, did, flags, raw in ((f, d, fl, _text(n, "file name"))
                                              for f, d, fl, n in data.files))
    links = b"".join(struct.pack("<HHHHHH", lid, 0, base, target, kind, len(raw)) + raw
                     for lid, base, target, kind, raw in
                     ((lid, base, target, kind, _id_list(ids, 0, f"link {lid}"))
                      for lid, base, target, kind, ids in data.links))
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

    def decode(self, raw, at, what):
        try:
            return raw.decode(ENCODING)
        except UnicodeDecodeError as error:
            bad = raw[error.start:error.start + 2].hex(" ")
            raise MsceError(f"{what} at {at} is not code page 932 text (the terminal's): bytes "
                            f"{bad} at {at + error.start} are no character of it") from None

    def text(self, at, length, what):
        raw = bytes(self.unpack(f"{length}s", at, what)[0]) if length else b""
        if not raw or raw[-1:] != b"\0" or b"\0" in raw[:-1]:
            raise MsceError(f"{what} at {at} is not one NUL-terminated string of {length} bytes")
        return self.decode(raw[:-1], at, what)

    def texts(self, at, length, what):
        """A list of NUL-terminated strings ended by an empty one (or by the data's end)."""
        raw = bytes(self.unpack(f"{length}s", at, what)[0]) if length else b""
        if raw[-1:] != b"\0":
            raise MsceError(f"{what} at {at}: its {length} bytes do not end in a NUL")
        parts = raw[:-1].split(b"\0")
        if parts[-1:] == [b""]:
            parts.pop()
        if b"" in parts:
            raise MsceError(f"{what} at {at}: an empty string inside the list")
        return [self.decode(part, at, what) for part in parts]

    def ids(self, at, length, what, ended):
        """The string ids of a list: ended in 0 (directories, hives) or not (links)."""
        if length < 2 or length % 2:
            raise MsceError(f"{what}: an id list of {length} bytes")
        ids = list(self.unpack(f"<{length // 2}H", at, what))
        if ended:
            if ids[-1] != 0 or 0 in ids[:-1]:
                raise MsceError(f"{what}: its id list {ids} does not end in its only 0")
            return ids[:-1]
        if 0 in ids:
            raise MsceError(f"{what}: its id list {ids} holds a 0; a link's list is its string "
                            "ids alone")
        return ids


def _value(reader, flags, data, at, what):
    """A registry value's data as its type reads it."""
    kind = VALUE_TYPES[flags & VALUE_TYPE_BITS]
    if kind == "REG_DWORD":
        if len(data) != 4:
            raise MsceError(f"{what}: a REG_DWORD of {len(data)} bytes")
        return struct.unpack("<I", data)[0]
    if kind == "REG_SZ":
        return reader.text(at, len(data), what)
    if kind == "REG_MULTI_SZ":
        return reader.texts(at, len(data), what)
    return data


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
    app_at, app_len, provider_at, provider_len, unsupported_at, unsupported_len = fields[24:30]
    if signature != SIGNATURE:
        raise MsceError(f"signature {signature!r}, not {SIGNATURE!r}")
    if length != len(raw):
        raise MsceError(f"the header gives a length of {length} bytes, the file has {len(raw)}")
    data = InstallData(reader.text(app_at, app_len, "APPNAME"),
                       reader.text(provider_at, provider_len, "PROVIDER"),
                       (min_major, min_minor), (max_major, max_minor), architecture)
    reader.spans += [(app_at, app_at + app_len, "APPNAME"),
                     (provider_at, provider_at + provider_len, "PROVIDER")]
    if unsupported_len:
        data.unsupported = reader.texts(unsupported_at, unsupported_len, "UNSUPPORTED")
        reader.spans.append((unsupported_at, unsupported_at + unsupported_len, "UNSUPPORTED"))

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
        data.dirs[did] = reader.ids(at + 4, size, what, ended=True)
        return at + 4 + size

    def file(at, what):
        fid, did, _, flags, size = reader.unpack("<HHHIH", at, what)
        data.files.append((fid, did, flags, reader.text(at + 12, size, what)))
        return at + 12 + size

    def hive(at, what):
        hid, root, _, size = reader.unpack("<HHHH", at, what)
        data.hives[hid] = (root, reader.ids(at + 8, size, what, ended=True))
        return at + 8 + size

    def key(at, what):
        kid, hid, _, flags, size = reader.unpack("<HHHIH", at, what)
        name_and_data = bytes(reader.unpack(f"{size}s", at + 12, what)[0])
        name_end = name_and_data.find(b"\0") + 1
        if not name_end:
            raise MsceError(f"{what}: its value name has no NUL")
        name = reader.text(at + 12, name_end, what)
        value = _value(reader, flags, name_and_data[name_end:], at + 12 + name_end, what)
        data.keys.append((kid, hid, flags, name, value))
        return at + 12 + size

    def link(at, what):
        lid, _, base, target, kind, size = reader.unpack("<HHHHHH", at, what)
        data.links.append((lid, base, target, kind, reader.ids(at + 12, size, what,
                                                                ended=False)))
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
    for hid, (root, ids) in data.hives.items():
        if root not in HIVE_ROOTS:
            raise MsceError(f"registry hive {hid} has root {root}, none of 1 to 4")
        _defined(data, ids, f"registry hive {hid}")
    for kid, hid, _, name, _ in data.keys:
        if hid not in data.hives:
            raise MsceError(f"registry value {kid} ({name}) is in hive {hid}, which is not "
                            "defined")
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


def registry_path(data, hive_id):
    root, ids = data.hives[hive_id]
    return "\\".join([HIVE_ROOTS[root]] + [data.strings[sid] for sid in ids])
