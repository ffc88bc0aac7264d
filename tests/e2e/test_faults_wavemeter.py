"""Fault matrix, wavemeter: the card's faults in one run, the registry's one run per row (see
fault_matrix)."""

import time
import unittest

from tests.e2e import terminal as t
from tests.e2e import test_wavemeter as wm
from tests.e2e.fault_matrix import (ACQUIRING, BASELINE, MODE, PERIOD, UNAVAILABLE,
                                    WAVEMETER_CARD_ROWS, FaultMatrixCase)


class WavemeterCardFaults(FaultMatrixCase):

    def test_card_faults(self):
        self.card = t.Card(name="fault-wavemeter")
        self.start_tool()
        self.card.await_event("command", command=MODE, timeout=30)
        self.await_seen(*BASELINE)
        for row in WAVEMETER_CARD_ROWS:
            with self.subTest(row["name"]):
                restore = row.get("restore", True)
                try:
                    self.card_row(row)
                    self.assertTrue(self.tool.running())
                finally:
                    if restore:
                        self.card.ctl("reset")
                if restore:
                    # Bytes of a faulted reply still in the port are read by the next ticks.
                    self.await_seen(*BASELINE, timeout=20)

        # Opened at the start and after the re-insertion; closed by the card's removal, and by
        # the tool when its dialog is closed.
        self.assertEqual(self.close_tool(self.tool, wm.DIALOG, 0),
                         [("open", "tool"), ("close", "card removed"), ("open", "tool"),
                          ("close", "tool")])
        self.assert_index_unchanged()

    def card_row(self, row):
        action = row.get("action")
        if action == "remove":
            return self.card_removed_during_a_tick(row)
        if action == "insert":
            return self.card_inserted_again(row)
        for words in row["ctl"]:
            self.card.ctl(*words)
        since = time.time()
        # Once the second tick has begun, the first one's picture is on the screen; with a
        # fault that stays on, every later tick shows the same.
        self.card.await_event("command", since, count=2, command=MODE)
        self.await_seen(*row["shows"], timeout=5)
        if "then" in row:
            # The tick after it has shown its picture when the third begins, and nothing is
            # drawn again until the third tick ends, at least one read later: one screen then
            # shows it whole.
            self.card.await_event("command", since, count=3, command=MODE)
            self.assertEqual(self.seen()[0], row["shows"], "picture of the tick after it")
        faulted = self.ticks(since)
        self.assertEqual(faulted[0], row["tick"], "commands of the faulted tick")
        if "then" in row:
            self.assertEqual(faulted[1], row["then"], "commands of the tick after it")
        self.assertEqual(self.card.port_changes(since), [], "the port stays open")

    def card_removed_during_a_tick(self, row):
        # The tick has just sent its mode command and is waiting for the reply.
        asked = self.card.await_event("command", time.time(), command=MODE)
        self.card.ctl("remove")
        self.await_seen(*row["shows"])
        self.assertEqual(self.card.port_changes(asked["t"]), [("close", "card removed")])
        # Every tick tries to open the port again, in vain.
        time.sleep(2 * PERIOD)
        self.await_seen(*row["shows"], timeout=3)
        self.assertEqual(self.card.port_changes(asked["t"]), [("close", "card removed")])

    def card_inserted_again(self, row):
        before = time.time()
        self.card.ctl("insert")
        opened = self.card.await_event("open", before)
        self.await_seen(*ACQUIRING)
        first = self.card.await_event("command", opened["t"])
        self.assertEqual(first["command"], MODE)
        # The opening tick and three more show the acquiring picture; the fifth asks.
        self.assertGreater(first["t"] - opened["t"], 3.5 * PERIOD)
        self.await_seen(*row["shows"])


class WavemeterRegistryFaults(FaultMatrixCase):

    def test_registry_faults(self):
        self.card = t.Card(name="fault-registry", registry=False)
        for row in self.registry_rows("wavemeter"):
            with self.subTest(row["name"]):
                self.damage_registry(row["registry"])
                since = time.time()
                self.start_tool()
                try:
                    if row["card"]:
                        self.card.await_event("open", since)
                        self.await_seen(*ACQUIRING)
                    else:
                        time.sleep(3 * PERIOD)
                        self.await_seen(*UNAVAILABLE, timeout=3)
                    # Closed during the warm-up: nothing is sent in either case.
                    self.assertEqual(self.card.received(since), b"")
                    self.assertEqual(self.close_tool(self.tool, wm.DIALOG, since),
                                     [("open", "tool"), ("close", "tool")] if row["card"] else [])
                finally:
                    self.tool.kill()
                self.assert_index_unchanged()


if __name__ == "__main__":
    unittest.main()
