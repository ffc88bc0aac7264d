"""The Windows XP check of the PC setup program must refuse what would not start there. Tried on
a small i686 program built for XP, and on copies doctored with one fault at a time.

usage: python3 -m unittest tests.portability.test_xp_check
"""

import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "portability"))
from check_xp_program import xp_problems  # noqa: E402
from pe_image import open_image  # noqa: E402

XP_LINK = "-Wl,--major-os-version,5,--minor-os-version,1,--major-subsystem-version,5," \
          "--minor-subsystem-version,1"
SOURCE = """#include <windows.h>
int WINAPI wWinMain(HINSTANCE i, HINSTANCE p, LPWSTR c, int s) {
    (void)i; (void)p; (void)c; (void)s;
    return MessageBoxW(NULL, L"", L"", MB_OK) + (int)%s;
}
"""


class XpCheck(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = Path(folder.name)

    def build(self, name, extra_call="0"):
        source = self.folder / f"{name}.c"
        source.write_text(SOURCE % extra_call)
        exe = self.folder / f"{name}.exe"
        subprocess.run(["i686-w64-mingw32-gcc", "-municode", "-mwindows", "-Os", "-s", "-static",
                        "-o", str(exe), str(source), XP_LINK], check=True)
        return exe

    def doctored(self, exe, **fields):
        image = open_image(exe)
        for name, value in fields.items():
            header = image.FILE_HEADER if name == "Machine" else image.OPTIONAL_HEADER
            setattr(header, name, value)
        path = self.folder / f"doctored-{len(list(self.folder.iterdir()))}.exe"
        path.write_bytes(image.write())
        return path

    def test_each_fault_is_reported(self):
        fit = self.build("fit")
        cases = [
            # (what the file is, text one problem must hold; None: no problem at all)
            ("a program for XP", fit, None),
            ("asks for Vista", self.doctored(fit, MajorOperatingSystemVersion=6,
                                             MinorOperatingSystemVersion=0),
             "operating system version 6.0"),
            ("subsystem 5.2", self.doctored(fit, MinorSubsystemVersion=2),
             "subsystem version 5.2"),
            ("x86-64", self.doctored(fit, Machine=0x8664), "not an i686"),
            ("a console program", self.doctored(fit, Subsystem=3), "not a Windows GUI"),
            ("a call XP lacks", self.build("vista", "GetTickCount64()"),
             "KERNEL32.dll!GetTickCount64"),
            ("no program at all", self.folder / "fit.c", "not a PE program"),
        ]
        for what, path, expected in cases:
            with self.subTest(what):
                problems = xp_problems(path)
                if expected is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertTrue(any(expected in p for p in problems), problems)


if __name__ == "__main__":
    unittest.main()
