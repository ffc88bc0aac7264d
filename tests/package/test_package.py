"""scripts/package.sh tried on the desktop programs, where no Windows CE build exists: the
archive's members, the read-me's encoding, reproducible bytes, and the refusals.

usage: python3 -m unittest tests.package.test_package  (WIN_BUILD names the desktop build)
"""

import os
import shutil
import subprocess
import tempfile
import time
import unittest
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BIN = Path(os.environ.get("WIN_BUILD", ROOT / "build" / "win64")) / "bin"
PROGRAMS = ["wavemeter.exe", "identview.exe", "portswap.exe"]


class Package(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory()
        self.addCleanup(folder.cleanup)
        self.build = Path(folder.name)
        # A copy of the programs, so the test can change their file times.
        self.programs = self.build / "programs"
        self.programs.mkdir()
        for name in PROGRAMS:
            shutil.copy(BIN / name, self.programs)

    def package(self, *args):
        return subprocess.run([str(ROOT / "scripts" / "package.sh"), *args],
                              env=dict(os.environ, TERMINAL_BUILD=str(self.build)),
                              capture_output=True, text=True, timeout=120)

    def test_desktop_trial(self):
        run = self.package("--from", str(self.programs), "--desktop", "--name", "trial.zip")
        self.assertEqual(run.returncode, 0, run.stderr)
        archive = self.build / "dist" / "trial.zip"
        first = archive.read_bytes()
        with zipfile.ZipFile(archive) as packed:
            self.assertEqual(sorted(packed.namelist()), sorted(PROGRAMS + ["README.txt"]))
            for name in PROGRAMS:
                self.assertEqual(packed.read(name), (self.programs / name).read_bytes(), name)
            readme = packed.read("README.txt")
        text = readme.decode("cp932")  # strict: fails on any byte outside Shift-JIS
        self.assertIn("取得できませんでした", text)
        self.assertNotIn("\n", text.replace("\r\n", ""))

        # Later, with other file times, the same programs give the same bytes.
        later = time.time() + 86400
        for name in PROGRAMS:
            os.utime(self.programs / name, (later, later))
        time.sleep(2.1)  # zip times count in steps of two seconds
        run = self.package("--from", str(self.programs), "--desktop", "--name", "trial.zip")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(archive.read_bytes(), first)

    def test_refusals(self):
        missing = self.build / "empty"
        missing.mkdir()
        cases = [
            # (what, arguments, text the message must hold)
            ("desktop programs packed as the terminal's", ["--from", str(self.programs)],
             "not ARM"),
            ("no CE build at all", [], "build-ce.sh"),
            ("a program missing", ["--from", str(missing), "--desktop"], "wavemeter.exe"),
        ]
        for what, args, message in cases:
            with self.subTest(what):
                run = self.package(*args)
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(message, run.stderr)
                self.assertEqual(list((self.build / "dist").glob("*.zip")), [])
                self.assertEqual(list((self.build / "dist").glob("*.cab")), [])


if __name__ == "__main__":
    unittest.main()
