"""wavemeter in the simulated terminal: what the user sees and what the card receives.

The picture and badge on screen are read from the whole screen at one moment, compared pixel for
pixel with the committed bitmaps: while the card answers, ticks follow each other with little
pause, and a reading through the window probe (one message per control, each waiting for a tick
to end) would take many ticks. Every tick hides the pictures and shows one again, so a state
counts once two screens in a row show it. The probe finds the dialog and checks its windows the
same way. The card's side comes from the simulator's transcript (commands, openings and closings
of its port). Time bounds are loose on purpose: they tell the fifth tick from the fourth and a
retry on every tick from none, nothing finer.
"""

import struct
import time
import unittest

from tests.e2e import terminal

TOOL = "wavemeter"
DIALOG = "CFカード電波状態表示"
PERIOD = 1.2

# Control ids of the picture windows by picture index, and of the two badges.
PICTURES = {114: 0, 108: 1, 109: 2, 110: 3, 111: 4, 112: 5, 113: 6, 119: 7, 116: 8, 115: 9}
BADGES = {117: 0, 118: 1}
NO_BADGE = None

# Bitmap files by picture and badge index, and where they sit in the dialog's client area.
ART = terminal.ROOT / "wavemeter" / "art"
PICTURE_FILES = ["signal_out_of_area", "signal_bars_0", "signal_bars_1", "signal_bars_2",
                 "signal_bars_3", "signal_bars_4", "signal_bars_5", "signal_transceiver",
                 "signal_acquiring", "signal_unavailable"]
BADGE_FILES = ["badge_public", "badge_home"]
PICTURE_AT = (66, 25)
BADGE_AT = (112, 9)

MODE = "AT@M?"
PUBLIC = "AT#Q5:0"
PRIVATE = "AT#Q5:2"


