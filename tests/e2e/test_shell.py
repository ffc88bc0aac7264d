"""The modem tools' shell in the simulated terminal: start, single instance, About box, exit."""

import unittest

from tests.e2e.terminal import TerminalTestCase, Tool, probe, publish, screenshot, wait_window

TOOLS = {
    "wavemeter": dict(cls="WAVEMETER", dialog="CFカード電波状態表示",
                      about="WaveMeter のバージョン情報", version="WaveMeter Version 1.0"),
    "identview": dict(cls="IDENTVIEW", dialog="CFカード情報表示",
                      about="IdentView のバージョン情報", version="IdentView Version 1.0"),
}

IDOK, IDCANCEL, IDM_ABOUT = 1, 2, 40003


def main_window(cls):
    windows = probe.list_windows(cls=cls, all=True)
    return windows[0] if windows else None


def owner_of(dialog):
    """The window that owns the dialog: its own copy's main window, never one of a copy that was
    just killed and whose windows the system has not yet taken down."""
    windows = probe.list_windows(hwnd=dialog["owner"], all=True)
    return windows[0] if windows else None


def centred(main, dialog):
    width = dialog["rect"][2] - dialog["rect"][0]
    height = dialog["rect"][3] - dialog["rect"][1]
    client_width, client_height = main["client_size"]
    return [max(0, int((client_width - width) / 2)), max(0, int((client_height - height) / 2))]


class ShellTest(TerminalTestCase):

    def start(self, name):
        tool = Tool(name)
        self.addCleanup(tool.kill)
        dialog = wait_window(TOOLS[name]["dialog"])
        return tool, dialog

    def test_main_dialog_is_centred_on_the_main_window(self):
        for name, t in TOOLS.items():
            with self.subTest(name):
                tool, dialog = self.start(name)
                main = owner_of(dialog)
                self.assertIsNotNone(main)
                self.assertEqual(main["class"], t["cls"])
                self.assertEqual(dialog["rect"][:2], centred(main, dialog))
                # Only the signal dialog is placed topmost.
                self.assertEqual(dialog["topmost"], name == "wavemeter")
                screenshot(f"shell-{name}-started")
                tool.kill()

    def test_second_start_raises_the_first_and_ends_with_zero(self):
        first, _ = self.start("wavemeter")
        second = Tool("wavemeter")
        self.assertEqual(second.wait_exit(30), 0)
        self.assertTrue(first.running())
        self.assertEqual(len(probe.list_windows(cls="WAVEMETER", all=True)), 1)
        self.assertEqual(len(probe.list_windows(title=TOOLS["wavemeter"]["dialog"])), 1)

    def test_both_tools_run_side_by_side(self):
        wavemeter, _ = self.start("wavemeter")
        identview, _ = self.start("identview")
        self.assertTrue(wavemeter.running())
        self.assertTrue(identview.running())
        self.assertIsNotNone(main_window("WAVEMETER"))
        self.assertIsNotNone(main_window("IDENTVIEW"))
        screenshot("shell-side-by-side")

    def test_about_box_shows_title_and_version_and_closes_on_ok_or_cancel_only(self):
        for name, t in TOOLS.items():
            with self.subTest(name):
                tool, dialog = self.start(name)
                main = owner_of(dialog)
                for closing in (IDOK, IDCANCEL):
                    probe.command(IDM_ABOUT, hwnd=main["hwnd"], all=True)
                    about = wait_window(t["about"])
                    self.assertEqual(about["owner"], main["hwnd"])
                    texts = [c["text"] for c in about["controls"]]
                    self.assertIn(t["version"], texts)
                    icons = [c for c in about["controls"] if c.get("image_type") == "icon"]
                    self.assertEqual(len(icons), 1)
                    self.assertTrue(icons[0]["image_set"])
                    self.assertEqual(about["rect"][:2], centred(main, about))
                    if closing == IDOK:
                        publish(screenshot(f"shell-{name}-about"), f"shell-{name}-about")
                    # Any other command leaves it open: sent, each is handled when it returns.
                    probe.command(5, title=t["about"], send=True)
                    probe.command(IDM_ABOUT, title=t["about"], send=True)
                    self.assertEqual(len(probe.list_windows(title=t["about"])), 1)
                    probe.command(closing, title=t["about"])
                    probe.wait_gone(title=t["about"], timeout_ms=5000)
                    self.assertTrue(tool.running())
                tool.kill()

    def test_alt_f4_ends_the_program_with_zero(self):
        for name, t in TOOLS.items():
            with self.subTest(name):
                tool, _ = self.start(name)
                probe.keys("alt+f4", title=t["dialog"])
                self.assertEqual(tool.wait_exit(20), 0)
                self.assertIsNone(main_window(t["cls"]))

    def test_exit_command_on_the_main_window_ends_the_program_with_zero(self):
        tool, _ = self.start("identview")
        # The dialog ends first (as on the terminal, the main window only lives around it).
        probe.command(IDCANCEL, title=TOOLS["identview"]["dialog"])
        self.assertEqual(tool.wait_exit(20), 0)


if __name__ == "__main__":
    unittest.main()
