"""identview in the simulated terminal: the texts a user sees after the one query pass, and what
the card received (its transcript), for a card that answers, answers oddly or fails, and for no
card at all. Each test saves a screenshot; TERMINAL_UPDATE_DOCS=1 copies them into docs/img.
"""

import tempfile
import time
import unittest
from pathlib import Path

from tests.e2e import terminal as t

TITLE = "CFカード情報表示"
ACQUIRING = "取得中です"
UNAVAILABLE = "取得できませんでした"
NO_VALUE = "--------"
NO_GROUP = "\u3000--------"
SPACE = "\u3000"

PSID, PHONE, GROUP, LINE1, LINE2 = 1001, 1002, 1003, 1004, 1005
ALL_COMMANDS = [b"AT@Y\r", b"ATI6\r", b"ATI3\r", b"ATI4\r", b"ATI5\r"]
UNAVAILABLE_TEXTS = {PSID: UNAVAILABLE, PHONE: UNAVAILABLE, GROUP: NO_GROUP,
                     LINE1: UNAVAILABLE, LINE2: UNAVAILABLE}

# The card's answers in most tests, and the texts they give.
CARD_ANSWERS = [
    ("set", "psid", "00F3A9C1B207"),
    ("set", "phone", "07012345678"),
    ("set", "i3", "PHS データ通信カード"),
    # 表 and ソ end in the byte 0x5C; ｶｰﾄﾞ are one-byte katakana.
    ("set", "i4", "表示ソフト ｶｰﾄﾞ Ver 1.02"),
    ("set", "i5", "製造番号 0001234"),
]
CARD_TEXTS = {
    PSID: "00F3A9C1B207",
    PHONE: "07012345678",
    GROUP: SPACE + "PHS データ通信カード",
    LINE1: "表示ソフト ｶｰﾄﾞ Ver 1.02",
    LINE2: "製造番号 0001234",
}

# Makes the serial driver refuse one write: the first write to a terminal device whose bytes are
# exactly FAIL_TTY_WRITE fails with EIO, as a write to a card that has gone away does. Loaded
# into the tool's Wine process with LD_PRELOAD; every other write goes through unchanged.
WRITE_FAULT_SOURCE = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static const char *target;
static int used;

__attribute__((constructor)) static void read_target(void)
{
    target = getenv("FAIL_TTY_WRITE");
}

ssize_t write(int fd, const void *buf, size_t count)
{
    static ssize_t (*real_write)(int, const void *, size_t);
    if (!real_write)
        real_write = (ssize_t (*)(int, const void *, size_t))dlsym(RTLD_NEXT, "write");
    if (!used && target && count == strlen(target) && memcmp(buf, target, count) == 0 &&
        isatty(fd)) {
        used = 1;
        errno = EIO;
        return -1;
    }
    return real_write(fd, buf, count);
}
"""


def dialog_texts():
    """The texts of the identity dialog's five result controls as one probe call reads them, or
    None while the dialog is missing or too busy to answer."""
    windows = t.probe.list_windows(title=TITLE)
    if not windows or not windows[0]["responding"]:
        return None
    return {c["id"]: c["text"] for c in windows[0]["controls"]
            if c["id"] in (PSID, PHONE, GROUP, LINE1, LINE2)}


def settled_texts():
    """The dialog's texts once the pass has set them all. The probe reads the controls one after
    another, and the pass may run between two of them; every row but the group caption starts
    at acquiring, so a read in which none is left and which the next read repeats shows the
    pass's result whole."""
    return t.settled("the query pass to set every row", dialog_texts,
                     lambda texts: ACQUIRING not in texts.values())


