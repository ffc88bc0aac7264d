"""Fault matrix: the three tools against a misbehaving card and a damaged registry. This module
holds the rows and what the three test modules test_faults_<tool>.py share.

Every row is one fault and what the user must see afterwards (picture and badge, texts, rows and
choices), and every row also checks that the tool neither crashed (it keeps running, and ends
with exit code 0 when it is closed) nor wrote what it should not: no command to the card where
none may be sent (the card's transcript), and the IrDA driver's Index left as seeded (no row
presses OK with a valid choice).

- Card faults against wavemeter: one run. Once the port has warmed up, the rows follow one
  another; a row is judged on the first tick that starts after its fault was set (the commands
  of that tick in the transcript, the picture on the screen), then the card is reset and the
  picture must come back.
- Card faults against identview: one run per row, since the card is read once per run.
- Registry faults against each tool: one run per row, on the seeded registry damaged as the row
  says. The modem tools look for the card's entry among Drivers\\Active\\01 to 99; portswap walks
  every subkey of Drivers\\Active in the order the registry enumerates them, which under Wine is
  sorted by name.

Strings without a terminator can't be stored with `reg add` or `regedit` (both add one), and
Wine's RegSetValueExW adds one too when a zero unit follows the data in memory; a small Win32
program, built when the tests start, stores the exact bytes with a non-zero unit behind them.
"""

from tests.e2e import terminal as t
from tests.e2e import test_identview as iv
from tests.e2e import test_wavemeter as wm

IDOK, IDCANCEL = 1, 2
PERIOD = wm.PERIOD
MODE, PUBLIC, PRIVATE = wm.MODE, wm.PUBLIC, wm.PRIVATE
NO_BADGE = wm.NO_BADGE
# The card's default answers: mode 0 and public level 4, an antenna with three bars and the
# public badge.
BASELINE = (4, 0)
UNAVAILABLE = (9, NO_BADGE)
ACQUIRING = (8, NO_BADGE)

IRDA_KEY = r"HKLM\Drivers\Builtin\IrDA"
SEEDED_INDEX = ("REG_DWORD", "0x2")
MODEM_KEY = "Drivers\\PCMCIA\\Modem"
IRDA_DRIVER = "Drivers\\Builtin\\IrDA"
ACTIVE = "Drivers\\Active"

# --- wavemeter against the card --------------------------------------------------------------
#
# ctl: control lines for the card; shows: (picture, badge) after the faulted tick (and after
# the tick that follows it, for rows with then); tick: the commands of the first tick that
# starts after the fault was set; then: those of the tick after it.
# Faults without a count stay on until the card is reset, so every tick of the row is faulted.
WAVEMETER_CARD_ROWS = [
    dict(name="no echo", ctl=[["fault", "noecho"]], shows=UNAVAILABLE, tick=[MODE]),
    dict(name="altered echo", ctl=[["fault", "badecho"]], shows=UNAVAILABLE, tick=[MODE]),
    dict(name="lower-case echo", ctl=[["fault", "lowerecho"]], shows=UNAVAILABLE, tick=[MODE]),
    dict(name="leftover bytes before the echo", ctl=[["fault", "leftover"]], shows=UNAVAILABLE,
         tick=[MODE]),
    dict(name="garbage", ctl=[["fault", "garbage"]], shows=UNAVAILABLE, tick=[MODE]),
    dict(name="zero byte before the answer digit", ctl=[["fault", "zero"]], shows=UNAVAILABLE,
         tick=[MODE]),
    # "AT@M?\r\r\n2" then the zero byte: the digit still counts, so the private level is asked.
    dict(name="zero byte after the answer digit",
         ctl=[["set", "mode", "2"], ["set", "level2", "5"], ["fault", "zero", "9", "only", MODE]],
         shows=(5, 1), tick=[MODE, PRIVATE]),
    # A 65-byte mode reply: the 32-byte read keeps the echo and the start of the answer line, so
    # mode 0 counts and the public level is asked; that read takes the rest of the cut reply
    # instead of its echo and fails. The rest spoils the next mode read too, then it is used up.
    dict(name="long reply cut by the 32-byte read",
         ctl=[["fault", "long", "64", "for", "1", "only", MODE]],
         shows=UNAVAILABLE, tick=[MODE, PUBLIC], then=[MODE]),
    dict(name="empty answer line", ctl=[["fault", "empty"]], shows=UNAVAILABLE, tick=[MODE]),
    dict(name="bare OK", ctl=[["fault", "okonly"]], shows=UNAVAILABLE, tick=[MODE]),
    dict(name="ERROR", ctl=[["fault", "error"]], shows=UNAVAILABLE, tick=[MODE]),
    dict(name="silence", ctl=[["fault", "silent"]], shows=UNAVAILABLE, tick=[MODE]),
    # The answer comes 1.4 s after the command, after the read has given up at 0.82 s. It waits
    # in the port and arrives with the next tick's reply: its echo matches that tick's mode
    # command, so its answer counts there, and the rest of the next reply spoils the level read.
    dict(name="late answer", ctl=[["fault", "delay", "1400", "for", "1", "only", MODE]],
         shows=UNAVAILABLE, tick=[MODE], then=[MODE, PUBLIC]),
    # 10 bytes, 300 ms of nothing, the rest: all within one read's 820 ms.
    dict(name="split answer within the time-out",
         ctl=[["set", "level0", "6"], ["fault", "split", "10", "300"]],
         shows=(6, 0), tick=[MODE, PUBLIC]),
    # Pulled while a tick waits for the reply: that read fails, the next write fails and closes
    # the port, and every tick after it fails to open the port.
    dict(name="card removed during a tick", action="remove", shows=UNAVAILABLE, restore=False),
    # The closed port is opened afresh and warms up for four ticks again.
    dict(name="card inserted again", action="insert", shows=BASELINE),
]

