"""The PC setup program under Wine, started from another folder, with a stand-in Application
Manager (test-bin/CEAppMgr.exe records its command line) registered under App Paths: started once
with the quoted .ini beside setup.exe when all is there; otherwise no program started, one message
box saying what is missing, and once it is closed the exit code that names the problem for
scripted installs.

It runs the x86-64 build, or with SETUP_BUILD=i686 the i686 build that the release ships
(build/win32), under the 32-bit Wine; that one is skipped, saying why, on a kernel that runs no
32-bit programs, and fails where such programs run but the 32-bit Wine is missing.
"""

import os
import shutil
import subprocess
import sys
import unittest
from pathlib import Path

from tests.e2e import terminal as t

sys.path.insert(0, str(t.ROOT / "tools" / "release"))
sys.path.insert(0, str(t.ROOT / "tools" / "portability"))
import pc_setup  # noqa: E402
from pe_image import open_image  # noqa: E402

KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\CEAPPMGR.EXE"
CAPTION = "PHSツール セットアップ"
CABINET = "phs-tools-1.0-wince-arm.cab"
# What each message says and no other does, and the file it names.
SAYS = {"no manager": "ActiveSync", "no ini": "読めません", "no cabinet": "ありません"}
NAMES = {"no manager": CABINET, "no ini": pc_setup.INI_NAME, "no cabinet": CABINET}
EXIT_CODES = {"no ini": 1, "no cabinet": 2, "no manager": 3}
I686 = os.environ.get("SETUP_BUILD") == "i686"
SETUP = t.BUILD / "win32" / "bin" / "setup.exe" if I686 else t.TOOLS / "setup.exe"
MACHINE = 0x14C if I686 else 0x8664  # the PE header's machine: i386 or x86-64
WINE32_LOADER = Path("/usr/lib/wine/wine")
# Sets the key's default value to its argument as REG_SZ without a terminator, through
# NtSetValueKey: Wine's RegSetValueExW and reg import add one.
UNTERMINATED_SOURCE = r"""#include <windows.h>
#include <winternl.h>
typedef LONG(NTAPI *SetValue)(HANDLE, PUNICODE_STRING, ULONG, ULONG, PVOID, ULONG);
int wmain(int argc, wchar_t **argv) {
    HKEY key;
    UNICODE_STRING name = {0, 0, NULL};
    SetValue set = (SetValue)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetValueKey");
    if (argc != 3 || RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[1], 0, NULL, 0, KEY_SET_VALUE,
                                     NULL, &key, NULL)) return 2;
    return set(key, &name, 0, REG_SZ, argv[2], lstrlenW(argv[2]) * sizeof(wchar_t)) ? 3 : 0;
}"""


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def set_value(kind, data):
    if kind == "unterminated":
        helper = t.compile_c("unterminated_value.exe", UNTERMINATED_SOURCE,
                             "x86_64-w64-mingw32-gcc", "-municode")
        t.run(["wine", str(helper), KEY.split("\\", 1)[1], data])
    elif kind is not None:
        t.run(["wine", "reg", "add", KEY, "/ve", "/t", kind, "/d", str(data), "/f"])


