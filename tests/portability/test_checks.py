"""The portability checks must refuse what would not run on the terminal. They are tried on the
built desktop programs and on copies doctored into what a Windows CE build gives (ARM, Windows
CE GUI subsystem, COREDLL.dll only), with one fault planted at a time.

usage: python3 -m unittest tests.portability.test_checks  (WIN_BUILD names the desktop build)
"""

import os
import struct
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "portability"))
import check_imports  # noqa: E402
from check_wince_programs import wince_problems  # noqa: E402
from pe_image import PeImage  # noqa: E402

BIN = Path(os.environ.get("WIN_BUILD", ROOT / "build" / "win64")) / "bin"


def doctored(exe, machine=0x1C0, subsystem=9, keep_dll=None, resource_flip=False):
    """exe's bytes turned into a Windows CE program's look: machine and subsystem patched, every
    import descriptor pointed at one name rewritten to COREDLL.dll (but keep_dll's)."""
    image = PeImage(exe)
    data = bytearray(image.data)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    struct.pack_into("<H", data, pe + 4, machine)
    struct.pack_into("<H", data, pe + 24 + 68, subsystem)
    entry = image._offset(image.directories[1][0])
    descriptors = []
    while struct.unpack_from("<I", data, entry + 12)[0]:
        descriptors.append(entry)
        entry += 20
    names = {at: image._text(struct.unpack_from("<I", data, at + 12)[0]) for at in descriptors}
    host = next(at for at, name in names.items() if len(name) >= 11 and name != keep_dll)
    host_rva = struct.unpack_from("<I", data, host + 12)[0]
    text = image._offset(host_rva)
    data[text:text + len(names[host]) + 1] = b"COREDLL.dll".ljust(len(names[host]) + 1, b"\0")
    for at, name in names.items():
        if name != keep_dll:
            struct.pack_into("<I", data, at + 12, host_rva)
    if resource_flip:
        strings = image.resources()[(6, 1, 1041)]
        at = data.find(strings)
        data[at + 2] ^= 0xFF
    return bytes(data)


class WindowsCeCheck(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.addCleanup(self.folder.cleanup)

    def write(self, name, data):
        path = Path(self.folder.name) / name
        path.write_bytes(data)
        return path

    def test_each_fault_is_reported(self):
        desktop = BIN / "wavemeter.exe"
        cases = [
            # (what the file is, text every problem list must hold; None: no problem at all)
            ("a fit program", doctored(desktop), None),
            ("the desktop program", desktop.read_bytes(), "not ARM"),
            ("a Thumb program", doctored(desktop, machine=0x1C2), "not ARM"),
            ("a console program", doctored(desktop, subsystem=3), "not Windows CE GUI"),
            ("a desktop GUI program", doctored(desktop, subsystem=2), "not Windows CE GUI"),
            ("one desktop DLL left", doctored(desktop, keep_dll="USER32.dll"), "USER32.dll"),
            ("other resources", doctored(desktop, resource_flip=True), "resources differ"),
            ("no program at all", b"not a program", "not a PE program"),
        ]
        for what, data, expected in cases:
            with self.subTest(what):
                problems = wince_problems(self.write("wavemeter.exe", data), desktop)
                if expected is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertTrue(any(expected in p for p in problems), problems)

    def test_another_programs_resources_differ(self):
        problems = wince_problems(self.write("identview.exe", doctored(BIN / "identview.exe")),
                                  BIN / "wavemeter.exe")
        self.assertTrue(any("resources differ" in p for p in problems), problems)


class DesktopImportCheck(unittest.TestCase):
    def test_an_import_on_neither_list_is_reported(self):
        allowed = check_imports.allowed_functions()
        startup = check_imports.startup_functions()
        imports = check_imports.program_imports(BIN / "wavemeter.exe")
        self.assertEqual(check_imports.foreign_imports(imports, allowed, startup), [])
        for dropped in ("sprintf", "SetTimer", "RegQueryValueExW"):
            with self.subTest(dropped):
                self.assertEqual(
                    check_imports.foreign_imports(imports, allowed - {dropped}, startup),
                    [f"{imports[dropped]}!{dropped}"])


if __name__ == "__main__":
    unittest.main()
