"""The simulated terminal for end-to-end tests.

Starts the tools as a user would (under Wine, in the 240x320 desktop of the terminal's prefix),
looks at and acts on their windows through the window probe, drives the simulated PHS card and
reads its transcript, takes screenshots and puts the registry back to the seed.
"""

import fcntl
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("TERMINAL_BUILD", ROOT / "build"))
WIN_BUILD = Path(os.environ.get("WIN_BUILD", BUILD / "win64"))
NATIVE_BUILD = Path(os.environ.get("NATIVE_BUILD", BUILD / "native"))
TOOLS = WIN_BUILD / "bin"
SHOTS = BUILD / "screenshots"
TERMINAL_SCRIPTS = ROOT / "tools" / "terminal"

sys.path.insert(0, str(ROOT / "tools" / "winprobe"))
sys.path.insert(0, str(TERMINAL_SCRIPTS))
import probe as _probe  # noqa: E402
import relay_trace  # noqa: E402


def _lane():
    """The terminal lane this process runs in: the one CTest allotted to the test
    (CTEST_RESOURCE_GROUP_0_LANES="id:2,slots:1"), else TERMINAL_LANE, else 0."""
    for part in os.environ.get("CTEST_RESOURCE_GROUP_0_LANES", "").split(","):
        key, _, value = part.partition(":")
        if key == "id":
            return value
    return os.environ.get("TERMINAL_LANE", "0")


def _terminal_env():
    """The environment that tools/terminal/env.sh sets up for this process's lane. The display
    is the lane's own unless TERMINAL_KEEP_DISPLAY asks for the caller's."""
    out = subprocess.run(
        ["bash", "-c", f'source "{TERMINAL_SCRIPTS}/env.sh" 2>/dev/null; env -0'],
        check=True, capture_output=True,
        env=dict(os.environ, TERMINAL_BUILD=str(BUILD), TERMINAL_LANE=_lane())).stdout
    env = dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)
    keep = os.environ.get("TERMINAL_KEEP_DISPLAY") and os.environ.get("DISPLAY")
    env["DISPLAY"] = os.environ["DISPLAY"] if keep else env["TERMINAL_DISPLAY"]
    return env


ENV = _terminal_env()
RUN_DIR = Path(ENV["TERMINAL_RUN"])
CARD_LINK = Path(ENV["CARD_LINK"])


def _find(root, name):
    hits = sorted(p for p in Path(root).rglob(name) if p.is_file())
    return hits[0] if hits else root / name


WINPROBE_EXE = _find(WIN_BUILD, "winprobe.exe")
CARDSIM = _find(NATIVE_BUILD, "cardsim")
os.environ["WINPROBE_EXE"] = str(WINPROBE_EXE)
for key in ("WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "LANG", "LC_ALL", "DISPLAY",
            "WINEARCH", "TERMINAL_LANE", "TERMINAL_RUN"):
    os.environ[key] = ENV[key]


class CommandFailed(subprocess.CalledProcessError):
    """A failed command of the terminal that says, in the test's report, what it printed."""

    def __str__(self):
        printed = (self.stderr or b"") + (self.stdout or b"")
        try:
            text = printed.decode()
        except UnicodeDecodeError:
            text = printed.decode("cp932", "replace")  # Wine's own programs print Shift-JIS here
        return super().__str__() + (f" It printed: {text.strip()}" if text.strip() else "")


