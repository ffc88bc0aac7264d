"""The PC setup program (the x86-64 build of setup.exe) under Wine, started from another folder,
with a stand-in Application Manager (test-bin/CEAppMgr.exe, which records its command line)
registered under App Paths: started once with the quoted .ini beside setup.exe when all is
there; otherwise no program started, one message box saying what is missing, and a non-zero
exit code once it is closed.

Runs in lane 0's terminal; the App Paths key is removed before and after each case.
"""

import shutil
import subprocess
import sys
import unittest

from tests.e2e import terminal as t

sys.path.insert(0, str(t.ROOT / "tools" / "release"))
import pc_setup  # noqa: E402

KEY = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\CEAPPMGR.EXE"
CAPTION = "PHSツール セットアップ"
CABINET = "phs-tools-1.0-wince-arm.cab"
IDOK = 1
# What each message must say, and no other does, and the file it names.
SAYS = {"no manager": "ActiveSync", "no ini": "読めません", "no cabinet": "ありません"}
NAMES = {"no manager": CABINET, "no ini": pc_setup.INI_NAME, "no cabinet": CABINET}


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


# Writes the key's default value as REG_SZ of its argument without a terminator. Through
# NtSetValueKey: Wine's RegSetValueExW and reg import add one to string data.
UNTERMINATED_SOURCE = r"""
#include <windows.h>
#include <winternl.h>
typedef LONG(NTAPI *SetValue)(HANDLE, PUNICODE_STRING, ULONG, ULONG, PVOID, ULONG);
int wmain(int argc, wchar_t **argv) {
    HKEY key;
    UNICODE_STRING name = {0, 0, NULL};
    SetValue set = (SetValue)GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetValueKey");
    if (argc != 3 || RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[1], 0, NULL, 0, KEY_SET_VALUE,
                                     NULL, &key, NULL) != ERROR_SUCCESS) {
        return 2;
    }
    return set(key, &name, 0, REG_SZ, argv[2], lstrlenW(argv[2]) * sizeof(wchar_t)) ? 3 : 0;
}
"""


def set_unterminated(path):
    helper = t.compile_c("unterminated_value.exe", UNTERMINATED_SOURCE,
                         "x86_64-w64-mingw32-gcc", "-municode")
    t.run(["wine", str(helper), KEY.split("\\", 1)[1], path])


def set_default(data, kind="REG_SZ"):
    t.run(["wine", "reg", "add", KEY, "/ve", "/t", kind, "/d", str(data), "/f"])


class SetupTest(t.TerminalTestCase):

    def setUp(self):
        super().setUp()
        self.addCleanup(t.reg_delete, KEY)
        self.fresh()

    def fresh(self):
        """No key; setup.exe alone in its folder, the stand-in in another."""
        t.reg_delete(KEY)
        self.folder = t.RUN_DIR / "setup-test"
        shutil.rmtree(self.folder, ignore_errors=True)
        self.release, self.elsewhere, self.manager = (
            self.folder / name for name in ("release", "elsewhere", "manager"))
        for folder in (self.release, self.elsewhere, self.manager):
            folder.mkdir(parents=True)
        shutil.copy(t.TOOLS / "setup.exe", self.release)
        shutil.copy(t.WIN_BUILD / "test-bin" / "CEAppMgr.exe", self.manager)
        self.started = self.manager / "command-lines.txt"

    def prepare(self, value, files):
        """value: how the key's default value names the stand-in; files: what lies beside
        setup.exe."""
        standin = windows_path(self.manager / "CEAppMgr.exe")
        if value == "valid":
            set_default(standin)
        elif value == "number":
            set_default(1, "REG_DWORD")
        elif value == "empty":
            set_default("")
        elif value == "unterminated":
            set_unterminated(standin)
        elif value == "no such file":
            set_default(windows_path(self.manager / "Missing.exe"))
        if "ini" in files:
            (self.release / pc_setup.INI_NAME).write_bytes(pc_setup.ini_bytes(CABINET))
        if "cabinet" in files:
            (self.release / CABINET).write_bytes(b"MSCF stand-in")

    def start_setup(self):
        process = subprocess.Popen(["wine", str(self.release / "setup.exe")], cwd=self.elsewhere,
                                   env=t.ENV, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process

    def test_starts_the_application_manager_with_the_ini_beside_it(self):
        self.prepare("valid", ["ini", "cabinet"])
        self.assertEqual(self.start_setup().wait(60), 0)
        t.wait_for("the stand-in's end", lambda: not t._our_processes(["CEAppMgr.exe"]))
        expected = (f'"{windows_path(self.manager / "CEAppMgr.exe")}" '
                    f'"{windows_path(self.release / pc_setup.INI_NAME)}"')
        self.assertEqual(self.started.read_text(encoding="utf-8").splitlines(), [expected])

    def test_says_what_is_missing(self):
        cases = [
            # (what, the key's value, files beside setup.exe, message)
            ("key absent", None, ["ini", "cabinet"], "no manager"),
            ("a number", "number", ["ini", "cabinet"], "no manager"),
            ("empty", "empty", ["ini", "cabinet"], "no manager"),
            ("unterminated", "unterminated", ["ini", "cabinet"], "no manager"),
            ("no such file", "no such file", ["ini", "cabinet"], "no manager"),
            ("no ini", "valid", ["cabinet"], "no ini"),
            ("no cabinet", "valid", ["ini"], "no cabinet"),
        ]
        for what, value, files, message in cases:
            with self.subTest(what):
                self.fresh()
                self.prepare(value, files)
                setup = self.start_setup()
                box = t.wait_window(CAPTION, timeout_ms=30000)
                text = " ".join(c["text"] or "" for c in box["controls"]
                                if c["class"].lower() == "static")
                for kind, phrase in SAYS.items():
                    self.assertEqual(phrase in text, kind == message, f"{kind}: {text!r}")
                self.assertIn(NAMES[message], text)
                if what == "key absent":
                    t.publish(t.screenshot("setup-no-app-manager"), "setup-no-app-manager")
                self.assertIsNone(setup.poll(), "ended before its message box was closed")
                t.probe.click(IDOK, title=CAPTION)
                self.assertNotEqual(setup.wait(30), 0)
                self.assertFalse(self.started.exists(), "the Application Manager was started")


if __name__ == "__main__":
    unittest.main()