class SetupTest(t.TerminalTestCase):

    @classmethod
    def setUpClass(cls):
        if I686:
            check = subprocess.run([str(t.ROOT / "scripts" / "runs-32bit.sh")],
                                   capture_output=True, text=True)
            if check.returncode != 0:
                raise unittest.SkipTest(check.stdout.strip())
            if not WINE32_LOADER.exists():
                raise AssertionError(f"{check.stdout.strip()}, but wine32 is not installed "
                                     "(scripts/install-deps.sh installs it)")
        machine = open_image(SETUP).FILE_HEADER.Machine
        if machine != MACHINE:
            raise AssertionError(f"{SETUP} is for machine {machine:#x}, not {MACHINE:#x}")
        super().setUpClass()

    def setUp(self):
        super().setUp()
        self.addCleanup(t.reg_delete, KEY)
        self.folder = t.RUN_DIR / "setup-test"
        self.release, self.elsewhere, self.manager = (
            self.folder / name for name in ("release", "elsewhere", "manager"))
        self.started = self.manager / "command-lines.txt"
        self.standin = windows_path(self.manager / "CEAppMgr.exe")

    def prepare(self, kind, data, listed, cabinet):
        """Starts setup.exe beside an .ini whose CabFiles is listed (bytes: the .ini itself,
        None: no .ini) and, if cabinet, the cabinet, the key holding only a value of kind with
        data."""
        # A case that failed left its message box open: it must not pass for the next one's.
        t.kill_tools("setup.exe")
        t.reg_delete(KEY)
        shutil.rmtree(self.folder, ignore_errors=True)
        for folder in (self.release, self.elsewhere, self.manager):
            folder.mkdir(parents=True)
        shutil.copy(SETUP, self.release)
        shutil.copy(t.WIN_BUILD / "test-bin" / "CEAppMgr.exe", self.manager)
        set_value(kind, data)
        if listed is not None:
            ini = listed if isinstance(listed, bytes) else pc_setup.ini_bytes(listed)
            (self.release / pc_setup.INI_NAME).write_bytes(ini)
        if cabinet:
            (self.release / CABINET).write_bytes(b"MSCF stand-in")
        process = subprocess.Popen(["wine", str(self.release / "setup.exe")], cwd=self.elsewhere,
                                   env=t.ENV, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process

    def test_starts_the_application_manager_with_the_ini_beside_it(self):
        self.assertEqual(self.prepare("REG_SZ", self.standin, CABINET, True).wait(60), 0)
        t.wait_for("the stand-in's end", lambda: not t._our_processes(["CEAppMgr.exe"]))
        ini = windows_path(self.release / pc_setup.INI_NAME)
        self.assertEqual(self.started.read_text(encoding="utf-8").splitlines(),
                         [f'"{self.standin}" "{ini}"'])

    def test_says_what_is_missing(self):
        standin, cab = self.standin, CABINET
        cases = [
            # (what, the key's value: type and data, the .ini's CabFiles (bytes: the .ini,
            # None: no .ini), cabinet beside setup.exe, message)
            ("key absent", None, None, cab, True, "no manager"),
            ("a number", "REG_DWORD", 1, cab, True, "no manager"),
            ("empty", "REG_SZ", "", cab, True, "no manager"),
            ("unterminated", "unterminated", standin, cab, True, "no manager"),
            ("no such file", "REG_SZ", standin[:-4] + "-gone.exe", cab, True, "no manager"),
            ("not a program", "REG_SZ", windows_path(self.release / cab), cab, True,
             "no manager"),
            ("no ini", "REG_SZ", standin, None, True, "no ini"),
            ("no component", "REG_SZ", standin, b"[CEAppManager]\r\nVersion = 1.0\r\n", True,
             "no ini"),
            ("no cabinet", "REG_SZ", standin, cab, False, "no cabinet"),
            ("no cabinet listed", "REG_SZ", standin, "", True, "no cabinet"),
            ("only blanks and commas listed", "REG_SZ", standin, " , ,", True, "no cabinet"),
            ("nothing at all", None, None, None, False, "no ini"),
        ]
        for what, kind, data, listed, cabinet, message in cases:
            with self.subTest(what):
                setup = self.prepare(kind, data, listed, cabinet)
                box = t.wait_window(CAPTION, timeout_ms=30000)
                text = " ".join(c["text"] or "" for c in box["controls"]
                                if c["class"].lower() == "static")
                for said, phrase in SAYS.items():
                    self.assertEqual(phrase in text, said == message, f"{said}: {text!r}")
                if "listed" not in what:  # an empty list names no cabinet
                    self.assertIn(NAMES[message], text)
                if what == "key absent" and not I686:  # the gallery's picture: one build's
                    t.publish(t.screenshot("setup-no-app-manager"), "setup-no-app-manager")
                self.assertIsNone(setup.poll(), "ended before its message box was closed")
                t.probe.click(1, title=CAPTION)  # OK
                self.assertEqual(setup.wait(30), EXIT_CODES[message])
                self.assertFalse(self.started.exists(), "the Application Manager was started")