def run(args, timeout=60, check=True):
    """Runs a command of the terminal. Its output goes through files, not pipes: a wineserver
    it starts would hold pipes open long after the command itself has ended.

    Now and then a Wine program here ends with 1 and prints nothing. The Wine programs the tests
    run say why when they fail on their own, so such a run is taken for Wine's, reported and run
    again (three runs at most); otherwise a query would read it as "missing"."""
    for _ in range(3):
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            result = subprocess.run(args, env=ENV, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            result.stdout, result.stderr = out.read(), err.read()
        if args[0] != "wine" or result.returncode != 1 or result.stdout or result.stderr:
            break
        sys.stderr.write(f"{' '.join(map(str, args))}: ended with 1, printing nothing\n")
    if check and result.returncode != 0:
        raise CommandFailed(result.returncode, args, result.stdout, result.stderr)
    return result


# --- the terminal as a whole -------------------------------------------------------------------

def start_terminal():
    """Display, a persistent wineserver and a prepared prefix."""
    if not (Path(ENV["WINEPREFIX"]) / ".terminal-ready").exists():
        run([str(TERMINAL_SCRIPTS / "setup-prefix.sh")], timeout=300)
    if not os.environ.get("TERMINAL_KEEP_DISPLAY"):
        run([str(TERMINAL_SCRIPTS / "display.sh"), "start"])
    run(["wineserver", "-p"], check=False)
    run([str(TERMINAL_SCRIPTS / "link-card-port.sh")])
    RUN_DIR.mkdir(parents=True, exist_ok=True)
    SHOTS.mkdir(parents=True, exist_ok=True)


def keep_display():
    """Starts the lane's display again when its Xvfb has ended since the last test, which has been
    seen once in a soak, taking the terminal's windows with it; says so in the test's log."""
    if os.environ.get("TERMINAL_KEEP_DISPLAY"):
        return
    try:
        os.kill(int(Path(f"/tmp/.X{ENV['DISPLAY'].lstrip(':')}-lock").read_text()), 0)
    except (OSError, ValueError):
        sys.stderr.write(f"display {ENV['DISPLAY']} had ended; started again\n")
        run([str(TERMINAL_SCRIPTS / "display.sh"), "start"])


def reseed_registry():
    said = run([str(TERMINAL_SCRIPTS / "reseed-registry.sh")]).stderr
    if said:
        sys.stderr.write(said.decode("utf-8", "replace"))  # a try that had to be repeated


def reg_add(key, value, data, kind="REG_SZ"):
    run(["wine", "reg", "add", key, "/v", value, "/t", kind, "/d", str(data), "/f"])


def reg_delete(key, value=None):
    """Deletes a key or a value, which may be missing already; afterwards it is surely gone."""
    args = ["wine", "reg", "delete", key, "/f"]
    query = ["wine", "reg", "query", key]
    if value is not None:
        args[3:3] = ["/v", value]
        query += ["/v", value]
    for _ in range(3):
        result = run(args, check=False)
        if run(query, check=False).returncode != 0:
            return
        time.sleep(0.5)
    raise AssertionError(f"{key} {value or ''} still in the registry: "
                         f"{result.stderr.decode('utf-8', 'replace').strip()}")


def reg_query(key, value):
    """(type, data) of the value as `wine reg query` prints them, or None when it is missing."""
    out = run(["wine", "reg", "query", key, "/v", value], check=False).stdout.decode(
        "utf-8", "replace")
    for line in out.splitlines():
        parts = line.split(None, 2)
        if len(parts) >= 2 and parts[0] == value:
            return parts[1], parts[2] if len(parts) == 3 else ""
    return None


def screenshot(name, folder=SHOTS):
    """Saves the terminal's screen as <folder>/<name>.png (build/screenshots by default) and
    returns the path."""
    path = Path(folder) / f"{name}.png"
    run([str(TERMINAL_SCRIPTS / "screenshot.sh"), str(path)])
    return path


def screen_pixels():
    """The terminal's whole screen at one moment: (width, height, RGB bytes), read straight
    from the X server (a ZPixmap dump of 24-bit colour, blue first, 24 or 32 bits a pixel)."""
    data = run(["xwd", "-root", "-silent", "-display", ENV["DISPLAY"]]).stdout
    header = struct.unpack(">25I", data[:100])
    header_size, width, height = header[0], header[4], header[5]
    byte_order, line_bytes, colours = header[7], header[12], header[19]
    step = header[11] // 8
    assert (byte_order, header[3]) == (0, 24) and step in (3, 4), f"screen format {header}"
    start = header_size + 12 * colours
    rgb = bytearray(3 * width * height)
    for y in range(height):
        row = data[start + y * line_bytes:start + y * line_bytes + step * width]
        out = 3 * width * y
        for channel, offset in ((0, 2), (1, 1), (2, 0)):
            rgb[out + channel:out + 3 * width:3] = row[offset::step]
    return width, height, bytes(rgb)


def save_png(width, height, rgb, path):
    subprocess.run(["convert", "-size", f"{width}x{height}", "-depth", "8", "rgb:-",
                    "-crop", "240x320+0+0", "+repage", str(path)], input=rgb, check=True)
    return path


def publish(shot, docs_name):
    """Copies a screenshot into docs/img (only when TERMINAL_UPDATE_DOCS is set)."""
    if os.environ.get("TERMINAL_UPDATE_DOCS"):
        shutil.copyfile(shot, ROOT / "docs" / "img" / f"{docs_name}.png")


def _our_processes(names):
    """Pids of running processes of this prefix whose command line names one of the programs."""
    prefix = ("WINEPREFIX=" + ENV["WINEPREFIX"]).encode()
    found = []
    for proc in Path("/proc").iterdir():
        if not proc.name.isdigit():
            continue
        try:
            argv0 = (proc / "cmdline").read_bytes().split(b"\0")[0].decode("utf-8", "replace")
            program = argv0.replace("\\", "/").rsplit("/", 1)[-1].lower()
            if program not in (n.lower() for n in names):
                continue
            if prefix not in (proc / "environ").read_bytes().split(b"\0"):
                continue
        except OSError:
            continue
        found.append(int(proc.name))
    return found


def kill_tools(*names):
    """Ends any running copy of the given tools in this terminal's prefix (all of the terminal's
    tools by default); other prefixes are left alone."""
    names = names or ("wavemeter.exe", "identview.exe", "portswap.exe", "minimal_dialog.exe")
    for pid in _our_processes(names):
        try:
            os.kill(pid, 9)
        except OSError:
            pass
    # A copy left running would answer the next test's start as the first copy.
    wait_for(f"the end of {' '.join(names)}", lambda: not _our_processes(names), timeout=15,
             interval=0.1, seen=lambda: _our_processes(names))


# --- waiting -----------------------------------------------------------------------------------

def wait_for(what, predicate, timeout=30.0, interval=0.05, seen=None):
    """predicate()'s first true value; AssertionError after timeout seconds, saying what was
    awaited and, when given, what seen() reports then."""
    deadline = time.time() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.time() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}"
                                 + (f"; {seen()}" if seen else ""))
        time.sleep(interval)


