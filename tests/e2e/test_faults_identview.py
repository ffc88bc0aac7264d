"""Fault matrix, identview: one run per row, since the card is read once per run (see
fault_matrix)."""

import time
import unittest

from tests.e2e import terminal as t
from tests.e2e import test_identview as iv
from tests.e2e.fault_matrix import DEFAULT_TEXTS, IDENTVIEW_CARD_ROWS, FaultMatrixCase


class IdentviewFaultsCase(FaultMatrixCase):

    def identview_pass(self, since, texts, sent):
        """Runs identview once and checks its texts and what the card received: the pass is over
        once the port is closed again, or, with nothing to open, once every row is set."""
        tool = t.Tool("identview", cwd=self.cwd)
        self.addCleanup(tool.kill)
        try:
            if sent:
                self.card.await_event("close", since, timeout=30)
            self.assertEqual(iv.settled_texts(), texts)
            self.assertEqual(self.card.commands(since), sent)
            self.assertEqual(self.close_tool(tool, iv.TITLE, since),
                             [("open", "tool"), ("close", "tool")] if sent else [])
        finally:
            tool.kill()


class IdentviewCardFaults(IdentviewFaultsCase):

    def test_card_faults(self):
        self.card = t.Card(name="fault-identview")
        for row in IDENTVIEW_CARD_ROWS:
            with self.subTest(row["name"]):
                self.card.ctl("reset")
                t.reseed_registry()
                for words in row["ctl"]:
                    self.card.ctl(*words)
                self.identview_pass(time.time(), row["texts"], row.get("sent", iv.ALL_COMMANDS))
                self.assert_index_unchanged()


class IdentviewRegistryFaults(IdentviewFaultsCase):

    def test_registry_faults(self):
        self.card = t.Card(name="fault-registry", registry=False)
        for row in self.registry_rows("identview"):
            with self.subTest(row["name"]):
                self.damage_registry(row["registry"])
                if row["card"]:
                    self.identview_pass(time.time(), DEFAULT_TEXTS, iv.ALL_COMMANDS)
                else:
                    self.identview_pass(time.time(), iv.UNAVAILABLE_TEXTS, [])
                self.assert_index_unchanged()


if __name__ == "__main__":
    unittest.main()
