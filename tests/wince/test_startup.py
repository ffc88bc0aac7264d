"""The Windows CE programs started on an emulated ARM core (Debian's unicorn): the system's call
of the entry point, with WinMain's arguments, reaches the program's own code with them, and the
value the program ends with is WinMain's result. COREDLL is a table of stand-ins that record
each call; every call goes to a function the program imports, so nothing else runs first.

usage: python3 -m unittest tests.wince.test_startup  (CE_BUILD names the Windows CE build)
"""

import os
import struct
import sys
import unittest
from pathlib import Path

from unicorn import UC_ARCH_ARM, UC_HOOK_CODE, UC_MODE_ARM, Uc
from unicorn.arm_const import (UC_ARM_REG_LR, UC_ARM_REG_PC, UC_ARM_REG_R0, UC_ARM_REG_R1,
                               UC_ARM_REG_R2, UC_ARM_REG_R3, UC_ARM_REG_SP)

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "portability"))
from pe_image import open_image  # noqa: E402

BIN = Path(os.environ.get("CE_BUILD", ROOT / "build" / "wince-arm")) / "bin"

STUBS = 0x70000000  # one 4-byte stand-in per imported function
RETURN = 0x7F000000  # where the entry point returns to: the system taking the exit code
STACK, STACK_SIZE = 0x00F00000, 0x10000
TEXT = 0x00E00000  # the command line
BX_LR = struct.pack("<I", 0xE12FFF1E)
SW_SHOW = 5
ERROR_ALREADY_EXISTS = 183


class Terminal:
    """One start of a program: its image mapped, its imports pointed at recording stand-ins."""

    def __init__(self, exe, answers):
        image = open_image(exe)
        self.base = image.OPTIONAL_HEADER.ImageBase
        self.entry = self.base + image.OPTIONAL_HEADER.AddressOfEntryPoint
        self.uc = Uc(UC_ARCH_ARM, UC_MODE_ARM)
        size = (image.OPTIONAL_HEADER.SizeOfImage + 0xFFF) & ~0xFFF
        self.uc.mem_map(self.base, size)
        self.uc.mem_write(self.base, image.get_memory_mapped_image()[:size])
        self.names = []
        for entry in image.DIRECTORY_ENTRY_IMPORT:
            for function in entry.imports:
                self.uc.mem_write(function.address, struct.pack("<I", STUBS + 4 *
                                                                len(self.names)))
                self.names.append(function.name.decode())
        self.uc.mem_map(STUBS, 0x10000)
        self.uc.mem_write(STUBS, BX_LR * len(self.names))
        self.uc.mem_map(RETURN, 0x1000)
        self.uc.mem_write(RETURN, BX_LR)
        self.uc.mem_map(STACK, STACK_SIZE)
        self.uc.mem_map(TEXT, 0x1000)
        self.answers = answers
        self.calls = []  # (function, [r0, r1, r2, r3])
        self.uc.hook_add(UC_HOOK_CODE, self.call, begin=STUBS, end=STUBS + 0xFFFF)

    def call(self, uc, address, _size, _data):
        name = self.names[(address - STUBS) // 4]
        args = [uc.reg_read(r) for r in (UC_ARM_REG_R0, UC_ARM_REG_R1, UC_ARM_REG_R2,
                                         UC_ARM_REG_R3)]
        self.calls.append((name, args))
        result = 0
        if name == "memset":
            uc.mem_write(args[0], bytes([args[1] & 0xFF]) * args[2])
            result = args[0]
        elif name == "memcpy":
            uc.mem_write(args[0], bytes(uc.mem_read(args[1], args[2])))
            result = args[0]
        elif name in self.answers:
            result = self.answers[name](uc, args)
        uc.reg_write(UC_ARM_REG_R0, result & 0xFFFFFFFF)

    def start(self, command_line, show):
        """Calls the entry point as Windows CE does; the value it ends the program with."""
        self.uc.mem_write(TEXT, (command_line + "\0").encode("utf-16-le"))
        for register, value in ((UC_ARM_REG_R0, self.base), (UC_ARM_REG_R1, 0),
                                (UC_ARM_REG_R2, TEXT), (UC_ARM_REG_R3, show),
                                (UC_ARM_REG_SP, STACK + STACK_SIZE - 64),
                                (UC_ARM_REG_LR, RETURN)):
            self.uc.reg_write(register, value)
        self.uc.emu_start(self.entry, RETURN, count=2_000_000)
        assert self.uc.reg_read(UC_ARM_REG_PC) == RETURN, "the program did not return"
        return self.uc.reg_read(UC_ARM_REG_R0)

    def args_of(self, name):
        return [args for called, args in self.calls if called == name]


def message_loop_ending_with(code):
    """GetMessageW's stand-in: WM_QUIT at once, carrying code as the exit code."""
    def get_message(uc, args):
        uc.mem_write(args[0] + 8, struct.pack("<I", code))
        return 0
    return get_message


class Startup(unittest.TestCase):
    def test_each_program_starts_and_ends_as_the_system_expects(self):
        window = 0x5150
        modem_tool = {"CreateMutexW": lambda uc, a: 0x44, "CreateWindowExW": lambda uc, a: window,
                      "GetMessageW": message_loop_ending_with(0x2A)}
        second_copy = {"CreateMutexW": lambda uc, a: 0x44,
                       "GetLastError": lambda uc, a: ERROR_ALREADY_EXISTS,
                       "FindWindowW": lambda uc, a: window}
        cases = [
            # (program, stand-ins' answers, first call, exit code, call whose first argument is
            #  the instance handle, show command given to ShowWindow or None)
            ("wavemeter", modem_tool, "CreateMutexW", 0x2A, "LoadStringW", SW_SHOW),
            ("identview", modem_tool, "CreateMutexW", 0x2A, "LoadStringW", 3),
            ("wavemeter", second_copy, "CreateMutexW", 0, "LoadStringW", None),
            ("portswap", {"CreateSemaphoreW": lambda uc, a: 0x48}, "CreateSemaphoreW", 0,
             "FindResourceW", None),
        ]
        for program, answers, first, code, with_instance, show in cases:
            with self.subTest(program=program, answers=sorted(answers)):
                terminal = Terminal(BIN / f"{program}.exe", answers)
                self.assertEqual(terminal.start("", show or SW_SHOW), code)
                self.assertEqual(terminal.calls[0][0], first)
                instances = {args[0] for args in terminal.args_of(with_instance)}
                self.assertEqual(instances, {terminal.base})
                if show is not None:
                    self.assertEqual([args[0:2] for args in terminal.args_of("ShowWindow")],
                                     [[window, show]])
                if answers is second_copy:
                    raised = [args[0] for args in terminal.args_of("SetForegroundWindow")]
                    self.assertEqual(raised, [window])
                    self.assertEqual(terminal.args_of("CreateWindowExW"), [])


if __name__ == "__main__":
    unittest.main()