# --- identview against the card --------------------------------------------------------------

PSID, PHONE, GROUP, LINE1, LINE2 = iv.PSID, iv.PHONE, iv.GROUP, iv.LINE1, iv.LINE2
DEFAULT_TEXTS = {
    PSID: "00F3A9C1B207",
    PHONE: "07012345678",
    GROUP: iv.SPACE + "PHS データ通信カード",
    LINE1: "ファームウェア Ver 1.02",
    LINE2: "製造番号 0001234",
}
NO_VALUE_TEXTS = {PSID: iv.NO_VALUE, PHONE: iv.NO_VALUE, GROUP: iv.NO_GROUP,
                  LINE1: iv.NO_VALUE, LINE2: iv.NO_VALUE}

# ctl: control lines for the card before identview starts; texts: the five controls after the
# pass; sent: the commands the card must receive (all five unless given).
IDENTVIEW_CARD_ROWS = [
    dict(name="no echo", ctl=[["fault", "noecho"]], texts=iv.UNAVAILABLE_TEXTS),
    dict(name="garbage", ctl=[["fault", "garbage"]], texts=iv.UNAVAILABLE_TEXTS),
    dict(name="silence", ctl=[["fault", "silent"]], texts=iv.UNAVAILABLE_TEXTS),
    # An 81-byte reply to AT@Y: 63 bytes are kept, so the PSID line is cut after 56 characters,
    # and the 17 bytes left in the port come before the next echo, failing the telephone row.
    dict(name="long reply", ctl=[["fault", "long", "80", "only", "AT@Y"]],
         texts={**DEFAULT_TEXTS, PSID: ("00F3A9C1B207" + "#" * 60)[:56],
                PHONE: iv.UNAVAILABLE}),
    dict(name="bare OK", ctl=[["fault", "okonly"]], texts=NO_VALUE_TEXTS),
    # "AT@Y\r\r\n00F", a zero byte, then the rest: the reply ends at the zero byte.
    dict(name="zero byte", ctl=[["fault", "zero", "10", "only", "AT@Y"]],
         texts={**DEFAULT_TEXTS, PSID: "00F"}),
    dict(name="card removed before start", ctl=[["remove"]], texts=iv.UNAVAILABLE_TEXTS,
         sent=[]),
]

# --- the registry ----------------------------------------------------------------------------
#
# A row's registry is the seed with these changes: ("absent", key) deletes a key, ("value", key,
# name, data) stores a value as regedit writes it ("text", "dword" or "hex" data in .reg form),
# ("unterminated", key, name, text) stores a REG_SZ without its terminator.


def absent(key):
    return ("absent", key)


def text(key, name, value):
    return ("value", key, name, '"%s"' % value.replace("\\", "\\\\").replace('"', '\\"'))


def dword(key, name, value):
    return ("value", key, name, "dword:%08x" % value)


def binary(key, name, data):
    return ("value", key, name, "hex:" + ",".join("%02x" % b for b in data))


def unterminated(key, name, value):
    return ("unterminated", key, name, value)


def entry(name):
    return ACTIVE + "\\" + name


def utf16z(value):
    return (value + "\0").encode("utf-16-le")


def port_entries(names):
    """Key and Name values of several Drivers\\Active subkeys: {subkey: (Name, Key)}."""
    ops = []
    for subkey, (name, key) in names.items():
        ops += [text(entry(subkey), "Name", name), text(entry(subkey), "Key", key)]
    return ops


# Keys that differ from the card modem's only a little; none of them is the card's.
NEAR_MISSES = ["drivers\\pcmcia\\modem", "DRIVERS\\PCMCIA\\MODEM", MODEM_KEY + "\\",
               MODEM_KEY + "2", MODEM_KEY[:-1], " " + MODEM_KEY, "Drivers\\Builtin\\Modem"]

