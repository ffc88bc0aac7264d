"""Reads what the portability checks need from a PE program: its machine, its subsystem, the
functions it imports from each DLL and its resources. Works on 32- and 64-bit images, desktop
and Windows CE alike, with no tool of a particular toolchain.
"""

import struct
from pathlib import Path

MACHINE_ARM = 0x1C0
MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664
SUBSYSTEM_WINDOWS_GUI = 2
SUBSYSTEM_WINDOWS_CE_GUI = 9

_IMPORT_DIRECTORY = 1
_RESOURCE_DIRECTORY = 2


class PeError(Exception):
    """The file is not a PE image this reader understands."""


class PeImage:
    def __init__(self, path):
        self.path = Path(path)
        self.data = self.path.read_bytes()
        data = self.data
        if len(data) < 0x40 or data[:2] != b"MZ":
            raise PeError(f"{self.path}: not a PE program (no MZ header)")
        pe = self._u32(0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            raise PeError(f"{self.path}: not a PE program (no PE signature)")
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = self._u16(optional)
        if magic == 0x10B:
            self.is_64bit = False
            directories = optional + 96
        elif magic == 0x20B:
            self.is_64bit = True
            directories = optional + 112
        else:
            raise PeError(f"{self.path}: unknown optional header {magic:#x}")
        self.subsystem = self._u16(optional + 68)
        count = self._u32(directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(min(count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, vaddr, rsize, raddr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, rsize), raddr, rsize))

    def _u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def _offset(self, rva):
        for vaddr, size, raddr, rsize in self.sections:
            if vaddr <= rva < vaddr + size and rva - vaddr < rsize:
                return raddr + rva - vaddr
        raise PeError(f"{self.path}: address {rva:#x} lies in no section")

    def _text(self, rva):
        start = self._offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def _directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        """{dll name: [function names, '#ordinal' for imports by number]}."""
        rva, size = self._directory(_IMPORT_DIRECTORY)
        result = {}
        if not rva or not size:
            return result
        entry = self._offset(rva)
        thunk_size, ordinal_flag = (8, 1 << 63) if self.is_64bit else (4, 1 << 31)
        while True:
            lookup, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", self.data, entry)
            if not name_rva:
                break
            names = []
            thunk = self._offset(lookup or first_thunk)
            while True:
                value = struct.unpack_from("<Q" if self.is_64bit else "<I", self.data, thunk)[0]
                if not value:
                    break
                if value & ordinal_flag:
                    names.append(f"#{value & 0xFFFF}")
                else:
                    names.append(self._text((value & 0x7FFFFFFF) + 2))
                thunk += thunk_size
            result[self._text(name_rva)] = names
            entry += 20
        return result

    def resources(self):
        """{(type, name, language): bytes}; numbered entries as ints, named ones as text."""
        rva, _ = self._directory(_RESOURCE_DIRECTORY)
        result = {}
        if not rva:
            return result
        base = self._offset(rva)

        def walk(directory, path):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                if ident & 0x80000000:
                    at = base + (ident & 0x7FFFFFFF)
                    length = self._u16(at)
                    key = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                else:
                    key = ident
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, path + (key,))
                else:
                    data_rva, size = struct.unpack_from("<II", self.data, base + target)
                    start = self._offset(data_rva)
                    result[path + (key,)] = self.data[start:start + size]

        walk(0, ())
        return result
