"""The installation cabinet of scripts/package.sh, tried on the desktop programs: Debian's
cabextract unpacks it to the very inputs, the reader decodes its installation data, whose
sections have the shape Microsoft's CAB wizard gives them, the shortcuts carry the programs'
titles, the bytes are reproducible, a cabinet as the wizard writes it is read, and damaged
cabinets are refused with their reason.

usage: python3 -m unittest tests.package.test_cabinet  (WIN_BUILD names the desktop build)
"""

import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import unittest.mock
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools" / "release"))
sys.path.insert(0, str(ROOT / "tools" / "portability"))
import cab_info  # noqa: E402
import cabinet  # noqa: E402
import msce  # noqa: E402
import package  # noqa: E402
import pc_setup  # noqa: E402
import pe_image  # noqa: E402
from guide_source import SOURCE  # noqa: E402
from tests.package.test_package import release_names  # noqa: E402

BIN = Path(os.environ.get("WIN_BUILD", ROOT / "build" / "win64")) / "bin"
PROGRAMS = ["wavemeter.exe", "identview.exe", "portswap.exe"]
RT_STRING = 6
# What the guide quotes that our programs do not show as text: the system's own names (the Start
# menu, the Control Panel, Explorer's menu), and the words drawn in wavemeter's pictures.
NOT_PROGRAM_TEXTS = {"スタート", "設定", "コントロールパネル", "プログラムの削除", "削除", "プログラム",
                     "編集", "ショートカットの貼り付け", "電波状態取得中", "取得できません", "公衆",
                     "家庭"}

# A cabinet's installation data as Microsoft's CAB wizard lays it out, in the shapes of its own
# sample cabinets: a setup DLL, a CPU type, platforms it is not for, Shift-JIS text, a directory
# as one string then 0, a registry key with two values, and two links of ids alone, byte for
# byte as the wizard wrote them (one to file 5 in %CE14%, one to the install folder in %CE3%).
WIZARD_STRINGS = {2: r"%CE8%\Sample Game".encode(), 5: b"Software", 6: b"Sample Game",
                  12: b"Sample Game.lnk", 13: "ゲームのフォルダー.lnk".encode("cp932")}
WIZARD_DIRS = bytes.fromhex("02 00 04 00 02 00 00 00")
WIZARD_LINKS = bytes.fromhex("01 00 00 00 0e 00 05 00 01 00 02 00 0c 00"
                             "04 00 00 00 03 00 00 00 00 00 02 00 0d 00")
WIZARD_PLAN = [
    "application: サンプルゲーム", "provider:    Sample Maker",
    "for:         Windows CE 3.00 to any later, CPU type 2577, StrongARM (architecture 2577)",
    "not for:     PALM PC, HPC", "files (2):",
    r"  %CE8%\Sample Game\game.exe  7 bytes  (0000GAME.005; replaces an installed copy)",
    r"  %CE8%\Sample Game\説明書.txt  4 bytes  (00README.001; keeps a newer installed copy)",
    "setup DLL:   000SETUP.999  9 bytes  (run by the device's installer before and after it "
    "installs and removes)",
    "shortcuts (2):",
    r"  Sample Game.lnk in %CE14% -> %CE8%\Sample Game\game.exe",
    r"  ゲームのフォルダー.lnk in \Windows\Desktop (%CE3%) -> the install folder",
    "registry values (2):",
    r"  HKEY_LOCAL_MACHINE\Software\Sample Game: Level = 3 (0x3) (REG_DWORD)",
    r'  HKEY_LOCAL_MACHINE\Software\Sample Game: Player = "名人" (REG_SZ)',
]