def settled(what, snapshot, final=lambda state: True, key=lambda state: state, timeout=30.0,
            interval=0.05):
    """A whole state once it is final. snapshot() reads all of it at once (one probe call, one
    screenshot) and returns None while it can't; the state counts when final(key(state)) holds
    and the snapshot before it had the same key. A state read in pieces while it changed, or
    passing through between two others, is never taken for the final one."""
    last = [None]

    def check():
        state, before = snapshot(), last[0]
        last[0] = state
        if state is None or before is None or key(before) != key(state):
            return None
        return (state,) if final(key(state)) else None

    return wait_for(what, check, timeout, interval, seen=lambda: "last seen %r" % (
        None if last[0] is None else key(last[0]),))[0]


# --- tools -------------------------------------------------------------------------------------

def compile_c(name, source, compiler, *flags):
    """Builds a small C helper of a test from its source text, once: the result stays in the
    build tree under a name that changes with the source and the flags. Returns its path."""
    digest = hashlib.sha1("\0".join([source, compiler, *flags]).encode()).hexdigest()[:12]
    folder = BUILD / "e2e-helpers"
    output = folder / f"{Path(name).stem}-{digest}{Path(name).suffix}"
    if not output.exists():
        folder.mkdir(parents=True, exist_ok=True)
        source_file = folder / f"{output.stem}.c"
        source_file.write_text(source)
        # Lanes may build the same helper at once: each writes its own file, then renames it.
        partial = folder / f"{output.stem}.{os.getpid()}.tmp"
        subprocess.run([compiler, "-o", str(partial), str(source_file), *flags], check=True)
        partial.rename(output)
    return output


