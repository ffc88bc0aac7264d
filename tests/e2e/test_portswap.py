"""portswap in the simulated terminal: the port list, the port change and the reset request.

What the user sees is read through the window probe; what the program asks of the system-control
driver through the driver's stand-in (tools/sysctl_standin): a "SYX1:" file in the program's
working directory and a relay trace of the calls around the request. The registry is the
prefix's own, reseeded before every test.
"""

import ctypes
import ctypes.util
import re
import shutil
import sys
import time
import unittest

from tests.e2e import terminal

sys.path.insert(0, str(terminal.ROOT / "tools" / "sysctl_standin"))
import sysctl_standin as standin  # noqa: E402

TITLE = "赤外線設定ツール"
NOTICE = ("設定を有効にするには、リセットが必要です。[OK]ボタンを押すと、自動的にリセットします。"
          "作業中のプログラムを全て閉じてから[OK]を押してください。")
ROW_IDS = list(range(1000, 1009))
CHOICES = 1009
CHANGE = 1      # 変更 in the list dialog, OK in the change dialog and in the notice
CANCEL = 2
WS_EX_NODRAG = 0x40000000
BS_DEFPUSHBUTTON = 0x1
SEEDED_ROWS = ["Serial", "IrDA", "Modem", "", "", "", "", "", ""]
SEEDED_CHOICES = ["2:", "4:", "5:", "6:", "7:", "8:", "9:"]
IRDA_KEY = r"HKLM\Drivers\Builtin\IrDA"
ACTIVE_KEY = r"HKLM\Drivers\Active"
OPEN_EXISTING = 3
FILE_ATTRIBUTE_NORMAL = 0x80
REG_DWORD = 4


low32 = terminal.relay_trace.low32


def portswap_run(name, driver=False, traced=True):
    """One run of portswap, started as a user would in its own working directory, with or
    without the system-control driver's stand-in, its calls traced when asked."""
    cwd = terminal.RUN_DIR / f"portswap-{name}"
    shutil.rmtree(cwd, ignore_errors=True)
    if driver:
        standin.install(cwd)
    return terminal.Tool("portswap", cwd=cwd, traced=traced)


# --- the tool's windows ------------------------------------------------------------------------

def windows(pid=None):
    """The tool's windows by role: "list", "change" and "notice"."""
    roles = {}
    for window in terminal.probe.list_windows(title=TITLE, pid=pid):
        ids = {c["id"] for c in window["controls"]}
        if ROW_IDS[0] in ids:
            roles["list"] = window
        elif CHOICES in ids:
            roles["change"] = window
        else:
            roles["notice"] = window
    return roles


def await_windows(*roles, absent=(), timeout=20.0):
    """The tool's windows, from one probe call, once those of roles are there and none of
    absent. Each dialog is filled before it shows, so a window seen is seen whole."""
    found = {}

    def ready():
        found.clear()
        found.update(windows())
        return all(r in found for r in roles) and not any(r in found for r in absent)

    terminal.wait_for(f"windows {roles} without {absent}", ready, timeout, 0.1,
                      seen=lambda: f"windows {sorted(found)}")
    return found


def rows(window):
    return [terminal.control(window, i)["text"] for i in ROW_IDS]


def choices(window):
    combo = terminal.control(window, CHOICES)
    selected = combo["entries"][combo["selected"]] if combo["selected"] >= 0 else None
    return combo["entries"], selected


def text_of_notice(window):
    texts = [c["text"] for c in window["controls"] if c["class"] == "Static"]
    return max(texts, key=len)


# --- screenshots -------------------------------------------------------------------------------

class _X11:
    """Just enough of Xlib to move a window."""

    def __init__(self):
        self.lib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.lib.XOpenDisplay.restype = ctypes.c_void_p
        self.lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.lib.XMoveWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                         ctypes.c_int]
        self.lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.lib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    def move(self, moves):
        display = self.lib.XOpenDisplay(terminal.ENV["DISPLAY"].encode())
        if not display:
            raise RuntimeError("cannot open the X display")
        for window, x, y in moves:
            self.lib.XMoveWindow(display, window, x, y)
        self.lib.XSync(display, 0)
        self.lib.XCloseDisplay(display)