def load_bitmap(name):
    """(width, height, rows of RGB bytes) of a 4 bpp bottom-up BMP file of the artwork."""
    data = (ART / f"{name}.bmp").read_bytes()
    bits, = struct.unpack_from("<I", data, 10)
    header, width, height, _, depth = struct.unpack_from("<IiiHH", data, 14)
    assert depth == 4 and height > 0, name
    palette = [tuple(data[14 + header + 4 * i + k] for k in (2, 1, 0)) for i in range(16)]
    stride = ((width * 4 + 31) // 32) * 4
    rows = []
    for y in range(height):
        row = data[bits + (height - 1 - y) * stride:]
        rows.append(b"".join(bytes(palette[(row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15])
                             for x in range(width)))
    return width, height, rows


PICTURE_BITMAPS = [load_bitmap(name) for name in PICTURE_FILES]
BADGE_BITMAPS = [load_bitmap(name) for name in BADGE_FILES]


class Screen:
    """The terminal's screen at one moment as RGB pixels."""

    def __init__(self):
        self.width, self.height, self.pixels = terminal.screen_pixels()

    def save(self, name):
        """Writes it to build/screenshots/<name>.png; returns the path."""
        return terminal.save_png(self.width, self.height, self.pixels,
                                 terminal.SHOTS / f"{name}.png")

    def shows(self, bitmap, left, top):
        width, height, rows = bitmap
        for y in range(height):
            start = 3 * ((top + y) * self.width + left)
            if self.pixels[start:start + 3 * width] != rows[y]:
                return False
        return True


def shown(window):
    """(picture, badge) whose windows are visible in the dialog as the probe reports it; a list
    when not exactly one picture or more than one badge."""
    pictures = sorted(PICTURES[c["id"]] for c in window["controls"]
                      if c["id"] in PICTURES and c["own_visible"])
    badges = sorted(BADGES[c["id"]] for c in window["controls"]
                    if c["id"] in BADGES and c["own_visible"])
    picture = pictures[0] if len(pictures) == 1 else pictures
    badge = badges[0] if len(badges) == 1 else (NO_BADGE if not badges else badges)
    return picture, badge


class WavemeterTestCase(terminal.TerminalTestCase):
    """One run of wavemeter against one simulated card."""

    def setUp(self):
        super().setUp()
        self.card = None
        self.tool = None
        self.client = None

    def tearDown(self):
        if self.tool is not None:
            self.tool.kill()
        if self.card is not None:
            self.card.stop()
        super().tearDown()

    # --- starting -------------------------------------------------------------------------------

    def start_card(self):
        self.card = terminal.Card()
        return self.card

    def start_tool(self):
        """Starts wavemeter and waits for its dialog."""
        self.tool = terminal.Tool(TOOL)
        window = terminal.probe.wait(title=DIALOG, timeout_ms=30000)
        self.client = window["client_origin"]

    def shown(self):
        """(picture, badge) whose windows are visible in the dialog, as the probe reads them once
        two reads in a row agree."""
        return terminal.settled("a steady dialog", lambda: (
            shown(windows[0]) if (windows := terminal.probe.list_windows(title=DIALOG)) else None))

    # --- the card's side ------------------------------------------------------------------------

    def commands(self, since=0.0):
        return [e["command"] for e in self.card.events("command", since)]

    def ctl(self, *words):
        self.card.ctl(*words)
        return time.time()

    def insert_card(self):
        """Puts the card back; returns the tool's opening of the port and the moment the card's
        registry entry was surely in place. The entry is written before the card answers, so a
        tick may open the port before the answer arrives: the opening is looked for from the
        moment the card was told."""
        told = time.time()
        answered = self.ctl("insert")
        return self.card.await_event("open", told), answered

    # --- the user's side ------------------------------------------------------------------------

    def seen(self):
        """(picture, badge) on the screen at one moment, and that screen: which of the bitmaps
        are drawn where the pictures and the badges sit; a list when not exactly one (or more
        than one badge)."""
        screen = Screen()
        x, y = self.client
        pictures = [i for i, b in enumerate(PICTURE_BITMAPS)
                    if screen.shows(b, x + PICTURE_AT[0], y + PICTURE_AT[1])]
        badges = [i for i, b in enumerate(BADGE_BITMAPS)
                  if screen.shows(b, x + BADGE_AT[0], y + BADGE_AT[1])]
        picture = pictures[0] if len(pictures) == 1 else pictures
        badge = badges[0] if len(badges) == 1 else (NO_BADGE if not badges else badges)
        return (picture, badge), screen

    def await_seen(self, picture, badge, timeout=10.0):
        """Waits until two screens in a row show picture and badge; returns the second."""
        return terminal.settled(f"the screen to show {(picture, badge)}", self.seen,
                                lambda now: now == (picture, badge), key=lambda seen: seen[0],
                                timeout=timeout)[1]


class WarmUp(WavemeterTestCase):

    def test_four_ticks_of_acquiring_then_mode_query(self):
        self.start_card()
        self.start_tool()
        self.assertEqual(self.shown(), (8, NO_BADGE), "only the acquiring picture at first")
        opened = self.card.await_event("open")
        self.await_seen(8, NO_BADGE, timeout=3.0)
        first = self.card.await_event("command", opened["t"])
        self.assertEqual(first["command"], MODE)
        # Four periods after the opening tick; more than three in any case.
        waited = first["t"] - opened["t"]
        self.assertGreater(waited, 3.5 * PERIOD, "the first query waits for the fifth tick")
        self.assertLess(waited, 8 * PERIOD)
        self.await_seen(4, 0)
        self.assertEqual(self.commands()[:2], [MODE, PUBLIC])

    def test_no_card_then_card_appears(self):
        self.start_card()
        self.ctl("remove")
        self.start_tool()
        time.sleep(3 * PERIOD)
        self.await_seen(9, NO_BADGE, timeout=3.0)
        self.assertEqual(self.shown(), (9, NO_BADGE))
        self.assertEqual(self.card.events("open"), [])
        opened, inserted = self.insert_card()
        # Every tick tries again, so the card is found within a tick or two.
        self.assertLess(opened["t"] - inserted, 4 * PERIOD)
        self.await_seen(8, NO_BADGE, timeout=3.0)
        first = self.card.await_event("command", opened["t"])
        self.assertEqual(first["command"], MODE)
        self.assertGreater(first["t"] - opened["t"], 3.5 * PERIOD)
        self.await_seen(4, 0)


class Pictures(WavemeterTestCase):

    def shot(self, picture, badge, name):
        """Waits for picture and badge; name given: the screen is saved and goes to the docs."""
        screen = self.await_seen(picture, badge)
        if name:
            terminal.publish(screen.save(f"wavemeter-{name}"), f"wavemeter-{name}")

    def test_every_picture_and_badge(self):
        self.start_card()
        self.start_tool()
        self.card.await_event("open")
        self.shot(8, NO_BADGE, "acquiring")
        self.card.await_event("command")

        # Card settings, what they show, and the name of the screen (None: shown before).
        steps = [
            ([("mode", "0"), ("level0", "0")], (0, NO_BADGE), "out-of-area"),
            ([("level0", "1")], (1, 0), "bars-0-public"),
            ([("level0", "2")], (2, 0), "bars-1-public"),
            ([("level0", "3")], (3, 0), "bars-2-public"),
            ([("level0", "4")], (4, 0), "bars-3-public"),
            ([("level0", "5")], (5, 0), "bars-4-public"),
            ([("level0", "6")], (6, 0), "bars-5-public"),
            ([("mode", "3")], (7, NO_BADGE), "transceiver"),
            ([("mode", "2"), ("level2", "3")], (3, 1), "bars-2-home"),
            ([("level2", "0")], (0, NO_BADGE), None),
            ([("mode", "A"), ("level0", "2"), ("level2", "5")], (2, 0), None),
            ([("level0", "0")], (5, 1), "bars-4-home"),
            ([("mode", "0"), ("level0", "9")], (9, 0), "level-9-public"),
            ([("mode", "1")], (9, NO_BADGE), "unavailable"),
        ]
        for settings, (picture, badge), name in steps:
            with self.subTest(settings=settings):
                for field, value in settings:
                    self.ctl("set", field, value)
                self.shot(picture, badge, name)

    def test_transceiver_mode_asks_no_level(self):
        self.start_card()
        self.ctl("set", "mode", "3")
        self.start_tool()
        first = self.card.await_event("command", command=MODE)
        self.card.await_event("command", first["t"], count=3, command=MODE)
        self.await_seen(7, NO_BADGE)
        self.assertEqual(set(self.commands()), {MODE})

    def test_both_services_ask_private_only_when_public_is_out_of_area(self):
        self.start_card()
        self.ctl("set", "mode", "a")
        self.ctl("set", "level0", "3")
        self.ctl("set", "level2", "6")
        self.start_tool()
        first = self.card.await_event("command", command=MODE)
        self.card.await_event("command", first["t"], count=2, command=MODE)
        self.await_seen(3, 0)
        self.assertNotIn(PRIVATE, self.commands())
        changed = self.ctl("set", "level0", "0")
        self.await_seen(6, 1)
        commands = self.commands()
        self.assertIn(PRIVATE, self.commands(changed))
        # Each query of the private level follows a public one that came after the mode.
        for i, command in enumerate(commands):
            if command == PRIVATE:
                self.assertEqual(commands[i - 2:i], [MODE, PUBLIC])


class Failures(WavemeterTestCase):

    def test_card_removed_while_polling(self):
        self.start_card()
        self.start_tool()
        self.card.await_event("command")
        self.await_seen(4, 0)
        removed = self.ctl("remove")
        self.await_seen(9, NO_BADGE)
        # While the card is out, every tick tries in vain to open the port.
        time.sleep(2 * PERIOD)
        self.await_seen(9, NO_BADGE, timeout=3.0)
        reopened, inserted = self.insert_card()
        self.assertLess(reopened["t"] - inserted, 4 * PERIOD)
        self.await_seen(8, NO_BADGE, timeout=3.0)
        first = self.card.await_event("command", reopened["t"])
        self.assertEqual(first["command"], MODE)
        self.assertGreater(first["t"] - reopened["t"], 3.5 * PERIOD,
                           "the reopened port warms up again")
        self.await_seen(4, 0)
        self.assertEqual(len(self.card.events("open", removed)), 1)

    def test_no_echo_or_garbage_keeps_the_port_open(self):
        self.start_card()
        self.start_tool()
        self.card.await_event("command")
        self.await_seen(4, 0)
        for fault in (["noecho"], ["garbage"], ["lowerecho"], ["okonly", "only", MODE]):
            with self.subTest(fault[0]):
                since = self.ctl("fault", *fault)
                self.await_seen(9, NO_BADGE)
                self.card.await_event("command", since, count=3, command=MODE)
                self.await_seen(9, NO_BADGE, timeout=3.0)
                self.ctl("clear")
                self.await_seen(4, 0)
        self.assertEqual(len(self.card.events("open")), 1, "opened once")
        self.assertEqual(self.card.events("close"), [], "never closed")

    def test_closing_the_dialog_closes_the_port_and_ends_the_program(self):
        self.start_card()
        for command in (1, 2):  # IDOK, IDCANCEL
            with self.subTest(command=command):
                self.start_tool()
                opened = self.card.await_event("open", self.tool.started)
                terminal.probe.command(command, title=DIALOG)
                self.assertEqual(self.tool.wait_exit(20), 0)
                closed = self.card.await_event("close", opened["t"])
                self.assertEqual(closed["cause"], "tool")


if __name__ == "__main__":
    unittest.main()