class Tool:
    """One run of a tool: `wine <tool>.exe` started in its own working directory; with traced,
    Wine's relay trace of the calls the prefix's RelayInclude names goes to cwd/relay.log."""

    def __init__(self, name, cwd=None, env=None, traced=False):
        self.name = name
        self.cwd = Path(cwd) if cwd else RUN_DIR
        self.cwd.mkdir(parents=True, exist_ok=True)
        self.trace = self.cwd / "relay.log"
        self.started = time.time()
        env = dict(ENV, **(env or {}))
        if traced:
            env["WINEDEBUG"] = relay_trace.TRACE_WINEDEBUG
        with open(self.trace, "wb") if traced else open(os.devnull, "wb") as err:
            self.process = subprocess.Popen(
                ["wine", str(TOOLS / f"{name}.exe")], env=env, cwd=self.cwd,
                stdout=subprocess.DEVNULL, stderr=err)

    def calls(self, name=None):
        """The traced calls so far (of that name)."""
        return [c for c in relay_trace.read_trace_file(self.trace)
                if name is None or c["name"] == name]

    def await_call(self, name, where=lambda call: True, timeout=15.0):
        """The last traced call of that name that has returned and satisfies where."""
        found = wait_for(f"a returned {name} call in the trace", lambda: [
            c for c in self.calls(name) if where(c) and c["returned"] is not None], timeout, 0.2)
        return found[-1]

    def wait_exit(self, timeout=20):
        """The exit code, or None if the tool is still running after timeout seconds."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            return None

    def running(self):
        return self.process.poll() is None

    def kill(self):
        if self.running():
            self.process.kill()
            self.process.wait(10)
        kill_tools(f"{self.name}.exe")


# --- window probe ------------------------------------------------------------------------------

probe = _probe


def wait_window(title, timeout_ms=15000, **selectors):
    try:
        return probe.wait(title=title, timeout_ms=timeout_ms, **selectors)
    except probe.NotFound as error:
        # What was there instead tells a slow program from a lost command.
        windows = [(w.get("title"), w.get("class"), w.get("hwnd"), w.get("pid"))
                   for w in probe.list_windows(all=True)]
        raise AssertionError(f"no window {title!r} within {timeout_ms} ms; top-level windows: "
                             f"{windows}") from error


control = probe.control


# --- the simulated card ------------------------------------------------------------------------

class Card:
    """A running card simulator behind the card's COM port, with its transcript."""

    def __init__(self, name="card", scenario=None, registry=True):
        self.control = RUN_DIR / f"{name}.sock"
        self.transcript = RUN_DIR / f"{name}.jsonl"
        self.read_bytes, self.read_events = 0, []
        for p in (self.control, self.transcript):
            if p.exists():
                p.unlink()
        args = [str(CARDSIM), "serve", "--link", str(CARD_LINK), "--control", str(self.control),
                "--transcript", str(self.transcript)]
        if registry:
            args += ["--wineprefix", ENV["WINEPREFIX"], "--registry-entry", "05",
                     "--port-name", "COM3:"]
        if scenario:
            args += ["--scenario", str(scenario)]
        self.process = subprocess.Popen(args, env=ENV, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while not self.control.exists():
            if time.time() > deadline or self.process.poll() is not None:
                raise RuntimeError("card simulator did not start")
            time.sleep(0.05)

    def ctl(self, *words, timeout=30):
        out = run([str(CARDSIM), "ctl", "--control", str(self.control), *map(str, words)],
                  timeout=timeout, check=False)
        if out.returncode != 0:
            raise RuntimeError(f"cardsim ctl {' '.join(map(str, words))}: "
                               f"{out.stdout.decode()} {out.stderr.decode()}")
        return out.stdout.decode("utf-8", "replace")

    def events(self, kind=None, since=0.0):
        """The transcript's events so far (of that kind, at or after since). Only what was added
        since the last reading is read; a line the simulator is still writing has no newline yet
        and waits for the next reading."""
        if self.transcript.exists():
            with open(self.transcript, "rb") as f:
                f.seek(self.read_bytes)
                added = f.read()
            complete = added[:added.rfind(b"\n") + 1]
            self.read_bytes += len(complete)
            self.read_events += [json.loads(line) for line in complete.splitlines()]
        return [e for e in self.read_events
                if (kind is None or e["event"] == kind) and e.get("t", 0) >= since]

    def await_event(self, kind, since=0.0, count=1, timeout=20.0, command=None):
        """The count-th event of that kind (and command) at or after since."""
        found = wait_for(
            f"{kind} event #{count} {command or ''}",
            lambda: [e for e in self.events(kind, since)
                     if command is None or e.get("command") == command][count - 1:],
            timeout, seen=lambda: f"transcript: {self.events(since=since)[-10:]}")
        return found[0]

    def port_changes(self, since=0.0):
        """The opens and closes of the card's port, each as (event, cause)."""
        return [(e["event"], e.get("cause")) for e in self.events(since=since)
                if e["event"] in ("open", "close")]

    def received(self, since=0.0):
        """Bytes the tool sent to the card (after the given Unix time), joined."""
        return b"".join(bytes.fromhex(e["hex"]) for e in self.events("data", since)
                        if e.get("dir") == "rx")

    def commands(self, since=0.0):
        """The commands the tool sent (after the given Unix time), each with its CR."""
        data = self.received(since)
        return [c + b"\r" for c in data.split(b"\r")[:-1]]

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()


_terminal_lock = None


def hold_terminal():
    """Takes the terminal for this process: runs against the same prefix, display and card port
    queue up instead of disturbing each other."""
    global _terminal_lock
    if _terminal_lock is None:
        RUN_DIR.mkdir(parents=True, exist_ok=True)
        _terminal_lock = open(RUN_DIR / "terminal.lock", "w")
        fcntl.flock(_terminal_lock, fcntl.LOCK_EX)


def release_terminal():
    global _terminal_lock
    if _terminal_lock is not None:
        fcntl.flock(_terminal_lock, fcntl.LOCK_UN)
        _terminal_lock.close()
        _terminal_lock = None


class TerminalTestCase(unittest.TestCase):
    """Base of end-to-end tests: a prepared terminal, seeded registry, no stray tools."""

    @classmethod
    def setUpClass(cls):
        hold_terminal()
        start_terminal()

    @classmethod
    def tearDownClass(cls):
        release_terminal()

    def setUp(self):
        keep_display()
        kill_tools()
        reseed_registry()

    def tearDown(self):
        kill_tools()