class IdentviewTest(t.TerminalTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.scratch = tempfile.TemporaryDirectory(prefix="identview-e2e-")
        cls.write_fault = t.compile_c("write_fault.so", WRITE_FAULT_SOURCE,
                                      "cc", "-shared", "-fPIC", "-O2", "-ldl")

    @classmethod
    def tearDownClass(cls):
        cls.scratch.cleanup()
        super().tearDownClass()

    def start_card(self, *setup, registry=True, scenario=None):
        """A card answering with the defaults changed by the given control lines."""
        card = t.Card(name="identview-card", registry=registry, scenario=scenario)
        self.addCleanup(card.stop)
        for line in setup:
            card.ctl(*line)
        return card

    def start_identview(self, **environment):
        tool = t.Tool("identview", env=environment)
        self.addCleanup(tool.kill)
        return tool

    def run_pass(self, card, **environment):
        """Starts identview, waits until its pass has closed the port, returns the texts."""
        tool = self.start_identview(**environment)
        card.await_event("close", timeout=30)
        texts = settled_texts()
        self.assertTrue(tool.running(), "identview must stay open after its pass")
        return texts

    def assert_one_pass(self, card, commands):
        self.assertEqual(card.commands(), commands)
        self.assertEqual(card.port_changes(), [("open", "tool"), ("close", "tool")],
                         "the port is opened once and closed at the end of the pass")

    def shoot(self, name, docs=True):
        shot = t.screenshot(name)
        if docs:
            t.publish(shot, name)

    # --- no usable port: nothing is sent ------------------------------------------------------

    def test_no_card_or_port_not_opening_shows_fallbacks_and_sends_nothing(self):
        # The card listens in both cases, so its transcript would show anything sent.
        cases = [
            ("no card modem in the registry", "identview-no-card", True,
             lambda card: t.reg_delete(r"HKLM\Drivers\Active\05")),
            # The registry still names COM3:, but the card's port has gone. The same screen
            # as without a card; its picture stays out of the docs.
            ("modem entry naming a port that does not open", "identview-port-closed", False,
             lambda card: card.ctl("remove")),
        ]
        for what, shot, docs, prepare in cases:
            with self.subTest(what):
                t.kill_tools("identview.exe")
                t.reseed_registry()
                card = self.start_card(registry=False)
                prepare(card)
                self.start_identview()
                self.assertEqual(settled_texts(), UNAVAILABLE_TEXTS)
                self.shoot(shot, docs)
                self.assertEqual(card.received(), b"", "nothing may be sent")
                self.assertEqual(card.port_changes(), [])
                card.stop()

    # --- a card that answers ------------------------------------------------------------------

    def test_every_row_answered_including_shift_jis(self):
        card = self.start_card(*CARD_ANSWERS)
        self.assertEqual(self.run_pass(card), CARD_TEXTS)
        self.shoot("identview-card")
        self.assert_one_pass(card, ALL_COMMANDS)

    def test_ok_or_empty_line_shows_no_value(self):
        card = self.start_card(
            ("set", "psid", "OK"),
            ("set", "phone", "OKAY"),
            ("set", "i3", "OK"),
            ("fault", "empty", "only", "ATI4"),
            ("set", "i5", "hex:202030303031323334"))
        texts = self.run_pass(card)
        self.assertEqual(texts, {
            PSID: NO_VALUE,
            PHONE: "OKAY",
            GROUP: NO_GROUP,
            LINE1: NO_VALUE,
            LINE2: "  0001234",
        })
        self.shoot("identview-no-value")
        self.assert_one_pass(card, ALL_COMMANDS)

    # --- rows that fail -----------------------------------------------------------------------

    def test_failed_write_of_row_2_leaves_the_port_open_for_rows_3_to_5(self):
        card = self.start_card(*CARD_ANSWERS)
        texts = self.run_pass(card, LD_PRELOAD=str(self.write_fault),
                              FAIL_TTY_WRITE="ATI6\r")
        self.assertEqual(texts, {**CARD_TEXTS, PHONE: UNAVAILABLE})
        self.shoot("identview-write-failed")
        self.assert_one_pass(card, [b"AT@Y\r", b"ATI3\r", b"ATI4\r", b"ATI5\r"])

    def test_long_reply_is_cut_and_its_rest_fails_the_next_row(self):
        digits = "0123456789" * 7
        card = self.start_card(
            *CARD_ANSWERS,
            ("set", "psid", digits),
            # 30 two-byte characters behind one byte: the cut falls inside a character.
            ("set", "i4", "x" + "ア" * 30))
        texts = self.run_pass(card)
        # 63 bytes of reply: the echo and CR LF leave 56 bytes of the line.
        self.assertEqual(texts[PSID], digits[:56])
        self.assertEqual(texts[PHONE], UNAVAILABLE, "the rest of reply 1 comes before echo 2")
        self.assertEqual(texts[GROUP], CARD_TEXTS[GROUP])
        shown = texts[LINE1]
        self.assertTrue(shown.startswith("x" + "ア" * 27), shown)
        self.assertLessEqual(len(shown), 29, "at most one character for the cut-off lead byte")
        self.assertEqual(texts[LINE2], UNAVAILABLE, "the rest of reply 4 comes before echo 5")
        self.shoot("identview-long-reply")
        self.assert_one_pass(card, ALL_COMMANDS)

    def test_every_row_failing_reads_the_card_only_once(self):
        card = self.start_card(("fault", "noecho"))
        texts = self.run_pass(card)
        self.assertEqual(texts, UNAVAILABLE_TEXTS)
        self.shoot("identview-all-failed")
        # Long enough for a second pass to have started, had there been one.
        time.sleep(3)
        self.assert_one_pass(card, ALL_COMMANDS)

    def test_card_pulled_after_the_first_row(self):
        scenario = Path(self.scratch.name) / "pull.scenario"
        scenario.write_text("await command AT@Y\nwait 300\nremove\n")
        card = self.start_card(*CARD_ANSWERS, scenario=scenario)
        tool = self.start_identview()
        texts = settled_texts()
        self.assertEqual(texts, {**UNAVAILABLE_TEXTS, PSID: CARD_TEXTS[PSID]})
        self.assertTrue(tool.running())
        self.shoot("identview-card-pulled")
        self.assertEqual(card.commands(), [b"AT@Y\r"])
        self.assertEqual(card.port_changes(), [("open", "tool"), ("close", "card removed")])


if __name__ == "__main__":
    unittest.main()
