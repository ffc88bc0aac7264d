"""The installation cabinet of scripts/package.sh, tried on the desktop programs: Debian's
cabextract unpacks it to the very inputs, the reader decodes its installation data, the bytes
are reproducible, and damaged cabinets are refused with their reason.

usage: python3 -m unittest tests.package.test_cabinet  (WIN_BUILD names the desktop build)
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "release"))
import cab_info  # noqa: E402
import cabinet  # noqa: E402
import msce  # noqa: E402

BIN = Path(os.environ.get("WIN_BUILD", ROOT / "build" / "win64")) / "bin"
PROGRAMS = ["wavemeter.exe", "identview.exe", "portswap.exe"]


class Cabinet(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.build = Path(cls.folder.name)
        cls.programs = cls.build / "programs"
        cls.programs.mkdir()
        for name in PROGRAMS:
            shutil.copy(BIN / name, cls.programs)
        cls.cab = cls.package("--from", str(cls.programs), "--desktop", "--name", "trial.zip")

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    @classmethod
    def package(cls, *args):
        run = subprocess.run([str(ROOT / "scripts" / "package.sh"), *args,
                              "--setup", str(BIN / "setup.exe")],
                             env=dict(os.environ, TERMINAL_BUILD=str(cls.build)),
                             capture_output=True, text=True, timeout=120)
        assert run.returncode == 0, run.stderr
        return cls.build / "dist" / "trial.cab"

    def inputs(self):
        files = {name: (self.programs / name).read_bytes() for name in PROGRAMS}
        files["README.txt"] = (self.build / "dist" / "README.txt").read_bytes()
        return files

    def test_cabextract_unpacks_the_inputs(self):
        out = Path(self.folder.name) / "unpacked"
        run = subprocess.run(["cabextract", "-q", "-d", str(out), str(self.cab)],
                             capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stderr)
        data = cabinet.check(cabinet.read(self.cab))
        unpacked = {p.name: p.read_bytes() for p in out.iterdir()}
        by_name = {name: unpacked[next(m for m in unpacked if cabinet.member_id(m) == fid)]
                   for fid, _, _, name in data.files}
        self.assertEqual(by_name, self.inputs())
        self.assertEqual(len(unpacked), len(data.files) + 1)

    def test_install_plan(self):
        members = cabinet.read(self.cab)
        data = cabinet.check(members)
        raw = members[0][1]
        self.assertEqual(struct.unpack_from("<I", raw, 8)[0], len(raw))
        self.assertEqual([cabinet.member_id(name) for name, _ in members], [0, 4, 3, 2, 1])
        self.assertEqual((data.architecture, data.min_version, data.max_version),
                         (0, (4, 10), (0, 0)))
        self.assertEqual(data.registry_entries, 0)
        text = "\n".join(lines := cab_info.plan(members, data))
        for name, raw in self.inputs().items():
            with self.subTest(name):
                self.assertIn(f"  \\Program Files\\PHS Tools\\{name}  {len(raw)} bytes", text)
        shortcuts = [line for line in lines if "(%CE11%)" in line]
        self.assertEqual(shortcuts, [
            f"  {stem}.lnk in the Start menu's programs folder (%CE11%) -> "
            f"\\Program Files\\PHS Tools\\{stem}.exe" for stem in ("wavemeter", "identview",
                                                                    "portswap")])

    def test_same_inputs_same_bytes(self):
        first = self.cab.read_bytes()
        later = 2_000_000_000
        for name in PROGRAMS:
            os.utime(self.programs / name, (later, later))
        self.assertEqual(self.package("--from", str(self.programs), "--desktop", "--name",
                                      "trial.zip").read_bytes(), first)

    def test_damaged_cabinets_are_refused(self):
        members = cabinet.read(self.cab)
        data_raw = members[0][1]
        strings_at = struct.unpack_from("<I", data_raw, 60)[0]
        links_at = struct.unpack_from("<I", data_raw, 80)[0]

        def patched(at, fmt, value):
            raw = bytearray(data_raw)
            struct.pack_into(fmt, raw, at, value)
            return bytes(raw)

        def link_named(name):
            data = msce.parse(data_raw)
            data.strings[data.links[0][4][-1]] = name
            return msce.build(data)

        cases = [
            # (what, members, text the reason holds)
            ("a truncated .000", [(members[0][0], data_raw[:-10])] + members[1:],
             "the file has"),
            ("a .000 cut inside its header", [(members[0][0], data_raw[:60])] + members[1:],
             "shorter than"),
            ("a file id without its member", members[:1] + members[2:], "has no member"),
            ("a member left over",
             members[:1] + [("EXTRA.005", b"x")] + members[1:], "installed by no entry"),
            ("members out of order", members[:1] + members[1:][::-1], "descending"),
            ("no .000 first", members[1:] + members[:1], "first member"),
            ("an undefined string", [(members[0][0], patched(strings_at, "<H", 99))] +
             members[1:], "string"),
            ("a link list without its 0",
             [(members[0][0], patched(links_at + 12 + 2, "<H", 7))] + members[1:], "end in"),
            ("a link named without .lnk", [(members[0][0], link_named("wavemeter"))] +
             members[1:], "'wavemeter', without the .lnk"),
        ]
        for what, damaged, reason in cases:
            with self.subTest(what):
                path = Path(self.folder.name) / "damaged.cab"
                cabinet.write(path, damaged, 0)
                run = subprocess.run([sys.executable, str(ROOT / "tools" / "release" /
                                                          "cab_info.py"), str(path)],
                                     capture_output=True, text=True)
                self.assertEqual(run.returncode, 1, run.stdout)
                self.assertIn("malformed", run.stderr)
                self.assertIn(reason, run.stderr)


if __name__ == "__main__":
    unittest.main()