def wizard_install_data(strings=WIZARD_STRINGS, links=WIZARD_LINKS):
    """The .000 bytes, assembled by hand (not by msce.build), sections in the wizard's order."""
    def entry(fmt, *fields, tail):
        return struct.pack(fmt, *fields, len(tail)) + tail
    parts = {
        "app": "サンプルゲーム".encode("cp932") + b"\0", "provider": b"Sample Maker\0",
        "unsupported": b"PALM PC\0HPC\0\0",
        "strings": b"".join(entry("<HH", sid, tail=text + b"\0") for sid, text in strings.items()),
        "dirs": WIZARD_DIRS,
        "files": entry("<HHHIH", 5, 2, 5, 0x40000002, tail=b"game.exe\0") +
        entry("<HHHIH", 1, 2, 1, 0x2, tail="説明書.txt".encode("cp932") + b"\0"),
        "reghives": entry("<HHHH", 1, 3, 0, tail=struct.pack("<3H", 5, 6, 0)),
        "regkeys": entry("<HHHIH", 1, 1, 0, 0x00010001, tail=b"Level\0" + struct.pack("<I", 3)) +
        entry("<HHHIH", 2, 1, 0, 0, tail=b"Player\0" + "名人".encode("cp932") + b"\0"),
        "links": links}
    at, offsets = msce.HEADER_SIZE, {}
    for name, raw in parts.items():
        offsets[name] = at
        at += len(raw)
    counts = (len(strings), 1, 2, 1, 2, len(links) // 14)
    header = struct.pack("<4sIIIII6I6H6I8H", b"MSCE", 0, at, 0, 1, 2577, 3, 0, 0, 0, 0, 0,
                         *counts, *(offsets[name] for name in msce.SECTIONS),
                         *(value for name in ("app", "provider", "unsupported")
                           for value in (offsets[name], len(parts[name]))), 0, 0)
    return header + b"".join(parts.values())


def wizard_members(install_data):
    """A cabinet's members, the setup DLL among them (where it sits does not matter)."""
    return [("0000GAME.000", install_data), ("0000GAME.005", b"MZ game"),
            ("00README.001", b"read"), ("000SETUP.999", b"MZ setup!")]


def string_table(exe):
    """The entries of a program's string table."""
    texts = set()
    for (kind, _, _), raw in pe_image.resources(pe_image.open_image(exe)).items():
        at = 0
        while kind == RT_STRING and at + 2 <= len(raw):
            units = struct.unpack_from("<H", raw, at)[0]
            texts.add(raw[at + 2:at + 2 + 2 * units].decode("utf-16-le"))
            at += 2 + 2 * units
    return texts


def program_texts(exe):
    """The texts a program can give its window as title: its string table's entries and its
    zero-terminated UTF-16 constants."""
    raw = Path(exe).read_bytes()
    return string_table(exe) | set(raw[:len(raw) // 2 * 2].decode("utf-16-le", "replace")
                                   .split("\0"))


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
        self.assertEqual([name for name, _ in members],
                         ["CARDANDI.000", "00README.004", "PORTSWAP.003", "IDENTVIE.002",
                          "WAVEMETE.001"])
        self.assertEqual((data.architecture, data.min_version, data.max_version),
                         (0, (4, 10), (0, 0)))
        self.assertEqual((data.app_name, data.provider), ("PHSツール", "端末用"))
        self.assertEqual(data.registry_entries, 0)
        lines = cab_info.plan(members, data)
        # Every file replaces an installed copy, whatever its date, and is never skipped: an
        # update that kept an older program would say nothing.
        self.assertEqual({name: flags for _, _, flags, name in data.files},
                         dict.fromkeys(self.inputs(), msce.FILE_OVERWRITE | msce.FILE_NO_SKIP))
        member = {"wavemeter.exe": "WAVEMETE.001", "identview.exe": "IDENTVIE.002",
                  "portswap.exe": "PORTSWAP.003", "README.txt": "00README.004"}
        for name, raw_file in self.inputs().items():
            with self.subTest(name):
                self.assertIn(f"  \\Program Files\\PHS Tools\\{name}  {len(raw_file)} bytes  "
                              f"({member[name]}; replaces an installed copy)", lines)
        shortcuts = [line for line in lines if "(%CE11%)" in line]
        self.assertEqual(shortcuts, [
            f"  {package.SHORTCUTS[exe]}.lnk in the Start menu's programs folder (%CE11%) -> "
            f"\\Program Files\\PHS Tools\\{exe}" for exe in PROGRAMS])
        # Each shortcut is named as its program titles its window.
        for exe, title in package.SHORTCUTS.items():
            self.assertTrue(title in program_texts(self.programs / exe), f"{exe}: {title}")

        # The wizard's shapes: one directory, its whole path in one string, then 0; each link
        # its one string id, no 0, and the links end where the file does.
        dirs_at, links_at = (struct.unpack_from("<I", raw, at)[0] for at in (64, 80))
        self.assertEqual(raw[dirs_at:dirs_at + 8], bytes.fromhex("01 00 04 00 01 00 00 00"))
        self.assertEqual(data.strings[1], r"%CE1%\PHS Tools")
        self.assertEqual(raw[links_at:], b"".join(
            struct.pack("<7H", link, 0, 11, link, 1, 2, link + 1) for link in (1, 2, 3)))
        self.assertIn("赤外線設定ツール.lnk".encode("cp932") + b"\0", raw)
        # The guide names the shortcuts, and the package in the program removal, as they are.
        guide = package.GUIDE.read_text(encoding="utf-8")
        for name in [*package.SHORTCUTS.values(), f"{package.PROVIDER} {package.APP_NAME}"]:
            self.assertIn(f"「{name}」", guide)

    def test_the_guide_quotes_what_the_programs_show(self):
        shown = {text for exe in [*PROGRAMS, "setup.exe"] for text in program_texts(BIN / exe)}
        # setup.exe's messages name a file in place of %s; portswap offers each free COM
        # number as its digit and a colon.
        shown |= {text.replace("%s", name) for text in shown if "%s" in text
                  for name in release_names()}
        shown |= {f"{number}:" for number in range(1, 10)} | release_names()
        guide = SOURCE.read_text(encoding="utf-8")
        shown |= set(re.findall(r"^#+ (.*)$", guide, re.MULTILINE))  # the guide's own sections
        # Line breaks and spaces as the screen lays them out are not compared.
        flat = "\n".join("".join(text.split()) for text in shown)
        for quote in re.findall(r"「([^「」]*)」|［([^［］]*)］", guide):
            quote = "".join(quote)
            with self.subTest(quote):
                self.assertTrue(quote in NOT_PROGRAM_TEXTS or "".join(quote.split()) in flat)
        # One name for the package: the cabinet's, the .ini's, setup.exe's and the guide's.
        self.assertEqual(pc_setup.DESCRIPTION, f"{package.APP_NAME} {package.VERSION}")
        self.assertIn(f"{package.APP_NAME} セットアップ", string_table(BIN / "setup.exe"))
        self.assertTrue(guide.startswith(f"# {pc_setup.DESCRIPTION} 説明書\n"))

    def test_a_cabinet_as_the_wizard_writes_it(self):
        path = Path(self.folder.name) / "wizard.cab"
        cabinet.write(path, wizard_members(wizard_install_data()), 0)
        run = subprocess.run([sys.executable, str(ROOT / "tools" / "release" / "cab_info.py"),
                              str(path)], capture_output=True, text=True,
                             env=dict(os.environ, PYTHONIOENCODING="utf-8"))
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout.splitlines()[1:], WIZARD_PLAN)

    def test_names_the_terminal_cannot_show_are_not_written(self):
        files = [(exe, b"MZ") for exe in PROGRAMS]
        for title, reason in (("PHS電波状態表示€", "no code in code page 932"),
                              ("PHS〜電波", "would read back as")):
            with self.subTest(title), unittest.mock.patch.dict(package.SHORTCUTS,
                                                               {"wavemeter.exe": title}):
                with self.assertRaisesRegex(msce.MsceError, reason):
                    package.install_members(files)

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
            ("a link named without .lnk", [(members[0][0], link_named("wavemeter"))] +
             members[1:], "'wavemeter', without the .lnk"),
            ("a link's ids followed by a 0", wizard_members(wizard_install_data(
                links=bytes.fromhex("01 00 00 00 0e 00 05 00 01 00 04 00 0c 00 00 00"))),
             "holds a 0"),
            ("a link naming no string", wizard_members(wizard_install_data(
                links=WIZARD_LINKS[:12] + bytes.fromhex("0e 00") + WIZARD_LINKS[14:])),
             "link 1 uses string 14"),
            ("a string not in code page 932", wizard_members(wizard_install_data(
                strings={**WIZARD_STRINGS, 6: b"Sample \x81 Game"})), "bytes 81 20 at"),
            ("a section beyond the end", wizard_members(
                wizard_install_data()[:80] + struct.pack("<I", 5000) +
                wizard_install_data()[84:]), "runs past the end"),
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
