"""The built programs under Wine, checked where Wine lets a wrong argument pass unnoticed: it does
not enforce share mode 0 on a serial port (a second open of COM3 succeeds) and measures no timer
period, so Wine's relay trace shows what the programs ask for; it also shows that the modem tools'
About box is centred without a change of z-order, where being shown brings it up anyway. And a
second start of each program ends with exit code 0 while the first one runs.

Runs in lane 0's terminal with the Wine tier's card on COM3.
"""

import unittest

from tests.e2e import terminal as t
from tests.e2e import test_identview as iv
from tests.e2e import test_portswap as ps
from tests.e2e import test_shell as sh
from tests.e2e import test_wavemeter as wm

GENERIC_READ_WRITE = 0xC0000000
OPEN_EXISTING = 3
IDT_START, IDT_POLL = 40005, 40006
# The card's port as the seeded registry names it, opened for reading and writing, not shared,
# no security attributes, only if it exists, no flags, no template.
CARD_PORT_OPEN = ["COM3:", GENERIC_READ_WRITE, 0, 0, OPEN_EXISTING, 0, 0]
HWND_TOP = 0
SWP_NOSIZE, SWP_NOZORDER = 0x1, 0x4


def card_port_opens(tool):
    return [[t.relay_trace.low32(a) if isinstance(a, int) else a for a in c["args"]]
            for c in tool.calls("CreateFileW") if c["args"][:1] == ["COM3:"]]


def timers(tool):
    """(id, period) of each SetTimer call."""
    return [(t.relay_trace.low32(c["args"][1]), t.relay_trace.low32(c["args"][2]))
            for c in tool.calls("SetTimer")]


def about_placements(tool, hwnd):
    """(insert after, flags) of each SetWindowPos call on the window hwnd."""
    return [(t.relay_trace.low32(c["args"][1]), t.relay_trace.low32(c["args"][6]))
            for c in tool.calls("SetWindowPos") if t.relay_trace.low32(c["args"][0]) == hwnd]


class ProgramsTest(t.TerminalTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        t.relay_trace.include_calls(t.ENV, ("CreateFileW", "SetTimer", "SetWindowPos"))
        # The desktop is up before a traced program starts, so it does not inherit the trace.
        t.probe.list_windows()

    @classmethod
    def tearDownClass(cls):
        t.relay_trace.include_all(t.ENV)
        super().tearDownClass()

    def test_card_port_opened_exclusively_and_timers_set(self):
        cases = [("wavemeter", [(IDT_START, 1), (IDT_POLL, 1200)]),
                 ("identview", [(IDT_START, 1)])]
        for name, expected in cases:
            with self.subTest(name):
                tool = t.Tool(name, cwd=t.RUN_DIR / f"calls-{name}", traced=True)
                self.addCleanup(tool.kill)
                # Both tools open the port in their first tick, after their start timer;
                # wavemeter sets its poll timer after that tick.
                t.wait_for("the timers and the port's opening", lambda: (
                    len(timers(tool)) >= len(expected) and card_port_opens(tool)))
                self.assertEqual(timers(tool), expected)
                self.assertEqual(card_port_opens(tool)[0], CARD_PORT_OPEN)
                tool.kill()

    def test_about_box_keeps_its_place_in_the_z_order(self):
        for name in ("wavemeter", "identview"):
            with self.subTest(name):
                tool = t.Tool(name, cwd=t.RUN_DIR / f"about-{name}", traced=True)
                self.addCleanup(tool.kill)
                dialog = t.wait_window(sh.TOOLS[name]["dialog"])
                t.probe.command(sh.IDM_ABOUT, hwnd=dialog["owner"], all=True)
                about = t.wait_window(sh.TOOLS[name]["about"])
                self.assertFalse(about["topmost"])
                if name == "wavemeter":
                    # Top-level windows in z-order, topmost first: the signal dialog, placed
                    # topmost, stays above the About box.
                    order = [w["hwnd"] for w in t.probe.list_windows(all=True)]
                    self.assertLess(order.index(dialog["hwnd"]), order.index(about["hwnd"]))
                # It is centred in place, its z-order left as showing it made it.
                hwnd = t.relay_trace.low32(int(about["hwnd"], 16))
                tool.await_call("SetWindowPos",
                                lambda c: t.relay_trace.low32(c["args"][0]) == hwnd)
                self.assertEqual(about_placements(tool, hwnd),
                                 [(HWND_TOP, SWP_NOSIZE | SWP_NOZORDER)])
                tool.kill()

    def test_second_start_ends_with_zero_while_the_first_runs(self):
        for name, title in (("wavemeter", wm.DIALOG), ("identview", iv.TITLE),
                            ("portswap", ps.TITLE)):
            with self.subTest(name):
                first = t.Tool(name)
                self.addCleanup(first.kill)
                t.probe.wait(title=title, timeout_ms=30000)
                self.assertEqual(t.Tool(name).wait_exit(30), 0)
                self.assertTrue(first.running())
                first.kill()


if __name__ == "__main__":
    unittest.main()
