"""scripts/package.sh tried on the desktop programs, where no Windows CE build exists: the
archive's members, the read-me's encoding, the PC setup archive and its .ini, reproducible bytes,
and the refusals.

usage: python3 -m unittest tests.package.test_package  (WIN_BUILD names the desktop build)
"""

import configparser
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "release"))
import package  # noqa: E402
import pc_setup  # noqa: E402
BIN = Path(os.environ.get("WIN_BUILD", ROOT / "build" / "win64")) / "bin"
PROGRAMS = ["wavemeter.exe", "identview.exe", "portswap.exe"]
SETUP = BIN / "setup.exe"


def release_names():
    """The names the user meets and looks for: the shortcuts', the package's, its entry in the
    program removal, the install folder's path and the release's files."""
    files = [f"phs-tools-{package.VERSION}-{name}"
             for name in ("wince-arm.cab", "wince-arm.zip", "pc-setup.zip")]
    return {*package.SHORTCUTS.values(), package.APP_NAME, pc_setup.DESCRIPTION,
            f"{package.PROVIDER} {package.APP_NAME}", f"\\Program Files\\{package.INSTALL_FOLDER}",
            *PROGRAMS, "README.txt", pc_setup.SETUP_NAME, pc_setup.INI_NAME, *files}


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

    def package(self, *args, **env):
        return subprocess.run([str(ROOT / "scripts" / "package.sh"), *args],
                              env=dict(os.environ, TERMINAL_BUILD=str(self.build), **env),
                              capture_output=True, text=True, timeout=120)

    def test_desktop_trial(self):
        trial = ["--from", str(self.programs), "--desktop", "--name", "trial.zip",
                 "--setup", str(SETUP)]
        run = self.package(*trial)
        self.assertEqual(run.returncode, 0, run.stderr)
        archive = self.build / "dist" / "trial.zip"
        pc_archive = self.build / "dist" / "trial-pc-setup.zip"
        first = archive.read_bytes(), pc_archive.read_bytes()
        with zipfile.ZipFile(archive) as packed:
            self.assertEqual(sorted(packed.namelist()), sorted(PROGRAMS + ["README.txt"]))
            for name in PROGRAMS:
                self.assertEqual(packed.read(name), (self.programs / name).read_bytes(), name)
            readme = packed.read("README.txt")
        text = readme.decode("cp932")  # strict: fails on any byte outside Shift-JIS
        # No line ends inside a name the user looks for, nor the PC's program name; a space
        # dropped at the break counts.
        lines = text.split("\r\n")
        names = release_names() | {"Windows Mobile デバイス センター"}
        for above, below in zip(lines, lines[1:]):
            below = below.lstrip(" 　")  # a list item's hanging indent
            for joined in (above + below, f"{above} {below}"):
                for name in names:
                    at = joined.find(name, max(0, len(above) - len(name) + 1))
                    self.assertFalse(0 <= at < len(above), f"{name}:\n{above}\n{below}")
        self.assertIn("取得できませんでした", text)
        self.assertNotIn("\n", text.replace("\r\n", ""))
        self.check_pc_setup(pc_archive, "trial.cab")
        sums = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=self.build / "dist",
                              capture_output=True, text=True, env=dict(os.environ, LC_ALL="C"))
        self.assertEqual(sums.returncode, 0, sums.stdout + sums.stderr)
        self.assertEqual(sorted(sums.stdout.splitlines()), [
            f"{name}: OK" for name in ("trial-pc-setup.zip", "trial.cab", "trial.zip")])

        # Later, with other file times, the same programs give the same bytes.
        later = time.time() + 86400
        for name in PROGRAMS:
            os.utime(self.programs / name, (later, later))
        time.sleep(2.1)  # zip times count in steps of two seconds
        run = self.package(*trial)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual((archive.read_bytes(), pc_archive.read_bytes()), first)

    def check_pc_setup(self, path, cab):
        """setup.exe, the .ini naming one component whose cabinet is the one beside it, the
        cabinet and README.txt."""
        with zipfile.ZipFile(path) as packed:
            self.assertEqual(packed.namelist(), ["setup.exe", "phs-tools.ini", cab, "README.txt"])
            self.assertEqual(packed.read("setup.exe"), SETUP.read_bytes())
            self.assertEqual(packed.read(cab), (self.build / "dist" / cab).read_bytes())
            ini = packed.read("phs-tools.ini")
        self.assertNotIn(b"\n", ini.replace(b"\r\n", b""))
        parser = configparser.ConfigParser()
        parser.read_string(ini.decode("cp932"))
        self.assertEqual(parser["CEAppManager"]["Version"], "1.0")
        component = parser["CEAppManager"]["Component"]
        self.assertEqual(parser.sections(), ["CEAppManager", component])
        self.assertEqual(parser[component]["CabFiles"], cab)
        self.assertRegex(parser[component]["Description"], "[ぁ-んァ-ン]")

    def test_refusals(self):
        missing = self.build / "empty"
        missing.mkdir()
        setup = ["--setup", str(SETUP)]
        cases = [
            # (what, arguments, the environment's changes, text the message must hold)
            ("desktop programs packed as the terminal's", ["--from", str(self.programs), *setup],
             {}, "not ARM"),
            ("no CE toolchain to build the programs", setup, {"CEGCC_ROOT": str(missing)},
             "build-ce.sh failed"),
            ("a program missing", ["--from", str(missing), "--desktop", *setup], {},
             "wavemeter.exe"),
            ("a desktop setup.exe in a release", ["--from", str(self.programs), *setup], {},
             "not an i686"),
            ("no setup.exe", ["--from", str(self.programs), "--desktop", "--setup",
                              str(missing / "setup.exe")], {}, "empty/setup.exe"),
        ]
        dist = self.build / "dist"
        dist.mkdir()
        for what, args, env, message in cases:
            with self.subTest(what):
                # Files of an earlier run, which a refused one must not leave behind.
                stem = "phs-tools-1.0-" + ("win32" if "--desktop" in args else "wince-arm")
                for name in (f"{stem}.zip", f"{stem}.cab", pc_setup.archive_name(f"{stem}.zip"),
                             "SHA256SUMS"):
                    (dist / name).write_bytes(b"stale")
                run = self.package(*args, **env)
                self.assertNotEqual(run.returncode, 0)
                self.assertIn(message, run.stderr)
                self.assertEqual(list(dist.iterdir()), [])


if __name__ == "__main__":
    unittest.main()
