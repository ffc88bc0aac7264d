"""Fault matrix, portswap: one run per registry row (see fault_matrix)."""

import unittest

from tests.e2e import terminal as t
from tests.e2e import test_portswap as ps
from tests.e2e.fault_matrix import IDCANCEL, IDOK, FaultMatrixCase


class PortswapRegistryFaults(FaultMatrixCase):

    def test_registry_faults(self):
        for row in self.registry_rows("portswap"):
            with self.subTest(row["name"]):
                self.damage_registry(row["registry"])
                tool = t.Tool("portswap", cwd=self.cwd)
                self.addCleanup(tool.kill)
                try:
                    self.portswap_lists(row)
                    self.assertEqual(tool.wait_exit(20), 0)
                finally:
                    tool.kill()
                self.assert_index_unchanged()

    def portswap_lists(self, row):
        """Checks the port list and the change dialog's choices, then leaves both dialogs."""
        port_list = ps.await_windows("list")["list"]
        self.assertEqual(ps.rows(port_list), row["rows"])
        t.probe.click(ps.CHANGE, hwnd=port_list["hwnd"], timeout_ms=5000)
        change = ps.await_windows("list", "change")["change"]
        self.assertEqual(ps.choices(change), row["choices"])
        if row["choices"][1] is None:
            # OK without a chosen number is refused: the click has been handled when it returns,
            # and no notice came up.
            t.probe.click(IDOK, hwnd=change["hwnd"], send=True)
            self.assertNotIn("notice", ps.windows())
        t.probe.click(IDCANCEL, hwnd=change["hwnd"])
        ps.await_windows("list", absent=("change",))
        t.probe.click(IDCANCEL, hwnd=port_list["hwnd"])


if __name__ == "__main__":
    unittest.main()