MODEM_TOOLS = ("wavemeter", "identview")
ALL_TOOLS = ("wavemeter", "identview", "portswap")


def rows(*texts):
    return list(texts) + [""] * (9 - len(texts))


def entries(*numbers):
    return [f"{n}:" for n in numbers]


# card: whether the modem tools find the card; rows and choices: portswap's port list and the
# change dialog's (entries, selected entry). The seed: 01 COM1: Serial, 02 COM2: IrDA, 03 SYX1:,
# 04 PCC1:, 05 COM3: the card modem.
REGISTRY_ROWS = [
    dict(name="Drivers\\Active missing", tools=ALL_TOOLS, registry=[absent(ACTIVE)],
         card=False, rows=rows(), choices=(entries(*range(1, 10)), None)),
    # A Name of another type is no name: COM2 and COM3 are free, and the card is not found.
    dict(name="Name of type REG_DWORD", tools=ALL_TOOLS,
         registry=[dword(entry("02"), "Name", 2), dword(entry("05"), "Name", 3)],
         card=False, rows=rows("Serial"), choices=(entries(2, 3, 4, 5, 6, 7, 8, 9), None)),
    # The bytes are those of the right key with its terminator, but not a string: COM2 and COM3
    # are taken with empty rows, no IrDA port is marked, and the card is not found.
    dict(name="Key of type REG_BINARY", tools=ALL_TOOLS,
         registry=[binary(entry("02"), "Key", utf16z(IRDA_DRIVER)),
                   binary(entry("05"), "Key", utf16z(MODEM_KEY))],
         card=False, rows=rows("Serial"), choices=(entries(4, 5, 6, 7, 8, 9), None)),
    # Text ends where the data ends. A Name of exactly 80 characters fills portswap's buffer and
    # is taken whole (COM6 with row Edge).
    dict(name="values without a terminator", tools=ALL_TOOLS,
         registry=[unterminated(entry("02"), "Key", IRDA_DRIVER),
                   unterminated(entry("05"), "Key", MODEM_KEY),
                   unterminated(entry("05"), "Name", "COM3:"),
                   unterminated(entry("06"), "Name", "COM6:" + "x" * 75),
                   text(entry("06"), "Key", "Drivers\\Builtin\\Edge")],
         card=True, rows=rows("Serial", "IrDA", "Modem", "", "", "Edge"),
         choices=(entries(2, 4, 5, 7, 8, 9), "2:")),
    # Values longer than the buffers fail their reads: the card's Name of 300 characters (no
    # card, COM3 free), an 80-character Name with its terminator (COM6 free), and a Key of over
    # 1024 characters (COM7 taken, row empty).
    dict(name="oversized values", tools=ALL_TOOLS,
         registry=[text(entry("05"), "Name", "COM3:" + "x" * 295),
                   *port_entries({"06": ("COM6:" + "x" * 75, "Drivers\\Builtin\\Edge"),
                                  "07": ("COM7:", "Drivers\\Builtin\\" + "K" * 1100)})],
         card=False, rows=rows("Serial", "IrDA"), choices=(entries(2, 3, 4, 5, 6, 8, 9), "2:")),
    # Entries 01 to 99 all name COM3: with keys that are not the card modem's; entries 00 and
    # 100, which do hold its key, lie outside the numbers that are looked at.
    dict(name="99 entries, none the card modem's", tools=MODEM_TOOLS,
         registry=[absent(ACTIVE), *port_entries(
             {"%02d" % n: ("COM3:", NEAR_MISSES[n % len(NEAR_MISSES)]) for n in range(1, 100)}),
             *port_entries({"00": ("COM3:", MODEM_KEY), "100": ("COM3:", MODEM_KEY)})],
         card=False),
    # 300 more drivers on COM4 to COM8 from elsewhere (taken, rows empty), and one enumerated
    # after all of them that shows in row 8.
    dict(name="300 subkeys", tools=("portswap",),
         registry=port_entries({**{"d%03d" % n: (f"COM{4 + n % 5}:", f"Drivers\\USB\\Port{n}")
                                   for n in range(300)},
                                "zz": ("COM8:", "Drivers\\PCMCIA\\Last")}),
         rows=rows("Serial", "IrDA", "Modem", "", "", "", "", "Last"),
         choices=(entries(2, 9), "2:")),
    # A 79-character subkey name fits portswap's 80-character buffer (COM7, row Near); a
    # 90-character one ends the walk, so 04 and 05 after it are not seen (COM3 free, no row 6).
    # The modem tools open their entries by number and find the card.
    dict(name="long subkey names", tools=ALL_TOOLS,
         registry=port_entries({"02" + "n" * 77: ("COM7:", "Drivers\\PCMCIA\\Near"),
                                "03" + "L" * 88: ("COM6:", "Drivers\\Builtin\\Hidden")}),
         card=True, rows=rows("Serial", "IrDA", "", "", "", "", "Near"),
         choices=(entries(2, 3, 4, 5, 6, 8, 9), "2:")),
]