def _stacked_x_windows():
    """(X window, x, y, width, height) of the tool's X windows, topmost first."""
    out = terminal.run(["xwininfo", "-root", "-tree"]).stdout.decode("utf-8", "replace")
    found = []
    for line in out.splitlines():
        match = re.match(r'\s+(0x[0-9a-f]+) "(.*)": \(.*\)\s+(\d+)x(\d+)\+(-?\d+)\+(-?\d+)', line)
        if match and match.group(2) == TITLE:
            w, h, x, y = (int(match.group(i)) for i in (3, 4, 5, 6))
            found.append((int(match.group(1), 16), x, y, w, h))
    return found


def screenshot(name):
    """Saves the screen as docs would show it.

    Wine under Xvfb leaves a window black where it covers another window of the same geometry
    exactly, which is how the change dialog (the list dialog's frame, centred the same way)
    lies over the list dialog. For the picture, each covered X window is moved off the screen
    and put back afterwards; the windows' Win32 positions are not touched.
    """
    covered, seen = [], set()
    for window, x, y, w, h in _stacked_x_windows():
        if (x, y, w, h) in seen:
            covered.append((window, x, y))
        seen.add((x, y, w, h))
    x11 = _X11() if covered else None
    if covered:
        x11.move([(window, 1000, y) for window, x, y in covered])
        time.sleep(0.5)
    try:
        shot = terminal.screenshot(f"portswap-{name}")
    finally:
        if covered:
            x11.move(covered)
    terminal.publish(shot, f"portswap-{name}")
    return shot


# --- the tests ---------------------------------------------------------------------------------

