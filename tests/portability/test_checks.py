"""The portability checks must refuse what would not run on the terminal. They are tried on the
built desktop programs and on copies doctored into what a Windows CE build gives (ARM, Windows
CE GUI subsystem, COREDLL.dll only), with one fault planted at a time.

usage: python3 -m unittest tests.portability.test_checks  (WIN_BUILD names the desktop build)
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

from unicorn import UC_ARCH_X86, UC_HOOK_INTR, UC_MODE_32, Uc
from unicorn.x86_const import UC_X86_REG_EAX, UC_X86_REG_EBX

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "portability"))
import check_imports  # noqa: E402
from check_wince_programs import wince_problems  # noqa: E402
from pe_image import open_image, resources  # noqa: E402

BIN = Path(os.environ.get("WIN_BUILD", ROOT / "build" / "win64")) / "bin"
RUNS_32BIT = ROOT / "scripts" / "runs-32bit.sh"


def doctored(exe, machine=0x1C0, subsystem=9, version=(4, 10), dll_flags=0, stack=65536,
             keep_dll=None, resource_flip=False):
    """exe's bytes turned into a Windows CE program's look: machine, subsystem and header fields
    set, every import descriptor pointed at one name rewritten to COREDLL.dll (but keep_dll's)."""
    image = open_image(exe)
    image.FILE_HEADER.Machine = machine
    header = image.OPTIONAL_HEADER
    header.Subsystem = subsystem
    header.MajorSubsystemVersion, header.MinorSubsystemVersion = version
    header.DllCharacteristics = dll_flags
    header.SizeOfStackReserve = stack
    entries = [entry for entry in image.DIRECTORY_ENTRY_IMPORT
               if entry.dll.decode() != keep_dll]
    host = next(entry for entry in entries if len(entry.dll) >= 11)
    image.set_bytes_at_rva(host.struct.Name, b"COREDLL.dll".ljust(len(host.dll) + 1, b"\0"))
    for entry in entries:
        entry.struct.Name = host.struct.Name
    data = bytearray(image.write())
    if resource_flip:
        at = data.find(resources(image)[(6, 1, 1041)])
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
        # The doctored copy imports what the desktop program does: that is its own list here.
        calls = set(check_imports.program_imports(desktop))
        cases = [
            # (what the file is, text every problem list must hold; None: no problem at all)
            ("a fit program", doctored(desktop), None),
            ("the desktop program", desktop.read_bytes(), "not ARM"),
            ("a Thumb program", doctored(desktop, machine=0x1C2), "not ARM"),
            ("a console program", doctored(desktop, subsystem=3), "not Windows CE GUI"),
            ("a desktop GUI program", doctored(desktop, subsystem=2), "not Windows CE GUI"),
            ("the GNU linker's subsystem version", doctored(desktop, version=(3, 0)),
             "subsystem version 3.00, not 4.10"),
            # CE 4.10 refuses to load a program that asks for a later version of the system.
            ("a newer Windows CE's subsystem version", doctored(desktop, version=(5, 0)),
             "subsystem version 5.00, not 4.10"),
            ("a later minor version", doctored(desktop, version=(4, 20)),
             "subsystem version 4.20, not 4.10"),
            ("randomised base, no-execute", doctored(desktop, dll_flags=0x140), "0x140"),
            ("randomised base alone", doctored(desktop, dll_flags=0x40), "DYNAMIC_BASE"),
            ("a terminal-server flag is no fault", doctored(desktop, dll_flags=0x8000), None),
            ("a 2 MB stack", doctored(desktop, stack=2 << 20), "stack reserve 2097152"),
            ("one desktop DLL left", doctored(desktop, keep_dll="USER32.dll"), "USER32.dll"),
            ("other resources", doctored(desktop, resource_flip=True), "resources differ"),
            ("no program at all", b"not a program", "not a PE program"),
            ("an import its code does not call", doctored(desktop), "imports malloc from"),
            ("a call it no longer imports", doctored(desktop), "not import DeviceIoControl, which"),
        ]
        own = {"an import its code does not call": calls - {"malloc"},
               "a call it no longer imports": calls | {"DeviceIoControl"}}
        for what, data, expected in cases:
            with self.subTest(what):
                problems = wince_problems(self.write("wavemeter.exe", data), desktop,
                                          own.get(what, calls))
                if expected is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertTrue(any(expected in p for p in problems), problems)

    def test_another_programs_resources_differ(self):
        problems = wince_problems(self.write("identview.exe", doctored(BIN / "identview.exe")),
                                  BIN / "wavemeter.exe",
                                  set(check_imports.program_imports(BIN / "identview.exe")))
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


class ThirtyTwoBitCheck(unittest.TestCase):
    """The install step's 32-bit test program and the decision taken from it, which a kernel alone
    can try only one way."""

    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.program = Path(folder.name) / "exit0"
        subprocess.run([RUNS_32BIT, "--write", self.program], check=True)

    def test_the_program_exits_with_0_on_an_i386(self):
        raw = self.program.read_bytes()
        self.assertEqual(raw[:7], b"\x7fELF\x01\x01\x01")  # ELF32, little-endian, version 1
        kind, machine, _, entry, table, _, _, _, entry_size, entries = struct.unpack_from(
            "<HHIIIIIHHH", raw, 16)
        self.assertEqual((kind, machine, table, entry_size, entries), (2, 3, 52, 32, 1))
        segment, offset, address, _, size, memory, flags, _ = struct.unpack_from(
            "<8I", raw, table)
        self.assertEqual((segment, offset, size, memory, flags & 1), (1, 0, len(raw), len(raw), 1))
        # Loaded as the kernel loads it, on an emulated i386: its one system call is exit(0).
        cpu = Uc(UC_ARCH_X86, UC_MODE_32)
        cpu.mem_map(address & ~0xFFF, 0x1000)
        cpu.mem_write(address, raw)
        calls = []

        def system_call(cpu, number, _):
            calls.append((number, cpu.reg_read(UC_X86_REG_EAX), cpu.reg_read(UC_X86_REG_EBX)))
            cpu.emu_stop()
        cpu.hook_add(UC_HOOK_INTR, system_call)
        cpu.reg_write(UC_X86_REG_EBX, 7)
        cpu.emu_start(entry, address + len(raw), count=100)
        self.assertEqual(calls, [(0x80, 1, 0)])

    def test_the_decision(self):
        raw = bytearray(self.program.read_bytes())
        raw[18] = 0  # the same program for no machine: every kernel refuses it
        refused = self.program.with_name("refused")
        refused.write_bytes(raw)
        refused.chmod(0o755)
        cases = [
            # (program, exit code, line)
            ("/bin/true", 0, "this kernel runs 32-bit programs"),
            (refused, 1, "this kernel runs no 32-bit programs (Exec format error)"),
            ("/bin/false", 1, "this kernel runs no 32-bit programs (it ended with 1)"),
        ]
        for program, code, line in cases:
            with self.subTest(str(program)):
                run = subprocess.run([RUNS_32BIT, "--program", program], capture_output=True,
                                     text=True, env=dict(os.environ, LC_ALL="ja_JP.UTF-8"))
                self.assertEqual((run.returncode, run.stdout), (code, line + "\n"))


if __name__ == "__main__":
    unittest.main()