# Stores registry values with exactly the bytes given: KEY NAME TYPE HEX, repeated; KEY lies
# below HKEY_LOCAL_MACHINE.
RAW_VALUE_SOURCE = r"""
#include <windows.h>
#include <stdlib.h>
#include <wchar.h>

int wmain(int argc, wchar_t **argv)
{
    if (argc < 5 || (argc - 1) % 4 != 0)
        return 2;
    for (int i = 1; i < argc; i += 4) {
        HKEY key;
        if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, argv[i], 0, NULL, 0, KEY_SET_VALUE, NULL, &key,
                            NULL) != ERROR_SUCCESS)
            return 1;
        const wchar_t *hex = argv[i + 3];
        size_t bytes = wcslen(hex) / 2;
        BYTE *data = calloc(bytes + 2, 1);
        for (size_t j = 0; j < bytes; ++j) {
            wchar_t pair[3] = {hex[2 * j], hex[2 * j + 1], 0};
            data[j] = (BYTE)wcstoul(pair, NULL, 16);
        }
        /* A non-zero unit behind the data keeps a terminator from being added. */
        data[bytes] = 0xFF;
        data[bytes + 1] = 0xFF;
        LONG status = RegSetValueExW(key, argv[i + 1], 0, wcstoul(argv[i + 2], NULL, 10), data,
                                     (DWORD)bytes);
        RegCloseKey(key);
        free(data);
        if (status != ERROR_SUCCESS)
            return 1;
    }
    return 0;
}
"""
REG_SZ = 1


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


class FaultMatrixCase(wm.WavemeterTestCase):
    """Runs of the tools against the rows: the card's side, the registry, closing."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.raw_value = t.compile_c("raw_value.exe", RAW_VALUE_SOURCE,
                                    "x86_64-w64-mingw32-gcc", "-municode", "-O2")
        cls.cwd = t.RUN_DIR / "fault-matrix"
        cls.cwd.mkdir(parents=True, exist_ok=True)

    def tearDown(self):
        super().tearDown()
        t.reseed_registry()

    # --- the card's side --------------------------------------------------------------------

    def ticks(self, since):
        """Commands of the ticks that started after since, each tick a list beginning with the
        mode command; the last tick only once the next one has begun."""
        found = []
        for command in self.commands(since):
            if command == MODE:
                found.append([])
            if found:
                found[-1].append(command)
        return found[:-1]

    # --- the registry -----------------------------------------------------------------------

    def damage_registry(self, ops):
        """The seed with the row's changes."""
        t.reseed_registry()
        lines = ["REGEDIT4", ""]
        raw = []
        for op in ops:
            if op[0] == "absent":
                lines += [f"[-HKEY_LOCAL_MACHINE\\{op[1]}]", ""]
            elif op[0] == "value":
                lines += [f"[HKEY_LOCAL_MACHINE\\{op[1]}]", f'"{op[2]}"={op[3]}', ""]
            else:
                raw += [op[1], op[2], str(REG_SZ), op[3].encode("utf-16-le").hex()]
        if len(lines) > 2:
            reg = self.cwd / "damage.reg"
            reg.write_text("\r\n".join(lines) + "\r\n", encoding="ascii")
            t.run(["wine", "reg", "import", windows_path(reg)], timeout=120)
        if raw:
            t.run(["wine", str(self.raw_value), *raw])

    def registry_rows(self, tool):
        return [row for row in REGISTRY_ROWS if tool in row["tools"]]

    def assert_index_unchanged(self):
        self.assertEqual(t.reg_query(IRDA_KEY, "Index"), SEEDED_INDEX,
                         "the IrDA driver's Index must not be written")

    # --- closing ----------------------------------------------------------------------------

    def close_tool(self, tool, title, since):
        """The tool is still there and ends with exit code 0 when its dialog is closed; returns
        the opens and closes of the port since then, once the port is closed."""
        self.assertTrue(tool.running(), "the tool must still run")
        t.probe.command(IDCANCEL, title=title, timeout_ms=15000)
        self.assertEqual(tool.wait_exit(20), 0)
        # The card sees the port close a moment after the tool has gone.
        def closed():
            changes = self.card.port_changes(since)
            return (changes,) if not changes or changes[-1][0] == "close" else None
        return t.wait_for("the port to be closed", closed)[0]