class PortswapTest(terminal.TerminalTestCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        standin.configure_prefix(terminal.ENV)
        # The desktop is up before a traced program starts, so it does not inherit the trace.
        terminal.probe.list_windows()

    @classmethod
    def tearDownClass(cls):
        standin.unconfigure_prefix(terminal.ENV)
        super().tearDownClass()

    def setUp(self):
        # A copy left running would answer the next start through the semaphore, showing its
        # own, older survey: every test starts from no running copy.
        super().setUp()
        self.runs = []
        self.others = []

    def tearDown(self):
        for run in self.runs:
            run.kill()
        for other in self.others:
            other.kill()

    def start(self, name, driver=False, traced=True):
        run = portswap_run(name, driver, traced)
        self.runs.append(run)
        return run

    def open_list(self, name, driver=False):
        run = self.start(name, driver)
        return run, await_windows("list")["list"]

    def open_change(self):
        terminal.probe.click(CHANGE, title=TITLE, timeout_ms=5000)
        return await_windows("list", "change")["change"]

    def leave(self, run):
        """キャンセル in the list dialog ends the program with 0."""
        terminal.probe.click(CANCEL, hwnd=windows()["list"]["hwnd"])
        self.assertEqual(run.wait_exit(), 0)

    def test_list_shows_the_driver_behind_each_port(self):
        run, window = self.open_list("list")
        self.assertEqual(rows(window), SEEDED_ROWS)
        labels = [c["text"] for c in window["controls"] if c["id"] in (0xFFFF, -1)]
        self.assertEqual(labels, [f"COM{n}:" for n in range(1, 10)])
        self.assertTrue(int(window["exstyle"], 16) & WS_EX_NODRAG)
        cancel = terminal.control(window, CANCEL)
        self.assertEqual((cancel["text"], int(cancel["style"], 16) & 0xF),
                         ("キャンセル", BS_DEFPUSHBUTTON))
        self.assertEqual(terminal.control(window, CHANGE)["text"], "変更")
        screenshot("list")
        self.leave(run)

    def test_change_offers_free_numbers_and_the_irda_port(self):
        # A driver loaded from elsewhere holds COM7 without a row; COM0: counts for nothing.
        terminal.reg_add(ACTIVE_KEY + r"\06", "Name", "com7:")
        terminal.reg_add(ACTIVE_KEY + r"\06", "Key", r"Drivers\USB\Serial")
        terminal.reg_add(ACTIVE_KEY + r"\07", "Name", "COM0:")
        terminal.reg_add(ACTIVE_KEY + r"\07", "Key", r"Drivers\Builtin\Other")
        run, window = self.open_list("change")
        self.assertEqual(rows(window), SEEDED_ROWS)
        change = self.open_change()
        self.assertEqual(change["title"], TITLE)
        self.assertEqual(int(change["owner"], 16), int(window["hwnd"], 16))
        self.assertTrue(int(change["exstyle"], 16) & WS_EX_NODRAG)
        self.assertEqual(choices(change), (["2:", "4:", "5:", "6:", "8:", "9:"], "2:"))
        screenshot("change")
        # キャンセル leaves the change dialog only.
        terminal.probe.click(CANCEL, hwnd=change["hwnd"])
        await_windows("list", absent=("change",))
        self.leave(run)

    def test_no_port_taken_offers_all_and_ok_without_a_choice_does_nothing(self):
        terminal.reg_delete(ACTIVE_KEY)
        run, window = self.open_list("none-taken", driver=True)
        self.assertEqual(rows(window), [""] * 9)
        change = self.open_change()
        self.assertEqual(choices(change), ([f"{n}:" for n in range(1, 10)], None))
        # Sent, the click has been handled when it returns (a notice would have kept it).
        terminal.probe.click(CHANGE, hwnd=change["hwnd"], send=True)
        self.assertNotIn("notice", windows())
        self.assertEqual(terminal.reg_query(IRDA_KEY, "Index"), ("REG_DWORD", "0x2"))
        self.assertEqual([c["name"] for c in run.calls() if c["name"] != "CloseHandle"], [])
        self.assertEqual(standin.device_opens(run.calls()), [])
        # A number chosen afterwards is stored as usual.
        terminal.probe.select(CHOICES, "9:", hwnd=change["hwnd"])
        terminal.probe.click(CHANGE, hwnd=change["hwnd"])
        notice = await_windows("notice")["notice"]
        terminal.probe.click(CHANGE, hwnd=notice["hwnd"])
        run.await_call("DeviceIoControl")
        self.assertEqual(terminal.reg_query(IRDA_KEY, "Index"), ("REG_DWORD", "0x9"))

    def test_ok_stores_the_index_shows_the_notice_and_requests_the_reset(self):
        run, window = self.open_list("reset", driver=True)
        change = self.open_change()
        terminal.probe.select(CHOICES, "5:", hwnd=change["hwnd"])
        terminal.probe.click(CHANGE, hwnd=change["hwnd"])
        notice = await_windows("list", "change", "notice")["notice"]
        self.assertEqual(notice["title"], TITLE)
        self.assertEqual(int(notice["owner"], 16), int(change["hwnd"], 16))
        self.assertEqual(text_of_notice(notice), NOTICE)
        # The value is stored before the notice; nothing goes to the driver while it is shown.
        self.assertEqual(terminal.reg_query(IRDA_KEY, "Index"), ("REG_DWORD", "0x5"))
        self.assertEqual(standin.device_opens(run.calls()), [])
        screenshot("notice")
        terminal.probe.click(CHANGE, hwnd=notice["hwnd"])
        run.await_call("CloseHandle", where=lambda c: standin.reset_requests(run.calls()))

        names = [c["name"] for c in run.calls() if c["name"] != "CloseHandle"]
        self.assertEqual(names, ["RegSetValueExW", "MessageBoxW", "Sleep", "CreateFileW",
                                 "DeviceIoControl"])
        store, box, pause, opened, request = (c for c in run.calls() if c["name"] != "CloseHandle")
        self.assertEqual(store["args"][1:4], ["Index", 0, REG_DWORD])
        self.assertEqual(low32(store["args"][5]), 4)
        self.assertEqual(low32(box["args"][0]), int(change["hwnd"], 16))
        self.assertTrue(NOTICE.startswith(box["args"][1]))
        self.assertEqual((box["args"][2], low32(box["args"][3])), (TITLE, 0))  # MB_OK
        self.assertEqual(low32(pause["args"][0]), 500)
        # Only a lower bound: the request never comes before the pause has passed.
        self.assertGreaterEqual(opened["time"] - box["returned"], 0.4)
        self.assertEqual([low32(a) if isinstance(a, int) else a for a in opened["args"]],
                         ["SYX1:", 0, 0, 0, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0])
        [sent] = standin.reset_requests(run.calls())
        self.assertEqual(
            {k: sent[k] for k in ("code", "in_buffer", "in_size", "out_buffer", "out_size",
                                  "overlapped", "closed")},
            {"code": 257, "in_buffer": 0, "in_size": 0, "out_buffer": 0, "out_size": 0,
             "overlapped": 0, "closed": True})
        self.assertNotEqual(sent["returned_ptr"], 0)
        # The stand-in does not reset: the dialog stays open as it was.
        shown = await_windows("list", "change", absent=("notice",))
        self.assertEqual(choices(shown["change"]), (SEEDED_CHOICES, "5:"))

    def test_without_the_driver_the_dialog_stays_and_the_list_is_not_refreshed(self):
        run, window = self.open_list("no-driver")
        change = self.open_change()
        terminal.probe.select(CHOICES, "4:", hwnd=change["hwnd"])
        terminal.probe.click(CHANGE, hwnd=change["hwnd"])
        notice = await_windows("notice")["notice"]
        terminal.probe.click(CHANGE, hwnd=notice["hwnd"])
        opened = run.await_call("CreateFileW", where=lambda c: c["args"][:1] == ["SYX1:"])
        self.assertEqual(opened["result"], standin.INVALID_HANDLE)
        # A command sent to the change dialog is handled once the OK handler has returned: the
        # trace then holds all the handler called.
        terminal.probe.command(0, hwnd=change["hwnd"], send=True, timeout_ms=5000)
        self.assertEqual(run.calls("DeviceIoControl"), [])
        shown = await_windows("list", "change", absent=("notice",))
        self.assertEqual(choices(shown["change"]), (SEEDED_CHOICES, "4:"))
        self.assertEqual(terminal.reg_query(IRDA_KEY, "Index"), ("REG_DWORD", "0x4"))

        # Drivers come and go while the dialogs are open: neither dialog sees it.
        terminal.reg_delete(ACTIVE_KEY + r"\05")
        terminal.reg_add(ACTIVE_KEY + r"\08", "Name", "COM8:")
        terminal.reg_add(ACTIVE_KEY + r"\08", "Key", r"Drivers\PCMCIA\Card")
        terminal.probe.click(CANCEL, hwnd=change["hwnd"])
        shown = await_windows("list", absent=("change",))
        self.assertEqual(rows(shown["list"]), SEEDED_ROWS)
        change = self.open_change()
        self.assertEqual(choices(change), (SEEDED_CHOICES, "2:"))
        terminal.probe.click(CANCEL, hwnd=change["hwnd"])
        await_windows("list", absent=("change",))
        self.leave(run)
        self.assertEqual(terminal.reg_query(IRDA_KEY, "Index"), ("REG_DWORD", "0x4"))

    def test_a_second_start_raises_the_running_copy_and_ends(self):
        run, window = self.open_list("first", driver=False)
        for dialog in ("list", "change"):
            if dialog == "change":
                self.open_change()
            # Another program comes to the front.
            other = terminal.Tool("minimal_dialog")
            self.others.append(other)
            terminal.probe.wait(title="Minimal", timeout_ms=20000)
            terminal.probe.keys("shift", title="Minimal")
            self.assertEqual(terminal.probe.foreground()["title"], "Minimal")

            second = self.start(f"second-{dialog}", traced=False)
            self.assertEqual(second.wait_exit(30), 0, dialog)
            front = terminal.probe.foreground()
            self.assertEqual(front["hwnd"], windows()[dialog]["hwnd"], dialog)
            self.assertEqual(sorted(windows()), sorted({"list", dialog}), dialog)
            other.kill()
        self.assertTrue(run.running())


if __name__ == "__main__":
    unittest.main()
