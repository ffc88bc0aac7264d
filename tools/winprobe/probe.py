"""Runs winprobe.exe in the caller's Wine prefix and desktop and returns its JSON answers.

The environment (WINEPREFIX, DISPLAY, LANG) is the caller's; WINEDEBUG defaults to -all.
The probe executable comes from the exe argument or WINPROBE_EXE, wine from WINE or PATH.
Selectors: title (exact), cls (window class), pid, hwnd (int or "0x..."), all (include hidden).
"""

import json
import os
import subprocess
import sys
import tempfile

NOT_FOUND = 1
USAGE = 2


class ProbeError(Exception):
    """The probe could not run or was called wrongly (exit status 2)."""

    def __init__(self, status, message):
        super().__init__(message)
        self.status = status


class NotFound(ProbeError):
    """No matching window or control, a wait timed out, or the target refused (exit 1)."""


def run(args, exe=None, env=None, timeout_ms=None):
    """Runs the probe with args and returns its parsed JSON answer."""
    exe = exe or os.environ.get("WINPROBE_EXE")
    if not exe:
        raise ProbeError(USAGE, "winprobe.exe not given: pass exe= or set WINPROBE_EXE")
    environment = dict(os.environ)
    environment.update(env or {})
    environment.setdefault("WINEDEBUG", "-all")
    wine = environment.get("WINE", "wine")
    # Wine's own start-up comes on top of the probe's wait.
    limit = (timeout_ms or 0) / 1000 + 60
    # Output goes to files, not pipes: a wineserver or desktop process started by this call
    # inherits the descriptors and would hold a pipe open long after the probe has exited.
    # The probe always says why it fails; a run that ends with 1 and prints nothing, as a Wine
    # program now and then does, is reported and run again (three runs at most).
    for _ in range(3):
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            status = subprocess.run([wine, exe] + [str(a) for a in args], env=environment,
                                    stdout=out, stderr=err, timeout=limit).returncode
            out.seek(0)
            err.seek(0)
            answer = out.read().decode("utf-8")
            message = err.read().decode("utf-8", "replace").strip()
        if status != NOT_FOUND or answer or message:
            break
        sys.stderr.write(f"winprobe {args[0]}: ended with 1, printing nothing\n")
    if status == NOT_FOUND:
        raise NotFound(status, message)
    if status != 0:
        raise ProbeError(status, message or "winprobe exited with %d" % status)
    return json.loads(answer)


def _selector_args(title=None, cls=None, pid=None, hwnd=None, all=False):
    args = []
    if title is not None:
        args += ["--title", title]
    if cls is not None:
        args += ["--class", cls]
    if pid is not None:
        args += ["--pid", pid]
    if hwnd is not None:
        args += ["--hwnd", hwnd if isinstance(hwnd, str) else hex(hwnd)]
    if all:
        args.append("--all")
    return args


def _timeout_args(timeout_ms):
    return [] if timeout_ms is None else ["--timeout", timeout_ms]


def list_windows(title=None, cls=None, pid=None, hwnd=None, all=False, exe=None, env=None):
    """Matching top-level windows with their controls, topmost first."""
    return run(["list"] + _selector_args(title, cls, pid, hwnd, all), exe, env)


def wait(title=None, cls=None, pid=None, hwnd=None, all=False, timeout_ms=10000, exe=None,
         env=None):
    """The first matching window once one exists; NotFound after timeout_ms."""
    args = ["wait"] + _selector_args(title, cls, pid, hwnd, all) + _timeout_args(timeout_ms)
    return run(args, exe, env, timeout_ms)


def wait_gone(title=None, cls=None, pid=None, hwnd=None, all=False, timeout_ms=10000, exe=None,
              env=None):
    """Returns once no matching window is left; NotFound after timeout_ms."""
    args = ["wait-gone"] + _selector_args(title, cls, pid, hwnd, all) + _timeout_args(timeout_ms)
    return run(args, exe, env, timeout_ms)


def foreground(exe=None, env=None):
    """The foreground window, described as list_windows describes windows."""
    return run(["foreground"], exe, env)


def _action(name, extra, title, cls, pid, hwnd, timeout_ms, exe, env, all=False):
    args = [name] + _selector_args(title, cls, pid, hwnd, all) + _timeout_args(timeout_ms) + extra
    return run(args, exe, env, timeout_ms)


def command(id, title=None, cls=None, pid=None, hwnd=None, send=False, timeout_ms=None,
            exe=None, env=None, all=False):
    """WM_COMMAND with id to the window, posted (or sent with send=True); all=True also
    reaches hidden windows."""
    extra = ["--id", id] + (["--send"] if send else [])
    return _action("command", extra, title, cls, pid, hwnd, timeout_ms, exe, env, all)


def click(id, title=None, cls=None, pid=None, hwnd=None, force=False, send=False, timeout_ms=None,
          exe=None, env=None):
    """BM_CLICK to the button with id; NotFound if it is missing, hidden or disabled. With
    send=True the click is sent and handled when this returns (NotFound if the handler has not
    returned within 3 s, e.g. because it opened a modal dialog)."""
    extra = ["--id", id] + (["--force"] if force else []) + (["--send"] if send else [])
    return _action("click", extra, title, cls, pid, hwnd, timeout_ms, exe, env)


def select(id, text, title=None, cls=None, pid=None, hwnd=None, timeout_ms=None, exe=None,
           env=None):
    """Chooses the combo box entry whose text is exactly text, as a user would."""
    extra = ["--id", id, "--text", text]
    return _action("select", extra, title, cls, pid, hwnd, timeout_ms, exe, env)


def keys(*specs, title=None, cls=None, pid=None, hwnd=None, timeout_ms=None, exe=None, env=None):
    """Activates the window and types each chord, e.g. keys("alt+f4", title="...")."""
    return _action("keys", list(specs), title, cls, pid, hwnd, timeout_ms, exe, env)


def close(title=None, cls=None, pid=None, hwnd=None, timeout_ms=None, exe=None, env=None):
    """WM_CLOSE to the window."""
    return _action("close", [], title, cls, pid, hwnd, timeout_ms, exe, env)


def control(window, id):
    """The control with id in a window as list_windows or wait describe it, or None."""
    for item in window["controls"]:
        if item["id"] == id:
            return item
    return None
