"""The Windows XP check of the PC setup program refuses what would not start there: tried on a
small i686 program linked for XP and on copies doctored with one fault at a time.
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

SOURCE = """#include <windows.h>
int WINAPI wWinMain(HINSTANCE i, HINSTANCE p, LPWSTR c, int s) {
    return MessageBoxW(NULL, L"", L"", MB_OK) + (int)%s;
}"""


class XpCheck(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.folder = Path(folder.name)

    def build(self, name, call="0"):
        (self.folder / f"{name}.c").write_text(SOURCE % call)
        subprocess.run(["i686-w64-mingw32-gcc", "-municode", "-mwindows", "-s", "-static", "-o",
                        f"{name}.exe", f"{name}.c", "-Wl,--major-os-version,5,--minor-os-version"
                        ",1,--major-subsystem-version,5,--minor-subsystem-version,1"],
                       cwd=self.folder, check=True)
        return self.folder / f"{name}.exe"

    def doctored(self, exe, name, value):
        image = open_image(exe)
        setattr(image.FILE_HEADER if name == "Machine" else image.OPTIONAL_HEADER, name, value)
        path = self.folder / f"{name}.exe"
        path.write_bytes(image.write())
        return path

    def test_each_fault_is_reported(self):
        fit = self.build("fit")
        cases = [
            # (what the file is, text one problem holds; None: no problem at all)
            ("a program for XP", fit, None),
            ("asks for Vista", self.doctored(fit, "MajorOperatingSystemVersion", 6),
             "operating system version 6.1"),
            ("subsystem 5.2", self.doctored(fit, "MinorSubsystemVersion", 2), "subsystem version"),
            ("x86-64", self.doctored(fit, "Machine", 0x8664), "not an i686"),
            ("a console program", self.doctored(fit, "Subsystem", 3), "not a Windows GUI"),
            ("a call XP lacks", self.build("vista", "GetTickCount64()"), "!GetTickCount64"),
            ("no program at all", self.folder / "fit.c", "not a PE program"),
        ]
        for what, path, expected in cases:
            with self.subTest(what):
                problems = xp_problems(path)
                self.assertTrue(any(expected in p for p in problems) if expected else
                                problems == [], problems)


if __name__ == "__main__":
    unittest.main()
